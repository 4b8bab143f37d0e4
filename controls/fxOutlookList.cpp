#include "controls/fxOutlookList.h"

#include "controls/fxCommon.h"
#include "controls/fxOutlookBar.h"
#include "framework/gui/Forms.h"
#include "framework/gui/PlatformCalls.h"
#include "framework/gui/WindowSystem.h"

#include <algorithm>

namespace {

const TTypeInfo* ClickStyleType() {
    static const TTypeInfo type =
        MakeEnumType("TFxCustomOutlookListClickStyle", {"csClick", "csSelect"});
    return &type;
}

const TTypeInfo* HotTrackStyleType() {
    static const TTypeInfo type =
        MakeEnumType("TFxOutlookHotTrackStyle", {"hsIconHilite", "hsItemHilite"});
    return &type;
}

const TTypeInfo* ButtonLayoutType() {
    static const TTypeInfo type = MakeEnumType(
        "TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
    return &type;
}

const TTypeInfo* ListBorderStyleType() {
    static const TTypeInfo type = MakeEnumType("TBorderStyle", {"bsNone", "bsSingle"});
    return &type;
}

// The streaming registry knows the list, so a form resource can hold one.
[[maybe_unused]] const bool kRegistered = [] {
    RegisterClass(TFxOutlookList::StaticClass());
    return true;
}();

} // namespace

const TTypeInfo* TypeInfoTFxLayout() {
    static const TTypeInfo type = MakeEnumType("TFxLayout", {"loVertical", "loHorizontal"});
    return &type;
}

// ---------------------------------------------------------------------------
// TFxOutlookPanel

TFxOutlookPanel::TFxOutlookPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetParentColor(true);
}

void TFxOutlookPanel::Publish(TPublisher<TFxOutlookPanel>& p) {
    using T = TFxOutlookPanel;
    p.Bool("Transparent", &T::Transparent, &T::SetTransparent).Default(true);
}

TFxCustomOutlookBar* TFxOutlookPanel::OutlookBar() const {
    return dynamic_cast<TFxCustomOutlookBar*>(Parent());
}

void TFxOutlookPanel::SetTransparent(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    Invalidate();
}

void TFxOutlookPanel::ArrangeChildren(TControl* control, TRect& rect) {
    TCustomControl::ArrangeChildren(control, rect);
    if (control && !dynamic_cast<TWinControl*>(control))
        Invalidate();
}

void TFxOutlookPanel::PaintPanel() {
    TFxCustomOutlookBar* bar = OutlookBar();
    if (bar && bar->Imager() && FTransparent) {
        // The bar's picture as it lies under the panel.
        TBitmap back(std::max(1, bar->Width()), std::max(1, bar->Height()));
        TRect barRect(0, 0, bar->Width(), bar->Height());
        bar->PaintImager(back.Canvas(), barRect, bar->ClientRect());
        TRect clip = Canvas()->ClipRect();
        TRect source = clip;
        OffsetRect(source, Left(), Top());
        Canvas()->CopyRect(clip, back.Canvas(), source);
    }
    if (TWinControl* parent = Parent(); parent && parent->HandleAllocated()) {
        // A parent that clips its children would leave the panel's background stale while
        // the panel slides over it: the parent stops clipping and the panel paints again.
        HWND handle = parent->Handle();
        const uint32_t style = GetWindowLong(handle, GWL_STYLE);
        if (style & WS_CLIPCHILDREN) {
            SetWindowLong(handle, GWL_STYLE, style & ~WS_CLIPCHILDREN);
            Invalidate();
        }
    }
    if (bar && bar->IsHandlingClick()) {
        // Windowed children follow the new background where they lie inside the bar.
        const TRect barClip = bar->ClientRect();
        for (int i = 0; i < ControlCount(); ++i) {
            auto* w = dynamic_cast<TWinControl*>(Controls(i));
            if (!w || !w->HandleAllocated())
                continue;
            TRect inBar = w->BoundsRect();
            OffsetRect(inBar, Left(), Top());
            TRect overlap;
            if (!IntersectRect(overlap, inBar, barClip))
                continue;
            OffsetRect(overlap, -inBar.Left, -inBar.Top);
            w->InvalidateRect(&overlap);
        }
    }
}

