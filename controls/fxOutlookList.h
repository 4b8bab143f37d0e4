#pragma once
// The page panel of the outlook bar and the icon list shown on a page: a column (or row)
// of items, each an image of an image list with a caption, with hot tracking, pressed and
// selected looks, and two small scroll buttons when the items do not fit. A click on an
// item fires the list's and the item's click events. All painting of the list goes
// through an off-screen bitmap of the client size.

#include "controls/fxCollection.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/StandardControls.h"

#include <memory>
#include <string>

class TFxOutlookPage;
class TFxCustomOutlookBar;
class TFxCustomOutlookList;
class TFxOutlookListItem;

enum TFxLayout { loVertical, loHorizontal };
enum TFxCustomOutlookListClickStyle { csClick, csSelect };
enum TFxOutlookHotTrackStyle { hsIconHilite, hsItemHilite };

// List, item.
using TFxCustomOutlookListItemEvent = TEvent<void(TFxCustomOutlookList*, TFxOutlookListItem*)>;
// List, item, var glyph position, var text position, var default drawing.
using TFxOutlookListDrawItemEvent =
    TEvent<void(TFxCustomOutlookList*, TFxOutlookListItem*, TPoint&, TPoint&, bool&)>;

// The window timer of a held scroll button.
constexpr uintptr_t kOutlookScrollTimer = 100;

const TTypeInfo* TypeInfoTFxLayout();

// The container the outlook bar shows for a page.
class TFxOutlookPanel : public TCustomControl {
    ORV_CLASS(TFxOutlookPanel, TCustomControl)
public:
    explicit TFxOutlookPanel(TComponent* owner);
    static void Publish(TPublisher<TFxOutlookPanel>& p);

    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool value);
    // The page that owns the panel (nullptr for none).
    TFxOutlookPage* Page() const { return FPage; }
    void SetPage(TFxOutlookPage* value) { FPage = value; }
    // Set by the bar while it places the panel during a page switch.
    bool MovedByAnimation() const { return FMovedByAnimation; }
    void SetMovedByAnimation(bool value) { FMovedByAnimation = value; }
    // The outlook bar the panel stands on, or nullptr.
    TFxCustomOutlookBar* OutlookBar() const;

    void HandleMessage(TMessage& message) override;

protected:
    void ArrangeChildren(TControl* control, TRect& rect) override;
    void PaintControl() override;
    // The panel's own part of the painting (the bar's picture under a transparent panel).
    void PaintPanel();

private:
    bool FMovedByAnimation = false;
    bool FTransparent = true;
    TFxOutlookPage* FPage = nullptr;
};

class TFxOutlookListItem : public TFxCollectionItem {
    ORV_CLASS(TFxOutlookListItem, TFxCollectionItem)
public:
    explicit TFxOutlookListItem(TCollection* collection);
    ~TFxOutlookListItem() override;
    static void Publish(TPublisher<TFxOutlookListItem>& p);

    std::string DisplayName() const override;
    TFxCustomOutlookList* List() const;

    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    // True only while the list selects on click and the item is the selected one.
    bool Selected() const;
    void SetSelected(bool value);
    int Separation() const { return FSeparation; }
    void SetSeparation(int value);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value);
    const TFxCustomOutlookListItemEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TFxCustomOutlookListItemEvent value) { FOnClick = std::move(value); }

    bool Hot() const { return FHot; }
    bool Pressed() const { return FPressed; }
    // The area that reacts to the mouse and the whole item, both from the last painting.
    const TRect& HitRect() const { return FHitRect; }
    const TRect& ItemRect() const { return FItemRect; }

    // Shown (between the first and the last shown item); fully also needs the item
    // rectangle to end inside the list.
    bool IsVisible(bool fully) const;
    // The caption's extent, with the image and separation, and with spacing when asked.
    TSize ItemExtent(bool withSpacing) const;
    void DrawItem();
    void DrawItemFrame(const TRect& rect);
    // (hot and pressed) or selected.
    bool IsDown() const;
    void InvalidateItem(bool erase);

private:
    friend class TFxCustomOutlookList;
    void SetHot(bool value);
    void SetPressed(bool value) { FPressed = value; }

    TRect FHitRect;
    TRect FItemRect;
    int FImageIndex = 0;
    bool FPressed = false, FHot = false, FSelected = false;
    int FSeparation = 10;
    std::string FText;
    int FTag = 0;
    TFxCustomOutlookListItemEvent FOnClick;
};

class TFxOutlookListItems : public TFxCollection {
    ORV_CLASS(TFxOutlookListItems, TFxCollection)
public:
    explicit TFxOutlookListItems(TFxCustomOutlookList* list);
    TFxOutlookListItem* Add() { return static_cast<TFxOutlookListItem*>(TCollection::Add()); }
    TFxOutlookListItem* Items(int index) const {
        return static_cast<TFxOutlookListItem*>(TCollection::Items(index));
    }
    TFxCustomOutlookList* List() const { return FList; }

protected:
    void Update(TCollectionItem* item) override;

private:
    TFxCustomOutlookList* FList;
};

class TFxCustomOutlookList : public TFxOutlookPanel {
    ORV_CLASS(TFxCustomOutlookList, TFxOutlookPanel)
public:
    enum TItemRectKind { irWhole, irGlyph, irText };

    explicit TFxCustomOutlookList(TComponent* owner);
    ~TFxCustomOutlookList() override;

