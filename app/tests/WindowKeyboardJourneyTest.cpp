// Keyboard journeys through the windows the views open: the device editor and the device
// catalogue, the workbench's charts, the chart editor on every page, the print preview and
// the export dialog. Each window is walked, left by Esc, by its close box and by the window
// system while a cell editor, a drop-down or a menu is open, and opened again; the modal
// ones also once in their own real nested loop.

#include "KeyWalk.h"
#include "ViewsTestSupport.h"

#include "app/DevEdit.h"
#include "app/DeviceSel.h"
#include "app/GraphBase.h"
#include "app/GraphBaseSt.h"
#include "app/LoadConst.h"
#include "app/WDataEd.h"
#include "app/phDataEd.h"
#include "chartdlg/ChartEditor.h"
#include "chartdlg/ChartExport.h"
#include "chartdlg/ChartGallery.h"
#include "chartdlg/ChartPreview.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ListView.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The keys of a chart window: its properties (F11) open the chart editor, Ctrl+Ins copies it.
KeyWalk::TKeyEffects ChartKeys() {
    return {KeyWalk::OpensWindow("F11", "TChartEditForm"), KeyWalk::CopiesToClipboard("Ctrl+Ins")};
}

// The first tab of the pages, reached as a user does: Left on the tabs as often as there are.
void FirstTab(TPageControl* pages) {
    TestKit::Focus(pages);
    for (int i = 0; i < pages->PageCount(); ++i)
        TestKit::PressKey(VK_LEFT);
}

