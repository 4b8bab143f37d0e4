#include "framework/gui/Actions.h"
#include "HostedShortCuts.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A container panel.
class THostPanel : public TCustomControl {
    ORV_CLASS(THostPanel, TCustomControl)
public:
    explicit THostPanel(TComponent* owner) : TCustomControl(owner) {
        FControlStyle.Include(csAcceptsControls);
    }
};

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

// A view with an action list, docked in the main window.
class TView : public TForm {
    ORV_CLASS(TView, TForm)
public:
    explicit TView(TComponent* owner) : TForm(owner) {
        Pad = new TKeyPad(this);
        Pad->SetParent(this);
        Actions = new TActionList(this);
        Size = AddAction("actEQUBat", "Υπολογισμός Μπαταρίας", "F9");
        Copy = AddAction("actGraphCopy", "Αντιγραφή", "Ctrl+Ins");
    }
    TAction* AddAction(const std::string& name, const std::string& caption,
                       const std::string& shortCut) {
        auto* a = new TAction(this);
        a->SetName(name);
        a->SetCaption(caption);
        a->SetShortCut(TextToShortCut(shortCut));
        a->SetActionList(Actions);
        a->SetOnExecute([this, a](TObject*) { Ran.push_back(a->Name()); });
        return a;
    }
    TKeyPad* Pad;
    TActionList* Actions;
    TAction* Size;
    TAction* Copy;
    std::vector<std::string> Ran;
};

// The main window: its own shortcuts first, then those of the forms docked in the host.
class TMainWindow : public TForm {
    ORV_CLASS(TMainWindow, TForm)
public:
    explicit TMainWindow(TComponent* owner) : TForm(owner) {
        SetBounds(20, 20, 400, 300);
        Host = new THostPanel(this);
        Host->SetParent(this);
        Host->SetAlign(alClient);
        Actions = new TActionList(this);
        Open = new TAction(this);
        Open->SetShortCut(TextToShortCut("F3"));
        Open->SetActionList(Actions);
        Open->SetOnExecute([this](TObject*) { ++Opened; });
    }
    bool IsShortCut(TMessage& message) override {
        return TForm::IsShortCut(message) || HostedFormsShortCut(Host, message);
    }
    TView* Dock() {
        auto* view = CreateForm<TView>(Host);
        view->SetBorderStyle(bsNone);
        view->SetAlign(alClient);
        view->SetParent(Host);
        view->Show();
        return view;
    }
    THostPanel* Host;
    TActionList* Actions;
    TAction* Open;
    int Opened = 0;
};

class ActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Main = CreateForm<TMainWindow>(nullptr);
        Main->Show();
    }
    void TearDown() override {
        delete Main;
        TestKit::ProcessMessages();
    }
    TMainWindow* Main = nullptr;
};

TEST_F(ActionsTest, ShortcutsReachTheDockedFormsActionsThroughTheMainWindow) {
    TView* view = Main->Dock();
    TestKit::Focus(view->Pad);
    TestKit::PressShortCut("F9");
    TestKit::PressShortCut("Ctrl+Ins");
    TestKit::PressShortCut("F3");
    EXPECT_EQ(view->Ran, std::vector<std::string>({"actEQUBat", "actGraphCopy"}));
    EXPECT_EQ(Main->Opened, 1);
    // The control saw none of the shortcut keys, only the modifier pressed on its own.
    EXPECT_EQ(view->Pad->Keys, std::vector<uint16_t>({VK_CONTROL}));
    // A disabled action lets its key through to the control.
    view->Size->SetEnabled(false);
    TestKit::PressShortCut("F9");
    EXPECT_EQ(view->Ran.size(), 2u);
    EXPECT_EQ(view->Pad->Keys.back(), VK_F9);
}

TEST_F(ActionsTest, ExecutingUpdatesFirstAndRunsOnlyAnEnabledAction) {
    TView* view = Main->Dock();
    struct TCase {
        bool EnabledByUpdate;
        bool ExpectRun;
    };
    const TCase cases[] = {{true, true}, {false, false}, {true, true}};
    std::vector<std::string> order;
    for (const TCase& c : cases) {
        view->Ran.clear();
        view->Size->SetOnUpdate([&](TObject*) {
            order.push_back("update");
            view->Size->SetEnabled(c.EnabledByUpdate);
        });
        EXPECT_EQ(view->Size->Execute(), c.ExpectRun);
        EXPECT_EQ(view->Ran.size(), c.ExpectRun ? 1u : 0u);
    }
    EXPECT_EQ(order.size(), 3u);
}

TEST_F(ActionsTest, ListHandlersSeeEveryActionFirst) {
    TView* view = Main->Dock();
    std::vector<std::string> seen;
    view->Actions->SetOnExecute([&](TBasicAction* a, bool& handled) {
        seen.push_back(a->Name());
        handled = a == view->Copy;
    });
    view->Size->Execute();
    view->Copy->Execute();
    EXPECT_EQ(seen, std::vector<std::string>({"actEQUBat", "actGraphCopy"}));
    // The list handled the copy: the action's own handler did not run.
    EXPECT_EQ(view->Ran, std::vector<std::string>({"actEQUBat"}));
}

