#pragma once
// Actions: named commands with a caption, a hint, an image, a shortcut and an enabled and
// checked state, shared by the menu items and buttons linked to them. An action list
// collects the actions of a form, answers their shortcuts through the form (it is one of
// the form's shortcut handlers) and updates the actions on screen at idle time.
//
// Executing an action runs its update first; only an enabled action runs. The list's
// OnExecute / OnUpdate see every action of the list before the action's own handlers.

#include "framework/core/Classes.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"

#include <functional>
#include <string>
#include <vector>

class TBasicAction;
class TCustomAction;
class TCustomActionList;

// A list-wide handler: (action, handled); setting handled stops the action's own handler.
using TActionEvent = TEvent<void(TBasicAction*, bool&)>;

class TBasicAction : public TComponent {
    ORV_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* owner);
    ~TBasicAction() override;
    static void Publish(TPublisher<TBasicAction>& p);

    // Fires OnExecute; true when there was a handler to run.
    virtual bool Execute();
    // Fires OnUpdate; true when there was a handler to run.
    virtual bool Update();

    // The component (menu item, button) that made the action run last.
    TComponent* ActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* value);

    const TNotifyEvent& OnExecute() const { return FOnExecute; }
    void SetOnExecute(TNotifyEvent value);
    const TNotifyEvent& OnUpdate() const { return FOnUpdate; }
    void SetOnUpdate(TNotifyEvent value) { FOnUpdate = std::move(value); }

    // Clients (menu items, tool buttons) follow the action: changed runs after every
    // change of a property the client shows; showing tells whether the client is on
    // screen now, which makes the action's list update it at idle time (an empty
    // function: never). A client that is a component also asks for free notification
    // to learn when the action goes.
    void AddClient(const void* client, std::function<void()> changed,
                   std::function<bool()> showing = {});
    void RemoveClient(const void* client);
    int ClientCount() const { return int(FClients.size()); }
    // True when some client is on screen.
    bool HasShowingClient() const;

    void ComponentNotification(TComponent* component, TOperation operation) override;

protected:
    // Tells the clients that a property changed.
    void Changed();

private:
    struct TClient {
        const void* Key;
        std::function<void()> Changed;
        std::function<bool()> Showing;
    };
    std::vector<TClient> FClients;
    TComponent* FActionComponent = nullptr;
    TNotifyEvent FOnExecute;
    TNotifyEvent FOnUpdate;
};

// The tie of a client (a control, a menu item) to the action it follows. Setting the
// action makes the client one of the action's clients: changed runs after every change of
// a property the client shows, showing tells the action list whether to update the action
// at idle time. The client asks for free notification of the action and hands its
// removals to ActionRemoved, which forgets the action; a link that goes leaves its action.
class TActionLink {
public:
    TActionLink(TComponent* client, std::function<void()> changed,
                std::function<bool()> showing = {});
    ~TActionLink();
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;

    TBasicAction* Action() const { return FAction; }
    // Leaves the old action and follows the new one (nullptr: none); runs changed when
    // there is a new one.
    void SetAction(TBasicAction* value);
    // The client heard that a component goes: the link forgets it when it is its action
    // (without calling on the action, which is half destroyed by then).
    void ActionRemoved(TComponent* component);
    // Runs the action on behalf of the client; true when a handler ran.
    bool Execute();
    // The action's properties when it is a TCustomAction, else nullptr.
    TCustomAction* CustomAction() const;

private:
    TComponent* FClient;
    std::function<void()> FChanged;
    std::function<bool()> FShowing;
    TBasicAction* FAction = nullptr;
};

// An action that belongs to an action list.
class TContainedAction : public TBasicAction {
    ORV_CLASS(TContainedAction, TBasicAction)
public:
    explicit TContainedAction(TComponent* owner) : TBasicAction(owner) {}
    ~TContainedAction() override;
    static void Publish(TPublisher<TContainedAction>& p);

    // The list's OnExecute, then the action's own handler.
    bool Execute() override;
    // The list's OnUpdate, then the action's own handler.
    bool Update() override;

    TCustomActionList* ActionList() const { return FActionList; }
    // Moves the action into the list (nullptr takes it out of its list).
    void SetActionList(TCustomActionList* list);
    const std::string& Category() const { return FCategory; }
    void SetCategory(const std::string& value) { FCategory = value; }
    // The position in the list (-1 outside one).
    int Index() const;
    void SetIndex(int value);

private:
    friend class TCustomActionList;
    TCustomActionList* FActionList = nullptr;
    std::string FCategory;
};

class TCustomAction : public TContainedAction {
    ORV_CLASS(TCustomAction, TContainedAction)
public:
    explicit TCustomAction(TComponent* owner) : TContainedAction(owner) {}
    static void Publish(TPublisher<TCustomAction>& p);

    // Updates the action, then runs it when it is enabled (an auto-check action toggles
    // Checked first); true when a handler ran.
    bool Execute() override;
    // The action's shortcut was pressed: Execute.
    virtual bool HandleShortCut() { return Execute(); }

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    // Checking an action of a group (GroupIndex > 0) unchecks the others of its list.
    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }

private:
    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    std::string FHint;
    int FImageIndex = -1;
    TShortCut FShortCut = scNone;
    bool FVisible = true;
    bool FAutoCheck = false;
    int FGroupIndex = 0;
    int FHelpContext = 0;
};

class TAction : public TCustomAction {
    ORV_CLASS(TAction, TCustomAction)
public:
    explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// ---------------------------------------------------------------------------

class TCustomActionList : public TComponent, public IShortCutHandler {
    ORV_CLASS(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* owner);
    // Frees the actions still in the list.
    ~TCustomActionList() override;
    static void Publish(TPublisher<TCustomActionList>& p);

    int ActionCount() const { return int(FActions.size()); }
    TContainedAction* Actions(int index) const { return FActions.at(index); }
    int IndexOf(const TContainedAction* action) const;
    // The images the actions' ImageIndex refers to (not owned).
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);

    // OnExecute / OnUpdate for the action; true when handled there.
    virtual bool ExecuteAction(TBasicAction* action);
    virtual bool UpdateAction(TBasicAction* action);
    // Updates every action that a client shows on screen (what idle time does).
    void UpdateActions();

    // The action with the shortcut runs (IShortCutHandler): true when it ran.
    bool HandleShortCut(TShortCut shortCut) override;
    // The shortcut of a key message.
    bool IsShortCut(TMessage& message);

    const TActionEvent& OnExecute() const { return FOnExecute; }
    void SetOnExecute(TActionEvent value) { FOnExecute = std::move(value); }
    const TActionEvent& OnUpdate() const { return FOnUpdate; }
    void SetOnUpdate(TActionEvent value) { FOnUpdate = std::move(value); }
    // Fires when actions join or leave the list, or the images change.
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    friend class TContainedAction;
    void AddAction(TContainedAction* action);
    void RemoveAction(TContainedAction* action);
    void Change();

    std::vector<TContainedAction*> FActions;
    TImageList* FImages = nullptr;
    TActionEvent FOnExecute;
    TActionEvent FOnUpdate;
    TNotifyEvent FOnChange;
};

class TActionList : public TCustomActionList {
    ORV_CLASS(TActionList, TCustomActionList)
public:
    explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};
