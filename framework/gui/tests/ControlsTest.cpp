#include "framework/gui/Controls.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Forms.h"
#include "framework/gui/RedrawLock.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

namespace {

// A container drawn by us, as a panel is.
class TBox : public TCustomControl {
public:
    explicit TBox(TComponent* owner) : TCustomControl(owner) {
        FControlStyle.Include(csAcceptsControls);
        SetBounds(0, 0, 100, 100);
    }
    std::vector<std::string>* Log = nullptr;
    std::vector<UINT>* Messages = nullptr;

protected:
    void PaintControl() override {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
        if (Log)
            Log->push_back("paint " + Name());
    }
    void HandleMessage(TMessage& m) override {
        if (Messages)
            Messages->push_back(m.Msg);
        TCustomControl::HandleMessage(m);
    }
};

// A control without a window.
class TMark : public TGraphicControl {
public:
    explicit TMark(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 20, 20); }

protected:
    void PaintControl() override {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(ClientRect());
    }
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetName("fmTest");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(10, 10, 300, 200);
    }
    void TearDown() override {
        // Procedures installed by a test refer to its locals.
        for (int i = 0; i < Form->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TControl*>(Form->Components(i)))
                c->SetWindowProc(c->DefaultWindowProc());
        delete Form;
        TestKit::ProcessMessages();
    }
    TBox* AddBox(const std::string& name, TWinControl* parent) {
        auto* b = new TBox(Form);
        b->SetName(name);
        b->SetParent(parent);
        return b;
    }
    TForm* Form = nullptr;
};

TEST_F(ControlsTest, ReplacedWindowProcedureSeesMessagesFirstUntilWindowIsRecreated) {
    TBox* box = AddBox("box", Form);
    std::vector<UINT> seenByControl;
    box->Messages = &seenByControl;
    Form->Show();
    std::vector<std::string> order;
    TWndMethod previous = box->WindowProc();
    TWndMethod hook([&](TMessage& m) {
        if (m.Msg == WM_USER + 1)
            order.push_back("hook");
        previous(m);
    });
    box->SetWindowProc(hook);
    box->Perform(WM_USER + 1);
    ASSERT_EQ(order, std::vector<std::string>({"hook"}));
    EXPECT_EQ(seenByControl.back(), WM_USER + 1);
    EXPECT_TRUE(box->WindowProc() == hook);

    // A new window starts again from the default procedure.
    HWND old = box->Handle();
    box->RecreateWnd();
    EXPECT_NE(box->Handle(), old);
    EXPECT_TRUE(box->WindowProc() == box->DefaultWindowProc());
    box->Perform(WM_USER + 1);
    EXPECT_EQ(order.size(), 1u);
    box->SetWindowProc(hook);
    box->Perform(WM_USER + 1);
    EXPECT_EQ(order.size(), 2u);
    // WM_DESTROY went through the window procedure of the old window.
    EXPECT_NE(std::find(seenByControl.begin(), seenByControl.end(), WM_DESTROY),
              seenByControl.end());
    box->Messages = nullptr;
}

TEST_F(ControlsTest, PostedMessagesArriveAfterTheCurrentOne) {
    TBox* box = AddBox("box", Form);
    std::vector<std::string> log;
    TWndMethod previous = box->WindowProc();
    box->SetWindowProc(TWndMethod([&](TMessage& m) {
        if (m.Msg == WM_USER + 1) {
            log.push_back("first begins");
            PostMessage(box->Handle(), WM_USER + 2, 7, 9);
            log.push_back("first ends");
        } else if (m.Msg == WM_USER + 2) {
            log.push_back("posted " + std::to_string(m.WParam) + "," + std::to_string(m.LParam));
        }
        previous(m);
    }));
    SendMessage(box->Handle(), WM_USER + 1);
    EXPECT_EQ(log.size(), 2u);
    TestKit::ProcessMessages();
    EXPECT_EQ(log, std::vector<std::string>({"first begins", "first ends", "posted 7,9"}));
}

