#pragma once
// Forms, data modules, the application and the screen.
//
// A form is a window control that is a top-level window, or the child of another control
// (a form docked in a panel: without a border it is a plain child; with one, its frame
// and caption strip are drawn by us inside its bounds). Who owns a form and who is its
// parent are independent. Form classes build their components in their constructor and
// are created through TApplication::CreateForm or CreateForm<T>(owner), which then fires
// OnCreate.

#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QCursor;
class QWidget;
class TBitmap;
class TCustomForm;
class TDataModule;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

enum TWindowState { wsNormal, wsMinimized, wsMaximized };

enum TCloseAction { caNone, caHide, caFree, caMinimize };

enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// A key with its modifiers: the virtual key in the low byte, scShift, scCtrl, scAlt.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;
TShortCut ShortCut(uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift);
// "Ctrl+S", "F9", "Shift+Ins"...; scNone for text that is no shortcut.
TShortCut TextToShortCut(const std::string& text);
std::string ShortCutToText(TShortCut shortCut);
// The shortcut of a key message (WM_KEYDOWN / CN_KEYDOWN) with the present modifiers.
TShortCut ShortCutFromMessage(const TMessage& message);

// Anything owned by a form that answers shortcuts (action lists, menus).
class IShortCutHandler {
public:
    virtual ~IShortCutHandler() = default;
    // True when the shortcut ran something.
    virtual bool HandleShortCut(TShortCut shortCut) = 0;
};

using TCloseEvent = TEvent<void(TObject*, TCloseAction&)>;
using TCloseQueryEvent = TEvent<void(TObject*, bool&)>;
using TShortCutEvent = TEvent<void(TMessage&, bool&)>;
using TIdleEvent = TEvent<void(TObject*, bool&)>;
using TExceptionEvent = TEvent<void(TObject*, const std::exception&)>;

// ---------------------------------------------------------------------------

// What a form asks of its main menu; the menus unit's main menu answers it.
class IFormMenu {
public:
    virtual ~IFormMenu() = default;
    // Builds the menu bar as a child of the form's window and answers it.
    virtual QWidget* CreateMenuBarFor(QWidget* parent) = 0;
};

class TCustomForm : public TWinControl {
    ORV_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    static void Publish(TPublisher<TCustomForm>& p);

    // Fires OnCreate; CreateForm calls it once the constructor has built the form.
    virtual void AfterConstruction();
    // Fires OnDestroy, once. The owner and Free run it before the form is deleted; the
    // destructor runs it only for a form deleted directly.
    void BeforeDestruction() override;

