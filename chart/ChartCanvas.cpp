#include "chart/ChartCanvas.h"

#include "framework/gui/Regions.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

// ---------------------------------------------------------------------------
// Small numeric routines

void SineAndCosine(long double angle, long double& sine, long double& cosine) {
    sine = std::sin(angle);
    cosine = std::cos(angle);
}

double ArcTangent2(double y, double x) {
    return std::atan2(y, x);
}

void GetRectSize(const TRect& r, int& width, int& height) {
    width = r.Right - r.Left;
    height = r.Bottom - r.Top;
}

void RectCentre(const TRect& r, int& x, int& y) {
    x = (r.Left + r.Right) / 2;
    y = (r.Top + r.Bottom) / 2;
}

double MaxReal(double a, double b) {
    return a > b ? a : b;
}
int MaxInteger(int a, int b) {
    return a > b ? a : b;
}
int MinInteger(int a, int b) {
    return a < b ? a : b;
}

void ExchangeIntegers(int& a, int& b) {
    std::swap(a, b);
}
void ExchangeReals(double& a, double& b) {
    std::swap(a, b);
}

TColor DarkenColor(TColor color, int amount) {
    TColor c = ColorToRGB(color);
    auto darken = [amount](int v) { return v > amount ? v - amount : 0; };
    return RGB(darken(GetRValue(c)), darken(GetGValue(c)), darken(GetBValue(c)));
}

void ClipCanvasToRect(TCanvas* canvas, const TRect& r) {
    TPoint corners[2] = {r.TopLeft(), r.BottomRight()};
    canvas->LPtoDP(corners, 2);
    TRegion region = TRegion::FromRect(corners[0].X, corners[0].Y, corners[1].X, corners[1].Y);
    canvas->SelectClipRgn(&region);
}

void ClearCanvasClip(TCanvas* canvas) {
    canvas->SelectClipRgn(nullptr);
}

// ---------------------------------------------------------------------------
// Property types

namespace {

// The published properties of a chart pen, with the defaults of one pen class.
template <class C>
void PublishPen(TPublisher<C>& p, TColor color, int width, TPenStyle style, bool visible) {
    p.Ordinal("Color", TypeInfoTColor(), &C::Color, &C::SetColor).Default(int64_t(color));
    p.Enum("Mode", TypeInfoTPenMode(), &C::Mode, &C::SetMode).Default(pmCopy);
    p.Enum("Style", TypeInfoTPenStyle(), &C::Style, &C::SetStyle).Default(style);
    p.Integer("Width", &C::Width, &C::SetWidth).Default(width);
    p.Bool("SmallDots", &C::SmallDots, &C::SetSmallDots).Default(false);
    p.Bool("Visible", &C::Visible, &C::SetVisible).Default(visible);
}

} // namespace

const TTypeInfo* TypeInfoTGradientDirection() {
    static const TTypeInfo info = MakeEnumType(
        "TGradientDirection", {"gdTopBottom", "gdBottomTop", "gdLeftRight", "gdRightLeft",
                               "gdFromCenter", "gdFromTopLeft", "gdFromBottomLeft"});
    return &info;
}

// ---------------------------------------------------------------------------
// Chart pens

TChartPen::TChartPen(TNotifyEvent onChange) {
    SetOnChange(std::move(onChange));
}

void TChartPen::Publish(TPublisher<TChartPen>& p) {
    PublishPen(p, clBlack, 1, psSolid, true);
}

void TChartPen::NotifyChange() {
    if (OnChange())
        OnChange()(this);
}

void TChartPen::SetVisible(bool value) {
    if (FVisible == value)
        return;
    FVisible = value;
    NotifyChange();
}

void TChartPen::SetSmallDots(bool value) {
    if (FSmallDots == value)
        return;
    FSmallDots = value;
    NotifyChange();
}

void TChartPen::AssignFrom(const TPersistent* source) {
    if (auto* pen = dynamic_cast<const TChartPen*>(source)) {
        FVisible = pen->FVisible;
        FSmallDots = pen->FSmallDots;
    }
    TPen::AssignFrom(source);
}

TChartHiddenPen::TChartHiddenPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) {
    SetVisible(false);
}
void TChartHiddenPen::Publish(TPublisher<TChartHiddenPen>& p) {
    PublishPen(p, clBlack, 1, psSolid, false);
}

TDottedGrayPen::TDottedGrayPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) {
    SetColor(clGray);
    SetStyle(psDot);
}
void TDottedGrayPen::Publish(TPublisher<TDottedGrayPen>& p) {
    PublishPen(p, clGray, 1, psDot, true);
}

TDarkGrayPen::TDarkGrayPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) {
    SetColor(clGray);
}
void TDarkGrayPen::Publish(TPublisher<TDarkGrayPen>& p) {
    PublishPen(p, clGray, 1, psSolid, true);
}

TChartAxisPen::TChartAxisPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) {
    SetWidth(2);
}
void TChartAxisPen::Publish(TPublisher<TChartAxisPen>& p) {
    PublishPen(p, clBlack, 2, psSolid, true);
}

TChartArrowPen::TChartArrowPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) {
    SetColor(clWhite);
}
void TChartArrowPen::Publish(TPublisher<TChartArrowPen>& p) {
    PublishPen(p, clWhite, 1, psSolid, true);
}

TChartBrush::TChartBrush(TNotifyEvent onChange) {
    SetColor(clAutoColor);
    SetOnChange(std::move(onChange));
}

void TChartBrush::Publish(TPublisher<TChartBrush>& p) {
    p.Ordinal("Color", TypeInfoTColor(), &TChartBrush::Color, &TChartBrush::SetColor)
        .Default(int64_t(clAutoColor));
    p.Enum("Style", TypeInfoTBrushStyle(), &TChartBrush::Style, &TChartBrush::SetStyle)
        .Default(bsSolid);
}

// ---------------------------------------------------------------------------
// Gradient

void TCustomChartGradient::Repaint() {
    if (FParent)
        FParent->RepaintPanel();
}

