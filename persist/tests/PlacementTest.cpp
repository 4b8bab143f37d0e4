#include "persist/Placement.h"

#include "framework/core/IniFiles.h"
#include "framework/core/TextFiles.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"
#include "persist/AppUtils.h"
#include "persist/tests/PersistTestSupport.h"
#include "persist/tests/SampleComponent.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace PersistTest;

// A focusable control for the active-control option.
class TFocusBox : public TCustomControl {
    ORV_CLASS(TFocusBox, TCustomControl)
public:
    explicit TFocusBox(TComponent* owner) : TCustomControl(owner) {
        SetTabStop(true);
        SetBounds(0, 0, 40, 20);
    }
};

// A window that remembers its placement, built as a form resource is read.
class TfmPlaced : public TForm {
    ORV_CLASS(TfmPlaced, TForm)
public:
    explicit TfmPlaced(TComponent* owner, const std::function<void(TfmPlaced*)>& setup = {})
        : TForm(owner) {
        TLoadingBracket loading(this);
        SetBounds(10, 20, 200, 150);
        Storage = new TFormStorage(this);
        Storage->SetName("FormStorage");
        Storage->SetUseRegistry(true);
        Box1 = new TFocusBox(this);
        Box1->SetName("Box1");
        Box1->SetParent(this);
        Box2 = new TFocusBox(this);
        Box2->SetName("Box2");
        Box2->SetParent(this);
        Box2->SetTop(30);
        SetOnShow(TNotifyEvent([this](TObject*) {
            ShownAt = BoundsRect();
            ++Shows;
        }));
        if (setup)
            setup(this);
    }
    TFormStorage* Storage;
    TFocusBox* Box1;
    TFocusBox* Box2;
    TRect ShownAt;
    int Shows = 0;
};

// Windows derived from a placed window: the placement is built by the base class's
// constructor, before the derived ones run.
class TfmPlacedKind : public TfmPlaced {
    ORV_CLASS(TfmPlacedKind, TfmPlaced)
public:
    explicit TfmPlacedKind(TComponent* owner) : TfmPlaced(owner) { SetWidth(220); }
};

class TfmPlacedSubKind : public TfmPlacedKind {
    ORV_CLASS(TfmPlacedSubKind, TfmPlacedKind)
public:
    explicit TfmPlacedSubKind(TComponent* owner) : TfmPlacedKind(owner) { SetWidth(240); }
};

class PlacementTest : public TTempStoreTest {
protected:
    void TearDown() override {
        Application->SetMainForm(nullptr);
        DecimalSeparator = '.';
        TTempStoreTest::TearDown();
    }
    // Shows a new window, lets the user place it, closes and frees it.
    void RunPlacedWindow(const std::function<void(TfmPlaced*)>& user,
                         const std::function<void(TfmPlaced*)>& setup = {}) {
        auto* form = new TfmPlaced(nullptr, setup);
        form->Show();
        TestKit::ProcessMessages();
        user(form);
        form->Close();
        delete form;
    }
    static std::string Suffix() { return ScreenSizeSuffix(); }
};

TEST_F(PlacementTest, PlacementIsWrittenOnCloseAndRestoredOnNextCreation) {
    RunPlacedWindow([](TfmPlaced* f) { f->SetBounds(100, 120, 300, 200); });

    // Exactly the window's section with the placement values.
    EXPECT_EQ(Sections(), std::set<std::string>{"TfmPlaced"});
    EXPECT_EQ(Idents("TfmPlaced"),
              (std::set<std::string>{"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos",
                                     "MinMaxPos" + Suffix(), "NormPos", "NormPos" + Suffix(),
                                     "Visible"}));
    EXPECT_EQ(Value("TfmPlaced", "NormPos"), "100,120,400,320");
    EXPECT_EQ(Value("TfmPlaced", "NormPos" + Suffix()), "100,120,400,320");
    EXPECT_EQ(Value("TfmPlaced", "ShowCmd"), "1");
    EXPECT_EQ(Value("TfmPlaced", "Flags"), "0");
    EXPECT_EQ(Value("TfmPlaced", "PixelsPerInch"), "96");
    EXPECT_EQ(Value("TfmPlaced", "Visible"), "0");

    // The next window opens where this one was, before its own OnShow runs.
    auto* form = new TfmPlaced(nullptr);
    EXPECT_EQ(form->BoundsRect(), Bounds(10, 20, 200, 150));
    form->Show();
    EXPECT_EQ(form->ShownAt, Bounds(100, 120, 300, 200));
    EXPECT_EQ(form->Shows, 1);
    EXPECT_EQ(form->WindowState(), wsNormal);
    delete form;
}

