// The metafile reader: the records the writers produce (and the same records from other
// programs) become drawing calls again. Every size, count and offset is checked against
// the bytes that are there; a file that points outside itself is not valid. Each format's
// records are read by family (drawing state, objects, shapes, text, pictures); records of
// no family do not change the picture as replayed here and are passed over.

#include "framework/gui/MetafileFormat.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <utility>

namespace MetafileFormat {
namespace {

[[noreturn]] void InvalidMetafile() {
    throw EInvalidGraphic(FrameworkTexts::MetafileNotValid);
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

    // The drawing records, in the picture's pixels.
    void LineTo(const TPoint& to) {
        Add(TMetafileRecord::mrLine).Points = {Position, to};
        Position = to;
    }
    void Shape(TMetafileRecord::TKind kind, const TRect& rect) { Add(kind).Rect = rect; }
    void RoundRect(const TRect& rect, const TPoint& corner) {
        TMetafileRecord& m = Add(TMetafileRecord::mrRoundRect);
        m.Rect = rect;
        m.Points = {corner};
    }
    void Arc(TMetafileRecord::TKind kind, const TRect& rect, const TPoint& start,
             const TPoint& end) {
        TMetafileRecord& m = Add(kind);
        m.Rect = rect;
        m.Points = {start, end};
    }
    // A polygon or polyline of no points draws nothing and is left out.
    void Poly(TMetafileRecord::TKind kind, std::vector<TPoint> points) {
        if (!points.empty())
            Add(kind).Points = std::move(points);
    }
    void Pixel(const TPoint& p, TColor color) {
        TMetafileRecord& m = Add(TMetafileRecord::mrPixel);
        m.Points = {p};
        m.FillColor = color;
    }
    // Text at p; the rectangle counts only with the opaque or clipped option.
    void Text(const TPoint& p, unsigned options, const TRect& rect, std::string text) {
        TMetafileRecord& m = Add(TMetafileRecord::mrText);
        m.Points = {p};
        m.Options = options;
        m.HasRect = options != 0;
        if (m.HasRect)
            m.Rect = rect;
        m.Text = std::move(text);
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

// ---------------------------------------------------------------------------
// Enhanced metafile

// An enhanced metafile's records from its header on; the picture's size from the header.
class TEnhancedReader {
public:
    explicit TEnhancedReader(TMetafilePlayer& player) : FPlayer(player) {}
    void Read(const TByteReader& file, int& width, int& height);

private:
    // Each family reads the records it knows and returns false for any other.
    bool State(uint32_t type, const TByteReader& r);
    bool Objects(uint32_t type, const TByteReader& r);
    bool Shapes(uint32_t type, const TByteReader& r);
    bool Text(uint32_t type, const TByteReader& r);
    bool Picture(uint32_t type, const TByteReader& r);

    TRect Rect(const TByteReader& r, size_t o) const {
        return FPlayer.MapRect(r.I32(o), r.I32(o + 4), r.I32(o + 8), r.I32(o + 12));
    }
    TPoint Point(const TByteReader& r, size_t o) const {
        return FPlayer.Map(r.I32(o), r.I32(o + 4));
    }

    TMetafilePlayer& FPlayer;
};

void TEnhancedReader::Read(const TByteReader& file, int& width, int& height) {
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
    FPlayer.OriginX = double(left);
    FPlayer.OriginY = double(top);
    using THandler = bool (TEnhancedReader::*)(uint32_t, const TByteReader&);
    static constexpr THandler kFamilies[] = {&TEnhancedReader::State, &TEnhancedReader::Objects,
                                             &TEnhancedReader::Shapes, &TEnhancedReader::Text,
                                             &TEnhancedReader::Picture};
    const TByteReader data = file.Sub(0, fileSize);
    size_t at = headerSize;
    while (at + 8 <= data.Size()) {
        const uint32_t type = data.U32(at);
        const uint32_t size = data.U32(at + 4);
        if (size < 8 || size % 4 != 0 || size > data.Size() - at)
            InvalidMetafile();
        const TByteReader r = data.Sub(at, size);
        at += size;
        if (type == EMR_EOF)
            return;
        for (THandler family : kFamilies)
            if ((this->*family)(type, r))
                break;
    }
}

bool TEnhancedReader::State(uint32_t type, const TByteReader& r) {
    TMetafileRecord& state = FPlayer.State;
    switch (type) {
    case EMR_SETBKMODE:
        state.BkMode = r.I32(8) == OPAQUE ? OPAQUE : TRANSPARENT;
        return true;
    case EMR_SETBKCOLOR:
        state.BkColor = ColorFromRef(r.U32(8));
        return true;
    case EMR_SETROP2:
        state.PenMode = PenModeFromRop2(r.U32(8));
        return true;
    case EMR_SETTEXTCOLOR:
        state.TextColor = ColorFromRef(r.U32(8));
        return true;
    case EMR_SETTEXTALIGN:
        state.TextAlign = r.U32(8) & 0xFF;
        return true;
    case EMR_SETWINDOWORGEX:
        FPlayer.OriginX = r.I32(8);
        FPlayer.OriginY = r.I32(12);
        return true;
    case EMR_SAVEDC:
        FPlayer.Save();
        return true;
    case EMR_RESTOREDC:
        FPlayer.Restore(r.I32(8));
        return true;
    case EMR_INTERSECTCLIPRECT:
        FPlayer.IntersectClip(Rect(r, 8));
        return true;
    case EMR_MOVETOEX:
        FPlayer.Position = Point(r, 8);
        return true;
    default:
        return false;
    }
}

bool TEnhancedReader::Objects(uint32_t type, const TByteReader& r) {
    switch (type) {
    case EMR_CREATEPEN:
        FPlayer.MakePen(r.U32(8), r.U32(12), r.I32(16), r.U32(24));
        return true;
    case EMR_CREATEBRUSHINDIRECT:
        FPlayer.MakeBrush(r.U32(8), r.U32(12), r.U32(16), r.U32(20));
        return true;
    case EMR_EXTCREATEFONTINDIRECTW: {
        std::u16string face;
        for (size_t i = 0; i < 32 && 40 + 2 * i + 2 <= r.Size(); ++i) {
            const char16_t c = char16_t(r.U16(40 + 2 * i));
            if (c == 0)
                break;
            face.push_back(c);
        }
        FPlayer.MakeFont(r.U32(8), r.I32(12), r.I32(20), r.I32(28), r.U8(32) != 0, r.U8(33) != 0,
                         r.U8(34) != 0, r.U8(35), QString::fromStdU16String(face).toStdString());
        return true;
    }
    case EMR_SELECTOBJECT:
        FPlayer.Select(r.U32(8));
        return true;
    case EMR_DELETEOBJECT:
        FPlayer.Delete(r.U32(8));
        return true;
    default:
        return false;
    }
}

bool TEnhancedReader::Shapes(uint32_t type, const TByteReader& r) {
    using K = TMetafileRecord;
    switch (type) {
    case EMR_LINETO:
        FPlayer.LineTo(Point(r, 8));
        return true;
    case EMR_RECTANGLE:
        FPlayer.Shape(K::mrRectangle, Rect(r, 8));
        return true;
    case EMR_ELLIPSE:
        FPlayer.Shape(K::mrEllipse, Rect(r, 8));
        return true;
    case EMR_ROUNDRECT:
        FPlayer.RoundRect(Rect(r, 8),
                          TPoint(ClampCoordinate(r.I32(24)), ClampCoordinate(r.I32(28))));
        return true;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
        FPlayer.Arc(type == EMR_ARC   ? K::mrArc
                    : type == EMR_PIE ? K::mrPie
                                      : K::mrChord,
                    Rect(r, 8), Point(r, 24), Point(r, 32));
        return true;
    case EMR_POLYGON16:
    case EMR_POLYLINE16: {
        const uint32_t count = r.U32(24);
        if (count > (r.Size() - 28) / 4)
            InvalidMetafile();
        std::vector<TPoint> points;
        points.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            points.push_back(FPlayer.Map(r.I16(28 + 4 * i), r.I16(30 + 4 * i)));
        FPlayer.Poly(type == EMR_POLYGON16 ? K::mrPolygon : K::mrPolyline, std::move(points));
        return true;
    }
    case EMR_SETPIXELV:
        FPlayer.Pixel(Point(r, 8), ColorFromRef(r.U32(16)));
        return true;
    default:
        return false;
    }
}

bool TEnhancedReader::Text(uint32_t type, const TByteReader& r) {
    if (type != EMR_EXTTEXTOUTW)
        return false;
    const uint32_t count = r.U32(44);
    const uint32_t offString = r.U32(48);
    if (count > r.Size() / 2)
        InvalidMetafile();
    const uint8_t* text = r.Bytes(offString, size_t(count) * 2);
    std::u16string u(count, u'\0');
    for (uint32_t i = 0; i < count; ++i)
        u[i] = char16_t(text[2 * i] | (text[2 * i + 1] << 8));
    const unsigned options = r.U32(52) & (ETO_OPAQUE | ETO_CLIPPED);
    FPlayer.Text(Point(r, 36), options, options ? Rect(r, 56) : TRect(),
                 QString::fromStdU16String(u).toStdString());
    return true;
}

bool TEnhancedReader::Picture(uint32_t type, const TByteReader& r) {
    if (type != EMR_STRETCHDIBITS)
        return false;
    const uint32_t offInfo = r.U32(48), infoSize = r.U32(52);
    const uint32_t offBits = r.U32(56), bitsSize = r.U32(60);
    const QImage image = DecodeDib(r.Sub(offInfo, infoSize), r.Sub(offBits, bitsSize));
    if (!image.isNull())
        FPlayer.AddImage(image, Point(r, 24), r.I32(72), r.I32(76), r.U32(68));
    return true;
}

// ---------------------------------------------------------------------------
// Windows metafile

// A placeable Windows metafile's records; the picture's size from the placeable header.
// Parameters are 16-bit words after each record's size and function.
class TWindowsReader {
public:
    explicit TWindowsReader(TMetafilePlayer& player) : FPlayer(player) {}
    void Read(const TByteReader& file, int& width, int& height);

private:
    // Each family reads the records it knows and returns false for any other.
    bool State(uint32_t function, const TByteReader& r);
    bool Objects(uint32_t function, const TByteReader& r);
    bool Shapes(uint32_t function, const TByteReader& r);
    bool Text(uint32_t function, const TByteReader& r);
    bool Picture(uint32_t function, const TByteReader& r);

    static int Word(const TByteReader& r, size_t index) { return r.I16(6 + 2 * index); }
    // A point stored y first.
    TPoint Point(const TByteReader& r, size_t index) const {
        return FPlayer.Map(Word(r, index + 1), Word(r, index));
    }
    // A rectangle stored bottom, right, top, left.
    TRect Rect(const TByteReader& r, size_t index) const {
        return FPlayer.MapRect(Word(r, index + 3), Word(r, index + 2), Word(r, index + 1),
                               Word(r, index));
    }
    // The window's origin and extent map the file's units onto the picture.
    void Remap() {
        if (!FHaveExtent || FExtX == 0 || FExtY == 0)
            return;
        FPlayer.OriginX = double(FOrgX);
        FPlayer.OriginY = double(FOrgY);
        FPlayer.ScaleX = double(FWidth) / double(FExtX);
        FPlayer.ScaleY = double(FHeight) / double(FExtY);
    }

    TMetafilePlayer& FPlayer;
    int FWidth = 0, FHeight = 0;
    bool FHaveExtent = false;
    int64_t FExtX = 0, FExtY = 0, FOrgX = 0, FOrgY = 0;
};

void TWindowsReader::Read(const TByteReader& file, int& width, int& height) {
    const int left = file.I16(6), top = file.I16(8), right = file.I16(10), bottom = file.I16(12);
    const int inch = std::max(1, int(file.U16(14)));
    FWidth = width = MulDiv(right - left, 96, inch);
    FHeight = height = MulDiv(bottom - top, 96, inch);
    if (width <= 0 || height <= 0)
        InvalidMetafile();
    constexpr size_t kPlaceable = 22;
    const uint32_t headerWords = file.U16(kPlaceable + 2);
    if (headerWords < 9)
        InvalidMetafile();
    using THandler = bool (TWindowsReader::*)(uint32_t, const TByteReader&);
    static constexpr THandler kFamilies[] = {&TWindowsReader::State, &TWindowsReader::Objects,
                                             &TWindowsReader::Shapes, &TWindowsReader::Text,
                                             &TWindowsReader::Picture};
    size_t at = kPlaceable + size_t(headerWords) * 2;
    while (at + 6 <= file.Size()) {
        const uint64_t words = file.U32(at);
        const uint32_t function = file.U16(at + 4);
        if (words < 3 || words * 2 > file.Size() - at)
            InvalidMetafile();
        const TByteReader r = file.Sub(at, size_t(words * 2));
        at += size_t(words * 2);
        if (function == META_EOF)
            return;
        for (THandler family : kFamilies)
            if ((this->*family)(function, r))
                break;
    }
}

bool TWindowsReader::State(uint32_t function, const TByteReader& r) {
    TMetafileRecord& state = FPlayer.State;
    switch (function) {
    case META_SETBKMODE:
        state.BkMode = Word(r, 0) == OPAQUE ? OPAQUE : TRANSPARENT;
        return true;
    case META_SETBKCOLOR:
        state.BkColor = ColorFromRef(r.U32(6));
        return true;
    case META_SETROP2:
        state.PenMode = PenModeFromRop2(uint32_t(Word(r, 0)));
        return true;
    case META_SETTEXTCOLOR:
        state.TextColor = ColorFromRef(r.U32(6));
        return true;
    case META_SETTEXTALIGN:
        state.TextAlign = uint32_t(Word(r, 0)) & 0xFF;
        return true;
    case META_SETWINDOWORG:
        FOrgY = Word(r, 0);
        FOrgX = Word(r, 1);
        Remap();
        return true;
    case META_SETWINDOWEXT:
        FExtY = Word(r, 0);
        FExtX = Word(r, 1);
        FHaveExtent = true;
        Remap();
        return true;
    case META_SAVEDC:
        FPlayer.Save();
        return true;
    case META_RESTOREDC:
        FPlayer.Restore(Word(r, 0));
        return true;
    case META_INTERSECTCLIPRECT:
        FPlayer.IntersectClip(Rect(r, 0));
        return true;
    case META_MOVETO:
        FPlayer.Position = Point(r, 0);
        return true;
    default:
        return false;
    }
}

bool TWindowsReader::Objects(uint32_t function, const TByteReader& r) {
    switch (function) {
    case META_CREATEPENINDIRECT:
        FPlayer.MakePen(FPlayer.FreeSlot(), r.U16(6), Word(r, 1), r.U32(12));
        return true;
    case META_CREATEBRUSHINDIRECT:
        FPlayer.MakeBrush(FPlayer.FreeSlot(), r.U16(6), r.U32(8), r.U16(12));
        return true;
    case META_CREATEFONTINDIRECT: {
        std::string face;
        for (size_t i = 24; i < 24 + 32 && i < r.Size(); ++i) {
            if (r.U8(i) == 0)
                break;
            face.push_back(char(r.U8(i)));
        }
        const uint8_t charset = r.U8(19);
        FPlayer.MakeFont(FPlayer.FreeSlot(), Word(r, 0), Word(r, 2), Word(r, 4), r.U8(16) != 0,
                         r.U8(17) != 0, r.U8(18) != 0, charset,
                         DecodeAnsi(reinterpret_cast<const uint8_t*>(face.data()), face.size(),
                                    charset == GREEK_CHARSET));
        return true;
    }
    case META_SELECTOBJECT:
        FPlayer.Select(uint32_t(uint16_t(Word(r, 0))));
        return true;
    case META_DELETEOBJECT:
        FPlayer.Delete(uint32_t(uint16_t(Word(r, 0))));
        return true;
    default:
        return false;
    }
}

bool TWindowsReader::Shapes(uint32_t function, const TByteReader& r) {
    using K = TMetafileRecord;
    switch (function) {
    case META_LINETO:
        FPlayer.LineTo(Point(r, 0));
        return true;
    case META_RECTANGLE:
        FPlayer.Shape(K::mrRectangle, Rect(r, 0));
        return true;
    case META_ELLIPSE:
        FPlayer.Shape(K::mrEllipse, Rect(r, 0));
        return true;
    case META_ROUNDRECT:
        FPlayer.RoundRect(Rect(r, 2), TPoint(Word(r, 1), Word(r, 0)));
        return true;
    case META_ARC:
    case META_PIE:
    case META_CHORD:
        FPlayer.Arc(function == META_ARC   ? K::mrArc
                    : function == META_PIE ? K::mrPie
                                           : K::mrChord,
                    Rect(r, 4), Point(r, 2), Point(r, 0));
        return true;
    case META_POLYGON:
    case META_POLYLINE: {
        const int count = Word(r, 0);
        if (count < 0 || size_t(count) > (r.Size() - 8) / 4)
            InvalidMetafile();
        std::vector<TPoint> points;
        points.reserve(size_t(count));
        for (size_t i = 0; i < size_t(count); ++i)
            points.push_back(FPlayer.Map(Word(r, 1 + 2 * i), Word(r, 2 + 2 * i)));
        FPlayer.Poly(function == META_POLYGON ? K::mrPolygon : K::mrPolyline, std::move(points));
        return true;
    }
    case META_SETPIXEL:
        FPlayer.Pixel(Point(r, 2), ColorFromRef(r.U32(6)));
        return true;
    default:
        return false;
    }
}

bool TWindowsReader::Text(uint32_t function, const TByteReader& r) {
    if (function != META_EXTTEXTOUT)
        return false;
    const TPoint p = Point(r, 0);
    const int count = Word(r, 2);
    const unsigned options = r.U16(12) & (ETO_OPAQUE | ETO_CLIPPED);
    size_t textAt = 14;
    TRect clip;
    if (options) {
        clip = FPlayer.MapRect(r.I16(14), r.I16(16), r.I16(18), r.I16(20));
        textAt = 22;
    }
    if (count < 0)
        InvalidMetafile();
    const uint8_t* text = r.Bytes(textAt, size_t(count));
    FPlayer.Text(p, options, clip,
                 DecodeAnsi(text, size_t(count), FPlayer.State.FontCharset == GREEK_CHARSET));
    return true;
}

bool TWindowsReader::Picture(uint32_t function, const TByteReader& r) {
    if (function != META_STRETCHDIB)
        return false;
    const TByteReader dib = r.Sub(28, r.Size() - std::min<size_t>(r.Size(), 28));
    const uint32_t infoSize = dib.U32(0);
    if (infoSize < 40 || infoSize > dib.Size())
        return true;
    const QImage image = DecodeDib(dib.Sub(0, infoSize), dib.Sub(infoSize, dib.Size() - infoSize));
    if (!image.isNull())
        FPlayer.AddImage(image, FPlayer.Map(Word(r, 10), Word(r, 9)), Word(r, 8), Word(r, 7),
                         r.U32(6));
    return true;
}

} // namespace

TReadMetafile Read(const std::vector<uint8_t>& bytes) {
    const TByteReader file(bytes.data(), bytes.size());
    TMetafilePlayer player;
    TReadMetafile result;
    if (bytes.size() >= 88 && file.U32(0) == EMR_HEADER && file.U32(40) == kEnhancedSignature) {
        TEnhancedReader(player).Read(file, result.Width, result.Height);
    } else if (bytes.size() >= 40 && file.U32(0) == kPlaceableKey) {
        TWindowsReader(player).Read(file, result.Width, result.Height);
        result.Enhanced = false;
        result.Inch = std::max(1, int(file.U16(14)));
    } else {
        InvalidMetafile();
    }
    result.Records = std::move(player.Records);
    return result;
}

} // namespace MetafileFormat