void TFxOutlookPanel::PaintControl() {
    PaintPanel();
}

void TFxOutlookPanel::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_CONTROLLISTCHANGE:
        TCustomControl::HandleMessage(message);
        if (message.LParam == 0 &&
            dynamic_cast<TFxCustomOutlookList*>(reinterpret_cast<TControl*>(message.WParam)))
            Invalidate();
        return;
    case WM_ERASEBKGND: {
        TFxCustomOutlookList* list = nullptr;
        for (int i = 0; i < ControlCount() && !list; ++i)
            list = dynamic_cast<TFxCustomOutlookList*>(Controls(i));
        TFxCustomOutlookBar* bar = OutlookBar();
        if (list && !list->Transparent()) {
            message.Result = 1; // the list covers the panel
            return;
        }
        if (!FTransparent || (!FMovedByAnimation && !(bar && bar->Imager()))) {
            TCustomControl::HandleMessage(message);
            return;
        }
        message.Result = 1;
        return;
    }
    default:
        TCustomControl::HandleMessage(message);
    }
}

// ---------------------------------------------------------------------------
// TFxOutlookListItem

TFxOutlookListItem::TFxOutlookListItem(TCollection* collection) : TFxCollectionItem(collection) {}

TFxOutlookListItem::~TFxOutlookListItem() {
    if (TFxCustomOutlookList* list = List(); list && list->FFirstShown == this)
        list->FFirstShown = nullptr;
}

void TFxOutlookListItem::Publish(TPublisher<TFxOutlookListItem>& p) {
    using T = TFxOutlookListItem;
    p.Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(0);
    p.Bool("Selected", &T::Selected, &T::SetSelected).Default(false);
    p.Integer("Separation", &T::Separation, &T::SetSeparation).Default(10);
    p.Integer("Tag", &T::Tag, &T::SetTag).Default(0);
    p.String("Text", &T::Text, &T::SetText);
    p.Event("OnClick", &T::OnClick, &T::SetOnClick);
}

TFxCustomOutlookList* TFxOutlookListItem::List() const {
    auto* items = dynamic_cast<TFxOutlookListItems*>(Collection());
    return items ? items->List() : nullptr;
}

std::string TFxOutlookListItem::DisplayName() const {
    return FText.empty() ? TFxCollectionItem::DisplayName() : FText;
}

void TFxOutlookListItem::SetImageIndex(int value) {
    if (value == FImageIndex)
        return;
    FImageIndex = value;
    InvalidateItem(true);
}

void TFxOutlookListItem::SetSeparation(int value) {
    if (value == FSeparation)
        return;
    FSeparation = value;
    InvalidateItem(true);
}

void TFxOutlookListItem::SetText(const std::string& value) {
    if (value == FText)
        return;
    FText = value;
    InvalidateItem(true);
}

bool TFxOutlookListItem::Selected() const {
    TFxCustomOutlookList* list = List();
    return list && list->ClickStyle() == csSelect && FSelected;
}

void TFxOutlookListItem::SetSelected(bool value) {
    if (value)
        if (TCollection* c = Collection())
            for (int i = 0; i < c->Count(); ++i)
                if (auto* other = static_cast<TFxOutlookListItem*>(c->Items(i));
                    other != this && other->FSelected) {
                    other->FSelected = false;
                    other->InvalidateItem(true);
                }
    bool was = FSelected;
    FSelected = value;
    InvalidateItem(was && !value);
}

bool TFxOutlookListItem::IsDown() const {
    return (FHot && FPressed) || Selected();
}

void TFxOutlookListItem::SetHot(bool value) {
    TFxCustomOutlookList* list = List();
    if (!list)
        return;
    if (!value)
        FPressed = false;
    if (value == FHot)
        return;
    FHot = value;
    if (!Selected())
        InvalidateItem(false);
    // The list follows the mouse out of the item.
    if (value && list->HandleAllocated() && GetCapture() != list->Handle())
        SetCapture(list->Handle());
}

void TFxOutlookListItem::InvalidateItem(bool) {
    TFxCustomOutlookList* list = List();
    if (!list)
        return;
    if (FItemRect.IsEmpty())
        list->Invalidate();
    else
        list->InvalidateRect(&FItemRect);
}

