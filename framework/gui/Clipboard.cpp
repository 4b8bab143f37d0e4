#include "framework/gui/Clipboard.h"

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Metafile.h"

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace {

QByteArray ToByteArray(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::vector<uint8_t> ToBytes(const QByteArray& bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

QClipboard* SystemClipboard() {
    return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
}

// The metafile drawn on white at its own size, as PNG bytes (empty for an empty one).
QByteArray PngRendering(const TMetafile& metafile) {
    if (metafile.Width() <= 0 || metafile.Height() <= 0)
        return {};
    TBitmap bitmap(metafile.Width(), metafile.Height());
    bitmap.Canvas()->Brush()->SetColor(clWhite);
    bitmap.Canvas()->FillRect(Rect(0, 0, metafile.Width(), metafile.Height()));
    metafile.DrawOnCanvas(bitmap.Canvas(), Rect(0, 0, metafile.Width(), metafile.Height()));
    QImage image = bitmap.ToImage();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

[[noreturn]] void Unsupported() {
    throw EInvalidGraphic("Unsupported clipboard format");
}

} // namespace

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Open() {
    if (FOpenCount++ == 0)
        FPending.reset();
}

void TClipboard::Close() {
    if (FOpenCount == 0)
        return;
    if (--FOpenCount == 0)
        Commit();
}

void TClipboard::Clear() {
    if (FOpenCount > 0) {
        FPending = std::make_unique<QMimeData>();
        return;
    }
    FPending.reset();
    if (QClipboard* c = SystemClipboard())
        c->clear();
}

QMimeData* TClipboard::Adding() {
    // Inside Open / Close the first format added empties the clipboard; outside, every
    // format replaces the content.
    if (FOpenCount == 0 || !FPending)
        FPending = std::make_unique<QMimeData>();
    return FPending.get();
}

void TClipboard::Commit() {
    if (!FPending)
        return;
    if (QClipboard* c = SystemClipboard())
        c->setMimeData(FPending.release());
    FPending.reset();
    ++FCommitCount;
}

const QMimeData* TClipboard::Current() const {
    QClipboard* c = SystemClipboard();
    return c ? c->mimeData() : nullptr;
}

bool TClipboard::HasFormat(unsigned format) const {
    const QMimeData* md = Current();
    if (!md)
        return false;
    switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT:
        return md->hasText();
    case CF_BITMAP:
    case CF_DIB:
        return md->hasImage();
    case CF_METAFILEPICT:
        return md->hasFormat(kMimeWindowsMetafile);
    case CF_ENHMETAFILE:
        return md->hasFormat(kMimeEnhancedMetafile);
    case CF_PICTURE:
        return md->hasImage() || md->hasFormat(kMimeWindowsMetafile) ||
               md->hasFormat(kMimeEnhancedMetafile);
    default:
        return false;
    }
}

std::vector<unsigned> TClipboard::Formats() const {
    std::vector<unsigned> list;
    for (unsigned f : {CF_TEXT, CF_BITMAP, CF_METAFILEPICT, CF_ENHMETAFILE})
        if (HasFormat(f))
            list.push_back(f);
    return list;
}

std::string TClipboard::AsText() const {
    const QMimeData* md = Current();
    if (!md || !md->hasText())
        return "";
    return md->text().toStdString();
}

void TClipboard::SetAsText(const std::string& value) {
    Open();
    Adding()->setText(QString::fromStdString(value));
    Close();
}

std::vector<uint8_t> TClipboard::GetAsBytes(unsigned format) const {
    const QMimeData* md = Current();
    if (!md)
        return {};
    switch (format) {
    case CF_METAFILEPICT:
        return ToBytes(md->data(kMimeWindowsMetafile));
    case CF_ENHMETAFILE:
        return ToBytes(md->data(kMimeEnhancedMetafile));
    case CF_PICTURE:
        return ToBytes(md->data(kMimePng));
    default:
        return {};
    }
}

void TClipboard::AssignFrom(const TPersistent* source) {
    if (auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (!picture->Graphic()) {
            Clear();
            return;
        }
        source = picture->Graphic();
    }
    if (auto* metafile = dynamic_cast<const TMetafile*>(source)) {
        Open();
        QMimeData* md = Adding();
        if (metafile->Enhanced())
            md->setData(kMimeEnhancedMetafile, ToByteArray(metafile->SaveEnhanced()));
        else
            md->setData(kMimeWindowsMetafile, ToByteArray(metafile->SaveWindows()));
        QByteArray png = PngRendering(*metafile);
        if (!png.isEmpty())
            md->setData(kMimePng, png);
        Close();
        return;
    }
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        Open();
        Adding()->setImageData(bitmap->ToImage());
        Close();
        return;
    }
    if (auto* strings = dynamic_cast<const TStrings*>(source)) {
        SetAsText(strings->Text());
        return;
    }
    TPersistent::AssignFrom(source);
}

void TClipboard::CopyInto(TPersistent* dest) const {
    const QMimeData* md = Current();
    auto readMetafile = [&](TMetafile& m) {
        if (md && md->hasFormat(kMimeEnhancedMetafile))
            m.LoadFromBytes(ToBytes(md->data(kMimeEnhancedMetafile)));
        else if (md && md->hasFormat(kMimeWindowsMetafile))
            m.LoadFromBytes(ToBytes(md->data(kMimeWindowsMetafile)));
        else
            return false;
        return true;
    };
    auto readBitmap = [&](TBitmap& b) {
        if (!md || !md->hasImage())
            return false;
        QImage image = qvariant_cast<QImage>(md->imageData());
        if (image.isNull())
            return false;
        b.SetImage(image);
        return true;
    };
    if (auto* picture = dynamic_cast<TPicture*>(dest)) {
        TMetafile m;
        if (readMetafile(m)) {
            picture->SetGraphic(&m);
            return;
        }
        TBitmap b;
        if (readBitmap(b)) {
            picture->SetGraphic(&b);
            return;
        }
        Unsupported();
    }
    if (auto* metafile = dynamic_cast<TMetafile*>(dest)) {
        if (!readMetafile(*metafile))
            Unsupported();
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        if (!readBitmap(*bitmap))
            Unsupported();
        return;
    }
    if (auto* strings = dynamic_cast<TStrings*>(dest)) {
        strings->SetText(AsText());
        return;
    }
    TPersistent::CopyInto(dest);
}

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}
