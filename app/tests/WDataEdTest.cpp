#include "app/WDataEd.h"

#include "app/tests/CraftedOrder.h"
#include "app/tests/WorkbenchTestSupport.h"
#include "framework/gui/Clipboard.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

// The two numbers of the balance check's message "supply = load".
bool ParseBalance(const std::string& text, std::string& supply, std::string& load) {
    const size_t pos = text.find(" = ");
    if (pos == std::string::npos)
        return false;
    supply = Trim(text.substr(0, pos));
    load = Trim(text.substr(pos + 3));
    return !supply.empty();
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (size_t pos = text.find("\r\n"); pos != std::string::npos; pos = text.find("\r\n", pos + 2))
        ++lines;
    return lines;
}

double Mean(const TFloatArray& a) {
    double sum = 0;
    for (double v : a)
        sum += v;
    return sum / double(a.size());
}

// A measurement file of three header lines and the values.
std::string WriteSeries(const std::string& dir, const std::string& name, int count, double value) {
    const std::string fileName = dir + "/" + name;
    std::ofstream out(fileName, std::ios::binary);
    out << "header\r\nstation\r\nm/s\r\n";
    for (int i = 0; i < count; ++i)
        out << value + (i % 7) << "\r\n";
    return fileName;
}

// Answers the next file dialog with the file.
void AnswerFile(const std::string& fileName) {
    TestKit::Dialogs().AnswerNextWith([fileName](const TestKit::TShownDialog& shown) {
        if (auto* dialog = dynamic_cast<TOpenDialog*>(shown.Dialog))
            dialog->SetFileName(fileName);
        return 1;
    });
}

class WDataEdTest : public TWorkbenchTest {
protected:
    void ClickHeader(int col) {
        // A column out of sight is scrolled into view first, as a user would.
        if (col >= Bench->gdEditor->FixedCols() && Bench->gdEditor->CellRect(col, 0).IsEmpty())
            Bench->gdEditor->SetLeftCol(col);
        TestKit::ClickAt(Bench->gdEditor, CellCenter(col, 0));
    }
    std::string BalanceMessage() {
        TestKit::Dialogs().Clear();
        ClickHeader(0);
        return LastMessage();
    }
    void ExpectBalanced(const std::string& when) {
        std::string supply, load;
        ASSERT_TRUE(ParseBalance(BalanceMessage(), supply, load)) << when;
        EXPECT_EQ(supply, load) << when;
    }
    // The sizing through the main window's keyboard, as a user presses F9.
    void PressF9() {
        TestKit::Dialogs().Clear();
        TestKit::Focus(Bench->gdEditor);
        TestKit::PressShortCut("F9");
    }
};

TEST_F(WDataEdTest, GridShowsTheYearAndSummaryShowsTheBalance) {
    TExDrawGrid* grid = Bench->gdEditor;
    EXPECT_EQ(grid->RowCount(), 8761);
    EXPECT_EQ(grid->ColCount(), 8);
    EXPECT_EQ(grid->RowHeights(0), 2 * grid->RowHeights(1));
    EXPECT_EQ(Bench->CellText(0, 1), "01/01 00:00");
    EXPECT_EQ(Bench->CellText(0, 25), "02/01 00:00");
    EXPECT_EQ(Bench->CellText(0, 8760), "31/12 23:00");
    EXPECT_EQ(Bench->CellText(1, 0), "Ταχύτητα\rΑνέμου");
    EXPECT_EQ(Trim(Bench->CellText(1, 1)), "5.970"); // the first hour of default.dat
    // The placeholder load and the PV profile of the opened window.
    for (double load : DemandLoad)
        ASSERT_TRUE(load >= 0 && load < 800);
    EXPECT_DOUBLE_EQ(PVProduction[13], 500.0);
    EXPECT_DOUBLE_EQ(PVProduction[24 + 6], 500.0 * 0.15);

    // A battery of 4500 Wh, then the summary of a fresh calculation.
    TestKit::Dialogs().AnswerNextInput("4500");
    TestKit::Click(Bench->BtnBatCap);
    EXPECT_EQ(BatCapacity, 4500);
    EXPECT_EQ(Trim(TestKit::TextOf(Bench->lbMaxBatCap)), "4,500");
    TestKit::Click(Bench->BtnFCalc);
    TSimResult r;
    Simulate(WindSpeed, PVProduction, DemandLoad, Bench->WorkbenchCurve(), 4500, {}, r);
    // Energies in Wh with thousands separators, shares in per cent with two decimals.
    const std::vector<std::pair<TLabel*, std::string>> expected = {
        {Bench->lbPL, Format("%10.0n", {r.TotLoad})},
        {Bench->lbPW, Format("%10.0n", {r.TotWind})},
        {Bench->lbPPH, Format("%10.0n", {r.TotPV})},
        {Bench->lbPHZ, Format("%10.0n", {r.TotGenset})},
        {Bench->lbPDL, Format("%10.0n", {r.TotDump})},
        {Bench->lbPWC, Format("%10.2n%%", {100 * r.WindShare})},
        {Bench->lbPPHC, Format("%10.2n%%", {100 * r.PVShare})},
        {Bench->lbPHZC, Format("%10.2n%%", {100 * r.GensetShare})},
    };
    for (const auto& [label, text] : expected)
        EXPECT_EQ(TestKit::TextOf(label), text) << label->Name();
    EXPECT_TRUE(
        std::regex_match(TestKit::TextOf(Bench->lbPL), std::regex(R"( *\d{1,3}(,\d{3})+)")));
    EXPECT_NEAR(r.TotPV, 365 * 500 * 11.63, 1e-3);

    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("workbench.png")));
    EXPECT_TRUE(TestKit::RenderToPng(Bench, ShotFile("workbench_view.png")));
}

