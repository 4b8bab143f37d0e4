#include "framework/gui/StatusWindow.h"
#include "framework/gui/Forms.h"
#include "framework/gui/PlatformCalls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

namespace {

// A status window that records the owner-draw requests reflected back to it.
class TRecordingStatus : public TStatusWindow {
public:
    explicit TRecordingStatus(TComponent* owner) : TStatusWindow(owner) {}
    struct TDraw {
        UINT Part;
        TRect Rect;
        std::string Text;
    };
    std::vector<TDraw> Draws;
    uint32_t ExtraStyle = 0;

protected:
    void PrepareWindowParams(TCreateParams& params) override {
        TStatusWindow::PrepareWindowParams(params);
        params.Style |= ExtraStyle;
    }
    void HandleMessage(TMessage& m) override {
        if (m.Msg == CN_DRAWITEM) {
            auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            Draws.push_back(
                {dis->ItemID, dis->RcItem, reinterpret_cast<const char*>(dis->ItemData)});
            dis->Canvas->Brush()->SetColor(clRed);
            dis->Canvas->FillRect(dis->RcItem);
            m.Result = 1;
            return;
        }
        TStatusWindow::HandleMessage(m);
    }
};

class StatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 400, 100);
        Bar = new TRecordingStatus(Form);
        Bar->SetBounds(0, 80, 400, 20);
        Bar->SetParent(Form);
        Form->Show();
        Bar->HandleNeeded();
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    void SetParts(std::vector<int> edges) {
        Bar->Perform(SB_SETPARTS, edges.size(), LPARAM(edges.data()));
    }
    TForm* Form = nullptr;
    TRecordingStatus* Bar = nullptr;
};

TEST_F(StatusWindowTest, PartsAreLaidOutByTheirRightEdges) {
    // A new window has one part to the end.
    EXPECT_EQ(Bar->Perform(SB_GETPARTS, 0, 0), 1);
    SetParts({100, 220, -1});
    int edges[3] = {};
    ASSERT_EQ(Bar->Perform(SB_GETPARTS, 3, LPARAM(edges)), 3);
    EXPECT_EQ(std::vector<int>(edges, edges + 3), std::vector<int>({100, 220, -1}));
    struct {
        int Part;
        TRect Expected;
    } cases[] = {
        {0, TRect(0, 2, 100, 20)}, {1, TRect(102, 2, 220, 20)}, {2, TRect(222, 2, 400, 20)}};
    for (auto& c : cases) {
        TRect r;
        ASSERT_TRUE(Bar->Perform(SB_GETRECT, c.Part, LPARAM(&r))) << c.Part;
        EXPECT_EQ(r, c.Expected) << c.Part;
    }
    TRect r;
    EXPECT_FALSE(Bar->Perform(SB_GETRECT, 3, LPARAM(&r)));
    // More parts than a window holds are refused, and the old ones stay.
    std::vector<int> many(kStatusWindowMaxParts + 1, 1);
    EXPECT_EQ(Bar->Perform(SB_SETPARTS, many.size(), LPARAM(many.data())), 0);
    EXPECT_EQ(Bar->PartCount(), 3);
}

TEST_F(StatusWindowTest, TextsKeepTheirFlagsAndOwnerDrawnPartsAskTheirOwner) {
    SetParts({150, -1});
    Bar->Perform(SB_SETTEXT, 0 | SBT_OWNERDRAW | SBT_NOBORDERS, LPARAM("first"));
    Bar->Perform(SB_SETTEXT, 1 | SBT_POPOUT, LPARAM("\t\tright"));
    EXPECT_EQ(Bar->Perform(SB_SETTEXT, 5, LPARAM("none")), 0); // no such part
    EXPECT_EQ(Bar->PartText(0), "first");
    EXPECT_EQ(Bar->PartFlags(0), SBT_OWNERDRAW | SBT_NOBORDERS);
    EXPECT_EQ(Bar->PartFlags(1), SBT_POPOUT);
    EXPECT_EQ(HIWORD(uintptr_t(Bar->Perform(SB_GETTEXTLENGTH, 1))), SBT_POPOUT);
    QImage image = TestKit::Render(Bar)->ToImage();
    // Only the owner-drawn part was asked for, with its whole rectangle (no border).
    ASSERT_FALSE(Bar->Draws.empty());
    EXPECT_EQ(Bar->Draws.back().Part, 0u);
    EXPECT_EQ(Bar->Draws.back().Rect, TRect(0, 2, 150, 20));
    EXPECT_EQ(Bar->Draws.back().Text, "first");
    EXPECT_EQ(QColorToColor(image.pixelColor(10, 10)), clRed);
    EXPECT_NE(QColorToColor(image.pixelColor(200, 10)), clRed);
}