void TCustomChartGradient::AssignFrom(const TPersistent* source) {
    if (auto* g = dynamic_cast<const TCustomChartGradient*>(source)) {
        FVisible = g->FVisible;
        FDirection = g->FDirection;
        FStartColor = g->FStartColor;
        FEndColor = g->FEndColor;
        return;
    }
    TPersistent::AssignFrom(source);
}

void TCustomChartGradient::SetVisible(bool value) {
    if (FVisible == value)
        return;
    FVisible = value;
    Repaint();
}

void TCustomChartGradient::SetDirection(TGradientDirection value) {
    if (FDirection == value)
        return;
    FDirection = value;
    Repaint();
}

void TCustomChartGradient::SetStartColor(TColor value) {
    if (FStartColor == value)
        return;
    FStartColor = value;
    Repaint();
}

void TCustomChartGradient::SetEndColor(TColor value) {
    if (FEndColor == value)
        return;
    FEndColor = value;
    Repaint();
}

void TChartGradient::Publish(TPublisher<TChartGradient>& p) {
    p.Bool("Visible", &TChartGradient::Visible, &TChartGradient::SetVisible).Default(false);
    p.Enum("Direction", TypeInfoTGradientDirection(), &TChartGradient::Direction,
           &TChartGradient::SetDirection)
        .Default(gdTopBottom);
    p.Ordinal("StartColor", TypeInfoTColor(), &TChartGradient::StartColor,
              &TChartGradient::SetStartColor)
        .Default(int64_t(clWhite));
    p.Ordinal("EndColor", TypeInfoTColor(), &TChartGradient::EndColor, &TChartGradient::SetEndColor)
        .Default(int64_t(clYellow));
}

// ---------------------------------------------------------------------------
// View options

void TView3DOptions::Publish(TPublisher<TView3DOptions>& p) {
    using T = TView3DOptions;
    p.Integer("Elevation", &T::Elevation, &T::SetElevation).Default(345);
    p.Integer("HorizOffset", &T::HorizOffset, &T::SetHorizOffset).Default(0);
    p.Bool("Orthogonal", &T::Orthogonal, &T::SetOrthogonal).Default(true);
    p.Integer("Perspective", &T::Perspective, &T::SetPerspective).Default(15);
    p.Integer("Rotation", &T::Rotation, &T::SetRotation).Default(345);
    p.Integer("Tilt", &T::Tilt, &T::SetTilt).Default(0);
    p.Integer("VertOffset", &T::VertOffset, &T::SetVertOffset).Default(0);
    p.Integer("Zoom", &T::Zoom, &T::SetZoom).Default(100);
    p.Bool("ZoomText", &T::ZoomText, &T::SetZoomText).Default(true);
}

void TView3DOptions::AssignFrom(const TPersistent* source) {
    if (auto* o = dynamic_cast<const TView3DOptions*>(source)) {
        FElevation = o->FElevation;
        FHorizOffset = o->FHorizOffset;
        FOrthogonal = o->FOrthogonal;
        FPerspective = o->FPerspective;
        FRotation = o->FRotation;
        FTilt = o->FTilt;
        FVertOffset = o->FVertOffset;
        FZoom = o->FZoom;
        FZoomText = o->FZoomText;
        return;
    }
    TPersistent::AssignFrom(source);
}

void TView3DOptions::Repaint() {
    if (FParent)
        FParent->RepaintPanel();
}

void TView3DOptions::SetIntegerValue(int& field, int value) {
    if (field == value)
        return;
    field = value;
    Repaint();
}

void TView3DOptions::SetBooleanValue(bool& field, bool value) {
    if (field == value)
        return;
    field = value;
    Repaint();
}

void TView3DOptions::SetElevation(int value) {
    SetIntegerValue(FElevation, value);
}
void TView3DOptions::SetOrthogonal(bool value) {
    SetBooleanValue(FOrthogonal, value);
}
void TView3DOptions::SetPerspective(int value) {
    SetIntegerValue(FPerspective, value);
}
void TView3DOptions::SetRotation(int value) {
    SetIntegerValue(FRotation, value);
}
void TView3DOptions::SetTilt(int value) {
    SetIntegerValue(FTilt, value);
}
void TView3DOptions::SetZoomText(bool value) {
    SetBooleanValue(FZoomText, value);
}

void TView3DOptions::SetHorizOffset(int value) {
    if (FHorizOffset == value)
        return;
    FHorizOffset = value;
    Repaint();
    if (FOnScrolled)
        FOnScrolled(true);
}

void TView3DOptions::SetVertOffset(int value) {
    if (FVertOffset == value)
        return;
    FVertOffset = value;
    Repaint();
    if (FOnScrolled)
        FOnScrolled(false);
}

void TView3DOptions::SetZoom(int value) {
    if (FZoom == value)
        return;
    if (FOnChangedZoom)
        FOnChangedZoom(value);
    FZoom = value;
    Repaint();
}

// ---------------------------------------------------------------------------
// TChartCanvas

TChartCanvas* TChartCanvas::AttachCanvas(TCanvas* canvas) {
    FCanvas = canvas;
    return this;
}

void TChartCanvas::ResetDrawingState() {
    Pen()->SetColor(clBlack);
    Pen()->SetWidth(1);
    Pen()->SetStyle(psSolid);
    Brush()->SetColor(clWhite);
    Brush()->SetStyle(bsSolid);
    Font()->SetColor(clBlack);
    Font()->SetSize(10);
    WriteBackgroundColor(clWhite);
    WriteBackgroundMode(TRANSPARENT);
}

void TChartCanvas::UseChartPen(const TChartPen* chartPen) {
    if (!chartPen->Visible()) {
        Pen()->SetStyle(psClear);
    } else if (chartPen->SmallDots() && chartPen->Width() == 1) {
        Pen()->SetColor(chartPen->Color());
        Pen()->SetStyle(psSolid);
        Pen()->SetWidth(1);
        Pen()->SetMode(chartPen->Mode());
        Pen()->SetCosmeticAlternate(true);
    } else {
        Pen()->AssignFrom(chartPen);
    }
}

