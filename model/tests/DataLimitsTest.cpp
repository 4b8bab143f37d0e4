// The limits of the numbers the readers accept: a value beyond them (or no finite number) is
// refused naming the file and its line, or its section and key, and the data stays; the
// balance over the extremes that are accepted stays finite. Also the start-up defaults: a
// default file that fails leaves its object as it was created.

#include "model/Data.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/IniFiles.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "model/tests/ExpectRefused.h"
#include "model/tests/PphText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

class LimitsTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string file = (FDir / name).string();
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
    TTempFolder FFolder;
    const fs::path& FDir = FFolder.Path();
};

// Values that no finite balance can use, and values just beyond a limit.
const char* const kHostile[] = {"1e308", "-1e308", "inf", "nan", "1e400"};

TEST_F(LimitsTest, TextFilesRefuseValuesBeyondTheLimitsNamingFileAndLine) {
    struct TReader {
        const char* Name;
        std::function<std::string(const std::string& value)> Text; // the value on line 5
        std::function<void(const std::string& file)> Load;         // into the kept data
        std::function<void()> ExpectKept;
        const char* Range; // how the message states the allowed values, "" for a bad number
        std::vector<std::string> Beyond; // accepted numbers just beyond the limits
    };
    auto curve = std::make_unique<TWindPwrCurve>();
    curve->AddPoint({1, 10});
    curve->AddPoint({2, 20});
    auto factors = std::make_unique<TPhFactors>();
    factors->SetFactor(1, 0, 0.5);
    TFloatArray speeds;
    const std::string twelve = "0 0 0 0 0 0 0 0 0 0 0 0\r\n";
    // As the editors do: read into objects of their own, taken over when the whole file read.
    const auto loadCurve = [&](const std::string& f) {
        auto read = std::make_unique<TWindPwrCurve>();
        read->LoadFromFile(f);
        curve = std::move(read);
    };
    const auto curveKept = [&] {
        ASSERT_EQ(curve->PointCount(), 2);
        EXPECT_EQ(curve->GetPoint(1).Power, 20);
    };
    const TReader readers[] = {
        {"curve power",
         [](const std::string& v) { return "m\r\nx\r\n1 1\r\n3 100\r\n4 " + v; },
         loadCurve,
         curveKept,
         "από -1000000000000 έως 1000000000000",
         {"1000000000001", "-1.1e12"}},
        {"curve speed",
         [](const std::string& v) { return "m\r\nx\r\n1 1\r\n3 100\r\n" + v + " 4"; },
         loadCurve,
         curveKept,
         "από -1000000 έως 1000000",
         {"1000001", "-2e6"}},
        {"sunshine factor",
         [&](const std::string& v) { return twelve + twelve + twelve + twelve + v; },
         [&](const std::string& f) {
             auto read = std::make_unique<TPhFactors>();
             read->LoadFromFile(f);
             factors = std::move(read);
         },
         [&] { EXPECT_EQ(factors->GetFactor(1, 0), 0.5); },
         "από 0 έως 100",
         {"100.5", "-1"}},
        {"wind speed",
         [](const std::string& v) { return "h\r\nh\r\nh\r\n5\r\n" + v; },
         [&](const std::string& f) {
             TFloatArray read;
             LoadColumn(f, read);
             speeds = read;
         },
         [&] { EXPECT_TRUE(speeds.empty()); },
         "από 0 έως 1000000",
         {"1000000.5", "-0.5"}},
    };
    for (const TReader& r : readers) {
        std::vector<std::string> values(std::begin(kHostile), std::end(kHostile));
        values.insert(values.end(), r.Beyond.begin(), r.Beyond.end());
        for (const std::string& value : values) {
            SCOPED_TRACE(std::string(r.Name) + " " + value);
            const std::string file = Write("bad.txt", r.Text(value) + "\r\n");
            // A finite number beyond the limit names the allowed values; a text that is no
            // finite number is no number at all.
            double parsed = 0;
            const bool number = TryStrToFloatSep(value, parsed, '.');
            std::vector<std::string> shown = {file, "γραμμή 5"};
            if (number)
                shown.push_back(r.Range);
            ExpectRefused([&] { r.Load(file); }, shown);
            r.ExpectKept();
        }
    }
    // The limits themselves are accepted.
    curve->LoadFromFile(Write("edge.pow", "m\r\nx\r\n1 1\r\n-1e6 -1e12\r\n0 0\r\n1e6 1e12\r\n"));
    EXPECT_EQ(curve->RatedPower(), kMaxPower);
    factors->LoadFromFile(Write("edge.pph", SmallPph(1, "100 1e-300 0 0 0 0 0 0 0 0 0 0")));
    EXPECT_EQ(factors->GetFactor(1, 0), kMaxSunshineFactor);
    LoadColumn(Write("edge.dat", "h\r\nh\r\nh\r\n1e6\r\n0\r\n"), speeds);
    EXPECT_EQ(speeds, (TFloatArray{kMaxWindSpeed, 0}));
}

