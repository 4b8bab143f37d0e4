#include "persist/ExSpin.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/WindowSystem.h"
#include "persist/ExConst.h"
#include "persist/GuiUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

const TTypeInfo kValueTypeType = MakeEnumType("TValueType", {"vtInteger", "vtFloat"});
const TTypeInfo kButtonKindType = MakeEnumType("TSpinButtonKind", {"bkStandard", "bkDiagonal"});
const TTypeInfo kAlignmentType =
    MakeEnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});

constexpr unsigned kInitRepeatPause = 400; // ms before the first repeat
constexpr unsigned kRepeatPause = 100;     // ms between repeats

// Rounds a digit string (no sign, no point) to keep digits, halves to the even digit.
// Answers true when the rounding carried into a new leading digit.
bool RoundDigitsHalfEven(std::string& digits, int keep) {
    if (keep >= int(digits.size()))
        return false;
    if (keep < 0) {
        digits.clear();
        return false;
    }
    const char next = digits[size_t(keep)];
    bool restNonZero = digits.find_first_not_of('0', size_t(keep) + 1) != std::string::npos;
    bool up = next > '5' || (next == '5' && restNonZero);
    if (next == '5' && !restNonZero) {
        const int previous = keep > 0 ? digits[size_t(keep) - 1] - '0' : 0;
        up = previous % 2 == 1;
    }
    digits.resize(size_t(keep));
    if (!up)
        return false;
    int i = keep - 1;
    while (i >= 0 && digits[size_t(i)] == '9')
        digits[size_t(i--)] = '0';
    if (i >= 0) {
        ++digits[size_t(i)];
        return false;
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// Fixed-point text with 15 significant digits and `decimals` decimals, halves rounded to
// even on the decimal digits the number shows.
std::string FixedText(double value, int decimals) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        return FloatToStr(value);
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific);
    std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    int point = exponent + 1; // digits before the decimal point
    if (RoundDigitsHalfEven(digits, 15))
        ++point;
    if (RoundDigitsHalfEven(digits, point + decimals))
        ++point;
    auto digitAt = [&](int i) {
        return i >= 0 && i < int(digits.size()) ? digits[size_t(i)] : '0';
    };
    std::string intPart;
    for (int i = 0; i < point; ++i)
        intPart += digitAt(i);
    if (intPart.empty())
        intPart = "0";
    std::string out;
    if (value < 0 && digits.find_first_not_of('0') != std::string::npos)
        out = "-";
    out += intPart;
    if (decimals > 0) {
        out += DecimalSeparator;
        for (int i = 0; i < decimals; ++i)
            out += digitAt(point + i);
    }
    return out;
}

} // namespace

int DefaultSpinButtonWidth() {
    return std::min(GetSystemMetrics(SM_CXVSCROLL), 15);
}

// ===========================================================================
// TExSpinButton

TExSpinButton::TExSpinButton(TComponent* owner)
    : TGraphicControl(owner), FUpGlyph(std::make_unique<TBitmap>()),
      FDownGlyph(std::make_unique<TBitmap>()), FTopDownBitmap(std::make_unique<TBitmap>()),
      FBottomDownBitmap(std::make_unique<TBitmap>()), FNotDownBitmap(std::make_unique<TBitmap>()) {
    RegisterExCursors();
    FControlStyle.Exclude(csDoubleClicks);
    LoadExBitmap(FUpGlyph.get(), kSpinUpGlyphResource);
    LoadExBitmap(FDownGlyph.get(), kSpinDownGlyphResource);
    FUpGlyph->SetOnChange(TNotifyEvent(this, &TExSpinButton::GlyphChanged));
    FDownGlyph->SetOnChange(TNotifyEvent(this, &TExSpinButton::GlyphChanged));
    SetBounds(0, 0, 20, 20);
}

TExSpinButton::~TExSpinButton() = default;

