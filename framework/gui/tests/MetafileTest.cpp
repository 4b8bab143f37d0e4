#include "framework/gui/Metafile.h"
#include "framework/gui/tests/TestApp.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class MetafileTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureTestApplication();
        FDir = std::filesystem::temp_directory_path() /
               ("metafile_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    // A line, a rectangle, an ellipse and a text.
    static void DrawSample(TCanvas* c) {
        c->Pen()->SetColor(clRed);
        c->MoveTo(10, 10);
        c->LineTo(190, 110);
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetColor(clYellow);
        c->Rectangle(20, 60, 80, 100);
        c->Brush()->SetColor(clAqua);
        c->Ellipse(100, 20, 180, 70);
        c->Font()->SetName("Arial");
        c->Font()->SetSize(12);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(20, 20, "Hello");
    }

    static bool HasProgram(const char* name) {
        return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
    }

    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path FDir;
};

TEST_F(MetafileTest, ReplaysTheRecordedCallsAtAnySize) {
    TMetafile mf;
    mf.SetWidth(200);
    mf.SetHeight(120);
    {
        TMetafileCanvas c(&mf, nullptr);
        DrawSample(&c);
    }
    EXPECT_GT(mf.Records().size(), 3u);
    TBitmap direct(200, 120), replayed(200, 120), doubled(400, 240);
    DrawSample(direct.Canvas());
    replayed.Canvas()->Draw(0, 0, &mf);
    EXPECT_EQ(replayed.ToImage(), direct.ToImage());
    doubled.Canvas()->StretchDraw(TRect(0, 0, 400, 240), &mf);
    EXPECT_EQ(doubled.Canvas()->Pixels(100, 160), clYellow); // rectangle inside
    EXPECT_EQ(doubled.Canvas()->Pixels(280, 90), clAqua);    // ellipse centre
    // The canvas' own tools are left as they were.
    EXPECT_EQ(doubled.Canvas()->Pen()->Color(), clBlack);
    EXPECT_EQ(doubled.Canvas()->Brush()->Color(), clWhite);
}

TEST_F(MetafileTest, SizeComesFromTheDrawingWhenNotSet) {
    TMetafile mf;
    {
        TMetafileCanvas c(&mf, nullptr);
        c.Rectangle(5, 5, 50, 30);
    }
    EXPECT_EQ(mf.Width(), 50);
    EXPECT_EQ(mf.Height(), 30);
    EXPECT_EQ(mf.MMWidth(), MulDiv(50, 2540, 96));
}

TEST_F(MetafileTest, EnhancedAndWindowsHeaders) {
    TMetafile mf;
    mf.SetWidth(100);
    mf.SetHeight(50);
    {
        TMetafileCanvas c(&mf, nullptr, "Orvanti", "chart");
        DrawSample(&c);
    }
    std::vector<uint8_t> emf = mf.SaveEnhanced();
    auto u32 = [](const std::vector<uint8_t>& b, size_t i) {
        return uint32_t(b[i] | b[i + 1] << 8 | b[i + 2] << 16 | uint32_t(b[i + 3]) << 24);
    };
    EXPECT_EQ(u32(emf, 0), 1u);
    EXPECT_EQ(u32(emf, 40), 0x464D4520u);
    EXPECT_EQ(u32(emf, 48), emf.size());
    EXPECT_EQ(u32(emf, emf.size() - 20), 14u); // EMR_EOF last
    std::vector<uint8_t> wmf = mf.SaveWindows();
    EXPECT_EQ(u32(wmf, 0), 0x9AC6CDD7u);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2)
        checksum ^= uint16_t(wmf[i] | wmf[i + 1] << 8);
    EXPECT_EQ(checksum, uint16_t(wmf[20] | wmf[21] << 8));
    EXPECT_EQ(u32(wmf, 22 + 6) * 2, wmf.size() - 22); // size in words
    // Reading back gives the size.
    TMetafile back;
    back.LoadFromBytes(emf);
    EXPECT_EQ(back.Width(), 100);
    back.LoadFromBytes(wmf);
    EXPECT_EQ(back.Height(), 50);
    EXPECT_THROW(back.LoadFromBytes({1, 2, 3}), EInvalidGraphic);
}