// A scale factor on line 3 that takes a point beyond the limits is refused as the point's
// own value would be, naming the value and the factor.
TEST_F(LimitsTest, CurvePointsAreCheckedOnceScaled) {
    TWindPwrCurve curve;
    ExpectRefused(
        [&] { curve.LoadFromFile(Write("k.pow", "m\r\nx\r\n1 1000\r\n3 0\r\n5 2e9\r\n")); },
        {"2000000000 × 1000", "k.pow, γραμμή 5", "έως 1000000000000"});
    EXPECT_EQ(curve.PointCount(), 0);
    curve.LoadFromFile(Write("ok.pow", "m\r\nx\r\n1 1000\r\n3 0\r\n5 1e9\r\n"));
    EXPECT_EQ(curve.RatedPower(), 1e12);
}

// Device files: a number beyond its limits is refused naming the file, the section and the
// key; the list keeps its devices. A number is a number however large: one that no double or
// int holds, or that is written as infinite or undefined, is refused the same way. A value
// that is no number at all reads as the key's default, as every missing key does.
TEST_F(LimitsTest, DeviceFilesRefuseValuesBeyondTheLimitsNamingSectionAndKey) {
    struct TCase {
        const char* Key;
        std::string Value;
        const char* Shown; // the key as the message names it, "" when the value is accepted
        const char* Range;
    };
    const std::string powerRange = "0 ή από 0.000000001 έως 1000000000000.";
    const std::string factorRange = "0 ή από 0.000000001 έως 1.";
    const std::string countRange = "από 0 έως 1000000.";
    const std::string intRange = "από -2147483648 έως 2147483647.";
    const TCase cases[] = {
        {"RatedPower", "1e308", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "-1e308", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "-5", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "1.5e12", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "1e-300", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "1e309", "ισχύς 1e309 στο", powerRange.c_str()},
        {"RatedPower", "1e400", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "inf", "ισχύς inf στο", powerRange.c_str()},
        {"RatedPower", "-Infinity", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "nan", "κλειδί RatedPower", powerRange.c_str()},
        {"RatedPower", "abc", "", ""},
        {"RatedPower", "0x10", "", ""},
        {"DevCount", "1000001", "κλειδί DevCount", countRange.c_str()},
        {"DevCount", "-1", "κλειδί DevCount", countRange.c_str()},
        {"DevCount", "2147483647", "κλειδί DevCount", countRange.c_str()},
        {"DevCount", "3000000000", "συσκευών 3000000000 στο", countRange.c_str()},
        {"DevCount", "99999999999999999999999", "κλειδί DevCount", countRange.c_str()},
        {"DevCount", "2.5", "κλειδί DevCount", countRange.c_str()},
        {"DevCount", "δύο", "", ""},
        {"ImageIndex", "4294967296", "κλειδί ImageIndex", intRange.c_str()},
        {"h00_05", "1e308", "κλειδί h00_05", factorRange.c_str()},
        {"h00_05", "-1e308", "κλειδί h00_05", factorRange.c_str()},
        {"h00_05", "1.01", "κλειδί h00_05", factorRange.c_str()},
        {"h00_05", "1e-12", "κλειδί h00_05", factorRange.c_str()},
        {"h00_07", "1e309", "λειτουργίας 1e309 στο", factorRange.c_str()},
        {"h00_05", "nan", "κλειδί h00_05", factorRange.c_str()},
        {"h00_05", "x", "", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Key) + "=" + c.Value);
        const std::string text =
            "[devlist]\r\ncount=2\r\n[dev0]\r\nName=a\r\n[dev1]\r\nName=b\r\n" +
            std::string(c.Key) + "=" + c.Value + "\r\n";
        const std::string file = Write("bad.dvl", text);
        TDevList list;
        auto kept = std::make_unique<TDeviceEl>();
        kept->SetName("kept");
        list.Add(std::move(kept));
        if (*c.Shown == 0) {
            list.LoadFromFile(file);
            ASSERT_EQ(list.Count(), 2);
            EXPECT_EQ(list.GetDevice(1)->RatedPower(), 0);
            EXPECT_EQ(list.GetDevice(1)->DevCount(), 1);
            EXPECT_EQ(list.GetDevice(1)->HourOps().GetFactor(0, 5), 0);
            continue;
        }
        ExpectRefused([&] { list.LoadFromFile(file); }, {file, "ενότητα [dev1]", c.Shown, c.Range});
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.GetDevice(0)->Name(), "kept");
    }

    // The catalogue's device file.
    const struct {
        const char* Text;
        const char* Shown;
    } catalogue[] = {
        {"[dev]\r\nratedpower=1e308\r\n", "ενότητα [dev], κλειδί ratedpower"},
        {"[dev]\r\nratedpower=-60\r\n", "ενότητα [dev], κλειδί ratedpower"},
        {"[dev]\r\nratedpower=1e309\r\n", "ενότητα [dev], κλειδί ratedpower"},
        {"[dev]\r\nratedpower=inf\r\n", "ενότητα [dev], κλειδί ratedpower"},
        {"[dev]\r\nicon=99999999999\r\n", "ενότητα [dev], κλειδί icon"},
        {"[dev]\r\nNotKnownOp=99999999999\r\n", "ενότητα [dev], κλειδί NotKnownOp"},
        {"[dev]\r\nratedpower=60\r\n[hourop]\r\nhourop_07=2\r\n",
         "ενότητα [hourop], κλειδί hourop_07"},
        {"[dev]\r\nratedpower=60\r\n[hourop]\r\nhourop_07=1e400\r\n",
         "ενότητα [hourop], κλειδί hourop_07"},
    };
    for (const auto& c : catalogue) {
        SCOPED_TRACE(c.Text);
        const std::string file = Write("bad.idev", c.Text);
        TMemIniFile ini(file);
        ExpectRefused([&] { TDeviceEl::CreateFromCatalog(ini); }, {file, c.Shown});
    }
    // Values that are no number at all read as their keys' defaults.
    TMemIniFile words(Write("words.idev", "[dev]\r\nratedpower=abc\r\nicon=x\r\n"
                                          "NotKnownOp=ναι\r\n[hourop]\r\nhourop_03=n/a\r\n"));
    auto wordy = TDeviceEl::CreateFromCatalog(words);
    EXPECT_EQ(wordy->RatedPower(), 0);
    EXPECT_FALSE(wordy->KnownRatedPower());
    EXPECT_EQ(wordy->ImageIndex(), 0);
    EXPECT_FALSE(wordy->NotKnownOp());
    EXPECT_EQ(wordy->HourOps().GetFactor(0, 3), 0);

    // The limits themselves are accepted, and a device of them saves and reads back.
    TDevList list;
    list.LoadFromFile(Write("edge.dvl", "[devlist]\r\ncount=2\r\n[dev0]\r\nDevCount=1000000\r\n"
                                        "RatedPower=1e12\r\nh00_00=1\r\n[dev1]\r\nDevCount=0\r\n"
                                        "RatedPower=1e-9\r\nh00_00=1e-9\r\n"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetDevice(0)->RatedPower(), kMaxPower);
    EXPECT_EQ(list.GetDevice(0)->DevCount(), kMaxDevCount);
    EXPECT_EQ(list.GetDevice(1)->HourOps().GetFactor(0, 0), kMinHourFactor);
    list.SaveToFile((FDir / "again.dvl").string());
    TDevList back;
    back.LoadFromFile((FDir / "again.dvl").string());
    EXPECT_EQ(back.GetDevice(1)->RatedPower(), kMinRatedPower);
}

