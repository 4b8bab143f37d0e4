#pragma once
// The brush editor of the chart editor pages: style and colour of a brush.

#include "chartdlg/PenDlg.h"
#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/StandardControls.h"

#include <memory>

// Every change goes to the brush at once; "Cancel" puts back what the brush was when
// shown.
class TBrushDialog : public TForm {
    ORV_CLASS(TBrushDialog, TForm)
public:
    explicit TBrushDialog(TComponent* owner);
    ~TBrushDialog() override;

    TRadioGroup* RGStyle = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TShape* SHColor = nullptr;
    TButton* BColor = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;

    // The brush edited (not owned); set before showing.
    TBrush* TheBrush = nullptr;

    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void RGStyleClick(TObject* sender);
    void BColorClick(TObject* sender);
    void SHColorMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Button3Click(TObject* sender);

private:
    // The colour controls follow the brush: no colour for a clear brush.
    void RefreshControls();

    // The edited brush takes the settings it had when the dialog was shown.
    void RestoreBrush();

    std::unique_ptr<TBrush> FBackupBrush;
    bool FLoading = true;
};

// Shows a brush dialog owned by owner on brush, modally, and frees it.
void EditChartBrush(TComponent* owner, TBrush* brush);
