#include "app/GraphBase.h"

#include "chartdlg/ChartEditor.h"
#include "chartdlg/ChartPreview.h"

#include "app/DataMod.h"
#include "app/ViewHelpers.h"
#include "chart/Series.h"

#include <memory>

namespace {

void SetChartFont(TFont* font, TColor color) {
    font->SetName("Times New Roman");
    font->SetHeight(-13);
    font->SetColor(color);
    font->SetCharset(GREEK_CHARSET);
}

} // namespace

TfmGraphBase::TfmGraphBase(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmGraphBase");
    SetCaption("fmGraphBase");
    SetBounds(0, 0, 696, 503);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    actGraphProps =
        AddAction(this, ActionList1, "actGraphProps", "Ιδιότητες", 1, TextToShortCut("F11"),
                  TNotifyEvent(this, &TfmGraphBase::actGraphPropsExecute, "actGraphPropsExecute"));
    actGraphCopy =
        AddAction(this, ActionList1, "actGraphCopy", "Αντιγραφή", 0, TextToShortCut("Ctrl+Ins"),
                  TNotifyEvent(this, &TfmGraphBase::actGraphCopyExecute, "actGraphCopyExecute"));
    actGraphPrint =
        AddAction(this, ActionList1, "actGraphPrint", "Εκτύπωση", 2, scNone,
                  TNotifyEvent(this, &TfmGraphBase::actGraphPrintExecute, "actGraphPrintExecute"));

    TToolStrip strip = MakeToolStrip(this, 75, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton1 = AddToolButton(this, ToolBar1, "ToolButton1", actGraphProps);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actGraphCopy);
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actGraphPrint);

    Chart1 = new TChart(this);
    Chart1->SetName("Chart1");
    Chart1->SetParent(this);
    Chart1->SetAlign(alClient);
    Chart1->SetColor(clWindow);
    Chart1->SetAnimatedZoom(true);
    Chart1->BackWall()->Brush()->SetStyle(bsClear);
    Chart1->SetView3D(false);
    Chart1->Title()->Text()->SetText("TChart");
    SetChartFont(Chart1->Title()->Font(), clBlue);
    Chart1->Title()->Font()->SetStyle(TFontStyles{fsBold});
    SetChartFont(Chart1->BottomAxis()->Title()->Font(), clBlack);
    SetChartFont(Chart1->LeftAxis()->Title()->Font(), clBlack);
    SetChartFont(Chart1->LeftAxis()->LabelsFont(), clBlack);
    Chart1->Legend()->SetAlignment(laBottom);
    Chart1->Legend()->SetVisible(false);
    SetChartFont(Chart1->Legend()->Font(), clBlack);

    FormStorage = new TFormStorage(this);
    FormStorage->SetName("FormStorage");
    FormStorage->SetUseRegistry(true);
}

void TfmGraphBase::actGraphPropsExecute(TObject*) {
    // The editor is freed also when showing it fails; the error goes on to the
    // application's handler.
    std::unique_ptr<TChartEditForm> editor(new TChartEditForm(Application));
    editor->SetCaption("Ιδιότητες Γραφήματος");
    editor->EditedChart = Chart1;
    editor->ShowModal();
}

void TfmGraphBase::actGraphCopyExecute(TObject*) {
    Chart1->CopyAsMetafile(false);
}

void TfmGraphBase::actGraphPrintExecute(TObject*) {
    ShowChartPreview(this, Chart1);
}

bool ShowHourlyGraph(const TFloatArray& values, TDateTime startDate) {
    std::unique_ptr<TfmGraphBase> form(CreateForm<TfmGraphBase>(Application));
    auto* series = new TFastLineSeries(form.get());
    series->SetParentChart(form->Chart1);
    series->XValues()->SetDateTime(true);
    for (size_t i = 0; i < values.size(); ++i)
        series->AddXY(startDate + double(i) / 24.0, values[i], "", clAutoColor);
    return form->ShowModal() == mrOk;
}
