#include "persist/ExGrids.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"
#include "persist/tests/PersistTestSupport.h"
#include "persist/tests/ShownCell.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// A table window: the grid's cells are texts in a map.
class TfmTable : public TForm {
    ORV_CLASS(TfmTable, TForm)
public:
    explicit TfmTable(TComponent* owner) : TForm(owner) {
        TLoadingBracket loading(this);
        SetBounds(20, 20, 420, 200);
        SetBorderStyle(bsNone);
        Storage = new TFormStorage(this);
        Storage->SetName("FormStorage");
        Storage->SetUseRegistry(true);
        Grid = new TExDrawGrid(this);
        Grid->SetName("gdEditor");
        Grid->SetParent(this);
        Grid->SetBounds(0, 0, 400, 160);
        Grid->SetScrollBars(ssNone);
        Grid->SetColCount(4);
        Grid->SetRowCount(5);
        Grid->SetIniStorage(Storage);
        Grid->SetOnDrawCell(
            TDrawCellEvent([this](TObject*, int c, int r, const TRect& rect, TGridDrawState) {
                Grid->DrawCellLine(rect, Cells[{c, r}], taCenter);
            }));
        Grid->SetOnGetEditText(TGetEditEvent([this](TObject*, int c, int r, std::string& text) {
            text = Cells[{c, r}];
        }));
        Grid->SetOnSetEditText(
            TSetEditEvent([this](TObject*, int c, int r, const std::string& text) {
                Cells[{c, r}] = text;
                Commits.push_back(text);
            }));
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 4; ++c)
                Cells[{c, r}] = std::to_string(c) + "," + std::to_string(r);
    }
    TPoint CellCenter(int c, int r) {
        TRect rect = Grid->CellRect(c, r);
        return TPoint((rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2);
    }
    TFormStorage* Storage;
    TExDrawGrid* Grid;
    std::map<std::pair<int, int>, std::string> Cells;
    std::vector<std::string> Commits;
};

class ExGridsTest : public TTempStoreTest {
protected:
    void SetUp() override {
        TTempStoreTest::SetUp();
        Form = new TfmTable(nullptr);
        Form->Show();
        TestKit::ProcessMessages();
        Grid = Form->Grid;
    }
    void TearDown() override {
        delete Form;
        TTempStoreTest::TearDown();
    }
    // Opens the pick list of an editable cell in column 1 whose list holds the items.
    TPopupListbox* OpenPickList(int row, const std::vector<std::string>& items) {
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->SetOnGetEditStyle(TEditStyleEvent(
            [](TObject*, int, int, TInplaceEditStyle& style) { style = iePickList; }));
        Grid->SetOnGetPicklist(TPicklistEvent([items](TObject*, int, int, TStrings* list) {
            for (const auto& item : items)
                list->Add(item);
        }));
        TestKit::Focus(Grid);
        Grid->SetCol(1);
        Grid->SetRow(row);
        TestKit::PressKey(VK_F2);
        auto* editor = Grid->ExInplaceEditor();
        if (editor == nullptr)
            return nullptr;
        TestKit::PressKey(VK_DOWN, {ssAlt});
        return editor->ListVisible() ? editor->PickList() : nullptr;
    }
    TfmTable* Form = nullptr;
    TExDrawGrid* Grid = nullptr;
};

TEST_F(ExGridsTest, FixedCellsClickLikeButtons) {
    std::vector<std::pair<int, int>> clicks;
    Grid->SetFixedButtons(true);
    Grid->SetOnCheckButton(
        TFixedCellCheckEvent([](TObject*, int, int r, bool& enabled) { enabled = r == 0; }));
    Grid->SetOnFixedCellClick(TFixedCellClickEvent([&](TObject*, int c, int r) {
        clicks.push_back({c, r});
    }));

    // A refused button beeps.
    int beeps = BeepCount();
    TestKit::ClickAt(Grid, Form->CellCenter(0, 1));
    EXPECT_EQ(BeepCount() - beeps, 1);
    EXPECT_TRUE(clicks.empty());

    // Pressed, dragged off and released elsewhere: nothing.
    TestKit::MouseDown(Grid, Form->CellCenter(2, 0));
    EXPECT_TRUE(Grid->FixedButtonDown());
    TestKit::MouseMove(Grid, Form->CellCenter(2, 2), {ssLeft});
    EXPECT_FALSE(Grid->FixedButtonDown());
    TestKit::MouseUp(Grid, Form->CellCenter(2, 2));
    EXPECT_TRUE(clicks.empty());

    // Off and back on keeps the press alive; the release on the cell clicks once.
    TestKit::MouseDown(Grid, Form->CellCenter(2, 0));
    TestKit::MouseMove(Grid, Form->CellCenter(3, 3), {ssLeft});
    TestKit::MouseMove(Grid, Form->CellCenter(2, 0), {ssLeft});
    EXPECT_TRUE(Grid->FixedButtonDown());
    EXPECT_TRUE(TestKit::RenderToPng(Form, FDir + "/ex_grid_pressed.png"));
    TestKit::MouseUp(Grid, Form->CellCenter(2, 0));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 0}}));
    EXPECT_FALSE(Grid->FixedButtonDown());
    EXPECT_EQ(GetCapture(), HWND(0));
    EXPECT_TRUE(TestKit::RenderToPng(Form, FDir + "/ex_grid.png"));
}

