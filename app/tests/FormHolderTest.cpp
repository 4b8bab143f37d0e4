// The frame of Orvanti: start-up and restart (placement and dialog folders remembered),
// view hosting, shortcut forwarding, the main menu, the data module's dialogs and the
// small shared routines.

#include "app/FormHolder.h"
#include "app/DataMod.h"
#include "app/Icons.h"
#include "framework/core/Registry.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Actions.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/RedrawLock.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A docked test window with a cool bar and one action on a shortcut.
class TfmDockA : public TForm {
    ORV_CLASS(TfmDockA, TForm)
public:
    explicit TfmDockA(TComponent* owner) : TForm(owner) {
        TLoadingBracket loading(this);
        SetCaption("Dock A");
        CoolBar1 = new TCoolBar(this);
        CoolBar1->SetName("CoolBar1");
        CoolBar1->SetParent(this);
        CoolBar1->SetAlign(alTop);
        ActionList1 = new TActionList(this);
        actRun = new TAction(this);
        actRun->SetActionList(ActionList1);
        actRun->SetShortCut(TextToShortCut(ShortCutText()));
        actRun->SetOnExecute(TNotifyEvent([this](TObject*) { ++Runs; }));
    }
    virtual std::string ShortCutText() const { return "F8"; }
    TCoolBar* CoolBar1;
    TActionList* ActionList1;
    TAction* actRun;
    int Runs = 0;
};

// Another class of docked window.
class TfmDockB : public TfmDockA {
    ORV_CLASS(TfmDockB, TfmDockA)
public:
    explicit TfmDockB(TComponent* owner) : TfmDockA(owner) {}
};

class FormHolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/app-frame-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        FStore.emplace("HKCU_STORE", FDir + "/hkcu.txt");
        UseProgramFolder(APP_DATA_DIR);
        TestKit::StartTestApplication();
        ThousandSeparator = ',';
    }
    void TearDown() override {
        StopProgram();
        TestKit::ProcessMessages();
        FStore.reset();
        fs::remove_all(FDir);
    }

    static void UseProgramFolder(const std::string& dir) { SetProgramFileName(dir + "/Orvanti"); }

    // What the program block does, with the main window shown. The window does not stay
    // the application's main form, so closing it hides it instead of ending the test run.
    void StartProgram(const std::function<void()>& beforeShow = {}) {
        InitModel();
        CreateProgramWindows();
        Application->SetMainForm(nullptr);
        if (beforeShow)
            beforeShow();
        fmHolder->Show();
        TestKit::ProcessMessages();
        Application->Idle();
        FRunning = true;
    }
    void StopProgram() {
        if (!FRunning)
            return;
        FreeProgramWindows();
        TestKit::ProcessMessages();
        FinalizeModel();
        FRunning = false;
    }

    std::string ShotFile(const std::string& name) const {
        const char* dir = std::getenv("ORV_SHOT_DIR");
        return (dir ? std::string(dir) : FDir) + "/" + name;
    }
    std::string MakeDir(const std::string& name) const {
        fs::create_directories(FDir + "/" + name);
        return FDir + "/" + name;
    }
    static void WriteFile(const std::string& fileName, const std::string& text) {
        std::ofstream(fileName, std::ios::binary) << text;
    }

    // The forms docked in the holder panel, in component order.
    static std::vector<TCustomForm*> Docked() {
        std::vector<TCustomForm*> forms;
        for (int i = 0; i < fmHolder->pnlHolder->ComponentCount(); ++i)
            if (auto* f = dynamic_cast<TCustomForm*>(fmHolder->pnlHolder->Components(i)))
                forms.push_back(f);
        return forms;
    }
    static TCustomForm* DockTest(TFormClass cls, bool closeOthers = false) {
        return ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, true, nullptr, cls,
                               closeOthers);
    }

    std::string FDir;
    bool FRunning = false;
    std::optional<TScopedEnv> FStore;
};

// ---------------------------------------------------------------------------
// Journey 1: start, close, start again

