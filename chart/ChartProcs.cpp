#include "chart/ChartProcs.h"

#include "framework/gui/Clipboard.h"
#include "framework/gui/PrintGuard.h"
#include "framework/gui/Printers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

// ---------------------------------------------------------------------------
// Colours and switches

const std::array<TColor, 16> ColorPalette = {
    clRed,  clGreen,  clYellow, clBlue,  clWhite,  clGray,   clFuchsia, clTeal,
    clNavy, clMaroon, clLime,   clOlive, clPurple, clSilver, clAqua,    clBlack};

TColor PaletteColor(int index) {
    return ColorPalette[size_t(index % 16)];
}

bool ChartClipWhenPrinting = true;
bool ChartClipWhenMetafiling = true;
bool ChartEraseBack = false;
bool ChartPaintBackAndBevelsWhenPrinting = false;

// ---------------------------------------------------------------------------
// Angles

void ValidateAngle(int angle, std::string_view name) {
    if (angle < 0 || angle > 359)
        throw ChartException(Format(SAngleRange, {std::string(name)}));
}

// ---------------------------------------------------------------------------
// The standard font

namespace {

// The user's language is Japanese (the locale's language code "ja").
bool IsJapaneseLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string_view(value).substr(0, 2) == "ja";
    }
    return false;
}

} // namespace

void AdjustFontSizeForLocale(int& size) {
    if (size == 8 && IsJapaneseLocale()) {
        const int screenPixelsPerInch = 96;
        size = -MulDiv(TFont().Height(), 72, screenPixelsPerInch);
    }
}

int StandardFontSize() {
    int size = StrToInt(SDefaultFontSize);
    AdjustFontSizeForLocale(size);
    return size;
}

std::string StandardFontName() {
    std::string name = SDefaultFontName;
    if (name == "Arial" && IsJapaneseLocale())
        name = SJapaneseFontName;
    return name;
}

std::unique_ptr<TFont> NewStandardFont(TNotifyEvent onChange) {
    auto font = std::make_unique<TFont>();
    font->SetName(StandardFontName());
    font->SetSize(StandardFontSize());
    font->SetColor(clBlack);
    font->SetStyle(TFontStyles());
    font->SetOnChange(std::move(onChange));
    return font;
}

bool IsStandardFont(const TFont* font) {
    return font->Size() == StandardFontSize() && font->Name() == StandardFontName() &&
           font->Color() == clBlack && font->Style().Empty() && font->Charset() == DEFAULT_CHARSET;
}

TChartFontObject::TChartFontObject(TChartPanelLink* parent) : FParent(parent) {
    FFont = NewStandardFont(TNotifyEvent(this, &TChartFontObject::FontChanged));
}

TChartFontObject::~TChartFontObject() = default;

void TChartFontObject::FontChanged(TObject* /*sender*/) {
    Repaint();
}

void TChartFontObject::Repaint() {
    if (FParent)
        FParent->RepaintPanel();
}

void TChartFontObject::SetFont(const TFont* value) {
    FFont->AssignFrom(value);
}

void TChartFontObject::AssignFrom(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TChartFontObject*>(source)) {
        FFont->AssignFrom(other->FFont.get());
        return;
    }
    TPersistent::AssignFrom(source);
}

// ---------------------------------------------------------------------------
// Date-time steps

namespace {
constexpr double kOneSecond = 1.0 / 86400.0;
constexpr double kOneMinute = 1.0 / 1440.0;
constexpr double kOneHour = 1.0 / 24.0;

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Month and year moved by a number of months (either sign).
void AddMonths(int& year, int& month, int months) {
    int total = year * 12 + (month - 1) + months;
    year = total / 12;
    month = total % 12 + 1;
}
} // namespace

const std::array<double, 25> DateTimeStep = {kOneSecond,
                                             5 * kOneSecond,
                                             10 * kOneSecond,
                                             15 * kOneSecond,
                                             30 * kOneSecond,
                                             kOneMinute,
                                             5 * kOneMinute,
                                             10 * kOneMinute,
                                             15 * kOneMinute,
                                             30 * kOneMinute,
                                             kOneHour,
                                             2 * kOneHour,
                                             6 * kOneHour,
                                             12 * kOneHour,
                                             1,
                                             2,
                                             3,
                                             7,
                                             15,
                                             30,
                                             60,
                                             90,
                                             120,
                                             182,
                                             365};

std::string DateTimeFormatForStep(double step) {
    return step > 1 ? ShortDateFormat : ShortTimeFormat;
}

int DateTimeStepIndex(double step) {
    for (int i = dtOneYear; i >= 0; --i)
        if (std::fabs(DateTimeStep[size_t(i)] - step) < DateTimeStep[dtOneSecond])
            return i;
    return dtNone;
}

double NextLargerDateStep(double step) {
    for (int i = dtSixMonths; i >= 0; --i)
        if (step >= DateTimeStep[size_t(i)])
            return DateTimeStep[size_t(i) + 1];
    return DateTimeStep[dtOneYear];
}

double NextNiceStep(double step) {
    if (!(step > 0) || !std::isfinite(step))
        return 1;
    if (step >= 10)
        return 10 * NextNiceStep(step / 10);
    if (step < 1)
        return NextNiceStep(step * 10) / 10;
    if (step < 2)
        return 2;
    if (step < 5)
        return 5;
    return 10;
}

TDateTime AlignDateToStep(int stepIndex, TDateTime date) {
    if (date <= EncodeDate(1900, 1, 1))
        return date;
    int year, month, day;
    DecodeDate(date, year, month, day);
    switch (stepIndex) {
    case dtHalfMonth:
        day = day < 15 ? 1 : 15;
        break;
    case dtOneMonth:
    case dtTwoMonths:
    case dtThreeMonths:
    case dtFourMonths:
    case dtSixMonths:
        day = 1;
        break;
    case dtOneYear:
        day = 1;
        month = 1;
        break;
    default:
        return date;
    }
    return EncodeDate(year, month, day);
}

