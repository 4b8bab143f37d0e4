#include "framework/gui/CommonControls.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Menus.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A window control with a text that reports each change of it, as an edit does.
class TTextBox : public TCustomControl {
public:
    explicit TTextBox(TComponent* owner) : TCustomControl(owner) {
        SetBounds(0, 0, 100, 21);
        SetTabStop(true);
    }
    void SetText(const std::string& value) override {
        TCustomControl::SetText(value);
        if (Log)
            Log->push_back("change " + value);
    }
    std::vector<std::string>* Log = nullptr;
};

// Records the scroll notifications an up-down sends itself.
class TRecordingUpDown : public TUpDown {
public:
    explicit TRecordingUpDown(TComponent* owner) : TUpDown(owner) {}
    std::vector<int> Positions;

protected:
    void HandleMessage(TMessage& m) override {
        if (m.Msg == CN_VSCROLL && LOWORD(m.WParam) == SB_THUMBPOSITION)
            Positions.push_back(int16_t(HIWORD(m.WParam)));
        TUpDown::HandleMessage(m);
    }
};

class CommonControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetName("fmCom");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    static TColor Pixel(const QImage& image, int x, int y) {
        return QColorToColor(image.pixelColor(x, y));
    }
    // A list of images each filled with one colour.
    TImageList* SolidImages(const std::string& name, std::vector<TColor> colors) {
        auto* list = new TImageList(Form, 16, 16);
        list->SetName(name);
        for (TColor c : colors) {
            TBitmap bmp(16, 16);
            bmp.Canvas()->Brush()->SetColor(c);
            bmp.Canvas()->FillRect(TRect(0, 0, 16, 16));
            list->Add(&bmp, nullptr);
        }
        return list;
    }
    TForm* Form = nullptr;
};

// ---------------------------------------------------------------------------
// Up-down

struct TUpDownFixture {
    TTextBox* Box;
    TUpDown* UpDown;
    std::vector<std::string> Log;
};

TEST_F(CommonControlsTest, UpDownPositionSetByProgramRewritesTheAssociatesTextOnly) {
    TUpDownFixture f;
    f.Box = new TTextBox(Form);
    f.Box->SetBounds(10, 10, 100, 21);
    f.Box->SetParent(Form);
    f.UpDown = new TUpDown(Form);
    f.UpDown->SetMax(5000);
    f.UpDown->SetAssociate(f.Box);
    // Placed at the edge of the associate, which makes room for it.
    int w = f.UpDown->Width();
    EXPECT_EQ(f.Box->Width(), 100 - w);
    EXPECT_EQ(f.UpDown->BoundsRect(), TRect(110 - w, 10, 110, 31));
    EXPECT_EQ(f.Box->Text(), "0");
    f.Box->Log = &f.Log;
    f.UpDown->SetOnClick(TUDClickEvent([&](TObject*, TUDBtnType) { f.Log.push_back("click"); }));
    f.UpDown->SetOnChanging(
        TUDChangingEvent([&](TObject*, bool&) { f.Log.push_back("changing"); }));
    f.UpDown->SetPosition(7);
    f.UpDown->SetPosition(7); // unchanged: nothing
    f.UpDown->SetPosition(1234);
    f.UpDown->SetPosition(9999); // beyond Max
    std::string thousands = std::string("1") + ThousandSeparator + "234";
    std::string limit = std::string("5") + ThousandSeparator + "000";
    EXPECT_EQ(f.Log,
              std::vector<std::string>({"change 7", "change " + thousands, "change " + limit}));
    EXPECT_EQ(f.UpDown->Position(), 5000);
    // A number typed into the associate is the position; text that is no number is not.
    f.Box->SetText("42");
    EXPECT_EQ(f.UpDown->Position(), 42);
    f.Box->SetText("abc");
    EXPECT_EQ(f.UpDown->Position(), 42);
    f.Box->SetText(thousands);
    EXPECT_EQ(f.UpDown->Position(), 1234);
}

