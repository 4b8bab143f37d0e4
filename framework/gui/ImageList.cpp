#include "framework/gui/ImageList.h"

#include "framework/gui/WindowBridge.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

void TImageList::Publish(TPublisher<TImageList>& p) {
    p.Ordinal("BkColor", TypeInfoTColor(), &TImageList::BkColor, &TImageList::SetBkColor)
        .Default(clNone);
    p.Integer("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
    p.Bool("Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true);
    p.Integer("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
}

TChangeLink::~TChangeLink() {
    if (FSender)
        FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (FOnChange)
        FOnChange(FSender);
}

struct TImageList::TImages : std::vector<QImage> {};

TImageList::TImageList(TComponent* owner)
    : TComponent(owner), FImages(std::make_unique<TImages>()) {}

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), FWidth(width), FHeight(height), FImages(std::make_unique<TImages>()) {}

TImageList::~TImageList() {
    for (TChangeLink* link : FLinks)
        link->FSender = nullptr;
}

void TImageList::RegisterChanges(TChangeLink* link) {
    if (!link || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
        return;
    if (link->FSender && link->FSender != this)
        link->FSender->UnRegisterChanges(link);
    link->FSender = this;
    FLinks.push_back(link);
}

void TImageList::UnRegisterChanges(TChangeLink* link) {
    auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end())
        return;
    FLinks.erase(it);
    link->FSender = nullptr;
}

void TImageList::Changed() {
    if (FOnChange)
        FOnChange(this);
    // A link's handler may register or unregister links: walk a copy, skipping those gone.
    std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* link : links)
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
            link->Change();
}

void TImageList::SetWidth(int value) {
    if (value == FWidth || value <= 0)
        return;
    FWidth = value;
    FImages->clear();
    Changed();
}

void TImageList::SetHeight(int value) {
    if (value == FHeight || value <= 0)
        return;
    FHeight = value;
    FImages->clear();
    Changed();
}

namespace {

// The images of a strip cut from the left, each of the list's size; masked pixels get
// alpha 0.
std::vector<QImage> CutImages(const QImage& strip, const QImage* mask, QRgb* maskColor, int w,
                              int h) {
    std::vector<QImage> result;
    if (strip.isNull() || w <= 0 || h <= 0)
        return result;
    int count = std::max(1, strip.width() / w);
    for (int i = 0; i < count; ++i) {
        QImage img(w, h, QImage::Format_ARGB32);
        img.fill(0);
        for (int y = 0; y < h && y < strip.height(); ++y)
            for (int x = 0; x < w && i * w + x < strip.width(); ++x) {
                QRgb c = strip.pixel(i * w + x, y) | 0xFF000000u;
                bool masked = false;
                if (mask && !mask->isNull() && i * w + x < mask->width() && y < mask->height())
                    masked = (mask->pixel(i * w + x, y) & 0xFFFFFF) == 0xFFFFFF;
                if (maskColor)
                    masked = (c & 0xFFFFFF) == (*maskColor & 0xFFFFFF);
                img.setPixel(x, y, masked ? 0u : c);
            }
        result.push_back(img.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return result;
}

} // namespace

int TImageList::Add(const TBitmap* image, const TBitmap* mask) {
    if (!image || image->Empty())
        return -1;
    QImage m = mask ? mask->ToImage() : QImage();
    auto images = CutImages(image->ToImage(), mask ? &m : nullptr, nullptr, FWidth, FHeight);
    int first = Count();
    FImages->insert(FImages->end(), images.begin(), images.end());
    Changed();
    return first;
}

int TImageList::AddMasked(const TBitmap* image, TColor maskColor) {
    if (!image || image->Empty())
        return -1;
    QRgb key = ColorToQColor(maskColor).rgb();
    auto images = CutImages(image->ToImage(), nullptr, &key, FWidth, FHeight);
    int first = Count();
    FImages->insert(FImages->end(), images.begin(), images.end());
    Changed();
    return first;
}

int TImageList::AddIcon(const TIcon* icon) {
    if (!icon || icon->Empty())
        return -1;
    FImages->push_back(icon->Image()
                           .scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    Changed();
    return Count() - 1;
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    FImages->erase(FImages->begin() + index);
    Changed();
}

int TImageList::Count() const {
    return int(FImages->size());
}

void TImageList::Clear() {
    FImages->clear();
    Changed();
}

void TImageList::Replace(int index, const TBitmap* image, const TBitmap* mask) {
    if (index < 0 || index >= Count() || !image || image->Empty())
        return;
    QImage m = mask ? mask->ToImage() : QImage();
    auto images = CutImages(image->ToImage(), mask ? &m : nullptr, nullptr, FWidth, FHeight);
    (*FImages)[size_t(index)] = images.front();
    Changed();
}

QImage TImageList::ImageAt(int index) const {
    if (index < 0 || index >= Count())
        return QImage();
    QImage img = (*FImages)[size_t(index)];
    if (FBkColor != clNone) {
        QImage back(img.size(), QImage::Format_ARGB32_Premultiplied);
        back.fill(ColorToQColor(FBkColor));
        QPainter p(&back);
        p.drawImage(0, 0, img);
        p.end();
        return back;
    }
    return img;
}

void TImageList::GetBitmap(int index, TBitmap* image) const {
    if (!image)
        return;
    QImage img = ImageAt(index);
    if (img.isNull())
        return;
    QImage opaque(img.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter p(&opaque);
    p.drawImage(0, 0, img);
    p.end();
    image->SetImage(opaque);
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const {
    Draw(canvas, x, y, index, dsNormal, enabled);
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style,
                      bool enabled) const {
    if (!canvas || index < 0 || index >= Count())
        return;
    TRect dest = Bounds(x, y, FWidth, FHeight);
    TRect src(0, 0, FWidth, FHeight);
    if (enabled) {
        QImage img = style == dsTransparent ? (*FImages)[size_t(index)] : ImageAt(index);
        canvas->StretchBltImage(dest, img, src, SRCCOPY);
        return;
    }
    // Disabled: the image's shape (its dark pixels) in the highlight colour one pixel down
    // and right, then in the shadow colour.
    const QImage& img = (*FImages)[size_t(index)];
    auto shape = [&](TColor color) {
        QImage s(img.size(), QImage::Format_ARGB32_Premultiplied);
        s.fill(0);
        QRgb c = 0xFF000000u | (ColorToQColor(color).rgb() & 0xFFFFFF);
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx) {
                QRgb p = img.pixel(xx, yy);
                if (qAlpha(p) == 0)
                    continue;
                if (qGray(p) < 192)
                    s.setPixel(xx, yy, c);
            }
        return s;
    };
    canvas->StretchBltImage(Bounds(x + 1, y + 1, FWidth, FHeight), shape(clBtnHighlight), src,
                            SRCCOPY);
    canvas->StretchBltImage(dest, shape(clBtnShadow), src, SRCCOPY);
}

void TImageList::AssignFrom(const TPersistent* source) {
    if (auto* l = dynamic_cast<const TImageList*>(source)) {
        if (l == this)
            return;
        FWidth = l->FWidth;
        FHeight = l->FHeight;
        FBkColor = l->FBkColor;
        FMasked = l->FMasked;
        *FImages = *l->FImages;
        Changed();
        return;
    }
    TComponent::AssignFrom(source);
}

// ---------------------------------------------------------------------------
// TDragImageList

namespace {

// A borderless top-level window that shows one picture and lets the mouse pass: half
// see-through over what lies below, or opaque on a colour. Which of the two is fixed when
// the window is made (a see-through window needs a visual with alpha).
class TDragImageWindow : public QWidget {
public:
    explicit TDragImageWindow(bool translucent)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus),
          Translucent(translucent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        if (translucent)
            setAttribute(Qt::WA_TranslucentBackground);
        else
            setAttribute(Qt::WA_OpaquePaintEvent);
    }
    const bool Translucent;
    QImage Picture;
    QColor Background;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), Translucent ? QColor(Qt::transparent) : Background);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (Translucent)
            p.setOpacity(0.75);
        p.drawImage(0, 0, Picture);
    }
};

} // namespace

struct TDragImageList::TWindow {
    explicit TWindow(bool translucent) : Widget(translucent) {}
    TDragImageWindow Widget;
};

TDragImageList::TDragImageList(TComponent* owner) : TImageList(owner) {}

TDragImageList::~TDragImageList() {
    WindowSystemDetail::ForgetDragImages(this);
}

bool TDragImageList::SetDragImage(int index, int hotSpotX, int hotSpotY) {
    if (index < 0 || index >= Count())
        return false;
    FIndex = index;
    FHotSpot = TPoint(hotSpotX, hotSpotY);
    if (FWindow) {
        FWindow->Widget.Picture = ImageAt(FIndex);
        Place();
    }
    return true;
}

void TDragImageList::SetOpaqueColor(TColor value) {
    FOpaqueColor = value;
    if (FWindow)
        FWindow->Widget.Background = ColorToQColor(value);
}

void TDragImageList::BeginDrag(const TPoint& screenPoint) {
    // A picture still up from a drag that was never ended goes before the new drag starts.
    HideDragImage();
    FDragging = true;
    FPosition = screenPoint;
    // Asked at every drag: a compositing manager may have started or stopped since the last.
    const bool translucent = WindowSystemDetail::ScreenCanBlend();
    if (FWindow && FWindow->Widget.Translucent != translucent)
        FWindow.reset();
    if (!FWindow)
        FWindow = std::make_unique<TWindow>(translucent);
    FWindow->Widget.Picture = ImageAt(FIndex);
    FWindow->Widget.Background = ColorToQColor(FOpaqueColor);
    FWindow->Widget.resize(std::max(1, Width()), std::max(1, Height()));
    Place();
}

void TDragImageList::DragMove(const TPoint& screenPoint) {
    FPosition = screenPoint;
    Place();
}

void TDragImageList::ShowDragImage() {
    if (!FDragging || FShown || Count() == 0)
        return;
    FShown = true;
    Place();
    FWindow->Widget.show();
    FWindow->Widget.raise();
}

void TDragImageList::HideDragImage() {
    // The window is hidden whatever the flag says, so no picture outlives its drag.
    FShown = false;
    if (FWindow && FWindow->Widget.isVisible())
        FWindow->Widget.hide();
}

void TDragImageList::EndDrag() {
    HideDragImage();
    FDragging = false;
}

TRect TDragImageList::DragImageRect() const {
    if (!DragImageVisible())
        return TRect();
    const int left = FPosition.X - FHotSpot.X, top = FPosition.Y - FHotSpot.Y;
    return TRect(left, top, left + Width(), top + Height());
}

void TDragImageList::Place() {
    if (FWindow)
        FWindow->Widget.move(FPosition.X - FHotSpot.X, FPosition.Y - FHotSpot.Y);
}