void AdvanceByStep(bool isDateTime, bool up, double& value, int stepIndex, double step) {
    if (!isDateTime || stepIndex < dtHalfMonth || stepIndex > dtOneYear) {
        value = up ? value + step : value - step;
        return;
    }
    int year, month, day;
    DecodeDate(value, year, month, day);
    switch (stepIndex) {
    case dtHalfMonth:
        if (up) {
            // To the next half-month boundary: the 15th, or the 1st of the next month.
            if (day < 15) {
                day = 15;
            } else {
                day = 1;
                AddMonths(year, month, 1);
            }
        } else if (day > 1 && day < 16) {
            day = 1;
        } else if (day == 1) {
            AddMonths(year, month, -1);
            day = 15;
        } else {
            day = 15;
        }
        break;
    case dtOneMonth:
    case dtTwoMonths:
    case dtThreeMonths:
    case dtFourMonths:
    case dtSixMonths: {
        static constexpr int kMonths[] = {1, 2, 3, 4, 6};
        AddMonths(year, month,
                  up ? kMonths[stepIndex - dtOneMonth] : -kMonths[stepIndex - dtOneMonth]);
        day = 1;
        break;
    }
    case dtOneYear:
        year += up ? 1 : -1;
        day = std::min(day, DaysInMonth(year, month));
        break;
    }
    if (year < 1)
        year = 1;
    value = EncodeDate(year, month, day);
}

// ---------------------------------------------------------------------------
// Multi-line texts

namespace {
// The lines of a text; a trailing empty part does not count.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (true) {
        size_t pos = text.find(ChartLineSeparator, start);
        if (pos == std::string_view::npos) {
            if (start < text.size() || lines.empty())
                lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    return lines;
}
} // namespace

int WidestLineWidth(TChartCanvas* canvas, std::string_view text, int& lineCount) {
    std::vector<std::string_view> lines = SplitLines(text);
    lineCount = int(lines.size());
    int widest = 0;
    for (std::string_view line : lines)
        widest = std::max(widest, canvas->MeasureTextWidth(line));
    return widest;
}

int LineCount(std::string_view text) {
    return int(SplitLines(text).size());
}

void MarkLineBreaks(std::string& text, std::string_view separator) {
    if (separator.empty())
        return;
    size_t pos = 0;
    while ((pos = text.find(separator, pos)) != std::string::npos) {
        text[pos] = ChartLineSeparator;
        pos += separator.size();
    }
}

std::string FormatStringToLocal(std::string_view format) {
    std::string result(format);
    for (char& c : result) {
        if (c == ',')
            c = ThousandSeparator;
        else if (c == '.')
            c = DecimalSeparator;
    }
    return result;
}

std::string FormatStringToNeutral(std::string_view format) {
    std::string result(format);
    for (char& c : result) {
        if (c == ThousandSeparator)
            c = ',';
        else if (c == DecimalSeparator)
            c = '.';
    }
    return result;
}

// ---------------------------------------------------------------------------
// Hit tests

bool NearSegment(const TPoint& p, const TPoint& from, const TPoint& to, int tolerance) {
    const int64_t dx = int64_t(to.X) - from.X;
    const int64_t dy = int64_t(to.Y) - from.Y;
    const int64_t cross = (int64_t(p.X) - from.X) * dy - (int64_t(p.Y) - from.Y) * dx;
    if (std::llabs(cross) >= std::max(std::llabs(dx), std::llabs(dy)))
        return false;
    return p.X >= std::min(from.X, to.X) - tolerance && p.X <= std::max(from.X, to.X) + tolerance &&
           p.Y >= std::min(from.Y, to.Y) - tolerance && p.Y <= std::max(from.Y, to.Y) + tolerance;
}

bool OnSegment(const TPoint& p, const TPoint& from, const TPoint& to) {
    return NearSegment(p, from, to, 0);
}

bool InsidePolygon(const TPoint& p, const TPoint* points, int lastIndex) {
    bool inside = false;
    for (int i = 0, j = lastIndex; i <= lastIndex; j = i++) {
        const TPoint& a = points[i];
        const TPoint& b = points[j];
        const int lowY = std::min(a.Y, b.Y);
        const int highY = std::max(a.Y, b.Y);
        if (p.Y >= lowY && p.Y < highY) {
            const double x = a.X + double(p.Y - a.Y) * (b.X - a.X) / double(b.Y - a.Y);
            if (p.X < x)
                inside = !inside;
        }
    }
    return inside;
}

bool InsideTriangle(const TPoint& p, int x0, int x1, int y0, int y1) {
    const TPoint points[3] = {{x0, y0}, {(x0 + x1) / 2, y1}, {x1, y0}};
    return InsidePolygon(p, points, 2);
}

bool InsideSideTriangle(const TPoint& p, int y0, int y1, int x0, int x1) {
    const TPoint points[3] = {{x1, y0}, {x0, (y0 + y1) / 2}, {x1, y1}};
    return InsidePolygon(p, points, 2);
}

bool InsideEllipse(const TPoint& p, const TRect& r) {
    const double a = (r.Right - r.Left) / 2.0;
    const double b = (r.Bottom - r.Top) / 2.0;
    if (a == 0 || b == 0)
        return false;
    const double dx = p.X - (r.Left + r.Right) / 2.0;
    const double dy = p.Y - (r.Top + r.Bottom) / 2.0;
    return dx * dx / (a * a) + dy * dy / (b * b) <= 1;
}

// ---------------------------------------------------------------------------
// Printing arithmetic

