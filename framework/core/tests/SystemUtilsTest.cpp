#include "framework/core/SystemUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

// Fixes the format settings the expected texts are written for and restores them after.
class SystemUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = {DecimalSeparator, ThousandSeparator, DateSeparator, TimeSeparator};
        FSavedMonths = ShortMonthNames;
        FSavedLongMonths = LongMonthNames;
        FSavedShortDays = ShortDayNames;
        FSavedLongDays = LongDayNames;
        FSavedFormats = {ShortDateFormat, LongTimeFormat, ShortTimeFormat, TimeAMString,
                         TimePMString};
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        DateSeparator = '/';
        TimeSeparator = ':';
        ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    }
    void TearDown() override {
        DecimalSeparator = FSaved[0];
        ThousandSeparator = FSaved[1];
        DateSeparator = FSaved[2];
        TimeSeparator = FSaved[3];
        ShortMonthNames = FSavedMonths;
        LongMonthNames = FSavedLongMonths;
        ShortDayNames = FSavedShortDays;
        LongDayNames = FSavedLongDays;
        ShortDateFormat = FSavedFormats[0];
        LongTimeFormat = FSavedFormats[1];
        ShortTimeFormat = FSavedFormats[2];
        TimeAMString = FSavedFormats[3];
        TimePMString = FSavedFormats[4];
    }

private:
    std::array<char, 4> FSaved{};
    std::array<std::string, 12> FSavedMonths, FSavedLongMonths;
    std::array<std::string, 7> FSavedShortDays, FSavedLongDays;
    std::array<std::string, 5> FSavedFormats;
};

struct TFormatCase {
    const char* Fmt;
    std::vector<TFormatArg> Args;
    const char* Expected;
};

TEST_F(SystemUtilsTest, FormatFollowsTheClassLibrarySyntax) {
    const std::vector<TFormatCase> cases = {
        {"%0.2d", {5}, "05"},
        {"%2.2d", {7}, "07"},
        {"%0.2d%s%0.2d", {5, "/", 3}, "05/03"},
        {"h%2.2d_%2.2d", {0, 7}, "h00_07"},
        {"%.3d", {-5}, "-005"},
        {"%5d|%-5d|", {42, 42}, "   42|42   |"},
        {"%*d", {4, 7}, "   7"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"%u", {-1}, "4294967295"},
        {"%x %.4x", {255, 255}, "FF 00FF"},
        {"%s|%5s|%-5s|%.2s", {"ab", "ab", "ab", "abcdef"}, "ab|   ab|ab   |ab"},
        {"%-6s|", {"αβγ"}, "αβγ   |"},
        {"%f %.0f %.1f %0.3f", {2.5, 2.5, -0.05, 1.0005}, "2.50 3 -0.1 1.001"},
        {"%8.3n|%10.0n", {1234.5678, 12345.5}, "1,234.568|    12,346"},
        {"%m", {1234.5}, "1,234.50"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e %e", {-1234.5, 0.0}, "-1.23E+003 0.00000000000000E+000"},
        {"%g %g %g", {0.1 + 0.2, 1e20, 1500.0}, "0.3 1E20 1500"},
        {"%.3g", {3.14159}, "3.14"},
        {"%c%c 100%%", {'O', 'K'}, "OK 100%"},
    };
    for (const TFormatCase& c : cases)
        EXPECT_EQ(Format(c.Fmt, c.Args), c.Expected) << c.Fmt;
}

// Conversions the table above leaves out: argument widths, upper-case types, pointers,
// characters by code point and the widest integers.
TEST_F(SystemUtilsTest, FormatCoversEveryConversion) {
    const std::vector<TFormatCase> cases = {
        {"%-*d|%*.*d", {4, 7, 5, 3, 9}, "7   |  009"},
        {"%.*f|%.*e", {3, 1.5, 2, 1234.5}, "1.500|1.2E+003"},
        {"%D %S %X %F", {-3, "s", 171, 0.5}, "-3 s AB 0.50"},
        {"%x %u %d",
         {-1, int64_t(-5000000000), int64_t(-5000000000)},
         "FFFFFFFF 18446744068709551616 -5000000000"},
        {"%3c|%c|%-2c|", {0x3B1, "βγ", 'z'}, "  α|β|z |"},
        {"%p", {reinterpret_cast<const void*>(uintptr_t(0x1234))}, "0000000000001234"},
        {"%.0n|%.2m|%0g", {-1234.5, 1000000.0, 2.5}, "-1,235|1,000,000.00|2.5"},
        {"%2:s%0:s%s", {"a", "b", "c"}, "cab"},
        {"%.0s|%.5s|", {"abc", "ab"}, "|ab|"},
    };
    for (const TFormatCase& c : cases)
        EXPECT_EQ(Format(c.Fmt, c.Args), c.Expected) << c.Fmt;
}

TEST_F(SystemUtilsTest, FormatUsesTheCurrentSeparators) {
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    EXPECT_EQ(Format("%.2f %n %g", {1.5, 1234567.0, 0.25}), "1,50 1.234.567,00 0,25");
}

TEST_F(SystemUtilsTest, FormatRejectsMismatchedOrMissingArguments) {
    const std::vector<std::pair<const char*, std::vector<TFormatArg>>> cases = {
        {"%d", {1.5}}, {"%s", {5}},   {"%d", {"x"}},     {"%d %d", {1}},   {"%q", {1}},
        {"%", {}},     {"%:d", {1}},  {"%*d", {"x", 1}}, {"%c", {-1}},     {"%c", {1.5}},
        {"%p", {1}},   {"%f", {"x"}}, {"%5", {1}},       {"%3:d", {1, 2}},
    };
    for (const auto& [fmt, args] : cases) {
        try {
            Format(fmt, args);
            ADD_FAILURE() << fmt << " did not raise";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      std::string("Format '") + fmt + "' invalid or incompatible with argument");
        }
    }
}

