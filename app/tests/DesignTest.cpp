// The design page as a user meets it: the summary, the editors docked one at a time in
// sysHolder, edits reaching the model (and only the user's edits), the power-curve grid's
// insert and delete, the wind-generator editor's F3 through the main window, and the
// power-curve chart docked over the page.

#include "ViewsTestSupport.h"

#include "app/BatEd.h"
#include "app/HZed.h"
#include "app/PhotovEd.h"
#include "app/RestEd.h"
#include "app/design.h"
#include "app/wgEd.h"
#include "framework/core/TextFiles.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/CommonControls.h"
#include "persist/tests/ShownCell.h"

#include <fstream>

namespace {

using TestKit::Find;

class DesignTest : public TProgramTest {
protected:
    TfmDesign* Design() const { return Find<TfmDesign>(fmHolder->pnlHolder, "fmDesign"); }
    TSpeedButton* Button(const std::string& name) const {
        return Find<TSpeedButton>(Design(), name);
    }
    // The forms docked in sysHolder.
    std::vector<TCustomForm*> Editors() const {
        std::vector<TCustomForm*> forms;
        TPanel* holder = Design()->sysHolder;
        for (int i = 0; i < holder->ComponentCount(); ++i)
            if (auto* f = dynamic_cast<TCustomForm*>(holder->Components(i)))
                forms.push_back(f);
        return forms;
    }
    template <class T> T* Editor() const {
        std::vector<TCustomForm*> forms = Editors();
        return forms.size() == 1 ? dynamic_cast<T*>(forms[0]) : nullptr;
    }
    // Selects all of a box's text and types over it, as a user would.
    void TypeInto(TCustomEdit* edit, const std::string& text) {
        TestKit::Focus(edit);
        edit->SelectAll();
        TestKit::TypeText(text);
        TestKit::ProcessMessages();
    }
    int StripBarCount() const {
        int n = 0;
        for (int i = 0; i < fmHolder->Panel1->ControlCount(); ++i)
            n += dynamic_cast<TCoolBar*>(fmHolder->Panel1->Controls(i)) != nullptr;
        return n;
    }
};

TEST_F(DesignTest, SummaryShowsTheModelInTwoDecimals) {
    TfmDesign* d = Design();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(TestKit::TextOf(d->stPhPr), "500.00");
    EXPECT_EQ(TestKit::TextOf(d->stBatCap), "6000.00");
    EXPECT_EQ(TestKit::TextOf(d->stBatVolts), "24.00");
    EXPECT_EQ(TestKit::TextOf(d->stBatCapA), "250.00");
    EXPECT_EQ(TestKit::TextOf(d->stHZPower), "5000.00");
    EXPECT_EQ(TestKit::TextOf(d->stRatedPower), "3000.00");
    EXPECT_EQ(TestKit::TextOf(d->stModelName), "ΑΓ-3000");
    EXPECT_EQ(TestKit::TextOf(d->stVr), "12.00");
    EXPECT_EQ(TestKit::TextOf(d->stHZConType), "Στον πίνακα καταναλώσεων");
    EXPECT_EQ(TestKit::TextOf(d->stHZCalc), "(υπολογ. από τις καταναλώσεις)");
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("design.png")));
    // Every value box of the summary is right-aligned and sunken.
    for (TStaticText* box :
         {d->stRatedPower, d->stModelName, d->stVr, d->stPhPr, d->stHZPower, d->stHZCalc,
          d->stHZConType, d->stBatCap, d->stBatVolts, d->stBatCapA}) {
        EXPECT_EQ(box->Alignment(), taRightJustify) << box->Name();
        EXPECT_EQ(box->BorderStyle(), sbsSunken) << box->Name();
    }

    // Voltage 0: no Ah figure.
    BatVoltage = 0;
    HZCalc = false;
    HZConType = 1;
    Application->Idle();
    EXPECT_EQ(TestKit::TextOf(d->stBatCapA), "-");
    EXPECT_EQ(TestKit::TextOf(d->stHZCalc), "");
    EXPECT_EQ(TestKit::TextOf(d->stHZConType), "Στον φορτιστή μπαταριών");
}

