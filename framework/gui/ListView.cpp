#include "framework/gui/ListView.h"

#include "framework/core/SysUtils.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

constexpr int kIconCellWidth = 90;
constexpr int kIconCellHeight = 64;
constexpr int kListCellWidth = 150;

} // namespace

// ---------------------------------------------------------------------------
// TListItem

int TListItem::Index() const {
    for (int i = 0; i < FOwner->ItemCount(); ++i)
        if (FOwner->Item(i) == this)
            return i;
    return -1;
}

void TListItem::SetCaption(const std::string& value) {
    FCaption = value;
    FOwner->ItemChanged(this, ctText);
}

void TListItem::SetImageIndex(int value) {
    FImageIndex = value;
    FOwner->ItemChanged(this, ctImage);
}

int TListItem::AddSubItem(const std::string& text, TObject* object) {
    FSubItems.push_back(text);
    FSubItemObjects.resize(FSubItems.size(), nullptr);
    FSubItemObjects.back() = object;
    FOwner->ItemChanged(this, ctText);
    return int(FSubItems.size()) - 1;
}

TObject* TListItem::SubItemObject(int i) const {
    return i >= 0 && i < int(FSubItemObjects.size()) ? FSubItemObjects[size_t(i)] : nullptr;
}

void TListItem::SetSubItemObject(int i, TObject* object) {
    if (i < 0 || i >= int(FSubItems.size()))
        throw EListError(Format("List index out of bounds (%d)", {i}));
    FSubItemObjects.resize(FSubItems.size(), nullptr);
    FSubItemObjects[size_t(i)] = object;
}

bool TListItem::Selected() const {
    return FOwner->Selected() == this;
}

void TListItem::SetSelected(bool value) {
    if (value)
        FOwner->SetSelected(this);
    else if (Selected())
        FOwner->SetSelected(nullptr);
}

// ---------------------------------------------------------------------------
// TListView

TListView::TListView(TComponent* owner) : TCustomControl(owner) {
    SetColor(clWindow);
    SetParentColor(false);
    SetBounds(0, 0, 250, 150);
}