TEST_F(SystemUtilsTest, FloatToStrGivesTheShortestGeneralForm) {
    const std::vector<std::pair<double, const char*>> cases = {
        {0.1 + 0.2, "0.3"},
        {1500.0, "1500"},
        {0.5, "0.5"},
        {-2.5, "-2.5"},
        {0.0, "0"},
        {1e20, "1E20"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {1.5e-7, "1.5E-7"},
        {-1.5e-7, "-1.5E-7"},
        {0.0001, "0.0001"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {1.23456789012345678, "1.23456789012346"},
        {9.9999999999999999e14, "1E15"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(FloatToStr(value), expected) << value;
    DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(0.5), "0,5");
    EXPECT_EQ(FloatToStrSep(0.5, '.'), "0.5");
}

TEST_F(SystemUtilsTest, StrToFloatAcceptsOnlyDecimalNumbers) {
    const std::vector<std::pair<const char*, double>> accepted = {
        {"1.5", 1.5},
        {"  1.5\t", 1.5},
        {"+2.5", 2.5},
        {"-0.25", -0.25},
        {"1e5", 1e5},
        {"1E+005", 1e5},
        {"5.00000000000000E-0001", 0.5},
        {".5", 0.5},
        {"5.", 5.0},
        {"1e-400", 0.0},
    };
    for (const auto& [text, expected] : accepted)
        EXPECT_DOUBLE_EQ(StrToFloat(text), expected) << text;

    for (const char* text : {"nan", "NaN", "inf", "-Infinity", "0x10", "1,5", "", " ", "1e", "1.5x",
                             "--1", "1e400", "1 5", "e5", "."}) {
        double value = 42;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(value, 42) << text;
    }
    try {
        StrToFloat("abc");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Το 'abc' δεν είναι έγκυρος αριθμός");
    }
    EXPECT_EQ(StrToFloatDef("x", -1.0), -1.0);

    DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(StrToFloat("  1,5 "), 1.5);
    double value = 0;
    EXPECT_FALSE(TryStrToFloat("1.5", value));
    EXPECT_TRUE(TryStrToFloatSep("1.5", value, '.'));
    EXPECT_DOUBLE_EQ(value, 1.5);
}

// A number too large for a double, or one written as infinite or undefined, is still a
// number text; words, hexadecimal texts and a decimal point of another kind are not.
TEST_F(SystemUtilsTest, NumberTextsAreNumbersWhateverTheirSize) {
    for (const char* text :
         {"1", " -2.5 ", "+.5", "5.", "1e400", "-1E+400", "1e-400", "99999999999", "inf", "-INF",
          "+Infinity", "nan", "NaN", "0.000e99999999999"})
        EXPECT_TRUE(IsNumberText(text, '.')) << text;
    for (const char* text : {"", " ", ".", "abc", "1x", "0x10", "$FF", "1,5", "1e", "e5", "--1",
                             "1 5", "infinite", "nan(1)", "1.2.3"})
        EXPECT_FALSE(IsNumberText(text, '.')) << text;
    EXPECT_TRUE(IsNumberText("1,5e400", ','));
    EXPECT_FALSE(IsNumberText("1.5", ','));
}

TEST_F(SystemUtilsTest, StrToIntAcceptsDecimalAndHexadecimal) {
    const std::vector<std::pair<const char*, int>> accepted = {
        {" 42 ", 42},
        {"-7", -7},
        {"+3", 3},
        {"0x1F", 31},
        {"$FF", 255},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0xFFFFFFFF", -1},
    };
    for (const auto& [text, expected] : accepted)
        EXPECT_EQ(StrToInt(text), expected) << text;
    for (const char* text : {"2147483648", "1.5", "", "abc", "0x", "1 2", "--1", "+-1"}) {
        int value = 9;
        EXPECT_FALSE(TryStrToInt(text, value)) << text;
    }
    EXPECT_EQ(StrToIntDef("x", 5), 5);
    EXPECT_EQ(StrToInt64("-9000000000"), -9000000000LL);
    try {
        StrToInt("12a");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Το '12a' δεν είναι έγκυρος ακέραιος αριθμός");
    }
}

TEST_F(SystemUtilsTest, FormatFloatFollowsThePattern) {
    const std::vector<std::tuple<const char*, double, const char*>> cases = {
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", 0.5, "0.50"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0", 999.5, "1,000"},
        {"0.###", 1.5, "1.5"},
        {"0.###", 2.0, "2"},
        {"0.###", 1.23456, "1.235"},
        {"#.##", 0.5, ".5"},
        {"000", 5, "005"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.0", 0.05, "0.1"},
        {"0.00", 2.675, "2.68"},
        {"0.00", -0.001, "0.00"},
        {"0.00%", 0.5, "0.50%"},
        {"\"Value: \"0.0' W'", 3, "Value: 3.0 W"},
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.00E+00", 0.000123, "1.23E-04"},
        {"0.00E-00", 1234.5, "1.23E03"},
        {"0.0E+0", 0, "0.0E+0"},
        {"00.0E+000", 99.96, "10.0E+001"},
        {"0.00;(0.00);zero", 5, "5.00"},
        {"0.00;(0.00);zero", -5, "(5.00)"},
        {"0.00;(0.00);zero", 0, "zero"},
        {"0.00;(0.00);zero", 0.001, "zero"},
        {"0.00;;zero", -5, "-5.00"},
        {"", 0.1 + 0.2, "0.3"},
    };
    for (const auto& [fmt, value, expected] : cases)
        EXPECT_EQ(FormatFloat(fmt, value), expected) << fmt << " " << value;
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
}

TEST_F(SystemUtilsTest, DateSerialsCountDaysFrom1899December30) {
    EXPECT_EQ(EncodeDate(1991, 1, 1), 33239);
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
    EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2);
    EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1);
    int y = 0, m = 0, d = 0;
    DecodeDate(33239.75, y, m, d);
    EXPECT_EQ(std::make_tuple(y, m, d), std::make_tuple(1991, 1, 1));
    DecodeDate(EncodeDate(2024, 2, 29), y, m, d);
    EXPECT_EQ(std::make_tuple(y, m, d), std::make_tuple(2024, 2, 29));
    EXPECT_EQ(DayOfWeek(33239), 3); // a Tuesday
    EXPECT_THROW(EncodeDate(1991, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(1991, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    int h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
    EXPECT_EQ(std::make_tuple(h, n, s, ms), std::make_tuple(13, 45, 30, 250));
}

TEST_F(SystemUtilsTest, FormatDateTimeRoundsToTheMillisecond) {
    const TDateTime lastMs = EncodeDate(2000, 2, 29) + EncodeTime(23, 59, 59, 999);
    const double msDay = 1.0 / 86400000.0;
    const char* fmt = "yyyy-mm-dd hh:nn:ss.zzz";
    EXPECT_EQ(FormatDateTime(fmt, lastMs + 0.4 * msDay), "2000-02-29 23:59:59.999");
    EXPECT_EQ(FormatDateTime(fmt, lastMs + 0.6 * msDay), "2000-03-01 00:00:00.000");

    const TDateTime t = EncodeDate(1991, 1, 1) + EncodeTime(13, 5, 7, 0);
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"dd/mm/yyyy", "01/01/1991"}, {"d mmm yy", "1 Jan 91"}, {"hh:mm", "13:05"},
        {"h:nn am/pm", "1:05 pm"},    {"h:nn AMPM", "1:05 PM"}, {"m:s", "5:7"},
        {"'day' d", "day 1"},
    };
    TimePMString = "PM";
    for (const auto& [f, expected] : cases)
        EXPECT_EQ(FormatDateTime(f, t), expected) << f;
    DateSeparator = '.';
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", t), "01.01.1991");
}

// The specifiers the table above leaves out: names of days and months, the locale's
// date and time formats by letter, both am/pm forms, milliseconds and quoted literals.
TEST_F(SystemUtilsTest, FormatDateTimeCoversEverySpecifier) {
    ShortDateFormat = "d/m/yyyy";
    LongTimeFormat = "hh:nn:ss";
    ShortTimeFormat = "h:nn";
    LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
    ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    TimeAMString = "am";
    TimePMString = "pm";
    const TDateTime t = EncodeDate(1991, 1, 1) + EncodeTime(13, 5, 7, 42);
    const TDateTime midnight = EncodeDate(987, 11, 30);
    struct TCase {
        const char* Fmt;
        TDateTime Value;
        const char* Expected;
    };
    const TCase cases[] = {
        {"c", t, "1/1/1991 13:05:07"},
        {"c", midnight, "30/11/0987"},
        {"", midnight, "30/11/0987"},
        {"ddd dddd|ddddd", t, "Tue Tuesday|1/1/1991"},
        {"mmm mmmm|MM", t, "Jan January|01"},
        {"yy y yyy yyyy", midnight, "87 87 0987 0987"},
        {"t|tt", t, "13:05|13:05:07"},
        {"hh:mm:ss a/p A/P", t, "01:05:07 p P"},
        {"h AM/PM am/pm", midnight, "12 AM am"},
        {"h ampm", midnight, "12 am"},
        {"mm:ss|mm-ss|hh mm|mm", t, "05:07|05-07|13 05|01"},
        {"n nn s ss", t, "5 05 7 07"},
        {"z|zz|zzz", t, "42|42|042"},
        {"\"d\" 'm' d", t, "d m 1"},
        {"'open", t, "open"},
        {"x/y:z", t, "x/91:42"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.Fmt, c.Value), c.Expected) << c.Fmt;
    // A locale format naming itself stops after two levels: the short date "c" shows no
    // date, only the time after its blank.
    ShortDateFormat = "c";
    EXPECT_EQ(FormatDateTime("ddddd|", t), " 13:05:07|");
}

TEST_F(SystemUtilsTest, RoundTakesHalvesToTheEvenNeighbour) {
    const std::vector<std::pair<double, int64_t>> cases = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4999, 2},
        {2.6, 3},
        {-2.6, -3},
        {1e12 + 0.5, 1000000000000},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(Round(value), expected) << value;
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_THROW(Round(std::nan("")), EInvalidOperation);
    EXPECT_THROW(Trunc(1e19), EInvalidOperation);
}

TEST_F(SystemUtilsTest, MulDivRoundsHalvesAwayFromZero) {
    const std::vector<std::tuple<int, int, int, int>> cases = {
        {10, 3, 4, 8},
        {-10, 3, 4, -8},
        {10, 3, -4, -8},
        {7, 1, 2, 4},
        {5, 1, 3, 2},
        {4, 1, 3, 1},
        {1, 1, 0, -1},
        {100000, 100000, 100000, 100000},
        {100000, 100000, 1, -1},
    };
    for (const auto& [a, b, c, expected] : cases)
        EXPECT_EQ(MulDiv(a, b, c), expected) << a << "*" << b << "/" << c;
}

TEST_F(SystemUtilsTest, RandomFollowsTheLinearCongruentialSequence) {
    RandSeed = 0;
    const int expected[] = {0, 3, 86, 20, 27};
    for (int e : expected)
        EXPECT_EQ(Random(100), e);
    EXPECT_EQ(RandSeed, 1172187917u);
    RandSeed = 0;
    EXPECT_DOUBLE_EQ(Random(), 1.0 / 4294967296.0);
    EXPECT_DOUBLE_EQ(Random(), 134775814.0 / 4294967296.0);

    RandSeed = 0xFFFFFFFF;
    for (int i = 0; i < 1000; ++i) {
        const double r = Random();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        const int k = Random(7);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 7);
    }
}

