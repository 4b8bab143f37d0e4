#include "framework/gui/TestKit.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Menus.h"
#include "framework/gui/Snapshot.h"
#include "framework/gui/WindowBridge.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <memory>

namespace TestKit {

namespace {

TScriptedDialogs* gDialogs = nullptr;
// The widget a button press went to: it receives the moves and the release, as the
// window system's implicit grab does.
QPointer<QWidget> gPressWidget;
Qt::MouseButtons gButtons;
const TDateTime kClockStart = 45292.5; // 2024-01-01 12:00

uint32_t gClockBase = 0;

void Pump() {
    if (Application)
        Application->ProcessMessages();
}

// The key marked up in the key state, its left and right keys too.
void ReleaseKeyState(int virtualKey) {
    uint8_t state[256];
    GetKeyboardState(state);
    state[virtualKey] &= 0x7F;
    if (virtualKey == VK_SHIFT) {
        state[VK_LSHIFT] &= 0x7F;
        state[VK_RSHIFT] &= 0x7F;
    }
    SetKeyboardState(state);
}

} // namespace

// ---------------------------------------------------------------------------
// Dialogs

bool TScriptedDialogs::Take(const TShownDialog& shown, TAnswer& answer) {
    FShown.push_back(shown);
    if (FAnswers.empty())
        return false;
    answer = FAnswers.front();
    FAnswers.pop_front();
    if (answer.Fn)
        answer.Value = answer.Fn(shown);
    return true;
}

namespace {

// Watches for the toolkit's message box, then runs inside while it is shown and closes it
// as the window system does when it is still there. A real-time timer, for the reason
// given at TypeIntoFileDialogWhenShown.
std::unique_ptr<QTimer> RunInMessageBoxWhenShown(std::function<void()> inside) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [t = timer.get(), inside = std::move(inside)] {
                         auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                         if (!box || !box->isVisible())
                             return;
                         t->stop();
                         QPointer<QMessageBox> watched = box;
                         QApplication::setActiveWindow(box);
                         inside();
                         if (watched && watched->isVisible())
                             watched->close();
                     });
    timer->start();
    return timer;
}

// Runs show in the toolkit's own dialog service, the scripted one put back after it.
template <class F> auto InRealDialogService(F show) {
    std::unique_ptr<TDialogService> scripted = SetDialogService(nullptr);
    struct TPutBack {
        std::unique_ptr<TDialogService>& Service;
        ~TPutBack() { SetDialogService(std::move(Service)); }
    } putBack{scripted};
    return show(DialogService());
}

} // namespace

int TScriptedDialogs::MessageBox(const std::string& text, const std::string& caption,
                                 unsigned flags) {
    TAnswer a;
    if (Take({"MessageBox", text, caption, flags, nullptr}, a)) {
        if (a.InsideBox) {
            const std::unique_ptr<QTimer> walker = RunInMessageBoxWhenShown(a.InsideBox);
            return InRealDialogService(
                [&](TDialogService& real) { return real.MessageBox(text, caption, flags); });
        }
        return a.Value;
    }
    switch (flags & 0xF) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

int TScriptedDialogs::MessageDlg(const std::string& text, TMsgDlgType type,
                                 TMsgDlgButtons buttons) {
    TAnswer a;
    if (Take({"MessageDlg", text, "", buttons.ToInt(), nullptr}, a)) {
        if (a.InsideBox) {
            const std::unique_ptr<QTimer> walker = RunInMessageBoxWhenShown(a.InsideBox);
            return InRealDialogService(
                [&](TDialogService& real) { return real.MessageDlg(text, type, buttons); });
        }
        return a.Value;
    }
    if (buttons.Contains(mbCancel))
        return mrCancel;
    if (buttons.Contains(mbNo))
        return mrNo;
    return mrOk;
}

bool TScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                  std::string& value) {
    TAnswer a;
    if (!Take({"InputQuery", prompt, caption, 0, nullptr}, a))
        return false;
    if (a.Value != 0 && !a.Fn)
        value = a.Text;
    return a.Value != 0;
}

