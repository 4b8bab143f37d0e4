#include "framework/gui/Menus.h"

#include "framework/core/SystemUtils.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>

#include <algorithm>

std::string StripHotkey(const std::string& caption) {
    std::string result;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += caption[i];
    }
    return result;
}

// ---------------------------------------------------------------------------
// TMenuItem

// Items of a main menu are on screen with their form; pop-up items only while the menu is
// shown (the menu updates them then).
TMenuItem::TMenuItem(TComponent* owner)
    : TComponent(owner), FActionLink(
                             this, [this] { ActionChanged(); },
                             [this] {
                                 auto* menu = dynamic_cast<TMainMenu*>(GetParentMenu());
                                 if (!menu)
                                     return false;
                                 auto* form = dynamic_cast<TCustomForm*>(menu->Owner());
                                 return form && form->Showing();
                             }) {}

TMenuItem::~TMenuItem() {
    Destroying();
    FActionLink.SetAction(nullptr);
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        delete item;
    }
    if (FParent)
        FParent->Remove(this);
    if (FMenu)
        FMenu->FItems = nullptr;
}

void TMenuItem::Publish(TPublisher<TMenuItem>& p) {
    p.String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    p.Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
    p.Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    p.Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    p.Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
    p.Integer(
         "ShortCut", [](const TMenuItem* m) { return int(m->ShortCut()); },
         [](TMenuItem* m, int v) { m->SetShortCut(TShortCut(v)); })
        .Default(0);
    p.String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    p.Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
    p.Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
    p.Bool("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(false);
    p.Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
    p.Event("OnClick", &TMenuItem::OnClick, &TMenuItem::SetOnClick);
}

void TMenuItem::Changed() {
    if (IsDestroying())
        return;
    if (TMenu* menu = GetParentMenu())
        menu->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& value) {
    if (value == FCaption)
        return;
    FCaption = value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut value) {
    if (value == FShortCut)
        return;
    FShortCut = value;
    Changed();
}

void TMenuItem::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    Changed();
}

void TMenuItem::SetChecked(bool value) {
    if (value == FChecked)
        return;
    FChecked = value;
    if (value && FRadioItem && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
                sibling->SetChecked(false);
    Changed();
}

void TMenuItem::SetVisible(bool value) {
    if (value == FVisible)
        return;
    FVisible = value;
    Changed();
}

void TMenuItem::SetImageIndex(int value) {
    if (value == FImageIndex)
        return;
    FImageIndex = value;
    Changed();
}

void TMenuItem::SetRadioItem(bool value) {
    if (value == FRadioItem)
        return;
    FRadioItem = value;
    Changed();
}

void TMenuItem::SetGroupIndex(int value) {
    if (value == FGroupIndex)
        return;
    FGroupIndex = value;
    Changed();
}

void TMenuItem::SetDefault(bool value) {
    if (value == FDefault)
        return;
    FDefault = value;
    Changed();
}

void TMenuItem::SetAction(TBasicAction* value) {
    FActionLink.SetAction(value);
}

void TMenuItem::ActionChanged() {
    TCustomAction* a = FActionLink.CustomAction();
    if (!a)
        return;
    FCaption = a->Caption();
    FChecked = a->Checked();
    FEnabled = a->Enabled();
    FHint = a->Hint();
    FImageIndex = a->ImageIndex();
    FShortCut = a->ShortCut();
    FVisible = a->Visible();
    Changed();
}

void TMenuItem::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation == opRemove)
        FActionLink.ActionRemoved(component);
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(int(FItems.size()), item);
}

void TMenuItem::Add(const std::vector<TMenuItem*>& items) {
    for (TMenuItem* item : items)
        Add(item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item || item == this)
        return;
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == item)
            throw EMenuError("Cannot insert an item into itself");
    if (item->FParent)
        item->FParent->Remove(item);
    index = std::clamp(index, 0, int(FItems.size()));
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end())
        throw EMenuError("Sub-menu is not in menu");
    FItems.erase(it);
    item->FParent = nullptr;
    Changed();
}

void TMenuItem::Delete(int index) {
    if (index < 0 || index >= int(FItems.size()))
        throw EMenuError("Menu index out of range");
    delete FItems[index];
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        delete FItems.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    std::string wanted = StripHotkey(caption);
    for (TMenuItem* item : FItems)
        if (SameText(StripHotkey(item->FCaption), wanted))
            return item;
    return nullptr;
}

