#include "framework/gui/StandardControls.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QWidget>

#include <string>
#include <vector>

namespace {

using TestKit::Click;
using TestKit::Focus;
using TestKit::PressKey;
using TestKit::TypeText;

// Counts the events of the controls it is attached to, in order.
struct TEventLog {
    std::vector<std::string> Entries;
    TNotifyEvent Note(const std::string& what) {
        return TNotifyEvent([this, what](TObject*) { Entries.push_back(what); });
    }
    int Count(const std::string& what) const {
        return int(std::count(Entries.begin(), Entries.end(), what));
    }
};

class StandardControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = CreateForm<TForm>(nullptr);
        Form->SetName("fmTest");
        Form->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override { delete Form; }

    template <class T>
    T* Add(const std::string& name, int left, int top, int width = 0, int height = 0,
           TWinControl* parent = nullptr) {
        T* c = new T(Form);
        c->SetName(name);
        c->SetParent(parent ? parent : Form);
        c->SetBounds(left, top, width ? width : c->Width(), height ? height : c->Height());
        return c;
    }

    TForm* Form = nullptr;
    TEventLog Log;
};

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
// Edits

TEST_F(StandardControlsTest, EditTypedTextFiresOnChangePerCharacterAndSetsModified) {
    auto* edit = Add<TEdit>("edModelName", 10, 10, 150);
    edit->SetOnChange(Log.Note("change"));
    Form->Show();
    Focus(edit);
    TypeText("Aβ1");
    EXPECT_EQ(edit->Text(), "Aβ1");
    EXPECT_EQ(Log.Count("change"), 3);
    EXPECT_TRUE(edit->Modified());
    PressKey(VK_BACK);
    EXPECT_EQ(edit->Text(), "Aβ");
    EXPECT_EQ(Log.Count("change"), 4);
}

TEST_F(StandardControlsTest, EditTextSetByProgramFiresOnChangeOnceWhenItHasAWindow) {
    auto* edit = Add<TEdit>("edPhPower", 10, 10);
    edit->SetOnChange(Log.Note("change"));
    // Without a window the text is only stored.
    edit->SetText("12");
    EXPECT_EQ(Log.Count("change"), 0);
    Form->Show();
    EXPECT_EQ(TestKit::TextOf(edit), "12");
    edit->SetText("250");
    EXPECT_EQ(Log.Count("change"), 1);
    edit->SetText("250");
    EXPECT_EQ(Log.Count("change"), 1);
    EXPECT_FALSE(edit->Modified());
    Focus(edit);
    TypeText("0");
    EXPECT_TRUE(edit->Modified());
    edit->SetText("1");
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(Log.Count("change"), 3);
}

TEST_F(StandardControlsTest, EditMaxLengthLimitsTypingButNotTheProgram) {
    auto* edit = Add<TEdit>("ed", 10, 10);
    edit->SetMaxLength(3);
    Form->Show();
    Focus(edit);
    TypeText("12345");
    EXPECT_EQ(edit->Text(), "123");
    edit->SetText("123456");
    EXPECT_EQ(edit->Text(), "123456");
}

TEST_F(StandardControlsTest, EditReadOnlyRefusesTypingCutAndPaste) {
    auto* edit = Add<TEdit>("ed", 10, 10);
    Form->Show();
    edit->SetText("abc");
    edit->SetReadOnly(true);
    Focus(edit);
    TypeText("x");
    edit->SelectAll();
    QApplication::clipboard()->setText("zz");
    PressKey('V', {ssCtrl});
    PressKey('X', {ssCtrl});
    EXPECT_EQ(edit->Text(), "abc");
    edit->SetReadOnly(false);
    edit->SelectAll();
    PressKey('X', {ssCtrl});
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "abc");
    PressKey(VK_INSERT, {ssShift});
    EXPECT_EQ(edit->Text(), "abc");
}

// An edit in the manner of a spin edit: digits only, paste refused, Enter counted.
class TDigitEdit : public TCustomEdit {
public:
    explicit TDigitEdit(TComponent* owner) : TCustomEdit(owner) {}
    int Pastes = 0;
    int Exits = 0;
    int Paints = 0;

protected:
    void HandleKeyPress(char32_t& key) override {
        if (key >= 0x20 && (key < '0' || key > '9'))
            key = 0;
        if (key == 8 && Text() == "0")
            key = 0; // the last digit stays
        TCustomEdit::HandleKeyPress(key);
    }
    void HandlePaste(TMessage&) override { ++Pastes; }
    void HandleExit() override {
        TCustomEdit::HandleExit();
        ++Exits;
    }
    void PaintWindowContent(TCanvas* canvas) override {
        ++Paints;
        canvas->Brush()->SetColor(clRed);
        canvas->FillRect(TRect(Width() - 12, 0, Width(), Height()));
    }
};

