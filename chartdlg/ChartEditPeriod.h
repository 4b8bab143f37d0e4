#pragma once
// The modal dialog that sets a series function's period: a number of points (or all of
// them) or a range of values, and where each period's result lies.

#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

#include <functional>

class TFormPeriod : public TForm {
    ORV_CLASS(TFormPeriod, TForm)
public:
    explicit TFormPeriod(TComponent* owner);

    TLabel* LCalc = nullptr;
    TRadioButton* RBNum = nullptr;
    TEdit* ENum = nullptr;
    TCheckBox* CBAll = nullptr;
    TRadioButton* RBRange = nullptr;
    TButton* BChange = nullptr;
    TLabel* BLabel = nullptr;
    TRadioGroup* RGAlign = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;

    // Set by the opener and read back after OK.
    double Period = 0;
    int PeriodStyle = 0; // 0 number of points, 1 range
    int PeriodAlign = 1; // 0 first, 1 centre, 2 last
    bool IsDateTime = false;

    void FormShow(TObject* sender);
    void RBNumClick(TObject* sender);
    void RBRangeClick(TObject* sender);
    void ENumChange(TObject* sender);
    void CBAllClick(TObject* sender);
    void BChangeClick(TObject* sender);
    void RGAlignClick(TObject* sender);

private:
    void EnableControls();
    void RefreshLabel();
    bool FLoading = true;
};
