#include "framework/gui/StandardControls.h"

#include "framework/gui/ControlHelpers.h"
#include "framework/gui/WindowBridge.h"
#include "framework/gui/WindowSystem.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QString>
#include <QStyledItemDelegate>

#include <algorithm>

using namespace ControlHelpers;

namespace {

constexpr UINT kCbnEditChange = 5;

// The list box and the combo box keep their items in a string list of their own and show
// them in a Qt item widget.

// Replaces the widget's items by the texts of the list (the caller keeps its signals
// quiet).
template <class TItemWidget> void FillItemWidget(TItemWidget* w, const TStrings& items) {
    w->clear();
    QStringList l;
    for (int i = 0; i < items.Count(); ++i)
        l << Q(items.Get(i));
    w->addItems(l);
}

// Sorts the items, or stops sorting them.
void SetItemsSorted(TStringList& items, bool& sorted, bool value) {
    if (StoreChanged(sorted, value))
        items.SetSorted(value);
}

// The platform's message of a Qt mouse event, at a point of the control's client area.
bool MouseMessageOf(QMouseEvent* e, const QPoint& at, TMessage& m) {
    const WPARAM flags = WindowSystemDetail::MouseKeyFlags(e->buttons(), e->modifiers());
    UINT base = 0;
    if (e->button() == Qt::RightButton)
        base = WM_RBUTTONDOWN - WM_LBUTTONDOWN;
    else if (e->button() == Qt::MiddleButton)
        base = WM_MBUTTONDOWN - WM_LBUTTONDOWN;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        m.Msg = WM_LBUTTONDOWN + base;
        break;
    case QEvent::MouseButtonDblClick:
        m.Msg = WM_LBUTTONDBLCLK + base;
        break;
    case QEvent::MouseButtonRelease:
        m.Msg = WM_LBUTTONUP + base;
        break;
    case QEvent::MouseMove:
        m.Msg = WM_MOUSEMOVE;
        break;
    default:
        return false;
    }
    m.WParam = flags;
    m.LParam = MAKELPARAM(at.x(), at.y());
    m.Result = 0;
    return true;
}

// Hands the mouse events of a scroll area's viewport to the control's window procedure
// (the window system's bridge watches the control's own widget only).
class TViewportFilter : public QObject {
public:
    TViewportFilter(TWinControl* control, QWidget* viewport, void** pending)
        : QObject(viewport), FControl(control), FViewport(viewport), FPending(pending) {
        viewport->installEventFilter(this);
    }
    void Detach() { FControl = nullptr; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != FViewport || !FControl)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            break;
        default:
            return false;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        QWidget* w = FControl->WidgetIfAllocated();
        if (!w)
            return false;
        const QPoint global = me->globalPosition().toPoint();
        WindowSystemDetail::SetLastCursorPos(global.x(), global.y());
        if (WindowSystemDetail::DragMouseEvent(event)) // a drag sees the mouse first
            return true;
        QPoint at = FViewport->mapTo(w, me->position().toPoint());
        TMessage m{};
        if (!MouseMessageOf(me, at, m))
            return false;
        m.Origin = event;
        void* saved = *FPending;
        *FPending = event;
        try {
            FControl->SendToWindowProc(m);
        } catch (...) {
            *FPending = saved;
            WindowSystemDetail::HandleEventException();
            return true;
        }
        *FPending = saved;
        event->accept();
        return true;
    }

private:
    TWinControl* FControl;
    QWidget* FViewport;
    void** FPending;
};

} // namespace

// ===========================================================================
// TCustomListBox

namespace {
class TQtListWidget : public QListWidget {
public:
    using QListWidget::QListWidget;
    bool DeliverViewportEvent(QEvent* e) { return viewportEvent(e); }
};
} // namespace

