#include "ControlsTestSupport.h"

#include "controls/fxBitmap.h"
#include "controls/fxChangeLink.h"
#include "controls/fxGraphics.h"

#include <functional>
#include <limits>
#include <tuple>
#include <vector>

namespace {

class FxBitmapTest : public TFxTest {};

TEST_F(FxBitmapTest, RowsArePaddedToFourBytesAndEmptySizesLeaveNoImage) {
    struct {
        int Width, Stride, Padding;
    } cases[] = {{1, 4, 1}, {2, 8, 2}, {3, 12, 3}, {4, 12, 0}, {5, 16, 1}, {256, 768, 0}};
    for (const auto& c : cases) {
        TFxBitmap b;
        b.AllocateImage(c.Width, 3);
        EXPECT_EQ(b.RowStride(), c.Stride) << c.Width;
        EXPECT_EQ(b.RowPadding(), c.Padding) << c.Width;
        EXPECT_EQ(b.ImageSize(), 3 * c.Stride) << c.Width;
        EXPECT_EQ(b.ScanLine(2) - b.ScanLine(0), 2 * c.Stride) << c.Width;
        EXPECT_EQ(b.Pixel(c.Width - 1, 2), clWhite) << "a new image is white";
    }
    TFxBitmap empty;
    empty.AllocateImage(0, 10);
    EXPECT_TRUE(empty.IsBlank());
    empty.AllocateImage(10, 0);
    EXPECT_TRUE(empty.IsBlank());
}

TEST_F(FxBitmapTest, SettingTheSameSizeKeepsThePixelsAndAnotherSizeWhitensThem) {
    TFxBitmap b;
    FillPattern(b, 6, 4);
    TColor before = b.Pixel(3, 2);
    b.SetWidth(6);
    b.SetHeight(4);
    EXPECT_EQ(b.Pixel(3, 2), before);
    b.SetWidth(7);
    EXPECT_EQ(b.Pixel(3, 2), clWhite);
    EXPECT_EQ(b.ImageWidth(), 7);
}

TEST_F(FxBitmapTest, EffectsWithNeutralArgumentsLeaveThePixels) {
    std::vector<std::pair<const char*, std::function<void(TFxBitmap&)>>> cases = {
        {"lightness 0", [](TFxBitmap& b) { b.ApplyLightness(0); }},
        {"contrast 0", [](TFxBitmap& b) { b.ApplyContrast(0); }},
        {"saturation 256", [](TFxBitmap& b) { b.ApplySaturation(256); }},
        {"colorize 192", [](TFxBitmap& b) { b.ApplyColorize(192, 192, 192); }},
        {"tint 0", [](TFxBitmap& b) { b.ApplyTint(0, 0, 0); }},
        {"invert twice",
         [](TFxBitmap& b) {
             b.ApplyInvert();
             b.ApplyInvert();
         }},
        {"flip twice",
         [](TFxBitmap& b) {
             b.Flip(true);
             b.Flip(true);
             b.Flip(false);
             b.Flip(false);
         }},
        {"sponge 0", [](TFxBitmap& b) { b.ApplySponge(0); }},
        {"rotate 360", [](TFxBitmap& b) { b.Rotate(TPoint(-1, -1), 360); }},
        {"wave off", [](TFxBitmap& b) { b.ApplyWave(false, 0, 5, 3); }},
    };
    for (auto& [name, effect] : cases) {
        TFxBitmap b, original;
        FillPattern(b, 9, 7);
        FillPattern(original, 9, 7);
        effect(b);
        EXPECT_TRUE(SamePixels(b, original)) << name;
    }
}

TEST_F(FxBitmapTest, PerChannelEffectsFollowTheirTables) {
    struct {
        const char* Name;
        std::function<void(TFxBitmap&)> Effect;
        TColor In, Out;
    } cases[] = {
        // c + ((255 - c) * 128) shr 8: 100 -> 177, 0 -> 127, 255 -> 255
        {"lighter", [](TFxBitmap& b) { b.ApplyLightness(128); }, RGB(100, 0, 255),
         RGB(177, 127, 255)},
        // c - (|A| * c) shr 8: 100 -> 50
        {"darker", [](TFxBitmap& b) { b.ApplyLightness(-128); }, RGB(100, 0, 255), RGB(50, 0, 128)},
        // 0..126: c - |128 - c| * A div 256; 127..255: c + ...; 10 -> 10 - 59 = 0 (clamped)
        {"contrast", [](TFxBitmap& b) { b.ApplyContrast(128); }, RGB(10, 126, 200),
         RGB(0, 125, 236)},
        {"grey", [](TFxBitmap& b) { b.ApplyGrayScale(); }, RGB(100, 50, 200), RGB(115, 115, 115)},
        {"no saturation", [](TFxBitmap& b) { b.ApplySaturation(0); }, RGB(100, 50, 200),
         RGB(115, 115, 115)},
        {"invert", [](TFxBitmap& b) { b.ApplyInvert(); }, RGB(0, 100, 255), RGB(255, 155, 0)},
        {"tint clamps", [](TFxBitmap& b) { b.ApplyTint(100, -100, 10); }, RGB(200, 50, 10),
         RGB(255, 0, 20)},
        // c - 192 + colour
        {"colorize", [](TFxBitmap& b) { b.ApplyColorize(255, 0, 192); }, RGB(100, 150, 77),
         RGB(163, 0, 77)},
        // ((255 - n) + c) shr 1 with n = c on a plain image: 127
        {"emboss plain", [](TFxBitmap& b) { b.ApplyEmboss(); }, RGB(30, 200, 255),
         RGB(127, 127, 127)},
        // (256 c - 16 * 8 c) div 128 = c on a plain image
        {"sharpen plain", [](TFxBitmap& b) { b.ApplySharpen(1); }, RGB(30, 200, 255),
         RGB(30, 200, 255)},
    };
    for (const auto& c : cases) {
        TFxBitmap b;
        b.AllocateImage(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                b.SetPixel(x, y, c.In);
        c.Effect(b);
        EXPECT_EQ(b.Pixel(2, 1), c.Out) << c.Name;
    }
}

TEST_F(FxBitmapTest, ColorizeSkipsTheTransparentColour) {
    TFxBitmap b;
    b.AllocateImage(2, 1);
    b.SetPixel(0, 0, clFuchsia);
    b.SetPixel(1, 0, RGB(200, 200, 200));
    b.SetTransparentColor(clFuchsia);
    b.ApplyColorize(0, 0, 0);
    EXPECT_EQ(b.Pixel(0, 0), clFuchsia);
    EXPECT_EQ(b.Pixel(1, 0), RGB(8, 8, 8));
}

TEST_F(FxBitmapTest, VerticalFlipExchangesOuterRowsAndKeepsTheMiddle) {
    TFxBitmap b, original;
    FillPattern(b, 5, 3);
    FillPattern(original, 5, 3);
    b.Flip(false);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(b.Pixel(x, 0), original.Pixel(x, 2));
        EXPECT_EQ(b.Pixel(x, 1), original.Pixel(x, 1));
        EXPECT_EQ(b.Pixel(x, 2), original.Pixel(x, 0));
    }
    b.Flip(true);
    EXPECT_EQ(b.Pixel(0, 0), original.Pixel(4, 2));
    EXPECT_EQ(b.Pixel(2, 1), original.Pixel(2, 1));
}

TEST_F(FxBitmapTest, GaussianBlurRunsBlursOfFallingRadius) {
    TFxBitmap a, b;
    FillPattern(a, 12, 9);
    FillPattern(b, 12, 9);
    a.ApplyGaussianBlur(3);
    b.Blur(3);
    b.Blur(2);
    b.Blur(1);
    EXPECT_TRUE(SamePixels(a, b));
    TFxBitmap c;
    FillPattern(c, 12, 9);
    c.Blur(1);
    c.Blur(2);
    c.Blur(3);
    EXPECT_FALSE(SamePixels(a, c));
}

// The largest and smallest ints act as arguments just beyond the image or the channel
// range do, without overflowing on the way.
TEST_F(FxBitmapTest, ExtremeArgumentsActAsTheLargestMeaningfulOnes) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    using TEffect = std::function<void(TFxBitmap&)>;
    const std::vector<std::tuple<const char*, TEffect, TEffect>> same = {
        {"blur", [](TFxBitmap& b) { b.Blur(kMax); }, [](TFxBitmap& b) { b.Blur(50); }},
        {"blur -", [](TFxBitmap& b) { b.Blur(kMin); }, [](TFxBitmap& b) { b.Blur(-50); }},
        {"sharpen", [](TFxBitmap& b) { b.ApplySharpen(kMax); },
         [](TFxBitmap& b) { b.ApplySharpen(50); }},
        {"sharpen -", [](TFxBitmap& b) { b.ApplySharpen(kMin); },
         [](TFxBitmap& b) { b.ApplySharpen(-50); }},
        {"gaussian blur", [](TFxBitmap& b) { b.ApplyGaussianBlur(kMax); },
         [](TFxBitmap& b) { b.ApplyGaussianBlur(2000); }},
        {"lightness", [](TFxBitmap& b) { b.ApplyLightness(kMax); },
         [](TFxBitmap& b) { b.ApplyLightness(256); }},
        {"lightness -", [](TFxBitmap& b) { b.ApplyLightness(kMin); },
         [](TFxBitmap& b) { b.ApplyLightness(-256); }},
        {"contrast", [](TFxBitmap& b) { b.ApplyContrast(kMax); },
         [](TFxBitmap& b) { b.ApplyContrast(65536); }},
        {"contrast -", [](TFxBitmap& b) { b.ApplyContrast(kMin); },
         [](TFxBitmap& b) { b.ApplyContrast(-65536); }},
        {"tint", [](TFxBitmap& b) { b.ApplyTint(kMax, kMin, kMax); },
         [](TFxBitmap& b) { b.ApplyTint(256, -256, 256); }},
        {"colorize", [](TFxBitmap& b) { b.ApplyColorize(kMin, kMax, kMin); },
         [](TFxBitmap& b) { b.ApplyColorize(-256, 512, -256); }},
    };
    for (const auto& [name, extreme, moderate] : same) {
        TFxBitmap a, b;
        FillPattern(a, 9, 7);
        FillPattern(b, 9, 7);
        extreme(a);
        moderate(b);
        EXPECT_TRUE(SamePixels(a, b)) << name;
    }
    // These only have to run through.
    TFxBitmap b, blend;
    FillPattern(b, 9, 7);
    FillPattern(blend, 9, 7);
    blend.ApplyInvert();
    b.ApplySaturation(kMax);
    b.ApplySaturation(kMin);
    b.ApplySponge(kMax);
    b.AlphaBlend(&blend, kMax, false);
    b.AlphaBlend(&blend, kMin, false);
    EXPECT_EQ(b.ImageWidth(), 9);
}