TRect ProportionalPrintMargins(int drawWidth, int drawHeight, int pageWidth, int pageHeight,
                               int dpiX, int dpiY) {
    if (drawWidth <= 0 || drawHeight <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return TRect(15, 15, 15, 15);
    // The longer side keeps 15 % at both ends, so the chart takes 70 % of the page that way;
    // the other side gets the length that gives the chart its width to height on paper.
    constexpr double kLongerSide = 0.7;
    const double w = drawWidth, h = drawHeight;
    const double ratio = dpiY > 0 && dpiX > 0 ? double(dpiX) / dpiY : 1.0;
    // The whole percent of the other side's two margins, split evenly (an odd percent
    // leaves its spare one to the chart).
    const auto half = [](double percent) { return std::max(0, int(Round(percent)) / 2); };
    if (h < w) {
        const int tmp =
            half((pageHeight - kLongerSide * pageWidth * (h / w) * ratio) * 100 / pageHeight);
        return TRect(15, tmp, 15, tmp);
    }
    const int tmp =
        half((pageWidth - kLongerSide * pageHeight * (w / h) * ratio) * 100 / pageWidth);
    return TRect(tmp, 15, tmp, 15);
}

TRect PrintRectFromMargins(const TRect& margins, int pageWidth, int pageHeight) {
    return TRect(int(Round(margins.Left * double(pageWidth) / 100)),
                 int(Round(margins.Top * double(pageHeight) / 100)),
                 pageWidth - int(Round(margins.Right * double(pageWidth) / 100)),
                 pageHeight - int(Round(margins.Bottom * double(pageHeight) / 100)));
}

bool CalcPrintScaling(int drawWidth, int drawHeight, int detailPercent, TRect& rect,
                      TSize& windowExt, TSize& viewportExt) {
    const int rectWidth = rect.Right - rect.Left;
    const int rectHeight = rect.Bottom - rect.Top;
    if (rectWidth == 0 || rectHeight == 0)
        return false;
    const int width = drawWidth - MulDiv(drawWidth, detailPercent, 100);
    const int height = drawHeight - MulDiv(drawHeight, detailPercent, 100);
    rect.Left = MulDiv(rect.Left, width, rectWidth);
    rect.Right = MulDiv(rect.Right, width, rectWidth);
    rect.Top = MulDiv(rect.Top, height, rectHeight);
    rect.Bottom = MulDiv(rect.Bottom, height, rectHeight);
    windowExt = TSize(width, height);
    viewportExt = TSize(rectWidth, rectHeight);
    return true;
}

// ---------------------------------------------------------------------------
// Other helpers

std::string ExportFileExtension(int index) {
    if (index < 0 || index > 3)
        return {};
    return ChartExportExtensions[index];
}

bool ChartIdentToCursor(std::string_view ident, int& cursor) {
    if (SameText(ident, SCursorChartHand)) {
        cursor = crChartHand;
        return true;
    }
    return IdentToCursor(ident, cursor);
}

bool ChartCursorToIdent(int cursor, std::string& ident) {
    if (cursor == crChartHand) {
        ident = SCursorChartHand;
        return true;
    }
    return CursorToIdent(cursor, ident);
}

std::string UniqueComponentName(const TComponent* owner, std::string_view base) {
    for (int i = 1;; ++i) {
        std::string name = std::string(base) + IntToStr(i);
        if (!owner || !owner->FindComponent(name))
            return name;
    }
}

void TZoomPanningRecord::StartAt(int x, int y) {
    X0 = X1 = x;
    Y0 = Y1 = y;
    Active = true;
}

void TZoomPanningRecord::Normalise() {
    if (X0 > X1)
        std::swap(X0, X1);
    if (Y0 > Y1)
        std::swap(Y0, Y1);
}

// ---------------------------------------------------------------------------
// Type information of the panel

const TTypeInfo* TypeInfoTChartBackImageMode() {
    static const TTypeInfo info =
        MakeEnumType("TChartBackImageMode", {"pbmStretch", "pbmTile", "pbmCenter"});
    return &info;
}

const TTypeInfo* TypeInfoTPanningMode() {
    static const TTypeInfo info =
        MakeEnumType("TPanningMode", {"pmNone", "pmHorizontal", "pmVertical", "pmBoth"});
    return &info;
}

namespace {

void PutOnClipboard(const TGraphic& picture) {
    Clipboard()->AssignFrom(&picture);
}

// Restores a flag when the scope ends, also after an exception.
struct TFlagGuard {
    bool& Flag;
    bool Saved;
    TFlagGuard(bool& flag, bool value) : Flag(flag), Saved(flag) { Flag = value; }
    ~TFlagGuard() { Flag = Saved; }
};

} // namespace

// ---------------------------------------------------------------------------
// TCustomChartPanel

TCustomChartPanel::TCustomChartPanel(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Exclude(csSetCaption);
    FCanvas3D = std::make_unique<TChartCanvas3D>();
    FCanvas3D->AttachCanvas(Canvas());
    FView3DOptions = std::make_unique<TView3DOptions>(this);
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 400, 250);
    FAllowInvalidate = true;
}

TCustomChartPanel::~TCustomChartPanel() = default;

