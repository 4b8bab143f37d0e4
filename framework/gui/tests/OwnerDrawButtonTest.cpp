#include "framework/gui/OwnerDrawButton.h"
#include "framework/gui/Delays.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Palettes.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// An owner-drawn button that records its messages and may refuse activation.
class TProbe : public TOwnerDrawButton {
public:
    explicit TProbe(TComponent* owner) : TOwnerDrawButton(owner) { SetBounds(10, 10, 60, 30); }
    std::vector<UINT> Messages;
    LRESULT ActivateAnswer = 0;
    int Draws = 0;
    TRect DrawnRect;

    void HandleMessage(TMessage& m) override {
        if (m.Msg == WM_MOUSEACTIVATE || m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONUP)
            Messages.push_back(m.Msg);
        if (m.Msg == WM_MOUSEACTIVATE && ActivateAnswer) {
            m.Result = ActivateAnswer;
            return;
        }
        if (m.Msg == CN_DRAWITEM) {
            auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            ++Draws;
            DrawnRect = dis->RcItem;
            EXPECT_EQ(dis->CtlType, ODT_BUTTON);
            dis->Canvas->Brush()->SetColor(clLime);
            dis->Canvas->FillRect(dis->RcItem);
            m.Result = 1;
            return;
        }
        TOwnerDrawButton::HandleMessage(m);
    }
};

class OwnerDrawButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 200, 100);
        Probe = new TProbe(Form);
        Probe->SetParent(Form);
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    TForm* Form = nullptr;
    TProbe* Probe = nullptr;
};

TEST_F(OwnerDrawButtonTest, PaintsThroughTheParentsDrawRequest) {
    Probe->Repaint();
    EXPECT_GE(Probe->Draws, 1);
    EXPECT_EQ(Probe->DrawnRect, TRect(0, 0, 60, 30));
}

TEST_F(OwnerDrawButtonTest, MouseActivationComesBeforeThePressAndCanEatIt) {
    TestKit::Click(Probe);
    ASSERT_GE(Probe->Messages.size(), 2u);
    EXPECT_EQ(Probe->Messages[0], WM_MOUSEACTIVATE);
    EXPECT_EQ(Probe->Messages[1], WM_LBUTTONDOWN);
    Probe->Messages.clear();
    Probe->ActivateAnswer = MA_NOACTIVATEANDEAT;
    TestKit::MouseDown(Probe, TestKit::Center(Probe));
    EXPECT_EQ(Probe->Messages, std::vector<UINT>{WM_MOUSEACTIVATE});
    TestKit::MouseUp(Probe, TestKit::Center(Probe));
}

TEST_F(OwnerDrawButtonTest, KindGlyphsHaveTwoFramesAndCustomHasNone) {
    EXPECT_EQ(KindGlyph(bkCustom), nullptr);
    for (TBitBtnKind k :
         {bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll}) {
        const TBitmap* g = KindGlyph(k);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->Width(), 2 * g->Height());
        EXPECT_EQ(KindGlyph(k), g) << "made once and shared";
    }
}

TEST_F(OwnerDrawButtonTest, SleepLetsTheManualClockRunAndPalettesAreAccepted) {
    SetManualClock(true);
    int fired = 0;
    auto* timer = new TTimer(Form);
    timer->SetInterval(100);
    timer->SetOnTimer(TNotifyEvent([&](TObject*) { ++fired; }));
    timer->SetEnabled(true);
    uint32_t start = GetTickCount();
    Sleep(350);
    EXPECT_EQ(GetTickCount() - start, 350u);
    EXPECT_EQ(fired, 3);
    timer->SetEnabled(false);

    TLogPalette pal;
    pal.Entries.resize(256);
    HPALETTE h = CreatePalette(pal);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(RealizePalette(Form->Canvas()), 0);
    EXPECT_TRUE(DeletePalette(h));
    EXPECT_GT(ScreenBitsPerPixel(), 8);
}

} // namespace
