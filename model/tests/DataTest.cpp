#include "model/Data.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/IniFiles.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"
#include "model/tests/ExpectRefused.h"
#include "model/tests/PphText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A folder of its own per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "model-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(FPath, ec);
    }
    std::string File(const std::string& name) const { return (FPath / name).string(); }
    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(File(name), std::ios::binary) << content;
        return File(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    const fs::path& Path() const { return FPath; }

private:
    fs::path FPath;
};

// Runs with "," as the locale's separator, as found at start, so that a reader or writer
// that forces "." and fails to restore it shows.
class CommaLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOldSeparator = DecimalSeparator;
        FOldSaved = SavedDecimalSeparator;
        DecimalSeparator = ',';
        SavedDecimalSeparator = ',';
    }
    void TearDown() override {
        EXPECT_EQ(DecimalSeparator, ',') << "decimal separator not restored";
        DecimalSeparator = FOldSeparator;
        SavedDecimalSeparator = FOldSaved;
    }
    TempDir FDir;

private:
    char FOldSeparator = '.';
    char FOldSaved = '.';
};

std::unique_ptr<TWindPwrCurve> CurveOf(std::initializer_list<TPwrCurvePoint> points) {
    auto curve = std::make_unique<TWindPwrCurve>();
    for (const auto& p : points)
        curve->AddPoint(p);
    return curve;
}