TEST_F(FxBitmapTest, QuarterTurnAboutTheCentreMapsPixelsAndFillsFromTheTopLeft) {
    TFxBitmap b, original;
    FillPattern(b, 4, 4);
    FillPattern(original, 4, 4);
    b.Rotate(TPoint(-1, -1), 90);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.Pixel(x, y), original.Pixel(y, 3 - x)) << x << "," << y;
    // An odd size: the column that comes from outside takes the top-left colour.
    TFxBitmap odd, oddOriginal;
    FillPattern(odd, 3, 3);
    FillPattern(oddOriginal, 3, 3);
    odd.Rotate(TPoint(-1, -1), 90);
    EXPECT_EQ(odd.Pixel(2, 0), oddOriginal.Pixel(0, 0));
    EXPECT_EQ(odd.Pixel(0, 0), oddOriginal.Pixel(0, 1));
}

TEST_F(FxBitmapTest, WaveReadsOnlyInsideTheImage) {
    // A one-row image wraps by its height; large shifts wrap by the width; without wrap the
    // pixels whose source is outside stay white.
    for (bool wrap : {true, false})
        for (int h : {1, 2, 5})
            for (double ratio : {-40.0, 3.0, 1000.0}) {
                TFxBitmap b;
                FillPattern(b, 7, h);
                TFxBitmap original;
                FillPattern(original, 7, h);
                b.ApplyWave(wrap, 1.3, 0.7, ratio);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < 7; ++x) {
                        TColor c = b.Pixel(x, y);
                        bool found = c == clWhite;
                        for (int sy = 0; sy < h && !found; ++sy)
                            for (int sx = 0; sx < 7 && !found; ++sx)
                                found = original.Pixel(sx, sy) == c;
                        EXPECT_TRUE(found) << wrap << " " << h << " " << ratio;
                    }
            }
}

