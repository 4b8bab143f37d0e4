// Device lists (.dvl): any bytes give a list or an error, never a crash; the separator is
// restored; the one-pass reader reads each device as the profile file's own lookups do;
// a saved list reads back with the same devices and profiles.
#include "FuzzFile.h"
#include "framework/core/IniFiles.h"
#include "model/Data.h"

#include <cstring>

namespace {

bool SameDevice(const TDeviceEl& a, const TDeviceEl& b) {
    if (a.Name() != b.Name() || a.DevCount() != b.DevCount() || a.ImageIndex() != b.ImageIndex() ||
        a.NotKnownOp() != b.NotKnownOp() || a.HourOps().Count() != b.HourOps().Count())
        return false;
    // Bit patterns: a NaN cannot be read, but -0 can.
    const auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    if (!same(a.RatedPower(), b.RatedPower()))
        return false;
    for (int p = 0; p < a.HourOps().Count(); ++p)
        for (int h = 0; h < 24; ++h)
            if (!same(a.HourOps().GetFactor(p, h), b.HourOps().GetFactor(p, h)))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& name = WriteFuzzInput(data, size, ".dvl");
    SavedDecimalSeparator = ',';
    DecimalSeparator = ',';
    TDevList list;
    try {
        list.LoadFromFile(name);
    } catch (const Exception&) {
    }
    FUZZ_CHECK(DecimalSeparator == ',');
    // Cap the load synthesis so a huge count does not dominate the run time.
    TFloatArray load(48);
    list.FillLoad(load);
    for (int i = 0; i < list.Count() && i < 64; ++i)
        (void)list.GetDevice(i)->DailyEnergy();

    {
        TMemIniFile ini(name);
        TDecimalSeparatorGuard separator('.', ',');
        for (int i = 0; i < list.Count() && i < 64; ++i) {
            const auto looked = TDeviceEl::CreateFromSection(ini, "dev" + std::to_string(i));
            FUZZ_CHECK(SameDevice(*list.GetDevice(i), *looked));
        }
    }
    if (list.Count() <= 64) {
        try {
            list.SaveToFile(name);
        } catch (const EInOutError&) {
            // A file that could not be read (UTF-16, too large) is never replaced.
            FUZZ_CHECK(FileHolds(name, data, size));
            return 0;
        }
        TDevList back;
        back.LoadFromFile(name);
        FUZZ_CHECK(back.Count() == list.Count());
        // Names lose surrounding blanks and quotes, numbers keep 15 digits: the counts and
        // the profiles stay.
        for (int i = 0; i < list.Count(); ++i) {
            const TDeviceEl& a = *list.GetDevice(i);
            const TDeviceEl& b = *back.GetDevice(i);
            FUZZ_CHECK(a.DevCount() == b.DevCount() && a.ImageIndex() == b.ImageIndex() &&
                       a.HourOps().Count() == b.HourOps().Count());
        }
    }
    return 0;
}
