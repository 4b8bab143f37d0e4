#pragma once
// The chart editor's "Walls" page: the left, bottom and back wall's colour, border,
// pattern, size, transparency and dark sides, and whether the chart shows walls.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChartWall : public TChartEditPage {
    ORV_CLASS(TFormChartWall, TChartEditPage)
public:
    explicit TFormChartWall(TComponent* owner);
    static TFormChartWall* CreateForWall(TComponent* owner, TChartWall* wall);

    TCheckBox* CBView3dWalls = nullptr;
    TTabControl* TabSubWalls = nullptr;
    TButton* BWallColor = nullptr;
    TShape* SHWallColor = nullptr;
    TButton* BWallPen = nullptr;
    TButton* BWallBrush = nullptr;
    TEdit* SEWallSize = nullptr;
    TUpDown* UDWallSize = nullptr;
    TCheckBox* CBWallTransp = nullptr;
    TCheckBox* CBDark3D = nullptr;

    TChartWall* Wall() const { return FWall; }

    void FormShow(TObject* sender);
    void TabSubWallsChange(TObject* sender);
    void SEWallSizeChange(TObject* sender);
    void BWallColorClick(TObject* sender);
    void SHWallColorMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void BWallPenClick(TObject* sender);
    void BWallBrushClick(TObject* sender);
    void CBView3dWallsClick(TObject* sender);
    void CBDark3DClick(TObject* sender);
    void CBWallTranspClick(TObject* sender);

private:
    void FillPage();
    void RefreshSwatch();
    TChartWall* FWall = nullptr;
};