TEST_F(SystemUtilsTest, NowAsksTheInstalledProvider) {
    SetNowProvider([] { return 33239.5; });
    EXPECT_EQ(Now(), 33239.5);
    SetNowProvider({});
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

TEST_F(SystemUtilsTest, CompareTextIgnoresCaseOfLatinAndGreekLetters) {
    EXPECT_EQ(CompareText("DevList", "devlist"), 0);
    EXPECT_TRUE(SameText("ΑΒΓΔ", "αβγδ"));
    EXPECT_TRUE(SameText("Άλφα Ώρα", "άλφα ώρα"));
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareText("ab", "A"), 0);
    EXPECT_FALSE(SameText("dev1", "dev10"));
    EXPECT_EQ(UpperCase("abc-ä"), "ABC-ä");
}

TEST_F(SystemUtilsTest, FileNameParts) {
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFileDir("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(ExtractFileDir("/c.txt"), "/");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileExt("/a/b/c.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ChangeFileExt("x/y.dvl", ".bak"), "x/y.bak");
    EXPECT_EQ(ChangeFileExt("x.d/y", ".bak"), "x.d/y.bak");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", " "), "a b ");
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    SetProgramFileName("/opt/orvanti/Orvanti");
    EXPECT_EQ(ParamStr0(), "/opt/orvanti/Orvanti");
    SetProgramFileName("");
    EXPECT_FALSE(ParamStr0().empty());
}

