// The main window's navigation: the outlook bar with the view list on the left and the
// status bar at the bottom. A user clicks each view's item and the view is docked, the
// previous one freed; a low window scrolls its list; the program itself shows both.

#include "ViewsTestSupport.h"

#include "framework/gui/Bitmaps.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Hears when the components it watches are freed.
class TFreeWatch : public TComponent {
public:
    TFreeWatch() : TComponent(nullptr) {}
    void Watch(TComponent* c) { c->FreeNotification(this); }
    void ComponentNotification(TComponent* c, TOperation op) override {
        TComponent::ComponentNotification(c, op);
        if (op == opRemove)
            Freed.push_back(c);
    }
    std::vector<TComponent*> Freed;
};

class NavigationTest : public TProgramTest {
protected:
    TFxOutlookList* List() const { return fmHolder->fxOutlookBar1OutlookList1; }
    TFxOutlookListItem* Item(int tag) const {
        for (int i = 0; i < List()->Items()->Count(); ++i)
            if (List()->Items()->Items(i)->Tag() == tag)
                return List()->Items()->Items(i);
        return nullptr;
    }
    // Clicks the item of the view at its rectangle on the screen, as a user does.
    void ClickItem(int tag) {
        TestKit::Render(fmHolder);
        TFxOutlookListItem* item = Item(tag);
        ASSERT_NE(item, nullptr) << tag;
        const TRect r = item->HitRect();
        ASSERT_FALSE(r.IsEmpty()) << tag;
        TestKit::ClickAt(List(), TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        TestKit::ProcessMessages();
        Application->Idle(); // the views fill their summaries when the program is idle
    }
};

TEST_F(NavigationTest, MainWindowHoldsTheBarWithTheViewListAndTheStatusBar) {
    TFxOutlookBar* bar = fmHolder->fxOutlookBar1;
    EXPECT_EQ(bar->Align(), alLeft);
    EXPECT_EQ(bar->Width(), 141);
    EXPECT_EQ(bar->OutlookItems()->Count(), 1);
    TFxOutlookPage* page = bar->OutlookItems()->Pages(0);
    EXPECT_EQ(page->Button(), fmHolder->fxOutlookBar1fxShapeBtn1);
    EXPECT_EQ(page->OutlookList(), List());
    EXPECT_EQ(bar->ActivePage(), fmHolder->fxOutlookBar1fxShapeBtn1);
    EXPECT_EQ(TestKit::TextOf(fmHolder->fxOutlookBar1fxShapeBtn1), "Δεδομένα");
    // The page's button across the bar's top, the list below it to the bottom.
    const int width = bar->ClientWidth();
    EXPECT_EQ(page->Button()->BoundsRect(), TRect(0, 0, width, 20));
    EXPECT_EQ(page->Panel()->BoundsRect(), TRect(0, 20, width, bar->ClientHeight()));
    const char* texts[] = {"Σχεδιασμός", "Περίοδοι", "Συσκευές", "Ηλιοφάνεια", "Αιολ. Δυναμικό"};
    const int images[] = {7, 4, 8, 5, 9};
    ASSERT_EQ(List()->Items()->Count(), 5);
    for (int i = 0; i < 5; ++i) {
        TFxOutlookListItem* item = List()->Items()->Items(i);
        EXPECT_EQ(item->Tag(), i);
        EXPECT_EQ(item->Text(), texts[i]);
        EXPECT_EQ(item->ImageIndex(), images[i]);
        EXPECT_EQ(item->Selected(), i == 0);
    }
    // The status bar: one empty part along the bottom.
    TFxStatusBar* status = fmHolder->fxStatusBar1;
    EXPECT_EQ(status->Align(), alBottom);
    EXPECT_EQ(status->Height(), 20);
    EXPECT_EQ(status->BoundsRect().Bottom, fmHolder->ClientHeight());
    EXPECT_EQ(status->PartEdges(), std::vector<int>({-1}));
    EXPECT_EQ(status->PartText(0), "");
    EXPECT_EQ(status->StatusBarText()->CapsLock(), "Caps");
    EXPECT_EQ(bar->BoundsRect().Bottom, status->Top());
}

TEST_F(NavigationTest, EveryViewIsReachedByItsItem) {
    TFreeWatch watch;
    TCustomForm* previous = fmHolder->CurrentView();
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->ClassType(), ViewClasses[0]);
    for (int tag : {1, 2, 3, 4, 0}) {
        watch.Watch(previous);
        ClickItem(tag);
        TCustomForm* view = fmHolder->CurrentView();
        ASSERT_NE(view, nullptr) << tag;
        EXPECT_EQ(view->ClassType(), ViewClasses[size_t(tag)]) << tag;
        EXPECT_EQ(view->Parent(), fmHolder->pnlHolder);
        // The previous view is freed, with nothing else of it left in the holder.
        ASSERT_FALSE(watch.Freed.empty()) << tag;
        EXPECT_EQ(watch.Freed.back(), previous) << tag;
        EXPECT_EQ(fmHolder->pnlHolder->ComponentCount(), 1) << tag;
        EXPECT_TRUE(Item(tag)->Selected());
        EXPECT_TRUE(TestKit::RenderToPng(fmHolder,
                                         ShotFile("orvanti-view" + std::to_string(tag) + ".png")));
        previous = view;
    }
    // The item of the view shown keeps the same instance.
    size_t freed = watch.Freed.size();
    ClickItem(0);
    EXPECT_EQ(fmHolder->CurrentView(), previous);
    EXPECT_EQ(watch.Freed.size(), freed);
}

