#include "persist/GuiUtils.h"

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"
#include "persist/ExConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

class GuiUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Target.SetSize(320, 60);
        Clear();
    }
    void Clear() {
        TCanvas* c = Target.Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(0, 0, Target.Width(), Target.Height()));
        c->Font()->SetColor(clBlack);
    }
    // Dark: the mean of the strongest and the weakest of the pixel's blue, green and red
    // bytes is below the middle.
    bool Inked(int x, int y) const {
        const uint8_t* p = Target.ScanLine(y) + 4 * x;
        return (std::max({p[0], p[1], p[2]}) + std::min({p[0], p[1], p[2]})) / 2 < 128;
    }
    bool ColumnInked(int x) {
        for (int y = 0; y < Target.Height(); ++y)
            if (Inked(x, y))
                return true;
        return false;
    }
    // Runs of rows holding ink within x0..x1.
    int InkBands(int x0, int x1) {
        int bands = 0;
        bool inBand = false;
        for (int y = 0; y < Target.Height(); ++y) {
            bool ink = false;
            for (int x = x0; x < x1 && !ink; ++x)
                ink = Inked(x, y);
            if (ink && !inBand)
                ++bands;
            inBand = ink;
        }
        return bands;
    }
    TBitmap Target;
};

TEST_F(GuiUtilsTest, CellTextIsClippedInBothWays) {
    const std::string text = "WWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    for (bool wordWrap : {false, true}) {
        Clear();
        TCanvas* c = Target.Canvas();
        c->Brush()->SetColor(clWhite);
        DrawCellTextBuffered(c, TRect(40, 10, 80, 40), 2, false, wordWrap, taLeftJustify, text, 2);
        EXPECT_TRUE(ColumnInked(50)) << wordWrap;
        for (int x : {0, 39, 80, 200})
            EXPECT_FALSE(ColumnInked(x)) << wordWrap << " at " << x;
    }
}

TEST_F(GuiUtilsTest, CachedBitmapGrowsAndNeverShrinks) {
    TCanvas* c = Target.Canvas();
    DrawCellTextBuffered(c, TRect(0, 0, 300, 30), 2, false, true, taCenter, "wide", 2);
    DrawCellTextBuffered(c, TRect(0, 0, 100, 50), 2, false, true, taCenter, "tall", 2);
    EXPECT_GE(CachedCellBitmap()->Width(), 300);
    EXPECT_GE(CachedCellBitmap()->Height(), 50);
}

TEST_F(GuiUtilsTest, CarriageReturnBreaksLinesWithoutWordWrap) {
    TCanvas* c = Target.Canvas();
    DrawCellTextBuffered(c, TRect(0, 0, 150, 60), 2, false, false, taLeftJustify, "Ταχύτητα\r(m/s)",
                         2);
    EXPECT_EQ(InkBands(0, 150), 2);
    DrawCellTextBuffered(c, TRect(160, 0, 310, 60), 2, false, false, taLeftJustify, "Ισχύς (watt)",
                         2);
    EXPECT_EQ(InkBands(160, 310), 1);
}

TEST_F(GuiUtilsTest, AlignmentPlacesTheText) {
    struct TCase {
        TAlignment Alignment;
        int InkedX, BlankX; // a column that has ink and one that has none
    };
    const TCase cases[] = {{taLeftJustify, 4, 150}, {taRightJustify, 150, 10}, {taCenter, 80, 10}};
    for (const TCase& c : cases) {
        Clear();
        DrawCellTextAligned(Target.Canvas(), false, false, vaCenter, c.Alignment,
                            TRect(0, 0, 160, 30), "MM");
        EXPECT_TRUE(ColumnInked(c.InkedX) || ColumnInked(c.InkedX - 3)) << int(c.Alignment);
        EXPECT_FALSE(ColumnInked(c.BlankX)) << int(c.Alignment);
    }
}

TEST_F(GuiUtilsTest, CentredTextInALowCellKeepsATopOffsetOfOne) {
    TCanvas* c = Target.Canvas();
    ASSERT_GT(c->TextHeight("W"), 8);
    DrawCellTextAligned(c, false, false, vaCenter, taLeftJustify, TRect(0, 20, 100, 28), "Hg");
    TBitmap aligned;
    aligned.AssignFrom(&Target);
    Clear();
    DrawCellTextBuffered(c, TRect(0, 20, 100, 28), 2, false, false, taLeftJustify, "Hg", 1);
    EXPECT_TRUE(aligned.SamePixels(Target));
}

TEST_F(GuiUtilsTest, DiscardingRemovesOneMessageButNeverAQuitRequest) {
    HWND w = AllocateHWnd(TWndMethod([](TMessage&) {}));
    PostMessage(w, WM_CHAR, 'a');
    PostMessage(w, WM_CHAR, 'b');
    DiscardPendingMessage(w, WM_CHAR);
    TMsg m;
    ASSERT_TRUE(PeekMessage(m, w, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM('b'));
    EXPECT_FALSE(PeekMessage(m, w, WM_CHAR, WM_CHAR, PM_NOREMOVE));
    DiscardPendingMessage(w, WM_CHAR); // nothing queued: nothing happens

    PostQuitMessage(3);
    DiscardPendingMessage(0, WM_QUIT);
    ASSERT_TRUE(PeekMessage(m, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM(3));
    DeallocateHWnd(w);
}

TEST_F(GuiUtilsTest, SpinGlyphsAndCursorsAreDrawnHere) {
    TBitmap up, down;
    LoadExBitmap(&up, kSpinUpGlyphResource);
    LoadExBitmap(&down, kSpinDownGlyphResource);
    ASSERT_EQ(up.Width(), 6);
    ASSERT_EQ(up.Height(), 6);
    const char* upRows[6] = {"..##..", ".####.", "######", "..##..", "..##..", "..##.."};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool black = upRows[y][x] == '#';
            EXPECT_EQ(up.Canvas()->Pixels(x, y) == clBlack, black) << x << "," << y;
            EXPECT_EQ(down.Canvas()->Pixels(x, 5 - y) == clBlack, black) << x << "," << y;
        }
    EXPECT_EQ(up.TransparentColor(), clWhite);
    EXPECT_THROW(LoadExBitmap(&up, "NOSUCH"), EInvalidGraphic);

    RegisterExCursors();
    EXPECT_TRUE(Screen->HasCursor(crHand));
    EXPECT_TRUE(Screen->HasCursor(crDragHand));
    TBitmap hand;
    TestKit::CursorPicture(crHand, hand);
    EXPECT_FALSE(hand.Empty());
}

} // namespace
