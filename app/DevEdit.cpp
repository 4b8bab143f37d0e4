#include "app/DevEdit.h"

#include "app/DataMod.h"
#include "app/FormParts.h"
#include "app/ViewHelpers.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/ControlPlacing.h"
#include "model/Data.h"

#include <memory>

namespace {

constexpr int kHours = 24;

} // namespace

TfmDevEdit::TfmDevEdit(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmDevEdit");
    SetCaption("Ημερήσιος Πίνακας Λειτουργιας");
    SetBorderStyle(bsDialog);
    SetClientWidth(577);
    SetClientHeight(423);
    Font()->SetHeight(-13);
    using T = TfmDevEdit;

    Image1 = PlaceControl<TImage>(this, this, "Image1", 8, 8, 32, 32);

    auto label = [this](const std::string& name, const std::string& caption, int left, int top) {
        return PlaceControl<TLabel>(this, this, name, left, top, 80, 16, caption);
    };
    Label1 = label("Label1", "Περιγραφή:", 56, 12);
    edDESCRIPTION = PlaceControl<TEdit>(this, this, "edDESCRIPTION", 140, 8, 300, 24);
    edDESCRIPTION->SetOnChange(TNotifyEvent(this, &T::edDESCRIPTIONChange, "edDESCRIPTIONChange"));

    Label2 = label("Label2", "Ισχύς:", 56, 44);
    edRATEDPOWER = PlaceControl<TExSpinEdit>(this, this, "edRATEDPOWER", 140, 40, 120, 24);
    edRATEDPOWER->SetMaxLength(100000);
    edRATEDPOWER->SetOnChange(TNotifyEvent(this, &T::edRATEDPOWERChange, "edRATEDPOWERChange"));
    edRATEDPOWER->SetOnMouseWheelUp(
        TMouseWheelUpDownEvent(this, &T::edRATEDPOWERMouseWheelUp, "edRATEDPOWERMouseWheelUp"));
    edRATEDPOWER->SetOnMouseWheelDown(
        TMouseWheelUpDownEvent(this, &T::edRATEDPOWERMouseWheelDown, "edRATEDPOWERMouseWheelDown"));
    Label3 = label("Label3", "Watts", 268, 44);

    Label4 = label("Label4", "Περίοδος", 8, 80);
    cbSSn = PlaceControl<TComboBox>(this, this, "cbSSn", 8, 98, 220, 24);
    cbSSn->SetStyle(csDropDownList);
    cbSSn->SetOnChange(TNotifyEvent(this, &T::cbSSnChange, "cbSSnChange"));
    Label5 = label("Label5", "Λειτουργία", 240, 80);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    PopupMenu1->SetOnPopup(TNotifyEvent(this, &T::PopupMenu1Popup, "PopupMenu1Popup"));
    auto item = [this](const std::string& name, const std::string& caption, TNotifyEvent onClick) {
        auto* m = new TMenuItem(this);
        m->SetName(name);
        m->SetCaption(caption);
        m->SetOnClick(std::move(onClick));
        PopupMenu1->Items()->Add(m);
        return m;
    };
    mOpOff =
        item("mOpOff", "Εκτός Λειτουργίας", TNotifyEvent(this, &T::mOpOffClick, "mOpOffClick"));
    mOpFull =
        item("mOpFull", "Πλήρης Λειτουργία", TNotifyEvent(this, &T::mOpFullClick, "mOpFullClick"));
    N1 = item("N1", "-", nullptr);
    mAsPrev =
        item("mAsPrev", "Οπως η προηγούμενη", TNotifyEvent(this, &T::mAsPrevClick, "mAsPrevClick"));

    gdFactors = PlaceControl<TExDrawGrid>(this, this, "gdFactors", 8, 130, 226, 284);
    gdFactors->SetColCount(2);
    gdFactors->SetRowCount(kHours + 1);
    gdFactors->SetFixedCols(1);
    gdFactors->SetFixedRows(1);
    gdFactors->SetDefaultColWidth(100);
    gdFactors->SetDefaultRowHeight(18);
    gdFactors->SetOptions(gdFactors->Options() + TGridOptions{goColSizing, goEditing});
    gdFactors->SetPopupMenu(PopupMenu1);
    gdFactors->SetOnDrawCell(TDrawCellEvent(this, &T::gdFactorsDrawCell, "gdFactorsDrawCell"));
    gdFactors->SetOnGetEditText(
        TGetEditEvent(this, &T::gdFactorsGetEditText, "gdFactorsGetEditText"));
    gdFactors->SetOnSetEditText(
        TSetEditEvent(this, &T::gdFactorsSetEditText, "gdFactorsSetEditText"));

    Chart1 = PlaceControl<TChart>(this, this, "Chart1", 240, 98, 329, 280);
    Chart1->SetAllowZoom(false);
    Chart1->SetAllowPanning(pmNone);
    Chart1->Title()->SetVisible(false);
    Chart1->Legend()->SetVisible(false);
    Chart1->Frame()->SetVisible(false);
    Chart1->SetAxisVisible(false);
    Chart1->BackWall()->Pen()->SetVisible(false);
    Chart1->SetView3D(false);
    Chart1->SetClipPoints(false);
    Chart1->LeftAxis()->SetAutomatic(false);
    Chart1->LeftAxis()->SetMinMax(0, 1);
    Series1 = new TAreaSeries(this);
    Series1->SetName("Series1");
    Series1->SetSeriesColor(clRed);
    Series1->SetStairs(true);
    Series1->Marks()->SetVisible(false);
    Series1->SetParentChart(Chart1);

    BtnOK = PlaceControl<TButton>(this, this, "BtnOK", 394, 388, 83, 27, "OK");
    BtnOK->SetDefault(true);
    BtnOK->SetModalResult(mrOk);
    Button1 = PlaceControl<TButton>(this, this, "Button1", 486, 388, 83, 27, "Κλείσιμο");
    Button1->SetCancel(true);
    Button1->SetModalResult(mrCancel);

    SetOnCreate(TNotifyEvent(this, &T::FormCreate, "FormCreate"));
}

