#include "framework/gui/Clipboard.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Metafile.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

namespace {

// A small chart-like picture: a frame, a filled bar and a text.
void DrawPicture(TMetafile& metafile, bool enhanced) {
    metafile.SetWidth(120);
    metafile.SetHeight(80);
    metafile.SetEnhanced(enhanced);
    TMetafileCanvas canvas(&metafile, nullptr);
    canvas.Brush()->SetColor(clRed);
    canvas.Rectangle(10, 10, 60, 70);
    canvas.Brush()->SetColor(clWhite);
    canvas.TextOut(70, 20, "Ισχύς");
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Clipboard()->Clear();
    }
};

TEST_F(ClipboardTest, MetafilesComeBackByteForByteWithAPngBesideThem) {
    struct TCase {
        bool Enhanced;
        unsigned Format;
        unsigned Other;
    };
    for (const TCase& c : {TCase{false, CF_METAFILEPICT, CF_ENHMETAFILE},
                           TCase{true, CF_ENHMETAFILE, CF_METAFILEPICT}}) {
        TMetafile metafile;
        DrawPicture(metafile, c.Enhanced);
        Clipboard()->AssignFrom(&metafile);
        EXPECT_TRUE(Clipboard()->HasFormat(c.Format));
        EXPECT_FALSE(Clipboard()->HasFormat(c.Other));
        EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
        EXPECT_TRUE(Clipboard()->HasFormat(CF_PICTURE));
        EXPECT_EQ(Clipboard()->GetAsBytes(c.Format), metafile.SaveToBytes());

        // The PNG rendering shows the picture.
        std::vector<uint8_t> png = Clipboard()->GetAsBytes(CF_PICTURE);
        QImage image;
        ASSERT_TRUE(image.loadFromData(png.data(), int(png.size()), "PNG"));
        EXPECT_EQ(image.size(), QSize(120, 80));
        EXPECT_EQ(image.pixelColor(30, 40), QColor(Qt::red));
        EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));

        // Read back into a picture: a metafile of the same kind and size.
        TPicture picture;
        picture.AssignFrom(Clipboard());
        auto* back = dynamic_cast<TMetafile*>(picture.Graphic());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Enhanced(), c.Enhanced);
        EXPECT_EQ(back->Width(), 120);
        EXPECT_EQ(back->Height(), 80);
    }
}

TEST_F(ClipboardTest, BitmapsAndTextReplaceEachOtherUnlessGroupedBetweenOpenAndClose) {
    TBitmap bitmap(20, 10);
    bitmap.Canvas()->Brush()->SetColor(clBlue);
    bitmap.Canvas()->FillRect(Rect(0, 0, 20, 10));
    Clipboard()->AssignFrom(&bitmap);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap back;
    back.AssignFrom(Clipboard());
    EXPECT_EQ(back.Width(), 20);
    EXPECT_EQ(back.ToImage().pixelColor(3, 3), QColor(Qt::blue));
    // A metafile cannot be read from a bitmap.
    TMetafile metafile;
    EXPECT_THROW(metafile.AssignFrom(Clipboard()), EInvalidGraphic);

    Clipboard()->SetAsText("1.000\r\n2.500\r\n");
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(Clipboard()->AsText(), "1.000\r\n2.500\r\n");
    EXPECT_THROW(back.AssignFrom(Clipboard()), EInvalidGraphic);

    Clipboard()->Open();
    Clipboard()->SetAsText("both");
    Clipboard()->AssignFrom(&bitmap);
    Clipboard()->Close();
    EXPECT_EQ(Clipboard()->Formats(), std::vector<unsigned>({CF_TEXT, CF_BITMAP}));
    Clipboard()->Clear();
    EXPECT_EQ(Clipboard()->FormatCount(), 0);
}

} // namespace
