#include "framework/gui/Menus.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

namespace {

// A focusable control that records the keys it sees.
class TKeyPad : public TCustomControl {
    ORV_CLASS(TKeyPad, TCustomControl)
public:
    explicit TKeyPad(TComponent* owner) : TCustomControl(owner) {
        SetTabStop(true);
        SetBounds(10, 10, 100, 40);
        SetOnKeyDown([this](TObject*, uint16_t& key, TShiftState) { Keys.push_back(key); });
    }
    std::vector<uint16_t> Keys;
};

TMenuItem* NewItem(TComponent* owner, const std::string& caption, const std::string& shortCut,
                   int* clicks) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (!shortCut.empty())
        item->SetShortCut(TextToShortCut(shortCut));
    if (clicks)
        item->SetOnClick([clicks](TObject*) { ++*clicks; });
    return item;
}

// True while PickFromMenu's mouse release is being handled by the menu.
bool gInMenuRelease = false;

// Clicks the entry of the menu on screen whose caption (without "&" and shortcut) is
// text, as the mouse would.
bool PickFromMenu(QMenu* menu, const std::string& text) {
    for (QAction* a : menu->actions()) {
        QString caption = a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
        if (caption.toStdString() != text)
            continue;
        QPoint at = menu->actionGeometry(a).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, menu->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(menu, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, menu->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        gInMenuRelease = true;
        QApplication::sendEvent(menu, &release);
        gInMenuRelease = false;
        TestKit::ProcessMessages();
        return true;
    }
    return false;
}

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = CreateForm<TForm>(nullptr);
        Form->SetBounds(50, 50, 300, 200);
        Pad = new TKeyPad(Form);
        Pad->SetParent(Form);
        Form->Show();
        TestKit::Focus(Pad);
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    TForm* Form = nullptr;
    TKeyPad* Pad = nullptr;
};

TEST_F(MenusTest, ShortcutKeysRunMainMenuItemsBeforeTheFocusedControl) {
    auto* menu = new TMainMenu(Form);
    int fileClicks = 0, openClicks = 0, saveClicks = 0;
    TMenuItem* file = NewItem(Form, "&Αρχείο", "", &fileClicks);
    TMenuItem* open = NewItem(Form, "Ανοιγμα", "F3", &openClicks);
    TMenuItem* save = NewItem(Form, "Αποθήκευση", "Ctrl+S", &saveClicks);
    save->SetEnabled(false);
    menu->Items()->Add(file);
    file->Add({open, NewItem(Form, "-", "", nullptr), save});

    TestKit::PressShortCut("F3");
    EXPECT_EQ(openClicks, 1);
    // The items above the chosen one are clicked on the way down, as when opening them.
    EXPECT_EQ(fileClicks, 1);
    // A disabled item's shortcut is used up without running it.
    TestKit::PressShortCut("Ctrl+S");
    EXPECT_EQ(saveClicks, 0);
    TestKit::PressKey('A');
    EXPECT_EQ(Pad->Keys, std::vector<uint16_t>({VK_CONTROL, 'A'}));
    // A disabled sub-menu stops the items below it.
    file->SetEnabled(false);
    TestKit::PressShortCut("F3");
    EXPECT_EQ(openClicks, 1);
}

TEST_F(MenusTest, PopupMenuPopsUpAtThePointAndRunsThePickedItem) {
    auto* popup = new TPopupMenu(Form);
    int offClicks = 0, asPrevClicks = 0, popups = 0;
    TMenuItem* off = NewItem(Form, "Εκτός Λειτουργίας", "", &offClicks);
    TMenuItem* asPrev = NewItem(Form, "Οπως η προηγούμενη", "", &asPrevClicks);
    popup->Items()->Add({off, NewItem(Form, "-", "", nullptr), asPrev});
    // The handler decides what is enabled each time the menu opens.
    bool firstPeriod = true;
    popup->SetOnPopup([&](TObject*) {
        ++popups;
        asPrev->SetEnabled(!firstPeriod);
    });

    popup->Popup(120, 90);
    QMenu* shown = popup->ShownMenu();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(shown->pos(), QPoint(120, 90));
    ASSERT_EQ(shown->actions().size(), 3);
    EXPECT_TRUE(shown->actions()[1]->isSeparator());
    EXPECT_FALSE(shown->actions()[2]->isEnabled());
    EXPECT_TRUE(PickFromMenu(shown, "Οπως η προηγούμενη"));
    EXPECT_EQ(asPrevClicks, 0);
    EXPECT_TRUE(PickFromMenu(shown, "Εκτός Λειτουργίας"));
    EXPECT_EQ(offClicks, 1);
    EXPECT_EQ(popup->ShownMenu(), nullptr);

    firstPeriod = false;
    popup->Popup(10, 10);
    ASSERT_NE(popup->ShownMenu(), nullptr);
    EXPECT_TRUE(popup->ShownMenu()->actions()[2]->isEnabled());
    EXPECT_TRUE(PickFromMenu(popup->ShownMenu(), "Οπως η προηγούμενη"));
    EXPECT_EQ(asPrevClicks, 1);
    EXPECT_EQ(popups, 2);
}

