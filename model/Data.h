#pragma once
// The year model of Orvanti: the power curve, devices and device lists, operating periods,
// sunshine factors and measurement series, the hourly energy balance, wind statistics, and
// the global model state that lives from InitModel to FinalizeModel.
//
// Units: power W, energy Wh (an hourly value is that hour's energy), wind speed m/s.
// The year has 8760 hours; element 0 of an hourly array is 1 January 00:00-01:00.

#include "framework/core/Classes.h"
#include "framework/core/IniFiles.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TypeInfo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int HoursPerYear = 8760;

// The largest files the model reads, far above any real one: a power curve is a few
// hundred lines, a table of hourly factors 24, a device list about 7.5 kB a device (and at
// most 1000 devices); a series of values (.dat) takes the text readers' own limit, 64 MB.
// A larger file is refused before it is read.
inline constexpr int64_t kMaxPowFileSize = int64_t(4) << 20;
inline constexpr int64_t kMaxPphFileSize = int64_t(1) << 20;
inline constexpr int64_t kMaxDevListFileSize = int64_t(64) << 20;

// Limits of the numbers the readers and the editors accept. The year's balance multiplies
// and sums them: an hour's wind energy is a curve power x a power factor of at most 1.5 x
// the generators, an hour's load at most 1000 devices x kMaxDevCount x kMaxPower, and the
// totals add 8760 of these, all below 1e30 Wh, far from overflow. The shares divide by the
// year's load, which is never negative and, unless it is 0, at least kMinRatedPower x
// kMinHourFactor: a quotient that cannot overflow either. Every limit lies far beyond
// what a real file or system holds.
inline constexpr double kMaxPower = 1e12;      // W: curve powers (either sign), rated and PV powers
inline constexpr double kMinRatedPower = 1e-9; // W: a device's smallest rated power but 0
inline constexpr double kMinHourFactor = 1e-9; // a device's smallest hourly factor but 0
inline constexpr int kMaxDevCount = 1000000;   // units of one device
// m/s: wind speeds of a series or a curve (a logger's 9999 for a missing hour still reads).
inline constexpr double kMaxWindSpeed = 1e6;
inline constexpr double kMaxWindVelFactor = 1000; // multiplier on every wind speed
inline constexpr double kMaxBatCapacity = 1e15;   // Wh
inline constexpr double kMaxSunshineFactor = 100; // so that a table in per cent still reads

// True when value lies within minValue..maxValue and, with smallestNonZero above 0, is 0 or
// at least smallestNonZero (NaN never is).
bool ValueInRange(double value, double minValue, double maxValue, double smallestNonZero = 0);
// The allowed values for a message, the bounds in plain decimals with the locale's
// separator: "Επιτρεπτές τιμές: από 0 έως 100.", "... από 0 και πάνω." for an infinite
// maxValue, "Επιτρεπτές τιμές: 0 ή από 0.000000001 έως 1." with a smallest value but 0.
std::string ValueRangeText(double minValue, double maxValue, double smallestNonZero = 0);

// ---------------------------------------------------------------------------
// Wind-generator power curve (.pow files, read only)

struct TPwrCurvePoint {
    double Speed = 0; // m/s
    double Power = 0; // W
};

class TWindPwrCurve : public TObject {
public:
    TWindPwrCurve() = default;
    std::string ClassName() const override { return "TWindPwrCurve"; }

    // The points in file order; PowerAt expects ascending speeds and does not sort.
    const std::vector<TPwrCurvePoint>& Points() const { return FPoints; }
    void AddPoint(const TPwrCurvePoint& point);
    // Index above the last point does nothing.
    void DeletePoint(int index);
    int PointCount() const { return int(FPoints.size()); }
    // Index outside 0..PointCount() - 1 raises EListError.
    TPwrCurvePoint GetPoint(int index) const;
    void SetPointSpeed(int index, double value);
    void SetPointPower(int index, double value);

