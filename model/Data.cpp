#include "model/Data.h"

#include "framework/core/TextFiles.h"
#include "model/RootsEqu.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

[[noreturn]] void RaiseListIndex(int index) {
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

// Larger counts in a .dvl or .ssn file are refused as damaged; a period spans at least a day.
constexpr int kMaxDevices = 1000;
constexpr int kMaxSeasons = 365;
// More profiles than periods in one .dvl section are taken as a damaged file.
constexpr int kMaxStoredProfiles = kMaxSeasons;

// A number of a text file outside its limits, named with the file and its line.
[[noreturn]] void RaiseOutOfRange(const char* what, const std::string& value,
                                  const std::string& fileName, int line, const std::string& range) {
    throw EInOutError(
        Format("%s %s στο αρχείο %s, γραμμή %d. %s", {what, value, fileName, line, range}));
}

} // namespace

bool ValueInRange(double value, double minValue, double maxValue, double smallestNonZero) {
    if (!(value >= minValue && value <= maxValue))
        return false;
    return smallestNonZero <= 0 || value == 0 || std::fabs(value) >= smallestNonZero;
}

namespace {

// A bound of the allowed values in plain decimals with the locale's separator, never in
// scientific notation: every bound of every message reads alike ("0.000000001",
// "1000000000000000").
std::string RangeBound(double value) {
    char buffer[400];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, res.ptr);
    std::replace(text.begin(), text.end(), '.', DecimalSeparator);
    return text;
}

} // namespace

std::string ValueRangeText(double minValue, double maxValue, double smallestNonZero) {
    if (smallestNonZero > 0)
        return "Επιτρεπτές τιμές: 0 ή από " + RangeBound(smallestNonZero) + " έως " +
               RangeBound(maxValue) + ".";
    if (std::isinf(maxValue))
        return "Επιτρεπτές τιμές: από " + RangeBound(minValue) + " και πάνω.";
    return "Επιτρεπτές τιμές: από " + RangeBound(minValue) + " έως " + RangeBound(maxValue) + ".";
}

// ---------------------------------------------------------------------------
// TWindPwrCurve

void TWindPwrCurve::CheckIndex(int index) const {
    if (index < 0 || index >= PointCount())
        RaiseListIndex(index);
}

void TWindPwrCurve::AddPoint(const TPwrCurvePoint& point) {
    FPoints.push_back(point);
    FIndexValid = false;
}

void TWindPwrCurve::DeletePoint(int index) {
    if (index >= PointCount())
        return;
    CheckIndex(index);
    FPoints.erase(FPoints.begin() + index);
    FIndexValid = false;
}

TPwrCurvePoint TWindPwrCurve::GetPoint(int index) const {
    CheckIndex(index);
    return FPoints[index];
}

void TWindPwrCurve::SetPointSpeed(int index, double value) {
    CheckIndex(index);
    FPoints[index].Speed = value;
    FIndexValid = false;
}

void TWindPwrCurve::SetPointPower(int index, double value) {
    CheckIndex(index);
    FPoints[index].Power = value;
}

void TWindPwrCurve::LoadFromFile(const std::string& fileName) {
    // A value beyond the limits once scaled, and a file without a single point, are refused
    // with the curve as it was before: a huge point would give an infinite rated power and
    // energy balance, and a curve of no points no wind energy at all.
    struct TSaved {
        std::vector<TPwrCurvePoint> Points;
        double RatedPower;
        std::string ModelName;
        double PowerFactor;
    } saved{FPoints, FRatedPower, FModelName, FPowerFactor};
    const auto restore = [&] {
        FPoints = std::move(saved.Points);
        FRatedPower = saved.RatedPower;
        FModelName = std::move(saved.ModelName);
        FPowerFactor = saved.PowerFactor;
        FIndexValid = false;
    };
    // Speeds and powers of either sign: negative powers occur in real curves (a
    // generator's own consumption).
    const auto scaled = [&](const char* what, double value, double scale, double limit, int line) {
        const double result = value * scale;
        if (ValueInRange(result, -limit, limit))
            return result;
        restore();
        std::string shown = FloatToStrSep(value, '.');
        if (scale != 1)
            shown += " × " + FloatToStrSep(scale, '.');
        RaiseOutOfRange(what, shown, fileName, line, ValueRangeText(-limit, limit));
    };
    FPowerFactor = 1.0;
    FPoints.clear();
    FIndexValid = false;
    FModelName = ChangeFileExt(ExtractFileName(fileName), "");
    TTextReader reader(fileName, kMaxPowFileSize);
    FRatedPower = 0;
    TDecimalSeparatorGuard separator('.', SavedDecimalSeparator);

    std::string line = reader.ReadLine();
    if (!line.empty())
        FModelName = std::move(line);
    reader.ReadLine();
    const double speedScale = reader.ReadNumber();
    const double powerScale = reader.ReadNumber();
    reader.SkipLine();
    while (!reader.Eof()) {
        FPoints.emplace_back();
        TPwrCurvePoint& point = FPoints.back();
        point.Speed = reader.ReadNumber();
        const int speedLine = reader.Line();
        point.Power = reader.ReadNumber();
        const int powerLine = reader.Line();
        reader.SkipLine();
        point.Speed =
            scaled("Ακατάλληλη ταχύτητα ανέμου", point.Speed, speedScale, kMaxWindSpeed, speedLine);
        point.Power = scaled("Ακατάλληλη ισχύς", point.Power, powerScale, kMaxPower, powerLine);
        if (point.Power > FRatedPower)
            FRatedPower = point.Power;
    }
    // A final point of power 0 (a cut-out point, or a blank last line) is dropped.
    if (!FPoints.empty() && FPoints.back().Power == 0)
        FPoints.pop_back();
    // The header lines alone, or a single point of power 0, are no curve.
    if (FPoints.empty()) {
        restore();
        throw EInOutError(
            Format("Το αρχείο %s δεν περιέχει κανένα σημείο καμπύλης ισχύος (ταχύτητα και "
                   "ισχύς από την τέταρτη γραμμή και κάτω)",
                   {fileName}));
    }
}

void TWindPwrCurve::BuildIndex() const {
    const size_t n = FPoints.size();
    FMaxSpeed.resize(n);
    double running = FPoints[0].Speed;
    for (size_t i = 0; i < n; ++i) {
        running = std::max(running, FPoints[i].Speed);
        FMaxSpeed[i] = running;
    }
    const size_t buckets = 8 * n + 8;
    FBucketOrigin = FMaxSpeed.front();
    const double span = FMaxSpeed.back() - FBucketOrigin;
    FBucketScale = span > 0 && std::isfinite(span) ? double(buckets) / span : 0;
    FBucketStart.assign(buckets, int(n) - 1);
    // The bucket of a speed is monotone in the speed, so every speed of bucket b lies above
    // the running maxima of the points before FBucketStart[b].
    size_t i = 0;
    for (size_t b = 0; b < buckets; ++b) {
        while (i < n) {
            const double t = (FMaxSpeed[i] - FBucketOrigin) * FBucketScale;
            const size_t bi = !(t > 0) ? 0 : t >= double(buckets) ? buckets - 1 : size_t(t);
            if (bi >= b)
                break;
            ++i;
        }
        if (i < n)
            FBucketStart[b] = int(i);
    }
    FIndexValid = true;
}