bool TFxOutlookListItem::IsVisible(bool fully) const {
    TFxCustomOutlookList* list = List();
    TFxOutlookListItem* first = list ? list->FirstShownItem() : nullptr;
    if (!first)
        return false;
    TFxOutlookListItem* last = list->LastShownItem();
    int index = Index();
    if (index < first->Index() || !last || index > last->Index())
        return false;
    if (fully)
        return FItemRect.Right <= list->ClientWidth() && FItemRect.Bottom <= list->ClientHeight();
    return true;
}

TSize TFxOutlookListItem::ItemExtent(bool withSpacing) const {
    TFxCustomOutlookList* list = List();
    if (!list)
        return TSize();
    TCanvas* canvas = list->OffscreenCanvas();
    canvas->Font()->AssignFrom(list->Font());
    TSize size = canvas->TextExtent(FText);
    if (withSpacing) {
        if (list->Layout() == loVertical)
            size.cy += list->ItemSpacing();
        else
            size.cx += list->ItemSpacing();
    }
    if (TImageList* images = list->Images()) {
        TButtonLayout layout = list->ItemLayout();
        if (layout == blGlyphTop || layout == blGlyphBottom)
            size.cy += images->Height() + FSeparation;
        else
            size.cx += images->Width() + FSeparation;
    }
    if (list->Layout() == loHorizontal && list->ItemsWidth() > 0)
        size.cx = list->ItemsWidth();
    return size;
}