    double RatedPower() const { return FRatedPower; }
    void SetRatedPower(double value) { FRatedPower = value; }
    double RatedSpeed() const { return FRatedSpeed; }
    void SetRatedSpeed(double value) { FRatedSpeed = value; }
    const std::string& ModelName() const { return FModelName; }
    void SetModelName(std::string value) { FModelName = std::move(value); }
    // Multiplier on every interpolated power.
    double PowerFactor() const { return FPowerFactor; }
    void SetPowerFactor(double value) { FPowerFactor = value; }

    // Replaces the curve by a .pow file. Raises EInOutError when the file cannot be opened
    // (the curve is then empty), holds a malformed number (the points read stay), a speed
    // or a power beyond kMaxWindSpeed or kMaxPower (either sign) once scaled, naming the
    // file and line, or no point at all (the curve stays as it was before the call).
    void LoadFromFile(const std::string& fileName);

    // The power at wind speed v: 0 outside the curve and up to the second point's speed,
    // linear between the two points around v above it.
    double PowerAt(double v) const;

private:
    void CheckIndex(int index) const;
    int FirstPointAtOrAbove(double v) const;
    void BuildIndex() const;

    std::vector<TPwrCurvePoint> FPoints;
    double FRatedPower = 0;
    double FRatedSpeed = 12.0;
    std::string FModelName;
    double FPowerFactor = 1.0;

    // Search index for PowerAt, rebuilt after the points change: the running maximum of
    // the speeds (its first element >= v is at the first point whose speed >= v, also for
    // a curve that is not ascending) and, per bucket of speeds, where to start looking.
    mutable bool FIndexValid = false;
    mutable std::vector<double> FMaxSpeed;
    mutable std::vector<int> FBucketStart;
    mutable double FBucketOrigin = 0;
    mutable double FBucketScale = 0;
};

// ---------------------------------------------------------------------------
// Devices and device lists (.idev catalogue files, .dvl device lists)

// One device's daily profile for one period: the fraction of the rated power drawn in
// each hour of the day, 0..1.
class THourOp : public TObject {
public:
    std::string ClassName() const override { return "THourOp"; }
    // Hour outside 0..23 raises EListError.
    double GetFactor(int hour) const;
    void SetFactor(int hour, double value);
    const std::array<double, 24>& Factors() const { return FFactors; }

private:
    std::array<double, 24> FFactors{};
};

// One profile per period, index = the period's index in SeasonList.
class THourOpList {
public:
    int Count() const { return int(FItems.size()); }
    // Period outside 0..Count() - 1 raises EListError.
    THourOp* GetHourOp(int period) const;
    double GetFactor(int period, int hour) const;
    void SetFactor(int period, int hour, double value);
    // Appends a profile of zeros.
    THourOp* Add();
    void Delete(int period);
    void Clear() { FItems.clear(); }

private:
    void CheckIndex(int index) const;
    std::vector<std::unique_ptr<THourOp>> FItems;
};

class TDeviceEl : public TObject {
public:
    // No name, power 0, one unit, rated power known, one profile of zeros.
    TDeviceEl();
    std::string ClassName() const override { return "TDeviceEl"; }

    // Every field of source, with copies of its profiles.
    static std::unique_ptr<TDeviceEl> CreateCopy(const TDeviceEl& source);
    // A catalogue device from an open .idev file. A file that cannot be read (wide text,
    // over the size limit, no regular file, a dangling link) raises EInOutError naming the
    // file; a missing section or key gives the key's default, so a file with no [dev]
    // section is "Αγνωστη Συσκευή" of unknown rated power 0. A value that is no number at
    // all gives its key's default; a number is refused, raising EInOutError naming the
    // file, the section and the key, when it lies outside its limits (rated power
    // kMaxPower, kMinRatedPower; hourly factors 0 to 1, kMinHourFactor) or is one its type
    // cannot hold ("1e400", "inf", "nan"; "3000000000", "2.5" or "0.0" for a whole number
    // or a yes/no key, where 0 is no and any other whole number yes).
    static std::unique_ptr<TDeviceEl> CreateFromCatalog(TCustomIniFile& ini);
    // A device from a section of an open .dvl file, with every profile stored there; its
    // numbers are refused as CreateFromCatalog refuses them, and so is a DevCount outside
    // 0 to kMaxDevCount.
    static std::unique_ptr<TDeviceEl> CreateFromSection(TCustomIniFile& ini,
                                                        std::string_view section);

    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { FImageIndex = value; }
    const std::string& Name() const { return FName; }
    void SetName(std::string value) { FName = std::move(value); }
    double RatedPower() const { return FRatedPower; } // W, one unit
    void SetRatedPower(double value) { FRatedPower = value; }
    int DevCount() const { return FDevCount; }
    void SetDevCount(int value) { FDevCount = value; }
    bool KnownRatedPower() const { return FKnownRatedPower; }
    void SetKnownRatedPower(bool value) { FKnownRatedPower = value; }
    bool NotKnownOp() const { return FNotKnownOp; }
    void SetNotKnownOp(bool value) { FNotKnownOp = value; }
    THourOpList& HourOps() { return FHourOps; }
    const THourOpList& HourOps() const { return FHourOps; }

