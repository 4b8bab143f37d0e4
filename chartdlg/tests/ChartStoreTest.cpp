#include "chartdlg/ChartStore.h"

#include "chart/Series.h"
#include "framework/core/Streams.h"
#include "framework/core/tests/ComponentReader.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Metafile.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace {

struct TSeriesCase {
    const char* Name;
    std::vector<double> X;
    std::vector<std::string> Labels;
    TColor PointColor;
    uint8_t Flags;
};

class ChartStoreTest : public ::testing::TestWithParam<TSeriesCase> {
protected:
    void SetUp() override { TestKit::StartTestApplication(); }
};

TEST_P(ChartStoreTest, WritesHeaderChartAndSeriesBlock) {
    const TSeriesCase& c = GetParam();
    auto chart = std::make_unique<TChart>(nullptr);
    chart->SetName("Chart1");
    auto* series = new TLineSeries(chart.get());
    series->SetName("Series1");
    series->SetParentChart(chart.get());
    for (size_t i = 0; i < c.X.size(); ++i)
        series->AddXY(c.X[i], 10.0 + double(i), i < c.Labels.size() ? c.Labels[i] : "",
                      i == 1 ? c.PointColor : clAutoColor);
    EXPECT_EQ(SeriesDataFlags(series), c.Flags);

    TMemoryStream stream;
    WriteChartToStream(chart.get(), &stream);
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadWord(), 0x3060);
    EXPECT_EQ(stream.ReadWord(), 0x0120);
    const TStreamComponent tree = ReadComponentStream(stream);
    EXPECT_EQ(tree.ClassName, "TChart");
    ASSERT_FALSE(tree.Children.empty());
    EXPECT_EQ(tree.Children.back().Name, "Series1");
    EXPECT_EQ(stream.ReadByte(), c.Flags);
    ASSERT_EQ(stream.ReadInt32(), int(c.X.size()));
    for (size_t i = 0; i < c.X.size(); ++i) {
        if (c.Flags & 1) {
            EXPECT_EQ(stream.ReadDouble(), c.X[i]);
        }
        EXPECT_EQ(stream.ReadDouble(), 10.0 + double(i));
        if (c.Flags & 2)
            stream.ReadUInt32();
        if (c.Flags & 4) {
            const uint8_t length = stream.ReadByte();
            EXPECT_EQ(stream.ReadBytes(length), i < c.Labels.size() ? c.Labels[i] : "");
        }
    }
    EXPECT_EQ(stream.Position(), stream.Size());
}

INSTANTIATE_TEST_SUITE_P(
    Series, ChartStoreTest,
    ::testing::Values(TSeriesCase{"Empty", {}, {}, clAutoColor, 0},
                      TSeriesCase{"Sequence", {0, 1, 2}, {}, clAutoColor, 0},
                      TSeriesCase{"OwnX", {0, 1, 5}, {}, clAutoColor, 1},
                      TSeriesCase{"Colour", {0, 1, 2}, {}, TColor(0x123456), 2},
                      TSeriesCase{"Labels", {0, 1}, {"", "Β"}, clAutoColor, 4}),
    [](const auto& info) { return std::string(info.param.Name); });

class ChartFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FDir = std::filesystem::temp_directory_path() /
               ("chartfile-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    static std::string ReadAll(const std::string& fileName) {
        std::ifstream in(fileName, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path FDir;
};

// A point far beyond the first ten thousand decides the block's flags as much as the first.
TEST_F(ChartFileTest, FlagsLookAtEveryPoint) {
    struct TCase {
        const char* Name;
        std::function<void(TLineSeries*, int)> Mark;
        uint8_t Flags;
    };
    const TCase cases[] = {
        {"X", [](TLineSeries* s, int i) { s->XValues()->SetValueAt(i, 0.5); }, 1},
        {"colour", [](TLineSeries* s, int i) { s->SetPointColor(i, TColor(0x123456)); }, 2},
        {"label", [](TLineSeries* s, int i) { s->SetValueLabel(i, "Χ"); }, 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TChart chart(nullptr);
        auto* series = new TLineSeries(&chart);
        series->SetParentChart(&chart);
        for (int i = 0; i < 12000; ++i)
            series->AddXY(i, 1);
        EXPECT_EQ(SeriesDataFlags(series), 0);
        c.Mark(series, 11000);
        EXPECT_EQ(SeriesDataFlags(series), c.Flags);
    }
}

// The one length byte holds at most 255 bytes: a longer label loses whole characters only.
TEST_F(ChartFileTest, LongLabelIsCutBetweenCharacters) {
    struct TCase {
        std::string Label;
        size_t Kept;
    };
    std::string greek;
    for (int i = 0; i < 200; ++i)
        greek += "Ω"; // two bytes each
    const TCase cases[] = {
        {std::string(255, 'a'), 255},
        {std::string(300, 'a'), 255},
        {"a" + greek, 255}, // 'a' and 127 letters
        {greek, 254},       // 127 letters, the 128th would be cut
        {"ab" + greek, 254},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Label.size());
        TChart chart(nullptr);
        auto* series = new TLineSeries(&chart);
        series->SetParentChart(&chart);
        series->AddXY(0, 1, c.Label);
        TMemoryStream stream;
        WriteChartToStream(&chart, &stream);
        const std::string& bytes = stream.Data();
        const std::string written = bytes.substr(bytes.size() - c.Kept);
        EXPECT_EQ(uint8_t(bytes[bytes.size() - c.Kept - 1]), c.Kept);
        EXPECT_EQ(written, c.Label.substr(0, c.Kept));
    }
}

// The chart's own controls and every series of its list are in the component part, the
// series in list order whoever owns them.
TEST_F(ChartFileTest, ComponentPartHoldsControlsAndEverySeries) {
    TComponent form(nullptr);
    auto* chart = new TChart(&form);
    chart->SetName("Chart1");
    auto* panel = new TPanel(&form);
    panel->SetName("Panel1");
    panel->SetParent(chart);
    auto* second = new TBarSeries(&form);
    second->SetName("Bars");
    auto* first = new TLineSeries(chart);
    first->SetName("Line");
    first->SetParentChart(chart);
    second->SetParentChart(chart);
    TMemoryStream stream;
    WriteChartToStream(chart, &stream);
    stream.SetPosition(4);
    const TStreamComponent tree = ReadComponentStream(stream);
    std::vector<std::string> children;
    for (const TStreamComponent& child : tree.Children)
        children.push_back(child.ClassName + " " + child.Name);
    EXPECT_EQ(children,
              (std::vector<std::string>{"TPanel Panel1", "TLineSeries Line", "TBarSeries Bars"}));
}

// Saving replaces the file only when the whole file is written: a read-only file or a
// folder that refuses keeps what was there; a full device reports the failure.
TEST_F(ChartFileTest, FailedSaveKeepsTheOldFile) {
    TChart chart(nullptr);
    auto* series = new TLineSeries(&chart);
    series->SetParentChart(&chart);
    series->AddXY(0, 1);

    const std::string fileName = (FDir / "chart.tee").string();
    SaveChartFile(&chart, fileName);
    const std::string first = ReadAll(fileName);
    ASSERT_GT(first.size(), 4u);
    EXPECT_EQ(first.substr(0, 4), std::string("\x60\x30\x20\x01", 4));
    // Saved again over itself: replaced, not appended to.
    series->AddXY(1, 2);
    SaveChartFile(&chart, fileName);
    EXPECT_EQ(ReadAll(fileName).size(), first.size() + 8);

    std::filesystem::permissions(fileName, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read);
    const std::string kept = ReadAll(fileName);
    series->AddXY(2, 3);
    EXPECT_THROW(SaveChartFile(&chart, fileName), EInOutError);
    EXPECT_THROW(SaveComponentFile(&chart, fileName), EInOutError);
    EXPECT_EQ(ReadAll(fileName), kept);

    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(SaveChartFile(&chart, "/dev/full"), EInOutError);
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    }
    // Nothing but the saved file is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(FDir))
        ++files;
    EXPECT_EQ(files, 1);
}

