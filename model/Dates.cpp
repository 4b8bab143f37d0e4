#include "model/Dates.h"

#include "framework/core/SystemUtils.h"

#include <algorithm>
#include <vector>

namespace {

// The text split into characters (UTF-8 sequences), so that a Greek letter counts as one.
std::vector<std::string_view> SplitCharacters(std::string_view text) {
    std::vector<std::string_view> chars;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t len = 1;
        if (lead >= 0xF0)
            len = 4;
        else if (lead >= 0xE0)
            len = 3;
        else if (lead >= 0xC0)
            len = 2;
        len = std::min(len, text.size() - i);
        chars.push_back(text.substr(i, len));
        i += len;
    }
    return chars;
}

} // namespace

std::string HourToDateStr(int hour) {
    int month = 1;
    while (month < 12 && hour >= MonthStartHour[month + 1])
        ++month;
    const int day = (hour - MonthStartHour[month]) / 24 + 1;
    return Format("%0.2d%s%0.2d", {day, DateSepChar, month});
}

int DateStrToHour(std::string_view text, uint8_t hourOfDay) {
    const auto chars = SplitCharacters(text);
    int day = 0;
    int month = 0;
    bool valid = chars.size() >= 5;
    if (valid) {
        const std::string dayText = std::string(chars[0]) + std::string(chars[1]);
        const std::string monthText = std::string(chars[3]) + std::string(chars[4]);
        valid = TryStrToInt(dayText, day) && TryStrToInt(monthText, month) && month >= 1 &&
                month <= 12 && day >= 1 && day <= DaysInMonth[month];
    }
    if (!valid)
        throw EConvertError(Format("Ακατάλληλη μετατροπή ημερομηνίας %s", {text}));
    return MonthStartHour[month] + (day - 1) * 24 + hourOfDay - 1;
}
