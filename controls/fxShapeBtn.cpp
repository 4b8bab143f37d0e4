#include "controls/fxShapeBtn.h"

#include "controls/fxCommon.h"
#include "controls/fxEvaluator.h"
#include "framework/core/SystemUtils.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

const TTypeInfo* ShapeTypeInfo() {
    static const TTypeInfo t = MakeEnumType(
        "TFxButtonShape", {"bsRoundRect", "bsEllipse", "bsTriangle", "bsArrow", "bsDiamond",
                           "bsRect", "bsStar", "bsTrapezoid", "bsCustom"});
    return &t;
}
const TTypeInfo* OrientationTypeInfo() {
    static const TTypeInfo t =
        MakeEnumType("TFxShapeOrientation", {"soLeft", "soRight", "soUp", "soDown"});
    return &t;
}

int TruncInt(double v) {
    return int(std::trunc(v));
}

// Whether the display shows a 24-bit silver as brighter than it is: then face colours
// that are multiples of 64 are lowered by one (tested once per run).
bool DisplayBrightensSilver() {
    static const bool brightens = [] {
        TFxBitmap probe;
        probe.AllocateImage(1, 1);
        probe.SetPixel(0, 0, RGB(192, 192, 192));
        TBitmap plain(1, 1);
        plain.Canvas()->Draw(0, 0, &probe);
        plain.Canvas()->ReleasePainter();
        TFxBitmap back;
        back.LoadFromBitmap(&plain);
        TColor c = back.Pixel(0, 0);
        return GetRValue(c) > 199 || GetGValue(c) > 199 || GetBValue(c) > 199;
    }();
    return brightens;
}

} // namespace

TFxCustomShapeBtn::TFxCustomShapeBtn(TComponent* owner)
    : TFxCustomImageBtn(owner), FPointList(std::make_unique<TStringList>()),
      FWorkBitmap(std::make_unique<TFxBitmap>()) {
    SetColor(clBtnFace);
    SetShadeStyle(fbsHighlight);
}

TFxCustomShapeBtn::~TFxCustomShapeBtn() = default;

void TFxCustomShapeBtn::Publish(TPublisher<TFxCustomShapeBtn>& p) {
    p.Enum("Orientation", OrientationTypeInfo(), &TFxCustomShapeBtn::Orientation,
           &TFxCustomShapeBtn::SetOrientation)
        .Default(soUp);
    p.Class("PointList", TStringList::StaticClass(), &TFxCustomShapeBtn::PointList,
            &TFxCustomShapeBtn::SetPointList);
    p.Integer("RoundRectBias", &TFxCustomShapeBtn::RoundRectBias,
              &TFxCustomShapeBtn::SetRoundRectBias)
        .Default(0);
    p.Enum("Shape", ShapeTypeInfo(), &TFxCustomShapeBtn::Shape, &TFxCustomShapeBtn::SetShape)
        .Default(bsRect);
}

void TFxCustomShapeBtn::ShapeChanged() {
    KeepRegionData(std::nullopt, false);
    KeepRegionData(std::nullopt, true);
    if (HandleAllocated())
        RecreateWnd();
    Invalidate();
}

void TFxCustomShapeBtn::SetPointList(const TStringList* value) {
    if (value)
        FPointList->Assign(*value);
    else
        FPointList->Clear();
    ShapeChanged();
}

void TFxCustomShapeBtn::SetOrientation(TFxShapeOrientation value) {
    FOrientation = value;
    ShapeChanged();
}

void TFxCustomShapeBtn::SetRoundRectBias(int value) {
    FRoundRectBias = value;
    ShapeChanged();
}

void TFxCustomShapeBtn::SetShape(TFxButtonShape value) {
    if (FShape == value)
        return;
    FShape = value;
    ShapeChanged();
    if (Parent() && InheritsFromName(Parent()->ClassType(), "TFxCustomButtonGroup"))
        InvalidateParentArea(Parent(), true);
}

void TFxCustomShapeBtn::CopyInto(TPersistent* dest) const {
    if (auto* d = dynamic_cast<TFxCustomShapeBtn*>(dest)) {
        d->FOrientation = FOrientation;
        d->FPointList->Assign(*FPointList);
        d->FRoundRectBias = FRoundRectBias;
        d->FShape = FShape;
    }
    TFxCustomImageBtn::CopyInto(dest);
}

TColor TFxCustomShapeBtn::MaskColor() const {
    return ColorToRGB(Color()) == RGB(255, 0, 0) ? RGB(0, 0, 255) : RGB(255, 0, 0);
}