int TWindPwrCurve::FirstPointAtOrAbove(double v) const {
    // Called with a valid index and v within the first and the last point's speed, so the
    // scan ends at the last point at the latest.
    const size_t buckets = FBucketStart.size();
    const double t = (v - FBucketOrigin) * FBucketScale;
    const size_t b = !(t > 0) ? 0 : t >= double(buckets) ? buckets - 1 : size_t(t);
    int i = FBucketStart[b];
    while (FMaxSpeed[i] < v)
        ++i;
    return i;
}

double TWindPwrCurve::PowerAt(double v) const {
    if (FPoints.empty())
        return 0;
    if (!(v >= FPoints.front().Speed && v <= FPoints.back().Speed))
        return 0;
    if (!FIndexValid) [[unlikely]]
        BuildIndex();
    // Up to the second point's speed (its running maximum), the first point at or above v
    // is one of the first two: the segment between them is not interpolated.
    if (FMaxSpeed.size() < 3 || v <= FMaxSpeed[1])
        return 0;
    const int i = FirstPointAtOrAbove(v);
    const TPwrCurvePoint& low = FPoints[i - 1];
    const TPwrCurvePoint& high = FPoints[i];
    const double pl = low.Power * FPowerFactor;
    const double ph = high.Power * FPowerFactor;
    return (v - low.Speed) * (ph - pl) / (high.Speed - low.Speed) + pl;
}

// ---------------------------------------------------------------------------
// THourOp, THourOpList

double THourOp::GetFactor(int hour) const {
    if (hour < 0 || hour > 23)
        RaiseListIndex(hour);
    return FFactors[hour];
}

void THourOp::SetFactor(int hour, double value) {
    if (hour < 0 || hour > 23)
        RaiseListIndex(hour);
    FFactors[hour] = value;
}

void THourOpList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndex(index);
}

THourOp* THourOpList::GetHourOp(int period) const {
    CheckIndex(period);
    return FItems[period].get();
}

double THourOpList::GetFactor(int period, int hour) const {
    return GetHourOp(period)->GetFactor(hour);
}

void THourOpList::SetFactor(int period, int hour, double value) {
    GetHourOp(period)->SetFactor(hour, value);
}

THourOp* THourOpList::Add() {
    FItems.push_back(std::make_unique<THourOp>());
    return FItems.back().get();
}

void THourOpList::Delete(int period) {
    CheckIndex(period);
    FItems.erase(FItems.begin() + period);
}

// ---------------------------------------------------------------------------
// TDeviceEl

namespace {

// The period index of a "h%2.2d_%2.2d" key, or -1 for another key.
int PeriodOfFactorKey(std::string_view key) {
    if (key.size() < 4 || (key[0] != 'h' && key[0] != 'H'))
        return -1;
    const size_t underscore = key.find('_');
    if (underscore == std::string_view::npos || underscore < 2 || underscore + 1 >= key.size())
        return -1;
    const auto isDigits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string_view period = key.substr(1, underscore - 1);
    if (!isDigits(period) || !isDigits(key.substr(underscore + 1)))
        return -1;
    int value = 0;
    const auto res = std::from_chars(period.data(), period.data() + period.size(), value);
    return res.ec == std::errc() ? value : -1;
}

// "h%2.2d_%2.2d" of period and hour, written directly: a list of devices reads and writes
// hundreds of thousands of these.
std::string FactorKey(int period, int hour) {
    std::string key(1, 'h');
    if (period >= 0 && period < 10)
        key += '0';
    key += std::to_string(period);
    key += '_';
    if (hour >= 0 && hour < 10)
        key += '0';
    key += std::to_string(hour);
    return key;
}

// ASCII text compared without regard to case with a lower-case name: the profile files'
// own rule for names of ASCII letters (no other character folds to one).
bool SameAsciiName(std::string_view text, std::string_view lowerName) {
    if (text.size() != lowerName.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
        if (c != lowerName[i])
            return false;
    }
    return true;
}

// The index of a list section named prefix + "%d" ("dev7", "SEASON0"), -1 for any other
// name, and INT_MAX for an index too large to be of any list.
int ListSectionIndex(std::string_view name, std::string_view lowerPrefix) {
    if (name.size() <= lowerPrefix.size() ||
        !SameAsciiName(name.substr(0, lowerPrefix.size()), lowerPrefix))
        return -1;
    const std::string_view digits = name.substr(lowerPrefix.size());
    // Format writes no leading zeros: "dev07" is another section.
    if (digits.size() > 1 && digits[0] == '0')
        return -1;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    int value = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return res.ec == std::errc() ? value : INT_MAX;
}

// "h%2.2d_%2.2d" of period and hour into buffer; the key's length.
size_t FactorKeyText(char* buffer, int period, int hour) {
    char* p = buffer;
    *p++ = 'h';
    if (period >= 0 && period < 10)
        *p++ = '0';
    p = std::to_chars(p, p + 12, period).ptr;
    *p++ = '_';
    if (hour >= 0 && hour < 10)
        *p++ = '0';
    p = std::to_chars(p, p + 12, hour).ptr;
    return size_t(p - buffer);
}

// The period and hour of a factor key as FactorKey writes it (case aside), false for any
// other key: lookups find only these.
bool ExactFactorKey(std::string_view key, int& period, int& hour) {
    const size_t underscore = key.find('_');
    if (key.size() < 6 || (key[0] != 'h' && key[0] != 'H') ||
        underscore == std::string_view::npos || key.size() - underscore != 3)
        return false;
    const std::string_view p = key.substr(1, underscore - 1);
    if (p.size() < 2 || (p.size() > 2 && p[0] == '0') || p.size() > 9)
        return false;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!std::all_of(p.begin(), p.end(), isDigit) || !isDigit(key[underscore + 1]) ||
        !isDigit(key[underscore + 2]))
        return false;
    std::from_chars(p.data(), p.data() + p.size(), period);
    hour = (key[underscore + 1] - '0') * 10 + (key[underscore + 2] - '0');
    return hour < 24;
}

// Where a value of a profile file stands, for a message.
struct TValuePlace {
    const std::string& FileName;
    std::string_view Section;
    std::string_view Key;
};

// What a value of a device or period file may hold: the message's first words and the
// allowed values.
struct TValueRule {
    const char* What;
    double Min;
    double Max;
    double SmallestNonZero = 0;
};