TEST_F(DesignTest, EachEditorDocksAloneWithItsToolBarOnlyWhileShown) {
    ASSERT_NE(Editor<TfmWGEd>(), nullptr);
    EXPECT_TRUE(Button("sbWG")->Down());
    // The wind-generator editor's tool bar sits in the main tool strip with the page's.
    EXPECT_EQ(StripBarCount(), 2);
    ASSERT_NE(StripButton("Εισαγωγή"), nullptr);

    struct {
        const char* Button;
        const char* ClassName;
        const char* Caption;
    } const cases[] = {
        {"sbPhotoV", "TfmPhotovEd", "fmPhotovEd"},       {"SpeedButton3", "TFmHZed", "FmHZed"},
        {"sbBat", "TfmBatEd", "Στοιχεία Συσσωρευτών"},   {"SpeedButton6", "TfmRestED", "fmRestED"},
        {"sbWG", "TfmWGEd", "Στοιχεία Ανεμογεννήτριας"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Button);
        TestKit::Click(Button(c.Button));
        TestKit::ProcessMessages();
        std::vector<TCustomForm*> editors = Editors();
        ASSERT_EQ(editors.size(), 1u);
        EXPECT_EQ(editors[0]->ClassName(), c.ClassName);
        EXPECT_EQ(editors[0]->Caption(), c.Caption);
        EXPECT_EQ(Design()->sysHolder->ComponentCount(), 1);
        EXPECT_TRUE(Button(c.Button)->Down());
        bool wg = std::string(c.ClassName) == "TfmWGEd";
        EXPECT_EQ(StripBarCount(), wg ? 2 : 1);
        EXPECT_EQ(StripButton("Εισαγωγή") != nullptr, wg);
        TestKit::RenderToPng(fmHolder, ShotFile(std::string("design-") + c.ClassName + ".png"));
    }

    // Clicking the down button raises it and leaves its editor where it is.
    TfmWGEd* shown = Editor<TfmWGEd>();
    TestKit::Click(Button("sbWG"));
    TestKit::ProcessMessages();
    EXPECT_FALSE(Button("sbWG")->Down());
    EXPECT_EQ(Editor<TfmWGEd>(), shown);
}

TEST_F(DesignTest, TypingInThePVEditorReachesTheModelAndTheSummaryAtIdle) {
    TestKit::Click(Button("sbPhotoV"));
    TestKit::ProcessMessages();
    auto* ed = Editor<TfmPhotovEd>();
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(TestKit::TextOf(ed->edPhPower), "500");
    TypeInto(ed->edPhPower, "750");
    EXPECT_DOUBLE_EQ(PVPower, 750);
    EXPECT_EQ(TestKit::TextOf(Design()->stPhPr), "500.00");
    Application->Idle();
    EXPECT_EQ(TestKit::TextOf(Design()->stPhPr), "750.00");
}

TEST_F(DesignTest, GeneratorSetCheckBoxEnablesItsGroup) {
    HZCalc = true;
    TestKit::Click(Button("SpeedButton3"));
    TestKit::ProcessMessages();
    auto* ed = Editor<TFmHZed>();
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(ed->cbHZCalc->Checked());
    EXPECT_FALSE(ed->gbHZPower->Enabled());

    TestKit::Click(ed->cbHZCalc);
    EXPECT_FALSE(HZCalc);
    EXPECT_TRUE(ed->gbHZPower->Enabled());
    Application->Idle();
    EXPECT_EQ(TestKit::TextOf(Design()->stHZCalc), "");

    TypeInto(ed->edHZPower, "3500");
    EXPECT_DOUBLE_EQ(HZPower, 3500);
    TestKit::Click(ed->edHZConType->Buttons(1));
    EXPECT_EQ(HZConType, 1);

    TestKit::Click(ed->cbHZCalc);
    EXPECT_TRUE(HZCalc);
    EXPECT_FALSE(ed->gbHZPower->Enabled());
    Application->Idle();
    EXPECT_EQ(TestKit::TextOf(Design()->stHZConType), "Στον φορτιστή μπαταριών");
    EXPECT_EQ(TestKit::TextOf(Design()->stHZPower), "3500.00");
}

TEST_F(DesignTest, OpeningAnEditorNeverChangesTheModel) {
    PwrCurve->SetRatedPower(250.7);
    PVPower = 500.4;
    HZPower = 4999.6;
    HZCalc = false;
    BatCapacity = 7345.678; // as a battery sizing leaves it
    BatSafeCoef = 0.1;
    BatLossesPerHour = 0.0125;
    for (const char* b : {"sbPhotoV", "SpeedButton3", "sbBat", "SpeedButton6", "sbWG"}) {
        TestKit::Click(Button(b));
        TestKit::ProcessMessages();
    }
    EXPECT_DOUBLE_EQ(PwrCurve->RatedPower(), 250.7);
    EXPECT_DOUBLE_EQ(PVPower, 500.4);
    EXPECT_DOUBLE_EQ(HZPower, 4999.6);
    EXPECT_FALSE(HZCalc);
    EXPECT_DOUBLE_EQ(BatCapacity, 7345.678);
    EXPECT_DOUBLE_EQ(BatSafeCoef, 0.1);
    EXPECT_DOUBLE_EQ(BatLossesPerHour, 0.0125);
    // The boxes show the values as their spin edits can.
    auto* wg = Editor<TfmWGEd>();
    ASSERT_NE(wg, nullptr);
    EXPECT_EQ(TestKit::TextOf(wg->edPR), "251");
}

