#pragma once
// Window hooks: a TExWindowHook watches the messages of a window control without the
// control's cooperation, before (BeforeMessage, which may stop a message) and after
// (AfterMessage) the control's own processing. All hooks of one control share one
// TControlHook, which puts its procedure in the control's place; the control hooks live
// in the process-wide THookList, whose hidden window re-installs a procedure after the
// control's window was re-created and frees control hooks nobody uses any more.

#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Messages.h"

#include <memory>
#include <vector>

class TControlHook;

// Private messages of the hidden window; the second parameter is a control hook.
constexpr UINT WM_REHOOK = 0xB052;
constexpr UINT WM_FREEHOOK = 0xB053;

// Sender, the message (its result may be set), handled.
using THookMessageEvent = TEvent<void(TObject*, TMessage&, bool&)>;

class TExWindowHook : public TComponent {
    ORV_CLASS(TExWindowHook, TComponent)
public:
    explicit TExWindowHook(TComponent* owner);
    ~TExWindowHook() override;
    static void Publish(TPublisher<TExWindowHook>& p);

    // Registers with the control's control hook (when there is a control); Active
    // becomes True.
    void HookControl();
    // Leaves the control hook; Active becomes False.
    void UnhookControl();

    bool Active() const { return FActive; }
    void SetActive(bool value);
    // The watched control. A new control is watched at once when the hook is active;
    // the control hook left behind is freed later when nobody else uses it.
    TWinControl* WinControl() const;
    void SetWinControl(TWinControl* value);

    const THookMessageEvent& BeforeMessage() const { return FBeforeMessage; }
    void SetBeforeMessage(THookMessageEvent value) { FBeforeMessage = std::move(value); }
    const THookMessageEvent& AfterMessage() const { return FAfterMessage; }
    void SetAfterMessage(THookMessageEvent value) { FAfterMessage = std::move(value); }

    void ComponentNotification(TComponent* component, TOperation operation) override;
    // "IsForm": the hook watches its owner form.
    void DefineStreamedData(TFiler& filer) override;

protected:
    virtual void DoAfterMessage(TMessage& msg, bool& handled);
    virtual void DoBeforeMessage(TMessage& msg, bool& handled);

private:
    friend class TControlHook;
    bool IsForm() const;
    bool WinControlStored() const;

    TControlHook* FControlHook = nullptr;
    TWinControl* FControl = nullptr;
    bool FActive = true;
    THookMessageEvent FBeforeMessage;
    THookMessageEvent FAfterMessage;
};

// The hooks of one control and the procedure that calls them.
class TControlHook : public TObject {
public:
    TControlHook();
    ~TControlHook() override;

    TWinControl* Control() const { return FControl; }
    // For another control: the old control gets its procedure back, the new one gets
    // the replacement when hooks are registered.
    void SetControl(TWinControl* value);
    // Installs the replacement in the control's place (creating its window if needed).
    void HookControl();
    // Puts the previous procedure back when the replacement is still the control's.
    void UnhookControl();
    void AddHook(TExWindowHook* hook);
    void RemoveHook(TExWindowHook* hook);
    int HookCount() const { return int(FList.size()); }
    // True while the replacement is the control's window procedure.
    bool Installed() const;

private:
    friend class TExWindowHook;
    struct TProcState;
    void HookWindowProc(TMessage& msg);
    void NotifyHooks(bool before, TMessage& msg, bool& handled);
    // The control is being freed: forget it without touching it.
    void ControlDestroyed();

    TWinControl* FControl = nullptr;
    std::vector<TExWindowHook*> FList;
    std::shared_ptr<TProcState> FState;
    TWndMethod FNewWndProc;
    TWndMethod FPrevWndProc;
    bool FDestroying = false;
};

// The control hooks (owned) and the hidden window of the deferred work.
class THookList : public TList {
public:
    THookList();
    ~THookList() override;
    // The control hook of the control, nullptr for none (or for no control).
    TControlHook* FindControlHook(TWinControl* control) const;
    // The existing one, or a new one moved to the control.
    TControlHook* GetControlHook(TWinControl* control);
    HWND Handle() const { return FHandle; }

private:
    void WndProc(TMessage& msg);
    HWND FHandle = 0;
};

// The process-wide list: created on first use, freed at program exit.
THookList* HookList();
// The list when it exists, without creating it.
THookList* HookListIfCreated();