TEST_F(NavigationTest, LowWindowScrollsTheListOneItemPerInterval) {
    fmHolder->SetBounds(fmHolder->Left(), fmHolder->Top(), 696, 300);
    TestKit::ProcessMessages();
    TestKit::Render(fmHolder);
    ASSERT_TRUE(List()->CanScroll(2));
    EXPECT_FALSE(List()->CanScroll(1));
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("orvanti-low.png")));
    const TRect r = List()->ScrollButtonRect(2);
    const TPoint down((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    TestKit::MouseDown(List(), down);
    TestKit::AdvanceClock(250);
    EXPECT_EQ(List()->FirstShownItem(), List()->Items()->Items(1));
    TestKit::AdvanceClock(249);
    EXPECT_EQ(List()->FirstShownItem(), List()->Items()->Items(1));
    TestKit::AdvanceClock(1);
    EXPECT_EQ(List()->FirstShownItem(), List()->Items()->Items(2));
    TestKit::MouseUp(List(), TPoint(2, 2)); // released off the button: no further step
    EXPECT_EQ(List()->FirstShownItem(), List()->Items()->Items(2));
    TestKit::Render(fmHolder);
    EXPECT_TRUE(List()->CanScroll(1));
    // Each click on the button scrolls one item, until the last view is shown whole.
    for (int i = 0; i < 5 && List()->CanScroll(2); ++i) {
        TestKit::ClickAt(List(), down);
        TestKit::Render(fmHolder);
    }
    EXPECT_FALSE(List()->CanScroll(2));
    EXPECT_TRUE(List()->Items()->Items(4)->IsVisible(true));
    ClickItem(4);
    EXPECT_EQ(fmHolder->CurrentView()->ClassType(), ViewClasses[4]);
}

// The program started as the README says (here without a screen): its first picture shows
// the view list on the left and the status bar at the bottom.
TEST_F(NavigationTest, TheProgramShowsTheBarAndTheStatusBar) {
    char self[4096] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    const std::string program = std::filesystem::path(self).parent_path() / "Orvanti";
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "no program beside the tests";
    const std::string shot = FDir + "/program.png";
    const std::string command = "cd '" + std::string(APP_DATA_DIR) +
                                "' && QT_QPA_PLATFORM=offscreen HKCU_STORE='" + FDir +
                                "/program-hkcu.txt' ORV_SHOT_AFTER_FIRST_PAINT='" + shot + "' '" +
                                program + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(shot, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    TBitmap picture;
    picture.LoadFromBytes(bytes);
    ASSERT_GT(picture.Height(), 200);
    // The list's grey background on the left, below the tool strip and the page button.
    const int listY = picture.Height() / 2;
    int grey = 0;
    for (int x = 10; x < 130; ++x)
        if ((picture.Canvas()->Pixels(x, listY) & 0xFFFFFF) == 0x808080)
            ++grey;
    EXPECT_GT(grey, 20);
    // The status bar's face along the bottom, right of the bar.
    EXPECT_EQ(picture.Canvas()->Pixels(picture.Width() / 2, picture.Height() - 10) & 0xFFFFFF,
              ColorToRGB(clBtnFace));
}

} // namespace
