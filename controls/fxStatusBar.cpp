#include "controls/fxStatusBar.h"

#include "controls/fxCommon.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Forms.h"
#include "framework/gui/PlatformCalls.h"
#include "framework/gui/WindowSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The most parts the bar sends to its status window.
constexpr int kMaxParts = 128;
// The buffer the platform's name calls fill (24 characters and the terminator).
constexpr std::size_t kNameBuffer = 25;

const TTypeInfo* PanelStyleType() {
    static const TTypeInfo type = MakeEnumType(
        "TFxStatusPanelStyle", {"psTextOnly", "psControl", "psOverWrite", "psCapsLock", "psNumLock",
                                "psDateTime", "psDate", "psTime", "psGlyph", "psRichEditStatus",
                                "psHint", "psUserName", "psComputerName", "psScrollLock"});
    return &type;
}

const TTypeInfo* PanelBevelType() {
    static const TTypeInfo type =
        MakeEnumType("TFxStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"});
    return &type;
}

bool IsClockStyle(TFxStatusPanelStyle style) {
    return style == psDateTime || style == psDate || style == psTime;
}

int KeyOfStyle(TFxStatusPanelStyle style) {
    switch (style) {
    case psOverWrite:
        return VK_INSERT;
    case psCapsLock:
        return VK_CAPITAL;
    case psNumLock:
        return VK_NUMLOCK;
    case psScrollLock:
        return VK_SCROLL;
    default:
        return 0;
    }
}

// A width text: pixels when it is an integer other than -1 (negative ones included); else
// an integer other than -1 followed by "%" (percent true). False for anything else.
bool ParseWidth(const std::string& text, int& value, bool& percent) {
    int v = 0;
    if (TryStrToInt(text, v) && v != -1) {
        value = v;
        percent = false;
        return true;
    }
    if (text.size() >= 2 && text.back() == '%' && TryStrToInt(text.substr(0, text.size() - 1), v) &&
        v != -1) {
        value = v;
        percent = true;
        return true;
    }
    return false;
}

// A 64-bit length held within an int.
int ClampToInt(int64_t value) {
    return int(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                   std::numeric_limits<int>::max()));
}

// percent × remainder div 100, truncated towards zero; a product beyond 64 bits (only
// widths far beyond any screen reach it) is held at the int limit of its sign.
int PercentOf(int percent, int64_t remainder) {
    int64_t product = 0;
    if (__builtin_mul_overflow(int64_t(percent), remainder, &product))
        return (percent < 0) != (remainder < 0) ? std::numeric_limits<int>::min()
                                                : std::numeric_limits<int>::max();
    return ClampToInt(product / 100);
}

// The live bars and the keyboard hook that repaints their lock-key panels; made when the
// unit starts and undone when it ends.
struct TStatusBarUnit {
    std::vector<TFxCustomStatusBar*> Bars;
    HHOOK Hook = 0;
    TStatusBarUnit();
    ~TStatusBarUnit() { UnhookKeyboardHook(Hook); }
};

TStatusBarUnit& Unit() {
    static TStatusBarUnit unit;
    return unit;
}

LRESULT LockKeyHookProc(int code, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallNextHookEx(Unit().Hook, code, wParam, lParam);
    TFxStatusPanelStyle style;
    switch (int(wParam)) {
    case VK_CAPITAL:
        style = psCapsLock;
        break;
    case VK_INSERT:
        style = psOverWrite;
        break;
    case VK_NUMLOCK:
        style = psNumLock;
        break;
    case VK_SCROLL:
        style = psScrollLock;
        break;
    default:
        return result;
    }
    for (TFxCustomStatusBar* bar : std::vector<TFxCustomStatusBar*>(Unit().Bars))
        bar->Panels()->RepaintStyle(style);
    return result;
}

TStatusBarUnit::TStatusBarUnit() {
    Hook = SetKeyboardHook(LockKeyHookProc);
}

// The unit starts with the program.
[[maybe_unused]] const TStatusBarUnit& kUnitStart = Unit();

} // namespace

// ---------------------------------------------------------------------------
// TFxStatusBarText

void TFxStatusBarText::Publish(TPublisher<TFxStatusBarText>& p) {
    using T = TFxStatusBarText;
    p.String("CapsLock", &T::CapsLock, &T::SetCapsLock).Default("Caps");
    p.String("NumLock", &T::NumLock, &T::SetNumLock).Default("Num");
    p.String("Overwrite", &T::Overwrite, &T::SetOverwrite).Default("Overwrite");
    p.String("ScrollLock", &T::ScrollLock, &T::SetScrollLock).Default("Scroll");
}

void TFxStatusBarText::Change(std::string& field, const std::string& value) {
    if (field == value)
        return;
    field = value;
    if (FBar)
        FBar->Invalidate();
}

void TFxStatusBarText::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TFxStatusBarText*>(source)) {
        SetCapsLock(s->FCapsLock);
        SetOverwrite(s->FOverwrite);
        SetNumLock(s->FNumLock);
        SetScrollLock(s->FScrollLock);
        return;
    }
    TPersistent::AssignFrom(source);
}

// ---------------------------------------------------------------------------
// TFxStatusPanel