TEST_F(FormHolderTest, StartShowsDesignPageAndRestartRemembersPlaceAndFolders) {
    StartProgram();
    EXPECT_EQ(TestKit::TextOf(fmHolder), "Orvanti");
    EXPECT_EQ(Application->MainForm(), nullptr); // set aside by the fixture only
    EXPECT_EQ(dm->Name(), "dm");
    EXPECT_EQ(dm->ieHots->Count(), 16);
    EXPECT_EQ(dm->LargeImages->Count(), 16);
    EXPECT_EQ(fmHolder->ImageList1->Count(), 10);

    TCustomForm* view = fmHolder->CurrentView();
    if (ViewClasses[0]) {
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->ClassName(), "TfmDesign");
        EXPECT_EQ(view->Parent(), fmHolder->pnlHolder);
        EXPECT_EQ(view->BorderStyle(), bsNone);
        auto* sysHolder = TestKit::Find<TWinControl>(view, "sysHolder");
        ASSERT_NE(sysHolder, nullptr);
        bool wgEditor = false;
        for (int i = 0; i < sysHolder->ComponentCount(); ++i)
            wgEditor = wgEditor || sysHolder->Components(i)->ClassName() == "TfmWGEd";
        EXPECT_TRUE(wgEditor);
        // The summary shows the model's defaults.
        const std::pair<const char*, const char*> summary[] = {
            {"stPhPr", "500.00"},    {"stBatCap", "6000.00"},  {"stBatVolts", "24.00"},
            {"stBatCapA", "250.00"}, {"stHZPower", "5000.00"},
        };
        for (const auto& [name, text] : summary) {
            auto* label = TestKit::Find<TControl>(view, name);
            ASSERT_NE(label, nullptr) << name;
            EXPECT_EQ(TestKit::TextOf(label), text) << name;
        }
        // The docked forms' tool bars sit in the tool strip.
        EXPECT_GT(fmHolder->Panel1->ControlCount(), 0);
    }
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("main-window.png")));

    // The user moves the window and picks files in both dialogs, then closes.
    const std::string curves = MakeDir("curves"), lists = MakeDir("lists");
    WriteFile(curves + "/small.pow", "Small\r\nm/s W\r\n1 1\r\n0 0\r\n3 10\r\n12 600\r\n");
    WriteFile(lists + "/home.dvl", "[devlist]\ncount=0\n");
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& d) {
        static_cast<TOpenDialog*>(d.Dialog)->SetFileName(curves + "/small.pow");
        return 1;
    });
    EXPECT_NE(dm->SelectPowerCurve(), nullptr);
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& d) {
        static_cast<TOpenDialog*>(d.Dialog)->SetFileName(lists + "/home.dvl");
        return 1;
    });
    std::string list;
    dm->SelectDevListFile(list);
    EXPECT_EQ(list, lists + "/home.dvl");
    fmHolder->SetBounds(40, 90, 720, 510); // inside the 800 x 800 screen
    TestKit::ProcessMessages();
    fmHolder->Close();
    EXPECT_FALSE(fmHolder->Visible());
    StopProgram();

    // Started again: the same place and both dialogs' folders.
    StartProgram();
    EXPECT_EQ(fmHolder->BoundsRect(), Bounds(40, 90, 720, 510));
    EXPECT_EQ(dm->SelWGDlg->InitialDir(), curves);
    EXPECT_EQ(dm->SelDevListDlg->InitialDir(), lists);
    EXPECT_EQ(TestKit::TextOf(fmHolder), "Orvanti");
}

TEST_F(FormHolderTest, DefaultFileThatFailedToLoadIsReportedOnceWhenTheWindowIsUp) {
    const std::string dir = MakeDir("program");
    WriteFile(dir + "/default.pow", "Broken\r\nm/s W\r\n1 1\r\n0 0\r\n3 abc\r\n");
    UseProgramFolder(dir);
    StartProgram();
    const auto& shown = TestKit::Dialogs().Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Kind, "MessageDlg");
    // The reader's message, which names the file: once, not again in front of it.
    const std::string file = dir + "/default.pow";
    EXPECT_NE(shown[0].Text.find(file + ", γραμμή 5"), std::string::npos) << shown[0].Text;
    EXPECT_EQ(shown[0].Text.find(file), shown[0].Text.rfind(file)) << shown[0].Text;
    EXPECT_TRUE(fmHolder->Visible());

    fmHolder->Hide();
    fmHolder->Show();
    TestKit::ProcessMessages();
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u);
}

