// The status bar: panel widths and parts, validation, owner drawing, timers under the test
// clock, lock keys through the key state and the hook, and the mouse on panels.

#include "controls/fxStatusBar.h"
#include "ControlsTestSupport.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/PlatformCalls.h"
#include "framework/gui/RichEdit.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FxStatusBarTest : public TFxTest {
protected:
    void SetUp() override {
        TFxTest::SetUp();
        MakeForm(500, 120);
        Bar = new TFxStatusBar(Form);
        Bar->SetParent(Form);
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        TFxTest::TearDown();
        OverrideSystemNames(std::nullopt, std::nullopt);
    }
    TFxStatusPanel* AddPanel(const std::string& width, TFxStatusPanelStyle style = psTextOnly) {
        TFxStatusPanel* p = Bar->Panels()->Add();
        p->SetWidth(width);
        p->SetStyle(style);
        return p;
    }
    std::vector<int> Edges() const { return Bar->PartEdges(); }
    // Sets a lock key's toggle as the keyboard state would hold it.
    static void SetToggle(int key, bool on) {
        uint8_t state[256];
        GetKeyboardState(state);
        state[key] = uint8_t((state[key] & ~1) | (on ? 1 : 0));
        SetKeyboardState(state);
    }
    TFxStatusBar* Bar = nullptr;
};

TEST_F(FxStatusBarTest, PanelWidthsGiveThePartEdges) {
    constexpr int kMax = 2147483647, kMin = -kMax - 1;
    // A bar without panels shows one plain part to the right edge with no text.
    EXPECT_EQ(Edges(), std::vector<int>({-1}));
    EXPECT_EQ(Bar->PartText(0), "");
    EXPECT_EQ(Bar->PartFlags(0) & SBT_OWNERDRAW, 0u);

    struct {
        std::vector<std::string> Widths;
        std::vector<int> Pixels;
        std::vector<int> Edges;
    } cases[] = {
        {{"100", "30%", "70%"}, {100, 120, 280}, {100, 220, -1}},
        // Fixed panels use the whole width: the percentage stays unresolved at -1.
        {{"300", "200", "50%", "10"}, {300, 200, -1, 0}, {300, 500, 499, -1}},
        {{"600", "20"}, {500, 0}, {500, -1}},
        // A percentage above 100 takes more than the remainder: the part reaches past the bar.
        {{"100", "150%", "50"}, {100, 525, 50}, {100, 625, -1}},
        {{"100", "2000000000%", "2000000000%"}, {100, kMax, kMax}, {100, kMax, -1}},
        {{"2000000000", "50%"}, {500, -1}, {500, -1}},
        // A negative pixel width gives its room to the percentages.
        {{"-5", "20%", "50"}, {-5, 91, 50}, {-5, 86, -1}},
        {{"-2147483648", "-2147483648", "1%"}, {kMin, kMin, 42949677}, {kMin, kMin, -1}},
    };
    for (auto& c : cases) {
        Bar->Panels()->Clear();
        for (const std::string& w : c.Widths)
            AddPanel(w);
        std::vector<int> pixels;
        for (int i = 0; i < Bar->Panels()->Count(); ++i)
            pixels.push_back(Bar->Panels()->Items(i)->PixelWidth());
        EXPECT_EQ(pixels, c.Pixels) << c.Widths[0];
        EXPECT_EQ(Edges(), c.Edges) << c.Widths[0];
        // Every part of a panel is owner-drawn.
        EXPECT_TRUE(Bar->PartFlags(0) & SBT_OWNERDRAW);
        // Parts past the bar are drawn without harm; what the bar shows stays inside it.
        std::vector<std::string> drawn;
        Bar->SetOnDrawPanel(
            TDrawPanelEvent([&](TFxCustomStatusBar*, TFxStatusPanel* p, const TRect& r) {
                if (r.Left < Bar->Width())
                    drawn.push_back(p->Name());
            }));
        TestKit::Render(Form);
        Bar->SetOnDrawPanel(TDrawPanelEvent());
        EXPECT_FALSE(drawn.empty()) << c.Widths[0];
    }
}