TFxStatusPanel::TFxStatusPanel(TCollection* collection)
    : TFxCollectionItem(collection), FFont(std::make_unique<TFont>()) {
    if (TFxCustomStatusBar* bar = StatusBar())
        FFont->AssignFrom(bar->Font());
    FFont->SetOnChange(TNotifyEvent([this](TObject*) { FontChanged(); }));
    FTextOptions = std::make_unique<TFxCaptionText>(
        nullptr, FFont.get(),
        [this](int, int) {
            if (!FMuteTextOptions)
                MarkChanged();
        },
        nullptr, [this] { return FTextEnabled; });
    FTextOptions->SetVAlignment(vaVCenter);
    FName = DefaultName();
}

TFxStatusPanel::~TFxStatusPanel() {
    // A hosted control stays with the form.
    FComponent = nullptr;
}

void TFxStatusPanel::Publish(TPublisher<TFxStatusPanel>& p) {
    using T = TFxStatusPanel;
    p.Enum("Bevel", PanelBevelType(), &T::Bevel, &T::SetBevel).Default(pbLowered);
    p.Ordinal("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(int64_t(clBtnFace));
    p.Class("Component", TComponent::StaticClass(), &T::Component, &T::SetComponent);
    p.Bool("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont);
    p.String("Hint", &T::Hint, &T::SetHint);
    p.Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(0);
    p.Integer("Indent", &T::Indent, &T::SetIndent).Default(0);
    p.Integer("Margin", &T::Margin, &T::SetMargin).Default(0);
    p.String("Name", &T::Name, &T::SetName);
    p.Class("PopupMenu", TComponent::StaticClass(), &T::PopupMenu, &T::SetPopupMenu);
    p.Enum("Style", PanelStyleType(), &T::Style, &T::SetStyle).Default(psTextOnly);
    p.Integer("Tag", &T::Tag, &T::SetTag).Default(0);
    p.String("Text", &T::Text, &T::SetText);
    p.Class("TextOptions", TFxCaptionText::StaticClass(), &T::TextOptions, &T::SetTextOptions);
    p.String("Width", &T::Width, &T::SetWidth)
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return static_cast<const T*>(o)->WidthNeedsStoring(); }));
    p.Event("OnClick", &T::OnClick, &T::SetOnClick);
    p.Event("OnDblClick", &T::OnDblClick, &T::SetOnDblClick);
    p.Event("OnDrawText", &T::OnDrawText, &T::SetOnDrawText);
    p.Event("OnMouseDown", &T::OnMouseDown, &T::SetOnMouseDown);
    p.Event("OnMouseMove", &T::OnMouseMove, &T::SetOnMouseMove);
    p.Event("OnMouseUp", &T::OnMouseUp, &T::SetOnMouseUp);
    p.Event("OnTextChanged", &T::OnTextChanged, &T::SetOnTextChanged);
}

TFxCustomStatusBar* TFxStatusPanel::StatusBar() const {
    auto* panels = dynamic_cast<TFxStatusPanels*>(Collection());
    return panels ? panels->StatusBar() : nullptr;
}

std::string TFxStatusPanel::DisplayName() const {
    return FName.empty() ? TFxCollectionItem::DisplayName() : FName;
}

std::string TFxStatusPanel::DefaultName() const {
    TCollection* c = Collection();
    for (int n = 0;; ++n) {
        std::string name = "Panel" + std::to_string(n);
        bool taken = false;
        for (int i = 0; c && i < c->Count() && !taken; ++i) {
            auto* other = static_cast<TFxStatusPanel*>(c->Items(i));
            taken = other != this && other->FName == name;
        }
        if (!taken)
            return name;
    }
}

void TFxStatusPanel::MarkChanged() {
    Changed(false);
}

void TFxStatusPanel::FontChanged() {
    if (FStyle == psControl)
        if (auto* control = dynamic_cast<TControl*>(FComponent))
            control->SetFont(FFont.get());
    MarkChanged();
}

void TFxStatusPanel::SetBevel(TFxStatusPanelBevel value) {
    FBevel = value;
    MarkChanged();
}

void TFxStatusPanel::SetColor(TColor value) {
    FColor = value;
    MarkChanged();
}

void TFxStatusPanel::SetImageIndex(int value) {
    FImageIndex = value;
    MarkChanged();
}

void TFxStatusPanel::SetIndent(int value) {
    FIndent = value;
    MarkChanged();
}

void TFxStatusPanel::SetMargin(int value) {
    FMargin = value;
    MarkChanged();
}

void TFxStatusPanel::SetEnabled(bool value) {
    FEnabled = value;
    if (FStyle == psControl)
        if (auto* control = dynamic_cast<TControl*>(FComponent))
            control->SetEnabled(value);
    MarkChanged();
}

void TFxStatusPanel::SetHint(const std::string& value) {
    FHint = value;
    if (FStyle == psControl)
        if (auto* control = dynamic_cast<TControl*>(FComponent))
            control->SetHint(value);
    MarkChanged();
}

void TFxStatusPanel::SetText(const std::string& value) {
    if (value == FText)
        return;
    FText = value;
    FireTextChanged(FText);
    RepaintNow();
}

void TFxStatusPanel::FireTextChanged(const std::string& text) {
    if (FOnTextChanged)
        FOnTextChanged(this, text);
}

