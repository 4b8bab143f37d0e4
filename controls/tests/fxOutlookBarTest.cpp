// The outlook bar: the arrangement of buttons and panels, the animated and the immediate
// page switch under the test clock, hidden buttons, panel alignments and renaming.

#include "controls/fxOutlookBar.h"
#include "ControlsTestSupport.h"
#include "controls/fxImager.h"
#include "controls/fxShapeBtn.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/PlatformCalls.h"
#include "framework/gui/RedrawLock.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FxOutlookBarTest : public TFxTest {
protected:
    void SetUp() override {
        TFxTest::SetUp();
        MakeForm(300, 400);
        Bar = new TFxOutlookBar(Form);
        Bar->SetName("A");
        Bar->SetParent(Form);
        Bar->SetBorderStyle(bsNone);
        Bar->SetBounds(0, 0, 141, 357);
        Form->Show();
        TestKit::ProcessMessages();
    }
    TFxOutlookPage* Page(int i) const { return Bar->OutlookItems()->Pages(i); }
    TFxOutlookPage* AddPage() { return static_cast<TFxOutlookPage*>(Bar->OutlookItems()->Add()); }
    TFxOutlookBar* Bar = nullptr;
};

// The layout alone: three pages on a 141 x 357 bar with 20-pixel buttons leave 297 for the
// open panel. Page 0's panel is open, page 1's is to open.
TEST(FxOutlookLayout, ButtonsStackAndThePanelsMoveByAlignmentAndDirection) {
    TFxOutlookLayoutInput input;
    input.Client = TRect(0, 0, 141, 357);
    input.ButtonSize = 20;
    input.Pages = {{true, TRect(0, 0, 141, 20), true},
                   {true, TRect(0, 317, 141, 337), true},
                   {true, TRect(0, 337, 141, 357), true}};
    input.Selected = 1;
    input.Old = 0;
    struct {
        bool Vertical;
        TFxPanelAlignment Alignment;
        std::vector<TRect> Buttons;
        TRect OpenStart, OpenEnd, ClosedEnd;
    } cases[] = {
        {true,
         paDynamic,
         {TRect(0, 0, 141, 20), TRect(0, 20, 141, 40), TRect(0, 337, 141, 357)},
         TRect(0, 337, 141, 337),
         TRect(0, 40, 141, 337),
         TRect(0, 20, 141, 20)},
        {true,
         paTop,
         {TRect(0, 297, 141, 317), TRect(0, 317, 141, 337), TRect(0, 337, 141, 357)},
         TRect(0, 0, 141, 0),
         TRect(0, 0, 141, 297),
         TRect(0, 317, 141, 317)},
        {true,
         paBottom,
         {TRect(0, 0, 141, 20), TRect(0, 20, 141, 40), TRect(0, 40, 141, 60)},
         TRect(0, 60, 141, 60),
         TRect(0, 60, 141, 357),
         TRect(0, 20, 141, 20)},
        // Across a horizontal bar the free length is 141 - 60 = 81.
        {false,
         paDynamic,
         {TRect(0, 0, 20, 357), TRect(20, 0, 40, 357), TRect(121, 0, 141, 357)},
         TRect(141, 317, 141, 337),
         TRect(40, 0, 121, 357),
         TRect(20, 0, 20, 357)},
        {false,
         paTop,
         {TRect(81, 0, 101, 357), TRect(101, 0, 121, 357), TRect(121, 0, 141, 357)},
         TRect(0, 317, 0, 337),
         TRect(0, 0, 81, 357),
         TRect(101, 0, 101, 357)},
        {false,
         paBottom,
         {TRect(0, 0, 20, 357), TRect(20, 0, 40, 357), TRect(40, 0, 60, 357)},
         TRect(60, 317, 60, 337),
         TRect(60, 0, 141, 357),
         TRect(20, 0, 20, 357)},
    };
    for (const auto& c : cases) {
        input.Vertical = c.Vertical;
        input.Alignment = c.Alignment;
        const std::vector<TFxOutlookPagePlace> places = LayoutOutlookPages(input);
        ASSERT_EQ(places.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(places[i].MovesButton);
            EXPECT_EQ(places[i].ButtonEnd, c.Buttons[i]) << c.Alignment << " " << i;
        }
        EXPECT_TRUE(places[1].MovesPanel && places[1].PanelJumps);
        EXPECT_EQ(places[1].PanelStart, c.OpenStart) << c.Alignment;
        EXPECT_EQ(places[1].PanelEnd, c.OpenEnd) << c.Alignment;
        EXPECT_TRUE(places[0].MovesPanel && !places[0].PanelJumps);
        EXPECT_EQ(places[0].PanelEnd, c.ClosedEnd) << c.Alignment;
        EXPECT_FALSE(places[2].MovesPanel);
    }
}

