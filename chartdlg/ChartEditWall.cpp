#include "chartdlg/ChartEditWall.h"

#include "chart/ChartConst.h"
#include "chartdlg/BrushDlg.h"
#include "chartdlg/PenDlg.h"

using namespace ChartEdit;

TFormChartWall::TFormChartWall(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartWall");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    using T = TFormChartWall;
    CBView3dWalls = MakeCheck(this, this, "CBView3dWalls", "&Visible Walls", 8, 6, 140,
                              TNotifyEvent(this, &T::CBView3dWallsClick, "CBView3dWallsClick"));
    TabSubWalls = PlaceControl<TTabControl>(this, this, "TabSubWalls", 8, 30, 384, 186);
    TabSubWalls->SetHotTrack(true);
    TabSubWalls->Tabs()->Add("Left Wall");
    TabSubWalls->Tabs()->Add("Bottom Wall");
    TabSubWalls->Tabs()->Add("Back Wall");
    TabSubWalls->SetTabIndex(0);
    TabSubWalls->SetOnChange(TNotifyEvent(this, &T::TabSubWallsChange, "TabSubWallsChange"));

    BWallColor = MakeButton(this, TabSubWalls, "BWallColor", "&Background...", 12, 36, 110,
                            TNotifyEvent(this, &T::BWallColorClick, "BWallColorClick"));
    SHWallColor = PlaceControl<TShape>(this, TabSubWalls, "SHWallColor", 130, 40, 24, 17);
    SHWallColor->SetCursor(crChartHand);
    SHWallColor->SetOnMouseUp(TMouseEvent(this, &T::SHWallColorMouseUp, "SHWallColorMouseUp"));
    BWallPen = MakeButton(this, TabSubWalls, "BWallPen", "B&order...", 12, 70, 110,
                          TNotifyEvent(this, &T::BWallPenClick, "BWallPenClick"));
    BWallBrush = MakeButton(this, TabSubWalls, "BWallBrush", "&Pattern...", 12, 104, 110,
                            TNotifyEvent(this, &T::BWallBrushClick, "BWallBrushClick"));
    MakeLabel(this, TabSubWalls, "L1", "Siz&e:", 180, 40, 40);
    MakeSpin(this, TabSubWalls, SEWallSize, UDWallSize, "SEWallSize", "UDWallSize", 222, 36, 44, 0,
             100, 1, 0, TNotifyEvent(this, &T::SEWallSizeChange, "SEWallSizeChange"));
    CBWallTransp = MakeCheck(this, TabSubWalls, "CBWallTransp", "&Transparent", 180, 74, 150,
                             TNotifyEvent(this, &T::CBWallTranspClick, "CBWallTranspClick"));
    CBDark3D = MakeCheck(this, TabSubWalls, "CBDark3D", "&Dark 3D", 180, 104, 150,
                         TNotifyEvent(this, &T::CBDark3DClick, "CBDark3DClick"));

    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
}

TFormChartWall* TFormChartWall::CreateForWall(TComponent* owner, TChartWall* wall) {
    auto* page = CreateForm<TFormChartWall>(owner);
    page->FWall = wall;
    return page;
}

void TFormChartWall::FormShow(TObject*) {
    FLoading = true;
    TCustomChart* chart = FWall->ParentChart();
    int tab = 2;
    if (chart && FWall == chart->LeftWall())
        tab = 0;
    else if (chart && FWall == chart->BottomWall())
        tab = 1;
    TabSubWalls->SetTabIndex(tab);
    FillPage();
    FLoading = false;
}

void TFormChartWall::TabSubWallsChange(TObject*) {
    TCustomChart* chart = FWall->ParentChart();
    if (!chart)
        return;
    switch (TabSubWalls->TabIndex()) {
    case 0:
        FWall = chart->LeftWall();
        break;
    case 1:
        FWall = chart->BottomWall();
        break;
    default:
        FWall = chart->BackWall();
        break;
    }
    FillPage();
}

void TFormChartWall::FillPage() {
    TFlagGuard guard(FLoading);
    if (TCustomChart* chart = FWall->ParentChart())
        CBView3dWalls->SetChecked(chart->View3DWalls());
    UDWallSize->SetPosition(FWall->Size());
    CBWallTransp->SetChecked(FWall->Brush()->Style() == bsClear);
    CBDark3D->SetChecked(FWall->Dark3D());
    CBDark3D->SetEnabled(FWall->Size() > 0);
    RefreshSwatch();
}

void TFormChartWall::RefreshSwatch() {
    SHWallColor->Brush()->SetColor(FWall->Color() == clAutoColor ? clBtnFace : FWall->Color());
}

void TFormChartWall::SEWallSizeChange(TObject*) {
    if (FLoading)
        return;
    FWall->SetSize(UDWallSize->Position());
    CBDark3D->SetEnabled(FWall->Size() > 0);
}

void TFormChartWall::BWallColorClick(TObject*) {
    FWall->SetColor(EditColor(this, FWall->Color()));
    RefreshSwatch();
}

void TFormChartWall::SHWallColorMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    BWallColorClick(this);
}

void TFormChartWall::BWallPenClick(TObject*) {
    EditChartPen(this, FWall->Pen());
}

void TFormChartWall::BWallBrushClick(TObject*) {
    EditChartBrush(this, FWall->Brush());
}

void TFormChartWall::CBView3dWallsClick(TObject*) {
    if (!FLoading && FWall->ParentChart())
        FWall->ParentChart()->SetView3DWalls(CBView3dWalls->Checked());
}

void TFormChartWall::CBDark3DClick(TObject*) {
    if (!FLoading)
        FWall->SetDark3D(CBDark3D->Checked());
}

void TFormChartWall::CBWallTranspClick(TObject*) {
    if (FLoading)
        return;
    // Only the style changes: a pattern bitmap of the brush stays.
    FWall->Brush()->SetStyle(CBWallTransp->Checked() ? bsClear : bsSolid);
    if (!CBWallTransp->Checked() && FWall->Color() == clAutoColor) {
        FWall->SetColor(clSilver);
        RefreshSwatch();
    }
}