TEST_F(FxBitmapTest, SmoothStretchInterpolatesInFixedPointAndReadsNoMissingNeighbour) {
    TFxBitmap src;
    src.AllocateImage(2, 1);
    src.SetPixel(0, 0, RGB(0, 0, 0));
    src.SetPixel(1, 0, RGB(255, 255, 255));
    src.SetSmoothStretch(true);
    TFxBitmap dest;
    dest.AllocateImage(4, 1);
    dest.Canvas()->StretchDraw(TRect(0, 0, 4, 1), &src);
    dest.Canvas()->ReleasePainter();
    // xStep = 32768 div 4: the weights of the right neighbour are 0, 1/4, 1/2, 3/4.
    const int expected[] = {0, 63, 127, 191};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(GetRValue(dest.Pixel(x, 0)), expected[x]) << x;

    TFxBitmap one;
    one.AllocateImage(1, 1);
    one.SetPixel(0, 0, RGB(10, 20, 30));
    one.SetSmoothStretch(true);
    TFxBitmap big;
    big.AllocateImage(5, 3);
    big.Canvas()->StretchDraw(TRect(0, 0, 5, 3), &one);
    big.Canvas()->ReleasePainter();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(big.Pixel(x, y), RGB(10, 20, 30));
}

TEST_F(FxBitmapTest, AlphaBlendMixesKeysAndRefusesOtherSizesWithoutStretching) {
    TFxBitmap base, blend;
    base.AllocateImage(3, 1);
    blend.AllocateImage(3, 1);
    for (int x = 0; x < 3; ++x)
        base.SetPixel(x, 0, RGB(100, 200, 0));
    blend.SetPixel(0, 0, RGB(0, 0, 0));
    blend.SetPixel(1, 0, RGB(200, 0, 255));
    blend.SetPixel(2, 0, RGB(0, 0, 0));
    blend.SetTransparent(true);
    base.AlphaBlend(&blend, 128, false);
    // Keyed on the top-left pixel of the blend image: pixels 0 and 2 are skipped.
    EXPECT_EQ(base.Pixel(0, 0), RGB(100, 200, 0));
    // c + floor(128 (b - c) / 256)
    EXPECT_EQ(base.Pixel(1, 0), RGB(150, 100, 127));
    EXPECT_EQ(base.Pixel(2, 0), RGB(100, 200, 0));

    TFxBitmap other;
    other.AllocateImage(5, 2);
    try {
        base.AlphaBlend(&other, 128, false);
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(),
                  "In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap");
    }
    EXPECT_EQ(base.Pixel(1, 0), RGB(150, 100, 127));
    base.AlphaBlend(&other, 256, true); // stretched white over everything
    EXPECT_EQ(base.Pixel(1, 0), clWhite);
}