// A catalogue file that cannot be read is refused naming the file and why, never taken for
// an unknown device of 0 W. One that reads but holds no [dev] section is such a device.
TEST_F(LimitsTest, UnreadableCatalogueFilesAreRefusedNamingTheFile) {
    const std::string device = "[dev]\r\nname=Λάμπα\r\nratedpower=40\r\n";
    const auto wide = [&](int width, bool big) {
        std::string text =
            width == 2 ? (big ? "\xFE\xFF" : "\xFF\xFE")
                       : (big ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4));
        for (char c : std::string("[dev]\r\nratedpower=40\r\n")) {
            std::string unit(size_t(width), '\0');
            unit[big ? size_t(width - 1) : 0] = c;
            text += unit;
        }
        return text;
    };
    const std::string large = Write("large.idev", device);
    fs::resize_file(large, uint64_t(kMaxIniFileSize) + 1);
    const std::string dangling = (FDir / "dangling.idev").string();
    fs::create_symlink(FDir / "gone.idev", dangling);
    const std::string folder = (FDir / "folder.idev").string();
    fs::create_directory(folder);
    const struct {
        const char* Name;
        std::string File;
        std::string Shown;
    } cases[] = {
        {"UTF-16", Write("utf16.idev", wide(2, false)), FrameworkTexts::Utf16Text},
        {"UTF-16, big end first", Write("utf16be.idev", wide(2, true)), FrameworkTexts::Utf16Text},
        {"UTF-32", Write("utf32.idev", wide(4, false)), FrameworkTexts::Utf32Text},
        {"UTF-32, big end first", Write("utf32be.idev", wide(4, true)), FrameworkTexts::Utf32Text},
        {"over the size limit", large, "16 MB"},
        {"dangling link", dangling, FrameworkTexts::NoSuchFile},
        {"a folder", folder, folder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemIniFile ini(c.File);
        ExpectRefused([&] { TDeviceEl::CreateFromCatalog(ini); }, {c.File, c.Shown});
        TIniFile direct(c.File);
        ExpectRefused([&] { TDeviceEl::CreateFromCatalog(direct); }, {c.File, c.Shown});
    }
    // Files that read but hold no [dev] section: every key's default, an unknown device of
    // unknown power, with the factors of an [hourop] section if there is one.
    const struct {
        const char* Name;
        std::string File;
        double Factor7;
    } unknown[] = {
        {"marks followed by junk",
         Write("junk.idev", "\xEF\xBB\xBF\xEF\xBB\xBF\x01\x9C\xFF\xFEjunk\x02"), 0},
        {"empty", Write("empty.idev", ""), 0},
        {"another kind of profile file", Write("seasons.idev", "[Seasons]\r\ncount=1\r\n"), 0},
        {"[hourop] only", Write("hourop.idev", "[hourop]\r\nhourop_07=0.5\r\n"), 0.5},
    };
    for (const auto& c : unknown) {
        SCOPED_TRACE(c.Name);
        TMemIniFile ini(c.File);
        const auto device = TDeviceEl::CreateFromCatalog(ini);
        EXPECT_EQ(device->Name(), "Αγνωστη Συσκευή");
        EXPECT_EQ(device->RatedPower(), 0);
        EXPECT_FALSE(device->KnownRatedPower());
        EXPECT_FALSE(device->NotKnownOp());
        EXPECT_EQ(device->ImageIndex(), 0);
        EXPECT_EQ(device->DevCount(), 1);
        ASSERT_EQ(device->HourOps().Count(), 1);
        EXPECT_EQ(device->HourOps().GetFactor(0, 7), c.Factor7);
        EXPECT_EQ(device->HourOps().GetFactor(0, 8), 0);
    }
    // A device section of defaults but one is a device.
    TMemIniFile bare(Write("bare.idev", "[dev]\r\nicon=2\r\n"));
    EXPECT_EQ(TDeviceEl::CreateFromCatalog(bare)->Name(), "Αγνωστη Συσκευή");
}

