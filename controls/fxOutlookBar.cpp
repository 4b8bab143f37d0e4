#include "controls/fxOutlookBar.h"

#include "controls/fxImgBtn.h"
#include "controls/fxShapeBtn.h"
#include "framework/gui/ListView.h"
#include "framework/gui/PlatformCalls.h"

#include <algorithm>
#include <vector>

namespace {

// Form resources may hold page panels.
[[maybe_unused]] const bool kRegistered = [] {
    RegisterClass(TFxOutlookPanel::StaticClass());
    return true;
}();

const TTypeInfo* OptionType() {
    static const TTypeInfo type = MakeEnumType(
        "TFxCustomOutlookBarOption", {"cboAutoCreateOutlookList", "cboTransparentPanels"});
    return &type;
}

const TTypeInfo* OptionsType() {
    static const TTypeInfo type = MakeSetType("TFxCustomOutlookBarOptions", OptionType());
    return &type;
}

const TTypeInfo* PanelAlignmentType() {
    static const TTypeInfo type =
        MakeEnumType("TFxPanelAlignment", {"paDynamic", "paTop", "paBottom"});
    return &type;
}

// Renames a name that begins with oldPrefix to newPrefix followed by the rest.
std::string Renamed(const std::string& name, const std::string& oldPrefix,
                    const std::string& newPrefix) {
    if (oldPrefix.empty() || name.compare(0, oldPrefix.size(), oldPrefix) != 0)
        return name;
    return newPrefix + name.substr(oldPrefix.size());
}

} // namespace

// ---------------------------------------------------------------------------
// TFxAnimation

void TFxAnimation::Publish(TPublisher<TFxAnimation>& p) {
    using T = TFxAnimation;
    p.Bool("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    p.Integer("Interval", &T::Interval, &T::SetInterval).Default(1);
    p.Integer("Steps", &T::Steps, &T::SetSteps).Default(7);
}

void TFxAnimation::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TFxAnimation*>(source)) {
        FEnabled = s->FEnabled;
        FInterval = s->FInterval;
        FSteps = s->FSteps;
        return;
    }
    TPersistent::AssignFrom(source);
}

// ---------------------------------------------------------------------------
// TFxOutlookPage

TFxOutlookPage::TFxOutlookPage(TCollection* collection) : TFxButtonGroupItem(collection) {
    TFxCustomOutlookBar* bar = OutlookBar();
    if (!bar || bar->IsLoading())
        return;
    auto* pages = static_cast<TFxOutlookPages*>(collection);
    bool arranging = pages->Arranging();
    pages->SetArranging(true);
    try {
        FPanel = new TFxOutlookPanel(bar);
        FPanel->SetParent(bar);
        FPanel->SetVisible(false);
        FPanel->SendToBack();
        FPanel->SetTop(-FPanel->Height() - 10);
        FPanel->SetPage(this);
        if (bar->Options().Contains(cboAutoCreateOutlookList))
            CreateOutlookList();
    } catch (...) {
        pages->SetArranging(arranging);
        throw;
    }
    pages->SetArranging(arranging);
}

TFxOutlookPage::~TFxOutlookPage() {
    TFxCustomOutlookBar* bar = OutlookBar();
    if (FPanel && bar) {
        bool removing = bar->Removing();
        bar->SetRemoving(true);
        TFxOutlookPanel* panel = FPanel;
        FPanel = nullptr;
        FList = nullptr;
        delete panel;
        bar->SetRemoving(removing);
    }
}

TFxCustomOutlookBar* TFxOutlookPage::OutlookBar() const {
    return dynamic_cast<TFxCustomOutlookBar*>(ButtonGroup());
}

void TFxOutlookPage::MoveToIndex(int value) {
    TFxButtonGroupItem::MoveToIndex(value);
    TFxCustomOutlookBar* bar = OutlookBar();
    if (!bar || bar->IsLoading())
        return;
    for (int i = 0; i < bar->OutlookItems()->Count(); ++i)
        if (TFxOutlookPage* page = bar->OutlookItems()->Pages(i); page && page->Panel())
            page->Panel()->BringToFront();
}

void TFxOutlookPage::ItemChanged() {
    SetSelected(true);
}

