#pragma once
// The GUI test kit: runs the application off screen with fixed fonts, 96 dpi, fixed
// format settings and a manual clock, and drives windows as a user would: find a
// component by its name path, click, drag, type, press shortcuts, let time pass so that
// timers fire, answer dialogs, read what a control shows and render it to PNG.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPopupMenu;

namespace TestKit {

// Hears when the component it watches is freed, so that a test or a walk can tell a window
// that closed and went from one still there.
class TGoneFlag : public TComponent {
public:
    explicit TGoneFlag(TComponent* watched) : TComponent(nullptr), FWatched(watched) {
        if (watched)
            watched->FreeNotification(this);
    }
    ~TGoneFlag() override {
        if (FWatched)
            FWatched->RemoveFreeNotification(this);
    }
    void ComponentNotification(TComponent* c, TOperation op) override {
        TComponent::ComponentNotification(c, op);
        if (op == opRemove && c == FWatched)
            FWatched = nullptr;
    }
    bool Gone() const { return FWatched == nullptr; }

private:
    TComponent* FWatched;
};

// A dialog the program showed.
struct TShownDialog {
    std::string Kind; // "MessageBox", "MessageDlg", "InputQuery" or the dialog's class name
    std::string Text; // message or prompt
    std::string Caption;
    unsigned Flags = 0;              // message box flags, or the message dialog's buttons
    TCommonDialog* Dialog = nullptr; // common dialogs: valid only inside the answer
};

// The dialog service of tests: answers from a queue (or a handler), records what was
// shown, never waits. Without an answer: OK for a plain box, Cancel where there is one,
// No for yes/no, False for input boxes and common dialogs.
class TScriptedDialogs : public TDialogService {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool ExecuteDialog(TCommonDialog* dialog) override;

