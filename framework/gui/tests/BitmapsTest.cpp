#include "framework/gui/Bitmaps.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/core/TextFiles.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/tests/TestApp.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <istream>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

class BitmapsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTestApplication(); }
};

TEST_F(BitmapsTest, TwentyFourBitScanLinesAreBlueGreenRedPaddedToFourBytes) {
    struct TCase {
        int Width;
        int Stride;
    };
    for (const TCase& tc : {TCase{1, 4}, TCase{4, 12}, TCase{5, 16}}) {
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(tc.Width, 3);
        EXPECT_EQ(b.BytesPerScanLine(), tc.Stride) << tc.Width;
        EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), tc.Stride);
    }
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 2);
    b.Canvas()->SetPixels(1, 1, RGB(10, 20, 30));
    const uint8_t* row = b.ScanLine(1);
    EXPECT_EQ(row[3], 30); // blue
    EXPECT_EQ(row[4], 20); // green
    EXPECT_EQ(row[5], 10); // red
    // Writing bytes changes what the canvas reads.
    uint8_t* top = b.ScanLine(0);
    top[0] = 0xFF;
    top[1] = 0;
    top[2] = 0;
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlue);
}

TEST_F(BitmapsTest, ResizingKeepsPixelsThatFit) {
    TBitmap b(4, 4);
    b.Canvas()->SetPixels(1, 1, clRed);
    b.SetSize(4, 4);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
    b.SetWidth(8);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(7, 3), clWhite);
    b.SetSize(0, 5);
    EXPECT_TRUE(b.Empty());
}

TEST_F(BitmapsTest, BmpRoundTripInEachWrittenFormat) {
    for (TPixelFormat pf : {pf24bit, pf32bit, pf8bit, pf1bit, pfDevice}) {
        TBitmap b(5, 3);
        b.SetPixelFormat(pf);
        b.Canvas()->SetPixels(0, 0, clBlack);
        b.Canvas()->SetPixels(4, 2, pf == pf1bit ? clWhite : clRed);
        std::vector<uint8_t> bytes = b.SaveToBytes();
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        TBitmap c;
        c.LoadFromBytes(bytes);
        EXPECT_EQ(c.Width(), 5);
        EXPECT_EQ(c.Height(), 3);
        EXPECT_EQ(c.Canvas()->Pixels(0, 0), clBlack) << pf;
        EXPECT_EQ(c.Canvas()->Pixels(4, 2), pf == pf1bit ? clWhite : clRed) << pf;
        EXPECT_EQ(c.Canvas()->Pixels(1, 1), clWhite) << pf;
    }
    TBitmap bad;
    EXPECT_THROW(bad.LoadFromBytes({'B', 'M', 1, 2, 3}), EInvalidGraphic);
    EXPECT_TRUE(bad.Empty());
}

// Headers whose sizes, counts or offsets point outside the file are refused before any
// pixel is allocated, and the bitmap keeps its picture.
TEST_F(BitmapsTest, CraftedBitmapHeadersAreRefused) {
    TBitmap source(4, 2);
    source.SetPixelFormat(pf8bit);
    const std::vector<uint8_t> good = source.SaveToBytes();
    auto put32 = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.at(at + size_t(i)) = uint8_t(v >> (8 * i));
        return b;
    };
    const struct {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } cases[] = {
        {"pixels beyond the file", put32(good, 10, 0xFFFFFFF0u)},
        {"info header longer than the file", put32(good, 14, 0x7FFFFFFFu)},
        {"width times height overflows", put32(put32(good, 18, 0x7FFFFFFFu), 22, 0x7FFFFFFFu)},
        {"rows missing", put32(good, 22, 5000)},
        {"more colours than the bit count", put32(good, 46, 100000)},
        {"negative width", put32(good, 18, 0xFFFFFFFFu)},
        {"top-down height of the lowest integer", put32(good, 22, 0x80000000u)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap b(3, 3);
        EXPECT_THROW(b.LoadFromBytes(c.Bytes), EInvalidGraphic);
        EXPECT_EQ(b.Width(), 3);
    }
    TBitmap b;
    EXPECT_NO_THROW(b.LoadFromBytes(good));
    EXPECT_EQ(b.Width(), 4);
}