constexpr TValueRule kRatedPowerRule{"Ακατάλληλη ονομαστική ισχύς", 0, kMaxPower, kMinRatedPower};
constexpr TValueRule kHourFactorRule{"Ακατάλληλος συντελεστής λειτουργίας", 0, 1, kMinHourFactor};
constexpr TValueRule kDevCountRule{"Ακατάλληλο πλήθος συσκευών", 0, kMaxDevCount};
constexpr TValueRule kImageIndexRule{"Ακατάλληλος αριθμός εικονιδίου", INT_MIN, INT_MAX};
constexpr TValueRule kDayRule{"Ακατάλληλη ημέρα", 1, 365};
constexpr TValueRule kWayOpRule{"Ακατάλληλος τρόπος λειτουργίας", INT_MIN, INT_MAX};
constexpr TValueRule kYesNoRule{"Ακατάλληλη τιμή ναι/όχι", INT_MIN, INT_MAX};

// A value outside its rule, named with the file, the section and the key.
[[noreturn]] void RaiseRuledValue(const TValueRule& rule, std::string_view shown,
                                  const TValuePlace& place) {
    std::string text(shown.substr(0, 24));
    if (text.size() < shown.size())
        text += "...";
    throw EInOutError(Format("%s %s στο αρχείο %s, ενότητα [%s], κλειδί %s. %s",
                             {rule.What, text, place.FileName, place.Section, place.Key,
                              ValueRangeText(rule.Min, rule.Max, rule.SmallestNonZero)}));
}

// Profile files write their numbers with ".", whatever the locale.
bool IsFileNumber(std::string_view text) {
    return IsNumberText(text, '.');
}

// A real of a profile file. A value that is no number at all (empty, "abc") gives def; a
// number is a number however it is written, so one that no double holds ("1e400", "inf",
// "nan") is refused as one outside the rule is.
double RuledReal(std::string_view text, double def, const TValueRule& rule,
                 const TValuePlace& place) {
    double value = 0;
    if (!text.empty() && TryIniFloat(text, value)) {
        if (!ValueInRange(value, rule.Min, rule.Max, rule.SmallestNonZero))
            RaiseRuledValue(rule, FloatToStrSep(value, '.'), place);
        return value;
    }
    if (IsFileNumber(text))
        RaiseRuledValue(rule, text, place);
    return def;
}

// A whole number of a profile file: def for a value that is no number at all; a number that
// is no whole number an int holds ("3000000000", "2.5", "1e400") is refused with the rule's
// words, without the rule's range check (see RuledInteger).
int IniWhole(std::string_view text, int def, const TValueRule& rule, const TValuePlace& place) {
    int value = 0;
    if (!text.empty() && TryStrToInt(text, value))
        return value;
    if (IsFileNumber(text))
        RaiseRuledValue(rule, text, place);
    return def;
}

// The same, with a whole number outside the rule refused too.
int RuledInteger(std::string_view text, int def, const TValueRule& rule, const TValuePlace& place) {
    const int value = IniWhole(text, def, rule, place);
    if (!ValueInRange(value, rule.Min, rule.Max))
        RaiseRuledValue(rule, IntToStr(value), place);
    return value;
}

// A yes/no value of a profile file, written as a whole number: 0 is no, any other whole
// number yes, a value that is no number at all gives def. It is read as every whole number
// is, so a number that is no whole number an int holds ("2.5", "0.0", "inf",
// "3000000000") is refused rather than guessed at.
bool IniBoolean(std::string_view text, bool def, const TValuePlace& place) {
    return IniWhole(text, def ? 1 : 0, kYesNoRule, place) != 0;
}

int IniInteger(std::string_view value, int def) {
    int result = 0;
    return !value.empty() && TryStrToInt(value, result) ? result : def;
}

// Reads one device from the key=value pairs of its .dvl section, in file order, as key
// lookups would: the first of duplicate keys counts, values are unquoted, a value that is
// not a number gives the key's default. Reused from device to device.
class TDeviceSectionReader {
public:
    void Start() {
        FImageIndex = FName = FDevCount = FRatedPower = FNotKnownOp = FHourOpCount = {};
        FHighest = 0;
        FFactors.clear();
        FFactorsSet.clear();
        FUnheld.clear();
    }

    void Add(std::string_view key, std::string_view value) {
        if (!key.empty() && (key[0] == 'h' || key[0] == 'H')) {
            const int held = PeriodOfFactorKey(key);
            if (held >= 0 && held < kMaxStoredProfiles)
                FHighest = std::max(FHighest, held);
            int period = 0, hour = 0;
            if (ExactFactorKey(key, period, hour) && period < kMaxStoredProfiles) {
                if (size_t(period) >= FFactors.size()) {
                    FFactors.resize(size_t(period) + 1);
                    FFactorsSet.resize(size_t(period) + 1, 0);
                }
                const uint32_t bit = uint32_t(1) << hour;
                if ((FFactorsSet[period] & bit) == 0) {
                    FFactorsSet[period] |= bit;
                    double factor = 0;
                    if (TryIniFloat(value, factor)) {
                        FFactors[period][hour] = factor;
                    } else if (IsFileNumber(value)) {
                        // A number no double holds: refused when the device is made.
                        FFactors[period][hour] = std::nan("");
                        FUnheld.emplace_back(period * 24 + hour, value);
                    }
                }
                return;
            }
            if (SameAsciiName(key, "houropcount"))
                First(FHourOpCount, value);
            return;
        }
        if (SameAsciiName(key, "imageindex"))
            First(FImageIndex, value);
        else if (SameAsciiName(key, "name"))
            First(FName, value);
        else if (SameAsciiName(key, "devcount"))
            First(FDevCount, value);
        else if (SameAsciiName(key, "ratedpower"))
            First(FRatedPower, value);
        else if (SameAsciiName(key, "notknownop"))
            First(FNotKnownOp, value);
    }