    // ---- Look
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }
    // The help topic of the form (0: none).
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState value);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool value) { FKeyPreview = value; }
    TFormState FormState() const { return FFormState; }
    // The form's canvas (its window surface) for OnPaint.
    TCanvas* Canvas() { return WindowCanvas(); }

    // ---- Focus
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the first control in tab order that can take it.
    void SelectFirst();
    bool Active() const { return FActive; }

    // ---- Showing and closing
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    // Shows the form and runs a nested message loop until ModalResult becomes non-zero
    // (or the form is hidden); answers ModalResult.
    virtual TModalResult ShowModal();
    // Asks OnCloseQuery, then OnClose decides: hide (the default), free, minimize or
    // nothing. Closing the main form ends the application.
    void Close();
    // Frees the form once the message being handled is done.
    void Release();
    virtual bool CloseQuery();
    // Shortcut test for a key message: OnShortCut, then the shortcut handlers the form
    // owns. Main windows override it to pass keys on to docked forms.
    virtual bool IsShortCut(TMessage& message);

    // ---- Events
    const TNotifyEvent& OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent value) { FOnCreate = std::move(value); }
    const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(TNotifyEvent value) { FOnDestroy = std::move(value); }
    const TNotifyEvent& OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent value) { FOnShow = std::move(value); }
    const TNotifyEvent& OnHide() const { return FOnHide; }
    void SetOnHide(TNotifyEvent value) { FOnHide = std::move(value); }
    const TNotifyEvent& OnActivate() const { return FOnActivate; }
    void SetOnActivate(TNotifyEvent value) { FOnActivate = std::move(value); }
    const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(TNotifyEvent value) { FOnDeactivate = std::move(value); }
    const TNotifyEvent& OnPaint() const { return FOnPaint; }
    void SetOnPaint(TNotifyEvent value) { FOnPaint = std::move(value); }
    const TCloseEvent& OnClose() const { return FOnClose; }
    void SetOnClose(TCloseEvent value) { FOnClose = std::move(value); }
    const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(TCloseQueryEvent value) { FOnCloseQuery = std::move(value); }
    const TShortCutEvent& OnShortCut() const { return FOnShortCut; }
    void SetOnShortCut(TShortCutEvent value) { FOnShortCut = std::move(value); }

    // The main menu shown as a bar above the client area of a top-level form: a component
    // that implements IFormMenu (nullptr: none), cleared when it is freed. A docked form
    // shows no menu bar.
    TComponent* Menu() const { return FMenu; }
    void SetMenu(TComponent* value);
    // The keyboard enters the menu bar (F10): its first command opens; false when the form
    // shows no menu bar.
    bool EnterMenuBar();
    void ComponentNotification(TComponent* component, TOperation operation) override;

    // ---- Window
    void SetVisible(bool value) override;
    bool Showing() const override;
    bool IsTopLevel() const override { return true; }
    TRect NonClientBorder() const override;
    TRect WindowFrame() const override;
    TWindowPlacement GetWindowPlacement() const override;
    void SetWindowPlacement(const TWindowPlacement& placement) override;
    void HandleMessage(TMessage& message) override;
    void AttachParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    // Asks the window procedure for the size limits (WM_GETMINMAXINFO) and gives them to
    // the window manager; for a top-level window that is shown.
    void UpdateSizeLimits();

    // Used by the window controls: the focus moved to control / control leaves.
    void SetFocusedControl(TWinControl* control);
    void ControlRemoved(TControl* control);

    // The caption strip's rectangle in window coordinates (empty without one).
    TRect CaptionRect() const;
    // Draws the frame and caption strip in window coordinates (for a top-level window the
    // window manager draws its own; pictures of it use this one).
    void PaintFrame(TCanvas* canvas) { PaintNonClient(canvas); }

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void AfterWindowCreated() override;
    void PaintWindowContent(TCanvas* canvas) override;
    void PaintNonClient(TCanvas* canvas) override;
    virtual void HandleShow();
    virtual void HandleHide();

private:
    void ApplyPosition();
    // Moves the window, and shrinks it where needed, into the screen's available area (a
    // window inside another: into its parent's client area), so that no part of it is out
    // of reach. A maximized or minimized window is left as it is.
    void FitIntoAvailableArea();
    int MenuBarHeight() const;
    void PlaceMenuBar();
    void MenuBarChanged(const TRect& oldClient);
    TComponent* FMenu = nullptr;
    struct TMenuBarRef; // the menu bar's widget, cleared when the widget goes
    std::unique_ptr<TMenuBarRef> FMenuBar;
    void DrawFrameAndCaption(TCanvas* canvas);
    void ShowWindow();
    void FrameSizes(int& border, int& caption) const;

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDesigned;
    int FHelpContext = 0;
    TWindowState FWindowState = wsNormal;
    TRect FNormalBounds;
    bool FKeyPreview = false;
    bool FActive = false;
    bool FDestroyFired = false;
    bool FPositioned = false;
    TFormState FFormState;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TModalResult FModalResult = mrNone;
    // Dragging a docked form by its caption strip.
    bool FDragging = false;
    TPoint FDragStart;
    TPoint FDragOrigin;
    TNotifyEvent FOnCreate, FOnDestroy, FOnShow, FOnHide, FOnActivate, FOnDeactivate, FOnPaint;
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
    TShortCutEvent FOnShortCut;
};

