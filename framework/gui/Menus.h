#pragma once
// Menus: a tree of menu items (caption, shortcut, enabled, checked, separator, image,
// sub-menus) under a main menu or a pop-up menu. A menu owned by a form answers the
// shortcuts of its items through the form (it is one of the form's shortcut handlers);
// an item linked to an action shows the action's properties and runs it when clicked.
// On screen the tree becomes a QMenu (pop-up) or a QMenuBar (main menu), built afresh
// each time it is shown.

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>
#include <vector>

class QMenu;
class QMenuBar;
class QWidget;
class TMenu;

// Misuse of the item tree: "Menu index out of range", "Sub-menu is not in menu",
// "Cannot insert an item into itself".
class EMenuError : public Exception {
public:
    using Exception::Exception;
};

// A caption of "-" makes an item a separator line.
constexpr const char* cLineCaption = "-";

class TMenuItem : public TComponent {
    ORV_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* owner);
    // Frees the sub-items and leaves the parent item.
    ~TMenuItem() override;
    static void Publish(TPublisher<TMenuItem>& p);

    // ---- Look and state
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    // Checking a radio item unchecks the other radio items of its group among its
    // siblings.
    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value) { FHint = value; }
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    // Clicking toggles Checked.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool value) { FAutoCheck = value; }
    // Shown in bold: the item a double click would choose.
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    // A separator line.
    bool IsLine() const { return FCaption == cLineCaption; }

    // ---- The action the item shows and runs (not owned)
    TBasicAction* Action() const { return FActionLink.Action(); }
    void SetAction(TBasicAction* value);

    // ---- The tree
    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(index); }
    TMenuItem* Parent() const { return FParent; }
    // Adds at the end / at index; the item leaves any other parent. The parent frees
    // its sub-items.
    void Add(TMenuItem* item);
    void Add(const std::vector<TMenuItem*>& items);
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* item);
    // Frees the sub-item at index / all sub-items.
    void Delete(int index);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    // The sub-item whose caption, without "&", is the text (case ignored), or nullptr.
    TMenuItem* Find(const std::string& caption) const;
    int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    void SetMenuIndex(int value);
    // The menu whose tree holds the item, or nullptr.
    TMenu* GetParentMenu() const;

    // ---- Running
    // Toggles an auto-check item, then runs OnClick, or the action when there is no
    // OnClick of the item's own; nothing when disabled.
    virtual void Click();
    // Updates the linked action (before the item is shown or runs).
    void InitiateAction();
    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent value) { FOnClick = std::move(value); }

    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    friend class TMenu;
    void ActionChanged();
    void Changed();
    void SetParentMenu(TMenu* menu);

    std::string FCaption;
    TShortCut FShortCut = scNone;
    bool FEnabled = true;
    bool FChecked = false;
    bool FVisible = true;
    int FImageIndex = -1;
    std::string FHint;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    bool FAutoCheck = false;
    bool FDefault = false;
    TActionLink FActionLink;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item only
    std::vector<TMenuItem*> FItems;
    TNotifyEvent FOnClick;
};

// ---------------------------------------------------------------------------

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent, public IShortCutHandler {
    ORV_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    static void Publish(TPublisher<TMenu>& p);

    // The root item: its sub-items are the menu's items.
    TMenuItem* Items() const { return FItems; }
    // The images the items' ImageIndex refers to (not owned).
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);

    // The first item (depth first) with the shortcut, or nullptr.
    TMenuItem* FindItem(int value, TFindItemKind kind) const;
    // The shortcut's item runs: each item on the way down to it is clicked in turn
    // (stopping at a disabled one); true when the menu holds the shortcut, so the key
    // is used even when the item is disabled.
    bool HandleShortCut(TShortCut shortCut) override;
    bool IsShortCut(TMessage& message) { return HandleShortCut(ShortCutFromMessage(message)); }

    // Fires when the tree or an item's look changed.
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    void ComponentNotification(TComponent* component, TOperation operation) override;

    // Builds the Qt menu of an item's sub-items into menu (cleared first).
    void FillQMenu(QMenu* menu, TMenuItem* parent) const;

protected:
    friend class TMenuItem;
    virtual void MenuChanged();

private:
    TMenuItem* FItems;
    TImageList* FImages = nullptr;
    TNotifyEvent FOnChange;
    // Expires when the menu is freed: a command chosen on screen runs later and checks it.
    std::shared_ptr<const int> FAlive = std::make_shared<const int>(0);
};

// The menu bar of a form.
class TMainMenu : public TMenu, public IFormMenu {
    ORV_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    // A menu bar showing the items (one pull-down per top-level item), a child of
    // parent; it is rebuilt whenever the menu changes and goes with the menu.
    QMenuBar* CreateMenuBar(QWidget* parent);
    // The form's menu bar (the form calls it when it shows this menu).
    QWidget* CreateMenuBarFor(QWidget* parent) override;
    QMenuBar* MenuBar() const;

protected:
    void MenuChanged() override;

private:
    void FillMenuBar();
    struct TMenuBarRef; // the bar on screen, cleared when the bar goes
    std::unique_ptr<TMenuBarRef> FMenuBar;
};

// Scoped: the chart engine's function period alignment uses paCenter too.
enum class TPopupAlignment { paLeft, paRight, paCenter };

// A menu that pops up at a point (a right click, a tool button's drop-down arrow).
class TPopupMenu : public TMenu, public IPopupMenu {
    ORV_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    static void Publish(TPublisher<TPopupMenu>& p);

    // Fires OnPopup, updates the items' actions and shows the menu with its corner at
    // the screen point (by Alignment); returns at once: a chosen item is clicked from the
    // application's loop once the menu has closed.
    virtual void Popup(int x, int y);
    // The component the menu popped up for (set by whoever pops it up).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* value);
    // The screen point of the last Popup.
    TPoint PopupPoint() const { return FPopupPoint; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment value) { FAlignment = value; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    // The menu on screen (nullptr when it is not shown).
    QMenu* ShownMenu() const;
    // Closes the menu on screen.
    void CloseUp();

    const TNotifyEvent& OnPopup() const { return FOnPopup; }
    void SetOnPopup(TNotifyEvent value) { FOnPopup = std::move(value); }

    void ComponentNotification(TComponent* component, TOperation operation) override;
    // A control's right click: pops up for it when AutoPopup is on.
    void PopupFor(TControl* control, int screenX, int screenY) override;

private:
    TComponent* FPopupComponent = nullptr;
    TPoint FPopupPoint;
    TPopupAlignment FAlignment = TPopupAlignment::paLeft;
    bool FAutoPopup = true;
    struct TShownMenu; // the menu on screen, cleared when the menu goes
    std::unique_ptr<TShownMenu> FMenu;
    TNotifyEvent FOnPopup;
};

// The caption without its accelerator marks ("&&" stays as one "&").
std::string StripHotkey(const std::string& caption);
