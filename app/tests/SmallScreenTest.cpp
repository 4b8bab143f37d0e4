// The program on a screen of 696 x 480 pixels (run by ctest with an off-screen screen of
// that size; elsewhere these tests are skipped): the main window opens inside the screen
// from its first bounds, from bounds stored on a larger monitor and maximized, and every
// label and box of the design page and its editors shows whole.

#include "LayoutWalk.h"
#include "ViewsTestSupport.h"

#include "app/design.h"
#include "framework/core/Registry.h"
#include "framework/gui/Buttons.h"

#include <string>

namespace {

class SmallScreenTest : public TProgramTest {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        if (Screen->Width() != 696 || Screen->Height() != 480)
            GTEST_SKIP() << "needs a 696 x 480 screen";
        TProgramTest::SetUp();
    }
    static bool Inside(const TRect& r, const TRect& area) {
        return r.Left >= area.Left && r.Top >= area.Top && r.Right <= area.Right &&
               r.Bottom <= area.Bottom;
    }
    // The program ended (saving its placement) and started again after the main window's
    // stored placement was changed.
    template <class F> void Restart(F changeStore) {
        FreeProgramWindows();
        TestKit::ProcessMessages();
        TRegIniFile store("Software\\Orvanti");
        changeStore(store);
        CreateProgramWindows();
        fmHolder->Show();
        TestKit::ProcessMessages();
        Application->Idle();
    }
};

TEST_F(SmallScreenTest, TheMainWindowOpensInsideTheScreen) {
    const TRect area = Screen->WorkAreaRect();
    EXPECT_EQ(fmHolder->BoundsRect(), area);
    TestKit::RenderToPng(fmHolder, ShotFile("small_screen_main.png"));

    // Bounds stored on a larger monitor.
    Restart([](TRegIniFile& store) {
        store.WriteString("TfmHolder", "NormPos", "400,300,1500,1100");
        store.WriteString("TfmHolder", "NormPos(696x480)", "400,300,1500,1100");
        store.WriteInteger("TfmHolder", "ShowCmd", SW_SHOWNORMAL);
        store.WriteInteger("TfmHolder", "PixelsPerInch", Screen->PixelsPerInch());
    });
    EXPECT_EQ(fmHolder->BoundsRect(), area);

    // Stored maximized; restored, the normal window fits as well.
    Restart([](TRegIniFile& store) {
        store.WriteString("TfmHolder", "NormPos", "400,300,1500,1100");
        store.WriteString("TfmHolder", "NormPos(696x480)", "400,300,1500,1100");
        store.WriteInteger("TfmHolder", "ShowCmd", SW_SHOWMAXIMIZED);
    });
    EXPECT_EQ(fmHolder->WindowState(), wsMaximized);
    EXPECT_TRUE(Inside(fmHolder->BoundsRect(), area));
    fmHolder->SetWindowState(wsNormal);
    EXPECT_TRUE(Inside(fmHolder->BoundsRect(), area));
}

TEST_F(SmallScreenTest, TheDesignPageAndItsEditorsShowTheirBoxesWhole) {
    auto* design = dynamic_cast<TfmDesign*>(fmHolder->CurrentView());
    ASSERT_NE(design, nullptr);
    for (const char* button : {"sbPhotoV", "SpeedButton3", "sbBat", "SpeedButton6", "sbWG"}) {
        TestKit::Click(TestKit::Find<TSpeedButton>(design, button));
        TestKit::ProcessMessages();
        Application->Idle();
        EXPECT_EQ(WalkFaults(fmHolder), "") << button;
    }
    // The power curve's chart opens inside the window.
    ClickStrip("Γράφημα");
    TCustomForm* chart = nullptr;
    for (int i = 0; i < fmHolder->pnlHolder->ControlCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(fmHolder->pnlHolder->Controls(i)))
            if (form != design)
                chart = form;
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(Inside(chart->BoundsRect(), fmHolder->pnlHolder->ClientRect()));
    TestKit::RenderToPng(fmHolder, ShotFile("small_screen_chart.png"));
}

} // namespace