    // The device of the section; a number outside its limits raises EInOutError naming
    // the file, the section and the key.
    std::unique_ptr<TDeviceEl> Device(const std::string& fileName, std::string_view section) const {
        auto device = std::make_unique<TDeviceEl>();
        device->SetKnownRatedPower(false);
        device->SetImageIndex(
            IniWhole(FImageIndex.Value, 0, kImageIndexRule, {fileName, section, "ImageIndex"}));
        device->SetName(std::string(FName.Value));
        device->SetDevCount(
            RuledInteger(FDevCount.Value, 1, kDevCountRule, {fileName, section, "DevCount"}));
        device->SetRatedPower(
            RuledReal(FRatedPower.Value, 0, kRatedPowerRule, {fileName, section, "RatedPower"}));
        device->SetNotKnownOp(
            IniBoolean(FNotKnownOp.Value, false, {fileName, section, "NotKnownOp"}));
        // Never more profiles than the section holds (one more than the highest period of
        // its factor keys); HourOpCount may say fewer.
        const int held = FHighest + 1;
        const int claimed = IniInteger(FHourOpCount.Value, 0);
        const int profiles = claimed >= 1 && claimed <= held ? claimed : held;
        THourOpList& hourOps = device->HourOps();
        hourOps.Clear();
        for (int p = 0; p < profiles; ++p) {
            THourOp* hourOp = hourOps.Add();
            if (size_t(p) < FFactors.size())
                for (int h = 0; h < 24; ++h) {
                    // The key's name is made only for a factor that is refused.
                    if (!ValueInRange(FFactors[p][h], 0, 1, kMinHourFactor))
                        RefuseFactor(p, h, fileName, section);
                    hourOp->SetFactor(h, FFactors[p][h]);
                }
        }
        return device;
    }

private:
    [[noreturn]] void RefuseFactor(int period, int hour, const std::string& fileName,
                                   std::string_view section) const {
        const std::string key = FactorKey(period, hour);
        const TValuePlace place{fileName, section, key};
        for (const auto& [at, text] : FUnheld)
            if (at == period * 24 + hour)
                RaiseRuledValue(kHourFactorRule, text, place);
        RaiseRuledValue(kHourFactorRule, FloatToStrSep(FFactors[period][hour], '.'), place);
    }

    struct TValue {
        std::string_view Value;
        bool Set = false;
    };
    static void First(TValue& field, std::string_view value) {
        if (!field.Set)
            field = {value, true};
    }
    TValue FImageIndex, FName, FDevCount, FRatedPower, FNotKnownOp, FHourOpCount;
    int FHighest = 0;
    std::vector<std::array<double, 24>> FFactors;
    std::vector<uint32_t> FFactorsSet; // one bit per hour
    // Factors written as numbers no double holds: period x 24 + hour, and the text.
    std::vector<std::pair<int, std::string_view>> FUnheld;
};

// What a list file states about its length: the messages for a file that states none and
// for a count that no list holds, and the largest count.
struct TListCountRule {
    const char* Missing; // the file
    const char* Refused; // the file, the count as written, Max
    int Max;
};

// The count of a list's section (value: nullptr when the section or its count is missing).
// The list writers always write the count, 0 for an empty list, so a file without one is
// another kind of file or a damaged one: it is refused, as is a value that is not a whole
// number from 0 to the rule's limit. The list stays as it was.
int ListCount(const std::string* value, const TListCountRule& rule, const std::string& fileName) {
    const std::string_view text = value ? TIniScan::Unquoted(*value) : std::string_view();
    if (text.empty())
        throw EInOutError(Format(rule.Missing, {fileName}));
    int count = 0;
    if (!TryStrToInt(text, count)) {
        std::string shown(text.substr(0, 24));
        if (shown.size() < text.size())
            shown += "...";
        throw EInOutError(Format(rule.Refused, {fileName, shown, rule.Max}));
    }
    if (count < 0 || count > rule.Max)
        throw EInOutError(Format(rule.Refused, {fileName, IntToStr(count), rule.Max}));
    return count;
}

constexpr TListCountRule kDeviceCount = {
    "Το αρχείο %s δεν είναι λίστα συσκευών: δεν δηλώνει το πλήθος τους (count της ενότητας "
    "[devlist])",
    "Το αρχείο %s δηλώνει %s συσκευές (επιτρέπονται 0 έως %d)", kMaxDevices};
constexpr TListCountRule kSeasonCount = {
    "Το αρχείο %s δεν είναι αρχείο περιόδων λειτουργίας: δεν δηλώνει το πλήθος τους (count "
    "της ενότητας [Seasons])",
    "Το αρχείο %s δηλώνει %s περιόδους λειτουργίας (επιτρέπονται 0 έως %d)", kMaxSeasons};

// The same, for a count read from an open profile file.
int ListCount(TCustomIniFile& ini, std::string_view section, const TListCountRule& rule) {
    if (!ini.ValueExists(section, "count"))
        return ListCount(nullptr, rule, ini.FileName());
    const std::string value = ini.ReadString(section, "count", "");
    return ListCount(&value, rule, ini.FileName());
}

} // namespace

TDeviceEl::TDeviceEl() {
    FHourOps.Add();
}

std::unique_ptr<TDeviceEl> TDeviceEl::CreateCopy(const TDeviceEl& source) {
    auto device = std::make_unique<TDeviceEl>();
    device->FImageIndex = source.FImageIndex;
    device->FName = source.FName;
    device->FRatedPower = source.FRatedPower;
    device->FDevCount = source.FDevCount;
    device->FKnownRatedPower = source.FKnownRatedPower;
    device->FNotKnownOp = source.FNotKnownOp;
    device->FHourOps.Clear();
    for (int p = 0; p < source.FHourOps.Count(); ++p) {
        THourOp* copy = device->FHourOps.Add();
        for (int h = 0; h < 24; ++h)
            copy->SetFactor(h, source.FHourOps.GetFactor(p, h));
    }
    return device;
}

std::unique_ptr<TDeviceEl> TDeviceEl::CreateFromCatalog(TCustomIniFile& ini) {
    // A file that cannot be read at all (UTF-16 or UTF-32 text, over the size limit, no
    // regular file, a dangling link) is refused. A readable file without a [dev] section
    // (empty, or [hourop] only) reads every key's default: an unknown device whose rated
    // power the user gives when it is added.
    ini.CheckReadable();
    const std::string& fileName = ini.FileName();
    if (!ini.SectionExists("dev") && !fileName.empty() && !FileExists(fileName))
        RaiseCannotOpen(fileName, ENOENT);
    auto device = std::make_unique<TDeviceEl>();
    device->FDevCount = 1;
    TDecimalSeparatorGuard separator('.', SavedDecimalSeparator);
    const auto value = [&](const char* section, std::string_view key) {
        return ini.ReadString(section, key, "");
    };
    device->FName = ini.ReadString("dev", "name", "Αγνωστη Συσκευή");
    device->FRatedPower =
        RuledReal(value("dev", "ratedpower"), 0, kRatedPowerRule, {fileName, "dev", "ratedpower"});
    device->FKnownRatedPower = IniBoolean(value("dev", "knownRatedPower"), device->FRatedPower != 0,
                                          {fileName, "dev", "knownRatedPower"});
    device->FImageIndex =
        IniWhole(value("dev", "icon"), 0, kImageIndexRule, {fileName, "dev", "icon"});
    device->FNotKnownOp =
        IniBoolean(value("dev", "NotKnownOp"), false, {fileName, "dev", "NotKnownOp"});
    for (int h = 0; h < 24; ++h) {
        const std::string key = Format("hourop_%2.2d", {h});
        device->FHourOps.SetFactor(
            0, h, RuledReal(value("hourop", key), 0, kHourFactorRule, {fileName, "hourop", key}));
    }
    return device;
}

