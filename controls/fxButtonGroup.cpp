#include "controls/fxButtonGroup.h"

#include "controls/fxCommon.h"
#include "controls/fxImgBtn.h"
#include "controls/fxShapeBtn.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"

#include <algorithm>
#include <vector>

namespace {

// The class registry knows the button classes, so ButtonClassName can name them.
[[maybe_unused]] const bool kRegistered = [] {
    RegisterClasses({TFxShapeBtn::StaticClass(), TFxImageBtn::StaticClass()});
    return true;
}();

int CeilDiv(int a, int b) {
    return b <= 0 ? 0 : (a + b - 1) / b;
}

// Stores a layout property's new value and lays the buttons out again.
template <class T> void ChangeAndArrange(TFxButtonGroupItems* items, T& field, T value) {
    if (value == field)
        return;
    field = value;
    items->ArrangeButtons();
}

} // namespace

// ---------------------------------------------------------------------------
// TFxButtonGroupItem

TFxButtonGroupItem::TFxButtonGroupItem(TCollection* collection) : TFxCollectionItem(collection) {
    TFxCustomButtonGroup* group = ButtonGroup();
    if (!group || group->IsLoading() || !group->ButtonClass())
        return;
    auto* items = static_cast<TFxButtonGroupItems*>(collection);
    bool arranging = items->FArranging;
    items->FArranging = true;
    try {
        std::unique_ptr<TObject> made(group->ButtonClass()->Create(group->Owner()));
        auto* button = dynamic_cast<TFxCustomBitBtn*>(made.get());
        if (button) {
            made.release();
            FButton = button;
            button->SetTop(group->Height());
            button->SetParent(group);
            button->SetGroupIndex(1);
        }
    } catch (...) {
        items->FArranging = arranging;
        throw;
    }
    items->FArranging = arranging;
}

TFxButtonGroupItem::~TFxButtonGroupItem() {
    TFxCustomButtonGroup* group = ButtonGroup();
    if (group && group->FPrevSelected == this)
        group->FPrevSelected = nullptr;
    if (FButton && group) {
        // The control-list handling must not free this item a second time.
        bool removing = group->FRemoving;
        group->FRemoving = true;
        TFxCustomBitBtn* button = FButton;
        FButton = nullptr;
        delete button;
        group->FRemoving = removing;
    }
}

TFxCustomButtonGroup* TFxButtonGroupItem::ButtonGroup() const {
    auto* items = dynamic_cast<TFxButtonGroupItems*>(Collection());
    return items ? items->ButtonGroup() : nullptr;
}

std::string TFxButtonGroupItem::DisplayName() const {
    return FButton ? FButton->Name() : TFxCollectionItem::DisplayName();
}

void TFxButtonGroupItem::MoveToIndex(int value) {
    TFxCollectionItem::MoveToIndex(value);
    TFxCustomButtonGroup* group = ButtonGroup();
    if (!group || group->IsLoading())
        return;
    // The buttons take the items' order among the group's children.
    for (int i = 0; i < group->Items()->Count(); ++i)
        if (TFxCustomBitBtn* b = group->Items()->Items(i)->Button())
            b->BringToFront();
}

TControl* TFxButtonGroupItem::ItemControl() const {
    return FButton;
}

int TFxButtonGroupItem::GroupIndex() const {
    return FButton ? FButton->GroupIndex() : 0;
}

void TFxButtonGroupItem::SetGroupIndex(int value) {
    if (FButton)
        FButton->SetGroupIndex(value);
}

bool TFxButtonGroupItem::Selected() const {
    return FButton && FButton->LastDown();
}

void TFxButtonGroupItem::SetSelected(bool value) {
    if (FButton)
        FButton->SetDown(value);
    if (auto* items = dynamic_cast<TFxButtonGroupItems*>(Collection()))
        items->ArrangeButtons();
}

void TFxButtonGroupItem::ItemLoaded() {
    if (FButton)
        FButton->SetOnNameChange([this](TObject*) { NotifyItemNameChange(this); });
}

// ---------------------------------------------------------------------------
// TFxButtonGroupItems

