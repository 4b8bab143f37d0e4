#include "chartdlg/ChartListBox.h"

#include "chart/ChartConst.h"
#include "chartdlg/ChartGallery.h"
#include "chartdlg/PenDlg.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"

#include <algorithm>

namespace {

constexpr int kItemHeight = 27;

std::string SeriesText(const TChartSeries* series) {
    return series->Title().empty() ? series->Name() : series->Title();
}

// Whether the series' own locks forbid deleting it.
bool DeleteLocked(const TChartSeries* series) {
    const TChartSeriesStyle style = series->Style();
    return series->ComponentState().Contains(csAncestor) || style.Contains(tssIsTemplate) ||
           style.Contains(tssDenyDelete);
}

} // namespace

TChartListBox::TChartListBox(TComponent* owner)
    : TCustomListBox(owner), FSections{{26, true}, {16, true}, {26, true}, {216, true}},
      FBitmap(std::make_unique<TBitmap>()) {
    SetStyle(lbOwnerDrawFixed);
    SetItemHeight(kItemHeight);
    SetSorted(false);
    SetMultiSelect(true);
    FCheckBox = new TCheckBox(this);
    FCheckBox->SetVisible(false);
    FCheckBox->SetCaption("");
    FCheckBox->SetBounds(0, 0, 12, 12);
    FBitmap->SetTransparent(true);
}

TChartListBox::~TChartListBox() {
    FOtherItems = nullptr;
    if (FChart)
        FChart->RemoveFreeNotification(this);
    for (int i = 0; i < Count(); ++i)
        if (TChartSeries* series = SeriesAt(i))
            series->RemoveFreeNotification(this);
}

void TChartListBox::Publish(TPublisher<TChartListBox>& p) {
    using T = TChartListBox;
    p.Bool("AllowDeleteSeries", &T::AllowDeleteSeries, &T::SetAllowDeleteSeries).Default(true);
    p.Bool("AskDelete", &T::AskDelete, &T::SetAskDelete).Default(true);
    p.Bool("ShowActiveCheck", &T::ShowActiveCheck, &T::SetShowActiveCheck).Default(true);
    p.Bool("ShowSeriesColor", &T::ShowSeriesColor, &T::SetShowSeriesColor).Default(true);
    p.Bool("ShowSeriesIcon", &T::ShowSeriesIcon, &T::SetShowSeriesIcon).Default(true);
    p.Bool("ShowSeriesTitle", &T::ShowSeriesTitle, &T::SetShowSeriesTitle).Default(true);
}

// ---- Columns

void TChartListBox::SetSectionVisible(int index, bool value) {
    if (FSections[size_t(index)].Visible == value)
        return;
    FSections[size_t(index)].Visible = value;
    Invalidate();
}

int TChartListBox::SectionLeft(int index) const {
    int left = 0;
    for (int i = 0; i < index && i < int(FSections.size()); ++i)
        if (FSections[size_t(i)].Visible)
            left += FSections[size_t(i)].Width;
    return left;
}

int TChartListBox::SectionAt(int x) const {
    for (int i = 0; i < int(FSections.size()); ++i) {
        const TListBoxSection& s = FSections[size_t(i)];
        const int left = SectionLeft(i);
        if (s.Visible && left < x && x < left + s.Width)
            return i;
    }
    return -1;
}

// ---- The chart and the items

void TChartListBox::SetChart(TCustomChart* value) {
    if (FChart == value)
        return;
    if (FChart)
        FChart->RemoveFreeNotification(this);
    FChart = value;
    if (FChart) {
        FChart->FreeNotification(this);
        FillSeries(nullptr);
    } else {
        ClearItems();
        DoRefresh();
    }
}

void TChartListBox::Watch(TChartSeries* series) {
    series->FreeNotification(this);
}

void TChartListBox::ClearItems() {
    for (int i = 0; i < Count(); ++i)
        if (TChartSeries* series = SeriesAt(i))
            series->RemoveFreeNotification(this);
    Items()->Clear();
    if (FOtherItems)
        FOtherItems->Clear();
}