std::unique_ptr<TDeviceEl> TDeviceEl::CreateFromSection(TCustomIniFile& ini,
                                                        std::string_view section) {
    TStringList values;
    ini.ReadSectionValues(section, values);
    // "key=value" lines, quotes already removed; a key never holds "=". The reader keeps
    // views of them until the device is made.
    std::vector<std::string> lines;
    lines.reserve(size_t(values.Count()));
    for (int i = 0; i < values.Count(); ++i)
        lines.push_back(values[i]);
    TDeviceSectionReader reader;
    reader.Start();
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        reader.Add(std::string_view(line).substr(0, equals),
                   std::string_view(line).substr(equals + 1));
    }
    return reader.Device(ini.FileName(), section);
}

void TDeviceEl::EnsureSeasons(int n) {
    if (FHourOps.Count() == 0 && n >= 0)
        FHourOps.Add();
    while (FHourOps.Count() < n + 1) {
        const THourOp* last = FHourOps.GetHourOp(FHourOps.Count() - 1);
        THourOp* added = FHourOps.Add();
        for (int h = 0; h < 24; ++h)
            added->SetFactor(h, last->GetFactor(h));
    }
}

void TDeviceEl::DeleteSeason(int index) {
    if (index >= FHourOps.Count())
        return;
    FHourOps.Delete(index);
}

double TDeviceEl::DailyEnergy() const {
    if (FHourOps.Count() == 0)
        return 0;
    double energy = 0;
    for (double factor : FHourOps.GetHourOp(0)->Factors())
        energy += factor * FRatedPower;
    return energy;
}

void TDeviceEl::SaveToSection(TCustomIniFile& ini, std::string_view section) const {
    ini.EraseSection(section);
    ini.WriteInteger(section, "ImageIndex", FImageIndex);
    ini.WriteString(section, "Name", FName);
    ini.WriteInteger(section, "DevCount", FDevCount);
    ini.WriteFloat(section, "RatedPower", FRatedPower);
    ini.WriteInteger(section, "HourOpCount", FHourOps.Count());
    for (int p = 0; p < FHourOps.Count(); ++p) {
        bool written = false;
        for (int h = 0; h < 24; ++h) {
            const double factor = FHourOps.GetFactor(p, h);
            if (factor != 0) {
                ini.WriteFloat(section, FactorKey(p, h), factor);
                written = true;
            }
        }
        // A profile of zeros still leaves one key, so that reading counts it as held.
        if (!written)
            ini.WriteFloat(section, FactorKey(p, 0), 0);
    }
}

// ---------------------------------------------------------------------------
// TDevList

void TDevList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndex(index);
}

TDeviceEl* TDevList::GetDevice(int index) const {
    CheckIndex(index);
    return FItems[index].get();
}

int TDevList::Add(std::unique_ptr<TDeviceEl> device) {
    FItems.push_back(std::move(device));
    return Count() - 1;
}

void TDevList::Delete(int index) {
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
}

void TDevList::FillLoad(TFloatArray& a) const {
    // Every day of the year has the same load: period 0's profile of each device.
    std::array<double, 24> day{};
    for (const auto& device : FItems) {
        if (device->HourOps().Count() == 0)
            continue;
        const auto& factors = device->HourOps().GetHourOp(0)->Factors();
        for (int h = 0; h < 24; ++h)
            day[h] += device->RatedPower() * device->DevCount() * factors[h];
    }
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = day[i % 24];
}

void TDevList::LoadFromFile(const std::string& fileName) {
    std::string bytes;
    if (!ReadTextFile(fileName, bytes, kMaxDevListFileSize)) {
        // A missing file, or one that is there but cannot be read (a FIFO, a device, a
        // folder, a file over the limit, UTF-16 text), is refused and the list stays.
        RaiseCannotOpen(fileName, errno, kMaxDevListFileSize);
    }
    if (!IsValidUtf8(bytes))
        bytes = DecodeText(bytes);
    // One pass over the file; the devices are read from the views of its lines.
    const TIniScan scan(bytes);
    const TIniScan::TSection* devlist = nullptr;
    for (const TIniScan::TSection& section : scan.Sections())
        if (!devlist && SameAsciiName(section.Name, "devlist"))
            devlist = &section;
    std::optional<std::string> countText;
    if (devlist)
        for (const TIniScan::TEntry& entry : scan.Entries(*devlist))
            if (!countText && SameAsciiName(entry.Key, "count"))
                countText = std::string(entry.Value);
    // A file without a count (no [devlist] section: random bytes, an empty file, text of
    // another kind), a count beyond any real list or one that is no number marks a file
    // that is no list: refuse it before the list changes, rather than building millions
    // of empty devices or none.
    const int count = ListCount(countText ? &*countText : nullptr, kDeviceCount, fileName);
    // Each device from the first section of its name; a missing section gives the defaults.
    std::vector<const TIniScan::TSection*> sections(size_t(count), nullptr);
    for (const TIniScan::TSection& section : scan.Sections()) {
        const int index = ListSectionIndex(section.Name, "dev");
        if (index >= 0 && index < count && !sections[index])
            sections[index] = &section;
    }
    TDecimalSeparatorGuard separator('.', SavedDecimalSeparator);
    std::vector<std::unique_ptr<TDeviceEl>> items;
    items.reserve(sections.size());
    TDeviceSectionReader reader;
    for (size_t i = 0; i < sections.size(); ++i) {
        const TIniScan::TSection* section = sections[i];
        reader.Start();
        if (section)
            for (const TIniScan::TEntry& entry : scan.Entries(*section))
                reader.Add(entry.Key, TIniScan::Unquoted(entry.Value));
        items.push_back(reader.Device(fileName, section ? std::string(section->Name)
                                                        : "dev" + std::to_string(i)));
    }
    FItems.swap(items);
}

namespace {

// The device as SaveToSection writes it into a profile file, appended to the builder.
void BuildDeviceSection(TIniBuilder& builder, const TDeviceEl& device, std::string_view section) {
    builder.Section(section);
    builder.Integer("ImageIndex", device.ImageIndex());
    builder.String("Name", device.Name());
    builder.Integer("DevCount", device.DevCount());
    builder.Float("RatedPower", device.RatedPower(), '.');
    const THourOpList& hourOps = device.HourOps();
    builder.Integer("HourOpCount", hourOps.Count());
    char key[32];
    for (int p = 0; p < hourOps.Count(); ++p) {
        bool written = false;
        const auto& factors = hourOps.GetHourOp(p)->Factors();
        for (int h = 0; h < 24; ++h) {
            if (factors[h] != 0) {
                builder.Float(std::string_view(key, FactorKeyText(key, p, h)), factors[h], '.');
                written = true;
            }
        }
        // A profile of zeros still leaves one key, so that reading counts it as held.
        if (!written)
            builder.Float(std::string_view(key, FactorKeyText(key, p, 0)), 0, '.');
    }
}

} // namespace

