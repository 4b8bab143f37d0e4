#include "persist/ExHook.h"

#include "framework/core/Streams.h"
#include "framework/gui/Forms.h"
#include "framework/gui/WindowSystem.h"

#include <algorithm>
#include <functional>

namespace {

THookList* gHookList = nullptr;

void ReportException(TObject* sender) {
    if (Application)
        Application->HandleException(sender);
}

} // namespace

THookList* HookList() {
    if (!gHookList) {
        gHookList = new THookList();
        // Made after the list's hidden window, so it runs before the window system's
        // own clean-up at exit.
        static struct TFreeAtExit {
            ~TFreeAtExit() {
                THookList* list = gHookList;
                gHookList = nullptr;
                delete list;
            }
        } freeAtExit;
    }
    return gHookList;
}

THookList* HookListIfCreated() {
    return gHookList;
}

// ---------------------------------------------------------------------------
// TExWindowHook

TExWindowHook::TExWindowHook(TComponent* owner) : TComponent(owner) {}

TExWindowHook::~TExWindowHook() {
    Destroying();
    SetActive(false);
    SetWinControl(nullptr);
}

void TExWindowHook::Publish(TPublisher<TExWindowHook>& p) {
    p.Bool("Active", &TExWindowHook::Active, &TExWindowHook::SetActive).Default(true);
    p.Class("WinControl", TWinControl::StaticClass(), &TExWindowHook::WinControl,
            &TExWindowHook::SetWinControl)
        .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
            return static_cast<const TExWindowHook*>(o)->WinControlStored();
        }));
    p.Event("BeforeMessage", &TExWindowHook::BeforeMessage, &TExWindowHook::SetBeforeMessage);
    p.Event("AfterMessage", &TExWindowHook::AfterMessage, &TExWindowHook::SetAfterMessage);
}

TWinControl* TExWindowHook::WinControl() const {
    return FControlHook ? FControlHook->Control() : FControl;
}

bool TExWindowHook::IsForm() const {
    return WinControl() && WinControl() == Owner() && dynamic_cast<TCustomForm*>(Owner());
}

bool TExWindowHook::WinControlStored() const {
    return WinControl() && !dynamic_cast<TCustomForm*>(WinControl());
}

void TExWindowHook::DefineStreamedData(TFiler& filer) {
    TComponent::DefineStreamedData(filer);
    filer.DefineBoolean(
        "IsForm", IsForm(),
        [this](bool value) {
            if (value && dynamic_cast<TCustomForm*>(Owner()))
                SetWinControl(static_cast<TWinControl*>(static_cast<TCustomForm*>(Owner())));
        },
        IsForm());
}

void TExWindowHook::SetActive(bool value) {
    if (value == FActive)
        return;
    if (value)
        HookControl();
    else
        UnhookControl();
}

void TExWindowHook::HookControl() {
    if (FControl && !IsDestroying())
        HookList()->GetControlHook(FControl)->AddHook(this);
    FActive = true;
}

void TExWindowHook::UnhookControl() {
    if (FControlHook)
        FControlHook->RemoveHook(this);
    FActive = false;
}

void TExWindowHook::SetWinControl(TWinControl* value) {
    if (value == FControl)
        return;
    if (FControlHook)
        FControlHook->RemoveHook(this);
    if (FControl && !FControl->IsDestroying())
        FControl->RemoveFreeNotification(this);
    FControl = value;
    if (value)
        value->FreeNotification(this);
    if (FActive)
        HookControl();
}

void TExWindowHook::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FControl) {
        if (FControlHook && FControlHook->Control() == FControl)
            FControlHook->ControlDestroyed();
        FControl = nullptr; // gone: neither its procedure nor its notices are touched
        if (FControlHook)
            FControlHook->RemoveHook(this);
    } else if (component == Owner() || !Owner()) {
        SetWinControl(nullptr);
    }
}

void TExWindowHook::DoAfterMessage(TMessage& msg, bool& handled) {
    if (FAfterMessage)
        FAfterMessage(this, msg, handled);
}

void TExWindowHook::DoBeforeMessage(TMessage& msg, bool& handled) {
    if (FBeforeMessage)
        FBeforeMessage(this, msg, handled);
}

// ---------------------------------------------------------------------------
// TControlHook

// What the replacement procedure reaches: the control hook while it lives, and the
// procedure it replaced, so that a replacement left installed under someone else's
// procedure still passes messages on after the control hook is gone.
struct TControlHook::TProcState {
    TControlHook* Hook = nullptr;
    TWndMethod Previous;
};

TControlHook::TControlHook() : FState(std::make_shared<TProcState>()) {
    FState->Hook = this;
    std::weak_ptr<TProcState> state = FState;
    FNewWndProc = TWndMethod([state](TMessage& msg) {
        auto s = state.lock();
        if (s && s->Hook)
            s->Hook->HookWindowProc(msg);
        else if (s)
            s->Previous(msg);
    });
}

TControlHook::~TControlHook() {
    FDestroying = true;
    if (THookList* list = HookListIfCreated())
        list->Remove(this);
    while (!FList.empty())
        RemoveHook(FList.back());
    FState->Hook = nullptr;
    FState->Previous = FPrevWndProc;
}