// Bytes of no format at all, the same in every run.
std::string RandomBytes(size_t size) {
    std::mt19937 random(31);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

// ---------------------------------------------------------------------------
// Power curve

TEST(PowerCurveTest, PowerAtInterpolatesAboveSecondPoint) {
    const auto owned = CurveOf({{0, 0}, {3, 0}, {4, 100}, {5, 200}});
    TWindPwrCurve& curve = *owned;
    const std::pair<double, double> cases[] = {{2, 0},     {3, 0},   {3.5, 50}, {4, 100},
                                               {4.5, 150}, {5, 200}, {5.1, 0},  {-1, 0}};
    for (const auto& [v, p] : cases)
        EXPECT_DOUBLE_EQ(curve.PowerAt(v), p) << v;
    curve.SetPowerFactor(0.5);
    EXPECT_DOUBLE_EQ(curve.PowerAt(4.5), 75);

    const auto shiftedOwned = CurveOf({{3, 0}, {4, 100}, {5, 200}});
    const TWindPwrCurve& shifted = *shiftedOwned;
    EXPECT_EQ(shifted.PowerAt(3.5), 0);
    EXPECT_EQ(shifted.PowerAt(4), 0);
    EXPECT_DOUBLE_EQ(shifted.PowerAt(4.5), 150);
    EXPECT_EQ(TWindPwrCurve().PowerAt(5), 0);
    EXPECT_EQ(curve.PowerAt(std::nan("")), 0);
}

// The power as a plain scan of the points finds it.
double ReferencePowerAt(const TWindPwrCurve& curve, double v) {
    const auto& pts = curve.Points();
    if (pts.empty() || v < pts.front().Speed || v > pts.back().Speed)
        return 0;
    size_t i = 0;
    while (i < pts.size() && pts[i].Speed < v)
        ++i;
    if (i <= 1 || i == pts.size())
        return 0;
    const double pl = pts[i - 1].Power * curve.PowerFactor();
    const double ph = pts[i].Power * curve.PowerFactor();
    return (v - pts[i - 1].Speed) * (ph - pl) / (pts[i].Speed - pts[i - 1].Speed) + pl;
}

TEST(PowerCurveTest, PowerAtEqualsPlainScanAlsoForCurvesNotAscending) {
    std::mt19937 gen(12345);
    std::uniform_real_distribution<double> speed(0, 30);
    std::uniform_real_distribution<double> power(0, 5000);
    for (int trial = 0; trial < 300; ++trial) {
        TWindPwrCurve curve;
        const int n = 1 + int(gen() % 40);
        const bool ascending = trial % 2 == 0;
        std::vector<double> speeds(n);
        for (double& s : speeds)
            s = trial % 5 == 0 ? std::floor(speed(gen)) : speed(gen); // repeated speeds too
        if (ascending)
            std::sort(speeds.begin(), speeds.end());
        for (double s : speeds)
            curve.AddPoint({s, power(gen)});
        curve.SetPowerFactor(0.5 + (trial % 3) * 0.25);
        // Edits after a first lookup must be seen by the next one.
        if (trial % 7 == 0 && n > 2) {
            curve.PowerAt(10);
            curve.SetPointSpeed(n / 2, speed(gen));
            curve.DeletePoint(0);
        }
        for (int k = 0; k < 200; ++k) {
            const double v = k < 100 ? speed(gen) : curve.GetPoint(k % curve.PointCount()).Speed;
            ASSERT_EQ(curve.PowerAt(v), ReferencePowerAt(curve, v)) << "trial " << trial;
        }
    }
}

TEST(PowerCurveTest, IndexOperationsCheckTheirIndex) {
    const auto owned = CurveOf({{1, 10}, {2, 20}});
    TWindPwrCurve& curve = *owned;
    EXPECT_THROW(curve.GetPoint(2), EListError);
    EXPECT_THROW(curve.GetPoint(-1), EListError);
    EXPECT_THROW(curve.SetPointSpeed(2, 1), EListError);
    EXPECT_THROW(curve.SetPointPower(-1, 1), EListError);
    EXPECT_THROW(curve.DeletePoint(-1), EListError);
    curve.DeletePoint(2); // above the last: nothing
    EXPECT_EQ(curve.PointCount(), 2);
    curve.DeletePoint(0);
    ASSERT_EQ(curve.PointCount(), 1);
    EXPECT_EQ(curve.GetPoint(0).Speed, 2);
}

class PowFileTest : public CommaLocaleTest {};

TEST_F(PowFileTest, ReadsScaledPointsAndDropsAFinalZeroPoint) {
    const std::string file = FDir.Write("WG-10.pow", "Windy 1000\r\n"
                                                     "speed power\r\n"
                                                     "2 1000 scale line\r\n"
                                                     "1.5 0\r\n"
                                                     "5 0.1 comment\r\n"
                                                     "6 0.5\r\n"
                                                     "12.5 0\r\n");
    TWindPwrCurve curve;
    curve.SetPowerFactor(0.3);
    curve.LoadFromFile(file);
    EXPECT_EQ(curve.ModelName(), "Windy 1000");
    EXPECT_EQ(curve.PowerFactor(), 1.0);
    ASSERT_EQ(curve.PointCount(), 3);
    EXPECT_EQ(curve.GetPoint(1).Speed, 10);
    EXPECT_DOUBLE_EQ(curve.GetPoint(1).Power, 100);
    EXPECT_EQ(curve.RatedPower(), 500);

    // A blank last line reads as a point (0, 0), which is dropped as well; an empty first
    // line keeps the file's base name.
    FDir.Write("WG-10.pow", "\r\nx\r\n1 1\r\n0 0\r\n12 500\r\n25 0\r\n\r\n");
    curve.LoadFromFile(file);
    EXPECT_EQ(curve.ModelName(), "WG-10");
    ASSERT_EQ(curve.PointCount(), 3);
    EXPECT_EQ(curve.GetPoint(2).Speed, 25);
    EXPECT_EQ(curve.RatedPower(), 500);
}

TEST_F(PowFileTest, FailuresKeepWhatWasRead) {
    const auto owned = CurveOf({{1, 1}, {2, 2}});
    TWindPwrCurve& curve = *owned;
    curve.SetPowerFactor(2);
    EXPECT_THROW(curve.LoadFromFile(FDir.File("missing.pow")), EInOutError);
    EXPECT_EQ(curve.PointCount(), 0);
    EXPECT_EQ(curve.ModelName(), "missing");
    EXPECT_EQ(curve.PowerFactor(), 1.0);

    // 10^80 written out is too long for a number of the file: an error, not 10^63 and a
    // point of power 0.
    try {
        curve.LoadFromFile(
            FDir.Write("long.pow", "m\r\nx\r\n1 1\r\n3 1" + std::string(80, '0') + "\r\n"));
        ADD_FAILURE() << "an 81-digit power was read";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find("long.pow, γραμμή 4"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(curve.RatedPower(), 0);

    const std::string file = FDir.Write("bad.pow", "m\r\nx\r\n1 1\r\n3 100\r\n4 x\r\n5 300\r\n");
    EXPECT_THROW(curve.LoadFromFile(file), EInOutError);
    ASSERT_EQ(curve.PointCount(), 2); // the half-read point stays, unscaled
    EXPECT_EQ(curve.GetPoint(0).Power, 100);
    EXPECT_EQ(curve.GetPoint(1).Speed, 4);
    EXPECT_EQ(curve.RatedPower(), 100);
}

// A point that overflows once scaled is refused with a message naming the file, and the
// curve keeps what it held before the call: no infinite rated power.
TEST_F(PowFileTest, ScaledValueThatOverflowsIsRefusedAndTheCurveKept) {
    struct TCase {
        const char* Name;
        const char* Text;
    };
    const TCase cases[] = {
        {"power", "m\r\nx\r\n1 1e300\r\n3 100\r\n4 1e10\r\n"},
        {"speed", "m\r\nx\r\n1e300 1\r\n1e10 100\r\n"},
        {"negative", "m\r\nx\r\n1 -1e300\r\n3 1e300\r\n"},
        {"last point", "m\r\nx\r\n1 1e300\r\n3 100\r\n25 1e9\r\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto owned = CurveOf({{1, 10}, {2, 20}});
        TWindPwrCurve& curve = *owned;
        curve.SetModelName("kept");
        curve.SetRatedPower(20);
        curve.SetPowerFactor(0.75);
        const std::string file = FDir.Write("huge.pow", c.Text);
        try {
            curve.LoadFromFile(file);
            ADD_FAILURE() << "no error; rated power " << curve.RatedPower();
        } catch (const EInOutError& e) {
            EXPECT_NE(std::string(e.what()).find("Επιτρεπτές τιμές"), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
        ASSERT_EQ(curve.PointCount(), 2);
        EXPECT_EQ(curve.GetPoint(1).Power, 20);
        EXPECT_EQ(curve.RatedPower(), 20);
        EXPECT_EQ(curve.ModelName(), "kept");
        EXPECT_EQ(curve.PowerFactor(), 0.75);
        EXPECT_EQ(curve.PowerAt(1.5), 0);
    }
    // Large values that stay within the limits once scaled still load.
    const auto curve = CurveOf({});
    curve->LoadFromFile(FDir.Write("big.pow", "m\r\nx\r\n1 1e9\r\n3 1\r\n4 1.5\r\n"));
    EXPECT_EQ(curve->RatedPower(), 1.5e9);
}

// A file without a single point is no curve: it is refused with a message naming the file,
// and the curve keeps what it held, not an empty curve that gives no wind energy.
TEST_F(PowFileTest, FilesWithoutAPointAreRefusedAndTheCurveKept) {
    struct TCase {
        const char* Name;
        std::string Text;
    };
    const TCase cases[] = {
        {"empty", ""},
        {"name only", "WG 10\r\n"},
        {"header lines alone", "WG 10\r\nspeed power\r\n1 1\r\n"},
        {"blank lines after the header", "WG 10\r\nx\r\n1 1\r\n\r\n  \r\n"},
        {"one point of power 0", "WG 10\r\nx\r\n1 1\r\n25 0\r\n"},
        {"one long line", std::string(3 << 20, 'w')},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto owned = CurveOf({{1, 10}, {2, 20}, {3, 30}});
        TWindPwrCurve& curve = *owned;
        curve.SetModelName("kept");
        curve.SetRatedPower(30);
        curve.SetPowerFactor(0.75);
        const std::string file = FDir.Write("none.pow", c.Text);
        ExpectRefused([&] { curve.LoadFromFile(file); }, {file, "κανένα σημείο"});
        ASSERT_EQ(curve.PointCount(), 3);
        EXPECT_EQ(curve.ModelName(), "kept");
        EXPECT_EQ(curve.RatedPower(), 30);
        EXPECT_EQ(curve.PowerFactor(), 0.75);
        EXPECT_EQ(curve.PowerAt(2.5), 18.75);
    }
    // Bytes of no format fail on a malformed number or for want of a point.
    ExpectRefused([&] { CurveOf({})->LoadFromFile(FDir.Write("r.pow", RandomBytes(4096))); },
                  {"r.pow"});
    // Negative powers occur in real curves (a generator's own consumption) and stay.
    const auto curve = CurveOf({});
    curve->LoadFromFile(FDir.Write("neg.pow", "m\r\nx\r\n1 1\r\n0 -5\r\n3 -5\r\n4 100\r\n"));
    ASSERT_EQ(curve->PointCount(), 3);
    EXPECT_EQ(curve->GetPoint(1).Power, -5);
}

// ---------------------------------------------------------------------------
// Devices and device lists

std::unique_ptr<TDeviceEl> MakeDevice(std::string name, double power, int count,
                                      std::vector<std::vector<std::pair<int, double>>> periods) {
    auto device = std::make_unique<TDeviceEl>();
    device->SetName(std::move(name));
    device->SetRatedPower(power);
    device->SetDevCount(count);
    device->EnsureSeasons(int(periods.size()) - 1);
    for (size_t p = 0; p < periods.size(); ++p)
        for (const auto& [hour, factor] : periods[p])
            device->HourOps().SetFactor(int(p), hour, factor);
    return device;
}

TEST(DeviceTest, FillLoadUsesTheHourOfEachElementAndTheUnitCount) {
    TDevList list;
    list.Add(MakeDevice("lamp", 100, 1, {{{1, 1.0}}}));
    TFloatArray a(HoursPerYear, -1);
    list.FillLoad(a);
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], i % 24 == 1 ? 100 : 0) << i;

    list.GetDevice(0)->SetDevCount(3);
    list.Add(MakeDevice("fridge", 60.5, 2, {{{0, 0.5}, {1, 0.25}}, {{0, 1.0}}}));
    TFloatArray shortYear(50, -1);
    list.FillLoad(shortYear);
    ASSERT_EQ(shortYear.size(), 50u);
    EXPECT_EQ(shortYear[0], 60.5);
    EXPECT_EQ(shortYear[1], 300 + 30.25);
    EXPECT_EQ(shortYear[25], 300 + 30.25);
    EXPECT_EQ(shortYear[2], 0);
}

TEST(DeviceTest, DailyEnergyIsOneUnitOfPeriodZero) {
    auto device = MakeDevice(
        "tv", 60, 4,
        {{{18, 0.5}, {19, 0.5}, {20, 0.5}, {21, 0.5}, {22, 0.5}, {23, 0.5}}, {{0, 1.0}}});
    EXPECT_DOUBLE_EQ(device->DailyEnergy(), 180);
}

TEST(DeviceTest, ProfilesGrowByCopyingTheLastAndShrinkByIndex) {
    auto device = MakeDevice("pump", 10, 1, {{{3, 0.5}}});
    device->EnsureSeasons(2);
    ASSERT_EQ(device->HourOps().Count(), 3);
    EXPECT_EQ(device->HourOps().GetFactor(2, 3), 0.5);
    device->HourOps().SetFactor(1, 3, 0.25);
    device->EnsureSeasons(1); // only appends
    EXPECT_EQ(device->HourOps().Count(), 3);
    device->DeleteSeason(3); // above the last: nothing
    EXPECT_EQ(device->HourOps().Count(), 3);
    device->DeleteSeason(0);
    ASSERT_EQ(device->HourOps().Count(), 2);
    EXPECT_EQ(device->HourOps().GetFactor(0, 3), 0.25);

    auto copy = TDeviceEl::CreateCopy(*device);
    copy->HourOps().SetFactor(0, 3, 1.0);
    EXPECT_EQ(device->HourOps().GetFactor(0, 3), 0.25);
    EXPECT_EQ(copy->HourOps().Count(), 2);
    EXPECT_EQ(copy->Name(), "pump");

    EXPECT_THROW(device->HourOps().GetFactor(2, 0), EListError);
    EXPECT_THROW(device->HourOps().GetFactor(0, 24), EListError);
    EXPECT_THROW(TDevList().GetDevice(0), EListError);
}

class DvlFileTest : public CommaLocaleTest {};

TEST_F(DvlFileTest, RoundTripKeepsEveryProfile) {
    TDevList list;
    list.Add(MakeDevice("Ψυγείο", 150.5, 2, {{{0, 0.5}, {23, 1.0}}, {{7, 0.125}}, {}}));
    list.GetDevice(0)->SetImageIndex(4);
    list.Add(MakeDevice("lamp", 1e-7, 1, {{{12, 1.0 / 3}}}));
    const std::string file = FDir.File("list.dvl");
    list.SaveToFile(file);

    const std::string text = FDir.Read("list.dvl");
    EXPECT_NE(text.find("RatedPower=150.5"), std::string::npos);
    EXPECT_NE(text.find("h01_07=0.125"), std::string::npos);
    EXPECT_EQ(text.find("h00_01="), std::string::npos); // zero factors are not written

    TDevList back;
    back.Add(MakeDevice("old", 1, 1, {{}}));
    back.LoadFromFile(file);
    ASSERT_EQ(back.Count(), 2);
    const TDeviceEl* fridge = back.GetDevice(0);
    EXPECT_EQ(fridge->Name(), "Ψυγείο");
    EXPECT_EQ(fridge->RatedPower(), 150.5);
    EXPECT_EQ(fridge->DevCount(), 2);
    EXPECT_EQ(fridge->ImageIndex(), 4);
    EXPECT_FALSE(fridge->KnownRatedPower());
    ASSERT_EQ(fridge->HourOps().Count(), 3);
    for (int p = 0; p < 3; ++p)
        for (int h = 0; h < 24; ++h)
            EXPECT_EQ(fridge->HourOps().GetFactor(p, h),
                      list.GetDevice(0)->HourOps().GetFactor(p, h));
    EXPECT_EQ(back.GetDevice(1)->RatedPower(), 1e-7);
    EXPECT_NEAR(back.GetDevice(1)->HourOps().GetFactor(0, 12), 1.0 / 3, 1e-14);
}

TEST_F(DvlFileTest, ReadsFilesOfOlderWritersAndMissingSections) {
    const std::string file = FDir.Write("old.dvl", "[devlist]\r\ncount=3\r\n"
                                                   "[dev0]\r\nName=a\r\nRatedPower=2.5\r\n"
                                                   "h00_03=0.5\r\nh02_05=1\r\nNotKnownOp=1\r\n"
                                                   "[dev1]\r\nName=b\r\nRatedPower=zz\r\n"
                                                   "DevCount=x\r\n");
    TDevList list;
    list.LoadFromFile(file);
    ASSERT_EQ(list.Count(), 3);
    const TDeviceEl* a = list.GetDevice(0);
    EXPECT_EQ(a->RatedPower(), 2.5);
    EXPECT_TRUE(a->NotKnownOp());
    ASSERT_EQ(a->HourOps().Count(), 3); // one more than the highest period of the keys
    EXPECT_EQ(a->HourOps().GetFactor(0, 3), 0.5);
    EXPECT_EQ(a->HourOps().GetFactor(1, 5), 0);
    EXPECT_EQ(a->HourOps().GetFactor(2, 5), 1);
    // Values that are not numbers and missing sections give the defaults.
    for (int i : {1, 2}) {
        const TDeviceEl* d = list.GetDevice(i);
        EXPECT_EQ(d->RatedPower(), 0);
        EXPECT_EQ(d->DevCount(), 1);
        EXPECT_EQ(d->HourOps().Count(), 1);
        EXPECT_EQ(d->HourOps().GetFactor(0, 0), 0);
    }
    EXPECT_EQ(list.GetDevice(2)->Name(), "");
}

TEST_F(DvlFileTest, SavingFewerDevicesReplacesTheWholeFile) {
    TDevList five;
    for (int i = 0; i < 5; ++i)
        five.Add(MakeDevice("d" + std::to_string(i), 10 * i, 1, {{{i, 1.0}}}));
    const std::string file = FDir.File("list.dvl");
    five.SaveToFile(file);
    TDevList two;
    two.Add(MakeDevice("x", 1, 1, {{}}));
    two.Add(MakeDevice("y", 2, 1, {{}}));
    two.SaveToFile(file);

    TIniFile ini(file);
    EXPECT_FALSE(ini.SectionExists("dev4"));         // nothing of the longer list stays
    EXPECT_FALSE(ini.ValueExists("dev1", "h00_01")); // a saved section is replaced whole
    TDevList back;
    back.LoadFromFile(file);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetDevice(1)->Name(), "y");
}

// A section's profile count never goes above the profiles it holds: a small file whose
// sections each claim hundreds of profiles would otherwise build them all.
TEST_F(DvlFileTest, ProfileCountIsLimitedToTheProfilesTheSectionHolds) {
    struct Case {
        const char* keys;
        int profiles;
    };
    const Case cases[] = {
        {"HourOpCount=365\r\nh00_01=1\r\n", 1},
        {"HourOpCount=365\r\nh02_01=1\r\n", 3},
        {"HourOpCount=2\r\nh04_01=1\r\n", 2}, // fewer claimed than held: the count holds
        {"HourOpCount=0\r\nh01_01=1\r\n", 2},
        {"HourOpCount=-5\r\n", 1},
        {"HourOpCount=2147483647\r\nh364_00=1\r\nh999_00=1\r\n", 365},
    };
    for (const Case& c : cases) {
        const std::string file =
            FDir.Write("claim.dvl", std::string("[devlist]\r\ncount=1\r\n[dev0]\r\n") + c.keys);
        TDevList list;
        list.LoadFromFile(file);
        ASSERT_EQ(list.Count(), 1) << c.keys;
        EXPECT_EQ(list.GetDevice(0)->HourOps().Count(), c.profiles) << c.keys;
    }
}

// A profile of zeros keeps its place through a save and a load, though zero factors are
// not written: a later period must not take a copy of the one before it.
TEST_F(DvlFileTest, TrailingProfilesOfZerosSurviveTheRoundTrip) {
    TDevList list;
    list.Add(MakeDevice("a", 10, 1, {{{3, 1.0}}, {}, {}}));
    const std::string file = FDir.File("zeros.dvl");
    list.SaveToFile(file);
    TDevList back;
    back.LoadFromFile(file);
    ASSERT_EQ(back.Count(), 1);
    ASSERT_EQ(back.GetDevice(0)->HourOps().Count(), 3);
    EXPECT_EQ(back.GetDevice(0)->HourOps().GetFactor(2, 3), 0);
}

// Saving keeps the file's other sections and comments, drops every section of the
// earlier, longer list, and replaces the file once.
TEST_F(DvlFileTest, SavingKeepsOtherSectionsAndDropsTheEarlierList) {
    const std::string file = FDir.Write("old.dvl", "; notes\r\n[notes]\r\nwho=Ελένη\r\n"
                                                   "text=kept as written \r\n\r\n"
                                                   "[devlist]\r\nowner=me\r\ncount=9\r\n"
                                                   "[dev0]\r\nName=old\r\nh00_01=1\r\n"
                                                   "[other]\r\nx=1\r\n[DEV8]\r\nName=gone\r\n"
                                                   "[dev08]\r\nName=not a device\r\n");
    TDevList list;
    list.Add(MakeDevice("kept", 1, 1, {{{0, 1.0}}}));
    list.SaveToFile(file);
    EXPECT_EQ(FDir.Read("old.dvl"), "; notes\r\n[notes]\r\nwho=Ελένη\r\n"
                                    "text=kept as written \r\n\r\n"
                                    "[devlist]\r\nowner=me\r\ncount=1\r\n"
                                    "[other]\r\nx=1\r\n[dev08]\r\nName=not a device\r\n"
                                    "[dev0]\r\nImageIndex=0\r\nName=kept\r\nDevCount=1\r\n"
                                    "RatedPower=1\r\nHourOpCount=1\r\nh00_00=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir.Path()), fs::directory_iterator()), 1);

    // A file of the Greek code page keeps its sections, now in UTF-8.
    FDir.Write("old.dvl", "[notes]\r\nwho=\xC5\xEB\xDD\xED\xE7\r\n[dev3]\r\nName=x\r\n");
    list.SaveToFile(file);
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("notes", "who", ""), "Ελένη");
    EXPECT_FALSE(ini.SectionExists("dev3"));
    TDevList back;
    back.LoadFromFile(file);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetDevice(0)->Name(), "kept");
}

// The list's file holds what a profile file written key by key would hold, byte for byte:
// section and key order, number forms, line breaks in names.
TEST_F(DvlFileTest, SavedFileIsThatOfTheProfileWriter) {
    TDevList list;
    list.Add(MakeDevice("Ψυγείο\r\nδύο", 150.5, 2, {{{0, 0.5}, {23, 1.0 / 3}}, {}, {{7, 1e-7}}}));
    list.GetDevice(0)->SetImageIndex(4);
    list.Add(MakeDevice(" blanks ", 1e20, -3, {{{12, -2.5}}}));
    for (int i = 0; i < 11; ++i)
        list.Add(MakeDevice(
            "d" + std::to_string(i), i * 0.1, i,
            std::vector<std::vector<std::pair<int, double>>>(size_t(i % 3 + 1), {{i, 0.1 * i}})));
    const std::string file = FDir.File("list.dvl");
    list.SaveToFile(file);

    const std::string expected = FDir.File("expected.dvl");
    {
        TMemIniFile ini(expected, false);
        TDecimalSeparatorGuard separator('.', ',');
        ini.WriteInteger("devlist", "count", list.Count());
        for (int i = 0; i < list.Count(); ++i)
            list.GetDevice(i)->SaveToSection(ini, "dev" + std::to_string(i));
        ini.UpdateFile();
    }
    EXPECT_EQ(FDir.Read("list.dvl"), FDir.Read("expected.dvl"));
}

// A list file is read as key lookups read it: the first of duplicate sections and keys
// counts, quotes go, names and keys compare without regard to case, keys not written as
// the writer writes them are not factors.
TEST_F(DvlFileTest, ListReadsAsKeyLookupsRead) {
    const std::string text = "[DEVLIST]\r\nCount=\"3\"\r\ncount=1\r\n"
                             "[Dev0]\r\nNAME='quoted'\r\nname=second\r\nratedpower=\"2.5\"\r\n"
                             "H00_01=0.25\r\nh00_01=0.5\r\nh1_02=1\r\nh001_03=1\r\nh00_24=1\r\n"
                             "h03_02=x\r\nHourOpCount=2\r\n"
                             "[dev0]\r\nName=duplicate section\r\n"
                             "[dev2]\r\n  DevCount = 4 \r\nImageIndex=$10\r\nNotKnownOp=2\r\n"
                             "RatedPower=1,5\r\n[dev01]\r\nName=not dev1\r\n";
    const std::string file = FDir.Write("dup.dvl", text);
    TDevList list;
    list.LoadFromFile(file);
    ASSERT_EQ(list.Count(), 3);
    // Each device as the profile file's own lookups give it.
    TIniFile ini(file);
    for (int i = 0; i < 3; ++i) {
        DecimalSeparator = '.';
        const auto expected = TDeviceEl::CreateFromSection(ini, "dev" + std::to_string(i));
        DecimalSeparator = ',';
        const TDeviceEl* d = list.GetDevice(i);
        EXPECT_EQ(d->Name(), expected->Name()) << i;
        EXPECT_EQ(d->RatedPower(), expected->RatedPower()) << i;
        EXPECT_EQ(d->DevCount(), expected->DevCount()) << i;
        EXPECT_EQ(d->ImageIndex(), expected->ImageIndex()) << i;
        EXPECT_EQ(d->NotKnownOp(), expected->NotKnownOp()) << i;
        ASSERT_EQ(d->HourOps().Count(), expected->HourOps().Count()) << i;
        for (int p = 0; p < d->HourOps().Count(); ++p)
            EXPECT_EQ(d->HourOps().GetHourOp(p)->Factors(),
                      expected->HourOps().GetHourOp(p)->Factors())
                << i;
    }
    const TDeviceEl* first = list.GetDevice(0);
    EXPECT_EQ(first->Name(), "quoted");
    EXPECT_EQ(first->RatedPower(), 2.5);
    ASSERT_EQ(first->HourOps().Count(), 2);
    EXPECT_EQ(first->HourOps().GetFactor(0, 1), 0.25);
    EXPECT_EQ(first->HourOps().GetFactor(1, 2), 0);
    EXPECT_EQ(list.GetDevice(1)->Name(), "");
    EXPECT_EQ(list.GetDevice(2)->DevCount(), 4);
    EXPECT_EQ(list.GetDevice(2)->ImageIndex(), 16);
    EXPECT_TRUE(list.GetDevice(2)->NotKnownOp());
    EXPECT_EQ(list.GetDevice(2)->RatedPower(), 0);
}

TEST_F(DvlFileTest, ReadOnlyFileRefusesTheSave) {
    TDevList list;
    list.Add(MakeDevice("x", 1, 1, {{}}));
    const std::string file = FDir.Write("ro.dvl", "[devlist]\r\ncount=0\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    try {
        list.SaveToFile(file);
        ADD_FAILURE() << "saved into a read-only file";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + file);
    }
    EXPECT_EQ(FDir.Read("ro.dvl"), "[devlist]\r\ncount=0\r\n");
}

TEST_F(DvlFileTest, CatalogDeviceDefaults) {
    struct Case {
        std::string text;
        std::string name;
        double power;
        bool known;
    };
    const Case cases[] = {
        {"[dev]\r\nratedpower=0\r\n", "Αγνωστη Συσκευή", 0, false},
        {"[dev]\r\nname=Lamp\r\nratedpower=40.5\r\n", "Lamp", 40.5, true},
        {"[dev]\r\nratedpower=40\r\nknownRatedPower=0\r\n", "Αγνωστη Συσκευή", 40, false},
    };
    for (const Case& c : cases) {
        TIniFile ini(FDir.Write("d.idev", c.text + "icon=3\r\n[hourop]\r\nhourop_07=0.25\r\n"));
        auto device = TDeviceEl::CreateFromCatalog(ini);
        EXPECT_EQ(device->Name(), c.name);
        EXPECT_EQ(device->RatedPower(), c.power);
        EXPECT_EQ(device->KnownRatedPower(), c.known);
        EXPECT_EQ(device->DevCount(), 1);
        EXPECT_EQ(device->HourOps().Count(), 1);
        EXPECT_EQ(device->HourOps().GetFactor(0, 7), 0.25);
    }
}

// A file that states no device count (bytes of no format, an empty file, another INI
// file) or a count no list holds is refused with a message naming the file; the user's list
// stays. A list saved empty still reads as an empty list.
TEST_F(DvlFileTest, FilesThatAreNoListAreRefusedAndTheListKept) {
    const std::string noList = "δεν είναι λίστα συσκευών";
    struct TCase {
        const char* Name;
        std::string Text;
        std::string Shown;
    };
    const TCase cases[] = {
        {"empty", "", noList},
        {"random bytes", RandomBytes(1 << 16), noList},
        {"NULs", std::string(1 << 20, '\0'), noList},
        {"no devlist section", "[dev0]\r\nName=a\r\n[other]\r\ncount=1\r\n", noList},
        {"no count", "[devlist]\r\n[dev0]\r\nName=a\r\n", noList},
        {"empty count", "[devlist]\r\ncount=\r\n[dev0]\r\nName=a\r\n", noList},
        {"negative count", "[devlist]\r\ncount=-1\r\n", "δηλώνει -1 συσκευές"},
        {"huge count", "[devlist]\r\ncount=2000000000\r\n", "δηλώνει 2000000000 συσκευές"},
        {"count no number", "[devlist]\r\ncount=2x\r\n", "δηλώνει 2x συσκευές"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDevList list;
        list.Add(MakeDevice("kept", 100, 2, {{{3, 0.5}}}));
        const std::string file = FDir.Write("junk.dvl", c.Text);
        ExpectRefused([&] { list.LoadFromFile(file); }, {file, c.Shown});
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.GetDevice(0)->Name(), "kept");
        EXPECT_EQ(list.GetDevice(0)->HourOps().GetFactor(0, 3), 0.5);
    }
    TDevList list;
    list.Add(MakeDevice("kept", 100, 2, {{}}));
    const std::string missing = FDir.File("missing.dvl");
    ExpectRefused([&] { list.LoadFromFile(missing); },
                  {Format(FrameworkTexts::CannotOpenFile, {missing, FrameworkTexts::NoSuchFile})});
    EXPECT_EQ(list.Count(), 1);

    TDevList().SaveToFile(FDir.File("empty.dvl"));
    list.LoadFromFile(FDir.File("empty.dvl"));
    EXPECT_EQ(list.Count(), 0);
}

// ---------------------------------------------------------------------------
// Operating periods

TEST(SeasonTest, DaysAndHourProperties) {
    TSeasonList list;
    TSeason* s = list.AddSeason();
    EXPECT_EQ(s->Days(), 365);
    const std::array<std::array<int, 3>, 3> cases = {{{1, 365, 365}, {10, 10, 1}, {335, 59, 90}}};
    for (const auto& [start, stop, days] : cases) {
        s->SetDayStart(start);
        s->SetDayStop(stop);
        EXPECT_EQ(s->Days(), days);
    }
    s->SetHourStart(744);
    EXPECT_EQ(s->DayStart(), 32);
    EXPECT_EQ(s->HourStart(), 768);
    s->SetHourStop(8736);
    EXPECT_EQ(s->DayStop(), 365);
    EXPECT_EQ(list.LastSeason(), s);
    EXPECT_THROW(list.GetSeason(1), EListError);
}

TEST(SeasonTest, SsnFileRoundTrip) {
    TempDir dir;
    const std::string file = dir.File("p.ssn");
    {
        TSeasonList five;
        for (int i = 0; i < 5; ++i)
            five.AddSeason()->SetDescription("p" + std::to_string(i));
        TIniFile ini(file);
        five.SaveToIni(ini);
    }
    TSeasonList three;
    const std::array<std::tuple<const char*, int, int, uint8_t>, 3> periods = {
        {{"Χειμώνας", 335, 59, 1}, {"Καλοκαίρι\nμε αλλαγή", 150, 250, 2}, {"", 1, 365, 0}}};
    for (const auto& [text, start, stop, way] : periods) {
        TSeason* s = three.AddSeason();
        s->SetDescription(text);
        s->SetDayStart(start);
        s->SetDayStop(stop);
        s->SetWayOp(way);
    }
    TIniFile ini(file);
    ini.WriteString("notes", "who", "Ελένη");
    three.SaveToIni(ini);
    // The longer earlier list goes; other sections stay.
    EXPECT_FALSE(ini.SectionExists("season3"));
    EXPECT_FALSE(ini.SectionExists("season4"));
    EXPECT_EQ(ini.ReadString("notes", "who", ""), "Ελένη");

    TSeasonList back;
    back.LoadFromIni(ini);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.GetSeason(0)->Description(), "Χειμώνας");
    EXPECT_EQ(back.GetSeason(0)->Days(), 90);
    EXPECT_EQ(back.GetSeason(0)->WayOp(), 1);
    EXPECT_EQ(back.GetSeason(1)->Description(), "Καλοκαίρι με αλλαγή"); // line break: a blank
    EXPECT_EQ(back.GetSeason(1)->DayStop(), 250);
    EXPECT_EQ(back.GetSeason(1)->WayOp(), 2);
}