void TDevList::SaveToFile(const std::string& fileName) const {
    // Other sections of an existing file stay as a profile file keeps them; every device
    // section goes, those beyond the new count with it. The new content replaces the file
    // in one piece, so a failed write leaves the old file as it was.
    const TIniFileLock lock(fileName);
    std::string kept;
    std::string bytes;
    if (ReadTextFile(fileName, bytes, kMaxDevListFileSize)) {
        if (!IsValidUtf8(bytes))
            bytes = DecodeText(bytes);
        const TIniScan scan(bytes, false);
        const auto keep = [&](size_t begin, size_t end) {
            kept.append(bytes, begin, end - begin);
            if (!kept.empty() && kept.back() != '\n' && kept.back() != '\r')
                kept.append("\r\n");
        };
        keep(0, scan.PreambleEnd());
        for (const TIniScan::TSection& section : scan.Sections())
            if (ListSectionIndex(section.Name, "dev") < 0)
                keep(section.Begin, section.End);
    } else if (errno != ENOENT && errno != ENOTDIR && errno != kNotRegularFile) {
        // A file that is there but cannot be read would lose what it holds.
        throw EInOutError("Unable to write to " + fileName, errno);
    }
    TIniText head;
    head.Parse(kept);
    head.Write("devlist", "count", IntToStr(Count()));
    TIniBuilder builder(head.Text());
    // About 7.5 kB per device of 12 profiles.
    builder.Reserve(builder.Text().size() + size_t(Count()) * 640 * 12);
    char section[32];
    for (int i = 0; i < Count(); ++i) {
        std::memcpy(section, "dev", 3);
        const char* end = std::to_chars(section + 3, section + sizeof section, i).ptr;
        BuildDeviceSection(builder, *FItems[i], std::string_view(section, size_t(end - section)));
    }
    WriteFileAtomically(fileName, builder.Text());
}

// ---------------------------------------------------------------------------
// TSeason, TSeasonList

void TSeason::Publish(TPublisher<TSeason>& p) {
    p.Integer("DayStart", &TSeason::DayStart, &TSeason::SetDayStart);
    p.Integer("DayStop", &TSeason::DayStop, &TSeason::SetDayStop);
    p.Integer("HourStart", &TSeason::HourStart, &TSeason::SetHourStart);
    p.Integer("HourStop", &TSeason::HourStop, &TSeason::SetHourStop);
    p.Integer("Days", &TSeason::Days, nullptr);
    p.String("Description", &TSeason::Description, &TSeason::SetDescription);
    p.Ordinal("WayOp", TypeInfoByte(), &TSeason::WayOp, &TSeason::SetWayOp);
}

int TSeason::Days() const {
    return FDayStop < FDayStart ? FDayStop - FDayStart + 366 : FDayStop - FDayStart + 1;
}

TSeasonList::TSeasonList() : TCollection(TSeason::StaticClass()) {}

TSeason* TSeasonList::AddSeason() {
    return static_cast<TSeason*>(Add());
}

TSeason* TSeasonList::GetSeason(int index) const {
    return static_cast<TSeason*>(Items(index));
}

TSeason* TSeasonList::LastSeason() const {
    return Count() == 0 ? nullptr : GetSeason(Count() - 1);
}

void TSeasonList::LoadFromIni(TCustomIniFile& ini) {
    // A file that cannot be read is refused rather than read as one default period; so is
    // a missing one.
    ini.CheckReadable();
    if (!ini.ValueExists("Seasons", "count") && !ini.FileName().empty() &&
        !FileExists(ini.FileName()))
        RaiseCannotOpen(ini.FileName(), ENOENT);
    // Every period spans at least one day: more periods than days, a count that is no
    // number or none at all marks a damaged file or one of another kind.
    const int count = ListCount(ini, "Seasons", kSeasonCount);
    // Every period is read and checked before the list changes: a day outside the year
    // would overflow the period's day and hour counts.
    struct TRead {
        std::string Description;
        int DayStart, DayStop, WayOp;
    };
    std::vector<TRead> read;
    for (int i = 0; i < count; ++i) {
        const std::string section = Format("season%d", {i});
        // A number no int holds is refused naming its key, not read as the key's default.
        const auto whole = [&](const char* key, int def, const TValueRule& rule) {
            return IniWhole(ini.ReadString(section, key, ""), def, rule,
                            {ini.FileName(), section, key});
        };
        TRead r{ini.ReadString(section, "Description", ""), whole("DayStart", 1, kDayRule),
                whole("DayStop", 365, kDayRule), whole("WayOp", 0, kWayOpRule)};
        if (r.DayStart < 1 || r.DayStart > 365 || r.DayStop < 1 || r.DayStop > 365)
            throw EInOutError(
                Format("Το αρχείο %s: η περίοδος %d \"%s\" έχει ημέρες %d έως %d "
                       "(επιτρέπονται 1 έως 365)",
                       {ini.FileName(), i + 1, r.Description, r.DayStart, r.DayStop}));
        read.push_back(std::move(r));
    }
    Clear();
    for (const TRead& r : read) {
        TSeason* season = AddSeason();
        season->SetDescription(r.Description);
        season->SetDayStart(r.DayStart);
        season->SetDayStop(r.DayStop);
        season->SetWayOp(uint8_t(r.WayOp & 0xFF));
    }
}

void TSeasonList::SaveToIni(TCustomIniFile& ini) const {
    // Sections of a longer earlier list go; every other section stays.
    TStringList sections;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i)
        if (ListSectionIndex(sections[i], "season") >= Count())
            ini.EraseSection(sections[i]);
    ini.WriteInteger("Seasons", "count", Count());
    for (int i = 0; i < Count(); ++i) {
        const TSeason* season = GetSeason(i);
        const std::string section = Format("season%d", {i});
        ini.WriteString(section, "Description", season->Description());
        ini.WriteInteger(section, "DayStart", season->DayStart());
        ini.WriteInteger(section, "DayStop", season->DayStop());
        ini.WriteInteger(section, "WayOp", season->WayOp());
    }
}

// ---------------------------------------------------------------------------
// TPhFactors, LoadColumn

namespace {

// A factor in 23 characters: a blank or "-", one digit, ".", 14 digits, "E", the
// exponent's sign and four digits (0.5 gives " 5.00000000000000E-0001").
std::string PphField(double value) {
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, 14);
    const std::string text(buffer, res.ptr);
    const std::string sign = value < 0 ? "-" : " ";
    const size_t e = text.find('e');
    if (e == std::string::npos) { // infinity or not a number
        std::string field = sign + UpperCase(text);
        return std::string(23 - std::min<size_t>(23, field.size()), ' ') + field;
    }
    std::string exponent = text.substr(e + 2);
    if (exponent.size() < 4)
        exponent.insert(0, 4 - exponent.size(), '0');
    return sign + text.substr(0, e) + "E" + text[e + 1] + exponent;
}

