#include "framework/gui/Actions.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
    // Clients that are components hear of it through free notification; the others
    // must have left before.
    FClients.clear();
}

void TBasicAction::Publish(TPublisher<TBasicAction>& p) {
    p.Event("OnExecute", &TBasicAction::OnExecute, &TBasicAction::SetOnExecute);
    p.Event("OnUpdate", &TBasicAction::OnUpdate, &TBasicAction::SetOnUpdate);
}

bool TBasicAction::Execute() {
    if (!FOnExecute)
        return false;
    FOnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!FOnUpdate)
        return false;
    FOnUpdate(this);
    return true;
}

void TBasicAction::SetActionComponent(TComponent* value) {
    SetComponentReference(this, FActionComponent, value);
}

void TBasicAction::SetOnExecute(TNotifyEvent value) {
    FOnExecute = std::move(value);
    Changed();
}

void TBasicAction::AddClient(const void* client, std::function<void()> changed,
                             std::function<bool()> showing) {
    RemoveClient(client);
    FClients.push_back({client, std::move(changed), std::move(showing)});
}

void TBasicAction::RemoveClient(const void* client) {
    std::erase_if(FClients, [client](const TClient& c) { return c.Key == client; });
}

bool TBasicAction::HasShowingClient() const {
    return std::any_of(FClients.begin(), FClients.end(),
                       [](const TClient& c) { return c.Showing && c.Showing(); });
}

void TBasicAction::Changed() {
    // A client may leave (or free itself) while being told.
    std::vector<const void*> keys;
    for (const TClient& c : FClients)
        keys.push_back(c.Key);
    for (const void* key : keys) {
        auto it = std::find_if(FClients.begin(), FClients.end(),
                               [key](const TClient& c) { return c.Key == key; });
        if (it != FClients.end() && it->Changed) {
            std::function<void()> fn = it->Changed;
            fn();
        }
    }
}

void TBasicAction::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation == opRemove) {
        if (component == FActionComponent)
            FActionComponent = nullptr;
        RemoveClient(component);
    }
}

// ---------------------------------------------------------------------------
// TActionLink

TActionLink::TActionLink(TComponent* client, std::function<void()> changed,
                         std::function<bool()> showing)
    : FClient(client), FChanged(std::move(changed)), FShowing(std::move(showing)) {}

TActionLink::~TActionLink() {
    SetAction(nullptr);
}

void TActionLink::SetAction(TBasicAction* value) {
    if (value == FAction)
        return;
    if (FAction) {
        FAction->RemoveClient(FClient);
        FAction->RemoveFreeNotification(FClient);
    }
    FAction = value;
    if (!value)
        return;
    value->FreeNotification(FClient);
    value->AddClient(
        FClient,
        [this] {
            if (FChanged)
                FChanged();
        },
        FShowing);
    if (FChanged)
        FChanged();
}

void TActionLink::ActionRemoved(TComponent* component) {
    if (component && component == FAction)
        FAction = nullptr;
}

bool TActionLink::Execute() {
    if (!FAction)
        return false;
    FAction->SetActionComponent(FClient);
    return FAction->Execute();
}

TCustomAction* TActionLink::CustomAction() const {
    return dynamic_cast<TCustomAction*>(FAction);
}

// ---------------------------------------------------------------------------
// TControl's action

TBasicAction* TControl::Action() const {
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* value) {
    if (value == Action())
        return;
    if (!value) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink)
        FActionLink = std::make_unique<TActionLink>(
            this, [this] { ActionChange(Action()); }, [this] { return Showing(); });
    FActionLink->SetAction(value);
}

void TControl::ActionChange(TBasicAction* sender) {
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    SetCaption(action->Caption());
    SetEnabled(action->Enabled());
    SetHint(action->Hint());
    SetVisible(action->Visible());
}

bool TControl::ExecuteAction() {
    return FActionLink && FActionLink->Execute();
}

// ---------------------------------------------------------------------------
// TContainedAction

TContainedAction::~TContainedAction() {
    if (FActionList)
        FActionList->RemoveAction(this);
}

void TContainedAction::Publish(TPublisher<TContainedAction>& p) {
    p.String("Category", &TContainedAction::Category, &TContainedAction::SetCategory);
}

bool TContainedAction::Execute() {
    if (FActionList && FActionList->ExecuteAction(this))
        return true;
    return TBasicAction::Execute();
}

bool TContainedAction::Update() {
    if (FActionList && FActionList->UpdateAction(this))
        return true;
    return TBasicAction::Update();
}

void TContainedAction::SetActionList(TCustomActionList* list) {
    if (list == FActionList)
        return;
    if (FActionList)
        FActionList->RemoveAction(this);
    if (list)
        list->AddAction(this);
}

int TContainedAction::Index() const {
    return FActionList ? FActionList->IndexOf(this) : -1;
}

void TContainedAction::SetIndex(int value) {
    if (!FActionList)
        return;
    auto& v = FActionList->FActions;
    int cur = FActionList->IndexOf(this);
    value = std::clamp(value, 0, int(v.size()) - 1);
    if (cur == value)
        return;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + value, this);
    FActionList->Change();
}

// ---------------------------------------------------------------------------
// TCustomAction