TEST_F(StatusWindowTest, SimpleModeShowsOnePartAcrossTheWindow) {
    SetParts({100, -1});
    Bar->Perform(SB_SETTEXT, SB_SIMPLEID, LPARAM("simple"));
    Bar->Perform(SB_SIMPLE, 1);
    EXPECT_EQ(Bar->Perform(SB_ISSIMPLE), 1);
    TRect r;
    ASSERT_TRUE(Bar->Perform(SB_GETRECT, 0, LPARAM(&r)));
    EXPECT_EQ(r, TRect(0, 2, 400, 20));
    EXPECT_EQ(Bar->SimpleModeText(), "simple");
    Bar->Perform(SB_SIMPLE, 0);
    ASSERT_TRUE(Bar->Perform(SB_GETRECT, 0, LPARAM(&r)));
    EXPECT_EQ(r, TRect(0, 2, 100, 20));
    // A re-created window starts over with one part.
    Bar->RecreateWnd();
    EXPECT_EQ(Bar->PartCount(), 1);
    EXPECT_EQ(Bar->WindowCreations(), 2);
}

TEST_F(StatusWindowTest, SizeGripIsDrawnOnlyWithItsStyle) {
    Bar->ExtraStyle = SBARS_SIZEGRIP;
    Bar->RecreateWnd();
    EXPECT_TRUE(Bar->HasSizeGripStyle());
    QImage with = TestKit::Render(Bar)->ToImage();
    Bar->ExtraStyle = 0;
    Bar->RecreateWnd();
    EXPECT_FALSE(Bar->HasSizeGripStyle());
    QImage without = TestKit::Render(Bar)->ToImage();
    EXPECT_NE(with.pixelColor(396, 17), without.pixelColor(396, 17));
}

// ---------------------------------------------------------------------------
// Platform calls

TEST_F(StatusWindowTest, SetWindowPosMovesAndSizesAsAsked) {
    struct {
        UINT Flags;
        TRect Expected;
    } cases[] = {
        {SWP_NOZORDER | SWP_NOREDRAW, TRect(5, 6, 55, 26)},
        {SWP_NOZORDER | SWP_NOMOVE, TRect(0, 80, 50, 100)},
        {SWP_NOZORDER | SWP_NOSIZE, TRect(5, 6, 405, 26)},
    };
    for (auto& c : cases) {
        Bar->SetBounds(0, 80, 400, 20);
        EXPECT_TRUE(SetWindowPos(Bar->Handle(), HWND_TOP, 5, 6, 50, 20, c.Flags));
        EXPECT_EQ(Bar->BoundsRect(), c.Expected) << c.Flags;
    }
    EXPECT_FALSE(SetWindowPos(0, HWND_TOP, 0, 0, 1, 1, 0));
}

TEST_F(StatusWindowTest, DrawFrameControlDrawsPushedButtonsSunken) {
    TBitmap bmp(20, 20);
    TRect r(0, 0, 20, 20);
    ASSERT_TRUE(DrawFrameControl(bmp.Canvas(), r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
    EXPECT_EQ(r, TRect(2, 2, 18, 18));
    TColor raisedTopLeft = bmp.Canvas()->Pixels(0, 0);
    TRect r2(0, 0, 20, 20);
    DrawFrameControl(bmp.Canvas(), r2, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(r2, TRect(0, 0, 20, 20)); // without DFCS_ADJUSTRECT the rectangle stays
    EXPECT_NE(bmp.Canvas()->Pixels(0, 0), raisedTopLeft);
    TRect r3(0, 0, 20, 20);
    EXPECT_FALSE(DrawFrameControl(bmp.Canvas(), r3, 99, 0));
}

TEST_F(StatusWindowTest, DropArrowResourcesPointTheirWay) {
    struct {
        const char* Name;
        int W, H;
        TPoint Tip, Base; // a black pixel at the tip and at the wide end
    } cases[] = {
        {"FCDROPUP", 10, 4, {4, 0}, {1, 3}},
        {"fcdropdown", 10, 4, {4, 3}, {1, 0}},
        {"FCDROPLEFT", 4, 10, {0, 4}, {3, 1}},
        {"FCDROPRIGHT", 4, 10, {3, 4}, {0, 1}},
    };
    for (auto& c : cases) {
        TBitmap bmp;
        ASSERT_TRUE(LoadBitmapResource(&bmp, c.Name)) << c.Name;
        EXPECT_EQ(bmp.Width(), c.W);
        EXPECT_EQ(bmp.Height(), c.H);
        EXPECT_EQ(bmp.Canvas()->Pixels(c.Tip.X, c.Tip.Y), clBlack) << c.Name;
        EXPECT_EQ(bmp.Canvas()->Pixels(c.Base.X, c.Base.Y), clBlack) << c.Name;
        // The background (the transparent colour) is the bottom-left pixel's.
        EXPECT_EQ(bmp.TransparentColor() & 0xFFFFFF, clWhite) << c.Name;
    }
    TBitmap none;
    EXPECT_FALSE(LoadBitmapResource(&none, "NOSUCH"));
}

TEST_F(StatusWindowTest, NamesThatDoNotFitTheBufferAreRefused) {
    OverrideSystemNames(std::string(24, 'u'), std::string(25, 'c'));
    std::string name = "x";
    EXPECT_TRUE(GetUserName(name, 25));
    EXPECT_EQ(name, std::string(24, 'u'));
    EXPECT_FALSE(GetComputerName(name, 25));
    EXPECT_EQ(name, "");
    OverrideSystemNames(std::nullopt, std::nullopt);
    EXPECT_TRUE(GetComputerName(name, 256));
    EXPECT_FALSE(name.empty());
}

} // namespace
