#pragma once
// The chart editor's "3D" page: the 3-D switch, its depth and the view options (zoom,
// rotation, elevation, offsets, perspective).

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChart3D : public TChartEditPage {
    ORV_CLASS(TFormChart3D, TChartEditPage)
public:
    explicit TFormChart3D(TComponent* owner);
    static TFormChart3D* CreateForChart(TComponent* owner, TCustomChart* chart);

    TGroupBox* GB3D = nullptr;
    TCheckBox* CBView3d = nullptr;
    TEdit* SE3d = nullptr;
    TUpDown* UD3D = nullptr;
    TCheckBox* CBOrthogonal = nullptr;
    TCheckBox* CBZoomText = nullptr;
    TScrollBar* SBZoom = nullptr;
    TLabel* LZoom = nullptr;
    TScrollBar* SBRotation = nullptr;
    TLabel* LRotation = nullptr;
    TScrollBar* SBElevation = nullptr;
    TLabel* LElevation = nullptr;
    TScrollBar* SBHOffset = nullptr;
    TLabel* LHOffset = nullptr;
    TScrollBar* SBVOffset = nullptr;
    TLabel* LVOffset = nullptr;
    TScrollBar* SBPerspec = nullptr;
    TLabel* LPerspec = nullptr;

    TCustomChart* Chart() const { return FChart; }
    // Set by the editor: the chart may rotate (its first active series is not a pie).
    bool AllowRotation() const { return FAllowRotation; }
    void SetAllowRotation(bool value) { FAllowRotation = value; }
    // The orthogonal box and the rotation bar after the rotation switch changed.
    void CheckControls();

    void FormShow(TObject* sender);
    void CBView3dClick(TObject* sender);
    void CBOrthogonalClick(TObject* sender);
    void CBZoomTextClick(TObject* sender);
    void SE3dChange(TObject* sender);
    void SBZoomChange(TObject* sender);
    void SBRotationChange(TObject* sender);
    void SBElevationChange(TObject* sender);
    void SBHOffsetChange(TObject* sender);
    void SBVOffsetChange(TObject* sender);
    void SBPerspecChange(TObject* sender);

private:
    // Every bar's label shows its position (the zoom's with "%").
    void ShowLabels();
    TCustomChart* FChart = nullptr;
    bool FAllowRotation = false;
};
