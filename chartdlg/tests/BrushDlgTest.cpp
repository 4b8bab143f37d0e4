// The brush dialog driven as a user would: style and colour reach the brush at once,
// a clear brush has no colour to choose, Cancel puts the brush back.

#include "chartdlg/BrushDlg.h"

#include "chart/ChartCanvas.h"
#include "chartdlg/tests/ChartDlgTestSupport.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

class BrushDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FBrush = std::make_unique<TChartBrush>(TNotifyEvent([this](TObject*) { ++FChanges; }));
    }
    void TearDown() override { Application->SetModalHandler(nullptr); }

    void Edit(std::function<void(TBrushDialog*)> check) {
        ShowOnce<TBrushDialog>([this] { EditChartBrush(nullptr, FBrush.get()); }, check);
    }

    std::unique_ptr<TChartBrush> FBrush;
    int FChanges = 0;
};

TEST_F(BrushDialogTest, StyleAndColourReachTheBrushAtOnce) {
    FBrush->SetColor(clWhite);
    Edit([&](TBrushDialog* d) {
        EXPECT_EQ(d->Caption(), "Pattern Color Editor");
        EXPECT_EQ(d->ClientWidth(), 243);
        EXPECT_EQ(d->ClientHeight(), 175);
        ASSERT_EQ(d->RGStyle->Items()->Count(), 8);
        EXPECT_EQ(d->RGStyle->ItemIndex(), int(bsSolid));
        EXPECT_TRUE(d->SHColor->Visible());
        EXPECT_EQ(d->SHColor->Brush()->Color(), clWhite);

        TestKit::Click(d->RGStyle->Buttons(2));
        EXPECT_EQ(FBrush->Style(), bsHorizontal);
        AnswerColor(clMaroon);
        TestKit::Click(d->BColor);
        EXPECT_EQ(FBrush->Color(), clMaroon);
        EXPECT_EQ(d->SHColor->Brush()->Color(), clMaroon);
        AnswerColor(clTeal);
        TestKit::Click(d->SHColor);
        EXPECT_EQ(FBrush->Color(), clTeal);
        TestKit::Click(d->RGStyle->Buttons(7));
        EXPECT_EQ(FBrush->Style(), bsDiagCross);

        EXPECT_FALSE(TestKit::Render(d)->Empty());
        if (const char* shotDir = std::getenv("ORV_SHOT_DIR")) {
            EXPECT_TRUE(TestKit::RenderToPng(d, std::string(shotDir) + "/brush-dialog.png"));
        }
        TestKit::Click(d->Button2);
    });
    EXPECT_EQ(FBrush->Style(), bsDiagCross);
    EXPECT_EQ(FBrush->Color(), clTeal);
    EXPECT_GT(FChanges, 0);
}

TEST_F(BrushDialogTest, ClearBrushHidesTheSwatchAndDisablesColour) {
    FBrush->SetStyle(bsClear);
    Edit([&](TBrushDialog* d) {
        EXPECT_EQ(d->RGStyle->ItemIndex(), int(bsClear));
        EXPECT_FALSE(d->SHColor->Visible());
        EXPECT_FALSE(d->BColor->Enabled());
        TestKit::Click(d->RGStyle->Buttons(0));
        EXPECT_EQ(FBrush->Style(), bsSolid);
        EXPECT_TRUE(d->SHColor->Visible());
        EXPECT_TRUE(d->BColor->Enabled());
        TestKit::Click(d->RGStyle->Buttons(1));
        EXPECT_FALSE(d->SHColor->Visible());
        EXPECT_FALSE(d->BColor->Enabled());
    });
    EXPECT_EQ(FBrush->Style(), bsClear);
}

TEST_F(BrushDialogTest, CancelRestoresStyleAndColour) {
    FBrush->SetColor(clSilver);
    FBrush->SetStyle(bsVertical);
    Edit([&](TBrushDialog* d) {
        TestKit::Click(d->RGStyle->Buttons(6));
        AnswerColor(clLime);
        TestKit::Click(d->BColor);
        ASSERT_EQ(FBrush->Style(), bsCross);
        ASSERT_EQ(FBrush->Color(), clLime);
        TestKit::Click(d->Button3);
        EXPECT_EQ(d->ModalResult(), mrCancel);
    });
    EXPECT_EQ(FBrush->Style(), bsVertical);
    EXPECT_EQ(FBrush->Color(), clSilver);
}

// Every way out but OK puts the brush back; OK keeps the changes.
TEST_F(BrushDialogTest, EveryCloseButOkRestoresTheBrush) {
    for (const TWayOut<TBrushDialog>& way : WaysOut(&TBrushDialog::Button2)) {
        SCOPED_TRACE(way.Name);
        FBrush->SetColor(clSilver);
        FBrush->SetStyle(bsVertical);
        Edit([&](TBrushDialog* d) {
            TestKit::Click(d->RGStyle->Buttons(6));
            ASSERT_EQ(FBrush->Style(), bsCross);
            way.Leave(d);
        });
        EXPECT_EQ(FBrush->Style(), way.Kept ? bsCross : bsVertical);
    }
}

} // namespace