TEST_F(BitmapsTest, FilesAndPictures) {
    auto dir =
        std::filesystem::temp_directory_path() / ("bitmaps_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string file = (dir / "a.bmp").string();
    TBitmap b(6, 6);
    b.Canvas()->SetPixels(2, 2, clLime);
    b.SaveToFile(file);
    TPicture pic;
    pic.LoadFromFile(file);
    ASSERT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Bitmap()->Canvas()->Pixels(2, 2), clLime);
    // Each refusal names the file and why.
    const std::string text = (dir / "notes.bmp").string();
    WriteFileAtomically(text, "no picture here");
    const std::string icon = (dir / "notes.ico").string();
    WriteFileAtomically(icon, "no picture here");
    const std::string drawing = (dir / "notes.wmf").string();
    WriteFileAtomically(drawing, "no picture here");
    const std::string other = (dir / "a.xyz").string();
    const std::string missing = (dir / "missing.bmp").string();
    const std::pair<std::string, std::string> refused[] = {
        {text, FrameworkTexts::BitmapNotValid},
        {icon, FrameworkTexts::IconNotValid},
        {drawing, FrameworkTexts::MetafileNotValid},
        {other, Format(FrameworkTexts::UnknownPictureExtension, {"xyz"})},
        {missing, FrameworkTexts::NoSuchFile},
    };
    for (const auto& [name, reason] : refused) {
        try {
            pic.LoadFromFile(name);
            ADD_FAILURE() << "read " << name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), Format(FrameworkTexts::CannotOpenFile, {name, reason}));
        }
    }
    EXPECT_THROW(pic.LoadFromFile(other), EInvalidGraphic);
    EXPECT_THROW(pic.LoadFromFile(text), EInvalidGraphic);
    EXPECT_THROW(b.LoadFromFile(missing), EFOpenError);
    EXPECT_EQ(pic.Width(), 6); // unchanged by the failures
    for (const std::string& name : {text, icon, drawing})
        std::filesystem::remove(name);
    // A read-only picture is refused and kept; a writable one is replaced whole.
    TBitmap wide(9, 3);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_THROW(wide.SaveToFile(file), EInOutError);
    EXPECT_THROW(pic.SaveToFile(file), EInOutError);
    pic.LoadFromFile(file);
    EXPECT_EQ(pic.Width(), 6);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    wide.SaveToFile(file);
    pic.LoadFromFile(file);
    EXPECT_EQ(pic.Width(), 9);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left
    std::filesystem::remove_all(dir);
}

// "Browse..." reads pictures from regular files only, of a size a picture can have: a FIFO
// is refused at once instead of waiting for a writer, a device or a folder is refused, and
// so is a file beyond the limit (sparse, so it costs no disk). The picture stays as it was.
TEST_F(BitmapsTest, PicturesAreReadOnlyFromRegularFilesOfAPictureSize) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("bitmaps_devices_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "pipe.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = (dir / "zero.bmp").string();
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::string folder = (dir / "folder.bmp").string();
    std::filesystem::create_directory(folder);
    const std::string huge = (dir / "huge.bmp").string();
    {
        TBitmap small(2, 2);
        small.SaveToFile(huge); // a valid bitmap at its start
    }
    std::filesystem::resize_file(huge, uint64_t(kMaxGraphicFileSize) + 1);
    struct TCase {
        std::string File;
        std::string Reason;
    };
    const TCase cases[] = {
        {fifo, FrameworkTexts::NotRegularFile},
        {zero, FrameworkTexts::NotRegularFile},
        {folder, FrameworkTexts::IsFolder},
        {huge, Format(FrameworkTexts::FileLargerThan, {"257 MB"})},
    };
    TPicture pic;
    pic.Bitmap()->SetSize(7, 5);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        auto load = std::async(std::launch::async, [&] {
            try {
                pic.LoadFromFile(c.File);
                return std::string("loaded");
            } catch (const EFOpenError& e) {
                return e.Message();
            } catch (const Exception& e) {
                return "other error: " + e.Message();
            }
        });
        if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // The reader waits on the FIFO: give it a writer so the test can end.
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
            load.wait();
            ADD_FAILURE() << "the reader blocked";
            continue;
        }
        const std::string message = load.get();
        EXPECT_EQ(message, Format(FrameworkTexts::CannotOpenFile, {c.File, c.Reason}));
        EXPECT_EQ(pic.Width(), 7);
    }
    std::filesystem::remove_all(dir);
}