// A number of a text file outside 0 to maxValue, named with the file and its line.
void CheckInFile(const char* what, double value, double maxValue, const TTextReader& reader) {
    if (!ValueInRange(value, 0, maxValue))
        RaiseOutOfRange(what, FloatToStrSep(value, '.'), reader.FileName(), reader.Line(),
                        ValueRangeText(0, maxValue));
}

} // namespace

void TPhFactors::CheckIndex(int month, int hour) {
    if (month < 1 || month > 12)
        RaiseListIndex(month);
    if (hour < 0 || hour > 23)
        RaiseListIndex(hour);
}

double TPhFactors::GetFactor(int month, int hour) const {
    CheckIndex(month, hour);
    return FFactors[month - 1][hour];
}

void TPhFactors::SetFactor(int month, int hour, double value) {
    CheckIndex(month, hour);
    FFactors[month - 1][hour] = value;
}

void TPhFactors::LoadFromFile(const std::string& fileName) {
    TTextReader reader(fileName, kMaxPphFileSize);
    // A file of no number at all (empty, blanks only) is no table of factors, not one of
    // zeros; nor is one that ends before its 288th number (cut short, or lines of fewer
    // than 12 numbers), whose missing factors would read as 0.
    if (reader.OnlyBlanksLeft())
        throw EInOutError(Format("Το αρχείο %s δεν περιέχει συντελεστές ηλιοφάνειας", {fileName}));
    for (int h = 0; h < 24; ++h) {
        for (int m = 0; m < 12; ++m) {
            if (reader.OnlyBlanksLeft())
                throw EInOutError(
                    Format("Το αρχείο %s τελειώνει πριν από τον 288ο συντελεστή ηλιοφάνειας "
                           "(24 γραμμές των 12 αριθμών): διαβάστηκαν %d",
                           {fileName, h * 12 + m}));
            const double factor = reader.ReadNumber();
            // A factor is a share of the panel's power: never negative, as in the editor.
            CheckInFile("Ακατάλληλος συντελεστής ηλιοφάνειας", factor, kMaxSunshineFactor, reader);
            FFactors[m][h] = factor;
        }
        reader.SkipLine();
    }
}

void TPhFactors::SaveToFile(const std::string& fileName) const {
    TTextWriter writer(fileName);
    for (int h = 0; h < 24; ++h) {
        std::string line;
        for (int m = 0; m < 12; ++m)
            line += PphField(FFactors[m][h]);
        writer.WriteLine(line);
    }
    writer.Close();
}

void LoadColumn(const std::string& fileName, TFloatArray& a) {
    a.clear();
    TTextReader reader(fileName);
    TDecimalSeparatorGuard separator('.', SavedDecimalSeparator);
    for (int i = 0; i < 3; ++i)
        reader.SkipLine();
    // The header lines alone (or a file of one long line) hold no series, not an empty one.
    if (reader.OnlyBlanksLeft())
        throw EInOutError(
            Format("Το αρχείο %s δεν περιέχει ταχύτητες ανέμου μετά τις τρεις γραμμές "
                   "επικεφαλίδας",
                   {fileName}));
    while (!reader.Eof()) {
        a.push_back(0);
        const double speed = reader.ReadNumber();
        CheckInFile("Ακατάλληλη ταχύτητα ανέμου", speed, kMaxWindSpeed, reader);
        a.back() = speed;
        reader.SkipLine();
    }
}

// ---------------------------------------------------------------------------
// Simulate

void Simulate(const TFloatArray& wind, const TFloatArray& pv, const TFloatArray& load,
              const TWindPwrCurve* curve, double capacity, const TSimHourEvent& onHour,
              TSimResult& r) {
    if (curve == nullptr)
        return;
    r.TotWind = 0;
    r.TotPV = 0;
    r.TotGenset = 0;
    r.TotDump = 0;
    r.TotLoad = 0;
    const double minCharge = BatSafeCoef * capacity;
    double charge = SimParams.BatStartFull ? capacity : minCharge;
    r.InitialCharge = charge;
    const double velFactor = WindVelFactor;
    const double generators = SimParams.WGCount;
    // Only the hours that every array holds.
    const size_t hours = std::min({wind.size(), pv.size(), load.size()});
    for (size_t i = 0; i < hours; ++i) {
        const double wp = curve->PowerAt(wind[i] * velFactor) * generators;
        const double avail = charge + wp + pv[i];
        const double x = avail - load[i];
        double genset = 0;
        double dump = 0;
        double newCharge;
        if (x <= minCharge) {
            genset = load[i] - (avail - minCharge);
            newCharge = minCharge;
        } else if (x >= capacity) {
            newCharge = capacity;
            dump = avail - capacity - load[i];
        } else {
            newCharge = charge + pv[i] + wp - load[i];
        }
        r.TotLoad += load[i];
        r.TotWind += wp;
        r.TotGenset += genset;
        r.TotDump += dump;
        r.TotPV += pv[i];
        if (onHour)
            onHour(int(i), wp, pv[i], load[i], genset, dump, newCharge);
        charge = newCharge;
    }
    r.FinalCharge = charge;
    r.WindShare = 0;
    r.PVShare = 0;
    r.GensetShare = 0;
    if (r.TotLoad != 0) {
        r.GensetShare = r.TotGenset / r.TotLoad;
        const double renewable = (r.TotWind + r.TotPV - r.TotDump) / r.TotLoad;
        const double produced = r.TotWind + r.TotPV;
        if (produced != 0) {
            r.WindShare = renewable * r.TotWind / produced;
            r.PVShare = renewable * r.TotPV / produced;
        }
    }
}

// ---------------------------------------------------------------------------
// Wind statistics

double WeibullMean = 0;
double WeibullStdDev = 0;

double GaussRandom(double mean, double stdDev) {
    double u;
    double s;
    do {
        u = 2 * Random() - 1;
        const double v = 2 * Random() - 1;
        s = u * u + v * v;
    } while (!(s < 1 && s > 0));
    return u * std::sqrt(-2 * std::log(s) / s) * stdDev + mean;
}

double GammaFn(double x) {
    if (x == 0)
        return 0;
    double y = x - 1;
    double t = y + 5.5;
    t = (y + 0.5) * std::log(t) - t;
    double ser = 1;
    for (double coef : GammaCoef) {
        y += 1;
        ser += coef / y;
    }
    return std::exp(t + std::log(2.50662827465 * ser));
}

