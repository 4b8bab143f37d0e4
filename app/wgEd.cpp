#include "app/wgEd.h"

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/FormParts.h"
#include "app/PwrCurveGr.h"
#include "framework/core/SystemUtils.h"
#include "model/Data.h"

#include <algorithm>
#include <memory>

TfmWGEd::TfmWGEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmWGEd");
    SetCaption("Στοιχεία Ανεμογεννήτριας");
    SetBounds(0, 0, 450, 380);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    actOpenPow = AddAction(this, ActionList1, "actOpenPow", "Ανοιγμα", 9, TextToShortCut("F3"),
                           TNotifyEvent(this, &TfmWGEd::actOpenPowExecute, "actOpenPowExecute"));
    actInsert = AddAction(this, ActionList1, "actInsert", "Εισαγωγή", 12, scNone,
                          TNotifyEvent(this, &TfmWGEd::actInsertExecute, "actInsertExecute"));
    actDelete = AddAction(this, ActionList1, "actDelete", "Διαγραφή", 10, scNone,
                          TNotifyEvent(this, &TfmWGEd::actDeleteExecute, "actDeleteExecute"));
    actGraph = AddAction(this, ActionList1, "actGraph", "Γράφημα", 4, scNone,
                         TNotifyEvent(this, &TfmWGEd::actGraphExecute, "actGraphExecute"));

    TToolStrip strip = MakeToolStrip(this, 70, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton1 = AddToolButton(this, ToolBar1, "ToolButton1", actOpenPow);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actInsert);
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actDelete);
    ToolButton4 = AddToolButton(this, ToolBar1, "ToolButton4", actGraph);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alTop);
    Panel1->SetHeight(72);
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetCaption("");

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(Panel1);
    Label1->SetCaption("Μοντέλο");
    Label1->SetBounds(12, 12, 60, 16);
    edModelName = new TEdit(this);
    edModelName->SetName("edModelName");
    edModelName->SetParent(Panel1);
    edModelName->SetBounds(80, 8, 250, 24);
    edModelName->SetOnChange(TNotifyEvent(this, &TfmWGEd::edModelNameChange, "edModelNameChange"));
    // Docked beside the design page's summary the editor can be narrower than the name's
    // box: the box then narrows (to the power box's width at least) to stay in view.
    Panel1->SetOnResize(TNotifyEvent([this](TObject*) {
        const int width = std::clamp(Panel1->ClientWidth() - edModelName->Left() - 8, 121, 250);
        if (edModelName->Width() != width)
            edModelName->SetWidth(width);
    }));

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(Panel1);
    Label2->SetCaption("Ισχύς:");
    Label2->SetBounds(12, 44, 60, 16);
    edPR = new TExSpinEdit(this);
    edPR->SetName("edPR");
    edPR->SetParent(Panel1);
    edPR->SetBounds(80, 40, 121, 24);
    edPR->SetAlignment(taRightJustify);
    edPR->SetOnChange(TNotifyEvent(this, &TfmWGEd::edPRChange, "edPRChange"));
    Label3 = new TLabel(this);
    Label3->SetName("Label3");
    Label3->SetParent(Panel1);
    Label3->SetCaption("Watts");
    Label3->SetBounds(208, 44, 50, 16);

    gdPC = new TExDrawGrid(this);
    gdPC->SetName("gdPC");
    gdPC->SetParent(this);
    gdPC->SetAlign(alClient);
    gdPC->SetColCount(3);
    gdPC->SetRowCount(2);
    gdPC->SetFixedCols(1);
    gdPC->SetFixedRows(1);
    // All three columns show beside the design page's summary.
    gdPC->SetColWidths(0, 48);
    gdPC->SetColWidths(1, 120);
    gdPC->SetColWidths(2, 120);
    TGridOptions options = gdPC->Options();
    options.Include(goColSizing);
    options.Include(goEditing);
    gdPC->SetOptions(options);
    gdPC->SetOnDrawCell(TDrawCellEvent(this, &TfmWGEd::gdPCDrawCell, "gdPCDrawCell"));
    gdPC->SetOnGetEditText(TGetEditEvent(this, &TfmWGEd::gdPCGetEditText, "gdPCGetEditText"));
    gdPC->SetOnSetEditText(TSetEditEvent(this, &TfmWGEd::gdPCSetEditText, "gdPCSetEditText"));
    gdPC->SetOnShowEditor(TEditShowEvent(this, &TfmWGEd::gdPCShowEditor, "gdPCShowEditor"));

    SetOnCreate(TNotifyEvent(this, &TfmWGEd::FormCreate, "FormCreate"));
}

