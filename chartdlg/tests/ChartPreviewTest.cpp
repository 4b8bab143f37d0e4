#include "chartdlg/ChartPreview.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/tests/PrintedPage.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ChartPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FDir = fs::temp_directory_path() /
               ("chartpreview_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(FDir);
        TPrinter* printer = Printer();
        printer->SetPrinterIndex(printer->Printers()->IndexOf(kPdfPrinterName));
        printer->SetPdfFileName((FDir / "out.pdf").string());
        printer->SetOrientation(poPortrait);
        FForm.reset(new TForm(nullptr));
        FForm->SetBounds(0, 0, 500, 350);
        FChart = new TChart(FForm.get());
        FChart->SetName("Chart1");
        FChart->SetParent(FForm.get());
        FChart->SetBounds(0, 0, 500, 350);
        auto* series = new TBarSeries(FForm.get());
        series->SetName("Series1");
        series->SetParentChart(FChart);
        for (double v : {3.0, 5.0, 2.0, 7.0})
            series->Add(v);
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        FForm.reset();
        fs::remove_all(FDir);
    }
    // Opens the preview and runs body inside its modal loop, then closes it.
    void RunPreview(const std::function<void(TChartPreview*)>& body) {
        bool ran = false;
        Application->SetModalHandler([&](TCustomForm* form) {
            auto* preview = dynamic_cast<TChartPreview*>(form);
            if (!preview || ran)
                return;
            ran = true;
            body(preview);
            TestKit::Click(preview->BClose);
        });
        ShowChartPreview(FForm.get(), FChart);
        EXPECT_TRUE(ran);
    }
    void Shot(TChartPreview* preview, const std::string& name) {
        const char* dir = std::getenv("ORV_SHOT_DIR");
        const fs::path target = dir ? fs::path(dir) : FDir;
        EXPECT_TRUE(TestKit::RenderToPng(preview, (target / (name + ".png")).string()));
    }
    fs::path FDir;
    std::unique_ptr<TForm> FForm;
    TChart* FChart = nullptr;
};

TEST_F(ChartPreviewTest, OpensLandscapeWithProportionalMargins) {
    RunPreview([&](TChartPreview* p) {
        EXPECT_EQ(Printer()->Orientation(), poLandscape);
        EXPECT_EQ(p->Orientation->ItemIndex(), 1);
        EXPECT_TRUE(p->CBProp->Checked());
        EXPECT_FALSE(p->BReset->Enabled());
        EXPECT_EQ(p->UDLeftMa->Position(), FChart->PrintPageMargins().Left);
        Shot(p, "preview_landscape");
        // Portrait: the paper turns, the margins follow.
        TestKit::Click(p->Orientation->Buttons(0));
        EXPECT_EQ(Printer()->Orientation(), poPortrait);
        const TRect paper = p->ChartPreviewPanel1->PaperRect();
        EXPECT_LT(paper.Width(), paper.Height());
        Shot(p, "preview_portrait");
    });
    // The portrait choice lasts until the next opening.
    EXPECT_EQ(Printer()->Orientation(), poPortrait);
    RunPreview([&](TChartPreview*) { EXPECT_EQ(Printer()->Orientation(), poLandscape); });
}

TEST_F(ChartPreviewTest, MarginEditsAreCheckedAgainstTheOppositeMargin) {
    RunPreview([&](TChartPreview* p) {
        TestKit::Click(p->CBProp); // off: the margins are the user's
        EXPECT_FALSE(FChart->PrintProportional());
        FChart->SetPrintPageMargins(TRect(15, 15, 15, 15));
        p->UDRightMa->SetPosition(15);
        p->UDLeftMa->SetPosition(20);
        EXPECT_EQ(FChart->PrintPageMargins().Left, 20);
        EXPECT_TRUE(p->BReset->Enabled());
        p->UDLeftMa->SetPosition(85); // 85 + 15 >= 100: the old value comes back
        EXPECT_EQ(FChart->PrintPageMargins().Left, 20);
        EXPECT_EQ(p->UDLeftMa->Position(), 20);
    });
}