TEST_F(CommonControlsTest, UpDownClickedByUserAsksChangesTheTextThenClicks) {
    auto* box = new TTextBox(Form);
    box->SetParent(Form);
    auto* ud = new TRecordingUpDown(Form);
    ud->SetMin(0);
    ud->SetMax(3);
    ud->SetAssociate(box);
    std::vector<std::string> log;
    box->Log = &log;
    bool allow = true;
    ud->SetOnChanging(TUDChangingEvent([&](TObject*, bool& a) {
        log.push_back("changing");
        a = allow;
    }));
    ud->SetOnClick(TUDClickEvent(
        [&](TObject*, TUDBtnType b) { log.push_back(b == btNext ? "next" : "prev"); }));
    Form->Show();
    TPoint up(ud->Width() / 2, 3), down(ud->Width() / 2, ud->Height() - 3);
    TestKit::ClickAt(ud, up);
    EXPECT_EQ(log, std::vector<std::string>({"changing", "change 1", "next"}));
    log.clear();
    TestKit::ClickAt(ud, down);
    TestKit::ClickAt(ud, down); // at Min: asked, but no change and no click
    EXPECT_EQ(log, std::vector<std::string>({"changing", "change 0", "prev", "changing"}));
    EXPECT_EQ(ud->Positions, std::vector<int>({1, 0, 0}));
    log.clear();
    allow = false;
    TestKit::ClickAt(ud, up);
    EXPECT_EQ(log, std::vector<std::string>({"changing"}));
    EXPECT_EQ(ud->Position(), 0);
    // With Wrap, stepping below Min goes to Max.
    allow = true;
    ud->SetWrap(true);
    log.clear();
    TestKit::ClickAt(ud, down);
    EXPECT_EQ(ud->Position(), 3);
    EXPECT_EQ(box->Text(), "3");
}

TEST_F(CommonControlsTest, UpDownRepeatsWhileHeldAndStepsFromTheAssociatesArrowKeys) {
    auto* box = new TTextBox(Form);
    box->SetParent(Form);
    auto* ud = new TUpDown(Form);
    ud->SetAssociate(box);
    ud->SetIncrement(2);
    Form->Show();
    TestKit::MouseDown(ud, TPoint(3, 3));
    EXPECT_EQ(ud->Position(), 2);
    TestKit::AdvanceClock(399);
    EXPECT_EQ(ud->Position(), 2);
    TestKit::AdvanceClock(1);
    EXPECT_EQ(ud->Position(), 4);
    TestKit::AdvanceClock(200);
    EXPECT_EQ(ud->Position(), 8);
    TestKit::MouseUp(ud, TPoint(3, 3));
    TestKit::AdvanceClock(500);
    EXPECT_EQ(ud->Position(), 8);

    uint16_t seenByBox = 0;
    box->SetOnKeyDown(TKeyEvent([&](TObject*, uint16_t& key, TShiftState) { seenByBox = key; }));
    TestKit::Focus(box);
    TestKit::PressKey(VK_UP);
    EXPECT_EQ(ud->Position(), 10);
    TestKit::PressKey(VK_DOWN);
    TestKit::PressKey(VK_DOWN);
    EXPECT_EQ(ud->Position(), 6);
    EXPECT_EQ(box->Text(), "6");
    EXPECT_EQ(seenByBox, 0); // the up-down took the arrows
    // Without ArrowKeys the associate keeps its arrows.
    ud->SetArrowKeys(false);
    TestKit::PressKey(VK_UP);
    EXPECT_EQ(ud->Position(), 6);
    EXPECT_EQ(seenByBox, VK_UP);
}

TEST_F(CommonControlsTest, UpDownMessagesSetThePositionAndTheKeyBuddy) {
    auto* box = new TTextBox(Form);
    box->SetParent(Form);
    auto* ud = new TUpDown(Form);
    ud->SetParent(Form);
    ud->SetMin(-1);
    ud->SetMax(1);
    Form->Show();
    ud->Perform(UDM_SETBUDDY, WPARAM(box->Handle()));
    EXPECT_EQ(ud->Perform(UDM_GETBUDDY), LRESULT(box->Handle()));
    TestKit::Focus(box);
    TestKit::PressKey(VK_UP);
    EXPECT_EQ(ud->Position(), 1);
    EXPECT_EQ(box->Text(), ""); // a key buddy's text is not the position
    ud->Perform(UDM_SETPOS, 0, MAKELPARAM(0xFFFF, 0));
    EXPECT_EQ(ud->Position(), -1);
    // A freed buddy is forgotten.
    delete box;
    EXPECT_EQ(ud->Perform(UDM_GETBUDDY), 0);
}

// ---------------------------------------------------------------------------
// Page control and tab control

struct TPages {
    TPageControl* Control;
    std::vector<TTabSheet*> Sheets;
    std::vector<std::string> Log;
};

