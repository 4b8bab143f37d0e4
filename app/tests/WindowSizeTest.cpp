// The views and the design page's editors at the main window's first size (696 x 480):
// every box lies inside what is shown or is reached by a scroll bar, the workbench's
// summary lies inside its panel, and numbers too long for their boxes show whole.

#include "LayoutWalk.h"
#include "ViewsTestSupport.h"

#include "app/BatEd.h"
#include "app/HZed.h"
#include "app/PhotovEd.h"
#include "app/RestEd.h"
#include "app/WDataEd.h"
#include "app/design.h"
#include "app/wgEd.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Buttons.h"

#include <string>

namespace {

using TestKit::Find;
using TestKit::RenderToPng;

class WindowSizeTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        fmHolder->SetBounds(0, 0, 696, 480);
        TestKit::ProcessMessages();
    }
    TfmDesign* Design() const { return Find<TfmDesign>(fmHolder->pnlHolder, "fmDesign"); }
    // The docked editor after a click on its button on the design page.
    template <class T> T* OpenEditor(const std::string& button) {
        TestKit::Click(Find<TSpeedButton>(Design(), button));
        TestKit::ProcessMessages();
        Application->Idle();
        for (int i = 0; i < Design()->sysHolder->ComponentCount(); ++i)
            if (auto* editor = dynamic_cast<T*>(Design()->sysHolder->Components(i)))
                return editor;
        return nullptr;
    }
    static int TextWidthIn(const TControl* control, const std::string& text) {
        TBitmap measure(1, 1);
        measure.Canvas()->Font()->AssignFrom(control->Font());
        return measure.Canvas()->TextWidth(text);
    }
    // Every child of the box lies within its client area or its scroll bars' reach.
    static void ExpectReachable(TScrollBox* box) {
        for (int i = 0; i < box->ControlCount(); ++i) {
            TControl* c = box->Controls(i);
            SCOPED_TRACE(c->Name());
            const int right = c->Left() + c->Width() + box->HorzScrollBar()->Position();
            const int bottom = c->Top() + c->Height() + box->VertScrollBar()->Position();
            if (right > box->ClientWidth()) {
                EXPECT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
                EXPECT_GE(box->HorzScrollBar()->Range(), right);
            }
            if (bottom > box->ClientHeight()) {
                EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
                EXPECT_GE(box->VertScrollBar()->Range(), bottom);
            }
        }
    }
};

// Every label and value box of every view and of the design page's five editors shows, and
// shows its text whole, without scrolling; the power curve's grid shows all its columns.
TEST_F(WindowSizeTest, EveryViewAndEditorShowsItsLabelsAndBoxesWhole) {
    for (int tag : {1, 2, 3, 4, 0}) {
        fmHolder->ShowView(tag);
        TestKit::ProcessMessages();
        Application->Idle();
        TCustomForm* view = fmHolder->CurrentView();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(WalkFaults(fmHolder), "") << view->Name();
        RenderToPng(fmHolder, ShotFile("walk_view" + std::to_string(tag) + ".png"));
    }
    const char* buttons[] = {"sbPhotoV", "SpeedButton3", "sbBat", "SpeedButton6", "sbWG"};
    for (const char* button : buttons) {
        ASSERT_NE(OpenEditor<TForm>(button), nullptr) << button;
        TPanel* holder = Design()->sysHolder;
        ASSERT_EQ(holder->ControlCount(), 1) << button;
        EXPECT_EQ(WalkFaults(fmHolder), "") << button;
        RenderToPng(fmHolder, ShotFile(std::string("walk_editor_") + button + ".png"));
    }
    auto* wg = OpenEditor<TfmWGEd>("sbWG");
    ASSERT_NE(wg, nullptr);
    EXPECT_GT(wg->gdPC->RowCount(), 3); // the default curve: the grid scrolls down
    EXPECT_EQ(wg->gdPC->VisibleColCount(), 2);
    EXPECT_EQ(wg->gdPC->LeftCol(), 1);
    for (int col = 1; col < 3; ++col) {
        const std::string header = col == 1 ? "Ταχύτητα (m/s)" : "Ισχύς (watt)";
        EXPECT_LE(WalkTextWidth(wg->gdPC, header) + 4, wg->gdPC->ColWidths(col)) << header;
    }
}