void TFxStatusPanel::SetName(const std::string& value) {
    if (value == FName)
        return;
    if (TCollection* c = Collection())
        for (int i = 0; i < c->Count(); ++i) {
            auto* other = static_cast<TFxStatusPanel*>(c->Items(i));
            if (other != this && other->FName == value)
                throw EInvalidOperation(Format("A panel named %s already exists.", {value}));
        }
    FName = value;
    MarkChanged();
    NotifyItemNameChange(this);
}

void TFxStatusPanel::SetPopupMenu(TComponent* value) {
    FPopupMenu = value;
    if (value)
        if (TFxCustomStatusBar* bar = StatusBar())
            value->FreeNotification(bar);
}

void TFxStatusPanel::SetWidth(const std::string& value) {
    if (value == FWidth)
        return;
    int pixels = 0;
    bool percent = false;
    if (!ParseWidth(value, pixels, percent))
        throw EInvalidOperation(
            "Width must be a valid, positive integer, or must be an integer followed by a "
            "\"%\" sign.");
    FWidth = value;
    FPixelWidth = percent ? 0 : pixels;
    if (TFxCustomStatusBar* bar = StatusBar()) {
        bar->LayoutPanelWidths();
        bar->UpdatePanels();
    }
}

void TFxStatusPanel::SetComponent(TComponent* value) {
    if (value == FComponent)
        return;
    TFxCustomStatusBar* bar = StatusBar();
    if (value && value == bar)
        throw EInvalidOperation("Control cannot equal parent StatusBar");
    // A control held so far goes back to the form that holds the bar.
    if (auto* old = dynamic_cast<TControl*>(FComponent); old && !old->IsDestroying() && bar)
        if (TCustomForm* form = GetParentForm(bar))
            old->SetParent(form);
    FComponent = value;
    if (value && bar)
        value->FreeNotification(bar);
    if (!value) {
        ReleaseCaretTimer();
        FStyle = psTextOnly;
    } else if (dynamic_cast<TCustomRichEdit*>(value))
        SetStyle(psRichEditStatus);
    else
        SetStyle(psControl);
    MarkChanged();
}

void TFxStatusPanel::SetStyle(TFxStatusPanelStyle value) {
    if (value == FStyle)
        return;
    TFxCustomStatusBar* bar = StatusBar();
    bool window = bar && bar->HandleAllocated();
    if (window) {
        if (FStyle == psRichEditStatus && !bar->HasStyle({psRichEditStatus}, this))
            KillTimer(bar->Handle(), kStatusCaretTimer);
        if (FStyle == psHint && !bar->HasStyle({psHint}, this))
            KillTimer(bar->Handle(), kStatusHintTimer);
        if (IsClockStyle(FStyle) && !bar->HasStyle({psDateTime, psDate, psTime}, this))
            KillTimer(bar->Handle(), kStatusClockTimer);
    }
    FStyle = value;
    if (value == psControl && FComponent) {
        // One control is hosted by one panel of all live bars.
        for (TFxCustomStatusBar* other : TFxCustomStatusBar::LiveBars())
            for (int i = 0; i < other->Panels()->Count(); ++i) {
                TFxStatusPanel* panel = other->Panels()->Items(i);
                if (panel != this && panel->FComponent == FComponent) {
                    panel->FComponent = nullptr;
                    panel->FStyle = psTextOnly;
                    panel->MarkChanged();
                }
            }
    }
    if (bar)
        bar->StartStyleTimer(value);
    MarkChanged();
}

void TFxStatusPanel::ReleaseCaretTimer() {
    // A caret panel that lets its editor go leaves no caret to follow: the timer stops
    // with the last one.
    TFxCustomStatusBar* bar = StatusBar();
    if (FStyle == psRichEditStatus && bar && bar->HandleAllocated() &&
        !bar->HasStyle({psRichEditStatus}, this))
        KillTimer(bar->Handle(), kStatusCaretTimer);
}

void TFxStatusPanel::PanelNotification(TComponent* component, TOperation operation) {
    if (operation != opRemove)
        return;
    if (component == FComponent) {
        FComponent = nullptr;
        ReleaseCaretTimer();
        FStyle = psTextOnly;
        MarkChanged();
    }
    if (component == FPopupMenu)
        FPopupMenu = nullptr;
}

void TFxStatusPanel::CopyInto(TPersistent* dest) const {
    auto* p = dynamic_cast<TFxStatusPanel*>(dest);
    if (!p) {
        TFxCollectionItem::CopyInto(dest);
        return;
    }
    p->SetBevel(FBevel);
    p->SetColor(FColor);
    p->SetComponent(FComponent);
    p->SetEnabled(FEnabled);
    p->SetFont(FFont.get());
    p->SetHint(FHint);
    p->SetImageIndex(FImageIndex);
    p->SetIndent(FIndent);
    p->SetMargin(FMargin);
    p->SetPopupMenu(FPopupMenu);
    p->SetStyle(FStyle);
    p->SetText(FText);
    p->SetWidth(FWidth);
    p->FOnClick = FOnClick;
    p->FOnDblClick = FOnDblClick;
    p->FOnDrawText = FOnDrawText;
    p->FOnMouseDown = FOnMouseDown;
    p->FOnMouseMove = FOnMouseMove;
    p->FOnMouseUp = FOnMouseUp;
    p->FOnTextChanged = FOnTextChanged;
}