// Yes/no keys are whole numbers, read as every whole-number key is: 0 is no, any other
// whole number yes, text that is no number the key's default, and a number that is no whole
// number an int holds refused naming the file, the section and the key.
TEST_F(LimitsTest, YesNoKeysReadAsWholeNumbers) {
    const struct {
        const char* Value;
        int Read; // 0 no, 1 yes, -1 the key's default, -2 refused
    } cases[] = {
        {"2.5", -2}, {"inf", -2}, {"0.0", -2}, {"3000000000", -2}, {"1e400", -2}, {"nan", -2},
        {"abc", -1}, {"", -1},    {"0", 0},    {"1", 1},           {"7", 1},      {"-1", 1},
    };
    // Each key with the default a missing key would give.
    const struct {
        const char* Key;
        const char* Power;
        bool Default;
    } catalogueKeys[] = {
        {"NotKnownOp", "40", false},
        {"knownRatedPower", "40", true},
        {"knownRatedPower", "0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("value \"") + c.Value + "\"");
        for (const auto& k : catalogueKeys) {
            SCOPED_TRACE(std::string(k.Key) + " with ratedpower=" + k.Power);
            const std::string file =
                Write("yesno.idev", std::string("[dev]\r\nratedpower=") + k.Power + "\r\n" + k.Key +
                                        "=" + c.Value + "\r\n");
            TMemIniFile ini(file);
            if (c.Read == -2) {
                ExpectRefused([&] { TDeviceEl::CreateFromCatalog(ini); },
                              {file, std::string("ενότητα [dev], κλειδί ") + k.Key,
                               std::string(" ") + c.Value + " στο αρχείο"});
                continue;
            }
            const auto device = TDeviceEl::CreateFromCatalog(ini);
            const bool expected = c.Read == -1 ? k.Default : c.Read == 1;
            EXPECT_EQ(std::string(k.Key) == "NotKnownOp" ? device->NotKnownOp()
                                                         : device->KnownRatedPower(),
                      expected);
        }
        // The device list's NotKnownOp, whose default is no; the list stays when refused.
        const std::string file =
            Write("yesno.dvl", std::string("[devlist]\r\ncount=1\r\n[dev0]\r\nName=a\r\n"
                                           "NotKnownOp=") +
                                   c.Value + "\r\n");
        TDevList list;
        auto kept = std::make_unique<TDeviceEl>();
        kept->SetName("kept");
        list.Add(std::move(kept));
        if (c.Read == -2) {
            ExpectRefused([&] { list.LoadFromFile(file); },
                          {file, "ενότητα [dev0], κλειδί NotKnownOp"});
            ASSERT_EQ(list.Count(), 1);
            EXPECT_EQ(list.GetDevice(0)->Name(), "kept");
            continue;
        }
        list.LoadFromFile(file);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.GetDevice(0)->NotKnownOp(), c.Read == 1);
    }
}

