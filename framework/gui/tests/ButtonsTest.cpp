#include "framework/gui/Buttons.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <memory>

#include <string>
#include <vector>

namespace {

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = CreateForm<TForm>(nullptr);
        Form->SetBounds(10, 10, 300, 200);
    }
    void TearDown() override { delete Form; }

    TSpeedButton* AddSpeedButton(const std::string& name, int left, int group = 0) {
        auto* b = new TSpeedButton(Form);
        b->SetName(name);
        b->SetParent(Form);
        b->SetBounds(left, 10, 40, 30);
        b->SetGroupIndex(group);
        b->SetOnClick(TNotifyEvent([this, name](TObject*) { Clicks.push_back(name); }));
        return b;
    }

    // A glyph of two frames: red up, blue disabled, on a white transparent colour.
    static std::unique_ptr<TBitmap> MakeGlyph() {
        QImage img(20, 10, QImage::Format_RGB32);
        img.fill(Qt::white);
        for (int y = 2; y < 8; ++y)
            for (int x = 2; x < 8; ++x) {
                img.setPixel(x, y, qRgb(255, 0, 0));
                img.setPixel(x + 10, y, qRgb(0, 0, 255));
            }
        auto b = std::make_unique<TBitmap>();
        b->SetImage(img);
        return b;
    }

    TForm* Form = nullptr;
    std::vector<std::string> Clicks;
};

TEST(ButtonLayoutTest, GlyphAndCaptionArePlacedByLayoutMarginAndSpacing) {
    struct TCase {
        TButtonLayout Layout;
        int Margin, Spacing;
        TPoint Glyph;
        TRect Text;
    } cases[] = {
        // Client 100 × 40, glyph 16 × 16, text 30 × 12: centred pair 16 + 4 + 30 = 50.
        {blGlyphLeft, -1, 4, TPoint(25, 12), Bounds(45, 14, 30, 12)},
        {blGlyphRight, -1, 4, TPoint(59, 12), Bounds(25, 14, 30, 12)},
        {blGlyphLeft, 2, 4, TPoint(2, 12), Bounds(22, 14, 30, 12)},
        {blGlyphTop, -1, 2, TPoint(42, 5), Bounds(35, 23, 30, 12)},
        {blGlyphLeft, -1, -1, TPoint(18, 12), Bounds(52, 14, 30, 12)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Layout) * 100 + c.Margin * 10 + c.Spacing);
        TPoint glyph;
        TRect text;
        CalcButtonLayout(TRect(0, 0, 100, 40), TSize(16, 16), TSize(30, 12), c.Layout, c.Margin,
                         c.Spacing, glyph, text);
        EXPECT_EQ(glyph, c.Glyph);
        EXPECT_EQ(text, c.Text);
    }
}

TEST_F(ButtonsTest, GroupedSpeedButtonsKeepOneDownAndAllowAllUpLetsTheDownOneRise) {
    auto* wg = AddSpeedButton("sbWG", 10, 100);
    auto* pv = AddSpeedButton("sbPhotoV", 60, 100);
    auto* bat = AddSpeedButton("sbBat", 110, 100);
    wg->SetAllowAllUp(true);
    EXPECT_TRUE(pv->AllowAllUp()); // the group shares it
    wg->SetDown(true);
    Form->Show();
    TestKit::Click(pv);
    EXPECT_FALSE(wg->Down());
    EXPECT_TRUE(pv->Down());
    TestKit::Click(pv); // all up allowed: it rises, and the click still fires
    EXPECT_FALSE(pv->Down());
    EXPECT_EQ(Clicks, std::vector<std::string>({"sbPhotoV", "sbPhotoV"}));
    for (TSpeedButton* b : {wg, pv, bat})
        b->SetAllowAllUp(false);
    bat->SetDown(true);
    TestKit::Click(bat);
    EXPECT_TRUE(bat->Down());
    bat->SetDown(false); // a down button of a group without all-up cannot be raised
    EXPECT_TRUE(bat->Down());
    EXPECT_EQ(bat->State(), bsExclusive);
}

