#pragma once
// Hour-of-year date texts of the non-leap model year (8760 hours). Hours passed to and
// returned by these routines are counted from 1 for the first hour of 1 January.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The hour that opens each month, indexed by month 1..12; element 13 is the hour after
// December. Element 0 is unused so that indexes are month numbers.
inline constexpr std::array<int, 14> MonthStartHour = {0,    1,    745,  1417, 2161, 2881, 3625,
                                                       4345, 5089, 5833, 6553, 7297, 8017, 8761};

// Days of each month, indexed by month 1..12 (element 0 unused).
inline constexpr std::array<uint8_t, 13> DaysInMonth = {0,  31, 28, 31, 30, 31, 30,
                                                        31, 31, 30, 31, 30, 31};

// Put between day and month.
inline constexpr char DateSepChar = '/';

// "DD/MM" of the day holding the hour.
std::string HourToDateStr(int hour);

// The hour of a "DD/MM" text (the third character is not examined, characters after the
// fifth are ignored) at the given hour of that day. Raises EConvertError
// "Ακατάλληλη μετατροπή ημερομηνίας %s" for a text that does not name a day of the year.
int DateStrToHour(std::string_view text, uint8_t hourOfDay);
