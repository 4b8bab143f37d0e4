#pragma once
// The chart editor's "Panel" page: bevels, border, colour, gradient and back image of the
// chart's panel.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"
#include "framework/gui/Dialogs.h"

class TFormChartPanel : public TChartEditPage {
    ORV_CLASS(TFormChartPanel, TChartEditPage)
public:
    explicit TFormChartPanel(TComponent* owner);
    static TFormChartPanel* CreateForPanel(TComponent* owner, TCustomChart* chart);

    TRadioGroup* RGBevelIn = nullptr;
    TRadioGroup* RGBevelOut = nullptr;
    TLabel* L19 = nullptr;
    TEdit* SEPanelWi = nullptr;
    TUpDown* UDPanelWi = nullptr;
    TButton* BPanelColor = nullptr;
    TCheckBox* CBPanelBorder = nullptr;
    TLabel* L2 = nullptr;
    TEdit* SEPanelBor = nullptr;
    TUpDown* UDPanelBor = nullptr;
    TGroupBox* GB4 = nullptr;
    TCheckBox* CBGradVisible = nullptr;
    TButton* BGradientStart = nullptr;
    TButton* BGradientEnd = nullptr;
    TShape* Shape1 = nullptr;
    TShape* Shape2 = nullptr;
    TLabel* Label1 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TGroupBox* GB6 = nullptr;
    TRadioGroup* RGBitmap = nullptr;
    TButton* BBrowseImage = nullptr;
    TCheckBox* CBImageInside = nullptr;
    TOpenDialog* OpenPictureDialog1 = nullptr;

    TCustomChart* Chart() const { return FChart; }

    void FormShow(TObject* sender);
    void RGBevelInClick(TObject* sender);
    void RGBevelOutClick(TObject* sender);
    void SEPanelWiChange(TObject* sender);
    void SEPanelBorChange(TObject* sender);
    void BPanelColorClick(TObject* sender);
    void CBPanelBorderClick(TObject* sender);
    void CBGradVisibleClick(TObject* sender);
    void BGradientStartClick(TObject* sender);
    void BGradientEndClick(TObject* sender);
    void Shape1MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Shape2MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ComboBox1Change(TObject* sender);
    void RGBitmapClick(TObject* sender);
    void BBrowseImageClick(TObject* sender);
    void CBImageInsideClick(TObject* sender);

private:
    void RefreshGradient();
    void RefreshBackImage();
    TCustomChart* FChart = nullptr;
};