TEST_F(SystemUtilsTest, ReplaceAllDoesNotRescanReplacedText) {
    EXPECT_EQ(ReplaceAll("1,5", ",", "."), "1.5");
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("1.000.000", ".", ""), "1000000");
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
}

TEST_F(SystemUtilsTest, DecodeTextReadsNonUtf8AsGreekCodePage) {
    // "Αθήνα" in code page 1253, then the euro sign, a capital alpha with tonos and an
    // undefined byte.
    EXPECT_EQ(DecodeText("\xC1\xE8\xDE\xED\xE1"), "Αθήνα");
    EXPECT_EQ(DecodeText("\x80\xA2\xFF\xD3\xF2"), "€Ά\uFFFDΣς");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBFΑθήνα"), "Αθήνα");
    EXPECT_EQ(DecodeText("plain"), "plain");
    EXPECT_TRUE(IsValidUtf8("Αθήνα €"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xCE"));         // cut short
    // A bad byte anywhere in or after long runs of ASCII is found.
    for (size_t at = 0; at < 40; ++at) {
        std::string text(40, 'a');
        EXPECT_TRUE(IsValidUtf8(text.substr(0, at) + "Ω" + text));
        text[at] = '\xC1';
        EXPECT_FALSE(IsValidUtf8(text)) << at;
    }
}

struct TLocaleCase {
    const char* LcAll;
    const char* LcNumeric;
    const char* Lang;
    char Decimal;
    char Thousand;
};

TEST_F(SystemUtilsTest, SeparatorsComeFromTheLocaleEnvironment) {
    const char* names[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
    std::array<std::string, 3> saved;
    std::array<bool, 3> had{};
    for (int i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i])) {
            saved[size_t(i)] = v;
            had[size_t(i)] = true;
        }
    const std::vector<TLocaleCase> cases = {
        {"el_GR.UTF-8", "", "", ',', '.'},
        {"de_DE", "", "", ',', '.'},
        {"fr_FR.UTF-8", "", "", ',', '.'},
        {"en_US.UTF-8", "", "", '.', ','},
        {"C", "", "", '.', ','},
        {"POSIX", "", "", '.', ','},
        {"", "el_GR.UTF-8", "en_US", ',', '.'},
        {"", "", "de_AT.UTF-8", ',', '.'},
        {"en_GB", "el_GR", "", '.', ','},
        {"", "", "", '.', ','},
    };
    for (const TLocaleCase& c : cases) {
        const char* values[] = {c.LcAll, c.LcNumeric, c.Lang};
        for (int i = 0; i < 3; ++i)
            setenv(names[i], values[i], 1);
        InitFormatSettingsFromLocale();
        EXPECT_EQ(DecimalSeparator, c.Decimal) << c.LcAll << "|" << c.LcNumeric << "|" << c.Lang;
        EXPECT_EQ(ThousandSeparator, c.Thousand) << c.LcAll << "|" << c.LcNumeric;
    }
    for (int i = 0; i < 3; ++i) {
        if (had[size_t(i)])
            setenv(names[i], saved[size_t(i)].c_str(), 1);
        else
            unsetenv(names[i]);
    }
    InitFormatSettingsFromLocale();
}

TEST_F(SystemUtilsTest, DecimalSeparatorGuardRestoresAlsoOnException) {
    DecimalSeparator = ',';
    try {
        TDecimalSeparatorGuard guard('.');
        EXPECT_EQ(DecimalSeparator, '.');
        throw EInOutError("x");
    } catch (const EInOutError&) {
    }
    EXPECT_EQ(DecimalSeparator, ',');
    { TDecimalSeparatorGuard guard('.', ';'); }
    EXPECT_EQ(DecimalSeparator, ';');
}

} // namespace