void TMenuItem::SetMenuIndex(int value) {
    if (!FParent)
        return;
    TMenuItem* parent = FParent;
    int cur = parent->IndexOf(this);
    value = std::clamp(value, 0, parent->Count() - 1);
    if (cur == value)
        return;
    parent->FItems.erase(parent->FItems.begin() + cur);
    parent->FItems.insert(parent->FItems.begin() + value, this);
    Changed();
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

void TMenuItem::SetParentMenu(TMenu* menu) {
    FMenu = menu;
}

void TMenuItem::InitiateAction() {
    if (TBasicAction* action = Action())
        action->Update();
}

void TMenuItem::Click() {
    if (!FEnabled)
        return;
    if (FAutoCheck)
        SetChecked(!FChecked);
    TBasicAction* action = Action();
    bool ownHandler = FOnClick && !(action && FOnClick == action->OnExecute());
    if (ownHandler) {
        FOnClick(this);
    } else if (action) {
        FActionLink.Execute();
        // The handler may have freed the item: the action forgot it then.
        if (action->ActionComponent() == this)
            action->SetActionComponent(nullptr);
    } else if (FOnClick) {
        FOnClick(this);
    }
}

// ---------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
    FItems = new TMenuItem(this);
    FItems->SetParentMenu(this);
}

TMenu::~TMenu() {
    Destroying();
    FAlive.reset();
    SetImages(nullptr);
    if (FItems) {
        FItems->SetParentMenu(nullptr);
        TMenuItem* root = FItems;
        FItems = nullptr;
        delete root;
    }
}

void TMenu::Publish(TPublisher<TMenu>& p) {
    p.Class("Images", TImageList::StaticClass(), &TMenu::Images, &TMenu::SetImages);
}

void TMenu::SetImages(TImageList* value) {
    if (!SetComponentReference(this, FImages, value))
        return;
    MenuChanged();
}

void TMenu::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        MenuChanged();
    }
}

void TMenu::MenuChanged() {
    if (IsDestroying())
        return;
    if (FOnChange)
        FOnChange(this);
}

namespace {

TMenuItem* FindShortCut(TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->ShortCut() == shortCut && !item->IsLine())
            return item;
        if (TMenuItem* found = FindShortCut(item, shortCut))
            return found;
    }
    return nullptr;
}

bool InTree(const TMenuItem* root, const TMenuItem* item) {
    if (root == item)
        return true;
    for (int i = 0; i < root->Count(); ++i)
        if (InTree(root->Items(i), item))
            return true;
    return false;
}

QString MenuText(const TMenuItem* item) {
    QString text = QString::fromStdString(item->Caption());
    if (item->ShortCut() != scNone)
        text += QLatin1Char('\t') + QString::fromStdString(ShortCutToText(item->ShortCut()));
    return text;
}

} // namespace

TMenuItem* TMenu::FindItem(int value, TFindItemKind kind) const {
    if (!FItems || kind != fkShortCut || value == scNone)
        return nullptr;
    return FindShortCut(FItems, TShortCut(value));
}

bool TMenu::HandleShortCut(TShortCut shortCut) {
    TMenuItem* item = FindItem(shortCut, fkShortCut);
    if (!item)
        return false;
    // The root item is not clicked: it is no item of the menu itself.
    std::vector<TMenuItem*> path;
    for (TMenuItem* p = item; p && p != FItems; p = p->Parent())
        path.insert(path.begin(), p);
    for (TMenuItem* p : path) {
        if (!InTree(FItems, p) || !p->Enabled())
            break;
        p->InitiateAction();
        if (!p->Enabled())
            break;
        p->Click();
    }
    return true;
}

void TMenu::FillQMenu(QMenu* menu, TMenuItem* parent) const {
    menu->clear();
    QActionGroup* group = nullptr;
    int groupIndex = -1;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible())
            continue;
        if (item->IsLine()) {
            menu->addSeparator();
            continue;
        }
        QAction* action;
        if (item->Count() > 0) {
            QMenu* sub = menu->addMenu(MenuText(item));
            FillQMenu(sub, item);
            action = sub->menuAction();
        } else {
            action = menu->addAction(MenuText(item));
            const TMenu* self = this;
            std::weak_ptr<const int> alive = FAlive;
            QObject::connect(action, &QAction::triggered, action, [self, item, alive] {
                // The command runs from the application's loop once the menu has closed
                // and finished with the mouse or key that chose it: a command that opens a
                // modal window runs a nested loop, which may free the menu (a pop-up is
                // freed when it closes) while the menu's own handler is still on the stack.
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, item, alive] {
                        // The menu or its tree may have changed since the item was chosen.
                        if (alive.expired() || !self->FItems || !InTree(self->FItems, item))
                            return;
                        try {
                            item->Click();
                        } catch (...) {
                            Application->HandleException(const_cast<TMenu*>(self));
                        }
                    },
                    Qt::QueuedConnection);
            });
        }
        action->setEnabled(item->Enabled());
        if (item->Checked() || item->AutoCheck() || item->RadioItem()) {
            action->setCheckable(true);
            action->setChecked(item->Checked());
        }
        if (item->RadioItem()) {
            if (!group || groupIndex != item->GroupIndex()) {
                group = new QActionGroup(menu);
                groupIndex = item->GroupIndex();
            }
            group->addAction(action);
        }
        if (item->Default()) {
            QFont f = action->font();
            f.setBold(true);
            action->setFont(f);
        }
        if (FImages && item->ImageIndex() >= 0) {
            QImage image = FImages->ImageAt(item->ImageIndex());
            if (!image.isNull())
                action->setIcon(QIcon(QPixmap::fromImage(image)));
        }
        if (!item->Hint().empty())
            action->setStatusTip(QString::fromStdString(GetLongHint(item->Hint())));
    }
}