TEST(SeasonTest, SsnFileDefaults) {
    TempDir dir;
    TSeasonList list;
    TIniFile odd(dir.Write("odd.ssn", "[Seasons]\r\ncount=2\r\n[season0]\r\nWayOp=258\r\n"
                                      "DayStart=40\r\n"));
    list.LoadFromIni(odd);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetSeason(0)->WayOp(), 2);
    EXPECT_EQ(list.GetSeason(0)->DayStart(), 40);
    EXPECT_EQ(list.GetSeason(1)->DayStop(), 365);

    TIniFile empty(dir.Write("empty.ssn", "[Seasons]\r\ncount=0\r\n"));
    list.LoadFromIni(empty);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.LastSeason(), nullptr);
}

// A damaged count (found by fuzzing: two billion periods or devices hung the reader) is
// refused with a message before the list changes.
TEST(SeasonTest, DamagedCountsAreRefusedAndLeaveTheListsAsTheyWere) {
    TempDir dir;
    TSeasonList periods;
    periods.AddSeason()->SetDescription("kept");
    TIniFile ssn(dir.Write("bad.ssn", "[Seasons]\r\ncount=2147483647\r\n"));
    try {
        periods.LoadFromIni(ssn);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find("bad.ssn"), std::string::npos) << e.Message();
    }
    ASSERT_EQ(periods.Count(), 1);
    EXPECT_EQ(periods.GetSeason(0)->Description(), "kept");

    TDevList devices;
    devices.Add(std::make_unique<TDeviceEl>());
    const std::string dvl = dir.Write("bad.dvl", "[devlist]\r\ncount=99999999\r\n");
    EXPECT_THROW(devices.LoadFromFile(dvl), EInOutError);
    EXPECT_EQ(devices.Count(), 1);
}