void TExSpinButton::Publish(TPublisher<TExSpinButton>& p) {
    p.Class("UpGlyph", TBitmap::StaticClass(), &TExSpinButton::UpGlyph, &TExSpinButton::SetUpGlyph);
    p.Class("DownGlyph", TBitmap::StaticClass(), &TExSpinButton::DownGlyph,
            &TExSpinButton::SetDownGlyph);
    p.Class("FocusControl", TWinControl::StaticClass(), &TExSpinButton::FocusControl,
            &TExSpinButton::SetFocusControl);
    p.Event("OnTopClick", &TExSpinButton::OnTopClick, &TExSpinButton::SetOnTopClick);
    p.Event("OnBottomClick", &TExSpinButton::OnBottomClick, &TExSpinButton::SetOnBottomClick);
}

void TExSpinButton::SetUpGlyph(const TBitmap* value) {
    if (value)
        FUpGlyph->AssignFrom(value);
    else
        LoadExBitmap(FUpGlyph.get(), kSpinUpGlyphResource);
    GlyphChanged(this);
}

void TExSpinButton::SetDownGlyph(const TBitmap* value) {
    if (value)
        FDownGlyph->AssignFrom(value);
    else
        LoadExBitmap(FDownGlyph.get(), kSpinDownGlyphResource);
    GlyphChanged(this);
}

void TExSpinButton::GlyphChanged(TObject*) {
    FInvalidate = true;
    Invalidate();
}

void TExSpinButton::SetFocusControl(TWinControl* value) {
    if (value == FFocusControl)
        return;
    FFocusControl = value;
    if (value)
        value->FreeNotification(this);
}

void TExSpinButton::ComponentNotification(TComponent* component, TOperation operation) {
    TGraphicControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

void TExSpinButton::SetDown(TSpinButtonState value) {
    if (value == FDown)
        return;
    FDown = value;
    Repaint();
}

TSpinButtonState TExSpinButton::HalfAt(int x, int y) const {
    // Below the diagonal from the lower-left to the upper-right corner: the bottom half.
    const double w = std::max(1, Width());
    return y > Height() - Height() * x / w ? sbBottomDown : sbTopDown;
}

bool TExSpinButton::LeftButtonHeld() const {
    return GetKeyState(VK_LBUTTON) < 0 || (FLeftDown && MouseCapture());
}

void TExSpinButton::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        FLeftDown = (message.WParam & MK_LBUTTON) != 0;
        break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        FLeftDown = false;
        break;
    case CM_ENABLEDCHANGED:
        FInvalidate = true;
        Invalidate();
        break;
    default:
        break;
    }
    TGraphicControl::HandleMessage(message);
}

void TExSpinButton::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
        !FFocusControl->Focused())
        FFocusControl->SetFocus();
    if (FDown == sbNotDown) {
        FLastDown = FDown;
        if (HalfAt(x, y) == sbBottomDown) {
            FDown = sbBottomDown;
            BottomClick();
        } else {
            FDown = sbTopDown;
            TopClick();
        }
        if (FLastDown != FDown) {
            FLastDown = FDown;
            Repaint();
        }
        if (!FRepeatTimer) {
            FRepeatTimer = new TTimer(this);
            FRepeatTimer->SetEnabled(false);
            FRepeatTimer->SetOnTimer(TNotifyEvent(this, &TExSpinButton::TimerExpired));
        }
        FRepeatTimer->SetInterval(kInitRepeatPause);
        FRepeatTimer->SetEnabled(true);
    }
    FDragging = true;
}

void TExSpinButton::HandleMouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseMove(shift, x, y);
    if (!FDragging)
        return;
    TSpinButtonState state = sbNotDown;
    if (x >= 0 && x <= Width() && y >= 0 && y <= Height()) {
        TSpinButtonState half = HalfAt(x, y);
        state = half == FLastDown ? half : sbNotDown;
    }
    SetDown(state);
}

void TExSpinButton::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseUp(button, shift, x, y);
    if (!FDragging)
        return;
    FDragging = false;
    if (x >= 0 && x <= Width() && y >= 0 && y <= Height()) {
        FDown = sbNotDown;
        FLastDown = sbNotDown;
        Repaint();
    }
}