void TfmWGEd::UpdateRowCount() {
    gdPC->SetRowCount(std::max(2, PwrCurve->PointCount() + 1));
}

void TfmWGEd::FormCreate(TObject*) {
    FLoading = true;
    try {
        UpdateRowCount();
        edModelName->SetText(PwrCurve->ModelName());
        edPR->SetValue(PwrCurve->RatedPower());
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
}

void TfmWGEd::gdPCDrawCell(TObject*, int aCol, int aRow, const TRect& rect, TGridDrawState) {
    static const char* const kHeaders[] = {"Α/Α", "Ταχύτητα (m/s)", "Ισχύς (watt)"};
    std::string text;
    if (aRow == 0) {
        if (aCol >= 0 && aCol < 3)
            text = kHeaders[aCol];
    } else if (aRow - 1 < PwrCurve->PointCount()) {
        TPwrCurvePoint p = PwrCurve->GetPoint(aRow - 1);
        if (aCol == 0)
            text = IntToStr(aRow);
        else if (aCol == 1)
            text = Format("%0.3f", {p.Speed});
        else if (aCol == 2)
            text = Format("%0.3f", {p.Power});
    }
    gdPC->DrawCellLine(rect, text, taCenter);
}

void TfmWGEd::gdPCGetEditText(TObject*, int aCol, int aRow, std::string& value) {
    value.clear();
    if (aRow < 1 || aRow - 1 >= PwrCurve->PointCount())
        return;
    TPwrCurvePoint p = PwrCurve->GetPoint(aRow - 1);
    if (aCol == 1)
        value = Format("%0.3f", {p.Speed});
    else if (aCol == 2)
        value = Format("%0.3f", {p.Power});
}

void TfmWGEd::gdPCSetEditText(TObject*, int aCol, int aRow, const std::string& value) {
    if (aRow < 1 || aRow - 1 >= PwrCurve->PointCount())
        return;
    if (aCol != 1 && aCol != 2)
        return;
    const double number = TypedReal(value, 0, aCol == 1 ? kMaxWindSpeed : kMaxPower);
    if (aCol == 1)
        PwrCurve->SetPointSpeed(aRow - 1, number);
    else
        PwrCurve->SetPointPower(aRow - 1, number);
}

// The placeholder row of an empty curve takes no input.
void TfmWGEd::gdPCShowEditor(TObject*, int, int aRow, bool& allow) {
    if (aRow - 1 >= PwrCurve->PointCount())
        allow = false;
}

void TfmWGEd::edModelNameChange(TObject*) {
    if (!FLoading)
        PwrCurve->SetModelName(edModelName->Text());
}

void TfmWGEd::edPRChange(TObject*) {
    double power;
    if (!FLoading && ReadSpin(edPR, PwrCurve->RatedPower(), power, 0, kMaxPower))
        PwrCurve->SetRatedPower(power);
}

void TfmWGEd::actOpenPowExecute(TObject*) {
    if (!dm || !dm->SelWGDlg->Execute())
        return;
    // The file is read into a curve of its own: one that fails to read raises with the
    // project's curve untouched, so a bad file never costs the user the points they have.
    auto curve = std::make_unique<TWindPwrCurve>();
    curve->LoadFromFile(dm->SelWGDlg->FileName());
    // The rated speed is the project's, not the file's.
    curve->SetRatedSpeed(PwrCurve->RatedSpeed());
    PwrCurve = std::move(curve);
    UpdateRowCount();
    gdPC->Invalidate();
}

void TfmWGEd::actInsertExecute(TObject*) {
    TPwrCurvePoint p;
    if (int n = PwrCurve->PointCount(); n > 0) {
        TPwrCurvePoint last = PwrCurve->GetPoint(n - 1);
        p.Speed = last.Speed + 1;
        p.Power = last.Power + 1;
    }
    PwrCurve->AddPoint(p);
    UpdateRowCount();
    gdPC->SetRow(PwrCurve->PointCount());
    gdPC->Invalidate();
}

void TfmWGEd::actDeleteExecute(TObject*) {
    int index = gdPC->Row() - 1;
    if (index >= 0 && index < PwrCurve->PointCount())
        PwrCurve->DeletePoint(index);
    UpdateRowCount();
    gdPC->Invalidate();
}

void TfmWGEd::actGraphExecute(TObject*) {
    if (!fmHolder)
        return;
    ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, true, nullptr,
                    TfmPwrCurveGr::StaticClass(), false);
}