TEST_F(ExGridsTest, DoubleClicksPressTwiceAndReachOnMouseDown) {
    std::vector<std::pair<int, int>> clicks;
    std::vector<bool> downs; // the double-click flag of each OnMouseDown
    int doubleClicks = 0;
    Grid->SetFixedButtons(true);
    Grid->SetOnFixedCellClick(TFixedCellClickEvent([&](TObject*, int c, int r) {
        clicks.push_back({c, r});
    }));
    Grid->SetOnMouseDown(TMouseEvent([&](TObject*, TMouseButton, TShiftState s, int, int) {
        downs.push_back(s.Contains(ssDouble));
    }));
    Grid->SetOnDblClick(TNotifyEvent([&](TObject*) { ++doubleClicks; }));

    TestKit::DoubleClickAt(Grid, Form->CellCenter(1, 0));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 0}, {1, 0}}));
    EXPECT_EQ(downs, (std::vector<bool>{false, true}));
    EXPECT_EQ(doubleClicks, 0);

    clicks.clear();
    TestKit::DoubleClickAt(Grid, Form->CellCenter(2, 2));
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ExGridsTest, ModalMessageInOnMouseDownStartsNoTracking) {
    std::vector<std::pair<int, int>> clicks;
    Grid->SetFixedButtons(true);
    Grid->SetOnFixedCellClick(TFixedCellClickEvent([&](TObject*, int c, int r) {
        clicks.push_back({c, r});
    }));
    Grid->SetOnMouseDown(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) {
        Application->MessageBox("EN", "", MB_OK);
    }));
    // The user lets the button go while the message is shown.
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog&) {
        TestKit::MouseUp(Grid, Form->CellCenter(3, 0));
        return 1;
    });
    TestKit::MouseDown(Grid, Form->CellCenter(3, 0));
    EXPECT_EQ(TestKit::Dialogs().LastText(), "EN");
    EXPECT_FALSE(Grid->FixedButtonDown());
    EXPECT_FALSE(Grid->MouseCapture());
    TestKit::MouseMove(Grid, Form->CellCenter(3, 0));
    TestKit::MouseUp(Grid, Form->CellCenter(3, 0));
    EXPECT_TRUE(clicks.empty());
}

TEST_F(ExGridsTest, EscapeCancelsAndOnlyModifiedTextReachesTheCell) {
    int cancels = 0;
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    Grid->SetOnCancelEdit(TNotifyEvent([&](TObject*) { ++cancels; }));
    TestKit::Focus(Grid);
    Grid->SetCol(2);
    Grid->SetRow(2);

    TestKit::TypeText("77");
    TestKit::ProcessMessages();
    ASSERT_NE(Grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(Grid->InplaceEditor()->Visible());
    EXPECT_EQ(TestKit::TextOf(Grid->InplaceEditor()), "77");
    TestKit::PressKey(VK_ESCAPE);
    EXPECT_FALSE(Grid->InplaceEditor()->Visible());
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(Form->Commits.empty());
    EXPECT_EQ((Form->Cells[{2, 2}]), "2,2");

    // Visiting cells with the editor shown writes nothing back.
    TestKit::PressKey(VK_F2);
    TestKit::PressKey(VK_DOWN);
    TestKit::PressKey(VK_UP);
    EXPECT_TRUE(Form->Commits.empty());
    // A typed value goes to its cell once, when the editor is left.
    Grid->InplaceEditor()->SelectAll();
    TestKit::TypeText("9");
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(Form->Commits, std::vector<std::string>{"9"});
    EXPECT_EQ((Form->Cells[{2, 2}]), "9");
}

TEST_F(ExGridsTest, EnterShowsTheNewValueInItsCellAtOnce) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    TestKit::Focus(Grid);
    Grid->SetCol(2);
    Grid->SetRow(2);
    TestKit::ProcessMessages();
    const std::vector<uint8_t> before = ShownCellPixels(Grid, 2, 2);
    TestKit::TypeText("1234");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    ASSERT_EQ((Form->Cells[{2, 2}]), "1234");
    // The cell stays current: what it shows is what a paint of the whole grid shows.
    EXPECT_EQ(Grid->Row(), 2);
    const std::vector<uint8_t> shown = ShownCellPixels(Grid, 2, 2);
    EXPECT_EQ(shown, RepaintedCellPixels(Grid, 2, 2));
    EXPECT_NE(shown, before);
}