void TExSpinButton::TopClick() {
    if (!FOnTopClick)
        return;
    FOnTopClick(this);
    if (!LeftButtonHeld())
        SetDown(sbNotDown);
}

void TExSpinButton::BottomClick() {
    if (!FOnBottomClick)
        return;
    FOnBottomClick(this);
    if (!LeftButtonHeld())
        SetDown(sbNotDown);
}

void TExSpinButton::TimerExpired(TObject*) {
    FRepeatTimer->SetInterval(kRepeatPause);
    if (FDown == sbNotDown || !MouseCapture())
        return;
    try {
        if (FDown == sbBottomDown)
            BottomClick();
        else
            TopClick();
    } catch (...) {
        FRepeatTimer->SetEnabled(false);
        throw;
    }
}

void TExSpinButton::PaintControl() {
    if (!Enabled() && !ComponentState().Contains(csDesigning))
        FDragging = false;
    if (FNotDownBitmap->Width() != Width() || FNotDownBitmap->Height() != Height() || FInvalidate)
        DrawAllBitmaps();
    TBitmap* face = FDown == sbTopDown      ? FTopDownBitmap.get()
                    : FDown == sbBottomDown ? FBottomDownBitmap.get()
                                            : FNotDownBitmap.get();
    Canvas()->Draw(0, 0, face);
}

void TExSpinButton::DrawAllBitmaps() {
    DrawFace(FTopDownBitmap.get(), sbTopDown);
    DrawFace(FBottomDownBitmap.get(), sbBottomDown);
    DrawFace(FNotDownBitmap.get(), sbNotDown);
    FInvalidate = false;
}

namespace {

// Copies the glyph's pixels that are not its transparent colour (grey when disabled).
void DrawGlyph(TCanvas* canvas, TBitmap* glyph, int x, int y, bool enabled) {
    if (glyph->Empty())
        return;
    TCanvas* from = glyph->Canvas();
    const TColor transparent = ColorToRGB(glyph->TransparentColor());
    for (int gy = 0; gy < glyph->Height(); ++gy)
        for (int gx = 0; gx < glyph->Width(); ++gx) {
            TColor p = ColorToRGB(from->Pixels(gx, gy));
            if (p == transparent)
                continue;
            canvas->SetPixels(x + gx, y + gy, enabled ? p : clBtnShadow);
        }
}

void Line(TCanvas* c, TColor color, std::initializer_list<TPoint> points) {
    c->Pen()->SetColor(color);
    auto it = points.begin();
    c->MoveTo(it->X, it->Y);
    for (++it; it != points.end(); ++it)
        c->LineTo(it->X, it->Y);
}

} // namespace

void TExSpinButton::DrawFace(TBitmap* face, TSpinButtonState state) {
    const int w = Width(), h = Height();
    face->SetSize(std::max(w, 0), std::max(h, 0));
    if (w <= 0 || h <= 0)
        return;
    TCanvas* c = face->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, w, h));
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clWindowFrame);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, w, h);
    Line(c, clWindowFrame, {TPoint(-1, h), TPoint(w, -1)});
    const bool topDown = state == sbTopDown;
    const bool bottomDown = state == sbBottomDown;
    Line(c, topDown ? clBtnShadow : clBtnHighlight,
         {TPoint(1, h - 4), TPoint(1, 1), TPoint(w - 3, 1)});
    if (!topDown)
        Line(c, clBtnShadow, {TPoint(1, h - 3), TPoint(w - 2, 0)});
    Line(c, bottomDown ? clBtnHighlight : clBtnShadow,
         {TPoint(2, h - 2), TPoint(w - 2, h - 2), TPoint(w - 2, 1)});
    Line(c, bottomDown ? clBtnShadow : clBtnHighlight, {TPoint(2, h - 2), TPoint(w - 1, 1)});
    if (bottomDown)
        Line(c, clBtnShadow, {TPoint(3, h - 2), TPoint(w - 1, 2)});
    c->Brush()->SetStyle(bsSolid);
    const bool enabled = Enabled();
    int x = int(Round(w / 4.0 - FUpGlyph->Width() / 2.0)) + 1;
    int y = int(Round(h / 4.0 - FUpGlyph->Height() / 2.0)) + 1;
    if (topDown) {
        ++x;
        ++y;
    }
    DrawGlyph(c, FUpGlyph.get(), x, y, enabled);
    x = int(Round(3 * w / 4.0 - FDownGlyph->Width() / 2.0)) - 1;
    y = int(Round(3 * h / 4.0 - FDownGlyph->Height() / 2.0)) - 1;
    DrawGlyph(c, FDownGlyph.get(), x, y, enabled);
}