TFxButtonGroupItems::TFxButtonGroupItems(TFxCustomButtonGroup* group, TClass itemClass)
    : TFxCollection(
          [itemClass](TCollection* c) -> TCollectionItem* {
              // The collection hears of the new item once it is whole.
              c->BeginUpdate();
              std::unique_ptr<TObject> made;
              try {
                  made.reset(itemClass->CreateItem(c));
              } catch (...) {
                  c->EndUpdate();
                  throw;
              }
              c->EndUpdate();
              return static_cast<TCollectionItem*>(made.release());
          },
          group),
      FGroup(group) {}

void TFxButtonGroupItems::Update(TCollectionItem* item) {
    TFxCollection::Update(item);
    if (FGroup && !FGroup->IsDestroying())
        ArrangeButtons();
}

TFxButtonGroupItem* TFxButtonGroupItems::Add() {
    FAdding = true;
    TFxButtonGroupItem* item = nullptr;
    try {
        item = static_cast<TFxButtonGroupItem*>(TCollection::Add());
        if (TFxCustomBitBtn* button = item->Button()) {
            if (Count() > 1 && Items(0)->Button() && Items(0) != item)
                button->AssignFrom(Items(0)->Button());
            if (FGroup->ClickStyle() == kGroupClickIndependent) {
                int largest = 0;
                for (int i = 0; i < Count(); ++i)
                    largest = std::max(largest, Items(i)->GroupIndex());
                button->SetGroupIndex(largest + 1);
                button->SetAllowAllUp(true);
            }
        }
    } catch (...) {
        FAdding = false;
        throw;
    }
    FAdding = false;
    ArrangeButtons();
    return item;
}

TFxButtonGroupItem* TFxButtonGroupItems::FindByButton(const TControl* button) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Button() == button)
            return Items(i);
    return nullptr;
}

TFxButtonGroupItem* TFxButtonGroupItems::FindItem(int value) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->ID() == value)
            return Items(i);
    return nullptr;
}