TEST_F(WDataEdTest, HeaderButtonsCheckTheBalanceAndSumColumns) {
    ExpectBalanced("after opening");

    // Another capacity, another wind factor, then a sizing: always two equal numbers.
    TestKit::Dialogs().AnswerNextInput("2000");
    TestKit::Click(Bench->BtnBatCap);
    ExpectBalanced("battery 2000 Wh");
    TestKit::Dialogs().AnswerNextInput("1.3");
    TestKit::Click(Bench->BtnVelFac);
    EXPECT_EQ(WindVelFactor, 1.3);
    ExpectBalanced("wind factor 1.3");
    PressF9();
    ExpectBalanced("after the sizing");

    // A column header shows the column's sum.
    double sum = 0;
    for (double v : GensetProduction)
        sum += v;
    TestKit::Dialogs().Clear();
    ClickHeader(6);
    EXPECT_EQ(LastMessage(), Format("%10.0n", {sum}));

    // The battery column's header and the date cells below the header do nothing.
    TestKit::Dialogs().Clear();
    ClickHeader(5);
    TestKit::ClickAt(Bench->gdEditor, CellCenter(0, 3));
    EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
}

// Negative numbers, and numbers beyond what the year's balance can add up, are refused.
TEST_F(WDataEdTest, NegativeCapacityPowerMeanFactorAndSpeedAreRefusedNamingTheRange) {
    const double capacity = BatCapacity, power = PVPower, speed = WindSpeed[10];
    const double mean = Mean(WindSpeed), factor = WindVelFactor;
    const std::string wind = TestKit::TextOf(Bench->lbPW);
    const std::string capacityRange = "Επιτρεπτές τιμές: από 0 έως 1000000000000000.";
    const std::string powerRange = "Επιτρεπτές τιμές: από 0 έως 1000000000000.";
    const std::string speedRange = "Επιτρεπτές τιμές: από 0 έως 1000000.";
    const std::string factorRange = "Επιτρεπτές τιμές: από 0 έως 1000.";
    const struct {
        TButton* Button;
        const char* Typed;
        const std::string& Range;
    } boxes[] = {
        {Bench->BtnBatCap, "-4500", capacityRange}, {Bench->BtnBatCap, "1e308", capacityRange},
        {Bench->Button1, "-500", powerRange},       {Bench->Button1, "1000000000001", powerRange},
        {Bench->btnNewMean, "-3", speedRange},      {Bench->btnNewMean, "1e308", speedRange},
        {Bench->BtnVelFac, "-5", factorRange},      {Bench->BtnVelFac, "-1e308", factorRange},
        {Bench->BtnVelFac, "1001", factorRange}};
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.Typed);
        TestKit::Dialogs().Clear();
        TestKit::Dialogs().AnswerNextInput(box.Typed);
        TestKit::Click(box.Button);
        EXPECT_EQ(LastMessage(), box.Range);
        EXPECT_EQ(TestKit::Dialogs().Shown().size(), 2u); // the input box, then the refusal
    }
    // A number no double holds is refused as one beyond the limit; a text that is no number
    // is named, with the allowed values all the same.
    for (const auto& [button, range] :
         std::vector<std::pair<TButton*, std::string>>{{Bench->BtnBatCap, capacityRange},
                                                       {Bench->Button1, powerRange},
                                                       {Bench->btnNewMean, speedRange},
                                                       {Bench->BtnVelFac, factorRange}})
        for (const std::string typed : {"inf", "-nan", "1e400", "abc"}) {
            SCOPED_TRACE(TestKit::TextOf(button) + " " + typed);
            TestKit::Dialogs().Clear();
            TestKit::Dialogs().AnswerNextInput(typed);
            TestKit::Click(button);
            EXPECT_EQ(LastMessage(),
                      typed == "abc" ? "Το 'abc' δεν είναι έγκυρος αριθμός. " + range : range);
        }
    EXPECT_EQ(BatCapacity, capacity);
    EXPECT_EQ(PVPower, power);
    EXPECT_EQ(WindVelFactor, factor);
    EXPECT_EQ(TestKit::TextOf(Bench->lbPW), wind);
    EXPECT_DOUBLE_EQ(Mean(WindSpeed), mean);
    EXPECT_THROW(Bench->gdEditorSetEditText(Bench->gdEditor, 1, 11, "-2"), Exception);
    EXPECT_THROW(Bench->gdEditorSetEditText(Bench->gdEditor, 1, 11, "1e308"), Exception);
    EXPECT_THROW(Bench->gdEditorSetEditText(Bench->gdEditor, 1, 11, "1e400"), Exception);
    EXPECT_EQ(WindSpeed[10], speed);
}