TEST_F(DesignTest, BatteryEditorWritesEachBoxOnlyIntoItsOwnValue) {
    BatCapacity = 7345.678;
    TestKit::Click(Button("sbBat"));
    TestKit::ProcessMessages();
    auto* ed = Editor<TfmBatEd>();
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(TestKit::TextOf(ed->edBateryCap), "7346");
    EXPECT_EQ(TestKit::TextOf(ed->edSafeBatCoef), "10.00");
    EXPECT_EQ(TestKit::TextOf(ed->edBatLossesPerHour), "1.00");
    EXPECT_EQ(TestKit::TextOf(ed->stBatCapA), "306.083");

    TypeInto(ed->edBatVoltage, "12");
    EXPECT_DOUBLE_EQ(BatVoltage, 12);
    EXPECT_DOUBLE_EQ(BatCapacity, 7345.678);
    EXPECT_EQ(TestKit::TextOf(ed->stBatCapA), "612.167");

    TypeInto(ed->edSafeBatCoef, "20.5");
    EXPECT_DOUBLE_EQ(BatSafeCoef, 0.205);
    TypeInto(ed->edBatLossesPerHour, "2.5");
    EXPECT_DOUBLE_EQ(BatLossesPerHour, 0.025);
    EXPECT_DOUBLE_EQ(BatCapacity, 7345.678);

    TypeInto(ed->edBateryCap, "1200");
    EXPECT_DOUBLE_EQ(BatCapacity, 1200);
    EXPECT_EQ(TestKit::TextOf(ed->stBatCapA), "100.000");

    TypeInto(ed->edBatVoltage, "0");
    EXPECT_EQ(TestKit::TextOf(ed->stBatCapA), "Δ/Υ");
    Application->Idle();
    EXPECT_EQ(TestKit::TextOf(Design()->stBatCapA), "-");
}

TEST_F(DesignTest, InsertAndDeleteEditThePowerCurve) {
    auto* ed = Editor<TfmWGEd>();
    ASSERT_NE(ed, nullptr);
    const int n = PwrCurve->PointCount();
    ASSERT_EQ(n, 21); // the cut-out point (25, 0) of the file is dropped
    EXPECT_EQ(ed->gdPC->RowCount(), n + 1);

    TestKit::Click(StripButton("Εισαγωγή"));
    ASSERT_EQ(PwrCurve->PointCount(), n + 1);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(n).Speed, 26);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(n).Power, 2851);
    EXPECT_EQ(ed->gdPC->RowCount(), n + 2);
    EXPECT_EQ(ed->gdPC->Row(), n + 1);

    // Delete removes the point of the current row.
    ed->gdPC->SetRow(2);
    TestKit::Click(StripButton("Διαγραφή"));
    ASSERT_EQ(PwrCurve->PointCount(), n);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(1).Speed, 3.5);

    // An emptied curve keeps one placeholder row; deleting there does nothing, and the
    // first insert adds {0, 0}.
    while (PwrCurve->PointCount() > 0) {
        ed->gdPC->SetRow(1);
        TestKit::Click(StripButton("Διαγραφή"));
    }
    EXPECT_EQ(ed->gdPC->RowCount(), 2);
    TestKit::Click(StripButton("Διαγραφή"));
    EXPECT_EQ(PwrCurve->PointCount(), 0);
    TestKit::Click(StripButton("Εισαγωγή"));
    ASSERT_EQ(PwrCurve->PointCount(), 1);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(0).Speed, 0);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(0).Power, 0);
}