namespace {

// Watches for the toolkit's file dialog, then types text into its name box and presses
// Enter; cancels a dialog that is still shown after that. Runs on a real-time timer, since
// the dialog's own loop runs neither the manual clock's timers nor the idle handlers; the
// watch ends when the timer is freed.
std::unique_ptr<QTimer> TypeIntoFileDialogWhenShown(const std::string& text) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QObject::connect(
        timer.get(), &QTimer::timeout, timer.get(),
        [t = timer.get(), text, typed = QPointer<QFileDialog>(), done = false]() mutable {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (done) {
                // Enter did not close it: a name the dialog refused.
                if (typed && dialog == typed && dialog->isVisible())
                    dialog->reject();
                t->stop();
                return;
            }
            if (!dialog || !dialog->isVisible())
                return;
            typed = dialog;
            done = true;
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) {
                dialog->reject();
                return;
            }
            QApplication::setActiveWindow(dialog);
            name->setFocus(Qt::MouseFocusReason);
            name->selectAll();
            TypeText(text);
            TypeText("\n");
        });
    timer->start();
    return timer;
}

} // namespace

bool TScriptedDialogs::ExecuteDialog(TCommonDialog* dialog) {
    TAnswer a;
    if (!Take({dialog->ClassName(), "", "", 0, dialog}, a))
        return false;
    FShown.back().Dialog = nullptr;
    if (a.Interactive) {
        const std::unique_ptr<QTimer> typist = TypeIntoFileDialogWhenShown(a.Text);
        return dialog->ExecuteInteractive();
    }
    return a.Value != 0;
}

TScriptedDialogs& Dialogs() {
    if (!gDialogs)
        StartTestApplication();
    return *gDialogs;
}

// ---------------------------------------------------------------------------
// The application

void StartBareApplication() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void StartTestApplication() {
    static bool started = false;
    if (!started) {
        started = true;
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("QT_FONT_DPI", "96", 1);
        setenv("QT_SCALE_FACTOR", "1", 1);
        Application->Initialize();
        QFont font(QString::fromStdString(MapFontFamily("MS Sans Serif")));
        font.setPixelSize(11);
        font.setHintingPreference(QFont::PreferNoHinting);
        QApplication::setFont(font);
        QApplication::setStyle(QStringLiteral("Fusion"));
        Application->SetTitle("Test");
        SetManualClock(true);
        gClockBase = GetTickCount();
        SetNowProvider([] { return kClockStart + (GetTickCount() - gClockBase) / 86400000.0; });
    }
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    DateSeparator = '/';
    TimeSeparator = ':';
    ShortDateFormat = "dd/mm/yyyy";
    LongTimeFormat = "hh:nn:ss";
    auto dialogs = std::make_unique<TScriptedDialogs>();
    gDialogs = dialogs.get();
    SetDialogService(std::move(dialogs));
    Application->SetOnException(nullptr);
    // Every key and mouse button up and the lock keys off, whatever an earlier test pressed.
    const uint8_t keysUp[256] = {};
    SetKeyboardState(keysUp);
    gPressWidget = nullptr;
    gButtons = {};
    // No hint left from a control of an earlier test that was under the mouse when freed.
    Application->SetOnHint(nullptr);
    Application->CancelHint();
    Application->SetHint("");
    // A modal form nobody answers closes at once instead of waiting for a person.
    Application->SetModalHandler([](TCustomForm*) {});
}

void ProcessMessages() {
    Pump();
}

void AdvanceClock(uint32_t milliseconds) {
    Pump();
    AdvanceManualClock(milliseconds);
    Pump();
}

