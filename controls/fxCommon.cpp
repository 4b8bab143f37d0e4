#include "controls/fxCommon.h"

#include "controls/fxBitmap.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Delays.h"
#include "framework/gui/Forms.h"
#include "framework/gui/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>

const std::string& FxCommonVersion() {
    static const std::string version = "1.0";
    return version;
}

// ---------------------------------------------------------------------------
// Rectangles, points and numbers

bool IntersectRects(TRect& dest, const TRect& a, const TRect& b) {
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom));
    if (r.Left >= r.Right || r.Top >= r.Bottom) {
        dest = TRect();
        return false;
    }
    dest = r;
    return true;
}

TRect WindowRect(const TControl* control) {
    if (!control)
        return TRect();
    TPoint p(control->Left(), control->Top());
    if (control->Parent())
        p = control->Parent()->ClientToScreen(p);
    return TRect(p.X, p.Y, p.X + control->Width(), p.Y + control->Height());
}

TPoint CursorPos() {
    TPoint p;
    GetCursorPos(p);
    return p;
}

void SetOrClearBits(bool on, uint32_t& value, uint32_t bits) {
    if (on)
        value |= bits;
    else
        value &= ~bits;
}

TRect FitRectKeepAspect(const TRect& r, int w, int h) {
    int rw = r.Right - r.Left, rh = r.Bottom - r.Top;
    if (rw <= 0 || rh <= 0 || w <= 0 || h <= 0)
        return TRect(r.Left, r.Top, r.Left, r.Top);
    // h / rh >= w / rw, compared without division.
    if (int64_t(h) * rw >= int64_t(w) * rh) {
        int width = int(int64_t(w) * rh / h);
        return TRect(r.Left, r.Top, r.Left + width, r.Top + rh);
    }
    int height = int(int64_t(h) * rw / w);
    return TRect(r.Left, r.Top, r.Left + rw, r.Top + height);
}

// ---------------------------------------------------------------------------
// Strings

std::string CopyRange(const std::string& s, int from, int to) {
    int n = int(s.size());
    if (from < 1)
        from = 1;
    int last = to == 0 ? n : std::min(to - 1, n);
    if (from > last)
        return std::string();
    return s.substr(size_t(from - 1), size_t(last - from + 1));
}

int PosFrom(const std::string& sub, const std::string& s, int start) {
    if (sub.empty() || start < 1 || start > int(s.size()))
        return 0;
    size_t p = s.find(sub, size_t(start - 1));
    return p == std::string::npos ? 0 : int(p) + 1;
}

int NthPos(const std::string& sub, const std::string& s, int n) {
    int p = PosFrom(sub, s, 1);
    for (int i = 0; i < n && p != 0; ++i)
        p = PosFrom(sub, s, p + 1);
    return p;
}

int CountTokens(const std::string& s, const std::string& sep) {
    if (s.empty())
        return 0;
    int count = 1;
    for (int p = PosFrom(sep, s, 1); p != 0; p = PosFrom(sep, s, p + 1))
        ++count;
    return count;
}

std::string GetToken(const std::string& s, const std::string& sep, int index) {
    if (index < 0 || index >= CountTokens(s, sep))
        return std::string();
    int start = 1;
    if (index > 0)
        start = NthPos(sep, s, index - 1) + int(sep.size());
    int end = NthPos(sep, s, index);
    return CopyRange(s, start, end);
}

int TokenIndex(const std::string& s, const std::string& sep, const std::string& token) {
    int n = CountTokens(s, sep);
    for (int i = 0; i < n; ++i)
        if (GetToken(s, sep, i) == token)
            return i;
    return -1;
}

std::string StripAccelerators(const std::string& s) {
    std::string t = ReplaceAll(s, "&&", std::string(1, '\0'));
    t.erase(std::remove(t.begin(), t.end(), '&'), t.end());
    std::replace(t.begin(), t.end(), '\0', '&');
    return t;
}

std::string UniqueComponentName(const TComponent* owner, const std::string& base) {
    for (int n = 1;; ++n) {
        std::string name = base + std::to_string(n);
        bool taken = false;
        if (owner)
            for (int i = 0; i < owner->ComponentCount() && !taken; ++i)
                taken = owner->Components(i)->Name() == name;
        if (!taken)
            return name;
    }
}

bool InheritsFromName(TClass cls, const std::string& name) {
    for (; cls; cls = cls->Parent())
        if (SameText(cls->Name(), name))
            return true;
    return false;
}

