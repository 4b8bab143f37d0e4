#pragma once
// The owner-drawn status bar on the platform's status window: a collection of panels,
// each with a style that decides what it shows (text, a hosted control, a lock key, the
// date or time, an image with text, the caret of a rich-text editor, the current hint,
// the user's or the computer's name). Widths are pixels ("100") or a percentage ("30%")
// of what the fixed panels leave. Window timers refresh the clock (200), hint (300) and
// caret (400) panels; one keyboard hook repaints the lock-key panels of every live bar.

#include "controls/fxCollection.h"
#include "controls/fxText.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Menus.h"
#include "framework/gui/RichEdit.h"
#include "framework/gui/StatusWindow.h"

#include <memory>
#include <string>
#include <vector>

class TFxCustomStatusBar;
class TFxStatusPanel;

enum TFxStatusPanelStyle {
    psTextOnly,
    psControl,
    psOverWrite,
    psCapsLock,
    psNumLock,
    psDateTime,
    psDate,
    psTime,
    psGlyph,
    psRichEditStatus,
    psHint,
    psUserName,
    psComputerName,
    psScrollLock
};

enum TFxStatusPanelBevel { pbNone, pbLowered, pbRaised };

// Panel, var text, var enabled.
using TFxDrawTextEvent = TEvent<void(TFxStatusPanel*, std::string&, bool&)>;
// Sender, the text now shown.
using TFxPanelTextChangedEvent = TEvent<void(TObject*, const std::string&)>;
// Bar, panel, key is on, drawing rectangle, var caption.
using TDrawKeyboardStateEvent =
    TEvent<void(TFxCustomStatusBar*, TFxStatusPanel*, bool, const TRect&, std::string&)>;
// Bar, panel, drawing rectangle.
using TDrawPanelEvent = TEvent<void(TFxCustomStatusBar*, TFxStatusPanel*, const TRect&)>;

// The window timers of a bar.
constexpr uintptr_t kStatusClockTimer = 200;
constexpr uintptr_t kStatusHintTimer = 300;
constexpr uintptr_t kStatusCaretTimer = 400;

// The captions of the lock-key panels.
class TFxStatusBarText : public TPersistent {
    ORV_CLASS(TFxStatusBarText, TPersistent)
public:
    explicit TFxStatusBarText(TFxCustomStatusBar* bar) : FBar(bar) {}
    static void Publish(TPublisher<TFxStatusBarText>& p);

    const std::string& CapsLock() const { return FCapsLock; }
    void SetCapsLock(const std::string& value) { Change(FCapsLock, value); }
    const std::string& Overwrite() const { return FOverwrite; }
    void SetOverwrite(const std::string& value) { Change(FOverwrite, value); }
    const std::string& NumLock() const { return FNumLock; }
    void SetNumLock(const std::string& value) { Change(FNumLock, value); }
    const std::string& ScrollLock() const { return FScrollLock; }
    void SetScrollLock(const std::string& value) { Change(FScrollLock, value); }

    void AssignFrom(const TPersistent* source) override;

private:
    void Change(std::string& field, const std::string& value);
    TFxCustomStatusBar* FBar;
    std::string FCapsLock = "Caps";
    std::string FOverwrite = "Overwrite";
    std::string FNumLock = "Num";
    std::string FScrollLock = "Scroll";
};

class TFxStatusPanel : public TFxCollectionItem {
    ORV_CLASS(TFxStatusPanel, TFxCollectionItem)
public:
    explicit TFxStatusPanel(TCollection* collection);
    ~TFxStatusPanel() override;
    static void Publish(TPublisher<TFxStatusPanel>& p);

    std::string DisplayName() const override;
    // The first free name among the bar's panels: Panel0, Panel1, ...
    std::string DefaultName() const;
    TFxCustomStatusBar* StatusBar() const;

