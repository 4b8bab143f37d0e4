// SystemUtils' dates and times: serial dates encoded and decoded, written by a format
// ("dd/mm/yyyy hh:nn"), read from text by the locale's separators and order, and the clock.

#include "framework/core/SystemUtils.h"

#include "framework/core/FrameworkTexts.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(y + (month <= 2));
}

constexpr int64_t kEpochOffset = DaysFromCivil(1899, 12, 30); // serial 0 in days from 1970
constexpr int64_t kMsPerDay = 86400000;

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Splits a date-time into whole days and milliseconds of the day, rounded to the
// millisecond. The time of a negative date-time is its fraction's absolute value.
void SplitDateTime(TDateTime value, int64_t& days, int64_t& ms) {
    days = int64_t(std::trunc(value));
    ms = int64_t(std::llround(std::fabs(value - double(days)) * double(kMsPerDay)));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += value < 0 ? -1 : 1;
    }
}

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return false;
    result = double(DaysFromCivil(year, unsigned(month), unsigned(day)) - kEpochOffset);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError("Invalid argument to date encode");
    return result;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
        msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return double(((int64_t(hour) * 60 + min) * 60 + sec) * 1000 + msec) / double(kMsPerDay);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    const int64_t days = int64_t(std::trunc(value));
    CivilFromDays(days + kEpochOffset, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    int64_t days = 0, ms = 0;
    SplitDateTime(value, days, ms);
    hour = int(ms / 3600000);
    min = int(ms / 60000 % 60);
    sec = int(ms / 1000 % 60);
    msec = int(ms % 1000);
}

int DayOfWeek(TDateTime value) {
    // Serial 0 (1899-12-30) was a Saturday.
    const int64_t days = int64_t(std::trunc(value));
    return int(((days % 7) + 7 + 6) % 7) + 1;
}

namespace {

std::string TwoDigits(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view word) {
    if (pos + word.size() > s.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(s[pos + k])) != word[k])
            return false;
    return true;
}

// The fields of a date and time that the specifiers show.
struct TDateTimeParts {
    int64_t Ms = 0; // since midnight
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Milli = 0;
    int WeekDay = 0; // 0 = Sunday
};

TDateTimeParts DateTimeParts(int64_t days, int64_t ms) {
    TDateTimeParts t;
    CivilFromDays(days + kEpochOffset, t.Year, t.Month, t.Day);
    t.Ms = ms;
    t.Hour = int(ms / 3600000);
    t.Minute = int(ms / 60000 % 60);
    t.Second = int(ms / 1000 % 60);
    t.Milli = int(ms % 1000);
    t.WeekDay = int(((days % 7) + 7 + 6) % 7);
    return t;
}

void FormatDateTimeInto(std::string& out, std::string_view fmt, const TDateTimeParts& t, int depth);

// One of the locale's formats in place of a letter; a format that names itself (directly
// or through another) stops after two levels.
void AppendLocaleFormat(std::string& out, std::string_view fmt, const TDateTimeParts& t,
                        int depth) {
    if (depth < 2)
        FormatDateTimeInto(out, fmt, t, depth + 1);
}

// "7" for a run of one letter, "07" for a longer one.
std::string Number(size_t run, int value) {
    return run == 1 ? std::to_string(value) : TwoDigits(value);
}

// An am/pm marker anywhere makes the hours count from 1 to 12.
bool HasAmPm(std::string_view fmt) {
    for (size_t k = 0; k < fmt.size(); ++k)
        if (StartsWithNoCase(fmt, k, "am/pm") || StartsWithNoCase(fmt, k, "a/p") ||
            StartsWithNoCase(fmt, k, "ampm"))
            return true;
    return false;
}

// A quoted literal (copied without its quotes) or an am/pm marker (replaced) at i; moves i
// past it. False when neither stands there.
bool AppendLiteralOrMarker(std::string& out, std::string_view fmt, size_t& i, int hour) {
    const char c = fmt[i];
    if (c == '"' || c == '\'') {
        size_t k = i + 1;
        while (k < fmt.size() && fmt[k] != c)
            out += fmt[k++];
        i = k < fmt.size() ? k + 1 : k;
        return true;
    }
    if (StartsWithNoCase(fmt, i, "am/pm")) {
        out += fmt.substr(hour < 12 ? i : i + 3, 2);
        i += 5;
        return true;
    }
    if (StartsWithNoCase(fmt, i, "a/p")) {
        out += hour < 12 ? fmt[i] : fmt[i + 2];
        i += 3;
        return true;
    }
    if (StartsWithNoCase(fmt, i, "ampm")) {
        out += hour < 12 ? TimeAMString : TimePMString;
        i += 4;
        return true;
    }
    return false;
}

