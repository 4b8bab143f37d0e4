#include "ControlsTestSupport.h"

#include "controls/fxButton.h"
#include "controls/fxCommon.h"
#include "controls/fxImgBtn.h"
#include "controls/fxShapeBtn.h"
#include "framework/core/RegionData.h"
#include "framework/gui/Actions.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/PlatformCalls.h"
#include "framework/gui/StandardControls.h"

#include <string>
#include <vector>

namespace {

class FxButtonTest : public TFxTest {
protected:
    TFxShapeBtn* AddShape(const std::string& name, int left, int groupIndex = 0) {
        auto* b = new TFxShapeBtn(Form);
        b->SetName(name);
        b->SetParent(Form);
        b->SetBounds(left, 10, 80, 30);
        b->SetGroupIndex(groupIndex);
        b->SetCaption(name);
        return b;
    }
    // A 20 x 10 picture: magenta around a navy block at (4, 2)-(16, 8).
    static void MakePicture(TFxBitmap& b) {
        b.AllocateImage(20, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                b.SetPixel(x, y, (x >= 4 && x < 16 && y >= 2 && y < 8) ? clNavy : clFuchsia);
    }
};

TEST_F(FxButtonTest, KindsSetCaptionResultAndKeysAndReadBackCustomOnceChanged) {
    MakeForm();
    struct {
        TBitBtnKind Kind;
        const char* Caption;
        int Result;
        bool Default, Cancel;
    } cases[] = {
        {bkOK, "OK", 1, true, false},           {bkCancel, "Cancel", 2, false, true},
        {bkHelp, "&Help", 0, false, false},     {bkYes, "&Yes", 6, true, false},
        {bkNo, "&No", 7, false, true},          {bkClose, "&Close", 0, false, false},
        {bkAbort, "Abort", 3, false, false},    {bkRetry, "&Retry", 4, false, false},
        {bkIgnore, "&Ignore", 5, false, false}, {bkAll, "&All", 8, false, false},
    };
    for (const auto& c : cases) {
        auto* b = new TFxCustomBitBtn(Form);
        b->SetKind(c.Kind);
        EXPECT_EQ(b->Caption(), c.Caption);
        EXPECT_EQ(b->ModalResult(), c.Result) << c.Caption;
        EXPECT_EQ(b->Default(), c.Default) << c.Caption;
        EXPECT_EQ(b->Cancel(), c.Cancel) << c.Caption;
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Glyph()->Width(), 2 * b->Glyph()->Height()) << "two frames";
        EXPECT_EQ(b->Kind(), c.Kind);
        EXPECT_FALSE(b->CaptionNeedsStoring());
        b->SetModalResult(c.Result + 1);
        EXPECT_EQ(b->Kind(), bkCustom) << c.Caption;
    }
    auto* b = new TFxCustomBitBtn(Form);
    b->SetNumGlyphs(9);
    EXPECT_EQ(b->NumGlyphs(), 4);
    b->SetNumGlyphs(0);
    EXPECT_EQ(b->NumGlyphs(), 1);
    b->SetMargin(-5);
    EXPECT_EQ(b->Margin(), -1);
    b->SetDown(true);
    EXPECT_FALSE(b->Down()) << "a button outside any group cannot stay down";
}

TEST_F(FxButtonTest, GroupButtonsReleaseEachOtherAndKeepOneDownUnlessAllMayBeUp) {
    MakeForm();
    TFxShapeBtn* a = AddShape("a", 10, 1);
    TFxShapeBtn* b = AddShape("b", 100, 1);
    TFxShapeBtn* c = AddShape("c", 190, 1);
    a->SetDown(true);
    Form->Show();
    TestKit::ProcessMessages();
    int clicks = 0, selections = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    b->SetOnSelChange(TNotifyEvent([&](TObject*) { ++selections; }));

    TestKit::Click(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_FALSE(c->Down());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(selections, 1);

    TestKit::Click(b);
    EXPECT_TRUE(b->Down()) << "the down button of a group stays down";
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(selections, 1);

    b->SetAllowAllUp(true);
    TestKit::Click(b);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(selections, 2);
    EXPECT_FALSE(Form->Focused() && b->Focused()) << "a non-focusable button takes no focus";
}

TEST_F(FxButtonTest, PressShowsDownFollowsTheMouseAndClicksOnlyInside) {
    MakeForm();
    TFxShapeBtn* b = AddShape("b", 10);
    Form->Show();
    TestKit::ProcessMessages();
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    TestKit::MouseDown(b, TPoint(40, 15));
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(b->Pressing());
    TestKit::MouseMove(b, TPoint(200, 15));
    EXPECT_FALSE(b->Down()) << "outside, the pressed button shows up";
    TestKit::MouseMove(b, TPoint(41, 15));
    EXPECT_TRUE(b->Down());
    TestKit::MouseMove(b, TPoint(300, 200));
    TestKit::MouseUp(b, TPoint(300, 200));
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b->Down());
    TestKit::Click(b);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->Down()) << "a button without a group springs back";
}

