// Numbers the model cannot hold are refused where they are typed: the component editors'
// spin edits, the device editor's rated power and the grids of the curve, the devices and
// the sunshine factors. A refusal names the allowed range and leaves the model as it was;
// a box emptied while typing writes nothing.

#include "ViewsTestSupport.h"

#include "app/BatEd.h"
#include "app/DevEdit.h"
#include "app/FormParts.h"
#include "app/HZed.h"
#include "app/LoadConst.h"
#include "app/PhotovEd.h"
#include "app/design.h"
#include "app/phDataEd.h"
#include "app/wgEd.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Clipboard.h"

#include <functional>
#include <memory>

namespace {

using TestKit::Find;

class RefusedInputTest : public TProgramTest {
protected:
    // Docks the design page's editor of the button and returns it.
    template <class T> T* OpenEditor(const std::string& button) {
        auto* design = Find<TfmDesign>(fmHolder->pnlHolder, "fmDesign");
        EXPECT_NE(design, nullptr);
        TestKit::Click(Find<TSpeedButton>(design, button));
        TestKit::ProcessMessages();
        TPanel* holder = design->sysHolder;
        for (int i = 0; i < holder->ComponentCount(); ++i)
            if (auto* editor = dynamic_cast<T*>(holder->Components(i)))
                return editor;
        return nullptr;
    }
    // Replaces the box's text by text through the clipboard, as a user pastes it.
    void PasteInto(TCustomEdit* edit, const std::string& text) {
        Clipboard()->SetAsText(text);
        TestKit::Focus(edit);
        edit->SelectAll();
        TestKit::PressKey('V', TShiftState{ssCtrl});
        TestKit::ProcessMessages();
    }
    void TypeInto(TCustomEdit* edit, const std::string& text) {
        TestKit::Focus(edit);
        edit->SelectAll();
        TestKit::TypeText(text);
        TestKit::ProcessMessages();
    }
};

struct TSpinCase {
    const char* Button;
    const char* Box;
    std::function<double()> Model;
    double Start; // put into the model before the editor opens
    const char* Shown;
    const char* Range;  // the allowed values as the refusal states them
    const char* Beyond; // a number above them, "" when there is no upper limit
};

std::vector<TSpinCase> SpinCases() {
    const char* power = "Επιτρεπτές τιμές: από 0 έως 1000000000000.";
    const char* any = "Επιτρεπτές τιμές: από 0 και πάνω.";
    return {
        {"sbWG", "edPR", [] { return PwrCurve->RatedPower(); }, 3000, "3000", power,
         "1000000000001"},
        {"sbPhotoV", "edPhPower", [] { return PVPower; }, 500, "500", power, "1000000000001"},
        {"SpeedButton3", "edHZPower", [] { return HZPower; }, 5000, "5000", power, "2000000000000"},
        {"sbBat", "edBateryCap", [] { return BatCapacity; }, 6000, "6000",
         "Επιτρεπτές τιμές: από 0 έως 1000000000000000.", "10000000000000000"},
        {"sbBat", "edBatVoltage", [] { return BatVoltage; }, 24, "24", any, ""},
        {"sbBat", "edBatLossesPerHour", [] { return 100 * BatLossesPerHour; }, 1, "1.00", any, ""},
        {"sbBat", "edSafeBatCoef", [] { return 100 * BatSafeCoef; }, 10, "10.00",
         "Επιτρεπτές τιμές: από 0 έως 100.", "101"},
    };
}

void SetModel(const std::string& box, double value) {
    if (box == "edPR")
        PwrCurve->SetRatedPower(value);
    else if (box == "edPhPower")
        PVPower = value;
    else if (box == "edHZPower") {
        HZPower = value;
        HZCalc = false; // the power box is enabled
    } else if (box == "edBateryCap")
        BatCapacity = value;
    else if (box == "edBatVoltage")
        BatVoltage = value;
    else if (box == "edBatLossesPerHour")
        BatLossesPerHour = value / 100;
    else if (box == "edSafeBatCoef")
        BatSafeCoef = value / 100;
}

TCustomForm* Editor(TComponent* design) {
    auto* page = dynamic_cast<TfmDesign*>(design);
    TPanel* holder = page->sysHolder;
    for (int i = 0; i < holder->ComponentCount(); ++i)
        if (auto* editor = dynamic_cast<TCustomForm*>(holder->Components(i)))
            return editor;
    return nullptr;
}

TEST_F(RefusedInputTest, ComponentEditorsRefuseNegativeNumbersNamingTheRange) {
    for (const TSpinCase& c : SpinCases()) {
        SCOPED_TRACE(c.Box);
        SetModel(c.Box, c.Start);
        auto* design = Find<TfmDesign>(fmHolder->pnlHolder, "fmDesign");
        TestKit::Click(Find<TSpeedButton>(design, c.Button));
        TestKit::ProcessMessages();
        TCustomForm* editor = Editor(design);
        ASSERT_NE(editor, nullptr);
        auto* box = Find<TExSpinEdit>(editor, c.Box);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(TestKit::TextOf(box), c.Shown);

        // A number no double holds is refused as one beyond the limit, not dropped unannounced.
        for (const char* typed : {"-5", c.Beyond, "1e400"}) {
            if (*typed == 0)
                continue;
            SCOPED_TRACE(typed);
            TestKit::Dialogs().Clear();
            // The keys of a number too large for the box do not all go in: it is pasted.
            if (typed != std::string("-5"))
                PasteInto(box, typed);
            else
                TypeInto(box, typed);
            EXPECT_DOUBLE_EQ(c.Model(), c.Start);
            EXPECT_EQ(TestKit::Dialogs().LastText(), c.Range);
            EXPECT_EQ(TestKit::TextOf(box), c.Shown);
        }

        // A number in range still goes through, zero included.
        TypeInto(box, "0");
        EXPECT_DOUBLE_EQ(c.Model(), 0);
        TypeInto(box, "7");
        EXPECT_DOUBLE_EQ(c.Model(), 7);

        // Leaving the page's button where it was for the next editor.
        TestKit::Click(Find<TSpeedButton>(design, c.Button));
        TestKit::ProcessMessages();
    }
}

TEST_F(RefusedInputTest, MinimumChargeTakesZeroToOneHundredPercent) {
    BatSafeCoef = 0.1;
    auto* ed = OpenEditor<TfmBatEd>("sbBat");
    ASSERT_NE(ed, nullptr);
    TestKit::Dialogs().Clear();
    TypeInto(ed->edSafeBatCoef, "150");
    // "1" and "15" were taken as they were typed; "150" is refused.
    EXPECT_DOUBLE_EQ(BatSafeCoef, 0.15);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "Επιτρεπτές τιμές: από 0 έως 100.");
    EXPECT_EQ(TestKit::TextOf(ed->edSafeBatCoef), "15.00");
    TypeInto(ed->edSafeBatCoef, "100");
    EXPECT_DOUBLE_EQ(BatSafeCoef, 1);
    // Leaving keeps what the model holds.
    TestKit::Focus(ed->edBatVoltage);
    EXPECT_DOUBLE_EQ(BatSafeCoef, 1);
}

