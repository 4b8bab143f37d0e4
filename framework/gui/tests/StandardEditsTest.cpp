#include "framework/gui/StandardControls.h"

#include "framework/gui/tests/StandardControlsFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>

#include <string>

namespace {

using TestKit::Click;
using TestKit::Focus;
using TestKit::PressKey;
using TestKit::TypeText;

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

// Alt with a letter is a menu or accelerator key: one that none takes leaves the box's
// text and fires no OnKeyPress, while the label's accelerator still moves the focus.
TEST_F(StandardControlsTest, AltWithALetterThatIsNoAcceleratorTypesNothing) {
    auto* edit = Add<TEdit>("edModelName", 100, 10, 150);
    auto* target = Add<TEdit>("edPR", 100, 50);
    auto* label = Add<TLabel>("lbPR", 10, 50);
    label->SetCaption("&Width:");
    label->SetFocusControl(target);
    edit->SetText("AG-3000");
    int presses = 0;
    edit->SetOnKeyPress(TKeyPressEvent([&](TObject*, char32_t&) { ++presses; }));
    Form->Show();
    Focus(edit);
    edit->SelectAll();
    for (int key : {'Q', 'A', 'S', 'T', 'L', 'D', '5'}) {
        PressKey(key, {ssAlt});
        TestKit::ProcessMessages();
        EXPECT_EQ(edit->Text(), "AG-3000") << char(key);
    }
    EXPECT_EQ(presses, 0);
    PressKey('W', {ssAlt});
    EXPECT_TRUE(target->Focused());
    // Without Alt the letter types.
    Focus(edit);
    PressKey(VK_END);
    TypeText("q");
    EXPECT_EQ(edit->Text(), "AG-3000q");
    EXPECT_EQ(presses, 1);
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

} // namespace