TEST_F(WDataEdTest, WindCellTakesDigitsAndTheSeparatorOnly) {
    TExDrawGrid* grid = Bench->gdEditor;
    TestKit::Focus(grid);
    grid->SetCol(1);
    grid->SetRow(3);
    TestKit::TypeText("7.5");
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(WindSpeed[2], 7.5);
    EXPECT_EQ(Trim(Bench->CellText(1, 3)), "7.500");

    // Letters and a minus sign do not get in.
    grid->SetRow(4);
    TestKit::TypeText("-a1x2");
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(WindSpeed[3], 12);

    // Other columns are not editable.
    const double production = WGProduction[3];
    grid->SetCol(2);
    TestKit::TypeText("9");
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(WGProduction[3], production);
    EXPECT_FALSE(grid->Options().Contains(goEditing));
}

TEST_F(WDataEdTest, ClipboardHoldsTheWindProductionOfEveryHour) {
    TestKit::Click(Bench->Button3);
    const std::string text = Clipboard()->AsText();
    EXPECT_EQ(CountLines(text), 8760);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), Format("%0.3f", {WGProduction[0]}));
}

TEST_F(WDataEdTest, F9OnTheMainWindowSizesTheBattery) {
    PressF9();
    const std::string message = LastMessage();
    std::smatch m;
    ASSERT_TRUE(
        std::regex_match(message, m, std::regex(R"(root\[(\d+)\]= *([-0-9.]+), *([-0-9.]+))")))
        << message;
    EXPECT_GT(std::stoi(m[1]), 0);
    EXPECT_EQ(Format("%8.3f", {BatCapacity}), Format("%8.3f", {std::stod(m[2])}));
    EXPECT_NE(BatCapacity, 6000);
    EXPECT_NEAR(LastSizingResult.GensetShare, 0.05, 1e-3);
    EXPECT_EQ(TestKit::TextOf(Bench->lbMaxBatCap), Format("%10.0n", {BatCapacity}));
    EXPECT_EQ(Trim(TestKit::TextOf(Bench->lbPHZC)), "5.00%");

    // "EQU Bat" sizes again with a coarser tolerance, to the same capacity.
    const double capacity = BatCapacity;
    TestKit::Dialogs().Clear();
    TestKit::Click(Bench->BtnEQU);
    EXPECT_TRUE(LastMessage().starts_with("root[")) << LastMessage();
    EXPECT_NEAR(BatCapacity, capacity, 0.002 * capacity);
}

