#include "app/EnergyGraph.h"
#include "app/EnergyPerBat.h"
#include "app/GraphBase.h"
#include "app/WDataEd.h"

#include "app/tests/WorkbenchTestSupport.h"
#include "chart/Series.h"
#include "chartdlg/ChartStore.h"
#include "framework/core/Streams.h"
#include "framework/core/tests/ComponentReader.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// What a sensitivity chart showed.
struct TSweepSeen {
    int Shown = 0;
    std::vector<std::string> Titles;
    std::vector<TColor> Colors;
    std::vector<int> Counts;
    std::vector<double> X;                // of the first series
    std::vector<std::array<double, 4>> Y; // per point: phz, pw, pph, pdl
    bool Stacked = true;
    bool LegendVisible = false;
};

TSweepSeen Inspect(TfmEnergyPerBat* form) {
    TSweepSeen seen;
    ++seen.Shown;
    seen.LegendVisible = form->Chart1->Legend()->Visible();
    std::array<TAreaSeries*, 4> series = {form->srPHZ, form->srPW, form->srPPH, form->srPDL};
    for (TAreaSeries* s : series) {
        seen.Titles.push_back(s->Title());
        seen.Colors.push_back(s->SeriesColor());
        seen.Counts.push_back(s->Count());
        seen.Stacked = seen.Stacked && s->MultiArea() == maStacked;
    }
    for (int i = 0; i < form->srPHZ->Count(); ++i) {
        seen.X.push_back(form->srPHZ->XValueAt(i));
        seen.Y.push_back({form->srPHZ->YValueAt(i), form->srPW->YValueAt(i),
                          form->srPPH->YValueAt(i), form->srPDL->YValueAt(i)});
    }
    return seen;
}

class EnergyChartsTest : public TWorkbenchTest {
protected:
    // Runs the sweep button and answers what its modal chart showed.
    TSweepSeen Sweep(TButton* button, const std::string& shot) {
        TSweepSeen seen;
        OnModal<TfmEnergyPerBat>([&](TfmEnergyPerBat* form) {
            seen = Inspect(form);
            EXPECT_TRUE(TestKit::RenderToPng(form, ShotFile(shot)));
        });
        TestKit::Click(button);
        return seen;
    }
    // The arrays the balance writes, to see that a sweep leaves them alone.
    static std::vector<TFloatArray> ResultArrays() {
        return {WGProduction, BatteryCharge, GensetProduction, Surplus,
                PVProduction, DemandLoad,    WindSpeed};
    }
    // The menu item of a graph action in the "Γραφήματα" drop-down.
    TMenuItem* GraphItem(TAction* action) const {
        TMenuItem* items = Bench->PopupMenu1->Items();
        for (int i = 0; i < items->Count(); ++i)
            if (items->Items(i)->Action() == action)
                return items->Items(i);
        return nullptr;
    }
};

TEST_F(EnergyChartsTest, BatteryCapacitySweepPlotsElevenCapacities) {
    const auto arrays = ResultArrays();
    const TSweepSeen seen = Sweep(Bench->BtnBatCapGr, "energy_per_bat.png");
    ASSERT_EQ(seen.Shown, 1);
    EXPECT_EQ(seen.Titles, (std::vector<std::string>{"phz", "pw", "pph", "pdl"}));
    EXPECT_EQ(seen.Colors, (std::vector<TColor>{clRed, clGreen, clYellow, clOlive}));
    EXPECT_EQ(seen.Counts, (std::vector<int>{11, 11, 11, 11}));
    EXPECT_TRUE(seen.Stacked);
    EXPECT_TRUE(seen.LegendVisible);
    ASSERT_EQ(seen.X.size(), 11u);
    for (int i = 0; i <= 10; ++i)
        EXPECT_NEAR(seen.X[size_t(i)], 3000 + 600 * i, 1e-9);
    // Each point is the balance at that capacity.
    TSimResult r;
    Simulate(WindSpeed, PVProduction, DemandLoad, Bench->WorkbenchCurve(), 9000, {}, r);
    EXPECT_DOUBLE_EQ(seen.Y[10][0], r.TotGenset);
    EXPECT_DOUBLE_EQ(seen.Y[10][1], r.TotLoad * r.WindShare);
    EXPECT_DOUBLE_EQ(seen.Y[10][2], r.TotLoad * r.PVShare);
    EXPECT_DOUBLE_EQ(seen.Y[10][3], r.TotDump);
    // A bigger battery never needs more from the generator set.
    for (size_t i = 1; i < seen.Y.size(); ++i)
        EXPECT_LE(seen.Y[i][0], seen.Y[i - 1][0]);
    EXPECT_EQ(ResultArrays(), arrays);
    EXPECT_EQ(BatCapacity, 6000);
}