TEST_F(DesignTest, GridCellsShowAndStoreThePoints) {
    auto* ed = Editor<TfmWGEd>();
    ASSERT_NE(ed, nullptr);
    std::string text;
    ed->gdPCGetEditText(ed->gdPC, 1, 3, text);
    EXPECT_EQ(text, "3.500");
    ed->gdPCGetEditText(ed->gdPC, 2, 3, text);
    EXPECT_EQ(text, "30.000");

    // Typed into the cell: stored when the editor closes.
    ed->gdPC->SetCol(2);
    ed->gdPC->SetRow(3);
    TestKit::Focus(ed->gdPC);
    TestKit::TypeText("42.5");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(2).Power, 42.5);

    // Column 0 is not stored; a text that is no number raises and leaves the point.
    ed->gdPCSetEditText(ed->gdPC, 0, 3, "9");
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(2).Speed, 3.5);
    EXPECT_THROW(ed->gdPCSetEditText(ed->gdPC, 1, 3, "abc"), EConvertError);
    EXPECT_DOUBLE_EQ(PwrCurve->GetPoint(2).Speed, 3.5);

    // Model name and rated power boxes write the curve.
    TypeInto(ed->edModelName, "WG-7");
    EXPECT_EQ(PwrCurve->ModelName(), "WG-7");
    TypeInto(ed->edPR, "2800");
    EXPECT_DOUBLE_EQ(PwrCurve->RatedPower(), 2800);
}

TEST_F(DesignTest, APowerTypedIntoTheCurveShowsInItsCellOnEnter) {
    auto* ed = Editor<TfmWGEd>();
    ASSERT_NE(ed, nullptr);
    ed->gdPC->SetCol(2);
    ed->gdPC->SetRow(3);
    TestKit::Focus(ed->gdPC);
    TestKit::ProcessMessages();
    const std::vector<uint8_t> before = ShownCellPixels(ed->gdPC, 2, 3);
    TestKit::TypeText("42.5");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    ASSERT_DOUBLE_EQ(PwrCurve->GetPoint(2).Power, 42.5);
    const std::vector<uint8_t> shown = ShownCellPixels(ed->gdPC, 2, 3);
    EXPECT_EQ(shown, RepaintedCellPixels(ed->gdPC, 2, 3));
    EXPECT_NE(shown, before);
}

TEST_F(DesignTest, F3OnTheMainWindowOpensAPowerCurveInTheDockedEditor) {
    auto* ed = Editor<TfmWGEd>();
    ASSERT_NE(ed, nullptr);
    std::string file = FDir + "/WG-2.pow";
    {
        std::ofstream out(file, std::ios::binary);
        out << "WG-2\r\nκαμπύλη\r\n1 1\r\n0 0\r\n4 100\r\n10 2000\r\n";
    }
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        auto* dlg = dynamic_cast<TOpenDialog*>(shown.Dialog);
        if (!dlg)
            return 0;
        dlg->SetFileName(file);
        return 1;
    });
    TestKit::Focus(ed->gdPC);
    TestKit::PressShortCut("F3");
    TestKit::ProcessMessages();
    ASSERT_EQ(PwrCurve->PointCount(), 3);
    EXPECT_EQ(PwrCurve->ModelName(), "WG-2");
    EXPECT_EQ(ed->gdPC->RowCount(), 4);
    Application->Idle();
    EXPECT_EQ(TestKit::TextOf(Design()->stRatedPower), "2000.00");
}

TEST_F(DesignTest, GraphDocksOnePowerCurveChartWhoseToolBarLeavesWithIt) {
    // Wide enough for the three tool bars side by side in the strip (and within the
    // off-screen test display).
    fmHolder->SetWidth(800);
    TestKit::ProcessMessages();
    TestKit::Click(StripButton("Γράφημα"));
    TestKit::ProcessMessages();
    auto countCharts = [] {
        int n = 0;
        for (int i = 0; i < fmHolder->pnlHolder->ComponentCount(); ++i)
            n += fmHolder->pnlHolder->Components(i)->ClassName() == "TfmPwrCurveGr";
        return n;
    };
    EXPECT_EQ(countCharts(), 1);
    EXPECT_EQ(StripBarCount(), 3);
    TestKit::Click(StripButton("Γράφημα"));
    TestKit::ProcessMessages();
    EXPECT_EQ(countCharts(), 1);
    EXPECT_EQ(StripBarCount(), 3);
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("design-pwrcurve.png")));

    TToolButton* back = StripButton("Επιστροφή");
    ASSERT_NE(back, nullptr);
    TestKit::Click(back);
    TestKit::ProcessMessages();
    EXPECT_EQ(countCharts(), 0);
    EXPECT_EQ(StripBarCount(), 2);
    EXPECT_EQ(StripButton("Επιστροφή"), nullptr);
    // The page and its editor are untouched.
    EXPECT_NE(Editor<TfmWGEd>(), nullptr);
}

} // namespace