void TCustomChartPanel::Publish(TPublisher<TCustomChartPanel>& p) {
    using T = TCustomChartPanel;
    p.Enum("BevelInner", TypeInfoTBevelCut(), &T::BevelInner, &T::SetBevelInner).Default(bvNone);
    p.Enum("BevelOuter", TypeInfoTBevelCut(), &T::BevelOuter, &T::SetBevelOuter).Default(bvRaised);
    p.Integer("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
    p.Integer("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
    static const TTypeInfo borderStyleType = MakeEnumType("TBorderStyle", {"bsNone", "bsSingle"});
    p.Enum("BorderStyle", &borderStyleType, &T::BorderStyle, &T::SetBorderStyle).Default(bsNone);
    p.Ordinal("Color", TypeInfoTColor(), &TControl::Color, &TControl::SetColor)
        .Default(int64_t(clBtnFace));
    p.Integer("Chart3DPercent", &T::Chart3DPercent, &T::SetChart3DPercent).Default(15);
    p.Integer("MarginBottom", &T::MarginBottom, &T::SetMarginBottom).Default(4);
    p.Integer("MarginLeft", &T::MarginLeft, &T::SetMarginLeft).Default(3);
    p.Integer("MarginRight", &T::MarginRight, &T::SetMarginRight).Default(3);
    p.Integer("MarginTop", &T::MarginTop, &T::SetMarginTop).Default(4);
    p.Bool("Monochrome", &T::Monochrome, &T::SetMonochrome).Default(false);
    p.Bool("PrintProportional", &T::PrintProportional, &T::SetPrintProportional).Default(true);
    p.Bool("View3D", &T::View3D, &T::SetView3D).Default(true);
    p.Class("View3DOptions", TView3DOptions::StaticClass(), &T::View3DOptions,
            &T::SetView3DOptions);
}

void TCustomChartPanel::AssignFrom(const TPersistent* source) {
    auto* panel = dynamic_cast<const TCustomChartPanel*>(source);
    if (!panel) {
        TCustomControl::AssignFrom(source);
        return;
    }
    SetBuffered(panel->Buffered());
    FPrintProportional = panel->FPrintProportional;
    FPrintDetailPercent = panel->FPrintDetailPercent;
    FPrintPageMargins = panel->FPrintPageMargins;
    FMargins = panel->FMargins;
    SetMonochrome(panel->Monochrome());
    FView3D = panel->FView3D;
    FView3DOptions->AssignFrom(panel->FView3DOptions.get());
    FChart3DPercent = panel->FChart3DPercent;
    SetColor(panel->Color());
    Invalidate();
}

void TCustomChartPanel::AfterLoad() {
    TCustomControl::AfterLoad();
    FOriginalCursor = Cursor();
}

void TCustomChartPanel::RequestRepaint() {
    if (!FAllowInvalidate)
        return;
    FCanvas3D->MarkBufferDirty();
    TCustomControl::RequestRepaint();
}

void TCustomChartPanel::PaintControl() {
    if (FPrinting)
        return;
    // The window's canvas is the one the frame ends on; the buffer copies onto it.
    FCanvas3D->AttachCanvas(Canvas());
    if (FCanvas3D->RestoreFromBuffer())
        return;
    DrawToRect(Canvas(), ClientRect());
}

void TCustomChartPanel::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_GETDLGCODE:
        TCustomControl::HandleMessage(message);
        message.Result |= DLGC_WANTARROWS;
        return;
    case WM_ERASEBKGND:
        // The chart covers its whole window; erasing first would only flicker.
        if (ChartEraseBack)
            TCustomControl::HandleMessage(message);
        else
            message.Result = 1;
        return;
    case WM_SIZE:
        // The buffered frame has the old size; the next paint draws a new one.
        FCanvas3D->MarkBufferDirty();
        TCustomControl::HandleMessage(message);
        return;
    case CM_MOUSELEAVE:
        SetCursor(FOriginalCursor);
        FPanning.Active = false;
        TCustomControl::HandleMessage(message);
        return;
    default:
        TCustomControl::HandleMessage(message);
    }
}

void TCustomChartPanel::SetChartRect(const TRect& r) {
    FChartRect = r;
    RecalcWidthHeight();
}

void TCustomChartPanel::RecalcWidthHeight() {
    const TRect& b = FChartBounds;
    if (FChartRect.Left < b.Left)
        FChartRect.Left = b.Left;
    if (FChartRect.Top < b.Top)
        FChartRect.Top = b.Top;
    if (FChartRect.Right < FChartRect.Left)
        FChartRect.Right = FChartRect.Left + 1;
    else if (FChartRect.Right == FChartRect.Left)
        FChartRect.Right = FChartRect.Left + b.Width();
    if (FChartRect.Bottom < FChartRect.Top)
        FChartRect.Bottom = FChartRect.Top + 1;
    else if (FChartRect.Bottom == FChartRect.Top)
        FChartRect.Bottom = FChartRect.Top + b.Height();
    FChartWidth = FChartRect.Width();
    FChartHeight = FChartRect.Height();
    FChartXCenter = (FChartRect.Left + FChartRect.Right) / 2;
    FChartYCenter = (FChartRect.Top + FChartRect.Bottom) / 2;
}

void TCustomChartPanel::DrawToRect(TCanvas* canvas, const TRect& r) {
    FChartBounds = FCanvas3D->BeginFrame(canvas, FView3DOptions.get(), Color(), FView3D, r);
    try {
        const TRect& b = FChartBounds;
        const int w = b.Width();
        const int h = b.Height();
        FChartRect = TRect(b.Left + FBorderWidth + MulDiv(MarginLeft(), w, 100),
                           b.Top + FBorderWidth + MulDiv(MarginTop(), h, 100),
                           b.Right - FBorderWidth - MulDiv(MarginRight(), w, 100),
                           b.Bottom - FBorderWidth - MulDiv(MarginBottom(), h, 100));
        RecalcWidthHeight();
        DrawContents(FChartBounds);
    } catch (...) {
        FCanvas3D->AttachCanvas(Canvas());
        throw;
    }
    FCanvas3D->EndFrame(canvas, Canvas(), TPoint(r.Left, r.Top));
}