TEST_F(FxStatusBarTest, InvalidWidthsAndDuplicateNamesAreRefused) {
    TFxStatusPanel* p = AddPanel("40");
    const std::string widthMessage =
        "Width must be a valid, positive integer, or must be an integer followed by a \"%\" "
        "sign.";
    for (const char* bad : {"abc", "5x", "-1", "%", "-1%", "5%%"}) {
        try {
            p->SetWidth(bad);
            ADD_FAILURE() << bad;
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(std::string(e.what()), widthMessage) << bad;
        }
        EXPECT_EQ(p->Width(), "40") << bad;
    }
    p->SetWidth("25%");
    EXPECT_EQ(p->Width(), "25%");
    // Any other integer is a pixel width, negative ones too.
    p->SetWidth("-5");
    EXPECT_EQ(p->PixelWidth(), -5);
    p->SetWidth("-5%");
    EXPECT_EQ(p->Width(), "-5%");
    p->SetWidth("0");
    EXPECT_FALSE(p->WidthNeedsStoring());

    // New panels take the first free name; a taken one is refused.
    TFxStatusPanel* second = AddPanel("10");
    EXPECT_EQ(p->Name(), "Panel0");
    EXPECT_EQ(second->Name(), "Panel1");
    try {
        second->SetName("Panel0");
        ADD_FAILURE();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(std::string(e.what()), "A panel named Panel0 already exists.");
    }
    EXPECT_EQ(second->Name(), "Panel1");
    EXPECT_EQ(Bar->Panels()->PanelByName("Panel1"), second);
    // The bar cannot host itself.
    EXPECT_THROW(second->SetComponent(Bar), EInvalidOperation);
}

TEST_F(FxStatusBarTest, PanelsAreOwnerDrawnWithTheirTextAndBevel) {
    TFxStatusPanel* left = AddPanel("200");
    left->SetText("Έτοιμο");
    TFxStatusPanel* right = AddPanel("50%");
    right->SetText("δεξιά");
    right->TextOptions()->SetAlignment(taRightJustify);
    right->SetBevel(pbRaised);
    TFxStatusPanel* plain = AddPanel("10");
    plain->SetText("c"); // a text change repaints; it is sent with the next change
    plain->SetBevel(pbNone);
    plain->TextOptions()->SetAlignment(taCenter);
    EXPECT_EQ(Bar->PartText(1), "\t\tδεξιά");
    EXPECT_EQ(Bar->PartFlags(1), SBT_OWNERDRAW | SBT_POPOUT);
    EXPECT_EQ(Bar->PartText(2), "\tc");
    EXPECT_EQ(Bar->PartFlags(2), SBT_OWNERDRAW | SBT_NOBORDERS);
    std::vector<std::string> drawn;
    Bar->SetOnDrawPanel(TDrawPanelEvent(
        [&](TFxCustomStatusBar*, TFxStatusPanel* p, const TRect&) { drawn.push_back(p->Text()); }));
    left->SetOnDrawText(
        TFxDrawTextEvent([](TFxStatusPanel*, std::string& text, bool&) { text += "!"; }));
    std::string changed;
    left->SetOnTextChanged(
        TFxPanelTextChangedEvent([&](TObject*, const std::string& t) { changed = t; }));
    EXPECT_TRUE(TestKit::RenderToPng(Form, ShotFile("statusbar-panels.png")));
    EXPECT_EQ(drawn, std::vector<std::string>({"Έτοιμο", "δεξιά", "c"}));
    // The text an OnDrawText handler changed is reported as the text shown.
    EXPECT_EQ(changed, "Έτοιμο!");
    EXPECT_EQ(left->Text(), "Έτοιμο");
    // The part rectangles come from the window.
    EXPECT_EQ(left->PanelRect(), TRect(0, 2, 200, 20));
    EXPECT_EQ(Bar->PanelAt(250, 10), right);
    EXPECT_EQ(Bar->PanelAt(250, 0), nullptr);
}

TEST_F(FxStatusBarTest, MoreThanTheMostPartsIsDrawnWithoutRecreatingTheWindow) {
    Bar->Panels()->BeginUpdate();
    for (int i = 0; i < 130; ++i)
        Bar->Panels()->Add()->SetWidth("3");
    Bar->Panels()->EndUpdate();
    EXPECT_EQ(Bar->PartCount(), 128);
    int created = Bar->WindowCreations();
    for (int i = 0; i < 3; ++i) {
        TestKit::Render(Form);
        TestKit::ProcessMessages();
    }
    EXPECT_EQ(Bar->WindowCreations(), created);
}