TPages MakePages(TForm* form, int count) {
    TPages p;
    p.Control = new TPageControl(form);
    p.Control->SetName("pc");
    p.Control->SetBounds(0, 0, 300, 200);
    p.Control->SetParent(form);
    for (int i = 0; i < count; ++i) {
        auto* sheet = new TTabSheet(form);
        sheet->SetName("ts" + std::to_string(i));
        sheet->SetCaption("Page " + std::to_string(i));
        sheet->SetPageControl(p.Control);
        p.Sheets.push_back(sheet);
    }
    return p;
}

void LogPageEvents(TPages& p, bool* allow = nullptr) {
    p.Control->SetOnChanging(TTabChangingEvent([&p, allow](TObject*, bool& a) {
        p.Log.push_back("changing from " + p.Control->ActivePage()->Name());
        if (allow)
            a = *allow;
    }));
    p.Control->SetOnChange(TNotifyEvent(
        [&p](TObject*) { p.Log.push_back("change to " + p.Control->ActivePage()->Name()); }));
}

TEST_F(CommonControlsTest, PageControlActivePageSetByProgramFiresNothing) {
    TPages p = MakePages(Form, 3);
    LogPageEvents(p);
    Form->Show();
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[0]);
    EXPECT_TRUE(p.Sheets[0]->Visible());
    p.Control->SetActivePage(p.Sheets[2]);
    p.Control->SetActivePageIndex(1);
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[1]);
    EXPECT_EQ(p.Control->TabIndex(), 1);
    EXPECT_TRUE(p.Sheets[1]->Visible());
    EXPECT_FALSE(p.Sheets[0]->Visible());
    EXPECT_FALSE(p.Sheets[2]->Visible());
    EXPECT_EQ(p.Sheets[1]->BoundsRect(), p.Control->DisplayRect());
    EXPECT_TRUE(p.Log.empty());
}

TEST_F(CommonControlsTest, PageControlTabClickedByUserAsksThenChanges) {
    TPages p = MakePages(Form, 3);
    bool allow = true;
    LogPageEvents(p, &allow);
    Form->Show();
    TRect tab = p.Control->TabRect(2);
    TestKit::ClickAt(p.Control, TPoint(tab.Left + 5, tab.Top + 5));
    EXPECT_EQ(p.Log, std::vector<std::string>({"changing from ts0", "change to ts2"}));
    p.Log.clear();
    allow = false;
    tab = p.Control->TabRect(1);
    TestKit::ClickAt(p.Control, TPoint(tab.Left + 5, tab.Top + 5));
    EXPECT_EQ(p.Log, std::vector<std::string>({"changing from ts2"}));
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[2]);
    // Clicking the selected tab asks nothing.
    p.Log.clear();
    tab = p.Control->TabRect(2);
    TestKit::ClickAt(p.Control, TPoint(tab.Left + 5, tab.Top + 5));
    EXPECT_TRUE(p.Log.empty());
}

TEST_F(CommonControlsTest, PageControlHiddenTabsKeepPageIndexes) {
    TPages p = MakePages(Form, 4);
    LogPageEvents(p);
    Form->Show();
    p.Sheets[1]->SetTabVisible(false);
    struct TRow {
        int Page, PageIndex, TabIndex;
    };
    const TRow rows[] = {{0, 0, 0}, {1, 1, -1}, {2, 2, 1}, {3, 3, 2}};
    for (const TRow& r : rows) {
        EXPECT_EQ(p.Sheets[r.Page]->PageIndex(), r.PageIndex);
        EXPECT_EQ(p.Sheets[r.Page]->TabIndex(), r.TabIndex);
    }
    // The second tab on screen is page 2.
    TRect tab = p.Control->TabRect(1);
    TestKit::ClickAt(p.Control, TPoint(tab.Left + 5, tab.Top + 5));
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[2]);
    EXPECT_EQ(p.Control->ActivePageIndex(), 2);
    // Hiding the active page's tab shows the page whose tab takes its place, silently.
    p.Log.clear();
    p.Sheets[2]->SetTabVisible(false);
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[3]);
    EXPECT_TRUE(p.Log.empty());
    // A page whose tab is hidden can still be made active by the program.
    p.Control->SetActivePage(p.Sheets[1]);
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[1]);
    EXPECT_EQ(p.Control->TabIndex(), -1);
    EXPECT_EQ(p.Control->FindNextPage(p.Sheets[3], true, true), p.Sheets[0]);
    EXPECT_EQ(p.Control->FindNextPage(p.Sheets[0], true, false), p.Sheets[1]);
    // Showing tabs again restores them in page order.
    p.Sheets[2]->SetTabVisible(true);
    p.Sheets[1]->SetTabVisible(true);
    EXPECT_EQ(p.Sheets[2]->TabIndex(), 2);
    EXPECT_EQ(p.Control->TabIndex(), 1);
    // Freeing a page renumbers the ones after it.
    delete p.Sheets[0];
    EXPECT_EQ(p.Control->PageCount(), 3);
    EXPECT_EQ(p.Sheets[3]->PageIndex(), 2);
}