void TFxOutlookListItem::DrawItem() {
    TFxCustomOutlookList* list = List();
    if (!list)
        return;
    TRect whole = list->ItemRectOf(this, TFxCustomOutlookList::irWhole);
    int offset = list->Layout() == loVertical ? whole.Top : whole.Left;
    TRect textRect = list->ItemRectOf(this, TFxCustomOutlookList::irText, offset);
    TRect glyphRect = list->ItemRectOf(this, TFxCustomOutlookList::irGlyph, offset);
    FItemRect = whole;
    TCanvas* canvas = list->OffscreenCanvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(list->Color());
    canvas->Font()->SetColor(list->Font()->Color());
    bool wholeHighlight = list->WholeItemHighlight();
    if (FHot && wholeHighlight)
        canvas->Font()->SetColor(list->FHotTextColor);
    if (wholeHighlight && IsDown())
        OffsetRect(textRect, 1, 1);
    TPoint glyphPos = glyphRect.TopLeft(), textPos = textRect.TopLeft();
    bool defaultDrawing = list->CallOnDrawItem(this, glyphPos, textPos);
    OffsetRect(glyphRect, glyphPos.X - glyphRect.Left, glyphPos.Y - glyphRect.Top);
    OffsetRect(textRect, textPos.X - textRect.Left, textPos.Y - textRect.Top);
    FHitRect = wholeHighlight ? whole : glyphRect;
    if (!defaultDrawing)
        return;
    DrawItemFrame(glyphRect);
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetBkMode(TRANSPARENT);
    canvas->DrawText(FText, textRect,
                     DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void TFxOutlookListItem::DrawItemFrame(const TRect& rect) {
    TFxCustomOutlookList* list = List();
    TCanvas* canvas = list->OffscreenCanvas();
    TColor savedBrush = canvas->Brush()->Color();
    TBrushStyle savedStyle = canvas->Brush()->Style();
    TColor savedPen = canvas->Pen()->Color();
    bool selected = Selected();
    if (selected)
        DitherFill(canvas, FHitRect, canvas->Brush()->Color(), clBtnHighlight);
    else if (FHot && list->ItemHotTrackColor() != list->Color() &&
             list->ItemHotTrackColor() != clNone) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(list->ItemHotTrackColor());
        canvas->FillRect(FHitRect);
    }
    bool sunken = selected || (IsDown() && FHot);
    if (sunken || FHot) {
        TColor topLeft = sunken ? list->ItemShadowColor() : list->ItemHighlightColor();
        TColor bottomRight = sunken ? list->ItemHighlightColor() : list->ItemShadowColor();
        const TRect& h = FHitRect;
        canvas->Pen()->SetColor(topLeft);
        canvas->MoveTo(h.Left, h.Bottom - 1);
        canvas->LineTo(h.Left, h.Top);
        canvas->LineTo(h.Right - 1, h.Top);
        canvas->Pen()->SetColor(bottomRight);
        canvas->MoveTo(h.Left, h.Bottom - 1);
        canvas->LineTo(h.Right - 1, h.Bottom - 1);
        canvas->LineTo(h.Right - 1, h.Top - 1);
    }
    if (TImageList* images = list->Images()) {
        int x = (rect.Left + rect.Right) / 2 - images->Width() / 2;
        int y = (rect.Top + rect.Bottom) / 2 - images->Height() / 2;
        if (IsDown() && list->WholeItemHighlight()) {
            ++x;
            ++y;
        }
        images->Draw(canvas, x, y, FImageIndex, true);
    }
    if (this == list->FirstShownItem())
        list->DrawScrollButton(1);
    if (this == list->LastShownItem())
        list->DrawScrollButton(2);
    canvas->Brush()->SetColor(savedBrush);
    canvas->Brush()->SetStyle(savedStyle);
    canvas->Pen()->SetColor(savedPen);
}

// ---------------------------------------------------------------------------
// TFxOutlookListItems

TFxOutlookListItems::TFxOutlookListItems(TFxCustomOutlookList* list)
    : TFxCollection(TFxOutlookListItem::StaticClass(), list), FList(list) {}

void TFxOutlookListItems::Update(TCollectionItem*) {
    if (FList && !FList->IsDestroying())
        FList->Invalidate();
}

// ---------------------------------------------------------------------------
// TFxCustomOutlookList

TFxCustomOutlookList::TFxCustomOutlookList(TComponent* owner) : TFxOutlookPanel(owner) {
    FItems = std::make_unique<TFxOutlookListItems>(this);
    SetParentColor(false);
    SetColor(clBtnShadow);
    FItemHotTrackColor = Color();
    Font()->SetColor(TColor(0xFFFFFF));
    TFxOutlookPanel::SetTransparent(false);
    TControlStyle style = ControlStyle();
    style.Exclude(csCaptureMouse);
    style.Include(csOpaque);
    SetControlStyle(style);
    FImagesLink.SetOnChange(TNotifyEvent([this](TObject*) { Invalidate(); }));
}

TFxCustomOutlookList::~TFxCustomOutlookList() {
    TComponent::Destroying();
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    FItems.reset();
}

void TFxOutlookList::Publish(TPublisher<TFxOutlookList>& p) {
    using T = TFxCustomOutlookList;
    p.Enum("BorderStyle", ListBorderStyleType(), &T::BorderStyle, &T::SetBorderStyle)
        .Default(bsSingle);
    p.Enum("ClickStyle", ClickStyleType(), &T::ClickStyle, &T::SetClickStyle).Default(csClick);
    p.Enum("HotTrackStyle", HotTrackStyleType(), &T::HotTrackStyle, &T::SetHotTrackStyle)
        .Default(hsIconHilite);
    p.Class("Images", TImageList::StaticClass(), &T::Images, &T::SetImages);
    p.Ordinal("ItemHighlightColor", TypeInfoTColor(), &T::ItemHighlightColor,
              &T::SetItemHighlightColor)
        .Default(int64_t(clBtnFace));
    p.Ordinal("ItemHotTrackColor", TypeInfoTColor(), &T::ItemHotTrackColor,
              &T::SetItemHotTrackColor)
        .Default(int64_t(clBtnShadow));
    p.Enum("ItemLayout", ButtonLayoutType(), &T::ItemLayout, &T::SetItemLayout).Default(blGlyphTop);
    p.Class("Items", TFxOutlookListItems::StaticClass(), &T::Items, &T::SetItems);
    p.Ordinal("ItemShadowColor", TypeInfoTColor(), &T::ItemShadowColor, &T::SetItemShadowColor)
        .Default(int64_t(clBtnText));
    p.Integer("ItemSpacing", &T::ItemSpacing, &T::SetItemSpacing).Default(20);
    p.Integer("ItemsWidth", &T::ItemsWidth, &T::SetItemsWidth).Default(0);
    p.Enum("Layout", TypeInfoTFxLayout(), &T::Layout, &T::SetLayout).Default(loVertical);
    p.Bool("ScrollButtonsVisible", &T::ScrollButtonsVisible, &T::SetScrollButtonsVisible)
        .Default(true);
    p.Integer("ScrollInterval", &T::ScrollInterval, &T::SetScrollInterval).Default(250);
    p.Bool("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    p.Event("OnItemClick", &T::OnItemClick, &T::SetOnItemClick);
    p.Event("OnItemChange", &T::OnItemChange, &T::SetOnItemChange);
    p.Event("OnDrawItem", &T::OnDrawItem, &T::SetOnDrawItem);
}

void TFxCustomOutlookList::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    RecreateWnd();
}

void TFxCustomOutlookList::SetImages(TImageList* value) {
    if (value == FImages)
        return;
    if (FImages)
        FImages->UnRegisterChanges(&FImagesLink);
    FImages = value;
    if (value) {
        value->FreeNotification(this);
        value->RegisterChanges(&FImagesLink);
    }
    Invalidate();
}

void TFxCustomOutlookList::SetItemLayout(TButtonLayout value) {
    if (value == FItemLayout)
        return;
    FItemLayout = value;
    Invalidate();
}

void TFxCustomOutlookList::SetItemHighlightColor(TColor value) {
    if (value == FItemHighlightColor)
        return;
    FItemHighlightColor = value;
    Invalidate();
}

void TFxCustomOutlookList::SetItemShadowColor(TColor value) {
    if (value == FItemShadowColor)
        return;
    FItemShadowColor = value;
    Invalidate();
}

void TFxCustomOutlookList::SetItemSpacing(int value) {
    if (value % 2 != 0)
        ++value;
    FItemSpacing = value;
    Invalidate();
}

void TFxCustomOutlookList::SetItemsWidth(int value) {
    if (value == FItemsWidth)
        return;
    FItemsWidth = value;
    Invalidate();
}

void TFxCustomOutlookList::SetLayout(TFxLayout value) {
    if (value == FLayout)
        return;
    FLayout = value;
    LayoutScrollButtons();
    Invalidate();
}

void TFxCustomOutlookList::SetScrollButtonsVisible(bool value) {
    if (value == FScrollButtonsVisible)
        return;
    FScrollButtonsVisible = value;
    Invalidate();
}

void TFxCustomOutlookList::SetTransparent(bool value) {
    if (value == Transparent())
        return;
    TFxOutlookPanel::SetTransparent(value);
    if (Parent())
        Parent()->Invalidate();
}

bool TFxCustomOutlookList::WholeItemHighlight() const {
    return FHotTrackStyle == hsItemHilite || !FImages;
}

TFxOutlookListItem* TFxCustomOutlookList::FirstShownItem() const {
    if (FFirstShown)
        return FFirstShown;
    return FItems && FItems->Count() > 0 ? FItems->Items(0) : nullptr;
}

TFxOutlookListItem* TFxCustomOutlookList::LastShownItem() const {
    TFxOutlookListItem* first = FirstShownItem();
    if (!first)
        return nullptr;
    int limit = FLayout == loVertical ? ClientHeight() : ClientWidth();
    int sum = 0;
    for (int i = first->Index(); i < FItems->Count(); ++i) {
        TSize e = FItems->Items(i)->ItemExtent(true);
        sum += FLayout == loVertical ? e.cy : e.cx;
        if (sum > limit)
            return FItems->Items(i);
    }
    return FItems->Items(FItems->Count() - 1);
}

template <class F> void TFxCustomOutlookList::ForEachShownItem(F fn) const {
    TFxOutlookListItem* first = FirstShownItem();
    TFxOutlookListItem* last = LastShownItem();
    if (!first || !last)
        return;
    for (int i = first->Index(); i <= last->Index(); ++i)
        fn(FItems->Items(i));
}

TRect TFxCustomOutlookList::ItemRectOf(const TFxOutlookListItem* item, TItemRectKind kind,
                                       int offset) const {
    TFxOutlookListItem* first = FirstShownItem();
    TFxOutlookListItem* last = LastShownItem();
    if (!item || !first || !last || item->Index() < first->Index() || item->Index() > last->Index())
        return TRect();
    if (offset == -1) {
        offset = 0;
        for (int i = first->Index(); i < item->Index(); ++i) {
            TSize e = FItems->Items(i)->ItemExtent(true);
            offset += FLayout == loVertical ? e.cy : e.cx;
        }
    }
    TSize e = item->ItemExtent(true);
    TRect whole = FLayout == loVertical ? TRect(0, offset, ClientWidth(), offset + e.cy)
                                        : TRect(offset, 0, offset + e.cx, ClientHeight());
    if (kind == irWhole)
        return whole;
    TPoint imageSize = FImages ? TPoint(FImages->Width(), FImages->Height()) : TPoint();
    auto* canvas = const_cast<TFxCustomOutlookList*>(this)->OffscreenCanvas();
    canvas->Font()->AssignFrom(Font());
    TSize extent = canvas->TextExtent(item->Text());
    TPoint textSize(extent.cx, extent.cy);
    TRect textRect, glyphRect;
    TPoint centre((whole.Left + whole.Right) / 2, (whole.Top + whole.Bottom) / 2);
    CalcGlyphTextLayout(centre, textRect, glyphRect, item->Separation(), FItemLayout, imageSize,
                        textSize);
    InflateRect(glyphRect, 2, 2);
    return kind == irGlyph ? glyphRect : textRect;
}

bool TFxCustomOutlookList::CanScroll(int which) const {
    TFxOutlookListItem* first = FirstShownItem();
    if (!first)
        return false;
    if (which == 1)
        return first->Index() != 0;
    TFxOutlookListItem* last = LastShownItem();
    if (last != first && !last->IsVisible(true))
        last = FItems->Items(last->Index() - 1);
    return last->Index() != FItems->Count() - 1;
}

void TFxCustomOutlookList::InvalidateScrollButton(int which) {
    TRect r = ScrollButtonRect(which);
    InvalidateRect(&r);
}

void TFxCustomOutlookList::ItemClicked(TFxOutlookListItem* item) {
    if (FClickStyle == csSelect && !item->Selected()) {
        item->SetSelected(true);
        if (FOnItemChange)
            FOnItemChange(this, item);
    }
    if (FOnItemClick)
        FOnItemClick(this, item);
    if (item->OnClick())
        item->OnClick()(this, item);
    UpdateHotItem();
}

void TFxCustomOutlookList::ScrollStep() {
    TFxOutlookListItem* first = FirstShownItem();
    if (!first)
        return;
    int index = first->Index();
    TFxOutlookListItem* next = first;
    if (FPressedScroll == 1 && index > 0)
        next = FItems->Items(index - 1);
    else if (FPressedScroll == 2 && index < FItems->Count() - 1)
        next = FItems->Items(index + 1);
    if (next != first) {
        FFirstShown = next;
        RedrawList();
    }
    UpdateItemRects();
    UpdateHotItem();
}

void TFxCustomOutlookList::UpdateItemRects() {
    ForEachShownItem([this](TFxOutlookListItem* item) {
        item->FItemRect = ItemRectOf(item, irWhole);
        item->FHitRect = WholeItemHighlight() ? item->FItemRect : ItemRectOf(item, irGlyph);
    });
}

void TFxCustomOutlookList::UpdateHotItem() {
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    ForEachShownItem([p](TFxOutlookListItem* item) { item->SetHot(PtInRect(item->FHitRect, p)); });
}

void TFxCustomOutlookList::LayoutScrollButtons() {
    int w = Width(), h = Height();
    if (FLayout == loHorizontal) {
        FScrollRects[0] = TRect(10, 10, 25, 25);
        FScrollRects[1] = TRect(w - 25, 10, w - 10, 25);
    } else {
        FScrollRects[0] = TRect(w - 25, 10, w - 10, 25);
        FScrollRects[1] = TRect(w - 25, h - 25, w - 10, h - 10);
    }
}

TFxOutlookListItem* TFxCustomOutlookList::ItemAtPos(int x, int y) const {
    for (int i = 0; i < FItems->Count(); ++i)
        if (PtInRect(FItems->Items(i)->FItemRect, TPoint(x, y)))
            return FItems->Items(i);
    return nullptr;
}

bool TFxCustomOutlookList::CallOnDrawItem(TFxOutlookListItem* item, TPoint& glyphPos,
                                          TPoint& textPos) {
    bool defaultDrawing = true;
    if (FOnDrawItem)
        FOnDrawItem(this, item, glyphPos, textPos, defaultDrawing);
    return defaultDrawing;
}

void TFxCustomOutlookList::DrawScrollButton(int which) {
    if (!CanScroll(which) || !FScrollButtonsVisible)
        return;
    TCanvas* canvas = OffscreenCanvas();
    TRect r = ScrollButtonRect(which);
    bool pushed = FHotScroll == which && FPressedScroll == which;
    DrawFrameControl(canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    const char* name = FLayout == loVertical ? (which == 1 ? "FCDROPUP" : "FCDROPDOWN")
                                             : (which == 1 ? "FCDROPLEFT" : "FCDROPRIGHT");
    TBitmap arrow;
    if (!LoadBitmapResource(&arrow, name))
        return;
    arrow.SetTransparent(true);
    int x = FLayout == loVertical ? r.Left + 2 : r.Left + 5;
    int y = FLayout == loVertical ? r.Top + 5 : r.Top + 3;
    if (pushed) {
        ++x;
        ++y;
    }
    canvas->Draw(x, y, &arrow);
}

void TFxCustomOutlookList::EnsureBuffer() {
    int w = std::max(1, ClientWidth()), h = std::max(1, ClientHeight());
    if (FBuffer.Width() != w || FBuffer.Height() != h)
        FBuffer.SetSize(w, h);
}

void TFxCustomOutlookList::PaintControl() {
    EnsureBuffer();
    PaintPanel();
    TCanvas* canvas = OffscreenCanvas();
    TRect client = ClientRect();
    TFxCustomOutlookBar* bar = FOwnerPage ? FOwnerPage->OutlookBar() : OutlookBar();
    canvas->Brush()->SetStyle(bsSolid);
    if (!Transparent()) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(client);
    } else if (bar && bar->Imager()) {
        TRect parentRect = Parent() ? Parent()->BoundsRect() : client;
        TRect parentClient = Parent() ? Parent()->ClientRect() : client;
        bar->PaintImager(canvas, parentRect, parentClient);
    } else {
        // A transparent list off any page has no bar colour: it takes its own.
        canvas->Brush()->SetColor(bar ? bar->Color() : Color());
        canvas->FillRect(client);
    }
    canvas->Font()->AssignFrom(Font());
    if (TFxOutlookListItem* first = FirstShownItem()) {
        TFxOutlookListItem* last = LastShownItem();
        for (int i = first->Index(); i <= last->Index(); ++i)
            FItems->Items(i)->DrawItem();
        DrawScrollButton(1);
        DrawScrollButton(2);
    }
    Canvas()->CopyRect(client, canvas, client);
}

void TFxCustomOutlookList::PrepareWindowParams(TCreateParams& params) {
    TFxOutlookPanel::PrepareWindowParams(params);
    if (FBorderStyle == bsSingle) {
        params.Style &= ~WS_BORDER;
        params.ExStyle |= WS_EX_CLIENTEDGE;
    }
}

int TFxCustomOutlookList::ScrollButtonAt(int x, int y) const {
    for (int which = 1; which <= 2; ++which)
        if (PtInRect(ScrollButtonRect(which), TPoint(x, y)))
            return which;
    return 0;
}

bool TFxCustomOutlookList::CursorInScrollButton(int which) const {
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    return PtInRect(ScrollButtonRect(which), p);
}

void TFxCustomOutlookList::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TFxOutlookPanel::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    FPressedScroll = ScrollButtonAt(x, y);
    if (FPressedScroll && CanScroll(FPressedScroll)) {
        FCaptureBefore = GetCapture();
        SetCapture(Handle());
        InvalidateScrollButton(FPressedScroll);
        SetTimer(Handle(), kOutlookScrollTimer, UINT(FScrollInterval));
        return;
    }
    TFxOutlookListItem* first = FirstShownItem();
    TFxOutlookListItem* last = LastShownItem();
    if (!first || !last)
        return;
    for (int i = first->Index(); i <= last->Index(); ++i)
        if (PtInRect(FItems->Items(i)->FHitRect, TPoint(x, y))) {
            FItems->Items(i)->SetPressed(true);
            FItems->Items(i)->InvalidateItem(false);
            break;
        }
}