void TFxOutlookPage::ItemLoaded() {
    TFxButtonGroupItem::ItemLoaded();
    TFxCustomOutlookBar* bar = OutlookBar();
    if (!FPanel || !bar)
        return;
    if (FPanel->Owner() != bar) {
        if (FPanel->Owner())
            FPanel->Owner()->RemoveComponent(FPanel);
        bar->InsertComponent(FPanel);
    }
    FPanel->SetPage(this);
    if (FList)
        FList->SetOwnerPage(this);
}

void TFxOutlookPage::CreateOutlookList() {
    TFxCustomOutlookBar* bar = OutlookBar();
    if (FList || !bar || !FPanel)
        return;
    TComponent* form = bar->Owner();
    auto* list = new TFxOutlookList(form);
    list->SetParent(FPanel);
    list->SetAlign(alClient);
    list->SetBorderStyle(bsNone);
    if (form)
        list->SetName(UniqueComponentName(form, bar->Name() + "OutlookList"));
    list->SetOwnerPage(this);
    FList = list;
    list->FreeNotification(bar);
}

// ---------------------------------------------------------------------------
// TFxOutlookPages

TFxOutlookPages::TFxOutlookPages(TFxCustomOutlookBar* bar)
    : TFxButtonGroupItems(bar, TFxOutlookPage::StaticClass()) {}

TFxCustomOutlookBar* TFxOutlookPages::OutlookBar() const {
    return static_cast<TFxCustomOutlookBar*>(ButtonGroup());
}

bool TFxOutlookPages::AllPagesWhole() const {
    for (int i = 0; i < Count(); ++i)
        if (!Pages(i))
            return false;
    return true;
}

TFxButtonGroupItem* TFxOutlookPages::Add() {
    TFxButtonGroupItem* item = TFxButtonGroupItems::Add();
    if (Count() == 1)
        static_cast<TFxOutlookPage*>(item)->ItemChanged();
    return item;
}

