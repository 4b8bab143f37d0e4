// Keyboard journeys through Pelmora's windows: the main window before and after a table is
// opened, the table editor and the chart editor, each walked, left every way and opened
// again, the modal ones also in their own real nested loop.

#include "PelmoraTestSupport.h"

#include "app/tests/KeyWalk.h"
#include "chartdlg/ChartEditor.h"
#include "windrose/TabDataEd.h"

#include <gtest/gtest.h>

namespace {

class RoseKeyboardJourneyTest : public TPelmoraTest {
protected:
    void TearDown() override {
        Application->SetModalHandler([](TCustomForm*) {});
        TPelmoraTest::TearDown();
    }
    KeyWalk::TFaults Faults;
};

TEST_F(RoseKeyboardJourneyTest, MainWindowTableEditorAndChartEditor) {
    // F3 shows the open dialog (cancelled), Ctrl+Ins and Ins copy the rose.
    const KeyWalk::TKeyEffects keys = {KeyWalk::ShowsDialog("F3", "TOpenDialog"),
                                       KeyWalk::CopiesToClipboard("Ctrl+Ins"),
                                       KeyWalk::CopiesToClipboard("Ins"), "Esc"};
    KeyWalk::WalkWindow(Form1, "empty", keys, Faults);
    ASSERT_TRUE(Form1->Showing());
    OpenTable(DataFile("rose12.tab"));
    ASSERT_TRUE(Form1->actEditData->Enabled());
    KeyWalk::WalkWindow(Form1, "with a table", keys, Faults);
    KeyWalk::EveryWayOut<TfmTabDataEd>(
        "table editor", Faults, [] { TestKit::Click(Form1->ToolButton4); },
        [](TfmTabDataEd*) { return KeyWalk::TKeyEffects{}; });
    KeyWalk::EveryWayOut<TChartEditForm>(
        "chart editor", Faults, [] { TestKit::Click(Form1->ToolButton3); },
        [](TChartEditForm* editor) {
            // Ctrl+Tab keeps the chart tab: the series tab is hidden here.
            TPageControl* pages = editor->MainPage;
            return KeyWalk::TKeyEffects{KeyWalk::Changes<int>(
                "Ctrl+Tab", "keeps the chart tab, the only one shown",
                [pages] { return pages->ActivePageIndex(); },
                [editor](const int& before, const int& after) {
                    return after == before && editor->MainPage->ActivePage() == editor->TabChart;
                },
                [pages] { return pages; })};
        },
        KeyWalk::escLeaves);
    // The main window itself: closing it ends the program, whose windows are freed with
    // whatever was open; the program starts again.
    for (const KeyWalk::TExit& e : KeyWalk::kExits) {
        const std::string where = "main window, " + KeyWalk::ExitName(e);
        SCOPED_TRACE(where);
        KeyWalk::Leave(Form1, e.Way, e.Part);
        EXPECT_EQ(Application->Terminated(), e.Way != KeyWalk::woEsc);
        Application->ClearTerminated();
        StopProgram();
        StartProgram();
        OpenTable(DataFile("rose12.tab"));
        KeyWalk::WalkWindow(Form1, where, keys, Faults);
    }
    EXPECT_EQ(Faults.Text(), "");
}

} // namespace
