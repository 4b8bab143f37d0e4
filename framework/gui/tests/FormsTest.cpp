#include "framework/gui/Forms.h"
#include "HostedShortCuts.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Controls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

namespace {

// A minimal panel: a container painted in its colour.
class TTestPanel : public TCustomControl {
    ORV_CLASS(TTestPanel, TCustomControl)
public:
    explicit TTestPanel(TComponent* owner) : TCustomControl(owner) {
        FControlStyle.Include(csAcceptsControls);
        SetParentColor(false);
        SetColor(clBtnFace);
        SetBounds(0, 0, 100, 50);
    }

protected:
    void PaintControl() override {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

// A view docked into a host panel: a form with a tool panel of its own.
class TViewForm : public TForm {
    ORV_CLASS(TViewForm, TForm)
public:
    explicit TViewForm(TComponent* owner) : TForm(owner) {
        SetCaption("Προβολή");
        SetColor(clWhite);
        Tools = new TTestPanel(this);
        Tools->SetName("Tools");
        Tools->SetColor(clYellow);
        Tools->SetParent(this);
        Tools->SetAlign(alTop);
        Tools->SetHeight(20);
    }
    ~TViewForm() override { ++Destroyed; }
    TTestPanel* Tools;
    static int Destroyed;
};
int TViewForm::Destroyed = 0;

// A main window with a tool strip and a host panel.
class TMainForm : public TForm {
    ORV_CLASS(TMainForm, TForm)
public:
    explicit TMainForm(TComponent* owner) : TForm(owner) {
        SetName("fmMain");
        SetCaption("Orvanti");
        SetBounds(20, 20, 400, 300);
        ToolStrip = new TTestPanel(this);
        ToolStrip->SetName("ToolStrip");
        ToolStrip->SetParent(this);
        ToolStrip->SetAlign(alTop);
        ToolStrip->SetHeight(30);
        Host = new TTestPanel(this);
        Host->SetName("Host");
        Host->SetParent(this);
        Host->SetAlign(alClient);
        Host->SetColor(clGray);
    }
    // Keys reach the forms docked in the host.
    bool IsShortCut(TMessage& message) override {
        return TForm::IsShortCut(message) || HostedFormsShortCut(Host, message);
    }
    TTestPanel* ToolStrip;
    TTestPanel* Host;
};

// Docks a new form into the host the way the main window shows its views.
TViewForm* Dock(TMainForm* main, bool bordered) {
    auto* view = CreateForm<TViewForm>(main->Host);
    view->SetName("View");
    view->SetAlign(alClient);
    view->SetBorderIcons(TBorderIcons());
    if (!bordered)
        view->SetBorderStyle(bsNone);
    view->SetParent(main->Host);
    view->Show();
    return view;
}

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        TViewForm::Destroyed = 0;
        Main = CreateForm<TMainForm>(nullptr);
    }
    void TearDown() override {
        delete Main;
        TestKit::ProcessMessages();
    }
    TMainForm* Main = nullptr;
};

TEST_F(FormsTest, BorderlessDockedFormFillsThePanel) {
    Main->Show();
    TViewForm* view = Dock(Main, false);
    EXPECT_EQ(view->BoundsRect(), Main->Host->ClientRect());
    EXPECT_EQ(view->ClientRect(), Main->Host->ClientRect());
    EXPECT_EQ(view->Tools->BoundsRect(), TRect(0, 0, Main->Host->Width(), 20));
    QImage img = TestKit::Render(Main->Host)->ToImage();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(255, 255, 0)); // the view's own tool panel on top
    EXPECT_EQ(img.pixelColor(5, 40), QColor(255, 255, 255));
    TTempFolder folder;
    EXPECT_TRUE(TestKit::RenderToPng(Main, folder.File("forms_docked_borderless.png")));
}

