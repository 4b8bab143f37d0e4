#include "framework/gui/Canvas.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/tests/TestApp.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>

namespace {

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTestApplication(); }

    // A white bitmap of the given size.
    static std::unique_ptr<TBitmap> White(int w, int h) { return std::make_unique<TBitmap>(w, h); }

    // A pixel of the bitmap, whatever the canvas' clip and mapping.
    static TColor Px(TBitmap& b, int x, int y) {
        QRgb c = b.Image().pixel(x, y);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    }

    // The bounding box of the pixels that are not white (empty when none).
    static TRect Ink(TBitmap& b) {
        TRect r;
        bool any = false;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if (Px(b, x, y) != clWhite) {
                    if (!any)
                        r = TRect(x, y, x + 1, y + 1);
                    r = TRect(std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                              std::max(r.Bottom, y + 1));
                    any = true;
                }
        return r;
    }
};

TEST_F(CanvasTest, FiguresExcludeTheirRightAndBottomEdges) {
    struct TCase {
        const char* Name;
        std::function<void(TCanvas*)> Draw;
        TRect ExpectedInk;
    };
    const TCase cases[] = {
        {"Rectangle", [](TCanvas* c) { c->Rectangle(2, 3, 12, 9); }, TRect(2, 3, 12, 9)},
        {"Ellipse", [](TCanvas* c) { c->Ellipse(2, 3, 12, 9); }, TRect(2, 3, 12, 9)},
        {"RoundRect", [](TCanvas* c) { c->RoundRect(2, 3, 12, 9, 4, 4); }, TRect(2, 3, 12, 9)},
        {"FillRect",
         [](TCanvas* c) {
             c->Brush()->SetColor(clBlack);
             c->FillRect(TRect(2, 3, 12, 9));
         },
         TRect(2, 3, 12, 9)},
        {"FrameRect",
         [](TCanvas* c) {
             c->Brush()->SetColor(clBlack);
             c->FrameRect(TRect(2, 3, 12, 9));
         },
         TRect(2, 3, 12, 9)},
        // Without an outline the filled figure is one pixel smaller.
        {"RectangleClearPen",
         [](TCanvas* c) {
             c->Pen()->SetStyle(psClear);
             c->Brush()->SetColor(clBlack);
             c->Rectangle(2, 3, 12, 9);
         },
         TRect(2, 3, 11, 8)},
        {"InsideFramePen",
         [](TCanvas* c) {
             c->Pen()->SetStyle(psInsideFrame);
             c->Pen()->SetWidth(3);
             c->Rectangle(2, 3, 12, 9);
         },
         TRect(2, 3, 12, 9)},
    };
    for (const TCase& tc : cases) {
        auto b = White(16, 12);
        tc.Draw(b->Canvas());
        EXPECT_EQ(Ink(*b), tc.ExpectedInk) << tc.Name;
    }
}

// An ellipse far larger than the bitmap (a crafted picture's) is laid out only where the
// bitmap is: it fills what it covers and returns at once.
TEST_F(CanvasTest, HugeEllipseCostsOnlyTheSurfaceItCovers) {
    for (bool outlined : {true, false}) {
        TBitmap b(32, 32);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(clRed);
        c->Pen()->SetStyle(outlined ? psSolid : psClear);
        c->Ellipse(-1000000, -1000000, 1000000, 1000000);
        EXPECT_EQ(c->Pixels(16, 16), clRed);
        EXPECT_EQ(c->Pixels(0, 31), clRed);
        c->Brush()->SetColor(clBlue);
        c->Ellipse(-1000000, 10, 1000000, 20); // wide and flat: its rows cross the bitmap
        EXPECT_EQ(c->Pixels(16, 15), clBlue);
        EXPECT_EQ(c->Pixels(16, 25), clRed);
    }
}