TEST_F(WDataEdTest, SizingWithoutSignChangeKeepsTheCapacity) {
    // A strong constant wind covers every hour: no battery makes the generator set run.
    FillArray(WindSpeed, 13.0);
    PressF9();
    EXPECT_EQ(LastMessage(), "error num : 2 iters[0]");
    EXPECT_EQ(BatCapacity, 6000);
    // The summary shows the balance at the capacity in force.
    EXPECT_EQ(Trim(TestKit::TextOf(Bench->lbMaxBatCap)), "6,000");
    EXPECT_EQ(Trim(TestKit::TextOf(Bench->lbPHZ)), "0");
    EXPECT_DOUBLE_EQ(BatteryCharge[0], 6000);
    ExpectBalanced("after the failed sizing");
}

TEST_F(WDataEdTest, SeriesOfAnotherLengthRunsOverTheHoursAllArraysHold) {
    struct TCase {
        int Values;
        int Hours;
    };
    for (const TCase& c : {TCase{100, 100}, TCase{9000, 8760}}) {
        SCOPED_TRACE(c.Values);
        AnswerFile(WriteSeries(FDir, "series.dat", c.Values, 4.0));
        Bench->actLoadWindData->Execute();
        ASSERT_EQ(int(WindSpeed.size()), c.Values);
        EXPECT_EQ(TfmWDataEd::Hours(), c.Hours);
        EXPECT_EQ(Bench->gdEditor->RowCount(), std::max(c.Hours, 1) + 1);
        double load = 0;
        for (int i = 0; i < c.Hours; ++i)
            load += DemandLoad[size_t(i)];
        EXPECT_EQ(TestKit::TextOf(Bench->lbPL), Format("%10.0n", {load}));
        ExpectBalanced("series of " + std::to_string(c.Values));
        TestKit::Click(Bench->Button3);
        EXPECT_EQ(CountLines(Clipboard()->AsText()), c.Hours);
        // The grid paints the rows that exist, and the last ones scrolled into view.
        Bench->gdEditor->SetTopRow(Bench->gdEditor->RowCount() - 1);
        TestKit::Render(Bench);
        Bench->gdEditor->SetTopRow(1);
    }
    // The sizing's target is the share of the load of those hours.
    AnswerFile(WriteSeries(FDir, "short.dat", 2000, 3.0));
    Bench->actLoadWindData->Execute();
    PressF9();
    ASSERT_TRUE(LastMessage().starts_with("root[")) << LastMessage();
    EXPECT_NEAR(LastSizingResult.GensetShare, 0.05, 1e-3);
    EXPECT_NEAR(LastSizingResult.TotLoad,
                Mean(TFloatArray(DemandLoad.begin(), DemandLoad.begin() + 2000)) * 2000, 1e-6);
}

TEST_F(WDataEdTest, MeasurementFolderIsRememberedBetweenViews) {
    AnswerFile(WriteSeries(FDir, "folder.dat", 8760, 5.0));
    Bench->actLoadWindData->Execute();
    EXPECT_EQ(WindSpeed.size(), 8760u);
    fmHolder->ShowView(0);
    fmHolder->ShowView(kWorkbenchView);
    auto* bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    ASSERT_NE(bench, nullptr);
    EXPECT_EQ(bench->OpenDialog->InitialDir(), FDir + "/");
    // The series loaded before stays; the load is drawn anew.
    EXPECT_EQ(WindSpeed[1], 6.0);
}