// A list file that cannot be read, or whose count is no number an int holds, is refused
// with a message; the user's list stays as it was.
TEST(SeasonTest, UnreadableListsAreRefusedAndLeaveTheListsAsTheyWere) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.dvl");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string fifoSsn = dir.File("pipe.ssn");
    ASSERT_EQ(mkfifo(fifoSsn.c_str(), 0600), 0);
    struct Case {
        std::string dvl, ssn, shown;
    };
    const Case cases[] = {
        {fifo, fifoSsn, FrameworkTexts::NotRegularFile},
        {"/dev/zero", "/dev/zero", FrameworkTexts::NotRegularFile},
        {dir.Path().string(), dir.Path().string(), ""},
        {dir.Write("huge.dvl", "[devlist]\r\ncount=99999999999\r\n[dev0]\r\nName=a\r\n"),
         dir.Write("huge.ssn", "[Seasons]\r\ncount=99999999999\r\n[season0]\r\n"),
         "δηλώνει 99999999999 "},
        {dir.Write("text.dvl", "[devlist]\r\ncount=many\r\n"),
         dir.Write("text.ssn", "[Seasons]\r\ncount=many\r\n"), "δηλώνει many "},
        {dir.Write("limit.dvl", "[devlist]\r\ncount=5000\r\n"),
         dir.Write("limit.ssn", "[Seasons]\r\ncount=5000\r\n"), "δηλώνει 5000 "},
    };
    for (const Case& c : cases) {
        TDevList devices;
        devices.Add(MakeDevice("kept", 1, 1, {{}}));
        try {
            devices.LoadFromFile(c.dvl);
            ADD_FAILURE() << "no error for " << c.dvl;
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(c.dvl), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.shown), std::string::npos) << e.Message();
        }
        ASSERT_EQ(devices.Count(), 1) << c.dvl;
        EXPECT_EQ(devices.GetDevice(0)->Name(), "kept");

        TSeasonList periods;
        periods.AddSeason()->SetDescription("kept");
        periods.AddSeason()->SetDescription("also kept");
        TMemIniFile ini(c.ssn); // as the period editor opens it
        try {
            periods.LoadFromIni(ini);
            ADD_FAILURE() << "no error for " << c.ssn;
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(c.ssn), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.shown), std::string::npos) << e.Message();
        }
        ASSERT_EQ(periods.Count(), 2) << c.ssn;
        EXPECT_EQ(periods.GetSeason(1)->Description(), "also kept");
    }
}