TEST_F(CommonControlsTest, PageControlHotTracksAndChangesPagesFromTheKeyboard) {
    TPages p = MakePages(Form, 3);
    p.Control->SetHotTrack(true);
    auto* box = new TTextBox(Form);
    box->SetParent(p.Sheets[0]);
    LogPageEvents(p);
    Form->Show();
    TRect tab = p.Control->TabRect(1);
    TestKit::MouseMove(p.Control, TPoint(tab.Left + 5, tab.Top + 5));
    EXPECT_EQ(p.Control->HotTabIndex(), 1);
    QImage img = TestKit::Render(p.Control)->ToImage();
    // The caption in the hot colour (dark blue), its smoothed edges blue-tinted too.
    int hot = 0;
    for (int y = tab.Top; y < tab.Bottom; ++y)
        for (int x = tab.Left; x < tab.Right; ++x) {
            const QColor c = img.pixelColor(x, y);
            hot += c.blue() - std::max(c.red(), c.green()) > 40;
        }
    EXPECT_GT(hot, 5);
    TestKit::MouseMove(p.Control, TPoint(150, 150));
    EXPECT_EQ(p.Control->HotTabIndex(), -1);

    // Ctrl+Tab in a page moves to the next page as a click would.
    TestKit::Focus(box);
    TestKit::PressShortCut("Ctrl+Tab");
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[1]);
    EXPECT_EQ(p.Log, std::vector<std::string>({"changing from ts0", "change to ts1"}));
    // Arrow keys move between tabs when the control has the focus.
    p.Log.clear();
    TestKit::Focus(p.Control);
    TestKit::PressKey(VK_RIGHT);
    EXPECT_EQ(p.Control->ActivePage(), p.Sheets[2]);
    EXPECT_EQ(p.Log, std::vector<std::string>({"changing from ts1", "change to ts2"}));
}

TEST_F(CommonControlsTest, TabControlTabIndexSetByProgramFiresNothingButUserClickDoes) {
    auto* tc = new TTabControl(Form);
    tc->SetBounds(0, 0, 300, 150);
    tc->SetParent(Form);
    tc->Tabs()->Add("Standard");
    tc->Tabs()->Add("Functions");
    std::vector<std::string> log;
    tc->SetOnChanging(TTabChangingEvent([&](TObject*, bool&) { log.push_back("changing"); }));
    tc->SetOnChange(
        TNotifyEvent([&](TObject*) { log.push_back("change " + std::to_string(tc->TabIndex())); }));
    Form->Show();
    tc->SetTabIndex(1);
    tc->SetTabIndex(0);
    EXPECT_TRUE(log.empty());
    TRect tab = tc->TabRect(1);
    TestKit::ClickAt(tc, TPoint(tab.Left + 4, tab.Top + 4));
    EXPECT_EQ(log, std::vector<std::string>({"changing", "change 1"}));
    // A child aligned to the client fills the display area.
    auto* inside = new TPanel(Form);
    inside->SetAlign(alClient);
    inside->SetParent(tc);
    EXPECT_EQ(inside->BoundsRect(), tc->DisplayRect());
    EXPECT_GT(tc->DisplayRect().Top, tab.Bottom);
}

// ---------------------------------------------------------------------------
// Header control

TEST_F(CommonControlsTest, HeaderSectionsAreClickedAndResizedByTheUser) {
    auto* hc = new THeaderControl(Form);
    hc->SetParent(Form);
    for (auto [text, width] : {std::pair{"Α", 60}, std::pair{"Β", 80}}) {
        THeaderSection* s = hc->Sections()->Add();
        s->SetText(text);
        s->SetWidth(width);
    }
    hc->Sections()->Items(1)->SetMinWidth(30);
    std::vector<std::string> log;
    hc->SetOnSectionClick(TSectionNotifyEvent(
        [&](THeaderControl*, THeaderSection* s) { log.push_back("click " + s->Text()); }));
    hc->SetOnSectionResize(TSectionNotifyEvent([&](THeaderControl*, THeaderSection* s) {
        log.push_back("resize " + std::to_string(s->Width()));
    }));
    Form->Show();
    TestKit::ClickAt(hc, TPoint(100, 8));
    TestKit::Drag(hc, TPoint(60, 8), TPoint(90, 8));
    EXPECT_EQ(hc->Sections()->Items(0)->Width(), 90);
    EXPECT_EQ(hc->Sections()->Items(1)->Left(), 90);
    TestKit::Drag(hc, TPoint(170, 8), TPoint(100, 8)); // below the minimum
    EXPECT_EQ(log, std::vector<std::string>({"click Β", "resize 90", "resize 30"}));
}

