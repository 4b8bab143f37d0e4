#pragma once
// The desired-increment dialog of an axis (a number, a standard date-time step or a span
// of days and time) and the texts of increments.

#include "chartdlg/ChartEditControls.h"
#include "framework/gui/Buttons.h"

#include <string>

class TAxisIncrement : public TForm {
    ORV_CLASS(TAxisIncrement, TForm)
public:
    explicit TAxisIncrement(TComponent* owner);

    TRadioGroup* RadioGroup1 = nullptr;
    TComboBox* CBSteps = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* ECustom = nullptr;
    TCheckBox* CBExact = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;

    // Set by the opener; Increment (days for a date-time) and ExactDateTime are also the
    // answer.
    bool IsDateTime = false;
    bool ExactDateTime = false;
    double Increment = 0;
    int StepIndex = 25;

    void FormShow(TObject* sender);
    void RadioGroup1Click(TObject* sender);
    void CBStepsChange(TObject* sender);
    void CBExactClick(TObject* sender);
    void BitBtn1Click(TObject* sender);

private:
    void ShowCustomIncrement();
    void LayOutPlainNumber();
    bool FShowing = false;
};

// The text of an increment: a number in format; for a date-time a step name (with
// useStepNames and a standard step), or days and a time.
std::string IncrementToText(bool isDateTime, bool useStepNames, const std::string& format,
                            double value);
// The name of a standard date-time step ("One Second" ... "One Year"); empty out of range.
std::string DateTimeStepText(int stepIndex);