TEST_F(FxButtonTest, ToggleOnUpDoesNotShowThePressAndTogglesWhereverReleased) {
    MakeForm();
    TFxShapeBtn* b = AddShape("b", 10, 2);
    b->SetAllowAllUp(true);
    b->SetOptions(TFxButtonOptions{boToggleOnUp});
    Form->Show();
    TestKit::ProcessMessages();
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    TestKit::MouseDown(b, TPoint(40, 15));
    EXPECT_FALSE(b->Down());
    TestKit::MouseMove(b, TPoint(300, 200));
    TestKit::MouseUp(b, TPoint(300, 200));
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, 1);
}

TEST_F(FxButtonTest, AutoBoldFollowsTheDownState) {
    MakeForm();
    TFxShapeBtn* a = AddShape("a", 10, 1);
    TFxShapeBtn* b = AddShape("b", 100, 1);
    a->SetOptions(TFxButtonOptions{boAutoBold});
    Form->Show();
    a->SetDown(true);
    EXPECT_TRUE(a->Font()->Style().Contains(fsBold));
    TestKit::Click(b);
    EXPECT_FALSE(a->Down());
    EXPECT_FALSE(a->Font()->Style().Contains(fsBold));
}

TEST_F(FxButtonTest, KindButtonsSetTheFormsResultOrCloseIt) {
    MakeForm();
    auto* ok = new TFxCustomBitBtn(Form);
    ok->SetParent(Form);
    ok->SetKind(bkOK);
    Form->Show();
    TestKit::ProcessMessages();
    ok->Click();
    EXPECT_EQ(Form->ModalResult(), 1);
    Form->SetModalResult(0);
    int clicks = 0;
    auto* help = new TFxCustomBitBtn(Form);
    help->SetParent(Form);
    help->SetKind(bkHelp);
    help->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    help->Click();
    EXPECT_EQ(clicks, 1) << "without a help context the click event fires";
    EXPECT_EQ(Form->ModalResult(), 0);
    auto* close = new TFxCustomBitBtn(Form);
    close->SetParent(Form);
    close->SetKind(bkClose);
    close->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    close->Click();
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(clicks, 1);
}