TRect TFxStatusPanel::PanelRect() const {
    TRect r;
    TFxCustomStatusBar* bar = StatusBar();
    if (bar && bar->HandleAllocated())
        bar->Perform(SB_GETRECT, WPARAM(Index()), LPARAM(&r));
    return r;
}

TPoint TFxStatusPanel::PanelToScreen(const TPoint& p) const {
    TFxCustomStatusBar* bar = StatusBar();
    TRect r = PanelRect();
    TPoint client(r.Left + p.X, r.Top + p.Y);
    return bar ? bar->ClientToScreen(client) : client;
}

bool TFxStatusPanel::UpdateDateTimeText() {
    TDateTime now = Now();
    std::string text;
    switch (FStyle) {
    case psDateTime:
        text = FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, now);
        FShownMoment = now;
        break;
    case psDate:
        text = FormatDateTime(ShortDateFormat, now);
        FShownMoment = std::floor(now);
        break;
    case psTime:
        text = FormatDateTime(ShortTimeFormat, now);
        FShownMoment = now - std::floor(now);
        break;
    default:
        return false;
    }
    if (text == FText)
        return false;
    FText = text;
    FireTextChanged(FText);
    return true;
}

TRect TFxStatusPanel::DrawingRectFor(TRect rect) const {
    if (TFxCustomStatusBar* bar = StatusBar())
        return bar->GripAdjusted(this, rect);
    return rect;
}

void TFxStatusPanel::RepaintNow() {
    TFxCustomStatusBar* bar = StatusBar();
    if (!bar || bar->IsLoading() || !bar->HandleAllocated() || Index() >= kMaxParts)
        return;
    if (!bar->Resizing() && IsClockStyle(FStyle) && FShownMoment >= 0) {
        TDateTime now = Now();
        double value = FStyle == psDate   ? std::floor(now)
                       : FStyle == psTime ? now - std::floor(now)
                                          : now;
        if (value == FShownMoment)
            return;
    }
    TRect r = FRect;
    if (r.IsEmpty()) {
        // Never drawn yet: the part inside its bevel.
        r = PanelRect();
        if (FBevel != pbNone)
            InflateRect(r, -1, -1);
        r = DrawingRectFor(r);
    }
    if (r.Width() < 1 || r.Height() < 1)
        return;
    TBitmap buffer(r.Width(), r.Height());
    TCanvas* c = buffer.Canvas();
    c->Font()->AssignFrom(bar->Font());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    TRect saved = FRect;
    DrawPanel(c, TRect(0, 0, r.Width(), r.Height()));
    FRect = saved.IsEmpty() ? r : saved;
    bar->Canvas()->Draw(r.Left, r.Top, &buffer);
}

void TFxStatusPanel::DrawPanel(TCanvas* canvas, const TRect& rect) {
    TCanvas* savedCanvas = FCanvas;
    TRect savedRect = FRect;
    FCanvas = canvas;
    FRect = rect;
    struct TRestore {
        TFxStatusPanel* Panel;
        TCanvas* Canvas;
        TRect Rect;
        ~TRestore() {
            Panel->FCanvas = Canvas;
            Panel->FRect = Rect;
        }
    } restore{this, savedCanvas, savedRect};
    if (IsClockStyle(FStyle))
        UpdateDateTimeText();
    if (FStyle != psControl) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(FColor);
        canvas->FillRect(rect);
    }
    switch (FStyle) {
    case psTextOnly:
    case psDateTime:
    case psDate:
    case psTime:
        DrawPanelText(FText, rect, FEnabled);
        break;
    case psControl:
        DrawControlPanel();
        break;
    case psOverWrite:
    case psCapsLock:
    case psNumLock:
    case psScrollLock:
        DrawKeyPanel();
        break;
    case psGlyph:
        DrawGlyphPanel();
        break;
    case psRichEditStatus:
        DrawRichEditPanel();
        break;
    case psHint:
        DrawHintPanel();
        break;
    case psUserName:
        DrawUserNamePanel();
        break;
    case psComputerName:
        DrawComputerNamePanel();
        break;
    }
}

void TFxStatusPanel::DrawPanelText(const std::string& text, TRect rect, bool enabled) {
    if (FDrawingText || !FCanvas)
        return;
    TFxBusyFlag busy(FDrawingText);
    rect.Left += 2 + FIndent;
    rect.Right -= 2;
    FCanvas->Font()->AssignFrom(FFont.get());
    std::string drawn = text;
    bool drawEnabled = enabled;
    if (FOnDrawText) {
        // Changes the handler makes to the text options do not repaint the panel.
        FMuteTextOptions = true;
        struct TMute {
            bool& Flag;
            ~TMute() { Flag = false; }
        } mute{FMuteTextOptions};
        FOnDrawText(this, drawn, drawEnabled);
    }
    FTextEnabled = drawEnabled;
    FCanvas->Brush()->SetStyle(bsClear);
    FTextOptions->SetCanvas(FCanvas);
    FTextOptions->SetFont(FFont.get());
    FTextOptions->SetText(drawn);
    FTextOptions->SetDrawRect(rect);
    FTextOptions->Draw();
    if (drawn != FText)
        FireTextChanged(drawn);
}