TEST_F(ChartPreviewTest, DraggingMarginsAndMovingTheChart) {
    RunPreview([&](TChartPreview* p) {
        TChartPreviewPage* page = p->ChartPreviewPanel1;
        page->Repaint();
        TestKit::ProcessMessages();
        const TRect paper = page->PaperRect();
        TRect m = page->MarginsRect();
        // Drag the left edge to the right: the margin grows, Proportional goes off.
        const int oldLeft = FChart->PrintPageMargins().Left;
        TestKit::Drag(page, TPoint(m.Left, (m.Top + m.Bottom) / 2),
                      TPoint(m.Left + 30, (m.Top + m.Bottom) / 2));
        EXPECT_GT(FChart->PrintPageMargins().Left, oldLeft);
        EXPECT_FALSE(p->CBProp->Checked());
        EXPECT_FALSE(FChart->PrintProportional());
        EXPECT_EQ(p->UDLeftMa->Position(), FChart->PrintPageMargins().Left);
        Shot(p, "preview_dragged");
        // Move far to the top-left: stops at the paper's edge, size kept.
        m = page->MarginsRect();
        const TPoint c((m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2);
        TestKit::Drag(page, c, TPoint(paper.Left + 1, paper.Top + 1));
        const TRect moved = page->MarginsRect();
        EXPECT_EQ(moved.Left, paper.Left);
        EXPECT_EQ(moved.Top, paper.Top);
        EXPECT_NEAR(moved.Width(), m.Width(), 2);
        EXPECT_NEAR(moved.Height(), m.Height(), 2);
        EXPECT_EQ(FChart->PrintPageMargins().Left, 0);
    });
}

TEST_F(ChartPreviewTest, PrintsToThePdfPrinter) {
    const fs::path pdf = FDir / "chosen.pdf";
    // The PDF printer asks for the file each time; Cancel prints nothing.
    int asked = 0;
    auto answer = [&](bool ok) {
        TestKit::Dialogs().AnswerNextWith([&asked, ok, pdf](const TestKit::TShownDialog& shown) {
            auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
            if (!save)
                return 0;
            ++asked;
            EXPECT_EQ(save->FileName(), "Chart1.pdf");
            save->SetFileName(pdf.string());
            return ok ? 1 : 0;
        });
    };
    RunPreview([&](TChartPreview* p) {
        for (bool asBitmap : {false, true}) {
            SCOPED_TRACE(asBitmap ? "as bitmap" : "as chart");
            p->ChartPreviewPanel1->SetAsBitmap(asBitmap);
            answer(false);
            TestKit::Click(p->BPrint);
            EXPECT_FALSE(fs::exists(pdf));
            EXPECT_FALSE(fs::exists(FDir / "out.pdf"));
            answer(true);
            TestKit::Click(p->BPrint);
            ASSERT_TRUE(fs::exists(pdf));
            EXPECT_GT(fs::file_size(pdf), 500u);
            if (!asBitmap)
                fs::remove(pdf);
        }
    });
    EXPECT_EQ(asked, 4);
    if (std::system("command -v pdftoppm >/dev/null 2>&1") == 0) {
        const std::string cmd = "pdftoppm -png -r 20 -singlefile '" + pdf.string() + "' '" +
                                (FDir / "page").string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        TBitmap image;
        ASSERT_NO_THROW(image.LoadFromFile((FDir / "page.png").string()));
        ASSERT_FALSE(image.Empty());
        // Something other than white paper was printed (the bars, the axes).
        auto gray = [](TColor c) {
            return (GetRValue(c) * 11 + GetGValue(c) * 16 + GetBValue(c) * 5) / 32;
        };
        int dark = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (gray(image.Canvas()->Pixels(x, y)) < 200)
                    ++dark;
        EXPECT_GT(dark, 20);
    }
}

TEST_F(ChartPreviewTest, ThePrinterSetUpSelectsLandscapeOnThePdfPrinterAndThePreviewFollows) {
    RunPreview([&](TChartPreview* p) {
        TestKit::Click(p->Orientation->Buttons(0)); // portrait first
        ASSERT_EQ(Printer()->Orientation(), poPortrait);
        TestKit::Dialogs().AnswerNextWith([](const TestKit::TShownDialog& shown) {
            auto* setup = dynamic_cast<TPrinterSetupDialog*>(shown.Dialog);
            if (!setup)
                return 0;
            EXPECT_EQ(setup->Orientation(), 0); // started on the printer's
            setup->SetPrinterIndex(Printer()->Printers()->IndexOf(kPdfPrinterName));
            setup->SetPaperName("A5");
            setup->SetOrientation(1);
            return 1;
        });
        TestKit::Click(p->BSetupPrinter);
        EXPECT_TRUE(Printer()->IsPdfPrinter());
        EXPECT_EQ(Printer()->PaperName(), "A5");
        EXPECT_EQ(Printer()->Orientation(), poLandscape);
        EXPECT_EQ(p->Orientation->ItemIndex(), 1);
        EXPECT_EQ(p->Printers->Text(), kPdfPrinterName);
        const TRect paper = p->ChartPreviewPanel1->PaperRect();
        EXPECT_GT(paper.Width(), paper.Height());
        Shot(p, "preview_setup_landscape");
        // Cancelled, the set-up changes nothing.
        TestKit::Dialogs().AnswerNextWith([](const TestKit::TShownDialog& shown) {
            if (auto* setup = dynamic_cast<TPrinterSetupDialog*>(shown.Dialog))
                setup->SetOrientation(0);
            return 0;
        });
        TestKit::Click(p->BSetupPrinter);
        EXPECT_EQ(Printer()->Orientation(), poLandscape);
    });
    Printer()->SetPaperName("A4");
}

} // namespace