bool TControlHook::Installed() const {
    return FControl && FControl->WindowProc() == FNewWndProc;
}

void TControlHook::SetControl(TWinControl* value) {
    if (value == FControl)
        return;
    UnhookControl();
    FControl = value;
    if (!FList.empty())
        HookControl();
}

void TControlHook::HookControl() {
    if (!FControl || FDestroying || FControl->IsDestroying() ||
        FControl->ComponentState().Contains(csDesigning))
        return;
    if (FControl->Parent() || FControl->IsTopLevel())
        FControl->HandleNeeded();
    if (!(FControl->WindowProc() == FNewWndProc)) {
        FPrevWndProc = FControl->WindowProc();
        FControl->SetWindowProc(FNewWndProc);
    }
}

void TControlHook::UnhookControl() {
    // The procedure belongs to the control, not to its window: it is put back whether
    // or not a window exists.
    if (FControl && FPrevWndProc && FControl->WindowProc() == FNewWndProc)
        FControl->SetWindowProc(FPrevWndProc);
    FPrevWndProc = TWndMethod();
}

void TControlHook::ControlDestroyed() {
    FControl = nullptr;
    FPrevWndProc = TWndMethod();
}

void TControlHook::AddHook(TExWindowHook* hook) {
    if (std::find(FList.begin(), FList.end(), hook) == FList.end()) {
        hook->FControlHook = this;
        FList.push_back(hook);
        SetControl(hook->FControl);
    }
    HookControl();
}

void TControlHook::RemoveHook(TExWindowHook* hook) {
    hook->FControlHook = nullptr;
    std::erase(FList, hook);
    if (!FList.empty())
        return;
    UnhookControl();
    // Left by its last hook (moved, deactivated, freed, or its control freed): the control
    // hook goes once the present message is done. Kept, it would hold the address of a
    // control that may be freed, and a new control made at that address would be taken
    // for it.
    if (!FDestroying)
        if (THookList* list = HookListIfCreated())
            PostMessage(list->Handle(), WM_FREEHOOK, 0, LPARAM(this));
}

void TControlHook::HookWindowProc(TMessage& msg) {
    if (!FControl)
        return;
    bool handled = false;
    if (msg.Msg != WM_QUIT)
        NotifyHooks(true, msg, handled);
    if (!handled || msg.Msg == WM_DESTROY) {
        try {
            if (FPrevWndProc)
                FPrevWndProc(msg);
            else
                FControl->DefaultWindowProc()(msg);
        } catch (...) {
            NotifyHooks(false, msg, handled);
            throw;
        }
        NotifyHooks(false, msg, handled);
    }
    if (msg.Msg == WM_DESTROY && FControl) {
        UnhookControl();
        THookList* list = HookListIfCreated();
        if (list && !FDestroying && !FControl->IsDestroying())
            PostMessage(list->Handle(), WM_REHOOK, 0, LPARAM(this));
    }
}

void TControlHook::NotifyHooks(bool before, TMessage& msg, bool& handled) {
    if (FList.empty() || !FControl || FDestroying || FControl->IsDestroying())
        return;
    for (int i = int(FList.size()) - 1; i >= 0; --i) {
        if (i >= int(FList.size()))
            continue; // a handler removed hooks
        TExWindowHook* hook = FList[size_t(i)];
        try {
            if (before)
                hook->DoBeforeMessage(msg, handled);
            else
                hook->DoAfterMessage(msg, handled);
        } catch (...) {
            ReportException(hook);
        }
        if (handled)
            break;
    }
}

// ---------------------------------------------------------------------------
// THookList

THookList::THookList() {
    FHandle = AllocateHWnd(TWndMethod([this](TMessage& msg) { WndProc(msg); }));
}

THookList::~THookList() {
    while (Count() > 0) {
        auto* hook = static_cast<TControlHook*>(Last());
        Delete(Count() - 1);
        delete hook;
    }
    DeallocateHWnd(FHandle);
}

TControlHook* THookList::FindControlHook(TWinControl* control) const {
    if (!control)
        return nullptr;
    for (int i = 0; i < Count(); ++i) {
        auto* hook = static_cast<TControlHook*>(Items(i));
        if (hook->Control() == control)
            return hook;
    }
    return nullptr;
}

TControlHook* THookList::GetControlHook(TWinControl* control) {
    TControlHook* hook = FindControlHook(control);
    if (!hook) {
        hook = new TControlHook();
        Add(hook);
        hook->SetControl(control);
    }
    return hook;
}

void THookList::WndProc(TMessage& msg) {
    try {
        auto* hook = reinterpret_cast<TControlHook*>(msg.LParam);
        switch (msg.Msg) {
        case WM_REHOOK:
            if (IndexOf(hook) >= 0)
                hook->HookControl();
            break;
        case WM_FREEHOOK:
            if (IndexOf(hook) >= 0 && hook->HookCount() == 0)
                delete hook;
            break;
        default:
            break;
        }
    } catch (...) {
        ReportException(nullptr);
    }
}