// The chart editor's chart pages, brought into view: its first main tab.
TPageControl* ChartPages(TChartEditForm* editor) {
    FirstTab(editor->MainPage);
    return editor->Notebook1;
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the chart editor's main tabs (chart, series), the
// outermost pages holding the focus, on by one and back.
KeyWalk::TKeyEffects PageKeys(TChartEditForm* editor) {
    TPageControl* pages = editor->MainPage;
    auto page = [pages] { return pages->ActivePageIndex(); };
    auto on = [pages] { return pages; };
    const int count = pages->PageCount();
    return {
        KeyWalk::Changes<int>(
            "Ctrl+Tab", "shows the next page", page,
            [count](const int& before, const int& after) { return after == (before + 1) % count; },
            on),
        KeyWalk::Changes<int>(
            "Ctrl+Shift+Tab", "shows the page before", page,
            [count](const int& before, const int& after) {
                return after == (before + count - 1) % count;
            },
            on)};
}

class WindowKeyboardJourneyTest : public TProgramTest {
protected:
    void TearDown() override {
        Application->SetModalHandler([](TCustomForm*) {});
        TProgramTest::TearDown();
    }
    // The chart of the periods view, docked over it.
    TfmGraphBaseSt* PeriodsChart() {
        ShowView(1);
        ClickStrip("Γράφημα");
        return DockedChart();
    }

    KeyWalk::TFaults Faults;
};

TEST_F(WindowKeyboardJourneyTest, DeviceEditorAndCatalogue) {
    ShowView(2);
    auto* view = dynamic_cast<TfmLoadConstr*>(fmHolder->CurrentView());
    ASSERT_NE(view, nullptr);
    // A device from the catalogue, added by a double click on its icon.
    TfmDevSel* catalogue = view->DevSel();
    ASSERT_NE(catalogue, nullptr);
    TestKit::Click(catalogue->tbnList);
    TListView* list = catalogue->ListView1;
    int row = 0;
    while (row < list->ItemCount() && list->Item(row)->Caption() != "Τηλεόραση")
        ++row;
    ASSERT_LT(row, list->ItemCount());
    const TRect r = list->ItemRect(row);
    TestKit::Dialogs().AnswerNextInput("100");
    TestKit::DoubleClickAt(list, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    TestKit::ProcessMessages();
    TestKit::Dialogs().Clear();
    ASSERT_EQ(DevList->Count(), 1);
    KeyWalk::EveryWayOut<TfmDevEdit>(
        "device editor", Faults,
        [&] {
            view->gdDevices->SetRow(1);
            TestKit::Click(view->ToolButton2);
        },
        [](TfmDevEdit*) { return KeyWalk::TKeyEffects{}; }, KeyWalk::escLeaves);
    // The catalogue, docked in the view, shown and closed again.
    for (const KeyWalk::TExit& e : KeyWalk::kExits) {
        SCOPED_TRACE(KeyWalk::ExitName(e));
        if (!catalogue->Showing())
            TestKit::Click(view->sbDevicesToogle);
        ASSERT_TRUE(catalogue->Showing());
        // Its list is reached by Tab: the walk checks that Tab comes to every stop.
        const std::vector<TWinControl*> stops = KeyWalk::TabStops(fmHolder);
        EXPECT_NE(std::find(stops.begin(), stops.end(), catalogue->ListView1), stops.end());
        KeyWalk::WalkWindow(
            fmHolder, "catalogue, " + KeyWalk::ExitName(e),
            {KeyWalk::Changes<int>(
                "Ctrl+Del", "removes the selected device", [] { return DevList->Count(); },
                [](const int& before, const int& after) {
                    return after == std::max(0, before - 1);
                })},
            Faults, {catalogue->ListView1});
        if (catalogue->Showing())
            KeyWalk::Leave(catalogue, e.Way, e.Part);
        KeyWalk::TabRounds(fmHolder, "devices after the catalogue", Faults);
    }
    EXPECT_EQ(Faults.Text(), "");
}

TEST_F(WindowKeyboardJourneyTest, WorkbenchChartsFromTheGraphsDropDown) {
    ShowView(4);
    auto* bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    ASSERT_NE(bench, nullptr);
    for (TAction* action : {bench->actViGraph, bench->actPwGraph, bench->actCEGraph,
                            bench->actTTLGraph, bench->actPHZGraph, bench->actPPhGraph}) {
        KeyWalk::EveryWayOut<TfmGraphBase>(
            action->Caption(), Faults, [action] { action->Execute(); },
            [](TfmGraphBase*) { return ChartKeys(); });
    }
    EXPECT_EQ(Faults.Text(), "");
}

TEST_F(WindowKeyboardJourneyTest, ChartEditorOnEveryPage) {
    TfmGraphBaseSt* chart = PeriodsChart();
    ASSERT_NE(chart, nullptr);
    for (int page = cepSeriesList; page <= cep3D; ++page) {
        const std::string where = "chart editor page " + std::to_string(page);
        SCOPED_TRACE(where);
        EXPECT_EQ(KeyWalk::WalkModal<TChartEditForm>(
                      [&] {
                          TestKit::Focus(chart->Chart1);
                          TestKit::PressShortCut("F11");
                      },
                      [&](TChartEditForm* editor) {
                          // The page reached as a user reaches it: arrows in the tabs.
                          TestKit::Focus(editor->Notebook1);
                          for (int i = 0; i < page; ++i)
                              TestKit::PressKey(VK_RIGHT);
                          EXPECT_EQ(editor->Notebook1->ActivePageIndex(), page);
                          KeyWalk::WalkWindow(editor, where, PageKeys(editor), Faults);
                      },
                      page == cepGeneral),
                  1);
        ASSERT_EQ(DockedChart(), chart);
    }
    // The series tab, reached from the list.
    KeyWalk::EveryWayOut<TChartEditForm>(
        "chart editor, series", Faults,
        [&] {
            TestKit::Focus(chart->Chart1);
            TestKit::PressShortCut("F11");
        },
        [](TChartEditForm* editor) {
            KeyWalk::TKeyEffects keys = {KeyWalk::OpensWindow("Space", "TChartGallery", [editor] {
                // On the list of series, the first page.
                FirstTab(ChartPages(editor));
                return editor->BAddSeries;
            })};
            for (const KeyWalk::TKeyEffect& k : PageKeys(editor))
                keys.push_back(k);
            return keys;
        },
        KeyWalk::escLeaves);
    EXPECT_EQ(Faults.Text(), "");
}

TEST_F(WindowKeyboardJourneyTest, PrintPreviewAndExport) {
    TfmGraphBaseSt* chart = PeriodsChart();
    ASSERT_NE(chart, nullptr);
    KeyWalk::EveryWayOut<TChartPreview>(
        "print preview", Faults, [&] { chart->actGraphPrint->Execute(); },
        [](TChartPreview* preview) {
            return KeyWalk::TKeyEffects{KeyWalk::ShowsDialog(
                "Space", "TPrinterSetupDialog", "", [preview] { return preview->BSetupPrinter; })};
        },
        KeyWalk::escLeaves);
    KeyWalk::EveryWayOut<TChartExportForm>(
        "export", Faults, [&] { ExportChart(fmHolder, chart->Chart1); },
        [](TChartExportForm* form) {
            return KeyWalk::TKeyEffects{
                // Copying is offered for every format but the chart file
                // (the last): the first is chosen.
                KeyWalk::CopiesToClipboard("Space",
                                           [form] {
                                               form->RGFormat->SetItemIndex(0);
                                               form->RGFormatClick(form->RGFormat);
                                               return form->Button1;
                                           }),
                KeyWalk::ShowsDialog("Space", "TSaveDialog", "", [form] { return form->Button2; })};
        },
        KeyWalk::escLeaves);
    EXPECT_EQ(Faults.Text(), "");
}

// Message boxes in their own real loop: the sizing's result (F9), left by the window
// system, and the error over a cell editor that refused a factor, left by Esc; the
// keyboard then works in the main window as before.
TEST_F(WindowKeyboardJourneyTest, MessageBoxesInTheirOwnLoop) {
    ShowView(4);
    auto* bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    ASSERT_NE(bench, nullptr);
    int walked = 0;
    auto walkBox = [&walked] {
        ++walked;
        for (int key : {VK_TAB, VK_TAB, VK_RIGHT, VK_LEFT, VK_DOWN, VK_UP})
            TestKit::PressKey(key);
        TestKit::PressKey(VK_TAB, TShiftState{ssShift});
        TestKit::PressKey(VK_TAB, TShiftState{ssShift});
    };
    TestKit::Dialogs().RunInNextMessageBox(walkBox);
    TestKit::Focus(bench->gdEditor);
    TestKit::PressShortCut("F9");
    EXPECT_EQ(walked, 1);

    TestKit::Dialogs().RunInNextMessageBox([&] {
        walkBox();
        TestKit::PressKey(VK_ESCAPE);
    });
    ShowView(3);
    auto* sun = dynamic_cast<TfmPhDataEd*>(fmHolder->CurrentView());
    ASSERT_NE(sun, nullptr);
    TestKit::Focus(sun->gdPhData);
    sun->gdPhData->SetCol(6);
    sun->gdPhData->SetRow(13);
    TestKit::TypeText("-0.5");
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(walked, 2);
    EXPECT_EQ(TestKit::Dialogs().PendingAnswers(), 0);
    KeyWalk::TabRounds(fmHolder, "after the boxes", Faults);
    EXPECT_EQ(Faults.Text(), "");
}

// The gallery opened by "Add..." in the chart editor, walked on each of its tabs
// ("Standard", "Functions", ...): leaving a tab frees the charts of its samples.
TEST_F(WindowKeyboardJourneyTest, SeriesGalleryOnEveryTab) {
    TfmGraphBaseSt* chart = PeriodsChart();
    ASSERT_NE(chart, nullptr);
    int tabs = 0;
    EXPECT_EQ(KeyWalk::WalkModal<TChartEditForm>(
                  [&] {
                      TestKit::Focus(chart->Chart1);
                      TestKit::PressShortCut("F11");
                  },
                  [&](TChartEditForm* editor) {
                      KeyWalk::WalkModal<TChartGallery>(
                          [&] { TestKit::Click(editor->BAddSeries); },
                          [&](TChartGallery* gallery) {
                              tabs = gallery->TabControl->Tabs()->Count();
                              for (int tab = 0; tab < tabs; ++tab) {
                                  const std::string where = "gallery tab " + std::to_string(tab);
                                  // The gallery keeps the arrows for its samples: the
                                  // tab is clicked.
                                  const TRect r = gallery->TabControl->TabRect(tab);
                                  TestKit::ClickAt(
                                      gallery->TabControl,
                                      TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
                                  EXPECT_EQ(gallery->TabControl->TabIndex(), tab) << where;
                                  KeyWalk::TabRounds(gallery, where, Faults);
                                  KeyWalk::PressKeys(gallery, {"Left", "Right", "Up", "Down"});
                              }
                              // Its cancel button takes Esc: the gallery closes.
                              EXPECT_NE(KeyWalk::CancelButton(gallery), nullptr);
                              KeyWalk::CheckEsc(gallery, "gallery", Faults);
                          },
                          false);
                  },
                  false),
              1);
    EXPECT_GE(tabs, 2);
    EXPECT_EQ(Faults.Text(), "");
}

// The chart's series, deleted in the chart editor by keyboard, is not written to by the next
// "Εισαγωγή" (in the sanitizer build a refill of the freed series is reported at once).
TEST_F(WindowKeyboardJourneyTest, PeriodsChartAfterItsSeriesWasDeletedInTheEditor) {
    TfmGraphBaseSt* chart = PeriodsChart();
    ASSERT_NE(chart, nullptr);
    ASSERT_GT(chart->Chart1->SeriesCount(), 0);
    EXPECT_EQ(KeyWalk::WalkModal<TChartEditForm>(
                  [&] {
                      TestKit::Focus(chart->Chart1);
                      TestKit::PressShortCut("F11");
                  },
                  [&](TChartEditForm* editor) {
                      TestKit::Focus(editor->LBSeries);
                      TestKit::PressKey(VK_HOME);
                      TestKit::Dialogs().AnswerNext(mrYes);
                      TestKit::Focus(editor->BDeleteSeries);
                      TestKit::PressKey(VK_SPACE);
                      TestKit::PressKey(VK_ESCAPE);
                  },
                  false),
              1);
    EXPECT_EQ(chart->Chart1->SeriesCount(), 0);
    ClickStrip("Εισαγωγή");
    EXPECT_EQ(chart->Chart1->SeriesCount(), 0);
    KeyWalk::TabRounds(fmHolder, "periods after the deleted series", Faults);
    EXPECT_EQ(Faults.Text(), "");
}

} // namespace