TEST_F(PlacementTest, ScreenSizedValuesWinOnTheirScreenOnly) {
    struct TCase {
        std::string SuffixedIdent; // written besides the plain value
        TRect Expected;
    };
    const TCase cases[] = {
        {"NormPos(1280x1024)", Bounds(5, 6, 100, 100)},   // a screen never seen here
        {"NormPos" + Suffix(), Bounds(50, 60, 200, 100)}, // this screen
    };
    for (const TCase& c : cases) {
        TRegistry().DeleteKey(kKey);
        SetValue("TfmPlaced", "PixelsPerInch", "96");
        SetValue("TfmPlaced", "NormPos", "5,6,105,106");
        SetValue("TfmPlaced", c.SuffixedIdent, "50,60,250,160");
        auto* form = new TfmPlaced(nullptr);
        form->Show();
        EXPECT_EQ(form->ShownAt, c.Expected) << c.SuffixedIdent;
        delete form;
    }
}

TEST_F(PlacementTest, PositionOfAnotherResolutionOrEmptyRectangleIsIgnored) {
    struct TCase {
        std::string Ppi, NormPos, ShowCmd;
        TRect Expected;
        TWindowState State;
    };
    const TCase cases[] = {
        {"120", "50,60,250,160", "3", Bounds(10, 20, 200, 150), wsMaximized},
        {"96", "250,60,250,160", "1", Bounds(10, 20, 200, 150), wsNormal},
        {"96", "7,8,9", "1", TRect(7, 8, 9, 170), wsNormal}, // the bottom defaults
    };
    for (const TCase& c : cases) {
        TRegistry().DeleteKey(kKey);
        SetValue("TfmPlaced", "PixelsPerInch", c.Ppi);
        SetValue("TfmPlaced", "NormPos", c.NormPos);
        SetValue("TfmPlaced", "ShowCmd", c.ShowCmd);
        SetValue("TfmPlaced", "ActiveControl", "Box2");
        auto* form = new TfmPlaced(nullptr, [](TfmPlaced* f) {
            f->Storage->SetOptions({fpState, fpPosition, fpActiveControl});
        });
        form->Show();
        EXPECT_EQ(form->GetWindowPlacement().NormalPosition, c.Expected) << c.NormPos;
        EXPECT_EQ(form->WindowState(), c.State) << c.NormPos;
        // State and active control are restored whatever the resolution.
        EXPECT_EQ(form->ActiveControl(), form->Box2) << c.NormPos;
        delete form;
    }
}

TEST_F(PlacementTest, FixedSizeWindowOnlyMoves) {
    SetValue("TfmPlaced", "PixelsPerInch", "96");
    SetValue("TfmPlaced", "NormPos", "50,60,450,460");
    auto* form = new TfmPlaced(nullptr, [](TfmPlaced* f) { f->SetBorderStyle(bsDialog); });
    form->Show();
    EXPECT_EQ(form->ShownAt, Bounds(50, 60, 200, 150));
    delete form;
}

