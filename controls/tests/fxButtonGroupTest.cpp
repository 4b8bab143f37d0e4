// The button group: grid layout, group indexes of new buttons, keyboard navigation, the
// bold caption and the change events around a click.

#include "controls/fxButtonGroup.h"
#include "controls/fxShapeBtn.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FxButtonGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 400, 400);
        Group = new TFxButtonGroup(Form);
        Group->SetParent(Form);
        Group->SetBounds(10, 10, 201, 92);
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    void AddItems(int n) {
        for (int i = 0; i < n; ++i)
            Group->Items()->Add();
    }
    TFxCustomBitBtn* Button(int i) const { return Group->Items()->Items(i)->Button(); }
    TForm* Form = nullptr;
    TFxButtonGroup* Group = nullptr;
};

TEST_F(FxButtonGroupTest, ButtonsFillAGridColumnByColumn) {
    Group->SetColumns(2);
    AddItems(5);
    // Columns of 3 and 2 buttons; width (201 - 1) / 2 = 100, height (92 - 2) / 3 = 30.
    struct {
        int Index;
        TRect Bounds;
    } cases[] = {
        {0, TRect(0, 0, 100, 30)},   {1, TRect(0, 31, 100, 61)},   {2, TRect(0, 62, 100, 92)},
        {3, TRect(101, 0, 201, 30)}, {4, TRect(101, 31, 201, 61)},
    };
    for (auto& c : cases)
        EXPECT_EQ(Button(c.Index)->BoundsRect(), c.Bounds) << c.Index;
    // Horizontal: full columns of two buttons, then a column of one.
    Group->SetLayout(loHorizontal);
    EXPECT_EQ(Button(2)->BoundsRect().Top, 0);
    EXPECT_EQ(Button(2)->BoundsRect().Left, Button(0)->BoundsRect().Right + 1);
    EXPECT_EQ(Button(1)->BoundsRect().Left, 0);
}

TEST_F(FxButtonGroupTest, LeftoverPixelsGoToTheFirstRowAndColumn) {
    Group->SetBounds(10, 10, 103, 52); // one column; rows of (52 - 2) / 3 = 16, 2 left over
    AddItems(3);
    EXPECT_EQ(Button(0)->BoundsRect(), TRect(0, 0, 103, 17));
    EXPECT_EQ(Button(1)->BoundsRect(), TRect(0, 18, 103, 35));
    EXPECT_EQ(Button(2)->BoundsRect(), TRect(0, 36, 103, 52));
}

TEST_F(FxButtonGroupTest, ASizeLimitSpreadsTheLeftoverInEqualShares) {
    // Limit 10 leaves 100 - 4 * 10 - 3 = 57 px: shares of Ceil(57 / 4) = 15 until used up.
    Group->SetGroupMetric(10);
    Group->SetBounds(10, 10, 60, 100);
    AddItems(4);
    std::vector<int> heights, tops;
    for (int i = 0; i < 4; ++i) {
        heights.push_back(Button(i)->Height());
        tops.push_back(Button(i)->Top());
    }
    EXPECT_EQ(heights, (std::vector<int>{25, 25, 25, 22}));
    EXPECT_EQ(tops, (std::vector<int>{0, 26, 52, 78}));
    // Four columns of one: (106 - 3) / 4 = 25 wide, the 3 px left go one each to the first.
    Group->SetColumns(4);
    Group->SetBounds(10, 10, 106, 60);
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i)
        widths.push_back(Button(i)->Width());
    EXPECT_EQ(widths, (std::vector<int>{26, 26, 26, 25}));
    // A limit on the widths of the horizontal layout takes them as they are.
    Group->SetLayout(loHorizontal);
    Group->SetColumns(1);
    Group->SetBounds(10, 10, 100, 60);
    widths.clear();
    for (int i = 0; i < 4; ++i)
        widths.push_back(Button(i)->Width());
    EXPECT_EQ(widths, (std::vector<int>{10, 10, 10, 10}));
}

TEST_F(FxButtonGroupTest, AGroupIsOpaqueWhileItsButtonsMove) {
    Group->SetTransparent(true);
    AddItems(3);
    TestKit::ProcessMessages();
    std::vector<bool> seen;
    for (int i = 0; i < 3; ++i)
        Button(i)->SetOnResize(
            TNotifyEvent([&](TObject*) { seen.push_back(Group->Transparent()); }));
    Group->SetBounds(10, 10, 201, 150);
    EXPECT_EQ(seen, std::vector<bool>({false, false, false}));
    EXPECT_TRUE(Group->Transparent());
}