// Values read from the default files never keep a window from opening: the largest power
// a curve may hold shows whole; a larger one is refused at start, naming the file and line,
// and the windows open on the curve as created.
TEST_F(FormHolderTest, HugePowersInTheDefaultCurveStillOpenTheWindows) {
    const std::string dir = MakeDir("program");
    WriteFile(dir + "/default.pow", "Huge\r\nm/s W\r\n1 1\r\n0 0\r\n3 10\r\n12 1e19\r\n");
    UseProgramFolder(dir);
    StartProgram();
    ASSERT_EQ(TestKit::Dialogs().Shown().size(), 1u);
    EXPECT_NE(TestKit::Dialogs().Shown()[0].Text.find(dir + "/default.pow, γραμμή 6"),
              std::string::npos)
        << TestKit::Dialogs().Shown()[0].Text;
    EXPECT_TRUE(fmHolder->Visible());
    EXPECT_EQ(PwrCurve->PointCount(), 0);
    StopProgram();

    WriteFile(dir + "/default.pow", "Huge\r\nm/s W\r\n1 1\r\n0 0\r\n3 10\r\n12 1e12\r\n");
    TestKit::Dialogs().Clear();
    StartProgram();
    EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
    ASSERT_NE(fmHolder, nullptr);
    EXPECT_TRUE(fmHolder->Visible());
    if (ViewClasses[0]) {
        auto* sysHolder = TestKit::Find<TWinControl>(fmHolder->CurrentView(), "sysHolder");
        ASSERT_NE(sysHolder, nullptr);
        TControl* edPR = nullptr;
        for (int i = 0; i < sysHolder->ComponentCount() && !edPR; ++i)
            if (sysHolder->Components(i)->ClassName() == "TfmWGEd")
                edPR = TestKit::Find<TControl>(sysHolder->Components(i), "edPR");
        ASSERT_NE(edPR, nullptr);
        EXPECT_EQ(StrToFloat(TestKit::TextOf(edPR)), 1e12) << TestKit::TextOf(edPR);
    }
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("huge-power.png")));
}

// An error while the windows are made is reported, and the program goes on: here the
// settings store is a folder, reported once in the run.
TEST_F(FormHolderTest, AnErrorWhileTheWindowsAreMadeIsReportedAndTheProgramGoesOn) {
    const std::string store = MakeDir("store-folder");
    setenv("HKCU_STORE", store.c_str(), 1);
    StartProgram();
    const auto& shown = TestKit::Dialogs().Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].Text.find("Το αρχείο ρυθμίσεων " + store + " δεν είναι κανονικό αρχείο"),
              std::string::npos)
        << shown[0].Text;
    ASSERT_NE(fmHolder, nullptr);
    EXPECT_TRUE(fmHolder->Visible());
    EXPECT_TRUE(fs::is_directory(store));
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("start-error.png")));
    // Closing saves the settings: the store is not reported a second time.
    StopProgram();
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u);
    EXPECT_TRUE(fs::is_directory(store));
}

TEST_F(FormHolderTest, CleanStartShowsNoMessageAndReportsTheFirstPaintOnce) {
    int firstPaints = 0;
    StartProgram([&] { WhenFirstPainted(fmHolder, [&] { ++firstPaints; }); });
    EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
    EXPECT_EQ(firstPaints, 1);
    fmHolder->Repaint();
    TestKit::ProcessMessages();
    EXPECT_EQ(firstPaints, 1);
}

// ---------------------------------------------------------------------------
// Views and docking