TEST_F(SystemUtilsTest, DatesAndTimesReadBackInTheLocalesOrder) {
    const std::string savedDate = ShortDateFormat;
    const std::string savedAm = TimeAMString, savedPm = TimePMString;
    ShortDateFormat = "dd/mm/yyyy";
    TimeAMString = "AM";
    TimePMString = "PM";
    struct TCase {
        const char* Text;
        double Expected;
    };
    const TCase dates[] = {
        {"15/03/2024", EncodeDate(2024, 3, 15)},
        {" 1/1/91 ", EncodeDate(1991, 1, 1)},
        {"29/2/24", EncodeDate(2024, 2, 29)},
    };
    for (const TCase& c : dates)
        EXPECT_DOUBLE_EQ(StrToDate(c.Text), c.Expected) << c.Text;
    const TCase times[] = {
        {"06:30:15", EncodeTime(6, 30, 15, 0)},
        {"23:59", EncodeTime(23, 59, 0, 0)},
        {"7", EncodeTime(7, 0, 0, 0)},
        {"1:05 PM", EncodeTime(13, 5, 0, 0)},
        {"12:00 AM", 0.0},
    };
    for (const TCase& c : times)
        EXPECT_NEAR(StrToTime(c.Text), c.Expected, 1e-12) << c.Text;
    EXPECT_NEAR(StrToDateTime("15/03/2024 06:00:00"), EncodeDate(2024, 3, 15) + 0.25, 1e-12);
    // The month comes first where the locale writes it first.
    ShortDateFormat = "M/d/yyyy";
    EXPECT_DOUBLE_EQ(StrToDate("3/15/2024"), EncodeDate(2024, 3, 15));
    for (const char* bad : {"", "15/03", "31/02/2024", "a/b/c", "1/2/3/4", "15-03-2024"})
        EXPECT_THROW(StrToDate(bad), EConvertError) << bad;
    for (const char* bad : {"", "24:00", "12:60", "1:2:3:4", "13:00 PM", "x"})
        EXPECT_THROW(StrToTime(bad), EConvertError) << bad;
    EXPECT_THROW(StrToDateTime("3/15/2024 25:00"), EConvertError);
    ShortDateFormat = savedDate;
    TimeAMString = savedAm;
    TimePMString = savedPm;
}