void TCustomChartPanel::DrawToForeignCanvas(TCanvas* canvas, const TRect& r) {
    const bool buffered = Buffered();
    struct TRestore {
        TChartCanvas3D* Canvas;
        bool Buffered;
        ~TRestore() {
            Canvas->WriteBuffered(Buffered);
            Canvas->SetMetafiling(false);
        }
    } restore{FCanvas3D.get(), buffered};
    FCanvas3D->SetMetafiling(true);
    FCanvas3D->WriteBuffered(false);
    DrawToRect(canvas, r);
}

void TCustomChartPanel::DrawBevels(TRect& r) {
    auto bevel = [&](TPanelBevel kind) {
        if (kind == bvNone)
            return;
        const bool raised = kind == bvRaised;
        FCanvas3D->DrawBevelFrame(r, raised ? clBtnHighlight : clBtnShadow,
                                  raised ? clBtnShadow : clBtnHighlight, FBevelWidth);
    };
    bevel(FBevelOuter);
    if (FBorderWidth > 0)
        FCanvas3D->DrawBevelFrame(r, Color(), Color(), FBorderWidth);
    bevel(FBevelInner);
}

void TCustomChartPanel::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone)
        value = bsSingle;
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    // The client area moves with the edge: a new window takes the new frame.
    if (HandleAllocated())
        RecreateWnd();
    RequestRepaint();
}

TRect TCustomChartPanel::NonClientBorder() const {
    return FBorderStyle == bsSingle ? TRect(2, 2, 2, 2) : TRect();
}

void TCustomChartPanel::PaintNonClient(TCanvas* canvas) {
    if (FBorderStyle != bsSingle)
        return;
    TRect r(0, 0, Width(), Height());
    DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
}

void TCustomChartPanel::AssignCanvasFont(const TFont* font) {
    TFont* target = FCanvas3D->Font();
    const int pixelsPerInch = target->PixelsPerInch();
    target->AssignFrom(font);
    target->SetPixelsPerInch(pixelsPerInch);
}

bool TCustomChartPanel::CanClip() const {
    if (FPrinting)
        return ChartClipWhenPrinting;
    if (FCanvas3D->Metafiling())
        return ChartClipWhenMetafiling;
    return true;
}

void TCustomChartPanel::PrepareBrush(TColor color, TBrushStyle style, TColor backColor) {
    if (style != bsSolid && color == backColor)
        color = backColor == clBlack ? clWhite : clBlack;
    FCanvas3D->Brush()->SetColor(color);
    FCanvas3D->Brush()->SetStyle(style);
    if (style != bsSolid) {
        FCanvas3D->WriteBackgroundMode(OPAQUE);
        FCanvas3D->WriteBackgroundColor(backColor);
    } else {
        FCanvas3D->WriteBackgroundMode(TRANSPARENT);
    }
}

void TCustomChartPanel::AdjustPenForPrinter(TPen* pen) const {
    if (FPrinting && pen->Style() != psSolid && pen->Width() == 1)
        pen->SetWidth(0);
}

void TCustomChartPanel::DrawZoomFrame() {
    TPen* pen = FCanvas3D->Pen();
    pen->SetColor(Color() == clWhite ? clBlack : Color());
    pen->SetMode(pmNotXor);
    pen->SetStyle(psSolid);
    pen->SetWidth(1);
    FCanvas3D->Brush()->SetStyle(bsClear);
    FCanvas3D->DrawRectangle(FZoom.X0, FZoom.Y0, FZoom.X1, FZoom.Y1);
}

// ---- Pictures

std::unique_ptr<TMetafile> TCustomChartPanel::MakeMetafile(bool enhanced, const TRect& r) {
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetEnhanced(enhanced);
    metafile->SetWidth(std::max(1, r.Width() - 1));
    metafile->SetHeight(std::max(1, r.Height() - 1));
    {
        TMetafileCanvas canvas(metafile.get(), nullptr);
        DrawToForeignCanvas(&canvas, r);
    }
    return metafile;
}

std::unique_ptr<TBitmap> TCustomChartPanel::MakeBitmap(TColor backColor, const TRect& r) {
    auto bitmap = std::make_unique<TBitmap>(std::max(0, r.Width()), std::max(0, r.Height()));
    const TRect area(0, 0, bitmap->Width(), bitmap->Height());
    if (backColor != clWhite) {
        bitmap->Canvas()->Brush()->SetColor(backColor);
        bitmap->Canvas()->Brush()->SetStyle(bsSolid);
        bitmap->Canvas()->FillRect(area);
    }
    const bool buffered = Buffered();
    struct TRestore {
        TChartCanvas3D* Canvas;
        bool Buffered;
        ~TRestore() { Canvas->WriteBuffered(Buffered); }
    } restore{FCanvas3D.get(), buffered};
    FCanvas3D->WriteBuffered(false);
    DrawToRect(bitmap->Canvas(), area);
    return bitmap;
}

void TCustomChartPanel::CopyAsMetafile(bool enhanced) {
    std::unique_ptr<TMetafile> metafile = MakeMetafile(enhanced, GetDrawRect());
    PutOnClipboard(*metafile);
}

void TCustomChartPanel::CopyAsBitmap() {
    std::unique_ptr<TBitmap> bitmap = MakeBitmap(clWhite, GetDrawRect());
    PutOnClipboard(*bitmap);
}

void TCustomChartPanel::SaveAsWindowsMetafile(const std::string& fileName) {
    MakeMetafile(false, GetDrawRect())->SaveToFile(fileName);
}

void TCustomChartPanel::SaveAsEnhancedMetafile(const std::string& fileName) {
    MakeMetafile(true, GetDrawRect())->SaveToFile(fileName);
}

void TCustomChartPanel::SaveAsBitmap(const std::string& fileName) {
    MakeBitmap(clWhite, GetDrawRect())->SaveToFile(fileName);
}