    // Makes the profile list hold at least n + 1 profiles; each new one copies the last.
    void EnsureSeasons(int n);
    // Removes profile index; an index above the last profile does nothing.
    void DeleteSeason(int index);
    // Energy of one unit over a day with period 0's profile, Wh.
    double DailyEnergy() const;
    // Replaces the section with the device.
    void SaveToSection(TCustomIniFile& ini, std::string_view section) const;

private:
    int FImageIndex = 0;
    std::string FName;
    double FRatedPower = 0;
    int FDevCount = 1;
    bool FKnownRatedPower = true;
    bool FNotKnownOp = false;
    THourOpList FHourOps;
};

class TDevList : public TObject {
public:
    std::string ClassName() const override { return "TDevList"; }
    int Count() const { return int(FItems.size()); }
    // Index outside 0..Count() - 1 raises EListError.
    TDeviceEl* GetDevice(int index) const;
    // Appends the device and returns its index.
    int Add(std::unique_ptr<TDeviceEl> device);
    void Delete(int index);
    void Clear() { FItems.clear(); }

    // The hourly demand: element i is the sum over the devices of rated power x units x
    // period 0's factor of hour i mod 24. The length of a is kept.
    void FillLoad(TFloatArray& a) const;
    // Replaces the list by a .dvl file. A file that cannot be read, that states no count
    // (no [devlist] section: an empty file, bytes of no format) or whose count is no whole
    // number from 0 to the limit raises EInOutError and leaves the list as it was; so does
    // a device whose numbers CreateFromSection refuses.
    void LoadFromFile(const std::string& fileName);
    // Writes the list into a .dvl file: other sections of the file stay, every device
    // section of an earlier list goes, and the file is replaced once, in one piece. A
    // refused write raises EInOutError "Unable to write to %s".
    void SaveToFile(const std::string& fileName) const;

private:
    void CheckIndex(int index) const;
    std::vector<std::unique_ptr<TDeviceEl>> FItems;
};

// ---------------------------------------------------------------------------
// Operating periods (.ssn files)

// Display names of TSeason::WayOp.
inline constexpr std::array<const char*, 3> WayOpNames = {"Συνεχής", "Σαββατοκύριακα",
                                                          "Καθημερινές"};

class TSeason : public TCollectionItem {
    ORV_CLASS(TSeason, TCollectionItem)
    explicit TSeason(TCollection* collection) : TCollectionItem(collection) {}
    // DayStart, DayStop, HourStart, HourStop, Days (read only), Description, WayOp.
    static void Publish(TPublisher<TSeason>& p);