void TFxOutlookPages::SetItemBounds(TControl* control, const TRect& rect) {
    if (auto* panel = dynamic_cast<TFxOutlookPanel*>(control); panel && panel->Page()) {
        panel->SetMovedByAnimation(true);
        panel->SetBoundsRect(rect);
        panel->SetMovedByAnimation(false);
        return;
    }
    auto* window = dynamic_cast<TWinControl*>(control);
    if (window && window->HandleAllocated()) {
        SetWindowPos(window->Handle(), 0, rect.Left, rect.Top, rect.Width(), rect.Height(),
                     SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
        InvalidateRect(window->Handle(), nullptr, false);
    } else
        control->SetBoundsRect(rect);
}

namespace {

using TAnimationPairs = std::vector<std::unique_ptr<TFxGroupAnimateItem>>;

// A layout pass: the buttons and panels go to their places and repaint with the rest of
// the window, without painting now or handling other messages meanwhile.
void PlaceAtOnce(TFxOutlookPages* pages, const TAnimationPairs& pairs) {
    for (const auto& pair : pairs)
        for (const TFxAnimateListItem* item : {pair->ButtonItem.get(), pair->PanelItem.get()})
            if (item && item->Control) {
                pages->SetItemBounds(item->Control, item->EndRect);
                item->Control->Invalidate();
            }
}

// Hides every panel but the first visible one, moving them above the bar, and returns the
// page of that open panel (nullptr when none is open). The lists hide their scroll buttons
// while the pages move.
TFxOutlookPage* HideAllButTheOpenPanel(const TFxOutlookPages* pages) {
    TFxOutlookPage* open = nullptr;
    for (int i = 0; i < pages->Count(); ++i) {
        TFxOutlookPage* page = pages->Pages(i);
        if (page->OutlookList())
            page->OutlookList()->SetScrollButtonsVisible(false);
        TFxOutlookPanel* panel = page->Panel();
        if (!panel)
            continue;
        if (panel->Visible() && !open)
            open = page;
        else {
            panel->SetVisible(false);
            panel->SetTop(-panel->Height());
        }
    }
    return open;
}

TFxOutlookLayoutInput LayoutInputOf(const TFxOutlookPages* pages, const TFxCustomOutlookBar* bar,
                                    const TFxOutlookPage* selected, const TFxOutlookPage* old) {
    TFxOutlookLayoutInput input;
    input.Client = bar->ClientRect();
    input.ButtonSize = bar->ButtonSize();
    input.Vertical = bar->Layout() == loVertical;
    input.Alignment = bar->PanelAlignment();
    input.ShowButtons = bar->ShowButtons();
    input.Selected = selected ? selected->Index() : -1;
    input.Old = old ? old->Index() : -1;
    for (int i = 0; i < pages->Count(); ++i) {
        TFxCustomBitBtn* button = pages->Pages(i)->Button();
        TFxOutlookPageState& state = input.Pages.emplace_back();
        state.ButtonVisible = button && button->Visible();
        state.Button = button ? button->BoundsRect() : TRect();
        state.HasPanel = pages->Pages(i)->Panel() != nullptr;
    }
    return input;
}

// The pairs of button and panel moved together, from their bounds now to their places. The
// panels that move are shown, the one to open first jumps to its collapsed start.
TAnimationPairs AnimationPairs(const TFxOutlookPages* pages,
                               const std::vector<TFxOutlookPagePlace>& places) {
    TAnimationPairs pairs;
    for (int i = 0; i < pages->Count(); ++i) {
        const TFxOutlookPagePlace& place = places[size_t(i)];
        if (!place.MovesButton)
            continue;
        TFxOutlookPage* page = pages->Pages(i);
        TFxCustomBitBtn* button = page->Button();
        auto pair = std::make_unique<TFxGroupAnimateItem>();
        pair->ButtonItem =
            std::make_unique<TFxAnimateListItem>(button, button->BoundsRect(), place.ButtonEnd);
        if (place.MovesPanel) {
            TFxOutlookPanel* panel = page->Panel();
            panel->SetVisible(true);
            if (place.PanelJumps) {
                panel->SetMovedByAnimation(true);
                panel->SetBoundsRect(place.PanelStart);
                panel->SetMovedByAnimation(false);
            }
            pair->PanelItem =
                std::make_unique<TFxAnimateListItem>(panel, panel->BoundsRect(), place.PanelEnd);
        }
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

// Only a click on a page button animates, and not when some page without a list holds an
// aligned control on its panel: that page switches at once.
bool SwitchAnimates(const TFxOutlookPages* pages, const TFxCustomOutlookBar* bar) {
    if (!bar->IsHandlingClick() || !bar->Animation()->Enabled())
        return false;
    for (int i = 0; i < pages->Count(); ++i) {
        const TFxOutlookPage* page = pages->Pages(i);
        if (page->OutlookList() || !page->Panel())
            continue;
        for (int k = 0; k < page->Panel()->ControlCount(); ++k)
            if (page->Panel()->Controls(k)->Align() != alNone)
                return false;
    }
    return true;
}

void SetButtonsIgnoreInput(const TFxOutlookPages* pages, bool value) {
    for (int i = 0; i < pages->Count(); ++i)
        if (TFxCustomBitBtn* b = pages->Pages(i)->Button())
            b->SetIgnoreInput(value);
}

// After an animated switch the buttons that moved and do not cover their rectangle are
// repainted over the bar's background.
void RepaintMovedButtons(const TFxOutlookPages* pages, TFxCustomOutlookBar* bar,
                         const TFxOutlookPage* old, const TFxOutlookPage* selected) {
    const int low = std::min(old->Index(), selected->Index());
    const int high = std::max(old->Index(), selected->Index());
    for (int i = low + 1; i <= high && i < pages->Count(); ++i)
        if (TFxCustomBitBtn* b = pages->Pages(i)->Button(); b && bar->ButtonNeedsParentRepaint(b)) {
            TRect r = b->BoundsRect();
            bar->InvalidateRect(&r);
        }
}

} // namespace

std::vector<TFxOutlookPagePlace> LayoutOutlookPages(const TFxOutlookLayoutInput& input) {
    std::vector<TFxOutlookPagePlace> places(input.Pages.size());
    const bool vertical = input.Vertical;
    const int clientW = input.Client.Width(), clientH = input.Client.Height();
    const bool hasSelected = input.Selected >= 0 && size_t(input.Selected) < places.size();
    if (!input.ShowButtons) {
        if (hasSelected && input.Pages[size_t(input.Selected)].HasPanel) {
            places[size_t(input.Selected)].MovesPanel = true;
            places[size_t(input.Selected)].PanelEnd = input.Client;
        }
        return places;
    }
    const int visibleButtons =
        int(std::count_if(input.Pages.begin(), input.Pages.end(),
                          [](const TFxOutlookPageState& page) { return page.ButtonVisible; }));
    // The length the buttons leave free for the open panel, and the running position.
    const int free = (vertical ? clientH : clientW) - input.ButtonSize * visibleButtons;
    int position = input.Alignment == paTop ? free : 0;
    for (size_t i = 0; i < places.size(); ++i) {
        const TFxOutlookPageState& page = input.Pages[i];
        if (!page.ButtonVisible)
            continue;
        TFxOutlookPagePlace& place = places[i];
        const TRect& b = page.Button;
        const TRect e = vertical ? TRect(0, position, clientW, position + input.ButtonSize)
                                 : TRect(position, 0, position + input.ButtonSize, clientH);
        place.MovesButton = true;
        place.ButtonEnd = e;
        const bool opens = int(i) == input.Selected;
        if ((opens || int(i) == input.Old) && page.HasPanel) {
            place.MovesPanel = true;
            if (opens) {
                place.PanelJumps = true;
                switch (input.Alignment) {
                case paDynamic:
                    place.PanelStart = vertical ? TRect(b.Left, b.Bottom, b.Right, b.Bottom)
                                                : TRect(b.Right, b.Top, b.Right, b.Bottom);
                    place.PanelEnd = vertical ? TRect(e.Left, e.Bottom, e.Right, e.Bottom + free)
                                              : TRect(e.Right, e.Top, e.Right + free, e.Bottom);
                    position += free;
                    break;
                case paTop:
                    place.PanelStart =
                        vertical ? TRect(b.Left, 0, b.Right, 0) : TRect(0, b.Top, 0, b.Bottom);
                    place.PanelEnd = vertical ? TRect(e.Left, 0, e.Right, free)
                                              : TRect(0, e.Top, free, e.Bottom);
                    break;
                case paBottom:
                    place.PanelStart = vertical
                                           ? TRect(b.Left, clientH - free, b.Right, clientH - free)
                                           : TRect(clientW - free, b.Top, clientW - free, b.Bottom);
                    place.PanelEnd = vertical ? TRect(e.Left, clientH - free, e.Right, clientH)
                                              : TRect(clientW - free, e.Top, clientW, e.Bottom);
                    break;
                }
            } else {
                place.PanelEnd = vertical ? TRect(e.Left, e.Bottom, e.Right, e.Bottom)
                                          : TRect(e.Right, e.Top, e.Right, e.Bottom);
            }
        }
        position += input.ButtonSize;
    }
    return places;
}

void TFxOutlookPages::ArrangePages() {
    TFxCustomOutlookBar* bar = OutlookBar();
    // An item being made or freed is left alone; the arrangement runs again after it.
    if (Arranging() || Adding() || !bar || !AllPagesWhole())
        return;
    SetArranging(true);
    struct TArrangingGuard {
        TFxOutlookPages* Pages;
        ~TArrangingGuard() { Pages->SetArranging(false); }
    } arrangingGuard{this};

    TFxOutlookPage* selected = static_cast<TFxOutlookPage*>(bar->SelectedItem());
    TFxOutlookPage* old = HideAllButTheOpenPanel(this);
    const TFxOutlookLayoutInput input = LayoutInputOf(this, bar, selected, old);
    const std::vector<TFxOutlookPagePlace> places = LayoutOutlookPages(input);

    int steps = 1;
    if (!bar->ShowButtons()) {
        if (old && old->FPanel)
            old->FPanel->SetVisible(false);
        if (selected && selected->FPanel) {
            selected->FPanel->SetBoundsRect(places[size_t(input.Selected)].PanelEnd);
            selected->FPanel->SetVisible(true);
        }
    } else {
        const TAnimationPairs pairs = AnimationPairs(this, places);
        const bool animate = SwitchAnimates(this, bar);
        if (animate)
            steps = bar->Animation()->Steps();
        SetButtonsIgnoreInput(this, true);
        try {
            if (animate)
                AnimateControls(
                    pairs,
                    [this](TControl* control, const TRect& rect) { SetItemBounds(control, rect); },
                    steps, bar->Animation()->Interval());
            else
                PlaceAtOnce(this, pairs);
        } catch (...) {
            SetButtonsIgnoreInput(this, false);
            throw;
        }
        if (old && old != selected && old->FPanel) {
            old->FPanel->SetVisible(false);
            old->FPanel->SetTop(-bar->Height());
        }
    }

    SetArranging(false);
    for (int i = 0; i < Count(); ++i) {
        if (Pages(i)->FList)
            Pages(i)->FList->SetScrollButtonsVisible(true);
        if (TFxCustomBitBtn* b = Pages(i)->Button())
            b->SetIgnoreInput(false);
    }
    if (steps > 1 && old && selected)
        RepaintMovedButtons(this, bar, old, selected);
}

// ---------------------------------------------------------------------------
// TFxCustomOutlookBar

TFxCustomOutlookBar::TFxCustomOutlookBar(TComponent* owner)
    : TFxCustomButtonGroup(owner), FAnimation(std::make_unique<TFxAnimation>()),
      FImagerLink(std::make_unique<TFxChangeLink>()) {
    // The pages replace the group's plain items.
    CreateItems();
    FImagerLink->SetOnChange(TNotifyEvent([this](TObject*) { InvalidateBackground(); }));
    SetAutoBold(false);
    SetBorderStyle(bsSingle);
}

TFxCustomOutlookBar::~TFxCustomOutlookBar() {
    TComponent::Destroying();
    if (FImager)
        FImager->RemoveChangeLink(FImagerLink.get());
    FImager = nullptr;
}

std::unique_ptr<TFxButtonGroupItems> TFxCustomOutlookBar::ItemsClass() {
    return std::make_unique<TFxOutlookPages>(this);
}

void TFxOutlookBar::Publish(TPublisher<TFxOutlookBar>& p) {
    using T = TFxCustomOutlookBar;
    p.Class("ActivePage", TFxCustomBitBtn::StaticClass(), &T::ActivePage, &T::SetActivePage);
    p.Class("Animation", TFxAnimation::StaticClass(), &T::Animation, &T::SetAnimation);
    p.Bool("AutoBold", &T::AutoBold, &T::SetAutoBold).Default(true);
    p.Integer("ButtonSize", &T::ButtonSize, &T::SetButtonSize).Default(20);
    p.String("ButtonClassName", &T::ButtonClassName, &T::SetButtonClassName);
    p.Class("Imager", TFxCustomImager::StaticClass(), &T::Imager, &T::SetImager);
    p.Class("OutlookItems", TFxOutlookPages::StaticClass(), &T::OutlookItems, &T::SetOutlookItems);
    p.Enum("Layout", TypeInfoTFxLayout(), &T::Layout, &T::SetLayout).Default(loVertical);
    p.Set(
         "Options", OptionsType(), [](const T* b) { return int64_t(b->Options().ToInt()); },
         [](T* b, int64_t v) { b->SetOptions(TFxCustomOutlookBarOptions::FromInt(uint32_t(v))); })
        .Default(int64_t(TFxCustomOutlookBarOptions{cboAutoCreateOutlookList}.ToInt()));
    p.Enum("PanelAlignment", PanelAlignmentType(), &T::PanelAlignment, &T::SetPanelAlignment)
        .Default(paDynamic);
    p.Bool("ShowButtons", &T::ShowButtons, &T::SetShowButtons).Default(true);
    p.Event("OnChange", &T::OnChange, &T::SetOnChange);
    p.Event("OnChanging", &T::OnChanging, &T::SetOnChanging);
}

TFxCustomBitBtn* TFxCustomOutlookBar::ActivePage() const {
    TFxButtonGroupItem* item = SelectedItem();
    return item ? item->Button() : nullptr;
}

void TFxCustomOutlookBar::SetActivePage(TFxCustomBitBtn* value) {
    if (TFxButtonGroupItem* item = OutlookItems()->FindByButton(value))
        item->SetSelected(true);
}

void TFxCustomOutlookBar::SetButtonSize(int value) {
    FButtonSize = value;
    OutlookItems()->ArrangePages();
}

void TFxCustomOutlookBar::SetPanelAlignment(TFxPanelAlignment value) {
    FPanelAlignment = value;
    if (!IsLoading())
        OutlookItems()->ArrangePages();
}

void TFxCustomOutlookBar::SetLayout(TFxLayout value) {
    TFxCustomButtonGroup::SetLayout(value);
    if (!IsLoading())
        OutlookItems()->ArrangePages();
}

void TFxCustomOutlookBar::SetShowButtons(bool value) {
    FShowButtons = value;
    if (IsLoading())
        return;
    for (int i = 0; i < OutlookItems()->Count(); ++i)
        if (TFxCustomBitBtn* b = OutlookItems()->Items(i)->Button()) {
            b->SetVisible(value);
            if (value)
                b->BringToFront();
            else
                b->SendToBack();
        }
    OutlookItems()->SetArranging(false);
    OutlookItems()->ArrangePages();
}

void TFxCustomOutlookBar::SetImager(TFxCustomImager* value) {
    if (FImager)
        FImager->RemoveChangeLink(FImagerLink.get());
    if (value != FImager) {
        FImager = value;
        if (value) {
            value->FreeNotification(this);
            value->AddChangeLink(FImagerLink.get());
            value->SetParent(this);
            value->SetAlign(alNone);
            value->SetDrawStyle(idsTiled);
            value->SetBounds(0, 0, 25, 25);
            value->SetTransparent(false);
            value->SetVisible(false);
        }
    } else if (value)
        value->AddChangeLink(FImagerLink.get());
    InvalidateBackground();
}

void TFxCustomOutlookBar::InvalidateBackground() {
    Invalidate();
    // Transparent page panels show the bar's background: they change with it.
    if (IsDestroying())
        return;
    for (int i = 0; i < OutlookItems()->Count(); ++i)
        if (TFxOutlookPage* page = OutlookItems()->Pages(i); page && page->Panel())
            page->Panel()->Invalidate();
}

bool TFxCustomOutlookBar::ButtonNeedsParentRepaint(TControl* button) const {
    if (auto* shape = dynamic_cast<TFxCustomShapeBtn*>(button))
        return shape->Shape() != bsRect;
    if (auto* image = dynamic_cast<TFxCustomImageBtn*>(button))
        return image->TransparentColor() != kFxNoTransparency;
    return false;
}

void TFxCustomOutlookBar::AutoSizeToButtons(TControl*, bool, TSize& size) {
    size = TSize(Width(), Height());
}

void TFxCustomOutlookBar::HandleButtonClick(TObject* button) {
    ++FClickDepth;
    struct TDepth {
        int& Depth;
        ~TDepth() { --Depth; }
    } depth{FClickDepth};
    if (OutlookItems()->Arranging()) {
        // A click during an arrangement changes nothing.
        if (TFxButtonGroupItem* previous = PreviousSelected(); previous && previous->Button())
            previous->Button()->SetDown(true);
        return;
    }
    TFxCustomButtonGroup::HandleButtonClick(button);
}

void TFxCustomOutlookBar::AfterLoad() {
    TFxOutlookPages* pages = OutlookItems();
    // Streamed page panels go to the pages in child order, each with its list.
    for (int i = 0; i < ControlCount(); ++i) {
        auto* panel = dynamic_cast<TFxOutlookPanel*>(Controls(i));
        if (!panel || dynamic_cast<TFxCustomOutlookList*>(panel))
            continue;
        for (int k = 0; k < pages->Count(); ++k) {
            TFxOutlookPage* page = pages->Pages(k);
            if (!page || page->FPanel)
                continue;
            page->FPanel = panel;
            for (int c = 0; c < panel->ControlCount(); ++c)
                if (auto* list = dynamic_cast<TFxCustomOutlookList*>(panel->Controls(c))) {
                    page->FList = list;
                    list->FreeNotification(this);
                    break;
                }
            break;
        }
    }
    TFxCustomButtonGroup::AfterLoad();
    pages->SetArranging(true);
    for (int i = 0; i < pages->Count(); ++i)
        if (TFxOutlookPage* page = pages->Pages(i); page && page->FPanel)
            page->FPanel->SetVisible(false);
    pages->SetArranging(false);
    pages->ArrangePages();
}

void TFxCustomOutlookBar::ComponentNotification(TComponent* component, TOperation operation) {
    TFxCustomButtonGroup::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FImager) {
        FImager = nullptr;
        if (!IsDestroying())
            InvalidateBackground();
        return;
    }
    if (IsDestroying() || !Items())
        return;
    for (int i = 0; i < OutlookItems()->Count(); ++i)
        if (TFxOutlookPage* page = OutlookItems()->Pages(i); page && page->FList == component)
            page->FList = nullptr;
}

void TFxCustomOutlookBar::Rename(const std::string& newName) {
    std::string oldName = Name();
    if (newName != oldName && Items())
        for (int i = 0; i < OutlookItems()->Count(); ++i) {
            TFxOutlookPage* page = OutlookItems()->Pages(i);
            if (TFxOutlookPanel* panel = page ? page->FPanel : nullptr) {
                std::string renamed = Renamed(panel->Name(), oldName, newName);
                if (renamed != panel->Name())
                    panel->SetName(renamed);
                // A list-view control first on the panel follows the bar's name too.
                if (FOptions.Contains(cboAutoCreateOutlookList) && panel->ControlCount() > 0)
                    if (auto* view = dynamic_cast<TListView*>(panel->Controls(0))) {
                        std::string viewName = Renamed(view->Name(), oldName, newName);
                        if (viewName != view->Name())
                            view->SetName(viewName);
                    }
            }
        }
    TFxCustomButtonGroup::Rename(newName);
}

void TFxCustomOutlookBar::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_CONTROLLISTCHANGE:
        TFxCustomButtonGroup::HandleMessage(message);
        // An imager taken off the bar is no longer its background.
        if (message.LParam == 0 && reinterpret_cast<TControl*>(message.WParam) == FImager &&
            FImager && !IsDestroying()) {
            FImager->RemoveChangeLink(FImagerLink.get());
            FImager = nullptr;
            InvalidateBackground();
        }
        return;
    case WM_ERASEBKGND:
        message.Result = 1; // the painting covers the background
        return;
    case CM_FONTCHANGED:
        TFxCustomButtonGroup::HandleMessage(message);
        Invalidate();
        Update();
        return;
    default:
        TFxCustomButtonGroup::HandleMessage(message);
    }
}

