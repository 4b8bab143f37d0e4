#include "ControlsTestSupport.h"

#include "controls/fxChangeLink.h"
#include "controls/fxImager.h"
#include "framework/gui/ExtraControls.h"

namespace {

class FxImagerTest : public TFxTest {
protected:
    TFxCustomImager* MakeImager(int pw, int ph) {
        MakeForm();
        auto* im = new TFxCustomImager(Form);
        im->SetParent(Form);
        TFxBitmap pattern;
        FillPattern(pattern, pw, ph);
        TBitmap bmp;
        pattern.CopyToBitmap(&bmp);
        im->Picture()->SetGraphic(&bmp);
        return im;
    }
};

TEST_F(FxImagerTest, EffectsRunInTheirFixedOrder) {
    TFxCustomImager* im = MakeImager(8, 6);
    TFxBitmapOptions* o = im->BitmapOptions();
    // Set in another order than the pipeline's.
    o->Rotation()->SetAngle(90);
    o->SetHorizontallyFlipped(true);
    o->SetContrast(40);
    o->SetInverted(true);
    o->SetTintColor(RGB(60, 20, 0));
    o->SetColor(RGB(200, 100, 150));
    o->SetLightness(50);
    o->SetGrayScale(true);

    TFxBitmap expected;
    FillPattern(expected, 8, 6);
    expected.ApplyGrayScale();
    expected.ApplyLightness(50);
    expected.ApplyColorize(200, 100, 150);
    expected.ApplyTint(30, 10, 0);
    expected.ApplyInvert();
    expected.ApplyContrast(40);
    expected.Flip(true);
    expected.Rotate(TPoint(-1, -1), 90);
    EXPECT_TRUE(SamePixels(*im->WorkBitmap(), expected));
}

TEST_F(FxImagerTest, SaturationOffLeavesColoursAndZeroGivesGrey) {
    TFxCustomImager* im = MakeImager(5, 5);
    TFxBitmap original;
    FillPattern(original, 5, 5);
    EXPECT_EQ(im->BitmapOptions()->Saturation(), -1);
    EXPECT_TRUE(SamePixels(*im->WorkBitmap(), original));
    im->BitmapOptions()->SetSaturation(0);
    TColor c = im->WorkBitmap()->Pixel(3, 2);
    EXPECT_EQ(GetRValue(c), GetGValue(c));
    EXPECT_EQ(GetGValue(c), GetBValue(c));
}

TEST_F(FxImagerTest, BlendBitmapOfAnotherSizeIsStretchedAndUpdateLockHoldsThePipeline) {
    TFxCustomImager* im = MakeImager(6, 4);
    TFxBitmap blend;
    blend.AllocateImage(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            blend.SetPixel(x, y, clBlack);
    im->BitmapOptions()->AlphaBlend()->SetBitmap(&blend);
    EXPECT_NO_THROW(im->BitmapOptions()->AlphaBlend()->SetAmount(255));
    TColor c = im->WorkBitmap()->Pixel(5, 3);
    EXPECT_LE(GetRValue(c), 1);

    int changes = 0;
    TFxChangeLink link;
    link.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
    im->AddChangeLink(&link);
    im->BitmapOptions()->BeginUpdate();
    TColor before = im->WorkBitmap()->Pixel(2, 2);
    im->BitmapOptions()->SetInverted(true);
    EXPECT_EQ(im->WorkBitmap()->Pixel(2, 2), before);
    EXPECT_EQ(changes, 0);
    im->RemoveChangeLink(&link);
}

TEST_F(FxImagerTest, DestinationRectanglesFollowTheDrawStyle) {
    TFxCustomImager* im = MakeImager(200, 100);
    im->SetBounds(0, 0, 100, 100);
    struct {
        TFxImagerDrawStyle Style;
        TRect Dest;
    } cases[] = {
        {idsNormal, TRect(0, 0, 200, 100)},     {idsStretched, TRect(0, 0, 100, 100)},
        {idsTiled, TRect(0, 0, 100, 100)},      {idsProportional, TRect(0, 0, 100, 50)},
        {idsCentered, TRect(-50, 0, 150, 100)},
    };
    for (const auto& c : cases) {
        im->SetDrawStyle(c.Style);
        EXPECT_EQ(im->DestRect(), c.Dest) << int(c.Style);
    }
}

TEST_F(FxImagerTest, EmptyPicturePaintsNothingAndAChangeTellsTheLinks) {
    MakeForm(120, 120);
    auto* back = new TPanel(Form);
    back->SetParent(Form);
    back->SetBevelOuter(bvNone);
    back->SetBounds(0, 0, 120, 120);
    back->SetColor(clRed);
    auto* im = new TFxCustomImager(Form);
    im->SetParent(back);
    im->SetBounds(10, 10, 50, 50);
    Form->Show();
    TestKit::ProcessMessages();
    TBitmap shot;
    TestKit::RenderToBitmap(Form, shot);
    TFxBitmap px;
    px.LoadFromBitmap(&shot);
    EXPECT_EQ(px.Pixel(30, 30), clRed);

    int changes = 0;
    TFxChangeLink link;
    link.SetOnChange(TNotifyEvent([&](TObject* s) {
        EXPECT_EQ(s, im->WorkBitmap());
        ++changes;
    }));
    im->AddChangeLink(&link);
    TFxBitmap pattern;
    FillPattern(pattern, 50, 50);
    TBitmap bmp;
    pattern.CopyToBitmap(&bmp);
    im->Picture()->SetGraphic(&bmp);
    EXPECT_GE(changes, 1);
    TestKit::ProcessMessages();
    TestKit::RenderToBitmap(Form, shot);
    px.LoadFromBitmap(&shot);
    EXPECT_EQ(px.Pixel(10 + 7, 10 + 3), pattern.Pixel(7, 3));
    im->RemoveChangeLink(&link);
}

} // namespace