    int DayStart() const { return FDayStart; } // day of the year, 1..365
    void SetDayStart(int value) { FDayStart = value; }
    // May be smaller than DayStart for a period across New Year.
    int DayStop() const { return FDayStop; }
    void SetDayStop(int value) { FDayStop = value; }
    int HourStart() const { return FDayStart * 24; }
    void SetHourStart(int value) { FDayStart = value / 24 + 1; }
    int HourStop() const { return FDayStop * 24; }
    void SetHourStop(int value) { FDayStop = value / 24 + 1; }
    int Days() const;
    const std::string& Description() const { return FDescription; }
    void SetDescription(std::string value) { FDescription = std::move(value); }
    // 0 continuous, 1 weekends, 2 weekdays.
    uint8_t WayOp() const { return FWayOp; }
    void SetWayOp(uint8_t value) { FWayOp = value; }

private:
    int FDayStart = 1;
    int FDayStop = 365;
    std::string FDescription;
    uint8_t FWayOp = 0;
};

class TSeasonList : public TCollection {
    ORV_CLASS(TSeasonList, TCollection)
    TSeasonList();
    TSeason* AddSeason();
    // Index outside 0..Count() - 1 raises EListError.
    TSeason* GetSeason(int index) const;
    // nullptr for an empty list.
    TSeason* LastSeason() const;
    // Replaces the list by the file's periods. A file that is missing or cannot be read,
    // that states no count (no [Seasons] section), a count that is no whole number from 0
    // to the limit, a day outside the year, or a day or way of operation written as a
    // number that is no whole number an int holds raises EInOutError and leaves the list as
    // it was.
    void LoadFromIni(TCustomIniFile& ini);
    // Writes every period; the sections of a longer earlier list go, other sections and
    // keys of the file stay.
    void SaveToIni(TCustomIniFile& ini) const;
};

// ---------------------------------------------------------------------------
// Sunshine factors (.pph) and measurement series (.dat / .exp)

class TPhFactors : public TObject {
public:
    std::string ClassName() const override { return "TPhFactors"; }
    // Month 1..12, hour 0..23; others raise EListError.
    double GetFactor(int month, int hour) const;
    void SetFactor(int month, int hour, double value);
    // Reads 24 lines of 12 numbers (months 1..12 of each hour). A file of no number at all
    // raises EInOutError with the factors unchanged; a file that ends before the 288th
    // number, a malformed number or one outside 0 to kMaxSunshineFactor raises it, naming
    // the file (and the line of a number), after the values before it are stored.
    void LoadFromFile(const std::string& fileName);
    // Writes 24 lines of 12 fields of 23 characters each.
    void SaveToFile(const std::string& fileName) const;

private:
    static void CheckIndex(int month, int hour);
    std::array<std::array<double, 24>, 12> FFactors{};
};

// Replaces a by the numbers of a measurement file: three header lines, then the first
// number of each line. Raises EInOutError when the file cannot be opened or holds nothing
// but its header lines (a is then empty), and on a malformed number or one outside 0 to
// kMaxWindSpeed, naming the file and its line (a keeps what was read, plus a 0 for the
// element being read).
void LoadColumn(const std::string& fileName, TFloatArray& a);

// ---------------------------------------------------------------------------
// Hourly energy balance

struct TSimResult {
    double TotWind = 0;       // wind-generator energy
    double TotPV = 0;         // photovoltaic energy
    double TotGenset = 0;     // energy the generator set supplies
    double TotDump = 0;       // surplus energy dumped
    double TotLoad = 0;       // demand
    double InitialCharge = 0; // battery content before the first hour
    double FinalCharge = 0;   // battery content after the last hour
    double WindShare = 0;     // shares of TotLoad, fractions
    double PVShare = 0;
    double GensetShare = 0;
};

// Called once per hour with the hour's energies and the battery content after it.
using TSimHourEvent = std::function<void(int hour, double windPower, double pvPower, double load,
                                         double genset, double dump, double charge)>;

// Runs the energy balance over the hours that wind, pv and load all hold. An absent curve
// leaves r as it was. Reads BatSafeCoef, WindVelFactor, SimParams.WGCount and
// SimParams.BatStartFull.
void Simulate(const TFloatArray& wind, const TFloatArray& pv, const TFloatArray& load,
              const TWindPwrCurve* curve, double capacity, const TSimHourEvent& onHour,
              TSimResult& r);

// ---------------------------------------------------------------------------
// Wind statistics