int TChartCanvas::FontHeight() {
    return MeasureTextHeight("W");
}

int TChartCanvas::MeasureTextWidth(std::string_view text) {
    if (!FCanvas)
        return 0;
    return std::max(0, FCanvas->TextExtent(text).cx);
}

int TChartCanvas::MeasureTextHeight(std::string_view text) {
    if (!FCanvas)
        return 0;
    return std::max(0, FCanvas->TextExtent(text).cy);
}

void TCanvas3D::CopyCanvasSettings(TCanvas3D* other) {
    WriteMonochrome(other->IsMonochrome());
}

// ---------------------------------------------------------------------------
// TChartCanvas3D: device-context state and 2-D operations

TChartCanvas3D::TChartCanvas3D() = default;
TChartCanvas3D::~TChartCanvas3D() = default;

TColor TChartCanvas3D::ReadBackgroundColor() {
    return FCanvas->BkColor();
}
int TChartCanvas3D::ReadBackgroundMode() {
    return FCanvas->BkMode();
}
TCanvas* TChartCanvas3D::DeviceContext() {
    return FCanvas;
}
int TChartCanvas3D::ReadTextAlignment() {
    return int(FCanvas->TextAlign());
}
void TChartCanvas3D::WriteBackgroundColor(TColor color) {
    FCanvas->SetBkColor(color);
}
void TChartCanvas3D::WriteBackgroundMode(int mode) {
    FCanvas->SetBkMode(mode);
}
void TChartCanvas3D::WriteTextAlignment(int flags) {
    FCanvas->SetTextAlign(unsigned(flags));
}

void TChartCanvas3D::WriteMonochrome(bool value) {
    if (FMonochrome == value)
        return;
    FMonochrome = value;
    FBitmap.reset();
    FBufferDirty = true;
    if (FView3DOptions)
        FView3DOptions->Repaint();
}

void TChartCanvas3D::WriteBuffered(bool value) {
    FBufferedDisplay = value;
    if (!value) {
        FBitmap.reset();
        FBufferDirty = true;
    }
}

void TChartCanvas3D::PlotPixel(int x, int y, TColor color) {
    FCanvas->SetPixels(x, y, color);
}

