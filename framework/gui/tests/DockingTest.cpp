#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class DockingTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Host = CreateForm<TForm>(nullptr);
        Host->SetName("fmHost");
        Host->SetBounds(10, 10, 400, 300);
        Site = new TPanel(Host);
        Site->SetName("Site");
        Site->SetAlign(alLeft);
        Site->SetWidth(150);
        Site->SetParent(Host);
        Site->SetBevelOuter(bvNone);
        Site->SetDockSite(true);
        Client = CreateForm<TForm>(Host);
        Client->SetName("fmClient");
        Client->SetBorderStyle(bsNone);
        Client->SetOnClose([this](TObject*, TCloseAction& action) {
            ++Closes;
            if (Refuse)
                action = caNone;
        });
        Client->ManualDock(Site);
        Client->Show();
        Host->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override { delete Host; }

    TForm* Host = nullptr;
    TPanel* Site = nullptr;
    TForm* Client = nullptr;
    int Closes = 0;
    bool Refuse = false;
};

TEST_F(DockingTest, TheDockedClientFillsTheSiteBelowItsCaptionStrip) {
    EXPECT_EQ(Client->HostDockSite(), Site);
    EXPECT_EQ(Client->Parent(), Site);
    ASSERT_EQ(Site->DockClientCount(), 1);
    const TRect strip = Site->DockCaptionRect(Client);
    const TRect inner = Site->ClientRect();
    EXPECT_EQ(strip.Top, inner.Top);
    EXPECT_EQ(strip.Width(), inner.Width());
    EXPECT_GT(strip.Height(), 0);
    EXPECT_EQ(Client->BoundsRect(), TRect(inner.Left, strip.Bottom, inner.Right, inner.Bottom));
    const TRect close = Site->DockCloseButtonRect(Client);
    EXPECT_TRUE(PtInRect(strip, TPoint(close.Left, close.Top)));
    EXPECT_LE(close.Right, strip.Right);
    // The strip and the client follow the site's size.
    Site->SetWidth(200);
    EXPECT_EQ(Client->Width(), Site->ClientWidth());
    const std::string png =
        (std::filesystem::path(testing::TempDir()) / "DockingTest-site.png").string();
    EXPECT_TRUE(TestKit::RenderToPng(Host, png));
}

TEST_F(DockingTest, TheCloseButtonClosesTheClientAndShowingItBringsTheStripBack) {
    const TRect close = Site->DockCloseButtonRect(Client);
    const TPoint centre((close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2);
    // A click on the strip beside the button closes nothing.
    TestKit::ClickAt(Site, TPoint(10, centre.Y));
    EXPECT_EQ(Closes, 0);
    // OnClose may keep the client.
    Refuse = true;
    TestKit::ClickAt(Site, centre);
    EXPECT_EQ(Closes, 1);
    EXPECT_TRUE(Client->Visible());
    // The default closing hides it, and the strip goes with it.
    Refuse = false;
    TestKit::ClickAt(Site, centre);
    EXPECT_EQ(Closes, 2);
    EXPECT_FALSE(Client->Visible());
    EXPECT_TRUE(Site->DockCaptionRect(Client).IsEmpty());
    Client->Show();
    EXPECT_FALSE(Site->DockCaptionRect(Client).IsEmpty());
    EXPECT_EQ(Client->Top(), Site->DockCaptionRect(Client).Bottom);
    // A press on the button released outside it is no click.
    TestKit::MouseDown(Site, centre);
    TestKit::MouseUp(Site, TPoint(10, 100));
    EXPECT_EQ(Closes, 2);
}

TEST_F(DockingTest, ClientsShareTheSiteAndLeaveItWhenFreedOrUndocked) {
    auto* second = new TPanel(Host);
    second->ManualDock(Site);
    ASSERT_EQ(Site->DockClientCount(), 2);
    const TRect first = Site->DockCaptionRect(Client);
    const TRect other = Site->DockCaptionRect(second);
    EXPECT_LT(first.Top, other.Top);
    EXPECT_EQ(Client->BoundsRect().Bottom, other.Top);
    // Closing a plain control hides it; the form takes the whole site again.
    const TRect close = Site->DockCloseButtonRect(second);
    TestKit::ClickAt(Site, TPoint(close.Left + 3, close.Top + 3));
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(Client->BoundsRect().Bottom, Site->ClientRect().Bottom);
    delete second;
    EXPECT_EQ(Site->DockClientCount(), 1);
    Client->ManualDock(nullptr);
    EXPECT_EQ(Site->DockClientCount(), 0);
    EXPECT_EQ(Client->HostDockSite(), nullptr);
    EXPECT_TRUE(Site->DockCaptionRect(Client).IsEmpty());
}

} // namespace
