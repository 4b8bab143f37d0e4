// The axis dialogs as a user fills them: the increment as a number, a standard date-time
// step or days and a time; a limit as a number or a date and time; wrong text keeps the
// dialog open with a message. And the texts of increments.

#include "chartdlg/AxisIncrement.h"
#include "chartdlg/AxisMinMax.h"

#include "chart/ChartProcs.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class AxisDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { TestKit::StartTestApplication(); }
    void TearDown() override { Application->SetModalHandler(nullptr); }

    // Shows the dialog modally with script running while it is shown.
    template <class T> TModalResult Run(T* dialog, const std::function<void(T*)>& script) {
        Application->SetModalHandler([&](TCustomForm* form) {
            ASSERT_EQ(form, dialog);
            script(dialog);
        });
        const TModalResult result = dialog->ShowModal();
        Application->SetModalHandler(nullptr);
        return result;
    }
};

TEST_F(AxisDialogsTest, IncrementTextsShowDaysAndTimesOrStepNames) {
    struct TCase {
        double Value;
        bool StepNames;
        std::string Expected;
    };
    const TCase cases[] = {
        {1.0, false, "1"},
        {1.25, false, "1 " + TimeToStr(0.25)},
        {0.0, false, TimeToStr(DateTimeStep[dtOneSecond])},
        {-2.0, false, TimeToStr(DateTimeStep[dtOneSecond])},
        {0.5, false, TimeToStr(0.5)},
        {1.0, true, "One Day"},
        {DateTimeStep[dtOneWeek], true, "One Week"},
        {1.25, true, "1 " + TimeToStr(0.25)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(IncrementToText(true, c.StepNames, "", c.Value), c.Expected);
    }
    EXPECT_EQ(IncrementToText(false, true, "0.00", 2.5), FormatFloat("0.00", 2.5));
    EXPECT_EQ(DateTimeStepText(0), "One Second");
    EXPECT_EQ(DateTimeStepText(24), "One Year");
    EXPECT_EQ(DateTimeStepText(25), "");
}

// Every shown control of both dialogs lies wholly inside the client area, in both of the
// increment dialog's layouts.
TEST_F(AxisDialogsTest, TheDialogsButtonsAndBoxesLieInsideTheirWindows) {
    auto expectInside = [](TCustomForm* form) {
        const TRect client = form->ClientRect();
        for (int i = 0; i < form->ControlCount(); ++i) {
            TControl* c = form->Controls(i);
            if (!c->Visible())
                continue;
            SCOPED_TRACE(c->Name());
            EXPECT_GE(c->Left(), client.Left);
            EXPECT_GE(c->Top(), client.Top);
            EXPECT_LE(c->Left() + c->Width(), client.Right);
            EXPECT_LE(c->Top() + c->Height(), client.Bottom);
        }
    };
    for (bool isDateTime : {true, false}) {
        SCOPED_TRACE(isDateTime);
        std::unique_ptr<TAxisIncrement> dialog(new TAxisIncrement(nullptr));
        dialog->IsDateTime = isDateTime;
        dialog->Increment = 1;
        dialog->StepIndex = dtOneDay;
        Run<TAxisIncrement>(dialog.get(), [&](TAxisIncrement* d) {
            expectInside(d);
            d->SetModalResult(mrCancel);
        });
    }
    std::unique_ptr<TAxisMaxMin> limits(new TAxisMaxMin(nullptr));
    Run<TAxisMaxMin>(limits.get(), [&](TAxisMaxMin* d) {
        expectInside(d);
        d->SetModalResult(mrCancel);
    });
}

TEST_F(AxisDialogsTest, CustomDateTimeIncrementReadsDaysAndTimeOrANumber) {
    struct TCase {
        std::string Text;
        double Expected;
    };
    const TCase cases[] = {
        {"2 12:00:00", 2.5},
        {"0.25", 0.25},
        {"06:00:00", 0.25},
        {"3", 0.125}, // a lone number reads as hours first
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        std::unique_ptr<TAxisIncrement> dialog(new TAxisIncrement(nullptr));
        dialog->IsDateTime = true;
        // Not exact: the custom choice, even for an increment that is a standard step.
        dialog->ExactDateTime = false;
        dialog->Increment = 1;
        dialog->StepIndex = dtOneDay;
        const TModalResult result = Run<TAxisIncrement>(dialog.get(), [&](TAxisIncrement* d) {
            EXPECT_EQ(d->RadioGroup1->ItemIndex(), 1);
            EXPECT_EQ(d->CBSteps->ItemIndex(), -1);
            EXPECT_FALSE(d->CBExact->Enabled());
            EXPECT_EQ(TestKit::TextOf(d->ECustom), "1");
            d->ECustom->SetText(c.Text);
            TestKit::Click(d->BitBtn1);
        });
        EXPECT_EQ(result, mrOk);
        EXPECT_NEAR(dialog->Increment, c.Expected, 1e-9);
    }
}

TEST_F(AxisDialogsTest, StandardStepAndWrongTextInTheIncrementDialog) {
    std::unique_ptr<TAxisIncrement> dialog(new TAxisIncrement(nullptr));
    dialog->IsDateTime = true;
    dialog->ExactDateTime = true;
    dialog->Increment = DateTimeStep[dtOneHour];
    dialog->StepIndex = dtOneHour;
    EXPECT_EQ(Run<TAxisIncrement>(dialog.get(),
                                  [](TAxisIncrement* d) {
                                      EXPECT_EQ(d->RadioGroup1->ItemIndex(), 0);
                                      EXPECT_EQ(d->CBSteps->ItemIndex(), dtOneHour);
                                      EXPECT_FALSE(d->ECustom->Enabled());
                                      EXPECT_TRUE(d->CBExact->Checked());
                                      d->CBSteps->SetItemIndex(dtOneMonth);
                                      d->CBStepsChange(d->CBSteps);
                                      TestKit::Click(d->BitBtn1);
                                  }),
              mrOk);
    EXPECT_DOUBLE_EQ(dialog->Increment, DateTimeStep[dtOneMonth]);
    EXPECT_TRUE(dialog->ExactDateTime);

    // A plain number; text that is no number keeps the dialog open with the reason.
    std::unique_ptr<TAxisIncrement> plain(new TAxisIncrement(nullptr));
    plain->IsDateTime = false;
    plain->Increment = 5;
    EXPECT_EQ(Run<TAxisIncrement>(
                  plain.get(),
                  [](TAxisIncrement* d) {
                      EXPECT_FALSE(d->RadioGroup1->Visible());
                      EXPECT_FALSE(d->CBExact->Visible());
                      // One row: the edit level with OK beside it, its
                      // label on its left, nothing empty above or below.
                      EXPECT_EQ(d->ECustom->Top(), d->BitBtn1->Top());
                      EXPECT_EQ(d->BitBtn2->Top(), d->BitBtn1->Top());
                      EXPECT_LE(d->BitBtn1->Top(), 8);
                      EXPECT_GE(d->BitBtn1->Left(), d->ECustom->Left() + d->ECustom->Width());
                      EXPECT_LE(d->Label1->Left() + d->Label1->Width(), d->ECustom->Left());
                      EXPECT_GT(d->Label1->Top(), d->ECustom->Top());
                      EXPECT_LT(d->Label1->Top(), d->ECustom->Top() + d->ECustom->Height());
                      EXPECT_LE(d->ClientHeight(), d->BitBtn1->Top() + d->BitBtn1->Height() + 8);
                      EXPECT_LE(d->BitBtn2->Left() + d->BitBtn2->Width(), d->ClientWidth());
                      d->ECustom->SetText("abc");
                      TestKit::Click(d->BitBtn1);
                      EXPECT_EQ(d->ModalResult(), mrNone);
                      EXPECT_EQ(TestKit::Dialogs().LastText().rfind("Incorrect value. Reason: ", 0),
                                0u);
                      d->ECustom->SetText("2.5");
                      TestKit::Click(d->BitBtn1);
                  }),
              mrOk);
    EXPECT_DOUBLE_EQ(plain->Increment, 2.5);
}

TEST_F(AxisDialogsTest, LimitDialogTakesANumberOrADateAndTime) {
    std::unique_ptr<TAxisMaxMin> number(new TAxisMaxMin(nullptr));
    number->Value = 12.5;
    EXPECT_EQ(Run<TAxisMaxMin>(number.get(),
                               [](TAxisMaxMin* d) {
                                   EXPECT_EQ(TestKit::TextOf(d->Label1), "Value:");
                                   EXPECT_FALSE(d->EMinimum->Visible());
                                   EXPECT_EQ(TestKit::TextOf(d->EMaximum), FloatToStr(12.5));
                                   d->EMaximum->SetText("x1");
                                   TestKit::Click(d->BitBtn1);
                                   EXPECT_EQ(d->ModalResult(), mrNone);
                                   d->EMaximum->SetText("-3");
                                   TestKit::Click(d->BitBtn1);
                               }),
              mrOk);
    EXPECT_DOUBLE_EQ(number->Value, -3);

    const TDateTime when = EncodeDate(2024, 3, 15) + EncodeTime(6, 30, 0, 0);
    std::unique_ptr<TAxisMaxMin> date(new TAxisMaxMin(nullptr));
    date->IsDateTime = true;
    date->Value = when;
    EXPECT_EQ(Run<TAxisMaxMin>(date.get(),
                               [&](TAxisMaxMin* d) {
                                   EXPECT_TRUE(d->EMaximum->Visible());
                                   EXPECT_EQ(TestKit::TextOf(d->EMaximum), DateToStr(when));
                                   EXPECT_EQ(TestKit::TextOf(d->EMinimum), TimeToStr(when));
                                   d->EMaximum->SetText(DateToStr(EncodeDate(2024, 4, 1)));
                                   TestKit::Click(d->BitBtn1);
                               }),
              mrOk);
    EXPECT_NEAR(date->Value, EncodeDate(2024, 4, 1) + EncodeTime(6, 30, 0, 0), 1e-9);

    // Below one day only the time is asked for.
    std::unique_ptr<TAxisMaxMin> time(new TAxisMaxMin(nullptr));
    time->IsDateTime = true;
    time->Value = 0.5;
    EXPECT_EQ(Run<TAxisMaxMin>(time.get(),
                               [](TAxisMaxMin* d) {
                                   EXPECT_FALSE(d->EMaximum->Visible());
                                   d->EMinimum->SetText(TimeToStr(0.75));
                                   TestKit::Click(d->BitBtn1);
                               }),
              mrOk);
    EXPECT_NEAR(time->Value, 0.75, 1e-9);
}

} // namespace