TEST_F(PlacementTest, MinimizedMainWindowComesBackMinimizedThroughTheApplication) {
    RunPlacedWindow([](TfmPlaced* f) {
        Application->SetMainForm(f);
        f->SetWindowState(wsMinimized);
        // Closing the main window ends the program; its close query saves first.
        EXPECT_TRUE(f->CloseQuery());
        Application->SetMainForm(nullptr);
    });
    EXPECT_EQ(Value("TfmPlaced", "ShowCmd"), "2");

    auto* main = new TfmPlaced(nullptr);
    Application->SetMainForm(main);
    main->Show();
    EXPECT_EQ(main->WindowState(), wsNormal); // the minimize command is on its way
    TestKit::ProcessMessages();
    EXPECT_EQ(main->WindowState(), wsMinimized);

    // A secondary window stored with "ShowCmd" 6 is minimized directly.
    SetValue("TfmPlaced", "ShowCmd", "6");
    auto* second = new TfmPlaced(nullptr);
    second->Show();
    EXPECT_EQ(second->WindowState(), wsMinimized);
    delete second;
    Application->SetMainForm(nullptr);
    delete main;
}

TEST_F(PlacementTest, InactiveOrNeverRestoredWindowsWriteNothing) {
    RunPlacedWindow([](TfmPlaced* f) { f->SetLeft(77); },
                    [](TfmPlaced* f) { f->Storage->SetActive(false); });
    EXPECT_TRUE(Sections().empty());

    // Never shown: neither its close nor its destruction writes.
    auto* form = new TfmPlaced(nullptr);
    form->Close();
    delete form;
    EXPECT_TRUE(Sections().empty());

    // A direct save writes even when inactive.
    form = new TfmPlaced(nullptr, [](TfmPlaced* f) { f->Storage->SetActive(false); });
    form->Storage->SaveToStorage();
    EXPECT_EQ(Value("TfmPlaced", "NormPos"), "10,20,210,170");
    delete form;
}

TEST_F(PlacementTest, WindowFreedWithoutClosingSavesFromItsDestruction) {
    auto* form = new TfmPlaced(nullptr);
    form->Show();
    form->SetLeft(33);
    delete form;
    EXPECT_EQ(Value("TfmPlaced", "Visible"), "1");
    EXPECT_EQ(Value("TfmPlaced", "NormPos"), "33,20,233,170");
}

// Each window of a family keeps its placement under its own class name, however it is
// freed, and opens where a window of its own class was, not where its base class's was.
TEST_F(PlacementTest, DerivedWindowsKeepTheirPlacementUnderTheirOwnClass) {
    using TMake = std::function<TfmPlaced*(TComponent*)>;
    const struct {
        const char* Section;
        TMake Make;
        int Left;
    } kinds[] = {
        {"TfmPlaced", [](TComponent* o) { return new TfmPlaced(o); }, 50},
        {"TfmPlacedKind", [](TComponent* o) -> TfmPlaced* { return new TfmPlacedKind(o); }, 60},
        {"TfmPlacedSubKind", [](TComponent* o) -> TfmPlaced* { return new TfmPlacedSubKind(o); },
         70},
    };
    // How the window goes: closed, then freed; freed while shown; freed with its owner.
    enum TEnd { Closed, Freed, FreedWithOwner };
    for (TEnd end : {Closed, Freed, FreedWithOwner}) {
        SCOPED_TRACE(int(end));
        for (const auto& kind : kinds)
            TRegistry().DeleteKey(std::string(kKey) + "\\" + kind.Section);
        for (const auto& kind : kinds) {
            SCOPED_TRACE(kind.Section);
            auto* owner = new TComponent(nullptr);
            TfmPlaced* form = kind.Make(end == FreedWithOwner ? owner : nullptr);
            form->Show();
            form->SetLeft(kind.Left);
            if (end == Closed)
                form->Close();
            if (end == FreedWithOwner)
                delete owner;
            else {
                delete form;
                delete owner;
            }
        }
        EXPECT_EQ(Sections(),
                  (std::set<std::string>{"TfmPlaced", "TfmPlacedKind", "TfmPlacedSubKind"}));
        EXPECT_EQ(Value("TfmPlaced", "NormPos"), "50,20,250,170");
        EXPECT_EQ(Value("TfmPlacedKind", "NormPos"), "60,20,280,170");
        EXPECT_EQ(Value("TfmPlacedSubKind", "NormPos"), "70,20,310,170");
        // Each opens where its own class's window was.
        for (const auto& kind : kinds) {
            SCOPED_TRACE(kind.Section);
            std::unique_ptr<TfmPlaced> form(kind.Make(nullptr));
            form->Show();
            EXPECT_EQ(form->ShownAt.Left, kind.Left);
            EXPECT_EQ(form->Storage->IniSection(), kind.Section);
        }
    }
    // A window freed in place (a local or a member): its save runs from the base class's
    // destructor, when only the base part is left, and still goes to its own section.
    {
        TfmPlacedSubKind form(nullptr);
        form.Show();
        form.SetLeft(80);
    }
    EXPECT_EQ(Value("TfmPlacedSubKind", "NormPos"), "80,20,320,170");
    EXPECT_EQ(Value("TfmPlacedSubKind", "Visible"), "1");
    EXPECT_EQ(Value("TfmPlaced", "NormPos"), "50,20,250,170");
}