// The sweep's series belong to the form, not the chart: the chart file still holds each of
// them in its component part, in list order, and then their points.
TEST_F(EnergyChartsTest, ChartFileOfTheSweepHoldsEverySeries) {
    const std::string fileName = ShotFile("energy_per_bat.tee");
    std::vector<std::string> names;
    OnModal<TfmEnergyPerBat>([&](TfmEnergyPerBat* form) {
        for (int i = 0; i < form->Chart1->SeriesCount(); ++i) {
            EXPECT_NE(form->Chart1->GetSeries(i)->Owner(), form->Chart1);
            names.push_back(form->Chart1->GetSeries(i)->Name());
        }
        SaveChartFile(form->Chart1, fileName);
    });
    TestKit::Click(Bench->BtnBatCapGr);
    ASSERT_EQ(names.size(), 4u);

    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    EXPECT_EQ(stream.ReadWord(), 0x3060);
    EXPECT_EQ(stream.ReadWord(), 0x0120);
    const TStreamComponent chart = ReadComponentStream(stream);
    std::vector<std::string> written;
    for (const TStreamComponent& child : chart.Children)
        if (child.ClassName == "TAreaSeries")
            written.push_back(child.Name);
    EXPECT_EQ(written, names);
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(stream.ReadByte(), 1); // capacities as X values
        ASSERT_EQ(stream.ReadInt32(), 11);
        EXPECT_EQ(stream.ReadDouble(), 3000);
        stream.ReadBytes(8 + 10 * 16);
    }
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(EnergyChartsTest, PowerFactorSweepRestoresTheFactor) {
    const auto arrays = ResultArrays();
    Bench->WorkbenchCurve()->SetPowerFactor(0.8);
    const TSweepSeen seen = Sweep(Bench->BtnPwrFacGr, "energy_per_powerfactor.png");
    EXPECT_EQ(seen.Counts, (std::vector<int>{21, 21, 21, 21}));
    ASSERT_EQ(seen.X.size(), 21u);
    EXPECT_NEAR(seen.X.front(), 50, 1e-9);
    EXPECT_NEAR(seen.X[10], 100, 1e-9);
    EXPECT_NEAR(seen.X.back(), 150, 1e-9);
    // More power from the wind generator, more of the load covered by wind.
    EXPECT_LT(seen.Y.front()[1], seen.Y.back()[1]);
    EXPECT_EQ(Bench->WorkbenchCurve()->PowerFactor(), 1.0);
    EXPECT_EQ(ResultArrays(), arrays);
}

TEST_F(EnergyChartsTest, PVPowerSweepLeavesThePVArrayAlone) {
    const auto arrays = ResultArrays();
    const TSweepSeen seen = Sweep(Bench->BtnphCapGr, "energy_per_pvpower.png");
    ASSERT_EQ(seen.X.size(), 11u);
    EXPECT_NEAR(seen.X.front(), 250, 1e-9);
    EXPECT_NEAR(seen.X.back(), 750, 1e-9);
    EXPECT_LT(seen.Y.front()[2], seen.Y.back()[2]);
    EXPECT_EQ(PVPower, 500);
    EXPECT_EQ(ResultArrays(), arrays);
}

TEST_F(EnergyChartsTest, CoveragePieShowsThreeSharesInTheirColours) {
    struct TSlice {
        std::string Label;
        TColor Color;
        double Value;
        bool operator==(const TSlice&) const = default;
    };
    std::vector<TSlice> slices;
    std::string caption;
    bool legend = false;
    OnModal<TfmEnergyGraph>([&](TfmEnergyGraph* form) {
        caption = form->Caption();
        legend = form->Chart1->Legend()->Visible();
        for (int i = 0; i < form->Series1->Count(); ++i)
            slices.push_back({form->Series1->ValueLabel(i), form->Series1->ValueColor(i),
                              form->Series1->YValueAt(i)});
        EXPECT_TRUE(TestKit::RenderToPng(form, ShotFile("energy_pie.png")));
    });
    TMenuItem* item = GraphItem(Bench->actTTLGraph);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Caption(), "Συνολικό");
    item->Click();

    TSimResult r;
    Simulate(WindSpeed, PVProduction, DemandLoad, Bench->WorkbenchCurve(), BatCapacity, {}, r);
    EXPECT_EQ(caption, "fmEnergyGraph");
    EXPECT_TRUE(legend);
    EXPECT_EQ(slices, (std::vector<TSlice>{{"hz", clRed, r.GensetShare},
                                           {"pw", clGreen, r.WindShare},
                                           {"pph", clYellow, r.PVShare}}));
}

