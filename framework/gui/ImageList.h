#pragma once
// Image lists: a row of equally sized images, each with an optional mask, drawn by index
// (enabled, or disabled as an embossed grey glyph).

#include "framework/core/Classes.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"

#include <memory>
#include <vector>

class QImage;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

class TImageList;

// A user's tie to an image list: OnChange runs whenever the list's images change. The link
// leaves its list when it goes, and the list clears Sender of its links when it goes.
class TChangeLink {
public:
    TChangeLink() = default;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    ~TChangeLink();

    TImageList* Sender() const { return FSender; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    void Change();

private:
    friend class TImageList;
    TImageList* FSender = nullptr;
    TNotifyEvent FOnChange;
};

class TImageList : public TComponent {
    ORV_CLASS(TImageList, TComponent)

    explicit TImageList(TComponent* owner);
    TImageList(TComponent* owner, int width, int height);
    ~TImageList() override;
    static void Publish(TPublisher<TImageList>& p);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size clears the list.
    void SetWidth(int value);
    void SetHeight(int value);
    int Count() const;
    // clNone: images drawn with their mask only; otherwise the colour behind them.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor value) { FBkColor = value; }
    bool Masked() const { return FMasked; }
    void SetMasked(bool value) { FMasked = value; }

    // Adds the images of a bitmap as wide as several images (cut from the left), with the
    // mask bitmap's white pixels transparent (nullptr: no mask); answers the index of
    // the first one added.
    int Add(const TBitmap* image, const TBitmap* mask);
    // The same, with the pixels of maskColor transparent.
    int AddMasked(const TBitmap* image, TColor maskColor);
    int AddIcon(const TIcon* icon);
    void Delete(int index);
    void Clear();
    void Replace(int index, const TBitmap* image, const TBitmap* mask);
    // Copies image index into the bitmap (sized to the list's images).
    void GetBitmap(int index, TBitmap* image) const;

    // Draws image index at (x, y); a bad index draws nothing. Disabled images are drawn
    // as their shape in the button highlight colour one pixel down and right, then in the
    // button shadow colour.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, bool enabled) const;
    // The image with the list's background colour behind it when that is not clNone.
    QImage ImageAt(int index) const; // ARGB32_Premultiplied, null for a bad index

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    // Links told of every change, in the order registered; a link is registered once.
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    void AssignFrom(const TPersistent* source) override;

private:
    void Changed();
    int FWidth = 16;
    int FHeight = 16;
    TColor FBkColor = clNone;
    bool FMasked = true;
    struct TImages; // ARGB32_Premultiplied, alpha 0 where masked
    std::unique_ptr<TImages> FImages;
    TNotifyEvent FOnChange;
    std::vector<TChangeLink*> FLinks;
};

// The picture that follows the mouse while a drag runs: one image of the list, placed so
// that its hot spot lies under the cursor. It shows in a window of its own that takes no
// input, so the drag still finds the control under the cursor: half see-through where the
// screen blends windows, opaque on the opaque colour where it cannot (an X display without
// a compositing manager would show the see-through parts black).
class TDragImageList : public TImageList {
    ORV_CLASS(TDragImageList, TImageList)

    explicit TDragImageList(TComponent* owner);
    ~TDragImageList() override;

    // The image shown and its point that sits under the cursor; false for a bad index.
    bool SetDragImage(int index, int hotSpotX, int hotSpotY);
    TPoint DragHotspot() const { return FHotSpot; }
    // The colour behind the picture where the screen cannot blend; clWindow by default.
    TColor OpaqueColor() const { return FOpaqueColor; }
    void SetOpaqueColor(TColor value);
    // A drag at screen points: begun hidden, moved, shown and hidden, ended (hidden).
    void BeginDrag(const TPoint& screenPoint);
    void DragMove(const TPoint& screenPoint);
    void ShowDragImage();
    void HideDragImage();
    void EndDrag();
    bool Dragging() const { return FDragging; }
    bool DragImageVisible() const { return FDragging && FShown; }
    // Where the image shows on the screen; empty while it does not show.
    TRect DragImageRect() const;

private:
    void Place();
    struct TWindow;
    std::unique_ptr<TWindow> FWindow;
    int FIndex = 0;
    TPoint FHotSpot;
    TColor FOpaqueColor = clWindow;
    TPoint FPosition;
    bool FDragging = false;
    bool FShown = false;
};