TComponent* FindByPath(TComponent* root, const std::string& path) {
    if (!root)
        return nullptr;
    TComponent* c = root;
    size_t start = 0;
    bool first = true;
    while (start <= path.size()) {
        size_t dot = path.find('.', start);
        std::string name =
            path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (first && SameText(name, root->Name())) {
            // The path may begin with the root's own name.
        } else {
            c = c->FindComponent(name);
            if (!c)
                return nullptr;
        }
        first = false;
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return c;
}

// ---------------------------------------------------------------------------
// Mouse

namespace {

// The screen point of a client point of the control.
QPoint ScreenPoint(const TControl* control, TPoint at) {
    TPoint p = control->ClientToScreen(at);
    return QPoint(p.X, p.Y);
}

QWidget* WindowOf(TControl* control) {
    TWinControl* w = dynamic_cast<TWinControl*>(control);
    if (!w)
        w = control->Parent();
    return w ? w->Widget() : nullptr;
}

// The control's top-level window, kept by the events of one click or drag: the control
// itself may be gone after the press (a button that switches views frees itself).
QPointer<QWidget> TopOf(TControl* control) {
    QWidget* w = WindowOf(control);
    return w ? w->window() : nullptr;
}

// The widget the window system would give a mouse event at the screen point.
QWidget* WidgetAt(QWidget* top, QPoint global) {
    if (gPressWidget)
        return gPressWidget;
    if (!top)
        return nullptr;
    QWidget* child = top->childAt(top->mapFromGlobal(global));
    return child ? child : top;
}

Qt::MouseButton QtButton(TMouseButton b) {
    switch (b) {
    case mbRight:
        return Qt::RightButton;
    case mbMiddle:
        return Qt::MiddleButton;
    default:
        return Qt::LeftButton;
    }
}

Qt::KeyboardModifiers QtModifiers(TShiftState shift) {
    Qt::KeyboardModifiers m;
    if (shift.Contains(ssShift))
        m |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl))
        m |= Qt::ControlModifier;
    if (shift.Contains(ssAlt))
        m |= Qt::AltModifier;
    return m;
}

void SendMouseAt(const QPointer<QWidget>& top, QEvent::Type type, QPoint global,
                 Qt::MouseButton button, TShiftState shift) {
    QWidget* w = WidgetAt(top, global);
    if (!w)
        return;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        gButtons |= button;
        gPressWidget = w;
    }
    Qt::MouseButtons buttons = gButtons;
    if (type == QEvent::MouseButtonRelease) {
        buttons &= ~Qt::MouseButtons(button);
        // The grab ends with the release, before the control handles it: a click that
        // opens a modal window runs it from inside this release, and the clicks made
        // there go to the window under the mouse, not to the control released here.
        gButtons = buttons;
        if (!gButtons)
            gPressWidget = nullptr;
    }
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons,
                  QtModifiers(shift));
    QCoreApplication::sendEvent(w, &e);
    Pump();
}

void SendMouse(TControl* control, QEvent::Type type, TPoint at, Qt::MouseButton button,
               TShiftState shift) {
    SendMouseAt(TopOf(control), type, ScreenPoint(control, at), button, shift);
}

} // namespace

TPoint Center(const TControl* control) {
    TRect r = control->ClientRect();
    return TPoint(r.Width() / 2, r.Height() / 2);
}

void MouseDown(TControl* control, TPoint at, TMouseButton button, TShiftState shift) {
    SendMouse(control, QEvent::MouseButtonPress, at, QtButton(button), shift);
}

void MouseMove(TControl* control, TPoint at, TShiftState shift) {
    SendMouse(control, QEvent::MouseMove, at, Qt::NoButton, shift);
}

void MouseUp(TControl* control, TPoint at, TMouseButton button, TShiftState shift) {
    SendMouse(control, QEvent::MouseButtonRelease, at, QtButton(button), shift);
}

void ClickAt(TControl* control, TPoint at, TMouseButton button, TShiftState shift) {
    const QPointer<QWidget> top = TopOf(control);
    const QPoint global = ScreenPoint(control, at);
    SendMouseAt(top, QEvent::MouseButtonPress, global, QtButton(button), shift);
    SendMouseAt(top, QEvent::MouseButtonRelease, global, QtButton(button), shift);
}