// A file that states no period count is refused with a message naming the file, not read
// as one blank period; so is a negative count. A list saved empty reads as an empty list.
TEST(SeasonTest, FilesThatAreNoPeriodListAreRefusedAndTheListKept) {
    TempDir dir;
    const std::string noList = "δεν είναι αρχείο περιόδων λειτουργίας";
    struct TCase {
        const char* Name;
        std::string Text;
        std::string Shown;
    };
    const TCase cases[] = {
        {"empty", "", noList},
        {"random bytes", RandomBytes(1 << 16), noList},
        {"NULs", std::string(1 << 20, '\0'), noList},
        {"no Seasons section", "[season0]\r\nDescription=a\r\n", noList},
        {"a device list", "[devlist]\r\ncount=1\r\n[dev0]\r\nName=a\r\n", noList},
        {"no count", "[Seasons]\r\n[season0]\r\nDescription=a\r\n", noList},
        {"empty count", "[Seasons]\r\ncount=\r\n", noList},
        {"negative count", "[Seasons]\r\ncount=-1\r\n", "δηλώνει -1 περιόδους"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSeasonList periods;
        periods.AddSeason()->SetDescription("kept");
        periods.AddSeason()->SetDescription("also kept");
        const std::string file = dir.Write("junk.ssn", c.Text);
        TMemIniFile ini(file); // as the period editor opens it
        ExpectRefused([&] { periods.LoadFromIni(ini); }, {file, c.Shown});
        ASSERT_EQ(periods.Count(), 2);
        EXPECT_EQ(periods.GetSeason(1)->Description(), "also kept");
    }
    TSeasonList periods;
    periods.AddSeason();
    const std::string missing = dir.File("missing.ssn");
    TMemIniFile none(missing);
    ExpectRefused([&] { periods.LoadFromIni(none); },
                  {Format(FrameworkTexts::CannotOpenFile, {missing, FrameworkTexts::NoSuchFile})});
    EXPECT_EQ(periods.Count(), 1);

    TIniFile empty(dir.File("empty.ssn"));
    TSeasonList().SaveToIni(empty);
    periods.LoadFromIni(empty);
    EXPECT_EQ(periods.Count(), 0);
}

// Days outside the year are refused with a message naming the file and the period; the
// list stays as it was.
TEST(SeasonTest, DaysOutsideTheYearAreRefusedAndLeaveTheList) {
    TempDir dir;
    struct Case {
        const char* days;
        const char* shown;
    };
    const Case cases[] = {
        {"DayStart=0\r\n", "0 έως 365"},
        {"DayStart=366\r\n", "366 έως 365"},
        {"DayStop=400\r\n", "1 έως 400"},
        {"DayStart=2147483647\r\nDayStop=-2147483648\r\n", "2147483647 έως -2147483648"},
    };
    for (const Case& c : cases) {
        TSeasonList periods;
        periods.AddSeason()->SetDescription("kept");
        TIniFile ssn(dir.Write("bad.ssn", std::string("[Seasons]\r\ncount=2\r\n[season0]\r\n"
                                                      "Description=ok\r\n[season1]\r\n"
                                                      "Description=Χειμώνας\r\n") +
                                              c.days));
        try {
            periods.LoadFromIni(ssn);
            ADD_FAILURE() << "no error for " << c.days;
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find("bad.ssn"), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find("2 \"Χειμώνας\""), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.shown), std::string::npos) << e.Message();
        }
        ASSERT_EQ(periods.Count(), 1) << c.days;
        EXPECT_EQ(periods.GetSeason(0)->Description(), "kept");
    }
}

// ---------------------------------------------------------------------------
// Sunshine factors and measurement series

class TextFileTest : public CommaLocaleTest {};

TEST_F(TextFileTest, PphRoundTripKeepsFifteenDigits) {
    TPhFactors factors;
    for (int m = 1; m <= 12; ++m)
        for (int h = 0; h < 24; ++h)
            factors.SetFactor(m, h, (m * 31 + h * 7) % 5 == 0 ? 0 : m * (h + 0.1) / 7.3);
    factors.SetFactor(1, 0, 0.5);
    factors.SetFactor(2, 0, 1e-300);
    factors.SetFactor(3, 0, 98.7654321098765);
    factors.SaveToFile(FDir.File("f.pph"));

    const std::string text = FDir.Read("f.pph");
    ASSERT_EQ(text.size(), 24u * (12 * 23 + 2));
    EXPECT_EQ(text.substr(0, 46), " 5.00000000000000E-0001 1.00000000000000E-0300");

    TPhFactors back;
    back.LoadFromFile(FDir.File("f.pph"));
    for (int m = 1; m <= 12; ++m)
        for (int h = 0; h < 24; ++h) {
            const double expected = factors.GetFactor(m, h);
            EXPECT_NEAR(back.GetFactor(m, h), expected, std::fabs(expected) * 1e-14)
                << m << " " << h;
        }
}

