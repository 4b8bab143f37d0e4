// Charts docked over a view ("Γράφημα" of the design page's wind generator, the periods, the
// devices and the sunshine views): while one covers the view, no control under it takes the
// focus, a typed key or an accelerator, so nothing the user cannot see changes; after
// "Επιστροφή" the view's tab stops and its focus are as they were.

#include "KeyWalk.h"
#include "ViewsTestSupport.h"

#include "app/WDataEd.h"
#include "app/design.h"
#include "app/wgEd.h"
#include "framework/core/IniFiles.h"
#include "framework/core/TextFiles.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kViewNames[] = {"Σχεδιασμός", "Περίοδοι", "Συσκευές", "Ηλιοφάνεια"};

using KeyWalk::NameOf;

std::vector<TWinControl*> TabStopsOf(TWinControl* root) {
    return KeyWalk::TabStops(root);
}

std::string Names(const std::vector<TWinControl*>& controls) {
    std::string text;
    for (const TWinControl* c : controls)
        text += NameOf(c) + "\n";
    return text;
}

bool Inside(const TWinControl* root, const TWinControl* c) {
    return c && (c == root || root->ContainsControl(c));
}

// What the view's tab stops show: a box's unsaved text too.
std::string Shown(TWinControl* view) {
    std::string text;
    std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
        for (TWinControl* c : parent->TabList()) {
            if (c->TabStop())
                text += NameOf(c) + " " + TestKit::TextOf(c) + "\n";
            collect(c);
        }
    };
    collect(view);
    return text;
}