TEST_F(ExGridsTest, PickListOpensBelowWithTypeAhead) {
    const std::vector<std::string> items = {"alpha", "beta",  "bravo",   "charlie",
                                            "delta", "echo",  "foxtrot", "golf",
                                            "hotel", "india", "juliet",  "kilo"};
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    Grid->SetOnGetEditStyle(TEditStyleEvent([](TObject*, int c, int, TInplaceEditStyle& style) {
        if (c == 1)
            style = iePickList;
    }));
    Grid->SetOnGetPicklist(TPicklistEvent([&](TObject*, int, int, TStrings* list) {
        for (const auto& s : items)
            list->Add(s);
    }));
    TestKit::Focus(Grid);
    Grid->SetCol(1);
    Grid->SetRow(1);
    TestKit::PressKey(VK_F2);
    auto* editor = Grid->ExInplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->EditStyle(), iePickList);
    TestKit::PressKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(editor->ListVisible());
    TPopupListbox* list = editor->PickList();
    EXPECT_EQ(list->Height(), 8 * 11 + 4);
    EXPECT_EQ(list->Width(), editor->Width() + GetSystemMetrics(SM_CXVSCROLL));
    const TPoint editorOnScreen = editor->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(list->Left(), editorOnScreen.X);
    EXPECT_EQ(list->Top(), editorOnScreen.Y + editor->Height());
    EXPECT_EQ(list->ItemIndex(), -1); // the text "1,1" is no item
    EXPECT_TRUE(editor->Focused());

    TestKit::TypeText("b");
    EXPECT_EQ(list->ItemIndex(), 1); // beta
    TestKit::AdvanceClock(1000);
    TestKit::TypeText("r");
    EXPECT_EQ(list->ItemIndex(), 2); // bravo
    TestKit::AdvanceClock(4001);
    TestKit::TypeText("c");
    EXPECT_EQ(list->ItemIndex(), 3); // charlie alone
    TestKit::PressKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 4);
    EXPECT_TRUE(TestKit::RenderToPng(Form, FDir + "/ex_grid_editor.png"));
    EXPECT_TRUE(TestKit::RenderToPng(list, FDir + "/ex_grid_picklist.png"));
    TestKit::PressKey(VK_RETURN);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(TestKit::TextOf(editor), "delta");
    // The chosen value counts as typed.
    TestKit::PressKey(VK_DOWN);
    EXPECT_EQ(Form->Commits, std::vector<std::string>{"delta"});
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST_F(ExGridsTest, PickListTypeAheadTakesGreekLetters) {
    TPopupListbox* list = OpenPickList(1, {"Συνεχής", "Καθημερινές", "Σαββατοκύριακα"});
    ASSERT_NE(list, nullptr);
    TestKit::TypeText("Κ");
    EXPECT_EQ(list->ItemIndex(), 1);
    TestKit::TypeText("σ"); // no item begins "Κσ": the selection stays
    EXPECT_EQ(list->ItemIndex(), 1);
    TestKit::AdvanceClock(4001);
    TestKit::TypeText("σα");
    EXPECT_EQ(list->ItemIndex(), 2);
    // The search holds 32 letters, however many bytes they take.
    list->Items()->Clear();
    list->Items()->Add(Repeat("Α", 30) + "Β");
    list->Items()->Add(Repeat("Α", 30) + "Γ");
    TestKit::AdvanceClock(4001);
    TestKit::TypeText(Repeat("Α", 30) + "Γ");
    EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ExGridsTest, PickListNearTheScreenBottomOpensAboveAndEnterWithoutChoiceEmpties) {
    Form->SetTop(GetSystemMetrics(SM_CYSCREEN) - 120);
    TPopupListbox* list = OpenPickList(4, {"one", "two"});
    ASSERT_NE(list, nullptr);
    auto* editor = Grid->ExInplaceEditor();
    EXPECT_EQ(list->Height(), 2 * 11 + 4);
    EXPECT_EQ(list->Top() + list->Height(), editor->ClientToScreen(TPoint(0, 0)).Y);
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(TestKit::TextOf(editor), "");
}

TEST_F(ExGridsTest, ColumnWidthsAreKeptWithThePlacement) {
    Grid->SetColWidths(2, 150);
    Grid->SetColWidths(0, 30);
    Form->Close();
    delete Form;
    Form = nullptr;
    EXPECT_EQ(Idents("TfmTablegdEditor"),
              (std::set<std::string>{"Item0", "Item1", "Item2", "Item3"}));
    EXPECT_EQ(Value("TfmTablegdEditor", "Item2"), "150");
    EXPECT_EQ(Sections(), (std::set<std::string>{"TfmTable", "TfmTablegdEditor"}));

    Form = new TfmTable(nullptr);
    EXPECT_EQ(Form->Grid->ColWidths(2), 64);
    Form->Show();
    EXPECT_EQ(Form->Grid->ColWidths(2), 150);
    EXPECT_EQ(Form->Grid->ColWidths(0), 30);
    EXPECT_EQ(Form->Grid->ColWidths(1), 64);
}

} // namespace