// Draws the items through the list box and gives every row the list's item height.
class TListBoxDelegate : public QStyledItemDelegate {
public:
    TListBoxDelegate(TCustomListBox* list, QObject* parent)
        : QStyledItemDelegate(parent), FList(list) {}
    void Detach() { FList = nullptr; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (FList)
            s.setHeight(FList->ItemHeight());
        return s;
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!FList)
            return;
        TOwnerDrawState state;
        if (option.state & QStyle::State_Selected)
            state.Include(odSelected);
        if ((option.state & QStyle::State_HasFocus) && FList->Focused())
            state.Include(odFocused);
        if (!EffectivelyEnabled(FList))
            state.Include(odDisabled);
        QRect r = option.rect;
        CallFromQt([&] {
            FList->PaintItem(painter, index.row(),
                             TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()),
                             state);
        });
    }

private:
    TCustomListBox* FList;
};

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TStringList>()),
      FCanvas(std::make_unique<TCanvas>()) {
    // The list selects on its own: no click from the mouse messages, no capture.
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    StartInputControl(this, FColor, 121, 97);
    FItems->SetOnChange(TNotifyEvent([this](TObject*) { ItemsChanged(); }));
}

TCustomListBox::~TCustomListBox() {
    FItems->SetOnChange(TNotifyEvent());
}

