#include "chartdlg/ChartStore.h"

#include "chart/Series.h"
#include "framework/core/Streams.h"
#include "framework/core/tests/ComponentReader.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <memory>

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

} // namespace