TEST_F(FxButtonGroupTest, NewButtonsTakeTheirGroupIndexFromTheClickStyle) {
    AddItems(1);
    EXPECT_EQ(Button(0)->GroupIndex(), 1);
    EXPECT_FALSE(Button(0)->AllowAllUp());
    Group->Items()->Clear();
    Group->SetClickStyle(kGroupClickIndependent);
    AddItems(2);
    EXPECT_EQ(Button(0)->GroupIndex(), 2);
    EXPECT_TRUE(Button(0)->AllowAllUp());
    EXPECT_EQ(Button(1)->GroupIndex(), 3);
    // The buttons are of the group's class and owned by the form.
    EXPECT_EQ(Button(0)->ClassName(), "TFxShapeBtn");
    EXPECT_EQ(Button(0)->Owner(), Form);
    EXPECT_THROW(Group->SetButtonClassName("TNoSuchButton"), EClassNotFound);
    EXPECT_EQ(Group->ButtonClassName(), "TFxShapeBtn");
}

TEST_F(FxButtonGroupTest, ArrowKeysMoveTheSelectionAround) {
    AddItems(4);
    struct {
        int From;
        int Key;
        int To;
    } cases[] = {
        {2, VK_HOME, 0}, {0, VK_UP, 3},    {3, VK_DOWN, 0}, {1, VK_END, 3},
        {1, VK_LEFT, 0}, {1, VK_RIGHT, 2}, {2, 'A', 2},
    };
    TestKit::Focus(Group);
    for (auto& c : cases) {
        Group->Items()->Items(c.From)->SetSelected(true);
        TestKit::PressKey(c.Key);
        ASSERT_NE(Group->SelectedItem(), nullptr);
        EXPECT_EQ(Group->SelectedItem()->Index(), c.To) << c.From << " " << c.Key;
    }
}

TEST_F(FxButtonGroupTest, ClickingAButtonSelectsItInBoldWithEvents) {
    AddItems(3);
    Group->Items()->Items(0)->SetSelected(true);
    std::vector<std::string> log;
    auto name = [](TFxButtonGroupItem* i) { return i ? std::to_string(i->Index()) : "-"; };
    Group->SetOnChanging(TFxButtonGroupChangeEvent(
        [&](TFxCustomButtonGroup*, TFxButtonGroupItem* o, TFxButtonGroupItem* n) {
            log.push_back("changing " + name(o) + ">" + name(n));
        }));
    Group->SetOnChange(TFxButtonGroupChangeEvent(
        [&](TFxCustomButtonGroup*, TFxButtonGroupItem* o, TFxButtonGroupItem* n) {
            log.push_back("change " + name(o) + ">" + name(n));
        }));
    TestKit::Click(Button(2));
    EXPECT_EQ(log, std::vector<std::string>({"changing 0>2", "change 0>2"}));
    EXPECT_TRUE(Button(2)->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(Button(0)->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(Button(0)->Down());
    // AutoBold off removes the bold once and sets none again.
    Group->SetAutoBold(false);
    EXPECT_FALSE(Button(2)->Font()->Style().Contains(fsBold));
    TestKit::Click(Button(1));
    EXPECT_FALSE(Button(1)->Font()->Style().Contains(fsBold));
}

TEST_F(FxButtonGroupTest, AButtonTakenOutOfTheGroupTakesItsItem) {
    AddItems(3);
    TFxCustomBitBtn* b = Button(1);
    b->SetParent(Form);
    EXPECT_EQ(Group->Items()->Count(), 2);
    EXPECT_EQ(Group->Items()->FindByButton(b), nullptr);
    delete b;
    // Freeing an item frees its button.
    TFxCustomBitBtn* last = Button(1);
    std::string name = last->Name();
    delete Group->Items()->Items(1);
    EXPECT_EQ(Form->FindComponent(name), nullptr);
}

// A button freed while it sits in the group (its owner frees it) takes its item too: the
// group is told of it only once the button is no more than a control.
TEST_F(FxButtonGroupTest, AButtonFreedInTheGroupTakesItsItem) {
    AddItems(3);
    TFxCustomBitBtn* b = Button(1);
    TFxCustomBitBtn* last = Button(2);
    delete b;
    ASSERT_EQ(Group->Items()->Count(), 2);
    EXPECT_EQ(Group->Items()->FindByButton(b), nullptr);
    EXPECT_EQ(Button(1), last);
    // The item selected before is freed with its button: the next change names no old
    // item rather than the freed one.
    TestKit::Click(Button(0));
    TestKit::Click(last);
    std::vector<TFxButtonGroupItem*> olds;
    Group->SetOnChanging(
        TFxButtonGroupChangeEvent([&](TFxCustomButtonGroup*, TFxButtonGroupItem* o,
                                      TFxButtonGroupItem*) { olds.push_back(o); }));
    delete Button(0); // the item of the last selection but one
    delete last;      // the selected item
    ASSERT_EQ(Group->Items()->Count(), 0);
    AddItems(1);
    TestKit::Click(Button(0));
    EXPECT_EQ(olds, std::vector<TFxButtonGroupItem*>({nullptr}));
}

} // namespace