// The picture's "Data" entry: the graphic's class name as a short string, then its file
// bytes. Data that is cut short, names a class that is no graphic or holds bytes that do not
// read is refused and the picture keeps its graphic.
TEST_F(BitmapsTest, PictureDataNamesTheGraphicClassThenItsFileBytes) {
    TPicture pic;
    pic.Bitmap()->SetSize(3, 2);
    pic.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
    const std::string data = pic.StreamedData();
    ASSERT_GT(data.size(), 8u);
    EXPECT_EQ(data.substr(0, 10), std::string("\x07TBitmapBM", 10));
    const std::vector<uint8_t> bmp = pic.Bitmap()->SaveToBytes();
    EXPECT_EQ(data.substr(8), std::string(bmp.begin(), bmp.end()));

    TPicture copy;
    copy.ReadStreamedData(data);
    ASSERT_NE(dynamic_cast<TBitmap*>(copy.Graphic()), nullptr);
    EXPECT_EQ(copy.Bitmap()->Canvas()->Pixels(1, 1), clRed);
    copy.ReadStreamedData("\x05TIcon");
    ASSERT_NE(dynamic_cast<TIcon*>(copy.Graphic()), nullptr);
    EXPECT_TRUE(copy.Graphic()->Empty());

    struct TCase {
        const char* Name;
        std::string Data;
    };
    const TCase cases[] = {
        {"empty", ""},
        {"name cut short", std::string("\x07TBitm")},
        {"unknown class", "\x08TPicture" + data.substr(8)},
        {"no graphic class", "\x07TCanvas" + data.substr(8)},
        {"bitmap bytes cut short", data.substr(0, data.size() - 5)},
        {"not a bitmap", "\x07TBitmapGIF89a"},
        {"not a metafile", "\x09TMetafile" + data.substr(8)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPicture target;
        target.Bitmap()->SetSize(5, 4);
        try {
            target.ReadStreamedData(c.Data);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_FALSE(e.Message().empty());
        }
        ASSERT_NE(dynamic_cast<TBitmap*>(target.Graphic()), nullptr);
        EXPECT_EQ(target.Width(), 5);
    }
}

TEST_F(BitmapsTest, TransparentBitmapKeepsTheBackgroundWhereItHasItsKeyColour) {
    TBitmap glyph(4, 4);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(TRect(0, 0, 4, 4));
    glyph.Canvas()->SetPixels(1, 1, clBlue);
    glyph.SetTransparent(true);
    EXPECT_EQ(glyph.TransparentColor(), clFuchsia); // bottom-left pixel
    TBitmap dest(6, 6);
    dest.Canvas()->Brush()->SetColor(clYellow);
    dest.Canvas()->FillRect(TRect(0, 0, 6, 6));
    dest.Canvas()->Draw(1, 1, &glyph);
    EXPECT_EQ(dest.Canvas()->Pixels(2, 2), clBlue);
    EXPECT_EQ(dest.Canvas()->Pixels(1, 1), clYellow);
    // Stretched over the whole bitmap.
    dest.Canvas()->Brush()->SetColor(clYellow);
    dest.Canvas()->FillRect(TRect(0, 0, 6, 6));
    dest.Canvas()->StretchDraw(TRect(0, 0, 6, 6), &glyph);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), clYellow);
    EXPECT_EQ(dest.Canvas()->Pixels(2, 2), clBlue);
    EXPECT_EQ(dest.Canvas()->Pixels(5, 5), clYellow);
}

TEST_F(BitmapsTest, CopiedPixelsTakeTheTargetsFormatAndCompareByColour) {
    TBitmap source(3, 2);
    source.Canvas()->SetPixels(1, 1, clRed);
    source.Canvas()->ReleasePainter();
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.CopyPixels(&source);
    EXPECT_EQ(target.PixelFormat(), pf24bit);
    ASSERT_EQ(target.Width(), 3);
    ASSERT_EQ(target.Height(), 2);
    EXPECT_EQ(target.BytesPerScanLine(), 12); // 3 * 3 bytes, padded to 4
    const uint8_t* row = std::as_const(target).ScanLine(1);
    EXPECT_EQ(row[3], 0x00); // blue
    EXPECT_EQ(row[5], 0xFF); // red
    // Different storage, same colours.
    EXPECT_TRUE(target.SamePixels(source));
    target.Canvas()->SetPixels(0, 0, clBlack);
    target.Canvas()->ReleasePainter();
    EXPECT_FALSE(target.SamePixels(source));
    TBitmap larger(3, 3);
    EXPECT_FALSE(larger.SamePixels(source));

    target.CopyPixels(nullptr);
    EXPECT_TRUE(target.Empty());
    EXPECT_TRUE(target.SamePixels(TBitmap()));
}

TEST_F(BitmapsTest, CanvasCopiesABitmapStretchedWithItsRasterOperation) {
    TBitmap source(2, 1);
    source.Canvas()->SetPixels(0, 0, clBlue);
    source.Canvas()->SetPixels(1, 0, clWhite);
    source.Canvas()->ReleasePainter();
    TBitmap dest(4, 2);
    TCanvas* c = dest.Canvas();
    EXPECT_TRUE(c->StretchBltBitmap(TRect(0, 0, 4, 2), &source, TRect(0, 0, 2, 1), SRCCOPY));
    EXPECT_EQ(c->Pixels(1, 1), clBlue);
    EXPECT_EQ(c->Pixels(2, 0), clWhite);
    // Inverting with the same pixels gives black.
    c->StretchBltBitmap(TRect(0, 0, 4, 2), &source, TRect(0, 0, 2, 1), SRCINVERT);
    EXPECT_EQ(c->Pixels(1, 1), clBlack);
    EXPECT_EQ(c->Pixels(3, 1), clBlack);
    EXPECT_FALSE(c->StretchBltBitmap(TRect(0, 0, 4, 2), nullptr, TRect(0, 0, 2, 1), SRCCOPY));
}

