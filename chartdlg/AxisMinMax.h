#pragma once
// The dialog that enters an axis' maximum or minimum as a number, or as a date and a
// time.

#include "chartdlg/ChartEditControls.h"
#include "framework/gui/Buttons.h"

class TAxisMaxMin : public TForm {
    ORV_CLASS(TAxisMaxMin, TForm)
public:
    explicit TAxisMaxMin(TComponent* owner);

    TLabel* Label1 = nullptr;
    TEdit* EMaximum = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* EMinimum = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;

    // Set by the opener; Value is also the answer.
    bool IsDateTime = false;
    double Value = 0;

    void FormShow(TObject* sender);
    void BitBtn1Click(TObject* sender);
};
