#include "app/EnergyGraph.h"

#include "chart/Series.h"

TfmEnergyGraph::TfmEnergyGraph(TComponent* owner) : TfmGraphBase(owner) {
    TLoadingBracket loading(this);
    SetName("fmEnergyGraph");
    SetCaption("fmEnergyGraph");
    Chart1->SetAllowZoom(false);
    Chart1->SetAllowPanning(pmNone);
    Chart1->SetAxisVisible(false);
    // The frame is the back wall's outline.
    Chart1->BackWall()->Pen()->SetVisible(false);
    Chart1->SetClipPoints(false);
    Chart1->Legend()->SetVisible(true);
    Chart1->Legend()->SetTextStyle(ltsRightPercent);
    Chart1->SetView3D(true);
    Chart1->View3DOptions()->SetElevation(315);
    Chart1->View3DOptions()->SetRotation(360);
    Chart1->View3DOptions()->SetOrthogonal(false);
    Chart1->SetView3DWalls(false);

    Series1 = new TPieSeries(this);
    Series1->SetName("Series1");
    Series1->SetTitle("Καλυψη Ζήτησης");
    Series1->Marks()->SetVisible(true);
    Series1->OtherSlice()->SetText("Other");
    Series1->SetParentChart(Chart1);
}