// A saved metafile read back draws the same picture: shapes, Greek text, a polygon, a
// clipped fill and an image, in both formats.
TEST_F(MetafileTest, SavedMetafileReadBackDrawsTheSamePicture) {
    TMetafile mf;
    mf.SetWidth(200);
    mf.SetHeight(120);
    {
        TMetafileCanvas c(&mf, nullptr);
        DrawSample(&c);
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(clLime);
        c.Polygon({TPoint(120, 80), TPoint(190, 80), TPoint(160, 115)});
        c.TextOut(20, 40, "Ωμέγα");
        TBitmap image(8, 8);
        image.Canvas()->Brush()->SetColor(clBlue);
        image.Canvas()->FillRect(TRect(0, 0, 8, 8));
        c.Draw(90, 90, &image);
        TRegion clip = TRegion::FromRect(TRect(0, 100, 40, 110));
        c.SelectClipRgn(&clip);
        c.Brush()->SetColor(clFuchsia);
        c.FillRect(TRect(0, 95, 60, 120));
    }
    TBitmap original(200, 120);
    original.Canvas()->Draw(0, 0, &mf);
    for (bool enhanced : {true, false}) {
        SCOPED_TRACE(enhanced ? "EMF" : "WMF");
        mf.SetEnhanced(enhanced);
        TMetafile back;
        back.LoadFromBytes(mf.SaveToBytes());
        EXPECT_EQ(back.Width(), 200);
        EXPECT_EQ(back.Height(), 120);
        EXPECT_EQ(back.Enhanced(), enhanced);
        TBitmap replayed(200, 120);
        replayed.Canvas()->Draw(0, 0, &back);
        TCanvas* r = replayed.Canvas();
        EXPECT_EQ(r->Pixels(50, 80), clYellow);   // rectangle
        EXPECT_EQ(r->Pixels(140, 45), clAqua);    // ellipse
        EXPECT_EQ(r->Pixels(160, 90), clLime);    // polygon
        EXPECT_EQ(r->Pixels(93, 93), clBlue);     // image
        EXPECT_EQ(r->Pixels(20, 105), clFuchsia); // fill inside its clip
        EXPECT_EQ(r->Pixels(50, 105), clWhite);   // and not outside it
        // Text comes back with its letters; a few pixels may differ where glyphs are drawn
        // from a font chosen by the other format's character set.
        bool greek = false;
        for (const TMetafileRecord& m : back.Records())
            greek = greek || m.Text == "Ωμέγα";
        EXPECT_TRUE(greek);
        int differing = 0;
        const QImage a = original.ToImage(), b = replayed.ToImage();
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x)
                differing += a.pixel(x, y) != b.pixel(x, y);
        EXPECT_LT(differing, 200);
    }
}

// Each font style comes back alone and with the others, with the font's name and height,
// in both formats.
TEST_F(MetafileTest, FontStylesComeBackFromBothFormats) {
    const TFontStyles styles[] = {
        TFontStyles{},
        TFontStyles{fsBold},
        TFontStyles{fsItalic},
        TFontStyles{fsUnderline},
        TFontStyles{fsStrikeOut},
        TFontStyles{fsBold, fsStrikeOut},
        TFontStyles{fsItalic, fsUnderline},
        TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut},
    };
    for (bool enhanced : {true, false}) {
        TMetafile mf;
        mf.SetWidth(200);
        mf.SetHeight(20 * int(std::size(styles)));
        mf.SetEnhanced(enhanced);
        {
            TMetafileCanvas c(&mf, nullptr);
            c.Font()->SetName("Arial");
            c.Font()->SetSize(12);
            for (size_t i = 0; i < std::size(styles); ++i) {
                c.Font()->SetStyle(styles[i]);
                c.TextOut(2, 20 * int(i), "Text " + std::to_string(i));
            }
        }
        TMetafile back;
        back.LoadFromBytes(mf.SaveToBytes());
        std::vector<TMetafileRecord> texts;
        for (const TMetafileRecord& m : back.Records())
            if (m.Kind == TMetafileRecord::mrText)
                texts.push_back(m);
        ASSERT_EQ(texts.size(), std::size(styles)) << (enhanced ? "EMF" : "WMF");
        for (size_t i = 0; i < std::size(styles); ++i) {
            SCOPED_TRACE(std::string(enhanced ? "EMF " : "WMF ") + texts[i].Text);
            for (TFontStyle style : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
                EXPECT_EQ(texts[i].FontStyle.Contains(style), styles[i].Contains(style))
                    << int(style);
            EXPECT_EQ(texts[i].FontName, "Arial");
            EXPECT_EQ(texts[i].FontHeight, -16);
        }
    }
}

