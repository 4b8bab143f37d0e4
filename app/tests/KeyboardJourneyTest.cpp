// Keyboard journeys through the main window: every view reached from every other view, the
// design page's component editors, the charts docked over the views, and the main window
// closed while a cell editor, a drop-down or a menu is open, then shown again. Each walk
// tabs round the whole window and presses the keys a user presses there.

#include "KeyWalk.h"
#include "ViewsTestSupport.h"

#include "app/GraphBaseSt.h"
#include "app/design.h"
#include "app/wgEd.h"
#include "framework/gui/Buttons.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kViewNames[] = {"Σχεδιασμός", "Περίοδοι", "Συσκευές", "Ηλιοφάνεια",
                                  "Αιολ. Δυναμικό"};
// The function keys the views answer: open (F3), battery sizing (F9), chart properties
// (F11), copy a chart (Ctrl+Ins), delete a device (Ctrl+Del).
const std::vector<std::string> kViewKeys = {"F3", "F9", "F11", "Ctrl+Ins", "Ctrl+Del", "Esc"};

// Deleting a device (Ctrl+Del) removes the selected one from the list.
KeyWalk::TKeyEffect DeletesADevice() {
    return KeyWalk::Changes<int>(
        "Ctrl+Del", "removes the selected device", [] { return DevList->Count(); },
        [](const int& before, const int& after) { return after == std::max(0, before - 1); });
}

// The keys a docked chart answers: its properties (F11) open the chart editor, Ctrl+Ins
// copies it.
KeyWalk::TKeyEffects DockedChartKeys() {
    return {KeyWalk::OpensWindow("F11", "TChartEditForm"), KeyWalk::CopiesToClipboard("Ctrl+Ins")};
}

class KeyboardJourneyTest : public TProgramTest {
protected:
    // The wind generator's editor, when it is the one docked in the design page.
    TfmWGEd* WindGeneratorEditor() {
        auto* design = dynamic_cast<TfmDesign*>(fmHolder->CurrentView());
        if (!design)
            return nullptr;
        for (int i = 0; i < design->sysHolder->ControlCount(); ++i)
            if (auto* ed = dynamic_cast<TfmWGEd*>(design->sysHolder->Controls(i));
                ed && ed->Showing())
                return ed;
        return nullptr;
    }
    // The view keys, each one the view answers with what it does: the wind generator's
    // editor opens a power curve (F3), the devices view deletes a device (Ctrl+Del), the
    // wind data sizes the battery and shows the result (F9).
    KeyWalk::TKeyEffects ViewKeys(int view) {
        KeyWalk::TKeyEffects keys;
        for (const std::string& k : kViewKeys) {
            if (k == "F3" && view == 0 && WindGeneratorEditor())
                keys.push_back(KeyWalk::ShowsDialog("F3", "TOpenDialog"));
            else if (k == "Ctrl+Del" && view == 2)
                keys.push_back(DeletesADevice());
            else if (k == "F9" && view == 4)
                keys.push_back(KeyWalk::ShowsDialog("F9", "MessageBox"));
            else
                keys.push_back(k);
        }
        return keys;
    }
    KeyWalk::TFaults Faults;
};

TEST_F(KeyboardJourneyTest, EveryViewReachedFromEveryOtherTakesTheKeyboard) {
    // A device for each walk of the devices view to delete.
    for (int i = 0; i < ViewCount; ++i) {
        auto device = std::make_unique<TDeviceEl>();
        device->SetName("Ψυγείο " + std::to_string(i));
        DevList->Add(std::move(device));
    }
    for (int from = 0; from < ViewCount; ++from)
        for (int to = 0; to < ViewCount; ++to) {
            if (from == to)
                continue;
            const std::string where = std::string(kViewNames[from]) + " > " + kViewNames[to];
            SCOPED_TRACE(where);
            ShowView(from);
            ShowView(to);
            ASSERT_EQ(fmHolder->CurrentView()->ClassType(), ViewClasses[size_t(to)]);
            KeyWalk::WalkWindow(fmHolder, where, ViewKeys(to), Faults);
            ASSERT_TRUE(fmHolder->Showing());
        }
    EXPECT_EQ(Faults.Text(), "");
}