void TListView::Publish(TPublisher<TListView>& p) {
    static const TTypeInfo viewStyleType =
        MakeEnumType("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
    using T = TListView;
    p.String("Columns", &T::ColumnsText, &T::SetColumnsText);
    p.Enum("ViewStyle", &viewStyleType, &T::ViewStyle, &T::SetViewStyle).Default(vsIcon);
    p.Bool("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    p.Bool("RowSelect", &T::RowSelect, &T::SetRowSelect).Default(false);
}

TListView::~TListView() = default;

TListColumn* TListView::Column(int i) const {
    if (i < 0 || i >= ColumnCount())
        throw EListError(Format("List index out of bounds (%d)", {i}));
    return FColumns[size_t(i)].get();
}

TListColumn* TListView::AddColumn(const std::string& caption, int width, TAlignment alignment) {
    auto column = std::make_unique<TListColumn>();
    column->SetCaption(caption);
    column->SetWidth(width);
    column->SetAlignment(alignment);
    FColumns.push_back(std::move(column));
    Invalidate();
    return FColumns.back().get();
}

std::string TListView::ColumnsText() const {
    std::string text;
    for (const auto& column : FColumns) {
        if (!text.empty())
            text += ';';
        text += std::to_string(column->Width());
    }
    return text;
}

void TListView::SetColumnsText(const std::string& text) {
    std::istringstream in(text);
    std::string part;
    for (int i = 0; std::getline(in, part, ';') && i < ColumnCount(); ++i) {
        char* end = nullptr;
        const long width = std::strtol(part.c_str(), &end, 10);
        if (end != part.c_str() && *end == '\0' && width >= 0)
            FColumns[size_t(i)]->SetWidth(int(width));
    }
    Invalidate();
}

TListItem* TListView::Item(int i) const {
    if (i < 0 || i >= ItemCount())
        throw EListError(Format("List index out of bounds (%d)", {i}));
    return FItems[size_t(i)].get();
}

TListItem* TListView::AddItem() {
    FItems.push_back(std::make_unique<TListItem>(this));
    Invalidate();
    return FItems.back().get();
}

void TListView::ClearItems() {
    FSelected = nullptr;
    FItems.clear();
    Invalidate();
}

void TListView::SetSelected(TListItem* item) {
    if (item == FSelected)
        return;
    TListItem* old = FSelected;
    FSelected = item;
    Invalidate();
    if (old)
        ItemChanged(old, ctState);
    if (item)
        ItemChanged(item, ctState);
}

void TListView::ItemChanged(TListItem* item, TItemChange change) {
    Invalidate();
    if (FOnChange)
        FOnChange(this, item, change);
}

void TListView::SetViewStyle(TViewStyle value) {
    FViewStyle = value;
    Invalidate();
}

void TListView::SetLargeImages(TImageList* value) {
    FLargeImages = value;
    Invalidate();
}

void TListView::SetSmallImages(TImageList* value) {
    FSmallImages = value;
    Invalidate();
}

void TListView::SetRowSelect(bool value) {
    FRowSelect = value;
    Invalidate();
}

void TListView::Arrange(TListArrangement) {
    Invalidate();
}

int TListView::HeaderHeight() const {
    return FViewStyle == vsReport ? 20 : 0;
}

int TListView::RowHeight() const {
    const int image = FSmallImages ? FSmallImages->Height() : 0;
    return std::max({17, image + 2, std::abs(Font()->Height()) + 4});
}

TSize TListView::CellSize() const {
    switch (FViewStyle) {
    case vsIcon:
        return TSize{kIconCellWidth, kIconCellHeight};
    case vsSmallIcon:
    case vsList:
        return TSize{kListCellWidth, RowHeight()};
    case vsReport:
        break;
    }
    return TSize{std::max(ColumnsWidth(), ClientWidth()), RowHeight()};
}

int TListView::ColumnsWidth() const {
    int width = 0;
    for (const auto& column : FColumns)
        width += column->Width();
    return width;
}

TRect TListView::ItemRect(int index) const {
    const TSize cell = CellSize();
    switch (FViewStyle) {
    case vsReport:
        return Bounds(0, HeaderHeight() + index * cell.cy, cell.cx, cell.cy);
    case vsList: {
        // Columns top to bottom, then left to right.
        const int perColumn = std::max(1, ClientHeight() / cell.cy);
        return Bounds(index / perColumn * cell.cx, index % perColumn * cell.cy, cell.cx, cell.cy);
    }
    case vsIcon:
    case vsSmallIcon:
        break;
    }
    // Rows left to right, aligned at the top.
    const int perRow = std::max(1, ClientWidth() / cell.cx);
    return Bounds(index % perRow * cell.cx, index / perRow * cell.cy, cell.cx, cell.cy);
}

TListItem* TListView::GetItemAt(int x, int y) const {
    for (int i = 0; i < ItemCount(); ++i) {
        TRect r = ItemRect(i);
        if (FViewStyle == vsReport && !FRowSelect)
            r.Right = FColumns.empty() ? r.Right : FColumns[0]->Width();
        if (PtInRect(r, TPoint(x, y)))
            return Item(i);
    }
    return nullptr;
}

void TListView::PaintItem(TCanvas* canvas, int index) {
    TListItem* item = Item(index);
    const TRect r = ItemRect(index);
    const bool selected = item == FSelected;
    const bool focused = selected && Focused();
    const TColor highlight = focused ? clHighlight : clBtnFace;
    const TColor highlightText = focused ? clHighlightText : clWindowText;
    canvas->Brush()->SetStyle(bsSolid);

    auto drawText = [&](TRect box, const std::string& text, unsigned align, bool mark) {
        if (mark) {
            canvas->Brush()->SetColor(highlight);
            canvas->FillRect(box);
            canvas->Font()->SetColor(highlightText);
        } else {
            canvas->Font()->SetColor(clWindowText);
        }
        canvas->Brush()->SetStyle(bsClear);
        InflateRect(box, -2, 0);
        DrawText(canvas, text, box, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        canvas->Brush()->SetStyle(bsSolid);
    };

    if (FViewStyle == vsIcon) {
        if (FLargeImages && item->ImageIndex() >= 0)
            FLargeImages->Draw(canvas, r.Left + (r.Width() - FLargeImages->Width()) / 2, r.Top + 4,
                               item->ImageIndex());
        const int imageBottom = r.Top + 6 + (FLargeImages ? FLargeImages->Height() : 32);
        TRect text(r.Left + 2, imageBottom, r.Right - 2, r.Bottom);
        const int width = std::min(canvas->TextWidth(item->Caption()) + 6, text.Width());
        TRect mark(r.Left + (r.Width() - width) / 2, imageBottom, 0, 0);
        mark.Right = mark.Left + width;
        mark.Bottom = imageBottom + canvas->TextHeight("Ag") + 2;
        if (selected) {
            canvas->Brush()->SetColor(highlight);
            canvas->FillRect(mark);
        }
        canvas->Font()->SetColor(selected ? highlightText : clWindowText);
        canvas->Brush()->SetStyle(bsClear);
        TRect box = text;
        DrawText(canvas, item->Caption(), box, DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS);
        canvas->Brush()->SetStyle(bsSolid);
        return;
    }

    const bool rowMarked = FViewStyle == vsReport && FRowSelect && selected;
    if (rowMarked) {
        canvas->Brush()->SetColor(highlight);
        canvas->FillRect(r);
    }
    int x = r.Left + 2;
    if (FSmallImages && item->ImageIndex() >= 0)
        FSmallImages->Draw(canvas, x, r.Top + (r.Height() - FSmallImages->Height()) / 2,
                           item->ImageIndex());
    x += (FSmallImages ? FSmallImages->Width() : 0) + 2;
    if (FViewStyle != vsReport) {
        drawText(TRect(x, r.Top, r.Right, r.Bottom), item->Caption(), DT_LEFT, selected);
        return;
    }
    int left = 0;
    for (int c = 0; c < ColumnCount(); ++c) {
        TListColumn* column = Column(c);
        TRect box(left, r.Top, left + column->Width(), r.Bottom);
        left = box.Right;
        if (c == 0)
            box.Left = x;
        const unsigned align = column->Alignment() == taCenter         ? DT_CENTER
                               : column->Alignment() == taRightJustify ? DT_RIGHT
                                                                       : DT_LEFT;
        std::string text;
        if (c == 0)
            text = item->Caption();
        else if (c - 1 < int(item->SubItems().size()))
            text = item->SubItems()[size_t(c - 1)];
        if (rowMarked) {
            canvas->Font()->SetColor(highlightText);
            canvas->Brush()->SetStyle(bsClear);
            InflateRect(box, -2, 0);
            DrawText(canvas, text, box, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            canvas->Brush()->SetStyle(bsSolid);
        } else {
            drawText(box, text, align, c == 0 && selected);
        }
    }
}

void TListView::PaintControl() {
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    for (int i = 0; i < ItemCount(); ++i)
        PaintItem(canvas, i);
    if (FViewStyle == vsReport) {
        int left = 0;
        for (int c = 0; c < ColumnCount(); ++c) {
            TListColumn* column = Column(c);
            TRect r(left, 0, left + column->Width(), HeaderHeight());
            left = r.Right;
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(r);
            TRect edge = r;
            DrawEdge(canvas, edge, EDGE_RAISED, BF_RECT | BF_ADJUST);
            canvas->Font()->SetColor(clBtnText);
            canvas->Brush()->SetStyle(bsClear);
            InflateRect(edge, -3, 0);
            const unsigned align = column->Alignment() == taCenter         ? DT_CENTER
                                   : column->Alignment() == taRightJustify ? DT_RIGHT
                                                                           : DT_LEFT;
            DrawText(canvas, column->Caption(), edge,
                     align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            canvas->Brush()->SetStyle(bsSolid);
        }
        if (left < ClientWidth()) {
            TRect rest(left, 0, ClientWidth(), HeaderHeight());
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(rest);
            DrawEdge(canvas, rest, EDGE_RAISED, BF_RECT);
        }
    }
}

void TListView::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (CanFocus() && !Focused())
        SetFocus();
    if (button == mbLeft || button == mbRight) {
        if (FViewStyle != vsReport || y >= HeaderHeight())
            SetSelected(GetItemAt(x, y));
    }
    TCustomControl::HandleMouseDown(button, shift, x, y);
}

void TListView::HandleKeyDown(uint16_t& key, TShiftState shift) {
    if (ItemCount() > 0 && (key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END)) {
        int index = ItemIndex();
        if (key == VK_UP)
            index = std::max(0, index - 1);
        else if (key == VK_DOWN)
            index = std::min(ItemCount() - 1, index + 1);
        else if (key == VK_HOME)
            index = 0;
        else
            index = ItemCount() - 1;
        SetItemIndex(index);
        key = 0;
        return;
    }
    TCustomControl::HandleKeyDown(key, shift);
}