TEST_F(WindowSizeTest, TheEditorsBoxesAreShownOrReachedByScrolling) {
    auto* pv = OpenEditor<TfmPhotovEd>("sbPhotoV");
    ASSERT_NE(pv, nullptr);
    ASSERT_NE(pv->ScrollBox1, nullptr);
    EXPECT_EQ(pv->edPhPower->Parent(), pv->ScrollBox1);
    // The box shows whole beside the summary.
    EXPECT_LE(pv->edPhPower->Left() + pv->edPhPower->Width(), pv->ScrollBox1->ClientWidth());
    EXPECT_FALSE(pv->ScrollBox1->HorzScrollBar()->IsScrollBarVisible());
    ExpectReachable(pv->ScrollBox1);
    RenderToPng(fmHolder, ShotFile("design_pv_696x480.png"));

    auto* bat = OpenEditor<TfmBatEd>("sbBat");
    ASSERT_NE(bat, nullptr);
    ASSERT_NE(bat->ScrollBox1, nullptr);
    for (TControl* box :
         {static_cast<TControl*>(bat->edBateryCap), static_cast<TControl*>(bat->stBatCapA),
          static_cast<TControl*>(bat->edBatVoltage), static_cast<TControl*>(bat->edSafeBatCoef),
          static_cast<TControl*>(bat->edBatLossesPerHour)})
        EXPECT_EQ(box->Parent(), bat->ScrollBox1) << box->Name();
    ExpectReachable(bat->ScrollBox1);
    // Scrolled to its end, the bar shows the boxes' right edges.
    bat->ScrollBox1->HorzScrollBar()->SetPosition(bat->ScrollBox1->HorzScrollBar()->Range());
    TestKit::ProcessMessages();
    EXPECT_LE(bat->edBateryCap->Left() + bat->edBateryCap->Width(), bat->ScrollBox1->ClientWidth());
    RenderToPng(fmHolder, ShotFile("design_bat_696x480_scrolled.png"));

    // The wind generator's name box narrows to stay in view; the grid scrolls itself.
    auto* wg = OpenEditor<TfmWGEd>("sbWG");
    ASSERT_NE(wg, nullptr);
    for (TControl* box :
         {static_cast<TControl*>(wg->edModelName), static_cast<TControl*>(wg->edPR)})
        EXPECT_LE(box->Left() + box->Width(), wg->Panel1->ClientWidth()) << box->Name();

    auto* hz = OpenEditor<TFmHZed>("SpeedButton3");
    ASSERT_NE(hz, nullptr);
    ASSERT_NE(hz->ScrollBox1, nullptr);
    ExpectReachable(hz->ScrollBox1);
    // The check box's caption fits the box.
    EXPECT_LE(TextWidthIn(hz->cbHZCalc, hz->cbHZCalc->Caption()) + 20, hz->cbHZCalc->Width());
}

TEST_F(WindowSizeTest, ALongNumberInTheDesignSummaryShowsWhole) {
    const std::string whole = "100000000000000000000.00";
    PVPower = 1e20;
    BatCapacity = 12345.5;
    Application->Idle();
    TfmDesign* d = Design();
    ASSERT_NE(d, nullptr);
    for (TStaticText* box : {d->stPhPr, d->stBatCap, d->stHZConType}) {
        SCOPED_TRACE(box->Name());
        EXPECT_LE(TextWidthIn(box, box->Caption()), box->ClientWidth() - 2);
    }
    // Shown in scientific notation, the whole value in the hint.
    EXPECT_DOUBLE_EQ(StrToFloat(d->stPhPr->Caption()), 1e20);
    EXPECT_NE(d->stPhPr->Caption().find('E'), std::string::npos);
    EXPECT_EQ(d->stPhPr->Hint(), whole);
    EXPECT_TRUE(d->stPhPr->ShowHint());
    // A number that fits is shown as formatted, with no hint.
    EXPECT_EQ(d->stBatCap->Caption(), "12345.50");
    EXPECT_EQ(d->stBatCap->Hint(), "");
    PVPower = 1500;
    Application->Idle();
    EXPECT_EQ(d->stPhPr->Caption(), "1500.00");
    EXPECT_EQ(d->stPhPr->Hint(), "");
    RenderToPng(fmHolder, ShotFile("design_summary_696x480.png"));
}

TEST_F(WindowSizeTest, TheWorkbenchsSummaryAndButtonsAreShownOrReachedByScrolling) {
    fmHolder->ShowView(4);
    TestKit::ProcessMessages();
    auto* wb = Find<TfmWDataEd>(fmHolder->pnlHolder, "fmWDataEd");
    ASSERT_NE(wb, nullptr);
    BatCapacity = 1e20;
    wb->ShowBatCapacity();
    TestKit::ProcessMessages();
    RenderToPng(fmHolder, ShotFile("workbench_696x480.png"));

    // The buttons' column scrolls to its last button.
    TScrollBox* column = wb->Panel1;
    ExpectReachable(column);
    EXPECT_GT(wb->Button3->Top() + wb->Button3->Height(), column->ClientHeight());
    for (int i = 0; i < column->ControlCount(); ++i)
        EXPECT_LE(column->Controls(i)->Left() + column->Controls(i)->Width(), column->ClientWidth())
            << column->Controls(i)->Name();

    // Every caption and value of the summary lies inside its panel, the values' texts
    // inside their labels.
    TPanel* summary = wb->Panel3;
    ASSERT_EQ(summary->ControlCount(), 18);
    for (int i = 0; i < summary->ControlCount(); ++i) {
        auto* label = dynamic_cast<TLabel*>(summary->Controls(i));
        ASSERT_NE(label, nullptr);
        SCOPED_TRACE(label->Name());
        EXPECT_LE(label->Left() + label->Width(), summary->ClientWidth());
        EXPECT_LE(label->Top() + label->Height(), summary->ClientHeight());
        EXPECT_LE(TextWidthIn(label, label->Caption()), label->Width());
    }
    EXPECT_DOUBLE_EQ(StrToFloat(wb->lbMaxBatCap->Caption()), 1e20);
    EXPECT_EQ(wb->lbMaxBatCap->Hint(), Format("%10.0n", {1e20}));
}

} // namespace
