#include "app/phDataEd.h"

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/FormParts.h"
#include "app/phDataGr.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"
#include "model/Data.h"

#include <memory>

namespace {

constexpr const char* kPphFilter = "Φωτοβολταϊκά Δεδομένα|*.pph";

template <class TDialog> std::unique_ptr<TDialog> MakePphDialog(TComponent* owner) {
    auto dialog = std::make_unique<TDialog>(owner);
    dialog->SetDefaultExt("pph");
    dialog->SetFilter(kPphFilter);
    dialog->SetFilterIndex(1);
    return dialog;
}

} // namespace

TfmPhDataEd::TfmPhDataEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmPhDataEd");
    SetCaption("Ηλιοφάνεια");
    SetBounds(0, 0, 696, 480);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    using T = TfmPhDataEd;
    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    if (dm)
        ActionList1->SetImages(dm->ieHots);
    actOpenFile = AddAction(this, ActionList1, "actOpenFile", "Ανοιγμα", 9, scNone,
                            TNotifyEvent(this, &T::actOpenFileExecute, "actOpenFileExecute"));
    actSaveFile = AddAction(this, ActionList1, "actSaveFile", "Αποθήκευση", 11, scNone,
                            TNotifyEvent(this, &T::actSaveFileExecute, "actSaveFileExecute"));
    actGraph = AddAction(this, ActionList1, "actGraph", "Γράφημα", 4, scNone,
                         TNotifyEvent(this, &T::actGraphExecute, "actGraphExecute"));

    TToolStrip strip = MakeToolStrip(this, 83, 43);
    CoolBar1 = strip.CoolBar;
    ToolBar1 = strip.ToolBar;
    ToolButton1 = AddToolButton(this, ToolBar1, "ToolButton1", actOpenFile);
    ToolButton2 = AddToolButton(this, ToolBar1, "ToolButton2", actSaveFile);
    ToolButton3 = AddToolButton(this, ToolBar1, "ToolButton3", actGraph);

    gdPhData = new TExDrawGrid(this);
    gdPhData->SetName("gdPhData");
    gdPhData->SetParent(this);
    gdPhData->SetAlign(alClient);
    gdPhData->SetColCount(13);
    gdPhData->SetRowCount(25);
    gdPhData->SetDefaultRowHeight(18);
    gdPhData->SetFixedCols(1);
    gdPhData->SetFixedRows(1);
    TGridOptions options = gdPhData->Options();
    options.Include(goColSizing);
    options.Include(goEditing);
    gdPhData->SetOptions(options);
    gdPhData->SetOnDrawCell(TDrawCellEvent(this, &T::gdPhDataDrawCell, "gdPhDataDrawCell"));
    gdPhData->SetOnGetEditText(TGetEditEvent(this, &T::gdPhDataGetEditText, "gdPhDataGetEditText"));
    gdPhData->SetOnSetEditText(TSetEditEvent(this, &T::gdPhDataSetEditText, "gdPhDataSetEditText"));

    SetOnCreate(TNotifyEvent(this, &T::FormCreate, "FormCreate"));
}

void TfmPhDataEd::FormCreate(TObject*) {
    gdPhData->SetColWidths(0, 2 * gdPhData->ColWidths(1));
}

std::string TfmPhDataEd::CellText(int aCol, int aRow) const {
    if (aRow == 0) {
        if (aCol == 0)
            return "Α/Α";
        return aCol <= 12 ? ShortMonthNames[size_t(aCol - 1)] : "";
    }
    if (aRow > 24 || aCol > 12)
        return {};
    if (aCol == 0)
        return Format("%0.2d:00-%0.2d:00", {aRow - 1, aRow});
    return Format("%0.3f", {PhFactors->GetFactor(aCol, aRow - 1)});
}

void TfmPhDataEd::gdPhDataDrawCell(TObject*, int aCol, int aRow, const TRect& rect,
                                   TGridDrawState) {
    gdPhData->DrawCellLine(rect, CellText(aCol, aRow), taCenter);
}

void TfmPhDataEd::gdPhDataGetEditText(TObject*, int aCol, int aRow, std::string& value) {
    value.clear();
    if (aCol >= 1 && aCol <= 12 && aRow >= 1 && aRow <= 24)
        value = CellText(aCol, aRow);
}

void TfmPhDataEd::gdPhDataSetEditText(TObject*, int aCol, int aRow, const std::string& value) {
    if (aCol < 1 || aCol > 12 || aRow < 1 || aRow > 24)
        return;
    PhFactors->SetFactor(aCol, aRow - 1, TypedReal(value, 0, kMaxSunshineFactor));
}

void TfmPhDataEd::actOpenFileExecute(TObject*) {
    auto dialog = MakePphDialog<TOpenDialog>(this);
    if (!dialog->Execute())
        return;
    // Read into factors of their own and taken over only when the whole file was read: a
    // file that fails part-way raises with the project's factors as they were.
    auto factors = std::make_unique<TPhFactors>();
    factors->LoadFromFile(dialog->FileName());
    PhFactors = std::move(factors);
    gdPhData->Invalidate();
}

void TfmPhDataEd::actSaveFileExecute(TObject*) {
    auto dialog = MakePphDialog<TSaveDialog>(this);
    if (!dialog->Execute())
        return;
    PhFactors->SaveToFile(dialog->FileName());
    gdPhData->Invalidate();
}

void TfmPhDataEd::actGraphExecute(TObject*) {
    if (!fmHolder)
        return;
    ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, true, nullptr,
                    TfmPhDataGr::StaticClass(), false);
}