class TForm : public TCustomForm {
    ORV_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// Creates a form (or data module) of class T and fires its OnCreate.
template <class T> T* CreateForm(TComponent* owner) {
    T* form = new T(owner);
    try {
        form->AfterConstruction();
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

// A container of non-visual components shared by the windows.
class TDataModule : public TComponent {
    ORV_CLASS(TDataModule, TComponent)
public:
    explicit TDataModule(TComponent* owner);
    ~TDataModule() override;
    virtual void AfterConstruction();
    // Fires OnDestroy, once (see TCustomForm::BeforeDestruction).
    void BeforeDestruction() override;
    const TNotifyEvent& OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent value) { FOnCreate = std::move(value); }
    const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(TNotifyEvent value) { FOnDestroy = std::move(value); }

private:
    bool FDestroyFired = false;
    TNotifyEvent FOnCreate, FOnDestroy;
};

// ---------------------------------------------------------------------------

class TScreen : public TComponent {
    ORV_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    TRect WorkAreaRect() const;

    int FormCount() const { return int(FForms.size()); }
    TCustomForm* Forms(int index) const { return FForms.at(index); }
    int DataModuleCount() const { return int(FDataModules.size()); }
    TDataModule* DataModules(int index) const { return FDataModules.at(index); }
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const;

    // The cursor of the whole program while not crDefault.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);
    // The cursor table: the standard numbers and any a program enters.
    QCursor CursorShape(TCursor cursor) const;
    void SetCursorShape(TCursor cursor, const QCursor& shape);
    // A cursor drawn by the program: the bitmap's transparent colour shows what lies
    // below, (hotX, hotY) is the pixel that points. False (nothing set) while the
    // program has no window system yet.
    bool SetCursorShape(TCursor cursor, TBitmap* image, int hotX, int hotY);
    bool HasCursor(TCursor cursor) const;

    // Used by forms and data modules.
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void AddDataModule(TDataModule* module);
    void RemoveDataModule(TDataModule* module);
    void SetActiveForm(TCustomForm* form);

private:
    std::vector<TCustomForm*> FForms;
    std::vector<TDataModule*> FDataModules;
    TCustomForm* FActiveForm = nullptr;
    TCursor FCursor = crDefault;
    struct TCursorTable;
    std::unique_ptr<TCursorTable> FCustomCursors;
};

// The tool-tip window of hints: a small frameless window on top of the others, in the
// hint colour, showing its caption; it takes neither the focus nor the mouse.
class THintWindow : public TCustomControl {
    ORV_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* owner);
    bool IsTopLevel() const override { return true; }
    // The size the text needs.
    TRect CalcHintRect(int maxWidth, const std::string& hint) const;
    // Shows the hint with its top left at a screen point.
    void ActivateHint(const TPoint& screenPoint, const std::string& hint);
    void ReleaseHandle() { Hide(); }

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void AfterWindowCreated() override;
    void PaintControl() override;
};

// The settings a program writes on its way out, gathered into one write of the store. The
// main form's CloseQuery calls CloseQueryGatheringExitSave with its inherited answer: the
// gathering starts when the main form is asked to close and is written at once when the
// close is refused; FreeWindowsSavingOnce frees the program's windows inside it and writes
// the store once. Write errors go to the application's exception handler.
bool CloseQueryGatheringExitSave(TCustomForm* form, const std::function<bool()>& inherited);
void FreeWindowsSavingOnce(const std::function<void()>& freeWindows);

class TApplication : public TComponent {
    ORV_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Creates the Qt application when there is none yet.
    void Initialize();
    // Creates a form or data module owned by the application; the first form created
    // becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        reference = new T(this);
        try {
            reference->AfterConstruction();
        } catch (...) {
            delete reference;
            reference = nullptr;
            throw;
        }
        if (auto* form = dynamic_cast<TCustomForm*>(reference); form && !FMainForm)
            FMainForm = form;
    }
    // Shows the main form and handles messages until Terminate; answers the exit code.
    int Run();
    // Handles every pending event and message, then returns.
    void ProcessMessages();
    // Waits for and handles events once, then runs the idle processing.
    void HandleMessage();
    // Idle processing: OnIdle, then the idle handlers (action updates).
    void Idle();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Lets Run start again after a Terminate (tests run several programs in one process).
    void ClearTerminated() {
        FTerminated = false;
        FExitCode = 0;
    }
    int ExitCode() const { return FExitCode; }

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* form) { FMainForm = form; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value) { FTitle = value; }
    // The program file's full path.
    std::string ExeName() const;

    // ---- Hints
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    void CancelHint();
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value) { FShowHint = value; }
    const TNotifyEvent& OnHint() const { return FOnHint; }
    void SetOnHint(TNotifyEvent value) { FOnHint = std::move(value); }
    // The delays of the hint window, in milliseconds of the clock: before it shows, before
    // it shows when another hint has just been showing, and before it hides again.
    int HintPause() const { return FHintPause; }
    void SetHintPause(int value) { FHintPause = value; }
    int HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int value) { FHintShortPause = value; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int value) { FHintHidePause = value; }
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor value) { FHintColor = value; }
    // The hint window while it shows, else nullptr.
    THintWindow* HintWindow() const;
    // The mouse came onto a control (Hint follows it; its hint window is due after the
    // pause when its ShowHint is on), left it, or pressed a button (the hint goes).
    void ControlMouseEntered(TControl* control);
    void ControlMouseLeft(TControl* control);
    void ComponentNotification(TComponent* component, TOperation operation) override;

    // ---- Exceptions
    // Handles the exception being handled now (call it inside a catch block): OnException
    // when set, else ShowException. Never raises.
    void HandleException(TObject* sender);
    // Shows the message through the dialog service.
    void ShowException(const std::exception& e);
    const TExceptionEvent& OnException() const { return FOnException; }
    void SetOnException(TExceptionEvent value) { FOnException = std::move(value); }

    // ---- Idle and shortcuts
    const TIdleEvent& OnIdle() const { return FOnIdle; }
    void SetOnIdle(TIdleEvent value) { FOnIdle = std::move(value); }
    // Handlers run at each idle time (the action lists' updates), keyed by their owner.
    void AddIdleHandler(const void* key, std::function<void()> handler);
    void RemoveIdleHandler(const void* key);
    const TShortCutEvent& OnShortCut() const { return FOnShortCut; }
    void SetOnShortCut(TShortCutEvent value) { FOnShortCut = std::move(value); }
    bool IsShortCut(TMessage& message);

    // A message box through the dialog service; answers IDOK, IDYES...
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

    // ---- Modal loops
    // Called when a form enters its modal loop (tests answer it there); a modal loop
    // with a handler that left the form open ends with mrCancel instead of waiting.
    void SetModalHandler(std::function<void(TCustomForm*)> handler) {
        FModalHandler = std::move(handler);
    }
    const std::function<void(TCustomForm*)>& ModalHandler() const { return FModalHandler; }
    int ModalLevel() const { return FModalLevel; }