int64_t GetOrdPropByName(const TObject* object, const std::string& name) {
    if (!object)
        return 0;
    PPropInfo prop = FindPropInfo(object, name);
    if (!prop || !prop->GetOrd)
        return 0;
    return GetOrdProp(object, prop);
}

// ---------------------------------------------------------------------------
// Text measuring

int WrappedTextHeight(TCanvas* canvas, unsigned flags, int width, const std::string& text) {
    TRect r(0, 0, width, 0);
    return canvas->DrawText(text, r, flags | DT_CALCRECT);
}

void MultiLineExtent(TCanvas* canvas, const std::string& text, int lineSpacing, TPoint& size,
                     unsigned flags, int width) {
    size = TPoint(0, 0);
    int n = CountTokens(text, "\r\n");
    for (int i = 0; i < n; ++i) {
        std::string line = GetToken(text, "\r\n", i);
        if (width != 0) {
            TRect r(0, 0, width, 0);
            canvas->DrawText(line, r, flags | DT_CALCRECT);
            size.Y += r.Height();
            size.X = std::max(size.X, r.Width());
        } else {
            TSize ext = canvas->TextExtent(line);
            size.Y += canvas->TextHeight(line);
            size.X = std::max(size.X, ext.cx);
        }
        if (i + 1 < n)
            size.Y += lineSpacing;
    }
}

// ---------------------------------------------------------------------------
// Colours

void SplitColor(TColor color, uint8_t& flags, uint8_t& blue, uint8_t& red, uint8_t& green) {
    uint32_t c = uint32_t(ColorToRGB(color));
    flags = uint8_t(c >> 24);
    blue = uint8_t(c >> 16);
    green = uint8_t(c >> 8);
    red = uint8_t(c);
}

TColor AdjustColor(TColor color, int amount, bool percent) {
    uint8_t flags, b, r, g;
    SplitColor(color, flags, b, r, g);
    int ch[3] = {r, b, g}; // adjusted in this order
    for (int i = 0; i < 3; ++i) {
        int c = ch[i];
        int other = std::max(ch[(i + 1) % 3], ch[(i + 2) % 3]);
        if (c == 0 && other == 255 && amount > 0)
            c = percent ? amount * 255 / 100 : amount;
        else if (percent)
            c += amount > 0 ? (255 - c) * amount / 100 : c * amount / 100;
        else
            c += amount;
        ch[i] = std::clamp(c, 0, 255);
    }
    return RGB(ch[0], ch[2], ch[1]);
}

uint32_t ImageListColor(TColor color) {
    if (color == clNone)
        return 0xFFFFFFFFu;
    if (color == clDefault)
        return 0xFF000000u;
    return uint32_t(ColorToRGB(color));
}

// ---------------------------------------------------------------------------
// Drawing