TEST_F(FxBitmapTest, MaskTransparentDrawAndCopiesKeepWhatTheyShould) {
    TFxBitmap b;
    b.AllocateImage(3, 2);
    b.SetPixel(0, 0, clFuchsia);
    b.SetPixel(1, 1, clFuchsia);
    b.SetPixel(2, 0, clNavy);
    // The key is the top-left pixel unless a colour is given.
    EXPECT_EQ(b.KeyColor(), clFuchsia);
    b.SetTransparent(true);

    TBitmap target(3, 2);
    target.Canvas()->Brush()->SetColor(clLime);
    target.Canvas()->FillRect(TRect(0, 0, 3, 2));
    target.Canvas()->Draw(0, 0, &b);
    target.Canvas()->ReleasePainter();
    TFxBitmap seen;
    seen.LoadFromBitmap(&target);
    EXPECT_EQ(seen.Pixel(0, 0), clLime);
    EXPECT_EQ(seen.Pixel(1, 1), clLime);
    EXPECT_EQ(seen.Pixel(2, 0), clNavy);
    EXPECT_EQ(seen.Pixel(1, 0), clWhite);

    // Copied into a class-library bitmap the whole image comes along, keys included.
    TBitmap copy;
    b.CopyToBitmap(&copy);
    TFxBitmap back;
    back.LoadFromBitmap(&copy);
    EXPECT_TRUE(SamePixels(back, b));

    TFxBitmap mask;
    mask.AssignFrom(&b);
    mask.MaskFromColor(clFuchsia);
    EXPECT_EQ(mask.Pixel(0, 0), clBlack);
    EXPECT_EQ(mask.Pixel(2, 0), clWhite);
}

