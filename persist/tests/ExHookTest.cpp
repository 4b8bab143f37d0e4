#include "persist/ExHook.h"

#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kPing = WM_USER + 7;

// A control that logs what reaches its own processing.
class TLoggingBox : public TCustomControl {
public:
    TLoggingBox(TComponent* owner, std::vector<std::string>& log)
        : TCustomControl(owner), FLog(log) {
        SetBounds(0, 0, 50, 50);
    }

protected:
    void HandleMessage(TMessage& m) override {
        if (m.Msg == kPing || m.Msg == WM_DESTROY)
            FLog.push_back(Name() + (m.Msg == kPing ? " ping" : " destroy"));
        if (m.Msg == kPing)
            m.Result = 5;
        TCustomControl::HandleMessage(m);
    }

private:
    std::vector<std::string>& FLog;
};

class ExHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 200, 100);
        Box = new TLoggingBox(Form, Log);
        Box->SetName("box");
        Box->SetParent(Form);
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    // A hook on the box that logs under its name; handles messages when told to.
    TExWindowHook* MakeHook(const std::string& name, bool handleBefore = false) {
        auto* hook = new TExWindowHook(Form);
        hook->SetBeforeMessage(
            THookMessageEvent([this, name, handleBefore](TObject*, TMessage& m, bool& handled) {
                if (m.Msg == kPing || m.Msg == WM_DESTROY) {
                    Log.push_back(name + " before");
                    handled = handleBefore;
                }
            }));
        hook->SetAfterMessage(THookMessageEvent([this, name](TObject*, TMessage& m, bool&) {
            if (m.Msg == kPing || m.Msg == WM_DESTROY)
                Log.push_back(name + " after " + std::to_string(m.Result));
        }));
        hook->SetWinControl(Box);
        return hook;
    }
    std::vector<std::string> Log;
    TForm* Form = nullptr;
    TLoggingBox* Box = nullptr;
};

TEST_F(ExHookTest, LastRegisteredHookSeesEachMessageFirst) {
    MakeHook("A");
    MakeHook("B");
    EXPECT_EQ(Box->Perform(kPing), 5);
    EXPECT_EQ(Log, (std::vector<std::string>{"B before", "A before", "box ping", "B after 5",
                                             "A after 5"}));
    // Both hooks share one control hook.
    EXPECT_NE(HookList()->FindControlHook(Box), nullptr);
    EXPECT_EQ(HookList()->FindControlHook(Box)->HookCount(), 2);
}

TEST_F(ExHookTest, HandledMessageNeverReachesTheControlExceptDestroy) {
    MakeHook("A");
    MakeHook("B", true);
    EXPECT_EQ(Box->Perform(kPing), 0);
    EXPECT_EQ(Log, std::vector<std::string>{"B before"});

    Log.clear();
    Box->DestroyHandle();
    EXPECT_EQ(Log, (std::vector<std::string>{"B before", "box destroy", "B after 0"}));
    TestKit::ProcessMessages();
}

TEST_F(ExHookTest, HookKeepsWorkingAfterTheWindowIsRecreated) {
    MakeHook("A");
    Box->HandleNeeded();
    Box->RecreateWnd();
    // The new window starts with its default procedure until the posted re-hook runs.
    TestKit::ProcessMessages();
    Log.clear();
    Box->Perform(kPing);
    EXPECT_EQ(Log, (std::vector<std::string>{"A before", "box ping", "A after 5"}));
}

TEST_F(ExHookTest, MovingAHookRestoresTheOldControlAndFreesItsControlHook) {
    std::vector<std::string> otherLog;
    auto* other = new TLoggingBox(Form, otherLog);
    other->SetName("other");
    other->SetParent(Form);
    TWndMethod original = Box->WindowProc();
    TExWindowHook* hook = MakeHook("A");
    EXPECT_FALSE(Box->WindowProc() == original);
    TControlHook* left = HookList()->FindControlHook(Box);
    const int before = HookList()->Count();

    hook->SetWinControl(nullptr);
    EXPECT_TRUE(Box->WindowProc() == original);
    hook->SetWinControl(other);
    other->Perform(kPing);
    EXPECT_EQ(Log, (std::vector<std::string>{"A before", "A after 5"}));
    EXPECT_EQ(otherLog, std::vector<std::string>{"other ping"});
    // The control hook left behind goes once the posted message is handled.
    EXPECT_GE(HookList()->IndexOf(left), 0);
    TestKit::ProcessMessages();
    EXPECT_EQ(HookList()->IndexOf(left), -1);
    EXPECT_EQ(HookList()->Count(), before);

    hook->SetActive(false);
    Log.clear();
    other->Perform(kPing);
    EXPECT_TRUE(Log.empty());
    delete other;
}

// However its last hook leaves it, a control hook goes once the present message is done, and
// the control has its own procedure back. A control hook kept would still name its control
// after that is freed, and a new control made at the same address would be taken for it.
TEST_F(ExHookTest, AControlHookLeftByItsLastHookGoes) {
    struct TCase {
        const char* Name;
        std::function<void(TExWindowHook*, TWinControl*)> Leave;
    };
    const std::vector<TCase> cases = {
        {"deactivated", [](TExWindowHook* hook, TWinControl*) { hook->SetActive(false); }},
        {"freed", [](TExWindowHook* hook, TWinControl*) { delete hook; }},
        {"moved away", [](TExWindowHook* hook, TWinControl*) { hook->SetWinControl(nullptr); }},
        {"control freed", [](TExWindowHook*, TWinControl* control) { delete control; }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TestKit::ProcessMessages();
        const int before = HookList()->Count();
        std::vector<std::string> boxLog;
        auto* box = new TLoggingBox(Form, boxLog);
        box->SetParent(Form);
        const TWndMethod original = box->WindowProc();
        auto* hook = new TExWindowHook(Form);
        hook->SetWinControl(box);
        TControlHook* controlHook = HookList()->FindControlHook(box);
        ASSERT_NE(controlHook, nullptr);
        c.Leave(hook, box);
        TestKit::ProcessMessages();
        EXPECT_EQ(HookList()->IndexOf(controlHook), -1);
        EXPECT_EQ(HookList()->Count(), before);
        if (std::string(c.Name) != "control freed") {
            EXPECT_TRUE(box->WindowProc() == original);
            delete box;
        }
        if (std::string(c.Name) != "freed")
            delete hook;
    }
}

TEST_F(ExHookTest, DestroyingTheHookedControlPostsNoRehook) {
    TExWindowHook* hook = MakeHook("A");
    Box->HandleNeeded();
    delete Box;
    Box = nullptr;
    TMsg m;
    EXPECT_FALSE(PeekMessage(m, HookList()->Handle(), WM_REHOOK, WM_REHOOK, PM_NOREMOVE));
    EXPECT_EQ(hook->WinControl(), nullptr);
    TestKit::ProcessMessages();
}

TEST_F(ExHookTest, FailingHandlerGoesToTheApplicationAndTheOthersRun) {
    MakeHook("A");
    auto* failing = new TExWindowHook(Form);
    failing->SetBeforeMessage(THookMessageEvent([](TObject*, TMessage& m, bool&) {
        if (m.Msg == kPing)
            throw EInvalidOperation("hook failed");
    }));
    failing->SetWinControl(Box);
    TestKit::Dialogs().Clear();
    EXPECT_EQ(Box->Perform(kPing), 5);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "hook failed.");
    EXPECT_EQ(Log.front(), "A before");
}

} // namespace