void TFxCustomOutlookBar::PaintImager(TCanvas* canvas, const TRect& tileArea,
                                      const TRect& stretchArea) {
    if (!FImager)
        return;
    TFxBitmap* picture = FImager->WorkBitmap();
    if (picture->Empty())
        FImager->RunEffects();
    if (picture->Empty())
        return;
    if (FImager->DrawStyle() == idsTiled)
        picture->TileDraw(canvas, tileArea);
    else
        canvas->StretchDraw(stretchArea, picture);
}

void TFxCustomOutlookBar::PaintControl() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    if (OutlookItems()->Count() == 0 && !FImager) {
        TFxCustomButtonGroup::PaintControl();
        return;
    }
    // The background shows only outside the buttons and (without imager) the open panel.
    TRegion clip = TRegion::FromRect(client);
    for (int i = 0; i < OutlookItems()->Count(); ++i) {
        TFxOutlookPage* page = OutlookItems()->Pages(i);
        if (!page)
            continue;
        if (TFxCustomBitBtn* b = page->Button(); b && b->Visible() && !ButtonNeedsParentRepaint(b))
            clip.Combine(TRegion::FromRect(b->BoundsRect()), RGN_DIFF);
        if (page->FPanel && page->FPanel->Visible() && !FImager)
            clip.Combine(TRegion::FromRect(page->FPanel->BoundsRect()), RGN_DIFF);
    }
    int saved = canvas->SaveDC();
    TRegion clipDevice = clip;
    TPoint origin = canvas->ViewportOrg();
    clipDevice.Offset(origin.X, origin.Y);
    canvas->SelectClipRgn(&clipDevice);
    if (FImager) {
        PaintImager(canvas, client, client);
    } else {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(client);
    }
    canvas->RestoreDC(saved);
    if (IsDestroying())
        return;
    // Windowed children of the open panel repaint where the new background lies under them.
    TRect paintArea = canvas->ClipRect();
    for (int i = 0; i < OutlookItems()->Count(); ++i) {
        TFxOutlookPage* page = OutlookItems()->Pages(i);
        TFxOutlookPanel* panel = page ? page->FPanel : nullptr;
        if (!panel || !panel->Visible())
            continue;
        for (int k = 0; k < panel->ControlCount(); ++k) {
            auto* child = dynamic_cast<TWinControl*>(panel->Controls(k));
            if (!child || !child->HandleAllocated())
                continue;
            TRect onBar = child->BoundsRect();
            OffsetRect(onBar, panel->Left(), panel->Top());
            TRect overlap;
            if (IntersectRect(overlap, onBar, paintArea)) {
                OffsetRect(overlap, -onBar.Left, -onBar.Top);
                child->InvalidateRect(&overlap);
            }
        }
        break;
    }
}