TEST_F(ButtonsTest, SpeedButtonClicksOnReleaseOverItAndSpringsBackWithoutGroup) {
    auto* b = AddSpeedButton("sbOpen", 10);
    Form->Show();
    TestKit::MouseDown(b, TPoint(5, 5));
    EXPECT_EQ(b->State(), bsDown);
    TestKit::MouseMove(b, TPoint(80, 5));
    EXPECT_EQ(b->State(), bsUp);
    TestKit::MouseUp(b, TPoint(80, 5));
    EXPECT_TRUE(Clicks.empty());
    TestKit::Drag(b, TPoint(5, 5), TPoint(30, 20));
    EXPECT_EQ(Clicks.size(), 1u);
    EXPECT_EQ(b->State(), bsUp);
    b->SetDown(true); // no group: cannot stay down
    EXPECT_FALSE(b->Down());
    b->SetEnabled(false);
    TestKit::Click(b);
    EXPECT_EQ(Clicks.size(), 1u);
}

TEST_F(ButtonsTest, SpeedButtonShowsTheGlyphFrameOfItsStateAndFlatBorderOnlyUnderTheMouse) {
    auto* b = AddSpeedButton("sbGlyph", 10);
    b->SetGlyph(MakeGlyph().get());
    b->SetNumGlyphs(2);
    b->SetFlat(true);
    Form->Show();
    // The 10 × 10 frame is centred in the 40 × 30 button: its square at (17..22, 12..17).
    QImage up = TestKit::Render(b)->ToImage();
    EXPECT_EQ(QColor(up.pixel(20, 15)), QColor(Qt::red));
    EXPECT_NE(QColor(up.pixel(16, 11)), QColor(Qt::white)); // transparent: the form shows
    EXPECT_EQ(up.pixel(0, 0), up.pixel(20, 2));             // flat: no border
    TestKit::MouseMove(b, TPoint(20, 15));
    EXPECT_TRUE(b->MouseInControl());
    QImage hot = TestKit::Render(b)->ToImage();
    EXPECT_NE(hot.pixel(0, 0), hot.pixel(20, 2));
    b->SetEnabled(false);
    QImage disabled = TestKit::Render(b)->ToImage();
    EXPECT_EQ(QColor(disabled.pixel(20, 15)), QColor(Qt::blue));
}

TEST_F(ButtonsTest, BitBtnKindSetsCaptionResultAndDefaultUntilOneIsChanged) {
    auto* b = new TBitBtn(Form);
    b->SetParent(Form);
    struct TCase {
        TBitBtnKind Kind;
        std::string Caption;
        TModalResult Result;
        bool Default, Cancel;
    } cases[] = {
        {bkOK, "OK", mrOk, true, false},
        {bkCancel, "Cancel", mrCancel, false, true},
        {bkNo, "&No", mrNo, false, true},
        {bkClose, "&Close", mrNone, false, false},
    };
    for (const TCase& c : cases) {
        b->SetKind(c.Kind);
        EXPECT_EQ(b->Caption(), c.Caption);
        EXPECT_EQ(b->ModalResult(), c.Result);
        EXPECT_EQ(b->Default(), c.Default);
        EXPECT_EQ(b->Cancel(), c.Cancel);
        EXPECT_EQ(b->Kind(), c.Kind);
    }
    b->SetModalResult(mrYes);
    EXPECT_EQ(b->Kind(), bkCustom);
}

TEST_F(ButtonsTest, BitBtnClicksByMouseSpaceAndEnterAndClosesAModalForm) {
    auto* dialog = CreateForm<TForm>(nullptr);
    auto* ok = new TBitBtn(dialog);
    ok->SetParent(dialog);
    ok->SetBounds(10, 10, 90, 30);
    ok->SetKind(bkOK);
    ok->SetGlyph(MakeGlyph().get());
    ok->SetNumGlyphs(2);
    int clicks = 0;
    ok->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    dialog->Show();
    TestKit::MouseDown(ok, TPoint(5, 5));
    EXPECT_TRUE(ok->Pressed());
    TestKit::MouseMove(ok, TPoint(200, 5));
    EXPECT_FALSE(ok->Pressed());
    TestKit::MouseUp(ok, TPoint(200, 5));
    EXPECT_EQ(clicks, 0);
    TestKit::Click(ok);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(ok->Focused());
    TestKit::PressKey(VK_SPACE);
    EXPECT_EQ(clicks, 2);
    QImage img = TestKit::Render(ok)->ToImage();
    bool red = false;
    for (int x = 0; x < img.width() && !red; ++x)
        red = QColor(img.pixel(x, 15)) == QColor(Qt::red);
    EXPECT_TRUE(red);
    dialog->Hide();
    Application->SetModalHandler([&](TCustomForm*) {
        TestKit::Focus(ok);
        TestKit::PressKey(VK_RETURN);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(clicks, 3);
    delete dialog;
}

} // namespace