// ---- Printing

TRect TCustomChartPanel::CalcProportionalMargins(const TPrintPage& page) const {
    const TRect r = GetDrawRect();
    return ProportionalPrintMargins(r.Width(), r.Height(), page.Width, page.Height,
                                    page.PixelsPerInchX, page.PixelsPerInchY);
}

TRect TCustomChartPanel::CalcPrintRect(const TPrintPage& page) {
    if (FPrintProportional)
        FPrintPageMargins = CalcProportionalMargins(page);
    return PrintRectFromMargins(FPrintPageMargins, page.Width, page.Height);
}

void TCustomChartPanel::PrintToCanvasRect(TCanvas* canvas, const TRect& r) {
    TRect rect = r;
    if (rect.Left > rect.Right)
        std::swap(rect.Left, rect.Right);
    if (rect.Top > rect.Bottom)
        std::swap(rect.Top, rect.Bottom);
    const TRect draw = GetDrawRect();
    TSize windowExt, viewportExt;
    if (!CalcPrintScaling(draw.Width(), draw.Height(), FPrintDetailPercent, rect, windowExt,
                          viewportExt) ||
        windowExt.cx <= 0 || windowExt.cy <= 0)
        return;
    const int saved = canvas->SaveDC();
    struct TRestore {
        TCanvas* Canvas;
        int Saved;
        ~TRestore() { Canvas->RestoreDC(Saved); }
    } restoreDC{canvas, saved};
    canvas->SetMapMode(MM_ANISOTROPIC);
    canvas->SetWindowOrg(0, 0);
    canvas->SetWindowExt(windowExt.cx, windowExt.cy);
    canvas->SetViewportExt(viewportExt.cx, viewportExt.cy);
    canvas->SetViewportOrg(0, 0);
    // The chart lays itself out in the screen's pixels, which the mapping scales onto the
    // target; its fonts are measured in the same pixels, so that text keeps its size
    // relative to the chart whatever the target's resolution.
    struct TRestoreFont {
        TFont* Font;
        int PixelsPerInch;
        ~TRestoreFont() { Font->SetPixelsPerInch(PixelsPerInch); }
    } restoreFont{canvas->Font(), canvas->Font()->PixelsPerInch()};
    canvas->Font()->SetPixelsPerInch(Screen->PixelsPerInch());
    TFlagGuard printing(FPrinting, true);
    if (CanClip())
        ClipCanvasToRect(canvas, rect);
    DrawToForeignCanvas(canvas, rect);
    ClearCanvasClip(canvas);
}

std::unique_ptr<TBitmap> TCustomChartPanel::MakePrintBitmap(TColor backColor) {
    const TRect draw = GetDrawRect();
    TRect r(0, 0, std::max(1, draw.Width()), std::max(1, draw.Height()));
    TSize windowExt, viewportExt;
    CalcPrintScaling(draw.Width(), draw.Height(), FPrintDetailPercent, r, windowExt, viewportExt);
    TFlagGuard printing(FPrinting, true);
    return MakeBitmap(backColor, TRect(0, 0, windowExt.cx, windowExt.cy));
}

std::unique_ptr<TMetafile> TCustomChartPanel::MakePrintMetafile(const TPrintPage& page) {
    const TRect draw = GetDrawRect();
    const TRect printed = PrintRectFromMargins(FPrintPageMargins, page.Width, page.Height);
    if (draw.Width() <= 0 || draw.Height() <= 0 || printed.Width() <= 0 || printed.Height() <= 0)
        return nullptr;
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetEnhanced(true);
    metafile->SetWidth(page.Width);
    metafile->SetHeight(page.Height);
    {
        TMetafileCanvas canvas(metafile.get(), nullptr);
        PrintToCanvasRect(&canvas, printed);
    }
    return metafile;
}

TPrintPage PrinterPage(TPrinter* printer) {
    TPrintPage page;
    page.Width = printer->PageWidth();
    page.Height = printer->PageHeight();
    page.PixelsPerInchX = printer->PixelsPerInchX();
    page.PixelsPerInchY = printer->PixelsPerInchY();
    return page;
}

void TCustomChartPanel::Print() {
    PrintInRect(CalcPrintRect(PrinterPage(Printer())));
}

void TCustomChartPanel::PrintInRect(const TRect& r) {
    TPrinter* printer = Printer();
    printer->SetTitle(Name());
    if (!printer->ChoosePdfFile(PrintFileName()))
        return;
    TPrintDocumentGuard document(printer);
    DrawOnPrinter(r);
    document.End();
}

std::string TCustomChartPanel::PrintFileName() const {
    if (const TCustomForm* form = GetParentForm(this))
        if (!form->Caption().empty())
            return form->Caption();
    return Name();
}

void TCustomChartPanel::DrawOnPrinter(const TRect& r) {
    PrintToCanvasRect(Printer()->Canvas(), r);
}

// ---- Setters

void TCustomChartPanel::SetIntegerProperty(int& field, int value) {
    if (ChangeField(field, value))
        Invalidate();
}

void TCustomChartPanel::SetBooleanProperty(bool& field, bool value) {
    if (ChangeField(field, value))
        Invalidate();
}

void TCustomChartPanel::SetDoubleProperty(double& field, double value) {
    if (ChangeField(field, value))
        Invalidate();
}

void TCustomChartPanel::SetStringProperty(std::string& field, const std::string& value) {
    if (ChangeField(field, value))
        Invalidate();
}

void TCustomChartPanel::SetColorProperty(TColor& field, TColor value) {
    if (ChangeField(field, value))
        Invalidate();
}

void TCustomChartPanel::SetChart3DPercent(int value) {
    if (value < 1 || value > 100)
        throw ChartException(Format(SChart3DPercent, {1, 100}));
    SetIntegerProperty(FChart3DPercent, value);
}