void TChartCanvas3D::DrawArc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    FCanvas->Arc(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TChartCanvas3D::DrawGraphic(int x, int y, const TGraphic* graphic) {
    FCanvas->Draw(x, y, graphic);
}

void TChartCanvas3D::DrawEllipse(int x1, int y1, int x2, int y2) {
    FCanvas->Ellipse(x1, y1, x2, y2);
}

void TChartCanvas3D::FillRectangle(const TRect& r) {
    FCanvas->FillRect(r);
}

void TChartCanvas3D::DrawBevelFrame(TRect& r, TColor topColor, TColor bottomColor, int width) {
    Pen()->SetWidth(1);
    Pen()->SetStyle(psSolid);
    --r.Right;
    --r.Bottom;
    for (int i = 0; i < width; ++i) {
        Pen()->SetColor(topColor);
        FCanvas->MoveTo(r.Left, r.Bottom);
        FCanvas->LineTo(r.Left, r.Top);
        FCanvas->LineTo(r.Right, r.Top);
        Pen()->SetColor(bottomColor);
        FCanvas->LineTo(r.Right, r.Bottom);
        FCanvas->LineTo(r.Left - 1, r.Bottom);
        InflateRect(r, -1, -1);
    }
}

void TChartCanvas3D::DrawLineTo(int x, int y) {
    FCanvas->LineTo(x, y);
}
void TChartCanvas3D::MovePenTo(int x, int y) {
    FCanvas->MoveTo(x, y);
}

void TChartCanvas3D::DrawPieSlice(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    FCanvas->Pie(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TChartCanvas3D::DrawRectangle(int x0, int y0, int x1, int y1) {
    FCanvas->Rectangle(x0, y0, x1, y1);
}

void TChartCanvas3D::DrawRoundRectangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    FCanvas->RoundRect(x1, y1, x2, y2, x3, y3);
}

void TChartCanvas3D::StretchGraphic(const TRect& r, const TGraphic* graphic) {
    FCanvas->StretchDraw(r, graphic);
}

void TChartCanvas3D::DrawText(int x, int y, std::string_view text) {
    FCanvas->TextOut(x, y, text);
}

void TChartCanvas3D::ClipToRectangle(const TRect& r) {
    ClipCanvasToRect(FCanvas, r);
}

void TChartCanvas3D::DrawHorizontalSegment(int x0, int x1, int y) {
    FCanvas->MoveTo(x0, y);
    FCanvas->LineTo(x1, y);
}

void TChartCanvas3D::DrawRectangleRecord(const TRect& r) {
    FCanvas->Rectangle(r);
}

void TChartCanvas3D::DrawVerticalSegment(int x, int y0, int y1) {
    FCanvas->MoveTo(x, y0);
    FCanvas->LineTo(x, y1);
}

void TChartCanvas3D::PaintBackground(const TRect& r) {
    FCanvas->FillRect(r);
}

void TChartCanvas3D::DrawSegment(int x0, int y0, int x1, int y1) {
    FCanvas->MoveTo(x0, y0);
    FCanvas->LineTo(x1, y1);
}

void TChartCanvas3D::DrawPolygon(const TPoint* points, int lastIndex) {
    if (lastIndex >= 0)
        FCanvas->Polygon(points, lastIndex + 1);
}

void TChartCanvas3D::RemoveClipping() {
    ClearCanvasClip(FCanvas);
}

// ---------------------------------------------------------------------------
// Gradients

void TChartCanvas3D::FillGradient(const TRect& rect, TColor startColor, TColor endColor,
                                  TGradientDirection direction) {
    TRect r = rect;
    if (r.Left > r.Right)
        std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom)
        std::swap(r.Top, r.Bottom);
    int width = r.Right - r.Left;
    int height = r.Bottom - r.Top;
    if (width <= 0 || height <= 0)
        return;

    TColor start = ColorToRGB(startColor);
    TColor end = ColorToRGB(endColor);
    int sr = GetRValue(start), sg = GetGValue(start), sb = GetBValue(start);
    int dr = GetRValue(end) - sr, dg = GetGValue(end) - sg, db = GetBValue(end) - sb;
    // Colour i on a scale of `scale` steps; a single band or a zero scale takes the
    // start colour.
    auto colourAt = [&](int i, int scale) -> TColor {
        if (scale <= 0)
            return start;
        return RGB((sr + MulDiv(i, dr, scale)) & 0xFF, (sg + MulDiv(i, dg, scale)) & 0xFF,
                   (sb + MulDiv(i, db, scale)) & 0xFF);
    };

    TBrush* brush = Brush();
    const TColor savedColor = brush->Color();
    const TBrushStyle savedStyle = brush->Style();
    TBitmap* savedBitmap = brush->Bitmap();
    brush->SetBitmap(nullptr);
    brush->SetStyle(bsSolid);
    bool haveBrush = false;
    TColor current = 0;
    auto fill = [&](int left, int top, int right, int bottom, TColor colour) {
        if (!haveBrush || colour != current) {
            brush->SetColor(colour);
            current = colour;
            haveBrush = true;
        }
        if (right > left && bottom > top)
            FCanvas->PatBlt(left, top, right - left, bottom - top, PATCOPY);
    };

    switch (direction) {
    case gdTopBottom:
    case gdBottomTop: {
        int n = std::min(height, 256);
        for (int i = 0; i < n; ++i)
            fill(r.Left, r.Bottom - MulDiv(i + 1, height, n), r.Right,
                 r.Bottom - MulDiv(i, height, n), colourAt(i, n - 1));
        break;
    }
    case gdLeftRight:
    case gdRightLeft: {
        int n = std::min(width, 256);
        for (int i = 0; i < n; ++i)
            fill(r.Right - MulDiv(i + 1, width, n), r.Top, r.Right - MulDiv(i, width, n), r.Bottom,
                 colourAt(i, n - 1));
        break;
    }
    case gdFromCenter: {
        const int halfHeight = height / 2;
        const int halfWidth = width / 2;
        const int scale = halfHeight + halfWidth;
        int d = 0;
        int e = 0;
        while (true) {
            TColor c = colourAt(d + e, scale);
            int left = r.Left + e, right = r.Right - e;
            int top = r.Top + d, bottom = r.Bottom - d;
            fill(left, top, std::min(left + 2, right), bottom, c);
            fill(std::max(right - 2, left), top, right, bottom, c);
            fill(left, top, right, std::min(top + 2, bottom), c);
            fill(left, std::max(bottom - 2, top), right, bottom, c);
            if (d >= halfHeight && e >= halfWidth)
                break;
            d = std::min(d + 2, halfHeight);
            e = std::min(e + 2, halfWidth);
        }
        break;
    }
    case gdFromTopLeft:
    case gdFromBottomLeft: {
        const int scale = int(Round(std::sqrt(double(width) * width + double(height) * height)));
        const bool fromTop = direction == gdFromTopLeft;
        for (int j = 0; j < width || j < height; ++j) {
            TColor c = colourAt(j, scale);
            int row =
                fromTop ? r.Top + std::min(j, height - 1) : r.Bottom - 1 - std::min(j, height - 1);
            if (j < height)
                fill(r.Left, row, r.Left + std::min(j + 1, width), row + 1, c);
            if (j < width) {
                if (fromTop)
                    fill(r.Left + j, r.Top, r.Left + j + 1, row + 1, c);
                else
                    fill(r.Left + j, row, r.Left + j + 1, r.Bottom, c);
            }
        }
        break;
    }
    }

    brush->SetColor(savedColor);
    brush->SetStyle(savedStyle);
    brush->SetBitmap(savedBitmap);
}

// ---------------------------------------------------------------------------
// Text

void TChartCanvas3D::DrawRotatedText(int x, int y, std::string_view text, int angle) {
    Brush()->SetStyle(bsClear);
    if (angle > 360)
        angle -= 360;
    TextWithZoomedFont(x, y, text, angle * 10);
}

// Draws text with the font turned by `escapement` (tenths of a degree) and, when text
// follows the zoom, scaled by it; the canvas font is restored afterwards.
void TChartCanvas3D::TextWithZoomedFont(int x, int y, std::string_view text, int escapement) {
    TFont* font = Font();
    const int size = font->Size();
    const int zoomedSize = std::max<int>(1, int(Round(size * FZoom)));
    const bool zoomed = FZoomText && FZoom != 1.0 && zoomedSize != size;
    if (!zoomed && escapement == font->Escapement()) {
        FCanvas->TextOut(x, y, text);
        return;
    }
    TFont saved;
    saved.AssignFrom(font);
    font->SetEscapement(escapement);
    if (zoomed)
        font->SetHeight(-MulDiv(zoomedSize, font->PixelsPerInch(), 72));
    FCanvas->TextOut(x, y, text);
    font->AssignFrom(&saved);
}

void TChartCanvas3D::DrawTextAtDepth(int x, int y, int z, std::string_view text) {
    TPoint p = SpaceToScreen(x, y, z);
    if (!FZoomText) {
        FCanvas->TextOut(p.X, p.Y, text);
        return;
    }
    TextWithZoomedFont(p.X, p.Y, text, Font()->Escapement());
}

void TChartCanvas3D::DrawRotatedTextAtDepth(int x, int y, int z, std::string_view text, int angle) {
    TPoint p = SpaceToScreen(x, y, z);
    DrawRotatedText(p.X, p.Y, text, angle);
}

// ---------------------------------------------------------------------------
// Projection

void TChartCanvas3D::CalcRotation() {
    long double r = 0, e = 0, t = 0;
    if (FView3DOptions) {
        r = FView3DOptions->Rotation();
        e = FView3DOptions->Elevation();
        t = FView3DOptions->Tilt();
    }
    const long double toRadians = std::numbers::pi_v<long double> / 180.0L;
    long double sr, cr, se, ce, st, ct;
    SineAndCosine(r * toRadians, sr, cr);
    SineAndCosine(e * toRadians, se, ce);
    SineAndCosine(t * toRadians, st, ct);
    FCoef.S = se;
    FCoef.E = ce * sr;
    FCoef.C72 = double(ce * st);
    FCoef.C80 = std::max(double(ce * ct), 0.00001);
    FCoef.C88 = double(ce * cr);
    FCoef.C96 = std::max(double(sr * se * st + cr * ct), 0.00001);
    FCoef.C104 = double(ct * sr * se - cr * st);
    FCoef.C112 = double(cr * se * st - ct * sr);
    FCoef.C120 = double(cr * ct * se + sr * st);
    FPerspectiveFactor = 0;
}

TPoint TChartCanvas3D::SpaceToScreen(int x, int y, int z) {
    if (FIsOrthogonal && FIs3D)
        return {int(Round((double(x) - FXCenter + z) * FZoom)) + FXCenterOffset,
                int(Round((double(y) - FYCenter - z) * FZoom)) + FYCenterOffset};
    if (!FIs3D)
        return {x, y};
    const double dx = double(x) - FXCenter;
    const double dy = double(y) - FYCenter;
    const double dz = double(z) - FZCenter;
    double f = FZoom;
    if (FPerspectiveFactor > 0)
        f = double(FZoom *
                   (1 - (dx * FCoef.E - dy * FCoef.S + dz * FCoef.C88) * FPerspectiveFactor));
    return {int(Round((dx * FCoef.C96 + dy * FCoef.C72 + dz * FCoef.C112) * f)) + FXCenterOffset,
            int(Round((dx * FCoef.C104 + dy * FCoef.C80 + dz * FCoef.C120) * f)) + FYCenterOffset};
}

void TChartCanvas3D::ScreenToSpace(int& x, int& y, int z) {
    if (FZoom == 0)
        return;
    const double k = 1.0 / FZoom;
    if (FIsOrthogonal && FIs3D) {
        x = int(Round(k * (x - FXCenterOffset))) + FXCenter - z;
        y = z + int(Round(k * (y - FYCenterOffset))) + FYCenter;
    } else if (FIs3D && FCoef.C96 != 0 && FCoef.C80 != 0) {
        const double dz = double(z) - FZCenter;
        const int x0 = x;
        x = int(Round(
                (k * (x0 - FXCenterOffset) - dz * FCoef.C112 - (double(y) - FYCenter) * FCoef.C72) /
                FCoef.C96)) +
            FXCenter;
        y = int(Round((k * (y - FYCenterOffset) - dz * FCoef.C120 -
                       (double(x0) - FXCenter) * FCoef.C104) /
                      FCoef.C80)) +
            FYCenter;
    }
}

void TChartCanvas3D::ProjectPoints(TPoint* points, int count, int z) {
    for (int i = 0; i < count; ++i)
        points[i] = SpaceToScreen(points[i].X, points[i].Y, z);
}

void TChartCanvas3D::PolygonOfPoints(const TPoint* points, int count) {
    FCanvas->Polygon(points, count);
}

// ---------------------------------------------------------------------------
// Frames

TRect TChartCanvas3D::BeginFrame(TCanvas* destCanvas, TView3DOptions* options, TColor /*backColor*/,
                                 bool is3D, const TRect& r) {
    FBounds = r;
    FView3DOptions = options;
    FIs3D = is3D;
    FIsOrthogonal = false;
    FZoom = 1.0;
    if (is3D && options) {
        FIsOrthogonal = options->Orthogonal();
        FZoom = options->Zoom() * 0.01;
        FZoomText = options->ZoomText();
        if (!FIsOrthogonal)
            CalcRotation();
    }
    if (!FBufferedDisplay) {
        AttachCanvas(destCanvas);
        return r;
    }
    int width, height;
    GetRectSize(r, width, height);
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (FBitmap && (FBitmap->Width() != width || FBitmap->Height() != height))
        FBitmap.reset();
    if (!FBitmap) {
        FBitmap = std::make_unique<TBitmap>();
        FBitmap->SetMonochrome(FMonochrome);
        FBitmap->SetSize(width, height);
    }
    // Drawing into the buffer raises no change events.
    FBitmap->Canvas()->SetOnChange(nullptr);
    FBitmap->Canvas()->SetOnChanging(nullptr);
    AttachCanvas(FBitmap->Canvas());
    return TRect(0, 0, width, height);
}

void TChartCanvas3D::SetViewCentre(int maxDepth, const TRect& /*bounds*/, const TRect& chartRect) {
    RectCentre(chartRect, FXCenter, FYCenter);
    FZCenter = maxDepth / 2;
    FXCenterOffset = FXCenter;
    FYCenterOffset = FYCenter;
    if (FView3DOptions) {
        FXCenterOffset += FView3DOptions->HorizOffset();
        FYCenterOffset += FView3DOptions->VertOffset();
        if (FView3DOptions->Perspective() > 0)
            FPerspectiveFactor = FView3DOptions->Perspective() / 35000.0;
    }
}

void TChartCanvas3D::EndFrame(TCanvas* destCanvas, TCanvas* defaultCanvas, const TPoint& origin) {
    if (FBufferedDisplay && FBitmap) {
        const int w = FBitmap->Width();
        const int h = FBitmap->Height();
        if (w > 0 && h > 0)
            destCanvas->StretchBltBitmap(::Bounds(origin.X, origin.Y, w, h), FBitmap.get(),
                                         TRect(0, 0, w, h), SRCCOPY);
        FBufferDirty = false;
    }
    AttachCanvas(defaultCanvas);
}

bool TChartCanvas3D::RestoreFromBuffer() {
    if (FBufferDirty || !FBitmap || !FCanvas)
        return false;
    const int w = FBitmap->Width();
    const int h = FBitmap->Height();
    if (w > 0 && h > 0)
        FCanvas->StretchBltBitmap(TRect(0, 0, w, h), FBitmap.get(), TRect(0, 0, w, h), SRCCOPY);
    return true;
}

// ---------------------------------------------------------------------------
// 3-D operations

void TChartCanvas3D::PlotPixelAtDepth(int x, int y, int z, TColor color) {
    TPoint p = SpaceToScreen(x, y, z);
    if (Pen()->Width() <= 1) {
        FCanvas->SetPixels(p.X, p.Y, color);
    } else {
        FCanvas->MoveTo(p.X, p.Y);
        FCanvas->LineTo(p.X, p.Y);
    }
}

void TChartCanvas3D::SuspendProjection() {
    FWas3D = FIs3D;
    FIs3D = false;
}

void TChartCanvas3D::ResumeProjection() {
    FIs3D = FWas3D;
}

void TChartCanvas3D::MovePenToSpace(int x, int y, int z) {
    TPoint p = SpaceToScreen(x, y, z);
    FCanvas->MoveTo(p.X, p.Y);
}

void TChartCanvas3D::DrawLineToSpace(int x, int y, int z) {
    TPoint p = SpaceToScreen(x, y, z);
    FCanvas->LineTo(p.X, p.Y);
}

void TChartCanvas3D::DrawPolylineAtDepth(const TPoint* points, int count, int z) {
    if (count <= 0)
        return;
    FPolyline.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        FPolyline[size_t(i)] = SpaceToScreen(points[i].X, points[i].Y, z);
    if (count > 1)
        FCanvas->Polyline(FPolyline.data(), count);
    FCanvas->MoveTo(FPolyline.back().X, FPolyline.back().Y);
}

void TChartCanvas3D::DrawLineAtDepth(int x0, int y0, int x1, int y1, int z) {
    MovePenToSpace(x0, y0, z);
    DrawLineToSpace(x1, y1, z);
}

void TChartCanvas3D::DrawHorizontalLineAtDepth(int left, int right, int y, int z) {
    DrawLineAtDepth(left, y, right, y, z);
}

void TChartCanvas3D::DrawVerticalLineAtDepth(int x, int top, int bottom, int z) {
    DrawLineAtDepth(x, top, x, bottom, z);
}

void TChartCanvas3D::DrawDepthLine(int x, int y, int z0, int z1) {
    MovePenToSpace(x, y, z0);
    DrawLineToSpace(x, y, z1);
}

void TChartCanvas3D::SpaceQuad(const TPoint3& a, const TPoint3& b, const TPoint3& c,
                               const TPoint3& d) {
    TPoint p[4] = {SpaceToScreen(a.X, a.Y, a.Z), SpaceToScreen(b.X, b.Y, b.Z),
                   SpaceToScreen(c.X, c.Y, c.Z), SpaceToScreen(d.X, d.Y, d.Z)};
    PolygonOfPoints(p, 4);
}

void TChartCanvas3D::SpaceTriangle(const TPoint3& a, const TPoint3& b, const TPoint3& c) {
    TPoint p[3] = {SpaceToScreen(a.X, a.Y, a.Z), SpaceToScreen(b.X, b.Y, b.Z),
                   SpaceToScreen(c.X, c.Y, c.Z)};
    PolygonOfPoints(p, 3);
}

void TChartCanvas3D::DrawDepthPlane(const TPoint& p0, const TPoint& p1, int z0, int z1) {
    SpaceQuad({p0.X, p0.Y, z1}, {p1.X, p1.Y, z1}, {p1.X, p1.Y, z0}, {p0.X, p0.Y, z0});
}

void TChartCanvas3D::DrawQuadAtDepth(const TPoint& p1, const TPoint& p2, const TPoint& p3,
                                     const TPoint& p4, int z) {
    SpaceQuad({p1.X, p1.Y, z}, {p2.X, p2.Y, z}, {p3.X, p3.Y, z}, {p4.X, p4.Y, z});
}

void TChartCanvas3D::DrawQuadBetweenDepths(const TPoint* points, int z0, int z1) {
    SpaceQuad({points[0].X, points[0].Y, z0}, {points[1].X, points[1].Y, z0},
              {points[2].X, points[2].Y, z1}, {points[3].X, points[3].Y, z1});
}

void TChartCanvas3D::DrawRectangleAtDepth(const TRect& r, int z) {
    SpaceQuad({r.Left, r.Top, z}, {r.Right, r.Top, z}, {r.Right, r.Bottom, z},
              {r.Left, r.Bottom, z});
}

void TChartCanvas3D::DrawHorizontalPlane(int left, int y, int right, int z0, int z1) {
    SpaceQuad({left, y, z0}, {right, y, z0}, {right, y, z1}, {left, y, z1});
}

void TChartCanvas3D::DrawSidePlane(int x, int top, int bottom, int z0, int z1) {
    SpaceQuad({x, top, z0}, {x, top, z1}, {x, bottom, z1}, {x, bottom, z0});
}

void TChartCanvas3D::DrawTriangleAtDepth(const TPoint& p1, const TPoint& p2, const TPoint& p3,
                                         int z) {
    SpaceTriangle({p1.X, p1.Y, z}, {p2.X, p2.Y, z}, {p3.X, p3.Y, z});
}

TColor TChartCanvas3D::FaceColor() {
    return Brush()->Style() == bsSolid ? Brush()->Color() : ReadBackgroundColor();
}

void TChartCanvas3D::SetFaceColor(TColor color) {
    if (Brush()->Style() == bsSolid)
        Brush()->SetColor(color);
    else
        WriteBackgroundColor(color);
}

void TChartCanvas3D::DrawBox(int left, int right, int top, int bottom, int z0, int z1,
                             bool darkSides) {
    const TColor face = FaceColor();
    SpaceQuad({left, top, z0}, {right, top, z0}, {right, bottom, z0}, {left, bottom, z0});

    if (darkSides)
        SetFaceColor(DarkenColor(face, 128));
    if (SpaceToScreen(right, top, z1).X > SpaceToScreen(right, top, z0).X)
        DrawSidePlane(right, top, bottom, z0, z1);
    else
        DrawSidePlane(left, top, bottom, z0, z1);

    if (SpaceToScreen(left, top, z1).Y < SpaceToScreen(left, top, z0).Y) {
        if (darkSides)
            SetFaceColor(DarkenColor(face, 64));
        DrawHorizontalPlane(left, top, right, z0, z1);
    }
    if (darkSides)
        SetFaceColor(face);
}

void TChartCanvas3D::DrawEllipseAtDepth(int x1, int y1, int x2, int y2, int z) {
    if (FIsOrthogonal && FIs3D) {
        TPoint a = SpaceToScreen(x1, y1, z);
        TPoint b = SpaceToScreen(x2, y2, z);
        FCanvas->Ellipse(a.X, a.Y, b.X, b.Y);
        return;
    }
    if (!FIs3D) {
        FCanvas->Ellipse(x1, y1, x2 + 1, y2 + 1);
        return;
    }
    const int cx = (x1 + x2) / 2;
    const int cy = (y1 + y2) / 2;
    const int rx = (x2 - x1) / 2;
    const int ry = (y2 - y1) / 2;
    TPoint points[31];
    for (int k = 1; k <= 31; ++k) {
        long double s, c;
        SineAndCosine(k * std::numbers::pi_v<long double> / 10, s, c);
        points[k - 1] =
            SpaceToScreen(cx + int(Round(double(rx * c))), cy - int(Round(double(ry * s))), z);
    }
    const TPoint centre = SpaceToScreen(cx, cy, z);
    if (Brush()->Style() != bsClear) {
        const TPenStyle savedStyle = Pen()->Style();
        Pen()->SetStyle(psClear);
        for (int k = 0; k < 30; ++k) {
            TPoint tri[3] = {centre, points[k], points[k + 1]};
            PolygonOfPoints(tri, 3);
        }
        Pen()->SetStyle(savedStyle);
    }
    if (Pen()->Style() != psClear)
        FCanvas->Polyline(points, 31);
}

void TChartCanvas3D::DrawArrow(bool filled, const TPoint& from, const TPoint& to, int headLength,
                               int headWidth, int z) {
    if (from == to)
        return;
    const double dx = to.X - from.X;
    const double dy = to.Y - from.Y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const double ux = dx / distance, uy = dy / distance; // along the arrow
    const double nx = -uy, ny = ux;                      // across it
    const double head = std::min<double>(double(Round(distance)), headLength);
    const double bx = to.X - ux * head, by = to.Y - uy * head; // the head's base
    auto at = [&](double x, double y, double across) {
        return TPoint(int(Round(x + nx * across)), int(Round(y + ny * across)));
    };
    const TPoint headLeft = at(bx, by, headWidth / 2.0);
    const TPoint headRight = at(bx, by, -headWidth / 2.0);
    if (!filled) {
        DrawLineAtDepth(from.X, from.Y, to.X, to.Y, z);
        MovePenToSpace(headLeft.X, headLeft.Y, z);
        DrawLineToSpace(to.X, to.Y, z);
        DrawLineToSpace(headRight.X, headRight.Y, z);
        return;
    }
    const double shaft = headWidth / 4.0;
    TPoint points[7] = {
        at(from.X, from.Y, shaft), at(bx, by, shaft),         headLeft, to, headRight,
        at(bx, by, -shaft),        at(from.X, from.Y, -shaft)};
    ProjectPoints(points, 7, z);
    DrawPolygon(points, 6);
}

void TChartCanvas3D::ClipToBox(const TRect& r, int minZ, int maxZ) {
    if (!FIs3D) {
        ClipCanvasToRect(FCanvas, TRect(r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1));
        return;
    }
    TPoint backLeftTop = SpaceToScreen(r.Left, r.Top, maxZ);
    TPoint frontRightTop = SpaceToScreen(r.Right, r.Top, minZ);
    TPoint points[6] = {SpaceToScreen(r.Left, r.Bottom, minZ),
                        SpaceToScreen(r.Left, r.Top, minZ),
                        backLeftTop.Y < frontRightTop.Y ? backLeftTop : frontRightTop,
                        SpaceToScreen(r.Right, r.Top, maxZ),
                        SpaceToScreen(r.Right, r.Bottom, maxZ),
                        SpaceToScreen(r.Right, r.Bottom, minZ)};
    FCanvas->LPtoDP(points, 6);
    TRegion region = TRegion::FromPolygon(points, 6);
    FCanvas->SelectClipRgn(&region);
}

void TChartCanvas3D::DrawCylinder(bool vertical, int left, int top, int right, int bottom, int z0,
                                  int z1, bool darkCover) {
    // The round section: a 16-gon in the plane across the cylinder's axis.
    const double centreAcross = vertical ? (left + right) / 2.0 : (top + bottom) / 2.0;
    const double radiusAcross = vertical ? (right - left) / 2.0 : (bottom - top) / 2.0;
    const double centreZ = (z0 + z1) / 2.0;
    const double radiusZ = (z1 - z0) / 2.0;
    struct TSectionPoint {
        int Across, Z;
    };
    TSectionPoint section[16];
    double angles[16];
    for (int k = 1; k <= 16; ++k) {
        angles[k - 1] = (k - 4) * std::numbers::pi / 8;
        section[k - 1] = {int(Round(centreAcross + radiusAcross * std::cos(angles[k - 1]))),
                          int(Round(centreZ - radiusZ * std::sin(angles[k - 1])))};
    }
    auto at = [&](const TSectionPoint& s, int along) -> TPoint3 {
        return vertical ? TPoint3{s.Across, along, s.Z} : TPoint3{along, s.Across, s.Z};
    };
    const int start = vertical ? bottom : left; // the base
    const int end = vertical ? top : right;     // the cover
    // Side strips from the back to the front, so nearer strips cover farther ones.
    int order[16];
    for (int i = 0; i < 16; ++i)
        order[i] = i;
    auto stripDepth = [&](int i) { return section[i].Z + section[(i + 1) % 16].Z; };
    std::sort(order, order + 16, [&](int a, int b) { return stripDepth(a) > stripDepth(b); });
    for (int i : order) {
        const TSectionPoint& a = section[i];
        const TSectionPoint& b = section[(i + 1) % 16];
        SpaceQuad(at(a, start), at(b, start), at(b, end), at(a, end));
    }
    const TColor face = FaceColor();
    if (darkCover)
        SetFaceColor(DarkenColor(face, 128));
    TPoint cover[16];
    for (int i = 0; i < 16; ++i) {
        TPoint3 p = at(section[i], end);
        cover[i] = SpaceToScreen(p.X, p.Y, p.Z);
    }
    PolygonOfPoints(cover, 16);
    if (darkCover)
        SetFaceColor(face);
}

void TChartCanvas3D::DrawPyramid(bool vertical, int left, int top, int right, int bottom, int z0,
                                 int z1, bool darkSides) {
    const TColor face = FaceColor();
    const int midZ = (z0 + z1) / 2;
    // Base corners and apex in space; the base stands on the bottom (vertical) or the
    // left (horizontal) side, the apex at the middle of the opposite side.
    TPoint3 apex, b0, b1, b2, b3; // b0 front-left, b1 front-right, b2 back-right, b3 back-left
    if (vertical) {
        apex = {(left + right) / 2, top, midZ};
        b0 = {left, bottom, z0};
        b1 = {right, bottom, z0};
        b2 = {right, bottom, z1};
        b3 = {left, bottom, z1};
    } else {
        apex = {right, (top + bottom) / 2, midZ};
        b0 = {left, bottom, z0};
        b1 = {left, top, z0};
        b2 = {left, top, z1};
        b3 = {left, bottom, z1};
    }
    auto dark = [&](int amount) {
        if (darkSides)
            SetFaceColor(DarkenColor(face, amount));
    };
    // Back and far faces first, then the base when it faces the viewer, then the front.
    dark(128);
    SpaceTriangle(b2, b3, apex);
    if (vertical)
        SpaceTriangle(b3, b0, apex); // left
    else
        SpaceTriangle(b0, b3, apex); // bottom
    const bool baseVisible = vertical ? top > bottom : false;
    if (baseVisible) {
        dark(64);
        SpaceQuad(b0, b1, b2, b3);
    }
    SetFaceColor(face);
    SpaceTriangle(b0, b1, apex); // front
    dark(128);
    SpaceTriangle(b1, b2, apex); // right (vertical) or top (horizontal)
    if (!vertical && left > right) {
        dark(64);
        SpaceQuad(b0, b1, b2, b3);
    }
    SetFaceColor(face);
}

void TChartCanvas3D::DrawSolidPieSlice(int xCenter, int yCenter, int xRadius, int yRadius,
                                       double startAngle, double endAngle, int z0, int z1,
                                       bool darkSides, TPieSliceParts parts) {
    constexpr int kArcPoints = 32;
    TPoint front[kArcPoints];
    TPoint back[kArcPoints];
    // The arc runs from the end angle down to the start angle.
    const double step = (startAngle - endAngle) / (kArcPoints - 1);
    auto project = [&](double a, int z) {
        const int x = xCenter + int(Round(xRadius * std::cos(a)));
        const int y = yCenter - int(Round(yRadius * std::sin(a)));
        return SpaceToScreen(x, y, z);
    };
    for (int k = 0; k < kArcPoints; ++k) {
        front[k] = project(endAngle + k * step, z0);
        back[k] = project(endAngle + k * step, z1);
    }
    const TPoint centreFront = SpaceToScreen(xCenter, yCenter, z0);
    const TPoint centreBack = SpaceToScreen(xCenter, yCenter, z1);
    const TColor face = FaceColor();

    // A face is turned to the viewer when its outline, taken with the solid's outward
    // turn, winds on the screen as the front face does (seen from the front, the front
    // face's arc turns from the end angle down to the start).
    auto area2 = [](const TPoint* p, int n) {
        int64_t sum = 0;
        for (int i = 0; i < n; ++i) {
            const TPoint& a = p[i];
            const TPoint& b = p[(i + 1) % n];
            sum += int64_t(a.X) * b.Y - int64_t(b.X) * a.Y;
        }
        return sum;
    };
    const TPoint reference[3] = {project(0, z0), project(-2 * M_PI / 3, z0),
                                 project(-4 * M_PI / 3, z0)};
    const int64_t frontTurn = area2(reference, 3);
    auto facesViewer = [&](const TPoint* p, int n) {
        const int64_t a = area2(p, n);
        return a != 0 && (a > 0) == (frontTurn > 0);
    };

    if (parts != ppFace) {
        SetFaceColor(DarkenColor(face, 32));
        if (darkSides) {
            TPoint startSide[4] = {centreFront, front[kArcPoints - 1], back[kArcPoints - 1],
                                   centreBack};
            if (facesViewer(startSide, 4))
                PolygonOfPoints(startSide, 4);
            TPoint endSide[4] = {front[0], centreFront, centreBack, back[0]};
            if (facesViewer(endSide, 4))
                PolygonOfPoints(endSide, 4);
        }
        for (int k = 0; k + 1 < kArcPoints; ++k) {
            TPoint band[4] = {front[k + 1], front[k], back[k], back[k + 1]};
            if (facesViewer(band, 4))
                PolygonOfPoints(band, 4);
        }
    }
    SetFaceColor(face);
    if (parts != ppSides) {
        TPoint frontFace[kArcPoints + 1];
        frontFace[0] = centreFront;
        std::copy(front, front + kArcPoints, frontFace + 1);
        PolygonOfPoints(frontFace, kArcPoints + 1);
    }
}
