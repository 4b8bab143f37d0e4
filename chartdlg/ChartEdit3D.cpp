#include "chartdlg/ChartEdit3D.h"

#include "chartdlg/PenDlg.h"
#include "framework/core/SystemUtils.h"

using namespace ChartEdit;

namespace {

TScrollBar* MakeBar(TComponent* owner, TWinControl* parent, const char* name, int top, int min,
                    int max, TNotifyEvent onChange) {
    TScrollBar* bar = PlaceControl<TScrollBar>(owner, parent, name, 96, top, 200, 17);
    bar->SetParams(min, min, max);
    bar->SetLargeChange(20);
    bar->SetOnChange(std::move(onChange));
    return bar;
}

} // namespace

TFormChart3D::TFormChart3D(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChart3D");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    using T = TFormChart3D;
    GB3D = PlaceControl<TGroupBox>(this, this, "GB3D", 8, 4, 384, 214, "");
    CBView3d = MakeCheck(this, GB3D, "CBView3d", "&3 Dimensions", 8, 10, 110,
                         TNotifyEvent(this, &T::CBView3dClick, "CBView3dClick"));
    MakeLabel(this, GB3D, "L1", "3&D %:", 124, 12, 40);
    MakeSpin(this, GB3D, SE3d, UD3D, "SE3d", "UD3D", 166, 8, 40, 1, 100, 5, 15,
             TNotifyEvent(this, &T::SE3dChange, "SE3dChange"));
    CBOrthogonal = MakeCheck(this, GB3D, "CBOrthogonal", "&Orthogonal", 230, 10, 110,
                             TNotifyEvent(this, &T::CBOrthogonalClick, "CBOrthogonalClick"));
    CBZoomText = MakeCheck(this, GB3D, "CBZoomText", "Zoom &Text", 230, 34, 110,
                           TNotifyEvent(this, &T::CBZoomTextClick, "CBZoomTextClick"));

    struct TBarPlace {
        TScrollBar** Bar;
        TLabel** Value;
        const char* Name;
        const char* LabelName;
        const char* Caption;
        int Min, Max;
        void (T::*Handler)(TObject*);
        const char* HandlerName;
    };
    const TBarPlace bars[] = {
        {&SBZoom, &LZoom, "SBZoom", "LZoom", "&Zoom:", 1, 500, &T::SBZoomChange, "SBZoomChange"},
        {&SBRotation, &LRotation, "SBRotation", "LRotation", "&Rotation:", 270, 360,
         &T::SBRotationChange, "SBRotationChange"},
        {&SBElevation, &LElevation, "SBElevation", "LElevation", "E&levation:", 270, 360,
         &T::SBElevationChange, "SBElevationChange"},
        {&SBHOffset, &LHOffset, "SBHOffset", "LHOffset", "&Horiz. Offset:", -1500, 1500,
         &T::SBHOffsetChange, "SBHOffsetChange"},
        {&SBVOffset, &LVOffset, "SBVOffset", "LVOffset", "&Vert. Offset:", -1500, 1500,
         &T::SBVOffsetChange, "SBVOffsetChange"},
        {&SBPerspec, &LPerspec, "SBPerspec", "LPerspec", "&Perspective:", 0, 100,
         &T::SBPerspecChange, "SBPerspecChange"},
    };
    int top = 64;
    for (const TBarPlace& place : bars) {
        TLabel* caption = MakeLabel(this, GB3D, "", place.Caption, 8, top, 86);
        *place.Bar = MakeBar(this, GB3D, place.Name, top, place.Min, place.Max,
                             TNotifyEvent(this, place.Handler, place.HandlerName));
        caption->SetFocusControl(*place.Bar);
        *place.Value = MakeLabel(this, GB3D, place.LabelName, "", 304, top, 60);
        top += 24;
    }

    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
}

TFormChart3D* TFormChart3D::CreateForChart(TComponent* owner, TCustomChart* chart) {
    auto* page = CreateForm<TFormChart3D>(owner);
    page->FChart = chart;
    return page;
}

