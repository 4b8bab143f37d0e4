#include "framework/gui/StandardControls.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/tests/StandardControlsFixture.h"

#include <gtest/gtest.h>

#include <QScrollBar>

#include <string>
#include <vector>

namespace {

using TestKit::Click;
using TestKit::Focus;
using TestKit::PressKey;
using TestKit::TypeText;

// ---------------------------------------------------------------------------
// Accelerators

TEST(StandardControlsHotkeyTest, AmpersandMarksTheAcceleratorAndDoubledIsALiteral) {
    struct TCase {
        std::string Text;
        char32_t Key;
    } cases[] = {
        {"&Allow Zoom", U'a'}, {"Animated Z&oom", U'o'}, {"Save && Exit", 0}, {"&&A&b", U'b'},
        {"No marks", 0},       {"Trailing&", 0},         {"&Ισχύς", U'ι'},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(GetHotkey(c.Text), c.Key);
        if (c.Key) {
            EXPECT_TRUE(IsAccel(c.Key == U'ι' ? U'Ι' : char32_t(std::toupper(int(c.Key))), c.Text));
        }
    }
}

TEST_F(StandardControlsTest, LabelAcceleratorFocusesItsControlAndAutoSizeFitsTheText) {
    auto* edit = Add<TEdit>("edPR", 100, 10);
    auto* other = Add<TEdit>("edOther", 100, 50);
    auto* label = Add<TLabel>("lbPR", 10, 10);
    label->SetCaption("&Width:");
    label->SetFocusControl(edit);
    Form->Show();
    Focus(other);
    int shortWidth = label->Width();
    EXPECT_GT(shortWidth, 10);
    label->SetCaption("&Width of the panel:");
    EXPECT_GT(label->Width(), shortWidth);
    PressKey('W', {ssAlt});
    EXPECT_TRUE(edit->Focused());
    // A freed focus control is forgotten.
    delete edit;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

// ---------------------------------------------------------------------------
// Buttons

TEST_F(StandardControlsTest, CheckBoxFiresOnClickOnceByMouseSpaceAcceleratorAndProgram) {
    auto* check = Add<TCheckBox>("cbHZCalc", 10, 10, 200);
    check->SetCaption("&Clip Points");
    check->SetOnClick(Log.Note("click"));
    Form->Show();
    Click(check);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(Log.Count("click"), 1);
    Focus(check);
    PressKey(VK_SPACE);
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(Log.Count("click"), 2);
    PressKey('C', {ssAlt});
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(Log.Count("click"), 3);
    check->SetChecked(true); // unchanged: nothing
    EXPECT_EQ(Log.Count("click"), 3);
    check->SetChecked(false);
    EXPECT_EQ(Log.Count("click"), 4);
    EXPECT_EQ(check->Widget()->property("checked").toBool(), false);
}

TEST_F(StandardControlsTest, CheckBoxWithAllowGrayedCyclesThroughThreeStates) {
    auto* check = Add<TCheckBox>("cb", 10, 10);
    check->SetAllowGrayed(true);
    Form->Show();
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        Click(check);
        seen.push_back(check->State());
    }
    EXPECT_EQ(seen, std::vector<TCheckBoxState>({cbGrayed, cbChecked, cbUnchecked}));
}

TEST_F(StandardControlsTest, RadioButtonsOfOneParentExcludeEachOther) {
    auto* a = Add<TRadioButton>("rbA", 10, 10);
    auto* b = Add<TRadioButton>("rbB", 10, 40);
    a->SetOnClick(Log.Note("a"));
    b->SetOnClick(Log.Note("b"));
    Form->Show();
    a->SetChecked(true);
    Click(b);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    Click(b); // already checked: no click
    b->SetChecked(false);
    EXPECT_EQ(Log.Entries, std::vector<std::string>({"a", "b"}));
}

TEST_F(StandardControlsTest, ButtonWithModalResultClosesTheModalForm) {
    auto* dialog = CreateForm<TForm>(nullptr);
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetCaption("OK");
    ok->SetModalResult(mrOk);
    ok->SetOnClick(Log.Note("ok"));
    Application->SetModalHandler([&](TCustomForm*) { Click(ok); });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(dialog->Visible());
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(Log.Count("ok"), 1);
    delete dialog;
}

TEST_F(StandardControlsTest, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
    auto* edit = Add<TEdit>("ed", 10, 10);
    auto* ok = Add<TButton>("btnOK", 10, 50);
    auto* cancel = Add<TButton>("btnCancel", 100, 50);
    auto* other = Add<TButton>("btnOther", 200, 50);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    ok->SetOnClick(Log.Note("ok"));
    cancel->SetOnClick(Log.Note("cancel"));
    other->SetOnClick(Log.Note("other"));
    Form->Show();
    Focus(edit);
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    // The focused button takes Enter for itself.
    Focus(other);
    PressKey(VK_RETURN);
    PressKey(VK_SPACE);
    ok->SetEnabled(false);
    Focus(edit);
    PressKey(VK_RETURN);
    EXPECT_EQ(Log.Entries, std::vector<std::string>({"ok", "cancel", "other", "other"}));
}

// ---------------------------------------------------------------------------
// Group boxes and radio groups

TEST_F(StandardControlsTest, DisabledGroupBoxBlocksItsChildrenButKeepsTheirEnabledState) {
    auto* group = Add<TGroupBox>("gbHZPower", 10, 10, 200, 120);
    group->SetCaption("Ισχύς");
    auto* check = Add<TCheckBox>("cb", 10, 20, 150, 17, group);
    auto* edit = Add<TEdit>("ed", 10, 50, 0, 0, group);
    check->SetOnClick(Log.Note("click"));
    Form->Show();
    group->SetEnabled(false);
    Click(check);
    EXPECT_EQ(Log.Count("click"), 0);
    EXPECT_TRUE(check->Enabled());
    EXPECT_TRUE(edit->Enabled());
    EXPECT_FALSE(check->Widget()->isEnabled());
    EXPECT_FALSE(edit->CanFocus());
    edit->SetEnabled(false);
    group->SetEnabled(true);
    EXPECT_TRUE(check->Widget()->isEnabled());
    EXPECT_FALSE(edit->Widget()->isEnabled());
    Click(check);
    EXPECT_EQ(Log.Count("click"), 1);
}

TEST_F(StandardControlsTest, RadioGroupItemIndexFiresOnClickWhenItChanges) {
    auto* group = Add<TRadioGroup>("edHZConType", 10, 10, 250, 80);
    group->Items()->Add("Στον πίνακα κατανάλωσης");
    group->Items()->Add("Στον φορτιστή μπαταριών");
    std::vector<int> seen;
    group->SetOnClick(TNotifyEvent([&](TObject*) { seen.push_back(group->ItemIndex()); }));
    Form->Show();
    group->SetItemIndex(1);
    group->SetItemIndex(1);
    Click(group->Buttons(0));
    Click(group->Buttons(0));
    group->SetItemIndex(-1); // nothing checked: no click
    EXPECT_EQ(seen, std::vector<int>({1, 0}));
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_FALSE(group->Buttons(0)->Checked());
    EXPECT_EQ(TestKit::TextOf(group->Buttons(1)), "Στον φορτιστή μπαταριών");
}

TEST_F(StandardControlsTest, RadioGroupLaysItsButtonsOutInColumns) {
    auto* group = Add<TRadioGroup>("RGPanning", 10, 10, 210, 100);
    for (const char* s : {"&None", "&Horizontal", "&Vertical", "&Both", "Fifth"})
        group->Items()->Add(s);
    group->SetColumns(2);
    ASSERT_EQ(group->ButtonCount(), 5);
    // Three per column, columns of (210 - 10) / 2 pixels from x = 8.
    EXPECT_EQ(group->Buttons(0)->Left(), 8);
    EXPECT_EQ(group->Buttons(3)->Left(), 108);
    EXPECT_EQ(group->Buttons(3)->Top(), group->Buttons(0)->Top());
    EXPECT_GT(group->Buttons(1)->Top(), group->Buttons(0)->Top());
    EXPECT_EQ(group->Buttons(0)->Width(), 100);
    Form->Show();
    Focus(group->Buttons(0));
    PressKey('V', {ssAlt});
    EXPECT_EQ(group->ItemIndex(), 2);
    group->Items()->Delete(4);
    EXPECT_EQ(group->ButtonCount(), 4);
    EXPECT_EQ(group->ItemIndex(), 2);
}

// ---------------------------------------------------------------------------
// Scroll bars

TEST_F(StandardControlsTest, ScrollBarPositionFiresOnChangeAndUserScrollFiresOnScrollFirst) {
    auto* bar = Add<TScrollBar>("sbZoom", 10, 10, 200);
    bar->SetParams(10, 0, 50);
    bar->SetLargeChange(5);
    bar->SetOnChange(TNotifyEvent(
        [&](TObject*) { Log.Entries.push_back("change " + std::to_string(bar->Position())); }));
    bar->SetOnScroll(TScrollEvent([&](TObject*, TScrollCode code, int& pos) {
        Log.Entries.push_back("scroll " + std::to_string(int(code)) + " " + std::to_string(pos));
    }));
    Form->Show();
    bar->SetPosition(20);
    bar->SetPosition(20);
    bar->SetPosition(99); // clamped to the maximum
    Focus(bar);
    PressKey(VK_LEFT);
    EXPECT_EQ(Log.Entries,
              std::vector<std::string>({"change 20", "change 50", "scroll 0 49", "change 49"}));
    EXPECT_EQ(bar->ScrollWidget()->value(), 49);
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_EQ(bar->Max(), 50);
}

// ---------------------------------------------------------------------------
// Storage by name

TEST_F(StandardControlsTest, PublishedPropertiesAreSetByName) {
    auto* edit = Add<TEdit>("edModelName", 10, 10);
    auto* check = Add<TCheckBox>("cbHZCalc", 10, 40);
    auto* combo = Add<TComboBox>("cbSSn", 10, 70);
    auto* group = Add<TRadioGroup>("edHZConType", 10, 100);
    combo->Items()->SetCommaText("a,b,c");
    group->Items()->SetCommaText("x,y");
    SetStrProp(edit, GetPropInfo(edit, "Text"), "Vestas");
    SetOrdProp(check, GetPropInfo(check, "Checked"), 1);
    SetOrdProp(combo, GetPropInfo(combo, "ItemIndex"), 2);
    SetOrdProp(group, GetPropInfo(group, "ItemIndex"), 1);
    EXPECT_EQ(edit->Text(), "Vestas");
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(GetStrProp(combo, GetPropInfo(combo, "Text")), "c");
    EXPECT_EQ(GetEnumProp(edit, GetPropInfo(edit, "Alignment")), "taLeftJustify");
    EXPECT_EQ(FindClass("TRadioGroup"), TRadioGroup::StaticClass());
}

} // namespace

namespace {

// A change or click handler that raises is reported as the application reports any
// error, and the control goes on working (nothing is left half done inside the toolkit).
TEST_F(StandardControlsTest, RaisingChangeAndClickHandlersAreReportedAndTheControlsGoOn) {
    auto* edit = Add<TEdit>("Edit1", 10, 10, 100, 21);
    auto* button = Add<TButton>("Button1", 10, 40, 75, 25);
    int changes = 0, clicks = 0;
    edit->SetOnChange(TNotifyEvent([&](TObject*) {
        if (++changes == 1)
            throw Exception("change refused");
    }));
    button->SetOnClick(TNotifyEvent([&](TObject*) {
        if (++clicks == 1)
            throw Exception("click refused");
    }));
    Form->Show();
    TestKit::ProcessMessages();
    TestKit::Dialogs().Clear();
    TestKit::Focus(edit);
    TestKit::TypeText("ab");
    EXPECT_EQ(TestKit::TextOf(edit), "ab");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "change refused.");
    TestKit::Click(button);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "click refused.");
    TestKit::Click(button);
    EXPECT_EQ(clicks, 2);
}

} // namespace
