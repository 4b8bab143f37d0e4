// Date texts typed into the periods grid: any text gives an hour of the year or a
// conversion error whose message is whole UTF-8, and a period set from the hour holds a
// day of the year that shows as the same date.
#include "FuzzFile.h"
#include "model/Data.h"
#include "model/Dates.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int hour = 0;
    try {
        hour = DateStrToHour(text, 0);
    } catch (const EConvertError& e) {
        FUZZ_CHECK(!IsValidUtf8(text) || IsValidUtf8(e.Message()));
        return 0;
    }
    FUZZ_CHECK(hour >= 0 && hour < 8760);
    TSeasonList list;
    TSeason& season = *list.AddSeason();
    season.SetHourStart(hour);
    season.SetHourStop(hour);
    FUZZ_CHECK(season.DayStart() >= 1 && season.DayStart() <= 365);
    FUZZ_CHECK(season.Days() == 1);
    const std::string shown = HourToDateStr(season.HourStart());
    FUZZ_CHECK(DateStrToHour(shown, 0) == hour);
    return 0;
}