void Click(TControl* control, TMouseButton button) {
    ClickAt(control, Center(control), button);
}

void DoubleClickAt(TControl* control, TPoint at) {
    const QPointer<QWidget> top = TopOf(control);
    const QPoint global = ScreenPoint(control, at);
    SendMouseAt(top, QEvent::MouseButtonPress, global, Qt::LeftButton, {});
    SendMouseAt(top, QEvent::MouseButtonRelease, global, Qt::LeftButton, {});
    SendMouseAt(top, QEvent::MouseButtonDblClick, global, Qt::LeftButton, {});
    SendMouseAt(top, QEvent::MouseButtonRelease, global, Qt::LeftButton, {});
}

void DoubleClick(TControl* control) {
    DoubleClickAt(control, Center(control));
}

bool PickMenuItem(TPopupMenu* menu, const std::string& caption) {
    QMenu* shown = menu ? menu->ShownMenu() : nullptr;
    if (!shown)
        return false;
    const std::string wanted = StripHotkey(caption);
    for (QAction* a : shown->actions()) {
        if (a->isSeparator() || a->menu())
            continue;
        std::string text = a->text().section(QLatin1Char('\t'), 0, 0).toStdString();
        if (StripHotkey(text) != wanted)
            continue;
        const QPoint at = shown->actionGeometry(a).center();
        const QPoint global = shown->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(global), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(shown, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(global),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(shown, &release);
        Pump();
        return true;
    }
    return false;
}

void Drag(TControl* control, TPoint from, TPoint to, TMouseButton button, int steps) {
    // The mouse moves over the screen: points are taken where the control is at the start,
    // even when the drag moves the control.
    const QPointer<QWidget> top = TopOf(control);
    QPoint start = ScreenPoint(control, from);
    QPoint end = ScreenPoint(control, to);
    SendMouseAt(top, QEvent::MouseButtonPress, start, QtButton(button), {});
    steps = std::max(steps, 1);
    for (int i = 1; i <= steps; ++i)
        SendMouseAt(top, QEvent::MouseMove, start + (end - start) * i / steps, Qt::NoButton, {});
    SendMouseAt(top, QEvent::MouseButtonRelease, end, QtButton(button), {});
}

void ReleaseMouse() {
    gPressWidget = nullptr;
    gButtons = {};
}

// ---------------------------------------------------------------------------
// Keys

void Focus(TWinControl* control) {
    QWidget* w = control->Widget();
    QWidget* top = w->window();
    if (!top->isVisible())
        top->show();
    QApplication::setActiveWindow(top);
    control->SetFocus();
    Pump();
}

void PressKey(int virtualKey, TShiftState shift) {
    if (shift.Contains(ssCtrl))
        SynthesizeKey(VK_CONTROL, 0);
    if (shift.Contains(ssShift))
        SynthesizeKey(VK_SHIFT, 0);
    if (shift.Contains(ssAlt))
        SynthesizeKey(VK_MENU, 0);
    SynthesizeKey(virtualKey, 0);
    Pump();
    SynthesizeKey(virtualKey, KEYEVENTF_KEYUP);
    if (shift.Contains(ssAlt))
        SynthesizeKey(VK_MENU, KEYEVENTF_KEYUP);
    if (shift.Contains(ssShift))
        SynthesizeKey(VK_SHIFT, KEYEVENTF_KEYUP);
    if (shift.Contains(ssCtrl))
        SynthesizeKey(VK_CONTROL, KEYEVENTF_KEYUP);
    Pump();
}

void PressShortCut(const std::string& text) {
    TShortCut sc = TextToShortCut(text);
    if (sc == scNone)
        throw EConvertError(Format("'%s' is not a shortcut", {text}));
    uint16_t key;
    TShiftState shift;
    ShortCutToKey(sc, key, shift);
    PressKey(key, shift);
}

void TypeText(const std::string& text) {
    const bool shiftWasDown = GetKeyState(VK_SHIFT) < 0;
    QString s = QString::fromUtf8(text.data(), int(text.size()));
    for (char32_t ch : s.toUcs4()) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus)
            return;
        int key = 0;
        Qt::KeyboardModifiers mods;
        if (ch >= 'a' && ch <= 'z')
            key = int(ch - 32);
        else if (ch >= 'A' && ch <= 'Z') {
            key = int(ch);
            mods |= Qt::ShiftModifier;
        } else if (ch >= '0' && ch <= '9')
            key = int(ch);
        else if (ch == ' ')
            key = Qt::Key_Space;
        else if (ch == '\r' || ch == '\n')
            key = Qt::Key_Return;
        else if (ch == '.')
            key = Qt::Key_Period;
        else if (ch == ',')
            key = Qt::Key_Comma;
        else if (ch == '-')
            key = Qt::Key_Minus;
        else if (ch == '+')
            key = Qt::Key_Plus;
        else
            key = Qt::Key_unknown;
        QString t = QString::fromUcs4(&ch, 1);
        if (ch == '\n')
            t = QStringLiteral("\r");
        QKeyEvent press(QEvent::KeyPress, key, mods, t);
        QCoreApplication::sendEvent(focus, &press);
        Pump();
        if (QWidget* f = QApplication::focusWidget()) {
            QKeyEvent release(QEvent::KeyRelease, key, mods, t);
            QCoreApplication::sendEvent(f, &release);
        }
        // A capital is typed with Shift held, and Shift let go after it: the key state the
        // events left behind says it is still down.
        if ((mods & Qt::ShiftModifier) && !shiftWasDown)
            ReleaseKeyState(VK_SHIFT);
        Pump();
    }
}