void MaskedDraw(TCanvas* canvas, const TRect& dest, const TBitmap* image, bool offScreen,
                const TBitmap* mask) {
    if (!canvas || !image || !mask || image->Empty() || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    TRect src(0, 0, image->Width(), image->Height());
    auto draw = [&](TCanvas* c, const TRect& d) {
        TColor bk = c->BkColor(), text = c->TextColor();
        c->SetBkColor(clWhite);
        c->SetTextColor(clBlack);
        c->StretchBltBitmap(d, image, src, SRCINVERT);
        c->StretchBltBitmap(d, mask, TRect(0, 0, mask->Width(), mask->Height()), ROP_DSNA, true);
        c->StretchBltBitmap(d, image, src, SRCINVERT);
        c->SetBkColor(bk);
        c->SetTextColor(text);
    };
    if (!offScreen) {
        draw(canvas, dest);
        return;
    }
    TBitmap tmp(dest.Width(), dest.Height());
    TRect local(0, 0, dest.Width(), dest.Height());
    TCanvas* tc = tmp.Canvas();
    tc->SetCopyMode(cmSrcCopy);
    tc->CopyRect(local, canvas, dest);
    draw(tc, local);
    tc->ReleasePainter();
    TCopyMode mode = canvas->CopyMode();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->StretchBltBitmap(dest, &tmp, local, SRCCOPY);
    canvas->SetCopyMode(mode);
}

void DrawTransparentBitmap(TCanvas* canvas, const TRect& r, const TFxBitmap* bitmap,
                           TColor keyColor) {
    if (!bitmap || bitmap->IsBlank())
        return;
    TColor key = keyColor == -1 ? bitmap->Pixel(0, 0) : ColorToRGB(keyColor);
    TFxBitmap maskCopy;
    maskCopy.AssignFrom(bitmap);
    maskCopy.MaskFromColor(key);
    TBitmap mask;
    maskCopy.CopyToBitmap(&mask);
    mask.SetMonochrome(true);
    TBitmap image;
    bitmap->CopyToBitmap(&image);
    MaskedDraw(canvas, r, &image, true, &mask);
}

void DrawImageListGlyph(const TImageList* list, int index, TCanvas* canvas, bool enabled,
                        TDrawingStyle style, int y, int x) {
    if (!list || !canvas || list->Count() == 0)
        return;
    list->Draw(canvas, x, y, index, style, enabled);
}

void MakeDisabledBitmap(const TBitmap* source, TBitmap* dest) {
    if (!source || !dest)
        return;
    int w = source->Width(), h = source->Height();
    dest->SetSize(w, h);
    TCanvas* dc = dest->Canvas();
    dc->Brush()->SetColor(clBtnFace);
    dc->Brush()->SetStyle(bsSolid);
    dc->FillRect(TRect(0, 0, w, h));
    if (source->Empty())
        return;
    // The shape: dark pixels other than the transparent colour are set (black).
    TFxBitmap shape;
    shape.AssignFrom(source);
    TColor key = ColorToRGB(source->TransparentColor());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColor c = shape.Pixel(x, y);
            bool light = GetRValue(c) > 0xC0 && GetGValue(c) > 0xC0 && GetBValue(c) > 0xC0;
            shape.SetPixel(x, y, (c == key || light) ? clWhite : clBlack);
        }
    TBitmap mono;
    shape.CopyToBitmap(&mono);
    mono.SetMonochrome(true);
    TColor bk = dc->BkColor(), text = dc->TextColor();
    dc->SetTextColor(clWhite); // set bits of the shape
    dc->SetBkColor(clBlack);
    dc->Brush()->SetColor(clBtnHighlight);
    dc->StretchBltBitmap(TRect(1, 1, w + 1, h + 1), &mono, TRect(0, 0, w, h), ROP_PSDPXAX, true);
    dc->Brush()->SetColor(clBtnShadow);
    dc->StretchBltBitmap(TRect(0, 0, w, h), &mono, TRect(0, 0, w, h), ROP_PSDPXAX, true);
    dc->SetBkColor(bk);
    dc->SetTextColor(text);
    dc->ReleasePainter();
}

std::unique_ptr<TBitmap> CreateCheckerBrush() {
    auto bmp = std::make_unique<TBitmap>(8, 8);
    bmp->SetMonochrome(true);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bmp->Canvas()->SetPixels(x, y, ((x + y) % 2 == 0) ? clWhite : clBlack);
    bmp->Canvas()->ReleasePainter();
    return bmp;
}

void DitherFill(TCanvas* canvas, const TRect& r, TColor color1, TColor color2) {
    if (color2 == clNone)
        throw EInvalidOperation("Color2 cannot be clNone");
    if (!canvas || r.Width() <= 0 || r.Height() <= 0)
        return;
    if (color1 == clNone) {
        TColor c2 = ColorToRGB(color2);
        TColor inverse = RGB(255 - GetRValue(c2), 255 - GetGValue(c2), 255 - GetBValue(c2));
        TFxBitmap tmp;
        tmp.AllocateImage(r.Width(), r.Height());
        DitherFill(tmp.Canvas(), TRect(0, 0, r.Width(), r.Height()), inverse, c2);
        tmp.Canvas()->ReleasePainter();
        DrawTransparentBitmap(canvas, r, &tmp, -1);
        return;
    }
    std::unique_ptr<TBitmap> pattern = CreateCheckerBrush();
    TColor bk = canvas->BkColor(), text = canvas->TextColor();
    TBrush saved;
    saved.AssignFrom(canvas->Brush());
    canvas->Brush()->SetBitmap(pattern.get());
    canvas->Brush()->SetColor(color1);
    canvas->Handle(); // the brush and font realised, so the colours below stay
    canvas->SetTextColor(color2);
    canvas->SetBkColor(color1);
    canvas->FillRect(r);
    canvas->Brush()->SetBitmap(nullptr);
    canvas->Brush()->AssignFrom(&saved);
    canvas->SetBkColor(bk);
    canvas->SetTextColor(text);
}

