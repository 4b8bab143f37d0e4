// The chart views: the power-curve chart docked over the current view, its tool bar in
// the main tool strip, the copy action's metafile, the modal hourly chart, and F11 opening
// the chart editor on either.

#include "ViewsTestSupport.h"

#include "app/GraphBase.h"
#include "app/GraphBaseSt.h"
#include "app/PwrCurveGr.h"
#include "app/WDataEd.h"
#include "chart/Series.h"
#include "chartdlg/ChartEditTitle.h"
#include "chartdlg/ChartEditor.h"
#include "framework/core/Registry.h"
#include "framework/gui/Clipboard.h"

#include <set>

namespace {

using TestKit::Find;

class GraphViewsTest : public TProgramTest {
protected:
    TfmPwrCurveGr* DockCurveChart() {
        ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, true, nullptr,
                        TfmPwrCurveGr::StaticClass(), false);
        TestKit::ProcessMessages();
        return Find<TfmPwrCurveGr>(fmHolder->pnlHolder, "fmPwrCurveGr");
    }
    // Docks the chart of a view with the view's "Γράφημα" and frees it with "Επιστροφή", as a
    // user would; answers the class of the chart window that was docked.
    std::string DockAndFreeChart(int view) {
        fmHolder->ShowView(view);
        TestKit::ProcessMessages();
        ClickStrip("Γράφημα");
        std::string docked;
        for (int i = 0; i < fmHolder->pnlHolder->ComponentCount(); ++i)
            if (auto* chart = dynamic_cast<TfmGraphBase*>(fmHolder->pnlHolder->Components(i)))
                docked = chart->ClassName();
        ClickStrip("Επιστροφή");
        for (int i = 0; i < fmHolder->pnlHolder->ComponentCount(); ++i)
            EXPECT_EQ(dynamic_cast<TfmGraphBase*>(fmHolder->pnlHolder->Components(i)), nullptr);
        return docked;
    }
    TfmWDataEd* ShowWorkbench() {
        fmHolder->ShowView(4);
        TestKit::ProcessMessages();
        return dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    }
    // The program's window sections in the settings store.
    static std::set<std::string> StoredSections() {
        TStringList names;
        TRegIniFile("Software\\Orvanti").ReadSections(names);
        const auto v = names.ToVector();
        return {v.begin(), v.end()};
    }
    static std::string StoredNormPos(const std::string& section) {
        return TRegIniFile("Software\\Orvanti").ReadString(section, "NormPos", "");
    }
};

TEST_F(GraphViewsTest, PowerCurveChartDrawsTheCurveWithAxesTo110Percent) {
    TfmPwrCurveGr* gr = DockCurveChart();
    ASSERT_NE(gr, nullptr);
    EXPECT_EQ(gr->Caption(), "Καμπύλη Ισχύος Α/Γ");
    EXPECT_EQ(gr->Chart1->Title()->Text()->Get(0), "ΑΓ-3000");
    ASSERT_EQ(gr->Series1->Count(), PwrCurve->PointCount());
    EXPECT_DOUBLE_EQ(gr->Series1->XValues()->ValueAt(2), 3.5);
    EXPECT_DOUBLE_EQ(gr->Series1->YValues()->ValueAt(2), 30);
    EXPECT_DOUBLE_EQ(gr->Chart1->LeftAxis()->Maximum(), 1.1 * 3000);
    EXPECT_DOUBLE_EQ(gr->Chart1->BottomAxis()->Maximum(), 1.1 * 25);
    EXPECT_DOUBLE_EQ(gr->Chart1->LeftAxis()->Minimum(), 0);
    EXPECT_DOUBLE_EQ(gr->Chart1->BottomAxis()->Minimum(), 0);
    EXPECT_EQ(gr->Series1->SeriesColor(), clRed);
    // Docked: bordered, its tool bar in the main tool strip, properties and printing off.
    EXPECT_EQ(gr->CoolBar1->Parent(), fmHolder->Panel1);
    EXPECT_NE(gr->BorderStyle(), bsNone);
    EXPECT_TRUE(gr->actGraphProps->Enabled());
    EXPECT_TRUE(gr->actGraphPrint->Enabled());
    EXPECT_TRUE(gr->actGraphCopy->Enabled());
    EXPECT_EQ(TestKit::TextOf(gr->ToolButton4), "Επιστροφή");
    EXPECT_TRUE(TestKit::RenderToPng(gr, ShotFile("chart-pwrcurve.png")));

    // An empty curve gives an empty chart with both maxima at 0.
    TWindPwrCurve empty;
    gr->ShowCurve(&empty);
    EXPECT_EQ(gr->Series1->Count(), 0);
    EXPECT_DOUBLE_EQ(gr->Chart1->LeftAxis()->Maximum(), 0);
    EXPECT_DOUBLE_EQ(gr->Chart1->BottomAxis()->Maximum(), 0);
}