TEST_F(MenusTest, FormShowsItsMainMenuAsABarAboveTheClientArea) {
    const TRect before = Form->ClientRect();
    const int padTop = Pad->Top();
    auto* menu = new TMainMenu(Form);
    int exits = 0;
    TMenuItem* file = NewItem(Form, "&Αρχείο", "", nullptr);
    TMenuItem* exit = NewItem(Form, "Εξοδος", "", &exits);
    menu->Items()->Add(file);
    file->Add(exit);
    Form->SetMenu(menu);

    const int bar = GetSystemMetrics(SM_CYMENU);
    EXPECT_EQ(Form->ClientRect().Height(), before.Height() - bar);
    EXPECT_EQ(Form->Height(), 200); // the window keeps its outer size
    // The client area, and the controls in it, begin below the bar.
    EXPECT_EQ(Pad->Top(), padTop);
    EXPECT_EQ(Pad->Widget()->geometry().top(), padTop + bar);
    QMenuBar* shown = menu->MenuBar();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->parentWidget(), Form->Widget());
    EXPECT_EQ(shown->geometry(), QRect(0, 0, Form->ClientWidth(), bar));
    ASSERT_EQ(shown->actions().size(), 1);
    QMenu* fileMenu = shown->actions()[0]->menu();
    ASSERT_NE(fileMenu, nullptr);
    fileMenu->actions()[0]->trigger();
    TestKit::ProcessMessages();
    EXPECT_EQ(exits, 1);

    // Freeing the menu takes the bar away and gives the height back.
    delete menu;
    EXPECT_EQ(Form->Menu(), nullptr);
    EXPECT_EQ(Form->ClientRect().Height(), before.Height());
}

TEST_F(MenusTest, RightClickPopsUpTheControlsMenuOrItsParentsMenu) {
    auto* popup = new TPopupMenu(Form);
    popup->Items()->Add(NewItem(Form, "Διαγραφή", "", nullptr));
    Form->SetPopupMenu(popup);
    // The pad has no menu of its own: the request goes up to the form, whose menu comes up.
    TestKit::ClickAt(Pad, TPoint(5, 5), mbRight);
    ASSERT_NE(popup->ShownMenu(), nullptr);
    EXPECT_EQ(popup->PopupComponent(), Form);
    EXPECT_EQ(popup->PopupPoint(), Pad->ClientToScreen(TPoint(5, 5)));
    popup->CloseUp();

    auto* own = new TPopupMenu(Form);
    own->Items()->Add(NewItem(Form, "Αντιγραφή", "", nullptr));
    Pad->SetPopupMenu(own);
    TestKit::ClickAt(Pad, TPoint(5, 5), mbRight);
    EXPECT_NE(own->ShownMenu(), nullptr);
    EXPECT_EQ(own->PopupComponent(), Pad);
    EXPECT_EQ(popup->ShownMenu(), nullptr);
    own->CloseUp();
    // A freed menu is forgotten by the control that showed it.
    delete own;
    EXPECT_EQ(Pad->PopupMenu(), nullptr);
    TestKit::ClickAt(Pad, TPoint(5, 5), mbRight);
    EXPECT_NE(popup->ShownMenu(), nullptr);
    popup->CloseUp();
}