void TCustomChartPanel::SetMargin(int index, int value) {
    SetIntegerProperty(FMargins[size_t(index)], value);
}

void TCustomChartPanel::SetBevelInner(TPanelBevel value) {
    if (FBevelInner == value)
        return;
    FBevelInner = value;
    Invalidate();
}

void TCustomChartPanel::SetBevelOuter(TPanelBevel value) {
    if (FBevelOuter == value)
        return;
    FBevelOuter = value;
    Invalidate();
}

// ---------------------------------------------------------------------------
// TCustomChartPanelExtended

TCustomChartPanelExtended::TCustomChartPanelExtended(TComponent* owner) : TCustomChartPanel(owner) {
    FAllowInvalidate = false;
    FGradient = std::make_unique<TChartGradient>(this);
    FBackImage = std::make_unique<TPicture>();
    FBackImage->SetOnChange(TNotifyEvent(this, &TCustomChartPanelExtended::BackImageChanged));
    FAllowInvalidate = true;
}

TCustomChartPanelExtended::~TCustomChartPanelExtended() = default;

void TCustomChartPanelExtended::Publish(TPublisher<TCustomChartPanelExtended>& p) {
    using T = TCustomChartPanelExtended;
    p.Bool("AllowZoom", &T::AllowZoom, &T::SetAllowZoom).Default(true);
    p.Enum("AllowPanning", TypeInfoTPanningMode(), &T::AllowPanning, &T::SetAllowPanning)
        .Default(pmBoth);
    p.Bool("AnimatedZoom", &T::AnimatedZoom, &T::SetAnimatedZoom).Default(false);
    p.Integer("AnimatedZoomSteps", &T::AnimatedZoomSteps, &T::SetAnimatedZoomSteps).Default(8);
    p.Class("BackImage", TPicture::StaticClass(), &T::BackImage, &T::SetBackImage);
    p.Enum("BackImageMode", TypeInfoTChartBackImageMode(), &T::BackImageMode, &T::SetBackImageMode)
        .Default(pbmStretch);
    p.Class("Gradient", TChartGradient::StaticClass(), &T::Gradient, &T::SetGradient);
    p.Event("OnScroll", &T::OnScroll, &T::SetOnScroll);
    p.Event("OnUndoZoom", &T::OnUndoZoom, &T::SetOnUndoZoom);
    p.Event("OnZoom", &T::OnZoom, &T::SetOnZoom);
}

void TCustomChartPanelExtended::AssignFrom(const TPersistent* source) {
    if (auto* panel = dynamic_cast<const TCustomChartPanelExtended*>(source)) {
        FBackImage->AssignFrom(panel->FBackImage.get());
        FBackImageMode = panel->FBackImageMode;
        FGradient->AssignFrom(panel->FGradient.get());
        FAllowPanning = panel->FAllowPanning;
        FAllowZoom = panel->FAllowZoom;
        FAnimatedZoom = panel->FAnimatedZoom;
        FAnimatedZoomSteps = panel->FAnimatedZoomSteps;
    }
    TCustomChartPanel::AssignFrom(source);
}

void TCustomChartPanelExtended::BackImageChanged(TObject* /*sender*/) {
    Invalidate();
}

void TCustomChartPanelExtended::SetGradient(const TChartGradient* value) {
    FGradient->AssignFrom(value);
    Invalidate();
}

void TCustomChartPanelExtended::SetBackImageMode(TChartBackImageMode value) {
    if (FBackImageMode == value)
        return;
    FBackImageMode = value;
    Invalidate();
}

void TCustomChartPanelExtended::DrawBackImage(const TRect& r) {
    if (FBackImage->Graphic() && !FBackImage->Graphic()->Empty())
        DrawBackPicture(r, 0);
}

void TCustomChartPanelExtended::FillBackground(const TRect& r) {
    TChartCanvas3D* canvas = Canvas3D();
    if (FGradient->Visible()) {
        TColor start = FGradient->StartColor();
        TColor end = FGradient->EndColor();
        const TGradientDirection direction = FGradient->Direction();
        // The canvas starts at the bottom or right edge; the start colour goes on top
        // or on the left.
        if (direction == gdTopBottom || direction == gdLeftRight)
            std::swap(start, end);
        canvas->FillGradient(r, start, end, direction);
    } else if (!Printing() || ChartPaintBackAndBevelsWhenPrinting) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRectangle(r);
    }
}

void TCustomChartPanelExtended::DrawPanelBackground(const TRect& r) {
    FillBackground(r);
    DrawBackImage(r);
    if (!Printing() || ChartPaintBackAndBevelsWhenPrinting) {
        TChartCanvas3D* canvas = Canvas3D();
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetMode(pmCopy);
        canvas->Brush()->SetStyle(bsClear);
        TRect bevels = r;
        DrawBevels(bevels);
    }
}

void TCustomChartPanelExtended::ResetZoom() {
    if (FOnUndoZoom)
        FOnUndoZoom(this);
    Invalidate();
    FZoomed = false;
}