TEST_F(FxStatusBarTest, ClockAndHintPanelsFollowTheirTimers) {
    HWND h = Bar->Handle();
    TFxStatusPanel* clock = AddPanel("100", psTime);
    TFxStatusPanel* hint = AddPanel("200", psHint);
    EXPECT_TRUE(TimerActive(h, kStatusClockTimer));
    EXPECT_TRUE(TimerActive(h, kStatusHintTimer));
    EXPECT_FALSE(TimerActive(h, kStatusCaretTimer));

    TestKit::Render(Form);
    std::string before = clock->Text();
    EXPECT_EQ(before, FormatDateTime(ShortTimeFormat, Now()));
    std::vector<std::string> clockTexts;
    clock->SetOnTextChanged(
        TFxPanelTextChangedEvent([&](TObject*, const std::string& t) { clockTexts.push_back(t); }));
    TestKit::AdvanceClock(2 * 60 * 1000);
    EXPECT_EQ(clock->Text(), FormatDateTime(ShortTimeFormat, Now()));
    EXPECT_FALSE(clockTexts.empty());

    Application->SetHint("Μια υπόδειξη");
    TestKit::AdvanceClock(100);
    EXPECT_EQ(hint->Text(), "Μια υπόδειξη");
    Application->SetHint("");

    // The timers stop with the last panel of their styles.
    clock->SetStyle(psTextOnly);
    EXPECT_FALSE(TimerActive(h, kStatusClockTimer));
    hint->SetStyle(psDate);
    EXPECT_FALSE(TimerActive(h, kStatusHintTimer));
    EXPECT_TRUE(TimerActive(h, kStatusClockTimer));
}

TEST_F(FxStatusBarTest, LockKeyPanelsShowTheKeyStateAndToggleOnDoubleClick) {
    SetToggle(VK_CAPITAL, false);
    TFxStatusPanel* caps = AddPanel("80", psCapsLock);
    caps->SetText("ignored");
    std::vector<bool> states;
    Bar->SetOnDrawKeyboardState(TDrawKeyboardStateEvent(
        [&](TFxCustomStatusBar*, TFxStatusPanel*, bool on, const TRect&, std::string& caption) {
            states.push_back(on);
            EXPECT_EQ(caption, "Caps");
        }));
    TestKit::Render(Form);
    EXPECT_EQ(caps->Text(), ""); // a key panel shows its caption only
    EXPECT_FALSE(caps->IsTextEnabled());

    // A double click presses the key: the toggle changes and the hook repaints the panel.
    states.clear();
    TestKit::DoubleClickAt(Bar, TPoint(40, 10));
    EXPECT_TRUE(GetKeyState(VK_CAPITAL) & 1);
    ASSERT_FALSE(states.empty());
    EXPECT_TRUE(states.back());
    EXPECT_TRUE(caps->IsTextEnabled());

    // The key typed anywhere repaints the panel through the keyboard hook.
    states.clear();
    TestKit::PressKey(VK_CAPITAL);
    EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 1);
    ASSERT_FALSE(states.empty());
    EXPECT_FALSE(states.back());
    EXPECT_FALSE(caps->IsTextEnabled());
    SetToggle(VK_CAPITAL, false);
}

TEST_F(FxStatusBarTest, MouseEventsReachThePanelUnderTheCursorFirst) {
    TFxStatusPanel* a = AddPanel("100");
    TFxStatusPanel* b = AddPanel("100");
    b->SetHint("Δεύτερο");
    std::vector<std::string> log;
    a->SetOnClick(TNotifyEvent([&](TObject*) { log.push_back("a click"); }));
    b->SetOnClick(TNotifyEvent([&](TObject*) { log.push_back("b click"); }));
    b->SetOnMouseDown(TMouseEvent(
        [&](TObject* s, TMouseButton, TShiftState, int, int) { log.push_back("b down"); }));
    Bar->SetOnClick(TNotifyEvent([&](TObject*) { log.push_back("bar click"); }));
    TestKit::ClickAt(Bar, TPoint(150, 10));
    EXPECT_EQ(log, std::vector<std::string>({"b down", "b click", "bar click"}));
    TestKit::MouseMove(Bar, TPoint(160, 10));
    EXPECT_EQ(Bar->Hint(), "Δεύτερο");
}