TEST_F(WDataEdTest, AFailedOpenKeepsWindLoadAndCurveAndShowsTheReadersMessageOnce) {
    const std::string folder = FDir + "/folder.dat";
    std::filesystem::create_directory(folder);
    const std::string fifo = FDir + "/pipe.dat";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(FDir + "/" + name, std::ios::binary) << text;
        return FDir + "/" + name;
    };
    struct TCase {
        const char* What;
        TToolButton* Button;
        std::string File;
    };
    const std::vector<TCase> cases = {
        {"series: NaN on line 4", Bench->ToolButton3,
         write("nan.dat", "header\r\nstation\r\nm/s\r\nNaN\r\n5\r\n6\r\n")},
        {"series: word on line 6", Bench->ToolButton3,
         write("word.dat", "h\r\nh\r\nh\r\n4\r\n5\r\nfive\r\n")},
        {"series: folder", Bench->ToolButton3, folder},
        {"series: FIFO", Bench->ToolButton3, fifo},
        {"series: missing", Bench->ToolButton3, FDir + "/none.dat"},
        {"curve: bad number", Bench->ToolButton2,
         write("bad.pow", "WG\r\n\r\n1 1\r\n3 0\r\n4 1x0\r\n")},
        {"curve: folder", Bench->ToolButton2, folder},
        {"curve: FIFO", Bench->ToolButton2, fifo},
        {"devices: folder", Bench->ToolButton5, folder},
        {"devices: FIFO", Bench->ToolButton5, fifo},
        {"devices: bad count", Bench->ToolButton5, write("bad.dvl", "[DevList]\r\nCount=x\r\n")},
    };
    // What the user has: an edited wind speed, the window's load and curve, the summary.
    WindSpeed[3] = 12.5;
    TestKit::Click(Bench->BtnFCalc);
    const TFloatArray wind = WindSpeed, load = DemandLoad;
    const TWindPwrCurve* curve = Bench->WorkbenchCurve();
    const std::vector<TPwrCurvePoint> points = curve->Points();
    const int rows = Bench->gdEditor->RowCount();
    const std::string summary = TestKit::TextOf(Bench->lbPW) + TestKit::TextOf(Bench->lbPL);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TestKit::Dialogs().Clear();
        AnswerFile(c.File);
        TestKit::Click(c.Button);
        ASSERT_EQ(TestKit::Dialogs().Shown().size(), 2u); // the file dialog, then the message
        EXPECT_EQ(TestKit::Dialogs().Shown()[1].Kind, "MessageBox");
        EXPECT_NE(LastMessage().find(ExtractFileName(c.File)), std::string::npos) << LastMessage();
        EXPECT_EQ(WindSpeed, wind);
        EXPECT_EQ(DemandLoad, load);
        ASSERT_EQ(Bench->WorkbenchCurve(), curve);
        ASSERT_EQ(curve->PointCount(), int(points.size()));
        for (int i = 0; i < curve->PointCount(); ++i)
            EXPECT_EQ(curve->GetPoint(i).Power, points[size_t(i)].Power);
        EXPECT_EQ(Bench->gdEditor->RowCount(), rows);
        EXPECT_EQ(TestKit::TextOf(Bench->lbPW) + TestKit::TextOf(Bench->lbPL), summary);
    }
    // A whole file after the failures is taken.
    AnswerFile(WriteSeries(FDir, "good.dat", 8760, 2.0));
    TestKit::Click(Bench->ToolButton3);
    EXPECT_EQ(WindSpeed[3], 5.0);
    EXPECT_EQ(WindSpeed.size(), 8760u);
}

TEST_F(WDataEdTest, MissingPowerCurveLeavesTheWindowWithoutBalance) {
    // A program folder without "default.pow".
    SetProgramFileName(FDir + "/Orvanti");
    fmHolder->ShowView(0);
    fmHolder->ShowView(kWorkbenchView);
    auto* bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    ASSERT_NE(bench, nullptr);
    ASSERT_EQ(TestKit::Dialogs().Shown().size(), 1u);
    EXPECT_NE(LastMessage().find("default.pow"), std::string::npos) << LastMessage();
    EXPECT_EQ(bench->WorkbenchCurve()->PointCount(), 0);
    EXPECT_EQ(TestKit::TextOf(bench->lbPL), "-");
    EXPECT_EQ(Trim(TestKit::TextOf(bench->lbMaxBatCap)), "6,000");
    // A calculation with the empty curve: no wind at all.
    TestKit::Click(bench->BtnFCalc);
    EXPECT_EQ(Trim(TestKit::TextOf(bench->lbPW)), "0");
}

TEST_F(WDataEdTest, DeviceListReplacesTheLoadButNotTheSummary) {
    TDevList list;
    auto device = std::make_unique<TDeviceEl>();
    device->SetName("Ψυγείο");
    device->SetRatedPower(150);
    device->SetDevCount(2);
    device->HourOps().SetFactor(0, 20, 0.5);
    list.Add(std::move(device));
    const std::string fileName = FDir + "/house.dvl";
    list.SaveToFile(fileName);

    const std::string summary = TestKit::TextOf(Bench->lbPL);
    AnswerFile(fileName);
    TestKit::Click(Bench->ToolButton5);
    EXPECT_EQ(DemandLoad[20], 150.0);
    EXPECT_EQ(DemandLoad[21], 0.0);
    EXPECT_EQ(DemandLoad[24 + 20], 150.0);
    EXPECT_EQ(TestKit::TextOf(Bench->lbPL), summary);
    TestKit::Click(Bench->BtnFCalc);
    EXPECT_EQ(Trim(TestKit::TextOf(Bench->lbPL)), "54,750");
}