void TileGraphic(const TGraphic* graphic, TCanvas* canvas, const TRect& r) {
    if (!graphic || graphic->Empty() || !canvas)
        return;
    int w = graphic->Width(), h = graphic->Height();
    for (int x = 0; x < r.Width(); x += w)
        for (int y = 0; y < r.Height(); y += h)
            canvas->Draw(x, y, graphic);
}

void FillOutsideRegion(TFxBitmap* bitmap, const TRegion& region) {
    if (!bitmap || bitmap->IsBlank())
        return;
    TColor fill = bitmap->TransparentColor();
    for (int y = 0; y < bitmap->ImageHeight(); ++y)
        for (int x = 0; x < bitmap->ImageWidth(); ++x)
            if (!region.Contains(x, y))
                bitmap->SetPixel(x, y, fill);
}

// ---------------------------------------------------------------------------
// Regions and invalidation

namespace {
void PutInt(std::vector<uint8_t>& out, size_t at, int32_t v) {
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(u >> (8 * i));
}
} // namespace

std::vector<uint8_t> RegionDataOfRects(const std::vector<TRect>& rects) {
    std::vector<uint8_t> data(32 + 16 * rects.size());
    TRect bound;
    bool first = true;
    for (const TRect& r : rects) {
        if (first)
            bound = r;
        else
            bound = TRect(std::min(bound.Left, r.Left), std::min(bound.Top, r.Top),
                          std::max(bound.Right, r.Right), std::max(bound.Bottom, r.Bottom));
        first = false;
    }
    PutInt(data, 0, 32);
    PutInt(data, 4, 1);
    PutInt(data, 8, int32_t(rects.size()));
    PutInt(data, 12, int32_t(16 * rects.size()));
    PutInt(data, 16, bound.Left);
    PutInt(data, 20, bound.Top);
    PutInt(data, 24, bound.Right);
    PutInt(data, 28, bound.Bottom);
    size_t at = 32;
    for (const TRect& r : rects) {
        PutInt(data, at, r.Left);
        PutInt(data, at + 4, r.Top);
        PutInt(data, at + 8, r.Right);
        PutInt(data, at + 12, r.Bottom);
        at += 16;
    }
    return data;
}

std::optional<TRegion> RegionFromBitmap(const TFxBitmap* bitmap, TColor keyColor) {
    if (!bitmap || bitmap->IsBlank())
        return std::nullopt;
    TColor key = keyColor == -1 ? bitmap->Pixel(0, 0) : ColorToRGB(keyColor);
    uint8_t kb = uint8_t(GetBValue(key)), kg = uint8_t(GetGValue(key)),
            kr = uint8_t(GetRValue(key));
    std::vector<TRect> rects;
    int w = bitmap->ImageWidth();
    for (int y = 0; y < bitmap->ImageHeight(); ++y) {
        const uint8_t* p = bitmap->ScanLine(y);
        int x = 0;
        while (x < w) {
            while (x < w && p[3 * x] == kb && p[3 * x + 1] == kg && p[3 * x + 2] == kr)
                ++x;
            int start = x;
            while (x < w && !(p[3 * x] == kb && p[3 * x + 1] == kg && p[3 * x + 2] == kr))
                ++x;
            if (x > start)
                rects.emplace_back(start, y, x, y + 1);
        }
    }
    if (rects.empty())
        return std::nullopt;
    return TRegion::FromData(RegionDataOfRects(rects));
}

void CombineChildRegions(const TWinControl* parent, TRegion& region, int mode,
                         const TPoint& offset) {
    if (!parent)
        return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (GetOrdPropByName(c, "Transparent") != 0)
            continue;
        TRect r = c->BoundsRect();
        if (!dynamic_cast<TWinControl*>(c)) {
            r.Right = std::min(r.Right, parent->Width());
            r.Bottom = std::min(r.Bottom, parent->Height());
        }
        TRegion part = TRegion::FromRect(r);
        part.Offset(offset.X, offset.Y);
        region.Combine(part, mode);
    }
}

void InvalidateWindowTree(TWinControl* window) {
    if (!window)
        return;
    window->InvalidateRect(nullptr);
    for (int i = 0; i < window->ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(window->Controls(i)))
            InvalidateWindowTree(w);
}

void InvalidateChildrenOver(TWinControl* parent, const TWinControl* window) {
    if (!parent || !window)
        return;
    TRect area = window->BoundsRect();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
        TRect common;
        if (w && IntersectRects(common, w->BoundsRect(), area))
            InvalidateWindowTree(w);
    }
}

