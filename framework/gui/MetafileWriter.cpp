// The writers of the two metafile formats: the enhanced metafile (EMF) and the placeable
// Windows metafile (WMF), from the recorded drawing calls.

#include "framework/gui/MetafileFormat.h"

#include "framework/core/SystemUtils.h"

#include <QFontMetrics>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstring>
#include <optional>

namespace MetafileFormat {
namespace {

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
    // x then y, 16 bits each.
    void Points16(const std::vector<TPoint>& points) {
        for (const TPoint& p : points) {
            I16(p.X);
            I16(p.Y);
        }
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

// The font description both formats share, up to the face name: height, width,
// escapement, orientation and weight (32 bits each in enhanced metafiles, 16 in Windows
// metafiles), then italic, underline, strike-out, character set, TrueType output
// precision and three defaults.
void WriteLogFont(TByteWriter& out, const TMetafileRecord& r, uint8_t charset, bool wide) {
    for (int v : {r.FontHeight, 0, r.FontEscapement, r.FontEscapement, FontWeight(r)}) {
        if (wide)
            out.I32(v);
        else
            out.I16(v);
    }
    out.U8(r.FontStyle.Contains(fsItalic));
    out.U8(r.FontStyle.Contains(fsUnderline));
    out.U8(r.FontStyle.Contains(fsStrikeOut));
    out.U8(charset);
    out.U8(7);
    out.U8(0);
    out.U8(0);
    out.U8(0);
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
    void Font(const TMetafileRecord& r);
    void Record(const TMetafileRecord& r);
    void Text(const TMetafileRecord& r);
    void Image(const TMetafileRecord& r);

    const TMetafile& FMetafile;
    TByteWriter FOut;
    uint32_t FRecords = 0;
    TWrittenState FState;
};

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
        Font(r);
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

// A new font object when the text's font differs from the one selected.
void TEmfWriter::Font(const TMetafileRecord& r) {
    if (FState.HasFont && SameFont(FState.Font, r))
        return;
    if (FState.HasFont) {
        Simple(EMR_SELECTOBJECT, {kStockSystemFont});
        Simple(EMR_DELETEOBJECT, {kFontHandle});
    }
    size_t at = Begin(EMR_EXTCREATEFONTINDIRECTW);
    FOut.U32(kFontHandle);
    WriteLogFont(FOut, r, r.FontCharset, true);
    std::u16string face = QString::fromStdString(r.FontName).left(31).toStdU16String();
    for (size_t i = 0; i < 32; ++i)
        FOut.U16(i < face.size() ? face[i] : 0);
    End(at);
    Simple(EMR_SELECTOBJECT, {kFontHandle});
    FState.HasFont = true;
    FState.Font = r;
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

// The picture's source rectangle as a 24-bit bitmap stretched onto the destination.
void TEmfWriter::Image(const TMetafileRecord& r) {
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
        FOut.Points16(r.Points);
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
    case K::mrImage:
        Image(r);
        break;
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
    FOut.U32(kEnhancedSignature);
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
        Simple(META_SELECTOBJECT, {made});
        if (current >= 0) {
            Simple(META_DELETEOBJECT, {current});
            FSlots[size_t(current)] = false;
        }
        current = made;
    }
    void State(const TMetafileRecord& r);
    void Font(const TMetafileRecord& r, bool greek);
    void Record(const TMetafileRecord& r);
    void Text(const TMetafileRecord& r, const std::string& ansi);
    void Image(const TMetafileRecord& r);
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
    set(FState.BkMode, META_SETBKMODE, uint32_t(r.BkMode));
    setColor(FState.BkColor, META_SETBKCOLOR, ColorRef(r.BkColor));
    set(FState.Rop2, META_SETROP2, Rop2Code(r.PenMode));
    if (r.Kind == TMetafileRecord::mrText) {
        setColor(FState.TextColor, META_SETTEXTCOLOR, ColorRef(r.TextColor));
        set(FState.TextAlign, META_SETTEXTALIGN, r.TextAlign);
    }
    if (UsesPen(r.Kind) && (!FState.HasPen || !SamePen(FState.Pen, r))) {
        int made = NewObject();
        size_t at = Begin(META_CREATEPENINDIRECT);
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
        size_t at = Begin(META_CREATEBRUSHINDIRECT);
        FOut.U16(style);
        FOut.U32(ColorRef(r.BrushColor));
        FOut.U16(hatch);
        End(at);
        Replace(FBrush, made);
        FState.HasBrush = true;
        FState.Brush = r;
    }
}

// A new font object when the text's font differs from the one selected; text in Greek
// letters is written with the Greek character set.
void TWmfWriter::Font(const TMetafileRecord& r, bool greek) {
    TMetafileRecord font = r;
    if (greek)
        font.FontCharset = GREEK_CHARSET;
    if (FState.HasFont && SameFont(FState.Font, font))
        return;
    int made = NewObject();
    size_t at = Begin(META_CREATEFONTINDIRECT);
    WriteLogFont(FOut, r, font.FontCharset, false);
    char face[32] = {};
    std::strncpy(face, r.FontName.c_str(), 31);
    FOut.Bytes(face, 32);
    End(at);
    Replace(FFont, made);
    FState.HasFont = true;
    FState.Font = font;
}

// The text one byte per character (see EncodeAnsi), with the advance of every character.
void TWmfWriter::Text(const TMetafileRecord& r, const std::string& ansi) {
    QFontMetrics fm(RecordFont(r));
    QString s = QString::fromStdString(r.Text);
    size_t at = Begin(META_EXTTEXTOUT);
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
}

// The picture's source rectangle as a 24-bit bitmap stretched onto the destination.
void TWmfWriter::Image(const TMetafileRecord& r) {
    size_t at = Begin(META_STRETCHDIB);
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
}

void TWmfWriter::Record(const TMetafileRecord& r) {
    using K = TMetafileRecord;
    std::string ansi;
    if (r.Kind == K::mrText) {
        bool greek = false;
        ansi = EncodeAnsi(r.Text, r.FontCharset, greek);
        Font(r, greek);
    }
    State(WrittenState(r));
    bool clipped = r.HasClip;
    if (clipped) {
        Simple(META_SAVEDC, {});
        TRect b = ClipBox(r);
        Simple(META_INTERSECTCLIPRECT, {b.Bottom, b.Right, b.Top, b.Left});
    }
    switch (r.Kind) {
    case K::mrLine:
        Simple(META_MOVETO, {r.Points[0].Y, r.Points[0].X});
        Simple(META_LINETO, {r.Points[1].Y, r.Points[1].X});
        break;
    case K::mrRectangle:
    case K::mrEllipse: {
        size_t at = Begin(r.Kind == K::mrRectangle ? META_RECTANGLE : META_ELLIPSE);
        RectWords(r.Rect);
        End(at);
        break;
    }
    case K::mrRoundRect: {
        size_t at = Begin(META_ROUNDRECT);
        FOut.I16(r.Points[0].Y);
        FOut.I16(r.Points[0].X);
        RectWords(r.Rect);
        End(at);
        break;
    }
    case K::mrArc:
    case K::mrPie:
    case K::mrChord: {
        size_t at = Begin(r.Kind == K::mrArc   ? META_ARC
                          : r.Kind == K::mrPie ? META_PIE
                                               : META_CHORD);
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
        size_t at = Begin(r.Kind == K::mrPolygon ? META_POLYGON : META_POLYLINE);
        FOut.I16(int(r.Points.size()));
        FOut.Points16(r.Points);
        End(at);
        break;
    }
    case K::mrFillRect:
    case K::mrBrushFill:
    case K::mrPatBlt: {
        size_t rect = Begin(META_RECTANGLE);
        RectWords(TRect(r.Rect.Left, r.Rect.Top, r.Rect.Right + 1, r.Rect.Bottom + 1));
        End(rect);
        break;
    }
    case K::mrFocusRect:
        break;
    case K::mrPixel: {
        size_t at = Begin(META_SETPIXEL);
        FOut.U32(ColorRef(r.FillColor));
        FOut.I16(r.Points[0].Y);
        FOut.I16(r.Points[0].X);
        End(at);
        break;
    }
    case K::mrText:
        Text(r, ansi);
        break;
    case K::mrImage:
        Image(r);
        break;
    }
    if (clipped)
        Simple(META_RESTOREDC, {-1});
}

std::vector<uint8_t> TWmfWriter::Write() {
    int w = std::max(1, FMetafile.Width()), h = std::max(1, FMetafile.Height());
    int inch = FMetafile.Inch() > 0 ? FMetafile.Inch() : 96;
    // Placeable header; its units are pixels scaled to Inch units per inch.
    TByteWriter placeable;
    placeable.U32(kPlaceableKey);
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
    Simple(META_SETMAPMODE, {8}); // anisotropic
    Simple(META_SETWINDOWORG, {0, 0});
    Simple(META_SETWINDOWEXT, {h, w});
    Simple(META_SETPOLYFILLMODE, {1}); // alternate
    for (const TMetafileRecord& r : FMetafile.Records())
        Record(r);
    Simple(META_EOF, {});
    FOut.Patch32(6, uint32_t(FOut.Size() / 2));
    FOut.Patch16(10, uint32_t(std::max<size_t>(FSlots.size(), 1)));
    FOut.Patch32(12, FMaxRecord);
    std::vector<uint8_t> out = std::move(placeable.Data);
    out.insert(out.end(), FOut.Data.begin(), FOut.Data.end());
    return out;
}

} // namespace

std::vector<uint8_t> WriteEnhanced(const TMetafile& metafile) {
    return TEmfWriter(metafile).Write();
}

std::vector<uint8_t> WriteWindows(const TMetafile& metafile) {
    return TWmfWriter(metafile).Write();
}

} // namespace MetafileFormat