    // ---- Properties
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TFxCustomOutlookListClickStyle ClickStyle() const { return FClickStyle; }
    void SetClickStyle(TFxCustomOutlookListClickStyle value) { FClickStyle = value; }
    TFxOutlookHotTrackStyle HotTrackStyle() const { return FHotTrackStyle; }
    void SetHotTrackStyle(TFxOutlookHotTrackStyle value) { FHotTrackStyle = value; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    TButtonLayout ItemLayout() const { return FItemLayout; }
    void SetItemLayout(TButtonLayout value);
    TColor ItemHighlightColor() const { return FItemHighlightColor; }
    void SetItemHighlightColor(TColor value);
    TColor ItemHotTrackColor() const { return FItemHotTrackColor; }
    void SetItemHotTrackColor(TColor value) { FItemHotTrackColor = value; }
    TColor ItemShadowColor() const { return FItemShadowColor; }
    void SetItemShadowColor(TColor value);
    TFxOutlookListItems* Items() const { return FItems.get(); }
    void SetItems(const TFxOutlookListItems* value) { FItems->AssignFrom(value); }
    int ItemSpacing() const { return FItemSpacing; }
    // An odd spacing is raised by one.
    void SetItemSpacing(int value);
    int ItemsWidth() const { return FItemsWidth; }
    void SetItemsWidth(int value);
    TFxLayout Layout() const { return FLayout; }
    void SetLayout(TFxLayout value);
    int ScrollInterval() const { return FScrollInterval; }
    void SetScrollInterval(int value) { FScrollInterval = value; }
    bool ScrollButtonsVisible() const { return FScrollButtonsVisible; }
    void SetScrollButtonsVisible(bool value);
    void SetTransparent(bool value) override;

    const TFxCustomOutlookListItemEvent& OnItemClick() const { return FOnItemClick; }
    void SetOnItemClick(TFxCustomOutlookListItemEvent value) { FOnItemClick = std::move(value); }
    const TFxCustomOutlookListItemEvent& OnItemChange() const { return FOnItemChange; }
    void SetOnItemChange(TFxCustomOutlookListItemEvent value) { FOnItemChange = std::move(value); }
    const TFxOutlookListDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(TFxOutlookListDrawItemEvent value) { FOnDrawItem = std::move(value); }

    // ---- State
    // The first item shown (item 0 when not set and there are items; nullptr for none).
    TFxOutlookListItem* FirstShownItem() const;
    TFxOutlookListItem* LastShownItem() const;
    int PressedScrollButton() const { return FPressedScroll; }
    int HotScrollButton() const { return FHotScroll; }
    const TRect& ScrollButtonRect(int which) const { return FScrollRects[which == 1 ? 0 : 1]; }
    TFxOutlookPage* OwnerPage() const { return FOwnerPage; }
    void SetOwnerPage(TFxOutlookPage* value) { FOwnerPage = value; }
    // True when whole items are highlighted (not only their glyphs).
    bool WholeItemHighlight() const;

    // ---- Operations
    // An item's rectangle of the kind at an offset along the layout (-1: computed from
    // the items shown before it); empty when the item is not shown.
    TRect ItemRectOf(const TFxOutlookListItem* item, TItemRectKind kind, int offset = -1) const;
    bool CanScroll(int which) const;
    void RedrawList() { Invalidate(); }
    void InvalidateScrollButton(int which);
    void ItemClicked(TFxOutlookListItem* item);
    void ScrollStep();
    void UpdateHotItem();
    void LayoutScrollButtons();
    TFxOutlookListItem* ItemAtPos(int x, int y) const;
    void UpdateItemRects();
    // The off-screen canvas everything is drawn on.
    TCanvas* OffscreenCanvas() { return FBuffer.Canvas(); }

    void AfterLoad() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void HandleMessage(TMessage& message) override;

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void PaintControl() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleResize() override;
    void DrawScrollButton(int which);
    bool CallOnDrawItem(TFxOutlookListItem* item, TPoint& glyphPos, TPoint& textPos);

private:
    friend class TFxOutlookListItem;
    // Runs fn(item) over the items shown, first to last.
    template <class F> void ForEachShownItem(F fn) const;
    void HandleTimer();
    bool CursorInScrollButton(int which) const;
    void ReleaseScrollCapture();
    void EnsureBuffer();
    int ScrollButtonAt(int x, int y) const;

    TBorderStyle FBorderStyle = bsSingle;
    TFxCustomOutlookListClickStyle FClickStyle = csClick;
    TFxOutlookHotTrackStyle FHotTrackStyle = hsIconHilite;
    TColor FHotTextColor = 0;
    TImageList* FImages = nullptr;
    TChangeLink FImagesLink; // repaints the list when its images change
    TButtonLayout FItemLayout = blGlyphTop;
    TColor FItemHighlightColor = clBtnFace;
    TColor FItemHotTrackColor = clBtnShadow;
    TColor FItemShadowColor = clBtnText;
    std::unique_ptr<TFxOutlookListItems> FItems;
    int FItemSpacing = 20;
    int FItemsWidth = 0;
    TFxLayout FLayout = loVertical;
    TBitmap FBuffer;
    int FScrollInterval = 250;
    TFxCustomOutlookListItemEvent FOnItemClick, FOnItemChange;
    TFxOutlookListDrawItemEvent FOnDrawItem;
    TFxOutlookListItem* FFirstShown = nullptr;
    TRect FScrollRects[2];
    int FPressedScroll = 0;
    bool FScrollButtonsVisible = true;
    int FHotScroll = 0;
    TNotifyEvent FImagesChange;
    HWND FCaptureBefore = 0;
    TFxOutlookPage* FOwnerPage = nullptr;
};

class TFxOutlookList : public TFxCustomOutlookList {
    ORV_CLASS(TFxOutlookList, TFxCustomOutlookList)
public:
    explicit TFxOutlookList(TComponent* owner) : TFxCustomOutlookList(owner) {}
    static void Publish(TPublisher<TFxOutlookList>& p);
};
