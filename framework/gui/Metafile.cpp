#include "framework/gui/Metafile.h"

#include "framework/core/SystemUtils.h"

#include <QFontMetrics>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>

namespace {

// The picture of an image record (a null image for a record without one).
const QImage& ImageOf(const TMetafileRecord& r) {
    static const QImage none;
    return r.Image ? *r.Image : none;
}

// ---------------------------------------------------------------------------
// Little-endian byte writer

class TByteWriter {
public:
    std::vector<uint8_t> Data;
    size_t Size() const { return Data.size(); }
    void U8(uint32_t v) { Data.push_back(uint8_t(v)); }
    void U16(uint32_t v) {
        Data.push_back(uint8_t(v));
        Data.push_back(uint8_t(v >> 8));
    }
    void I16(int v) { U16(uint32_t(uint16_t(int16_t(std::clamp(v, -32768, 32767))))); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            Data.push_back(uint8_t(v >> (8 * i)));
    }
    void I32(int v) { U32(uint32_t(v)); }
    void F32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        U32(u);
    }
    void Bytes(const void* p, size_t n) {
        auto* b = static_cast<const uint8_t*>(p);
        Data.insert(Data.end(), b, b + n);
    }
    void PadTo(size_t multiple) {
        while (Data.size() % multiple)
            Data.push_back(0);
    }
    void Patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            Data[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
    void Patch16(size_t at, uint32_t v) {
        Data[at] = uint8_t(v);
        Data[at + 1] = uint8_t(v >> 8);
    }
};

uint32_t ColorRef(TColor c) {
    return uint32_t(ColorToRGB(c)) & 0xFFFFFF;
}

uint32_t Rop2Code(TPenMode mode) {
    static const uint32_t kCodes[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
    return kCodes[mode];
}

uint32_t PenStyleCode(const TMetafileRecord& r) {
    if (r.PenWidth > 1 && r.PenStyle != psClear)
        return r.PenStyle == psInsideFrame ? 6 : 0;
    return uint32_t(r.PenStyle);
}

void BrushCode(const TMetafileRecord& r, uint32_t& style, uint32_t& hatch) {
    hatch = 0;
    switch (r.BrushStyle) {
    case bsSolid:
        style = 0;
        break;
    case bsClear:
        style = 1;
        break;
    default:
        style = 2;
        hatch = uint32_t(r.BrushStyle - bsHorizontal);
        break;
    }
}

int FontWeight(const TMetafileRecord& r) {
    return r.FontStyle.Contains(fsBold) ? 700 : 400;
}

// Text for a font of the Greek or the western character set, one byte per character:
// code page 1253 when the font's character set is Greek or the text holds Greek letters
// (greek is then set), code page 1252 otherwise. Characters the code page lacks become
// "?".
std::string EncodeAnsi(const std::string& utf8, TFontCharset charset, bool& greek) {
    const QList<uint> codePoints = QString::fromStdString(utf8).toUcs4();
    greek =
        charset == GREEK_CHARSET || std::any_of(codePoints.begin(), codePoints.end(),
                                                [](uint u) { return u >= 0x0384 && u <= 0x03CE; });
    const int codePage = greek ? 1253 : 1252;
    std::string out;
    out.reserve(size_t(codePoints.size()));
    for (uint u : codePoints) {
        const int b = UnicodeToAnsiChar(u, codePage);
        out += b < 0 ? '?' : char(b);
    }
    return out;
}

QFont RecordFont(const TMetafileRecord& r) {
    TFont f;
    f.SetName(r.FontName);
    f.SetHeight(r.FontHeight);
    f.SetStyle(r.FontStyle);
    return f.ToQFont(1.0);
}

TRect BoundsOf(const std::vector<TPoint>& pts) {
    if (pts.empty())
        return TRect();
    TRect b(pts[0].X, pts[0].Y, pts[0].X, pts[0].Y);
    for (const TPoint& p : pts) {
        b.Left = std::min(b.Left, p.X);
        b.Top = std::min(b.Top, p.Y);
        b.Right = std::max(b.Right, p.X);
        b.Bottom = std::max(b.Bottom, p.Y);
    }
    return b;
}

// A 24-bit bottom-up device-independent bitmap: info header and bits.
void WriteDib(TByteWriter& w, const QImage& image) {
    QImage img = image.convertToFormat(QImage::Format_RGB32);
    int stride = ((img.width() * 3 + 3) / 4) * 4;
    w.U32(40);
    w.I32(img.width());
    w.I32(img.height());
    w.U16(1);
    w.U16(24);
    w.U32(0);
    w.U32(uint32_t(stride * img.height()));
    w.U32(3780);
    w.U32(3780);
    w.U32(0);
    w.U32(0);
    std::vector<uint8_t> row(size_t(stride), 0);
    for (int y = img.height() - 1; y >= 0; --y) {
        const QRgb* px = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            row[size_t(x) * 3] = uint8_t(qBlue(px[x]));
            row[size_t(x) * 3 + 1] = uint8_t(qGreen(px[x]));
            row[size_t(x) * 3 + 2] = uint8_t(qRed(px[x]));
        }
        w.Bytes(row.data(), row.size());
    }
}

// The drawing state as it was last written to the file.
struct TWrittenState {
    std::optional<uint32_t> BkMode, BkColor, TextColor, TextAlign, Rop2;
    bool HasPen = false, HasBrush = false, HasFont = false;
    TMetafileRecord Pen, Brush, Font;
};

bool SamePen(const TMetafileRecord& a, const TMetafileRecord& b) {
    return a.PenColor == b.PenColor && a.PenWidth == b.PenWidth && a.PenStyle == b.PenStyle;
}
bool SameBrush(const TMetafileRecord& a, const TMetafileRecord& b) {
    return a.BrushColor == b.BrushColor && a.BrushStyle == b.BrushStyle;
}
bool SameFont(const TMetafileRecord& a, const TMetafileRecord& b) {
    return a.FontName == b.FontName && a.FontHeight == b.FontHeight && a.FontStyle == b.FontStyle &&
           a.FontCharset == b.FontCharset && a.FontEscapement == b.FontEscapement;
}

// Fills are written as rectangles drawn with a clear pen.
bool IsFill(TMetafileRecord::TKind k) {
    using K = TMetafileRecord;
    return k == K::mrFillRect || k == K::mrBrushFill || k == K::mrPatBlt;
}

// The state a record is written with.
TMetafileRecord WrittenState(const TMetafileRecord& r) {
    TMetafileRecord s = r;
    s.Image.reset();
    if (IsFill(r.Kind)) {
        s.PenStyle = psClear;
        s.PenWidth = 1;
        s.PenColor = clBlack;
    }
    return s;
}

bool UsesPen(TMetafileRecord::TKind k) {
    using K = TMetafileRecord;
    return k == K::mrLine || k == K::mrRectangle || k == K::mrEllipse || k == K::mrRoundRect ||
           k == K::mrArc || k == K::mrPie || k == K::mrChord || k == K::mrPolygon ||
           k == K::mrPolyline || IsFill(k);
}
bool UsesBrush(TMetafileRecord::TKind k) {
    using K = TMetafileRecord;
    return k == K::mrRectangle || k == K::mrEllipse || k == K::mrRoundRect || k == K::mrPie ||
           k == K::mrChord || k == K::mrPolygon || k == K::mrBrushFill || k == K::mrFillRect ||
           k == K::mrPatBlt;
}

TRect ClipBox(const TMetafileRecord& r) {
    TRect b;
    for (const TRect& c : r.Clip)
        UnionRect(b, b, c);
    return b;
}

// ---------------------------------------------------------------------------
// Enhanced metafile writer

class TEmfWriter {
public:
    TEmfWriter(const TMetafile& mf) : FMetafile(mf) {}
    std::vector<uint8_t> Write();

private:
    size_t Begin(uint32_t type) {
        size_t at = FOut.Size();
        FOut.U32(type);
        FOut.U32(0);
        return at;
    }
    void End(size_t at) {
        FOut.PadTo(4);
        FOut.Patch32(at + 4, uint32_t(FOut.Size() - at));
        ++FRecords;
    }
    void Simple(uint32_t type, std::initializer_list<uint32_t> values) {
        size_t at = Begin(type);
        for (uint32_t v : values)
            FOut.U32(v);
        End(at);
    }
    void RectL(const TRect& r) {
        FOut.I32(r.Left);
        FOut.I32(r.Top);
        FOut.I32(r.Right);
        FOut.I32(r.Bottom);
    }
    void State(const TMetafileRecord& r);
    void Record(const TMetafileRecord& r);
    void Text(const TMetafileRecord& r);