void TFxStatusPanel::DrawKeyPanel() {
    FText.clear();
    TFxCustomStatusBar* bar = StatusBar();
    std::string caption;
    if (bar) {
        TFxStatusBarText* t = bar->StatusBarText();
        caption = FStyle == psOverWrite  ? t->Overwrite()
                  : FStyle == psCapsLock ? t->CapsLock()
                  : FStyle == psNumLock  ? t->NumLock()
                                         : t->ScrollLock();
    }
    bool keyIsOn = (GetKeyState(KeyOfStyle(FStyle)) & 1) != 0;
    if (bar && bar->OnDrawKeyboardState())
        bar->OnDrawKeyboardState()(bar, this, keyIsOn, FRect, caption);
    DrawPanelText(caption, FRect, keyIsOn);
}

void TFxStatusPanel::DrawControlPanel() {
    auto* control = dynamic_cast<TControl*>(FComponent);
    TFxCustomStatusBar* bar = StatusBar();
    if (!control || !bar || bar->IsLoading())
        return;
    if (control->Parent() != bar)
        control->SetParent(bar);
    DrawPanelText(FText, FRect, FEnabled);
    TRect r = FRect;
    if (!FText.empty()) {
        // The text's extent inside the panel, as the renderer placed it.
        int textWidth = FCanvas->TextWidth(FText);
        TAlignment alignment = FTextOptions->Alignment();
        if (alignment == taLeftJustify)
            r.Left = FRect.Left + 2 + FIndent + textWidth + 2;
        else if (alignment == taRightJustify)
            r.Right = FRect.Right - 2 - textWidth - 2;
    }
    InflateRect(r, -FMargin, -FMargin);
    if (r.Width() > 0 && r.Height() > 0) {
        control->SetBoundsRect(r);
        if (auto* w = dynamic_cast<TWinControl*>(control))
            w->Repaint();
    }
}

void TFxStatusPanel::DrawGlyphPanel() {
    TRect r = FRect;
    TFxCustomStatusBar* bar = StatusBar();
    TImageList* images = bar ? bar->Images() : nullptr;
    if (images && FImageIndex >= 0 && FImageIndex < images->Count()) {
        images->Draw(FCanvas, FRect.Left + FMargin,
                     FRect.Top + (FRect.Height() - images->Height()) / 2, FImageIndex, FEnabled);
        r.Left = FRect.Left + images->Width() + 5;
    }
    DrawPanelText(FText, r, FEnabled);
}

void TFxStatusPanel::DrawRichEditPanel() {
    DrawPanelText("Ln: " + std::to_string(FCaretLine + 1) +
                      ", Col: " + std::to_string(FCaretColumn + 1),
                  FRect, FEnabled);
}

void TFxStatusPanel::UpdateCaretPosition() {
    auto* editor = dynamic_cast<TCustomRichEdit*>(FComponent);
    if (!editor)
        return;
    int start = editor->SelStart();
    int line = editor->LineFromChar(start);
    int column = start - editor->LineIndex(-1);
    if (start - editor->LineIndex(line) != column)
        --line;
    if (line == FCaretLine && column == FCaretColumn)
        return;
    FCaretLine = line;
    FCaretColumn = column;
    RepaintNow();
}

void TFxStatusPanel::DrawHintPanel() {
    DrawPanelText(Application->Hint(), FRect, FEnabled);
}

void TFxStatusPanel::DrawUserNamePanel() {
    std::string name;
    if (GetUserName(name, kNameBuffer))
        DrawPanelText(name, FRect, FEnabled);
}

void TFxStatusPanel::DrawComputerNamePanel() {
    std::string name;
    GetComputerName(name, kNameBuffer);
    DrawPanelText(name, FRect, FEnabled);
}

void TFxStatusPanel::HandleClick() {
    if (FOnClick)
        FOnClick(this);
}

void TFxStatusPanel::HandleDblClick() {
    if (FOnDblClick)
        FOnDblClick(this);
    int key = KeyOfStyle(FStyle);
    if (!key)
        return;
    // The key is pressed and released as if typed; the rest of the keyboard state is
    // left as it was.
    uint8_t state[256];
    GetKeyboardState(state);
    SynthesizeKey(key, 0);
    SynthesizeKey(key, KEYEVENTF_KEYUP);
    uint8_t after[256];
    GetKeyboardState(after);
    state[key] = uint8_t((state[key] & ~1) | (after[key] & 1));
    SetKeyboardState(state);
}

void TFxStatusPanel::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseDown)
        FOnMouseDown(this, button, shift, x, y);
    if (button == mbRight)
        if (auto* menu = dynamic_cast<IPopupMenu*>(FPopupMenu)) {
            TFxCustomStatusBar* bar = StatusBar();
            TPoint screen = bar ? bar->ClientToScreen(TPoint(x, y)) : TPoint(x, y);
            menu->PopupFor(bar, screen.X, screen.Y);
        }
}

void TFxStatusPanel::HandleMouseMove(TShiftState shift, int x, int y) {
    if (FOnMouseMove)
        FOnMouseMove(this, shift, x, y);
    TFxCustomStatusBar* bar = StatusBar();
    if (bar && bar->Hint() != FHint) {
        Application->CancelHint();
        bar->SetHint(FHint);
    }
}