// A chart's back picture goes into the chart file as the binary entry "BackImage.Data"
// (a reader that does not know it skips it by its length) and comes back into a new chart:
// a bitmap and a metafile, each with what it drew.
TEST_F(ChartFileTest, BackImageRoundTripsThroughTheChartFile) {
    TMetafile rose;
    rose.SetWidth(40);
    rose.SetHeight(30);
    {
        TMetafileCanvas canvas(&rose, nullptr);
        canvas.Brush()->SetColor(clLime);
        canvas.Polygon({TPoint(2, 2), TPoint(38, 2), TPoint(20, 28)});
        canvas.TextOut(2, 10, "Βορράς");
    }
    TBitmap bitmap(6, 4);
    bitmap.Canvas()->SetPixels(3, 2, clRed);
    const TGraphic* graphics[] = {&bitmap, &rose};
    for (const TGraphic* graphic : graphics) {
        SCOPED_TRACE(graphic->ClassName());
        TComponent form(nullptr);
        auto* chart = new TChart(&form);
        chart->SetName("Chart1");
        chart->BackImage()->SetGraphic(graphic);
        chart->SetBackImageMode(pbmCenter);
        chart->SetBackImageInside(true);
        const std::string fileName = (FDir / "back.tee").string();
        SaveChartFile(chart, fileName);

        TMemoryStream stream;
        stream.SetData(ReadAll(fileName));
        stream.SetPosition(4);
        TStreamComponent tree = ReadComponentStream(stream);
        tree.Children.clear();
        std::vector<std::string> names;
        const TStreamValue* data = nullptr;
        for (const auto& [name, value] : tree.Props) {
            names.push_back(name);
            if (name == "BackImage.Data")
                data = &value;
        }
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->Type, vaBinary);
        EXPECT_EQ(data->Str.substr(1, uint8_t(data->Str[0])), graphic->ClassName());
        // The entries after it were read in step.
        EXPECT_NE(std::find(names.begin(), names.end(), "BackImageMode"), names.end());

        TComponent other(nullptr);
        auto* back = dynamic_cast<TChart*>(CreateFromStream(tree, &other));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->BackImageMode(), pbmCenter);
        const TGraphic* read = back->BackImage()->Graphic();
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->ClassName(), graphic->ClassName());
        EXPECT_EQ(read->Width(), graphic->Width());
        EXPECT_EQ(read->Height(), graphic->Height());
        if (const auto* b = dynamic_cast<const TBitmap*>(read)) {
            TBitmap copy;
            copy.AssignFrom(b);
            EXPECT_EQ(copy.Canvas()->Pixels(3, 2), clRed);
            EXPECT_EQ(copy.Canvas()->Pixels(2, 2), clWhite);
        }
        if (const auto* m = dynamic_cast<const TMetafile*>(read)) {
            ASSERT_EQ(m->Records().size(), rose.Records().size());
            bool text = false;
            for (const TMetafileRecord& r : m->Records())
                text = text || r.Text == "Βορράς";
            EXPECT_TRUE(text);
        }
    }

    // A chart without a back picture writes no entry for it.
    TChart plain(nullptr);
    TMemoryStream stream;
    WriteChartToStream(&plain, &stream);
    EXPECT_EQ(stream.Data().find("BackImage"), std::string::npos);
}

// Damaged picture data in a chart stream is refused with a message; the chart being read
// keeps no half-read picture.
TEST_F(ChartFileTest, DamagedBackImageDataIsRefused) {
    TChart chart(nullptr);
    chart.SetName("Chart1");
    chart.BackImage()->Bitmap()->SetSize(5, 5);
    TMemoryStream stream;
    WriteChartToStream(&chart, &stream);
    stream.SetPosition(4);
    TStreamComponent tree = ReadComponentStream(stream);
    tree.Children.clear();
    TStreamValue* data = nullptr;
    for (auto& [name, value] : tree.Props)
        if (name == "BackImage.Data")
            data = &value;
    ASSERT_NE(data, nullptr);
    const std::string good = data->Str;
    const std::string damaged[] = {
        "",
        good.substr(0, 4),
        "\x06TPanel" + good.substr(8),
        good.substr(0, good.size() - 10),
        "\x09TMetafile" + good.substr(8),
    };
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        data->Str = bytes;
        TComponent owner(nullptr);
        try {
            CreateFromStream(tree, &owner);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_FALSE(e.Message().empty());
        }
    }
}

} // namespace
