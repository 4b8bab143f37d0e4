#include "ControlsTestSupport.h"

#include "controls/fxBitmap.h"
#include "controls/fxClearPanel.h"
#include "controls/fxCollection.h"
#include "controls/fxCommon.h"
#include "framework/gui/Delays.h"
#include "framework/gui/ExtraControls.h"

namespace {

class FxCommonTest : public TFxTest {};

TEST_F(FxCommonTest, TokensCountOverlappingSeparatorsAndMissingTokensAreEmpty) {
    const std::string twoLines = "first\r\nsecond";
    EXPECT_EQ(CountTokens(twoLines, "\r\n"), 2);
    EXPECT_EQ(CountTokens("", "\r\n"), 0);
    EXPECT_EQ(CountTokens("aaa", "aa"), 3); // overlapping occurrences count
    struct {
        std::string S, Sep;
        int Index;
        std::string Token;
    } cases[] = {
        {twoLines, "\r\n", 0, "first"}, {twoLines, "\r\n", 1, "second"}, {twoLines, "\r\n", 2, ""},
        {"a,,b", ",", 1, ""},           {"a,,b", ",", 2, "b"},           {"solo", ",", 0, "solo"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetToken(c.S, c.Sep, c.Index), c.Token) << c.S << " " << c.Index;
    EXPECT_EQ(TokenIndex("x;y;z", ";", "z"), 2);
    EXPECT_EQ(TokenIndex("x;y;z", ";", "Z"), -1);
    EXPECT_EQ(CopyRange("abcdef", 2, 4), "bc");
    EXPECT_EQ(CopyRange("abcdef", 3, 0), "cdef");
    EXPECT_EQ(NthPos("ab", "abxabyab", 2), 7);
    EXPECT_EQ(NthPos("ab", "abxabyab", 3), 0);
    EXPECT_EQ(PosFrom("b", "abcb", 3), 4);
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(StripAccelerators("&Save && Exit"), "Save & Exit");
}

TEST_F(FxCommonTest, NamesAndClassesAreFoundByTheirNames) {
    TComponent owner(nullptr);
    auto* p1 = new TComponent(&owner);
    p1->SetName("Page1");
    auto* p2 = new TComponent(&owner);
    p2->SetName("Page2");
    EXPECT_EQ(UniqueComponentName(&owner, "Page"), "Page3");
    EXPECT_EQ(UniqueComponentName(&owner, "Tab"), "Tab1");
    EXPECT_TRUE(InheritsFromName(TFxCustomTransparentPanel::StaticClass(), "tcustompanel"));
    EXPECT_FALSE(InheritsFromName(TPanel::StaticClass(), "TFxCustomButtonGroup"));
    TFxCustomTransparentPanel panel(nullptr);
    EXPECT_EQ(GetOrdPropByName(&panel, "Transparent"), 1);
    EXPECT_EQ(GetOrdPropByName(&panel, "NoSuchProperty"), 0);
}

TEST_F(FxCommonTest, AdjustColorMovesChannelsTowardWhiteOrBlack) {
    struct {
        TColor In;
        int Amount;
        bool Percent;
        TColor Out;
    } cases[] = {
        {clRed, 50, true, RGB(255, 127, 127)},
        {clBlack, -50, true, clBlack},
        {RGB(200, 100, 0), -50, true, RGB(100, 50, 0)},
        {RGB(200, 100, 0), 30, false, RGB(230, 130, 30)},
        {RGB(250, 10, 0), 30, false, RGB(255, 40, 30)},
        {clBtnFace, 0, true, RGB(192, 192, 192)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustColor(c.In, c.Amount, c.Percent), c.Out) << std::hex << c.In;
    EXPECT_EQ(ImageListColor(clNone), 0xFFFFFFFFu);
    EXPECT_EQ(ImageListColor(clDefault), 0xFF000000u);
    EXPECT_EQ(ImageListColor(clBtnFace), 0xC0C0C0u);
}

TEST_F(FxCommonTest, FitRectKeepAspectFillsTheRectangleAndEmptyInputsGiveNothing) {
    struct {
        TRect R;
        int W, H;
        TRect Out;
    } cases[] = {
        {TRect(10, 20, 110, 220), 100, 50, TRect(10, 20, 110, 70)},
        {TRect(0, 0, 100, 100), 200, 100, TRect(0, 0, 100, 50)},
        {TRect(0, 0, 100, 100), 50, 100, TRect(0, 0, 50, 100)},
        {TRect(5, 6, 5, 40), 10, 10, TRect(5, 6, 5, 6)},
        {TRect(5, 6, 50, 40), 0, 10, TRect(5, 6, 5, 6)},
        {TRect(5, 6, 50, 40), 10, 0, TRect(5, 6, 5, 6)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRectKeepAspect(c.R, c.W, c.H), c.Out) << c.W << "x" << c.H;
}

TEST_F(FxCommonTest, GlyphAndTextArePlacedAroundTheCentreByLayout) {
    // Glyph 16 x 16, text 30 x 10, spacing 4, centre (50, 20).
    struct {
        TButtonLayout Layout;
        TRect Text, Glyph;
    } cases[] = {
        {blGlyphLeft, TRect(45, 15, 75, 25), TRect(25, 12, 41, 28)},
        {blGlyphRight, TRect(25, 15, 55, 25), TRect(59, 12, 75, 28)},
        {blGlyphTop, TRect(35, 26, 65, 36), TRect(42, 5, 58, 21)},
        {blGlyphBottom, TRect(35, 5, 65, 15), TRect(42, 19, 58, 35)},
    };
    for (const auto& c : cases) {
        TRect text, glyph;
        CalcGlyphTextLayout(TPoint(50, 20), text, glyph, 4, c.Layout, TPoint(16, 16),
                            TPoint(30, 10));
        EXPECT_EQ(text, c.Text) << int(c.Layout);
        EXPECT_EQ(glyph, c.Glyph) << int(c.Layout);
    }
    TRect text, glyph;
    CalcGlyphTextLayout(TPoint(50, 20), text, glyph, 4, blGlyphLeft, TPoint(0, 0), TPoint(0, 0));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(glyph.IsEmpty());
    EXPECT_NEAR(text.Left, 50, 3);
}

TEST_F(FxCommonTest, RegionFromBitmapJoinsRunsOfOtherColours) {
    TFxBitmap b;
    b.AllocateImage(6, 3);
    EXPECT_FALSE(RegionFromBitmap(&b, -1).has_value()) << "every pixel has the key colour";
    b.SetPixel(1, 0, clBlack);
    b.SetPixel(2, 0, clBlack);
    b.SetPixel(4, 0, clRed);
    b.SetPixel(3, 2, clBlack);
    auto r = RegionFromBitmap(&b, -1);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Rects().size(), 3u);
    EXPECT_TRUE(r->Contains(1, 0));
    EXPECT_TRUE(r->Contains(4, 0));
    EXPECT_FALSE(r->Contains(3, 0));
    EXPECT_TRUE(r->Contains(3, 2));
    EXPECT_EQ(r->BoundingBox(), TRect(1, 0, 5, 3));
    // With black as the key, everything but the black pixels is inside.
    auto inverse = RegionFromBitmap(&b, clBlack);
    ASSERT_TRUE(inverse.has_value());
    EXPECT_FALSE(inverse->Contains(1, 0));
    EXPECT_TRUE(inverse->Contains(0, 0));
    TFxBitmap empty;
    EXPECT_FALSE(RegionFromBitmap(&empty, -1).has_value());

    b.SetTransparentColor(clAqua);
    FillOutsideRegion(&b, *r);
    EXPECT_EQ(b.Pixel(0, 0), clAqua);
    EXPECT_EQ(b.Pixel(1, 0), clBlack);
}

TEST_F(FxCommonTest, DitherFillChecksItsColoursAndDrawsACheckerBoard) {
    TFxBitmap b;
    b.AllocateImage(4, 2);
    try {
        DitherFill(b.Canvas(), TRect(0, 0, 4, 2), clRed, clNone);
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Color2 cannot be clNone");
    }
    DitherFill(b.Canvas(), TRect(0, 0, 4, 2), clRed, clBlue);
    b.Canvas()->ReleasePainter();
    EXPECT_NE(b.Pixel(0, 0), b.Pixel(1, 0));
    EXPECT_EQ(b.Pixel(0, 0), b.Pixel(1, 1));
    EXPECT_TRUE((b.Pixel(0, 0) == clRed && b.Pixel(1, 0) == clBlue) ||
                (b.Pixel(0, 0) == clBlue && b.Pixel(1, 0) == clRed));

    // Without a first colour only the second half is drawn; the rest stays.
    TFxBitmap half;
    half.AllocateImage(4, 2);
    DitherFill(half.Canvas(), TRect(0, 0, 4, 2), clNone, clBlue);
    half.Canvas()->ReleasePainter();
    int blue = 0, white = 0;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            blue += half.Pixel(x, y) == clBlue;
            white += half.Pixel(x, y) == clWhite;
        }
    EXPECT_EQ(blue, 4);
    EXPECT_EQ(white, 4);
}

TEST_F(FxCommonTest, AnimationEndsExactlyOnTheEndRectanglesUnderTheTestClock) {
    MakeForm();
    auto* a = new TPanel(Form);
    a->SetParent(Form);
    a->SetBounds(0, 0, 10, 10);
    auto* b = new TPanel(Form);
    b->SetParent(Form);
    b->SetBounds(100, 50, 30, 20);
    Form->Show();
    std::vector<std::unique_ptr<TFxGroupAnimateItem>> list;
    auto g = std::make_unique<TFxGroupAnimateItem>();
    g->ButtonItem =
        std::make_unique<TFxAnimateListItem>(a, a->BoundsRect(), TRect(3, 97, 140, 110));
    g->PanelItem = std::make_unique<TFxAnimateListItem>(b, b->BoundsRect(), TRect(1, 2, 4, 7));
    list.push_back(std::move(g));
    uint32_t start = GetTickCount();
    std::vector<TRect> seen;
    AnimateControls(list, nullptr, 7, 1);
    EXPECT_EQ(a->BoundsRect(), TRect(3, 97, 140, 110));
    EXPECT_EQ(b->BoundsRect(), TRect(1, 2, 4, 7));
    EXPECT_EQ(GetTickCount() - start, 7u) << "one sleep of the interval per step";

    // A placement handler receives the rectangles instead; steps are truncated shares.
    list[0]->ButtonItem->StartRect = TRect(0, 0, 10, 10);
    list[0]->ButtonItem->EndRect = TRect(10, 0, 20, 10);
    list[0]->PanelItem.reset();
    std::vector<int> lefts;
    AnimateControls(
        list, TFxPlaceEvent([&](TControl*, const TRect& r) { lefts.push_back(r.Left); }), 3, 0);
    EXPECT_EQ(lefts, (std::vector<int>{3, 6, 10}));
    // Nothing for no steps.
    AnimateControls(list, TFxPlaceEvent([&](TControl*, const TRect&) { FAIL(); }), 0, 0);
}

TEST_F(FxCommonTest, SleepFollowsTheManualClock) {
    uint32_t start = GetTickCount();
    Sleep(250);
    EXPECT_EQ(GetTickCount() - start, 250u);
}

TEST_F(FxCommonTest, CollectionsAskTheirTargetToRefreshOnRename) {
    struct TTarget : TFxCollectionNotify {
        int* Count;
        explicit TTarget(int* count) : Count(count) {}
        void Refresh() override { ++*Count; }
    };
    int refreshed = 0;
    TFxCollection coll(TFxCollectionItem::StaticClass());
    TFxCollectionItem* item = coll.AddItem();
    ASSERT_NE(item, nullptr);
    NotifyItemNameChange(item); // no target yet: nothing
    coll.SetNotifyTarget(std::make_unique<TTarget>(&refreshed));
    NotifyItemNameChange(item);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(coll.ItemAt(0), item);
    int changes = 0;
    item->SetOnItemChange(TFxItemEvent([&](TFxCollectionItem* it) {
        EXPECT_EQ(it, item);
        ++changes;
    }));
    item->FireItemChange();
    EXPECT_EQ(changes, 1);
}

TEST_F(FxCommonTest, TransparentPanelShowsItsParentsPictureAndOpaqueOneItsColour) {
    MakeForm(200, 100);
    auto* back = new TPanel(Form);
    back->SetParent(Form);
    back->SetBevelOuter(bvNone);
    back->SetBounds(0, 0, 200, 100);
    back->SetColor(clRed);
    auto* clear = new TFxCustomTransparentPanel(Form);
    clear->SetParent(back);
    clear->SetBounds(10, 10, 60, 60);
    clear->SetColor(clAqua);
    auto* opaque = new TFxCustomTransparentPanel(Form);
    opaque->SetTransparent(false);
    opaque->SetParent(back);
    opaque->SetBounds(100, 10, 60, 60);
    opaque->SetColor(clAqua);
    Form->Show();
    TestKit::ProcessMessages();
    TBitmap shot;
    TestKit::RenderToBitmap(Form, shot);
    TestKit::RenderToPng(Form, ShotFile("clear-panel.png"));
    TFxBitmap px;
    px.LoadFromBitmap(&shot);
    EXPECT_EQ(px.Pixel(40, 40), clRed) << "the parent shows through";
    EXPECT_EQ(px.Pixel(10, 10), GetSysColor(COLOR_BTNHIGHLIGHT)) << "the raised bevel is drawn";
    EXPECT_EQ(px.Pixel(130, 40), clAqua);
    // Switching transparency on later gives the window the style at once.
    opaque->SetTransparent(true);
    TestKit::ProcessMessages();
    TestKit::RenderToBitmap(Form, shot);
    px.LoadFromBitmap(&shot);
    EXPECT_EQ(px.Pixel(130, 40), clRed);
}

} // namespace