TEST_F(StandardControlsTest, EditOverridesSeeKeysPasteExitAndPaintOverTheWidget) {
    auto* edit = new TDigitEdit(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, 10, 100, 24);
    auto* other = Add<TEdit>("other", 10, 50);
    Form->Show();
    Focus(edit);
    TypeText("1a2");
    EXPECT_EQ(edit->Text(), "12");
    PressKey(VK_BACK);
    PressKey(VK_BACK);
    EXPECT_EQ(edit->Text(), "");
    edit->SetText("0");
    PressKey(VK_BACK);
    EXPECT_EQ(edit->Text(), "0");
    PressKey('V', {ssCtrl});
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Pastes, 2);
    Focus(other);
    EXPECT_EQ(edit->Exits, 1);
    // The editable rectangle keeps the text out of the right strip the override paints.
    edit->SetEditRect(TRect(2, 2, edit->Width() - 14, edit->Height()));
    EXPECT_EQ(edit->EditRect(), TRect(2, 2, 86, 24));
    EXPECT_GT(edit->LineEdit()->textMargins().right(), 0);
    QImage img = TestKit::Render(edit)->ToImage();
    EXPECT_GT(edit->Paints, 0);
    EXPECT_EQ(QColor(img.pixel(edit->Width() - 5, 12)), QColor(Qt::red));
}

TEST_F(StandardControlsTest, EditAutoSelectSelectsAllWhenEnteredByKeyboard) {
    auto* first = Add<TEdit>("first", 10, 10);
    auto* edit = Add<TEdit>("ed", 10, 50);
    edit->SetText("123.5");
    Form->Show();
    Focus(first);
    PressKey(VK_TAB);
    ASSERT_TRUE(edit->Focused());
    EXPECT_EQ(edit->SelLength(), 5);
    EXPECT_EQ(edit->SelText(), "123.5");
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    EXPECT_EQ(edit->SelText(), "23");
    edit->SetSelText("xy");
    EXPECT_EQ(edit->Text(), "1xy.5");
}

// A container that takes its children's change notifications for itself.
class TConsumingPanel : public TCustomControl {
public:
    explicit TConsumingPanel(TComponent* owner) : TCustomControl(owner) {
        FControlStyle.Include(csAcceptsControls);
    }
    int Notifications = 0;
    void HandleMessage(TMessage& message) override {
        if (message.Msg == WM_COMMAND && HIWORD(message.WParam) == EN_CHANGE) {
            ++Notifications;
            return;
        }
        TCustomControl::HandleMessage(message);
    }
};

TEST_F(StandardControlsTest, EditChangeNotificationGoesThroughTheParent) {
    auto* panel = new TConsumingPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 200, 100);
    auto* edit = Add<TEdit>("ed", 10, 10, 0, 0, panel);
    edit->SetOnChange(Log.Note("change"));
    Form->Show();
    Focus(edit);
    TypeText("ab");
    edit->SetText("c");
    EXPECT_EQ(panel->Notifications, 3);
    EXPECT_EQ(Log.Count("change"), 0);
    EXPECT_EQ(edit->Text(), "c");
}

TEST_F(StandardControlsTest, EditKeepsTextSelectionAndModifiedAcrossRecreation) {
    auto* edit = Add<TEdit>("ed", 10, 10);
    Form->Show();
    Focus(edit);
    TypeText("4500");
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    edit->SetAlignment(taRightJustify);
    EXPECT_EQ(edit->Text(), "4500");
    EXPECT_EQ(edit->SelText(), "50");
    EXPECT_TRUE(edit->Modified());
    EXPECT_TRUE(edit->LineEdit()->alignment() & Qt::AlignRight);
}

TEST_F(StandardControlsTest, MemoLinesAndTypingFireOnChange) {
    auto* memo = Add<TMemo>("mmNotes", 10, 10, 200, 100);
    memo->SetOnChange(Log.Note("change"));
    Form->Show();
    memo->Lines()->Add("Α");
    memo->Lines()->Add("B");
    EXPECT_EQ(Log.Count("change"), 2);
    EXPECT_EQ(memo->Text(), "Α\r\nB");
    memo->Lines()->BeginUpdate();
    memo->Lines()->Add("C");
    memo->Lines()->Delete(0);
    memo->Lines()->EndUpdate();
    EXPECT_EQ(Log.Count("change"), 3);
    Focus(memo);
    TypeText("x");
    EXPECT_EQ(Log.Count("change"), 4);
    EXPECT_TRUE(memo->Modified());
    EXPECT_EQ(memo->Lines()->Count(), 2);
    memo->SetText("one\r\ntwo\r\nthree");
    EXPECT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Lines()->Get(2), "three");
    EXPECT_EQ(Log.Count("change"), 5);
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