// How many times the letter stands from i on, in either case.
size_t RunLength(std::string_view fmt, size_t i, char letter) {
    size_t k = i;
    while (k < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[k])) == letter)
        ++k;
    return k - i;
}

// True when the next letter after k is an "s": an "m" before seconds means minutes.
bool SecondsFollow(std::string_view fmt, size_t k) {
    while (k < fmt.size() && !std::isalpha(static_cast<unsigned char>(fmt[k])))
        ++k;
    return k < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[k])) == 's';
}

// d, dd: the day; ddd, dddd: the weekday's name; ddddd: the short date.
void AppendDay(std::string& out, size_t run, const TDateTimeParts& t, int depth) {
    if (run <= 2)
        out += Number(run, t.Day);
    else if (run == 3)
        out += ShortDayNames[size_t(t.WeekDay)];
    else if (run == 4)
        out += LongDayNames[size_t(t.WeekDay)];
    else
        AppendLocaleFormat(out, ShortDateFormat, t, depth);
}

// m, mm: the minute (where minutes are meant) or the month; mmm, mmmm: the month's name.
void AppendMonthOrMinute(std::string& out, size_t run, const TDateTimeParts& t, bool minute) {
    if (run <= 2)
        out += Number(run, minute ? t.Minute : t.Month);
    else if (run == 3)
        out += ShortMonthNames[size_t(t.Month - 1)];
    else
        out += LongMonthNames[size_t(t.Month - 1)];
}

// y, yy: two digits; longer runs: at least four.
void AppendYear(std::string& out, size_t run, int year) {
    if (run <= 2) {
        out += TwoDigits(year % 100);
        return;
    }
    std::string text = std::to_string(year);
    while (text.size() < 4)
        text.insert(text.begin(), '0');
    out += text;
}

void AppendHour(std::string& out, size_t run, int hour, bool twelveHour) {
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    out += Number(run, hour);
}

// z, zz: the milliseconds as they are; zzz: three digits.
void AppendMilli(std::string& out, size_t run, int milli) {
    std::string text = std::to_string(milli);
    if (run >= 3)
        while (text.size() < 3)
            text.insert(text.begin(), '0');
    out += text;
}

// A character that is no specifier: the locale's separators for "/" and ":", else itself.
void AppendPlain(std::string& out, char c) {
    out += c == '/' ? DateSeparator : c == ':' ? TimeSeparator : c;
}

void FormatDateTimeInto(std::string& out, std::string_view fmt, const TDateTimeParts& t,
                        int depth) {
    const bool twelveHour = HasAmPm(fmt);
    bool lastWasHour = false;
    size_t i = 0;
    while (i < fmt.size()) {
        if (AppendLiteralOrMarker(out, fmt, i, t.Hour))
            continue;
        const char letter = char(std::tolower(static_cast<unsigned char>(fmt[i])));
        if (letter == 'c') {
            // The short date, and the long time unless it is midnight.
            ++i;
            if (depth < 2) {
                FormatDateTimeInto(out, ShortDateFormat, t, depth + 1);
                if (t.Ms != 0) {
                    out += ' ';
                    FormatDateTimeInto(out, LongTimeFormat, t, depth + 1);
                }
            }
            continue;
        }
        if (std::string_view("dmyhnszt").find(letter) == std::string_view::npos) {
            AppendPlain(out, fmt[i++]);
            continue;
        }
        const size_t run = RunLength(fmt, i, letter);
        switch (letter) {
        case 'd':
            AppendDay(out, run, t, depth);
            break;
        case 'm':
            // Minutes right after an hour or right before seconds, else the month.
            AppendMonthOrMinute(out, run, t,
                                run <= 2 && (lastWasHour || SecondsFollow(fmt, i + run)));
            break;
        case 'y':
            AppendYear(out, run, t.Year);
            break;
        case 'h':
            AppendHour(out, run, t.Hour, twelveHour);
            break;
        case 'n':
            out += Number(run, t.Minute);
            break;
        case 's':
            out += Number(run, t.Second);
            break;
        case 'z':
            AppendMilli(out, run, t.Milli);
            break;
        default: // 't'
            AppendLocaleFormat(out, run == 1 ? ShortTimeFormat : LongTimeFormat, t, depth);
            break;
        }
        i += run;
        lastWasHour = letter == 'h';
    }
}

} // namespace