// Coefficients of the six-term Lanczos series of the Gamma function.
inline constexpr std::array<double, 6> GammaCoef = {76.18009173,  -86.50532033,   24.01409822,
                                                    -1.231739516, 0.120858003e-2, -0.536382e-5};

// Inputs of the latest Weibull fit, read by WeibullEq.
extern double WeibullMean;
extern double WeibullStdDev;

// A normally distributed random number (polar method on Random()).
double GaussRandom(double mean, double stdDev);
// Gamma(x); 0 for x = 0.
double GammaFn(double x);
// Zero at the Weibull shape whose coefficient of variation is WeibullStdDev / WeibullMean.
double WeibullEq(double k);
// Fits a Weibull distribution (scale c, shape k) by the method of moments. False, with
// the outputs unchanged, for a standard deviation of 0 or a mean of 0 or less, or when
// no finite positive shape and scale with a finite fitted mean and deviation fit. A root search
// that fails or ends on a shape that is not finite and positive falls back to the estimate (stdDev
// / mean)^-1.086.
bool WeibullFit(double mean, double stdDev, double& c, double& k, double& fitMean,
                double& fitStdDev);

// ---------------------------------------------------------------------------
// The model state of a run, from InitModel to FinalizeModel

// The locale's decimal separator as found at start; readers and writers that force "."
// restore it.
extern char SavedDecimalSeparator;

extern std::unique_ptr<TPhFactors> PhFactors;
extern std::unique_ptr<TDevList> DevList;
extern TFloatArray WindSpeed;        // m/s
extern TFloatArray WGProduction;     // Wh
extern TFloatArray DemandLoad;       // Wh
extern TFloatArray PVProduction;     // Wh
extern TFloatArray BatteryCharge;    // Wh
extern TFloatArray GensetProduction; // Wh
extern TFloatArray Surplus;          // Wh
// The date of hour 0, for dates on hourly chart axes.
extern TDateTime BaseDate;
extern std::unique_ptr<TSeasonList> SeasonList;
extern std::unique_ptr<TWindPwrCurve> PwrCurve;
// name=value lines: a file-dialog filter and the last folder chosen with it.
extern std::unique_ptr<TStringList> DirList;

// Project parameters.
extern double BatCapacity;      // Wh
extern double BatSafeCoef;      // lowest allowed content, fraction of the capacity
extern double BatVoltage;       // V
extern double BatLossesPerHour; // fraction per hour (shown only)
extern double WindVelFactor;    // multiplier on every wind speed in Simulate
extern int PwrFacSteps;         // steps of the power-factor sweep
extern double PVPower;          // W
extern double HZPower;          // generator-set power, W
extern int HZConType;           // generator-set connection
extern bool HZCalc;             // generator-set power derived from the loads

struct TSimParams {
    double EquGensetShare = 0.05; // load share the battery sizing leaves to the generator set
    int WGCount = 1;              // number of wind generators
    bool BatStartFull = true;     // the battery starts the year full, else at its minimum
};
extern TSimParams SimParams;

// One line per default file that failed to read at start, naming the file once (the
// reader's message, or "<file>: <message>" when that does not name it), to be shown once
// the program can.
extern std::vector<std::string> DefaultLoadErrors;

// PV output per watt of PV power by hour of day, for the PV production of a year.
inline constexpr std::array<double, 24> PVDayProfile = {
    0,    0,   0,   0,   0,   0.01, 0.15, 0.3,  0.42, 0.59, 0.75, 0.9,
    0.95, 1.0, 1.0, 1.0, 1.0, 0.95, 0.91, 0.76, 0.6,  0.34, 0,    0};

// Creates the model state, the project parameters at their start values, and loads the
// default files beside the program.
void InitModel();
// Releases the model state and puts the project parameters back to their start values.
void FinalizeModel();
// Loads default.pph, default.pow and default.dat from AppDir when present. Each is read
// into an object of its own and taken over only when the whole file was read: a file that
// fails is recorded in DefaultLoadErrors and its object keeps what it held.
void LoadDefaults();
// The folder of the program file, without a trailing delimiter.
std::string AppDir();
void FillArray(TFloatArray& a, double value);