void TFxCustomOutlookList::HandleMouseMove(TShiftState shift, int x, int y) {
    TFxOutlookPanel::HandleMouseMove(shift, x, y);
    bool anyHot = false;
    bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    ForEachShownItem([&](TFxOutlookListItem* item) {
        bool hot = inside && PtInRect(item->FHitRect, TPoint(x, y));
        item->SetHot(hot);
        anyHot = anyHot || hot;
    });
    // The capture a held scroll button took stays until the button is released.
    if (!anyHot && !FPressedScroll && HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    int which = inside ? ScrollButtonAt(x, y) : 0;
    if (which != FHotScroll && (which == 0 || CanScroll(which))) {
        int old = FHotScroll;
        FHotScroll = which;
        if (old)
            InvalidateScrollButton(old);
        if (which)
            InvalidateScrollButton(which);
    }
}

void TFxCustomOutlookList::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TFxOutlookPanel::HandleMouseUp(button, shift, x, y);
    if (button != mbLeft)
        return;
    std::vector<TFxOutlookListItem*> clicked;
    ForEachShownItem([&](TFxOutlookListItem* item) {
        if (item->FPressed && PtInRect(item->FHitRect, TPoint(x, y)))
            clicked.push_back(item);
    });
    ForEachShownItem([](TFxOutlookListItem* item) { item->SetPressed(false); });
    // A click handler may change the list: each item clicked is looked up again.
    for (TFxOutlookListItem* item : clicked)
        for (int i = 0; i < FItems->Count(); ++i)
            if (FItems->Items(i) == item) {
                ItemClicked(item);
                break;
            }
    if (FPressedScroll && CanScroll(FPressedScroll) &&
        PtInRect(ScrollButtonRect(FPressedScroll), TPoint(x, y)))
        ScrollStep();
    if (FPressedScroll)
        ReleaseScrollCapture();
}