void TCustomChartPanelExtended::DrawBackPicture(const TRect& rect, int z) {
    const TGraphic* graphic = FBackImage->Graphic();
    if (!graphic || graphic->Empty())
        return;
    TChartCanvas3D* canvas = Canvas3D();
    if (z != 0 && View3D() && !View3DOptions()->Orthogonal())
        return;
    TRect r = rect;
    auto project = [&]() {
        if (z > 0) {
            const TPoint a = canvas->SpaceToScreen(r.Left, r.Top, z);
            const TPoint b = canvas->SpaceToScreen(r.Right, r.Bottom, z);
            r = TRect(a.X, a.Y, b.X, b.Y);
        }
    };
    if (FBackImageMode == pbmStretch) {
        project();
        if (z > 0 && !View3D())
            ++r.Top;
        canvas->StretchGraphic(r, graphic);
        return;
    }
    const bool clip = CanClip();
    if (clip) {
        if (z == 0)
            canvas->ClipToRectangle(r);
        else
            canvas->ClipToBox(r, 0, Width3D());
    }
    project();
    const int w = graphic->Width();
    const int h = graphic->Height();
    if (FBackImageMode == pbmTile) {
        if (w > 0 && h > 0)
            for (int y = r.Top; y < r.Bottom; y += h)
                for (int x = r.Left; x < r.Right; x += w)
                    canvas->DrawGraphic(x, y, graphic);
    } else {
        FillBackground(r);
        canvas->DrawGraphic(r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2, graphic);
    }
    if (clip)
        canvas->RemoveClipping();
}

// ---------------------------------------------------------------------------
// Gallery icons

namespace {

constexpr int kIconSize = 24;

void IconAxes(TCanvas* c) {
    c->Pen()->SetColor(clGray);
    c->Pen()->SetWidth(1);
    c->MoveTo(2, 2);
    c->LineTo(2, 21);
    c->LineTo(22, 21);
}

void IconRect(TCanvas* c, TColor color, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->Rectangle(x1, y1, x2, y2);
}

void DrawIcon(const std::string& className, TCanvas* c) {
    if (className == "TLineSeries" || className == "TFastLineSeries") {
        IconAxes(c);
        const bool fast = className == "TFastLineSeries";
        const std::vector<TPoint> red =
            fast ? std::vector<TPoint>{{3, 14}, {5, 10},  {7, 15}, {9, 8},  {11, 12},
                                       {13, 6}, {15, 11}, {17, 4}, {19, 9}, {21, 5}}
                 : std::vector<TPoint>{{3, 16}, {8, 8}, {13, 13}, {20, 4}};
        c->Pen()->SetColor(clRed);
        c->Pen()->SetWidth(fast ? 1 : 2);
        c->Polyline(red);
        if (!fast) {
            c->Pen()->SetColor(clBlue);
            c->Polyline(std::vector<TPoint>{{3, 19}, {9, 15}, {14, 17}, {20, 11}});
        }
        c->Pen()->SetWidth(1);
    } else if (className == "TPointSeries") {
        IconAxes(c);
        const TPoint red[] = {{5, 14}, {9, 7}, {14, 11}, {18, 4}};
        for (const TPoint& p : red)
            IconRect(c, clRed, p.X - 2, p.Y - 2, p.X + 2, p.Y + 2);
        const TPoint blue[] = {{7, 18}, {12, 15}, {17, 16}};
        for (const TPoint& p : blue)
            IconRect(c, clBlue, p.X - 2, p.Y - 2, p.X + 2, p.Y + 2);
    } else if (className == "TAreaSeries") {
        IconAxes(c);
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clRed);
        c->Polygon(std::vector<TPoint>{{3, 20}, {3, 13}, {8, 7}, {13, 12}, {20, 5}, {20, 20}});
        c->Brush()->SetColor(clBlue);
        c->Polygon(std::vector<TPoint>{{3, 20}, {3, 17}, {9, 14}, {14, 17}, {20, 12}, {20, 20}});
    } else if (className == "TBarSeries") {
        IconAxes(c);
        IconRect(c, clRed, 4, 9, 8, 21);
        IconRect(c, clBlue, 8, 13, 12, 21);
        IconRect(c, clRed, 13, 4, 17, 21);
        IconRect(c, clBlue, 17, 11, 21, 21);
    } else if (className == "THorizBarSeries") {
        IconAxes(c);
        IconRect(c, clRed, 2, 3, 14, 7);
        IconRect(c, clBlue, 2, 7, 10, 11);
        IconRect(c, clRed, 2, 12, 20, 16);
        IconRect(c, clBlue, 2, 16, 12, 20);
    } else if (className == "TPieSeries") {
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clRed);
        c->Pie(2, 2, 22, 22, 22, 12, 12, 2);
        c->Brush()->SetColor(clYellow);
        c->Pie(2, 2, 22, 22, 12, 2, 3, 17);
        c->Brush()->SetColor(clBlue);
        c->Pie(2, 2, 22, 22, 3, 17, 22, 12);
    } else if (className == "TGanttSeries") {
        IconAxes(c);
        IconRect(c, clRed, 4, 4, 12, 8);
        IconRect(c, clBlue, 9, 10, 18, 14);
        IconRect(c, clLime, 14, 16, 21, 20);
        c->Pen()->SetColor(clGray);
        c->MoveTo(12, 6);
        c->LineTo(12, 10);
    }
}

bool HasIcon(const std::string& className) {
    static const char* const kNames[] = {"TLineSeries", "TFastLineSeries", "TPointSeries",
                                         "TAreaSeries", "TBarSeries",      "THorizBarSeries",
                                         "TPieSeries",  "TGanttSeries"};
    return std::find(std::begin(kNames), std::end(kNames), className) != std::end(kNames);
}

} // namespace

bool LoadSeriesBitmap(const TObject* series, TBitmap* bitmap) {
    if (!series || !bitmap)
        return false;
    std::string name = series->ClassName();
    if (!HasIcon(name)) {
        TClass parent = series->ClassType() ? series->ClassType()->Parent() : nullptr;
        if (!parent || !HasIcon(parent->Name()))
            return false;
        name = parent->Name();
    }
    bitmap->SetSize(kIconSize, kIconSize);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, kIconSize, kIconSize));
    DrawIcon(name, c);
    bitmap->SetTransparentMode(tmAuto);
    bitmap->Modify();
    return true;
}
