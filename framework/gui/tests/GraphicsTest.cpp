#include "framework/gui/Graphics.h"
#include "framework/gui/tests/TestApp.h"

#include <QColor>
#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

TEST(GraphicsTest, SystemColoursResolveToTheClassicScheme) {
    struct TCase {
        TColor Color;
        TColor Rgb;
    };
    const TCase cases[] = {
        {clBtnFace, 0xC0C0C0}, {clBtnShadow, 0x808080},  {clBtnHighlight, 0xFFFFFF},
        {clWindow, 0xFFFFFF},  {clWindowText, 0x000000}, {clHighlight, 0x800000},
        {clInfoBk, 0xE1FFFF},  {clGrayText, 0x808080},   {clRed, clRed},
        {clNone, clNone},      {clDefault, clDefault},
    };
    for (const TCase& tc : cases)
        EXPECT_EQ(ColorToRGB(tc.Color), tc.Rgb) << std::hex << tc.Color;
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(clNavy), QColor(0, 0, 128));
}

TEST(GraphicsTest, ColourNamesRoundTrip) {
    for (TColor c : {clRed, clBtnFace, clNone, clDefault, TColor(0x123456)}) {
        TColor back = clBlack;
        ASSERT_TRUE(IdentToColor(ColorToString(c), back)) << ColorToString(c);
        EXPECT_EQ(back, c);
    }
    EXPECT_EQ(ColorToString(0x123456), "$00123456");
    EXPECT_EQ(StringToColor("clbtnface"), clBtnFace);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("clNoSuch"), EConvertError);
}

TEST(GraphicsTest, FontSizeAndHeightAt96PixelsPerInch) {
    TFont f;
    f.SetSize(8);
    EXPECT_EQ(f.Height(), -11);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.Size(), 10);
    f.SetHeight(-16);
    EXPECT_EQ(f.Size(), 12);
    EnsureTestApplication();
    EXPECT_EQ(f.ToQFont().pixelSize(), 16);
    EXPECT_EQ(f.ToQFont(2.0).pixelSize(), 32);
}

TEST(GraphicsTest, FontNamesMapToInstalledFamilies) {
    EnsureTestApplication();
    for (const char* name : {"MS Sans Serif", "Arial", "Tahoma", "Verdana"})
        EXPECT_EQ(MapFontFamily(name), "Liberation Sans") << name;
    EXPECT_EQ(MapFontFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(MapFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(MapFontFamily("Symbol"), "Symbol");
    TFont f;
    f.SetName("Arial");
    QFontInfo info(f.ToQFont());
    EXPECT_EQ(info.family(), "Liberation Sans");
}

TEST(GraphicsTest, ToolsNotifyEachChangeOnce) {
    int changes = 0;
    TPen pen;
    pen.SetOnChange([&](TObject*) { ++changes; });
    pen.SetColor(clRed);
    pen.SetColor(clRed);
    pen.SetWidth(1); // unchanged
    pen.SetStyle(psDot);
    EXPECT_EQ(changes, 2);
    TPen other;
    other.SetWidth(3);
    other.SetMode(pmNotXor);
    pen.AssignFrom(&other);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(pen.Width(), 3);
    EXPECT_EQ(pen.Mode(), pmNotXor);
    EXPECT_EQ(pen.Color(), clBlack);

    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed); // a colour makes a clear brush solid
    EXPECT_EQ(brush.Style(), bsSolid);

    TFont font;
    font.SetStyle({fsBold, fsItalic});
    TFont copy;
    copy.AssignFrom(&font);
    EXPECT_TRUE(copy.Style().Contains(fsItalic));
    EXPECT_FALSE(copy.Style().Contains(fsUnderline));
    EXPECT_THROW(copy.AssignFrom(&pen), EConvertError);
}

TEST(GraphicsTest, PublishedPropertiesOfTheTools) {
    const TPropList& props = TFont::StaticClass()->Properties();
    std::vector<std::string> names;
    for (int i = 0; i < props.Count(); ++i)
        names.push_back(props.Items(i)->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Charset", "Color", "Height", "Name", "Pitch",
                                               "Size", "Style"}));
    TFont f;
    const TPropInfo* style = props.Find("Style");
    ASSERT_NE(style, nullptr);
    style->SetOrd(&f, 1 << fsUnderline);
    EXPECT_TRUE(f.Style().Contains(fsUnderline));
}

} // namespace