TEST_F(PlacementTest, OwnHandlersRunAfterTheChainedOnesAndAreGivenBack) {
    std::vector<std::string> log;
    auto* form = new TfmPlaced(nullptr, [&](TfmPlaced* f) {
        f->SetOnCloseQuery(TCloseQueryEvent([&](TObject*, bool& canClose) {
            log.push_back("query");
            canClose = false; // the user refuses: nothing is saved
        }));
        f->Storage->SetOnSavePlacement(TNotifyEvent([&](TObject*) { log.push_back("save"); }));
        f->Storage->SetOnRestorePlacement(
            TNotifyEvent([&](TObject*) { log.push_back("restore"); }));
    });
    form->SetOnShow(form->OnShow()); // the chained handler stays in place
    form->Show();
    form->Close();
    EXPECT_EQ(log, (std::vector<std::string>{"restore", "query"}));
    EXPECT_TRUE(form->Visible());
    // Freeing the storage hands the form its own handlers back.
    TNotifyEvent chained = form->OnShow();
    delete form->Storage;
    EXPECT_FALSE(form->OnShow() == chained);
    form->Close();
    EXPECT_EQ(log.back(), "query");
    delete form;
}

TEST_F(PlacementTest, SettingsOfTheWindowSectionThroughItsHandlers) {
    // A window keeps its dialog's folder with the placement.
    std::string folder;
    auto setup = [&](TfmPlaced* f) {
        TFormStorage* s = f->Storage;
        s->SetOnSavePlacement(TNotifyEvent([s, &folder](TObject*) {
            if (!folder.empty())
                s->WriteSetting("InitialDir", folder);
        }));
        s->SetOnRestorePlacement(
            TNotifyEvent([s, &folder](TObject*) { folder = s->ReadSetting("InitialDir", ""); }));
    };
    RunPlacedWindow([&](TfmPlaced*) { folder = "/data/wind/"; }, setup); // the user opens a file
    EXPECT_EQ(Value("TfmPlaced", "InitialDir"), "/data/wind/");
    folder.clear();
    RunPlacedWindow([](TfmPlaced*) {}, setup);
    EXPECT_EQ(folder, "/data/wind/");
}

