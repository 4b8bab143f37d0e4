#include "chart/TeeProcs.h"

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

bool TeeClipWhenPrinting = true;
bool TeeClipWhenMetafiling = true;
bool TeeEraseBack = false;
bool TeePaintBackAndBevelsWhenPrinting = false;

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

TChartFontObject::TChartFontObject(TTeePanelLink* parent) : FParent(parent) {
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
        size_t pos = text.find(TeeLineSeparator, start);
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

int WidestLineWidth(TTeeCanvas* canvas, std::string_view text, int& lineCount) {
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
        text[pos] = TeeLineSeparator;
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
    const double w = drawWidth, h = drawHeight;
    const double ratio = dpiY > 0 && dpiX > 0 ? double(dpiX) / dpiY : 1.0;
    if (h < w) {
        const int tmp =
            int(Round((pageHeight - 0.6 * pageWidth * (h / w) * ratio) * 100 / pageHeight)) / 2;
        return TRect(15, tmp, 15, tmp);
    }
    const int tmp =
        int(Round((pageWidth - 0.6 * pageHeight * (w / h) * ratio) * 100 / pageWidth)) / 2;
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
    return TeeExportExtensions[index];
}

bool ChartIdentToCursor(std::string_view ident, int& cursor) {
    if (SameText(ident, SCursorTeeHand)) {
        cursor = crTeeHand;
        return true;
    }
    return false;
}

bool ChartCursorToIdent(int cursor, std::string& ident) {
    if (cursor == crTeeHand) {
        ident = SCursorTeeHand;
        return true;
    }
    return false;
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