TEST_F(FormHolderTest, ViewIndexesWithoutAViewAndTheShownViewChangeNothing) {
    StartProgram();
    TCustomForm* before = fmHolder->CurrentView();
    TComponent item(nullptr);
    for (int tag : {-1, 5, 99, 0}) {
        item.SetTag(tag);
        fmHolder->itemSelected(fmHolder, &item);
        TestKit::ProcessMessages();
        EXPECT_EQ(fmHolder->CurrentView(), before) << tag;
    }
    for (int index = 0; index < ViewCount; ++index)
        if (!ViewClasses[size_t(index)]) {
            fmHolder->ShowView(index);
            EXPECT_EQ(fmHolder->CurrentView(), before) << index;
        }
}

TEST_F(FormHolderTest, SwitchingViewsByIndexReplacesTheViewAndItsToolBars) {
    StartProgram();
    for (int index : {4, 0, 4}) {
        ASSERT_NE(ViewClasses[size_t(index)], nullptr);
        fmHolder->ShowView(index);
        TestKit::ProcessMessages();
        TCustomForm* view = fmHolder->CurrentView();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->ClassType(), ViewClasses[size_t(index)]);
        EXPECT_EQ(Docked(), std::vector<TCustomForm*>{view});
        // Every control in the tool strip belongs to the view or to a form docked in it.
        for (int i = 0; i < fmHolder->Panel1->ControlCount(); ++i) {
            TComponent* owner = fmHolder->Panel1->Controls(i)->Owner();
            while (owner && owner != view)
                owner = owner->Owner();
            EXPECT_EQ(owner, view) << index;
        }
    }
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("main-window-workbench.png")));
}

TEST_F(FormHolderTest, AViewSwitchThroughTheViewListPaintsEachWindowOnce) {
    StartProgram();
    fmHolder->SetBounds(0, 0, 800, 500);
    TestKit::ProcessMessages();
    TFxOutlookList* list = fmHolder->fxOutlookBar1OutlookList1;
    for (int view : {1, 2, 3, 4, 0}) {
        std::map<TWinControl*, int> paints;
        const TPaintObserver previous =
            SetPaintObserver([&paints](TWinControl* w) { ++paints[w]; });
        const TRect r = list->Items()->Items(view)->HitRect();
        TestKit::ClickAt(list, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        TestKit::ProcessMessages();
        SetPaintObserver(previous);
        TCustomForm* shown = fmHolder->CurrentView();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->ClassType(), ViewClasses[size_t(view)]);
        // No window is painted twice on the way there; the view list alone shows the
        // clicked item at once, before the view changes.
        EXPECT_GT(paints.size(), 3u) << view;
        for (const auto& [window, count] : paints)
            EXPECT_LE(count, window == list ? 2 : 1)
                << view << ": " << window->ClassName() << " " << window->Name() << " painted "
                << count << " times";
    }
}