// An image stretched far beyond the bitmap is scaled only over the part that shows.
TEST_F(CanvasTest, HugeStretchedImageShowsItsVisiblePart) {
    TBitmap image(2, 2);
    image.Canvas()->Brush()->SetColor(clGreen);
    image.Canvas()->FillRect(TRect(0, 0, 2, 2));
    image.Canvas()->SetPixels(0, 0, clRed);
    TBitmap b(32, 32);
    b.Canvas()->StretchDraw(TRect(-1000000, -1000000, 1000000, 1000000), &image);
    EXPECT_EQ(b.Canvas()->Pixels(16, 16), clGreen); // the image's lower right quarter
    b.Canvas()->StretchDraw(TRect(-1999990, -1999990, 10, 10), &image);
    EXPECT_EQ(b.Canvas()->Pixels(5, 5), clGreen);
    EXPECT_EQ(b.Canvas()->Pixels(20, 20), clGreen);
    b.Canvas()->StretchDraw(TRect(0, 0, 2000000, 2000000), &image);
    EXPECT_EQ(b.Canvas()->Pixels(5, 5), clRed); // the upper left quarter
}

TEST_F(CanvasTest, LineToLeavesOutItsLastPixelAndMovesThePosition) {
    struct TCase {
        TPoint From, To;
        TPoint LastDrawn, NotDrawn;
    };
    const TCase cases[] = {
        {{1, 1}, {8, 1}, {7, 1}, {8, 1}},
        {{8, 4}, {1, 4}, {2, 4}, {1, 4}},
        {{3, 9}, {3, 2}, {3, 3}, {3, 2}},
        {{1, 1}, {7, 7}, {6, 6}, {7, 7}},
    };
    for (const TCase& tc : cases) {
        auto b = White(10, 10);
        TCanvas* c = b->Canvas();
        c->MoveTo(tc.From.X, tc.From.Y);
        c->LineTo(tc.To.X, tc.To.Y);
        EXPECT_EQ(c->PenPos(), tc.To);
        EXPECT_EQ(c->Pixels(tc.From.X, tc.From.Y), clBlack);
        EXPECT_EQ(c->Pixels(tc.LastDrawn.X, tc.LastDrawn.Y), clBlack);
        EXPECT_EQ(c->Pixels(tc.NotDrawn.X, tc.NotDrawn.Y), clWhite);
    }
}

TEST_F(CanvasTest, WidePolylineAndStyledPens) {
    auto b = White(40, 20);
    TCanvas* c = b->Canvas();
    // A dashed pen of width 1 leaves gaps; wider it draws solid.
    c->Pen()->SetStyle(psDash);
    c->MoveTo(0, 2);
    c->LineTo(40, 2);
    int gaps = 0;
    for (int x = 0; x < 40; ++x)
        gaps += c->Pixels(x, 2) == clWhite;
    EXPECT_GT(gaps, 4);
    c->Pen()->SetWidth(3);
    c->MoveTo(2, 10);
    c->LineTo(38, 10);
    for (int x = 2; x < 38; ++x)
        EXPECT_EQ(c->Pixels(x, 10), clBlack) << x;
    // A polyline of a wide pen goes through every vertex.
    TPoint pts[] = {{2, 14}, {20, 14}, {20, 18}};
    c->Pen()->SetColor(clRed);
    c->Polyline(pts, 3);
    EXPECT_EQ(c->Pixels(20, 14), clRed);
    EXPECT_EQ(c->Pixels(20, 17), clRed);
}

TEST_F(CanvasTest, NotXorTwiceRestoresThePicture) {
    auto b = White(30, 30);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clAqua);
    c->Ellipse(2, 2, 25, 20);
    c->Pen()->SetColor(clRed);
    c->MoveTo(0, 29);
    c->LineTo(29, 0);
    QImage before = b->ToImage();
    c->Pen()->SetMode(pmNotXor);
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    for (int pass = 0; pass < 2; ++pass) {
        c->MoveTo(3, 5);
        c->LineTo(27, 22);
        c->Rectangle(6, 6, 20, 26);
        if (pass == 0) {
            EXPECT_NE(b->ToImage(), before);
            // Not-xor with black inverts: white becomes black.
            EXPECT_EQ(c->Pixels(6, 25), clBlack);
        }
    }
    EXPECT_EQ(b->ToImage(), before);
    // Focus rectangles are exclusive-or too.
    c->DrawFocusRect(TRect(1, 1, 28, 28));
    EXPECT_NE(b->ToImage(), before);
    c->DrawFocusRect(TRect(1, 1, 28, 28));
    EXPECT_EQ(b->ToImage(), before);
}