    // The next dialog gets this answer (IDYES, mrOk, 1 for True ...).
    void AnswerNext(int answer) { FAnswers.push_back({answer, {}, {}}); }
    // The next input box gets OK with this text.
    void AnswerNextInput(const std::string& text) { FAnswers.push_back({1, text, {}}); }
    // The next dialog is answered by a function (a common dialog fills its fields there).
    void AnswerNextWith(std::function<int(const TShownDialog&)> fn) {
        FAnswers.push_back({0, {}, std::move(fn)});
    }
    // The next common dialog is the toolkit's real one, run by its own nested loop: once it
    // is on screen, its name box is selected whole and text typed into it key by key, then
    // Enter, as a person would. A dialog still shown after that is cancelled (the answer is
    // then False), so that a test fails instead of waiting.
    void TypeIntoNextFileDialog(const std::string& text) {
        FAnswers.push_back({1, text, {}, true});
    }
    // The next message box (or message dialog) is the toolkit's real one, run by its own
    // nested loop: once it is on screen, inside runs there (pressing keys in it as a person
    // would); a box still shown after that is closed as the window system closes it. The
    // answer is the box's own: the button pressed, else its cancel answer.
    void RunInNextMessageBox(std::function<void()> inside) {
        FAnswers.push_back({0, {}, {}, false, std::move(inside)});
    }
    const std::vector<TShownDialog>& Shown() const { return FShown; }
    // The text of the last dialog shown ("" when none).
    std::string LastText() const { return FShown.empty() ? "" : FShown.back().Text; }
    int PendingAnswers() const { return int(FAnswers.size()); }
    void Clear() {
        FShown.clear();
        FAnswers.clear();
    }

private:
    struct TAnswer {
        int Value;
        std::string Text;
        std::function<int(const TShownDialog&)> Fn;
        bool Interactive = false;
        std::function<void()> InsideBox = nullptr;
    };
    bool Take(const TShownDialog& shown, TAnswer& answer);
    std::deque<TAnswer> FAnswers;
    std::vector<TShownDialog> FShown;
};

// Starts (once) the application for tests and installs a fresh TScriptedDialogs; every
// GUI test calls it first. Safe to call from each test.
void StartTestApplication();
// Creates (once) the application on the offscreen platform (unless QT_QPA_PLATFORM names
// another) and nothing more: no fixed fonts, clock or dialogs. Enough for tests and
// benchmarks that only draw.
void StartBareApplication();
// The scripted dialogs installed by StartTestApplication.
TScriptedDialogs& Dialogs();

// Handles pending events, posted messages and deferred deletions.
void ProcessMessages();
// Lets the manual clock run: timers fire in order, Now() moves with it.
void AdvanceClock(uint32_t milliseconds);

// The component reached from root by a path of names separated by "." (each a
// component owned by the previous one; the first may name root itself); nullptr when
// there is none.
TComponent* FindByPath(TComponent* root, const std::string& path);
template <class T> T* Find(TComponent* root, const std::string& path) {
    return dynamic_cast<T*>(FindByPath(root, path));
}

// Mouse input at a point of the control's client area (its centre by default), delivered
// to the window under that point as the window system would.
TPoint Center(const TControl* control);
void MouseDown(TControl* control, TPoint at, TMouseButton button = mbLeft, TShiftState shift = {});
void MouseMove(TControl* control, TPoint at, TShiftState shift = {});
void MouseUp(TControl* control, TPoint at, TMouseButton button = mbLeft, TShiftState shift = {});
void Click(TControl* control, TMouseButton button = mbLeft);
void ClickAt(TControl* control, TPoint at, TMouseButton button = mbLeft, TShiftState shift = {});
void DoubleClick(TControl* control);
void DoubleClickAt(TControl* control, TPoint at);
void Drag(TControl* control, TPoint from, TPoint to, TMouseButton button = mbLeft, int steps = 4);
// Forgets the buttons held down: a window that took over the mouse (a modal form shown from
// a press) gets the next clicks, not the control pressed before.
void ReleaseMouse();
// Clicks the entry of the pop-up menu on screen whose caption (without "&") is caption, as
// the mouse would, and lets the chosen command run; false when the menu is not shown or
// has no such entry.
bool PickMenuItem(TPopupMenu* menu, const std::string& caption);

// Keys to the window with the focus.
void PressKey(int virtualKey, TShiftState shift = {});
// "Ctrl+S", "F9", "Shift+Ins".
void PressShortCut(const std::string& text);
// Types UTF-8 text, one character after the other.
void TypeText(const std::string& text);
// Gives the control the focus (its window made active first).
void Focus(TWinControl* control);
// Resizes the control's top-level window from outside the program, as a window manager does
// when the user drags the frame, and lets the window follow.
void ResizeWindow(TWinControl* control, int width, int height);

// What the control shows as its text or caption.
std::string TextOf(const TControl* control);
// The width a check box or radio button needs to show its caption whole: its mark, the
// gap and the caption in its font, as its window draws them. 0 for other controls.
int CaptionExtent(TControl* control);
// The control as the screen shows it (a top-level form with its frame and caption).
std::unique_ptr<TBitmap> Render(TControl* control);
// Writes Render(control) to a PNG file; false when it cannot be written.
bool RenderToPng(TControl* control, const std::string& fileName);
// Render(control) as a bitmap, for tests that read pixels without the toolkit.
void RenderToBitmap(TControl* control, TBitmap& bitmap);
// Writes a bitmap to a PNG file; false when it cannot be written.
bool SaveBitmapToPng(const TBitmap& bitmap, const std::string& fileName);
// What the screen shows in r (screen coordinates), as its display composes it: on a real
// display the pixels a person sees, windows that lie above the program's included.
void GrabScreen(const TRect& r, TBitmap& bitmap);
// The screen rectangles of the program's top-level windows that are shown now, controls'
// windows and the program's own helper windows (a drag's picture, a hint) alike.
std::vector<TRect> ShownTopLevelWindows();
// The picture of a cursor in the screen's cursor table (empty for a standard shape).
void CursorPicture(TCursor cursor, TBitmap& picture);

} // namespace TestKit