TfmDevEdit* TfmDevEdit::CreateForDevice(TDeviceEl* device) {
    auto* form = CreateForm<TfmDevEdit>(Application);
    form->FDevice = device;
    // The editor reads and writes a profile per period: a device read from a list file
    // holds only the first until now.
    device->EnsureSeasons(std::max(form->cbSSn->Items()->Count(), 1) - 1);
    form->edDESCRIPTION->SetText(device->Name());
    form->FLoading = true;
    form->edRATEDPOWER->SetValue(device->RatedPower());
    form->FLoading = false;
    if (dm) {
        TImageList* images = dm->LargeImages;
        TBitmap* bitmap = form->Image1->Picture()->Bitmap();
        bitmap->SetSize(images->Width(), images->Height());
        const TColor background = images->BkColor();
        images->SetBkColor(clBtnFace);
        try {
            bitmap->Canvas()->Brush()->SetColor(clBtnFace);
            bitmap->Canvas()->FillRect(Rect(0, 0, images->Width(), images->Height()));
            images->Draw(bitmap->Canvas(), 0, 0, device->ImageIndex());
        } catch (...) {
            images->SetBkColor(background);
            throw;
        }
        images->SetBkColor(background);
        form->Image1->Invalidate();
    }
    form->RefreshChart();
    return form;
}

void EditDevice(TDeviceEl* device) {
    std::unique_ptr<TfmDevEdit> form(TfmDevEdit::CreateForDevice(device));
    form->ShowModal();
}

int TfmDevEdit::Period() const {
    return std::max(cbSSn->ItemIndex(), 0);
}

void TfmDevEdit::FormCreate(TObject*) {
    cbSSn->Items()->Clear();
    if (SeasonList)
        for (int i = 0; i < SeasonList->Count(); ++i)
            cbSSn->Items()->Add(SeasonList->GetSeason(i)->Description());
    cbSSn->SetItemIndex(0);
}

