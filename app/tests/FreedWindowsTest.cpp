// Windows freed while the program runs leave nothing behind that a key or a refill can
// reach: the tab order after a view switch, an editor swap, a chart closed or a gallery
// page changed; the periods chart after the chart editor changed or deleted its series.
// And Alt with a letter that is no accelerator types nothing into the focused box.

#include "ViewsTestSupport.h"

#include "app/PhotovEd.h"
#include "app/SsnGr.h"
#include "app/Ssned.h"
#include "app/design.h"
#include "app/wgEd.h"
#include "chart/GanttSeries.h"
#include "chart/Series.h"
#include "chartdlg/ChartEditor.h"
#include "chartdlg/ChartGallery.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Grids.h"

#include <functional>

namespace {

using TestKit::Find;

// Tab-order entries under root that are no child of their parent any more (a freed or
// moved control). Compared by address only: such an entry must not be read.
std::vector<std::string> StaleTabEntries(TWinControl* root, const std::string& path = "") {
    std::vector<std::string> stale;
    const std::string here = path + "/" + root->Name();
    for (TWinControl* entry : root->TabList()) {
        bool child = false;
        for (int i = 0; i < root->ControlCount(); ++i)
            child = child || root->Controls(i) == static_cast<TControl*>(entry);
        if (!child)
            stale.push_back(here);
    }
    for (int i = 0; i < root->ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(root->Controls(i)))
            for (const std::string& s : StaleTabEntries(w, here))
                stale.push_back(s);
    return stale;
}

bool Inside(const TControl* control, const TControl* root) {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == root)
            return true;
    return false;
}

class FreedWindowsTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        fmHolder->SetWidth(800);
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        TProgramTest::TearDown();
    }
    // Clicks the view's item in the view bar, as a user does.
    void ClickView(int tag) {
        TFxOutlookList* list = fmHolder->fxOutlookBar1OutlookList1;
        TestKit::Render(fmHolder);
        for (int i = 0; i < list->Items()->Count(); ++i) {
            TFxOutlookListItem* item = list->Items()->Items(i);
            if (item->Tag() != tag)
                continue;
            const TRect r = item->HitRect();
            TestKit::ClickAt(list, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
            // The mouse leaves the list, which lets go of the mouse it held over the item.
            TestKit::MouseMove(list, TPoint(-5, -5));
            TestKit::ProcessMessages();
            Application->Idle();
            return;
        }
        ADD_FAILURE() << "no view item " << tag;
    }
    // Tab twice, Shift+Tab three times: each time the focus is on a live control of the
    // main window, and no tab list holds a freed one.
    void TabAround(const std::string& where) {
        SCOPED_TRACE(where);
        // A view just shown has no focused control: the keys go to the main window.
        if (!FindFocusedControl())
            TestKit::Focus(fmHolder);
        EXPECT_EQ(StaleTabEntries(fmHolder), std::vector<std::string>{});
        for (TShiftState shift : {TShiftState{}, TShiftState{}, TShiftState{ssShift},
                                  TShiftState{ssShift}, TShiftState{ssShift}}) {
            TestKit::PressKey(VK_TAB, shift);
            TestKit::ProcessMessages();
            TWinControl* focused = FindFocusedControl();
            ASSERT_NE(focused, nullptr);
            EXPECT_TRUE(Inside(focused, fmHolder)) << focused->Name();
        }
        EXPECT_EQ(StaleTabEntries(fmHolder), std::vector<std::string>{});
    }
    TfmDesign* Design() const { return Find<TfmDesign>(fmHolder->pnlHolder, "fmDesign"); }
    template <class T> T* DesignEditor(const std::string& name) const {
        return Find<T>(Design()->sysHolder, name);
    }
};

TEST_F(FreedWindowsTest, TabAfterAViewSwitchReachesOnlyTheViewShown) {
    // The design page (shown at start) freed by the devices view, then shown anew; the
    // periods view straight from the start.
    ClickView(2);
    ClickView(0);
    auto* wg = DesignEditor<TfmWGEd>("fmWGEd");
    ASSERT_NE(wg, nullptr);
    TestKit::Click(wg->edPR);
    TestKit::ProcessMessages();
    TestKit::Focus(wg->edPR);
    TabAround("design after devices");

    ClickView(1);
    TabAround("periods");
    ClickView(3);
    ClickView(2);
    TabAround("devices after view 3");
}

