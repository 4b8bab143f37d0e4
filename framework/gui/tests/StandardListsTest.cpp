#include "framework/gui/StandardControls.h"

#include "framework/gui/tests/StandardControlsFixture.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QListWidget>

#include <string>

namespace {

using TestKit::Click;
using TestKit::Focus;
using TestKit::PressKey;
using TestKit::TypeText;

// ---------------------------------------------------------------------------
// Lists

TEST_F(StandardControlsTest, ComboBoxItemIndexByProgramIsSilentAndByUserFiresChangeAndClick) {
    auto* combo = Add<TComboBox>("cbSSn", 10, 10, 150);
    combo->SetStyle(csDropDownList);
    TObject marker;
    combo->Items()->Add("Χειμώνας");
    combo->Items()->AddObject("Καλοκαίρι", &marker);
    combo->Items()->Add("Φθινόπωρο");
    combo->SetDropDownCount(12);
    combo->SetOnChange(Log.Note("change"));
    combo->SetOnClick(Log.Note("click"));
    Form->Show();
    combo->SetItemIndex(0);
    EXPECT_TRUE(Log.Entries.empty());
    EXPECT_EQ(combo->Text(), "Χειμώνας");
    Focus(combo);
    PressKey(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Items()->GetObject(combo->ItemIndex()), &marker);
    EXPECT_EQ(Log.Entries, std::vector<std::string>({"click", "change"}));
    EXPECT_EQ(combo->ComboWidget()->maxVisibleItems(), 12);
    EXPECT_EQ(combo->ComboWidget()->currentText().toStdString(), "Καλοκαίρι");
    combo->SetText("Φθινόπωρο");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(Log.Entries.size(), 2u);
}

TEST_F(StandardControlsTest, ComboBoxDropDownTypingFiresOnChange) {
    auto* combo = Add<TComboBox>("cb", 10, 10, 150);
    combo->Items()->Add("Top Bottom");
    combo->SetOnChange(Log.Note("change"));
    Form->Show();
    combo->SetText("abc");
    EXPECT_EQ(Log.Count("change"), 0);
    Focus(combo);
    combo->SelectAll();
    TypeText("xy");
    EXPECT_EQ(combo->Text(), "xy");
    EXPECT_EQ(Log.Count("change"), 2);
}

TEST_F(StandardControlsTest, ListBoxSelectionByUserFiresOnClickAndByProgramNothing) {
    auto* list = Add<TListBox>("lbPL", 10, 10, 150, 120);
    for (const char* s : {"alpha", "beta", "gamma", "delta"})
        list->Items()->Add(s);
    list->SetOnClick(Log.Note("click"));
    list->SetOnMouseDown(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) {
        Log.Entries.push_back("down " + std::to_string(list->ItemIndex()));
    }));
    Form->Show();
    list->SetItemIndex(3);
    EXPECT_TRUE(Log.Entries.empty());
    TRect r = list->ItemRect(1);
    ASSERT_FALSE(r.IsEmpty());
    TPoint at(r.Left + 5, r.Top + r.Height() / 2);
    EXPECT_EQ(list->ItemAtPos(at, true), 1);
    EXPECT_EQ(list->ItemAtPos(TPoint(20, 115), true), -1);
    EXPECT_EQ(list->ItemAtPos(TPoint(20, 115), false), 4);
    TestKit::ClickAt(list, at);
    EXPECT_EQ(list->ItemIndex(), 1);
    // The list selects before the mouse event reaches the program.
    EXPECT_EQ(Log.Entries, std::vector<std::string>({"click", "down 1"}));
    Focus(list);
    PressKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(Log.Count("click"), 2);
    list->Items()->Clear();
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(StandardControlsTest, MultiSelectListExtendsTheSelectionWithControl) {
    auto* list = Add<TListBox>("lbSeries", 10, 10, 150, 120);
    list->SetMultiSelect(true);
    for (const char* s : {"Series1", "Series2", "Series3"})
        list->Items()->Add(s);
    Form->Show();
    list->SetSelected(0, true);
    EXPECT_EQ(list->SelCount(), 1);
    TRect r = list->ItemRect(2);
    TestKit::ClickAt(list, TPoint(r.Left + 5, r.Top + 3), mbLeft, {ssCtrl});
    EXPECT_TRUE(list->Selected(0));
    EXPECT_TRUE(list->Selected(2));
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_THROW(list->Selected(3), EListError);
}

TEST_F(StandardControlsTest, OwnerDrawListDrawsEachItemAtItsHeight) {
    auto* list = Add<TListBox>("lbColors", 10, 10, 150, 120);
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(20);
    list->Items()->Add("red");
    list->Items()->Add("green");
    std::vector<int> drawn;
    list->SetOnDrawItem(TDrawItemEvent([&](TWinControl*, int index, TRect rect, TOwnerDrawState) {
        drawn.push_back(index);
        EXPECT_EQ(rect.Height(), 20);
        list->Canvas()->Brush()->SetColor(index == 0 ? clRed : clLime);
        list->Canvas()->FillRect(rect);
    }));
    Form->Show();
    QImage img = TestKit::Render(list)->ToImage();
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 1), drawn.end());
    TRect r1 = list->ItemRect(1);
    EXPECT_EQ(r1.Top - list->ItemRect(0).Top, 20);
    EXPECT_EQ(QColor(img.pixel(r1.Left + 20, r1.Top + 10)), QColor(Qt::green));
    EXPECT_EQ(list->ItemAtPos(TPoint(r1.Left + 3, r1.Top + 19), true), 1);
}

} // namespace