// ===========================================================================
// TExUpDown

TExUpDown::TExUpDown(TComponent* owner) : TCustomUpDown(owner) {
    SetOrientation(udVertical);
    SetMin(-1);
    SetMax(1);
    SetPosition(0);
}

void TExUpDown::HandleMessage(TMessage& message) {
    if ((message.Msg == CN_VSCROLL || message.Msg == CN_HSCROLL) &&
        LOWORD(message.WParam) == SB_THUMBPOSITION) {
        if (FChanging)
            return;
        FChanging = true;
        struct TReset {
            bool& Flag;
            ~TReset() { Flag = false; }
        } reset{FChanging};
        const int position = int16_t(HIWORD(message.WParam));
        if (position > 0)
            Click(btNext);
        else if (position < 0)
            Click(btPrev);
        Perform(UDM_SETPOS, 0, 0);
        return;
    }
    TCustomUpDown::HandleMessage(message);
}

void TExUpDown::HandleResize() {
    if (Width() != DefaultSpinButtonWidth())
        SetWidth(DefaultSpinButtonWidth());
    TCustomUpDown::HandleResize();
}

// ===========================================================================
// TExSpinEdit

TExSpinEdit::TExSpinEdit(TComponent* owner) : TCustomEdit(owner) {
    FControlStyle.Exclude(csSetCaption);
    SetText("0");
    FLastNumber = "0";
    RecreateButton();
}

TExSpinEdit::~TExSpinEdit() {
    Destroying();
    FChanging = true;
    delete FButton;
    FButton = nullptr;
    delete FBtnWindow;
    FBtnWindow = nullptr;
    delete FUpDown;
    FUpDown = nullptr;
}

void TExSpinEdit::Publish(TPublisher<TExSpinEdit>& p) {
    p.Enum("Alignment", &kAlignmentType, &TExSpinEdit::Alignment, &TExSpinEdit::SetAlignment)
        .Default(taLeftJustify);
    p.Bool("ArrowKeys", &TExSpinEdit::ArrowKeys, &TExSpinEdit::SetArrowKeys).Default(true);
    p.Enum("ButtonKind", &kButtonKindType, &TExSpinEdit::ButtonKind, &TExSpinEdit::SetButtonKind)
        .Default(bkDiagonal);
    p.Ordinal("Decimal", TypeInfoByte(), &TExSpinEdit::Decimal, &TExSpinEdit::SetDecimal)
        .Default(2);
    p.Bool("EditorEnabled", &TExSpinEdit::EditorEnabled, &TExSpinEdit::SetEditorEnabled)
        .Default(true);
    p.Float("Increment", &TExSpinEdit::Increment, &TExSpinEdit::SetIncrement, TypeInfoExtended())
        .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
            return static_cast<const TExSpinEdit*>(o)->FIncrement != 1.0;
        }));
    p.Float("MaxValue", &TExSpinEdit::MaxValue, &TExSpinEdit::SetMaxValue, TypeInfoExtended())
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return static_cast<const TExSpinEdit*>(o)->FMaxValue != 0; }));
    p.Float("MinValue", &TExSpinEdit::MinValue, &TExSpinEdit::SetMinValue, TypeInfoExtended())
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return static_cast<const TExSpinEdit*>(o)->FMinValue != 0; }));
    p.Enum("ValueType", &kValueTypeType, &TExSpinEdit::ValueType, &TExSpinEdit::SetValueType)
        .Default(vtInteger);
    p.Float("Value", &TExSpinEdit::Value, &TExSpinEdit::SetValue, TypeInfoExtended())
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return static_cast<const TExSpinEdit*>(o)->Value() != 0; }));
    p.Event("OnTopClick", &TExSpinEdit::OnTopClick, &TExSpinEdit::SetOnTopClick);
    p.Event("OnBottomClick", &TExSpinEdit::OnBottomClick, &TExSpinEdit::SetOnBottomClick);
}

