#include "framework/gui/ListView.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/ControlHelpers.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"
#include "framework/gui/ScrollBarLayout.h"

#include <QScrollBar>

#include <algorithm>
#include <cstdlib>
#include <sstream>

using ControlHelpers::StoreChanged;

namespace {

constexpr int kIconCellWidth = 90;
constexpr int kListCellWidth = 150;
constexpr int kEdgeTolerance = 3; // pixels either side of a header edge that grab it
constexpr int kMinColumnWidth = 0;

// A canvas to measure texts in the list view's font outside painting.
TCanvas* MeasureCanvas(const TFont* font) {
    // Kept for the whole run: it must not outlive the toolkit at exit.
    static TBitmap* bitmap = new TBitmap(1, 1);
    bitmap->Canvas()->SetFont(font);
    return bitmap->Canvas();
}

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

void TListItem::MakeVisible(bool partialOK) {
    FOwner->MakeVisible(Index(), partialOK);
}

// ---------------------------------------------------------------------------
// TListView

TListView::TListView(TComponent* owner)
    : TCustomControl(owner), FColumns(std::make_unique<TListColumns>(this)) {
    SetColor(clWindow);
    SetParentColor(false);
    // Reached by Tab like the other input controls: its keys move the selection.
    SetTabStop(true);
    SetBounds(0, 0, 250, 150);
}

void TListColumn::Publish(TPublisher<TListColumn>& p) {
    p.String("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
    p.Integer("Width", &TListColumn::Width, &TListColumn::SetWidth);
}

void TListColumn::SetCaption(const std::string& value) {
    if (StoreChanged(FCaption, value))
        Changed(false);
}

void TListColumn::SetWidth(int value) {
    value = std::max(value, 0);
    if (StoreChanged(FWidth, value))
        Changed(false);
}

void TListColumn::SetAlignment(TAlignment value) {
    if (StoreChanged(FAlignment, value))
        Changed(false);
}

TListColumns::TListColumns(TListView* listView)
    : TCollection(TListColumn::StaticClass(), listView), FListView(listView) {}

void TListColumns::Update(TCollectionItem*) {
    if (FListView)
        FListView->LayoutChanged();
}

void TListView::Publish(TPublisher<TListView>& p) {
    static const TTypeInfo viewStyleType =
        MakeEnumType("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
    using T = TListView;
    p.Class("Columns", TListColumns::StaticClass(), &T::Columns, &T::SetColumns);
    p.Enum("ViewStyle", &viewStyleType, &T::ViewStyle, &T::SetViewStyle).Default(vsIcon);
    p.Bool("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    p.Bool("RowSelect", &T::RowSelect, &T::SetRowSelect).Default(false);
}

TListView::~TListView() {
    FColumns->FListView = nullptr; // the columns go last: no layout for a view half gone
}

void TListView::SetColumns(TListColumns* value) {
    if (value && value != FColumns.get())
        FColumns->AssignFrom(value);
}

TListColumn* TListView::Column(int i) const {
    if (i < 0 || i >= ColumnCount())
        throw EListError(Format("List index out of bounds (%d)", {i}));
    return FColumns->Items(i);
}

TListColumn* TListView::AddColumn(const std::string& caption, int width, TAlignment alignment) {
    FColumns->BeginUpdate();
    auto* column = static_cast<TListColumn*>(FColumns->Add());
    column->SetCaption(caption);
    column->SetWidth(width);
    column->SetAlignment(alignment);
    FColumns->EndUpdate();
    return column;
}

TListItem* TListView::Item(int i) const {
    if (i < 0 || i >= ItemCount())
        throw EListError(Format("List index out of bounds (%d)", {i}));
    return FItems[size_t(i)].get();
}

TListItem* TListView::AddItem() {
    FItems.push_back(std::make_unique<TListItem>(this));
    LayoutChanged();
    return FItems.back().get();
}

void TListView::ClearItems() {
    FSelected = nullptr;
    FItems.clear();
    LayoutChanged();
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
    if (change == ctText)
        LayoutChanged();
    else
        Invalidate();
    if (FOnChange)
        FOnChange(this, item, change);
}

void TListView::SetViewStyle(TViewStyle value) {
    if (!StoreChanged(FViewStyle, value))
        return;
    FOrigin = TPoint();
    LayoutChanged();
}

void TListView::SetLargeImages(TImageList* value) {
    FLargeImages = value;
    LayoutChanged();
}

void TListView::SetSmallImages(TImageList* value) {
    FSmallImages = value;
    LayoutChanged();
}

void TListView::SetRowSelect(bool value) {
    FRowSelect = value;
    Invalidate();
}

void TListView::Arrange(TListArrangement code) {
    FArrangement = code == arAlignLeft ? arAlignLeft : arAlignTop;
    FOrigin = TPoint();
    LayoutChanged();
}

// ---- Geometry ---------------------------------------------------------------

int TListView::HeaderHeight() const {
    return FViewStyle == vsReport ? 20 : 0;
}

int TListView::LineHeight() const {
    return MeasureCanvas(Font())->TextHeight("Ag");
}

int TListView::RowHeight() const {
    const int image = FSmallImages ? FSmallImages->Height() : 0;
    return std::max({17, image + 2, LineHeight() + 4});
}

TSize TListView::CellSize() const {
    switch (FViewStyle) {
    case vsIcon: {
        // The icon, then room for two lines of caption.
        const int image = FLargeImages ? FLargeImages->Height() : 32;
        return TSize{kIconCellWidth, 4 + image + 2 + 2 * LineHeight() + 6};
    }
    case vsSmallIcon:
    case vsList:
        return TSize{kListCellWidth, RowHeight()};
    case vsReport:
        break;
    }
    return TSize{ColumnsWidth(), RowHeight()};
}

int TListView::ColumnsWidth() const {
    int width = 0;
    for (int c = 0; c < ColumnCount(); ++c)
        width += Column(c)->Width();
    return width;
}

bool TListView::InColumns() const {
    return FViewStyle == vsList ||
           ((FViewStyle == vsIcon || FViewStyle == vsSmallIcon) && FArrangement == arAlignLeft);
}

int TListView::PerLine(int clientWidth, int clientHeight) const {
    const TSize cell = CellSize();
    if (InColumns())
        return std::max(1, clientHeight / std::max(1, cell.cy));
    return std::max(1, clientWidth / std::max(1, cell.cx));
}

TRect TListView::ContentItemRect(int index, int clientWidth, int clientHeight) const {
    const TSize cell = CellSize();
    if (FViewStyle == vsReport)
        return Bounds(0, HeaderHeight() + index * cell.cy, std::max(cell.cx, clientWidth), cell.cy);
    const int per = PerLine(clientWidth, clientHeight);
    if (InColumns())
        return Bounds(index / per * cell.cx, index % per * cell.cy, cell.cx, cell.cy);
    return Bounds(index % per * cell.cx, index / per * cell.cy, cell.cx, cell.cy);
}

TSize TListView::ContentSize(int clientWidth, int clientHeight) const {
    const TSize cell = CellSize();
    const int n = ItemCount();
    if (FViewStyle == vsReport)
        return TSize{ColumnsWidth(), HeaderHeight() + n * cell.cy};
    if (n == 0)
        return TSize{0, 0};
    const int per = PerLine(clientWidth, clientHeight);
    const int lines = (n + per - 1) / per;
    if (InColumns())
        return TSize{lines * cell.cx, std::min(n, per) * cell.cy};
    return TSize{std::min(n, per) * cell.cx, lines * cell.cy};
}

TRect TListView::ItemRect(int index) const {
    TRect r = ContentItemRect(index, ClientWidth(), ClientHeight());
    OffsetRect(r, -FOrigin.X, -FOrigin.Y);
    return r;
}

TListItem* TListView::GetItemAt(int x, int y) const {
    if (y < HeaderHeight())
        return nullptr;
    for (int i = 0; i < ItemCount(); ++i) {
        TRect r = ItemRect(i);
        if (FViewStyle == vsReport && !FRowSelect && ColumnCount() > 0)
            r.Right = r.Left + Column(0)->Width();
        if (PtInRect(r, TPoint(x, y)))
            return Item(i);
    }
    return nullptr;
}

int TListView::ColumnEdgeAt(int x, int y) const {
    if (FViewStyle != vsReport || y < 0 || y >= HeaderHeight())
        return -1;
    int right = -FOrigin.X;
    int found = -1;
    for (int c = 0; c < ColumnCount(); ++c) {
        right += Column(c)->Width();
        // The last edge within reach wins, so a column dragged to width 0 can come back.
        if (std::abs(x - right) <= kEdgeTolerance)
            found = c;
    }
    return found;
}

std::vector<std::string> TListView::WrapCaption(const std::string& caption, int width,
                                                bool whole) const {
    TCanvas* canvas = MeasureCanvas(Font());
    // Words with the blanks after them; a word wider than the line breaks by characters.
    std::vector<std::string> lines;
    std::string line;
    auto fits = [&](const std::string& text) { return canvas->TextWidth(text) <= width; };
    size_t pos = 0;
    while (pos < caption.size()) {
        size_t end = caption.find(' ', pos);
        end = end == std::string::npos ? caption.size() : end;
        std::string word = caption.substr(pos, end - pos);
        pos = end < caption.size() ? end + 1 : end;
        const std::string joined = line.empty() ? word : line + " " + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
        // Break a long word at the last character that fits (whole UTF-8 characters).
        while (!fits(word)) {
            size_t cut = 0;
            for (size_t k = 1; k <= word.size(); ++k) {
                if (k < word.size() && (uint8_t(word[k]) & 0xC0) == 0x80)
                    continue;
                if (!fits(word.substr(0, k)))
                    break;
                cut = k;
            }
            if (cut == 0) // not even one character fits
                cut = std::min(word.size(), size_t(1) + (uint8_t(word[0]) >= 0xC0 ? 1 : 0));
            lines.push_back(word.substr(0, cut));
            word = word.substr(cut);
        }
        line = word;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    if (whole || lines.size() <= 2)
        return lines;
    // Two lines: the second ends in an ellipsis where the caption goes on.
    std::string second = lines[1];
    while (!second.empty() && !fits(second + "...")) {
        size_t k = second.size() - 1;
        while (k > 0 && (uint8_t(second[k]) & 0xC0) == 0x80)
            --k;
        second.erase(k);
    }
    return {lines[0], second + "..."};
}

std::vector<std::string> TListView::CaptionLines(int index) const {
    TListItem* item = Item(index);
    const bool whole = item == FSelected && Focused();
    return WrapCaption(item->Caption(), CellSize().cx - 4, whole);
}

// ---- Scrolling ----------------------------------------------------------------

TRect TListView::NonClientBorder() const {
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    return TRect(0, 0, FVertShown ? bar : 0, FHorzShown ? bar : 0);
}

void TListView::LayoutChanged() {
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    const int width = Width();
    const int height = Height();
    const ScrollBarLayout::TBarsShown shown =
        ScrollBarLayout::ChooseBars([&](ScrollBarLayout::TBarsShown now) {
            const int cw = std::max(0, width - (now.Vert ? bar : 0));
            const int ch = std::max(0, height - (now.Horz ? bar : 0));
            const TSize content = ContentSize(cw, ch);
            return ScrollBarLayout::TBarsShown{content.cy > ch, content.cx > cw};
        });
    const bool changed = shown.Vert != FVertShown || shown.Horz != FHorzShown;
    FVertShown = shown.Vert;
    FHorzShown = shown.Horz;
    SetOrigin(FOrigin); // kept inside the content
    if (changed)
        Perform(WM_SIZE, 0, MAKELPARAM(ClientWidth(), ClientHeight()));
    PlaceScrollBars();
    Invalidate();
}

void TListView::SetOrigin(TPoint origin) {
    const TSize content = ContentSize(ClientWidth(), ClientHeight());
    origin.X = std::clamp(origin.X, 0, std::max(0, content.cx - ClientWidth()));
    origin.Y = std::clamp(origin.Y, 0, std::max(0, content.cy - ClientHeight()));
    if (origin == FOrigin)
        return;
    FOrigin = origin;
    PlaceScrollBars();
    Invalidate();
}

void TListView::Scroll(int dx, int dy) {
    SetOrigin(TPoint(FOrigin.X + dx, FOrigin.Y + dy));
}

void TListView::MakeVisible(int index, bool partialOK) {
    if (index < 0 || index >= ItemCount())
        return;
    TRect r = ContentItemRect(index, ClientWidth(), ClientHeight());
    if (FViewStyle == vsReport)
        r.Right = r.Left + std::min(r.Width(), ClientWidth());
    // The header covers the top of the report's rows.
    const int top = FOrigin.Y + HeaderHeight();
    const int bottom = FOrigin.Y + ClientHeight();
    const int left = FOrigin.X;
    const int right = FOrigin.X + ClientWidth();
    if (partialOK && r.Bottom > top && r.Top < bottom && r.Right > left && r.Left < right)
        return;
    TPoint origin = FOrigin;
    if (r.Top < top)
        origin.Y = r.Top - HeaderHeight();
    else if (r.Bottom > bottom)
        origin.Y = r.Bottom - ClientHeight();
    if (r.Left < left)
        origin.X = r.Left;
    else if (r.Right > right)
        origin.X = r.Right - ClientWidth();
    SetOrigin(origin);
}

void TListView::PlaceScrollBars() {
    QWidget* w = WidgetIfAllocated();
    if (!w)
        return;
    auto connect = [this](QScrollBar* scroll, bool vertical) {
        QObject::connect(scroll, &QAbstractSlider::valueChanged, scroll, [this, vertical](int v) {
            if (FSettingBars == 0)
                ControlHelpers::CallFromQt(
                    [&] { SetOrigin(vertical ? TPoint(FOrigin.X, v) : TPoint(v, FOrigin.Y)); });
        });
    };
    const TSize content = ContentSize(ClientWidth(), ClientHeight());
    ++FSettingBars;
    ScrollBarLayout::PlaceBars(w, FVertBar, FHorzBar, {FVertShown, FHorzShown}, connect, Width(),
                               Height(), 0, GetSystemMetrics(SM_CXVSCROLL));
    // The report's header stays: the rows scroll in the space below it.
    if (FVertBar)
        ScrollBarLayout::SetBarParams(FVertBar, std::max(0, content.cy - ClientHeight()),
                                      ClientHeight() - HeaderHeight(), CellSize().cy, FOrigin.Y);
    if (FHorzBar)
        ScrollBarLayout::SetBarParams(FHorzBar, std::max(0, content.cx - ClientWidth()),
                                      ClientWidth(), FViewStyle == vsReport ? 16 : CellSize().cx,
                                      FOrigin.X);
    --FSettingBars;
}

void TListView::HandleResize() {
    LayoutChanged();
    TCustomControl::HandleResize();
}

void TListView::AfterWindowCreated() {
    TCustomControl::AfterWindowCreated();
    LayoutChanged();
}

void TListView::BeforeWindowDestroyed() {
    ScrollBarLayout::ReleaseBars(FVertBar, FHorzBar);
    TCustomControl::BeforeWindowDestroyed();
}

void TListView::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_MOUSEWHEEL: {
        const int delta = int16_t(HIWORD(message.WParam));
        const int steps = -delta / 120 * 3;
        if (InColumns() && FViewStyle != vsIcon && FViewStyle != vsSmallIcon)
            Scroll(steps * CellSize().cx / 3, 0);
        else
            Scroll(0, steps * (FViewStyle == vsIcon ? CellSize().cy / 3 : CellSize().cy));
        message.Result = 1;
        return;
    }
    case WM_SETCURSOR:
        if (QWidget* w = WidgetIfAllocated(); w && Screen) {
            TPoint p;
            GetCursorPos(p);
            p = ScreenToClient(p);
            if (FResizing >= 0 || ColumnEdgeAt(p.X, p.Y) >= 0) {
                w->setCursor(Screen->CursorShape(crHSplit));
                message.Result = 1;
                return;
            }
        }
        break;
    default:
        break;
    }
    TCustomControl::HandleMessage(message);
}

// ---- Painting -----------------------------------------------------------------

TDragImageList* TListView::GetDragImages() {
    if (!FSelected)
        return nullptr;
    const int index = FSelected->Index();
    const std::string& caption = FSelected->Caption();
    const bool large = FViewStyle == vsIcon;
    TImageList* icons = large ? FLargeImages : FSmallImages;
    const bool hasIcon = icons && FSelected->ImageIndex() >= 0;
    const int iconW = hasIcon ? icons->Width() : 0, iconH = hasIcon ? icons->Height() : 0;

    TBitmap measure(1, 1);
    measure.Canvas()->Font()->AssignFrom(Font());
    const int textW = measure.Canvas()->TextWidth(caption) + 4;
    const int textH = measure.Canvas()->TextHeight("Ag") + 2;
    // Large icons: the icon above its caption, both centred; otherwise the caption on the
    // icon's right.
    const int width = std::max(1, large ? std::max(iconW, textW) : iconW + 2 + textW);
    const int height = std::max(1, large ? iconH + 2 + textH : std::max(iconH, textH));
    TBitmap picture(width, height);
    TCanvas* c = picture.Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(TRect(0, 0, width, height));
    const TPoint iconAt = large ? TPoint((width - iconW) / 2, 0) : TPoint(0, (height - iconH) / 2);
    if (hasIcon)
        icons->Draw(c, iconAt.X, iconAt.Y, FSelected->ImageIndex());
    c->Font()->AssignFrom(Font());
    c->Font()->SetColor(clWindowText);
    c->Brush()->SetStyle(bsClear);
    TRect text = large ? TRect(0, iconH + 2, width, height) : TRect(iconW + 2, 0, width, height);
    DrawText(c, caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    if (!FDragImages)
        FDragImages = std::make_unique<TDragImageList>(nullptr);
    // The list holds this drag's picture alone: a picture of the last drag's size would
    // otherwise be added after it, and index 0 would still show the last drag's item.
    FDragImages->SetWidth(width);
    FDragImages->SetHeight(height);
    FDragImages->Clear();
    FDragImages->AddMasked(&picture, Color());
    FDragImages->SetOpaqueColor(Color());
    // The icon lies where the view draws it: the picture holds the item at the point where
    // the mouse took it.
    const TRect r = ItemRect(index);
    const TPoint viewIcon = large ? TPoint(r.Left + (r.Width() - iconW) / 2, r.Top + 4)
                                  : TPoint(r.Left + 2, r.Top + (r.Height() - iconH) / 2);
    FDragImages->SetDragImage(0, FPressPoint.X - (viewIcon.X - iconAt.X),
                              FPressPoint.Y - (viewIcon.Y - iconAt.Y));
    return FDragImages.get();
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
        const std::vector<std::string> lines = CaptionLines(index);
        const int lineHeight = canvas->TextHeight("Ag");
        int width = 0;
        for (const std::string& line : lines)
            width = std::max(width, canvas->TextWidth(line));
        width = std::min(width + 4, r.Width());
        const TRect mark(r.Left + (r.Width() - width) / 2, imageBottom,
                         r.Left + (r.Width() + width) / 2,
                         imageBottom + int(lines.size()) * lineHeight + 2);
        if (selected) {
            canvas->Brush()->SetColor(highlight);
            canvas->FillRect(mark);
        }
        canvas->Font()->SetColor(selected ? highlightText : clWindowText);
        canvas->Brush()->SetStyle(bsClear);
        for (size_t k = 0; k < lines.size(); ++k) {
            TRect box(r.Left, mark.Top + 1 + int(k) * lineHeight, r.Right,
                      mark.Top + 1 + int(k + 1) * lineHeight);
            DrawText(canvas, lines[k], box, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if (focused)
            canvas->DrawFocusRect(mark);
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
    int left = r.Left;
    for (int c = 0; c < ColumnCount(); ++c) {
        TListColumn* column = Column(c);
        TRect box(left, r.Top, left + column->Width(), r.Bottom);
        left = box.Right;
        if (c == 0)
            box.Left = x;
        if (box.Right <= box.Left)
            continue;
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
    const TRect client = ClientRect();
    // The focused large icon's whole caption may reach into the cells below: it comes last.
    int last = -1;
    for (int i = 0; i < ItemCount(); ++i) {
        const TRect r = ItemRect(i);
        if (FViewStyle == vsIcon && Item(i) == FSelected && Focused()) {
            last = i;
            continue;
        }
        if (r.Bottom > HeaderHeight() && r.Top < client.Bottom && r.Right > 0 &&
            r.Left < client.Right)
            PaintItem(canvas, i);
    }
    if (last >= 0)
        PaintItem(canvas, last);
    if (FViewStyle == vsReport) {
        int left = -FOrigin.X;
        for (int c = 0; c < ColumnCount(); ++c) {
            TListColumn* column = Column(c);
            TRect r(left, 0, left + column->Width(), HeaderHeight());
            left = r.Right;
            if (r.Width() <= 0)
                continue;
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

void TListView::PaintNonClient(TCanvas* canvas) {
    if (FVertShown && FHorzShown) {
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(TRect(Width() - bar, Height() - bar, Width(), Height()));
    }
}

// ---- Mouse and keys -----------------------------------------------------------

void TListView::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (CanFocus() && !Focused())
        SetFocus();
    if (button == mbLeft && FViewStyle == vsReport && y < HeaderHeight()) {
        // The header: an edge starts resizing its column; the header drags nothing.
        FResizing = ColumnEdgeAt(x, y);
        if (DragSource() == this)
            EndDrag(false);
    } else if (button == mbLeft || button == mbRight) {
        FPressPoint = TPoint(x, y);
        SetSelected(GetItemAt(x, y));
        if (FSelected)
            MakeVisible(FSelected->Index(), true);
        else if (DragSource() == this)
            EndDrag(false); // nothing under the mouse to drag
    }
    TCustomControl::HandleMouseDown(button, shift, x, y);
}

void TListView::HandleMouseMove(TShiftState shift, int x, int y) {
    if (FResizing >= 0 && FResizing < ColumnCount()) {
        int left = -FOrigin.X;
        for (int c = 0; c < FResizing; ++c)
            left += Column(c)->Width();
        const int width = std::max(kMinColumnWidth, x - left);
        if (width != Column(FResizing)->Width()) {
            Column(FResizing)->SetWidth(width);
            LayoutChanged();
        }
    }
    TCustomControl::HandleMouseMove(shift, x, y);
}

void TListView::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft)
        FResizing = -1;
    TCustomControl::HandleMouseUp(button, shift, x, y);
}

void TListView::HandleKeyDown(uint16_t& key, TShiftState shift) {
    const int n = ItemCount();
    if (n > 0 && (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT ||
                  key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT)) {
        const int per = PerLine(ClientWidth(), ClientHeight());
        // Up and down step by one item in the report and in columns, by a row of icons
        // otherwise; left and right the other way round.
        const int page = FViewStyle == vsReport || FViewStyle == vsList
                             ? std::max(1, (ClientHeight() - HeaderHeight()) / CellSize().cy)
                             : per;
        int index = ItemIndex();
        switch (key) {
        case VK_UP:
            index = index < 0 ? 0 : index - (FViewStyle == vsReport ? 1 : InColumns() ? 1 : per);
            break;
        case VK_DOWN:
            index = index < 0 ? 0 : index + (FViewStyle == vsReport ? 1 : InColumns() ? 1 : per);
            break;
        case VK_LEFT:
            if (FViewStyle != vsReport)
                index = index < 0 ? 0 : index - (InColumns() ? per : 1);
            break;
        case VK_RIGHT:
            if (FViewStyle != vsReport)
                index = index < 0 ? 0 : index + (InColumns() ? per : 1);
            break;
        case VK_HOME:
            index = 0;
            break;
        case VK_END:
            index = n - 1;
            break;
        case VK_PRIOR:
            index = std::max(0, index) - page;
            break;
        case VK_NEXT:
            index = std::max(0, index) + page;
            break;
        default:
            break;
        }
        index = std::clamp(index, 0, n - 1);
        SetItemIndex(index);
        MakeVisible(index, false);
        key = 0;
        return;
    }
    TCustomControl::HandleKeyDown(key, shift);
}