TEST_F(BitmapsTest, MonochromeAndMask) {
    TBitmap b(3, 1);
    b.Canvas()->SetPixels(0, 0, clRed);
    b.Canvas()->SetPixels(1, 0, clSilver);
    b.SetMonochrome(true);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(2, 0), clWhite);
    TBitmap m(3, 1);
    m.Canvas()->SetPixels(1, 0, clRed);
    m.Mask(clRed);
    EXPECT_TRUE(m.Monochrome());
    EXPECT_EQ(m.Canvas()->Pixels(1, 0), clWhite);
    EXPECT_EQ(m.Canvas()->Pixels(0, 0), clBlack);
}

TEST_F(BitmapsTest, ImageListDrawsByIndex) {
    TImageList list(nullptr, 4, 4);
    TBitmap strip(8, 4);
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(TRect(0, 0, 8, 4));
    strip.Canvas()->SetPixels(1, 1, clBlack);
    strip.Canvas()->SetPixels(6, 2, clRed);
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);
    TBitmap dest(10, 10);
    list.Draw(dest.Canvas(), 0, 0, 1);
    EXPECT_EQ(dest.Canvas()->Pixels(2, 2), clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), clWhite); // masked
    QImage before = dest.ToImage();
    list.Draw(dest.Canvas(), 0, 0, 5); // a bad index draws nothing
    list.Draw(dest.Canvas(), 0, 0, -1);
    EXPECT_EQ(dest.ToImage(), before);
    // Disabled: the shape in the highlight colour offset by one, then in the shadow.
    TBitmap grey(10, 10);
    grey.Canvas()->Brush()->SetColor(clBtnFace);
    grey.Canvas()->FillRect(TRect(0, 0, 10, 10));
    list.Draw(grey.Canvas(), 4, 4, 0, false);
    EXPECT_EQ(grey.Canvas()->Pixels(5, 5), ColorToRGB(clBtnShadow));
    EXPECT_EQ(grey.Canvas()->Pixels(6, 6), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(grey.Canvas()->Pixels(4, 4), ColorToRGB(clBtnFace));
}

// A few bytes of GIF that declare a canvas of millions of pixels cannot hold them: the
// picture is refused before a canvas is made for it, and stays as it was.
TEST_F(BitmapsTest, ACanvasFarLargerThanItsBytesIsRefused) {
    // A logical screen of 2370 x 11308 pixels declared in 28 bytes, with one frame of one
    // pixel.
    const std::vector<uint8_t> gif = {'G',  'I',  'F',  '8',  '9',  'a',  0x42, 0x09, 0x2C, 0x2C,
                                      0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                                      0x01, 0x00, 0x00, 0x02, 0x01, 0x2C, 0x00, 0x3B};
    TBitmap bitmap(3, 2);
    EXPECT_THROW(bitmap.LoadFromBytes(gif), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);

    // A real picture of one colour compresses as far as pictures go (1-bit rows through
    // deflate) and is still read.
    QImage mono(4000, 4000, QImage::Format_Mono);
    mono.fill(1);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(mono.save(&buffer, "PNG", 100));
    bitmap.LoadFromBytes(std::vector<uint8_t>(png.begin(), png.end()));
    EXPECT_EQ(bitmap.Width(), 4000);
}

// Reading a picture from a stream stops at the pictures' size limit: an endless stream is
// refused instead of held.
TEST_F(BitmapsTest, AStreamBeyondThePictureLimitIsRefused) {
    // Zeros without end, counting what was taken.
    class TZeros : public std::streambuf {
    public:
        int64_t Taken = 0;

    protected:
        int_type underflow() override {
            if (Taken > (int64_t(1) << 31))
                return traits_type::eof();
            FBuffer.fill(0);
            setg(FBuffer.data(), FBuffer.data(), FBuffer.data() + FBuffer.size());
            Taken += int64_t(FBuffer.size());
            return 0;
        }

    private:
        std::array<char, 65536> FBuffer{};
    } zeros;
    std::istream stream(&zeros);
    TBitmap bitmap(3, 2);
    EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_LE(zeros.Taken, kMaxGraphicFileSize + 2 * 65536);
    EXPECT_EQ(bitmap.Width(), 3);
}

} // namespace