TEST_F(FxStatusBarTest, ACaretPanelShowsWhereTheEditorsCaretIsWithinOneTick) {
    auto* editor = new TRichEdit(Form);
    editor->SetParent(Form);
    editor->SetBounds(0, 0, 300, 60);
    TFxStatusPanel* caret = AddPanel("150");
    std::vector<std::string> shown;
    caret->SetOnDrawText(TFxDrawTextEvent(
        [&](TFxStatusPanel*, std::string& text, bool&) { shown.push_back(text); }));
    HWND h = Bar->Handle();
    EXPECT_FALSE(TimerActive(h, kStatusCaretTimer));
    caret->SetComponent(editor);
    EXPECT_EQ(caret->Style(), psRichEditStatus);
    EXPECT_TRUE(TimerActive(h, kStatusCaretTimer));
    EXPECT_EQ(editor->Parent(), Form) << "the editor is followed, not hosted";

    // The caret at the start.
    TestKit::Render(Form);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "Ln: 1, Col: 1");

    // Typing two lines moves the caret to the end of the second; one tick shows it.
    TestKit::Focus(editor);
    TestKit::TypeText("Ανεμογεννήτρια");
    TestKit::PressKey(VK_RETURN);
    TestKit::TypeText("PV 24V");
    EXPECT_EQ(editor->Lines()->Count(), 2);
    TestKit::AdvanceClock(100);
    EXPECT_EQ(shown.back(), "Ln: 2, Col: 7");
    // Up to the first line, then Home; each followed within a tick.
    TestKit::PressKey(VK_UP);
    TestKit::AdvanceClock(100);
    EXPECT_EQ(shown.back(), "Ln: 1, Col: 7");
    TestKit::PressKey(VK_END);
    TestKit::AdvanceClock(100);
    EXPECT_EQ(shown.back(), "Ln: 1, Col: 15");
    // The program moving the caret counts too; a tick without a move draws nothing.
    editor->SetSelStart(17);
    TestKit::AdvanceClock(100);
    EXPECT_EQ(shown.back(), "Ln: 2, Col: 3");
    size_t draws = shown.size();
    TestKit::AdvanceClock(300);
    EXPECT_EQ(shown.size(), draws);
    EXPECT_TRUE(TestKit::RenderToPng(Form, ShotFile("statusbar-caret.png")));

    // Letting the editor go stops the timer with the last caret panel only.
    TFxStatusPanel* second = AddPanel("100");
    second->SetComponent(editor);
    caret->SetComponent(nullptr);
    EXPECT_EQ(caret->Style(), psTextOnly);
    EXPECT_TRUE(TimerActive(h, kStatusCaretTimer));
    second->SetComponent(nullptr);
    EXPECT_FALSE(TimerActive(h, kStatusCaretTimer));
    // So does a freed editor, and a style change.
    caret->SetComponent(editor);
    EXPECT_TRUE(TimerActive(h, kStatusCaretTimer));
    delete editor;
    EXPECT_EQ(caret->Component(), nullptr);
    EXPECT_FALSE(TimerActive(h, kStatusCaretTimer));
    caret->SetStyle(psRichEditStatus);
    EXPECT_TRUE(TimerActive(h, kStatusCaretTimer));
    caret->SetStyle(psTextOnly);
    EXPECT_FALSE(TimerActive(h, kStatusCaretTimer));
}

TEST_F(FxStatusBarTest, AHostedControlFillsItsPanelAndBelongsToOnePanelOnly) {
    TFxStatusPanel* first = AddPanel("150");
    TFxStatusPanel* second = AddPanel("150");
    auto* box = new TPanel(Form);
    box->SetParent(Form);
    first->SetComponent(box);
    EXPECT_EQ(first->Style(), psControl);
    first->SetMargin(2);
    TestKit::Render(Form);
    // The control sits in the panel's drawing rectangle, inside the margin.
    EXPECT_EQ(box->Parent(), Bar);
    EXPECT_EQ(box->BoundsRect(), TRect(3, 5, 147, 17));
    // Another panel taking the control takes it from the first.
    second->SetComponent(box);
    EXPECT_EQ(first->Component(), nullptr);
    EXPECT_EQ(first->Style(), psTextOnly);
    // A freed control leaves its panel with plain text.
    delete box;
    EXPECT_EQ(second->Component(), nullptr);
    EXPECT_EQ(second->Style(), psTextOnly);
    TestKit::Render(Form);
}

TEST_F(FxStatusBarTest, NamePanelsShowWhatFitsTheBuffer) {
    TFxStatusPanel* user = AddPanel("150", psUserName);
    TFxStatusPanel* computer = AddPanel("150", psComputerName);
    std::vector<std::string> shown;
    for (TFxStatusPanel* p : {user, computer})
        p->SetOnTextChanged(
            TFxPanelTextChangedEvent([&](TObject*, const std::string& t) { shown.push_back(t); }));
    OverrideSystemNames(std::string("mixail"), std::string(25, 'c'));
    TestKit::Render(Form);
    // The computer's name does not fit: an empty text is drawn (its panel text is empty
    // too, so nothing is reported).
    EXPECT_EQ(shown, std::vector<std::string>({"mixail"}));
}

} // namespace