namespace {

// Where the chart's red bars lie inside r of the picture, as fractions of r's width and
// height (left, top, right, bottom); all 0 when r holds no red.
std::array<double, 4> BarsWithin(TBitmap& picture, const TRect& r) {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = std::max(0, r.Top); y < std::min(r.Bottom, picture.Height()); ++y)
        for (int x = std::max(0, r.Left); x < std::min(r.Right, picture.Width()); ++x) {
            const TColor c = picture.Canvas()->Pixels(x, y);
            if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        }
    if (right < 0)
        return {0, 0, 0, 0};
    const double w = r.Width(), h = r.Height();
    return {(left - r.Left) / w, (top - r.Top) / h, (right - r.Left) / w, (bottom - r.Top) / h};
}

// Pixels of colour c inside r.
int CountColor(TBitmap& picture, const TRect& r, TColor c) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(r.Bottom, picture.Height()); ++y)
        for (int x = std::max(0, r.Left); x < std::min(r.Right, picture.Width()); ++x)
            n += picture.Canvas()->Pixels(x, y) == ColorToRGB(c);
    return n;
}

} // namespace

// The preview promises what prints: the chart's place inside the margins, its proportions
// and what is drawn at all (no panel colour behind the chart on paper) are the same in the
// preview and on the printed page, at normal detail and at "More" detail, where the text
// takes less of the chart and the bars more.
TEST_F(ChartPreviewTest, ThePreviewShowsWhatThePaperShows) {
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    FChart->Title()->Text()->SetText("Bars of four values");
    std::array<double, 4> normal{};
    for (int detail : {0, -100}) {
        SCOPED_TRACE(detail);
        const fs::path pdf = FDir / ("detail" + std::to_string(-detail) + ".pdf");
        TBitmap preview;
        TRect margins;
        RunPreview([&](TChartPreview* p) {
            p->Resolution->SetPosition(detail);
            TestKit::ProcessMessages();
            EXPECT_EQ(FChart->PrintDetailPercent(), detail);
            TestKit::RenderToBitmap(p->ChartPreviewPanel1, preview);
            margins = p->ChartPreviewPanel1->MarginsRect();
            Shot(p, "preview-detail" + std::to_string(-detail));
            TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
                auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
                if (!save)
                    return 0;
                EXPECT_EQ(save->NameFilters(), std::vector<std::string>{"PDF (*.pdf)"});
                save->SetFileName(pdf.string());
                return 1;
            });
            TestKit::Click(p->BPrint);
        });
        ASSERT_TRUE(fs::exists(pdf));
        TBitmap paper;
        RenderPrintedPage(pdf.string(), 72, paper,
                          (FDir / ("paper" + std::to_string(-detail) + ".png")).string());
        ASSERT_FALSE(paper.Empty());
        const TRect printed =
            PrintRectFromMargins(FChart->PrintPageMargins(), paper.Width(), paper.Height());
        // The same proportions: the margins rectangle of the preview and the printed one.
        EXPECT_NEAR(double(margins.Width()) / margins.Height(),
                    double(printed.Width()) / printed.Height(), 0.03);
        // The same picture in them.
        const std::array<double, 4> onPreview = BarsWithin(preview, margins);
        const std::array<double, 4> onPaper = BarsWithin(paper, printed);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(onPreview[i], onPaper[i], 0.02) << "side " << i;
        EXPECT_GT(onPaper[2] - onPaper[0], 0.3);
        // No panel colour behind the chart (a few pixels of lines may come close to it).
        EXPECT_LT(CountColor(paper, printed, clBtnFace), printed.Width() * printed.Height() / 100);
        EXPECT_LT(CountColor(preview, margins, clBtnFace),
                  margins.Width() * margins.Height() / 100);
        if (detail == 0)
            normal = onPaper;
        else // more detail: the text takes less room, the bars more
            EXPECT_GT(onPaper[2] - onPaper[0], normal[2] - normal[0] + 0.02);
    }
}
