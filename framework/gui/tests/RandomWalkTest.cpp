// The random walk: the same seed takes the same steps, the modal windows it opens are
// walked and closed, every file its dialogs name lies in the walk's folder, its menus open
// and run, and a program error a click raises fails it where a refusal does not.

#include "framework/gui/RandomWalk.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A small program: a box, a button that saves the box's text where a save dialog says, one
// that opens a file where an open dialog says, one that asks before clearing the box and
// one that opens a modal window with a box and OK.
class TWalkedForm : public TForm {
public:
    explicit TWalkedForm(TComponent* owner) : TForm(owner) {
        SetName("fmWalked");
        SetBounds(0, 0, 320, 200);
        edText = Add<TEdit>("edText", 10, 10);
        auto* save = Add<TButton>("btSave", 10, 40);
        save->SetOnClick([this](TObject*) {
            TSaveDialog dialog(nullptr);
            dialog.SetDefaultExt("txt");
            if (dialog.Execute()) {
                Named.push_back(dialog.FileName());
                std::ofstream(dialog.FileName()) << edText->Text();
            }
        });
        auto* open = Add<TButton>("btOpen", 100, 40);
        open->SetOnClick([this](TObject*) {
            TOpenDialog dialog(nullptr);
            dialog.SetFilter("Texts|*.txt");
            if (dialog.Execute()) {
                Named.push_back(dialog.FileName());
                std::ifstream in(dialog.FileName());
                std::string line;
                std::getline(in, line);
                edText->SetText(line);
            }
        });
        auto* clear = Add<TButton>("btClear", 190, 40);
        clear->SetOnClick([this](TObject*) {
            if (MessageDlg("Καθαρισμός;", mtConfirmation, mbYesNoCancel) == mrYes)
                edText->SetText("");
        });
        auto* modal = Add<TButton>("btModal", 10, 80);
        modal->SetOnClick([this](TObject*) {
            TForm inner(nullptr);
            inner.SetName("fmInner");
            inner.SetBounds(40, 40, 200, 120);
            auto* box = new TEdit(&inner);
            box->SetName("edInner");
            box->SetParent(&inner);
            auto* ok = new TButton(&inner);
            ok->SetName("btOk");
            ok->SetParent(&inner);
            ok->SetBounds(10, 40, 75, 25);
            ok->SetModalResult(mrOk);
            auto* hide = new TButton(&inner);
            hide->SetName("btHide");
            hide->SetParent(&inner);
            hide->SetBounds(100, 40, 75, 25);
            hide->SetOnClick([this, &inner](TObject*) {
                if (HideModalWindow)
                    inner.Widget()->window()->hide();
            });
            if (inner.ShowModal() == mrOk)
                edText->SetText(box->Text());
            ++Modals;
        });
        // A button whose handler does what a test asks (raises, shows a window ...).
        auto* fault = Add<TButton>("btFault", 100, 80);
        fault->SetOnClick([this](TObject*) {
            ++FaultClicks;
            if (Fault)
                Fault();
        });
        // A pop-up menu on the box, a menu bar with one command.
        auto* popup = new TPopupMenu(this);
        auto* clearItem = new TMenuItem(this);
        clearItem->SetCaption("Καθαρισμός");
        clearItem->SetOnClick([this](TObject*) { ++PopupClicks; });
        popup->Items()->Add(clearItem);
        edText->SetPopupMenu(popup);
        auto* bar = new TMainMenu(this);
        auto* file = new TMenuItem(this);
        file->SetCaption("Αρχείο");
        auto* fresh = new TMenuItem(this);
        fresh->SetCaption("Νέο");
        fresh->SetOnClick([this](TObject*) { ++BarClicks; });
        bar->Items()->Add(file);
        file->Add(fresh);
        SetMenu(bar);
    }
    template <class T> T* Add(const std::string& name, int left, int top) {
        auto* c = new T(this);
        c->SetName(name);
        c->SetParent(this);
        c->SetBounds(left, top, 80, 25);
        if constexpr (std::is_base_of_v<TButton, T>)
            c->SetCaption(name);
        return c;
    }
    TEdit* edText = nullptr;
    std::vector<std::string> Named;
    int Modals = 0;
    std::function<void()> Fault;
    int FaultClicks = 0;
    int PopupClicks = 0;
    int BarClicks = 0;
    bool HideModalWindow = false;
};

class RandomWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        char pattern[] = "/tmp/random-walk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(FDir, ec);
    }
    // A walk of the seed over a fresh form: its log, and the form's record in form.
    std::string Walk(uint64_t seed, int steps, TWalkedForm*& form) {
        std::ostringstream log;
        delete FForm;
        FForm = nullptr;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(FDir, ec))
            std::filesystem::remove_all(e.path(), ec);
        std::ofstream(FDir + "/start.txt") << "start\n";
        form = FForm = new TWalkedForm(nullptr);
        FForm->Show();
        TestKit::ProcessMessages();
        TestKit::TRandomWalk walk(seed, FDir, log);
        EXPECT_EQ(walk.Run(steps), steps);
        return log.str();
    }
    // A walk over a fresh form made ready by prepare: the walk itself, its log in log.
    std::unique_ptr<TestKit::TRandomWalk> WalkWith(uint64_t seed, int steps,
                                                   const std::function<void(TWalkedForm&)>& prepare,
                                                   std::ostringstream& log, int& taken) {
        delete FForm;
        FForm = new TWalkedForm(nullptr);
        prepare(*FForm);
        FForm->Show();
        TestKit::ProcessMessages();
        auto walk = std::make_unique<TestKit::TRandomWalk>(seed, FDir, log);
        taken = walk->Run(steps);
        return walk;
    }
    ~RandomWalkTest() override { delete FForm; }

    std::string FDir;
    TWalkedForm* FForm = nullptr;
};

TEST_F(RandomWalkTest, TheSameSeedTakesTheSameStepsAndAnotherSeedOthers) {
    TWalkedForm* form = nullptr;
    const std::string first = Walk(11, 300, form);
    const int modals = form->Modals;
    const std::string again = Walk(11, 300, form);
    EXPECT_EQ(first, again);
    EXPECT_EQ(form->Modals, modals);
    EXPECT_NE(Walk(12, 300, form), first);
    // Every step is numbered in the log, the last one too.
    EXPECT_NE(first.find("\n300 "), std::string::npos);
}

TEST_F(RandomWalkTest, ModalWindowsAreWalkedAndClosedAndFilesStayInTheFolder) {
    int modals = 0;
    std::vector<std::string> named;
    bool walkedInside = false;
    for (uint64_t seed = 1; seed <= 4; ++seed) {
        TWalkedForm* form = nullptr;
        const std::string log = Walk(seed, 400, form);
        modals += form->Modals;
        named.insert(named.end(), form->Named.begin(), form->Named.end());
        walkedInside = walkedInside || log.find("fmInner.") != std::string::npos;
        // The walk ends with its window's own modal loops all closed.
        EXPECT_EQ(Application->ModalLevel(), 0);
    }
    EXPECT_GT(modals, 0);
    EXPECT_TRUE(walkedInside);
    ASSERT_FALSE(named.empty());
    for (const std::string& name : named)
        EXPECT_EQ(std::filesystem::path(name).parent_path(), std::filesystem::path(FDir)) << name;
}

} // namespace

