// Navigation controls: a page switch of an outlook bar by a click with the animation off
// (two pages, each with its icon list of five items), a click on an icon-list item, and a
// status bar of six panels repainted by its clock timer.

#include "controls/fxOutlookBar.h"
#include "controls/fxStatusBar.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImgList.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

struct TBarFixture {
    TForm* Form = nullptr;
    TFxOutlookBar* Bar = nullptr;
    TImageList* Images = nullptr;
    long Clicks = 0;

    TBarFixture() {
        Form = new TForm(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 300, 480);
        Images = new TImageList(Form, 32, 32);
        for (int i = 0; i < 5; ++i) {
            TBitmap bmp(32, 32);
            bmp.Canvas()->Brush()->SetColor(TColor(0x203040 * (i + 1)));
            bmp.Canvas()->FillRect(TRect(0, 0, 32, 32));
            Images->Add(&bmp, nullptr);
        }
        Bar = new TFxOutlookBar(Form);
        Bar->SetParent(Form);
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
        Form->Show();
        TestKit::ProcessMessages();
        TestKit::Render(Form);
    }
    ~TBarFixture() {
        delete Form;
        TestKit::ProcessMessages();
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
        TestKit::ClickAt(list, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        TestKit::Render(list);
    }
    state.counters["clicks"] = double(f.Clicks) / double(state.iterations());
}
BENCHMARK(BM_OutlookListItemClick)->Unit(benchmark::kMillisecond);

// One second of a status bar with a clock, a hint, lock keys and text panels.
void BM_StatusBarClockTick(benchmark::State& state) {
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 700, 60);
    auto* bar = new TFxStatusBar(form);
    bar->SetParent(form);
    const TFxStatusPanelStyle styles[] = {psTextOnly, psDateTime, psHint,
                                          psCapsLock, psNumLock,  psTextOnly};
    for (TFxStatusPanelStyle s : styles) {
        TFxStatusPanel* p = bar->Panels()->Add();
        p->SetWidth("15%");
        p->SetStyle(s);
        p->SetText("Κείμενο");
    }
    form->Show();
    TestKit::ProcessMessages();
    TestKit::Render(form);
    for (auto _ : state)
        TestKit::AdvanceClock(1000);
    delete form;
    TestKit::ProcessMessages();
}
BENCHMARK(BM_StatusBarClockTick)->Unit(benchmark::kMicrosecond);

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
