// The outlook list: item extents and rectangles, scrolling with held scroll buttons under
// the test clock, the click order of its events, hot tracking and the mouse capture.

#include "controls/fxOutlookList.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class FxOutlookListTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 300, 400);
        Images = new TImageList(Form, 32, 32);
        for (int i = 0; i < 4; ++i) {
            TBitmap bmp(32, 32);
            bmp.Canvas()->Brush()->SetColor(TColor(0x2040C0 + i * 0x101010));
            bmp.Canvas()->FillRect(TRect(0, 0, 32, 32));
            Images->Add(&bmp, nullptr);
        }
        List = new TFxOutlookList(Form);
        List->SetParent(Form);
        List->SetBounds(0, 0, 120, 400);
        List->SetBorderStyle(bsNone);
        List->SetImages(Images);
        for (int i = 0; i < 5; ++i) {
            TFxOutlookListItem* item = List->Items()->Add();
            item->SetText("Item " + std::to_string(i));
            item->SetImageIndex(i % 4);
            item->SetTag(i);
        }
        Form->Show();
        TestKit::ProcessMessages();
        TestKit::Render(Form);
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    TFxOutlookListItem* Item(int i) const { return List->Items()->Items(i); }
    int CaptionHeight() const {
        TBitmap b(1, 1);
        b.Canvas()->Font()->AssignFrom(List->Font());
        return b.Canvas()->TextHeight("Item 0");
    }
    TPoint CentreOf(const TRect& r) const {
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    TForm* Form = nullptr;
    TImageList* Images = nullptr;
    TFxOutlookList* List = nullptr;
};

TEST_F(FxOutlookListTest, ItemExtentsAndRectanglesFollowTheLayout) {
    int extent = CaptionHeight() + 20 + 32 + 10;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Item(i)->ItemExtent(true).cy, extent) << i;
        EXPECT_EQ(Item(i)->ItemRect(), TRect(0, i * extent, 120, (i + 1) * extent)) << i;
    }
    // Icon highlighting: the hit rectangle is the glyph's, grown by 2.
    TRect glyph = Item(0)->HitRect();
    EXPECT_EQ(glyph.Width(), 36);
    EXPECT_EQ(glyph.Height(), 36);
    // An odd spacing is raised by one.
    List->SetItemSpacing(15);
    EXPECT_EQ(List->ItemSpacing(), 16);
    // Without images an item is only its caption plus the spacing, highlighted whole.
    List->SetImages(nullptr);
    EXPECT_EQ(Item(0)->ItemExtent(true).cy, CaptionHeight() + 16);
    EXPECT_TRUE(List->WholeItemHighlight());
    // Horizontal lists with a fixed item width.
    List->SetLayout(loHorizontal);
    List->SetItemsWidth(70);
    EXPECT_EQ(Item(0)->ItemExtent(true).cx, 70);
    EXPECT_EQ(List->ItemRectOf(Item(1), TFxCustomOutlookList::irWhole), TRect(70, 0, 140, 400));
}

TEST_F(FxOutlookListTest, ItemsThatFitNeedNoScrollButtons) {
    EXPECT_FALSE(List->CanScroll(1));
    EXPECT_FALSE(List->CanScroll(2));
    EXPECT_TRUE(Item(4)->IsVisible(true));
    // A list too short for its items can scroll down only.
    List->SetHeight(200);
    TestKit::Render(Form);
    EXPECT_FALSE(List->CanScroll(1));
    EXPECT_TRUE(List->CanScroll(2));
    EXPECT_EQ(List->ScrollButtonRect(2), TRect(95, 175, 110, 190));
}