TEST_F(MenusTest, MenuKeyAndShiftF10PopTheFocusedControlsMenuAndF10OpensTheBar) {
    auto* popup = new TPopupMenu(Form);
    int copies = 0;
    popup->Items()->Add(NewItem(Form, "Αντιγραφή", "", &copies));
    Pad->SetPopupMenu(popup);
    // The menu key asks the control with the focus; its menu comes up at its corner.
    TestKit::PressKey(VK_APPS);
    ASSERT_NE(popup->ShownMenu(), nullptr);
    EXPECT_EQ(popup->PopupComponent(), Pad);
    EXPECT_EQ(popup->PopupPoint(), Pad->ClientToScreen(TPoint(0, 0)));
    EXPECT_TRUE(PickFromMenu(popup->ShownMenu(), "Αντιγραφή"));
    EXPECT_EQ(copies, 1);
    TestKit::PressShortCut("Shift+F10");
    ASSERT_NE(popup->ShownMenu(), nullptr);
    popup->CloseUp();
    // A key the control takes itself asks for no menu.
    Pad->SetOnKeyUp([](TObject*, uint16_t& key, TShiftState) { key = 0; });
    TestKit::PressKey(VK_APPS);
    EXPECT_EQ(popup->ShownMenu(), nullptr);
    Pad->SetOnKeyUp(nullptr);

    // Without a menu bar, F10 opens nothing; with one, its first menu.
    TestKit::PressKey(VK_F10);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    auto* menu = new TMainMenu(Form);
    int exits = 0;
    TMenuItem* file = NewItem(Form, "Αρχείο", "", nullptr);
    menu->Items()->Add(file);
    file->Add(NewItem(Form, "Εξοδος", "", &exits));
    Form->SetMenu(menu);
    TestKit::Focus(Pad);
    TestKit::PressKey(VK_F10);
    auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, menu->MenuBar()->actions()[0]->menu());
    EXPECT_TRUE(PickFromMenu(shown, "Εξοδος"));
    EXPECT_EQ(exits, 1);
}

TEST_F(MenusTest, ItemLinkedToAnActionShowsItAndRunsIt) {
    auto* list = new TActionList(Form);
    auto* action = new TAction(Form);
    action->SetActionList(list);
    action->SetCaption("Υπολογισμός Μπαταρίας");
    action->SetShortCut(TextToShortCut("F9"));
    int runs = 0;
    action->SetOnExecute([&](TObject*) { ++runs; });
    auto* popup = new TPopupMenu(Form);
    auto* item = new TMenuItem(Form);
    item->SetAction(action);
    popup->Items()->Add(item);

    EXPECT_EQ(item->Caption(), "Υπολογισμός Μπαταρίας");
    EXPECT_EQ(item->ShortCut(), TextToShortCut("F9"));
    action->SetEnabled(false);
    EXPECT_FALSE(item->Enabled());
    action->SetEnabled(true);
    popup->Popup(0, 0);
    ASSERT_NE(popup->ShownMenu(), nullptr);
    EXPECT_EQ(popup->ShownMenu()->actions()[0]->text().toStdString(), "Υπολογισμός Μπαταρίας\tF9");
    EXPECT_TRUE(PickFromMenu(popup->ShownMenu(), "Υπολογισμός Μπαταρίας"));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(action->ActionComponent(), nullptr);
    // The key runs the action once, although both the list and the menu hold it.
    TestKit::Focus(Pad);
    TestKit::PressShortCut("F9");
    EXPECT_EQ(runs, 2);
    // Freeing the action leaves the item unlinked.
    delete action;
    EXPECT_EQ(item->Action(), nullptr);
    item->Click();
    EXPECT_EQ(runs, 2);
}

TEST_F(MenusTest, ChosenItemRunsAfterTheMenuHasFinishedWithTheClick) {
    auto* popup = new TPopupMenu(Form);
    int clicks = 0;
    bool ranInsideRelease = true;
    TMenuItem* item = NewItem(Form, "Συνολικό", "", nullptr);
    item->SetOnClick([&](TObject*) {
        ++clicks;
        ranInsideRelease = gInMenuRelease;
    });
    popup->Items()->Add(item);
    popup->Popup(20, 20);
    QPointer<QMenu> shown = popup->ShownMenu();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(PickFromMenu(shown, "Συνολικό"));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(ranInsideRelease);
    EXPECT_EQ(shown, nullptr) << "the closed pop-up is freed";

    // A menu freed after an item was chosen, before the command ran, runs nothing.
    popup->Popup(20, 20);
    shown = popup->ShownMenu();
    ASSERT_NE(shown, nullptr);
    shown->actions()[0]->trigger();
    delete popup;
    TestKit::ProcessMessages();
    EXPECT_EQ(clicks, 1);
}

