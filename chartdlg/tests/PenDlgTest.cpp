// The pen dialog driven as a user would: every change reaches the pen at once, Cancel
// puts it back; and the colour and font choosers answered through the dialog service.

#include "chartdlg/PenDlg.h"

#include "chart/ChartCanvas.h"
#include "chartdlg/tests/ChartDlgTestSupport.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

class PenDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FPen = std::make_unique<TChartPen>(TNotifyEvent([this](TObject*) { ++FChanges; }));
    }
    void TearDown() override { Application->SetModalHandler(nullptr); }

    // Opens the pen dialog on pen and runs check while it is shown.
    void Edit(TPen* pen, std::function<void(TPenDialog*)> check) {
        ShowOnce<TPenDialog>([pen] { EditChartPen(nullptr, pen); }, check);
    }

    std::unique_ptr<TChartPen> FPen;
    int FChanges = 0;
};

TEST_F(PenDialogTest, ChangesReachThePenAtOnceAndStayAfterOk) {
    FPen->SetColor(clBlack);
    Edit(FPen.get(), [&](TPenDialog* d) {
        EXPECT_EQ(d->Caption(), "Border Color Editor");
        EXPECT_EQ(d->ClientWidth(), 213);
        EXPECT_EQ(d->ClientHeight(), 191);
        EXPECT_TRUE(d->CBVisible->Visible());
        EXPECT_TRUE(d->CBVisible->Checked());
        EXPECT_EQ(TestKit::TextOf(d->SEWidth), "1");
        ASSERT_EQ(d->RGStyle->Items()->Count(), 6);
        EXPECT_EQ(d->RGStyle->Items()->Get(5), "Small Dots");
        EXPECT_EQ(d->RGStyle->ItemIndex(), 0);
        EXPECT_TRUE(d->RGStyle->Enabled());

        TestKit::Click(d->RGStyle->Buttons(1));
        EXPECT_EQ(FPen->Style(), psDash);

        AnswerColor(clRed);
        TestKit::Click(d->BColor);
        EXPECT_EQ(FPen->Color(), clRed);
        EXPECT_EQ(d->SHColor->Brush()->Color(), clRed);
        ASSERT_FALSE(TestKit::Dialogs().Shown().empty());
        EXPECT_EQ(TestKit::Dialogs().Shown().back().Kind, "TColorDialog");

        // A release on the swatch opens the colour dialog too.
        AnswerColor(clBlue);
        TestKit::Click(d->SHColor);
        EXPECT_EQ(FPen->Color(), clBlue);

        // A cancelled colour dialog leaves the colour.
        TestKit::Dialogs().AnswerNext(0);
        TestKit::Click(d->BColor);
        EXPECT_EQ(FPen->Color(), clBlue);

        EXPECT_FALSE(TestKit::Render(d)->Empty());
        if (const char* shotDir = std::getenv("ORV_SHOT_DIR")) {
            EXPECT_TRUE(TestKit::RenderToPng(d, std::string(shotDir) + "/pen-dialog.png"));
        }

        d->UDWidth->Step(btNext);
        EXPECT_EQ(FPen->Width(), 2);
        EXPECT_FALSE(d->RGStyle->Enabled());

        TestKit::Click(d->CBVisible);
        EXPECT_FALSE(FPen->Visible());
        TestKit::Click(d->Button1);
    });
    EXPECT_EQ(FPen->Style(), psDash);
    EXPECT_EQ(FPen->Color(), clBlue);
    EXPECT_EQ(FPen->Width(), 2);
    EXPECT_FALSE(FPen->Visible());
    EXPECT_GT(FChanges, 0);
}

TEST_F(PenDialogTest, StyleGroupFollowsTheWidth) {
    FPen->SetWidth(2);
    Edit(FPen.get(), [&](TPenDialog* d) {
        EXPECT_EQ(TestKit::TextOf(d->SEWidth), "2");
        EXPECT_FALSE(d->RGStyle->Enabled());
        d->UDWidth->Step(btPrev);
        EXPECT_EQ(FPen->Width(), 1);
        EXPECT_TRUE(d->RGStyle->Enabled());
        // The width never goes below 1.
        d->UDWidth->Step(btPrev);
        EXPECT_EQ(FPen->Width(), 1);
    });
}

TEST_F(PenDialogTest, SmallDotsKeepsTheStyleAndAnotherStyleClearsIt) {
    FPen->SetStyle(psDot);
    Edit(FPen.get(), [&](TPenDialog* d) {
        EXPECT_EQ(d->RGStyle->ItemIndex(), 2);
        TestKit::Click(d->RGStyle->Buttons(5));
        EXPECT_TRUE(FPen->SmallDots());
        EXPECT_EQ(FPen->Style(), psDot);
        TestKit::Click(d->RGStyle->Buttons(1));
        EXPECT_FALSE(FPen->SmallDots());
        EXPECT_EQ(FPen->Style(), psDash);
        TestKit::Click(d->RGStyle->Buttons(5));
        TestKit::Click(d->Button1);
    });
    // Opened again on a small-dots pen, the last item is the one chosen.
    Edit(FPen.get(), [&](TPenDialog* d) {
        EXPECT_EQ(d->RGStyle->Items()->Count(), 6);
        EXPECT_EQ(d->RGStyle->ItemIndex(), 5);
    });
    EXPECT_TRUE(FPen->SmallDots());
}