TEST_F(FxBitmapTest, StashStreamAndAssignRoundTripThePixels) {
    TFxBitmap b, original;
    FillPattern(b, 5, 3);
    FillPattern(original, 5, 3);
    b.StashImage();
    EXPECT_TRUE(b.IsBlank());
    EXPECT_TRUE(b.HasStash());
    b.UnstashImage();
    EXPECT_FALSE(b.HasStash());
    EXPECT_TRUE(SamePixels(b, original));

    TFxBitmap read;
    read.LoadFromBytes(b.SaveToBytes());
    EXPECT_TRUE(SamePixels(read, original));

    TFxBitmap copy;
    copy.SetTransparentColor(clRed);
    b.SetSmoothStretch(true);
    copy.AssignFrom(&b);
    EXPECT_TRUE(SamePixels(copy, original));
    EXPECT_TRUE(copy.SmoothStretch());
    EXPECT_EQ(copy.TransparentColor(), clNone);

    copy.AssignFrom(nullptr);
    EXPECT_TRUE(copy.IsBlank());
}

TEST_F(FxBitmapTest, ChangeLinksHearEveryChangeInOrderUnlessUpdating) {
    TFxBitmap b;
    std::vector<int> heard;
    TFxChangeLink first, second;
    first.SetOnChange(TNotifyEvent([&](TObject* s) {
        EXPECT_EQ(s, &b);
        heard.push_back(1);
    }));
    second.SetOnChange(TNotifyEvent([&](TObject*) { heard.push_back(2); }));
    b.AddChangeLink(&first);
    b.AddChangeLink(&second);
    b.AllocateImage(2, 2);
    EXPECT_EQ(heard, (std::vector<int>{1, 2}));
    heard.clear();
    b.SetUpdating(true);
    b.AllocateImage(3, 3);
    EXPECT_TRUE(heard.empty());
    b.SetUpdating(false);
    b.RemoveChangeLink(&first);
    b.SignalChange(&b);
    EXPECT_EQ(heard, std::vector<int>{2});
}

TEST_F(FxBitmapTest, SwapRedBlueExchangesOuterBytesAndClearsTheTop) {
    uint32_t colors[] = {0xFF112233u, 0x00ABCDEFu};
    SwapRedBlue(colors, 2);
    EXPECT_EQ(colors[0], 0x00332211u);
    EXPECT_EQ(colors[1], 0x00EFCDABu);
}

} // namespace