TEST_F(FormsTest, BorderedDockedFormShowsItsCaptionStripInsideThePanel) {
    Main->Show();
    TViewForm* view = Dock(Main, true);
    EXPECT_EQ(view->BoundsRect(), Main->Host->ClientRect());
    TRect nc = view->NonClientBorder();
    EXPECT_EQ(nc, TRect(4, 4 + 19, 4, 4));
    EXPECT_EQ(view->ClientWidth(), view->Width() - 8);
    TRect caption = view->CaptionRect();
    EXPECT_EQ(caption.Top, 4);
    // The view's panel sits below the caption strip.
    TPoint toolsOnScreen = view->Tools->ClientToScreen(TPoint(0, 0));
    TPoint hostOnScreen = Main->Host->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(toolsOnScreen.Y - hostOnScreen.Y, 23);
    QImage img = TestKit::Render(Main->Host)->ToImage();
    QColor strip = img.pixelColor(40, 10);
    EXPECT_NE(strip, QColor(255, 255, 0));
    EXPECT_NE(strip, QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(40, 30), QColor(255, 255, 0));
    TTempFolder folder;
    EXPECT_TRUE(TestKit::RenderToPng(Main, folder.File("forms_docked_bordered.png")));
}

TEST_F(FormsTest, ControlReparentedIntoAnotherFormsPanelIsFreedWithItsOwnerOnce) {
    Main->Show();
    TViewForm* view = Dock(Main, false);
    TTestPanel* tools = view->Tools;
    tools->SetParent(Main->ToolStrip); // the tool bar moves to the main window's strip
    EXPECT_EQ(tools->Owner(), view);
    EXPECT_EQ(Main->ToolStrip->ControlCount(), 1);
    delete view; // freeing the view takes its tool bar out of the strip
    EXPECT_EQ(TViewForm::Destroyed, 1);
    EXPECT_EQ(Main->ToolStrip->ControlCount(), 0);
    EXPECT_EQ(Main->Host->ComponentCount(), 0);

    // The other way round: the strip goes first and takes the visiting tool bar with it;
    // the owner then no longer lists it.
    TViewForm* second = Dock(Main, false);
    second->Tools->SetParent(Main->ToolStrip);
    delete Main->ToolStrip;
    Main->ToolStrip = nullptr;
    EXPECT_EQ(second->ComponentCount(), 0);
    delete second;
    EXPECT_EQ(TViewForm::Destroyed, 2);
}

TEST_F(FormsTest, CloseAsksCloseQueryThenHonoursTheCloseAction) {
    auto* dialog = CreateForm<TForm>(nullptr);
    std::vector<std::string> log;
    bool allow = false;
    dialog->SetOnShow([&](TObject*) { log.push_back("show"); });
    dialog->SetOnCloseQuery([&](TObject*, bool& can) {
        log.push_back("query");
        can = allow;
    });
    TCloseAction action = caHide;
    dialog->SetOnClose([&](TObject*, TCloseAction& a) {
        log.push_back("close");
        a = action;
    });
    dialog->SetOnDestroy([&](TObject*) { log.push_back("destroy"); });
    dialog->Show();
    dialog->Close();
    EXPECT_TRUE(dialog->Visible());
    allow = true;
    dialog->Close();
    EXPECT_FALSE(dialog->Visible());
    dialog->Show();
    action = caFree;
    dialog->Close();
    EXPECT_EQ(log.back(), "close"); // freed only after the current message
    TestKit::ProcessMessages();
    EXPECT_EQ(log, std::vector<std::string>(
                       {"show", "query", "query", "close", "show", "query", "close", "destroy"}));
}