// ---- Value

namespace {

// Holds back the edit's change notification while the text is rewritten.
struct TQuiet {
    explicit TQuiet(bool& flag) : Flag(flag), Saved(flag) { Flag = true; }
    ~TQuiet() { Flag = Saved; }
    TQuiet(const TQuiet&) = delete;
    TQuiet& operator=(const TQuiet&) = delete;
    bool& Flag;
    bool Saved;
};

bool FitsInt64(double value) {
    return std::isfinite(value) && std::fabs(value) < 9.2e18;
}

} // namespace

double TExSpinEdit::CheckValue(double value) const {
    if (FMaxValue == FMinValue)
        return value;
    if (value < FMinValue)
        return FMinValue;
    if (value > FMaxValue)
        return FMaxValue;
    return value;
}

bool TExSpinEdit::HasValue() const {
    double parsed;
    int64_t whole;
    return FValueType == vtFloat ? TryStrToFloat(Text(), parsed)
                                 : TryStrToInt64(Trim(Text()), whole);
}

void TExSpinEdit::ShowValue(double value) {
    TQuiet quiet(FChanging);
    SetValue(value);
}

double TExSpinEdit::Value() const {
    const std::string text = Text();
    if (FValueType == vtFloat) {
        double v;
        return TryStrToFloat(text, v) ? v : FMinValue;
    }
    int64_t v;
    if (TryStrToInt64(Trim(text), v))
        return double(v);
    // A whole number too large for 64 bits is shown as a real (see FormatValue) and reads
    // back as such; any other text that is no integer ("2.7", "1e3") gives the minimum.
    double real;
    if (TryStrToFloat(Trim(text), real) && !FitsInt64(real))
        return real;
    return FitsInt64(FMinValue) ? double(Round(FMinValue)) : 0;
}

std::string TExSpinEdit::FormatValue(double value) const {
    if (FValueType == vtFloat)
        return FixedText(value, FDecimal);
    // A value no 64-bit integer holds (read from a file, say) is shown as it is, as text,
    // rather than failing the window that shows it.
    if (!FitsInt64(value))
        return FloatToStr(value);
    return IntToStr(Round(value));
}

void TExSpinEdit::SetValue(double value) {
    SetText(FormatValue(CheckValue(value)));
    FLastNumber = Text();
}

void TExSpinEdit::SetMaxValue(double value) {
    FMaxValue = value;
}

void TExSpinEdit::SetMinValue(double value) {
    FMinValue = value;
}

void TExSpinEdit::SetValueType(TValueType value) {
    if (value == FValueType)
        return;
    const double v = Value();
    FValueType = value;
    SetValue(v);
    if (value == vtInteger) {
        FIncrement = double(Round(FIncrement));
        if (FIncrement == 0)
            FIncrement = 1.0;
    }
}

void TExSpinEdit::SetDecimal(int value) {
    if (value == FDecimal)
        return;
    const double v = Value();
    FDecimal = value;
    SetValue(v);
}

// ---- Stepping

void TExSpinEdit::StepUp() {
    Step(FIncrement, FOnTopClick);
}

void TExSpinEdit::StepDown() {
    Step(-FIncrement, FOnBottomClick);
}