// ---------------------------------------------------------------------------
// Tool bars

TEST_F(CommonControlsTest, ToolBarLaysOutButtonsAndCheckButtonsToggleBeforeOnClick) {
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    bar->SetButtonWidth(30);
    bar->SetButtonHeight(26);
    auto add = [&](const std::string& name, TToolButtonStyle style, bool grouped) {
        auto* b = new TToolButton(Form);
        b->SetName(name);
        b->SetStyle(style);
        b->SetGrouped(grouped);
        b->SetParent(bar);
        return b;
    };
    TToolButton* large = add("tbnLarge", tbsCheck, true);
    TToolButton* list = add("tbnList", tbsCheck, true);
    TToolButton* sep = add("sep", tbsSeparator, false);
    TToolButton* toggle = add("toggle", tbsCheck, false);
    TToolButton* drop = add("drop", tbsDropDown, false);
    EXPECT_EQ(large->BoundsRect(), TRect(0, 0, 30, 26));
    EXPECT_EQ(list->Left(), 30);
    EXPECT_EQ(sep->BoundsRect(), TRect(60, 0, 68, 26));
    EXPECT_EQ(toggle->Left(), 68);
    EXPECT_EQ(drop->Width(), 30 + TToolButton::kDropDownWidth);
    EXPECT_EQ(bar->ContentWidth(), 98 + 30 + TToolButton::kDropDownWidth);

    std::vector<std::string> log;
    for (TToolButton* b : {large, list, toggle})
        b->SetOnClick(TNotifyEvent([&log](TObject* s) {
            auto* b = static_cast<TToolButton*>(s);
            log.push_back(b->Name() + (b->Down() ? " down" : " up"));
        }));
    list->SetDown(true); // by the program: nothing fires
    EXPECT_TRUE(log.empty());
    Form->Show();
    TestKit::Click(large);
    TestKit::Click(large); // the group needs one button down
    TestKit::Click(toggle);
    TestKit::Click(toggle);
    EXPECT_EQ(log, std::vector<std::string>(
                       {"tbnLarge down", "tbnLarge down", "toggle down", "toggle up"}));
    EXPECT_FALSE(list->Down());
    // With AllowAllUp the down button of the group comes up.
    large->SetAllowAllUp(true);
    TestKit::Click(large);
    EXPECT_FALSE(large->Down());
    EXPECT_FALSE(list->Down());
}

TEST_F(CommonControlsTest, ToolBarWrapsButtonsOnANarrowBar) {
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    bar->SetAutoSize(true);
    for (int i = 0; i < 5; ++i) {
        auto* b = new TToolButton(Form);
        b->SetParent(bar);
    }
    bar->SetAlign(alNone);
    bar->SetWidth(50);
    EXPECT_EQ(bar->Buttons(2)->BoundsRect(), TRect(0, 22, 23, 44));
    EXPECT_EQ(bar->Height(), 66);
}

TEST_F(CommonControlsTest, DropDownButtonPopsItsMenuFromTheArrowOnly) {
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    auto* menu = new TPopupMenu(Form);
    auto* b = new TToolButton(Form);
    b->SetStyle(tbsDropDown);
    b->SetDropdownMenu(menu);
    b->SetParent(bar);
    int popups = 0, clicks = 0;
    menu->SetOnPopup(TNotifyEvent([&](TObject*) { ++popups; }));
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    Form->Show();
    TestKit::ClickAt(b, TPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popups, 0);
    TestKit::ClickAt(b, TPoint(b->Width() - 4, 5));
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(menu->PopupComponent(), b);
    menu->CloseUp();
    delete menu;
    EXPECT_EQ(b->DropdownMenu(), nullptr);
}