private:
    friend class TCustomForm;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    int FExitCode = 0;
    std::string FTitle;
    std::string FHint;
    bool FShowHint = true;
    bool FHandlingException = false;
    int FModalLevel = 0;
    TNotifyEvent FOnHint;
    void HintTimerMessage(TMessage& message);
    void ShowHintWindow();
    void SetHintControl(TControl* control);
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    TColor FHintColor = clInfoBk;
    TControl* FHintControl = nullptr; // the control whose hint is due or showing
    THintWindow* FHintWindow = nullptr;
    HWND FHintTimers = 0;
    bool FHintLeftShowing = false; // the mouse left a control whose hint was showing
    uint32_t FHintLeftAt = 0;
    TExceptionEvent FOnException;
    TIdleEvent FOnIdle;
    TShortCutEvent FOnShortCut;
    std::vector<std::pair<const void*, std::function<void()>>> FIdleHandlers;
    std::function<void(TCustomForm*)> FModalHandler;
};

// The application and the screen: created on first use and alive for the rest of the run.
template <class T> struct TGlobalObject {
    T* operator->() const { return Get(); }
    operator T*() const { return Get(); }
    T& operator*() const { return *Get(); }
    T* Get() const;
};
template <> TApplication* TGlobalObject<TApplication>::Get() const;
template <> TScreen* TGlobalObject<TScreen>::Get() const;
extern const TGlobalObject<TApplication> Application;
extern const TGlobalObject<TScreen> Screen;
void EnsureApplicationObjects();

// The part of a hint before "|" (the short hint) and after it (the long hint).
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

// Runs action once, when any part of the form's window is painted for the first time
// (the start-up time of a program is measured to that point).
void WhenFirstPainted(TCustomForm* form, std::function<void()> action);