TEST_F(FreedWindowsTest, TabAfterTheDesignPagesEditorSwapReachesOnlyTheEditorShown) {
    TestKit::Click(Design()->sbPhotoV);
    TestKit::ProcessMessages();
    auto* pv = DesignEditor<TForm>("fmPhotovEd");
    ASSERT_NE(pv, nullptr);
    EXPECT_EQ(DesignEditor<TfmWGEd>("fmWGEd"), nullptr);
    for (int i = 0; i < pv->ComponentCount(); ++i)
        if (auto* box = dynamic_cast<TCustomEdit*>(pv->Components(i)); box && box->CanFocus()) {
            TestKit::Click(box);
            break;
        }
    TestKit::ProcessMessages();
    TabAround("photovoltaic editor");
}

TEST_F(FreedWindowsTest, TabAfterTheWindGeneratorsChartIsClosedReachesOnlyThePage) {
    ClickStrip("Γράφημα");
    ASSERT_NE(Find<TForm>(fmHolder->pnlHolder, "fmPwrCurveGr"), nullptr);
    ClickStrip("Επιστροφή");
    ASSERT_EQ(Find<TForm>(fmHolder->pnlHolder, "fmPwrCurveGr"), nullptr);
    TabAround("design page after its chart");
}

TEST_F(FreedWindowsTest, TabInTheGalleryAfterItsPageChangedReachesOnlyTheSamplesShown) {
    ClickStrip("Γράφημα");
    auto* chart = Find<TfmGraphBase>(fmHolder->pnlHolder, "fmPwrCurveGr");
    ASSERT_NE(chart, nullptr);
    int galleries = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        if (auto* editor = dynamic_cast<TChartEditForm*>(form)) {
            editor->MainPage->SetActivePage(editor->TabChart);
            editor->Notebook1->SetActivePage(editor->TabSeriesList);
            TestKit::Click(editor->BAddSeries);
            editor->SetModalResult(mrCancel);
            return;
        }
        auto* g = dynamic_cast<TChartGallery*>(form);
        ASSERT_NE(g, nullptr) << form->ClassName();
        ++galleries;
        const int functions = g->TabControl->Tabs()->IndexOf("Functions");
        ASSERT_GE(functions, 0);
        const TRect tab = g->TabControl->TabRect(functions);
        TestKit::ClickAt(g->TabControl,
                         TPoint((tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2));
        TestKit::ProcessMessages();
        ASSERT_EQ(g->TabControl->TabIndex(), functions);
        EXPECT_EQ(StaleTabEntries(g), std::vector<std::string>{});
        TestKit::Focus(g->BOk);
        for (int i = 0; i < 4; ++i)
            TestKit::PressKey(VK_TAB);
        TestKit::PressKey(VK_TAB, {ssShift});
        TestKit::ProcessMessages();
        TWinControl* focused = FindFocusedControl();
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(Inside(focused, g));
        g->SetModalResult(mrCancel);
    });
    TestKit::Click(chart->ToolButton1); // "Ιδιότητες"
    TestKit::ProcessMessages();
    EXPECT_EQ(galleries, 1);
}