TEST_F(WDataEdTest, RandomWeibullSeriesFitsItsParameters) {
    TestKit::Click(Bench->Button2);
    const std::string message = LastMessage();
    double c = 0;
    double k = 0;
    ASSERT_EQ(std::sscanf(message.c_str(), "c=%lf k=%lf", &c, &k), 2) << message;
    EXPECT_NEAR(c, 6.484, 0.03 * 6.484) << message;
    EXPECT_NEAR(k, 1.697, 0.03 * 1.697) << message;
    for (double v : WindSpeed)
        ASSERT_TRUE(std::isfinite(v) && v >= 0);
    // The balance ran on the new series.
    TSimResult r;
    Simulate(WindSpeed, PVProduction, DemandLoad, Bench->WorkbenchCurve(), BatCapacity, {}, r);
    EXPECT_EQ(TestKit::TextOf(Bench->lbPW), Format("%10.0n", {r.TotWind}));
}

TEST(WeibullRandomTest, UniformDrawOfZeroGivesAFiniteSpeed) {
    // The seed after which the generator's next number is exactly 0.
    RandSeed = 649090867u;
    const double speed = WeibullRandom(1.697, 6.484);
    EXPECT_TRUE(std::isfinite(speed));
    EXPECT_EQ(speed, 6.484 * std::pow(-std::log(1.0), 1 / 1.697));
}

TEST_F(WDataEdTest, NormalSeriesNewMeanAndSortTransformTheWind) {
    const double mean = Mean(WindSpeed);
    TestKit::ClickAt(Bench->gdEditor, CellCenter(1, 0));
    EXPECT_NEAR(Mean(WindSpeed), mean, 0.03 * mean);

    // The mean as shown, confirmed: nothing changes.
    const TFloatArray before = WindSpeed;
    TestKit::Dialogs().AnswerNextWith([](const TestKit::TShownDialog& shown) {
        EXPECT_EQ(shown.Text, "Νεος ΜΟ:");
        return 1;
    });
    TestKit::Click(Bench->btnNewMean);
    EXPECT_EQ(WindSpeed, before);
    TestKit::Dialogs().AnswerNextInput("12");
    TestKit::Click(Bench->btnNewMean);
    EXPECT_NEAR(Mean(WindSpeed), 12.0, 1e-9);

    TFloatArray sorted = WindSpeed;
    std::sort(sorted.begin(), sorted.end());
    TestKit::Click(Bench->btnSort);
    EXPECT_EQ(WindSpeed, sorted);
}

// Every speed is scaled by speed x new mean / mean: a series whose speeds lie in one hour
// takes the whole year's wind into that hour, and a mean too small for new mean / mean to be
// a number still scales to finite speeds.
TEST_F(WDataEdTest, NewMeanKeepsEverySpeedFinite) {
    TFloatArray oneHour(8760, 0.0);
    oneHour[100] = 1;
    WindSpeed = oneHour;
    TestKit::Dialogs().Clear();
    TestKit::Dialogs().AnswerNextInput("1000000");
    TestKit::Click(Bench->btnNewMean);
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u) << LastMessage();
    EXPECT_DOUBLE_EQ(WindSpeed[100], 1e6 * 8760);
    EXPECT_EQ(WindSpeed[99], 0);
    EXPECT_NEAR(Mean(WindSpeed), 1e6, 1e-6);

    TFloatArray tiny(8760, 0.0);
    tiny[0] = 1e-310;
    WindSpeed = tiny;
    TestKit::Dialogs().AnswerNextInput("5");
    TestKit::Click(Bench->btnNewMean);
    EXPECT_TRUE(
        std::all_of(WindSpeed.begin(), WindSpeed.end(), [](double v) { return std::isfinite(v); }));
    EXPECT_NEAR(WindSpeed[0], 5.0 * 8760, 1e-3);
    EXPECT_NEAR(Mean(WindSpeed), 5.0, 1e-6);
    EXPECT_EQ(WindSpeed[1], 0);
}