TEST_F(FormHolderTest, DockingOnceFreesOthersAndTakesToolBarsAlong) {
    StartProgram();
    const int stripBefore = fmHolder->Panel1->ControlCount();

    // A bordered window over the view: its cool bar joins the tool strip.
    int inits = 0;
    TWinControl* parentAtInit = reinterpret_cast<TWinControl*>(1);
    auto* a = static_cast<TfmDockA*>(ShowFormInPanel(
        fmHolder->pnlHolder, fmHolder->Panel1, true,
        [&](TCustomForm* f) {
            ++inits;
            parentAtInit = f->Parent();
        },
        TfmDockA::StaticClass(), false));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(parentAtInit, nullptr);
    EXPECT_EQ(a->Owner(), fmHolder->pnlHolder);
    EXPECT_EQ(a->Parent(), fmHolder->pnlHolder);
    EXPECT_EQ(a->Align(), alClient);
    EXPECT_TRUE(a->Visible());
    EXPECT_EQ(a->BorderStyle(), bsSizeable);
    EXPECT_TRUE(a->BorderIcons().Empty());
    EXPECT_EQ(a->CoolBar1->Parent(), fmHolder->Panel1);
    EXPECT_EQ(a->CoolBar1->Owner(), a);
    EXPECT_EQ(fmHolder->Panel1->ControlCount(), stripBefore + 1);

    // The same class again: nothing happens, not even the init procedure.
    EXPECT_EQ(ShowFormInPanel(
                  fmHolder->pnlHolder, fmHolder->Panel1, true, [&](TCustomForm*) { ++inits; },
                  TfmDockA::StaticClass(), true),
              nullptr);
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(Docked().size(), ViewClasses[0] ? 2u : 1u);
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("main-window-chart-over-view.png")));

    // A view switch frees the view and the window over it; their tool bars leave.
    auto* b = ShowFormInPanel(fmHolder->pnlHolder, fmHolder->Panel1, false, nullptr,
                              TfmDockB::StaticClass(), true);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->BorderStyle(), bsNone);
    EXPECT_EQ(Docked(), std::vector<TCustomForm*>{b});
    EXPECT_EQ(fmHolder->pnlHolder->ComponentCount(), 1);
    EXPECT_EQ(fmHolder->Panel1->ControlCount(), 1);
    EXPECT_EQ(fmHolder->CurrentView(), nullptr);

    // Back to the design page through the view list.
    if (ViewClasses[0]) {
        TComponent item(nullptr);
        item.SetTag(0);
        fmHolder->itemSelected(fmHolder, &item);
        ASSERT_NE(fmHolder->CurrentView(), nullptr);
        EXPECT_EQ(fmHolder->CurrentView()->ClassName(), "TfmDesign");
        EXPECT_EQ(Docked().size(), 1u);
    }
}

// ---------------------------------------------------------------------------
// Shortcuts and the main menu

TEST_F(FormHolderTest, KeysTheMainWindowTakesReachNoDockedForm) {
    StartProgram();
    auto* own = new TActionList(fmHolder);
    auto* actMain = new TAction(fmHolder);
    actMain->SetActionList(own);
    actMain->SetShortCut(TextToShortCut("F8"));
    int mainRuns = 0;
    actMain->SetOnExecute(TNotifyEvent([&](TObject*) { ++mainRuns; }));

    auto* a = static_cast<TfmDockA*>(DockTest(TfmDockA::StaticClass()));
    auto* b = static_cast<TfmDockB*>(DockTest(TfmDockB::StaticClass()));
    ASSERT_TRUE(a && b);
    b->actRun->SetShortCut(TextToShortCut("F6"));
    a->actRun->SetShortCut(TextToShortCut("F6"));
    TestKit::Focus(fmHolder);

    struct TCase {
        const char* Key;
        int Main, A, B;
    };
    // F8: the window's own action only. F6: the first docked form that takes it.
    const TCase cases[] = {{"F8", 1, 0, 0}, {"F6", 1, 1, 0}, {"F7", 1, 1, 0}};
    for (const TCase& c : cases) {
        TestKit::PressShortCut(c.Key);
        EXPECT_EQ(mainRuns, c.Main) << c.Key;
        EXPECT_EQ(a->Runs, c.A) << c.Key;
        EXPECT_EQ(b->Runs, c.B) << c.Key;
    }
    // A key only the later form knows reaches it past the earlier one.
    b->actRun->SetShortCut(TextToShortCut("F4"));
    TestKit::PressShortCut("F4");
    EXPECT_EQ(b->Runs, 1);
    EXPECT_EQ(a->Runs, 1);
}

TEST_F(FormHolderTest, FileMenuExitClosesAndOpenSaveDoNothing) {
    StartProgram();
    ASSERT_EQ(fmHolder->miFile->Count(), 4);
    EXPECT_TRUE(fmHolder->miSep->IsLine());
    TCustomForm* view = fmHolder->CurrentView();
    for (TMenuItem* item : {fmHolder->miOpen, fmHolder->miSave}) {
        item->Click();
        TestKit::ProcessMessages();
        EXPECT_TRUE(fmHolder->Visible()) << item->Caption();
        EXPECT_EQ(fmHolder->CurrentView(), view);
        EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
    }
    fmHolder->SetBounds(60, 70, 700, 490);
    fmHolder->miExit->Click();
    TestKit::ProcessMessages();
    EXPECT_FALSE(fmHolder->Visible());
    // Closing saved the placement.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Orvanti\\TfmHolder"));
    EXPECT_EQ(reg.ReadString("NormPos"), "60,70,760,560");
}