TEST_F(FxButtonTest, ImageButtonShapesItsWindowByTheKeyColour) {
    MakeForm();
    auto* b = new TFxImageBtn(Form);
    b->SetParent(Form);
    b->SetBounds(10, 10, 20, 10);
    b->SetShadeStyle(fbsNormal);
    TFxBitmap pic;
    MakePicture(pic);
    b->SetImage(&pic);
    Form->Show();
    TestKit::ProcessMessages();
    ASSERT_TRUE(b->WindowRegion().has_value());
    EXPECT_EQ(b->WindowRegion()->BoundingBox(), TRect(4, 2, 16, 8));
    EXPECT_FALSE(b->RegionData(false).empty()) << "the region is kept for the form";

    // Transparency off: rectangular, nothing stored, the face drawn as it is.
    b->SetTransparentColor(kFxNoTransparency);
    TestKit::ProcessMessages();
    EXPECT_FALSE(b->UsesWindowRegion());
    EXPECT_FALSE(b->CreateStateRegion(true, false).has_value());
    EXPECT_TRUE(b->RegionData(false).empty());
    EXPECT_EQ(b->FacePixel(TPoint(0, 0)), clFuchsia);

    // Raised: the up region is the picture united with itself moved by (2, 2), the down
    // region only the moved one.
    b->SetTransparentColor(clNone);
    b->SetShadeStyle(fbsRaised);
    b->SetBounds(10, 10, 22, 12);
    auto up = b->CreateStateRegion(true, false);
    auto down = b->CreateStateRegion(true, true);
    ASSERT_TRUE(up && down);
    EXPECT_TRUE(up->Contains(4, 2));
    EXPECT_TRUE(up->Contains(17, 9));
    EXPECT_FALSE(down->Contains(4, 2));
    EXPECT_TRUE(down->Contains(17, 9));

    // A new image drops the stored data and the window takes the new shape.
    b->SetShadeStyle(fbsNormal);
    b->SetBounds(10, 10, 20, 10);
    TFxBitmap other;
    other.AllocateImage(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            other.SetPixel(x, y, x < 5 ? clLime : clFuchsia);
    other.SetPixel(0, 0, clFuchsia);
    b->SetImage(&other);
    TestKit::ProcessMessages();
    ASSERT_TRUE(b->WindowRegion().has_value());
    EXPECT_EQ(b->WindowRegion()->BoundingBox(), TRect(0, 0, 5, 10));
}

TEST_F(FxButtonTest, ImageButtonPublishesItsExternalImagesAndTheParentsClipping) {
    MakeForm();
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 100, 60);
    auto* source = new TFxImageBtn(Form);
    source->SetParent(Form);
    TFxBitmap pic;
    MakePicture(pic);
    source->SetImage(&pic);
    auto* b = new TFxImageBtn(Form);
    b->SetParent(panel);
    b->SetBounds(10, 10, 20, 10);
    Form->Show();
    TestKit::ProcessMessages();

    // The external images are set through their published names.
    for (const char* name : {"ExtImage", "ExtImageDown"}) {
        PPropInfo prop = FindPropInfo(b, name);
        ASSERT_NE(prop, nullptr) << name;
        SetObjectProp(b, prop, source);
        EXPECT_EQ(GetObjectProp(b, prop), source) << name;
    }
    EXPECT_EQ(b->EffectiveImage(false), source->Image());

    // ParentClipping is the panel window's clip-children bit, both ways.
    PPropInfo clipping = FindPropInfo(b, "ParentClipping");
    ASSERT_NE(clipping, nullptr);
    EXPECT_EQ(GetOrdProp(b, clipping), 0);
    SetOrdProp(b, clipping, 1);
    EXPECT_TRUE(GetWindowLong(panel->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_TRUE(b->ParentClipping());
    SetOrdProp(b, clipping, 0);
    EXPECT_FALSE(GetWindowLong(panel->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLong(panel->Handle(), GWL_STYLE) & WS_CHILD) << "other bits stay";
}

TEST_F(FxButtonTest, GroupedDownImageButtonWithoutDownImageIsShiftedAndFilled) {
    MakeForm();
    auto* b = new TFxImageBtn(Form);
    b->SetParent(Form);
    b->SetBounds(10, 10, 20, 10);
    b->SetShadeStyle(fbsNormal);
    b->SetGroupIndex(3);
    b->SetDitherStyle(dsFill);
    b->SetDitherColor(clYellow);
    TFxBitmap pic;
    MakePicture(pic);
    b->SetImage(&pic);
    b->SetDown(true);
    EXPECT_EQ(b->FacePixel(TPoint(4 + 2 + 3, 2 + 2 + 2)), clYellow);
    EXPECT_EQ(b->FacePixel(TPoint(1, 1)), clBlack) << "the shadow colour under the picture";
    b->SetDown(false);
    EXPECT_EQ(b->FacePixel(TPoint(5, 3)), clNavy);
}

TEST_F(FxButtonTest, StoredRegionDataRoundTripsAndMalformedDataGivesNoRegion) {
    MakeForm();
    auto* b = new TFxImageBtn(Form);
    b->SetBounds(0, 0, 20, 10);
    TFxBitmap pic;
    MakePicture(pic);
    b->SetImage(&pic);
    auto made = b->CreateStateRegion(true, false);
    ASSERT_TRUE(made.has_value());
    std::string stored = b->WriteRegionData();
    auto* copy = new TFxImageBtn(Form);
    copy->ReadRegionData(stored);
    auto read = copy->CreateStateRegion(false, false);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Rects(), made->Rects());

    std::vector<uint8_t> good = made->Data();
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> d = good;
        for (int i = 0; i < 4; ++i)
            d[at + size_t(i)] = uint8_t(value >> (8 * i));
        return StoredRegionData(d);
    };
    std::string truncated = StoredRegionData(good);
    truncated.resize(truncated.size() - 5);
    std::string shortHeader =
        StoredRegionData(std::vector<uint8_t>(good.begin(), good.begin() + 20));
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"count only", std::string("\x10\0\0", 3)},
        {"zero count", StoredRegionData({})},
        {"data shorter than its count", truncated},
        {"header shorter than 32", shortHeader},
        {"header size not 32", patched(0, 40)},
        {"not rectangles", patched(4, 2)},
        {"more rectangles than data", patched(8, 1000)},
        {"huge rectangle count", patched(8, 0xFFFFFFF0u)},
    };
    for (const auto& [name, data] : bad) {
        copy->ReadRegionData(data);
        EXPECT_FALSE(copy->CreateStateRegion(false, false).has_value()) << name;
    }
}