// "Περίοδοι", "Γράφημα", then the chart editor on the periods chart: the series changed to
// a line or deleted; then the periods change. The chart draws them on the series the user
// left there, or on none.
TEST_F(FreedWindowsTest, ThePeriodsChartFollowsTheSeriesTheChartEditorLeft) {
    struct TCase {
        const char* Name;
        bool Delete; // else change to a line
        std::function<void(TfmSsnEd*)> Change;
    };
    const TCase cases[] = {
        {"line, insert", false, [this](TfmSsnEd*) { ClickStrip("Εισαγωγή"); }},
        // The grid under the chart takes no key while the chart is up: the cell's new text
        // is stored as the grid stores an edited cell.
        {"line, cell edited", false,
         [](TfmSsnEd* ed) { ed->gdSnl->OnSetEditText()(ed->gdSnl, 1, 1, "Χειμώνας"); }},
        {"deleted, insert", true, [this](TfmSsnEd*) { ClickStrip("Εισαγωγή"); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ClickView(0);
        ClickView(1);
        auto* ed = Find<TfmSsnEd>(fmHolder->pnlHolder, "fmSsnEd");
        ASSERT_NE(ed, nullptr);
        ClickStrip("Γράφημα");
        auto* gr = Find<TfmSsnGr>(fmHolder->pnlHolder, "fmSsnGr");
        ASSERT_NE(gr, nullptr);
        ASSERT_NE(gr->Series1, nullptr);
        Application->SetModalHandler([&](TCustomForm* form) {
            if (auto* editor = dynamic_cast<TChartEditForm*>(form)) {
                editor->MainPage->SetActivePage(editor->TabChart);
                editor->Notebook1->SetActivePage(editor->TabSeriesList);
                if (c.Delete) {
                    TestKit::Dialogs().AnswerNext(mrYes);
                    TestKit::Click(editor->BDeleteSeries);
                } else {
                    TestKit::Click(editor->BChangeTypeSeries);
                }
                TestKit::ProcessMessages();
                TestKit::Click(editor->BClose);
                return;
            }
            auto* g = dynamic_cast<TChartGallery*>(form);
            ASSERT_NE(g, nullptr) << form->ClassName();
            TChartGalleryPanel* panel = g->ChartGalleryPanel1;
            for (TCustomChart* sample : panel->Charts())
                if (panel->ChartType(sample)->Description == "Line")
                    panel->SelectChart(sample);
            TestKit::Click(g->BOk);
        });
        TestKit::Click(gr->ToolButton1); // "Ιδιότητες"
        TestKit::ProcessMessages();
        Application->SetModalHandler(nullptr);
        EXPECT_EQ(gr->Series1, nullptr);
        ASSERT_EQ(gr->Chart1->SeriesCount(), c.Delete ? 0 : 1);

        c.Change(ed);
        TestKit::ProcessMessages();
        if (c.Delete) {
            EXPECT_EQ(gr->PeriodsSeries(), nullptr);
            EXPECT_EQ(gr->Chart1->SeriesCount(), 0);
        } else {
            // One point per period, at its start on its row.
            TChartSeries* line = gr->Chart1->GetSeries(0);
            EXPECT_EQ(gr->PeriodsSeries(), line);
            EXPECT_EQ(line->ClassName(), "TLineSeries");
            ASSERT_EQ(line->Count(), SeasonList->Count());
            for (int i = 0; i < line->Count(); ++i) {
                EXPECT_DOUBLE_EQ(line->YValues()->ValueAt(i), i) << i;
                EXPECT_EQ(line->ValueLabel(i), SeasonList->GetSeason(i)->Description()) << i;
            }
        }
        TestKit::RenderToPng(fmHolder, ShotFile("periods-chart-after-editor.png"));
        ClickStrip("Επιστροφή");
    }
}

// Alt with a letter that neither a menu nor an accelerator answers leaves the box as it
// was.
TEST_F(FreedWindowsTest, AltWithALetterThatIsNoAcceleratorTypesNothing) {
    auto* wg = DesignEditor<TfmWGEd>("fmWGEd");
    ASSERT_NE(wg, nullptr);
    const std::string model = wg->edModelName->Text();
    ASSERT_FALSE(model.empty());
    TestKit::Focus(wg->edModelName);
    wg->edModelName->SelectAll();
    for (const char* keys : {"Alt+Q", "Alt+A", "Alt+S", "Alt+T", "Alt+L", "Alt+D", "Alt+5"}) {
        TestKit::PressShortCut(keys);
        TestKit::ProcessMessages();
        EXPECT_EQ(wg->edModelName->Text(), model) << keys;
    }

    // The periods grid's cell editor.
    ClickView(1);
    auto* ed = Find<TfmSsnEd>(fmHolder->pnlHolder, "fmSsnEd");
    ASSERT_NE(ed, nullptr);
    const std::string description = ed->CellText(1, 1);
    TestKit::Focus(ed->gdSnl);
    ed->gdSnl->SetCol(1);
    ed->gdSnl->SetRow(1);
    TestKit::PressKey(VK_F2);
    ASSERT_NE(ed->gdSnl->ExInplaceEditor(), nullptr);
    for (const char* keys : {"Alt+A", "Alt+S", "Alt+T", "Alt+L", "Alt+D"})
        TestKit::PressShortCut(keys);
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    EXPECT_EQ(ed->CellText(1, 1), description);
    EXPECT_EQ(SeasonList->GetSeason(0)->Description(), description);
    // Without Alt the same keys type.
    TestKit::PressKey(VK_F2);
    TestKit::PressKey(VK_END);
    TestKit::TypeText("x");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    EXPECT_EQ(SeasonList->GetSeason(0)->Description(), description + "x");
}

} // namespace