TEST_F(PlacementTest, StoredPropsOfEveryKindGoToTheirSectionsAndComeBack) {
    DecimalSeparator = ',';
    auto* other = new TForm(nullptr);
    other->SetName("fmOther");
    auto* target = new TComponent(other);
    target->SetName("Target");

    auto setup = [](TfmPlaced* f) {
        auto* sample = new TSample(f);
        sample->SetName("Sample");
        for (const char* e : {"Sample.Folder", "Sample.Kinds", "Sample.Ratio", "Sample.Lines",
                              "Sample.Columns", "Sample.Buddy", "Gone.Folder"})
            f->Storage->StoredProps()->Add(e);
    };
    RunPlacedWindow(
        [&](TfmPlaced* f) {
            // The entry naming a component that is not there was dropped.
            EXPECT_EQ(f->Storage->StoredProps()->IndexOf("Gone.Folder"), -1);
            auto* s = TestKit::Find<TSample>(f, "Sample");
            s->SetFolder("C:\\Data\\");
            s->SetKinds(TSampleKinds{skAlpha, skGamma});
            s->SetRatio(0.1);
            s->Lines()->Add("one");
            s->Lines()->Add("two");
            static_cast<TSampleColumn*>(s->Columns()->Add())->SetWidth(120);
            static_cast<TSampleColumn*>(s->Columns()->Add())->SetWidth(88);
            s->SetBuddy(target);
        },
        setup);

    EXPECT_EQ(Sections(), (std::set<std::string>{"TfmPlaced", "TfmPlaced.Sample_Lines",
                                                 "TfmPlaced.Sample_Columns"}));
    EXPECT_EQ(Value("TfmPlaced", "Sample_Folder"), "C:\\Data\\");
    EXPECT_EQ(Value("TfmPlaced", "Sample_Kinds"), "[skAlpha,skGamma]");
    EXPECT_EQ(Value("TfmPlaced", "Sample_Ratio"), "0.1");
    EXPECT_EQ(Value("TfmPlaced", "Sample_Buddy"), "fmOther.Target");
    EXPECT_EQ(Value("TfmPlaced", "Columns.Count"), "2");
    EXPECT_EQ(Idents("TfmPlaced.Sample_Lines"), (std::set<std::string>{"Count", "Item0", "Item1"}));
    EXPECT_EQ(Value("TfmPlaced.Sample_Lines", "Item1"), "two");
    EXPECT_EQ(
        Idents("TfmPlaced.Sample_Columns"),
        (std::set<std::string>{"Item0_Width", "Item0_Caption", "Item1_Width", "Item1_Caption"}));
    EXPECT_EQ(Value("TfmPlaced.Sample_Columns", "Item1_Width"), "88");

    auto* form = new TfmPlaced(nullptr, setup);
    auto* s = TestKit::Find<TSample>(form, "Sample");
    s->SetBuddy(form->Box1); // a present reference is what a stored one replaces
    form->Show();
    EXPECT_EQ(s->Folder(), "C:\\Data\\");
    EXPECT_EQ(s->Kinds(), (TSampleKinds{skAlpha, skGamma}));
    EXPECT_EQ(s->Ratio(), 0.1);
    EXPECT_EQ(s->Lines()->ToVector(), (std::vector<std::string>{"one", "two"}));
    ASSERT_EQ(s->Columns()->Count(), 2);
    EXPECT_EQ(static_cast<TSampleColumn*>(s->Columns()->Items(0))->Width(), 120);
    EXPECT_EQ(s->Buddy(), target);
    // A component freed meanwhile leaves the entries.
    delete s;
    EXPECT_EQ(form->Storage->StoredProps()->Count(), 0);
    delete form;
    delete other;
}