void TChartListBox::FillSeries(TChartSeries* seriesToSelect) {
    ClearItems();
    if (FChart) {
        for (TChartSeries* series : FChart->SeriesList()) {
            Items()->AddObject(SeriesText(series), series);
            if (FOtherItems)
                FOtherItems->AddObject(SeriesText(series), series);
            Watch(series);
        }
    }
    int index = seriesToSelect ? Items()->IndexOfObject(seriesToSelect) : -1;
    if (index < 0 && Count() > 0)
        index = 0;
    ClearSelection();
    SetItemIndex(index);
    if (index >= 0)
        SetSelected(index, true);
    else
        DoOtherItemsChange();
    DoRefresh();
}

TChartSeries* TChartListBox::SeriesAt(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return static_cast<TChartSeries*>(Items()->GetObject(index));
}

TChartSeries* TChartListBox::CurrentSeries() const {
    const int index = ItemIndex();
    if (index < 0 || !FChart || index >= FChart->SeriesCount())
        return nullptr;
    return SeriesAt(index);
}

void TChartListBox::RemoveItemOf(TComponent* series) {
    const int index = Items()->IndexOfObject(series);
    if (index < 0)
        return;
    const int current = ItemIndex();
    Items()->Delete(index);
    // The mirror's owner may have dropped the series already.
    if (FOtherItems) {
        const int other = FOtherItems->IndexOfObject(series);
        if (other >= 0)
            FOtherItems->Delete(other);
    }
    if (Count() > 0 && current >= 0) {
        const int next = std::min(current, Count() - 1);
        SetItemIndex(next);
        SetSelected(next, true);
    }
    DoOtherItemsChange();
    DoRefresh();
}

void TChartListBox::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomListBox::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FCheckBox) {
        FCheckBox = nullptr;
    } else if (component == FChart) {
        FChart = nullptr;
        ClearItems();
        DoRefresh();
    } else if (Items()->IndexOfObject(component) >= 0) {
        RemoveItemOf(component);
    }
}

void TChartListBox::DoRefresh() {
    if (FOnRefresh)
        FOnRefresh(this);
}

void TChartListBox::DoOtherItemsChange() {
    if (FOnOtherItemsChange)
        FOnOtherItemsChange(this);
}

// ---- Operations

void TChartListBox::ExchangeItems(int a, int b) {
    if (!FChart || a == b || a < 0 || b < 0 || a >= Count() || b >= Count())
        return;
    Items()->Exchange(a, b);
    if (FOtherItems && a < FOtherItems->Count() && b < FOtherItems->Count())
        FOtherItems->Exchange(a, b);
    FChart->ExchangeSeries(a, b);
    if (CanFocus())
        SetFocus();
    ClearSelection();
    SetItemIndex(b);
    SetSelected(b, true);
    Invalidate();
    DoRefresh();
}

void TChartListBox::MoveUp() {
    const int index = ItemIndex();
    if (index > 0)
        ExchangeItems(index, index - 1);
}

void TChartListBox::MoveDown() {
    const int index = ItemIndex();
    if (index >= 0 && index < Count() - 1)
        ExchangeItems(index, index + 1);
}

bool TChartListBox::CanDeleteCurrent() const {
    if (!FAllowDeleteSeries || !FChart || FChart->SeriesCount() == 0)
        return false;
    TChartSeries* current = CurrentSeries();
    if (current && DeleteLocked(current))
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Selected(i) && SeriesAt(i) && DeleteLocked(SeriesAt(i)))
            return false;
    return true;
}