TEST_F(RefusedInputTest, AnEmptiedBoxWritesNothingAndShowsTheModelOnLeaving) {
    PVPower = 500.4; // shown rounded by the integer box
    BatCapacity = 7345.678;
    BatVoltage = 12;
    auto* pv = OpenEditor<TfmPhotovEd>("sbPhotoV");
    ASSERT_NE(pv, nullptr);
    TestKit::Focus(pv->edPhPower);
    pv->edPhPower->SelectAll();
    TestKit::PressKey(VK_DELETE);
    TestKit::ProcessMessages();
    EXPECT_EQ(TestKit::TextOf(pv->edPhPower), "");
    EXPECT_DOUBLE_EQ(PVPower, 500.4);
    TypeInto(pv->edPhPower, "-");
    EXPECT_DOUBLE_EQ(PVPower, 500.4);
    TestKit::Focus(Find<TfmDesign>(fmHolder->pnlHolder, "fmDesign")->upPanel);
    TestKit::ProcessMessages();
    EXPECT_EQ(TestKit::TextOf(pv->edPhPower), "500");
    EXPECT_DOUBLE_EQ(PVPower, 500.4);

    // The battery's Ah display goes on showing the model while a box is empty.
    auto* bat = OpenEditor<TfmBatEd>("sbBat");
    ASSERT_NE(bat, nullptr);
    EXPECT_EQ(TestKit::TextOf(bat->stBatCapA), "612.167");
    TestKit::Focus(bat->edBatVoltage);
    bat->edBatVoltage->SelectAll();
    TestKit::PressKey(VK_DELETE);
    EXPECT_DOUBLE_EQ(BatVoltage, 12);
    EXPECT_EQ(TestKit::TextOf(bat->stBatCapA), "612.167");
    TestKit::Focus(bat->edBateryCap);
    EXPECT_EQ(TestKit::TextOf(bat->edBatVoltage), "12");
    EXPECT_DOUBLE_EQ(BatVoltage, 12);
    EXPECT_DOUBLE_EQ(BatCapacity, 7345.678);
}