void InvalidateParentArea(TControl* control, bool /*erase*/) {
    if (!control || !control->Parent())
        return;
    TRect r = control->BoundsRect();
    control->Parent()->InvalidateRect(&r);
}

// ---------------------------------------------------------------------------
// Glyph-and-text layout

namespace {
// One coordinate: flag 1 counts the glyph, flag 2 the text (both: also the spacing); flag
// 4 adds the other element's extent and the spacing.
int LayoutCoordinate(int center, unsigned flags, int glyph, int text, int spacing, bool isGlyph) {
    int total = 0;
    if (flags & 1)
        total += glyph;
    if (flags & 2)
        total += text;
    if ((flags & 3) == 3)
        total += spacing;
    int v = center - total / 2;
    if (flags & 4)
        v += (isGlyph ? text : glyph) + spacing;
    return v;
}
} // namespace

void CalcGlyphTextLayout(const TPoint& center, TRect& textRect, TRect& glyphRect, int spacing,
                         TButtonLayout layout, const TPoint& glyphSize, const TPoint& textSize) {
    if (glyphSize.X == 0 || glyphSize.Y == 0)
        spacing = (spacing - 6) / 2;
    struct TFlags {
        unsigned TextH, TextV, GlyphH, GlyphV;
    };
    static const TFlags kTable[] = {
        {1 | 2 | 4, 2, 1 | 2, 1}, // blGlyphLeft
        {1 | 2, 2, 1 | 2 | 4, 1}, // blGlyphRight
        {2, 1 | 2 | 4, 1, 1 | 2}, // blGlyphTop
        {2, 1 | 2, 1, 1 | 2 | 4}, // blGlyphBottom
    };
    const TFlags& f = kTable[int(layout)];
    int gw = glyphSize.X, gh = glyphSize.Y + 1; // the glyph counts one more vertically
    int tw = textSize.X, th = textSize.Y;
    int tx = LayoutCoordinate(center.X, f.TextH, gw, tw, spacing, false);
    int ty = LayoutCoordinate(center.Y, f.TextV, gh, th, spacing, false);
    int gx = LayoutCoordinate(center.X, f.GlyphH, gw, tw, spacing, true);
    int gy = LayoutCoordinate(center.Y, f.GlyphV, gh, th, spacing, true);
    textRect = TRect(tx, ty, tx + tw, ty + th);
    glyphRect = TRect(gx, gy, gx + glyphSize.X, gy + glyphSize.Y);
}

// ---------------------------------------------------------------------------
// Animation

namespace {
int Step(int start, int end, double f) {
    return start + int(Trunc((end - start) * f));
}

void PlaceStep(TFxAnimateListItem& item, const TFxPlaceEvent& onPlace, double f) {
    if (!item.Control)
        return;
    item.StepRect = item.Control->BoundsRect();
    TRect r(Step(item.StartRect.Left, item.EndRect.Left, f),
            Step(item.StartRect.Top, item.EndRect.Top, f),
            Step(item.StartRect.Right, item.EndRect.Right, f),
            Step(item.StartRect.Bottom, item.EndRect.Bottom, f));
    if (onPlace)
        onPlace(item.Control, r);
    else
        item.Control->SetBoundsRect(r);
}
} // namespace

void AnimateControls(const std::vector<std::unique_ptr<TFxGroupAnimateItem>>& list,
                     const TFxPlaceEvent& onPlace, int steps, int interval) {
    if (list.empty() || steps <= 0)
        return;
    for (int s = 1; s <= steps; ++s) {
        double f = double(s) / double(steps);
        for (const auto& g : list) {
            if (g->ButtonItem)
                PlaceStep(*g->ButtonItem, onPlace, f);
            if (g->PanelItem)
                PlaceStep(*g->PanelItem, onPlace, f);
        }
        for (const auto& g : list) {
            if (g->ButtonItem && g->ButtonItem->Control) {
                g->ButtonItem->Control->Invalidate();
                g->ButtonItem->Control->Update();
            }
            if (g->PanelItem && g->PanelItem->Control) {
                TControl* panel = g->PanelItem->Control;
                panel->Invalidate();
                const TRect& before = g->PanelItem->StepRect;
                if (before.Left == panel->Left() && before.Top == panel->Top())
                    panel->Update();
            }
        }
        Application->ProcessMessages();
        Sleep(uint32_t(std::max(0, interval)));
        Application->ProcessMessages();
    }
}
