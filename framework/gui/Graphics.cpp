#include "framework/gui/Graphics.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <array>
#include <cmath>
#include <utility>

namespace {

// The classic default colour scheme of the window system.
constexpr std::array<TColor, kSystemColorCount> kSysColors = {
    RGB(192, 192, 192), // scroll bar
    RGB(0, 128, 128),   // desktop
    RGB(0, 0, 128),     // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(192, 192, 192), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(192, 192, 192), // active border
    RGB(192, 192, 192), // inactive border
    RGB(128, 128, 128), // application work space
    RGB(0, 0, 128),     // highlight
    RGB(255, 255, 255), // highlight text
    RGB(192, 192, 192), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(192, 192, 192), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(0, 0, 0),       // 3-D dark shadow
    RGB(223, 223, 223), // 3-D light
    RGB(0, 0, 0),       // tooltip text
    RGB(255, 255, 225), // tooltip background
    RGB(181, 181, 181), // (unused index 25)
    RGB(0, 0, 128),     // hot-tracked item
    RGB(16, 132, 208),  // active caption gradient
    RGB(181, 181, 181), // inactive caption gradient
    RGB(0, 0, 128),     // highlighted menu item
    RGB(192, 192, 192), // menu bar
};

struct TColorName {
    TColor Value;
    const char* Name;
};

constexpr TColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= kSystemColorCount)
        return clBlack;
    return kSysColors[size_t(index)];
}

TColor ColorToRGB(TColor color) {
    if (IsSystemColor(color))
        return GetSysColor(int(uint32_t(color) & 0xFF));
    return color;
}

