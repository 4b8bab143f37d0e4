#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

class HintsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = CreateForm<TForm>(nullptr);
        Form->SetName("fmHints");
        Form->SetBounds(10, 10, 400, 300);
        Bar = new TToolBar(Form);
        Bar->SetName("Bar");
        Bar->SetParent(Form);
        Bar->SetShowHint(true);
        Open = AddButton("Open", "Άνοιγμα|Ανοίγει ένα αρχείο");
        Save = AddButton("Save", "Αποθήκευση");
        Plain = new TPanel(Form);
        Plain->SetBounds(0, 100, 200, 100);
        Plain->SetParent(Form);
        Application->SetOnHint([this](TObject*) { Hints.push_back(Application->Hint()); });
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        Application->SetOnHint(nullptr);
        Application->CancelHint();
        delete Form;
        TestKit::ProcessMessages();
    }
    TToolButton* AddButton(const std::string& name, const std::string& hint) {
        auto* b = new TToolButton(Form);
        b->SetName(name);
        b->SetHint(hint);
        b->SetParent(Bar);
        return b;
    }
    // Moves the mouse onto the control, as seen from the form.
    void MoveOnto(TControl* control) {
        TestKit::MouseMove(Form, Form->ScreenToClient(control->ClientToScreen(
                                     TPoint(control->Width() / 2, control->Height() / 2))));
    }
    std::string Shown() const {
        THintWindow* w = Application->HintWindow();
        return w ? w->Caption() : "";
    }

    TForm* Form = nullptr;
    TToolBar* Bar = nullptr;
    TToolButton* Open = nullptr;
    TToolButton* Save = nullptr;
    TPanel* Plain = nullptr;
    std::vector<std::string> Hints;
};

TEST_F(HintsTest, AToolButtonsHintShowsAfterThePauseAndHidesOnLeaving) {
    MoveOnto(Open);
    // Application.Hint follows the mouse at once: the long hint.
    EXPECT_EQ(Application->Hint(), "Ανοίγει ένα αρχείο");
    TestKit::AdvanceClock(Application->HintPause() - 1);
    EXPECT_EQ(Shown(), "");
    TestKit::AdvanceClock(1);
    EXPECT_EQ(Shown(), "Άνοιγμα"); // the short hint
    THintWindow* window = Application->HintWindow();
    ASSERT_NE(window, nullptr);
    // Below the mouse pointer.
    TPoint mouse;
    GetCursorPos(mouse);
    EXPECT_GT(window->Top(), mouse.Y);
    EXPECT_TRUE(TestKit::RenderToPng(
        window, (std::filesystem::path(testing::TempDir()) / "HintsTest-window.png").string()));
    // On to the next button: its hint follows after the short pause.
    MoveOnto(Save);
    EXPECT_EQ(Application->Hint(), "Αποθήκευση");
    TestKit::AdvanceClock(Application->HintShortPause());
    EXPECT_EQ(Shown(), "Αποθήκευση");
    // Off the tool bar: the hint goes and Application.Hint is empty.
    MoveOnto(Plain);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(Application->Hint(), "");
    TestKit::AdvanceClock(5000);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(Hints, (std::vector<std::string>{"Ανοίγει ένα αρχείο", "", "Αποθήκευση", ""}));
}

TEST_F(HintsTest, TheHintHidesAfterItsTimeOnAClickAndOnCancelHint) {
    struct TCase {
        const char* Name;
        std::function<void()> End;
    };
    const std::vector<TCase> cases = {
        {"time", [] { TestKit::AdvanceClock(Application->HintHidePause()); }},
        {"click", [this] { TestKit::Click(Open); }},
        {"cancel", [] { Application->CancelHint(); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        MoveOnto(Plain);
        MoveOnto(Open);
        TestKit::AdvanceClock(Application->HintPause());
        ASSERT_EQ(Shown(), "Άνοιγμα");
        c.End();
        EXPECT_EQ(Shown(), "");
        // It does not come back while the mouse stays.
        TestKit::AdvanceClock(Application->HintPause() * 2);
        EXPECT_EQ(Shown(), "");
    }
}

TEST_F(HintsTest, OnlyControlsWhoseShowHintIsOnShowTheirHint) {
    struct TCase {
        const char* Name;
        bool BarShowHint;
        bool ButtonParentShowHint;
        bool ButtonShowHint;
        bool ApplicationShowHint;
        bool Expected;
    };
    const std::vector<TCase> cases = {
        {"parent's on", true, true, false, true, true},
        {"parent's off", false, true, true, true, false},
        {"own on", false, false, true, true, true},
        {"own off", true, false, false, true, false},
        {"application off", true, true, false, false, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Bar->SetShowHint(c.BarShowHint);
        if (c.ButtonParentShowHint)
            Open->SetParentShowHint(true);
        else
            Open->SetShowHint(c.ButtonShowHint);
        Application->SetShowHint(c.ApplicationShowHint);
        MoveOnto(Plain);
        MoveOnto(Open);
        TestKit::AdvanceClock(Application->HintPause());
        EXPECT_EQ(Shown(), c.Expected ? "Άνοιγμα" : "");
        // Application.Hint follows the mouse whether or not the window shows.
        EXPECT_EQ(Application->Hint(), "Ανοίγει ένα αρχείο");
    }
    Application->SetShowHint(true);
}

TEST_F(HintsTest, FreeingTheHintedControlEndsItsHint) {
    MoveOnto(Open);
    delete Open;
    Open = nullptr;
    TestKit::AdvanceClock(Application->HintPause());
    EXPECT_EQ(Shown(), "");
}

} // namespace