void TFxStatusPanel::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseUp)
        FOnMouseUp(this, button, shift, x, y);
}

// ---------------------------------------------------------------------------
// TFxStatusPanels

TFxStatusPanels::TFxStatusPanels(TFxCustomStatusBar* bar)
    : TFxCollection(
          [](TCollection* c) -> TCollectionItem* {
              // The collection hears of the new panel once it is whole.
              c->BeginUpdate();
              TFxStatusPanel* panel = nullptr;
              try {
                  panel = new TFxStatusPanel(c);
              } catch (...) {
                  c->EndUpdate();
                  throw;
              }
              c->EndUpdate();
              return panel;
          },
          bar),
      FBar(bar) {}

void TFxStatusPanels::Update(TCollectionItem* item) {
    if (!FBar || FBar->IsDestroying())
        return;
    if (auto* panel = dynamic_cast<TFxStatusPanel*>(item)) {
        if (FBar->HandleAllocated() && panel->Index() < kMaxParts)
            FBar->SendPanelText(panel->Index(), true);
        return;
    }
    FBar->LayoutPanelWidths();
    FBar->UpdatePanels();
}

void TFxStatusPanels::RepaintStyle(TFxStatusPanelStyle style) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Style() == style)
            Items(i)->RepaintNow();
}

TFxStatusPanel* TFxStatusPanels::PanelByName(const std::string& name) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (Items(i)->Name() == name)
            return Items(i);
    return nullptr;
}

// ---------------------------------------------------------------------------
// TFxCustomStatusBar

TFxCustomStatusBar::TFxCustomStatusBar(TComponent* owner)
    : TStatusWindow(owner), FStatusBarText(std::make_unique<TFxStatusBarText>(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks});
    SetColor(clBtnFace);
    SetHeight(20);
    SetAlign(alBottom);
    FPanels = std::make_unique<TFxStatusPanels>(this);
    Unit().Bars.push_back(this);
}

TFxCustomStatusBar::~TFxCustomStatusBar() {
    std::erase(Unit().Bars, this);
    TComponent::Destroying();
    DestroyHandle();
    FPanels.reset();
}

const std::vector<TFxCustomStatusBar*>& TFxCustomStatusBar::LiveBars() {
    return Unit().Bars;
}

void TFxStatusBar::Publish(TPublisher<TFxStatusBar>& p) {
    using T = TFxCustomStatusBar;
    p.Class("Images", TImageList::StaticClass(), &T::Images, &T::SetImages);
    p.Class("Panels", TFxStatusPanels::StaticClass(), &T::Panels, &T::SetPanels);
    p.Bool("SimplePanel", &T::SimplePanel, &T::SetSimplePanel).Default(false);
    p.String("SimpleText", &T::SimpleText, &T::SetSimpleText);
    p.Bool("SizeGrip", &T::SizeGripFlag, &T::SetSizeGrip).Default(true);
    p.Class("StatusBarText", TFxStatusBarText::StaticClass(), &T::StatusBarText,
            &T::SetStatusBarText);
    p.Event("OnDrawKeyboardState", &T::OnDrawKeyboardState, &T::SetOnDrawKeyboardState);
    p.Event("OnDrawPanel", &T::OnDrawPanel, &T::SetOnDrawPanel);
}