TEST_F(ControlsTest, RemovedQueuedMessageIsNeverDelivered) {
    TBox* box = AddBox("box", Form);
    int delivered = 0;
    TWndMethod previous = box->WindowProc();
    box->SetWindowProc(TWndMethod([&](TMessage& m) {
        if (m.Msg == WM_CHAR)
            ++delivered;
        previous(m);
    }));
    PostMessage(box->Handle(), WM_CHAR, 'a');
    PostMessage(box->Handle(), WM_CHAR, 'b');
    TMsg msg;
    ASSERT_TRUE(PeekMessage(msg, box->Handle(), WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM('a'));
    TestKit::ProcessMessages();
    EXPECT_EQ(delivered, 1);
    // A quit request put back after being taken stays queued.
    PostQuitMessage(3);
    ASSERT_TRUE(PeekMessage(msg, 0, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessage(msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessage(msg, 0, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(ControlsTest, TimersFireByIdUnderTheTestClock) {
    TBox* box = AddBox("box", Form);
    std::vector<std::pair<WPARAM, uint32_t>> fired;
    TWndMethod previous = box->WindowProc();
    box->SetWindowProc(TWndMethod([&](TMessage& m) {
        if (m.Msg == WM_TIMER)
            fired.push_back({m.WParam, GetTickCount()});
        previous(m);
    }));
    uint32_t start = GetTickCount();
    SetTimer(box->Handle(), 200, 1000);
    SetTimer(box->Handle(), 300, 100);
    TestKit::AdvanceClock(99);
    EXPECT_TRUE(fired.empty());
    TestKit::AdvanceClock(1);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].first, 300u);
    EXPECT_EQ(fired[0].second - start, 100u);
    TestKit::AdvanceClock(900);
    int count200 = 0, count300 = 0;
    for (auto& f : fired)
        (f.first == 200 ? count200 : count300)++;
    EXPECT_EQ(count200, 1);
    EXPECT_EQ(count300, 10);
    KillTimer(box->Handle(), 300);
    fired.clear();
    TestKit::AdvanceClock(1000);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].first, 200u);
    // A timer dies with its window.
    HWND h = box->Handle();
    box->RecreateWnd();
    EXPECT_FALSE(TimerActive(h, 200));
}

TEST_F(ControlsTest, ExceptionInClickHandlerReachesTheApplicationAndTheProgramGoesOn) {
    TBox* box = AddBox("box", Form);
    Form->Show();
    int clicks = 0;
    box->SetOnClick([&](TObject*) {
        ++clicks;
        throw EInvalidOperation("Width must be a valid number");
    });
    TestKit::Click(box);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(TestKit::Dialogs().Shown().size(), 1u);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "Width must be a valid number.");
    // The next click is handled normally.
    std::string seen;
    Application->SetOnException([&](TObject*, const std::exception& e) { seen = e.what(); });
    TestKit::Click(box);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(seen, "Width must be a valid number");
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u);
}

