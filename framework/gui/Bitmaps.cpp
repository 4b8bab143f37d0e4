#include "framework/gui/Bitmaps.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/Streams.h"
#include "framework/core/TextFiles.h"
#include "framework/gui/Metafile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>
#include <iterator>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

QByteArray ToByteArray(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::vector<uint8_t> FromByteArray(const QByteArray& a) {
    return std::vector<uint8_t>(a.begin(), a.end());
}

// The largest picture read from a file: 64 M pixels (256 MB as 32-bit pixels).
constexpr int64_t kMaxPixels = int64_t(1) << 26;
// The most pixels a byte of a picture file can give: deflate expands at most about 1032
// times and a row of 1-bit pixels holds 8 a byte; LZW and JPEG give fewer. A file that
// declares more (a few bytes of GIF declaring millions of pixels) is damaged.
constexpr int64_t kMaxPixelsPerByte = 16384;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

// A bitmap file's headers checked against its size before a decoder sees them: every size
// and offset inside the file, the rows of an uncompressed picture all there, the picture
// no larger than kMaxPixels.
bool PlausibleBmp(const std::vector<uint8_t>& b) {
    constexpr size_t kFileHeader = 14;
    if (b.size() < kFileHeader + 12)
        return false;
    const uint64_t bitsAt = Get32(b, 10);
    const uint64_t infoSize = Get32(b, 14);
    if (infoSize < 12 || infoSize > b.size() - kFileHeader || bitsAt > b.size() ||
        bitsAt < kFileHeader + infoSize)
        return false;
    int64_t width = 0, height = 0;
    uint32_t bitCount = 0, compression = 0, colors = 0;
    if (infoSize == 12) {
        width = b[18] | (b[19] << 8);
        height = b[20] | (b[21] << 8);
        bitCount = b[24] | (b[25] << 8);
    } else {
        if (infoSize < 40)
            return false;
        width = int32_t(Get32(b, 18));
        height = int32_t(Get32(b, 22));
        bitCount = b[28] | (b[29] << 8);
        compression = Get32(b, 30);
        colors = Get32(b, 46);
    }
    if (height < 0)
        height = -height; // top-down rows
    if (width <= 0 || height <= 0 || width * height > kMaxPixels)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    if (bitCount <= 8 && colors > (1u << bitCount))
        return false;
    // Uncompressed rows (and rows with colour masks) must all be in the file.
    if (compression == 0 || compression == 3) {
        const int64_t stride = ((width * bitCount + 31) / 32) * 4;
        if (stride * height > int64_t(b.size() - bitsAt))
            return false;
    } else if (compression > 3) {
        return false;
    }
    return true;
}

// Decodes a picture of one of the given formats (by content), refusing pictures larger
// than kMaxPixels, or larger than their bytes can hold, before their pixels are allocated.
QImage DecodeImage(const std::vector<uint8_t>& bytes, std::initializer_list<const char*> formats) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' && !PlausibleBmp(bytes))
        return QImage();
    QByteArray data = ToByteArray(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format().toLower();
    if (std::none_of(formats.begin(), formats.end(),
                     [&](const char* f) { return format == QByteArray(f); }))
        return QImage();
    const QSize size = reader.size();
    int64_t pixels = int64_t(size.width()) * int64_t(size.height());
    // A GIF is drawn on its logical screen, which the decoder makes whatever size the
    // frames are: its pixels count too.
    if (format == "gif" && bytes.size() >= 10)
        pixels =
            std::max(pixels, int64_t(bytes[6] | (bytes[7] << 8)) * (bytes[8] | (bytes[9] << 8)));
    if (!size.isValid() || size.isEmpty() || pixels > kMaxPixels ||
        pixels > int64_t(bytes.size()) * kMaxPixelsPerByte)
        return QImage();
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

// The standard bitmap file: file header, 40-byte info header, colour table, bottom-up rows
// padded to 4 bytes.
std::vector<uint8_t> WriteBmp(const QImage& source, int bits) {
    QImage img = source.convertToFormat(QImage::Format_RGB32);
    int w = img.width(), h = img.height();
    std::vector<uint32_t> palette;
    if (bits == 1)
        palette = {0x000000, 0xFFFFFF};
    QImage indexed;
    if (bits == 8) {
        indexed = img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        for (QRgb c : indexed.colorTable())
            palette.push_back(c & 0xFFFFFF);
        palette.resize(256, 0);
    }
    int stride = ((w * bits + 31) / 32) * 4;
    uint32_t headerSize = 14 + 40 + uint32_t(palette.size()) * 4;
    uint32_t imageSize = uint32_t(stride) * uint32_t(h);
    std::vector<uint8_t> out;
    out.reserve(headerSize + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, headerSize + imageSize);
    Put32(out, 0);
    Put32(out, headerSize);
    Put32(out, 40);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h));
    Put16(out, 1);
    Put16(out, uint32_t(bits));
    Put32(out, 0); // uncompressed
    Put32(out, imageSize);
    Put32(out, 3780); // 96 pixels per inch
    Put32(out, 3780);
    Put32(out, uint32_t(palette.size()));
    Put32(out, 0);
    for (uint32_t c : palette)
        Put32(out, c);
    std::vector<uint8_t> row(size_t(stride), 0);
    for (int y = h - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        const QRgb* px = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb c = px[x];
            switch (bits) {
            case 1:
                if ((c & 0xFFFFFF) == 0xFFFFFF)
                    row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
                break;
            case 8:
                row[size_t(x)] = indexed.constScanLine(y)[x];
                break;
            case 24:
                row[size_t(x) * 3] = uint8_t(qBlue(c));
                row[size_t(x) * 3 + 1] = uint8_t(qGreen(c));
                row[size_t(x) * 3 + 2] = uint8_t(qRed(c));
                break;
            default:
                row[size_t(x) * 4] = uint8_t(qBlue(c));
                row[size_t(x) * 4 + 1] = uint8_t(qGreen(c));
                row[size_t(x) * 4 + 2] = uint8_t(qRed(c));
                row[size_t(x) * 4 + 3] = 0;
                break;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// Rows of packed blue-green-red bytes for 24 bits, 32-bit pixels for every other format.
QImage::Format StorageFormatOf(TPixelFormat format) {
    return format == pf24bit ? QImage::Format_BGR888 : QImage::Format_RGB32;
}

} // namespace

// ---------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
    if (FTransparent == value)
        return;
    FTransparent = value;
    Changed();
}

void TGraphic::Changed() {
    FModified = true;
    if (FOnChange)
        FOnChange(this);
}

void TGraphic::LoadFromStream(std::istream& stream) {
    // Read in pieces up to one byte past the limit, so that an endless stream is refused
    // instead of held.
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (stream) {
        stream.read(buffer, sizeof buffer);
        const std::streamsize n = stream.gcount();
        if (n <= 0)
            break;
        if (int64_t(bytes.size()) + n > kMaxGraphicFileSize)
            throw EInvalidGraphic(FrameworkTexts::PictureDataTooLarge);
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    LoadFromBytes(bytes);
}

void TGraphic::SaveToStream(std::ostream& stream) const {
    std::vector<uint8_t> bytes = SaveToBytes();
    stream.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    // Only a regular file of a size a picture can have: a FIFO would wait for a writer and
    // a device could grow without end.
    std::string bytes;
    if (!ReadFileBytes(fileName, bytes, kMaxGraphicFileSize)) {
        const int error = errno;
        throw EFOpenError(Format(FrameworkTexts::CannotOpenFile,
                                 {fileName, FileErrorText(error, kMaxGraphicFileSize)}));
    }
    // Content that is no picture of this class is refused naming the file.
    try {
        LoadFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    } catch (const EInvalidGraphic& e) {
        throw EInvalidGraphic(Format(FrameworkTexts::CannotOpenFile, {fileName, e.Message()}));
    }
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    // Replaced in one piece, so a failed write leaves the file that was there.
    const std::vector<uint8_t> bytes = SaveToBytes();
    WriteFileAtomically(
        fileName, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// ---------------------------------------------------------------------------

TBitmap::TBitmap() : FImage(std::make_unique<QImage>()) {}

TBitmap::TBitmap(int width, int height) : FImage(std::make_unique<QImage>()) {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    if (FCanvas)
        FCanvas->ReleasePainter();
}

void TBitmap::EnsureCanvasDevice() {
    if (!FCanvas)
        return;
    FCanvas->SetDevice(FImage->isNull() ? nullptr : FImage.get());
}

bool TBitmap::Empty() const {
    return FImage->isNull();
}

int TBitmap::Width() const {
    return FImage->width();
}

int TBitmap::Height() const {
    return FImage->height();
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = std::make_unique<TCanvas>();
        FCanvas->SetOnChange([this](TObject*) { Changed(); });
        EnsureCanvasDevice();
    }
    return FCanvas.get();
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    if (FCanvas)
        FCanvas->ReleasePainter();
    if (width == 0 || height == 0) {
        *FImage = QImage();
    } else {
        QImage next(width, height, StorageFormatOf(FPixelFormat));
        next.fill(Qt::white);
        if (!FImage->isNull()) {
            int cw = std::min(width, FImage->width()), ch = std::min(height, FImage->height());
            QImage old = FImage->convertToFormat(StorageFormatOf(FPixelFormat));
            int bpp = next.depth() / 8;
            for (int y = 0; y < ch; ++y)
                std::memcpy(next.scanLine(y), old.constScanLine(y), size_t(cw * bpp));
        }
        *FImage = next;
    }
    EnsureCanvasDevice();
    Changed();
}

void TBitmap::Reformat() {
    if (FCanvas)
        FCanvas->ReleasePainter();
    if (!FImage->isNull()) {
        *FImage = FImage->convertToFormat(StorageFormatOf(FPixelFormat));
        if (FMonochrome) {
            for (int y = 0; y < FImage->height(); ++y)
                for (int x = 0; x < FImage->width(); ++x)
                    if ((FImage->pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                        FImage->setPixel(x, y, 0xFF000000u);
        }
    }
    EnsureCanvasDevice();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
    if (FPixelFormat == value)
        return;
    FPixelFormat = value;
    FMonochrome = value == pf1bit;
    Reformat();
    Changed();
}

void TBitmap::SetMonochrome(bool value) {
    if (FMonochrome == value)
        return;
    FMonochrome = value;
    if (value)
        FPixelFormat = pf1bit;
    else if (FPixelFormat == pf1bit)
        FPixelFormat = pfDevice;
    Reformat();
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (FImage->isNull())
        return clDefault;
    QRgb c = FImage->pixel(0, FImage->height() - 1);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

void TBitmap::SetTransparentColor(TColor value) {
    if (FTransparentColor == value)
        return;
    FTransparentColor = value;
    FTransparentMode = value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
    if (FTransparentMode == value)
        return;
    FTransparentMode = value;
    if (value == tmAuto)
        FTransparentColor = clDefault;
    Changed();
}

uint8_t* TBitmap::ScanLine(int y) {
    if (FImage->isNull() || y < 0 || y >= FImage->height())
        throw EInvalidGraphic(Format("Scan line index out of range", {}));
    if (FCanvas)
        FCanvas->ReleasePainter();
    return FImage->scanLine(y);
}

const uint8_t* TBitmap::ScanLine(int y) const {
    if (FImage->isNull() || y < 0 || y >= FImage->height())
        throw EInvalidGraphic(Format("Scan line index out of range", {}));
    return FImage->constScanLine(y);
}

int TBitmap::BytesPerScanLine() const {
    return FImage->isNull() ? 0 : int(FImage->bytesPerLine());
}

const QImage& TBitmap::Image() const {
    return *FImage;
}

void TBitmap::SetImage(const QImage& image) {
    if (FCanvas)
        FCanvas->ReleasePainter();
    *FImage = image.isNull() ? QImage() : image.convertToFormat(StorageFormatOf(FPixelFormat));
    if (FMonochrome)
        Reformat();
    EnsureCanvasDevice();
    Changed();
}

QImage TBitmap::ToImage() const {
    if (FImage->isNull())
        return QImage();
    return FImage->convertToFormat(QImage::Format_RGB32);
}

void TBitmap::CopyPixels(const TBitmap* source) {
    if (source == this)
        return;
    SetImage(source ? *source->FImage : QImage());
}

bool TBitmap::SamePixels(const TBitmap& other) const {
    return ToImage() == other.ToImage();
}

void TBitmap::Mask(TColor transparentColor) {
    if (FImage->isNull())
        return;
    if (FCanvas)
        FCanvas->ReleasePainter();
    QRgb key = ColorToQColor(transparentColor).rgb() & 0xFFFFFF;
    QImage mask(FImage->size(), QImage::Format_RGB32);
    for (int y = 0; y < FImage->height(); ++y)
        for (int x = 0; x < FImage->width(); ++x)
            mask.setPixel(x, y,
                          (FImage->pixel(x, y) & 0xFFFFFF) == key ? 0xFFFFFFFFu : 0xFF000000u);
    FPixelFormat = pf1bit;
    FMonochrome = true;
    *FImage = mask;
    EnsureCanvasDevice();
    Changed();
}

void TBitmap::Changed() {
    TGraphic::Changed();
}

void TBitmap::DrawOnCanvas(TCanvas* canvas, const TRect& r) const {
    if (FImage->isNull() || !canvas)
        return;
    TRect src(0, 0, Width(), Height());
    if (Transparent()) {
        QImage img = FImage->convertToFormat(QImage::Format_ARGB32);
        QRgb key = ColorToQColor(TransparentColor()).rgb() & 0xFFFFFF;
        for (int y = 0; y < img.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((row[x] & 0xFFFFFF) == key)
                    row[x] = 0;
        }
        canvas->StretchBltImage(r, img, src, SRCCOPY);
        return;
    }
    canvas->StretchBltImage(r, *FImage, src, canvas->CopyMode());
}

void TBitmap::LoadFromBytes(const std::vector<uint8_t>& bytes) {
    const QImage img = DecodeImage(bytes, {"bmp", "dib", "png", "jpeg", "jpg", "gif"});
    if (img.isNull())
        throw EInvalidGraphic(FrameworkTexts::BitmapNotValid);
    TPixelFormat format = pfDevice;
    if (bytes.size() >= 30 && bytes[0] == 'B' && bytes[1] == 'M') {
        switch (bytes[28] | (bytes[29] << 8)) {
        case 1:
            format = pf1bit;
            break;
        case 4:
            format = pf4bit;
            break;
        case 8:
            format = pf8bit;
            break;
        case 16:
            format = pf16bit;
            break;
        case 24:
            format = pf24bit;
            break;
        case 32:
            format = pf32bit;
            break;
        default:
            break;
        }
    }
    if (FCanvas)
        FCanvas->ReleasePainter();
    FPixelFormat = format;
    FMonochrome = format == pf1bit;
    *FImage = img.convertToFormat(StorageFormatOf(FPixelFormat));
    if (FMonochrome)
        Reformat();
    EnsureCanvasDevice();
    Changed();
}

std::vector<uint8_t> TBitmap::SaveToBytes() const {
    if (FImage->isNull())
        return WriteBmp(QImage(), 24);
    int bits = 24;
    switch (FPixelFormat) {
    case pf1bit:
        bits = 1;
        break;
    case pf4bit:
    case pf8bit:
        bits = 8;
        break;
    case pf32bit:
        bits = 32;
        break;
    default:
        bits = 24;
        break;
    }
    return WriteBmp(*FImage, bits);
}

void TBitmap::AssignFrom(const TPersistent* source) {
    if (source == this)
        return;
    if (!source) {
        SetImage(QImage());
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        if (FCanvas)
            FCanvas->ReleasePainter();
        FPixelFormat = b->FPixelFormat;
        FMonochrome = b->FMonochrome;
        FTransparentColor = b->FTransparentColor;
        FTransparentMode = b->FTransparentMode;
        *FImage = b->FImage->copy();
        SetTransparent(b->Transparent());
        EnsureCanvasDevice();
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        if (FCanvas)
            FCanvas->ReleasePainter();
        *FImage = QImage();
        SetSize(g->Width(), g->Height());
        if (!FImage->isNull()) {
            Canvas()->Brush()->SetColor(clWhite);
            Canvas()->Brush()->SetStyle(bsSolid);
            Canvas()->FillRect(TRect(0, 0, Width(), Height()));
            Canvas()->Draw(0, 0, g);
            FCanvas->ReleasePainter();
        }
        Changed();
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        AssignFrom(p->Graphic());
        return;
    }
    TGraphic::AssignFrom(source);
}

void TBitmap::CopyInto(TPersistent* dest) const {
    TGraphic::CopyInto(dest);
}

// ---------------------------------------------------------------------------

TIcon::TIcon() : FImage(std::make_unique<QImage>()) {}

TIcon::~TIcon() = default;

bool TIcon::Empty() const {
    return FImage->isNull();
}

int TIcon::Width() const {
    return FImage->width();
}

int TIcon::Height() const {
    return FImage->height();
}

void TIcon::SetWidth(int value) {
    if (value == Width())
        return;
    SetImage(FImage->isNull() ? QImage() : FImage->scaled(value, Height()));
}

void TIcon::SetHeight(int value) {
    if (value == Height())
        return;
    SetImage(FImage->isNull() ? QImage() : FImage->scaled(Width(), value));
}

void TIcon::SetImage(const QImage& image) {
    *FImage =
        image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Changed();
}

void TIcon::DrawOnCanvas(TCanvas* canvas, const TRect& r) const {
    if (FImage->isNull() || !canvas)
        return;
    canvas->StretchBltImage(r, *FImage, TRect(0, 0, Width(), Height()), SRCCOPY);
}

void TIcon::LoadFromBytes(const std::vector<uint8_t>& bytes) {
    const QImage img = DecodeImage(bytes, {"ico", "cur", "png", "bmp"});
    if (img.isNull())
        throw EInvalidGraphic(FrameworkTexts::IconNotValid);
    SetImage(img);
}

std::vector<uint8_t> TIcon::SaveToBytes() const {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(*FImage)) {
        // Without the icon writer the image goes out as PNG, which readers of icons accept.
        buffer.seek(0);
        data.clear();
        FImage->save(&buffer, "PNG");
    }
    return FromByteArray(data);
}

void TIcon::AssignFrom(const TPersistent* source) {
    if (auto* i = dynamic_cast<const TIcon*>(source)) {
        if (i != this) {
            SetTransparent(i->Transparent());
            SetImage(*i->FImage);
        }
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        SetImage(b->ToImage());
        return;
    }
    TGraphic::AssignFrom(source);
}

// ---------------------------------------------------------------------------

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Take(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->SetOnChange([this](TObject* sender) { GraphicChanged(sender); });
    GraphicChanged(FGraphic.get());
}

void TPicture::GraphicChanged(TObject*) {
    if (FOnChange)
        FOnChange(this);
}

void TPicture::SetGraphic(const TGraphic* value) {
    if (!value) {
        Take(nullptr);
        return;
    }
    TClass cls = value->ClassType();
    std::unique_ptr<TGraphic> copy;
    if (dynamic_cast<const TMetafile*>(value))
        copy = std::make_unique<TMetafile>();
    else if (dynamic_cast<const TIcon*>(value))
        copy = std::make_unique<TIcon>();
    else if (dynamic_cast<const TBitmap*>(value))
        copy = std::make_unique<TBitmap>();
    else if (cls->CanCreate())
        copy.reset(dynamic_cast<TGraphic*>(cls->Create(nullptr)));
    if (!copy)
        throw EInvalidGraphic(FrameworkTexts::InvalidGraphicFormat);
    copy->AssignFrom(value);
    Take(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
    if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get()))
        return b;
    Take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
    if (auto* i = dynamic_cast<TIcon*>(FGraphic.get()))
        return i;
    Take(std::make_unique<TIcon>());
    return static_cast<TIcon*>(FGraphic.get());
}

TMetafile* TPicture::Metafile() {
    if (auto* m = dynamic_cast<TMetafile*>(FGraphic.get()))
        return m;
    Take(std::make_unique<TMetafile>());
    return static_cast<TMetafile*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext = LowerCase(ExtractFileExt(fileName));
    std::unique_ptr<TGraphic> graphic;
    if (ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" ||
        ext == ".dib")
        graphic = std::make_unique<TBitmap>();
    else if (ext == ".ico")
        graphic = std::make_unique<TIcon>();
    else if (ext == ".emf" || ext == ".wmf")
        graphic = std::make_unique<TMetafile>();
    else
        throw EInvalidGraphic(Format(FrameworkTexts::CannotOpenFile,
                                     {fileName, Format(FrameworkTexts::UnknownPictureExtension,
                                                       {ext.empty() ? ext : ext.substr(1)})}));
    graphic->LoadFromFile(fileName);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::AssignFrom(const TPersistent* source) {
    if (!source) {
        Take(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        if (p != this)
            SetGraphic(p->Graphic());
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::AssignFrom(source);
}

void TPicture::DefineStreamedData(TFiler& filer) {
    TPersistent::DefineStreamedData(filer);
    filer.DefineBinary(
        "Data", filer.IsWriting() && FGraphic ? StreamedData() : std::string(),
        [this](std::string_view data) { ReadStreamedData(data); }, FGraphic != nullptr);
}

std::string TPicture::StreamedData() const {
    if (!FGraphic)
        return std::string();
    const std::string name = FGraphic->ClassName();
    std::string data(1, char(uint8_t(name.size())));
    data += name;
    if (!FGraphic->Empty()) {
        const std::vector<uint8_t> bytes = FGraphic->SaveToBytes();
        data.append(bytes.begin(), bytes.end());
    }
    return data;
}

void TPicture::ReadStreamedData(std::string_view data) {
    if (data.empty() || data.size() < 1 + size_t(uint8_t(data[0])))
        throw EInvalidGraphic(FrameworkTexts::PictureDataNotValid);
    const std::string name(data.substr(1, uint8_t(data[0])));
    const std::string_view bytes = data.substr(1 + name.size());
    if (int64_t(bytes.size()) > kMaxGraphicFileSize)
        throw EInvalidGraphic(FrameworkTexts::PictureDataTooLarge);
    std::unique_ptr<TGraphic> graphic;
    if (name == TBitmap::StaticClass()->Name())
        graphic = std::make_unique<TBitmap>();
    else if (name == TMetafile::StaticClass()->Name())
        graphic = std::make_unique<TMetafile>();
    else if (name == TIcon::StaticClass()->Name())
        graphic = std::make_unique<TIcon>();
    else
        throw EInvalidGraphic(Format(FrameworkTexts::UnknownPictureFormat, {name}));
    // Nothing after the name is an empty graphic of that class.
    if (!bytes.empty())
        graphic->LoadFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    Take(std::move(graphic));
}

std::string GraphicFilter() {
    static const std::pair<const char*, const char*> formats[] = {
        {FrameworkTexts::BitmapFiles, "*.bmp;*.dib"}, {FrameworkTexts::PngFiles, "*.png"},
        {FrameworkTexts::JpegFiles, "*.jpg;*.jpeg"},  {FrameworkTexts::GifFiles, "*.gif"},
        {FrameworkTexts::IconFiles, "*.ico"},         {FrameworkTexts::EmfFiles, "*.emf"},
        {FrameworkTexts::WmfFiles, "*.wmf"},
    };
    std::string all;
    std::string each;
    for (const auto& [text, patterns] : formats) {
        if (!all.empty())
            all += ';';
        all += patterns;
        each += std::string("|") + text + " (" + patterns + ")|" + patterns;
    }
    return std::string(FrameworkTexts::AllPictureFiles) + " (" + all + ")|" + all + each;
}