// Leaving a view saves its placement in one write of the settings store; closing the
// program writes the store once, with the main window's, the views' and the data
// module's settings.
TEST_F(FormHolderTest, AViewSwitchAndTheProgramsEndWriteTheStoreOnceEach) {
    StartProgram();
    int writes = 0;
    SetSettingsStoreCommitHook([&] { ++writes; });
    for (int view : {2, 3, 4, 0}) {
        writes = 0;
        fmHolder->ShowView(view);
        TestKit::ProcessMessages();
        EXPECT_LE(writes, 1) << "switch to view " << view;
    }
    fmHolder->ShowView(2);
    TestKit::ProcessMessages();
    dm->SelWGDlg->SetInitialDir(MakeDir("curves"));
    fmHolder->SetBounds(60, 70, 700, 490);
    TestKit::ProcessMessages();
    writes = 0;
    Application->SetMainForm(fmHolder); // closing it ends the program
    fmHolder->Close();
    EXPECT_TRUE(Application->Terminated());
    Application->SetMainForm(nullptr);
    Application->ClearTerminated();
    EXPECT_EQ(writes, 0); // nothing yet: the windows are still there
    StopProgram();
    SetSettingsStoreCommitHook(nullptr);
    EXPECT_EQ(writes, 1);
    TRegIniFile ini("Software\\Orvanti");
    EXPECT_EQ(ini.ReadString("TfmHolder", "NormPos", ""), "60,70,760,560");
    EXPECT_EQ(ini.ReadString("dm", "SelWGDlg_InitialDir", ""), FDir + "/curves");
    EXPECT_TRUE(ini.SectionExists("TfmLoadConstr"));
}

// A settings store the user may not write is reported once in a run: not at every view
// switch, not again at the end.
TEST_F(FormHolderTest, AReadOnlyStoreIsReportedOnceInARun) {
    StartProgram();
    fmHolder->ShowView(2);
    fmHolder->ShowView(3); // the store is written
    TestKit::ProcessMessages();
    const std::string store = FDir + "/hkcu.txt";
    ASSERT_TRUE(fs::exists(store));
    ASSERT_EQ(chmod(store.c_str(), 0444), 0);
    std::vector<std::string> shown;
    Application->SetOnException(
        TExceptionEvent([&](TObject*, const std::exception& e) { shown.push_back(e.what()); }));
    for (int view : {2, 4, 2, 3, 0}) {
        fmHolder->ShowView(view);
        TestKit::ProcessMessages();
        fmHolder->SetBounds(50 + view, 60, 700, 490); // something new to save each time
    }
    Application->SetMainForm(fmHolder);
    fmHolder->Close();
    Application->SetMainForm(nullptr);
    Application->ClearTerminated();
    StopProgram();
    Application->SetOnException(nullptr);
    chmod(store.c_str(), 0644);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("μόνο για ανάγνωση"), std::string::npos) << shown[0];
}

// ---------------------------------------------------------------------------
// The data module's dialogs