QColor ColorToQColor(TColor color) {
    TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor QColorToColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

std::string ColorToString(TColor color) {
    for (const auto& n : kColorNames)
        if (n.Value == color)
            return n.Name;
    return "$" + IntToHex(int64_t(uint32_t(color)), 8);
}

bool IdentToColor(const std::string& text, TColor& color) {
    std::string t = Trim(text);
    for (const auto& n : kColorNames)
        if (SameText(t, n.Name)) {
            color = n.Value;
            return true;
        }
    if (t.empty())
        return false;
    int64_t v = 0;
    if (t[0] == '$') {
        if (t.size() < 2 || t.size() > 9)
            return false;
        for (size_t i = 1; i < t.size(); ++i) {
            char ch = t[i];
            int d = (ch >= '0' && ch <= '9')   ? ch - '0'
                    : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10
                    : (ch >= 'A' && ch <= 'F') ? ch - 'A' + 10
                                               : -1;
            if (d < 0)
                return false;
            v = v * 16 + d;
        }
        color = TColor(uint32_t(v));
        return true;
    }
    if (!TryStrToInt64(t, v) || v < INT32_MIN || v > int64_t(UINT32_MAX))
        return false;
    color = TColor(uint32_t(v));
    return true;
}

TColor StringToColor(const std::string& text) {
    TColor c = clBlack;
    if (!IdentToColor(text, c))
        throw EConvertError(Format(FrameworkTexts::InvalidInteger, {text}));
    return c;
}

// ---------------------------------------------------------------------------

void TGraphicsObject::Changed() {
    if (FOnChange)
        FOnChange(this);
}

void TPen::SetColor(TColor value) {
    if (FColor == value && !FAlternate)
        return;
    FColor = value;
    FAlternate = false;
    Changed();
}

void TPen::SetWidth(int value) {
    if (value < 0)
        value = 0;
    if (FWidth == value && !FAlternate)
        return;
    FWidth = value;
    FAlternate = false;
    Changed();
}

void TPen::SetStyle(TPenStyle value) {
    if (FStyle == value && !FAlternate)
        return;
    FStyle = value;
    FAlternate = false;
    Changed();
}

void TPen::SetMode(TPenMode value) {
    if (FMode == value)
        return;
    FMode = value;
    Changed();
}

void TPen::SetCosmeticAlternate(bool value) {
    if (FAlternate == value)
        return;
    FAlternate = value;
    Changed();
}

void TPen::AssignFrom(const TPersistent* source) {
    if (auto* p = dynamic_cast<const TPen*>(source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        FAlternate = p->FAlternate;
        Changed();
        return;
    }
    TPersistent::AssignFrom(source);
}

void TBrush::SetColor(TColor value) {
    if (FColor == value)
        return;
    FColor = value;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
    if (FStyle == value && !FBitmap)
        return;
    FStyle = value;
    FBitmap = nullptr;
    Changed();
}

void TBrush::SetBitmap(TBitmap* value) {
    if (FBitmap == value)
        return;
    FBitmap = value;
    if (value)
        FStyle = bsSolid;
    Changed();
}

void TBrush::AssignFrom(const TPersistent* source) {
    if (auto* b = dynamic_cast<const TBrush*>(source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Changed();
        return;
    }
    TPersistent::AssignFrom(source);
}

void TFont::SetName(const std::string& value) {
    if (FName == value || value.empty())
        return;
    FName = value;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int value) {
    SetHeight(-MulDiv(value, FPixelsPerInch, 72));
}

void TFont::SetHeight(int value) {
    if (FHeight == value)
        return;
    FHeight = value;
    Changed();
}

void TFont::SetPixelsPerInch(int value) {
    if (value > 0)
        FPixelsPerInch = value;
}

void TFont::SetStyle(TFontStyles value) {
    if (FStyle == value)
        return;
    FStyle = value;
    Changed();
}

void TFont::SetColor(TColor value) {
    if (FColor == value)
        return;
    FColor = value;
    Changed();
}

void TFont::SetCharset(TFontCharset value) {
    if (FCharset == value)
        return;
    FCharset = value;
    Changed();
}

void TFont::SetPitch(TFontPitch value) {
    if (FPitch == value)
        return;
    FPitch = value;
    Changed();
}

void TFont::SetEscapement(int value) {
    if (FEscapement == value)
        return;
    FEscapement = value;
    Changed();
}

void TFont::AssignFrom(const TPersistent* source) {
    if (auto* f = dynamic_cast<const TFont*>(source)) {
        if (f == this)
            return;
        FName = f->FName;
        // A font measured at another resolution keeps its point size.
        FHeight = f->FPixelsPerInch == FPixelsPerInch
                      ? f->FHeight
                      : MulDiv(f->FHeight, FPixelsPerInch, f->FPixelsPerInch);
        FStyle = f->FStyle;
        FColor = f->FColor;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        FEscapement = f->FEscapement;
        Changed();
        return;
    }
    TPersistent::AssignFrom(source);
}

QFont TFont::ToQFont(double pixelScale) const {
    QFont f(QString::fromStdString(MapFontFamily(FName)));
    // Grey-scale smoothing on whole-pixel advances and stems: at 11-13 pixels the hinted
    // one-bit glyphs of the sans families touch ("0.000" reads as one blot), smoothed ones
    // keep a light column between digits. No colour fringes (the picture may be a bitmap
    // that is saved or printed).
    f.setStyleStrategy(QFont::NoSubpixelAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    f.setBold(FStyle.Contains(fsBold));
    f.setItalic(FStyle.Contains(fsItalic));
    f.setUnderline(FStyle.Contains(fsUnderline));
    f.setStrikeOut(FStyle.Contains(fsStrikeOut));
    if (FPitch == fpFixed)
        f.setFixedPitch(true);
    double px;
    if (FHeight < 0) {
        px = -FHeight * pixelScale;
    } else if (FHeight > 0) {
        // A positive height is the whole cell, internal leading included.
        QFont probe = f;
        probe.setPixelSize(100);
        double cell = QFontMetricsF(probe).height();
        px = FHeight * pixelScale * (cell > 0 ? 100.0 / cell : 1.0);
    } else {
        px = 13 * pixelScale;
    }
    f.setPixelSize(std::max(1, int(std::lround(px))));
    return f;
}

std::string MapFontFamily(const std::string& name) {
    enum TKind { fkSans, fkSerif, fkMono, fkOther };
    TKind kind = fkOther;
    static const std::pair<const char*, TKind> kNames[] = {
        {"MS Sans Serif", fkSans},  {"Arial", fkSans},
        {"Tahoma", fkSans},         {"Verdana", fkSans},
        {"Helvetica", fkSans},      {"MS Shell Dlg", fkSans},
        {"MS Shell Dlg 2", fkSans}, {"Microsoft Sans Serif", fkSans},
        {"Segoe UI", fkSans},       {"Small Fonts", fkSans},
        {"System", fkSans},         {"Times New Roman", fkSerif},
        {"MS Serif", fkSerif},      {"Times", fkSerif},
        {"Courier New", fkMono},    {"Courier", fkMono},
        {"Lucida Console", fkMono}, {"Fixedsys", fkMono},
    };
    for (const auto& [n, k] : kNames)
        if (SameText(name, n))
            kind = k;
    if (kind == fkOther)
        return name;
    static const char* kLiberation[] = {"Liberation Sans", "Liberation Serif", "Liberation Mono"};
    static const char* kDejaVu[] = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};
    if (QGuiApplication::instance()) {
        static const bool hasLiberation = QFontDatabase::hasFamily("Liberation Sans");
        if (!hasLiberation)
            return kDejaVu[kind];
    }
    return kLiberation[kind];
}

// ---------------------------------------------------------------------------
// Type information

const TTypeInfo* TypeInfoTColor() {
    static const TTypeInfo info = MakeIntegerType("TColor", otSLong, INT32_MIN, INT32_MAX);
    return &info;
}

const TTypeInfo* TypeInfoTPenStyle() {
    static const TTypeInfo info =
        MakeEnumType("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                   "psClear", "psInsideFrame"});
    return &info;
}

const TTypeInfo* TypeInfoTPenMode() {
    static const TTypeInfo info = MakeEnumType(
        "TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                     "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
                     "pmMask", "pmNotMask", "pmXor", "pmNotXor"});
    return &info;
}

const TTypeInfo* TypeInfoTBrushStyle() {
    static const TTypeInfo info =
        MakeEnumType("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                     "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"});
    return &info;
}

const TTypeInfo* TypeInfoTFontStyle() {
    static const TTypeInfo info =
        MakeEnumType("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return &info;
}

const TTypeInfo* TypeInfoTFontStyles() {
    static const TTypeInfo info = MakeSetType("TFontStyles", TypeInfoTFontStyle());
    return &info;
}

const TTypeInfo* TypeInfoTFontPitch() {
    static const TTypeInfo info =
        MakeEnumType("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
    return &info;
}

const TTypeInfo* TypeInfoTFontCharset() {
    static const TTypeInfo info = MakeIntegerType("TFontCharset", otUByte, 0, 255);
    return &info;
}

void TPen::Publish(TPublisher<TPen>& p) {
    p.Ordinal("Color", TypeInfoTColor(), &TPen::Color, &TPen::SetColor).Default(clBlack);
    p.Enum("Mode", TypeInfoTPenMode(), &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    p.Enum("Style", TypeInfoTPenStyle(), &TPen::Style, &TPen::SetStyle).Default(psSolid);
    p.Integer("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TBrush::Publish(TPublisher<TBrush>& p) {
    p.Ordinal("Color", TypeInfoTColor(), &TBrush::Color, &TBrush::SetColor).Default(clWhite);
    p.Enum("Style", TypeInfoTBrushStyle(), &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TFont::Publish(TPublisher<TFont>& p) {
    p.Ordinal("Charset", TypeInfoTFontCharset(), &TFont::Charset, &TFont::SetCharset)
        .Default(int64_t(DEFAULT_CHARSET));
    p.Ordinal("Color", TypeInfoTColor(), &TFont::Color, &TFont::SetColor);
    p.Integer("Height", &TFont::Height, &TFont::SetHeight);
    p.String("Name", &TFont::Name, &TFont::SetName);
    p.Enum("Pitch", TypeInfoTFontPitch(), &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    p.Integer("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    p.Set(
         "Style", TypeInfoTFontStyles(), [](const TFont* f) { return f->Style().ToInt(); },
         [](TFont* f, int64_t v) { f->SetStyle(TFontStyles::FromInt(uint32_t(v))); })
        .Default(int64_t(0));
}