TEST_F(FormsTest, ShowModalRunsUntilModalResultIsSet) {
    auto* dialog = CreateForm<TForm>(nullptr);
    dialog->SetBorderStyle(bsDialog);
    int shown = 0;
    Application->SetModalHandler([&](TCustomForm* f) {
        ++shown;
        EXPECT_TRUE(f->Visible());
        EXPECT_TRUE(f->FormState().Contains(fsModal));
        f->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(dialog->Visible());
    // Nobody answers: the loop does not wait.
    Application->SetModalHandler([](TCustomForm*) {});
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(shown, 1);
    delete dialog;
}

// A modal form freed after its loop must leave no trace in Qt's list of modal windows:
// showing another window afterwards used to ask the freed one whether it blocks it.
TEST_F(FormsTest, FormFreedAfterShowModalDoesNotBlockLaterWindows) {
    auto* dialog = CreateForm<TForm>(nullptr);
    Application->SetModalHandler([](TCustomForm* f) { f->SetModalResult(mrOk); });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    Application->SetModalHandler(nullptr);
    delete dialog;
    Main->Show();
    EXPECT_TRUE(Main->Visible());
    EXPECT_FALSE(QApplication::activeModalWidget());
}

// An action list stand-in: a component that answers one shortcut.
class TShortCutList : public TComponent, public IShortCutHandler {
public:
    TShortCutList(TComponent* owner, TShortCut key) : TComponent(owner), Key(key) {}
    bool HandleShortCut(TShortCut shortCut) override {
        if (shortCut != Key)
            return false;
        ++Runs;
        return true;
    }
    TShortCut Key;
    int Runs = 0;
};

TEST_F(FormsTest, ShortcutsReachTheDockedFormThroughTheMainWindow) {
    Main->Show();
    TViewForm* view = Dock(Main, false);
    auto* mainActions = new TShortCutList(Main, TextToShortCut("Ctrl+O"));
    auto* viewActions = new TShortCutList(view, TextToShortCut("F9"));
    std::vector<uint16_t> keysSeen;
    view->Tools->SetTabStop(true);
    view->Tools->SetOnKeyDown(
        [&](TObject*, uint16_t& key, TShiftState) { keysSeen.push_back(key); });
    TestKit::Focus(view->Tools);
    TestKit::PressShortCut("F9");
    TestKit::PressShortCut("Ctrl+O");
    TestKit::PressKey('A');
    EXPECT_EQ(viewActions->Runs, 1);
    EXPECT_EQ(mainActions->Runs, 1);
    EXPECT_EQ(keysSeen, std::vector<uint16_t>({VK_CONTROL, 'A'}));
    // Key preview lets the main window see keys before the control.
    Main->SetKeyPreview(true);
    Main->SetOnKeyDown([](TObject*, uint16_t& key, TShiftState) {
        if (key == 'B')
            key = 0;
    });
    TestKit::PressKey('B');
    TestKit::PressKey('C');
    EXPECT_EQ(keysSeen.back(), 'C');
    EXPECT_EQ(std::count(keysSeen.begin(), keysSeen.end(), 'B'), 0);
}

TEST_F(FormsTest, FocusMovesTheActiveControlAndFiresEnterAndExit) {
    auto* a = new TTestPanel(Main);
    a->SetName("a");
    a->SetParent(Main->ToolStrip);
    a->SetTabStop(true);
    auto* b = new TTestPanel(Main);
    b->SetName("b");
    b->SetParent(Main->ToolStrip);
    b->SetTabStop(true);
    std::vector<std::string> log;
    a->SetOnEnter([&](TObject*) { log.push_back("enter a"); });
    a->SetOnExit([&](TObject*) { log.push_back("exit a"); });
    b->SetOnEnter([&](TObject*) { log.push_back("enter b"); });
    Main->Show();
    TestKit::Focus(a);
    EXPECT_EQ(Main->ActiveControl(), a);
    TestKit::PressKey(VK_TAB);
    EXPECT_EQ(Main->ActiveControl(), b);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(log, std::vector<std::string>({"enter a", "exit a", "enter b"}));
    delete b;
    EXPECT_EQ(Main->ActiveControl(), nullptr);
}

TEST_F(FormsTest, FirstFormCreatedByTheApplicationIsTheMainForm) {
    TForm* first = nullptr;
    TForm* second = nullptr;
    TCustomForm* before = Application->MainForm();
    Application->SetMainForm(nullptr);
    Application->CreateForm(first);
    Application->CreateForm(second);
    EXPECT_EQ(Application->MainForm(), first);
    EXPECT_EQ(first->Owner(), static_cast<TComponent*>(Application));
    EXPECT_GE(Screen->FormCount(), 3);
    delete second;
    delete first;
    EXPECT_EQ(Application->MainForm(), nullptr);
    Application->SetMainForm(before);
}

TEST_F(FormsTest, PlacementRecordKeepsTheNormalRectangleAcrossStates) {
    Main->SetBorderStyle(bsSizeable);
    Main->SetBounds(30, 40, 500, 350);
    Main->Show();
    TWindowPlacement p = Main->GetWindowPlacement();
    EXPECT_EQ(p.ShowCmd, SW_SHOWNORMAL);
    EXPECT_EQ(p.NormalPosition, TRect(30, 40, 530, 390));
    EXPECT_EQ(Main->ClientRect(), TRect(0, 0, 492, 350 - 8 - 19));
    Main->SetWindowState(wsMaximized);
    p = Main->GetWindowPlacement();
    EXPECT_EQ(p.ShowCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(p.NormalPosition, TRect(30, 40, 530, 390));
    TWindowPlacement q;
    q.ShowCmd = SW_SHOWNORMAL;
    q.NormalPosition = TRect(5, 6, 305, 206);
    Main->SetWindowPlacement(q);
    EXPECT_EQ(Main->WindowState(), wsNormal);
    EXPECT_EQ(Main->BoundsRect(), TRect(5, 6, 305, 206));
    // The host panel follows the client area.
    EXPECT_EQ(Main->Host->BoundsRect(), TRect(0, 30, 292, 200 - 27));
}

// A window shown, or placed from stored bounds (a store written on a larger screen), is
// moved and where needed shrunk into the screen's available area; one inside another
// into its parent's client area.
TEST_F(FormsTest, AWindowIsPlacedInsideTheAvailableArea) {
    const TRect area = Screen->WorkAreaRect();
    ASSERT_GT(area.Width(), 300);
    auto inside = [](const TRect& r, const TRect& a) {
        return r.Left >= a.Left && r.Top >= a.Top && r.Right <= a.Right && r.Bottom <= a.Bottom;
    };
    // Default bounds running off the right and bottom edges: moved, the size kept.
    Main->SetBounds(area.Right - 100, area.Bottom - 50, 400, 300);
    Main->Show();
    EXPECT_EQ(Main->BoundsRect(),
              TRect(area.Right - 400, area.Bottom - 300, area.Right, area.Bottom));
    // Stored bounds larger than the screen: shrunk to it.
    TWindowPlacement stored;
    stored.ShowCmd = SW_SHOWNORMAL;
    stored.NormalPosition =
        TRect(area.Left - 200, area.Top + 40, area.Right + 900, area.Bottom + 700);
    Main->SetWindowPlacement(stored);
    EXPECT_EQ(Main->BoundsRect(), area);
    // Maximized and back: the maximized window covers the area, the normal one fits it.
    Main->SetWindowState(wsMaximized);
    EXPECT_TRUE(inside(Main->BoundsRect(), area));
    Main->Hide();
    stored.ShowCmd = SW_SHOWMAXIMIZED;
    Main->SetWindowPlacement(stored);
    Main->Show();
    Main->SetWindowState(wsNormal);
    EXPECT_TRUE(inside(Main->BoundsRect(), area)) << Main->Width() << "x" << Main->Height();
    // A window the program places while hidden keeps its bounds until it is shown.
    Main->Hide();
    Main->SetWindowState(wsNormal);
    Main->SetBounds(area.Right - 10, area.Top, 400, 300);
    EXPECT_EQ(Main->Left(), area.Right - 10);
    Main->Show();
    EXPECT_EQ(Main->BoundsRect(), TRect(area.Right - 400, area.Top, area.Right, area.Top + 300));

    // A bordered window inside the host, larger than it: fitted to the host's client area.
    auto* chart = CreateForm<TViewForm>(Main->Host);
    chart->SetBorderIcons(TBorderIcons());
    chart->SetBounds(50, 60, 688, 465);
    chart->SetParent(Main->Host);
    chart->Show();
    EXPECT_EQ(chart->BoundsRect(), Main->Host->ClientRect());
    TTempFolder folder;
    EXPECT_TRUE(TestKit::RenderToPng(Main, folder.File("forms_fitted.png")));
}

TEST_F(FormsTest, ClosingTheMainFormEndsTheRun) {
    TForm* main = nullptr;
    TCustomForm* before = Application->MainForm();
    // Whatever happens below, later tests get an application that can run again.
    struct TRunRestore {
        TCustomForm* MainForm;
        ~TRunRestore() {
            Application->ClearTerminated();
            Application->SetMainForm(MainForm);
        }
    } restore{before};
    Application->SetMainForm(nullptr);
    Application->CreateForm(main);
    int closes = 0;
    main->SetOnClose([&](TObject*, TCloseAction&) { ++closes; });
    // Closing from inside the loop, as a menu command would.
    PostMessage(main->Handle(), WM_CLOSE);
    EXPECT_EQ(Application->Run(), 0);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(closes, 1);
    delete main;
}

TEST_F(FormsTest, OnDestroyRunsBeforeTheDerivedFormIsTakenApartHoweverItIsFreed) {
    // A form whose OnDestroy reads its own member, as placement savers do.
    class TOwnForm : public TForm {
    public:
        TOwnForm(TComponent* owner, std::vector<std::string>* log)
            : TForm(owner), FLog(log), FText("own member") {
            SetOnDestroy([this](TObject*) { FLog->push_back(FText); });
        }
        ~TOwnForm() override { FText = "taken apart"; }

    private:
        std::vector<std::string>* FLog;
        std::string FText;
    };
    std::vector<std::string> log;
    { std::unique_ptr<TOwnForm> form(new TOwnForm(nullptr, &log)); }
    delete new TOwnForm(nullptr, &log);
    (new TOwnForm(nullptr, &log))->Free();
    {
        TForm owner(nullptr);
        new TOwnForm(&owner, &log);
    }
    EXPECT_EQ(log, std::vector<std::string>(4, "own member"));
}

TEST_F(FormsTest, SizeLimitsComeFromTheWindowProcedure) {
    Main->Show();
    TWndMethod previous = Main->WindowProc();
    Main->SetWindowProc(TWndMethod([&](TMessage& m) {
        previous(m);
        if (m.Msg == WM_GETMINMAXINFO) {
            auto* info = reinterpret_cast<TMinMaxInfo*>(m.LParam);
            info->MinTrackSize = TPoint(Main->Width(), Main->Height());
            info->MaxTrackSize = TPoint(Main->Width(), Main->Height());
            m.Result = 1;
        }
    }));
    Main->UpdateSizeLimits();
    TRect f = Main->WindowFrame();
    QWidget* w = Main->Widget();
    EXPECT_EQ(w->minimumSize(),
              QSize(Main->Width() - f.Left - f.Right, Main->Height() - f.Top - f.Bottom));
    EXPECT_EQ(w->maximumSize(), w->minimumSize());
    // The program itself may still size it.
    Main->SetWidth(Main->Width() + 40);
    EXPECT_EQ(w->width(), Main->ClientWidth());
    Main->SetWindowProc(Main->DefaultWindowProc());
}

TEST_F(FormsTest, BorderedDockedFormMovesByItsCaptionStrip) {
    Main->Show();
    auto* chart = CreateForm<TViewForm>(Main->Host);
    chart->SetBorderIcons(TBorderIcons());
    chart->SetBounds(10, 10, 200, 120);
    chart->SetParent(Main->Host);
    chart->Show();
    int clicks = 0;
    chart->SetOnClick([&](TObject*) { ++clicks; });
    // The caption strip lies above the client area.
    TestKit::Drag(chart, TPoint(50, -10), TPoint(80, 20));
    EXPECT_EQ(chart->BoundsRect(), TRect(40, 40, 240, 160));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(GetCapture(), HWND(0));
}

TEST(ShortCutTextTest, TextAndShortCutsConvertBothWays) {
    struct TCase {
        const char* Text;
        TShortCut Expected;
    };
    const TCase cases[] = {
        {"Ctrl+S", TShortCut('S' | scCtrl)},
        {"F9", TShortCut(VK_F9)},
        {"Shift+Ins", TShortCut(VK_INSERT | scShift)},
        {"Shift+Ctrl+Del", TShortCut(VK_DELETE | scShift | scCtrl)},
        {"Alt+F4", TShortCut(VK_F4 | scAlt)},
        {"ctrl+o", TShortCut('O' | scCtrl)},
        {"Ctrl+", scNone},
        {"Banana", scNone},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TextToShortCut(c.Text), c.Expected) << c.Text;
        if (c.Expected != scNone) {
            EXPECT_EQ(TextToShortCut(ShortCutToText(c.Expected)), c.Expected) << c.Text;
        }
    }
}

} // namespace