// A window's save (placement, stored properties, handlers' settings) is one write of the
// settings store; a save that changes nothing writes nothing. A store that cannot be
// written is reported at the first save only.
TEST_F(PlacementTest, AWindowsSaveIsOneWriteOfTheStoreAndAFailureIsReportedOnce) {
    auto setup = [](TfmPlaced* f) {
        auto* sample = new TSample(f);
        sample->SetName("Sample");
        for (const char* e : {"Sample.Folder", "Sample.Lines", "Sample.Columns"})
            f->Storage->StoredProps()->Add(e);
        f->Storage->SetOnSavePlacement(
            TNotifyEvent([f](TObject*) { f->Storage->WriteSetting("InitialDir", "/data/"); }));
    };
    int writes = 0;
    SetSettingsStoreCommitHook([&] { ++writes; });
    auto user = [](TfmPlaced* f) {
        auto* s = TestKit::Find<TSample>(f, "Sample");
        s->SetFolder("/wind/");
        s->Lines()->Clear();
        s->Lines()->Add("one");
        s->Lines()->Add("two");
        f->SetBounds(100, 120, 300, 200);
    };
    RunPlacedWindow(user, setup);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(Value("TfmPlaced", "InitialDir"), "/data/");
    EXPECT_EQ(Value("TfmPlaced.Sample_Lines", "Item1"), "two");
    EXPECT_EQ(Value("TfmPlaced", "NormPos"), "100,120,400,320");
    writes = 0;
    RunPlacedWindow(user, setup); // the same again
    EXPECT_EQ(writes, 0);
    SetSettingsStoreCommitHook(nullptr);

    std::vector<std::string> shown;
    Application->SetOnException(
        TExceptionEvent([&](TObject*, const std::exception& e) { shown.push_back(e.what()); }));
    ASSERT_EQ(chmod((FDir + "/hkcu.txt").c_str(), 0444), 0);
    for (int i = 0; i < 3; ++i)
        RunPlacedWindow([i](TfmPlaced* f) { f->SetBounds(10 * i, 20, 300, 200); }, setup);
    Application->SetOnException(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("μόνο για ανάγνωση"), std::string::npos) << shown[0];
    EXPECT_EQ(Value("TfmPlaced", "NormPos"), "100,120,400,320");
}

TEST_F(PlacementTest, DataModuleStoresOnlyItsProperties) {
    auto* dm = new TDataModule(nullptr);
    dm->SetName("dm");
    auto* dlg = new TSample(dm);
    dlg->SetName("SelDlg");
    auto* storage = new TFormStorage(dm);
    storage->SetUseRegistry(true);
    EXPECT_TRUE(storage->Options().Empty());
    TStringList entries;
    entries.Add("SelDlg.Folder");
    storage->SetStoredProps(&entries);
    storage->LoadFromStorage();
    dlg->SetFolder("/home/u/curves");
    storage->SaveToStorage();
    EXPECT_EQ(Sections(), std::set<std::string>{"dm"});
    EXPECT_EQ(Idents("dm"), std::set<std::string>{"SelDlg_Folder"});
    dlg->SetFolder("");
    storage->LoadFromStorage();
    EXPECT_EQ(dlg->Folder(), "/home/u/curves");
    delete dm;
}

TEST_F(PlacementTest, SectionNamesOfComponents) {
    auto* form = new TfmPlaced(nullptr);
    auto* box = new TFocusBox(form);
    box->SetName("Inner");
    box->SetParent(form->Box1);
    auto* loose = new TFocusBox(nullptr);
    loose->SetName("Loose");
    auto* holder = new TFocusBox(nullptr);
    holder->SetName("Holder");
    loose->SetParent(holder);
    auto* dm = new TDataModule(nullptr);
    dm->SetName("dm");
    EXPECT_EQ(SectionForComponent(form), "TfmPlaced");
    EXPECT_EQ(SectionForComponent(box), "TfmPlacedInner");
    EXPECT_EQ(SectionForComponent(form->Storage), "TfmPlaced.FormStorage");
    EXPECT_EQ(SectionForComponent(loose), "HolderLoose");
    EXPECT_EQ(SectionForComponent(dm), "dm");
    EXPECT_EQ(SectionForComponent(nullptr), "");
    EXPECT_EQ(DefaultRegistryKeyPath(), "Software\\OrvTest");
    EXPECT_EQ(DefaultIniFileName(), "OrvTest.INI");
    delete loose;
    delete holder;
    delete dm;
    delete form;
}