TEST_F(KeyboardJourneyTest, EveryComponentEditorOfTheDesignPage) {
    ShowView(0);
    auto* design = dynamic_cast<TfmDesign*>(fmHolder->CurrentView());
    ASSERT_NE(design, nullptr);
    // Each editor reached from the one before, the first again from the last.
    TSpeedButton* const buttons[] = {design->sbPhotoV, design->SpeedButton3, design->sbBat,
                                     design->SpeedButton6, design->sbWG};
    for (TSpeedButton* button : buttons) {
        const std::string where = "design editor " + button->Name();
        SCOPED_TRACE(where);
        TestKit::Click(button);
        TestKit::ProcessMessages();
        ASSERT_EQ(WindGeneratorEditor() != nullptr, button == design->sbWG);
        KeyWalk::WalkWindow(
            fmHolder, where,
            {WindGeneratorEditor() ? KeyWalk::ShowsDialog("F3", "TOpenDialog") : "F3", "Esc"},
            Faults);
        ASSERT_EQ(fmHolder->CurrentView(), design);
    }
    EXPECT_EQ(Faults.Text(), "");
}

// "Γράφημα" docks a chart over the view, "Επιστροφή" frees it: the keyboard meets neither
// the chart nor its controls afterwards.
TEST_F(KeyboardJourneyTest, EveryDockedChartAndTheViewBack) {
    for (int view : {0, 1, 2, 3}) {
        const std::string where = std::string("chart of ") + kViewNames[view];
        SCOPED_TRACE(where);
        ShowView(view);
        for (int round = 0; round < 2; ++round) {
            ClickStrip("Γράφημα");
            ASSERT_NE(DockedChart(), nullptr);
            KeyWalk::WalkWindow(fmHolder, where, DockedChartKeys(), Faults);
            if (DockedChart())
                ClickStrip("Επιστροφή");
            ASSERT_EQ(DockedChart(), nullptr);
            KeyWalk::TabRounds(fmHolder, where + " back", Faults);
        }
    }
    EXPECT_EQ(Faults.Text(), "");
}

// The main window closed by Esc, by its close box and by the window system while a cell
// editor, a drop-down or a menu of a view is open: closing it ends the program, whose
// windows are freed with the part still open; the program starts again and takes the
// keyboard as before.
TEST_F(KeyboardJourneyTest, MainWindowClosedWhileAPartIsOpen) {
    struct TCase {
        int View;
        KeyWalk::TWayOut Way;
        KeyWalk::TOpenPart Part;
    } const cases[] = {
        {0, KeyWalk::woEsc, KeyWalk::opNothing},
        {0, KeyWalk::woCloseBox, KeyWalk::opNothing},
        {1, KeyWalk::woWindowSystem, KeyWalk::opCellEditor},
        {1, KeyWalk::woWindowSystem, KeyWalk::opDropDown},
        {2, KeyWalk::woWindowSystem, KeyWalk::opCellEditor},
        {3, KeyWalk::woWindowSystem, KeyWalk::opCellEditor},
        {4, KeyWalk::woWindowSystem, KeyWalk::opCellEditor},
        {4, KeyWalk::woWindowSystem, KeyWalk::opMenu},
    };
    for (const TCase& c : cases) {
        const std::string where =
            std::string(kViewNames[c.View]) + " closed with " + KeyWalk::PartName(c.Part) + " open";
        SCOPED_TRACE(where);
        ShowView(c.View);
        EXPECT_TRUE(KeyWalk::Leave(fmHolder, c.Way, c.Part));
        EXPECT_EQ(Application->Terminated(), c.Way != KeyWalk::woEsc);
        Application->ClearTerminated();
        FreeProgramWindows();
        TestKit::ProcessMessages();
        CreateProgramWindows();
        ASSERT_NE(fmHolder, nullptr);
        fmHolder->Show();
        ShowView(c.View);
        KeyWalk::TabRounds(fmHolder, where, Faults);
        EXPECT_TRUE(KeyWalk::OpenPart(fmHolder, c.Part));
        KeyWalk::TabRounds(fmHolder, where + ", again", Faults);
    }
    EXPECT_EQ(Faults.Text(), "");
}

} // namespace