void TCustomListBox::Publish(TPublisher<TCustomListBox>& p) {
    static const TTypeInfo styleType =
        MakeEnumType("TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"});
    p.Integer("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Default(0);
    p.Bool("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect)
        .Default(true);
    p.Bool("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight)
        .Default(false);
    p.Integer("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight);
    p.Class("Items", TStrings::StaticClass(), &TCustomListBox::Items, &TCustomListBox::SetItems);
    p.Bool("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect)
        .Default(false);
    p.Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
    p.Enum("Style", &styleType, &TCustomListBox::Style, &TCustomListBox::SetStyle)
        .Default(lbStandard);
    p.Event("OnDrawItem", &TCustomListBox::OnDrawItem, &TCustomListBox::SetOnDrawItem);
}

QListWidget* TCustomListBox::ListWidget() {
    return qobject_cast<QListWidget*>(Widget());
}

void TCustomListBox::SetItems(const TStrings* value) {
    AssignStrings(*FItems, value);
}

void TCustomListBox::Clear() {
    FItems->Clear();
}

void TCustomListBox::SetSorted(bool value) {
    SetItemsSorted(*FItems, FSorted, value);
}

void TCustomListBox::ItemsChanged() {
    int n = FItems->Count();
    FSelected.resize(size_t(n), false);
    if (FItemIndex >= n)
        FItemIndex = -1;
    if (n == 0)
        FItemIndex = -1;
    ApplyItems();
}

void TCustomListBox::ApplyItems() {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (!w)
        return;
    TProgramChange change(FSetting, w);
    QSignalBlocker blockModel(w->selectionModel());
    int top = TopIndex();
    FillItemWidget(w, *FItems);
    ApplySelection();
    if (top > 0 && top < FItems->Count())
        w->scrollToItem(w->item(top), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::ApplySelection() {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (!w)
        return;
    TProgramChange change(FSetting, w);
    QSignalBlocker blockModel(w->selectionModel());
    if (FMultiSelect) {
        for (int i = 0; i < w->count(); ++i)
            w->item(i)->setSelected(i < int(FSelected.size()) && FSelected[size_t(i)]);
        if (FItemIndex >= 0)
            w->setCurrentRow(FItemIndex, QItemSelectionModel::NoUpdate);
    } else {
        w->setCurrentRow(FItemIndex);
        if (FItemIndex < 0)
            w->clearSelection();
    }
    w->viewport()->update();
}

void TCustomListBox::ReadSelection() {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (!w)
        return;
    FItemIndex = w->currentRow();
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    FSelected.assign(size_t(FItems->Count()), false);
    for (QListWidgetItem* item : w->selectedItems()) {
        int row = w->row(item);
        if (row >= 0 && row < int(FSelected.size()))
            FSelected[size_t(row)] = true;
    }
    if (!FMultiSelect && FItemIndex >= 0 && !FSelected[size_t(FItemIndex)])
        FItemIndex = -1;
}

int TCustomListBox::ItemIndex() const {
    return FItemIndex;
}

void TCustomListBox::SetItemIndex(int value) {
    value = std::clamp(value, -1, FItems->Count() - 1);
    FItemIndex = value;
    if (!FMultiSelect)
        std::fill(FSelected.begin(), FSelected.end(), false);
    ApplySelection();
    if (value >= 0)
        MakeVisible(value);
}

void TCustomListBox::SetMultiSelect(bool value) {
    if (StoreChanged(FMultiSelect, value))
        RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool value) {
    if (StoreChanged(FExtendedSelect, value))
        RecreateWnd();
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= FItems->Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (!FMultiSelect)
        return index == FItemIndex;
    return FSelected[size_t(index)];
}

void TCustomListBox::SetSelected(int index, bool value) {
    if (index < 0 || index >= FItems->Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (!FMultiSelect) {
        if (value)
            SetItemIndex(index);
        else if (index == FItemIndex)
            SetItemIndex(-1);
        return;
    }
    FSelected[size_t(index)] = value;
    ApplySelection();
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect)
        return -1;
    return int(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::ClearSelection() {
    if (!FMultiSelect) {
        SetItemIndex(-1);
        return;
    }
    std::fill(FSelected.begin(), FSelected.end(), false);
    ApplySelection();
}

void TCustomListBox::SelectAll() {
    if (!FMultiSelect)
        return;
    std::fill(FSelected.begin(), FSelected.end(), true);
    ApplySelection();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
    if (!StoreChanged(FStyle, value))
        return;
    if (TQtListWidget* w = WidgetOf<TQtListWidget>(this))
        w->doItemsLayout();
}

int TCustomListBox::ItemHeight() const {
    if (FStyle == lbStandard && HandleAllocated())
        return TextHeightOf(Font());
    return FItemHeight;
}

void TCustomListBox::SetItemHeight(int value) {
    if (value <= 0 || value == FItemHeight)
        return;
    FItemHeight = value;
    if (TQtListWidget* w = WidgetOf<TQtListWidget>(this))
        w->doItemsLayout();
}

void TCustomListBox::SetIntegralHeight(bool value) {
    FIntegralHeight = value;
}

void TCustomListBox::SetBorderStyle(TBorderStyle value) {
    if (!StoreChanged(FBorderStyle, value))
        return;
    if (TQtListWidget* w = WidgetOf<TQtListWidget>(this))
        w->setFrameShape(value == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

int TCustomListBox::TopIndex() const {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (!w)
        return FTopIndex;
    QModelIndex i = w->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}

void TCustomListBox::SetTopIndex(int value) {
    FTopIndex = std::max(0, value);
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (w && value >= 0 && value < w->count())
        w->scrollToItem(w->item(value), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::MakeVisible(int index) {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (w && index >= 0 && index < w->count())
        w->scrollToItem(w->item(index), QAbstractItemView::EnsureVisible);
}

int TCustomListBox::ItemAtPos(const TPoint& pos, bool existing) const {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    int index = -1;
    if (w) {
        QPoint vp = w->viewport()->mapFrom(w, QPoint(pos.X, pos.Y));
        if (w->viewport()->rect().contains(vp)) {
            QModelIndex i = w->indexAt(vp);
            if (i.isValid())
                index = i.row();
        }
    } else {
        int border = FBorderStyle == bsNone ? 0 : 2;
        int h = ItemHeight();
        if (h > 0 && pos.Y >= border && pos.X >= border && pos.X < Width() - border) {
            int i = (pos.Y - border) / h + FTopIndex;
            if (i < Count())
                index = i;
        }
    }
    if (index >= 0)
        return index;
    return existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int index) const {
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (index < 0 || index >= Count())
        return TRect();
    if (!w) {
        int border = FBorderStyle == bsNone ? 0 : 2;
        int h = ItemHeight();
        int top = border + (index - FTopIndex) * h;
        return TRect(border, top, Width() - border, top + h);
    }
    QRect r = w->visualItemRect(w->item(index));
    QPoint o = w->viewport()->mapTo(w, r.topLeft());
    return TRect(o.x(), o.y(), o.x() + r.width(), o.y() + r.height());
}

int TCustomListBox::FindItemStarting(const std::string& text, int start) const {
    int n = Count();
    if (n == 0)
        return -1;
    QString prefix = Q(text);
    for (int k = 1; k <= n; ++k) {
        int i = ((start < 0 ? -1 : start) + k) % n;
        if (Q(FItems->Get(i)).startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void TCustomListBox::PaintItem(QPainter* painter, int index, const TRect& rect,
                               TOwnerDrawState state) {
    if (index < 0 || index >= Count())
        return;
    TCanvas* c = FCanvas.get();
    c->AttachPainter(painter);
    try {
        c->Font()->AssignFrom(Font());
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        if (state.Contains(odSelected)) {
            c->Brush()->SetColor(clHighlight);
            c->Font()->SetColor(clHighlightText);
        }
        DrawItem(index, rect, state);
        if (state.Contains(odFocused))
            c->DrawFocusRect(rect);
    } catch (...) {
        c->AttachPainter(nullptr);
        throw;
    }
    c->AttachPainter(nullptr);
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
    if (FOnDrawItem) {
        FOnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* c = FCanvas.get();
    c->FillRect(rect);
    if (state.Contains(odDisabled))
        c->Font()->SetColor(clGrayText);
    c->TextOut(rect.Left + 2, rect.Top, FItems->Get(index));
}

void TCustomListBox::SelectionChangedByUser() {
    Click();
}

QWidget* TCustomListBox::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    auto* w = new TQtListWidget(parentWidget);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    w->setFocusPolicy(Qt::StrongFocus);
    w->setUniformItemSizes(true);
    w->setItemDelegate(new TListBoxDelegate(this, w));
    w->setSelectionMode(!FMultiSelect     ? QAbstractItemView::SingleSelection
                        : FExtendedSelect ? QAbstractItemView::ExtendedSelection
                                          : QAbstractItemView::MultiSelection);
    w->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new TViewportFilter(this, w->viewport(), &FViewportEvent);
    QObject::connect(w, &QListWidget::itemSelectionChanged, w, [this] {
        if (FSetting != 0)
            return;
        ReadSelection();
        NotifyParent(this, LBN_SELCHANGE);
    });
    return w;
}

void TCustomListBox::AfterWindowCreated() {
    ApplyItems();
    if (FTopIndex > 0)
        SetTopIndex(FTopIndex);
}

void TCustomListBox::BeforeWindowDestroyed() {
    FTopIndex = TopIndex();
    TQtListWidget* w = WidgetOf<TQtListWidget>(this);
    if (!w)
        return;
    for (QObject* child : w->viewport()->children())
        if (auto* f = dynamic_cast<TViewportFilter*>(child))
            f->Detach();
    if (auto* d = dynamic_cast<TListBoxDelegate*>(w->itemDelegate()))
        d->Detach();
}

void TCustomListBox::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == LBN_SELCHANGE) {
            SelectionChangedByUser();
            return;
        }
        if (HIWORD(message.WParam) == LBN_DBLCLK) {
            DblClick();
            return;
        }
        break;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_LBUTTONDBLCLK: {
        TWinControl::HandleMessage(message);
        TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        if (ItemAtPos(p, true) >= 0)
            NotifyParent(this, LBN_DBLCLK);
        return;
    }
    case LB_GETCURSEL:
        message.Result = FItemIndex;
        return;
    case LB_SETCURSEL:
        SetItemIndex(int(intptr_t(message.WParam)));
        message.Result = FItemIndex;
        return;
    case LB_FINDSTRING:
    case LB_SELECTSTRING: {
        const char* text = reinterpret_cast<const char*>(message.LParam);
        int start = int(intptr_t(message.WParam));
        if (start >= Count() || start == 65535)
            start = -1;
        int i = text ? FindItemStarting(text, start) : -1;
        if (i >= 0 && message.Msg == LB_SELECTSTRING)
            SetItemIndex(i);
        message.Result = i >= 0 ? i : LB_ERR;
        return;
    }
    case LB_ITEMFROMPOINT: {
        TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        int i = ItemAtPos(p, true);
        message.Result = i >= 0 ? i : MAKELPARAM(std::max(0, Count() - 1), 1);
        return;
    }
    case CM_FONTCHANGED:
        TWinControl::HandleMessage(message);
        if (TQtListWidget* w = WidgetOf<TQtListWidget>(this))
            w->doItemsLayout();
        return;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

void TCustomListBox::DefaultHandler(TMessage& message) {
    if (message.Origin && message.Origin == FViewportEvent) {
        auto* e = static_cast<QEvent*>(message.Origin);
        message.Origin = nullptr;
        if (TQtListWidget* w = WidgetOf<TQtListWidget>(this))
            w->DeliverViewportEvent(e);
        return;
    }
    TWinControl::DefaultHandler(message);
}

// ===========================================================================
// TCustomComboBox

// The combo box's widget: tells the control when its list opens and closes.
class TComboPopupWatcher : public QComboBox {
public:
    TComboPopupWatcher(TCustomComboBox* owner, QWidget* parent)
        : QComboBox(parent), FOwner(owner) {}
    void Detach() { FOwner = nullptr; }
    void showPopup() override {
        if (FOwner)
            CallFromQt([this] { FOwner->DropDown(); });
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (FOwner)
            CallFromQt([this] { FOwner->CloseUp(); });
    }

private:
    TCustomComboBox* FOwner;
};

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TStringList>()) {
    FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
    StartInputControl(this, FColor, 145, 21);
    FItems->SetOnChange(TNotifyEvent([this](TObject*) { ItemsChanged(); }));
}

TCustomComboBox::~TCustomComboBox() {
    FItems->SetOnChange(TNotifyEvent());
}

void TCustomComboBox::Publish(TPublisher<TCustomComboBox>& p) {
    static const TTypeInfo styleType =
        MakeEnumType("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList",
                                        "csOwnerDrawFixed", "csOwnerDrawVariable"});
    p.Enum("Style", &styleType, &TCustomComboBox::Style, &TCustomComboBox::SetStyle)
        .Default(csDropDown);
    p.Integer("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount)
        .Default(8);
    p.Integer("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight);
    p.Integer("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
    p.Bool("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
    p.Class("Items", TStrings::StaticClass(), &TCustomComboBox::Items, &TCustomComboBox::SetItems);
    p.String("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText);
    p.Integer("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
    p.Event("OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::SetOnChange);
    p.Event("OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::SetOnCloseUp);
    p.Event("OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::SetOnDropDown);
    p.Event("OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::SetOnSelect);
}

QComboBox* TCustomComboBox::ComboWidget() {
    return qobject_cast<QComboBox*>(Widget());
}

void TCustomComboBox::SetItems(const TStrings* value) {
    AssignStrings(*FItems, value);
}

void TCustomComboBox::Clear() {
    FItems->Clear();
    SetText("");
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
    if (StoreChanged(FStyle, value))
        RecreateWnd();
}

void TCustomComboBox::ItemsChanged() {
    if (ComponentState().Contains(csLoading))
        return;
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    ApplyItems();
}

void TCustomComboBox::ApplyItems() {
    TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this);
    if (!w)
        return;
    TProgramChange change(FSetting, w);
    QString text = w->isEditable() ? w->currentText() : QString();
    FillItemWidget(w, *FItems);
    w->setCurrentIndex(FItemIndex);
    if (w->isEditable() && FItemIndex < 0)
        w->setEditText(text);
}

void TCustomComboBox::SetItemIndex(int value) {
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
        FItemIndex = value;
        return;
    }
    value = std::clamp(value, -1, FItems->Count() - 1);
    FItemIndex = value;
    FText = value >= 0 ? FItems->Get(value) : std::string();
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this)) {
        TProgramChange change(FSetting, w);
        w->setCurrentIndex(value);
        if (w->isEditable())
            w->setEditText(Q(FText));
    }
}

std::string TCustomComboBox::Text() const {
    if (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
        return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Get(FItemIndex) : "";
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this))
        return S(w->currentText());
    return FText;
}

void TCustomComboBox::SetText(const std::string& value) {
    if (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
        int i = FItems->IndexOf(value);
        if (i >= 0)
            SetItemIndex(i);
        return;
    }
    if (value == Text())
        return;
    FText = value;
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this)) {
        TProgramChange change(FSetting, w);
        w->setEditText(Q(value));
    }
    TextChanged();
}

void TCustomComboBox::SetDropDownCount(int value) {
    FDropDownCount = std::max(1, value);
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this))
        w->setMaxVisibleItems(FDropDownCount);
}

void TCustomComboBox::SetSorted(bool value) {
    SetItemsSorted(*FItems, FSorted, value);
}

void TCustomComboBox::SetMaxLength(int value) {
    FMaxLength = std::max(0, value);
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this); w && w->lineEdit())
        w->lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : kNoQtLimit);
}

bool TCustomComboBox::DroppedDown() const {
    TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this);
    return w && w->view() && w->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool value) {
    QComboBox* w = ComboWidget();
    if (value && !DroppedDown())
        w->showPopup();
    else if (!value && DroppedDown())
        w->hidePopup();
}

void TCustomComboBox::SelectAll() {
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this); w && w->lineEdit())
        w->lineEdit()->selectAll();
}

void TCustomComboBox::Change() {
    if (FOnChange)
        FOnChange(this);
}

void TCustomComboBox::Select() {
    if (FOnSelect)
        FOnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() {
    if (FOnDropDown)
        FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (FOnCloseUp)
        FOnCloseUp(this);
}

void TCustomComboBox::UserActivated(int index) {
    if (index < 0 || index >= FItems->Count())
        return;
    FItemIndex = index;
    FText = FItems->Get(index);
    NotifyParent(this, CBN_SELCHANGE);
}

void TCustomComboBox::UserEdited() {
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this))
        FText = S(w->currentText());
    NotifyParent(this, kCbnEditChange);
}

QWidget* TCustomComboBox::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    auto* w = new TComboPopupWatcher(this, parentWidget);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    UseDisabledGray(w);
    w->setFocusPolicy(Qt::StrongFocus);
    bool editable = FStyle == csDropDown || FStyle == csSimple;
    w->setEditable(editable);
    w->setInsertPolicy(QComboBox::NoInsert);
    w->setMaxVisibleItems(FDropDownCount);
    if (editable) {
        w->setCompleter(nullptr);
        w->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
        w->lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : kNoQtLimit);
        QObject::connect(w->lineEdit(), &QLineEdit::textEdited, w, [this] {
            if (FSetting == 0)
                CallFromQt([this] { UserEdited(); });
        });
    }
    QObject::connect(w, qOverload<int>(&QComboBox::activated), w, [this](int index) {
        if (FSetting == 0)
            UserActivated(index);
    });
    return w;
}

void TCustomComboBox::AfterWindowCreated() {
    ApplyItems();
    TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this);
    if (w && w->isEditable() && FItemIndex < 0) {
        TProgramChange change(FSetting, w);
        w->setEditText(Q(FText));
    }
}

void TCustomComboBox::BeforeWindowDestroyed() {
    if (TComboPopupWatcher* w = WidgetOf<TComboPopupWatcher>(this)) {
        if (w->isEditable())
            FText = S(w->currentText());
        w->Detach();
    }
}

void TCustomComboBox::AfterLoad() {
    TWinControl::AfterLoad();
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    int index = FItemIndex;
    FItemIndex = -2;
    SetItemIndex(index);
}

void TCustomComboBox::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        switch (HIWORD(message.WParam)) {
        case CBN_SELCHANGE:
            Click();
            Select();
            return;
        case kCbnEditChange:
            Change();
            return;
        default:
            break;
        }
        break;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

// ===========================================================================

namespace {
const bool kRegistered = [] {
    RegisterClasses({TListBox::StaticClass(), TComboBox::StaticClass()});
    return true;
}();
} // namespace