    // ---- Properties
    TFxStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TFxStatusPanelBevel value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TComponent* Component() const { return FComponent; }
    void SetComponent(TComponent* value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value) { FFont->AssignFrom(value); }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    int Indent() const { return FIndent; }
    void SetIndent(int value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    const std::string& Name() const { return FName; }
    void SetName(const std::string& value);
    TComponent* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TComponent* value);
    TFxStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TFxStatusPanelStyle value);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value);
    TFxCaptionText* TextOptions() const { return FTextOptions.get(); }
    void SetTextOptions(const TFxCaptionText* value) { FTextOptions->AssignFrom(value); }
    // "n" pixels or "n%" of what the fixed panels leave.
    const std::string& Width() const { return FWidth; }
    void SetWidth(const std::string& value);
    bool WidthNeedsStoring() const { return FWidth != "0"; }
    // The width in pixels the last layout gave the panel (-1: a percentage not resolved).
    int PixelWidth() const { return FPixelWidth; }
    // The Enabled value the last OnDrawText returned.
    bool IsTextEnabled() const { return FTextEnabled; }

    // ---- Events
    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent value) { FOnClick = std::move(value); }
    const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(TNotifyEvent value) { FOnDblClick = std::move(value); }
    const TFxDrawTextEvent& OnDrawText() const { return FOnDrawText; }
    void SetOnDrawText(TFxDrawTextEvent value) { FOnDrawText = std::move(value); }
    const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent value) { FOnMouseDown = std::move(value); }
    const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent value) { FOnMouseMove = std::move(value); }
    const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent value) { FOnMouseUp = std::move(value); }
    const TFxPanelTextChangedEvent& OnTextChanged() const { return FOnTextChanged; }
    void SetOnTextChanged(TFxPanelTextChangedEvent value) { FOnTextChanged = std::move(value); }

    // ---- Drawing
    // The part rectangle the status window reports for the panel's index.
    TRect PanelRect() const;
    // A panel-relative point in screen coordinates.
    TPoint PanelToScreen(const TPoint& p) const;
    // Draws the panel now through an off-screen bitmap (clock panels only on a change).
    void RepaintNow();
    // Draws the panel's content into the rectangle of the canvas.
    void DrawPanel(TCanvas* canvas, const TRect& rect);
    // Refreshes a clock panel's text; true when it changed.
    bool UpdateDateTimeText();
    // A removed component or pop-up menu is forgotten.
    void PanelNotification(TComponent* component, TOperation operation);

    // The bar's forwarded mouse events.
    void HandleClick();
    void HandleDblClick();
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void HandleMouseMove(TShiftState shift, int x, int y);
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    friend class TFxCustomStatusBar;
    friend class TFxStatusPanels;
    void MarkChanged();
    void FontChanged();
    void DrawControlPanel();
    void DrawGlyphPanel();
    void DrawKeyPanel();
    void DrawHintPanel();
    void DrawUserNamePanel();
    void DrawComputerNamePanel();
    void DrawRichEditPanel();
    // Takes the caret of the rich-text editor and repaints when it moved.
    void UpdateCaretPosition();
    // Stops the caret timer when this is the bar's last caret panel.
    void ReleaseCaretTimer();
    void DrawPanelText(const std::string& text, TRect rect, bool enabled);
    void FireTextChanged(const std::string& text);
    TRect DrawingRectFor(TRect rect) const;

    TCanvas* FCanvas = nullptr; // of the drawing in progress
    TRect FRect;
    int FCaretColumn = 0, FCaretLine = 0;
    TFxStatusPanelBevel FBevel = pbLowered;
    TColor FColor = clBtnFace;
    TComponent* FComponent = nullptr;
    bool FEnabled = true;
    bool FTextEnabled = true;
    std::unique_ptr<TFont> FFont;
    std::string FHint;
    int FImageIndex = 0;
    int FIndent = 0;
    int FMargin = 0;
    std::string FName;
    int FPixelWidth = 50;
    TComponent* FPopupMenu = nullptr;
    TFxStatusPanelStyle FStyle = psTextOnly;
    std::string FText;
    double FShownMoment = -1;
    std::unique_ptr<TFxCaptionText> FTextOptions;
    std::string FWidth = "50";
    int FTag = 0;
    bool FDrawingText = false;
    bool FMuteTextOptions = false;
    TNotifyEvent FOnClick, FOnDblClick;
    TFxDrawTextEvent FOnDrawText;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TFxPanelTextChangedEvent FOnTextChanged;
};