void TFxCustomOutlookList::ReleaseScrollCapture() {
    KillTimer(Handle(), kOutlookScrollTimer);
    if (GetCapture() == Handle())
        ReleaseCapture();
    // The window that held the capture gets it back only while it still exists.
    if (FCaptureBefore && FCaptureBefore != Handle() && IsWindow(FCaptureBefore))
        SetCapture(FCaptureBefore);
    FCaptureBefore = 0;
    int which = FPressedScroll;
    FPressedScroll = 0;
    InvalidateScrollButton(which);
}

void TFxCustomOutlookList::HandleTimer() {
    if (FPressedScroll && CanScroll(FPressedScroll) && CursorInScrollButton(FPressedScroll))
        ScrollStep();
}

void TFxCustomOutlookList::HandleResize() {
    EnsureBuffer();
    LayoutScrollButtons();
    TFxOutlookPanel::HandleResize();
}

void TFxCustomOutlookList::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_TIMER:
        if (message.WParam == kOutlookScrollTimer) {
            HandleTimer();
            return;
        }
        break;
    case WM_ERASEBKGND:
        message.Result = 1; // everything is painted through the off-screen bitmap
        return;
    case CM_CONTROLLISTCHANGE:
        if (message.LParam != 0) {
            // The list takes no child controls.
            auto* child = reinterpret_cast<TControl*>(message.WParam);
            child->SetParent(nullptr);
            throw EInvalidOperation(
                "TFxCustomOutlookList does not accept child controls.  Delete "
                "TFxCustomOutlookList and/or set the options property of the TFxControlBar, "
                "\"cboAutoCreateOutlookList\", to False");
        }
        break;
    default:
        break;
    }
    TFxOutlookPanel::HandleMessage(message);
}

void TFxCustomOutlookList::AfterLoad() {
    TFxOutlookPanel::AfterLoad();
    SetClickStyle(FClickStyle);
    LayoutScrollButtons();
}

void TFxCustomOutlookList::ComponentNotification(TComponent* component, TOperation operation) {
    TFxOutlookPanel::ComponentNotification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        Invalidate();
    }
}