void TExSpinEdit::Step(double delta, const TNotifyEvent& event) {
    if (ReadOnly()) {
        Beep();
        return;
    }
    bool changed;
    {
        FChanging = true;
        struct TReset {
            bool& Flag;
            ~TReset() { Flag = false; }
        } reset{FChanging};
        const std::string old = Text();
        SetValue(Value() + delta);
        changed = !SameText(Text(), old);
    }
    if (changed) {
        SetModified(true);
        TCustomEdit::Change();
    }
    if (event)
        event(this);
}

void TExSpinEdit::Change() {
    if (HasValue())
        FLastNumber = Text();
    if (!FChanging)
        TCustomEdit::Change();
}

// ---- Keys

bool TExSpinEdit::AcceptsChar(char32_t key) const {
    bool accepted = key == U'+' || key == U'-' || (key >= U'0' && key <= U'9') || key < 32;
    if (FValueType == vtFloat) {
        const std::string text = Text();
        if (key == char32_t(static_cast<unsigned char>(DecimalSeparator)) &&
            text.find(DecimalSeparator) == std::string::npos)
            accepted = true;
        if ((key == U'E' || key == U'e') && UpperCase(text).find('E') == std::string::npos)
            accepted = true;
    }
    if (!FEditorEnabled && (key == VK_BACK || (key >= 32 && key <= 255)))
        accepted = false;
    return accepted;
}

void TExSpinEdit::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TCustomEdit::HandleKeyDown(key, shift);
    if (FArrowKeys && !FUpDown && (key == VK_UP || key == VK_DOWN)) {
        if (key == VK_UP)
            StepUp();
        else
            StepDown();
        key = 0;
    }
}

void TExSpinEdit::HandleKeyPress(char32_t& key) {
    if (key != 0 && !AcceptsChar(key)) {
        key = 0;
        Beep();
        return;
    }
    TCustomEdit::HandleKeyPress(key);
    if (key == U'\r' || key == 27) {
        if (TCustomForm* form = GetParentForm(this))
            form->Perform(CM_DIALOGKEY, WPARAM(key));
        if (key == U'\r')
            key = 0;
    }
}

void TExSpinEdit::HandleCut(TMessage& message) {
    if (FEditorEnabled && !ReadOnly())
        TCustomEdit::HandleCut(message);
}

void TExSpinEdit::HandlePaste(TMessage& message) {
    if (FEditorEnabled && !ReadOnly())
        TCustomEdit::HandlePaste(message);
}

// ---- Focus

void TExSpinEdit::HandleEnter() {
    if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0)
        SelectAll();
    TCustomEdit::HandleEnter();
}

void TExSpinEdit::HandleExit() {
    TCustomEdit::HandleExit();
    // Leaving puts an out-of-range number into range. An unreadable text was never
    // passed on as a number: the last number the box held comes back, unannounced, so
    // that nothing reaches the owner's model.
    if (!HasValue()) {
        TQuiet quiet(FChanging);
        SetText(FLastNumber);
        return;
    }
    const double v = Value();
    if (CheckValue(v) != v)
        SetValue(v);
}

// ---- Window and button

void TExSpinEdit::PrepareWindowParams(TCreateParams& params) {
    TCustomEdit::PrepareWindowParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TExSpinEdit::AfterWindowCreated() {
    TCustomEdit::AfterWindowCreated();
    SetEditRect();
    UpdateUpDownBuddy();
}

void TExSpinEdit::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_FONTCHANGED:
        TCustomEdit::HandleMessage(message);
        HandleLayoutChange();
        return;
    case CM_ENABLEDCHANGED:
        TCustomEdit::HandleMessage(message);
        HandleEnabledChange();
        return;
    default:
        break;
    }
    TCustomEdit::HandleMessage(message);
}