class TFxStatusPanels : public TFxCollection {
    ORV_CLASS(TFxStatusPanels, TFxCollection)
public:
    explicit TFxStatusPanels(TFxCustomStatusBar* bar);
    TFxStatusPanel* Add() { return static_cast<TFxStatusPanel*>(TCollection::Add()); }
    TFxStatusPanel* Items(int index) const {
        return static_cast<TFxStatusPanel*>(TCollection::Items(index));
    }
    TFxCustomStatusBar* StatusBar() const { return FBar; }
    // RepaintNow of every panel of the style.
    void RepaintStyle(TFxStatusPanelStyle style);
    // The last panel of that name, or nullptr.
    TFxStatusPanel* PanelByName(const std::string& name) const;

protected:
    void Update(TCollectionItem* item) override;

private:
    TFxCustomStatusBar* FBar;
};

class TFxCustomStatusBar : public TStatusWindow {
    ORV_CLASS(TFxCustomStatusBar, TStatusWindow)
public:
    explicit TFxCustomStatusBar(TComponent* owner);
    ~TFxCustomStatusBar() override;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    TFxStatusPanels* Panels() const { return FPanels.get(); }
    void SetPanels(const TFxStatusPanels* value) { FPanels->AssignFrom(value); }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::string& value);
    // The size grip shows when asked for and the parent is a sizeable form.
    bool SizeGrip() const;
    bool SizeGripFlag() const { return FSizeGrip; }
    void SetSizeGrip(bool value);
    TFxStatusBarText* StatusBarText() const { return FStatusBarText.get(); }
    void SetStatusBarText(const TFxStatusBarText* value) { FStatusBarText->AssignFrom(value); }

    const TDrawKeyboardStateEvent& OnDrawKeyboardState() const { return FOnDrawKeyboardState; }
    void SetOnDrawKeyboardState(TDrawKeyboardStateEvent value) {
        FOnDrawKeyboardState = std::move(value);
    }
    const TDrawPanelEvent& OnDrawPanel() const { return FOnDrawPanel; }
    void SetOnDrawPanel(TDrawPanelEvent value) { FOnDrawPanel = std::move(value); }

    // Sends the parts and every panel's text to the status window.
    void UpdatePanels();
    // The panel under the client point ((-1, -1): under the cursor), or nullptr.
    TFxStatusPanel* PanelAt(int x, int y) const;
    // Gives the panels their pixel widths.
    void LayoutPanelWidths();
    bool Resizing() const { return FResizing; }

    void AfterLoad() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    void HandleMessage(TMessage& message) override;
    void RequestRepaint() override;
    void Click() override;
    void DblClick() override;

    // The live bars of the process, oldest first.
    static const std::vector<TFxCustomStatusBar*>& LiveBars();

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;
    void HandleResize() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    friend class TFxStatusPanel;
    friend class TFxStatusPanels;
    void HandleDrawItem(TMessage& message);
    void PreparePanelDraw(TFxStatusPanel* panel, const TRect& rect);
    void HandleTimer(uintptr_t id);
    void SendPanelText(int index, bool invalidate);
    bool HasStyle(std::initializer_list<TFxStatusPanelStyle> styles,
                  const TFxStatusPanel* except = nullptr) const;
    void StartStyleTimer(TFxStatusPanelStyle style);
    // The right edge a panel is drawn to: the last one stops short of the size grip.
    TRect GripAdjusted(const TFxStatusPanel* panel, TRect rect) const;

    TSize FLastSize;
    TImageList* FImages = nullptr;
    std::unique_ptr<TFxStatusPanels> FPanels;
    bool FSimplePanel = false;
    std::string FSimpleText;
    bool FSizeGrip = true;
    bool FResizing = false;
    TDrawKeyboardStateEvent FOnDrawKeyboardState;
    TDrawPanelEvent FOnDrawPanel;
    std::unique_ptr<TFxStatusBarText> FStatusBarText;
};

class TFxStatusBar : public TFxCustomStatusBar {
    ORV_CLASS(TFxStatusBar, TFxCustomStatusBar)
public:
    explicit TFxStatusBar(TComponent* owner) : TFxCustomStatusBar(owner) {}
    static void Publish(TPublisher<TFxStatusBar>& p);
};