TEST_F(FormHolderTest, SelectPowerCurveOwnsWhatItReadsAndKeepsFolderOnFailure) {
    StartProgram();
    const std::string dir = MakeDir("curves");
    WriteFile(dir + "/good.pow", "Good\r\nm/s W\r\n1 1\r\n0 0\r\n3 10\r\n12 900");
    WriteFile(dir + "/bad.pow", "Bad\r\nm/s W\r\n1 1\r\n0 0\r\n3 x10\r\n");
    dm->SelWGDlg->SetInitialDir("/somewhere");
    const auto choose = [](const std::string& file) {
        TestKit::Dialogs().AnswerNextWith([file](const TestKit::TShownDialog& d) {
            static_cast<TOpenDialog*>(d.Dialog)->SetFileName(file);
            return 1;
        });
    };

    EXPECT_EQ(dm->SelectPowerCurve(), nullptr); // cancelled
    choose(dir + "/bad.pow");
    EXPECT_THROW(dm->SelectPowerCurve(), EInOutError);
    EXPECT_EQ(dm->SelWGDlg->InitialDir(), "/somewhere");

    choose(dir + "/good");
    auto curve = dm->SelectPowerCurve();
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->ModelName(), "Good");
    EXPECT_EQ(curve->PointCount(), 3);
    EXPECT_EQ(curve->RatedPower(), 900);
    EXPECT_EQ(dm->SelWGDlg->InitialDir(), dir);
    EXPECT_NE(curve.get(), PwrCurve.get());

    std::string list = "old";
    dm->SelectDevListFile(list);
    EXPECT_EQ(list, "");
}

TEST(DataModuleTest, PelmoraVariantHasFifteenToolImagesAndNoModelDialogs) {
    TestKit::StartTestApplication();
    // Made on the heap as the programs make them: the modules' OnDestroy handlers run while
    // the modules are whole.
    auto orvantiModule = std::make_unique<Tdm>(nullptr);
    auto pelmoraModule = std::make_unique<Tdm>(nullptr, TdmVariant::Pelmora);
    Tdm& orvanti = *orvantiModule;
    Tdm& pelmora = *pelmoraModule;
    for (TImageList* list : {pelmora.ieHots, pelmora.ieGrays, pelmora.ieDisabled})
        EXPECT_EQ(list->Count(), 15);
    for (TImageList* list : {orvanti.ieHots, orvanti.ieGrays, orvanti.ieDisabled})
        EXPECT_EQ(list->Count(), 16);
    EXPECT_EQ(pelmora.SmallImages->Count(), 16);
    EXPECT_EQ(pelmora.SelWGDlg->Filter(), "Καμπύλη Ισχύος Α/Γ|*.pow");
    EXPECT_EQ(pelmora.SelDevListDlg->Filter(), "Λίστα Συσκευών|*.dvl");
    std::string name;
    EXPECT_THROW(pelmora.SelectDevListFile(name), EInvalidOperation);
    EXPECT_THROW(pelmora.SelectPowerCurve(), EInvalidOperation);
    EXPECT_EQ(FileFolder("/a/b/c.pow"), "/a/b");
    EXPECT_EQ(FileFolder("/c.pow"), "/");

    // A sheet of every image for people to look at: the three tool-bar renderings, the
    // device icons in both sizes and the view icons.
    TBitmap sheet;
    sheet.SetSize(16 * 36 + 8, 6 * 40 + 8);
    TCanvas* canvas = sheet.Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(TRect{0, 0, sheet.Width(), sheet.Height()});
    const TImageList* rows[] = {orvanti.ieHots, orvanti.ieGrays, orvanti.ieDisabled,
                                orvanti.LargeImages, orvanti.SmallImages};
    for (int row = 0; row < 5; ++row)
        for (int i = 0; i < rows[row]->Count(); ++i)
            rows[row]->Draw(canvas, 4 + i * 36, 4 + row * 40, i);
    TImageList views(nullptr, 32, 32);
    FillViewImages(&views, 10);
    for (int i = 0; i < views.Count(); ++i)
        views.Draw(canvas, 4 + i * 36, 4 + 5 * 40, i);
    const char* shots = std::getenv("ORV_SHOT_DIR");
    if (shots) {
        EXPECT_TRUE(TestKit::SaveBitmapToPng(sheet, std::string(shots) + "/icons.png"));
    }
}

// ---------------------------------------------------------------------------
// Shared routines