TEST_F(ControlsTest, AlignedChildrenTakeTheirPlacesInThePlatformOrder) {
    struct TCase {
        TAlign Align;
        int Size;
        TRect Expected;
    };
    // Client area 300 x 200: top 20, bottom 30, left 40, right 50, client the rest.
    const TCase cases[] = {
        {alClient, 0, TRect(40, 20, 250, 170)}, {alRight, 50, TRect(250, 20, 300, 170)},
        {alLeft, 40, TRect(0, 20, 40, 170)},    {alBottom, 30, TRect(0, 170, 300, 200)},
        {alTop, 20, TRect(0, 0, 300, 20)},
    };
    std::vector<TBox*> boxes;
    for (const TCase& c : cases) {
        TBox* b = AddBox("b" + std::to_string(boxes.size()), Form);
        b->SetBounds(0, 0, c.Size, c.Size);
        b->SetAlign(c.Align);
        boxes.push_back(b);
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        EXPECT_EQ(boxes[i]->BoundsRect(), cases[i].Expected) << "case " << i;
    // Resizing the parent keeps the layout; an anchored child follows the right edge.
    TBox* anchored = AddBox("anchored", boxes[0]);
    anchored->SetBounds(150, 10, 40, 20);
    anchored->SetAnchors(TAnchors{akTop, akRight});
    Form->SetBounds(10, 10, 400, 200);
    EXPECT_EQ(boxes[0]->BoundsRect(), TRect(40, 20, 350, 170));
    EXPECT_EQ(anchored->Left(), 250);
    // A hidden aligned control gives its place away.
    boxes[4]->Hide();
    EXPECT_EQ(boxes[0]->Top(), 0);
}

TEST_F(ControlsTest, ClicksReachGraphicChildAndCaptureFollowsTheDrag) {
    TBox* box = AddBox("box", Form);
    box->SetBounds(10, 10, 200, 150);
    auto* mark = new TMark(Form);
    mark->SetParent(box);
    mark->SetBounds(30, 40, 20, 20);
    Form->Show();
    std::vector<std::string> log;
    mark->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    });
    mark->SetOnMouseMove([&](TObject*, TShiftState s, int x, int y) {
        if (s.Contains(ssLeft))
            log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    });
    mark->SetOnMouseUp([&](TObject*, TMouseButton, TShiftState, int x, int y) {
        log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    });
    int boxClicks = 0, markClicks = 0;
    box->SetOnClick([&](TObject*) { ++boxClicks; });
    mark->SetOnClick([&](TObject*) { ++markClicks; });
    TestKit::Drag(box, TPoint(35, 45), TPoint(150, 100), mbLeft, 2);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "down 5,5");
    EXPECT_EQ(log.back(), "up 120,60"); // still the graphic control's, outside it
    EXPECT_EQ(markClicks, 0);           // released outside: no click
    EXPECT_FALSE(mark->MouseCapture());
    TestKit::Click(mark);
    EXPECT_EQ(markClicks, 1);
    EXPECT_EQ(boxClicks, 0);
    TestKit::ClickAt(box, TPoint(150, 100));
    EXPECT_EQ(boxClicks, 1);
}

TEST_F(ControlsTest, WindowRegionLimitsHitTestingAndPainting) {
    TBox* back = AddBox("back", Form);
    back->SetBounds(0, 0, 300, 200);
    back->SetColor(clBlue);
    TBox* round = AddBox("round", back);
    round->SetBounds(50, 50, 100, 100);
    round->SetColor(clLime);
    TRegion ellipse = TRegion::FromEllipse(TRect(0, 0, 100, 100));
    round->SetWindowRgn(&ellipse, true);
    Form->Show();
    int backClicks = 0, roundClicks = 0;
    back->SetOnClick([&](TObject*) { ++backClicks; });
    round->SetOnClick([&](TObject*) { ++roundClicks; });
    TestKit::ClickAt(round, TPoint(50, 50)); // the centre
    TestKit::ClickAt(round, TPoint(3, 3));   // a corner outside the ellipse
    EXPECT_EQ(roundClicks, 1);
    EXPECT_EQ(backClicks, 1);
    QImage img = TestKit::Render(Form)->ToImage();
    EXPECT_EQ(img.pixelColor(100, 100), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(52, 52), QColor(0, 0, 255));
    TTempFolder folder;
    EXPECT_TRUE(TestKit::RenderToPng(Form, folder.File("controls_region.png")));
}