// The sizing searches up to 100 times the year's load: for a load that large the capacity
// it finds lies past what a user can type into the battery boxes. It says so and keeps the
// capacity in force, and the summary shows the balance at that capacity.
TEST_F(WDataEdTest, ASizedCapacityPastTheLimitIsReportedAndNotSet) {
    FillArray(WindSpeed, 0.0);
    FillArray(PVProduction, 0.0);
    FillArray(DemandLoad, 1e12);
    PressF9();
    const std::string message = LastMessage();
    EXPECT_TRUE(message.starts_with("root[")) << message;
    EXPECT_NE(message.find("Επιτρεπτές τιμές: από 0 έως 1000000000000000."), std::string::npos)
        << message;
    EXPECT_NE(message.find("δεν άλλαξε"), std::string::npos) << message;
    EXPECT_EQ(BatCapacity, 6000);
    EXPECT_EQ(Trim(TestKit::TextOf(Bench->lbMaxBatCap)), "6,000");
    EXPECT_DOUBLE_EQ(BatteryCharge[0], 600); // emptied to its lowest content at once
    ExpectBalanced("after the refused sizing");
}

TEST_F(WDataEdTest, StatisticsOfTooFewValuesChangeNothing) {
    struct TCase {
        TFloatArray Wind;
        std::function<void()> Act;
        std::string Reason; // a piece of the message
    };
    auto clickRandom = [this] { TestKit::Click(Bench->Button2); };
    auto clickNormal = [this] { TestKit::ClickAt(Bench->gdEditor, CellCenter(1, 0)); };
    auto clickNewMean = [this] { TestKit::Click(Bench->btnNewMean); };
    const std::vector<TCase> cases = {
        {{}, clickRandom, "λιγότερες από δύο"},
        {{5.5}, clickRandom, "λιγότερες από δύο"},
        {{5.5}, clickNormal, "λιγότερες από δύο"},
        {{}, clickNewMean, "δεν έχει τιμές"},
        {{0, 0, 0}, clickNewMean, "μέση τιμή της σειράς ανέμου είναι 0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Reason + " / " + std::to_string(c.Wind.size()));
        WindSpeed = c.Wind;
        TestKit::Click(Bench->BtnFCalc);
        TestKit::Dialogs().Clear();
        c.Act();
        ASSERT_EQ(TestKit::Dialogs().Shown().size(), 1u);
        EXPECT_EQ(TestKit::Dialogs().Shown()[0].Kind, "MessageBox");
        EXPECT_NE(LastMessage().find(c.Reason), std::string::npos) << LastMessage();
        EXPECT_EQ(WindSpeed, c.Wind);
    }
}

TEST(SortDoublesTest, SortsAscendingInPlace) {
    const std::vector<TFloatArray> cases = {
        {1},
        {2, 1},
        {1, 2, 3, 4, 5},
        {5, 4, 3, 2, 1},
        {3, 1, 3, 1, 3, 1, 2},
        {0.5, -1, 7.25, 7.25, 0, 3, -2.5, 9, 1e-3},
    };
    for (TFloatArray a : cases) {
        TFloatArray expected = a;
        std::sort(expected.begin(), expected.end());
        SortDoubles(a, 0, int(a.size()) - 1);
        EXPECT_EQ(a, expected);
    }
    // A part of the array only.
    TFloatArray a = {9, 4, 3, 2, 0};
    SortDoubles(a, 1, 3);
    EXPECT_EQ(a, (TFloatArray{9, 2, 3, 4, 0}));
}

// A million values in the order that takes a sort around the middle element minutes (and a
// recursion a million deep) come out as the library's sort gives them. A value that is not
// a number goes last instead of splitting the series where it stood.
TEST(SortDoublesTest, AnyOrderSortsAsTheLibraryDoesAndNotANumberGoesLast) {
    TFloatArray crafted = CraftedMiddlePivotOrder(1000000);
    TFloatArray expected = crafted;
    std::sort(expected.begin(), expected.end());
    SortDoubles(crafted, 0, int(crafted.size()) - 1);
    EXPECT_TRUE(crafted == expected);

    const double nan = std::nan("");
    TFloatArray withNan = {3, nan, 1, 2, nan, 0.5};
    SortDoubles(withNan, 0, int(withNan.size()) - 1);
    EXPECT_EQ(TFloatArray(withNan.begin(), withNan.begin() + 4), (TFloatArray{0.5, 1, 2, 3}));
    EXPECT_TRUE(std::isnan(withNan[4]) && std::isnan(withNan[5]));
}

} // namespace