TEST_F(FxOutlookListTest, HeldScrollButtonStepsOnTheTimerAndOnRelease) {
    List->SetHeight(200);
    TestKit::Render(Form);
    TPoint down = CentreOf(List->ScrollButtonRect(2));
    TestKit::MouseDown(List, down);
    EXPECT_EQ(List->PressedScrollButton(), 2);
    EXPECT_EQ(GetCapture(), List->Handle());
    TestKit::AdvanceClock(250);
    EXPECT_EQ(List->FirstShownItem(), Item(1));
    TestKit::AdvanceClock(250);
    EXPECT_EQ(List->FirstShownItem(), Item(2));
    // Off the button the stepping pauses; the timer keeps running.
    TestKit::MouseMove(List, TPoint(10, 10));
    TestKit::AdvanceClock(500);
    EXPECT_EQ(List->FirstShownItem(), Item(2));
    EXPECT_TRUE(TimerActive(List->Handle(), kOutlookScrollTimer));
    // Back on it and released: one more step at the release, then the capture goes back.
    TestKit::MouseMove(List, down);
    TestKit::MouseUp(List, down);
    EXPECT_EQ(List->FirstShownItem(), Item(3));
    EXPECT_FALSE(TimerActive(List->Handle(), kOutlookScrollTimer));
    EXPECT_EQ(GetCapture(), HWND(0));
    // Scrolling up is now possible.
    TestKit::Render(Form);
    EXPECT_TRUE(List->CanScroll(1));
}

TEST_F(FxOutlookListTest, CaptureGoesBackOnlyToAWindowThatStillExists) {
    List->SetHeight(200);
    TestKit::Render(Form);
    TPoint down = CentreOf(List->ScrollButtonRect(2));
    const LPARAM at = MAKELPARAM(down.X, down.Y);
    for (bool freeHolder : {false, true}) {
        auto* holder = new TPanel(Form);
        holder->SetParent(Form);
        holder->SetBounds(150, 0, 50, 50);
        HWND held = holder->Handle();
        SetCapture(held);
        // The press reaches the list while another window holds the capture.
        List->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        EXPECT_EQ(GetCapture(), List->Handle());
        if (freeHolder)
            delete holder;
        List->Perform(WM_LBUTTONUP, 0, at);
        EXPECT_EQ(GetCapture(), freeHolder ? HWND(0) : held) << freeHolder;
        ReleaseCapture();
        if (!freeHolder)
            delete holder;
    }
}

TEST_F(FxOutlookListTest, ClicksFireTheEventsInOrder) {
    struct {
        TFxCustomOutlookListClickStyle Style;
        bool PreSelect;
        std::vector<std::string> Expected;
        bool SelectedAfter;
    } cases[] = {
        {csClick, false, {"item click", "click"}, false},
        {csSelect, false, {"change", "item click", "click"}, true},
        {csSelect, true, {"item click", "click"}, true},
    };
    for (auto& c : cases) {
        List->SetClickStyle(c.Style);
        Item(3)->SetSelected(false);
        if (c.PreSelect)
            Item(2)->SetSelected(true);
        else
            Item(2)->SetSelected(false);
        std::vector<std::string> log;
        List->SetOnItemChange(TFxCustomOutlookListItemEvent(
            [&](TFxCustomOutlookList*, TFxOutlookListItem*) { log.push_back("change"); }));
        List->SetOnItemClick(TFxCustomOutlookListItemEvent(
            [&](TFxCustomOutlookList*, TFxOutlookListItem*) { log.push_back("item click"); }));
        Item(2)->SetOnClick(
            TFxCustomOutlookListItemEvent([&](TFxCustomOutlookList*, TFxOutlookListItem* i) {
                log.push_back("click");
                EXPECT_EQ(i, Item(2));
            }));
        TestKit::Render(Form);
        TestKit::ClickAt(List, CentreOf(Item(2)->HitRect()));
        EXPECT_EQ(log, c.Expected) << c.Style << c.PreSelect;
        EXPECT_EQ(Item(2)->Selected(), c.SelectedAfter);
    }
    // Selecting one item unselects the others.
    Item(4)->SetSelected(true);
    EXPECT_FALSE(Item(2)->Selected());
    // Clicking beside the glyph of an icon-highlighted item clicks nothing.
    std::vector<std::string> none;
    List->SetOnItemClick(TFxCustomOutlookListItemEvent(
        [&](TFxCustomOutlookList*, TFxOutlookListItem*) { none.push_back("x"); }));
    TestKit::ClickAt(List, TPoint(2, Item(1)->ItemRect().Top + 2));
    EXPECT_TRUE(none.empty());
}