void TfmDevEdit::cbSSnChange(TObject*) {
    gdFactors->Invalidate();
    RefreshChart();
}

void TfmDevEdit::gdFactorsDrawCell(TObject*, int aCol, int aRow, const TRect& rect,
                                   TGridDrawState) {
    std::string text;
    if (aRow == 0)
        text = aCol == 0 ? "Διάστημα" : "Πιθανότητα";
    else if (aCol == 0)
        text = Format("%0.2d:00-%0.2d:00", {aRow - 1, aRow});
    else if (FDevice)
        text = Format("%5.2f%%", {100.0 * FDevice->HourOps().GetFactor(Period(), aRow - 1)});
    DrawCellCentered(gdFactors->Canvas(), rect, text);
}

void TfmDevEdit::gdFactorsGetEditText(TObject*, int aCol, int aRow, std::string& value) {
    if (FDevice && aCol == 1 && aRow >= 1)
        value = FloatToStr(FDevice->HourOps().GetFactor(Period(), aRow - 1));
}

void TfmDevEdit::gdFactorsSetEditText(TObject*, int aCol, int aRow, const std::string& value) {
    if (!FDevice || aCol != 1 || aRow < 1)
        return;
    const size_t percent = value.find('%');
    const double factor =
        percent == std::string::npos
            ? TypedNumber(value, 0, 1, kMinHourFactor)
            : TypedNumber(value.substr(0, percent), 0, 100, 100 * kMinHourFactor) / 100.0;
    if (factor < 0 || factor > 1)
        throw Exception("Value must be between 0.00 - 1.00");
    // A factor so small that the year's load could be too small to divide by.
    CheckRange(factor, 0, 1, kMinHourFactor);
    FDevice->HourOps().SetFactor(Period(), aRow - 1, factor);
    if (aRow - 1 < Series1->Count())
        Series1->SetYValueAt(aRow - 1, factor);
    Chart1->Invalidate();
}

void TfmDevEdit::edDESCRIPTIONChange(TObject*) {
    if (FDevice)
        FDevice->SetName(edDESCRIPTION->Text());
}

void TfmDevEdit::edRATEDPOWERChange(TObject*) {
    double power;
    if (FDevice && !FLoading && ReadSpin(edRATEDPOWER, FDevice->RatedPower(), power, 0, kMaxPower))
        FDevice->SetRatedPower(power);
}

void TfmDevEdit::edRATEDPOWERMouseWheelUp(TObject*, TShiftState, TPoint, bool&) {
    edRATEDPOWER->StepUp();
}

void TfmDevEdit::edRATEDPOWERMouseWheelDown(TObject*, TShiftState, TPoint, bool&) {
    edRATEDPOWER->StepDown();
}

void TfmDevEdit::PopupMenu1Popup(TObject*) {
    mAsPrev->SetEnabled(Period() > 0);
}

void TfmDevEdit::SetWholeDay(double value) {
    if (!FDevice)
        return;
    for (int h = 0; h < kHours; ++h)
        FDevice->HourOps().SetFactor(Period(), h, value);
    gdFactors->Invalidate();
    RefreshChart();
}

void TfmDevEdit::mOpOffClick(TObject*) {
    SetWholeDay(0);
}

void TfmDevEdit::mOpFullClick(TObject*) {
    SetWholeDay(1);
}

void TfmDevEdit::mAsPrevClick(TObject*) {
    const int period = Period();
    if (!FDevice || period == 0)
        return;
    for (int h = 0; h < kHours; ++h)
        FDevice->HourOps().SetFactor(period, h, FDevice->HourOps().GetFactor(period - 1, h));
    gdFactors->Invalidate();
    RefreshChart();
}

void TfmDevEdit::RefreshChart() {
    Series1->ClearValues();
    if (!FDevice)
        return;
    for (int h = 0; h < kHours; ++h)
        Series1->AddXY(h, FDevice->HourOps().GetFactor(Period(), h));
}