// Lines through a region of many rectangles draw exactly inside it, also when the region
// changes from one line to the next.
TEST_F(CanvasTest, LinesKeepToARegionOfManyRectangles) {
    auto b = White(20, 20);
    TCanvas* c = b->Canvas();
    TRegion ring = TRegion::FromRect(2, 2, 18, 18);
    ring.Combine(TRegion::FromRect(6, 6, 14, 14), RGN_DIFF);
    TRegion other = TRegion::FromRect(0, 0, 4, 20);
    other.Combine(TRegion::FromRect(16, 0, 20, 20), RGN_OR);
    for (int y : {1, 4, 10}) {
        c->SelectClipRgn(&ring);
        c->MoveTo(0, y);
        c->LineTo(20, y);
        for (int x = 0; x < 20; ++x) {
            const bool inside =
                y >= 2 && y < 18 && x >= 2 && x < 18 && !(y >= 6 && y < 14 && x >= 6 && x < 14);
            EXPECT_EQ(Px(*b, x, y), inside ? clBlack : clWhite) << x << "," << y;
        }
        c->SelectClipRgn(&other);
        c->MoveTo(0, y + 1);
        c->LineTo(20, y + 1);
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(Px(*b, x, y + 1), x < 4 || x >= 16 ? clBlack : clWhite) << x;
    }
}

TEST_F(CanvasTest, ClipRegionsLimitDrawing) {
    auto b = White(20, 20);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlack);
    TRegion rgn = TRegion::FromRect(5, 5, 10, 10);
    EXPECT_EQ(c->SelectClipRgn(&rgn), SIMPLEREGION);
    c->FillRect(TRect(0, 0, 20, 20));
    EXPECT_EQ(Ink(*b), TRect(5, 5, 10, 10));
    EXPECT_EQ(c->ClipRect(), TRect(5, 5, 10, 10));

    int saved = c->SaveDC();
    EXPECT_EQ(c->ExcludeClipRect(6, 6, 8, 8), COMPLEXREGION);
    c->SelectClipRgn(nullptr);
    c->IntersectClipRect(12, 0, 20, 20);
    c->ExcludeClipRect(14, 0, 20, 20);
    c->FillRect(TRect(0, 0, 20, 20));
    EXPECT_EQ(Px(*b, 13, 19), clBlack);
    EXPECT_EQ(Px(*b, 14, 19), clWhite);
    EXPECT_EQ(Px(*b, 11, 19), clWhite);
    // Outside the clip region a pixel cannot be read.
    EXPECT_EQ(c->Pixels(11, 19), clNone);
    EXPECT_TRUE(c->RestoreDC(saved));
    TRegion restored;
    ASSERT_TRUE(c->GetClipRgn(restored));
    EXPECT_EQ(restored, rgn);

    c->SelectClipRgn(nullptr);
    EXPECT_FALSE(c->GetClipRgn(restored));
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 20, 20));
    EXPECT_EQ(Ink(*b), TRect(0, 0, 20, 20));
}

TEST_F(CanvasTest, TextAlignmentPlacesTheTextCell) {
    auto probe = White(10, 10);
    TSize ext = probe->Canvas()->TextExtent("HHH");
    ASSERT_GT(ext.cx, 5);
    ASSERT_GT(ext.cy, 5);
    struct TCase {
        unsigned Align;
        // Expected ink box relative to the reference point, loosely: ink must lie within.
        bool RightOf, LeftOf, Centred, Below, Above;
    };
    const TCase cases[] = {
        {TA_LEFT | TA_TOP, true, false, false, true, false},
        {TA_RIGHT | TA_TOP, false, true, false, true, false},
        {TA_CENTER | TA_TOP, false, false, true, true, false},
        {TA_LEFT | TA_BOTTOM, true, false, false, false, true},
        {TA_LEFT | TA_BASELINE, true, false, false, false, true},
    };
    for (const TCase& tc : cases) {
        auto b = White(120, 80);
        TCanvas* c = b->Canvas();
        c->Brush()->SetStyle(bsClear);
        c->SetTextAlign(tc.Align);
        c->TextOut(60, 40, "HHH");
        TRect ink = Ink(*b);
        ASSERT_FALSE(ink.IsEmpty()) << tc.Align;
        if (tc.RightOf) {
            EXPECT_GE(ink.Left, 60) << tc.Align;
        }
        if (tc.LeftOf) {
            EXPECT_LE(ink.Right, 60) << tc.Align;
        }
        if (tc.Centred) {
            EXPECT_LE(std::abs((ink.Left + ink.Right) / 2 - 60), 2) << tc.Align;
        }
        if (tc.Below) {
            EXPECT_GE(ink.Top, 40) << tc.Align;
        }
        if (tc.Above) {
            EXPECT_LE(ink.Bottom, 40) << tc.Align;
        }
    }
    // On the baseline the capitals stand on the reference line; at the bottom the
    // descent lies between.
    auto a = White(120, 80), d = White(120, 80);
    a->Canvas()->SetTextAlign(TA_BASELINE);
    a->Canvas()->Brush()->SetStyle(bsClear);
    a->Canvas()->TextOut(10, 40, "H");
    d->Canvas()->SetTextAlign(TA_BOTTOM);
    d->Canvas()->Brush()->SetStyle(bsClear);
    d->Canvas()->TextOut(10, 40, "H");
    EXPECT_EQ(Ink(*a).Bottom, 40);
    EXPECT_LT(Ink(*d).Bottom, 40);
}