TColor TFxCustomShapeBtn::FaceColor() const {
    TColor c = ColorToRGB(Color());
    if (!DisplayBrightensSilver())
        return c;
    auto lower = [](int v) { return (v != 0 && v % 64 == 0) ? v - 1 : v; };
    return RGB(lower(GetRValue(c)), lower(GetGValue(c)), lower(GetBValue(c)));
}

void TFxCustomShapeBtn::SizeToContent() {
    int side = std::max(Width(), Height());
    SetBounds(Left(), Top(), side, side);
}

std::vector<TPoint> TFxCustomShapeBtn::ParseCustomPoints() {
    std::vector<TPoint> points;
    if (FPointList->Count() <= 2)
        return points;
    int w = Width() - 1, h = Height() - 1;
    try {
        for (int i = 0; i < FPointList->Count(); ++i) {
            std::string line = UpperCase(FPointList->Get(i));
            if (line.find(',') == std::string::npos)
                throw EInvalidOperation("Invalid Custom Points Format.  X and Y Coordinates "
                                        "must be separated by a comma and space.");
            line = ReplaceAll(line, ",", ", ");
            line = ReplaceAll(line, ",  ", ", ");
            line = ReplaceAll(line, "WIDTH", std::to_string(w));
            line = ReplaceAll(line, "HEIGHT", std::to_string(h));
            size_t sep = line.find(", ");
            std::string xs = line.substr(0, sep), ys = line.substr(sep + 2);
            points.emplace_back(TFxEvaluator::EvaluateExpression(xs),
                                TFxEvaluator::EvaluateExpression(ys));
        }
    } catch (...) {
        points.clear();
        FShape = bsRect;
        throw;
    }
    return points;
}

std::vector<TPoint> TFxCustomShapeBtn::GetShapePoints() {
    int W = Width() - 1, H = Height() - 1;
    std::vector<TPoint> pts;
    switch (FShape) {
    case bsTriangle:
        pts = {{W / 2, 0}, {W, H}, {0, H}};
        break;
    case bsArrow:
        pts = {{0, H / 3},     {W / 2, 0}, {W, H / 3},    {W - W / 4, H / 3},
               {W - W / 4, H}, {W / 4, H}, {W / 4, H / 3}};
        break;
    case bsDiamond:
        pts = {{W / 2, 0}, {W, H / 2}, {W / 2, H}, {0, H / 2}};
        break;
    case bsRect:
        pts = {{0, 0}, {W, 0}, {W, H}, {0, H}};
        break;
    case bsStar: {
        double c18 = std::cos(18 * kPi / 180), s18 = std::sin(18 * kPi / 180);
        double t18 = std::tan(18 * kPi / 180), s36 = std::sin(36 * kPi / 180);
        int b = TruncInt(H / c18);
        int d = TruncInt(b / (2 * s18 + 2));
        int f = TruncInt(c18 * d);
        int o = b - 2 * d;
        int hh = TruncInt(t18 * H);
        int g = TruncInt(s36 * d);
        TPoint p1(W / 2 + o / 2, f);
        TPoint p3(p1.X + TruncInt(s18 * o), p1.Y + TruncInt(c18 * o));
        pts = {{W / 2, 0},      p1,
               {W, p1.Y},       p3,
               {W / 2 + hh, H}, {W / 2, H - g},
               {W / 2 - hh, H}, {W - p3.X, p3.Y},
               {0, p1.Y},       {W - p1.X, p1.Y}};
        break;
    }
    case bsTrapezoid: {
        int m = std::min(H / 2, W / 4);
        pts = {{m, 0}, {W - m, 0}, {W, H}, {0, H}};
        break;
    }
    case bsCustom:
        pts = ParseCustomPoints();
        break;
    case bsRoundRect:
    case bsEllipse:
        break;
    }
    if (pts.empty())
        return pts;
    pts.push_back(pts.front());
    int turns = FOrientation == soRight  ? 1
                : FOrientation == soDown ? 2
                : FOrientation == soLeft ? 3
                                         : 0;
    // A button one pixel wide or high cannot be scaled by its sides: it keeps its points.
    if (W == 0 || H == 0)
        turns = 0;
    for (int t = 0; t < turns; ++t)
        for (TPoint& p : pts)
            p = TPoint(W - p.Y * W / H, p.X * H / W);
    return pts;
}

