#include "ControlsTestSupport.h"

#include "controls/fxText.h"

#include <cstdint>
#include <cstdlib>

namespace {

class FxTextTest : public TFxTest {
protected:
    void SetUp() override {
        TFxTest::SetUp();
        Surface.AllocateImage(200, 120);
        Font.SetName("Arial");
        Font.SetHeight(-13);
        Font.SetColor(clBlack);
        Text = std::make_unique<TFxCaptionText>(
            Surface.Canvas(), &Font, [this](int, int) { ++Changes; }, [this](int) { ++Sizes; },
            [this] { return Enabled; });
    }
    int CountColor(TColor c) {
        Surface.Canvas()->ReleasePainter();
        int n = 0;
        for (int y = 0; y < Surface.ImageHeight(); ++y)
            for (int x = 0; x < Surface.ImageWidth(); ++x)
                n += Surface.Pixel(x, y) == c;
        return n;
    }
    // Pixels of about the colour: text is smoothed, so the one-pixel offset copies of the
    // raised and lowered looks blend into their neighbours.
    int CountNearColor(TColor c) {
        Surface.Canvas()->ReleasePainter();
        auto near = [](uint32_t a, uint32_t b) {
            return std::abs(int(a & 0xFF) - int(b & 0xFF)) <= 48;
        };
        int n = 0;
        for (int y = 0; y < Surface.ImageHeight(); ++y)
            for (int x = 0; x < Surface.ImageWidth(); ++x) {
                const uint32_t p = uint32_t(Surface.Pixel(x, y));
                n += near(p, uint32_t(c)) && near(p >> 8, uint32_t(c) >> 8) &&
                     near(p >> 16, uint32_t(c) >> 16);
            }
        return n;
    }
    TFxBitmap Surface;
    TFont Font;
    std::unique_ptr<TFxCaptionText> Text;
    int Changes = 0, Sizes = 0;
    bool Enabled = true;
};

TEST_F(FxTextTest, RotationIsStoredAsAnAngleBelowAFullTurn) {
    struct {
        int In, Stored;
    } cases[] = {{-90, 270}, {725, 5}, {-360, 0}, {-720, 0}, {360, 0}, {359, 359}, {-1, 359}};
    for (const auto& c : cases) {
        Text->SetRotation(c.In);
        EXPECT_EQ(Text->Rotation(), c.Stored) << c.In;
    }
}

TEST_F(FxTextTest, ChangesTellTheOwnerAndExtentChangesAskForSizeFirst) {
    Text->SetRotation(90);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Sizes, 1);
    Text->SetRotation(90);
    EXPECT_EQ(Changes, 1) << "an equal value changes nothing";
    Text->SetOutlineColor(clRed);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(Sizes, 1) << "a colour does not change the extent";
    Text->Shadow()->SetXOffset(4);
    EXPECT_EQ(Sizes, 2);
    Text->ExtrudeEffects()->SetNearColor(clRed);
    EXPECT_EQ(Sizes, 2);
}

TEST_F(FxTextTest, OptionsAndWordWrapSetTheDrawingFlags) {
    EXPECT_EQ(Text->DrawFlags() & DT_NOPREFIX, 0u);
    Text->SetOptions(TFxTextOptions{toShowEllipsis});
    EXPECT_NE(Text->DrawFlags() & DT_NOPREFIX, 0u);
    EXPECT_NE(Text->DrawFlags() & DT_END_ELLIPSIS, 0u);
    Text->SetWordWrap(true);
    EXPECT_NE(Text->DrawFlags() & DT_WORDBREAK, 0u);
    Text->SetWordWrap(false);
    EXPECT_EQ(Text->DrawFlags() & DT_WORDBREAK, 0u);
}