TEST(FxOutlookLayout, HiddenButtonsGiveTheirRoomToThePanel) {
    TFxOutlookLayoutInput input;
    input.Client = TRect(0, 0, 100, 200);
    input.ButtonSize = 25;
    input.Pages = {{true, TRect(), true}, {false, TRect(), true}, {true, TRect(), false}};
    input.Selected = 0;
    std::vector<TFxOutlookPagePlace> places = LayoutOutlookPages(input);
    EXPECT_EQ(places[0].PanelEnd, TRect(0, 25, 100, 175));
    EXPECT_FALSE(places[1].MovesButton);
    EXPECT_EQ(places[2].ButtonEnd, TRect(0, 175, 100, 200));
    // A selected page without a panel opens nothing and leaves no gap.
    input.Selected = 2;
    places = LayoutOutlookPages(input);
    EXPECT_FALSE(places[2].MovesPanel);
    EXPECT_EQ(places[2].ButtonEnd, TRect(0, 25, 100, 50));
    // Without buttons nothing moves but the selected panel, which fills the client area.
    input.ShowButtons = false;
    input.Selected = 1;
    places = LayoutOutlookPages(input);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(places[i].MovesButton || places[i].MovesPanel, i == 1) << i;
    EXPECT_EQ(places[1].PanelEnd, input.Client);
    // No page selected and none open: only the buttons move.
    input.ShowButtons = true;
    input.Selected = -1;
    places = LayoutOutlookPages(input);
    EXPECT_FALSE(places[0].MovesPanel);
    EXPECT_EQ(places[2].ButtonEnd, TRect(0, 25, 100, 50));
}

TEST_F(FxOutlookBarTest, OnePageFillsTheBarBelowItsButton) {
    TFxOutlookPage* page = AddPage();
    ASSERT_NE(page->Button(), nullptr);
    ASSERT_NE(page->Panel(), nullptr);
    ASSERT_NE(page->OutlookList(), nullptr);
    EXPECT_EQ(page->OutlookList()->Name(), "AOutlookList1");
    EXPECT_EQ(page->OutlookList()->Owner(), Form);
    EXPECT_EQ(Bar->ActivePage(), page->Button());
    EXPECT_EQ(page->Button()->BoundsRect(), TRect(0, 0, 141, 20));
    EXPECT_EQ(page->Panel()->BoundsRect(), TRect(0, 20, 141, 357));
    EXPECT_TRUE(page->Panel()->Visible());
    // Clicking the selected page's button starts no switch.
    int changes = 0;
    Bar->SetOnChange(TFxButtonGroupChangeEvent(
        [&](TFxCustomButtonGroup*, TFxButtonGroupItem*, TFxButtonGroupItem*) { ++changes; }));
    uint32_t before = GetTickCount();
    TestKit::Click(page->Button());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(GetTickCount(), before);
    EXPECT_EQ(page->Panel()->BoundsRect(), TRect(0, 20, 141, 357));
}

