// The random walk: the same seed takes the same steps, the modal windows it opens are
// walked and closed, and every file its dialogs name lies in the walk's folder.

#include "framework/gui/RandomWalk.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
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
            if (inner.ShowModal() == mrOk)
                edText->SetText(box->Text());
            ++Modals;
        });
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