// WMF text is one byte per character in the font's code page: 1253 for Greek text, 1252
// for western text. Characters the code page lacks become "?" (never a Greek letter that
// happens to share the byte), and the text reads back through the same table.
TEST_F(MetafileTest, WindowsMetafileTextGoesThroughTheCodePage) {
    struct TCase {
        const char* Text;
        std::string Bytes;
        const char* ReadBack;
    };
    const TCase cases[] = {
        {"Σταθμός ¼ º ½ ° — – € “x” …",
         "\xD3\xF4\xE1\xE8\xEC\xFC\xF2 ? ? \xBD \xB0 \x97 \x96 \x80 \x93x\x94 \x85",
         "Σταθμός ? ? ½ ° — – € “x” …"},
        {"¼ º ½ ° — – € “x” … Ж", "\xBC \xBA \xBD \xB0 \x97 \x96 \x80 \x93x\x94 \x85 ?",
         "¼ º ½ ° — – € “x” … ?"},
        {"Ά΅ Ώ ΐ ς ‰ ™ 😀", "\xA2\xA1 \xBF \xC0 \xF2 \x89 \x99 ?", "Ά΅ Ώ ΐ ς ‰ ™ ?"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TMetafile mf;
        mf.SetWidth(400);
        mf.SetHeight(40);
        mf.SetEnhanced(false);
        {
            TMetafileCanvas canvas(&mf, nullptr);
            canvas.Font()->SetName("Arial");
            canvas.TextOut(2, 2, c.Text);
        }
        const std::vector<uint8_t> wmf = mf.SaveToBytes();
        const std::string bytes(wmf.begin(), wmf.end());
        EXPECT_NE(bytes.find(c.Bytes), std::string::npos);
        TMetafile back;
        back.LoadFromBytes(wmf);
        std::string text;
        for (const TMetafileRecord& m : back.Records())
            if (m.Kind == TMetafileRecord::mrText)
                text += m.Text;
        EXPECT_EQ(text, c.ReadBack);
    }
}

// A damaged or crafted file is refused with EInvalidGraphic and the metafile stays as it
// was; sizes and counts that point outside the file never read outside it.
TEST_F(MetafileTest, DamagedMetafilesAreRefused) {
    TMetafile mf;
    mf.SetWidth(60);
    mf.SetHeight(40);
    {
        TMetafileCanvas c(&mf, nullptr);
        DrawSample(&c);
        c.Polygon({TPoint(1, 1), TPoint(30, 1), TPoint(15, 20)});
    }
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    const std::vector<uint8_t> emf = mf.SaveEnhanced();
    const std::vector<uint8_t> wmf = mf.SaveWindows();
    std::vector<std::pair<std::string, std::vector<uint8_t>>> damaged;
    {
        auto b = emf; // bounds whose width overflows an integer
        put32(b, 8, 0x80000000u);
        put32(b, 16, 0x7FFFFFFFu);
        damaged.push_back({"EMF bounds", b});
    }
    {
        auto b = emf; // header record longer than the file
        put32(b, 4, 0xFFFFFFF0u);
        damaged.push_back({"EMF header size", b});
    }
    {
        auto b = emf; // file size beyond the bytes
        put32(b, 48, uint32_t(b.size() + 4));
        damaged.push_back({"EMF file size", b});
    }
    {
        auto b = emf; // a record claiming more than is left
        const size_t first = b[4] | (b[5] << 8);
        put32(b, first + 4, 0x7FFFFFF8u);
        damaged.push_back({"EMF record size", b});
    }
    {
        auto b = wmf; // a record of more words than the file holds
        put32(b, 22 + 18, 0x7FFFFFFFu);
        damaged.push_back({"WMF record size", b});
    }
    {
        auto b = wmf; // an empty picture
        b[10] = b[6];
        b[11] = b[7];
        damaged.push_back({"WMF empty", b});
    }
    // Every cut of the files either reads (a cut after the end record) or is refused.
    for (size_t cut = 0; cut < emf.size(); cut += 7)
        damaged.push_back({"EMF cut " + std::to_string(cut),
                           std::vector<uint8_t>(emf.begin(), emf.begin() + long(cut))});
    for (size_t cut = 22; cut < wmf.size() - 6; cut += 5) {
        auto b = std::vector<uint8_t>(wmf.begin(), wmf.begin() + long(cut));
        // Without its end record, a record cut in two is past the end.
        damaged.push_back({"WMF cut " + std::to_string(cut), b});
    }
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        TMetafile kept;
        kept.AssignFrom(&mf);
        try {
            kept.LoadFromBytes(bytes);
        } catch (const EInvalidGraphic&) {
            EXPECT_EQ(kept.Width(), 60);
            EXPECT_EQ(kept.Records().size(), mf.Records().size());
        }
    }
    for (size_t i = 0; i < 6; ++i) {
        TMetafile kept;
        EXPECT_THROW(kept.LoadFromBytes(damaged[i].second), EInvalidGraphic) << damaged[i].first;
    }
}

