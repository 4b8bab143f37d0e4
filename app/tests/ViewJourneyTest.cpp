// The main window at its default size as a first user meets it: every view's docked
// chart keeps its tool buttons inside the window, and "Επιστροφή" leads back to the view.

#include "ViewsTestSupport.h"

#include "app/GraphBaseSt.h"
#include "app/LoadConst.h"
#include "app/Ssned.h"
#include "app/design.h"
#include "app/phDataEd.h"
#include "app/wgEd.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/StandardControls.h"

namespace {

class ViewJourneyTest : public TProgramTest {
protected:
    // The button's rectangle in the main window's client coordinates.
    TRect InMainWindow(const TControl* control) const {
        TPoint topLeft = fmHolder->ScreenToClient(control->ClientToScreen(TPoint(0, 0)));
        return Bounds(topLeft.X, topLeft.Y, control->Width(), control->Height());
    }
    bool InsideMainWindow(const TControl* control) const {
        const TRect r = InMainWindow(control);
        const TRect client = fmHolder->ClientRect();
        return r.Left >= 0 && r.Top >= 0 && r.Right <= client.Right && r.Bottom <= client.Bottom;
    }
};

TEST_F(ViewJourneyTest, EveryDockedChartCanBeLeftAtTheDefaultWindowSize) {
    struct TCase {
        int View;
        const char* Shot;
    } const cases[] = {{0, "journey-design.png"},
                       {1, "journey-periods.png"},
                       {2, "journey-devices.png"},
                       {3, "journey-sunshine.png"}};
    ASSERT_EQ(fmHolder->Width(), 696);
    ASSERT_EQ(fmHolder->Height(), 480);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Shot);
        fmHolder->ShowView(c.View);
        TestKit::ProcessMessages();
        TCustomForm* view = fmHolder->CurrentView();
        ASSERT_NE(view, nullptr);
        ClickStrip("Γράφημα");
        TfmGraphBaseSt* chart = DockedChart();
        ASSERT_NE(chart, nullptr);
        TestKit::ProcessMessages();
        TestKit::RenderToPng(fmHolder, ShotFile(c.Shot));
        for (const char* caption : {"Επιστροφή", "Εκτύπωση"}) {
            TToolButton* button = StripButton(caption);
            ASSERT_NE(button, nullptr) << caption;
            EXPECT_TRUE(InsideMainWindow(button)) << caption;
        }
        ClickStrip("Επιστροφή");
        EXPECT_EQ(DockedChart(), nullptr);
        EXPECT_EQ(fmHolder->CurrentView(), view);
        EXPECT_EQ(StripButton("Επιστροφή"), nullptr);
        EXPECT_EQ(fmHolder->Panel1->Height(), 53); // one row of tool bars again
    }
}

TEST_F(ViewJourneyTest, TheSummaryStaysReadableBesideItsScrollBar) {
    fmHolder->ShowView(0);
    // As short as the window gets with the tool strip wrapped onto two rows.
    fmHolder->SetHeight(400);
    TestKit::ProcessMessages();
    Application->Idle();
    auto* design = dynamic_cast<TfmDesign*>(fmHolder->CurrentView());
    ASSERT_NE(design, nullptr);
    TScrollBox* summary = design->upPanel;
    ASSERT_LT(summary->ClientWidth(), summary->Width() - 10); // the scroll bar shows
    TestKit::RenderToPng(fmHolder, ShotFile("journey-summary.png"));
    TBitmap measure;
    for (TStaticText* box :
         {design->stModelName, design->stHZConType, design->stRatedPower, design->stBatCap}) {
        SCOPED_TRACE(box->Name());
        EXPECT_LE(box->Left() + box->Width(), summary->ClientWidth());
        measure.Canvas()->Font()->AssignFrom(box->Font());
        EXPECT_LE(measure.Canvas()->TextWidth(box->Caption()), box->ClientWidth() - 2);
    }
    EXPECT_EQ(TestKit::TextOf(design->stHZConType), "Στον πίνακα καταναλώσεων");
    EXPECT_EQ(TestKit::TextOf(design->stModelName), "ΑΓ-3000");
}

} // namespace