TEST_F(CommonControlsTest, ToolButtonFollowsItsActionAndRunsIt) {
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    bar->SetShowCaptions(true);
    auto* actions = new TActionList(Form);
    auto* action = new TAction(Form);
    action->SetActionList(actions);
    action->SetCaption("Ιδιότητες");
    action->SetImageIndex(1);
    int executed = 0;
    action->SetOnExecute(TNotifyEvent([&](TObject*) { ++executed; }));
    auto* b = new TToolButton(Form);
    b->SetParent(bar);
    b->SetAction(action);
    EXPECT_EQ(b->Caption(), "Ιδιότητες");
    EXPECT_EQ(b->ImageIndex(), 1);
    Form->Show();
    TestKit::Click(b);
    EXPECT_EQ(executed, 1);
    action->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    TestKit::Click(b);
    EXPECT_EQ(executed, 1);
    delete action;
    EXPECT_EQ(b->Action(), nullptr);
}

TEST_F(CommonControlsTest, ToolButtonDrawsNormalHotAndDisabledImages) {
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    bar->SetFlat(true);
    bar->SetImages(SolidImages("grays", {clRed}));
    bar->SetHotImages(SolidImages("hots", {clBlue}));
    auto* b = new TToolButton(Form);
    b->SetImageIndex(0);
    b->SetParent(bar);
    Form->Show();
    const TPoint centre = TestKit::Center(b);
    auto shown = [&] { return Pixel(TestKit::Render(b)->ToImage(), centre.X, centre.Y); };
    EXPECT_EQ(shown(), ColorToRGB(clRed));
    TestKit::MouseMove(b, centre);
    EXPECT_TRUE(b->Hot());
    EXPECT_EQ(shown(), ColorToRGB(clBlue));
    TestKit::MouseMove(bar, TPoint(bar->Width() - 2, 2));
    EXPECT_FALSE(b->Hot());
    b->SetEnabled(false);
    EXPECT_NE(shown(), ColorToRGB(clRed)); // the normal image drawn disabled
    bar->SetDisabledImages(SolidImages("disabled", {clLime}));
    EXPECT_EQ(shown(), ColorToRGB(clLime));
}

TEST_F(CommonControlsTest, ToolButtonsLoseTheirHoverFrameOnABarWithoutEdges) {
    // The views' tool strips: flat bars without edges, buttons with captions. The bar
    // looks as before once the mouse has passed over its buttons and left.
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    bar->SetFlat(true);
    bar->SetEdgeBorders({});
    bar->SetShowCaptions(true);
    bar->SetButtonWidth(70);
    bar->SetButtonHeight(40);
    std::vector<TToolButton*> buttons;
    for (const char* caption : {"Ανοιγμα", "Αποθήκευση"}) {
        auto* b = new TToolButton(Form);
        b->SetCaption(caption);
        b->SetParent(bar);
        buttons.push_back(b);
    }
    Form->Show();
    const QImage before = TestKit::Render(bar)->ToImage();
    TestKit::MouseMove(buttons[0], TestKit::Center(buttons[0]));
    ASSERT_TRUE(buttons[0]->Hot());
    EXPECT_NE(TestKit::Render(bar)->ToImage(), before) << "the hover frame shows";
    TestKit::MouseMove(buttons[1], TestKit::Center(buttons[1]));
    TestKit::MouseMove(bar, TPoint(bar->Width() - 2, 2));
    EXPECT_FALSE(buttons[0]->Hot());
    EXPECT_FALSE(buttons[1]->Hot());
    EXPECT_TRUE(TestKit::Render(bar)->ToImage() == before) << "no frame or caption left over";
}

// ---------------------------------------------------------------------------
// Cool bars

// A view form with a cool bar holding a tool bar, as the docked views have.
TForm* MakeView(const std::string& name, int buttons, TCoolBar** coolBar) {
    auto* view = new TForm(nullptr);
    view->SetName(name);
    auto* cb = new TCoolBar(view);
    cb->SetName("CoolBar1");
    cb->SetAutoSize(true);
    cb->SetParent(view);
    auto* tb = new TToolBar(view);
    tb->SetName("ToolBar1");
    tb->SetButtonWidth(70);
    tb->SetButtonHeight(43);
    tb->SetParent(cb);
    for (int i = 0; i < buttons; ++i) {
        auto* b = new TToolButton(view);
        b->SetParent(tb);
    }
    cb->Bands()->Items(0)->SetMinHeight(43);
    *coolBar = cb;
    return view;
}