int TExSpinEdit::MinHeight() const {
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(Font());
    return measure.Canvas()->TextHeight("0") + 4 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TExSpinEdit::HandleResize() {
    TCustomEdit::HandleResize();
    if (Height() < MinHeight()) {
        SetHeight(MinHeight());
        return;
    }
    ResizeButton();
    SetEditRect();
}

void TExSpinEdit::HandleLayoutChange() {
    ResizeButton();
    SetEditRect();
}

void TExSpinEdit::HandleEnabledChange() {
    if (FUpDown) {
        FUpDown->SetEnabled(Enabled());
        if (Enabled())
            UpdateUpDownBuddy();
    } else if (FButton) {
        FButton->SetEnabled(Enabled());
    }
}

int TExSpinEdit::ButtonWidth() const {
    if (FUpDown)
        return FUpDown->Width();
    if (FButton)
        return FButton->Width();
    return DefaultSpinButtonWidth();
}

void TExSpinEdit::SetEditRect() {
    // The text stays clear of the button. The edit's client area includes its 2-pixel
    // frame, so the rectangle is moved by the frame.
    const int f = BorderStyle() == bsSingle ? 2 : 0;
    const int clientWidth = Width() - 2 * f;
    const int clientHeight = Height() - 2 * f;
    TCustomEdit::SetEditRect(
        TRect(f, f, f + clientWidth - ButtonWidth() - 2, f + clientHeight + 1));
}

void TExSpinEdit::RecreateButton() {
    if (IsDestroying())
        return;
    delete FButton;
    FButton = nullptr;
    delete FBtnWindow;
    FBtnWindow = nullptr;
    delete FUpDown;
    FUpDown = nullptr;
    if (ActiveButtonKind() == bkStandard) {
        FUpDown = new TExUpDown(this);
        FUpDown->SetVisible(true);
        FUpDown->SetBounds(0, 0, DefaultSpinButtonWidth(), Height());
        FUpDown->SetParent(this);
        FUpDown->SetOnClick(TUDClickEvent(this, &TExSpinEdit::UpDownClick));
    } else {
        FBtnWindow = new TWinControl(this);
        FBtnWindow->SetVisible(true);
        FBtnWindow->SetTabStop(false);
        FBtnWindow->SetBounds(0, 0, Height(), Height());
        FBtnWindow->SetParent(this);
        FButton = new TExSpinButton(this);
        FButton->SetFocusControl(this);
        FButton->SetOnTopClick(TNotifyEvent([this](TObject*) { StepUp(); }));
        FButton->SetOnBottomClick(TNotifyEvent([this](TObject*) { StepDown(); }));
        FButton->SetParent(FBtnWindow);
    }
    ResizeButton();
}

void TExSpinEdit::ResizeButton() {
    if (FUpDown) {
        const int w = DefaultSpinButtonWidth();
        FUpDown->SetBounds(Width() - w, 0, w, Height());
    } else if (FBtnWindow) {
        // The platform's square sits inside the edit's 3-D frame: (Width - Height - 1,
        // -1) with side Height - 3 in client coordinates, that is 2 pixels further right
        // and down in ours.
        int x, y, side;
        if (BorderStyle() == bsSingle) {
            x = Width() - Height() + 1;
            y = 1;
            side = Height() - 3;
        } else {
            x = Width() - Height();
            y = 0;
            side = Height();
        }
        side = std::max(side, 0);
        FBtnWindow->SetBounds(x, y, side, side);
        if (FButton)
            FButton->SetBounds(0, 0, side, side);
    }
}

void TExSpinEdit::UpdateUpDownBuddy() {
    if (FUpDown && HandleAllocated())
        FUpDown->Perform(UDM_SETBUDDY, FArrowKeys ? WPARAM(Handle()) : 0, 0);
}

void TExSpinEdit::UpDownClick(TObject*, TUDBtnType button) {
    if (TabStop() && CanFocus())
        SetFocus();
    if (button == btNext)
        StepUp();
    else
        StepDown();
}

void TExSpinEdit::SetButtonKind(TSpinButtonKind value) {
    if (value == FButtonKind)
        return;
    const TSpinButtonKind old = ActiveButtonKind();
    FButtonKind = value;
    if (ActiveButtonKind() != old) {
        RecreateButton();
        ResizeButton();
        SetEditRect();
    }
}

void TExSpinEdit::SetArrowKeys(bool value) {
    FArrowKeys = value;
    UpdateUpDownBuddy();
    ResizeButton();
}