double WeibullEq(double k) {
    const double cv = WeibullStdDev / WeibullMean;
    const double g1 = GammaFn(1 + 1 / k);
    return cv * cv + 1 - GammaFn(1 + 2 / k) / (g1 * g1);
}

bool WeibullFit(double mean, double stdDev, double& c, double& k, double& fitMean,
                double& fitStdDev) {
    WeibullMean = mean;
    WeibullStdDev = stdDev;
    if (stdDev == 0 || !(mean > 0))
        return false;
    const double k0 = std::pow(stdDev / mean, -1.086);
    double shape = 0;
    double fr = 0;
    int iter = 0;
    uint8_t err = 0;
    Secant(1.0, k0, 1e-10, 100, WeibullEq, shape, fr, iter, err);
    // A search that failed with a large residual, or ended on a shape that is no shape,
    // falls back to the first estimate.
    if ((err != 0 && fr >= 1e-10) || !std::isfinite(shape) || !(shape > 0))
        shape = k0;
    const double g1 = GammaFn(1 + 1 / shape);
    const double scale = mean / g1;
    const double spread = std::sqrt(scale * scale * (GammaFn(1 + 2 / shape) - g1 * g1));
    const double center = g1 * scale;
    // Statistics no Weibull distribution can hold (an estimate that is itself not finite),
    // or a fit whose moments overflow (a very wide spread makes Gamma(1 + 2/k) infinite).
    if (!std::isfinite(shape) || !(shape > 0) || !std::isfinite(scale) || !(scale > 0) ||
        !std::isfinite(center) || !std::isfinite(spread))
        return false;
    k = shape;
    c = scale;
    fitMean = center;
    fitStdDev = spread;
    return true;
}

// ---------------------------------------------------------------------------
// Model state

char SavedDecimalSeparator = '.';
std::unique_ptr<TPhFactors> PhFactors;
std::unique_ptr<TDevList> DevList;
TFloatArray WindSpeed;
TFloatArray WGProduction;
TFloatArray DemandLoad;
TFloatArray PVProduction;
TFloatArray BatteryCharge;
TFloatArray GensetProduction;
TFloatArray Surplus;
TDateTime BaseDate = 0;
std::unique_ptr<TSeasonList> SeasonList;
std::unique_ptr<TWindPwrCurve> PwrCurve;
std::unique_ptr<TStringList> DirList;

namespace {

// The project parameters every run starts from.
struct TStartParameters {
    double BatCapacity = 6000.0;
    double BatSafeCoef = 0.1;
    double BatVoltage = 24.0;
    double BatLossesPerHour = 0.01;
    double WindVelFactor = 1.0;
    int PwrFacSteps = 20;
    double PVPower = 500.0;
    double HZPower = 5000.0;
    int HZConType = 0;
    bool HZCalc = true;
    TSimParams SimParams;
};
constexpr TStartParameters kStart{};

// Puts every project parameter back to its start value, so that a run never inherits the
// values of a former run in the same process.
void ResetParameters() {
    BatCapacity = kStart.BatCapacity;
    BatSafeCoef = kStart.BatSafeCoef;
    BatVoltage = kStart.BatVoltage;
    BatLossesPerHour = kStart.BatLossesPerHour;
    WindVelFactor = kStart.WindVelFactor;
    PwrFacSteps = kStart.PwrFacSteps;
    PVPower = kStart.PVPower;
    HZPower = kStart.HZPower;
    HZConType = kStart.HZConType;
    HZCalc = kStart.HZCalc;
    SimParams = kStart.SimParams;
}

} // namespace

double BatCapacity = kStart.BatCapacity;
double BatSafeCoef = kStart.BatSafeCoef;
double BatVoltage = kStart.BatVoltage;
double BatLossesPerHour = kStart.BatLossesPerHour;
double WindVelFactor = kStart.WindVelFactor;
int PwrFacSteps = kStart.PwrFacSteps;
double PVPower = kStart.PVPower;
double HZPower = kStart.HZPower;
int HZConType = kStart.HZConType;
bool HZCalc = kStart.HZCalc;
TSimParams SimParams = kStart.SimParams;

std::vector<std::string> DefaultLoadErrors;

std::string AppDir() {
    return ExcludeTrailingPathDelimiter(ExtractFileDir(ParamStr0()));
}

void FillArray(TFloatArray& a, double value) {
    std::fill(a.begin(), a.end(), value);
}

void LoadDefaults() {
    DefaultLoadErrors.clear();
    const std::string dir = AppDir();
    const auto load = [dir](const char* name, const std::function<void(const std::string&)>& read) {
        const std::string fileName = dir + "/" + name;
        if (!FileExists(fileName))
            return;
        try {
            read(fileName);
        } catch (const std::exception& e) {
            // The readers' messages name the file; one that does not is preceded by it.
            const std::string message = e.what();
            DefaultLoadErrors.push_back(
                message.find(fileName) != std::string::npos ? message : fileName + ": " + message);
        }
    };
    // Each file into an object of its own, taken over only when the whole file was read: a
    // file that fails leaves the object as it was created, never half read.
    load("default.pph", [](const std::string& f) {
        auto factors = std::make_unique<TPhFactors>();
        factors->LoadFromFile(f);
        PhFactors = std::move(factors);
    });
    load("default.pow", [](const std::string& f) {
        auto curve = std::make_unique<TWindPwrCurve>();
        curve->LoadFromFile(f);
        PwrCurve = std::move(curve);
    });
    load("default.dat", [](const std::string& f) {
        TFloatArray speeds;
        LoadColumn(f, speeds);
        WindSpeed = std::move(speeds);
    });
}

void InitModel() {
    SavedDecimalSeparator = DecimalSeparator;
    ResetParameters();
    PhFactors = std::make_unique<TPhFactors>();
    DevList = std::make_unique<TDevList>();
    for (TFloatArray* a : {&WindSpeed, &WGProduction, &DemandLoad, &PVProduction, &BatteryCharge,
                           &GensetProduction, &Surplus})
        a->assign(HoursPerYear, 0.0);
    BaseDate = EncodeDate(1991, 1, 1);
    SeasonList = std::make_unique<TSeasonList>();
    TSeason* wholeYear = SeasonList->AddSeason();
    wholeYear->SetDescription("Ολο το έτος");
    wholeYear->SetDayStop(365);
    PwrCurve = std::make_unique<TWindPwrCurve>();
    DirList = std::make_unique<TStringList>();
    LoadDefaults();
}

void FinalizeModel() {
    for (TFloatArray* a : {&WindSpeed, &WGProduction, &DemandLoad, &PVProduction, &BatteryCharge,
                           &GensetProduction, &Surplus})
        *a = TFloatArray();
    DevList.reset();
    PhFactors.reset();
    DirList.reset();
    SeasonList.reset();
    PwrCurve.reset();
    ResetParameters();
}