TEST_F(FormHolderTest, InputRealReadsTheNumberOrLeavesTheValue) {
    StartProgram();
    struct TCase {
        bool Ok;
        std::string Text;
        bool Result;
        double Value;
    };
    const TCase cases[] = {
        {true, "2.5", true, 2.5}, {true, "-1e3", true, -1000}, {false, "", false, 7.25}};
    for (const TCase& c : cases) {
        double value = 7.25;
        if (c.Ok)
            TestKit::Dialogs().AnswerNextInput(c.Text);
        EXPECT_EQ(InputReal("Τιμή:", value), c.Result) << c.Text;
        EXPECT_DOUBLE_EQ(value, c.Value) << c.Text;
        EXPECT_EQ(TestKit::Dialogs().Shown().back().Caption, "Εισαγωγή");
        EXPECT_EQ(TestKit::Dialogs().Shown().back().Text, "Τιμή:");
    }
    double value = 7.25;
    TestKit::Dialogs().AnswerNextInput("7,5");
    EXPECT_THROW(InputReal("Τιμή:", value), EConvertError);
    EXPECT_DOUBLE_EQ(value, 7.25);
}

TEST_F(FormHolderTest, FileDialogsStartInRememberedOrProgramFolderAndAddTheExtension) {
    StartProgram();
    const std::string elsewhere = MakeDir("elsewhere");
    const std::string ssn = "Αρχείο Περιόδων|*.ssn", pph = "Ηλιοφάνεια|*.pph";
    std::string startedIn;
    const auto answer = [&](const std::string& typed) {
        TestKit::Dialogs().AnswerNextWith([&startedIn, typed](const TestKit::TShownDialog& d) {
            auto* dialog = static_cast<TOpenDialog*>(d.Dialog);
            startedIn = dialog->InitialDir();
            dialog->SetFileName(typed);
            return 1;
        });
    };
    const std::string appDir = AppDir();
    WriteFile(elsewhere + "/year.ssn", "");
    std::string result;

    answer(elsewhere + "/year");
    SelectOpenFile(ssn, "", result);
    EXPECT_EQ(startedIn, appDir);
    EXPECT_EQ(result, elsewhere + "/year.ssn");

    answer(elsewhere + "/year.ssn");
    SelectOpenFile(ssn, "", result);
    EXPECT_EQ(startedIn, elsewhere);

    SelectOpenFile(pph, "", result); // cancelled
    EXPECT_EQ(result, "");

    answer(FDir + "/new");
    SelectSaveFile(ssn, "", result);
    EXPECT_EQ(startedIn, appDir);
    EXPECT_EQ(result, FDir + "/new.ssn");
}

TEST_F(FormHolderTest, CellTextIsCentredOrLeftAndClippedToTheCell) {
    StartProgram();
    TBitmap bitmap;
    bitmap.SetSize(120, 24);
    TCanvas* canvas = bitmap.Canvas();
    const TRect cell{30, 2, 70, 22};
    struct TCase {
        std::string Text;
        bool Centred;
    };
    const TCase cases[] = {{"12", true}, {"12", false}, {"WWWWWWWWWWWWWWWW", true}};
    for (const TCase& c : cases) {
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(TRect{0, 0, 120, 24});
        canvas->Font()->SetColor(clBlack);
        canvas->Brush()->SetStyle(bsClear);
        const int width = canvas->TextWidth(c.Text);
        if (c.Centred)
            DrawCellCentered(canvas, cell, c.Text);
        else
            DrawCellLeft(canvas, cell, c.Text);
        canvas->Brush()->SetStyle(bsSolid);
        int first = -1, last = -1;
        for (int x = 0; x < 120; ++x)
            for (int y = 0; y < 24; ++y)
                if (canvas->Pixels(x, y) != clWhite) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        ASSERT_GE(first, 0) << c.Text;
        if (width >= cell.Width()) {
            // Wider than the cell: cut at both sides.
            EXPECT_EQ(first, cell.Left) << c.Text;
            EXPECT_EQ(last, cell.Right - 1) << c.Text;
        } else {
            const int x = c.Centred ? cell.Left + (cell.Width() - width) / 2 : cell.Left + 2;
            EXPECT_GE(first, x) << c.Text;
            EXPECT_LE(first, x + 2) << c.Text;
            EXPECT_LT(last, x + width) << c.Text;
        }
    }
}

} // namespace