    const TMetafile& FMetafile;
    TByteWriter FOut;
    uint32_t FRecords = 0;
    TWrittenState FState;
};

constexpr uint32_t EMR_HEADER = 1, EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_EOF = 14,
                   EMR_SETPIXELV = 15, EMR_SETBKMODE = 18, EMR_SETROP2 = 20,
                   EMR_SETPOLYFILLMODE = 19, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24,
                   EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27, EMR_INTERSECTCLIPRECT = 30,
                   EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
                   EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42,
                   EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46,
                   EMR_PIE = 47, EMR_LINETO = 54, EMR_STRETCHDIBITS = 81,
                   EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84;
constexpr uint32_t kPenHandle = 1, kBrushHandle = 2, kFontHandle = 3;
constexpr uint32_t kStockWhiteBrush = 0x80000000, kStockBlackPen = 0x80000007,
                   kStockSystemFont = 0x8000000D;

void TEmfWriter::State(const TMetafileRecord& r) {
    auto set = [&](std::optional<uint32_t>& slot, uint32_t type, uint32_t value) {
        if (slot && *slot == value)
            return;
        slot = value;
        Simple(type, {value});
    };
    set(FState.BkMode, EMR_SETBKMODE, uint32_t(r.BkMode));
    set(FState.BkColor, EMR_SETBKCOLOR, ColorRef(r.BkColor));
    set(FState.Rop2, EMR_SETROP2, Rop2Code(r.PenMode));
    if (r.Kind == TMetafileRecord::mrText) {
        set(FState.TextColor, EMR_SETTEXTCOLOR, ColorRef(r.TextColor));
        set(FState.TextAlign, EMR_SETTEXTALIGN, r.TextAlign);
        if (!FState.HasFont || !SameFont(FState.Font, r)) {
            if (FState.HasFont) {
                Simple(EMR_SELECTOBJECT, {kStockSystemFont});
                Simple(EMR_DELETEOBJECT, {kFontHandle});
            }
            size_t at = Begin(EMR_EXTCREATEFONTINDIRECTW);
            FOut.U32(kFontHandle);
            FOut.I32(r.FontHeight);
            FOut.I32(0);
            FOut.I32(r.FontEscapement);
            FOut.I32(r.FontEscapement);
            FOut.I32(FontWeight(r));
            FOut.U8(r.FontStyle.Contains(fsItalic));
            FOut.U8(r.FontStyle.Contains(fsUnderline));
            FOut.U8(r.FontStyle.Contains(fsStrikeOut));
            FOut.U8(r.FontCharset);
            FOut.U8(7); // TrueType output precision
            FOut.U8(0);
            FOut.U8(0);
            FOut.U8(0);
            std::u16string face = QString::fromStdString(r.FontName).left(31).toStdU16String();
            for (size_t i = 0; i < 32; ++i)
                FOut.U16(i < face.size() ? face[i] : 0);
            End(at);
            Simple(EMR_SELECTOBJECT, {kFontHandle});
            FState.HasFont = true;
            FState.Font = r;
        }
    }
    if (UsesPen(r.Kind) && (!FState.HasPen || !SamePen(FState.Pen, r))) {
        if (FState.HasPen) {
            Simple(EMR_SELECTOBJECT, {kStockBlackPen});
            Simple(EMR_DELETEOBJECT, {kPenHandle});
        }
        Simple(EMR_CREATEPEN,
               {kPenHandle, PenStyleCode(r), uint32_t(r.PenWidth), 0, ColorRef(r.PenColor)});
        Simple(EMR_SELECTOBJECT, {kPenHandle});
        FState.HasPen = true;
        FState.Pen = r;
    }
    if (UsesBrush(r.Kind) && (!FState.HasBrush || !SameBrush(FState.Brush, r))) {
        if (FState.HasBrush) {
            Simple(EMR_SELECTOBJECT, {kStockWhiteBrush});
            Simple(EMR_DELETEOBJECT, {kBrushHandle});
        }
        uint32_t style, hatch;
        BrushCode(r, style, hatch);
        Simple(EMR_CREATEBRUSHINDIRECT, {kBrushHandle, style, ColorRef(r.BrushColor), hatch});
        Simple(EMR_SELECTOBJECT, {kBrushHandle});
        FState.HasBrush = true;
        FState.Brush = r;
    }
}

void TEmfWriter::Text(const TMetafileRecord& r) {
    QString s = QString::fromStdString(r.Text);
    std::u16string u = s.toStdU16String();
    QFontMetrics fm(RecordFont(r));
    size_t at = Begin(EMR_EXTTEXTOUTW);
    int width = fm.horizontalAdvance(s);
    RectL(TRect(r.Points[0].X, r.Points[0].Y, r.Points[0].X + width, r.Points[0].Y + fm.height()));
    FOut.U32(1); // compatible graphics mode
    FOut.F32(0);
    FOut.F32(0);
    FOut.I32(r.Points[0].X);
    FOut.I32(r.Points[0].Y);
    FOut.U32(uint32_t(u.size()));
    size_t offString = 76;
    size_t offDx = offString + ((u.size() * 2 + 3) / 4) * 4;
    FOut.U32(uint32_t(offString));
    FOut.U32(r.HasRect ? (r.Options & (ETO_OPAQUE | ETO_CLIPPED)) : 0);
    RectL(r.HasRect ? r.Rect : TRect());
    FOut.U32(uint32_t(offDx));
    for (char16_t c : u)
        FOut.U16(c);
    FOut.PadTo(4);
    for (char16_t c : u)
        FOut.U32(uint32_t(fm.horizontalAdvance(QChar(c))));
    End(at);
}

void TEmfWriter::Record(const TMetafileRecord& r) {
    using K = TMetafileRecord;
    State(WrittenState(r));
    // The clip holds for this record only: objects are selected before the save.
    bool clipped = r.HasClip;
    if (clipped) {
        Simple(EMR_SAVEDC, {});
        TRect b = ClipBox(r);
        Simple(EMR_INTERSECTCLIPRECT,
               {uint32_t(b.Left), uint32_t(b.Top), uint32_t(b.Right), uint32_t(b.Bottom)});
    }
    auto rect = [&](uint32_t type) {
        size_t at = Begin(type);
        RectL(r.Rect);
        End(at);
    };
    switch (r.Kind) {
    case K::mrLine:
        Simple(EMR_MOVETOEX, {uint32_t(r.Points[0].X), uint32_t(r.Points[0].Y)});
        Simple(EMR_LINETO, {uint32_t(r.Points[1].X), uint32_t(r.Points[1].Y)});
        break;
    case K::mrRectangle:
        rect(EMR_RECTANGLE);
        break;
    case K::mrEllipse:
        rect(EMR_ELLIPSE);
        break;
    case K::mrRoundRect: {
        size_t at = Begin(EMR_ROUNDRECT);
        RectL(r.Rect);
        FOut.I32(r.Points[0].X);
        FOut.I32(r.Points[0].Y);
        End(at);
        break;
    }
    case K::mrArc:
    case K::mrPie:
    case K::mrChord: {
        size_t at = Begin(r.Kind == K::mrArc ? EMR_ARC : r.Kind == K::mrPie ? EMR_PIE : EMR_CHORD);
        RectL(r.Rect);
        FOut.I32(r.Points[0].X);
        FOut.I32(r.Points[0].Y);
        FOut.I32(r.Points[1].X);
        FOut.I32(r.Points[1].Y);
        End(at);
        break;
    }
    case K::mrPolygon:
    case K::mrPolyline: {
        size_t at = Begin(r.Kind == K::mrPolygon ? EMR_POLYGON16 : EMR_POLYLINE16);
        RectL(BoundsOf(r.Points));
        FOut.U32(uint32_t(r.Points.size()));
        for (const TPoint& p : r.Points) {
            FOut.I16(p.X);
            FOut.I16(p.Y);
        }
        End(at);
        break;
    }
    case K::mrFillRect:
    case K::mrBrushFill:
    case K::mrPatBlt:
    case K::mrFocusRect: {
        // A fill is a rectangle with the clear pen, one pixel larger as the clear pen
        // makes rectangles one smaller.
        if (r.Kind == K::mrFocusRect)
            break;
        size_t at = Begin(EMR_RECTANGLE);
        RectL(TRect(r.Rect.Left, r.Rect.Top, r.Rect.Right + 1, r.Rect.Bottom + 1));
        End(at);
        break;
    }
    case K::mrPixel:
        Simple(EMR_SETPIXELV,
               {uint32_t(r.Points[0].X), uint32_t(r.Points[0].Y), ColorRef(r.FillColor)});
        break;
    case K::mrText:
        Text(r);
        break;
    case K::mrImage: {
        TByteWriter dib;
        WriteDib(dib, ImageOf(r).copy(r.SourceRect.Left, r.SourceRect.Top, r.SourceRect.Width(),
                                      r.SourceRect.Height()));
        size_t at = Begin(EMR_STRETCHDIBITS);
        RectL(r.Rect);
        FOut.I32(r.Rect.Left);
        FOut.I32(r.Rect.Top);
        FOut.I32(0);
        FOut.I32(0);
        FOut.I32(r.SourceRect.Width());
        FOut.I32(r.SourceRect.Height());
        FOut.U32(80);
        FOut.U32(40);
        FOut.U32(120);
        FOut.U32(uint32_t(dib.Size() - 40));
        FOut.U32(0);
        FOut.U32(r.Rop);
        FOut.I32(r.Rect.Width());
        FOut.I32(r.Rect.Height());
        FOut.Bytes(dib.Data.data(), dib.Size());
        End(at);
        break;
    }
    }
    if (clipped)
        Simple(EMR_RESTOREDC, {uint32_t(-1)});
}

std::vector<uint8_t> TEmfWriter::Write() {
    int w = std::max(1, FMetafile.Width()), h = std::max(1, FMetafile.Height());
    std::u16string desc;
    if (!FMetafile.CreatedBy().empty() || !FMetafile.Description().empty()) {
        desc = QString::fromStdString(FMetafile.CreatedBy()).toStdU16String();
        desc.push_back(0);
        desc += QString::fromStdString(FMetafile.Description()).toStdU16String();
        desc.push_back(0);
        desc.push_back(0);
    }
    size_t header = Begin(EMR_HEADER);
    RectL(TRect(0, 0, w - 1, h - 1));
    RectL(TRect(0, 0, FMetafile.MMWidth() - 1, FMetafile.MMHeight() - 1));
    FOut.U32(0x464D4520);
    FOut.U32(0x10000);
    size_t bytesAt = FOut.Size();
    FOut.U32(0); // file size
    FOut.U32(0); // records
    FOut.U16(4); // handles: the table's slot 0 and pen, brush, font
    FOut.U16(0);
    FOut.U32(uint32_t(desc.size()));
    FOut.U32(desc.empty() ? 0 : 108);
    FOut.U32(0);
    // Reference device: 1920 x 1080 pixels at 96 pixels per inch.
    FOut.I32(1920);
    FOut.I32(1080);
    FOut.I32(508);
    FOut.I32(286);
    FOut.U32(0);
    FOut.U32(0);
    FOut.U32(0);
    FOut.I32(508000);
    FOut.I32(285750);
    for (char16_t c : desc)
        FOut.U16(c);
    End(header);
    Simple(EMR_SETPOLYFILLMODE, {1});
    for (const TMetafileRecord& r : FMetafile.Records())
        Record(r);
    Simple(EMR_EOF, {0, 16, 20});
    FOut.Patch32(bytesAt, uint32_t(FOut.Size()));
    FOut.Patch32(bytesAt + 4, FRecords);
    return std::move(FOut.Data);
}

// ---------------------------------------------------------------------------
// Windows metafile writer (placeable)

class TWmfWriter {
public:
    explicit TWmfWriter(const TMetafile& mf) : FMetafile(mf) {}
    std::vector<uint8_t> Write();

private:
    size_t Begin(uint16_t function) {
        size_t at = FOut.Size();
        FOut.U32(0);
        FOut.U16(function);
        return at;
    }
    void End(size_t at) {
        FOut.PadTo(2);
        uint32_t words = uint32_t((FOut.Size() - at) / 2);
        FOut.Patch32(at, words);
        FMaxRecord = std::max(FMaxRecord, words);
    }
    void Simple(uint16_t function, std::initializer_list<int> words) {
        size_t at = Begin(function);
        for (int v : words)
            FOut.I16(v);
        End(at);
    }
    void Color(uint16_t function, uint32_t color) {
        size_t at = Begin(function);
        FOut.U32(color);
        End(at);
    }
    int NewObject() {
        for (size_t i = 0; i < FSlots.size(); ++i)
            if (!FSlots[i]) {
                FSlots[i] = true;
                return int(i);
            }
        FSlots.push_back(true);
        return int(FSlots.size() - 1);
    }
    void Replace(int& current, int made) {
        Simple(0x012D, {made}); // select
        if (current >= 0) {
            Simple(0x01F0, {current}); // delete
            FSlots[size_t(current)] = false;
        }
        current = made;
    }
    void State(const TMetafileRecord& r);
    void Record(const TMetafileRecord& r);
    void RectWords(const TRect& r) {
        FOut.I16(r.Bottom);
        FOut.I16(r.Right);
        FOut.I16(r.Top);
        FOut.I16(r.Left);
    }

