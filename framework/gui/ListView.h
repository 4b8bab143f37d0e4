#pragma once
// List view: a list of items drawn by the program in one of four styles (large icons,
// small icons, list, report with columns). An item has a caption, an image index, texts
// of further columns (sub-items, each with an optional object) and a data pointer the
// program owns. One item at a time is selected by a click or the arrow keys; the change
// fires OnChange. A double click fires OnDblClick; a right click shows the pop-up menu.

#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>
#include <vector>

class QScrollBar;
class TListView;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TListArrangement {
    arAlignBottom,
    arAlignLeft,
    arAlignRight,
    arAlignTop,
    arDefault,
    arSnapToGrid
};
enum TItemChange { ctText, ctImage, ctState };

// A column of the report style; its changes lay the list view out again.
class TListColumn : public TCollectionItem {
    ORV_CLASS(TListColumn, TCollectionItem)
public:
    explicit TListColumn(TCollection* collection) : TCollectionItem(collection) {}
    // Caption and Width (what a form storage keeps of a column).
    static void Publish(TPublisher<TListColumn>& p);

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    int Width() const { return FWidth; }
    void SetWidth(int value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);

private:
    std::string FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
};

// The columns of a list view.
class TListColumns : public TCollection {
    ORV_CLASS(TListColumns, TCollection)
public:
    explicit TListColumns(TListView* listView = nullptr);
    TListColumn* Items(int index) const {
        return static_cast<TListColumn*>(TCollection::Items(index));
    }

protected:
    void Update(TCollectionItem* item) override;

private:
    friend class TListView;
    TListView* FListView;
};

class TListItem {
public:
    explicit TListItem(TListView* owner) : FOwner(owner) {}
    TListView* ListView() const { return FOwner; }
    int Index() const;
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    // Texts of columns 1.. in report style.
    std::vector<std::string>& SubItems() { return FSubItems; }
    const std::vector<std::string>& SubItems() const { return FSubItems; }
    // Appends a sub-item; answers its index.
    int AddSubItem(const std::string& text, TObject* object = nullptr);
    // The object of sub-item i (nullptr when none or out of range).
    TObject* SubItemObject(int i) const;
    void SetSubItemObject(int i, TObject* object);
    // The program's pointer; the list view never frees it.
    TObject* Data() const { return FData; }
    void SetData(TObject* value) { FData = value; }
    bool Selected() const;
    void SetSelected(bool value);
    // Scrolls the list view so that the item shows (wholly unless partialOK and part of
    // it shows already).
    void MakeVisible(bool partialOK);

private:
    TListView* FOwner;
    std::string FCaption;
    int FImageIndex = -1;
    std::vector<std::string> FSubItems;
    std::vector<TObject*> FSubItemObjects;
    TObject* FData = nullptr;
};

// Sender, the item changed, what changed.
using TLVChangeEvent = TEvent<void(TObject*, TListItem*, TItemChange)>;

class TListView : public TCustomControl {
    ORV_CLASS(TListView, TCustomControl)
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;
    // Columns (a collection), ViewStyle, ReadOnly, RowSelect.
    static void Publish(TPublisher<TListView>& p);

    // ---- Columns (report style)
    TListColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TListColumns* value);
    int ColumnCount() const { return FColumns->Count(); }
    TListColumn* Column(int i) const;
    TListColumn* AddColumn(const std::string& caption, int width,
                           TAlignment alignment = taLeftJustify);

    // ---- Items
    int ItemCount() const { return int(FItems.size()); }
    TListItem* Item(int i) const;
    TListItem* AddItem();
    void ClearItems();
    TListItem* Selected() const { return FSelected; }
    void SetSelected(TListItem* item);
    int ItemIndex() const { return FSelected ? FSelected->Index() : -1; }
    void SetItemIndex(int index) {
        SetSelected(index >= 0 && index < ItemCount() ? Item(index) : nullptr);
    }

    // ---- Look
    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle value);
    TImageList* LargeImages() const { return FLargeImages; }
    void SetLargeImages(TImageList* value);
    TImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TImageList* value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool value);
    // Lays the icons out again from the top left: in rows (arAlignTop, arDefault,
    // arSnapToGrid) or in columns (arAlignLeft); scrolls back to the top left.
    void Arrange(TListArrangement code);

    // ---- Scrolling
    // The content point shown at the client area's top left.
    TPoint ViewOrigin() const { return FOrigin; }
    // Scrolls by dx, dy pixels, kept inside the content.
    void Scroll(int dx, int dy);
    bool VertScrollBarVisible() const { return FVertShown; }
    bool HorzScrollBarVisible() const { return FHorzShown; }
    // Scrolls so that the item shows (see TListItem::MakeVisible).
    void MakeVisible(int index, bool partialOK);
    // The lines a large icon's caption shows: two at most, the second ending in "..."
    // when the caption goes on; the focused item's whole caption.
    std::vector<std::string> CaptionLines(int index) const;

    // ---- Geometry
    // The item under a client point, or nullptr.
    TListItem* GetItemAt(int x, int y) const;
    // The item's rectangle in the client area (scrolled).
    TRect ItemRect(int index) const;
    // The report column whose header edge (its right side) is at client x, or -1.
    int ColumnEdgeAt(int x, int y) const;

    const TLVChangeEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TLVChangeEvent value) { FOnChange = std::move(value); }

    void ItemChanged(TListItem* item, TItemChange change);

    TRect NonClientBorder() const override;
    void HandleMessage(TMessage& message) override;
    // The selected item as a drag shows it: its icon and caption as the view draws them,
    // held at the point of the item where the cursor is.
    TDragImageList* GetDragImages() override;

protected:
    void PaintControl() override;
    void PaintNonClient(TCanvas* canvas) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleResize() override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;

private:
    friend class TListColumns;
    int HeaderHeight() const;
    int RowHeight() const;
    int LineHeight() const;
    TSize CellSize() const;
    int ColumnsWidth() const;
    // The item's rectangle in content coordinates.
    TRect ContentItemRect(int index, int clientWidth, int clientHeight) const;
    TSize ContentSize(int clientWidth, int clientHeight) const;
    // Items per row of icons, or per column of the list style or of arranged columns.
    int PerLine(int clientWidth, int clientHeight) const;
    bool InColumns() const;
    // The caption's lines at width: all of them, or two at most with an ellipsis.
    std::vector<std::string> WrapCaption(const std::string& caption, int width, bool whole) const;
    void PaintItem(TCanvas* canvas, int index);
    // Shows or hides the scroll bars for the content and keeps the origin inside it.
    void LayoutChanged();
    void PlaceScrollBars();
    void SetOrigin(TPoint origin);

    std::unique_ptr<TListColumns> FColumns;
    std::vector<std::unique_ptr<TListItem>> FItems;
    TListItem* FSelected = nullptr;
    TViewStyle FViewStyle = vsIcon;
    TImageList* FLargeImages = nullptr;
    TImageList* FSmallImages = nullptr;
    bool FReadOnly = false;
    bool FRowSelect = false;
    TListArrangement FArrangement = arAlignTop;
    TPoint FOrigin;
    bool FVertShown = false;
    bool FHorzShown = false;
    QScrollBar* FVertBar = nullptr;
    QScrollBar* FHorzBar = nullptr;
    int FSettingBars = 0;
    int FResizing = -1; // the column whose edge is being dragged
    TLVChangeEvent FOnChange;
    std::unique_ptr<TDragImageList> FDragImages;
    TPoint FPressPoint; // client point of the last press on the items
};