TEST_F(RefusedInputTest, DeviceEditorWritesTheRatedPowerAndRefusesANegativeOne) {
    TDeviceEl device;
    device.SetName("Ψυγείο");
    device.SetRatedPower(120.5);
    std::unique_ptr<TfmDevEdit> editor(TfmDevEdit::CreateForDevice(&device));
    editor->Show();
    TestKit::ProcessMessages();
    EXPECT_DOUBLE_EQ(device.RatedPower(), 120.5); // opening writes nothing
    TypeInto(editor->edRATEDPOWER, "250");
    EXPECT_DOUBLE_EQ(device.RatedPower(), 250);
    editor->edRATEDPOWER->StepUp();
    EXPECT_DOUBLE_EQ(device.RatedPower(), 251);
    // The wheel over the box steps it, a notch at a time.
    editor->edRATEDPOWER->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_DOUBLE_EQ(device.RatedPower(), 252);
    editor->edRATEDPOWER->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    editor->edRATEDPOWER->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_DOUBLE_EQ(device.RatedPower(), 250);
    TypeInto(editor->edRATEDPOWER, "251");
    TestKit::Dialogs().Clear();
    for (const char* typed : {"-1", "1000000000001"}) {
        PasteInto(editor->edRATEDPOWER, typed); // a long number does not fit the box typed
        EXPECT_DOUBLE_EQ(device.RatedPower(), 251);
        EXPECT_EQ(TestKit::Dialogs().LastText(), "Επιτρεπτές τιμές: από 0 έως 1000000000000.");
        EXPECT_EQ(TestKit::TextOf(editor->edRATEDPOWER), "251");
    }
    // A factor so small that the year's load could not be divided by is refused as well.
    TestKit::Dialogs().Clear();
    EXPECT_THROW(editor->gdFactorsSetEditText(editor->gdFactors, 1, 5, "1e-12"), EValueRange);
    EXPECT_EQ(device.HourOps().GetFactor(0, 4), 0);
    editor->gdFactorsSetEditText(editor->gdFactors, 1, 5, "1e-9");
    EXPECT_EQ(device.HourOps().GetFactor(0, 4), 1e-9);
}

TEST_F(RefusedInputTest, GridsRefuseNegativeQuantitiesAndKeepTheirValues) {
    // The power curve: speeds and powers.
    auto* wg = OpenEditor<TfmWGEd>("sbWG");
    ASSERT_NE(wg, nullptr);
    const TPwrCurvePoint point = PwrCurve->GetPoint(2);
    EXPECT_THROW(wg->gdPCSetEditText(wg->gdPC, 1, 3, "-1"), EValueRange);
    EXPECT_THROW(wg->gdPCSetEditText(wg->gdPC, 2, 3, "-0.5"), EValueRange);
    EXPECT_THROW(wg->gdPCSetEditText(wg->gdPC, 1, 3, "1000001"), EValueRange);
    EXPECT_THROW(wg->gdPCSetEditText(wg->gdPC, 2, 3, "1e308"), EValueRange);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(2).Speed, point.Speed);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(2).Power, point.Power);
    wg->gdPCSetEditText(wg->gdPC, 2, 3, "0");
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(2).Power, 0);

    // The device list: counts and powers.
    auto device = std::make_unique<TDeviceEl>();
    device->SetRatedPower(60);
    device->SetDevCount(2);
    DevList->Add(std::move(device));
    fmHolder->ShowView(2);
    TestKit::ProcessMessages();
    auto* devices = Find<TfmLoadConstr>(fmHolder->pnlHolder, "fmLoadConstr");
    ASSERT_NE(devices, nullptr);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 2, 1, "-2"), EValueRange);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 4, 1, "-60"), EValueRange);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 2, 1, "1000001"), EValueRange);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 4, 1, "1e308"), EValueRange);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 4, 1, "1e-300"), EValueRange);
    // Numbers no int or double holds are numbers beyond the limit; a count that is no whole
    // number is named, with the allowed values.
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 2, 1, "3000000000"),
                 EValueRange);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 4, 1, "1e400"), EValueRange);
    EXPECT_THROW(devices->gdDevicesSetEditText(devices->gdDevices, 4, 1, "inf"), EValueRange);
    try {
        devices->gdDevicesSetEditText(devices->gdDevices, 2, 1, "2.5");
        ADD_FAILURE() << "a count of 2.5 was taken";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Το '2.5' δεν είναι έγκυρος ακέραιος αριθμός. Επιτρεπτές τιμές: "
                               "από 0 έως 1000000.");
    }
    EXPECT_EQ(DevList->GetDevice(0)->DevCount(), 2);
    EXPECT_DOUBLE_EQ(DevList->GetDevice(0)->RatedPower(), 60);

    // The sunshine factors, typed as a user would: the message shows, the factor stays.
    fmHolder->ShowView(3);
    TestKit::ProcessMessages();
    auto* sun = Find<TfmPhDataEd>(fmHolder->pnlHolder, "fmPhDataEd");
    ASSERT_NE(sun, nullptr);
    const double factor = PhFactors->GetFactor(6, 12);
    TestKit::Dialogs().Clear();
    TestKit::Focus(sun->gdPhData);
    sun->gdPhData->SetCol(6);
    sun->gdPhData->SetRow(13);
    TestKit::TypeText("-0.5");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(6, 12), factor);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "Επιτρεπτές τιμές: από 0 έως 100.");
    EXPECT_THROW(sun->gdPhDataSetEditText(sun->gdPhData, 6, 13, "1e308"), EValueRange);
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(6, 12), factor);
}

} // namespace