void TFxCustomStatusBar::SetImages(TImageList* value) {
    if (value == FImages)
        return;
    FImages = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

void TFxCustomStatusBar::SetSimplePanel(bool value) {
    FSimplePanel = value;
    if (HandleAllocated())
        Perform(SB_SIMPLE, value ? 1 : 0);
}

void TFxCustomStatusBar::SetSimpleText(const std::string& value) {
    if (value == FSimpleText)
        return;
    FSimpleText = value;
    if (HandleAllocated())
        Perform(SB_SETTEXT, SB_SIMPLEID, LPARAM(FSimpleText.c_str()));
}

bool TFxCustomStatusBar::SizeGrip() const {
    auto* form = dynamic_cast<TCustomForm*>(Parent());
    return FSizeGrip && form &&
           (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin);
}

void TFxCustomStatusBar::SetSizeGrip(bool value) {
    FSizeGrip = value;
    RecreateWnd();
}

void TFxCustomStatusBar::PrepareWindowParams(TCreateParams& params) {
    if (!InitCommonControlsEx(ICC_BAR_CLASSES))
        InitCommonControls();
    TStatusWindow::PrepareWindowParams(params);
    params.Style |= SizeGrip() ? SBARS_SIZEGRIP : CCS_TOP;
    params.ClassStyle &= ~CS_HREDRAW;
}

void TFxCustomStatusBar::AfterWindowCreated() {
    TStatusWindow::AfterWindowCreated();
    UpdatePanels();
    if (!FSimpleText.empty())
        Perform(SB_SETTEXT, SB_SIMPLEID, LPARAM(FSimpleText.c_str()));
    if (FSimplePanel)
        Perform(SB_SIMPLE, 1);
    if (HasStyle({psHint}))
        SetTimer(Handle(), kStatusHintTimer, 100);
    if (HasStyle({psDateTime, psDate, psTime}))
        SetTimer(Handle(), kStatusClockTimer, 1000);
    if (HasStyle({psRichEditStatus}))
        SetTimer(Handle(), kStatusCaretTimer, 100);
}

void TFxCustomStatusBar::BeforeWindowDestroyed() {
    Perform(SB_SETTEXT, 0, LPARAM(""));
    KillTimer(Handle(), kStatusClockTimer);
    KillTimer(Handle(), kStatusHintTimer);
    KillTimer(Handle(), kStatusCaretTimer);
    TStatusWindow::BeforeWindowDestroyed();
}

bool TFxCustomStatusBar::HasStyle(std::initializer_list<TFxStatusPanelStyle> styles,
                                  const TFxStatusPanel* except) const {
    if (!FPanels)
        return false;
    for (int i = 0; i < FPanels->Count(); ++i) {
        TFxStatusPanel* panel = FPanels->Items(i);
        if (panel != except &&
            std::find(styles.begin(), styles.end(), panel->Style()) != styles.end())
            return true;
    }
    return false;
}

void TFxCustomStatusBar::StartStyleTimer(TFxStatusPanelStyle style) {
    if (!HandleAllocated())
        return;
    if (IsClockStyle(style))
        SetTimer(Handle(), kStatusClockTimer, 1000);
    else if (style == psRichEditStatus)
        SetTimer(Handle(), kStatusCaretTimer, 100);
    else if (style == psHint)
        SetTimer(Handle(), kStatusHintTimer, 100);
}

void TFxCustomStatusBar::SendPanelText(int index, bool invalidate) {
    TFxStatusPanel* panel = FPanels->Items(index);
    std::string text = panel->Text();
    TAlignment alignment = panel->TextOptions()->Alignment();
    if (alignment == taRightJustify)
        text = "\t\t" + text;
    else if (alignment == taCenter)
        text = "\t" + text;
    UINT flags = SBT_OWNERDRAW;
    if (panel->Bevel() == pbNone)
        flags |= SBT_NOBORDERS;
    else if (panel->Bevel() == pbRaised)
        flags |= SBT_POPOUT;
    Perform(SB_SETTEXT, WPARAM(index) | flags, LPARAM(text.c_str()));
    if (invalidate) {
        TRect r;
        if (Perform(SB_GETRECT, WPARAM(index), LPARAM(&r)))
            InvalidateRect(&r);
    }
}

void TFxCustomStatusBar::UpdatePanels() {
    if (!HandleAllocated() || !FPanels)
        return;
    int n = std::min(FPanels->Count(), kMaxParts);
    if (n == 0) {
        // One plain part to the right edge with no text.
        int edge = -1;
        Perform(SB_SETPARTS, 1, LPARAM(&edge));
        Perform(SB_SETTEXT, 0, LPARAM(""));
        return;
    }
    std::vector<int> edges(size_t(n), -1);
    int64_t sum = 0;
    for (int i = 0; i < n - 1; ++i) {
        sum += FPanels->Items(i)->PixelWidth();
        edges[size_t(i)] = ClampToInt(sum);
    }
    Perform(SB_SETPARTS, WPARAM(n), LPARAM(edges.data()));
    for (int i = 0; i < n; ++i)
        SendPanelText(i, false);
}

void TFxCustomStatusBar::LayoutPanelWidths() {
    if (IsLoading() || Width() == 0 || !FPanels)
        return;
    const int barWidth = Width();
    // Pixel widths may be negative and percentages above 100, so the sums run in 64 bits.
    int64_t fixed = 0;
    bool anyPercent = false;
    for (int i = 0; i < FPanels->Count(); ++i) {
        TFxStatusPanel* panel = FPanels->Items(i);
        int value = 0;
        bool percent = false;
        ParseWidth(panel->Width(), value, percent);
        anyPercent = anyPercent || percent;
        const int64_t w = percent ? -1 : value;
        panel->FPixelWidth = ClampToInt(std::min(barWidth - fixed, w));
        if (panel->FPixelWidth != -1)
            fixed += panel->FPixelWidth;
    }
    const int64_t remainder = barWidth - fixed;
    for (int i = 0; i < FPanels->Count(); ++i) {
        TFxStatusPanel* panel = FPanels->Items(i);
        if (panel->FPixelWidth != -1 || remainder <= 0)
            continue;
        int value = 0;
        bool percent = false;
        ParseWidth(panel->Width(), value, percent);
        panel->FPixelWidth = PercentOf(value, remainder);
    }
    if (FLastSize == TSize(0, 0) || FLastSize.cy != Height())
        UpdatePanels();
    else if (HandleAllocated()) {
        TRect strip(barWidth - 25, 0, barWidth, Height());
        if (barWidth > FLastSize.cx)
            strip.Left = FLastSize.cx - 25;
        InvalidateRect(&strip);
    }
    FLastSize = TSize(barWidth, Height());
    if (anyPercent)
        UpdatePanels();
}

TRect TFxCustomStatusBar::GripAdjusted(const TFxStatusPanel* panel, TRect rect) const {
    if (FPanels && panel->Index() == FPanels->Count() - 1 && HasSizeGripStyle())
        rect.Right -= std::min(23, GetSystemMetrics(SM_CXVSCROLL) + 1);
    return rect;
}

void TFxCustomStatusBar::PreparePanelDraw(TFxStatusPanel* panel, const TRect& rect) {
    TRect r = GripAdjusted(panel, rect);
    panel->DrawPanel(panel->FCanvas, r);
    panel->FRect = r;
    if (FOnDrawPanel)
        FOnDrawPanel(this, panel, r);
}

void TFxCustomStatusBar::HandleDrawItem(TMessage& message) {
    auto* dis = reinterpret_cast<TDrawItemStruct*>(message.LParam);
    message.Result = 1;
    if (!dis || !dis->Canvas)
        return;
    // A window whose parts disagree with the panels is made again (more panels than
    // the window holds compare with the most it holds).
    if (PartCount() != std::min(FPanels->Count(), kMaxParts)) {
        PostMessage(Handle(), CM_RECREATEWND);
        return;
    }
    int index = int(dis->ItemID);
    if (index < 0 || index >= FPanels->Count())
        return;
    TCanvas* canvas = dis->Canvas;
    int saved = canvas->SaveDC();
    canvas->Font()->AssignFrom(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    TFxStatusPanel* panel = FPanels->Items(index);
    TCanvas* previous = panel->FCanvas;
    panel->FCanvas = canvas;
    PreparePanelDraw(panel, dis->RcItem);
    panel->FCanvas = previous;
    canvas->RestoreDC(saved);
}

void TFxCustomStatusBar::HandleTimer(uintptr_t id) {
    switch (id) {
    case kStatusClockTimer:
        for (int i = 0; i < FPanels->Count(); ++i)
            if (IsClockStyle(FPanels->Items(i)->Style()))
                FPanels->Items(i)->RepaintNow();
        break;
    case kStatusHintTimer:
        for (int i = 0; i < FPanels->Count(); ++i)
            if (FPanels->Items(i)->Style() == psHint)
                FPanels->Items(i)->SetText(Application->Hint());
        break;
    case kStatusCaretTimer:
        for (int i = 0; i < FPanels->Count(); ++i)
            if (FPanels->Items(i)->Style() == psRichEditStatus)
                FPanels->Items(i)->UpdateCaretPosition();
        break;
    default:
        break;
    }
}

void TFxCustomStatusBar::HandleResize() {
    TFxBusyFlag busy(FResizing);
    if (Parent() && !IsLoading() && !IsDestroying() && FPanels) {
        LayoutPanelWidths();
        for (int i = 0; i < FPanels->Count(); ++i)
            if (!FPanels->Items(i)->Component() ||
                dynamic_cast<TCustomRichEdit*>(FPanels->Items(i)->Component()))
                FPanels->Items(i)->RepaintNow();
    }
    TStatusWindow::HandleResize();
}

void TFxCustomStatusBar::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_DRAWITEM:
        HandleDrawItem(message);
        return;
    case WM_TIMER:
        HandleTimer(uintptr_t(message.WParam));
        return;
    case CM_RECREATEWND:
        RecreateWnd();
        return;
    default:
        TStatusWindow::HandleMessage(message);
    }
}