// A full device reports that the picture was not written.
TEST_F(MetafileTest, SavingToAFullDeviceFails) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TMetafile mf;
    mf.SetWidth(20);
    mf.SetHeight(20);
    {
        TMetafileCanvas c(&mf, nullptr);
        DrawSample(&c);
    }
    for (bool enhanced : {true, false}) {
        mf.SetEnhanced(enhanced);
        EXPECT_THROW(mf.SaveToFile("/dev/full"), EInOutError);
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(MetafileTest, EnhancedMetafileOpensInAnotherProgram) {
    if (!HasProgram("emf2svg-conv"))
        GTEST_SKIP() << "emf2svg-conv is not installed";
    TMetafile mf;
    mf.SetWidth(200);
    mf.SetHeight(120);
    {
        TMetafileCanvas c(&mf, nullptr);
        DrawSample(&c);
    }
    auto emf = FDir / "a.emf", svg = FDir / "a.svg";
    mf.SaveToFile(emf.string());
    std::string cmd = "emf2svg-conv -i '" + emf.string() + "' -o '" + svg.string() + "' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string text = ReadFile(svg);
    EXPECT_NE(text.find("M 10.0000,10.0000 L 190.0000,110.0000"), std::string::npos) << text;
    EXPECT_NE(text.find("<rect x=\"20.0000\" y=\"60.0000\""), std::string::npos) << text;
    EXPECT_NE(text.find("fill=\"#FFFF00\""), std::string::npos);
    EXPECT_NE(text.find("<ellipse cx=\"140.0000\" cy=\"45.0000\""), std::string::npos) << text;
    EXPECT_NE(text.find("Hello"), std::string::npos);
    EXPECT_NE(text.find("font-family=\"Arial\""), std::string::npos);
}

TEST_F(MetafileTest, WindowsMetafileOpensInAnotherProgram) {
    if (!HasProgram("wmf2svg"))
        GTEST_SKIP() << "wmf2svg is not installed";
    TMetafile mf;
    mf.SetWidth(200);
    mf.SetHeight(120);
    mf.SetEnhanced(false);
    {
        TMetafileCanvas c(&mf, nullptr);
        DrawSample(&c);
    }
    auto wmf = FDir / "a.wmf", svg = FDir / "a.svg";
    mf.SaveToFile(wmf.string());
    std::string cmd = "wmf2svg -o '" + svg.string() + "' '" + wmf.string() + "' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string text = ReadFile(svg);
    EXPECT_NE(text.find("<line "), std::string::npos) << text;
    EXPECT_NE(text.find("stroke:red"), std::string::npos);
    EXPECT_NE(text.find("<rect "), std::string::npos);
    EXPECT_NE(text.find("fill:yellow"), std::string::npos);
    EXPECT_NE(text.find("<ellipse "), std::string::npos);
    EXPECT_NE(text.find("fill:aqua"), std::string::npos);
    // The text comes out one character at a time.
    for (const char* ch : {">H<", ">e<", ">l<", ">o<"})
        EXPECT_NE(text.find(ch), std::string::npos) << ch;
}

} // namespace