TEST_F(ControlsTest, APartUnderAnOpaqueChildShowsTheParentWhenUncovered) {
    TBox* back = AddBox("back", Form);
    back->SetBounds(0, 0, 300, 200);
    back->SetColor(clBlue);
    TBox* cover = AddBox("cover", back);
    cover->SetBounds(0, 0, 150, 200);
    cover->SetColor(clLime);
    Form->Show();
    TestKit::ProcessMessages();
    TBitmap shot;
    auto pixel = [&](int x, int y) {
        TestKit::RenderToBitmap(Form, shot);
        return shot.Canvas()->Pixels(x, y);
    };
    EXPECT_EQ(pixel(75, 100), clLime);
    EXPECT_EQ(pixel(225, 100), clBlue);
    // The parent never painted under the child; it does once the child goes.
    cover->SetVisible(false);
    TestKit::ProcessMessages();
    EXPECT_EQ(pixel(75, 100), clBlue);
    // Moved over the other half, the child covers that and uncovers nothing stale.
    cover->SetBounds(150, 0, 150, 200);
    cover->SetVisible(true);
    TestKit::ProcessMessages();
    EXPECT_EQ(pixel(75, 100), clBlue);
    EXPECT_EQ(pixel(225, 100), clLime);
    cover->SetBounds(0, 0, 10, 10);
    TestKit::ProcessMessages();
    EXPECT_EQ(pixel(225, 100), clBlue);
    // A colour changed while covered shows when uncovered.
    back->SetColor(clRed);
    cover->SetBounds(0, 0, 300, 200);
    TestKit::ProcessMessages();
    cover->SetVisible(false);
    TestKit::ProcessMessages();
    EXPECT_EQ(pixel(75, 100), clRed);
    EXPECT_EQ(pixel(225, 100), clRed);
}

TEST_F(ControlsTest, DrawingOutsideAPaintStaysUntilThePartIsInvalidated) {
    TBox* box = AddBox("box", Form);
    box->SetBounds(0, 0, 200, 100);
    box->SetColor(clWhite);
    Form->Show();
    TestKit::ProcessMessages();
    // A rubber band drawn with not-xor, as a zoom frame is.
    TCanvas* c = box->Canvas();
    c->Pen()->SetMode(pmNotXor);
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(10, 10, 60, 50);
    QImage drawn = TestKit::Render(box)->ToImage();
    EXPECT_EQ(drawn.pixelColor(10, 30), QColor(0, 0, 0));
    c->Rectangle(10, 10, 60, 50); // the second pass takes it away
    QImage erased = TestKit::Render(box)->ToImage();
    EXPECT_EQ(erased.pixelColor(10, 30), QColor(255, 255, 255));
    c->Pen()->SetMode(pmCopy);
    c->Rectangle(100, 10, 150, 50);
    box->Invalidate();
    QImage repainted = TestKit::Render(box)->ToImage();
    EXPECT_EQ(repainted.pixelColor(100, 30), QColor(255, 255, 255));
}

TEST_F(ControlsTest, KeyboardHooksSeeKeysNewestFirstAndLockKeysToggle) {
    TBox* box = AddBox("box", Form);
    Form->Show();
    TestKit::Focus(box);
    std::vector<std::string> log;
    HHOOK first = 0, second = 0;
    first = SetKeyboardHook([&](int code, WPARAM vk, LPARAM data) -> LRESULT {
        log.push_back("first " + std::to_string(vk) + ((data < 0) ? " up" : " down"));
        return CallNextHookEx(first, code, vk, data);
    });
    second = SetKeyboardHook([&](int code, WPARAM vk, LPARAM data) -> LRESULT {
        log.push_back("second " + std::to_string(vk));
        return CallNextHookEx(second, code, vk, data);
    });
    bool capsBefore = GetKeyState(VK_CAPITAL) & 1;
    TestKit::PressKey(VK_CAPITAL);
    EXPECT_NE(bool(GetKeyState(VK_CAPITAL) & 1), capsBefore);
    EXPECT_GE(GetKeyState(VK_CAPITAL), 0); // released
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "second 20");
    EXPECT_EQ(log[1], "first 20 down");
    EXPECT_EQ(log[3], "first 20 up");
    TestKit::PressKey(VK_CAPITAL);
    EXPECT_EQ(bool(GetKeyState(VK_CAPITAL) & 1), capsBefore);
    // A hook that answers non-zero swallows the key.
    std::vector<uint16_t> keys;
    box->SetOnKeyDown([&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); });
    HHOOK eater = SetKeyboardHook([](int, WPARAM vk, LPARAM) -> LRESULT { return vk == 'X'; });
    TestKit::PressKey('X');
    TestKit::PressKey('Y');
    EXPECT_EQ(keys, std::vector<uint16_t>({'Y'}));
    UnhookKeyboardHook(eater);
    UnhookKeyboardHook(second);
    UnhookKeyboardHook(first);
}