namespace {

TEST_F(RandomWalkTest, AProgramErrorFromAClickFailsTheWalkWhereARefusalDoesNot) {
    struct TCase {
        const char* Name;
        std::function<void()> Throw;
        bool Finding;
        const char* Shown; // what the finding names
    };
    const TCase cases[] = {
        {"standard library", [] { throw std::out_of_range("vector::_M_range_check"); }, true,
         "std::out_of_range \"vector::_M_range_check\""},
        {"list index", [] { throw EListError("List index out of bounds (5)"); }, true,
         "EListError \"List index out of bounds (5)\""},
        {"text no program writes", [] { throw Exception("Κάτι άγνωστο"); }, true, "Κάτι άγνωστο"},
        {"unexpected conversion", [] { throw EConvertError("'x' is no number"); }, true,
         "EConvertError"},
        {"no exception at all", [] { throw 42; }, true, "no text of its own"},
        {"typed text no number",
         [] { throw EConvertError(Format(FrameworkTexts::InvalidFloat, {"1,2.3"})); }, false, ""},
        {"file not read", [] { throw EInOutError("Το αρχείο δεν διαβάστηκε"); }, false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::ostringstream log;
        int taken = 0;
        auto walk = WalkWith(
            3, 400, [&](TWalkedForm& f) { f.Fault = c.Throw; }, log, taken);
        ASSERT_GT(FForm->FaultClicks, 0) << "the walk never clicked the button";
        if (!c.Finding) {
            EXPECT_TRUE(walk->Findings().empty()) << log.str();
            EXPECT_EQ(taken, 400);
            EXPECT_NE(log.str().find("error shown: "), std::string::npos);
            continue;
        }
        // The walk ends at the step of the first click that raised, and says so.
        ASSERT_EQ(walk->Findings().size(), 1u);
        EXPECT_LT(taken, 400);
        const std::string& finding = walk->Findings()[0];
        EXPECT_EQ(finding.rfind("FINDING at step " + std::to_string(taken) + ": ", 0), 0u)
            << finding;
        EXPECT_NE(finding.find(c.Shown), std::string::npos) << finding;
        EXPECT_NE(log.str().find(finding), std::string::npos);
    }
    // A refusal the program names is no finding.
    std::ostringstream log;
    int taken = 0;
    std::unique_ptr<TestKit::TRandomWalk> walk;
    {
        delete FForm;
        FForm = new TWalkedForm(nullptr);
        FForm->Fault = [] { throw EListError("Η λίστα είναι κενή"); };
        FForm->Show();
        TestKit::ProcessMessages();
        walk = std::make_unique<TestKit::TRandomWalk>(3, FDir, log);
        walk->AddRefusal<EListError>({"Η λίστα είναι %s"});
        taken = walk->Run(400);
    }
    EXPECT_GT(FForm->FaultClicks, 0);
    EXPECT_TRUE(walk->Findings().empty());
    EXPECT_EQ(taken, 400);
}

TEST_F(RandomWalkTest, AWindowNothingCanCloseAndAModalLoopWithoutItsWindowAreFindings) {
    {
        // A window of the toolkit that no control of the program stands for.
        std::unique_ptr<QWidget> stray;
        std::ostringstream log;
        int taken = 0;
        auto walk = WalkWith(
            3, 400,
            [&](TWalkedForm& f) {
                f.Fault = [&] {
                    stray = std::make_unique<QWidget>();
                    stray->setWindowTitle("stray");
                    stray->show();
                };
            },
            log, taken);
        ASSERT_EQ(walk->Findings().size(), 1u) << log.str();
        EXPECT_NE(walk->Findings()[0].find("nothing can close it: QWidget \"stray\""),
                  std::string::npos)
            << walk->Findings()[0];
    }
    {
        std::ostringstream log;
        int taken = 0;
        auto walk = WalkWith(
            11, 600, [](TWalkedForm& f) { f.HideModalWindow = true; }, log, taken);
        ASSERT_EQ(walk->Findings().size(), 1u) << log.str();
        EXPECT_NE(walk->Findings()[0].find(
                      "the modal loop of fmInner still runs after its window left the screen"),
                  std::string::npos)
            << walk->Findings()[0];
        EXPECT_EQ(Application->ModalLevel(), 0);
    }
}

TEST_F(RandomWalkTest, MenusOpenAndRunAndEveryKindOfKeyAndTextIsTaken) {
    std::ostringstream log;
    int taken = 0;
    // The window stays whatever closes it, so that the walk goes on in it.
    auto walk = WalkWith(
        7, 1500,
        [](TWalkedForm& f) {
            f.SetOnCloseQuery([](TObject*, bool& canClose) { canClose = false; });
        },
        log, taken);
    EXPECT_EQ(taken, 1500);
    EXPECT_TRUE(walk->Findings().empty()) << walk->Findings()[0];
    // The pop-up menu (by right click and the menu key) and the menu bar (by F10 and by
    // clicks) came up and their commands ran.
    EXPECT_GT(FForm->PopupClicks, 0);
    EXPECT_GT(FForm->BarClicks, 0);
    EXPECT_NE(log.str().find("key F10 (the menu bar)"), std::string::npos);
    EXPECT_NE(log.str().find("menu key on fmWalked.edText"), std::string::npos);
    std::ostringstream table;
    walk->PrintCounts(table);
    // Every kind but a change of window: there is only one.
    for (const auto& [kind, n] : walk->Counts()) {
        if (kind == "other window")
            continue;
        EXPECT_GT(n, 0) << kind << "\n" << table.str();
    }
}

TEST(RandomWalkPatternTest, TextsMatchTheFormatPatternsTheyWereMadeBy) {
    struct TCase {
        const char* Text;
        const char* Pattern;
        bool Matches;
    } cases[] = {
        {"Το 'abc' δεν είναι έγκυρος αριθμός", FrameworkTexts::InvalidFloat, true},
        {"Το '' δεν είναι έγκυρος αριθμός", FrameworkTexts::InvalidFloat, true},
        {"Το 'abc' δεν είναι έγκυρος αριθμός. Από 0 έως 5", FrameworkTexts::InvalidFloat, false},
        {"Το 'abc' δεν είναι έγκυρος αριθμός. Από 0 έως 5", "Το '%s' δεν είναι έγκυρος αριθμός. %s",
         true},
        {"List index out of bounds (12)", "List index out of bounds (%d)", true},
        {"List index out of bounds", "List index out of bounds (%d)", false},
        {"Τιμή 0.25 από 1.00", "Τιμή %0.2f από %.2f", true},
        {"100% έτοιμο", "100%% έτοιμο", true},
        {"ab", "a%sb%sc", false},
        {"Value must be between 0.00 - 1.00", "Value must be between 0.00 - 1.00", true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TestKit::TRandomWalk::MatchesPattern(c.Text, c.Pattern), c.Matches)
            << c.Text << " / " << c.Pattern;
}

} // namespace