TEST_F(FxTextTest, ExtentsMeasureLinesWithoutAcceleratorsAndTurnWithTheText) {
    Text->SetDrawRect(TRect(0, 0, 200, 120));
    Text->SetText("&Save");
    TPoint withAccel = Text->TextExtent();
    Text->SetText("Save");
    TPoint plain = Text->TextExtent();
    EXPECT_EQ(withAccel.X, plain.X) << "the ampersand marks the accelerator";
    Text->SetOptions(TFxTextOptions{});
    Text->SetText("&Save");
    EXPECT_GT(Text->TextExtent().X, plain.X) << "without accelerators it is drawn";

    Text->SetText("one\r\ntwo");
    TPoint two = Text->TextExtent();
    Text->SetText("one");
    TPoint one = Text->TextExtent();
    EXPECT_EQ(two.Y, 2 * one.Y + Text->LineSpacing());

    Text->SetText("Wide caption");
    TPoint flat = Text->RotatedExtent(true);
    Text->SetRotation(90);
    TPoint turned = Text->RotatedExtent(true);
    EXPECT_EQ(turned.X, flat.Y);
    EXPECT_EQ(turned.Y, flat.X);
    Text->Shadow()->SetEnabled(true);
    Text->SetRotation(0);
    EXPECT_EQ(Text->RotatedExtent(true).X, flat.X + 10);
}

TEST_F(FxTextTest, CentredTextRectangleSitsInTheMiddleAndNeverLeftOfTheArea) {
    Text->SetText("Mid");
    TRect r(0, 0, 200, 120);
    Text->CalcRect(true, r);
    TPoint ext = Text->TextExtent();
    EXPECT_EQ(r.Left, 100 - ext.X / 2);
    EXPECT_EQ(r.Top, 60 - ext.Y / 2);
    EXPECT_EQ(r.Width(), ext.X);
    TRect small(5, 7, 10, 9);
    Text->SetText("A rather long caption");
    Text->CalcRect(true, small);
    EXPECT_EQ(small.Left, 5);
    EXPECT_EQ(small.Top, 7);
}

TEST_F(FxTextTest, StylesDrawInTheirColoursAndADisabledOwnerDrawsTheLoweredLook) {
    struct {
        TFxTextStyle Style;
        bool Enabled;
        TColor Present;
    } cases[] = {
        {fclsDefault, true, clBlack},
        {fclsRaised, true, GetSysColor(COLOR_BTNHIGHLIGHT)},
        {fclsLowered, true, GetSysColor(COLOR_BTNSHADOW)},
        {fclsOutline, true, clRed},
        {fclsDefault, false, clLime},
    };
    for (const auto& c : cases) {
        Surface.Canvas()->Brush()->SetColor(clSilver);
        Surface.Canvas()->FillRect(TRect(0, 0, 200, 120));
        Text->SetStyle(c.Style);
        Text->SetOutlineColor(clRed);
        Text->SetHighlightColor(clBtnHighlight);
        Text->DisabledColors()->SetHighlightColor(clLime);
        Enabled = c.Enabled;
        Text->SetText("Καλημέρα");
        Text->SetDrawRect(TRect(0, 0, 200, 120));
        Text->Draw();
        EXPECT_GT(CountNearColor(ColorToRGB(c.Present)), 5) << int(c.Style) << " " << c.Enabled;
    }
    EXPECT_EQ(CountColor(clBlack), 0) << "the disabled text is not drawn in the font colour";
}

TEST_F(FxTextTest, ShadowAndExtrusionDrawBesideTheText) {
    Text->SetAlignment(taCenter);
    Text->SetVAlignment(vaVCenter);
    Text->Shadow()->SetEnabled(true);
    Text->Shadow()->SetColor(clBlue);
    Text->Shadow()->SetXOffset(3);
    Text->Shadow()->SetYOffset(3);
    Text->ExtrudeEffects()->SetEnabled(true);
    Text->ExtrudeEffects()->SetDepth(4);
    Text->ExtrudeEffects()->SetNearColor(clRed);
    Text->ExtrudeEffects()->SetFarColor(clRed);
    Text->SetText("Shadow");
    Text->SetDrawRect(TRect(0, 0, 200, 120));
    Text->Draw();
    EXPECT_GT(CountColor(clBlue), 5);
    EXPECT_GT(CountColor(clRed), 5);
    EXPECT_GT(CountColor(clBlack), 5);
}

} // namespace