void TCustomAction::Publish(TPublisher<TCustomAction>& p) {
    p.String("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
    p.Bool("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked).Default(false);
    p.Bool("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled).Default(true);
    p.String("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
    p.Integer("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex).Default(-1);
    p.Integer(
         "ShortCut", [](const TCustomAction* a) { return int(a->ShortCut()); },
         [](TCustomAction* a, int v) { a->SetShortCut(TShortCut(v)); })
        .Default(0);
    p.Bool("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible).Default(true);
    p.Bool("AutoCheck", &TCustomAction::AutoCheck, &TCustomAction::SetAutoCheck).Default(false);
    p.Integer("GroupIndex", &TCustomAction::GroupIndex, &TCustomAction::SetGroupIndex).Default(0);
}

bool TCustomAction::Execute() {
    Update();
    if (!FEnabled)
        return false;
    if (FAutoCheck)
        SetChecked(!FChecked);
    return TContainedAction::Execute();
}

void TCustomAction::SetCaption(const std::string& value) {
    if (value == FCaption)
        return;
    FCaption = value;
    Changed();
}

void TCustomAction::SetChecked(bool value) {
    if (value == FChecked)
        return;
    FChecked = value;
    if (value && FGroupIndex > 0 && ActionList())
        for (int i = 0; i < ActionList()->ActionCount(); ++i) {
            auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
            if (other && other != this && other->FGroupIndex == FGroupIndex)
                other->SetChecked(false);
        }
    Changed();
}

void TCustomAction::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    Changed();
}

void TCustomAction::SetHint(const std::string& value) {
    if (value == FHint)
        return;
    FHint = value;
    Changed();
}

void TCustomAction::SetImageIndex(int value) {
    if (value == FImageIndex)
        return;
    FImageIndex = value;
    Changed();
}

void TCustomAction::SetShortCut(TShortCut value) {
    if (value == FShortCut)
        return;
    FShortCut = value;
    Changed();
}

void TCustomAction::SetVisible(bool value) {
    if (value == FVisible)
        return;
    FVisible = value;
    Changed();
}

void TCustomAction::SetAutoCheck(bool value) {
    if (value == FAutoCheck)
        return;
    FAutoCheck = value;
    Changed();
}

void TCustomAction::SetGroupIndex(int value) {
    if (value == FGroupIndex)
        return;
    FGroupIndex = value;
    Changed();
}

// ---------------------------------------------------------------------------
// TCustomActionList

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {
    Application->AddIdleHandler(this, [this] { UpdateActions(); });
}

TCustomActionList::~TCustomActionList() {
    Application->RemoveIdleHandler(this);
    SetImages(nullptr);
    while (!FActions.empty()) {
        TContainedAction* action = FActions.back();
        FActions.pop_back();
        action->FActionList = nullptr;
        delete action;
    }
}

void TCustomActionList::Publish(TPublisher<TCustomActionList>& p) {
    p.Class("Images", TImageList::StaticClass(), &TCustomActionList::Images,
            &TCustomActionList::SetImages);
    p.Event("OnExecute", &TCustomActionList::OnExecute, &TCustomActionList::SetOnExecute);
    p.Event("OnUpdate", &TCustomActionList::OnUpdate, &TCustomActionList::SetOnUpdate);
    p.Event("OnChange", &TCustomActionList::OnChange, &TCustomActionList::SetOnChange);
}

int TCustomActionList::IndexOf(const TContainedAction* action) const {
    auto it = std::find(FActions.begin(), FActions.end(), action);
    return it == FActions.end() ? -1 : int(it - FActions.begin());
}

void TCustomActionList::SetImages(TImageList* value) {
    if (!SetComponentReference(this, FImages, value))
        return;
    Change();
}

bool TCustomActionList::ExecuteAction(TBasicAction* action) {
    bool handled = false;
    if (FOnExecute)
        FOnExecute(action, handled);
    return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action) {
    bool handled = false;
    if (FOnUpdate)
        FOnUpdate(action, handled);
    return handled;
}

void TCustomActionList::UpdateActions() {
    if (IsLoading() || IsDestroying())
        return;
    // An update handler may free actions: work on a copy and skip the ones gone.
    std::vector<TContainedAction*> actions = FActions;
    for (TContainedAction* action : actions)
        if (IndexOf(action) >= 0 && action->HasShowingClient())
            action->Update();
}

bool TCustomActionList::HandleShortCut(TShortCut shortCut) {
    if (shortCut == scNone)
        return false;
    for (TContainedAction* action : FActions)
        if (auto* a = dynamic_cast<TCustomAction*>(action); a && a->ShortCut() == shortCut)
            return a->HandleShortCut();
    return false;
}

bool TCustomActionList::IsShortCut(TMessage& message) {
    return HandleShortCut(ShortCutFromMessage(message));
}

void TCustomActionList::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        Change();
    }
}

void TCustomActionList::AddAction(TContainedAction* action) {
    FActions.push_back(action);
    action->FActionList = this;
    Change();
}

void TCustomActionList::RemoveAction(TContainedAction* action) {
    auto it = std::find(FActions.begin(), FActions.end(), action);
    if (it == FActions.end())
        return;
    FActions.erase(it);
    action->FActionList = nullptr;
    Change();
}

void TCustomActionList::Change() {
    if (FOnChange && !IsDestroying())
        FOnChange(this);
}
