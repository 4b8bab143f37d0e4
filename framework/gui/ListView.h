#pragma once
// List view: a list of items drawn by the program in one of four styles (large icons,
// small icons, list, report with columns). An item has a caption, an image index, texts
// of further columns (sub-items, each with an optional object) and a data pointer the
// program owns. One item at a time is selected by a click or the arrow keys; the change
// fires OnChange. A double click fires OnDblClick; a right click shows the pop-up menu.

#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ImgList.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>
#include <vector>

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

class TListColumn {
public:
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value) { FCaption = value; }
    int Width() const { return FWidth; }
    void SetWidth(int value) { FWidth = value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { FAlignment = value; }

private:
    std::string FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
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
    // Columns (the column widths as text), ViewStyle, ReadOnly, RowSelect.
    static void Publish(TPublisher<TListView>& p);

    // ---- Columns (report style)
    int ColumnCount() const { return int(FColumns.size()); }
    TListColumn* Column(int i) const;
    TListColumn* AddColumn(const std::string& caption, int width,
                           TAlignment alignment = taLeftJustify);
    // "caption,width,alignment;..." for every column (what a form storage keeps).
    std::string ColumnsText() const;
    // Widths from ColumnsText; malformed parts are ignored.
    void SetColumnsText(const std::string& text);

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
    // Lays the icons out again (the layout is always arranged; this repaints).
    void Arrange(TListArrangement code);

    // ---- Geometry
    // The item under a client point, or nullptr.
    TListItem* GetItemAt(int x, int y) const;
    // The item's rectangle in the client area.
    TRect ItemRect(int index) const;

    const TLVChangeEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TLVChangeEvent value) { FOnChange = std::move(value); }

    void ItemChanged(TListItem* item, TItemChange change);

protected:
    void PaintControl() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;

private:
    int HeaderHeight() const;
    int RowHeight() const;
    TSize CellSize() const;
    int ColumnsWidth() const;
    void PaintItem(TCanvas* canvas, int index);

    std::vector<std::unique_ptr<TListColumn>> FColumns;
    std::vector<std::unique_ptr<TListItem>> FItems;
    TListItem* FSelected = nullptr;
    TViewStyle FViewStyle = vsIcon;
    TImageList* FLargeImages = nullptr;
    TImageList* FSmallImages = nullptr;
    bool FReadOnly = false;
    bool FRowSelect = false;
    TLVChangeEvent FOnChange;
};