TEST_F(PlacementTest, QuotedTextsSurviveTheIniFile) {
    const std::string iniName = FDir + "/places.ini";
    auto* form = new TfmPlaced(nullptr, [&](TfmPlaced* f) {
        f->Storage->SetUseRegistry(false);
        f->Storage->SetIniFileName(iniName);
    });
    form->Storage->WriteSetting("Single", "'abc'");
    form->Storage->WriteSetting("Double", "\"x\"");
    EXPECT_EQ(form->Storage->ReadSetting("Single", ""), "'abc'");
    EXPECT_EQ(form->Storage->ReadSetting("Double", ""), "\"x\"");
    std::ifstream in(iniName);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Single=\"'abc'\""), std::string::npos) << text.str();
    EXPECT_FALSE(form->Storage->IsStorageOpen());
    // The registry keeps the text as it is.
    form->Storage->SetUseRegistry(true);
    form->Storage->SetIniFileName("");
    form->Storage->WriteSetting("Single", "'abc'");
    EXPECT_EQ(Value("TfmPlaced", "Single"), "'abc'");
    delete form;
}

TEST_F(PlacementTest, LinksJoinEverySaveAndRestoreInOrder) {
    std::vector<std::string> log;
    auto* form = new TfmPlaced(nullptr);
    TIniLink first, second;
    first.SetOnSave(TNotifyEvent([&](TObject*) {
        log.push_back("save1");
        EXPECT_NE(first.IniStorage(), nullptr);
    }));
    first.SetOnLoad(TNotifyEvent([&](TObject*) { log.push_back("load1"); }));
    second.SetOnSave(TNotifyEvent([&](TObject*) { log.push_back("save2"); }));
    first.AttachTo(form->Storage);
    second.AttachTo(form->Storage);
    EXPECT_EQ(first.BaseSection(), "");
    form->Storage->SetIniSection("Views");
    EXPECT_EQ(first.BaseSection(), "Views\\");
    form->Show();
    form->Close();
    EXPECT_EQ(log, (std::vector<std::string>{"load1", "save1", "save2"}));
    EXPECT_EQ(first.IniStorage(), nullptr); // the store is closed again
    EXPECT_EQ(Sections(), std::set<std::string>{"Views"});
    delete form;
    EXPECT_EQ(first.IniObject(), nullptr);
}

TEST_F(PlacementTest, SizeLimitsThroughTheWindowHook) {
    auto* form = new TfmPlaced(nullptr);
    form->Show();
    TMinMaxInfo info;
    info.MinTrackSize = TPoint(10, 11);
    info.MaxTrackSize = TPoint(900, 901);
    form->Storage->MinMaxInfo()->SetMinMaxInfo(7, 300); // MinTrackWidth
    form->Perform(WM_GETMINMAXINFO, 0, LPARAM(&info));
    EXPECT_EQ(info.MinTrackSize, TPoint(300, 11));
    EXPECT_EQ(info.MaxTrackSize, TPoint(900, 901));

    form->Storage->SetPreventResize(true);
    EXPECT_FALSE(form->BorderIcons().Contains(biMaximize));
    info = TMinMaxInfo();
    form->Perform(WM_GETMINMAXINFO, 0, LPARAM(&info));
    EXPECT_EQ(info.MinTrackSize, TPoint(200, 150));
    EXPECT_EQ(info.MaxTrackSize, TPoint(200, 150));

    form->Storage->SetPreventResize(false);
    form->Storage->MinMaxInfo()->SetMinMaxInfo(7, 0);
    EXPECT_TRUE(form->BorderIcons().Contains(biMaximize));
    EXPECT_FALSE(form->Storage->WindowHook()->Active());
    info = TMinMaxInfo();
    form->Perform(WM_GETMINMAXINFO, 0, LPARAM(&info));
    EXPECT_EQ(info.MinTrackSize, TPoint(0, 0));
    delete form;
}

} // namespace