TEST_F(TextFileTest, PphHandWrittenShortAndMalformedFiles) {
    std::string text;
    for (int h = 0; h < 24; ++h) {
        for (int m = 1; m <= 12; ++m)
            text += std::to_string(m) + "." + std::to_string(h) + (m < 12 ? " " : "");
        text += " rest of line\r\n";
    }
    TPhFactors factors;
    factors.LoadFromFile(FDir.Write("hand.pph", text));
    EXPECT_EQ(factors.GetFactor(12, 23), 12.23);
    EXPECT_EQ(factors.GetFactor(3, 5), 3.5);

    factors.LoadFromFile(FDir.Write("short.pph", SmallPph()));
    EXPECT_EQ(factors.GetFactor(2, 0), 0.25);
    EXPECT_EQ(factors.GetFactor(3, 1), 0);

    // A factor longer than the reader's limit is an error naming the file and its line,
    // never two factors that move the rest of the row by a month.
    try {
        factors.LoadFromFile(FDir.Write("long.pph", "1 2 3 4 5 6 7 8 9 10 11 12\r\n1 0." +
                                                        std::string(70, '5') +
                                                        " 3 4 5 6 7 8 9 10 11 12\r\n"));
        ADD_FAILURE() << "a 72-character factor was read";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find("long.pph, γραμμή 2"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(factors.GetFactor(1, 1), 1);
    EXPECT_EQ(factors.GetFactor(3, 1), 0); // as before: not the rest of the long factor

    EXPECT_THROW(factors.LoadFromFile(FDir.Write("bad.pph", "7 8 x 9\r\n")), EInOutError);
    EXPECT_EQ(factors.GetFactor(2, 0), 8);
    EXPECT_THROW(factors.LoadFromFile(FDir.File("missing.pph")), EInOutError);
    EXPECT_THROW(factors.GetFactor(13, 0), EListError);
    EXPECT_THROW(factors.SetFactor(1, -1, 0), EListError);

    // A table that ends before its 288th number is refused naming the file: its missing
    // factors are not taken for 0. Lines of 11 numbers run out the same way.
    std::string elevens;
    for (int h = 0; h < 24; ++h)
        elevens += "1 2 3 4 5 6 7 8 9 10 11\r\n";
    for (const std::string& shortText : {std::string("1 2 3\r\n"), SmallPph().substr(0, 300),
                                         SmallPph(24, "0 0 0 0 0 0 0 0 0 0 0"), elevens}) {
        const std::string file = FDir.Write("short.pph", shortText);
        ExpectRefused([&] { TPhFactors().LoadFromFile(file); }, {file, "288"});
    }
}

TEST_F(TextFileTest, LoadColumnReadsTheFirstNumberOfEachLine) {
    std::string text = "header 1\r\nheader 2\r\nheader 3\r\n";
    for (int i = 0; i < HoursPerYear; ++i)
        text += std::to_string(i % 17) + ".5\r\n";
    TFloatArray a;
    LoadColumn(FDir.Write("year.dat", text), a);
    ASSERT_EQ(a.size(), size_t(HoursPerYear));
    EXPECT_EQ(a[18], 1.5);

    struct Case {
        const char* text;
        TFloatArray expected;
    };
    const Case cases[] = {
        {"h\r\nh\r\nh\r\n6.5 12:00\r\n7\tx\r\n", {6.5, 7}},
        {"h\r\nh\r\nh\r\n6.5\r\n\r\n", {6.5, 0}}, // a blank last line adds a 0
        {"h\nh\nh\n1\n2", {1, 2}},
    };
    for (const Case& c : cases) {
        LoadColumn(FDir.Write("c.dat", c.text), a);
        EXPECT_EQ(a, c.expected) << c.text;
    }
}

TEST_F(TextFileTest, LoadColumnFailuresKeepWhatWasRead) {
    TFloatArray a = {1, 2, 3};
    EXPECT_THROW(LoadColumn(FDir.File("missing.dat"), a), EInOutError);
    EXPECT_TRUE(a.empty());
    EXPECT_THROW(LoadColumn(FDir.Write("bad.dat", "h\r\nh\r\nh\r\n1.5\r\n2,5\r\n3\r\n"), a),
                 EInOutError);
    EXPECT_EQ(a, (TFloatArray{1.5, 0}));
}

// A file of no number at all is no table of factors; a negative factor (the program's own
// file holding one writes it right after the previous field) is refused naming the file and
// its line. The factors before it are stored, the later ones keep their values.
TEST_F(TextFileTest, PphWithoutFactorsOrWithNegativeOnesIsRefused) {
    std::string negativeField;
    {
        TPhFactors written;
        written.SetFactor(1, 1, 0.5);
        written.SetFactor(2, 1, -0.25);
        written.SaveToFile(FDir.File("written.pph"));
        negativeField = FDir.Read("written.pph");
    }
    const std::string twelve = "1 2 3 4 5 6 7 8 9 10 11 12\r\n";
    const std::string noFactors = "δεν περιέχει συντελεστές ηλιοφάνειας";
    struct TCase {
        const char* Name;
        std::string Text;
        std::vector<std::string> Shown;
        double January1; // month 1, hour 1 after the refusal
    };
    const TCase cases[] = {
        {"empty", "", {noFactors}, 9},
        {"blanks and line ends", " \t\r\n\r\n\n", {noFactors}, 9},
        {"one long blank line", std::string(900 << 10, ' '), {noFactors}, 9},
        {"negative factor", twelve + "1 -1440 3\r\n", {"-1440", "γραμμή 2", "από 0"}, 1},
        {"negative over a line end", "1 2 3 4 5 6\r\n7 8 9 10 11 -1\r\n", {"-1", "γραμμή 2"}, 9},
        {"written by the program", negativeField, {"-0.25", "γραμμή 2"}, 0.5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPhFactors factors;
        for (int m = 1; m <= 12; ++m)
            for (int h = 0; h < 24; ++h)
                factors.SetFactor(m, h, 9);
        const std::string file = FDir.Write("bad.pph", c.Text);
        std::vector<std::string> shown = c.Shown;
        shown.push_back(file);
        try {
            factors.LoadFromFile(file);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            for (const std::string& text : shown)
                EXPECT_NE(e.Message().find(text), std::string::npos) << e.Message();
        }
        EXPECT_EQ(factors.GetFactor(1, 1), c.January1);
        EXPECT_EQ(factors.GetFactor(12, 23), 9);
    }
}

// Three header lines and nothing after them (or one long line) are no series: refused, not
// an empty series. A negative speed is refused naming the file and its line; the series
// keeps the speeds before it and a 0 for the refused one.
TEST_F(TextFileTest, LoadColumnRefusesFilesWithoutSpeedsAndNegativeSpeeds) {
    const std::string noSpeeds = "δεν περιέχει ταχύτητες ανέμου";
    struct TCase {
        const char* Name;
        std::string Text;
        std::vector<std::string> Shown;
        TFloatArray Kept;
    };
    const TCase cases[] = {
        {"empty", "", {noSpeeds}, {}},
        {"header alone", "h\r\nh\r\nh\r\n", {noSpeeds}, {}},
        {"blank lines after the header", "h\r\nh\r\nh\r\n\r\n \t\r\n", {noSpeeds}, {}},
        {"one long line", std::string(10 << 20, '7'), {noSpeeds}, {}},
        {"negative speed",
         "h\r\nh\r\nh\r\n5\r\n-3 12:00\r\n6\r\n",
         {"-3", "γραμμή 5", "από 0"},
         {5, 0}},
        {"after a blank line", "h\nh\nh\n1\n\n-0.5\n", {"-0.5", "γραμμή 6"}, {1, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFloatArray a = {1, 2, 3};
        const std::string file = FDir.Write("bad.dat", c.Text);
        std::vector<std::string> shown = c.Shown;
        shown.push_back(file);
        try {
            LoadColumn(file, a);
            ADD_FAILURE() << "no error; " << a.size() << " speeds";
        } catch (const EInOutError& e) {
            for (const std::string& text : shown)
                EXPECT_NE(e.Message().find(text), std::string::npos) << e.Message();
        }
        EXPECT_EQ(a, c.Kept);
    }
}

// ---------------------------------------------------------------------------
// Hourly energy balance

class SimulateTest : public ::testing::Test {
protected:
    void SetUp() override { FSaved = {BatSafeCoef, WindVelFactor, SimParams}; }
    void TearDown() override { std::tie(BatSafeCoef, WindVelFactor, SimParams) = FSaved; }

    struct Hour {
        int hour;
        double wp, pv, load, genset, dump, charge;
    };
    // Runs the balance, recording every callback.
    TSimResult Run(const TFloatArray& wind, const TFloatArray& pv, const TFloatArray& load,
                   double capacity) {
        FHours.clear();
        TSimResult r;
        Simulate(
            wind, pv, load, &FCurve, capacity,
            [this](int h, double wp, double p, double l, double g, double d, double c) {
                FHours.push_back({h, wp, p, l, g, d, c});
            },
            r);
        return r;
    }

    // 500 W from 2 m/s up to 30 m/s.
    std::unique_ptr<TWindPwrCurve> FCurveOwned = CurveOf({{0, 0}, {1, 0}, {2, 500}, {30, 500}});
    TWindPwrCurve& FCurve = *FCurveOwned;
    std::vector<Hour> FHours;

private:
    std::tuple<double, double, TSimParams> FSaved;
};

TEST_F(SimulateTest, OneHourCases) {
    struct Case {
        const char* name;
        bool startFull;
        double capacity;
        TFloatArray wind, pv, load;
        double genset, dump, charge; // of the last hour
    };
    const Case cases[] = {
        {"full, deficit within the battery", true, 6000, {0}, {0}, {800}, 0, 0, 5200},
        {"at the minimum", false, 6000, {0}, {0}, {800}, 800, 0, 600},
        {"surplus over a full battery", true, 6000, {0, 5}, {0, 0}, {100, 100}, 0, 300, 6000},
        {"exactly the minimum", true, 6000, {0}, {0}, {5400}, 0, 0, 600},
        {"exactly full", true, 6000, {5}, {0}, {500}, 0, 0, 6000},
        {"pv and wind", false, 6000, {5}, {250}, {100}, 0, 0, 1250},
        {"no battery, surplus", true, 0, {5}, {100}, {200}, 0, 400, 0},
        {"no battery, deficit", true, 0, {0}, {100}, {300}, 200, 0, 0},
    };
    for (const Case& c : cases) {
        SimParams.BatStartFull = c.startFull;
        const TSimResult r = Run(c.wind, c.pv, c.load, c.capacity);
        ASSERT_EQ(FHours.size(), c.wind.size()) << c.name;
        const Hour& last = FHours.back();
        EXPECT_EQ(last.genset, c.genset) << c.name;
        EXPECT_EQ(last.dump, c.dump) << c.name;
        EXPECT_EQ(last.charge, c.charge) << c.name;
        EXPECT_EQ(r.FinalCharge, c.charge) << c.name;
        EXPECT_EQ(r.InitialCharge, c.startFull ? c.capacity : 0.1 * c.capacity) << c.name;
    }
}

TEST_F(SimulateTest, TotalsSharesAndBalance) {
    WindVelFactor = 2;
    SimParams.WGCount = 2;
    const TFloatArray wind = {0, 1.5, 0.5, 3, 0, 0, 10, 0};
    const TFloatArray pv = {0, 0, 100, 300, 0, 0, 0, 50};
    const TFloatArray load = {900, 800, 100, 100, 3000, 3000, 50, 400};
    const TSimResult r = Run(wind, pv, load, 4000);
    ASSERT_EQ(FHours.size(), 8u);
    EXPECT_EQ(FHours[1].wp, 1000); // speed 3 m/s with two generators
    EXPECT_EQ(FHours[2].wp, 0);    // 1 m/s: first segment
    double wp = 0, genset = 0, dump = 0;
    for (const Hour& h : FHours) {
        wp += h.wp;
        genset += h.genset;
        dump += h.dump;
    }
    EXPECT_EQ(r.TotWind, wp);
    EXPECT_EQ(r.TotGenset, genset);
    EXPECT_EQ(r.TotDump, dump);
    EXPECT_EQ(r.TotPV, 450);
    EXPECT_EQ(r.TotLoad, 8350);
    EXPECT_GT(r.TotGenset, 0);
    EXPECT_GT(r.TotDump, 0);
    // Energy is conserved; the dump is charged to wind and PV in proportion.
    EXPECT_EQ(r.TotWind + r.TotPV + r.TotGenset - r.TotDump + r.InitialCharge - r.FinalCharge,
              r.TotLoad);
    EXPECT_NEAR(r.WindShare + r.PVShare, (r.TotWind + r.TotPV - r.TotDump) / r.TotLoad, 1e-12);
    EXPECT_EQ(r.GensetShare, r.TotGenset / r.TotLoad);
    EXPECT_NEAR(r.WindShare / r.PVShare, r.TotWind / r.TotPV, 1e-12);
}

// The battery's floor follows the safety coefficient: 0.25 of 4000 Wh is 1000 Wh.
TEST_F(SimulateTest, SafetyCoefficientSetsTheBatteryFloor) {
    BatSafeCoef = 0.25;
    struct Case {
        const char* name;
        bool startFull;
        TFloatArray wind, pv, load;
        double genset, dump, charge, initial;
    };
    const Case cases[] = {
        {"empty start, deficit", false, {0}, {0}, {300}, 300, 0, 1000, 1000},
        {"full, deficit down to the floor", true, {0}, {0}, {3000}, 0, 0, 1000, 4000},
        {"full, deficit below the floor", true, {0}, {0}, {3500}, 500, 0, 1000, 4000},
        {"empty start, surplus", false, {5}, {0}, {100}, 0, 0, 1400, 1000},
    };
    for (const Case& c : cases) {
        SimParams.BatStartFull = c.startFull;
        const TSimResult r = Run(c.wind, c.pv, c.load, 4000);
        ASSERT_EQ(FHours.size(), 1u) << c.name;
        EXPECT_EQ(FHours[0].genset, c.genset) << c.name;
        EXPECT_EQ(FHours[0].dump, c.dump) << c.name;
        EXPECT_EQ(r.FinalCharge, c.charge) << c.name;
        EXPECT_EQ(r.InitialCharge, c.initial) << c.name;
    }
}

TEST_F(SimulateTest, DegenerateInputs) {
    // No hours.
    TSimResult r = Run({}, {}, {}, 6000);
    EXPECT_TRUE(FHours.empty());
    EXPECT_EQ(r.FinalCharge, r.InitialCharge);
    EXPECT_EQ(r.TotLoad, 0);
    EXPECT_EQ(r.WindShare + r.PVShare + r.GensetShare, 0);
    // No load, some wind.
    r = Run({5, 5}, {0, 0}, {0, 0}, 6000);
    EXPECT_EQ(r.TotLoad, 0);
    EXPECT_GT(r.TotWind, 0);
    EXPECT_EQ(r.WindShare + r.PVShare + r.GensetShare, 0);
    // No production.
    SimParams.BatStartFull = false;
    r = Run({0, 0}, {0, 0}, {100, 300}, 6000);
    EXPECT_EQ(r.WindShare, 0);
    EXPECT_EQ(r.PVShare, 0);
    EXPECT_EQ(r.GensetShare, 1.0);
    // PV and load shorter than the wind: only the hours all three hold.
    r = Run({5, 5, 5, 5}, {1, 2, 3}, {10, 20}, 6000);
    EXPECT_EQ(FHours.size(), 2u);
    EXPECT_EQ(r.TotPV, 3);
    // No curve: nothing happens.
    TSimResult untouched;
    untouched.TotLoad = 77;
    bool called = false;
    Simulate(
        {5}, {0}, {1}, nullptr, 6000,
        [&](int, double, double, double, double, double, double) { called = true; }, untouched);
    EXPECT_EQ(untouched.TotLoad, 77);
    EXPECT_FALSE(called);
    // No callback.
    Simulate({5}, {0}, {1}, &FCurve, 6000, nullptr, r);
    EXPECT_EQ(r.TotLoad, 1);
}

// ---------------------------------------------------------------------------
// Wind statistics

TEST(StatisticsTest, GammaFn) {
    EXPECT_NEAR(GammaFn(1), 1, 1e-9);
    EXPECT_NEAR(GammaFn(2), 1, 1e-9);
    EXPECT_NEAR(GammaFn(0.5), std::sqrt(M_PI), 1e-9);
    EXPECT_NEAR(GammaFn(5), 24, 1e-7);
    EXPECT_EQ(GammaFn(0), 0);
}

TEST(StatisticsTest, WeibullFitByMoments) {
    double c = 0, k = 0, fitMean = 0, fitStdDev = 0;
    ASSERT_TRUE(WeibullFit(6.0, 3.0, c, k, fitMean, fitStdDev));
    EXPECT_NEAR(k, 2.10, 0.005);
    EXPECT_NEAR(c, 6.77, 0.005);
    EXPECT_NEAR(fitMean, 6.0, 1e-6);
    EXPECT_NEAR(fitStdDev, 3.0, 1e-6);
    EXPECT_NEAR(WeibullEq(k), 0, 1e-9);

    for (const auto& [mean, stdDev] : {std::pair{6.0, 0.0}, {0.0, 3.0}, {-2.0, 1.0}}) {
        double c2 = 1, k2 = 2, m2 = 3, s2 = 4;
        EXPECT_FALSE(WeibullFit(mean, stdDev, c2, k2, m2, s2));
        EXPECT_EQ(std::tuple(c2, k2, m2, s2), std::tuple(1.0, 2.0, 3.0, 4.0));
    }
}

// A root search that fails, or ends on a shape that is not a finite positive number,
// falls back to the first estimate; statistics that no finite fit holds give false.
TEST(StatisticsTest, WeibullFitFallsBackAndNeverSucceedsWithoutAFiniteFit) {
    struct Case {
        double mean, stdDev;
        bool fits;
    };
    const Case cases[] = {
        {1, 10, true},      // the search stops with a large residual
        {1, 3, true},       // the search ends on a value that is not a number
        {1, 1e-300, false}, // the estimate itself is infinite
        {1, 1e6, false},    // the scale underflows to zero
    };
    for (const Case& c : cases) {
        double scale = 1, shape = 2, fitMean = 3, fitStdDev = 4;
        const bool fitted = WeibullFit(c.mean, c.stdDev, scale, shape, fitMean, fitStdDev);
        ASSERT_EQ(fitted, c.fits) << c.stdDev;
        if (c.fits) {
            EXPECT_EQ(shape, std::pow(c.stdDev / c.mean, -1.086)) << c.stdDev;
            EXPECT_TRUE(std::isfinite(scale) && scale > 0) << c.stdDev;
            EXPECT_NEAR(fitMean, c.mean, 1e-9) << c.stdDev;
        } else {
            EXPECT_EQ(std::tuple(scale, shape, fitMean, fitStdDev), std::tuple(1.0, 2.0, 3.0, 4.0));
        }
    }
}

// Across coefficients of variation from 0.01 to 100 a fit either gives finite numbers for
// every output or reports failure and leaves them alone; wide spreads (about 60 to 113)
// overflow the fitted deviation and must not pass as a fit.
TEST(StatisticsTest, WeibullFitSucceedsOnlyWithEveryOutputFinite) {
    int fitted = 0;
    int refused = 0;
    for (int step = 0; step <= 4000; ++step) {
        const double cv = 0.01 * std::pow(10.0, step / 1000.0);
        const double mean = 5;
        double scale = 1, shape = 2, fitMean = 3, fitStdDev = 4;
        if (WeibullFit(mean, cv * mean, scale, shape, fitMean, fitStdDev)) {
            ++fitted;
            ASSERT_TRUE(std::isfinite(scale) && std::isfinite(shape) && std::isfinite(fitMean) &&
                        std::isfinite(fitStdDev))
                << "cv " << cv << ": c " << scale << " k " << shape << " mean " << fitMean
                << " deviation " << fitStdDev;
            EXPECT_GT(scale, 0) << cv;
            EXPECT_GT(shape, 0) << cv;
            if (cv <= 2.5) {
                EXPECT_NEAR(fitStdDev / fitMean, cv, 1e-6 * cv) << cv;
            }
        } else {
            ++refused;
            ASSERT_EQ(std::tuple(scale, shape, fitMean, fitStdDev), std::tuple(1.0, 2.0, 3.0, 4.0))
                << cv;
        }
    }
    EXPECT_GT(fitted, 2000);
    EXPECT_GT(refused, 0);
}

TEST(StatisticsTest, GaussRandom) {
    RandSeed = 1234;
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(GaussRandom(10, 0), 10);
    double sum = 0, sumSq = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double x = GaussRandom(5, 2);
        sum += x;
        sumSq += x * x;
    }
    const double mean = sum / n;
    EXPECT_NEAR(mean, 5, 0.1);
    EXPECT_NEAR(std::sqrt(sumSq / n - mean * mean), 2, 0.1);
}

// ---------------------------------------------------------------------------
// Model state

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFileName(FDir.File("orvanti")); }
    void TearDown() override {
        FinalizeModel();
        SetProgramFileName("");
    }
    TempDir FDir;
};

TEST_F(ModelTest, StartsFromTheDefaultsWithoutFiles) {
    InitModel();
    EXPECT_EQ(AppDir(), FDir.Path().string());
    EXPECT_TRUE(DefaultLoadErrors.empty());
    EXPECT_EQ(PwrCurve->PointCount(), 0);
    EXPECT_EQ(PhFactors->GetFactor(7, 12), 0);
    EXPECT_EQ(DevList->Count(), 0);
    for (const TFloatArray* a : {&WindSpeed, &WGProduction, &DemandLoad, &PVProduction,
                                 &BatteryCharge, &GensetProduction, &Surplus})
        EXPECT_EQ(*a, TFloatArray(HoursPerYear, 0.0));
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", BaseDate), "1991-01-01 00:00");
    ASSERT_EQ(SeasonList->Count(), 1);
    EXPECT_EQ(SeasonList->GetSeason(0)->Description(), "Ολο το έτος");
    EXPECT_EQ(SeasonList->GetSeason(0)->Days(), 365);
    EXPECT_EQ(DirList->Count(), 0);
    EXPECT_EQ(SavedDecimalSeparator, DecimalSeparator);

    FinalizeModel();
    EXPECT_TRUE(WindSpeed.empty());
    EXPECT_EQ(PwrCurve, nullptr);
}

// A run started again in the same process (the program's windows made anew) never inherits
// the parameters the former run was left with.
TEST_F(ModelTest, EveryRunStartsFromTheStartParameters) {
    const auto change = [] {
        BatCapacity = 1;
        BatSafeCoef = 0.5;
        BatVoltage = 48;
        BatLossesPerHour = 0.2;
        WindVelFactor = 2;
        PwrFacSteps = 3;
        PVPower = 0;
        HZPower = 8;
        HZConType = 1;
        HZCalc = false;
        SimParams = {0.5, 3, false};
    };
    const auto expectStart = [](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_EQ(BatCapacity, 6000);
        EXPECT_EQ(BatSafeCoef, 0.1);
        EXPECT_EQ(BatVoltage, 24);
        EXPECT_EQ(BatLossesPerHour, 0.01);
        EXPECT_EQ(WindVelFactor, 1);
        EXPECT_EQ(PwrFacSteps, 20);
        EXPECT_EQ(PVPower, 500);
        EXPECT_EQ(HZPower, 5000);
        EXPECT_EQ(HZConType, 0);
        EXPECT_TRUE(HZCalc);
        EXPECT_EQ(SimParams.EquGensetShare, 0.05);
        EXPECT_EQ(SimParams.WGCount, 1);
        EXPECT_TRUE(SimParams.BatStartFull);
    };
    change();
    InitModel();
    expectStart("InitModel");
    change();
    FinalizeModel();
    expectStart("FinalizeModel");
}

TEST_F(ModelTest, LoadsTheDefaultFilesBesideTheProgram) {
    std::string dat = "a\r\nb\r\nc\r\n";
    for (int i = 0; i < 100; ++i)
        dat += std::to_string(i) + "\r\n";
    FDir.Write("default.dat", dat);
    FDir.Write("default.pow", "WG\r\nx\r\n1 1\r\n0 0\r\n2 0\r\n3 100\r\n");
    FDir.Write("default.pph", SmallPph());
    InitModel();
    EXPECT_TRUE(DefaultLoadErrors.empty());
    EXPECT_EQ(WindSpeed.size(), 100u);
    EXPECT_EQ(WindSpeed[99], 99);
    EXPECT_EQ(DemandLoad.size(), size_t(HoursPerYear));
    EXPECT_EQ(PwrCurve->ModelName(), "WG");
    EXPECT_EQ(PwrCurve->PointCount(), 3);
    EXPECT_EQ(PhFactors->GetFactor(2, 0), 0.25);
}

TEST_F(ModelTest, TheShippedDefaultFilesAndCatalogueRead) {
    SetProgramFileName(std::string(APP_DATA_DIR) + "/orvanti");
    InitModel();
    EXPECT_TRUE(DefaultLoadErrors.empty()) << DefaultLoadErrors.front();
    EXPECT_EQ(WindSpeed.size(), size_t(HoursPerYear));
    EXPECT_GT(PwrCurve->PointCount(), 2);
    EXPECT_GT(PwrCurve->RatedPower(), 0);
    double sunshine = 0;
    for (int m = 1; m <= 12; ++m)
        for (int h = 0; h < 24; ++h)
            sunshine += PhFactors->GetFactor(m, h);
    EXPECT_GT(sunshine, 0);
    int devices = 0;
    for (const auto& entry : fs::directory_iterator(std::string(APP_DATA_DIR) + "/devices")) {
        if (entry.path().extension() != ".idev")
            continue;
        TIniFile ini(entry.path().string());
        auto device = TDeviceEl::CreateFromCatalog(ini);
        EXPECT_NE(device->Name(), "Αγνωστη Συσκευή") << entry.path();
        ++devices;
    }
    EXPECT_GT(devices, 0);
}

TEST_F(ModelTest, AFailingDefaultFileIsRecordedAndTheOthersLoad) {
    FDir.Write("default.pow", "WG\r\nx\r\n1 1\r\n0 0\r\n2 0\r\n3 1x00\r\n");
    FDir.Write("default.pph", SmallPph());
    InitModel();
    ASSERT_EQ(DefaultLoadErrors.size(), 1u);
    // The reader's message names the file, once.
    const std::string message = DefaultLoadErrors[0];
    EXPECT_EQ(message.find(FDir.File("default.pow")), message.rfind(FDir.File("default.pow")))
        << message;
    EXPECT_NE(message.find(FDir.File("default.pow") + ", γραμμή 6"), std::string::npos) << message;
    EXPECT_EQ(PwrCurve->PointCount(), 0); // as created, not half read
    EXPECT_EQ(PhFactors->GetFactor(2, 0), 0.25);
    EXPECT_EQ(WindSpeed.size(), size_t(HoursPerYear));
}

// A FIFO or a folder in place of a default file gives a message at once instead of
// holding up the start for ever.
TEST_F(ModelTest, DefaultFilesThatAreNotRegularFilesAreReportedWithoutWaiting) {
    ASSERT_EQ(mkfifo(FDir.File("default.pow").c_str(), 0600), 0);
    fs::create_directory(FDir.File("default.dat"));
    FDir.Write("default.pph", SmallPph());
    InitModel();
    ASSERT_EQ(DefaultLoadErrors.size(), 1u);
    const std::string message = DefaultLoadErrors[0];
    EXPECT_NE(message.find(FDir.File("default.pow")), std::string::npos) << message;
    EXPECT_EQ(message.find(FDir.File("default.pow")), message.rfind(FDir.File("default.pow")))
        << message;
    EXPECT_NE(DefaultLoadErrors[0].find(FrameworkTexts::NotRegularFile), std::string::npos)
        << DefaultLoadErrors[0];
    EXPECT_EQ(PhFactors->GetFactor(2, 0), 0.25);
}

} // namespace

// The period editor and the form storage reach a period's values by property name.
TEST(SeasonTest, PublishedPropertiesReachTheFields) {
    TSeasonList list;
    TSeason* season = list.AddSeason();
    std::vector<std::string> names;
    for (PPropInfo p : TSeason::StaticClass()->Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"DayStart", "DayStop", "HourStart", "HourStop",
                                               "Days", "Description", "WayOp"}));
    SetOrdProp(season, GetPropInfo(season, "hourstart"), 744);
    EXPECT_EQ(season->DayStart(), 32);
    SetStrProp(season, GetPropInfo(season, "Description"), "Άνοιξη");
    EXPECT_EQ(season->Description(), "Άνοιξη");
    SetOrdProp(season, GetPropInfo(season, "WayOp"), 2);
    EXPECT_EQ(GetOrdProp(season, GetPropInfo(season, "WayOp")), 2);
    EXPECT_EQ(GetOrdProp(season, GetPropInfo(season, "Days")), 365 - 32 + 1);
    EXPECT_EQ(list.Items(0)->ClassName(), "TSeason");
}