TEST_F(FxButtonTest, ShapePointsFollowShapeAndOrientation) {
    MakeForm();
    TFxShapeBtn* b = AddShape("s", 0);
    b->SetBounds(0, 0, 100, 40);
    struct {
        TFxButtonShape Shape;
        TFxShapeOrientation Orientation;
        std::vector<TPoint> Points;
    } cases[] = {
        {bsTriangle, soUp, {{49, 0}, {99, 39}, {0, 39}, {49, 0}}},
        {bsTriangle, soRight, {{99, 19}, {0, 99 * 39 / 99}, {0, 0}, {99, 19}}},
        {bsRect, soUp, {{0, 0}, {99, 0}, {99, 39}, {0, 39}, {0, 0}}},
        {bsDiamond, soUp, {{49, 0}, {99, 19}, {49, 39}, {0, 19}, {49, 0}}},
        {bsTrapezoid, soUp, {{19, 0}, {80, 0}, {99, 39}, {0, 39}, {19, 0}}},
        {bsEllipse, soUp, {}},
    };
    for (const auto& c : cases) {
        b->SetShape(c.Shape);
        b->SetOrientation(c.Orientation);
        std::vector<TPoint> pts = b->GetShapePoints();
        ASSERT_EQ(pts.size(), c.Points.size()) << int(c.Shape);
        for (size_t i = 0; i < pts.size(); ++i) {
            EXPECT_EQ(pts[i].X, c.Points[i].X) << int(c.Shape) << " " << i;
            EXPECT_EQ(pts[i].Y, c.Points[i].Y) << int(c.Shape) << " " << i;
        }
    }
    b->SetOrientation(soUp);
    b->SetShape(bsStar);
    EXPECT_EQ(b->GetShapePoints().size(), 11u);

    // Custom points: expressions of WIDTH and HEIGHT.
    TStringList list;
    list.Add("0, 0");
    list.Add("WIDTH,0");
    list.Add("WIDTH/2, HEIGHT");
    b->SetPointList(&list);
    b->SetShape(bsCustom);
    std::vector<TPoint> custom = b->GetShapePoints();
    ASSERT_EQ(custom.size(), 4u);
    EXPECT_EQ(custom[1], TPoint(99, 0));
    EXPECT_EQ(custom[2], TPoint(49, 39));
    list.Delete(2);
    b->SetPointList(&list);
    EXPECT_TRUE(b->GetShapePoints().empty()) << "two lines make no polygon";
    list.Add("10 20");
    b->SetPointList(&list);
    try {
        b->GetShapePoints();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Invalid Custom Points Format.  X and Y Coordinates must be "
                               "separated by a comma and space.");
    }
    EXPECT_EQ(b->Shape(), bsRect);

    // A button one pixel wide keeps its points unturned instead of dividing by zero.
    b->SetShape(bsTriangle);
    b->SetOrientation(soRight);
    b->SetBounds(0, 0, 1, 40);
    std::vector<TPoint> thin = b->GetShapePoints();
    ASSERT_EQ(thin.size(), 4u);
    EXPECT_EQ(thin[1], TPoint(0, 39));
    b->SetBounds(0, 0, 60, 1);
    EXPECT_EQ(b->GetShapePoints().size(), 4u);
}