void TChartListBox::DeleteSelected() {
    if (!FChart || SelCount() == 0)
        return;
    if (FAskDelete) {
        Screen->SetCursor(crDefault);
        TChartSeries* current = CurrentSeries();
        const std::string what =
            SelCount() == 1 && current ? current->Name() : std::string("(Selected Series)");
        if (MessageDlg(Format("Delete %s?", {what}), mtConfirmation, {mbYes, mbNo}) != mrYes)
            return;
    }
    std::vector<bool> selected;
    for (int i = 0; i < Count(); ++i)
        selected.push_back(Selected(i));
    // The items are rebuilt below: the free notifications of the deleted series need not
    // touch them.
    ClearItems();
    // The series that takes the place of the last one deleted is selected next.
    int index = 0;
    int deletedAt = 0;
    for (bool isSelected : selected) {
        if (!isSelected) {
            ++index;
            continue;
        }
        deletedAt = index;
        if (index < FChart->SeriesCount())
            delete FChart->GetSeries(index);
    }
    TChartSeries* next = nullptr;
    if (FChart->SeriesCount() > 0)
        next = FChart->GetSeries(std::min(deletedAt, FChart->SeriesCount() - 1));
    FillSeries(next);
}

void TChartListBox::CloneCurrent() {
    TChartSeries* current = CurrentSeries();
    if (!current)
        return;
    FillSeries(CloneChartSeries(current));
}

void TChartListBox::RenameCurrent() {
    const int index = ItemIndex();
    TChartSeries* series = CurrentSeries();
    if (!series)
        return;
    std::string text = SeriesText(series);
    if (!InputQuery("Change Series Title", "New Series Title:", text) || text.empty())
        return;
    if (text != series->Name())
        series->SetTitle(text);
    Items()->Put(index, text);
    if (FOtherItems && index < FOtherItems->Count())
        FOtherItems->Put(index, text);
    ClearSelection();
    SetItemIndex(index);
    SetSelected(index, true);
}

void TChartListBox::ChangeTypeOfSelected() {
    if (!FChart || SelCount() == 0)
        return;
    std::vector<TChartSeries*> series;
    for (int i = 0; i < Count(); ++i)
        if (Selected(i) && SeriesAt(i))
            series.push_back(SeriesAt(i));
    if (series.empty())
        return;
    // The gallery is asked once; cancelling it leaves every selected series as it is.
    TClass functionClass = nullptr;
    TClass seriesClass = nullptr;
    bool view3D = FChart->View3D();
    if (!ShowSeriesGallery(FChart->Owner(), series.front(), false, functionClass, view3D,
                           seriesClass))
        return;
    FChart->SetView3D(view3D);
    ClearItems();
    TChartSeries* last = nullptr;
    for (TChartSeries* s : series) {
        ChangeSeriesClass(s, seriesClass);
        last = s;
    }
    FillSeries(last);
}

TChartSeries* TChartListBox::AddFromGallery() {
    if (!FChart)
        return nullptr;
    TChartSeries* created = CreateSeriesFromGallery(FChart->Owner(), CurrentSeries(), FChart, true);
    if (created)
        FillSeries(created);
    return created;
}

// ---- Drawing

void TChartListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
    TCanvas* c = Canvas();
    const bool selected = state.Contains(odSelected);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(selected ? clHighlight : Color());
    c->FillRect(rect);
    // Only the title cell shows the selection.
    TRect left = rect;
    left.Right = std::min(rect.Right, SectionLeft(lbcTitle) - 4);
    c->Brush()->SetColor(Color());
    if (left.Right > left.Left)
        c->FillRect(left);
    TChartSeries* series = SeriesAt(index);
    if (!series)
        return;

    if (FSections[lbcIcon].Visible && series->LoadGalleryBitmap(FBitmap.get())) {
        FBitmap->SetTransparent(true);
        c->Draw(SectionLeft(lbcIcon), rect.Top + 2, FBitmap.get());
    }
    if (FSections[lbcActive].Visible && FCheckBox && Parent()) {
        if (FCheckBox->Parent() != Parent())
            FCheckBox->SetParent(Parent());
        FCheckBox->SetBounds(Left(), Top(), 12, 12);
        FCheckBox->SetChecked(series->Active());
        FCheckBox->PaintTo(c, SectionLeft(lbcActive), rect.Top + 6);
    }
    if (FSections[lbcColor].Visible && !series->ColorEachPoint() && series->ParentChart()) {
        const int colorLeft = SectionLeft(lbcColor);
        TRect r(colorLeft - 2, rect.Top, colorLeft - 2 + FSections[lbcColor].Width, rect.Bottom);
        InflateRect(r, -4, -4);
        TChartCanvas3D* chartCanvas = series->ParentChart()->Canvas3D();
        TCanvas* old = chartCanvas->ReferenceCanvas();
        chartCanvas->AttachCanvas(c);
        c->Brush()->SetColor(FChart ? FChart->Legend()->Color() : clWhite);
        try {
            series->DrawLegendSymbol(-1, r);
        } catch (...) {
            chartCanvas->AttachCanvas(old);
            throw;
        }
        chartCanvas->AttachCanvas(old);
    }
    if (FSections[lbcTitle].Visible) {
        c->Brush()->SetStyle(bsClear);
        c->Font()->AssignFrom(Font());
        c->Font()->SetColor(selected ? clHighlightText : Font()->Color());
        const int top = rect.Top + (ItemHeight() - c->TextHeight("W")) / 2;
        c->TextOut(SectionLeft(lbcTitle), top, Items()->Get(index));
        c->Brush()->SetStyle(bsSolid);
    }
}

// ---- Mouse and keys

void TChartListBox::SelectionChangedByUser() {
    TCustomListBox::SelectionChangedByUser();
    DoRefresh();
}

void TChartListBox::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomListBox::HandleMouseDown(button, shift, x, y);
    FLastPos = TPoint(x, y);
    const int index = ItemIndex();
    if (index >= 0 && ItemAtPos(TPoint(x, y), true) == index) {
        const int section = SectionAt(x);
        if (section == lbcActive && button == mbLeft) {
            if (TChartSeries* series = SeriesAt(index)) {
                series->SetActive(!series->Active());
                Invalidate();
            }
        } else if (section == lbcTitle && button == mbLeft && !shift.Contains(ssShift) &&
                   !shift.Contains(ssCtrl) && !shift.Contains(ssDouble)) {
            // The press of a double click (ssDouble) starts no drag.
            BeginDrag(false);
        }
    }
    DoOtherItemsChange();
}

void TChartListBox::HandleMouseMove(TShiftState shift, int x, int y) {
    TCustomListBox::HandleMouseMove(shift, x, y);
    FLastPos = TPoint(x, y);
    const int section = SectionAt(x);
    SetCursor(section == lbcIcon || section == lbcColor ? crChartHand : crDefault);
}

void TChartListBox::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
    TCustomListBox::DragOver(source, x, y, state, accept);
    // Only the list's own items are dropped here.
    accept = source == this;
}

void TChartListBox::DragDrop(TObject* source, int x, int y) {
    TCustomListBox::DragDrop(source, x, y);
    const int current = ItemIndex();
    const int target = ItemAtPos(TPoint(x, y), true);
    if (source == this && current >= 0 && target >= 0 && target != current)
        ExchangeItems(current, target);
}

void TChartListBox::DblClick() {
    TCustomListBox::DblClick();
    const int index = ItemAtPos(FLastPos, true);
    if (index < 0 || !Selected(index))
        return;
    switch (SectionAt(FLastPos.X)) {
    case lbcIcon:
        ChangeTypeOfSelected();
        break;
    case lbcColor:
        if (TChartSeries* series = SeriesAt(index); series && !series->ColorEachPoint()) {
            series->SetSeriesColor(EditColor(this, series->SeriesColor()));
            Invalidate();
        }
        break;
    case lbcTitle:
        if (FOnDblClickSeries)
            FOnDblClickSeries(this, index);
        break;
    default:
        break;
    }
}

void TChartListBox::HandleKeyUp(uint16_t& key, TShiftState shift) {
    TCustomListBox::HandleKeyUp(key, shift);
    if (key == VK_DELETE && CanDeleteCurrent())
        DeleteSelected();
}