void TFxButtonGroupItems::ClearItems() {
    BeginUpdate();
    try {
        while (Count() > 0)
            delete Items(Count() - 1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TFxButtonGroupItems::VisibleCount() const {
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        if (TFxCustomBitBtn* b = Items(i)->Button(); b && b->Visible())
            ++n;
    return n;
}

TFxButtonGroupItem* TFxButtonGroupItems::VisibleItem(int n) const {
    for (int i = 0; i < Count(); ++i)
        if (TFxCustomBitBtn* b = Items(i)->Button(); b && b->Visible())
            if (n-- == 0)
                return Items(i);
    return nullptr;
}

void TFxButtonGroupItems::ArrangeButtons() {
    int n = VisibleCount();
    if (FArranging || FAdding || n == 0 || !FGroup)
        return;
    TFxBusyFlag busy(FArranging);
    TFxCustomButtonGroup* g = FGroup;
    // The buttons move over an opaque group: their moves do not repaint what lies under it.
    struct TOpaqueWhileArranging {
        TFxCustomButtonGroup* Group;
        bool Was;
        ~TOpaqueWhileArranging() { Group->StoreTransparentFlag(Was); }
    } opaque{g, g->TransparentFlag()};
    g->StoreTransparentFlag(false);
    int c = std::max(1, g->Columns());
    int q = n / c, r = n % c;
    bool vertical = g->Layout() == loVertical;
    int cols = vertical ? (q > 0 ? c : r) : q + (r > 0 ? 1 : 0);
    int rows = vertical ? q + (r > 0 ? 1 : 0) : (q > 0 ? c : r);
    int b = g->BorderWidth(), s = g->Spacing();
    int wc = g->ClientWidth(), hc = g->ClientHeight();
    int w = (wc - 2 * b - (cols - 1) * s) / cols;
    int h = (hc - 2 * b - (rows - 1) * s) / rows;
    int limit = g->GroupMetric();
    if (limit > 0) {
        if (vertical)
            h = std::min(h, limit);
        else
            w = std::min(w, limit);
    }
    // Leftover pixels go to the first column's heights and the first row's widths, one
    // share of Ceil(leftover / count) each until the leftover is used up.
    std::vector<int> extraH(size_t(rows), 0), extraW(size_t(cols), 0);
    auto spread = [](int left, std::vector<int>& extra) {
        int share = CeilDiv(left, int(extra.size()));
        for (int& e : extra) {
            if (left <= 0)
                break;
            e = std::min(left, share);
            left -= e;
        }
    };
    if (limit != w) {
        spread(hc - 2 * b - rows * h - (rows - 1) * s, extraH);
        spread(wc - 2 * b - cols * w - (cols - 1) * s, extraW);
    }
    std::vector<std::vector<TRect>> grid(static_cast<size_t>(cols),
                                         std::vector<TRect>(static_cast<size_t>(rows)));
    for (int k = 1; k <= n; ++k) {
        int x = 0, y = 0;
        if (vertical) {
            int left = k - 1;
            while (left >= q + (x < r ? 1 : 0)) {
                left -= q + (x < r ? 1 : 0);
                ++x;
            }
            y = left;
        } else {
            x = (k - 1) / c;
            y = (k - 1) % c;
        }
        TRect rect;
        rect.Left = y > 0   ? grid[size_t(x)][size_t(y - 1)].Left
                    : x > 0 ? grid[size_t(x - 1)][0].Right + s
                            : b;
        rect.Top = y == 0 ? b : grid[size_t(x)][size_t(y - 1)].Bottom + s;
        int width = y > 0 ? grid[size_t(x)][size_t(y - 1)].Width() : w + extraW[size_t(x)];
        int height = x > 0 ? grid[size_t(x - 1)][size_t(y)].Height() : h + extraH[size_t(y)];
        rect.Right = rect.Left + width;
        rect.Bottom = rect.Top + height;
        grid[size_t(x)][size_t(y)] = rect;
        if (TFxButtonGroupItem* item = VisibleItem(k - 1))
            item->Button()->SetBoundsRect(rect);
    }
}

// ---------------------------------------------------------------------------
// TFxCustomButtonGroup

TFxCustomButtonGroup::TFxCustomButtonGroup(TComponent* owner)
    : TFxCustomTransparentPanel(owner), FButtonClass(TFxShapeBtn::StaticClass()),
      FChangeLink(std::make_unique<TFxChangeLink>()) {
    FChangeLink->SetOnChange(TNotifyEvent([this](TObject* sender) { HandleButtonClick(sender); }));
    FChangeLink->SetOnStateDown(
        TNotifyEvent([this](TObject* sender) { HandleButtonDown(sender); }));
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetCaption("");
    SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
    SetHeight(100);
    SetTabStop(true);
    SetTransparent(false);
    SetWidth(75);
    CreateItems();
}

TFxCustomButtonGroup::~TFxCustomButtonGroup() {
    TComponent::Destroying();
    if (FItems)
        FItems->SetArranging(true);
    // The buttons leave the group before it goes: their items free them.
    FRemoving = true;
    FItems.reset();
    FChangeLink.reset();
}

void TFxCustomButtonGroup::CreateItems() {
    FItems = ItemsClass();
    // No layout before the group is complete (or loaded).
    FItems->SetArranging(true);
    if (!IsLoading())
        FItems->SetArranging(false);
}

std::unique_ptr<TFxButtonGroupItems> TFxCustomButtonGroup::ItemsClass() {
    return std::make_unique<TFxButtonGroupItems>(this, TFxButtonGroupItem::StaticClass());
}

TFxButtonGroup::TFxButtonGroup(TComponent* owner) : TFxCustomButtonGroup(owner) {}

void TFxButtonGroup::Publish(TPublisher<TFxButtonGroup>& p) {
    using T = TFxCustomButtonGroup;
    p.Bool("AutoBold", &T::AutoBold, &T::SetAutoBold).Default(true);
    p.String("ButtonClassName", &T::ButtonClassName, &T::SetButtonClassName);
    p.Integer("Columns", &T::Columns, &T::SetColumns).Default(1);
    p.Enum("Layout", TypeInfoTFxLayout(), &T::Layout, &T::SetLayout).Default(loVertical);
    p.Integer("Spacing", &T::Spacing, &T::SetSpacing).Default(1);
    p.Class("Items", TFxButtonGroupItems::StaticClass(), &T::Items, &T::SetItems);
    p.Event("OnChange", &T::OnChange, &T::SetOnChange);
    p.Event("OnChanging", &T::OnChanging, &T::SetOnChanging);
}

void TFxCustomButtonGroup::SetAutoBold(bool value) {
    FAutoBold = value;
    UpdateBoldCaption(true);
}

void TFxCustomButtonGroup::SetSpacing(int value) {
    ChangeAndArrange(FItems.get(), FSpacing, value);
}

void TFxCustomButtonGroup::SetColumns(int value) {
    value = std::max(1, value);
    ChangeAndArrange(FItems.get(), FColumns, value);
}

void TFxCustomButtonGroup::SetLayout(TFxLayout value) {
    ChangeAndArrange(FItems.get(), FLayout, value);
}

void TFxCustomButtonGroup::SetGroupMetric(int value) {
    ChangeAndArrange(FItems.get(), FGroupMetric, value);
}

std::string TFxCustomButtonGroup::ButtonClassName() const {
    return FButtonClass ? FButtonClass->Name() : std::string();
}

void TFxCustomButtonGroup::SetButtonClassName(const std::string& value) {
    SetButtonClass(FindClass(value));
}

void TFxCustomButtonGroup::SetButtonClass(TClass value) {
    if (value == FButtonClass)
        return;
    FButtonClass = value;
    if (!IsLoading()) {
        FItems->BeginUpdate();
        try {
            FItems->ClearItems();
        } catch (...) {
            FItems->EndUpdate();
            throw;
        }
        FItems->EndUpdate();
    }
}

TFxButtonGroupItem* TFxCustomButtonGroup::SelectedItem() const {
    for (int i = 0; FItems && i < FItems->Count(); ++i)
        if (FItems->Items(i)->Selected())
            return FItems->Items(i);
    return nullptr;
}

bool TFxCustomButtonGroup::IsTransparent() const {
    return TFxCustomTransparentPanel::IsTransparent();
}

bool TFxCustomButtonGroup::HasDesignButtons() const {
    return false; // no form designer runs in the programs
}

void TFxCustomButtonGroup::HandleButtonDown(TObject* button) {
    if (IsLoading())
        return;
    if (TFxButtonGroupItem* selected = SelectedItem())
        FPrevSelected = selected;
    CallOnChanging(FPrevSelected, FItems->FindByButton(dynamic_cast<TControl*>(button)));
}

void TFxCustomButtonGroup::HandleButtonClick(TObject* sender) {
    if (IsLoading())
        return;
    auto* button = dynamic_cast<TFxCustomBitBtn*>(sender);
    if (!button || !button->LastDown())
        return;
    FItems->ArrangeButtons();
    UpdateBoldCaption(FAutoBold);
    TFxButtonGroupItem* item = FItems->FindByButton(button);
    if (item != FPrevSelected)
        CallOnChange(FPrevSelected, item);
}

void TFxCustomButtonGroup::CallOnChanging(TFxButtonGroupItem* oldItem,
                                          TFxButtonGroupItem* newItem) {
    if (FOnChanging)
        FOnChanging(this, oldItem, newItem);
}

void TFxCustomButtonGroup::CallOnChange(TFxButtonGroupItem* oldItem, TFxButtonGroupItem* newItem) {
    if (FOnChange)
        FOnChange(this, oldItem, newItem);
}

void TFxCustomButtonGroup::UpdateBoldCaption(bool flag) {
    if (!flag)
        return;
    for (int i = 0; i < FItems->Count(); ++i)
        if (TFxCustomBitBtn* b = FItems->Items(i)->Button())
            b->Font()->SetStyle(b->Font()->Style() - TFontStyles{fsBold});
    if (FAutoBold && FClickStyle == kGroupClickExclusive)
        if (TFxButtonGroupItem* selected = SelectedItem(); selected && selected->Button())
            selected->Button()->Font()->SetStyle(selected->Button()->Font()->Style() +
                                                 TFontStyles{fsBold});
}

void TFxCustomButtonGroup::LeaveOtherButtons(TControl* button) {
    for (int i = 0; i < FItems->Count(); ++i)
        if (TFxCustomBitBtn* b = FItems->Items(i)->Button(); b && b != button)
            Perform(CM_MOUSELEAVE, 0, LPARAM(b));
}

void TFxCustomButtonGroup::AutoSizeToButtons(TControl* button, bool resize, TSize& size) {
    size = TSize(Width(), Height());
    if (!FItems || FItems->Count() == 0)
        return;
    if (!button)
        button = FItems->Items(0)->Button();
    if (!button)
        return;
    int rowsNeeded = CeilDiv(FItems->Count(), std::max(1, FColumns));
    int bw = button->Width(), bh = button->Height();
    if (FLayout == loVertical)
        size =
            TSize((bw + FSpacing) * FColumns - FSpacing, rowsNeeded * (bh + FSpacing) - FSpacing);
    else
        size =
            TSize(rowsNeeded * (bw + FSpacing) - FSpacing, (bh + FSpacing) * FColumns - FSpacing);
    if (resize)
        SetBounds(Left(), Top(), size.cx, size.cy);
}

void TFxCustomButtonGroup::AfterLoad() {
    TFxCustomTransparentPanel::AfterLoad();
    // The streamed buttons are paired with the items in child order.
    for (int i = 0; i < ControlCount(); ++i) {
        auto* button = dynamic_cast<TFxCustomBitBtn*>(Controls(i));
        if (!button || !FButtonClass || !button->InheritsFrom(FButtonClass))
            continue;
        for (int k = 0; k < FItems->Count(); ++k)
            if (!FItems->Items(k)->FButton) {
                FItems->Items(k)->FButton = button;
                break;
            }
    }
    FItems->SetArranging(false);
    for (int i = 0; i < FItems->Count(); ++i)
        FItems->Items(i)->ItemLoaded();
}

void TFxCustomButtonGroup::Rename(const std::string& newName) {
    TFxCustomTransparentPanel::Rename(newName);
}

void TFxCustomButtonGroup::WriteToResource(TWriter& writer) {
    // Each button from the last item to the first goes to child position 0.
    for (int i = FItems->Count() - 1; i >= 0; --i)
        if (TFxCustomBitBtn* b = FItems->Items(i)->Button())
            b->SendToBack();
    TFxCustomTransparentPanel::WriteToResource(writer);
}

void TFxCustomButtonGroup::HandleControlListChange(TControl* control, bool inserting) {
    // A button being freed is told of last, from its control's destructor: no longer of its
    // class (its change links gone with it), so its item is looked up by address.
    auto* button = dynamic_cast<TFxCustomBitBtn*>(control);
    if (inserting) {
        if (button)
            button->AddChangeLink(FChangeLink.get());
        return;
    }
    if (button)
        button->RemoveChangeLink(FChangeLink.get());
    if (FRemoving || IsDestroying())
        return;
    // A button that leaves the group outside item removal takes its item with it.
    if (TFxButtonGroupItem* item = FItems->FindByButton(control)) {
        item->FButton = nullptr;
        FRemoving = true;
        delete item;
        FRemoving = false;
        Invalidate();
    }
}

void TFxCustomButtonGroup::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_BORDERCHANGED:
        TFxCustomTransparentPanel::HandleMessage(message);
        FItems->ArrangeButtons();
        return;
    case CM_CONTROLLISTCHANGE:
        HandleControlListChange(reinterpret_cast<TControl*>(message.WParam), message.LParam != 0);
        TFxCustomTransparentPanel::HandleMessage(message);
        return;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS;
        return;
    default:
        TFxCustomTransparentPanel::HandleMessage(message);
    }
}

void TFxCustomButtonGroup::ArrangeChildren(TControl* control, TRect& rect) {
    TFxCustomTransparentPanel::ArrangeChildren(control, rect);
    if (FRemoving || !control || !FItems)
        return;
    if (FButtonClass && control->InheritsFrom(FButtonClass) && !IsLoading() && !FItems->Adding() &&
        !FItems->Arranging()) {
        TSize size;
        AutoSizeToButtons(control, true, size);
    }
    if (dynamic_cast<TFxCustomBitBtn*>(control) && !FItems->Arranging())
        FItems->ArrangeButtons();
}

void TFxCustomButtonGroup::PaintControl() {
    TFxCustomTransparentPanel::PaintControl();
}

void TFxCustomButtonGroup::HandleResize() {
    TFxCustomTransparentPanel::HandleResize();
    if (!IsDestroying() && FItems)
        FItems->ArrangeButtons();
}

void TFxCustomButtonGroup::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TFxCustomTransparentPanel::HandleKeyDown(key, shift);
    NavigateByKey(key);
}

void TFxCustomButtonGroup::NavigateByKey(uint16_t key) {
    int count = FItems->Count();
    if (count == 0)
        return;
    TFxButtonGroupItem* selected = SelectedItem();
    int index = selected ? selected->Index() : -1;
    int target;
    switch (key) {
    case VK_END:
        target = count - 1;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_LEFT:
    case VK_UP:
        target = selected ? index - 1 : 0;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        target = selected ? index + 1 : 0;
        break;
    default:
        return;
    }
    if (target < 0)
        target = count - 1;
    if (target >= count)
        target = 0;
    FItems->Items(target)->SetSelected(true);
}