TEST_F(FxOutlookListTest, HotTrackingFollowsTheMouseAndHoldsTheCapture) {
    TPoint over = CentreOf(Item(1)->HitRect());
    TestKit::MouseMove(List, over);
    EXPECT_TRUE(Item(1)->Hot());
    EXPECT_EQ(GetCapture(), List->Handle());
    TestKit::MouseDown(List, over);
    EXPECT_TRUE(Item(1)->IsDown());
    // Leaving the item clears hot and pressed, and the capture goes.
    TestKit::MouseMove(List, TPoint(2, 2));
    EXPECT_FALSE(Item(1)->Hot());
    EXPECT_FALSE(Item(1)->Pressed());
    EXPECT_NE(GetCapture(), List->Handle());
    TestKit::MouseUp(List, TPoint(2, 2));
}

TEST_F(FxOutlookListTest, ChildControlsAreRefused) {
    auto* edit = new TEdit(Form);
    try {
        edit->SetParent(List);
        ADD_FAILURE();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(std::string(e.what()),
                  "TFxCustomOutlookList does not accept child controls.  Delete "
                  "TFxCustomOutlookList and/or set the options property of the TFxControlBar, "
                  "\"cboAutoCreateOutlookList\", to False");
    }
    EXPECT_EQ(edit->Parent(), nullptr);
    EXPECT_EQ(List->ControlCount(), 0);
}

TEST_F(FxOutlookListTest, AReplacedImageShowsAtOnceAndLinksFollowTheirLists) {
    TRect glyph = Item(0)->HitRect();
    TPoint centre = CentreOf(glyph);
    TBitmap shot;
    TestKit::RenderToBitmap(List, shot);
    EXPECT_EQ(shot.Canvas()->Pixels(centre.X, centre.Y), TColor(0x2040C0));
    TBitmap green(32, 32);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(TRect(0, 0, 32, 32));
    Images->Replace(0, &green, nullptr);
    TestKit::RenderToBitmap(List, shot);
    EXPECT_EQ(shot.Canvas()->Pixels(centre.X, centre.Y), clLime);

    // Several links on one list, each told once; a link that goes leaves the list, a list
    // that goes leaves its links without a sender.
    int told = 0;
    auto other = std::make_unique<TChangeLink>();
    other->SetOnChange(TNotifyEvent([&](TObject* sender) {
        EXPECT_EQ(sender, Images);
        ++told;
    }));
    Images->RegisterChanges(other.get());
    Images->RegisterChanges(other.get());
    Images->Replace(1, &green, nullptr);
    EXPECT_EQ(told, 1);
    {
        TChangeLink shortLived;
        Images->RegisterChanges(&shortLived);
    }
    Images->Replace(1, &green, nullptr);
    EXPECT_EQ(told, 2);
    Images->UnRegisterChanges(other.get());
    EXPECT_EQ(other->Sender(), nullptr);
    Images->Replace(1, &green, nullptr);
    EXPECT_EQ(told, 2);
    Images->RegisterChanges(other.get());
    delete Images;
    Images = nullptr;
    EXPECT_EQ(other->Sender(), nullptr);
    EXPECT_EQ(List->Images(), nullptr);
    List->SetImages(nullptr);
}

TEST_F(FxOutlookListTest, RemovedImagesAndItemsLeaveNoDanglingState) {
    List->SetHeight(200);
    TestKit::Render(Form);
    TPoint down = CentreOf(List->ScrollButtonRect(2));
    TestKit::ClickAt(List, down);
    ASSERT_EQ(List->FirstShownItem(), Item(1));
    delete Item(1);
    EXPECT_EQ(List->FirstShownItem(), Item(0));
    delete Images;
    EXPECT_EQ(List->Images(), nullptr);
    TestKit::Render(Form); // draws without glyphs
}

} // namespace