TEST_F(FxOutlookBarTest, PagesArrangeByThePanelAlignment) {
    AddPage();
    AddPage();
    AddPage();
    // Three buttons of 20 leave 297 for the open panel.
    struct {
        TFxPanelAlignment Alignment;
        int Selected;
        std::vector<TRect> Buttons;
        TRect Panel;
    } cases[] = {
        {paDynamic,
         0,
         {TRect(0, 0, 141, 20), TRect(0, 317, 141, 337), TRect(0, 337, 141, 357)},
         TRect(0, 20, 141, 317)},
        {paDynamic,
         1,
         {TRect(0, 0, 141, 20), TRect(0, 20, 141, 40), TRect(0, 337, 141, 357)},
         TRect(0, 40, 141, 337)},
        {paTop,
         1,
         {TRect(0, 297, 141, 317), TRect(0, 317, 141, 337), TRect(0, 337, 141, 357)},
         TRect(0, 0, 141, 297)},
        {paBottom,
         2,
         {TRect(0, 0, 141, 20), TRect(0, 20, 141, 40), TRect(0, 40, 141, 60)},
         TRect(0, 60, 141, 357)},
    };
    for (auto& c : cases) {
        Bar->SetPanelAlignment(c.Alignment);
        Page(c.Selected)->SetSelected(true);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Page(i)->Button()->BoundsRect(), c.Buttons[size_t(i)])
                << c.Alignment << " " << i;
            EXPECT_EQ(Page(i)->Panel()->Visible(), i == c.Selected) << c.Alignment << " " << i;
        }
        EXPECT_EQ(Page(c.Selected)->Panel()->BoundsRect(), c.Panel) << c.Alignment;
    }
    Bar->SetPanelAlignment(paDynamic);
    Page(1)->SetSelected(true);
    for (const char* text : {"Πρώτο", "Δεύτερο"})
        Page(1)->OutlookList()->Items()->Add()->SetText(text);
    Page(0)->Button()->SetCaption("Σελίδα 1");
    Page(1)->Button()->SetCaption("Σελίδα 2");
    Page(2)->Button()->SetCaption("Σελίδα 3");
    EXPECT_TRUE(TestKit::RenderToPng(Form, ShotFile("outlookbar-three-pages.png")));
    // Without buttons the selected page's panel fills the bar.
    Bar->SetShowButtons(false);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Page(i)->Button()->Visible());
    EXPECT_EQ(Page(1)->Panel()->BoundsRect(), Bar->ClientRect());
    Bar->SetShowButtons(true);
    EXPECT_TRUE(Page(0)->Button()->Visible());
}

TEST_F(FxOutlookBarTest, AClickAnimatesTheSwitchWhileOtherChangesJump) {
    AddPage();
    AddPage();
    std::vector<std::string> log;
    Bar->SetOnChange(TFxButtonGroupChangeEvent(
        [&](TFxCustomButtonGroup*, TFxButtonGroupItem* o, TFxButtonGroupItem* n) {
            log.push_back(std::to_string(o->Index()) + ">" + std::to_string(n->Index()));
        }));
    // Arrangements that no click started move everything in one step, without pauses.
    uint32_t t0 = GetTickCount();
    Page(1)->SetSelected(true);
    Bar->SetButtonSize(24);
    Bar->SetBounds(0, 0, 141, 357);
    Bar->SetButtonSize(20);
    EXPECT_EQ(GetTickCount() - t0, 7u); // only the selection's switch was animated
    EXPECT_EQ(Page(1)->Panel()->BoundsRect(), TRect(0, 40, 141, 357));
    // A click animates in 7 steps with a 1 ms pause each.
    uint32_t t1 = GetTickCount();
    TestKit::Click(Page(0)->Button());
    EXPECT_EQ(GetTickCount() - t1, 7u);
    EXPECT_EQ(Page(0)->Panel()->BoundsRect(), TRect(0, 20, 141, 337));
    EXPECT_EQ(Page(1)->Button()->BoundsRect(), TRect(0, 337, 141, 357));
    EXPECT_FALSE(Page(1)->Panel()->Visible());
    EXPECT_EQ(log, std::vector<std::string>({"0>1", "1>0"}));
    // The animation switched off: the click jumps.
    Bar->Animation()->SetEnabled(false);
    uint32_t t2 = GetTickCount();
    TestKit::Click(Page(1)->Button());
    EXPECT_EQ(GetTickCount(), t2);
    EXPECT_EQ(Page(1)->Panel()->BoundsRect(), TRect(0, 40, 141, 357));
}

TEST_F(FxOutlookBarTest, APanelWithAnAlignedControlSwitchesInOneStep) {
    Bar->SetOptions({});
    AddPage();
    AddPage();
    auto* memo = new TPanel(Form);
    memo->SetParent(Page(1)->Panel());
    memo->SetAlign(alClient);
    uint32_t t = GetTickCount();
    TestKit::Click(Page(1)->Button());
    EXPECT_EQ(GetTickCount(), t);
    EXPECT_EQ(Bar->ActivePage(), Page(1)->Button());
    EXPECT_EQ(memo->BoundsRect(), TRect(0, 0, 141, 317));
}

TEST_F(FxOutlookBarTest, RenamingTheBarRenamesItsPanels) {
    AddPage();
    AddPage();
    Page(0)->Panel()->SetName("APanelOne");
    std::string button = Page(0)->Button()->Name();
    Bar->SetName("B");
    EXPECT_EQ(Page(0)->Panel()->Name(), "BPanelOne");
    EXPECT_EQ(Page(1)->Panel()->Name(), ""); // a nameless panel stays nameless
    EXPECT_EQ(Page(0)->Button()->Name(), button);
}