void TFormChart3D::ShowLabels() {
    LZoom->SetCaption(IntToStr(SBZoom->Position()) + "%");
    LRotation->SetCaption(IntToStr(SBRotation->Position()));
    LElevation->SetCaption(IntToStr(SBElevation->Position()));
    LHOffset->SetCaption(IntToStr(SBHOffset->Position()));
    LVOffset->SetCaption(IntToStr(SBVOffset->Position()));
    LPerspec->SetCaption(IntToStr(SBPerspec->Position()));
}

void TFormChart3D::FormShow(TObject*) {
    FLoading = true;
    const bool view3D = FChart->View3D();
    TView3DOptions* options = FChart->View3DOptions();
    CBView3d->SetChecked(view3D);
    SetControlsEnabled(view3D, {SE3d, UD3D});
    UD3D->SetPosition(FChart->Chart3DPercent());
    // The chart canvas cannot rotate fully: rotation and elevation stay within 270..360.
    SBRotation->SetMin(270);
    SBElevation->SetMin(270);
    CBOrthogonal->SetEnabled(view3D && FAllowRotation);
    // A value outside a bar's range is shown clamped and left as it is in the chart.
    SBZoom->SetPosition(options->Zoom());
    CBOrthogonal->SetChecked(options->Orthogonal());
    SBRotation->SetPosition(options->Rotation());
    SBElevation->SetPosition(options->Elevation());
    SBHOffset->SetPosition(options->HorizOffset());
    SBVOffset->SetPosition(options->VertOffset());
    CBZoomText->SetChecked(options->ZoomText());
    SBPerspec->SetPosition(options->Perspective());
    SBRotation->SetEnabled(CBOrthogonal->Enabled() && !options->Orthogonal());
    SetControlsEnabled(view3D && !options->Orthogonal(), {SBElevation, SBPerspec});
    SetControlsEnabled(view3D, {SBHOffset, SBVOffset, SBZoom, CBZoomText});
    ShowLabels();
    FLoading = false;
}

void TFormChart3D::CheckControls() {
    CBOrthogonal->SetEnabled(FChart->View3D() && FAllowRotation);
    SBRotation->SetEnabled(CBOrthogonal->Enabled() && !FChart->View3DOptions()->Orthogonal());
}

void TFormChart3D::CBView3dClick(TObject*) {
    if (FLoading)
        return;
    FChart->SetView3D(CBView3d->Checked());
    const bool view3D = FChart->View3D();
    const bool orthogonal = FChart->View3DOptions()->Orthogonal();
    SetControlsEnabled(view3D, {SE3d, UD3D});
    CBOrthogonal->SetEnabled(view3D && FAllowRotation);
    SBRotation->SetEnabled(view3D && !orthogonal && FAllowRotation);
    SetControlsEnabled(view3D && !orthogonal, {SBElevation, SBPerspec});
    SetControlsEnabled(view3D, {SBHOffset, SBVOffset, SBZoom, CBZoomText});
}

void TFormChart3D::CBOrthogonalClick(TObject*) {
    if (FLoading)
        return;
    FChart->View3DOptions()->SetOrthogonal(CBOrthogonal->Checked());
    const bool orthogonal = FChart->View3DOptions()->Orthogonal();
    SBRotation->SetEnabled(!orthogonal && FAllowRotation);
    SetControlsEnabled(!orthogonal, {SBElevation, SBPerspec});
}

void TFormChart3D::CBZoomTextClick(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetZoomText(CBZoomText->Checked());
}

void TFormChart3D::SE3dChange(TObject*) {
    if (!FLoading)
        FChart->SetChart3DPercent(UD3D->Position());
}

void TFormChart3D::SBZoomChange(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetZoom(SBZoom->Position());
    ShowLabels();
}

void TFormChart3D::SBRotationChange(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetRotation(SBRotation->Position());
    ShowLabels();
}

void TFormChart3D::SBElevationChange(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetElevation(SBElevation->Position());
    ShowLabels();
}

void TFormChart3D::SBHOffsetChange(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetHorizOffset(SBHOffset->Position());
    ShowLabels();
}

void TFormChart3D::SBVOffsetChange(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetVertOffset(SBVOffset->Position());
    ShowLabels();
}

void TFormChart3D::SBPerspecChange(TObject*) {
    if (!FLoading)
        FChart->View3DOptions()->SetPerspective(SBPerspec->Position());
    ShowLabels();
}