TEST_F(ControlsTest, CharacterHandlerCanDropTypedCharacters) {
    TBox* box = AddBox("box", Form);
    Form->Show();
    TestKit::Focus(box);
    std::u32string typed;
    box->SetOnKeyPress([&](TObject*, char32_t& ch) {
        if (ch >= '0' && ch <= '9')
            typed += ch;
        else
            ch = 0;
    });
    bool sawCtrl = false;
    box->SetOnKeyDown([&](TObject*, uint16_t& key, TShiftState s) {
        if (key == VK_RETURN && s.Contains(ssCtrl)) {
            sawCtrl = true;
            TMsg m;
            PeekMessage(m, box->Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        }
    });
    TestKit::TypeText("1a2β");
    EXPECT_EQ(typed, U"12");
    TestKit::PressKey(VK_RETURN, TShiftState{ssCtrl});
    EXPECT_TRUE(sawCtrl);
}

TEST_F(ControlsTest, HookPutBackThroughAHiddenWindowSurvivesRecreation) {
    TBox* box = AddBox("box", Form);
    constexpr UINT kRehook = 0xB052;
    std::vector<UINT> seen;
    TWndMethod previous;
    TWndMethod replacement;
    auto install = [&] {
        if (box->WindowProc() == replacement)
            return;
        previous = box->WindowProc();
        box->SetWindowProc(replacement);
    };
    HWND hidden = AllocateHWnd(TWndMethod([&](TMessage& m) {
        if (m.Msg == kRehook)
            install();
    }));
    replacement = TWndMethod([&](TMessage& m) {
        seen.push_back(m.Msg);
        previous(m);
        if (m.Msg == WM_DESTROY) {
            box->SetWindowProc(previous);
            PostMessage(hidden, kRehook);
        }
    });
    box->HandleNeeded();
    install();
    box->RecreateWnd();
    EXPECT_EQ(seen.back(), WM_DESTROY);
    EXPECT_TRUE(box->WindowProc() == box->DefaultWindowProc());
    TestKit::ProcessMessages();
    EXPECT_TRUE(box->WindowProc() == replacement);
    box->Perform(WM_USER + 5);
    EXPECT_EQ(seen.back(), WM_USER + 5);
    box->SetWindowProc(box->DefaultWindowProc());
    DeallocateHWnd(hidden);
    EXPECT_FALSE(PostMessage(hidden, kRehook));
}

TEST_F(ControlsTest, ExceptionsAtEveryEventBoundaryReachTheApplication) {
    TBox* box = AddBox("box", Form);
    Form->Show();
    TestKit::Focus(box);
    std::vector<std::string> caught;
    Application->SetOnException(
        [&](TObject*, const std::exception& e) { caught.push_back(e.what()); });
    TWndMethod previous = box->WindowProc();
    box->SetWindowProc(TWndMethod([&](TMessage& m) {
        if (m.Msg == WM_TIMER)
            throw Exception("timer");
        if (m.Msg == WM_USER + 9)
            throw Exception("posted");
        previous(m);
    }));
    box->SetOnKeyDown([](TObject*, uint16_t&, TShiftState) { throw Exception("key"); });
    box->SetOnDblClick([](TObject*) { throw Exception("double click"); });
    SetTimer(box->Handle(), 1, 50);
    TestKit::AdvanceClock(50);
    KillTimer(box->Handle(), 1);
    PostMessage(box->Handle(), WM_USER + 9);
    TestKit::ProcessMessages();
    TestKit::PressKey('K');
    TestKit::DoubleClick(box);
    EXPECT_EQ(caught, std::vector<std::string>({"timer", "posted", "key", "double click"}));
    // Still alive and answering.
    EXPECT_EQ(box->Perform(WM_NCHITTEST, 0,
                           MAKELPARAM(box->ClientOrigin().X + 1, box->ClientOrigin().Y + 1)),
              HTCLIENT);
}

TEST_F(ControlsTest, OwnerDrawRequestIsReflectedToTheControl) {
    TBox* parent = AddBox("parent", Form);
    TBox* child = AddBox("child", parent);
    std::vector<UINT> childMessages;
    child->Messages = &childMessages;
    TDrawItemStruct dis;
    dis.HwndItem = child->Handle();
    dis.ItemID = 2;
    parent->Perform(WM_DRAWITEM, 0, LPARAM(&dis));
    EXPECT_NE(std::find(childMessages.begin(), childMessages.end(), CN_DRAWITEM),
              childMessages.end());
    child->Messages = nullptr;
}

TEST_F(ControlsTest, CustomCursorNumbersComeFromTheScreenTable) {
    TBox* box = AddBox("box", Form);
    Screen->SetCursorShape(14000, QCursor(Qt::PointingHandCursor));
    box->SetCursor(14000);
    box->HandleNeeded();
    EXPECT_EQ(box->Widget()->cursor().shape(), Qt::PointingHandCursor);
    box->SetCursor(crHourGlass);
    EXPECT_EQ(box->Widget()->cursor().shape(), Qt::WaitCursor);
    box->RecreateWnd();
    EXPECT_EQ(box->Widget()->cursor().shape(), Qt::WaitCursor);
}

TEST_F(ControlsTest, ParentFontAndColourReachChildrenUntilTheyChooseTheirOwn) {
    TBox* outer = AddBox("outer", Form);
    TBox* inner = AddBox("inner", outer);
    auto* mark = new TMark(Form);
    mark->SetParent(inner);
    outer->SetColor(clYellow);
    outer->Font()->SetName("Arial");
    outer->Font()->SetSize(12);
    EXPECT_EQ(inner->Color(), clYellow);
    EXPECT_EQ(mark->Font()->Name(), "Arial");
    EXPECT_EQ(mark->Font()->Size(), 12);
    inner->Font()->SetSize(9); // its own font from now on
    EXPECT_FALSE(inner->ParentFont());
    outer->Font()->SetSize(14);
    EXPECT_EQ(inner->Font()->Size(), 9);
    EXPECT_EQ(mark->Font()->Size(), 9); // follows its own parent
    inner->SetParentFont(true);
    EXPECT_EQ(inner->Font()->Size(), 14);
    EXPECT_EQ(mark->Font()->Size(), 14);
}

TEST_F(ControlsTest, TabMovesThroughTabStopsInTabOrder) {
    std::vector<TBox*> boxes;
    for (int i = 0; i < 4; ++i) {
        TBox* b = AddBox("t" + std::to_string(i), Form);
        b->SetTabStop(i != 2);
        boxes.push_back(b);
    }
    boxes[3]->SetTabOrder(0); // order: t3, t0, t1, t2
    Form->Show();
    TestKit::Focus(boxes[3]);
    std::vector<std::string> visited;
    for (int i = 0; i < 4; ++i) {
        TestKit::PressKey(VK_TAB);
        visited.push_back(FindFocusedControl() ? FindFocusedControl()->Name() : "-");
    }
    EXPECT_EQ(visited, std::vector<std::string>({"t0", "t1", "t3", "t0"}));
    TestKit::PressKey(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(FindFocusedControl(), boxes[3]);
    boxes[1]->SetEnabled(false);
    TestKit::PressKey(VK_TAB);
    TestKit::PressKey(VK_TAB);
    EXPECT_EQ(FindFocusedControl(), boxes[3]);
}

TEST_F(ControlsTest, DisabledControlGetsNoClicks) {
    TBox* box = AddBox("box", Form);
    Form->Show();
    int clicks = 0;
    box->SetOnClick([&](TObject*) { ++clicks; });
    box->SetEnabled(false);
    TestKit::Click(box);
    box->SetEnabled(true);
    TestKit::Click(box);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, GraphicControlPaintsOnItsParentAndRepaintsWhenMoved) {
    TBox* box = AddBox("box", Form);
    box->SetBounds(0, 0, 200, 100);
    box->SetColor(clWhite);
    auto* mark = new TMark(Form);
    mark->SetParent(box);
    mark->SetBounds(10, 10, 20, 20);
    Form->Show();
    QImage before = TestKit::Render(box)->ToImage();
    EXPECT_EQ(before.pixelColor(15, 15), QColor(255, 0, 0));
    EXPECT_EQ(before.pixelColor(30, 15), QColor(255, 255, 255)); // right edge excluded
    mark->SetLeft(100);
    QImage after = TestKit::Render(box)->ToImage();
    EXPECT_EQ(after.pixelColor(15, 15), QColor(255, 255, 255));
    EXPECT_EQ(after.pixelColor(105, 15), QColor(255, 0, 0));
    mark->Hide();
    EXPECT_EQ(TestKit::Render(box)->ToImage().pixelColor(105, 15), QColor(255, 255, 255));
}

} // namespace

namespace {

// Counts the paints of each window while it lives.
struct TPaintTally {
    std::map<TWinControl*, int> Paints;
    TPaintObserver Previous;
    TPaintTally() {
        Previous = SetPaintObserver([this](TWinControl* w) { ++Paints[w]; });
    }
    ~TPaintTally() { SetPaintObserver(Previous); }
    int Of(TWinControl* w) const {
        auto it = Paints.find(w);
        return it == Paints.end() ? 0 : it->second;
    }
};

} // namespace

TEST_F(ControlsTest, RedrawLockHoldsEveryPaintUntilTheOutermostLockEndsThenPaintsOnce) {
    TBox* outer = AddBox("outer", Form);
    TBox* inner = AddBox("inner", outer);
    inner->SetBounds(10, 10, 40, 40);
    Form->Show();
    TestKit::ProcessMessages();
    TPaintTally tally;
    {
        TRedrawLock lock(inner); // locks the form the box is on
        EXPECT_TRUE(RedrawLocked(Form));
        EXPECT_TRUE(RedrawLocked(outer));
        {
            TRedrawLock nested(Form);
            inner->SetBounds(20, 20, 50, 50);
            outer->SetColor(clRed);
            inner->Repaint();
            outer->Update();
            TestKit::ProcessMessages();
        }
        // The nested lock's end does not resume the painting.
        EXPECT_TRUE(RedrawLocked(Form));
        outer->Repaint();
        TestKit::ProcessMessages();
        EXPECT_TRUE(tally.Paints.empty());
    }
    EXPECT_FALSE(RedrawLocked(Form));
    TestKit::ProcessMessages();
    EXPECT_EQ(tally.Of(outer), 1);
    EXPECT_EQ(tally.Of(inner), 1);
    // What was changed under the lock shows.
    const QImage shot = TestKit::Render(outer)->ToImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::red));
}

TEST_F(ControlsTest, RedrawLockOnAWindowFreedMeanwhileOrWithoutAWindowDoesNothing) {
    auto* loose = new TBox(nullptr); // never shown: no window
    {
        TRedrawLock lock(loose);
        EXPECT_FALSE(RedrawLocked(loose));
    }
    delete loose;
    auto* other = new TForm(nullptr);
    other->Show();
    TestKit::ProcessMessages();
    {
        TRedrawLock lock(other);
        EXPECT_TRUE(RedrawLocked(other));
        delete other; // the lock's end must not touch it
    }
    TestKit::ProcessMessages();
    const long before = WindowPaintCount();
    Form->Show();
    TestKit::ProcessMessages();
    EXPECT_GT(WindowPaintCount(), before);
}