TEST_F(GraphViewsTest, CtrlInsCopiesAWindowsMetafile) {
    TfmPwrCurveGr* gr = DockCurveChart();
    ASSERT_NE(gr, nullptr);
    Clipboard()->Clear();
    TestKit::Focus(gr->Chart1);
    TestKit::PressShortCut("Ctrl+Ins");
    TestKit::ProcessMessages();
    EXPECT_TRUE(Clipboard()->HasFormat(CF_METAFILEPICT));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    std::vector<uint8_t> bytes = Clipboard()->GetAsBytes(CF_METAFILEPICT);
    ASSERT_GE(bytes.size(), 4u);
    // A placeable Windows metafile starts with its key 0x9AC6CDD7.
    EXPECT_EQ(bytes[0], 0xD7);
    EXPECT_EQ(bytes[1], 0xCD);
    EXPECT_EQ(bytes[2], 0xC6);
    EXPECT_EQ(bytes[3], 0x9A);
}

TEST_F(GraphViewsTest, AClosedChartWindowFreesItselfAndItsToolBar) {
    auto* st = dynamic_cast<TfmGraphBaseSt*>(ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1,
                                                             true, nullptr,
                                                             TfmGraphBaseSt::StaticClass(), false));
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->Caption(), "fmGraphBaseSt");
    int bars = fmHolder->Panel1->ControlCount();
    st->Close();
    TestKit::ProcessMessages();
    EXPECT_EQ(Find<TfmGraphBaseSt>(fmHolder->pnlHolder, "fmGraphBaseSt"), nullptr);
    EXPECT_EQ(fmHolder->Panel1->ControlCount(), bars - 1);
}

TEST_F(GraphViewsTest, HourlyGraphShowsOnePointPerHourFromTheStartDate) {
    TFloatArray values(48);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = double(i % 24);
    int seen = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        auto* gr = dynamic_cast<TfmGraphBase*>(form);
        ASSERT_NE(gr, nullptr);
        ++seen;
        EXPECT_EQ(gr->Caption(), "fmGraphBase");
        EXPECT_EQ(gr->Chart1->Title()->Text()->Get(0), "TChart");
        ASSERT_EQ(gr->Chart1->SeriesCount(), 1);
        TChartSeries* s = gr->Chart1->GetSeries(0);
        EXPECT_EQ(s->ClassName(), "TFastLineSeries");
        ASSERT_EQ(s->Count(), 48);
        EXPECT_TRUE(s->XValues()->DateTime());
        EXPECT_DOUBLE_EQ(s->XValues()->ValueAt(0), BaseDate);
        EXPECT_NEAR(s->XValues()->ValueAt(25), BaseDate + 25.0 / 24, 1e-9);
        EXPECT_DOUBLE_EQ(s->YValues()->ValueAt(25), 1);
        TestKit::RenderToPng(gr, ShotFile("chart-hourly.png"));
        gr->SetModalResult(mrOk);
    });
    EXPECT_TRUE(ShowHourlyGraph(values, BaseDate));
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(seen, 1);

    // Closed without OK: false; an empty series gives an empty chart.
    Application->SetModalHandler([](TCustomForm* form) {
        auto* gr = dynamic_cast<TfmGraphBase*>(form);
        ASSERT_NE(gr, nullptr);
        EXPECT_EQ(gr->Chart1->GetSeries(0)->Count(), 0);
    });
    EXPECT_FALSE(ShowHourlyGraph({}, BaseDate));
    Application->SetModalHandler(nullptr);
}

TEST_F(GraphViewsTest, F11OpensTheChartEditorOnADockedChartView) {
    TfmPwrCurveGr* gr = DockCurveChart();
    ASSERT_NE(gr, nullptr);
    int editors = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        auto* editor = dynamic_cast<TChartEditForm*>(form);
        ASSERT_NE(editor, nullptr);
        ++editors;
        EXPECT_EQ(editor->Caption(), "Ιδιότητες Γραφήματος");
        EXPECT_EQ(editor->EditedChart, gr->Chart1);
        // An edit on the titles page reaches the view's chart at once.
        editor->Notebook1->SetActivePage(editor->TabTitle);
        editor->Notebook1Change(editor->Notebook1);
        auto* titles = dynamic_cast<TFormChartTitle*>(editor->PageOf(editor->TabTitle));
        ASSERT_NE(titles, nullptr);
        titles->MText->Lines()->SetText("Καμπύλη");
        TestKit::RenderToPng(editor, ShotFile("chart-editor-docked.png"));
    });
    TestKit::Focus(gr->Chart1);
    TestKit::PressShortCut("F11");
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(editors, 1);
    EXPECT_EQ(gr->Chart1->Title()->Text()->Get(0), "Καμπύλη");
}

