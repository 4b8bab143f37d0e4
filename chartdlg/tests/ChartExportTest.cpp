#include "chartdlg/ChartExport.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chartdlg/ChartStore.h"
#include "framework/core/Streams.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::string Head(const fs::path& file, size_t n) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), std::streamsize(n));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

struct TExportCase {
    const char* Name;
    int Format;     // radio group item
    int ChosenType; // filter index the user picks (0: keep)
    const char* Ext;
    std::string Magic;
};

class ChartExportTest : public ::testing::TestWithParam<TExportCase> {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FDir = fs::temp_directory_path() /
               ("chartexport_" + std::to_string(::getpid()) + "_" + GetParam().Name);
        fs::create_directories(FDir);
        FForm.reset(new TForm(nullptr));
        FForm->SetBounds(0, 0, 400, 300);
        FChart = new TChart(FForm.get());
        FChart->SetName("Chart1");
        FChart->SetParent(FForm.get());
        FChart->SetBounds(0, 0, 400, 300);
        auto* series = new TBarSeries(FForm.get());
        series->SetName("Series1");
        series->SetParentChart(FChart);
        series->Add(3);
        series->Add(5);
    }
    void TearDown() override {
        FForm.reset();
        fs::remove_all(FDir);
    }
    fs::path FDir;
    std::unique_ptr<TForm> FForm;
    TChart* FChart = nullptr;
};

TEST_P(ChartExportTest, SavesByTheTypeChosenInTheDialog) {
    const TExportCase& c = GetParam();
    const fs::path file = FDir / (std::string("chart.") + c.Ext);
    std::unique_ptr<TChartExportForm> form(new TChartExportForm(FForm.get()));
    form->ExportPanel = FChart;
    NativeChartWriter = [](TCustomChartPanel* panel, const std::string& name) {
        SaveChartFile(panel, name);
    };
    TestKit::Click(form->RGFormat->Buttons(c.Format));
    EXPECT_EQ(form->Button1->Enabled(), c.Format != 3);
    int shownIndex = 0;
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        auto* dialog = static_cast<TSaveDialog*>(shown.Dialog);
        shownIndex = dialog->FilterIndex();
        dialog->SetFileName(file.string());
        if (c.ChosenType)
            dialog->SetFilterIndex(c.ChosenType);
        return 1;
    });
    TestKit::Click(form->Button2);
    NativeChartWriter = nullptr;
    EXPECT_EQ(shownIndex, c.Format + 1);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(Head(file, c.Magic.size()), c.Magic);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ChartExportTest,
    ::testing::Values(TExportCase{"Bmp", 0, 0, "BMP", "BM"},
                      TExportCase{"Wmf", 1, 0, "WMF", std::string("\xD7\xCD\xC6\x9A", 4)},
                      TExportCase{"Emf", 2, 0, "EMF", std::string("\x01\x00\x00\x00", 4)},
                      TExportCase{"Native", 3, 0, "TEE", std::string("\x60\x30\x20\x01TPF0", 8)},
                      TExportCase{"ChartAsBitmap", 3, 1, "BMP", "BM"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ChartExportCancel, CancelledSaveWritesNothing) {
    TestKit::StartTestApplication();
    TForm owner(nullptr);
    auto* chart = new TChart(&owner);
    std::unique_ptr<TChartExportForm> form(new TChartExportForm(&owner));
    form->ExportPanel = chart;
    TestKit::Dialogs().AnswerNext(0);
    TestKit::Click(form->Button2);
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u);
}

} // namespace
