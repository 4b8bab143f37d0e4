#pragma once
// The owner-drawn list of a chart's series: each row shows the series type's icon, an
// "active" check box, the series colour and its title. The list carries the series
// operations of the chart editor: add from the gallery, delete, clone, rename, change
// type, and reorder by buttons or by dragging a title onto another row.

#include "chart/Chart.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/StandardControls.h"

#include <memory>
#include <vector>

// One column of the list: its width and whether it is shown.
struct TListBoxSection {
    int Width = 0;
    bool Visible = true;
};
using TListBoxSections = std::vector<TListBoxSection>;

// The columns, in order.
enum TChartListBoxColumn { lbcIcon, lbcActive, lbcColor, lbcTitle };

// Sender, item index.
using TDblClickSeriesEvent = TEvent<void(TObject*, int)>;

class TChartListBox : public TCustomListBox {
    ORV_CLASS(TChartListBox, TCustomListBox)
public:
    explicit TChartListBox(TComponent* owner);
    ~TChartListBox() override;
    static void Publish(TPublisher<TChartListBox>& p);

    // ---- Properties
    TCustomChart* Chart() const { return FChart; }
    // Registers for the chart's removal and fills the list (the first series selected);
    // nullptr empties it.
    void SetChart(TCustomChart* value);
    bool AllowDeleteSeries() const { return FAllowDeleteSeries; }
    void SetAllowDeleteSeries(bool value) { FAllowDeleteSeries = value; }
    bool AskDelete() const { return FAskDelete; }
    void SetAskDelete(bool value) { FAskDelete = value; }
    bool ShowSeriesIcon() const { return FSections[lbcIcon].Visible; }
    void SetShowSeriesIcon(bool value) { SetSectionVisible(lbcIcon, value); }
    bool ShowActiveCheck() const { return FSections[lbcActive].Visible; }
    void SetShowActiveCheck(bool value) { SetSectionVisible(lbcActive, value); }
    bool ShowSeriesColor() const { return FSections[lbcColor].Visible; }
    void SetShowSeriesColor(bool value) { SetSectionVisible(lbcColor, value); }
    bool ShowSeriesTitle() const { return FSections[lbcTitle].Visible; }
    void SetShowSeriesTitle(bool value) { SetSectionVisible(lbcTitle, value); }

    // The column widths and visibility (icon, active check, colour, title).
    TListBoxSections& Sections() { return FSections; }
    const TListBoxSections& Sections() const { return FSections; }
    // The left edge of column index: the widths of the visible columns before it.
    int SectionLeft(int index) const;
    // The visible column that holds x (ends excluded); -1 when none.
    int SectionAt(int x) const;

    // A list of strings kept equal to the items (the series page's combo); not owned.
    TStrings* OtherItems() const { return FOtherItems; }
    void SetOtherItems(TStrings* value) { FOtherItems = value; }

    // ---- Operations
    // One item per series of the chart in list order; seriesToSelect (else the first)
    // selected; OnOtherItemsChange when nothing ends up selected; then OnRefresh.
    void FillSeries(TChartSeries* seriesToSelect);
    // The series of the item index; nullptr when there is none.
    TChartSeries* CurrentSeries() const;
    // The series of an item; nullptr out of range.
    TChartSeries* SeriesAt(int index) const;
    void MoveUp();
    void MoveDown();
    // Exchanges items a and b with their series in the chart; b ends up selected.
    void ExchangeItems(int a, int b);
    // Frees the selected series (after "Delete %s?" with AskDelete).
    void DeleteSelected();
    void CloneCurrent();
    // Edits the current series' title in an input box.
    void RenameCurrent();
    // The first selected series through the gallery, the others to its resulting class.
    void ChangeTypeOfSelected();
    // A new series chosen in the gallery (selected), or nullptr.
    TChartSeries* AddFromGallery();
    // Whether deleting the current series is allowed by its locks and AllowDeleteSeries.
    bool CanDeleteCurrent() const;

    // ---- Events
    const TDblClickSeriesEvent& OnDblClickSeries() const { return FOnDblClickSeries; }
    void SetOnDblClickSeries(TDblClickSeriesEvent value) { FOnDblClickSeries = std::move(value); }
    const TNotifyEvent& OnOtherItemsChange() const { return FOnOtherItemsChange; }
    void SetOnOtherItemsChange(TNotifyEvent value) { FOnOtherItemsChange = std::move(value); }
    const TNotifyEvent& OnRefresh() const { return FOnRefresh; }
    void SetOnRefresh(TNotifyEvent value) { FOnRefresh = std::move(value); }

    void ComponentNotification(TComponent* component, TOperation operation) override;
    void DblClick() override;
    void DragOver(TObject* source, int x, int y, TDragState state, bool& accept) override;
    void DragDrop(TObject* source, int x, int y) override;

protected:
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
    void SelectionChangedByUser() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleKeyUp(uint16_t& key, TShiftState shift) override;

private:
    void SetSectionVisible(int index, bool value);
    void DoRefresh();
    void DoOtherItemsChange();
    // Follows the series' free notifications.
    void Watch(TChartSeries* series);
    void RemoveItemOf(TComponent* series);
    void ClearItems();

    TCustomChart* FChart = nullptr;
    bool FAllowDeleteSeries = true;
    bool FAskDelete = true;
    TListBoxSections FSections;
    TCheckBox* FCheckBox = nullptr;
    std::unique_ptr<TBitmap> FBitmap;
    TPoint FLastPos;
    TStrings* FOtherItems = nullptr;
    TDblClickSeriesEvent FOnDblClickSeries;
    TNotifyEvent FOnOtherItemsChange;
    TNotifyEvent FOnRefresh;
};