std::string FileText(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DockedChartKeysTest : public TProgramTest {
protected:
    // Everything the four views edit, as text: the power curve, the component values, the
    // periods, the device list with its profiles and the sunshine factors.
    std::string ModelState() const {
        std::ostringstream s;
        s.precision(17);
        s << "curve " << PwrCurve->ModelName() << " " << PwrCurve->RatedPower() << " "
          << PwrCurve->RatedSpeed() << " " << PwrCurve->PowerFactor() << "\n";
        for (const TPwrCurvePoint& p : PwrCurve->Points())
            s << p.Speed << " " << p.Power << "\n";
        s << "values " << BatCapacity << " " << BatVoltage << " " << BatSafeCoef << " "
          << BatLossesPerHour << " " << PVPower << " " << HZPower << " " << HZConType << " "
          << HZCalc << " " << WindVelFactor << "\n";
        for (int m = 1; m <= 12; ++m)
            for (int h = 0; h < 24; ++h)
                s << PhFactors->GetFactor(m, h) << (h == 23 ? "\n" : " ");
        const std::string periods = FDir + "/state.ssn";
        std::remove(periods.c_str());
        {
            TMemIniFile ini(periods, false);
            SeasonList->SaveToIni(ini);
            ini.UpdateFile();
        }
        s << FileText(periods);
        const std::string devices = FDir + "/state.dvl";
        DevList->SaveToFile(devices);
        s << FileText(devices);
        return s.str();
    }

    // With the chart docked over view: every key a user could send through the main window.
    // The focus is looked at where it starts and after each Tab or Shift+Tab of two whole
    // rounds each way; at each stop digits and Enter are typed. Answers the faults found.
    std::string KeysOverChart(TCustomForm* view, int rounds) {
        std::string faults;
        auto look = [&](const std::string& after) {
            TWinControl* focused = FindFocusedControl();
            if (Inside(view, focused))
                faults += after + ": the focus is on " + NameOf(focused) + " under the chart\n";
            if (!DockedChart())
                faults += after + ": the chart is gone\n";
            TestKit::TypeText("77");
            TestKit::PressKey(VK_RETURN);
        };
        look("docking");
        for (bool forward : {true, false})
            for (int i = 0; i < rounds && DockedChart(); ++i) {
                TestKit::PressKey(VK_TAB, forward ? TShiftState{} : TShiftState{ssShift});
                look(std::string(forward ? "Tab " : "Shift+Tab ") + std::to_string(i + 1));
            }
        return faults;
    }
};

// The user's road: the wind generator's chart over the design page, Tab, 77, Enter, back:
// the rated power is what it was, in the model, the editor and the summary.
TEST_F(DockedChartKeysTest, RatedPowerStaysUnderThePowerCurveChart) {
    ShowView(0);
    auto* design = dynamic_cast<TfmDesign*>(fmHolder->CurrentView());
    ASSERT_NE(design, nullptr);
    auto* editor = TestKit::Find<TfmWGEd>(design->sysHolder, "fmWGEd");
    ASSERT_NE(editor, nullptr);
    TestKit::Focus(editor->edModelName);
    const double rated = PwrCurve->RatedPower();
    const std::string shown = TestKit::TextOf(editor->edPR);
    const std::string model = PwrCurve->ModelName();
    const std::string summary = TestKit::TextOf(design->stRatedPower);

    ClickStrip("Γράφημα");
    ASSERT_NE(DockedChart(), nullptr);
    for (int i = 0; i < 3; ++i) {
        TestKit::PressKey(VK_TAB);
        TestKit::TypeText("77");
        TestKit::PressKey(VK_RETURN);
    }
    ClickStrip("Επιστροφή");
    TestKit::ProcessMessages();
    Application->Idle();
    ASSERT_EQ(DockedChart(), nullptr);

    EXPECT_EQ(PwrCurve->RatedPower(), rated);
    EXPECT_EQ(PwrCurve->ModelName(), model);
    EXPECT_EQ(TestKit::TextOf(editor->edPR), shown);
    EXPECT_EQ(TestKit::TextOf(design->stRatedPower), summary);
    // The focus is back on the box that had it, and the keys reach the view again.
    EXPECT_EQ(FindFocusedControl(), editor->edModelName);
    TestKit::PressKey(VK_TAB);
    EXPECT_EQ(FindFocusedControl(), editor->edPR);
}

// Every chart docked over a view: Tab and Shift+Tab twice round the whole cycle, digits and
// Enter at every stop, and the accelerator of a label of the view: the focus never lands
// under the chart and no model value changes. Back on the view, its tab stops are the same
// list as before, and the focus is where it was.
TEST_F(DockedChartKeysTest, NoKeyReachesAViewUnderItsChart) {
    for (int v = 0; v < 4; ++v) {
        const std::string where = std::string("chart over ") + kViewNames[v];
        SCOPED_TRACE(where);
        ShowView(v);
        TCustomForm* view = fmHolder->CurrentView();
        ASSERT_NE(view, nullptr);
        // A label of the view whose accelerator (Alt+Q) focuses the view's first stop.
        const std::vector<TWinControl*> viewStops = TabStopsOf(view);
        ASSERT_FALSE(viewStops.empty());
        auto* accel = new TLabel(view);
        accel->SetCaption("&Q");
        accel->SetFocusControl(viewStops.front());
        accel->SetParent(view);
        TestKit::Focus(viewStops.back());
        TestKit::PressKey('Q', TShiftState{ssAlt});
        ASSERT_EQ(FindFocusedControl(), viewStops.front()) << "Alt+Q works on the open view";

        TestKit::Focus(viewStops.back());
        const std::vector<TWinControl*> before = TabStopsOf(fmHolder);
        const std::string state = ModelState();
        const std::string shown = Shown(view);

        ClickStrip("Γράφημα");
        TfmGraphBaseSt* chart = DockedChart();
        ASSERT_NE(chart, nullptr);
        std::string faults = KeysOverChart(view, 2 * int(before.size()) + 2);
        for (TWinControl* stop : TabStopsOf(fmHolder))
            if (Inside(view, stop))
                faults += "Tab can stop at " + NameOf(stop) + " under the chart\n";
        TestKit::PressKey('Q', TShiftState{ssAlt});
        if (Inside(view, FindFocusedControl()))
            faults += "Alt+Q focused " + NameOf(FindFocusedControl()) + " under the chart\n";
        EXPECT_EQ(faults, "");
        EXPECT_EQ(ModelState(), state);
        EXPECT_EQ(Shown(view), shown);

        ASSERT_EQ(DockedChart(), chart);
        ClickStrip("Επιστροφή");
        TestKit::ProcessMessages();
        Application->Idle();
        ASSERT_EQ(DockedChart(), nullptr);
        EXPECT_EQ(Names(TabStopsOf(fmHolder)), Names(before));
        EXPECT_EQ(FindFocusedControl(), viewStops.back()) << NameOf(FindFocusedControl());
        TestKit::PressKey('Q', TShiftState{ssAlt});
        EXPECT_EQ(FindFocusedControl(), viewStops.front()) << "Alt+Q works on the view again";
        delete accel;
    }
}

// A view switch while a chart covers the view frees both; the next view takes the keyboard,
// and a chart docked over it and closed again leaves it as it was.
TEST_F(DockedChartKeysTest, ViewSwitchUnderAChartLeavesTheNextViewWhole) {
    ShowView(3);
    TestKit::Focus(TabStopsOf(fmHolder->CurrentView()).front());
    ClickStrip("Γράφημα");
    ASSERT_NE(DockedChart(), nullptr);
    ShowView(1);
    ASSERT_EQ(DockedChart(), nullptr);
    TCustomForm* view = fmHolder->CurrentView();
    for (TWinControl* stop : TabStopsOf(view))
        EXPECT_TRUE(stop->CanFocus()) << NameOf(stop);
    EXPECT_TRUE(view->Enabled());
    ClickStrip("Γράφημα");
    ASSERT_NE(DockedChart(), nullptr);
    EXPECT_FALSE(view->Enabled());
    ClickStrip("Επιστροφή");
    TestKit::ProcessMessages();
    EXPECT_TRUE(view->Enabled());
}

// The workbench's charts are not docked: they are modal windows, and the workbench under
// them takes no key either while they are up.
TEST_F(DockedChartKeysTest, WorkbenchChartsAreModalAndKeepTheKeysToThemselves) {
    ShowView(4);
    auto* bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    ASSERT_NE(bench, nullptr);
    const std::vector<TWinControl*> stops = TabStopsOf(bench);
    ASSERT_FALSE(stops.empty());
    TestKit::Focus(stops.front());
    const std::string state = ModelState();
    const std::string shown = Shown(bench);
    std::string faults;
    int charts = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        ++charts;
        const int presses = 2 * int(TabStopsOf(form).size()) + 2;
        for (bool forward : {true, false})
            for (int i = 0; i < presses && form->Showing(); ++i) {
                TestKit::PressKey(VK_TAB, forward ? TShiftState{} : TShiftState{ssShift});
                if (Inside(bench, FindFocusedControl()))
                    faults += form->ClassName() + ": the focus is on " +
                              NameOf(FindFocusedControl()) + " under the chart\n";
                TestKit::TypeText("77");
                TestKit::PressKey(VK_RETURN);
            }
    });
    TestKit::Click(bench->BtnWGGr);
    bench->actPwGraph->Execute();
    TestKit::Click(bench->BtnPLGraph);
    Application->SetModalHandler([](TCustomForm*) {});
    TestKit::ProcessMessages();
    EXPECT_EQ(charts, 3);
    EXPECT_EQ(faults, "");
    EXPECT_EQ(ModelState(), state);
    EXPECT_EQ(Shown(bench), shown);
}

} // namespace
