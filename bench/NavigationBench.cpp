// Navigation controls: the effect pipeline of an imager over a 256 x 256 picture (the
// largest the programs use), single effects on such an image, and the repaint of the main
// window's page button (a 137 x 20 shape button). Targets: the pipeline under 2 ms, the
// repaint under 0.5 ms.

#include "controls/fxBitmap.h"
#include "controls/fxImager.h"
#include "controls/fxShapeBtn.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void FillPicture(TFxBitmap& b, int size) {
    b.AllocateImage(size, size);
    for (int y = 0; y < size; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < size; ++x) {
            row[3 * x] = uint8_t(x);
            row[3 * x + 1] = uint8_t(y);
            row[3 * x + 2] = uint8_t(x ^ y);
        }
    }
}

// The imager's whole pipeline: load the picture, then grey scale, lightness, colouring,
// tint, saturation, inversion, contrast and a flip.
void BM_EffectsPipeline256(benchmark::State& state) {
    TForm form(nullptr);
    auto* imager = new TFxCustomImager(&form);
    TFxBitmap picture;
    FillPicture(picture, 256);
    TBitmap bmp;
    picture.CopyToBitmap(&bmp);
    imager->Picture()->SetGraphic(&bmp);
    TFxBitmapOptions* o = imager->BitmapOptions();
    o->SetGrayScale(true);
    o->SetLightness(40);
    o->SetColor(RGB(200, 120, 90));
    o->SetTintColor(RGB(40, 0, 80));
    o->SetSaturation(300);
    o->SetInverted(true);
    o->SetContrast(60);
    o->SetHorizontallyFlipped(true);
    for (auto _ : state) {
        o->ApplyEffects();
        benchmark::DoNotOptimize(imager->WorkBitmap()->Bits());
    }
}
BENCHMARK(BM_EffectsPipeline256)->Unit(benchmark::kMillisecond);

// Single effects on a 256 x 256 image, for comparison.
void BM_Effect256(benchmark::State& state) {
    TFxBitmap b;
    FillPicture(b, 256);
    int which = int(state.range(0));
    for (auto _ : state) {
        switch (which) {
        case 0:
            b.ApplyLightness(10);
            break;
        case 1:
            b.ApplyGaussianBlur(2);
            break;
        case 2:
            b.Rotate(TPoint(-1, -1), 30);
            break;
        default:
            b.ApplyWave(true, 8, 8, 4);
            break;
        }
        benchmark::DoNotOptimize(b.Bits());
    }
    const char* names[] = {"lightness", "gaussian blur 2", "rotate 30", "wave"};
    state.SetLabel(names[which]);
}
BENCHMARK(BM_Effect256)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// One repaint of the page button "Δεδομένα" as the main window has it: off-screen face,
// bevels, caption, and the copy to the window.
void BM_ShapeButtonRepaint(benchmark::State& state) {
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 200, 100);
    auto* b = new TFxShapeBtn(&form);
    b->SetParent(&form);
    b->SetBounds(0, 0, 137, 20);
    b->SetCaption("Δεδομένα");
    b->Font()->SetName("MS Sans Serif");
    b->Font()->SetHeight(-13);
    b->Font()->SetStyle(TFontStyles{fsBold});
    b->SetDitherColor(clWhite);
    b->SetGroupIndex(1);
    b->SetDown(true);
    b->SetRoundRectBias(25);
    form.Show();
    TestKit::ProcessMessages();
    for (auto _ : state) {
        b->Invalidate();
        b->Update();
    }
}
BENCHMARK(BM_ShapeButtonRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TestKit::StartTestApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
