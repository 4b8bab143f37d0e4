#pragma once
// The pen editor of the chart editor pages, and the small choosers every page shares:
// the colour and font choosers (the framework's common dialogs) and routines that show or
// enable several controls at once.

#include "framework/core/Classes.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/StandardControls.h"

#include <initializer_list>
#include <memory>

class TChartPen;

// Edits a pen (a chart pen or a plain one): visibility, width, style and colour. Every
// change goes to the pen at once; "Cancel" puts back what the pen was when shown.
class TPenDialog : public TForm {
    ORV_CLASS(TPenDialog, TForm)
public:
    explicit TPenDialog(TComponent* owner);
    ~TPenDialog() override;

    TCheckBox* CBVisible = nullptr;
    TLabel* LWidth = nullptr;
    TEdit* SEWidth = nullptr;
    TUpDown* UDWidth = nullptr;
    TRadioGroup* RGStyle = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TShape* SHColor = nullptr;
    TButton* BColor = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button3 = nullptr;

    // The pen edited (not owned); set before showing.
    TPen* ThePen = nullptr;

    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void RGStyleClick(TObject* sender);
    void SEWidthChange(TObject* sender);
    void CBVisibleClick(TObject* sender);
    void BColorClick(TObject* sender);
    void SHColorMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Button3Click(TObject* sender);

private:
    TChartPen* ChartPen() const;
    // Whether the style group offers the alternate-pixel "Small Dots" pen.
    bool HasSmallDotsItem() const;
    void EnableStyleForWidth();
    // The edited pen takes the settings it had when the dialog was shown.
    void RestorePen();

    std::unique_ptr<TChartPen> FBackupPen;
    bool FLoading = true;
};

// Shows a pen dialog owned by owner on pen, modally, and frees it.
void EditChartPen(TComponent* owner, TPen* pen);
// The colour dialog started on color: the chosen colour, or color when cancelled.
TColor EditColor(TComponent* owner, TColor color);
// The font dialog started on a copy of font; when accepted, font takes the chosen font.
// Answers font in both cases.
TFont* EditFont(TComponent* owner, TFont* font);

void SetControlsVisible(bool visible, std::initializer_list<TControl*> controls);
void SetControlsEnabled(bool enabled, std::initializer_list<TControl*> controls);