TEST_F(ActionsTest, IdleTimeUpdatesActionsShownOnScreenOncePerAction) {
    TView* view = Main->Dock();
    std::vector<std::string> updates;
    view->Actions->SetOnUpdate([&](TBasicAction* a, bool& handled) {
        updates.push_back(a->Name());
        handled = true;
    });
    // No client shows the actions: nothing to update.
    Application->Idle();
    EXPECT_TRUE(updates.empty());
    bool buttonShown = true;
    view->Size->AddClient(
        &buttonShown, [] {}, [&] { return buttonShown; });
    Application->Idle();
    EXPECT_EQ(updates, std::vector<std::string>({"actEQUBat"}));
    buttonShown = false;
    Application->Idle();
    EXPECT_EQ(updates.size(), 1u);
    view->Size->RemoveClient(&buttonShown);
    // A main-menu item shows its action while its form is on screen.
    auto* menu = new TMainMenu(view);
    auto* item = new TMenuItem(view);
    item->SetAction(view->Copy);
    menu->Items()->Add(item);
    Application->Idle();
    EXPECT_EQ(updates, std::vector<std::string>({"actEQUBat", "actGraphCopy"}));
    view->Hide();
    Application->Idle();
    EXPECT_EQ(updates.size(), 2u);
}

TEST_F(ActionsTest, CheckingAGroupedActionUnchecksTheOthersAndClientsFollow) {
    TView* view = Main->Dock();
    TAction* a = view->AddAction("actA", "A", "");
    TAction* b = view->AddAction("actB", "B", "");
    TAction* c = view->AddAction("actC", "C", "");
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    b->SetAutoCheck(true);
    a->SetChecked(true);
    c->SetChecked(true);
    int changes = 0;
    a->AddClient(&changes, [&] { ++changes; });
    b->Execute();
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(c->Checked());
    EXPECT_EQ(changes, 1);
    a->RemoveClient(&changes);
    // Freeing the list frees its actions.
    delete view->Actions;
    EXPECT_EQ(view->FindComponent("actA"), nullptr);
}

TEST_F(ActionsTest, ControlsFollowTheirLinkedActionAndRunItWhenClicked) {
    TView* view = Main->Dock();
    TAction* save = view->AddAction("actSave", "Αποθήκευση", "");
    save->SetHint("Αποθηκεύει τα δεδομένα");
    auto* button = new TButton(view);
    button->SetParent(view);
    button->SetBounds(10, 60, 120, 25);
    auto* check = new TCheckBox(view);
    check->SetParent(view);
    check->SetBounds(10, 100, 150, 20);
    int checkClicks = 0;
    check->SetOnClick([&](TObject*) { ++checkClicks; });

    // Linking takes the action's properties at once.
    button->SetAction(save);
    check->SetAction(save);
    EXPECT_EQ(button->Action(), save);
    EXPECT_EQ(button->Caption(), "Αποθήκευση");
    EXPECT_EQ(button->Hint(), "Αποθηκεύει τα δεδομένα");
    EXPECT_EQ(check->Caption(), "Αποθήκευση");

    // Every later change of the action shows on the controls.
    save->SetCaption("Αποθήκευση ως");
    save->SetEnabled(false);
    save->SetChecked(true);
    EXPECT_EQ(button->Caption(), "Αποθήκευση ως");
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(check->Enabled());
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(checkClicks, 0) << "the action's check is no click of the box";
    save->SetVisible(false);
    EXPECT_FALSE(button->Visible());
    save->SetVisible(true);
    save->SetEnabled(true);

    // A click without an OnClick runs the action, and tells it which control did.
    TestKit::Click(button);
    EXPECT_EQ(view->Ran, std::vector<std::string>({"actSave"}));
    EXPECT_EQ(save->ActionComponent(), button);
    // A control's own OnClick takes the click instead.
    int own = 0;
    button->SetOnClick([&](TObject*) { ++own; });
    TestKit::Click(button);
    EXPECT_EQ(own, 1);
    EXPECT_EQ(view->Ran.size(), 1u);

    // Unlinking leaves the control as it is and no longer following.
    check->SetAction(nullptr);
    save->SetCaption("Άλλο");
    EXPECT_EQ(check->Caption(), "Αποθήκευση ως");
    EXPECT_EQ(save->ClientCount(), 1);

    // A freed action clears the link; the control clicks on without it.
    delete save;
    EXPECT_EQ(button->Action(), nullptr);
    button->SetOnClick(TNotifyEvent());
    TestKit::Click(button);
    EXPECT_EQ(view->Ran.size(), 1u);
    // A freed control leaves its action.
    TAction* copy = view->Copy;
    button->SetAction(copy);
    EXPECT_EQ(copy->ClientCount(), 1);
    delete button;
    EXPECT_EQ(copy->ClientCount(), 0);
    copy->SetCaption("Αντιγραφή όλων");
}

} // namespace