TEST_F(PenDialogTest, CancelRestoresWidthColourAndVisibility) {
    FPen->SetColor(clGreen);
    FPen->SetStyle(psDashDot);
    Edit(FPen.get(), [&](TPenDialog* d) {
        d->UDWidth->Step(btNext);
        d->UDWidth->Step(btNext);
        AnswerColor(clYellow);
        TestKit::Click(d->BColor);
        TestKit::Click(d->CBVisible);
        TestKit::Click(d->RGStyle->Buttons(5));
        ASSERT_EQ(FPen->Width(), 3);
        ASSERT_FALSE(FPen->Visible());
        FChanges = 0;
        TestKit::Click(d->Button3);
        EXPECT_EQ(d->ModalResult(), mrCancel);
    });
    EXPECT_EQ(FPen->Width(), 1);
    EXPECT_EQ(FPen->Color(), clGreen);
    EXPECT_TRUE(FPen->Visible());
    EXPECT_EQ(FPen->Style(), psDashDot);
    EXPECT_FALSE(FPen->SmallDots());
    EXPECT_GT(FChanges, 0); // the owner was told to repaint
}

// Every way out but OK puts the pen back, its owner told to repaint; OK keeps the changes.
TEST_F(PenDialogTest, EveryCloseButOkRestoresThePen) {
    for (const TWayOut<TPenDialog>& way : WaysOut(&TPenDialog::Button1)) {
        SCOPED_TRACE(way.Name);
        FPen->SetWidth(1);
        FPen->SetVisible(true);
        Edit(FPen.get(), [&](TPenDialog* d) {
            d->UDWidth->Step(btNext);
            TestKit::Click(d->CBVisible);
            ASSERT_EQ(FPen->Width(), 2);
            FChanges = 0;
            way.Leave(d);
        });
        EXPECT_EQ(FPen->Width(), way.Kept ? 2 : 1);
        EXPECT_EQ(FPen->Visible(), !way.Kept);
        if (!way.Kept) {
            EXPECT_GT(FChanges, 0);
        }
    }
}

TEST_F(PenDialogTest, PlainPenHasNoVisibilityNorSmallDots) {
    TPen pen;
    pen.SetStyle(psDashDotDot);
    pen.SetColor(clNavy);
    Edit(&pen, [&](TPenDialog* d) {
        EXPECT_FALSE(d->CBVisible->Visible());
        EXPECT_EQ(d->RGStyle->Items()->Count(), 5);
        EXPECT_EQ(d->RGStyle->ItemIndex(), 4);
        EXPECT_EQ(d->SHColor->Brush()->Color(), clNavy);
        TestKit::Click(d->RGStyle->Buttons(0));
        EXPECT_EQ(pen.Style(), psSolid);
        d->UDWidth->Step(btNext);
        TestKit::Click(d->Button3);
    });
    EXPECT_EQ(pen.Style(), psDashDotDot);
    EXPECT_EQ(pen.Width(), 1);
}

TEST(ChartChoosersTest, EditColorAndEditFontAnswerThroughTheDialogService) {
    TestKit::StartTestApplication();
    AnswerColor(clFuchsia);
    EXPECT_EQ(EditColor(nullptr, clRed), clFuchsia);
    TestKit::Dialogs().AnswerNext(0);
    EXPECT_EQ(EditColor(nullptr, clRed), clRed);

    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    TestKit::Dialogs().AnswerNextWith([](const TestKit::TShownDialog& shown) {
        auto* dialog = dynamic_cast<TFontDialog*>(shown.Dialog);
        if (!dialog)
            return 0;
        EXPECT_EQ(dialog->Font()->Name(), "Arial"); // started on a copy of the font
        dialog->Font()->SetSize(14);
        dialog->Font()->SetStyle(TFontStyles{fsBold});
        return 1;
    });
    EXPECT_EQ(EditFont(nullptr, &font), &font);
    EXPECT_EQ(font.Size(), 14);
    EXPECT_TRUE(font.Style().Contains(fsBold));

    TestKit::Dialogs().AnswerNextWith([](const TestKit::TShownDialog& shown) {
        if (auto* dialog = dynamic_cast<TFontDialog*>(shown.Dialog))
            dialog->Font()->SetSize(30);
        return 0; // cancelled
    });
    EXPECT_EQ(EditFont(nullptr, &font), &font);
    EXPECT_EQ(font.Size(), 14);
}

TEST(ChartChoosersTest, SetControlsSwitchesEveryControlOfTheList) {
    TestKit::StartTestApplication();
    TForm form(nullptr);
    auto* a = new TButton(&form);
    auto* b = new TLabel(&form);
    a->SetParent(&form);
    b->SetParent(&form);
    SetControlsEnabled(false, {a, b});
    EXPECT_FALSE(a->Enabled());
    EXPECT_FALSE(b->Enabled());
    SetControlsVisible(false, {a, b});
    EXPECT_FALSE(a->Visible());
    EXPECT_FALSE(b->Visible());
    SetControlsVisible(true, {b});
    EXPECT_FALSE(a->Visible());
    EXPECT_TRUE(b->Visible());
}

} // namespace