void TFxCustomStatusBar::RequestRepaint() {
    if (!IsLoading())
        TStatusWindow::RequestRepaint();
}

void TFxCustomStatusBar::AfterLoad() {
    TStatusWindow::AfterLoad();
    LayoutPanelWidths();
}

void TFxCustomStatusBar::ComponentNotification(TComponent* component, TOperation operation) {
    TStatusWindow::ComponentNotification(component, operation);
    if (component != this && FPanels)
        for (int i = 0; i < FPanels->Count(); ++i)
            FPanels->Items(i)->PanelNotification(component, operation);
    if (operation == opRemove && component == FImages)
        FImages = nullptr;
}

TFxStatusPanel* TFxCustomStatusBar::PanelAt(int x, int y) const {
    TPoint p(x, y);
    if (x == -1 && y == -1) {
        GetCursorPos(p);
        p = ScreenToClient(p);
    }
    for (int i = 0; i < FPanels->Count() && i < kMaxParts; ++i)
        if (PtInRect(FPanels->Items(i)->PanelRect(), p))
            return FPanels->Items(i);
    return nullptr;
}

void TFxCustomStatusBar::Click() {
    if (TFxStatusPanel* panel = PanelAt(-1, -1))
        panel->HandleClick();
    TStatusWindow::Click();
}

void TFxCustomStatusBar::DblClick() {
    if (TFxStatusPanel* panel = PanelAt(-1, -1))
        panel->HandleDblClick();
    TStatusWindow::DblClick();
}

void TFxCustomStatusBar::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (TFxStatusPanel* panel = PanelAt(x, y))
        panel->HandleMouseDown(button, shift, x, y);
    TStatusWindow::HandleMouseDown(button, shift, x, y);
}

void TFxCustomStatusBar::HandleMouseMove(TShiftState shift, int x, int y) {
    if (TFxStatusPanel* panel = PanelAt(x, y))
        panel->HandleMouseMove(shift, x, y);
    TStatusWindow::HandleMouseMove(shift, x, y);
}

void TFxCustomStatusBar::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (TFxStatusPanel* panel = PanelAt(x, y))
        panel->HandleMouseUp(button, shift, x, y);
    TStatusWindow::HandleMouseUp(button, shift, x, y);
}