// The bevel-less strip along the top of a form that the views' cool bars move into.
TPanel* MakeToolStrip(TForm* form) {
    auto* strip = new TPanel(form);
    strip->SetName("Panel1");
    strip->SetAlign(alTop);
    strip->SetHeight(53);
    strip->SetBevelOuter(bvNone);
    strip->SetParent(form);
    return strip;
}

TEST_F(CommonControlsTest, CoolBarGivesEachControlABandAndSizesToIt) {
    TCoolBar* cb = nullptr;
    TForm* view = MakeView("fmView", 2, &cb);
    ASSERT_EQ(cb->Bands()->Count(), 1);
    auto* tb = TestKit::Find<TToolBar>(view, "ToolBar1");
    EXPECT_EQ(cb->Bands()->Items(0)->Control(), tb);
    EXPECT_EQ(cb->Height(), 43 + 4);
    EXPECT_EQ(tb->Height(), 43);
    EXPECT_GT(tb->Left(), 0); // after the gripper
    EXPECT_EQ(cb->ContentWidth(), tb->Left() + 140 + 2);
    // A second control gets a second band on a new row.
    auto* panel = new TPanel(view);
    panel->SetHeight(30);
    panel->SetParent(cb);
    EXPECT_EQ(cb->Bands()->Count(), 2);
    EXPECT_EQ(cb->Height(), 47 + 34);
    EXPECT_EQ(panel->Top(), 47 + 2);
    delete panel;
    EXPECT_EQ(cb->Bands()->Count(), 1);
    EXPECT_EQ(cb->Height(), 47);
    delete view;
}

TEST_F(CommonControlsTest, CoolBarsMovedIntoAnotherFormsPanelFlowSideBySideAndLeaveWithTheirForm) {
    TPanel* strip = MakeToolStrip(Form);
    Form->Show();
    TCoolBar* first = nullptr;
    TCoolBar* second = nullptr;
    TForm* viewA = MakeView("fmA", 2, &first);
    TForm* viewB = MakeView("fmB", 3, &second);
    first->SetParent(strip);
    second->SetParent(strip);
    EXPECT_EQ(first->Owner(), viewA);
    EXPECT_TRUE(first->DockedElsewhere());
    EXPECT_EQ(first->Left(), 0);
    EXPECT_EQ(first->Width(), first->ContentWidth());
    EXPECT_EQ(second->Left(), first->Width());
    EXPECT_EQ(second->Height(), 53);
    QImage img = TestKit::Render(Form)->ToImage();
    if (const char* dir = std::getenv("ORV_SHOT_DIR"))
        img.save(QString::fromStdString(std::string(dir) + "/toolstrip.png"));
    // Freeing the first view takes its cool bar out of the strip; the other moves left.
    delete viewA;
    EXPECT_EQ(strip->ControlCount(), 1);
    EXPECT_EQ(second->Left(), 0);
    delete viewB;
    EXPECT_EQ(strip->ControlCount(), 0);
}