TEST_F(GraphViewsTest, F11OpensTheChartEditorOnTheModalHourlyChart) {
    TFloatArray values(24, 1.0);
    int editors = 0;
    TChart* hourly = nullptr;
    Application->SetModalHandler([&](TCustomForm* form) {
        if (auto* editor = dynamic_cast<TChartEditForm*>(form)) {
            ++editors;
            EXPECT_EQ(editor->Caption(), "Ιδιότητες Γραφήματος");
            EXPECT_EQ(editor->EditedChart, hourly);
            EXPECT_EQ(editor->LBSeries->Items()->Count(), 1);
            return;
        }
        auto* gr = dynamic_cast<TfmGraphBase*>(form);
        ASSERT_NE(gr, nullptr);
        hourly = gr->Chart1;
        TestKit::Focus(gr->Chart1);
        TestKit::PressShortCut("F11");
        gr->SetModalResult(mrOk);
    });
    EXPECT_TRUE(ShowHourlyGraph(values, BaseDate));
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(editors, 1);
}

// Every chart window, docked over a view or modal, keeps its placement under its own class
// name once it is freed, not under the base chart window's; the power-curve chart keeps
// none.
TEST_F(GraphViewsTest, EveryChartWindowIsStoredUnderItsOwnClass) {
    // Wide enough for the design page's tool bars side by side in the strip.
    fmHolder->SetBounds(0, 0, 800, 640);
    TestKit::ProcessMessages();
    const struct {
        int View;
        const char* Chart;
        bool Stored;
    } docked[] = {
        {1, "TfmSsnGr", true},       // "Περίοδοι"
        {2, "TfmGraphBaseSt", true}, // "Συσκευές"
        {3, "TfmPhDataGr", true},    // "Ηλιοφάνεια"
        {0, "TfmPwrCurveGr", false}, // the wind generator's page of "Σχεδιασμός"
    };
    for (const auto& d : docked) {
        SCOPED_TRACE(d.Chart);
        EXPECT_EQ(DockAndFreeChart(d.View), d.Chart);
        EXPECT_EQ(StoredNormPos(d.Chart) != "", d.Stored);
    }
    EXPECT_EQ(StoredSections().count("TfmGraphBase"), 0u);

    TfmWDataEd* bench = ShowWorkbench();
    ASSERT_NE(bench, nullptr);
    std::vector<std::string> shown;
    Application->SetModalHandler([&](TCustomForm* form) {
        shown.push_back(form->ClassName());
        form->SetModalResult(mrOk);
    });
    TestKit::Click(bench->BtnWGGr);
    EXPECT_EQ(StoredSections().count("TfmGraphBase"), 0u);
    TestKit::Click(bench->BtnPLGraph);
    TestKit::Click(bench->BtnBatCapGr);
    bench->actTTLGraph->Execute();
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"TfmPwrCurveGr", "TfmGraphBase", "TfmEnergyPerBat",
                                               "TfmEnergyGraph"}));
    const std::set<std::string> sections = StoredSections();
    for (const char* chart : {"TfmGraphBase", "TfmEnergyPerBat", "TfmEnergyGraph"})
        EXPECT_EQ(sections.count(chart), 1u) << chart;
    EXPECT_EQ(sections.count("TfmPwrCurveGr"), 0u);
}

// The hourly chart opens at its own size, as it was left, not at the size of a docked chart
// freed meanwhile.
TEST_F(GraphViewsTest, TheHourlyChartOpensAtItsOwnStoredSize) {
    fmHolder->SetBounds(0, 0, 800, 640);
    TestKit::ProcessMessages();
    TPoint first, later;
    TfmWDataEd* bench = ShowWorkbench();
    ASSERT_NE(bench, nullptr);
    Application->SetModalHandler([&](TCustomForm* form) {
        first = TPoint(form->Width(), form->Height());
        form->SetBounds(form->Left(), form->Top(), 720, 520);
        form->SetModalResult(mrOk);
    });
    TestKit::Click(bench->BtnPLGraph);
    EXPECT_NE(first, TPoint(720, 520));

    // The device list's chart, docked and freed, keeps a size of its own.
    EXPECT_EQ(DockAndFreeChart(2), "TfmGraphBaseSt");
    EXPECT_NE(StoredNormPos("TfmGraphBaseSt"), StoredNormPos("TfmGraphBase"));

    bench = ShowWorkbench();
    ASSERT_NE(bench, nullptr);
    Application->SetModalHandler([&](TCustomForm* form) {
        later = TPoint(form->Width(), form->Height());
        form->SetModalResult(mrOk);
    });
    TestKit::Click(bench->BtnPLGraph);
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(later, TPoint(720, 520));
}

} // namespace