TEST_F(CanvasTest, SolidBrushMakesTextOpaque) {
    auto b = White(60, 30);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clYellow);
    c->TextOut(2, 2, "i");
    // The whole text cell is painted, not only the glyph.
    TSize ext = c->TextExtent("i");
    EXPECT_EQ(c->Pixels(2, 2), clYellow);
    EXPECT_EQ(c->Pixels(2 + ext.cx - 1, 2 + ext.cy - 1), clYellow);
    EXPECT_EQ(c->PenPos(), TPoint(2 + ext.cx, 2));
    // A clear brush leaves the background; setting the mode directly holds until the
    // brush changes.
    auto t = White(60, 30);
    t->Canvas()->Brush()->SetStyle(bsClear);
    t->Canvas()->TextOut(2, 2, "i");
    EXPECT_EQ(t->Canvas()->Pixels(2, 2), clWhite);
    c->SetBkMode(TRANSPARENT);
    c->TextOut(30, 2, "i");
    EXPECT_EQ(c->Pixels(30, 2), clWhite);
}

TEST_F(CanvasTest, DrawTextFlags) {
    auto b = White(200, 200);
    TCanvas* c = b->Canvas();
    int line = c->TextHeight("W");
    struct TCase {
        std::string Text;
        unsigned Flags;
        int Lines;
    };
    const TCase cases[] = {
        {"one\rtwo\nthree", 0, 3},        {"one\r\ntwo", 0, 2},
        {"one\r\ntwo", DT_SINGLELINE, 1}, {"alpha beta gamma delta", DT_WORDBREAK, 4},
        {"alpha beta gamma delta", 0, 1}, {"", 0, 1},
    };
    for (const TCase& tc : cases) {
        TRect r(0, 0, c->TextWidth("gamma") + 4, 0);
        int h = c->DrawText(tc.Text, r, tc.Flags | DT_CALCRECT);
        EXPECT_EQ(h, tc.Lines * line) << tc.Text;
        EXPECT_EQ(r.Height(), tc.Lines * line) << tc.Text;
    }
    // One measured line gets the text's own width.
    TRect one(0, 0, 150, 0);
    c->DrawText("abc", one, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(one.Width(), c->TextWidth("abc"));
    // "&" marks the underlined letter and is not shown; DT_NOPREFIX shows it.
    TRect p(0, 0, 0, 0);
    c->DrawText("&File", p, DT_CALCRECT);
    EXPECT_EQ(p.Width(), c->TextWidth("File"));
    c->DrawText("&File", p, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(p.Width(), c->TextWidth("&File"));

    // Alignment inside the rectangle.
    c->Brush()->SetStyle(bsClear);
    auto drawn = [&](unsigned flags) {
        auto img = White(200, 60);
        TRect r(10, 10, 190, 50);
        img->Canvas()->Brush()->SetStyle(bsClear);
        img->Canvas()->DrawText("Wide", r, flags);
        return Ink(*img);
    };
    int w = c->TextWidth("Wide");
    TRect left = drawn(DT_SINGLELINE), right = drawn(DT_SINGLELINE | DT_RIGHT),
          centre = drawn(DT_SINGLELINE | DT_CENTER | DT_VCENTER),
          bottom = drawn(DT_SINGLELINE | DT_BOTTOM);
    EXPECT_LE(std::abs(left.Left - 10), 2);
    EXPECT_LE(std::abs(right.Right - 190), 2);
    EXPECT_LE(std::abs((centre.Left + centre.Right) / 2 - 100), 2);
    EXPECT_LE(std::abs(centre.Left - (10 + (180 - w) / 2)), 2);
    EXPECT_GT(centre.Top, left.Top);
    EXPECT_GT(bottom.Top, centre.Top);
    EXPECT_LE(bottom.Bottom, 50);
    // Clipped to the rectangle unless DT_NOCLIP; an end ellipsis fits the text in.
    auto clipped = White(200, 60);
    TRect narrow(10, 10, 30, 50);
    clipped->Canvas()->Brush()->SetStyle(bsClear);
    clipped->Canvas()->DrawText("Wide text here", narrow, DT_SINGLELINE);
    EXPECT_LE(Ink(*clipped).Right, 30);
    auto unclipped = White(200, 60);
    unclipped->Canvas()->Brush()->SetStyle(bsClear);
    unclipped->Canvas()->DrawText("Wide text here", narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(Ink(*unclipped).Right, 30);
    TRect ell(0, 0, 60, 0);
    c->DrawText("A rather long caption", ell, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(ell.Width(), 60);
}

TEST_F(CanvasTest, BlockCopiesWithRasterOperations) {
    auto src = White(8, 8);
    src->Canvas()->Brush()->SetColor(clBlack);
    src->Canvas()->FillRect(TRect(0, 0, 4, 8)); // left half black
    auto dst = White(8, 8);
    TCanvas* c = dst->Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 8, 4)); // top half red
    QImage before = dst->ToImage();

    c->BitBlt(0, 0, 8, 8, src->Canvas(), 0, 0, SRCINVERT);
    EXPECT_EQ(c->Pixels(0, 0), clRed);  // black source leaves the destination
    EXPECT_EQ(c->Pixels(6, 0), clAqua); // white source inverts it
    c->BitBlt(0, 0, 8, 8, src->Canvas(), 0, 0, SRCINVERT);
    EXPECT_EQ(dst->ToImage(), before);

    struct TCase {
        uint32_t Rop;
        TColor TopLeft, TopRight, BottomLeft, BottomRight; // src black/white × dst red/white
    };
    const TCase cases[] = {
        {SRCCOPY, clBlack, clWhite, clBlack, clWhite},
        {SRCAND, clBlack, clRed, clBlack, clWhite},
        {SRCPAINT, clRed, clWhite, clWhite, clWhite},
        {ROP_DSNA, clRed, clBlack, clWhite, clBlack}, // D and not S
        {NOTSRCCOPY, clWhite, clBlack, clWhite, clBlack},
        // Brush (blue) where the source is white, destination where it is black.
        {ROP_PSDPXAX, clRed, clBlue, clWhite, clBlue},
    };
    for (const TCase& tc : cases) {
        auto d = White(8, 8);
        d->Canvas()->Brush()->SetColor(clRed);
        d->Canvas()->FillRect(TRect(0, 0, 8, 4));
        d->Canvas()->Brush()->SetColor(clBlue);
        d->Canvas()->BitBlt(0, 0, 8, 8, src->Canvas(), 0, 0, tc.Rop);
        TCanvas* dc = d->Canvas();
        EXPECT_EQ(dc->Pixels(1, 1), tc.TopLeft) << std::hex << tc.Rop;
        EXPECT_EQ(dc->Pixels(6, 1), tc.TopRight) << std::hex << tc.Rop;
        EXPECT_EQ(dc->Pixels(1, 6), tc.BottomLeft) << std::hex << tc.Rop;
        EXPECT_EQ(dc->Pixels(6, 6), tc.BottomRight) << std::hex << tc.Rop;
    }
    // A stretched copy doubles pixels; CopyRect uses CopyMode.
    auto big = White(16, 16);
    big->Canvas()->CopyRect(TRect(0, 0, 16, 16), src->Canvas(), TRect(0, 0, 8, 8));
    EXPECT_EQ(big->Canvas()->Pixels(7, 15), clBlack);
    EXPECT_EQ(big->Canvas()->Pixels(8, 0), clWhite);
}

TEST_F(CanvasTest, MonochromeSourceTakesTextAndBackgroundColours) {
    auto mono = White(4, 1);
    mono->Canvas()->SetPixels(0, 0, clBlack);
    mono->SetMonochrome(true);
    auto d = White(4, 1);
    TCanvas* c = d->Canvas();
    c->SetTextColor(clRed);
    c->SetBkColor(clBlue);
    c->StretchBltImage(TRect(0, 0, 4, 1), mono->Image(), TRect(0, 0, 4, 1), SRCCOPY, true);
    EXPECT_EQ(c->Pixels(0, 0), clRed);
    EXPECT_EQ(c->Pixels(1, 0), clBlue);
}

TEST_F(CanvasTest, AnisotropicMappingScalesLogicalCoordinates) {
    auto b = White(40, 40);
    TCanvas* c = b->Canvas();
    c->SetMapMode(MM_ANISOTROPIC);
    c->SetWindowExt(100, 100);
    c->SetViewportExt(200, 300);
    c->SetViewportOrg(2, 4);
    EXPECT_EQ(c->LPtoDP(TPoint(5, 5)), TPoint(12, 19));
    TPoint back[] = {{12, 19}};
    c->DPtoLP(back, 1);
    EXPECT_EQ(back[0], TPoint(5, 5));
    c->Brush()->SetColor(clBlack);
    c->FillRect(TRect(0, 0, 5, 5));
    EXPECT_EQ(Ink(*b), TRect(2, 4, 12, 19));
    // Text grows with the mapping.
    int logical = c->TextHeight("W");
    auto t = White(200, 200);
    t->Canvas()->SetMapMode(MM_ANISOTROPIC);
    t->Canvas()->SetWindowExt(1, 1);
    t->Canvas()->SetViewportExt(3, 3);
    t->Canvas()->Brush()->SetStyle(bsClear);
    t->Canvas()->TextOut(0, 0, "W");
    EXPECT_GT(Ink(*t).Height(), logical);
}

// A page drawn in screen units on a finer device (printing) measures its text as the
// device draws it: the font scaled to device pixels, whose glyphs do not scale exactly,
// brought back to logical units and rounded up, so that the measured width covers the
// drawn text.
TEST_F(CanvasTest, TextUnderAScalingMapIsMeasuredAsTheDeviceDrawsIt) {
    const struct { int Window, Viewport; } maps[] = {{8, 25}, {3, 10}, {10, 31}, {7, 16}, {1, 4}};
    for (const auto& map : maps) {
        for (const char* text : {"01/02/1991", "1,500", "Ωριαία ζήτηση", "MMMMMMMMMM"}) {
            SCOPED_TRACE(std::to_string(map.Viewport) + "/" + std::to_string(map.Window) + " " +
                         text);
            const double scale = double(map.Viewport) / map.Window;
            auto page = White(800, 120);
            TCanvas* c = page->Canvas();
            c->Font()->SetName("Arial");
            c->Font()->SetHeight(-11);
            c->SetMapMode(MM_ANISOTROPIC);
            c->SetWindowExt(map.Window, map.Window);
            c->SetViewportExt(map.Viewport, map.Viewport);
            const int measured = c->TextWidth(text);
            // The device's own measure of the font at its pixel size.
            auto device = White(1, 1);
            device->Canvas()->Font()->SetName("Arial");
            device->Canvas()->Font()->SetHeight(-int(std::lround(11 * scale)));
            const int deviceWidth = device->Canvas()->TextWidth(text);
            EXPECT_EQ(measured, int(std::ceil(deviceWidth / scale - 1e-9)));
            c->Brush()->SetStyle(bsClear);
            c->TextOut(2, 2, text);
            const TRect ink = Ink(*page);
            EXPECT_LE(ink.Right, int(std::ceil((2 + measured) * scale)) + 1);
        }
    }
}

// Measures kept for a text under one map are never taken for another: maps of the same
// height scale but different width scales, and the unscaled page, measured in turn.
TEST_F(CanvasTest, TextMeasuredUnderOneMapIsNotTakenForAnother) {
    const struct {
        int WindowX, ViewportX;
    } maps[] = {{4, 13}, {4, 9}, {1, 1}, {4, 13}, {4, 26}, {1, 1}};
    const std::string text = "01/02/1991 1,500";
    auto device = White(1, 1);
    device->Canvas()->Font()->SetName("Arial");
    device->Canvas()->Font()->SetHeight(-int(std::lround(11 * 13 / 4.0)));
    const int deviceWidth = device->Canvas()->TextWidth(text);
    auto plain = White(1, 1);
    plain->Canvas()->Font()->SetName("Arial");
    plain->Canvas()->Font()->SetHeight(-11);
    const int plainWidth = plain->Canvas()->TextWidth(text);
    for (int round = 0; round < 2; ++round)
        for (const auto& map : maps) {
            SCOPED_TRACE(std::to_string(map.ViewportX) + "/" + std::to_string(map.WindowX));
            auto page = White(10, 10);
            TCanvas* c = page->Canvas();
            c->Font()->SetName("Arial");
            c->Font()->SetHeight(-11);
            if (map.WindowX != 1) {
                c->SetMapMode(MM_ANISOTROPIC);
                c->SetWindowExt(map.WindowX, 4);
                c->SetViewportExt(map.ViewportX, 13);
            }
            const double sx = double(map.ViewportX) / map.WindowX;
            const int expected =
                map.WindowX == 1 ? plainWidth : int(std::ceil(deviceWidth / sx - 1e-9));
            EXPECT_EQ(c->TextWidth(text), expected);
        }
}

TEST_F(CanvasTest, GradientUsesAtMost256Bands) {
    struct TCase {
        int Height;
        size_t Colours;
    };
    for (const TCase& tc : {TCase{1000, 256}, TCase{10, 10}}) {
        auto b = White(2, tc.Height);
        b->Canvas()->GradientFillRect(TRect(0, 0, 2, tc.Height), clBlack, clWhite, gfdVertical);
        std::set<TColor> colours;
        for (int y = 0; y < tc.Height; ++y)
            colours.insert(b->Canvas()->Pixels(0, y));
        EXPECT_EQ(colours.size(), tc.Colours);
        EXPECT_EQ(b->Canvas()->Pixels(0, 0), clBlack);
        EXPECT_EQ(b->Canvas()->Pixels(1, tc.Height - 1), clWhite);
    }
}

TEST_F(CanvasTest, Frame3DAndDrawEdge) {
    auto b = White(10, 10);
    TRect r(0, 0, 10, 10);
    Frame3D(b->Canvas(), r, clWhite, clBlack, 1);
    EXPECT_EQ(r, TRect(1, 1, 9, 9));
    EXPECT_EQ(b->Canvas()->Pixels(9, 9), clBlack);
    EXPECT_EQ(b->Canvas()->Pixels(0, 9), clBlack); // the bottom line runs to the left edge
    EXPECT_EQ(b->Canvas()->Pixels(9, 0), clBlack);
    auto e = White(10, 10);
    TRect er(0, 0, 10, 10);
    DrawEdge(e->Canvas(), er, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    EXPECT_EQ(er, TRect(2, 2, 8, 8));
    EXPECT_EQ(e->Canvas()->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(e->Canvas()->Pixels(9, 9), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(e->Canvas()->Pixels(1, 1), ColorToRGB(cl3DDkShadow));
}

TEST_F(CanvasTest, ArcsAndPolygonsFillByTheirRules) {
    auto b = White(40, 40);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlack);
    c->Pen()->SetStyle(psClear);
    // A pie from 3 o'clock counter-clockwise to 12 o'clock fills the upper right quarter.
    c->Pie(0, 0, 40, 40, 40, 20, 20, 0);
    EXPECT_EQ(c->Pixels(28, 12), clBlack);
    EXPECT_EQ(c->Pixels(12, 12), clWhite);
    EXPECT_EQ(c->Pixels(28, 28), clWhite);
    // A self-overlapping star leaves its centre empty with the alternate rule.
    auto s = White(40, 40);
    s->Canvas()->Brush()->SetColor(clBlack);
    s->Canvas()->Pen()->SetStyle(psClear);
    std::vector<TPoint> star = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
    s->Canvas()->Polygon(star);
    EXPECT_EQ(s->Canvas()->Pixels(20, 20), clWhite);
    EXPECT_EQ(s->Canvas()->Pixels(20, 6), clBlack);
}

} // namespace