TEST_F(FxOutlookBarTest, AnImagerSetOnAShownBarShowsThroughTheOpenPanelAtOnce) {
    TFxOutlookPage* page = AddPage();
    page->OutlookList()->SetVisible(false); // the panel is open: it shows the background
    Bar->SetColor(clGreen);
    TBitmap red;
    red.SetSize(8, 8);
    red.Canvas()->Brush()->SetColor(clRed);
    red.Canvas()->FillRect(TRect(0, 0, 8, 8));
    auto* imager = new TFxCustomImager(Form);
    imager->Picture()->SetGraphic(&red);
    TestKit::ProcessMessages();
    TPoint inPanel(page->Panel()->Left() + 30, page->Panel()->Top() + 50);
    TBitmap shot;
    TestKit::RenderToBitmap(Bar, shot);
    EXPECT_EQ(shot.Canvas()->Pixels(inPanel.X, inPanel.Y), clGreen);

    Bar->SetImager(imager);
    TestKit::RenderToBitmap(Bar, shot);
    EXPECT_EQ(shot.Canvas()->Pixels(inPanel.X, inPanel.Y), clRed);
}

// A windowed control that notes the area each of its paintings covers.
class TPaintProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TRect> Painted;

protected:
    void PaintControl() override { Painted.push_back(Canvas()->ClipRect()); }
};

TEST_F(FxOutlookBarTest, APanelPaintedDuringAPageClickRefreshesItsChildrenOnlyInsideTheBar) {
    Bar->SetOptions({});
    AddPage();
    AddPage();
    Bar->Animation()->SetEnabled(false);
    auto* probe = new TPaintProbe(Form);
    probe->SetParent(Page(1)->Panel());
    // Page 1's panel lies at (0, 40) of the bar: the probe reaches 59 pixels past the bar's
    // right edge and 63 below its bottom.
    probe->SetBounds(100, 280, 100, 100);
    TestKit::Click(Page(1)->Button());
    TestKit::ProcessMessages();
    TestKit::Click(Page(0)->Button());
    TestKit::ProcessMessages();
    Bar->SetOnChange(TFxButtonGroupChangeEvent(
        [&](TFxCustomButtonGroup*, TFxButtonGroupItem*, TFxButtonGroupItem*) {
            probe->Painted.clear();
            Page(1)->Panel()->Repaint();
        }));
    TestKit::Click(Page(1)->Button());
    TestKit::ProcessMessages();
    ASSERT_EQ(Page(1)->Panel()->BoundsRect(), TRect(0, 40, 141, 357));
    ASSERT_FALSE(probe->Painted.empty());
    EXPECT_EQ(probe->Painted.back(), TRect(0, 0, 41, 37));
}

TEST_F(FxOutlookBarTest, APanelStopsItsParentClippingItsChildrenAndPaintsAgain) {
    TFxOutlookPage* page = AddPage();
    page->OutlookList()->SetVisible(false);
    TestKit::ProcessMessages();
    HWND bar = Bar->Handle();
    SetWindowLong(bar, GWL_STYLE, GetWindowLong(bar, GWL_STYLE) | WS_CLIPCHILDREN);
    int paints = 0;
    TPaintObserver previous = SetPaintObserver([&](TWinControl* w) {
        if (w == page->Panel())
            ++paints;
    });
    page->Panel()->Repaint();
    TestKit::ProcessMessages();
    SetPaintObserver(previous);
    EXPECT_EQ(GetWindowLong(bar, GWL_STYLE) & WS_CLIPCHILDREN, 0u);
    EXPECT_EQ(paints, 2);
}

TEST_F(FxOutlookBarTest, RemovedListsAndPagesLeaveNoReferences) {
    TFxOutlookPage* page = AddPage();
    delete page->OutlookList();
    EXPECT_EQ(page->OutlookList(), nullptr);
    page->CreateOutlookList();
    ASSERT_NE(page->OutlookList(), nullptr);
    EXPECT_EQ(page->OutlookList()->Name(), "AOutlookList1");
    TFxOutlookPanel* panel = page->Panel();
    int before = Bar->ControlCount();
    delete page;
    EXPECT_EQ(Bar->OutlookItems()->Count(), 0);
    EXPECT_LT(Bar->ControlCount(), before);
    (void)panel;
    TestKit::Render(Form);
}

} // namespace