std::string FormatDateTime(std::string_view fmt, TDateTime value) {
    int64_t days = 0, ms = 0;
    SplitDateTime(value, days, ms);
    std::string out;
    FormatDateTimeInto(out, fmt.empty() ? std::string_view("c") : fmt, DateTimeParts(days, ms), 0);
    return out;
}

namespace {

// The numbers of text separated by separator (at most maxParts); false on anything else.
bool SplitNumbers(std::string_view text, char separator, size_t maxParts, std::vector<int>& parts) {
    parts.clear();
    size_t i = 0;
    while (true) {
        size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == start || i - start > 4)
            return false;
        parts.push_back(std::stoi(std::string(text.substr(start, i - start))));
        if (i == text.size())
            return parts.size() <= maxParts;
        if (text[i] != separator)
            return false;
        ++i;
    }
}

bool TryStrToDate(std::string_view text, TDateTime& result) {
    std::vector<int> parts;
    if (!SplitNumbers(Trim(text), DateSeparator, 3, parts) || parts.size() != 3)
        return false;
    // The order of day, month and year as ShortDateFormat writes them.
    std::string order;
    for (char c : ShortDateFormat) {
        const char lower = char(std::tolower(static_cast<unsigned char>(c)));
        if ((lower == 'd' || lower == 'm' || lower == 'y') &&
            order.find(lower) == std::string::npos)
            order += lower;
    }
    if (order.size() != 3)
        order = "mdy";
    int day = 0, month = 0, year = 0;
    for (size_t k = 0; k < 3; ++k) {
        if (order[k] == 'd')
            day = parts[k];
        else if (order[k] == 'm')
            month = parts[k];
        else
            year = parts[k];
    }
    if (year < 100)
        year += year < 50 ? 2000 : 1900;
    return TryEncodeDate(year, month, day, result);
}

bool TryStrToTime(std::string_view text, TDateTime& result) {
    std::string t = Trim(text);
    int addHours = 0;
    bool hasAmPm = false;
    for (const auto& [marker, hours] :
         {std::pair<const std::string&, int>(TimeAMString, 0), {TimePMString, 12}}) {
        if (!marker.empty() && t.size() > marker.size() &&
            SameText(t.substr(t.size() - marker.size()), marker)) {
            t = Trim(t.substr(0, t.size() - marker.size()));
            addHours = hours;
            hasAmPm = true;
            break;
        }
    }
    std::vector<int> parts;
    if (!SplitNumbers(t, TimeSeparator, 3, parts))
        return false;
    int hour = parts[0];
    if (hasAmPm) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + addHours;
    }
    const int minute = parts.size() > 1 ? parts[1] : 0;
    const int second = parts.size() > 2 ? parts[2] : 0;
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    result = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return true;
}

} // namespace

std::string DateToStr(TDateTime value) {
    return FormatDateTime(ShortDateFormat, value);
}
std::string TimeToStr(TDateTime value) {
    return FormatDateTime(LongTimeFormat, value);
}
std::string DateTimeToStr(TDateTime value) {
    return FormatDateTime("c", value);
}

TDateTime StrToDate(std::string_view text) {
    TDateTime result = 0;
    if (!TryStrToDate(text, result))
        throw EConvertError(Format(FrameworkTexts::InvalidDate, {std::string(text)}));
    return result;
}

TDateTime StrToTime(std::string_view text) {
    TDateTime result = 0;
    if (!TryStrToTime(text, result))
        throw EConvertError(Format(FrameworkTexts::InvalidTime, {std::string(text)}));
    return result;
}

TDateTime StrToDateTime(std::string_view text) {
    const std::string t = Trim(text);
    const size_t blank = t.find(' ');
    TDateTime date = 0, time = 0;
    const bool ok = blank == std::string::npos ? TryStrToDate(t, date)
                                               : TryStrToDate(t.substr(0, blank), date) &&
                                                     TryStrToTime(t.substr(blank + 1), time);
    if (!ok)
        throw EConvertError(Format(FrameworkTexts::InvalidDateTime, {std::string(text)}));
    return date < 0 ? date - time : date + time;
}

namespace {

std::function<TDateTime()>& NowProvider() {
    static std::function<TDateTime()> provider;
    return provider;
}

TDateTime SystemNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = std::time_t(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    const TDateTime date = double(
        DaysFromCivil(local.tm_year + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday)) -
        kEpochOffset);
    const int64_t msOfDay =
        ((int64_t(local.tm_hour) * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + ms % 1000;
    return date + double(msOfDay) / double(kMsPerDay);
}

} // namespace

TDateTime Now() {
    return NowProvider() ? NowProvider()() : SystemNow();
}

void SetNowProvider(std::function<TDateTime()> provider) {
    NowProvider() = std::move(provider);
}