// A user's journey that used to abort the program: a chart from the "Γραφήματα" drop-down
// runs the real nested loop of its modal window until the window's close box is clicked.
TEST_F(EnergyChartsTest, ChartsFromTheGraphsDropDownCloseWithTheirCloseBox) {
    Application->SetModalHandler(nullptr);
    int closed = 0;
    Application->AddIdleHandler(&closed, [&closed] {
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* form = Screen->Forms(i);
            if (form->FormState().Contains(fsModal) && form->Showing()) {
                ++closed;
                form->Perform(WM_CLOSE); // what the close box sends
            }
        }
    });
    TToolButton* button = Bench->ToolButton1;
    for (const char* caption : {"Συνολικό", "Γράφημα Ταχύτητας Ανέμου (Vi)", "Συνολικό"}) {
        SCOPED_TRACE(caption);
        const int before = closed;
        TestKit::ClickAt(button, TPoint(button->Width() - 4, button->Height() / 2));
        EXPECT_TRUE(TestKit::PickMenuItem(Bench->PopupMenu1, caption));
        TestKit::ProcessMessages();
        EXPECT_EQ(closed, before + 1);
        EXPECT_EQ(Bench->PopupMenu1->ShownMenu(), nullptr);
    }
    Application->RemoveIdleHandler(&closed);
    EXPECT_TRUE(Bench->Showing());
}

TEST_F(EnergyChartsTest, HourlyChartsShowTheYearFromItsFirstDay) {
    struct TCase {
        TAction* Action;
        const TFloatArray* Values;
        std::string Shot;
    };
    const std::vector<TCase> cases = {
        {Bench->actPwGraph, &WGProduction, "hourly_wind.png"},
        {Bench->actPPhGraph, &PVProduction, "hourly_pv.png"},
        {Bench->actCEGraph, &BatteryCharge, "hourly_battery.png"},
        {Bench->actPHZGraph, &GensetProduction, "hourly_genset.png"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Shot);
        int points = -1;
        double firstX = 0;
        double lastY = 0;
        OnModal<TfmGraphBase>([&](TfmGraphBase* form) {
            ASSERT_EQ(form->Chart1->SeriesCount(), 1);
            TChartSeries* series = form->Chart1->GetSeries(0);
            points = series->Count();
            firstX = series->XValueAt(0);
            lastY = series->YValueAt(points - 1);
            EXPECT_TRUE(TestKit::RenderToPng(form, ShotFile(c.Shot)));
        });
        TMenuItem* item = GraphItem(c.Action);
        ASSERT_NE(item, nullptr);
        item->Click();
        EXPECT_EQ(points, 8760);
        EXPECT_EQ(firstX, EncodeDate(1991, 1, 1));
        EXPECT_EQ(lastY, c.Values->back());
    }
}

TEST_F(EnergyChartsTest, DailyLoadChartAveragesEachHourOfTheDay) {
    FillArray(DemandLoad, 0);
    for (size_t i = 0; i < DemandLoad.size(); i += 24)
        DemandLoad[i + 7] = 365; // one hour a day
    std::vector<double> y;
    OnModal<TfmGraphBase>([&](TfmGraphBase* form) {
        TChartSeries* series = form->Chart1->GetSeries(0);
        for (int i = 0; i < series->Count(); ++i)
            y.push_back(series->YValueAt(i));
        EXPECT_TRUE(TestKit::RenderToPng(form, ShotFile("daily_load.png")));
    });
    TestKit::Click(Bench->BtnPLGraph);
    ASSERT_EQ(y.size(), 24u);
    EXPECT_DOUBLE_EQ(y[7], 365);
    EXPECT_EQ(y[8], 0);
}

} // namespace