void TFxCustomShapeBtn::DrawShapeEdges(TFxBitmap* bitmap, const std::vector<TPoint>& points,
                                       bool down) {
    if (points.size() < 2)
        return;
    TRegion inside = TRegion::FromPolygon(points, WINDING);
    TCanvas* c = bitmap->Canvas();
    int k = (Focused() || Default()) ? 1 : 0;
    struct TEdge {
        TPoint A, B, Offset;
        int Facing;
    };
    std::vector<TEdge> edges;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        TPoint a = points[i], b = points[i + 1];
        int dx = std::abs(b.X - a.X), dy = std::abs(b.Y - a.Y);
        TPoint m((a.X + b.X) / 2, (a.Y + b.Y) / 2);
        TPoint off;
        int facing;
        if (dy < dx) {
            bool up = inside.Contains(m.X, m.Y + 1);
            off = up ? TPoint(0, 1) : TPoint(0, -1);
            facing = up ? 1 : 0;
        } else {
            bool left = inside.Contains(m.X + 1, m.Y);
            off = left ? TPoint(1, 0) : TPoint(-1, 0);
            facing = left ? 1 : 0;
        }
        if (dx == 0)
            off.Y = inside.Contains(a.X, std::max(a.Y, b.Y) + 1) ? 1 : -1;
        if (dy == 0)
            off.X = inside.Contains(std::max(a.X, b.X), a.Y) ? 1 : -1;
        edges.push_back({a, b, off, facing});
    }
    auto line = [&](const TEdge& e, int scale, TColor color) {
        c->Pen()->SetColor(color);
        c->MoveTo(e.A.X + scale * e.Offset.X, e.A.Y + scale * e.Offset.Y);
        c->LineTo(e.B.X + scale * e.Offset.X, e.B.Y + scale * e.Offset.Y);
    };
    int isDown = down ? 1 : 0;
    for (const TEdge& e : edges)
        line(e, k + 1,
             e.Facing == isDown ? ShadeColors()->BtnShadow() : ShadeColors()->Btn3DLight());
    for (const TEdge& e : edges)
        line(e, k, e.Facing == isDown ? ShadeColors()->BtnBlack() : ShadeColors()->BtnHighlight());
    if (k)
        for (const TEdge& e : edges)
            line(e, 0, ShadeColors()->BtnFocus());
    c->ReleasePainter();
}

void TFxCustomShapeBtn::DrawFace(TFxBitmap* bitmap, bool forRegion, bool down,
                                 TFxShadeStyle style) {
    if (!bitmap)
        return;
    bool edges = !(style == fbsFlat && !ComponentState().Contains(csDesigning) &&
                   !MouseInControl() && !Down());
    bitmap->EnsureSize(Width(), Height());
    if (Width() <= 0 || Height() <= 0 || bitmap->IsBlank())
        return;
    TCanvas* c = bitmap->Canvas();
    TColor mask = MaskColor(), face = FaceColor();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(mask);
    c->FillRect(TRect(0, 0, Width(), Height()));
    c->Brush()->SetColor(face);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(edges ? ColorToRGB(DitherColor()) : face);
    std::unique_ptr<TBitmap> pattern;
    if (down && DitherColor() != clNone && GroupIndex() != 0) {
        pattern = CreateCheckerBrush();
        c->Brush()->SetBitmap(pattern.get());
        c->Brush()->SetColor(face);
        c->Handle();
        c->SetTextColor(DitherColor());
        c->SetBkColor(face);
    }
    if (IsRoundShape()) {
        c->Pen()->SetColor(face);
        if (FShape == bsRoundRect)
            c->RoundRect(0, 0, Width() - 1, Height() - 1, FRoundRectBias, FRoundRectBias);
        else
            c->Ellipse(0, 0, Width() - 1, Height() - 1);
        c->Brush()->SetBitmap(nullptr);
        c->ReleasePainter();
        if (edges && !forRegion)
            ShadeEdges(bitmap, bitmap, down, mask);
        return;
    }
    std::vector<TPoint> points = GetShapePoints();
    if (!points.empty())
        c->Polygon(points);
    c->Brush()->SetBitmap(nullptr);
    c->ReleasePainter();
    if (edges && !forRegion && !points.empty())
        DrawShapeEdges(bitmap, points, down);
}

std::optional<TRegion> TFxCustomShapeBtn::CreateStateRegion(bool make, bool down) {
    if (auto r = TFxCustomImageBtn::CreateStateRegion(make, down))
        return r;
    if (!make)
        return std::nullopt;
    FWorkBitmap->SetUpdating(true);
    DrawFace(FWorkBitmap.get(), true, down, ShadeStyle());
    std::optional<TRegion> region = RegionFromBitmap(FWorkBitmap.get(), MaskColor());
    KeepRegionData(region, down);
    return region;
}

namespace {
const bool kRegistered = [] {
    RegisterClasses({TFxShapeBtn::StaticClass(), TFxImageBtn::StaticClass()});
    return true;
}();
} // namespace
