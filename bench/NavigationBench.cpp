// Navigation controls: the effect pipeline of an imager over a 256 x 256 picture (the
// largest the programs use), single effects on such an image, and the repaint of the main
// window's page button (a 137 x 20 shape button). Targets: the pipeline under 2 ms, the
// repaint under 0.5 ms. Also a page switch of an outlook bar by a click with the animation
// off (two pages, each with its icon list of five items), a click on an icon-list item, and
// a status bar of six panels repainted by its clock timer.

#include "bench/GuiBench.h"
#include "controls/fxBitmap.h"
#include "controls/fxImager.h"
#include "controls/fxOutlookBar.h"
#include "controls/fxShapeBtn.h"
#include "controls/fxStatusBar.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

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
    TBenchForm form(200, 100);
    auto* b = new TFxShapeBtn(form.Get());
    b->SetParent(form.Get());
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
    for (auto _ : state) {
        b->Invalidate();
        b->Update();
    }
}
BENCHMARK(BM_ShapeButtonRepaint)->Unit(benchmark::kMicrosecond);

struct TBarFixture {
    TBenchForm Form{300, 480};
    TFxOutlookBar* Bar = nullptr;
    TImageList* Images = nullptr;
    long Clicks = 0;

    TBarFixture() {
        Images = new TImageList(Form.Get(), 32, 32);
        for (int i = 0; i < 5; ++i) {
            TBitmap bmp(32, 32);
            bmp.Canvas()->Brush()->SetColor(TColor(0x203040 * (i + 1)));
            bmp.Canvas()->FillRect(TRect(0, 0, 32, 32));
            Images->Add(&bmp, nullptr);
        }
        Bar = new TFxOutlookBar(Form.Get());
        Bar->SetParent(Form.Get());
        Bar->SetBounds(0, 0, 141, 480);
        Bar->Animation()->SetEnabled(false);
        for (int p = 0; p < 2; ++p) {
            auto* page = static_cast<TFxOutlookPage*>(Bar->OutlookItems()->Add());
            TFxCustomOutlookList* list = page->OutlookList();
            list->SetImages(Images);
            list->SetClickStyle(csSelect);
            list->SetOnItemClick(TFxCustomOutlookListItemEvent(
                [this](TFxCustomOutlookList*, TFxOutlookListItem*) { ++Clicks; }));
            for (int i = 0; i < 5; ++i) {
                TFxOutlookListItem* item = list->Items()->Add();
                item->SetText("Στοιχείο " + std::to_string(i));
                item->SetImageIndex(i);
            }
        }
        Form.Show();
        TestKit::Render(Form.Get());
    }
    TFxOutlookPage* Page(int i) const { return Bar->OutlookItems()->Pages(i); }
};

// A click on the other page's button until the switched bar is painted.
void BM_OutlookBarPageSwitch(benchmark::State& state) {
    TBarFixture f;
    int next = 1;
    for (auto _ : state) {
        TestKit::Click(f.Page(next)->Button());
        TestKit::ProcessMessages();
        TestKit::Render(f.Bar);
        next = 1 - next;
    }
    state.counters["switched"] = f.Bar->ActivePage() == f.Page(1 - next)->Button() ? 1 : 0;
}
BENCHMARK(BM_OutlookBarPageSwitch)->Unit(benchmark::kMillisecond);

// A click on an item of the open page's list, with its repaint.
void BM_OutlookListItemClick(benchmark::State& state) {
    TBarFixture f;
    TFxCustomOutlookList* list = f.Page(0)->OutlookList();
    int index = 0;
    for (auto _ : state) {
        index = (index + 1) % 5;
        const TRect r = list->Items()->Items(index)->HitRect();
        TestKit::ClickAt(list, MiddleOf(r));
        TestKit::Render(list);
    }
    state.counters["clicks"] = double(f.Clicks) / double(state.iterations());
}
BENCHMARK(BM_OutlookListItemClick)->Unit(benchmark::kMillisecond);

// One second of a status bar with a clock, a hint, lock keys and text panels.
void BM_StatusBarClockTick(benchmark::State& state) {
    TBenchForm form(700, 60);
    auto* bar = new TFxStatusBar(form.Get());
    bar->SetParent(form.Get());
    const TFxStatusPanelStyle styles[] = {psTextOnly, psDateTime, psHint,
                                          psCapsLock, psNumLock,  psTextOnly};
    for (TFxStatusPanelStyle s : styles) {
        TFxStatusPanel* p = bar->Panels()->Add();
        p->SetWidth("15%");
        p->SetStyle(s);
        p->SetText("Κείμενο");
    }
    form.Show();
    TestKit::Render(form.Get());
    for (auto _ : state)
        TestKit::AdvanceClock(1000);
}
BENCHMARK(BM_StatusBarClockTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