// ---------------------------------------------------------------------------
// Reading and pictures

std::string TextOf(const TControl* control) {
    return control->Text();
}

int CaptionExtent(TControl* control) {
    auto* w = dynamic_cast<TWinControl*>(control);
    auto* button = w ? qobject_cast<QAbstractButton*>(w->Widget()) : nullptr;
    if (!button || !(button->inherits("QCheckBox") || button->inherits("QRadioButton")))
        return 0;
    return button->sizeHint().width();
}

void ResizeWindow(TWinControl* control, int width, int height) {
    // Through the platform window, so the toolkit reports the change as the window system's.
    QWindow* top = control->Widget()->window()->windowHandle();
    top->resize(width, height);
    ProcessMessages();
}

std::unique_ptr<TBitmap> Render(TControl* control) {
    auto bitmap = std::make_unique<TBitmap>();
    SnapshotControl(control, *bitmap);
    return bitmap;
}

bool RenderToPng(TControl* control, const std::string& fileName) {
    return SaveSnapshotToPng(control, fileName);
}

void RenderToBitmap(TControl* control, TBitmap& bitmap) {
    SnapshotControl(control, bitmap);
}

std::vector<TRect> ShownTopLevelWindows() {
    std::vector<TRect> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) {
            const QRect g = w->geometry();
            shown.push_back(TRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height()));
        }
    return shown;
}

void GrabScreen(const TRect& r, TBitmap& bitmap) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        bitmap.SetImage(QImage());
        return;
    }
    bitmap.SetImage(screen->grabWindow(0, r.Left, r.Top, r.Width(), r.Height()).toImage());
}

void CursorPicture(TCursor cursor, TBitmap& picture) {
    picture.SetImage(Screen->CursorShape(cursor).pixmap().toImage());
}

bool SaveBitmapToPng(const TBitmap& bitmap, const std::string& fileName) {
    return !bitmap.Empty() && bitmap.Image().save(QString::fromStdString(fileName), "PNG");
}

} // namespace TestKit