// Period files: a day or a way of operation written as a number no int holds is refused
// naming the file, the section and the key, not read as the key's default; the list stays.
// A value that is no number at all still reads as the default.
TEST_F(LimitsTest, PeriodFilesRefuseNumbersNoIntHolds) {
    const struct {
        const char* Line;
        const char* Shown; // "" when the period reads
    } cases[] = {
        {"DayStart=99999999999", "ημέρα 99999999999 στο"},
        {"DayStart=4294967631", "κλειδί DayStart. Επιτρεπτές τιμές: από 1 έως 365."},
        {"DayStop=1e400", "κλειδί DayStop"},
        {"DayStop=12.5", "κλειδί DayStop"},
        {"WayOp=4294967298", "κλειδί WayOp"},
        {"DayStart=πρώτη", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        const std::string file =
            Write("bad.ssn", "[Seasons]\r\ncount=2\r\n[season0]\r\n"
                             "Description=a\r\n[season1]\r\nDescription=b\r\n" +
                                 std::string(c.Line) + "\r\n");
        TSeasonList periods;
        periods.AddSeason()->SetDescription("kept");
        TIniFile ini(file);
        if (*c.Shown == 0) {
            periods.LoadFromIni(ini);
            ASSERT_EQ(periods.Count(), 2);
            EXPECT_EQ(periods.GetSeason(1)->DayStart(), 1);
            continue;
        }
        ExpectRefused([&] { periods.LoadFromIni(ini); }, {file, "ενότητα [season1]", c.Shown});
        ASSERT_EQ(periods.Count(), 1);
        EXPECT_EQ(periods.GetSeason(0)->Description(), "kept");
    }
}

// Every bound of the allowed values is written in plain decimals with the locale's
// separator: no message mixes "1E-9" with "1000000000000".
TEST_F(LimitsTest, RangeTextsWriteEveryBoundInPlainDecimals) {
    const char saved = DecimalSeparator;
    const struct {
        double Min, Max, Smallest;
        char Separator;
        const char* Text;
    } cases[] = {
        {0, kMaxBatCapacity, 0, '.', "Επιτρεπτές τιμές: από 0 έως 1000000000000000."},
        {0, kMaxPower, kMinRatedPower, '.',
         "Επιτρεπτές τιμές: 0 ή από 0.000000001 έως 1000000000000."},
        {0, 1, kMinHourFactor, ',', "Επιτρεπτές τιμές: 0 ή από 0,000000001 έως 1."},
        {-kMaxPower, kMaxPower, 0, '.', "Επιτρεπτές τιμές: από -1000000000000 έως 1000000000000."},
        {0, 2.5, 0, ',', "Επιτρεπτές τιμές: από 0 έως 2,5."},
        {0, INFINITY, 0, '.', "Επιτρεπτές τιμές: από 0 και πάνω."},
    };
    for (const auto& c : cases) {
        DecimalSeparator = c.Separator;
        EXPECT_EQ(ValueRangeText(c.Min, c.Max, c.Smallest), c.Text);
    }
    DecimalSeparator = saved;
}

// The balance over the extremes the readers and editors accept, all at once: the largest
// powers of either sign, a power factor of 1.5 (the top of the sweep), every generator an
// int can count, the fastest speeds and factor, the largest load of the largest list, and
// the smallest load that is not 0 beside the largest production. Every total, share and
// hourly value stays finite.
TEST_F(LimitsTest, TheBalanceStaysFiniteOverTheAcceptedExtremes) {
    struct TSaved {
        double Safe, Factor;
        TSimParams Params;
        ~TSaved() {
            BatSafeCoef = Safe;
            WindVelFactor = Factor;
            SimParams = Params;
        }
    } saved{BatSafeCoef, WindVelFactor, SimParams};

    TWindPwrCurve curve;
    curve.AddPoint({0, -kMaxPower});
    curve.AddPoint({1e-9, kMaxPower});
    curve.AddPoint({2e-9, -kMaxPower});
    curve.AddPoint({1, kMaxPower});
    curve.AddPoint({kMaxWindSpeed * kMaxWindVelFactor, -kMaxPower});
    curve.SetPowerFactor(1.5);

    // 1000 devices (a list's most) of the largest power and count, on every hour; and one of
    // the smallest power, count 1, on one hour with the smallest factor.
    TDevList largest;
    for (int i = 0; i < 1000; ++i) {
        auto device = std::make_unique<TDeviceEl>();
        device->SetRatedPower(kMaxPower);
        device->SetDevCount(kMaxDevCount);
        for (int h = 0; h < 24; ++h)
            device->HourOps().SetFactor(0, h, 1);
        largest.Add(std::move(device));
    }
    TDevList smallest;
    auto device = std::make_unique<TDeviceEl>();
    device->SetRatedPower(kMinRatedPower);
    device->HourOps().SetFactor(0, 13, kMinHourFactor);
    smallest.Add(std::move(device));

    TFloatArray bigLoad(HoursPerYear), smallLoad(HoursPerYear);
    largest.FillLoad(bigLoad);
    smallest.FillLoad(smallLoad);
    TFloatArray pv(HoursPerYear), noPv(HoursPerYear, 0.0);
    for (int i = 0; i < HoursPerYear; ++i)
        pv[size_t(i)] = kMaxPower * PVDayProfile[size_t(i % 24)];
    // Speeds from 0 to the limit: every part of the curve.
    TFloatArray wind(HoursPerYear);
    for (int i = 0; i < HoursPerYear; ++i)
        wind[size_t(i)] = i % 5 == 0 ? kMaxWindSpeed : (i % 7) * 1e-9 + (i % 3) * 0.4;

    // The battery sizing tries capacities up to 100 times the year's load.
    double bigYear = 0;
    for (double v : bigLoad)
        bigYear += v;
    const double capacities[] = {0, 1, kMaxBatCapacity, 1.5 * kMaxBatCapacity, 100 * bigYear};
    int runs = 0;
    for (const TFloatArray* load : {&bigLoad, &smallLoad})
        for (const TFloatArray* production : {&pv, &noPv})
            for (double capacity : capacities)
                for (bool full : {true, false})
                    for (double safe : {0.0, 0.1, 1.0})
                        for (int generators : {0, 1, INT_MAX})
                            for (double factor : {0.0, 1.0, kMaxWindVelFactor}) {
                                SimParams.BatStartFull = full;
                                SimParams.WGCount = generators;
                                BatSafeCoef = safe;
                                WindVelFactor = factor;
                                bool hoursFinite = true;
                                TSimResult r;
                                Simulate(
                                    wind, *production, *load, &curve, capacity,
                                    [&](int, double w, double p, double l, double g, double d,
                                        double c) {
                                        for (double v : {w, p, l, g, d, c})
                                            hoursFinite = hoursFinite && std::isfinite(v);
                                    },
                                    r);
                                ++runs;
                                const double values[] = {
                                    r.TotWind, r.TotPV,         r.TotGenset,   r.TotDump,
                                    r.TotLoad, r.InitialCharge, r.FinalCharge, r.WindShare,
                                    r.PVShare, r.GensetShare};
                                bool finite = hoursFinite;
                                for (double v : values)
                                    finite = finite && std::isfinite(v);
                                if (!finite) {
                                    ADD_FAILURE()
                                        << "capacity " << capacity << " full " << full << " safe "
                                        << safe << " generators " << generators << " factor "
                                        << factor << " load " << r.TotLoad << " wind " << r.TotWind
                                        << " shares " << r.WindShare << " " << r.PVShare << " "
                                        << r.GensetShare;
                                    return;
                                }
                            }
    EXPECT_EQ(runs, 2 * 2 * 5 * 2 * 3 * 3 * 3);
}

// ---------------------------------------------------------------------------
// Start-up defaults

class DefaultsTest : public LimitsTest {
protected:
    void SetUp() override { SetProgramFileName((FDir / "orvanti").string()); }
    void TearDown() override {
        FinalizeModel();
        SetProgramFileName("");
    }
};

// A default file that fails, at once or part-way, is reported naming it, and its object is
// left as it was created: the year's 8760 calm hours, an empty curve, factors of 0. The
// files that read are taken.
TEST_F(DefaultsTest, AFailingDefaultFileLeavesItsObjectAsCreated) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("h\r\nh\r\nh\r\n5\r\n6\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    const std::string goodDat = "h\r\nh\r\nh\r\n5\r\n6\r\n";
    const std::string goodPow = "WG\r\nx\r\n1 1\r\n0 0\r\n2 0\r\n3 100\r\n";
    const std::string goodPph = SmallPph();
    struct TCase {
        const char* Name;
        std::string Dat, Pow, Pph;
        const char* Failing;
        std::string Shown;
    };
    const TCase cases[] = {
        {"UTF-16 series", utf16, goodPow, goodPph, "default.dat", FrameworkTexts::Utf16Text},
        {"series bad part-way", goodDat + "7\r\n1e308\r\n", goodPow, goodPph, "default.dat",
         "γραμμή 7"},
        {"curve bad part-way", goodDat, goodPow + "4 1x00\r\n", goodPph, "default.pow", "γραμμή 7"},
        {"curve beyond the limit part-way", goodDat, goodPow + "4 1e308\r\n", goodPph,
         "default.pow", "γραμμή 7"},
        {"factors bad part-way", goodDat, goodPow, SmallPph(2, "0.5 x"), "default.pph", "γραμμή 2"},
        {"factors beyond the limit part-way", goodDat, goodPow, SmallPph(2, "0.5 1e308"),
         "default.pph", "γραμμή 2"},
        {"factors cut short", goodDat, goodPow, goodPph.substr(0, 300), "default.pph",
         "διαβάστηκαν 142"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Write("default.dat", c.Dat);
        Write("default.pow", c.Pow);
        Write("default.pph", c.Pph);
        InitModel();
        ASSERT_EQ(DefaultLoadErrors.size(), 1u);
        // The message names the file once.
        const std::string failing = (FDir / c.Failing).string();
        const std::string& message = DefaultLoadErrors[0];
        EXPECT_NE(message.find(failing), std::string::npos) << message;
        EXPECT_EQ(message.find(failing), message.rfind(failing)) << message;
        EXPECT_NE(message.find(c.Shown), std::string::npos) << message;
        if (std::string(c.Failing) == "default.dat") {
            EXPECT_EQ(WindSpeed, TFloatArray(HoursPerYear, 0.0));
        } else {
            EXPECT_EQ(WindSpeed, (TFloatArray{5, 6}));
        }
        if (std::string(c.Failing) == "default.pow") {
            EXPECT_EQ(PwrCurve->PointCount(), 0);
            EXPECT_EQ(PwrCurve->RatedPower(), 0);
            EXPECT_EQ(PwrCurve->ModelName(), "");
        } else {
            EXPECT_EQ(PwrCurve->PointCount(), 3);
        }
        double sunshine = 0;
        for (int m = 1; m <= 12; ++m)
            for (int h = 0; h < 24; ++h)
                sunshine += PhFactors->GetFactor(m, h);
        EXPECT_EQ(sunshine, std::string(c.Failing) == "default.pph" ? 0 : 0.75);
        FinalizeModel();
    }
}

} // namespace