TEST_F(FxButtonTest, ShapeButtonRegionMaskAndSize) {
    MakeForm();
    TFxShapeBtn* b = AddShape("s", 10);
    b->SetShape(bsTriangle);
    b->SetBounds(10, 10, 100, 40);
    Form->Show();
    TestKit::ProcessMessages();
    ASSERT_TRUE(b->WindowRegion().has_value());
    EXPECT_TRUE(b->WindowRegion()->Contains(50, 30));
    EXPECT_FALSE(b->WindowRegion()->Contains(2, 2)) << "the corners are outside";
    EXPECT_EQ(b->MaskColor(), RGB(255, 0, 0));
    b->SetColor(RGB(255, 0, 0));
    EXPECT_EQ(b->MaskColor(), RGB(0, 0, 255));
    TFxBitmap face;
    b->DrawFace(&face, true, false, fbsHighlight);
    EXPECT_EQ(face.Pixel(50, 30), RGB(255, 0, 0)) << "a red face is not cut away";
    b->SetBounds(0, 0, 60, 20);
    b->SizeToContent();
    EXPECT_EQ(b->Width(), 60);
    EXPECT_EQ(b->Height(), 60);
}

TEST_F(FxButtonTest, RaisedShapeHasLightTopLeftAndDarkBottomRightEdges) {
    MakeForm();
    TFxShapeBtn* b = AddShape("s", 10);
    b->SetBounds(0, 0, 60, 30);
    TFxBitmap up, down;
    b->DrawFace(&up, false, false, fbsHighlight);
    b->DrawFace(&down, false, true, fbsHighlight);
    TColor highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(up.Pixel(30, 0), highlight);
    EXPECT_EQ(up.Pixel(0, 15), highlight);
    EXPECT_EQ(up.Pixel(30, 29), clBlack);
    EXPECT_EQ(up.Pixel(59, 15), clBlack);
    EXPECT_EQ(down.Pixel(30, 0), clBlack);
    EXPECT_EQ(down.Pixel(30, 29), highlight);
}

TEST_F(FxButtonTest, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
    MakeForm();
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, 100, 100, 20);
    auto* ok = new TFxShapeBtn(Form);
    ok->SetParent(Form);
    ok->SetBounds(10, 10, 80, 25);
    ok->SetKind(bkOK);
    auto* cancel = new TFxShapeBtn(Form);
    cancel->SetParent(Form);
    cancel->SetBounds(100, 10, 80, 25);
    cancel->SetKind(bkCancel);
    int okClicks = 0, cancelClicks = 0;
    ok->SetOnClick(TNotifyEvent([&](TObject*) { ++okClicks; }));
    cancel->SetOnClick(TNotifyEvent([&](TObject*) { ++cancelClicks; }));
    Form->Show();
    TestKit::Focus(edit);
    TestKit::ProcessMessages();
    EXPECT_TRUE(ok->ActiveDefault());
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(Form->ModalResult(), 1);
    TestKit::PressKey(VK_ESCAPE);
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(Form->ModalResult(), 2);
}