TEST_F(CommonControlsTest, CoolBarsThatNoLongerFitWrapOntoAFurtherRowOfTheStrip) {
    Form->SetBounds(0, 0, 400, 300);
    TPanel* strip = MakeToolStrip(Form);
    auto* client = new TPanel(Form);
    client->SetAlign(alClient);
    client->SetParent(Form);
    Form->Show();
    TCoolBar* bars[3] = {};
    TForm* views[3] = {MakeView("fmA", 2, &bars[0]), MakeView("fmB", 2, &bars[1]),
                       MakeView("fmC", 3, &bars[2])};
    for (TCoolBar* bar : bars)
        bar->SetParent(strip);
    const int width = strip->ClientWidth();
    ASSERT_LE(bars[0]->ContentWidth() + bars[1]->ContentWidth(), width);
    ASSERT_GT(bars[0]->ContentWidth() + bars[1]->ContentWidth() + bars[2]->ContentWidth(), width);
    // Two side by side, the third on a row of its own; the strip shows both rows and the
    // client area starts below them.
    const int row = bars[0]->ContentHeight();
    EXPECT_EQ(bars[1]->Left(), bars[0]->Width());
    EXPECT_EQ(bars[1]->Top(), 0);
    EXPECT_EQ(bars[2]->Left(), 0);
    EXPECT_EQ(bars[2]->Top(), row);
    EXPECT_EQ(strip->Height(), 2 * row);
    EXPECT_EQ(client->Top(), 2 * row);
    for (TCoolBar* bar : bars)
        EXPECT_LE(bar->Left() + bar->Width(), width) << bar->Owner()->Name();
    if (const char* dir = std::getenv("ORV_SHOT_DIR"))
        TestKit::Render(Form)->ToImage().save(
            QString::fromStdString(std::string(dir) + "/toolstrip2.png"));

    // A wider window takes them in one row, at the strip's own height.
    Form->SetWidth(800);
    EXPECT_EQ(bars[2]->Top(), 0);
    EXPECT_EQ(strip->Height(), 53);
    // Narrower than a bar: its buttons wrap inside its band, and every one of them stays
    // inside the strip.
    Form->SetWidth(180);
    for (TCoolBar* bar : bars) {
        auto* tb = TestKit::Find<TToolBar>(bar->Owner(), "ToolBar1");
        ASSERT_NE(tb, nullptr);
        for (int b = 0; b < tb->ButtonCount(); ++b) {
            TToolButton* button = tb->Buttons(b);
            TPoint at = strip->ScreenToClient(button->ClientToScreen(TPoint(0, 0)));
            EXPECT_GE(at.X, 0);
            EXPECT_LE(at.X + button->Width(), strip->ClientWidth()) << bar->Owner()->Name() << b;
            EXPECT_LE(at.Y + button->Height(), strip->ClientHeight()) << bar->Owner()->Name() << b;
        }
    }
    EXPECT_GT(bars[2]->Height(), row); // three buttons in two rows
    EXPECT_EQ(client->Top(), strip->Height());
    if (const char* dir = std::getenv("ORV_SHOT_DIR"))
        TestKit::Render(Form)->ToImage().save(
            QString::fromStdString(std::string(dir) + "/toolstrip3.png"));
    // Wider again, then the wrapped bar leaves: back to one row.
    Form->SetWidth(400);
    EXPECT_EQ(strip->Height(), 2 * row);
    delete views[2];
    EXPECT_EQ(strip->Height(), 53);
    EXPECT_EQ(client->Top(), 53);
    delete views[0];
    delete views[1];
    EXPECT_EQ(strip->Height(), 53);
}

// ---------------------------------------------------------------------------
// A whole window, to look at

TEST_F(CommonControlsTest, RendersAFormWithPanelPagesToolBarAndCoolBar) {
    Form->SetBounds(0, 0, 480, 320);
    Form->SetColor(clBtnFace);
    auto* cb = new TCoolBar(Form);
    cb->SetAutoSize(true);
    cb->SetParent(Form);
    auto* tb = new TToolBar(Form);
    tb->SetFlat(true);
    tb->SetShowCaptions(true);
    tb->SetButtonWidth(75);
    tb->SetButtonHeight(43);
    tb->SetImages(SolidImages("il", {clRed, clGreen, clBlue}));
    tb->SetParent(cb);
    const char* captions[] = {"Ιδιότητες", "Αντιγραφή", "Εκτύπωση"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new TToolButton(Form);
        b->SetCaption(captions[i]);
        b->SetImageIndex(i);
        b->SetParent(tb);
    }
    cb->Bands()->Items(0)->SetMinHeight(43);
    auto* panel = new TPanel(Form);
    panel->SetAlign(alBottom);
    panel->SetHeight(30);
    panel->SetBevelInner(bvLowered);
    panel->SetCaption("Πάνελ");
    panel->SetParent(Form);
    TPages p = MakePages(Form, 3);
    p.Control->SetAlign(alClient);
    auto* ud = new TUpDown(Form);
    auto* box = new TTextBox(Form);
    box->SetBounds(10, 10, 80, 21);
    box->SetParent(p.Sheets[0]);
    ud->SetAssociate(box);
    Form->Show();
    EXPECT_EQ(cb->Height(), 47);
    EXPECT_EQ(p.Control->Top(), 47);
    QImage img = TestKit::Render(Form)->ToImage();
    ASSERT_EQ(img.width(), 480);
    // The first button's glyph, centred above its caption.
    TPoint glyph = tb->ClientToScreen(TPoint(75 / 2, 10));
    TPoint origin = Form->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(Pixel(img, glyph.X - origin.X, glyph.Y - origin.Y), ColorToRGB(clRed));
    namespace fs = std::filesystem;
    fs::path file =
        fs::temp_directory_path() / ("commoncontrols_" + std::to_string(::getpid()) + ".png");
    if (const char* dir = std::getenv("ORV_SHOT_DIR"))
        file = fs::path(dir) / "commoncontrols.png";
    ASSERT_TRUE(TestKit::RenderToPng(Form, file.string()));
    if (!std::getenv("ORV_SHOT_DIR"))
        fs::remove(file);
}

} // namespace