// ---------------------------------------------------------------------------
// TMainMenu

struct TMainMenu::TMenuBarRef {
    QPointer<QMenuBar> Bar;
};

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner), FMenuBar(std::make_unique<TMenuBarRef>()) {}

TMainMenu::~TMainMenu() {
    Destroying();
    if (FMenuBar->Bar)
        FMenuBar->Bar->deleteLater();
}

QMenuBar* TMainMenu::CreateMenuBar(QWidget* parent) {
    if (FMenuBar->Bar)
        FMenuBar->Bar->deleteLater();
    FMenuBar->Bar = new QMenuBar(parent);
    FillMenuBar();
    return FMenuBar->Bar;
}

QWidget* TMainMenu::CreateMenuBarFor(QWidget* parent) {
    return CreateMenuBar(parent);
}

QMenuBar* TMainMenu::MenuBar() const {
    return FMenuBar->Bar.data();
}

void TMainMenu::FillMenuBar() {
    if (!FMenuBar->Bar || !Items())
        return;
    FMenuBar->Bar->clear();
    // The bar is a pull-down per top-level item; an item without sub-items is a command
    // on the bar itself.
    auto holder = std::make_unique<QMenu>();
    FillQMenu(holder.get(), Items());
    for (QAction* a : holder->actions()) {
        if (QMenu* sub = a->menu()) {
            sub->setParent(FMenuBar->Bar, sub->windowFlags());
            FMenuBar->Bar->addMenu(sub);
        } else {
            a->setParent(FMenuBar->Bar);
            FMenuBar->Bar->addAction(a);
        }
    }
}

void TMainMenu::MenuChanged() {
    TMenu::MenuChanged();
    if (!IsDestroying())
        FillMenuBar();
}

// ---------------------------------------------------------------------------
// TPopupMenu

struct TPopupMenu::TShownMenu {
    QPointer<QMenu> Menu;
};

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner), FMenu(std::make_unique<TShownMenu>()) {}

TPopupMenu::~TPopupMenu() {
    Destroying();
    CloseUp();
    SetPopupComponent(nullptr);
}

void TPopupMenu::Publish(TPublisher<TPopupMenu>& p) {
    p.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
    p.Event("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::SetOnPopup);
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
    SetComponentReference(this, FPopupComponent, value);
}

void TPopupMenu::ComponentNotification(TComponent* component, TOperation operation) {
    TMenu::ComponentNotification(component, operation);
    if (operation == opRemove && component == FPopupComponent)
        FPopupComponent = nullptr;
}

namespace {
void InitiateActions(TMenuItem* parent) {
    for (int i = 0; i < parent->Count(); ++i) {
        parent->Items(i)->InitiateAction();
        InitiateActions(parent->Items(i));
    }
}
} // namespace

void TPopupMenu::Popup(int x, int y) {
    FPopupPoint = TPoint(x, y);
    if (FOnPopup)
        FOnPopup(this);
    if (!Items())
        return;
    InitiateActions(Items());
    CloseUp();
    QMenu* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    FillQMenu(menu, Items());
    FMenu->Menu = menu;
    QPoint at(x, y);
    QSize size = menu->sizeHint();
    if (FAlignment == TPopupAlignment::paRight)
        at.rx() -= size.width();
    else if (FAlignment == TPopupAlignment::paCenter)
        at.rx() -= size.width() / 2;
    menu->popup(at);
}

QMenu* TPopupMenu::ShownMenu() const {
    return FMenu->Menu && FMenu->Menu->isVisible() ? FMenu->Menu.data() : nullptr;
}

void TPopupMenu::CloseUp() {
    if (FMenu->Menu) {
        QMenu* menu = FMenu->Menu;
        FMenu->Menu = nullptr;
        menu->close();
        menu->deleteLater();
    }
}

void TPopupMenu::PopupFor(TControl* control, int screenX, int screenY) {
    if (!FAutoPopup)
        return;
    SetPopupComponent(control);
    Popup(screenX, screenY);
}