    const TMetafile& FMetafile;
    TByteWriter FOut;
    uint32_t FMaxRecord = 0;
    std::vector<bool> FSlots;
    int FPen = -1, FBrush = -1, FFont = -1;
    TWrittenState FState;
};

void TWmfWriter::State(const TMetafileRecord& r) {
    auto set = [&](std::optional<uint32_t>& slot, uint16_t function, uint32_t value) {
        if (slot && *slot == value)
            return;
        slot = value;
        Simple(function, {int(value)});
    };
    auto setColor = [&](std::optional<uint32_t>& slot, uint16_t function, uint32_t value) {
        if (slot && *slot == value)
            return;
        slot = value;
        Color(function, value);
    };
    set(FState.BkMode, 0x0102, uint32_t(r.BkMode));
    setColor(FState.BkColor, 0x0201, ColorRef(r.BkColor));
    set(FState.Rop2, 0x0104, Rop2Code(r.PenMode));
    if (r.Kind == TMetafileRecord::mrText) {
        setColor(FState.TextColor, 0x0209, ColorRef(r.TextColor));
        set(FState.TextAlign, 0x012E, r.TextAlign);
    }
    if (UsesPen(r.Kind) && (!FState.HasPen || !SamePen(FState.Pen, r))) {
        int made = NewObject();
        size_t at = Begin(0x02FA);
        FOut.U16(PenStyleCode(r));
        FOut.I16(r.PenWidth);
        FOut.I16(0);
        FOut.U32(ColorRef(r.PenColor));
        End(at);
        Replace(FPen, made);
        FState.HasPen = true;
        FState.Pen = r;
    }
    if (UsesBrush(r.Kind) && (!FState.HasBrush || !SameBrush(FState.Brush, r))) {
        int made = NewObject();
        uint32_t style, hatch;
        BrushCode(r, style, hatch);
        size_t at = Begin(0x02FC);
        FOut.U16(style);
        FOut.U32(ColorRef(r.BrushColor));
        FOut.U16(hatch);
        End(at);
        Replace(FBrush, made);
        FState.HasBrush = true;
        FState.Brush = r;
    }
}

void TWmfWriter::Record(const TMetafileRecord& r) {
    using K = TMetafileRecord;
    bool greek = false;
    std::string ansi;
    if (r.Kind == K::mrText) {
        ansi = EncodeAnsi(r.Text, r.FontCharset, greek);
        TMetafileRecord font = r;
        if (greek)
            font.FontCharset = GREEK_CHARSET;
        if (!FState.HasFont || !SameFont(FState.Font, font)) {
            int made = NewObject();
            size_t at = Begin(0x02FB);
            FOut.I16(r.FontHeight);
            FOut.I16(0);
            FOut.I16(r.FontEscapement);
            FOut.I16(r.FontEscapement);
            FOut.I16(FontWeight(r));
            FOut.U8(r.FontStyle.Contains(fsItalic));
            FOut.U8(r.FontStyle.Contains(fsUnderline));
            FOut.U8(r.FontStyle.Contains(fsStrikeOut));
            FOut.U8(font.FontCharset);
            FOut.U8(7);
            FOut.U8(0);
            FOut.U8(0);
            FOut.U8(0);
            char face[32] = {};
            std::strncpy(face, r.FontName.c_str(), 31);
            FOut.Bytes(face, 32);
            End(at);
            Replace(FFont, made);
            FState.HasFont = true;
            FState.Font = font;
        }
    }
    State(WrittenState(r));
    bool clipped = r.HasClip;
    if (clipped) {
        Simple(0x001E, {}); // save
        TRect b = ClipBox(r);
        Simple(0x0416, {b.Bottom, b.Right, b.Top, b.Left});
    }
    switch (r.Kind) {
    case K::mrLine:
        Simple(0x0214, {r.Points[0].Y, r.Points[0].X});
        Simple(0x0213, {r.Points[1].Y, r.Points[1].X});
        break;
    case K::mrRectangle:
    case K::mrEllipse: {
        size_t at = Begin(r.Kind == K::mrRectangle ? 0x041B : 0x0418);
        RectWords(r.Rect);
        End(at);
        break;
    }
    case K::mrRoundRect: {
        size_t at = Begin(0x061C);
        FOut.I16(r.Points[0].Y);
        FOut.I16(r.Points[0].X);
        RectWords(r.Rect);
        End(at);
        break;
    }
    case K::mrArc:
    case K::mrPie:
    case K::mrChord: {
        size_t at = Begin(r.Kind == K::mrArc ? 0x0817 : r.Kind == K::mrPie ? 0x081A : 0x0830);
        FOut.I16(r.Points[1].Y);
        FOut.I16(r.Points[1].X);
        FOut.I16(r.Points[0].Y);
        FOut.I16(r.Points[0].X);
        RectWords(r.Rect);
        End(at);
        break;
    }
    case K::mrPolygon:
    case K::mrPolyline: {
        size_t at = Begin(r.Kind == K::mrPolygon ? 0x0324 : 0x0325);
        FOut.I16(int(r.Points.size()));
        for (const TPoint& p : r.Points) {
            FOut.I16(p.X);
            FOut.I16(p.Y);
        }
        End(at);
        break;
    }
    case K::mrFillRect:
    case K::mrBrushFill:
    case K::mrPatBlt: {
        size_t rect = Begin(0x041B);
        RectWords(TRect(r.Rect.Left, r.Rect.Top, r.Rect.Right + 1, r.Rect.Bottom + 1));
        End(rect);
        break;
    }
    case K::mrFocusRect:
        break;
    case K::mrPixel: {
        size_t at = Begin(0x041F);
        FOut.U32(ColorRef(r.FillColor));
        FOut.I16(r.Points[0].Y);
        FOut.I16(r.Points[0].X);
        End(at);
        break;
    }
    case K::mrText: {
        QFontMetrics fm(RecordFont(r));
        QString s = QString::fromStdString(r.Text);
        size_t at = Begin(0x0A32);
        FOut.I16(r.Points[0].Y);
        FOut.I16(r.Points[0].X);
        FOut.I16(int(ansi.size()));
        unsigned options = r.HasRect ? (r.Options & (ETO_OPAQUE | ETO_CLIPPED)) : 0;
        FOut.U16(options);
        if (options) {
            FOut.I16(r.Rect.Left);
            FOut.I16(r.Rect.Top);
            FOut.I16(r.Rect.Right);
            FOut.I16(r.Rect.Bottom);
        }
        FOut.Bytes(ansi.data(), ansi.size());
        FOut.PadTo(2);
        for (QChar c : s)
            FOut.I16(fm.horizontalAdvance(c));
        End(at);
        break;
    }
    case K::mrImage: {
        size_t at = Begin(0x0F43);
        FOut.U32(r.Rop);
        FOut.U16(0);
        FOut.I16(r.SourceRect.Height());
        FOut.I16(r.SourceRect.Width());
        FOut.I16(0);
        FOut.I16(0);
        FOut.I16(r.Rect.Height());
        FOut.I16(r.Rect.Width());
        FOut.I16(r.Rect.Top);
        FOut.I16(r.Rect.Left);
        WriteDib(FOut, ImageOf(r).copy(r.SourceRect.Left, r.SourceRect.Top, r.SourceRect.Width(),
                                       r.SourceRect.Height()));
        End(at);
        break;
    }
    }
    if (clipped)
        Simple(0x0127, {-1}); // restore
}

std::vector<uint8_t> TWmfWriter::Write() {
    int w = std::max(1, FMetafile.Width()), h = std::max(1, FMetafile.Height());
    int inch = FMetafile.Inch() > 0 ? FMetafile.Inch() : 96;
    // Placeable header; its units are pixels scaled to Inch units per inch.
    TByteWriter placeable;
    placeable.U32(0x9AC6CDD7);
    placeable.U16(0);
    placeable.I16(0);
    placeable.I16(0);
    placeable.I16(MulDiv(w, inch, 96));
    placeable.I16(MulDiv(h, inch, 96));
    placeable.U16(uint32_t(inch));
    placeable.U32(0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2)
        checksum ^= uint16_t(placeable.Data[i] | (placeable.Data[i + 1] << 8));
    placeable.U16(checksum);

    FOut.U16(1);
    FOut.U16(9);
    FOut.U16(0x0300);
    FOut.U32(0); // size in words
    FOut.U16(0); // objects
    FOut.U32(0); // largest record
    FOut.U16(0);
    Simple(0x0103, {8});    // anisotropic mapping
    Simple(0x020B, {0, 0}); // window origin
    Simple(0x020C, {h, w}); // window extent
    Simple(0x0106, {1});    // alternate polygon fill
    for (const TMetafileRecord& r : FMetafile.Records())
        Record(r);
    Simple(0x0000, {});
    FOut.Patch32(6, uint32_t(FOut.Size() / 2));
    FOut.Patch16(10, uint32_t(std::max<size_t>(FSlots.size(), 1)));
    FOut.Patch32(12, FMaxRecord);
    std::vector<uint8_t> out = std::move(placeable.Data);
    out.insert(out.end(), FOut.Data.begin(), FOut.Data.end());
    return out;
}

// ---------------------------------------------------------------------------
// Metafile reader: the records the writers above produce (and the same records from other
// programs) become drawing calls again. Every size, count and offset is checked against
// the bytes that are there; a file that points outside itself is not valid.

[[noreturn]] void InvalidMetafile() {
    throw EInvalidGraphic("Metafile is not valid");
}

class TByteReader {
public:
    TByteReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    size_t Size() const { return FSize; }
    uint8_t U8(size_t at) const {
        Need(at, 1);
        return FData[at];
    }
    uint32_t U16(size_t at) const {
        Need(at, 2);
        return uint32_t(FData[at] | (FData[at + 1] << 8));
    }
    int I16(size_t at) const { return int(int16_t(U16(at))); }
    uint32_t U32(size_t at) const {
        Need(at, 4);
        return uint32_t(FData[at]) | (uint32_t(FData[at + 1]) << 8) |
               (uint32_t(FData[at + 2]) << 16) | (uint32_t(FData[at + 3]) << 24);
    }
    int I32(size_t at) const { return int32_t(U32(at)); }
    TByteReader Sub(size_t at, size_t count) const {
        Need(at, count);
        return TByteReader(FData + at, count);
    }
    const uint8_t* Bytes(size_t at, size_t count) const {
        Need(at, count);
        return FData + at;
    }

private:
    void Need(size_t at, size_t count) const {
        if (at > FSize || count > FSize - at)
            InvalidMetafile();
    }
    const uint8_t* FData;
    size_t FSize;
};

// Coordinates far outside any picture are kept within reach of the canvas' arithmetic.
int ClampCoordinate(int64_t v) {
    return int(std::clamp<int64_t>(v, -1000000, 1000000));
}

TPenStyle PenStyleFromCode(uint32_t code) {
    code &= 0xFF;
    return code <= uint32_t(psInsideFrame) ? TPenStyle(code) : psSolid;
}

TBrushStyle BrushStyleFromCode(uint32_t style, uint32_t hatch) {
    if (style == 1)
        return bsClear;
    if (style == 2 && hatch <= uint32_t(bsDiagCross - bsHorizontal))
        return TBrushStyle(bsHorizontal + hatch);
    return bsSolid;
}

TPenMode PenModeFromRop2(uint32_t code) {
    static const uint32_t kCodes[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
    for (size_t i = 0; i < std::size(kCodes); ++i)
        if (kCodes[i] == code)
            return TPenMode(i);
    return pmCopy;
}

TColor ColorFromRef(uint32_t ref) {
    return TColor(ref & 0xFFFFFF);
}

// One byte per character in the Greek (code page 1253) or the western (1252) character
// set; a byte the code page leaves undefined reads as "?".
std::string DecodeAnsi(const uint8_t* bytes, size_t count, bool greek) {
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t u = AnsiCharToUnicode(bytes[i], greek ? 1253 : 1252);
        AppendUtf8(out, u == 0xFFFD ? uint32_t('?') : u);
    }
    return out;
}

// A device-independent bitmap of 24 or 32 bits without compression, the kind the writers
// produce; other kinds give a null image and the record is left out.
QImage DecodeDib(const TByteReader& info, const TByteReader& bits) {
    const uint32_t headerSize = info.U32(0);
    if (headerSize < 40)
        return QImage();
    const int64_t width = info.I32(4);
    int64_t height = info.I32(8);
    const uint32_t bitCount = info.U16(14);
    const uint32_t compression = info.U32(16);
    if ((bitCount != 24 && bitCount != 32) || compression != 0)
        return QImage();
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return QImage();
    const int64_t stride = ((width * bitCount + 31) / 32) * 4;
    if (stride * height > int64_t(bits.Size()))
        return QImage();
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    const size_t bytesPerPixel = bitCount / 8;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row =
            bits.Bytes(size_t((topDown ? y : height - 1 - y) * stride), size_t(stride));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * bytesPerPixel;
            out[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}

// The drawing state while records are read, and the records made so far.
class TMetafilePlayer {
public:
    std::vector<TMetafileRecord> Records;
    TMetafileRecord State;
    TPoint Position;
    // Mapping of the file's coordinates to the picture's pixels.
    double OriginX = 0, OriginY = 0, ScaleX = 1, ScaleY = 1;

    TMetafilePlayer() {
        State.PenColor = clBlack;
        State.BrushColor = clWhite;
    }

    TPoint Map(int64_t x, int64_t y) const {
        return TPoint(ClampCoordinate(std::llround((double(x) - OriginX) * ScaleX)),
                      ClampCoordinate(std::llround((double(y) - OriginY) * ScaleY)));
    }
    TRect MapRect(int64_t l, int64_t t, int64_t r, int64_t b) const {
        const TPoint a = Map(l, t), c = Map(r, b);
        return TRect(a.X, a.Y, c.X, c.Y);
    }

    TMetafileRecord& Add(TMetafileRecord::TKind kind) {
        TMetafileRecord& r = Records.emplace_back(State);
        r.Kind = kind;
        r.Points.clear();
        r.Text.clear();
        r.Image.reset();
        return r;
    }

    // A decoded picture drawn with its top left at a (already mapped) and the extent
    // (cx, cy) in the file's units.
    void AddImage(const QImage& image, TPoint a, int64_t cx, int64_t cy, uint32_t rop) {
        TMetafileRecord& m = Add(TMetafileRecord::mrImage);
        m.Rect = TRect(a.X, a.Y, ClampCoordinate(a.X + int64_t(std::llround(cx * ScaleX))),
                       ClampCoordinate(a.Y + int64_t(std::llround(cy * ScaleY))));
        m.Image = std::make_shared<const QImage>(image);
        m.SourceRect = TRect(0, 0, image.width(), image.height());
        m.Rop = rop;
    }

    // Objects: pens, brushes and fonts by handle.
    enum TObjectKind { okNone, okPen, okBrush, okFont };
    struct TObject {
        TObjectKind Kind = okNone;
        TMetafileRecord Value;
    };
    TObject* Slot(uint32_t handle) {
        // Handles index a table sized by what the file creates, never by what it claims.
        if (handle >= kMaxObjects)
            return nullptr;
        if (handle >= FObjects.size())
            FObjects.resize(handle + 1);
        return &FObjects[handle];
    }
    // The lowest free slot, as Windows metafiles number their objects.
    uint32_t FreeSlot() {
        for (size_t i = 0; i < FObjects.size(); ++i)
            if (FObjects[i].Kind == okNone)
                return uint32_t(i);
        return uint32_t(FObjects.size());
    }
    void Select(uint32_t handle) {
        if (handle & 0x80000000u) {
            SelectStock(handle & 0x7FFFFFFF);
            return;
        }
        TObject* o = handle < FObjects.size() ? &FObjects[handle] : nullptr;
        if (!o)
            return;
        switch (o->Kind) {
        case okPen:
            State.PenColor = o->Value.PenColor;
            State.PenWidth = o->Value.PenWidth;
            State.PenStyle = o->Value.PenStyle;
            break;
        case okBrush:
            State.BrushColor = o->Value.BrushColor;
            State.BrushStyle = o->Value.BrushStyle;
            break;
        case okFont:
            State.FontName = o->Value.FontName;
            State.FontHeight = o->Value.FontHeight;
            State.FontStyle = o->Value.FontStyle;
            State.FontCharset = o->Value.FontCharset;
            State.FontEscapement = o->Value.FontEscapement;
            break;
        case okNone:
            break;
        }
    }
    void SelectStock(uint32_t index) {
        switch (index) {
        case 0: // white brush
            State.BrushColor = clWhite;
            State.BrushStyle = bsSolid;
            break;
        case 4: // black brush
            State.BrushColor = clBlack;
            State.BrushStyle = bsSolid;
            break;
        case 5: // null brush
            State.BrushStyle = bsClear;
            break;
        case 6: // white pen
        case 7: // black pen
            State.PenColor = index == 6 ? clWhite : clBlack;
            State.PenWidth = 1;
            State.PenStyle = psSolid;
            break;
        case 8: // null pen
            State.PenStyle = psClear;
            break;
        default:
            break;
        }
    }
    void Delete(uint32_t handle) {
        if (handle < FObjects.size())
            FObjects[handle].Kind = okNone;
    }
    void MakePen(uint32_t handle, uint32_t style, int64_t width, uint32_t color) {
        if (TObject* o = Slot(handle)) {
            o->Kind = okPen;
            o->Value.PenStyle = PenStyleFromCode(style);
            o->Value.PenWidth = int(std::clamp<int64_t>(width, 1, 1000));
            o->Value.PenColor = ColorFromRef(color);
        }
    }
    void MakeBrush(uint32_t handle, uint32_t style, uint32_t color, uint32_t hatch) {
        if (TObject* o = Slot(handle)) {
            o->Kind = okBrush;
            o->Value.BrushStyle = BrushStyleFromCode(style, hatch);
            o->Value.BrushColor = ColorFromRef(color);
        }
    }
    void MakeFont(uint32_t handle, int height, int escapement, int weight, bool italic,
                  bool underline, bool strikeOut, uint8_t charset, std::string face) {
        if (TObject* o = Slot(handle)) {
            o->Kind = okFont;
            o->Value.FontHeight = std::clamp(height, -2000, 2000);
            o->Value.FontEscapement = escapement % 3600;
            TFontStyles style;
            if (weight >= 600)
                style.Include(fsBold);
            if (italic)
                style.Include(fsItalic);
            if (underline)
                style.Include(fsUnderline);
            if (strikeOut)
                style.Include(fsStrikeOut);
            o->Value.FontStyle = style;
            o->Value.FontCharset = charset;
            o->Value.FontName = std::move(face);
        }
    }

    // Saved states keep the clip; a restore of -n goes back n saves.
    void Save() {
        if (FSaved.size() < kMaxSaved)
            FSaved.push_back({State.HasClip, State.Clip});
    }
    void Restore(int relative) {
        if (FSaved.empty())
            return;
        const size_t back =
            relative < 0 ? size_t(std::min<int64_t>(-int64_t(relative), int64_t(FSaved.size())))
                         : 1;
        const auto saved = FSaved[FSaved.size() - back];
        FSaved.resize(FSaved.size() - back);
        State.HasClip = saved.first;
        State.Clip = saved.second;
    }
    void IntersectClip(const TRect& r) {
        TRect n(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                std::max(r.Top, r.Bottom));
        if (State.HasClip) {
            TRect box;
            for (const TRect& c : State.Clip)
                UnionRect(box, box, c);
            TRect cut;
            IntersectRect(cut, box, n);
            n = cut;
        }
        State.HasClip = true;
        State.Clip = {n};
    }

private:
    static constexpr uint32_t kMaxObjects = 4096;
    static constexpr size_t kMaxSaved = 1024;
    std::vector<TObject> FObjects;
    std::vector<std::pair<bool, std::vector<TRect>>> FSaved;
};

constexpr uint32_t EMR_SETWINDOWORGEX = 10;

// An enhanced metafile's records from its header on; the picture's size from the header.
void ReadEnhanced(const TByteReader& file, TMetafilePlayer& player, int& width, int& height) {
    const uint32_t headerSize = file.U32(4);
    const uint32_t fileSize = file.U32(48);
    if (headerSize < 88 || headerSize > file.Size() || fileSize > file.Size() ||
        fileSize < headerSize)
        InvalidMetafile();
    const int64_t left = file.I32(8), top = file.I32(12), right = file.I32(16),
                  bottom = file.I32(20);
    const int64_t w = right - left + 1, h = bottom - top + 1;
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535)
        InvalidMetafile();
    width = int(w);
    height = int(h);
    player.OriginX = double(left);
    player.OriginY = double(top);
    const TByteReader data = file.Sub(0, fileSize);
    using K = TMetafileRecord;
    size_t at = headerSize;
    while (at + 8 <= data.Size()) {
        const uint32_t type = data.U32(at);
        const uint32_t size = data.U32(at + 4);
        if (size < 8 || size % 4 != 0 || size > data.Size() - at)
            InvalidMetafile();
        const TByteReader r = data.Sub(at, size);
        at += size;
        auto rect = [&](size_t o) {
            return player.MapRect(r.I32(o), r.I32(o + 4), r.I32(o + 8), r.I32(o + 12));
        };
        auto point = [&](size_t o) { return player.Map(r.I32(o), r.I32(o + 4)); };
        switch (type) {
        case EMR_EOF:
            return;
        case EMR_SETBKMODE:
            player.State.BkMode = r.I32(8) == OPAQUE ? OPAQUE : TRANSPARENT;
            break;
        case EMR_SETBKCOLOR:
            player.State.BkColor = ColorFromRef(r.U32(8));
            break;
        case EMR_SETROP2:
            player.State.PenMode = PenModeFromRop2(r.U32(8));
            break;
        case EMR_SETTEXTCOLOR:
            player.State.TextColor = ColorFromRef(r.U32(8));
            break;
        case EMR_SETTEXTALIGN:
            player.State.TextAlign = r.U32(8) & 0xFF;
            break;
        case EMR_SETWINDOWORGEX:
            player.OriginX = r.I32(8);
            player.OriginY = r.I32(12);
            break;
        case EMR_CREATEPEN:
            player.MakePen(r.U32(8), r.U32(12), r.I32(16), r.U32(24));
            break;
        case EMR_CREATEBRUSHINDIRECT:
            player.MakeBrush(r.U32(8), r.U32(12), r.U32(16), r.U32(20));
            break;
        case EMR_EXTCREATEFONTINDIRECTW: {
            std::u16string face;
            for (size_t i = 0; i < 32 && 40 + 2 * i + 2 <= r.Size(); ++i) {
                const char16_t c = char16_t(r.U16(40 + 2 * i));
                if (c == 0)
                    break;
                face.push_back(c);
            }
            player.MakeFont(r.U32(8), r.I32(12), r.I32(20), r.I32(28), r.U8(32) != 0, r.U8(33) != 0,
                            r.U8(34) != 0, r.U8(35), QString::fromStdU16String(face).toStdString());
            break;
        }
        case EMR_SELECTOBJECT:
            player.Select(r.U32(8));
            break;
        case EMR_DELETEOBJECT:
            player.Delete(r.U32(8));
            break;
        case EMR_SAVEDC:
            player.Save();
            break;
        case EMR_RESTOREDC:
            player.Restore(r.I32(8));
            break;
        case EMR_INTERSECTCLIPRECT:
            player.IntersectClip(rect(8));
            break;
        case EMR_MOVETOEX:
            player.Position = point(8);
            break;
        case EMR_LINETO: {
            const TPoint to = point(8);
            player.Add(K::mrLine).Points = {player.Position, to};
            player.Position = to;
            break;
        }
        case EMR_RECTANGLE:
        case EMR_ELLIPSE:
            player.Add(type == EMR_RECTANGLE ? K::mrRectangle : K::mrEllipse).Rect = rect(8);
            break;
        case EMR_ROUNDRECT: {
            TMetafileRecord& m = player.Add(K::mrRoundRect);
            m.Rect = rect(8);
            m.Points = {TPoint(ClampCoordinate(r.I32(24)), ClampCoordinate(r.I32(28)))};
            break;
        }
        case EMR_ARC:
        case EMR_CHORD:
        case EMR_PIE: {
            TMetafileRecord& m = player.Add(type == EMR_ARC   ? K::mrArc
                                            : type == EMR_PIE ? K::mrPie
                                                              : K::mrChord);
            m.Rect = rect(8);
            m.Points = {point(24), point(32)};
            break;
        }
        case EMR_POLYGON16:
        case EMR_POLYLINE16: {
            const uint32_t count = r.U32(24);
            if (count > (r.Size() - 28) / 4)
                InvalidMetafile();
            if (count == 0)
                break;
            TMetafileRecord& m = player.Add(type == EMR_POLYGON16 ? K::mrPolygon : K::mrPolyline);
            m.Points.reserve(count);
            for (uint32_t i = 0; i < count; ++i)
                m.Points.push_back(player.Map(r.I16(28 + 4 * i), r.I16(30 + 4 * i)));
            break;
        }
        case EMR_SETPIXELV: {
            TMetafileRecord& m = player.Add(K::mrPixel);
            m.Points = {point(8)};
            m.FillColor = ColorFromRef(r.U32(16));
            break;
        }
        case EMR_EXTTEXTOUTW: {
            const uint32_t count = r.U32(44);
            const uint32_t offString = r.U32(48);
            if (count > r.Size() / 2)
                InvalidMetafile();
            const uint8_t* text = r.Bytes(offString, size_t(count) * 2);
            std::u16string u(count, u'\0');
            for (uint32_t i = 0; i < count; ++i)
                u[i] = char16_t(text[2 * i] | (text[2 * i + 1] << 8));
            TMetafileRecord& m = player.Add(K::mrText);
            m.Points = {point(36)};
            m.Options = r.U32(52) & (ETO_OPAQUE | ETO_CLIPPED);
            m.HasRect = m.Options != 0;
            if (m.HasRect)
                m.Rect = rect(56);
            m.Text = QString::fromStdU16String(u).toStdString();
            break;
        }
        case EMR_STRETCHDIBITS: {
            const uint32_t offInfo = r.U32(48), infoSize = r.U32(52);
            const uint32_t offBits = r.U32(56), bitsSize = r.U32(60);
            const QImage image = DecodeDib(r.Sub(offInfo, infoSize), r.Sub(offBits, bitsSize));
            if (!image.isNull())
                player.AddImage(image, point(24), r.I32(72), r.I32(76), r.U32(68));
            break;
        }
        default:
            break; // records that do not change the picture as replayed here
        }
    }
}

// A placeable Windows metafile's records; the picture's size from the placeable header.
void ReadWindows(const TByteReader& file, TMetafilePlayer& player, int& width, int& height) {
    const int left = file.I16(6), top = file.I16(8), right = file.I16(10), bottom = file.I16(12);
    const int inch = std::max(1, int(file.U16(14)));
    width = MulDiv(right - left, 96, inch);
    height = MulDiv(bottom - top, 96, inch);
    if (width <= 0 || height <= 0)
        InvalidMetafile();
    constexpr size_t kPlaceable = 22;
    const uint32_t headerWords = file.U16(kPlaceable + 2);
    if (headerWords < 9)
        InvalidMetafile();
    bool haveExtent = false;
    int64_t extX = 0, extY = 0, orgX = 0, orgY = 0;
    auto remap = [&] {
        if (!haveExtent || extX == 0 || extY == 0)
            return;
        player.OriginX = double(orgX);
        player.OriginY = double(orgY);
        player.ScaleX = double(width) / double(extX);
        player.ScaleY = double(height) / double(extY);
    };
    using K = TMetafileRecord;
    size_t at = kPlaceable + size_t(headerWords) * 2;
    while (at + 6 <= file.Size()) {
        const uint64_t words = file.U32(at);
        const uint32_t function = file.U16(at + 4);
        if (words < 3 || words * 2 > file.Size() - at)
            InvalidMetafile();
        const TByteReader r = file.Sub(at, size_t(words * 2));
        at += size_t(words * 2);
        // Parameters begin after the size and the function.
        auto p16 = [&](size_t index) { return r.I16(6 + 2 * index); };
        auto rectWords = [&](size_t index) {
            // Bottom, right, top, left.
            return player.MapRect(p16(index + 3), p16(index + 2), p16(index + 1), p16(index));
        };
        switch (function) {
        case 0x0000:
            return;
        case 0x0102:
            player.State.BkMode = p16(0) == OPAQUE ? OPAQUE : TRANSPARENT;
            break;
        case 0x0201:
            player.State.BkColor = ColorFromRef(r.U32(6));
            break;
        case 0x0104:
            player.State.PenMode = PenModeFromRop2(uint32_t(p16(0)));
            break;
        case 0x0209:
            player.State.TextColor = ColorFromRef(r.U32(6));
            break;
        case 0x012E:
            player.State.TextAlign = uint32_t(p16(0)) & 0xFF;
            break;
        case 0x020B:
            orgY = p16(0);
            orgX = p16(1);
            remap();
            break;
        case 0x020C:
            extY = p16(0);
            extX = p16(1);
            haveExtent = true;
            remap();
            break;
        case 0x02FA:
            player.MakePen(player.FreeSlot(), r.U16(6), p16(1), r.U32(12));
            break;
        case 0x02FC:
            player.MakeBrush(player.FreeSlot(), r.U16(6), r.U32(8), r.U16(12));
            break;
        case 0x02FB: {
            std::string face;
            for (size_t i = 24; i < 24 + 32 && i < r.Size(); ++i) {
                if (r.U8(i) == 0)
                    break;
                face.push_back(char(r.U8(i)));
            }
            const uint8_t charset = r.U8(19);
            player.MakeFont(player.FreeSlot(), p16(0), p16(2), p16(4), r.U8(16) != 0, r.U8(17) != 0,
                            r.U8(18) != 0, charset,
                            DecodeAnsi(reinterpret_cast<const uint8_t*>(face.data()), face.size(),
                                       charset == GREEK_CHARSET));
            break;
        }
        case 0x012D:
            player.Select(uint32_t(uint16_t(p16(0))));
            break;
        case 0x01F0:
            player.Delete(uint32_t(uint16_t(p16(0))));
            break;
        case 0x001E:
            player.Save();
            break;
        case 0x0127:
            player.Restore(p16(0));
            break;
        case 0x0416:
            player.IntersectClip(rectWords(0));
            break;
        case 0x0214:
            player.Position = player.Map(p16(1), p16(0));
            break;
        case 0x0213: {
            const TPoint to = player.Map(p16(1), p16(0));
            player.Add(K::mrLine).Points = {player.Position, to};
            player.Position = to;
            break;
        }
        case 0x041B:
        case 0x0418:
            player.Add(function == 0x041B ? K::mrRectangle : K::mrEllipse).Rect = rectWords(0);
            break;
        case 0x061C: {
            TMetafileRecord& m = player.Add(K::mrRoundRect);
            m.Rect = rectWords(2);
            m.Points = {TPoint(p16(1), p16(0))};
            break;
        }
        case 0x0817:
        case 0x081A:
        case 0x0830: {
            TMetafileRecord& m = player.Add(function == 0x0817   ? K::mrArc
                                            : function == 0x081A ? K::mrPie
                                                                 : K::mrChord);
            m.Rect = rectWords(4);
            m.Points = {player.Map(p16(3), p16(2)), player.Map(p16(1), p16(0))};
            break;
        }
        case 0x0324:
        case 0x0325: {
            const int count = p16(0);
            if (count < 0 || size_t(count) > (r.Size() - 8) / 4)
                InvalidMetafile();
            if (count == 0)
                break;
            TMetafileRecord& m = player.Add(function == 0x0324 ? K::mrPolygon : K::mrPolyline);
            m.Points.reserve(size_t(count));
            for (int i = 0; i < count; ++i)
                m.Points.push_back(player.Map(p16(1 + 2 * size_t(i)), p16(2 + 2 * size_t(i))));
            break;
        }
        case 0x041F: {
            TMetafileRecord& m = player.Add(K::mrPixel);
            m.FillColor = ColorFromRef(r.U32(6));
            m.Points = {player.Map(p16(3), p16(2))};
            break;
        }
        case 0x0A32: {
            const TPoint p = player.Map(p16(1), p16(0));
            const int count = p16(2);
            const unsigned options = r.U16(12) & (ETO_OPAQUE | ETO_CLIPPED);
            size_t textAt = 14;
            TRect clip;
            if (options) {
                clip = player.MapRect(r.I16(14), r.I16(16), r.I16(18), r.I16(20));
                textAt = 22;
            }
            if (count < 0)
                InvalidMetafile();
            const uint8_t* text = r.Bytes(textAt, size_t(count));
            TMetafileRecord& m = player.Add(K::mrText);
            m.Points = {p};
            m.Options = options;
            m.HasRect = options != 0;
            m.Rect = clip;
            m.Text = DecodeAnsi(text, size_t(count), player.State.FontCharset == GREEK_CHARSET);
            break;
        }
        case 0x0F43: {
            const TByteReader dib = r.Sub(28, r.Size() - std::min<size_t>(r.Size(), 28));
            const uint32_t infoSize = dib.U32(0);
            if (infoSize < 40 || infoSize > dib.Size())
                break;
            const QImage image =
                DecodeDib(dib.Sub(0, infoSize), dib.Sub(infoSize, dib.Size() - infoSize));
            if (!image.isNull())
                player.AddImage(image, player.Map(p16(10), p16(9)), p16(8), p16(7), r.U32(6));
            break;
        }
        default:
            break; // records that do not change the picture as replayed here
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------
// TMetafile

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::SetWidth(int value) {
    if (FWidth == value)
        return;
    FWidth = std::max(0, value);
    Changed();
}

void TMetafile::SetHeight(int value) {
    if (FHeight == value)
        return;
    FHeight = std::max(0, value);
    Changed();
}

int TMetafile::MMWidth() const {
    return FMMWidth ? FMMWidth : MulDiv(FWidth, 2540, 96);
}
int TMetafile::MMHeight() const {
    return FMMHeight ? FMMHeight : MulDiv(FHeight, 2540, 96);
}
void TMetafile::SetMMWidth(int value) {
    FMMWidth = value;
}
void TMetafile::SetMMHeight(int value) {
    FMMHeight = value;
}

void TMetafile::SetDescription(const std::string& createdBy, const std::string& description) {
    FCreatedBy = createdBy;
    FDescription = description;
}

void TMetafile::Clear() {
    FRecords.clear();
    FWidth = FHeight = 0;
    FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::DrawOnCanvas(TCanvas* canvas, const TRect& r) const {
    if (!canvas || FRecords.empty() || FWidth <= 0 || FHeight <= 0)
        return;
    double sx = double(r.Width()) / FWidth, sy = double(r.Height()) / FHeight;
    auto px = [&](int x) { return r.Left + int(std::lround(x * sx)); };
    auto py = [&](int y) { return r.Top + int(std::lround(y * sy)); };
    auto pt = [&](const TPoint& p) { return TPoint(px(p.X), py(p.Y)); };
    auto rc = [&](const TRect& q) {
        return TRect(px(q.Left), py(q.Top), px(q.Right), py(q.Bottom));
    };
    // The canvas' tools and state come back afterwards.
    TPen pen;
    TBrush brush;
    TFont font;
    pen.AssignFrom(canvas->Pen());
    brush.AssignFrom(canvas->Brush());
    font.AssignFrom(canvas->Font());
    TPoint penPos = canvas->PenPos();
    int saved = canvas->SaveDC();
    TRegion baseClip;
    bool hadClip = canvas->GetClipRgn(baseClip);
    for (const TMetafileRecord& m : FRecords) {
        using K = TMetafileRecord;
        canvas->Pen()->SetColor(m.PenColor);
        canvas->Pen()->SetWidth(std::max(1, int(std::lround(m.PenWidth * sx))));
        canvas->Pen()->SetStyle(m.PenStyle);
        canvas->Pen()->SetMode(m.PenMode);
        canvas->Brush()->SetColor(m.BrushColor);
        canvas->Brush()->SetStyle(m.BrushStyle);
        canvas->Font()->SetName(m.FontName);
        canvas->Font()->SetHeight(m.FontHeight < 0
                                      ? std::min(-1, int(std::lround(m.FontHeight * sy)))
                                      : std::max(1, int(std::lround(m.FontHeight * sy))));
        canvas->Font()->SetStyle(m.FontStyle);
        canvas->Font()->SetEscapement(m.FontEscapement);
        canvas->Font()->SetColor(m.TextColor);
        canvas->Handle();
        canvas->SetBkColor(m.BkColor);
        canvas->SetBkMode(m.BkMode);
        canvas->SetTextColor(m.TextColor);
        canvas->SetTextAlign(m.TextAlign & ~TA_UPDATECP);
        if (m.HasClip) {
            TRegion clip;
            for (const TRect& c : m.Clip)
                clip.Combine(TRegion::FromRect(canvas->LPtoDP(rc(c))), RGN_OR);
            if (hadClip)
                clip.Combine(baseClip, RGN_AND);
            canvas->SelectClipRgn(&clip);
        } else {
            canvas->SelectClipRgn(hadClip ? &baseClip : nullptr);
        }
        const TRect box = rc(m.Rect);
        switch (m.Kind) {
        case K::mrLine:
            canvas->MoveTo(px(m.Points[0].X), py(m.Points[0].Y));
            canvas->LineTo(px(m.Points[1].X), py(m.Points[1].Y));
            break;
        case K::mrRectangle:
            canvas->Rectangle(box);
            break;
        case K::mrFillRect: {
            canvas->Brush()->SetColor(m.FillColor);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->FillRect(box);
            break;
        }
        case K::mrBrushFill:
            canvas->FillRect(box);
            break;
        case K::mrEllipse:
            canvas->Ellipse(box);
            break;
        case K::mrRoundRect:
            canvas->RoundRect(box.Left, box.Top, box.Right, box.Bottom,
                              int(std::lround(m.Points[0].X * sx)),
                              int(std::lround(m.Points[0].Y * sy)));
            break;
        case K::mrArc:
        case K::mrPie:
        case K::mrChord: {
            TPoint a = pt(m.Points[0]), b = pt(m.Points[1]);
            if (m.Kind == K::mrArc)
                canvas->Arc(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
            else if (m.Kind == K::mrPie)
                canvas->Pie(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
            else
                canvas->Chord(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
            break;
        }
        case K::mrPolygon:
        case K::mrPolyline: {
            std::vector<TPoint> pts;
            for (const TPoint& p : m.Points)
                pts.push_back(pt(p));
            if (m.Kind == K::mrPolygon)
                canvas->Polygon(pts);
            else
                canvas->Polyline(pts);
            break;
        }
        case K::mrPixel:
            canvas->SetPixels(px(m.Points[0].X), py(m.Points[0].Y), m.FillColor);
            break;
        case K::mrText: {
            TRect clip = box;
            canvas->ExtTextOut(px(m.Points[0].X), py(m.Points[0].Y), m.Options,
                               m.HasRect ? &clip : nullptr, m.Text);
            break;
        }
        case K::mrImage:
            canvas->StretchBltImage(box, ImageOf(m), m.SourceRect, m.Rop, m.Monochrome);
            break;
        case K::mrPatBlt:
            canvas->PatBlt(box.Left, box.Top, box.Width(), box.Height(), m.Rop);
            break;
        case K::mrFocusRect:
            canvas->DrawFocusRect(box);
            break;
        }
    }
    canvas->RestoreDC(saved);
    canvas->Pen()->AssignFrom(&pen);
    canvas->Brush()->AssignFrom(&brush);
    canvas->Font()->AssignFrom(&font);
    canvas->SetPenPos(penPos);
}

std::vector<uint8_t> TMetafile::SaveEnhanced() const {
    return TEmfWriter(*this).Write();
}

std::vector<uint8_t> TMetafile::SaveWindows() const {
    return TWmfWriter(*this).Write();
}

std::vector<uint8_t> TMetafile::SaveToBytes() const {
    return FEnhanced ? SaveEnhanced() : SaveWindows();
}

void TMetafile::LoadFromBytes(const std::vector<uint8_t>& bytes) {
    const TByteReader file(bytes.data(), bytes.size());
    TMetafilePlayer player;
    int width = 0, height = 0;
    bool enhanced = true;
    int inch = FInch;
    if (bytes.size() >= 88 && file.U32(0) == 1 && file.U32(40) == 0x464D4520) {
        ReadEnhanced(file, player, width, height);
    } else if (bytes.size() >= 40 && file.U32(0) == 0x9AC6CDD7) {
        ReadWindows(file, player, width, height);
        enhanced = false;
        inch = std::max(1, int(file.U16(14)));
    } else {
        InvalidMetafile();
    }
    // Nothing changes until the whole file has been read.
    FRecords = std::move(player.Records);
    FEnhanced = enhanced;
    FInch = inch;
    FWidth = width;
    FHeight = height;
    FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::AssignFrom(const TPersistent* source) {
    if (auto* m = dynamic_cast<const TMetafile*>(source)) {
        if (m == this)
            return;
        FRecords = m->FRecords;
        FWidth = m->FWidth;
        FHeight = m->FHeight;
        FMMWidth = m->FMMWidth;
        FMMHeight = m->FMMHeight;
        FEnhanced = m->FEnhanced;
        FInch = m->FInch;
        FCreatedBy = m->FCreatedBy;
        FDescription = m->FDescription;
        Changed();
        return;
    }
    if (!source) {
        Clear();
        return;
    }
    TGraphic::AssignFrom(source);
}

// ---------------------------------------------------------------------------
// TMetafileCanvas

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, TCanvas* reference)
    : TMetafileCanvas(metafile, reference, std::string(), std::string()) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, TCanvas* reference,
                                 const std::string& createdBy, const std::string& description)
    : FMetafile(metafile) {
    if (reference)
        Font()->AssignFrom(reference->Font());
    if (FMetafile && (!createdBy.empty() || !description.empty()))
        FMetafile->SetDescription(createdBy, description);
}

TMetafileCanvas::~TMetafileCanvas() {
    if (!FMetafile)
        return;
    FMetafile->FRecords = std::move(FRecords);
    if (FMetafile->FWidth == 0 && FMetafile->FHeight == 0 && FHasBounds) {
        FMetafile->FWidth = std::max(1, FBounds.Right);
        FMetafile->FHeight = std::max(1, FBounds.Bottom);
    }
    FMetafile->Changed();
}

TSize TMetafileCanvas::DeviceSize() const {
    if (FMetafile && FMetafile->Width() > 0 && FMetafile->Height() > 0)
        return TSize(FMetafile->Width(), FMetafile->Height());
    return TSize(32767, 32767);
}

TMetafileRecord& TMetafileCanvas::Add(TMetafileRecord::TKind kind) {
    TMetafileRecord& r = FRecords.emplace_back();
    r.Kind = kind;
    r.PenColor = ColorToRGB(Pen()->Color());
    r.PenWidth = std::max(1, int(std::lround(Pen()->Width() * std::fabs(ScaleX()))));
    r.PenStyle = Pen()->CosmeticAlternate() ? psDot : Pen()->Style();
    r.PenMode = Pen()->Mode();
    r.BrushColor = ColorToRGB(Brush()->Color());
    r.BrushStyle = Brush()->Style();
    r.FontName = Font()->Name();
    double fy = std::fabs(ScaleY());
    r.FontHeight = Font()->Height() < 0 ? std::min(-1, int(std::lround(Font()->Height() * fy)))
                                        : std::max(1, int(std::lround(Font()->Height() * fy)));
    r.FontStyle = Font()->Style();
    r.FontCharset = Font()->Charset();
    r.FontEscapement = Font()->Escapement();
    r.TextColor = TextColor();
    r.BkColor = BkColor();
    r.BkMode = BkMode();
    r.TextAlign = TextAlign();
    TRegion clip;
    if (GetClipRgn(clip)) {
        r.HasClip = true;
        r.Clip = clip.Rects();
    }
    return r;
}

void TMetafileCanvas::Extend(const TRect& deviceRect) {
    TRect n(
        std::min(deviceRect.Left, deviceRect.Right), std::min(deviceRect.Top, deviceRect.Bottom),
        std::max(deviceRect.Left, deviceRect.Right), std::max(deviceRect.Top, deviceRect.Bottom));
    if (!FHasBounds) {
        FBounds = n;
        FHasBounds = true;
    } else {
        FBounds = TRect(std::min(FBounds.Left, n.Left), std::min(FBounds.Top, n.Top),
                        std::max(FBounds.Right, n.Right), std::max(FBounds.Bottom, n.Bottom));
    }
}

void TMetafileCanvas::DoLine(const TPoint& from, const TPoint& to) {
    if (Pen()->Style() == psClear)
        return;
    TMetafileRecord& r = Add(TMetafileRecord::mrLine);
    r.Points = {LPtoDP(from), LPtoDP(to)};
    Extend(TRect(r.Points[0], r.Points[1]));
}

void TMetafileCanvas::DoRectangle(const TRect& rect) {
    TMetafileRecord& r = Add(TMetafileRecord::mrRectangle);
    r.Rect = LPtoDP(rect);
    Extend(r.Rect);
}

void TMetafileCanvas::DoFillRect(const TRect& rect, TColor color) {
    TMetafileRecord& r = Add(TMetafileRecord::mrFillRect);
    r.Rect = LPtoDP(rect);
    r.FillColor = ColorToRGB(color);
    r.BrushColor = r.FillColor;
    r.BrushStyle = bsSolid;
    Extend(r.Rect);
}

void TMetafileCanvas::DoBrushFill(const TRect& rect) {
    if (Brush()->Style() == bsClear)
        return;
    TMetafileRecord& r = Add(TMetafileRecord::mrBrushFill);
    r.Rect = LPtoDP(rect);
    Extend(r.Rect);
}

void TMetafileCanvas::DoEllipse(const TRect& rect) {
    TMetafileRecord& r = Add(TMetafileRecord::mrEllipse);
    r.Rect = LPtoDP(rect);
    Extend(r.Rect);
}

void TMetafileCanvas::DoRoundRect(const TRect& rect, int ellipseWidth, int ellipseHeight) {
    TMetafileRecord& r = Add(TMetafileRecord::mrRoundRect);
    r.Rect = LPtoDP(rect);
    r.Points = {TPoint(int(std::lround(ellipseWidth * std::fabs(ScaleX()))),
                       int(std::lround(ellipseHeight * std::fabs(ScaleY()))))};
    Extend(r.Rect);
}

void TMetafileCanvas::DoArc(TArcKind kind, const TRect& rect, const TPoint& start,
                            const TPoint& end) {
    TMetafileRecord& r = Add(kind == akArc   ? TMetafileRecord::mrArc
                             : kind == akPie ? TMetafileRecord::mrPie
                                             : TMetafileRecord::mrChord);
    r.Rect = LPtoDP(rect);
    r.Points = {LPtoDP(start), LPtoDP(end)};
    Extend(r.Rect);
}

void TMetafileCanvas::DoPolygon(const std::vector<TPoint>& points) {
    TMetafileRecord& r = Add(TMetafileRecord::mrPolygon);
    for (const TPoint& p : points)
        r.Points.push_back(LPtoDP(p));
    TRect b = BoundsOf(r.Points);
    Extend(TRect(b.Left, b.Top, b.Right + 1, b.Bottom + 1));
}

void TMetafileCanvas::DoPolyline(const std::vector<TPoint>& points) {
    if (Pen()->Style() == psClear)
        return;
    TMetafileRecord& r = Add(TMetafileRecord::mrPolyline);
    for (const TPoint& p : points)
        r.Points.push_back(LPtoDP(p));
    TRect b = BoundsOf(r.Points);
    Extend(TRect(b.Left, b.Top, b.Right + 1, b.Bottom + 1));
}

void TMetafileCanvas::DoSetPixel(const TPoint& p, TColor color) {
    TMetafileRecord& r = Add(TMetafileRecord::mrPixel);
    r.Points = {LPtoDP(p)};
    r.FillColor = ColorToRGB(color);
    Extend(TRect(r.Points[0].X, r.Points[0].Y, r.Points[0].X + 1, r.Points[0].Y + 1));
}

void TMetafileCanvas::DoTextOut(const TPoint& p, unsigned options, const TRect* rect,
                                std::string_view text) {
    TMetafileRecord& r = Add(TMetafileRecord::mrText);
    r.Points = {LPtoDP(p)};
    r.Options = options;
    r.Text = std::string(text);
    if (rect) {
        r.HasRect = true;
        r.Rect = LPtoDP(*rect);
        Extend(r.Rect);
    }
    TSize ext = TextExtent(text);
    Extend(TRect(r.Points[0].X, r.Points[0].Y, r.Points[0].X + ext.cx, r.Points[0].Y + ext.cy));
}

void TMetafileCanvas::DoStretchImage(const TRect& dest, const QImage& source, const TRect& src,
                                     uint32_t rop, bool sourceIsMonochrome) {
    TMetafileRecord& r = Add(TMetafileRecord::mrImage);
    r.Rect = LPtoDP(dest);
    r.Image = std::make_shared<const QImage>(source);
    r.SourceRect = src;
    r.Rop = rop;
    r.Monochrome = sourceIsMonochrome;
    if (source.isNull())
        r.Kind = TMetafileRecord::mrPatBlt;
    Extend(r.Rect);
}

void TMetafileCanvas::DoPatBlt(const TRect& rect, uint32_t rop) {
    TMetafileRecord& r = Add(TMetafileRecord::mrPatBlt);
    r.Rect = LPtoDP(rect);
    r.Rop = rop;
    Extend(r.Rect);
}

void TMetafileCanvas::DoFocusRect(const TRect& rect) {
    TMetafileRecord& r = Add(TMetafileRecord::mrFocusRect);
    r.Rect = LPtoDP(rect);
}