TEST_F(FxButtonTest, SpeedButtonsOfTheSameGroupNumberAreNoGroupMates) {
    MakeForm();
    auto* speed = new TSpeedButton(Form);
    speed->SetParent(Form);
    speed->SetBounds(10, 60, 40, 20);
    speed->SetGroupIndex(1);
    speed->SetDown(true);
    TFxShapeBtn* fx = AddShape("fx", 100, 1);
    Form->Show();
    TestKit::ProcessMessages();
    TestKit::Click(fx);
    EXPECT_TRUE(fx->Down());
    EXPECT_TRUE(speed->Down()) << "the message is shared, the group is not";
    TestKit::Click(speed);
    EXPECT_TRUE(fx->Down());
}

TEST_F(FxButtonTest, AnActionsImageIsTheGlyphOfAButtonWithoutOneOrOfAnyWhenAsked) {
    MakeForm();
    // Images 0 and 1 of 12 x 10: red and blue solid.
    auto* images = new TImageList(Form, 12, 10);
    for (TColor c : {clRed, clBlue}) {
        TBitmap bmp(12, 10);
        bmp.Canvas()->Brush()->SetColor(c);
        bmp.Canvas()->FillRect(TRect(0, 0, 12, 10));
        images->Add(&bmp, nullptr);
    }
    auto* actions = new TActionList(Form);
    actions->SetImages(images);
    auto* action = new TAction(Form);
    action->SetActionList(actions);
    action->SetCaption("Φόρτωση");
    action->SetImageIndex(1);
    int ran = 0;
    action->SetOnExecute([&](TObject*) { ++ran; });

    auto* plain = new TFxCustomBitBtn(Form);
    plain->SetParent(Form);
    plain->SetBounds(10, 10, 100, 30);
    plain->SetAction(action);
    EXPECT_EQ(plain->Caption(), "Φόρτωση");
    ASSERT_EQ(plain->Glyph()->Width(), 12);
    EXPECT_EQ(plain->Glyph()->Height(), 10);
    EXPECT_EQ(plain->Glyph()->Canvas()->Pixels(5, 5), clBlue);
    EXPECT_EQ(plain->Glyph()->TransparentColor(), TColor(0xFF00FF));

    // A button with a glyph of its own keeps it; boOverrideActionGlyph lets the action's
    // image replace it, also when the action's image changes later.
    TBitmap own(8, 8);
    own.Canvas()->Brush()->SetColor(clLime);
    own.Canvas()->FillRect(TRect(0, 0, 8, 8));
    auto* keeps = new TFxCustomBitBtn(Form);
    keeps->SetGlyph(&own);
    keeps->SetAction(action);
    EXPECT_EQ(keeps->Glyph()->Width(), 8);
    EXPECT_EQ(keeps->Glyph()->Canvas()->Pixels(2, 2), clLime);
    auto* overrides = new TFxCustomBitBtn(Form);
    overrides->SetGlyph(&own);
    overrides->SetOptions({boOverrideActionGlyph});
    overrides->SetAction(action);
    EXPECT_EQ(overrides->Glyph()->Width(), 12);
    EXPECT_EQ(overrides->Glyph()->Canvas()->Pixels(5, 5), clBlue);
    action->SetImageIndex(0);
    EXPECT_EQ(overrides->Glyph()->Canvas()->Pixels(5, 5), clRed);
    EXPECT_EQ(keeps->Glyph()->Canvas()->Pixels(2, 2), clLime);
    EXPECT_EQ(plain->Glyph()->Canvas()->Pixels(5, 5), clBlue) << "no longer empty";

    // An index outside the list gives no glyph.
    action->SetImageIndex(5);
    auto* none = new TFxCustomBitBtn(Form);
    none->SetAction(action);
    EXPECT_TRUE(none->Glyph()->Empty());

    // The glyph is drawn, and a click runs the action.
    Form->Show();
    EXPECT_TRUE(TestKit::RenderToPng(Form, ShotFile("fxbutton-action-glyph.png")));
    TBitmap shot;
    TestKit::RenderToBitmap(plain, shot);
    EXPECT_EQ(shot.Canvas()->Pixels(plain->GlyphRect().Left + 5, plain->GlyphRect().Top + 5),
              clBlue);
    TestKit::Click(plain);
    EXPECT_EQ(ran, 1);
}

} // namespace
