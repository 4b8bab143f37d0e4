#pragma once
// Graphics that draw themselves on a canvas: the graphic base, bitmaps (with their own
// canvas, scan lines and the standard bitmap file format), icons and pictures (a holder
// of any graphic that picks the class from a file's extension).

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QImage;

// A graphic that cannot be read (texts in FrameworkTexts): BitmapNotValid, IconNotValid,
// MetafileNotValid, UnknownPictureExtension; read from a file, the message names the file.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// The largest picture file read (and the largest picture data in a component stream):
// a 32-bit bitmap of the largest picture size, 64 M pixels, and its headers.
constexpr int64_t kMaxGraphicFileSize = (int64_t(1) << 28) + (int64_t(1) << 20);

class TGraphic : public TPersistent {
    ORV_CLASS(TGraphic, TPersistent)

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool value);
    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    // Draws the graphic stretched over the rectangle (what TCanvas::Draw and
    // StretchDraw call).
    virtual void DrawOnCanvas(TCanvas* canvas, const TRect& r) const = 0;

    // The graphic's file format. Reading errors raise EInvalidGraphic and leave the
    // graphic as it was.
    virtual void LoadFromBytes(const std::vector<uint8_t>& bytes) = 0;
    virtual std::vector<uint8_t> SaveToBytes() const = 0;
    // Reads the stream to its end; more than kMaxGraphicFileSize bytes raise
    // EInvalidGraphic and leave the graphic as it was.
    void LoadFromStream(std::istream& stream);
    void SaveToStream(std::ostream& stream) const;
    // Reading takes a regular file of at most kMaxGraphicFileSize bytes and raises
    // EFOpenError CannotOpenFile (the file and the reason) for any other (a FIFO, a device,
    // a folder, a larger file, a missing file), and EInvalidGraphic CannotOpenFile for
    // content that is not a picture of this class; saving replaces the file in one
    // piece (a temporary file renamed over it) and raises EInOutError "Unable to write to
    // %s" when the file is read-only or the medium refuses, leaving the old file.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

protected:
    virtual void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
    TNotifyEvent FOnChange;
};

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap: an image (RGB32 for the device format and 32 bits; packed blue-green-red
// bytes, rows padded to 4 bytes, for 24 bits; black and white RGB32 for monochrome and
// 1 bit; RGB32 for 4, 8, 15 and 16 bits) and a canvas drawing on it. A new bitmap is
// empty; growing it fills new pixels with white.
class TBitmap : public TGraphic {
    ORV_CLASS(TBitmap, TGraphic)

    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override { SetSize(value, Height()); }
    void SetHeight(int value) override { SetSize(Width(), value); }
    // Keeps the pixels that still fit; the same size changes nothing.
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat value);
    // Monochrome: white stays white, every other colour becomes black.
    bool Monochrome() const { return FMonochrome; }
    void SetMonochrome(bool value);
    // tmAuto: the colour of the bottom-left pixel; tmFixed: the set colour.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor value); // sets tmFixed (clDefault: tmAuto)
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode value);

    // The bitmap's own canvas.
    TCanvas* Canvas();
    // Row y of the pixels (row 0 at the top): blue-green-red bytes for 24 bits,
    // blue-green-red-unused for 32 bits and the others.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    int BytesPerScanLine() const;

    // The pixels. Image() ends drawing on the canvas first; use it to read or to change
    // pixels directly, then call Changed through SetImage or Modify.
    const QImage& Image() const;
    // Takes the image (converted to the bitmap's storage format).
    void SetImage(const QImage& image);
    // An RGB32 copy of the pixels.
    QImage ToImage() const;
    // Takes the size and pixels of source (nullptr: none), converted to this bitmap's
    // pixel format; the other properties stay (AssignFrom copies them all).
    void CopyPixels(const TBitmap* source);
    // True when both bitmaps have the same size and every pixel the same colour.
    bool SamePixels(const TBitmap& other) const;
    // Call after changing pixels through ScanLine or Image.
    void Modify() { Changed(); }
    // Turns the bitmap into a monochrome mask: the colour → white, the rest black.
    void Mask(TColor transparentColor);

    void DrawOnCanvas(TCanvas* canvas, const TRect& r) const override;
    // The standard bitmap file format (1, 4, 8, 24, 32 bits, uncompressed or RLE 8/4 on
    // reading; written in the bitmap's pixel format, 24 bits for the device format).
    // Other image files Qt can read (PNG) are also accepted.
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveToBytes() const override;
    void AssignFrom(const TPersistent* source) override;

protected:
    void CopyInto(TPersistent* dest) const override;
    void Changed() override;

private:
    void Reformat();
    void EnsureCanvasDevice();

    std::unique_ptr<QImage> FImage; // never null; a null image when empty
    TPixelFormat FPixelFormat = pfDevice;
    bool FMonochrome = false;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    std::unique_ptr<TCanvas> FCanvas;
};

// An icon: an image with an alpha channel, drawn blended. Reads .ico and the image files
// Qt can read; writes .ico.
class TIcon : public TGraphic {
    ORV_CLASS(TIcon, TGraphic)

    TIcon();
    ~TIcon() override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    const QImage& Image() const { return *FImage; }
    void SetImage(const QImage& image);
    void DrawOnCanvas(TCanvas* canvas, const TRect& r) const override;
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveToBytes() const override;
    void AssignFrom(const TPersistent* source) override;

private:
    std::unique_ptr<QImage> FImage; // ARGB32_Premultiplied; never null
};

class TMetafile;

// A holder of one graphic of any class. Reading a file picks the class from the
// extension: .bmp and the raster formats → TBitmap, .ico → TIcon; others raise
// EInvalidGraphic CannotOpenFile naming the file and UnknownPictureExtension.
class TPicture : public TPersistent {
    ORV_CLASS(TPicture, TPersistent)

    TPicture();
    ~TPicture() override;
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Copies the graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic* value);
    // The graphic as a bitmap: an existing bitmap, or a new empty one replacing any other
    // graphic.
    TBitmap* Bitmap();
    TIcon* Icon();
    TMetafile* Metafile();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    void AssignFrom(const TPersistent* source) override;
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    // The graphic in a component stream: the binary entry "Data", written when the picture
    // holds a graphic, is the graphic's class name ("TBitmap", "TMetafile", "TIcon") as a
    // short string (a length byte, then the name), then the graphic's file bytes (a bitmap
    // file, a metafile, an icon file). Reading data that is not of this form, names
    // another class, is larger than kMaxGraphicFileSize or holds a graphic that does not
    // read raises EInvalidGraphic and leaves the picture as it was.
    void DefineStreamedData(TFiler& filer) override;
    std::string StreamedData() const;
    void ReadStreamedData(std::string_view data);

private:
    void Take(std::unique_ptr<TGraphic> graphic);
    void GraphicChanged(TObject* sender);
    std::unique_ptr<TGraphic> FGraphic;
    TNotifyEvent FOnChange;
};

// The file-dialog filter of every graphic format TPicture reads: all of them first, then
// one entry per format ("All (*.bmp;...)|*.bmp;...|Bitmaps (*.bmp)|*.bmp|...").
std::string GraphicFilter();