// The journey that used to abort: a drop-down menu's item opens a modal window, which runs
// the real nested loop until its close box is clicked.
TEST_F(MenusTest, ModalWindowFromADropDownItemClosesWithItsCloseBox) {
    Application->SetModalHandler(nullptr);
    auto* bar = new TToolBar(Form);
    bar->SetParent(Form);
    auto* popup = new TPopupMenu(Form);
    auto* button = new TToolButton(Form);
    button->SetParent(bar);
    button->SetCaption("Γραφήματα");
    button->SetStyle(tbsDropDown);
    button->SetDropdownMenu(popup);
    int shows = 0;
    TModalResult result = mrNone;
    for (const char* caption : {"Συνολικό", "Γράφημα Ταχύτητας Ανέμου (Vi)"}) {
        popup->Items()->Add(NewItem(Form, caption, "", nullptr));
        popup->Items()->Items(popup->Items()->Count() - 1)->SetOnClick([&](TObject*) {
            std::unique_ptr<TForm> chart(CreateForm<TForm>(Application));
            chart->SetBounds(100, 100, 300, 200);
            ++shows;
            // Once the window is up, its close box is clicked.
            QPointer<QWidget> window = chart->Widget();
            Application->AddIdleHandler(&shows, [window] {
                if (window && window->isVisible())
                    window->close();
            });
            result = chart->ShowModal();
            Application->RemoveIdleHandler(&shows);
        });
    }
    for (const char* caption : {"Συνολικό", "Γράφημα Ταχύτητας Ανέμου (Vi)", "Συνολικό"}) {
        SCOPED_TRACE(caption);
        const int before = shows;
        result = mrNone;
        TestKit::ClickAt(button, TPoint(button->Width() - 4, button->Height() / 2));
        QPointer<QMenu> shown = popup->ShownMenu();
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(PickFromMenu(shown, caption));
        TestKit::ProcessMessages();
        EXPECT_EQ(shows, before + 1);
        EXPECT_EQ(result, mrCancel);
        EXPECT_EQ(shown, nullptr);
        EXPECT_EQ(popup->ShownMenu(), nullptr);
    }
    Application->SetModalHandler([](TCustomForm*) {});
}

TEST(MenuTreeTest, ItemsKeepTheirTreeAndRadioGroups) {
    TestKit::StartTestApplication();
    TMainMenu menu(nullptr);
    auto* view = new TMenuItem(nullptr);
    view->SetCaption("&View");
    menu.Items()->Add(view);
    std::vector<TMenuItem*> radios;
    for (int i = 0; i < 4; ++i) {
        auto* r = new TMenuItem(nullptr);
        r->SetCaption("Item " + std::to_string(i));
        r->SetRadioItem(true);
        r->SetGroupIndex(i < 3 ? 1 : 2);
        view->Add(r);
        radios.push_back(r);
    }
    radios[0]->SetChecked(true);
    radios[3]->SetChecked(true);
    radios[1]->SetChecked(true);
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_TRUE(radios[3]->Checked()) << "another group is left alone";

    EXPECT_EQ(menu.Items()->Find("view"), view);
    EXPECT_EQ(view->Find("ITEM 2"), radios[2]);
    radios[2]->SetMenuIndex(0);
    EXPECT_EQ(view->IndexOf(radios[2]), 0);
    EXPECT_EQ(radios[2]->GetParentMenu(), &menu);
    EXPECT_THROW(radios[0]->Add(view), EMenuError);
    EXPECT_THROW(view->Delete(9), EMenuError);
    // An item taken out belongs to no menu; freeing one takes it out of its parent.
    view->Remove(radios[2]);
    EXPECT_EQ(radios[2]->GetParentMenu(), nullptr);
    delete radios[2];
    delete radios[0];
    EXPECT_EQ(view->Count(), 2);

    int helpClicks = 0;
    menu.Items()->Add(NewItem(nullptr, "Help", "", &helpClicks));
    QMenuBar* bar = menu.CreateMenuBar(nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    // A command on the bar itself runs its item.
    bar->actions()[1]->trigger();
    TestKit::ProcessMessages();
    EXPECT_EQ(helpClicks, 1);
    EXPECT_EQ(bar->actions()[0]->text().toStdString(), "&View");
    ASSERT_NE(bar->actions()[0]->menu(), nullptr);
    EXPECT_EQ(bar->actions()[0]->menu()->actions().size(), 2);
    delete bar;
}

} // namespace
