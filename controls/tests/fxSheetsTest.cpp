// Sheets of the effects and of the buttons, rendered to PNG for people to look at
// (kept when ORV_SHOT_DIR names a folder).
#include "ControlsTestSupport.h"

#include "controls/fxBitmap.h"
#include "controls/fxImgBtn.h"
#include "controls/fxShapeBtn.h"
#include "controls/fxText.h"

#include <functional>
#include <vector>

namespace {

class FxSheetsTest : public TFxTest {};

// A 64 x 64 test picture: a colour gradient with a dark ring and a white diagonal.
void MakeTestPicture(TFxBitmap& b) {
    b.AllocateImage(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            int dx = x - 32, dy = y - 32;
            int r2 = dx * dx + dy * dy;
            TColor c = RGB(x * 4, y * 4, 255 - x * 2);
            if (r2 > 300 && r2 < 420)
                c = RGB(20, 20, 60);
            if (x == y)
                c = clWhite;
            b.SetPixel(x, y, c);
        }
}

TEST_F(FxSheetsTest, EffectsSheet) {
    std::vector<std::pair<const char*, std::function<void(TFxBitmap&)>>> effects = {
        {"original", [](TFxBitmap&) {}},
        {"grey", [](TFxBitmap& b) { b.ApplyGrayScale(); }},
        {"lighter", [](TFxBitmap& b) { b.ApplyLightness(100); }},
        {"darker", [](TFxBitmap& b) { b.ApplyLightness(-100); }},
        {"contrast", [](TFxBitmap& b) { b.ApplyContrast(150); }},
        {"saturation", [](TFxBitmap& b) { b.ApplySaturation(400); }},
        {"invert", [](TFxBitmap& b) { b.ApplyInvert(); }},
        {"tint", [](TFxBitmap& b) { b.ApplyTint(100, 0, 0); }},
        {"colorize", [](TFxBitmap& b) { b.ApplyColorize(0, 200, 120); }},
        {"emboss", [](TFxBitmap& b) { b.ApplyEmboss(); }},
        {"blur", [](TFxBitmap& b) { b.ApplyGaussianBlur(3); }},
        {"sharpen", [](TFxBitmap& b) { b.ApplySharpen(1); }},
        {"sponge", [](TFxBitmap& b) { b.ApplySponge(4); }},
        {"flip h", [](TFxBitmap& b) { b.Flip(true); }},
        {"flip v", [](TFxBitmap& b) { b.Flip(false); }},
        {"wave", [](TFxBitmap& b) { b.ApplyWave(false, 6, 6, 4); }},
        {"wave wrap", [](TFxBitmap& b) { b.ApplyWave(true, 6, 6, 4); }},
        {"rotate 30", [](TFxBitmap& b) { b.Rotate(TPoint(-1, -1), 30); }},
        {"rotate 90", [](TFxBitmap& b) { b.Rotate(TPoint(-1, -1), 90); }},
        {"blend",
         [](TFxBitmap& b) {
             TFxBitmap other;
             other.AllocateImage(10, 10);
             other.Canvas()->Brush()->SetColor(clRed);
             other.Canvas()->Ellipse(0, 0, 10, 10);
             other.Canvas()->ReleasePainter();
             b.AlphaBlend(&other, 128, true);
         }},
    };
    const int cols = 5, cell = 90;
    int rows = int(effects.size() + cols - 1) / cols;
    TFxBitmap sheet;
    sheet.AllocateImage(cols * cell, rows * (cell + 10));
    TCanvas* c = sheet.Canvas();
    c->Brush()->SetColor(clSilver);
    c->FillRect(TRect(0, 0, sheet.ImageWidth(), sheet.ImageHeight()));
    for (size_t i = 0; i < effects.size(); ++i) {
        TFxBitmap b;
        MakeTestPicture(b);
        effects[i].second(b);
        int x = int(i % cols) * cell + 13, y = int(i / cols) * (cell + 10) + 4;
        c->Draw(x, y, &b);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetName("Arial");
        c->Font()->SetHeight(-11);
        c->TextOut(x, y + 68, effects[i].first);
        c->Brush()->SetStyle(bsSolid);
    }
    // The smooth stretch next to the plain one.
    c->ReleasePainter();
    TBitmap out;
    sheet.CopyToBitmap(&out);
    EXPECT_TRUE(TestKit::SaveBitmapToPng(out, ShotFile("fx-effects.png")));
}

TEST_F(FxSheetsTest, ButtonsSheet) {
    MakeForm(470, 560);
    Form->SetColor(clBtnShadow);
    const TFxButtonShape shapes[] = {bsRect,  bsRoundRect, bsEllipse, bsTriangle,
                                     bsArrow, bsDiamond,   bsStar,    bsTrapezoid};
    const char* names[] = {"Rect",  "RoundRect", "Ellipse", "Triangle",
                           "Arrow", "Diamond",   "Star",    "Trapezoid"};
    const char* columns[] = {"up", "down", "flat hot", "disabled"};
    std::vector<TFxShapeBtn*> hot;
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 4; ++col) {
            auto* b = new TFxShapeBtn(Form);
            b->SetParent(Form);
            b->SetBounds(10 + col * 112, 10 + row * 52, 100, 44);
            b->SetShape(shapes[row]);
            b->SetCaption(std::string(names[row]) + "\r\n" + columns[col]);
            b->Font()->SetName("Arial");
            b->Font()->SetHeight(-11);
            b->SetGroupIndex(col == 1 ? 10 + row : 0);
            if (col == 1)
                b->SetDown(true);
            if (col == 2) {
                b->SetShadeStyle(fbsFlat);
                hot.push_back(b);
            }
            if (col == 3)
                b->SetEnabled(false);
        }
    // The kinds, and an image button.
    const TBitBtnKind kinds[] = {bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry};
    for (int i = 0; i < 8; ++i) {
        auto* b = new TFxShapeBtn(Form);
        b->SetParent(Form);
        b->SetBounds(10 + (i % 4) * 112, 430 + (i / 4) * 34, 100, 28);
        b->SetKind(kinds[i]);
    }
    auto* img = new TFxImageBtn(Form);
    img->SetParent(Form);
    img->SetBounds(10, 500, 64, 48);
    TFxBitmap pic;
    pic.AllocateImage(64, 48);
    pic.Canvas()->Brush()->SetColor(clFuchsia);
    pic.Canvas()->FillRect(TRect(0, 0, 64, 48));
    pic.Canvas()->Brush()->SetColor(clTeal);
    pic.Canvas()->Pen()->SetColor(clTeal);
    pic.Canvas()->Ellipse(4, 4, 60, 44);
    pic.Canvas()->ReleasePainter();
    img->SetImage(&pic);
    img->SetShadeStyle(fbsHighlight);
    img->SetCaption("Image");
    Form->Show();
    TestKit::ProcessMessages();
    for (TFxShapeBtn* b : hot)
        b->Perform(CM_MOUSEENTER);
    TestKit::ProcessMessages();
    EXPECT_TRUE(TestKit::RenderToPng(Form, ShotFile("fx-buttons.png")));
    TBitmap shot;
    TestKit::RenderToBitmap(Form, shot);
    TFxBitmap px;
    px.LoadFromBitmap(&shot);
    // Outside the triangle the form shows through the window region.
    EXPECT_EQ(px.Pixel(12, 10 + 3 * 52 + 2), GetSysColor(COLOR_BTNSHADOW));
}

} // namespace
