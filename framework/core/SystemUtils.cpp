#include "framework/core/SystemUtils.h"

#include "framework/core/FrameworkTexts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// Format settings

char DecimalSeparator = '.';
char ThousandSeparator = ',';
char DateSeparator = '/';
char TimeSeparator = ':';
std::string ShortDateFormat = "M/d/yyyy";
std::string LongTimeFormat = "h:mm:ss AMPM";
std::string ShortTimeFormat = "h:mm AMPM";
std::string TimeAMString = "AM";
std::string TimePMString = "PM";
std::array<std::string, 12> ShortMonthNames;
std::array<std::string, 12> LongMonthNames;
std::array<std::string, 7> ShortDayNames;
std::array<std::string, 7> LongDayNames;

namespace {

const std::array<std::string, 12> kEnglishShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<std::string, 12> kEnglishLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
const std::array<std::string, 7> kEnglishShortDays = {"Sun", "Mon", "Tue", "Wed",
                                                      "Thu", "Fri", "Sat"};
const std::array<std::string, 7> kEnglishLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                     "Thursday", "Friday", "Saturday"};
const std::array<std::string, 12> kGreekShortMonths = {"Ιαν",  "Φεβ", "Μαρ", "Απρ", "Μαΐ", "Ιουν",
                                                       "Ιουλ", "Αυγ", "Σεπ", "Οκτ", "Νοε", "Δεκ"};
const std::array<std::string, 12> kGreekLongMonths = {
    "Ιανουάριος", "Φεβρουάριος", "Μάρτιος",     "Απρίλιος",  "Μάιος",     "Ιούνιος",
    "Ιούλιος",    "Αύγουστος",   "Σεπτέμβριος", "Οκτώβριος", "Νοέμβριος", "Δεκέμβριος"};
const std::array<std::string, 7> kGreekShortDays = {"Κυρ", "Δευ", "Τρι", "Τετ",
                                                    "Πεμ", "Παρ", "Σαβ"};
const std::array<std::string, 7> kGreekLongDays = {"Κυριακή", "Δευτέρα",   "Τρίτη",  "Τετάρτη",
                                                   "Πέμπτη",  "Παρασκευή", "Σάββατο"};

// Languages that write a decimal comma and group thousands with a point.
const char* const kCommaDecimalLanguages[] = {
    "el", "de", "fr", "it", "es", "pt", "nl", "ru", "pl", "cs", "sk", "sv", "fi",
    "da", "nb", "nn", "no", "tr", "hu", "ro", "bg", "uk", "hr", "sl", "sr", "lt",
    "lv", "et", "id", "vi", "ca", "gl", "eu", "is", "be", "mk", "sq", "az", "kk"};

// The first non-empty variable of the list, as set in the environment.
std::string LocaleName(std::initializer_list<const char*> variables) {
    for (const char* name : variables) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

// "el_GR.UTF-8@euro" gives "el".
std::string LanguageOf(const std::string& locale) {
    std::string language;
    for (char c : locale) {
        if (c == '_' || c == '.' || c == '@' || c == '-')
            break;
        language += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return language;
}

bool UsesDecimalComma(const std::string& language) {
    for (const char* code : kCommaDecimalLanguages)
        if (language == code)
            return true;
    return false;
}

struct TFormatSettingsInitializer {
    TFormatSettingsInitializer() { InitFormatSettingsFromLocale(); }
};
const TFormatSettingsInitializer kFormatSettingsInitializer;

} // namespace

void InitFormatSettingsFromLocale() {
    const std::string numeric = LanguageOf(LocaleName({"LC_ALL", "LC_NUMERIC", "LANG"}));
    if (UsesDecimalComma(numeric)) {
        DecimalSeparator = ',';
        ThousandSeparator = '.';
    } else {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
    }

    const std::string timeLocale = LocaleName({"LC_ALL", "LC_TIME", "LANG"});
    const std::string language = LanguageOf(timeLocale);
    const bool american = language == "en" &&
                          (timeLocale.rfind("en_US", 0) == 0 || timeLocale.rfind("en_CA", 0) == 0);
    TimeSeparator = ':';
    TimeAMString = "AM";
    TimePMString = "PM";
    if (language == "el") {
        DateSeparator = '/';
        ShortDateFormat = "d/M/yyyy";
        TimeAMString = "πμ";
        TimePMString = "μμ";
        ShortMonthNames = kGreekShortMonths;
        LongMonthNames = kGreekLongMonths;
        ShortDayNames = kGreekShortDays;
        LongDayNames = kGreekLongDays;
        LongTimeFormat = "h:mm:ss ampm";
        ShortTimeFormat = "h:mm ampm";
        return;
    }
    ShortMonthNames = kEnglishShortMonths;
    LongMonthNames = kEnglishLongMonths;
    ShortDayNames = kEnglishShortDays;
    LongDayNames = kEnglishLongDays;
    if (american || numeric == "c" || numeric == "posix" || language == "c" ||
        language == "posix") {
        DateSeparator = '/';
        ShortDateFormat = "M/d/yyyy";
        LongTimeFormat = "h:mm:ss ampm";
        ShortTimeFormat = "h:mm ampm";
    } else if (language == "de" || language == "ru" || language == "pl" || language == "cs" ||
               language == "fi" || language == "nb" || language == "tr") {
        DateSeparator = '.';
        ShortDateFormat = "dd.MM.yyyy";
        LongTimeFormat = "hh:mm:ss";
        ShortTimeFormat = "hh:mm";
    } else {
        DateSeparator = '/';
        ShortDateFormat = "dd/MM/yyyy";
        LongTimeFormat = "hh:mm:ss";
        ShortTimeFormat = "hh:mm";
    }
}

TDecimalSeparatorGuard::TDecimalSeparatorGuard(char value) : FRestoreTo(DecimalSeparator) {
    DecimalSeparator = value;
}

TDecimalSeparatorGuard::TDecimalSeparatorGuard(char value, char restoreTo) : FRestoreTo(restoreTo) {
    DecimalSeparator = value;
}

TDecimalSeparatorGuard::~TDecimalSeparatorGuard() {
    DecimalSeparator = FRestoreTo;
}

// ---------------------------------------------------------------------------
// Decimal digits of a double, rounded on the decimal digits shown

namespace {

// |value| = 0.Digits × 10^Point; Digits holds no leading zeros; empty Digits is zero.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Point = 0;
};

// The shortest decimal text that reads back as the same double.
TDecimal ToDecimal(double value) {
    TDecimal result;
    result.Negative = std::signbit(value);
    value = std::fabs(value);
    if (value == 0)
        return result;
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    (void)ec;
    const std::string_view text(buffer, size_t(end - buffer));
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            result.Digits += text[i];
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    result.Point = exponent + 1;
    while (!result.Digits.empty() && result.Digits.back() == '0')
        result.Digits.pop_back();
    return result;
}

// Keeps the first `keep` digits, halves rounded away from zero.
void RoundDigits(TDecimal& d, int keep) {
    if (keep >= int(d.Digits.size()))
        return;
    if (keep < 0) {
        d.Digits.clear();
        return;
    }
    const bool up = d.Digits[size_t(keep)] >= '5';
    d.Digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[size_t(i)] == '9') {
            d.Digits[size_t(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.Digits[size_t(i)];
        } else {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Point;
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
}

void RoundSignificant(TDecimal& d, int digits) {
    RoundDigits(d, digits);
}
void RoundDecimals(TDecimal& d, int decimals) {
    RoundDigits(d, d.Point + decimals);
}

char DigitAt(const TDecimal& d, int index) {
    return index >= 0 && index < int(d.Digits.size()) ? d.Digits[size_t(index)] : '0';
}

std::string GroupThousands(const std::string& digits, char separator) {
    std::string result;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            result += separator;
        result += digits[size_t(i)];
    }
    return result;
}

std::string NonFinite(double value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Fixed notation with `decimals` digits after the separator.
std::string FormatFixed(double value, int decimals, char decimalSep, bool thousands) {
    if (!std::isfinite(value))
        return NonFinite(value);
    TDecimal d = ToDecimal(value);
    RoundDecimals(d, decimals);
    std::string intPart;
    for (int i = 0; i < d.Point; ++i)
        intPart += DigitAt(d, i);
    if (intPart.empty())
        intPart = "0";
    if (thousands)
        intPart = GroupThousands(intPart, ThousandSeparator);
    std::string result = (d.Negative && !d.Digits.empty()) ? "-" : "";
    result += intPart;
    if (decimals > 0) {
        result += decimalSep;
        for (int i = 0; i < decimals; ++i)
            result += DigitAt(d, d.Point + i);
    }
    return result;
}

std::string ExponentText(int exponent, bool plusSign, int minDigits) {
    std::string digits = std::to_string(std::abs(exponent));
    while (int(digits.size()) < minDigits)
        digits.insert(digits.begin(), '0');
    std::string result = exponent < 0 ? "-" : (plusSign ? "+" : "");
    return result + digits;
}

// Scientific notation: one digit, the separator, precision - 1 digits, "E", a signed
// exponent of at least three digits.
std::string FormatScientific(double value, int precision, char decimalSep) {
    if (!std::isfinite(value))
        return NonFinite(value);
    TDecimal d = ToDecimal(value);
    RoundSignificant(d, precision);
    const int exponent = d.Digits.empty() ? 0 : d.Point - 1;
    std::string result = (d.Negative && !d.Digits.empty()) ? "-" : "";
    result += DigitAt(d, 0);
    if (precision > 1) {
        result += decimalSep;
        for (int i = 1; i < precision; ++i)
            result += DigitAt(d, i);
    }
    return result + "E" + ExponentText(exponent, true, 3);
}

// The general form: at most `precision` significant digits, no trailing zeros; the
// exponent form when the integer digits exceed the precision or the value is below 1E-5.
std::string FormatGeneral(double value, int precision, char decimalSep) {
    if (!std::isfinite(value))
        return NonFinite(value);
    TDecimal d = ToDecimal(value);
    RoundSignificant(d, precision);
    if (d.Digits.empty())
        return "0";
    std::string result = d.Negative ? "-" : "";
    const int n = int(d.Digits.size());
    if (d.Point > precision || d.Point < -4) {
        result += d.Digits[0];
        if (n > 1) {
            result += decimalSep;
            result += d.Digits.substr(1);
        }
        return result + "E" + ExponentText(d.Point - 1, false, 0);
    }
    if (d.Point <= 0) {
        result += '0';
        result += decimalSep;
        result.append(size_t(-d.Point), '0');
        return result + d.Digits;
    }
    for (int i = 0; i < d.Point; ++i)
        result += DigitAt(d, i);
    if (n > d.Point) {
        result += decimalSep;
        result += d.Digits.substr(size_t(d.Point));
    }
    return result;
}

} // namespace

// ---------------------------------------------------------------------------
// Numbers as text

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

std::string IntToHex(int64_t value, int digits) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, uint64_t(value), 16);
    (void)ec;
    std::string result(buffer, end);
    for (char& c : result)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    while (int(result.size()) < digits)
        result.insert(result.begin(), '0');
    return result;
}

std::string FloatToStr(double value) {
    return FormatGeneral(value, 15, DecimalSeparator);
}

std::string FloatToStrSep(double value, char decimalSeparator) {
    return FormatGeneral(value, 15, decimalSeparator);
}

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool TryStrToFloatSep(std::string_view text, double& value, char decimalSeparator) {
    const std::string_view s = TrimView(text);
    // Rebuild the text in the form from_chars reads: sign, digits, ".", digits, exponent.
    std::string normal;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            normal += '-';
        ++i;
    }
    int mantissaDigits = 0;
    int intDigits = 0;
    bool leadingZeros = true;
    while (i < s.size() && IsDigit(s[i])) {
        if (s[i] != '0')
            leadingZeros = false;
        if (!leadingZeros)
            ++intDigits;
        normal += s[i++];
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == decimalSeparator) {
        normal += '.';
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            normal += s[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normal += 'e';
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negative = s[i] == '-';
            normal += s[i++];
        }
        int expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) {
            if (exponent < 100000)
                exponent = exponent * 10 + (s[i] - '0');
            normal += s[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
        if (negative)
            exponent = -exponent;
    }
    if (i != s.size())
        return false;
    double result = 0;
    auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), result,
                                     std::chars_format::general);
    if (ptr != normal.data() + normal.size())
        return false;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is not a number we can hold.
        if (intDigits + exponent > 0)
            return false;
        result = normal[0] == '-' ? -0.0 : 0.0;
    } else if (ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool TryStrToFloat(std::string_view text, double& value) {
    return TryStrToFloatSep(text, value, DecimalSeparator);
}

bool IsNumberText(std::string_view text, char decimalSeparator) {
    std::string_view s = TrimView(text);
    if (!s.empty() && (s[0] == '+' || s[0] == '-'))
        s.remove_prefix(1);
    for (const char* word : {"inf", "infinity", "nan"})
        if (SameText(s, word))
            return true;
    size_t i = 0;
    int mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == decimalSeparator)
        for (++i; i < s.size() && IsDigit(s[i]); ++i)
            ++mantissaDigits;
    if (mantissaDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const size_t digits = i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        if (i == digits)
            return false;
    }
    return i == s.size();
}

double StrToFloat(std::string_view text) {
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError(Format(FrameworkTexts::InvalidFloat, {text}));
    return value;
}

double StrToFloatDef(std::string_view text, double def) {
    double value = 0;
    return TryStrToFloat(text, value) ? value : def;
}

bool TryStrToInt64(std::string_view text, int64_t& value) {
    const std::string_view s = TrimView(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size() || s[i] == '+' || s[i] == '-')
        return false;
    uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(s.data() + i, s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return false;
    if (base == 16) {
        // Hexadecimal texts give the bit pattern, as in the class library.
        value = negative ? -int64_t(magnitude) : int64_t(magnitude);
        return true;
    }
    if (negative) {
        if (magnitude > uint64_t(INT64_MAX) + 1)
            return false;
        value = magnitude == uint64_t(INT64_MAX) + 1 ? INT64_MIN : -int64_t(magnitude);
    } else {
        if (magnitude > uint64_t(INT64_MAX))
            return false;
        value = int64_t(magnitude);
    }
    return true;
}

bool TryStrToInt(std::string_view text, int& value) {
    int64_t wide = 0;
    if (!TryStrToInt64(text, wide))
        return false;
    const std::string_view s = TrimView(text);
    const bool hex = s.find_first_of("$xX") != std::string_view::npos;
    if (hex) {
        // Up to eight hexadecimal digits wrap to the 32-bit value.
        if (wide > int64_t(UINT32_MAX) || wide < -int64_t(UINT32_MAX))
            return false;
        value = int(int32_t(uint32_t(uint64_t(wide))));
        return true;
    }
    if (wide < INT_MIN || wide > INT_MAX)
        return false;
    value = int(wide);
    return true;
}

int StrToInt(std::string_view text) {
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(Format(FrameworkTexts::InvalidInteger, {text}));
    return value;
}

int StrToIntDef(std::string_view text, int def) {
    int value = 0;
    return TryStrToInt(text, value) ? value : def;
}

int64_t StrToInt64(std::string_view text) {
    int64_t value = 0;
    if (!TryStrToInt64(text, value))
        throw EConvertError(Format(FrameworkTexts::InvalidInteger, {text}));
    return value;
}

// ---------------------------------------------------------------------------
// Format

namespace {

[[noreturn]] void FormatError(std::string_view fmt) {
    throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
}

size_t Utf8Length(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

// The first `count` characters (code points) of s.
std::string Utf8Prefix(std::string_view s, size_t count) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == count)
                return std::string(s.substr(0, i));
            ++n;
        }
    }
    return std::string(s);
}

uint64_t UnsignedOf(int64_t v) {
    // A negative 32-bit value shows as its 32-bit pattern, wider ones as 64 bits.
    if (v < 0 && v >= INT32_MIN)
        return uint32_t(int32_t(v));
    return uint64_t(v);
}

// One specifier, %[index:][-][width][.precision]type; -1 for a width or precision not given.
struct TFormatSpec {
    bool LeftJustify = false;
    int Width = -1;
    int Precision = -1;
    char Type = 0; // lower case
};

// Walks the format: copies the literal text, reads the specifiers and hands out the
// arguments in turn ("*" takes one, "index:" moves to another).
class TFormatReader {
public:
    TFormatReader(std::string_view fmt, const std::vector<TFormatArg>& args)
        : FFmt(fmt), FArgs(args) {}

    // Copies the text up to the next specifier to out ("%%" as a percent sign); false when
    // the format ends first.
    bool CopyUpToSpecifier(std::string& out) {
        while (FPos < FFmt.size()) {
            const char c = FFmt[FPos++];
            if (c != '%') {
                out += c;
                continue;
            }
            if (FPos < FFmt.size() && FFmt[FPos] == '%') {
                out += '%';
                ++FPos;
                continue;
            }
            return true;
        }
        return false;
    }

    // The specifier after a "%".
    TFormatSpec ReadSpecifier() {
        TFormatSpec spec;
        if (FPos < FFmt.size() && FFmt[FPos] != '-') {
            const int number = ReadNumber();
            if (FPos < FFmt.size() && FFmt[FPos] == ':') {
                ++FPos;
                if (number < 0)
                    Fail();
                FArg = size_t(number);
            } else {
                spec.Width = number;
            }
        }
        if (spec.Width < 0) {
            if (FPos < FFmt.size() && FFmt[FPos] == '-') {
                spec.LeftJustify = true;
                ++FPos;
            }
            spec.Width = ReadNumber();
        }
        if (FPos < FFmt.size() && FFmt[FPos] == '.') {
            ++FPos;
            spec.Precision = std::max(ReadNumber(), 0);
        }
        if (FPos >= FFmt.size())
            Fail();
        spec.Type = char(std::tolower(static_cast<unsigned char>(FFmt[FPos++])));
        return spec;
    }

    const TVarRec& NextArg() {
        if (FArg >= FArgs.size())
            Fail();
        return FArgs[FArg++].Value;
    }

    [[noreturn]] void Fail() const { FormatError(FFmt); }

private:
    // A number written in the specifier or "*" for the next argument; -1 when absent.
    int ReadNumber() {
        if (FPos < FFmt.size() && FFmt[FPos] == '*') {
            ++FPos;
            const TVarRec& v = NextArg();
            if (!std::holds_alternative<int64_t>(v))
                Fail();
            return int(std::get<int64_t>(v));
        }
        if (FPos >= FFmt.size() || !IsDigit(FFmt[FPos]))
            return -1;
        int value = 0;
        while (FPos < FFmt.size() && IsDigit(FFmt[FPos])) {
            value = std::min(value * 10 + (FFmt[FPos] - '0'), 1 << 20);
            ++FPos;
        }
        return value;
    }

    std::string_view FFmt;
    const std::vector<TFormatArg>& FArgs;
    size_t FArg = 0;
    size_t FPos = 0;
};

// d, u, x: at least precision digits, a minus sign before them.
std::string FormatInteger(char type, int precision, int64_t value) {
    bool negative = false;
    std::string digits;
    if (type == 'd') {
        negative = value < 0;
        digits = std::to_string(value);
        if (negative)
            digits.erase(0, 1);
    } else if (type == 'u') {
        digits = std::to_string(UnsignedOf(value));
    } else {
        digits = IntToHex(int64_t(UnsignedOf(value)), 0);
    }
    while (int(digits.size()) < precision)
        digits.insert(digits.begin(), '0');
    return (negative ? "-" : "") + digits;
}

// f, n, m (money: no currency sign, which the programs never show), e, g with the
// current decimal separator.
std::string FormatReal(char type, int precision, double value) {
    switch (type) {
    case 'f':
        return FormatFixed(value, precision < 0 ? 2 : std::min(precision, 18), DecimalSeparator,
                           false);
    case 'n':
    case 'm':
        return FormatFixed(value, precision < 0 ? 2 : std::min(precision, 18), DecimalSeparator,
                           true);
    case 'e':
        return FormatScientific(value, precision <= 0 ? 15 : std::min(precision, 18),
                                DecimalSeparator);
    default:
        return FormatGeneral(value, precision <= 0 ? 15 : std::min(precision, 18),
                             DecimalSeparator);
    }
}

// c: the first character of a text, or the character of a code point.
std::optional<std::string> FormatCharacter(const TVarRec& arg) {
    if (const std::string* s = std::get_if<std::string>(&arg))
        return Utf8Prefix(*s, 1);
    const int64_t* code = std::get_if<int64_t>(&arg);
    if (!code || *code < 0 || *code > 0x10FFFF)
        return std::nullopt;
    std::string text;
    AppendUtf8(text, uint32_t(*code));
    return text;
}

// The text of one specifier with its argument, before padding; nothing when the
// argument does not suit the type or the type is unknown.
std::optional<std::string> Convert(const TFormatSpec& spec, const TVarRec& arg) {
    const int64_t* intArg = std::get_if<int64_t>(&arg);
    const double* floatArg = std::get_if<double>(&arg);
    switch (spec.Type) {
    case 'd':
    case 'u':
    case 'x':
        if (!intArg)
            return std::nullopt;
        return FormatInteger(spec.Type, spec.Precision, *intArg);
    case 'f':
    case 'n':
    case 'm':
    case 'e':
    case 'g':
        // Whole numbers are accepted where a real is expected.
        if (!floatArg && !intArg)
            return std::nullopt;
        return FormatReal(spec.Type, spec.Precision, floatArg ? *floatArg : double(*intArg));
    case 's': {
        const std::string* s = std::get_if<std::string>(&arg);
        if (!s)
            return std::nullopt;
        return spec.Precision >= 0 ? Utf8Prefix(*s, size_t(spec.Precision)) : *s;
    }
    case 'c':
        return FormatCharacter(arg);
    case 'p': {
        const void* const* pointer = std::get_if<const void*>(&arg);
        if (!pointer)
            return std::nullopt;
        return IntToHex(int64_t(reinterpret_cast<uintptr_t>(*pointer)), int(sizeof(void*) * 2));
    }
    default:
        return std::nullopt;
    }
}

// Blanks up to the width, after the text when left-justified; the width counts characters.
void AppendPadded(std::string& out, const std::string& text, const TFormatSpec& spec) {
    const size_t length = Utf8Length(text);
    const size_t pad =
        spec.Width > 0 && length < size_t(spec.Width) ? size_t(spec.Width) - length : 0;
    if (!spec.LeftJustify)
        out.append(pad, ' ');
    out += text;
    if (spec.LeftJustify)
        out.append(pad, ' ');
}

} // namespace

std::string Format(std::string_view fmt, const std::vector<TFormatArg>& args) {
    TFormatReader reader(fmt, args);
    std::string out;
    while (reader.CopyUpToSpecifier(out)) {
        const TFormatSpec spec = reader.ReadSpecifier();
        const std::optional<std::string> text = Convert(spec, reader.NextArg());
        if (!text)
            reader.Fail();
        AppendPadded(out, *text, spec);
    }
    return out;
}

std::string Format(std::string_view fmt, std::initializer_list<TFormatArg> args) {
    return Format(fmt, std::vector<TFormatArg>(args));
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

struct TFloatPattern {
    std::string_view Text;
    int IntPlaceholders = 0; // # and 0 before the decimal point
    int MinIntDigits = 0;    // placeholders from the first 0 to the decimal point
    int MaxDecimals = 0;     // placeholders after the decimal point
    int MinDecimals = 0;     // up to the last 0 after the decimal point
    bool Thousands = false;  // a "," among the integer placeholders
    bool Scientific = false; // E+ / E- / e+ / e-
    bool ExponentPlus = false;
    char ExponentChar = 'E';
    int ExponentDigits = 0;
    bool HasPlaceholders = false;
};

bool IsPlaceholder(char c) {
    return c == '#' || c == '0';
}

// Splits a format into its ";" sections, quotes respected.
std::vector<std::string_view> SplitSections(std::string_view fmt) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        const char c = fmt[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(fmt.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(fmt.substr(start));
    return sections;
}

TFloatPattern AnalysePattern(std::string_view text) {
    TFloatPattern p;
    p.Text = text;
    bool afterPoint = false;
    bool seenZero = false;
    int decimalsSeen = 0;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && i + 1 < text.size() &&
                   (text[i + 1] == '+' || text[i + 1] == '-') && p.HasPlaceholders &&
                   !p.Scientific) {
            p.Scientific = true;
            p.ExponentChar = c;
            p.ExponentPlus = text[i + 1] == '+';
            size_t j = i + 2;
            while (j < text.size() && text[j] == '0') {
                ++p.ExponentDigits;
                ++j;
            }
            i = j - 1;
        } else if (p.Scientific) {
            continue;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (c == ',' && !afterPoint) {
            if (p.HasPlaceholders)
                p.Thousands = true;
        } else if (IsPlaceholder(c)) {
            p.HasPlaceholders = true;
            if (afterPoint) {
                ++decimalsSeen;
                p.MaxDecimals = decimalsSeen;
                if (c == '0')
                    p.MinDecimals = decimalsSeen;
            } else {
                ++p.IntPlaceholders;
                if (c == '0')
                    seenZero = true;
                if (seenZero)
                    ++p.MinIntDigits;
            }
        }
    }
    return p;
}

// Writes the value into the pattern; `d` is already rounded for it.
std::string ApplyPattern(const TFloatPattern& p, const TDecimal& d, int intDigitCount,
                         int exponent) {
    // Integer digits, right-aligned on the integer placeholders, padded with zeros.
    std::string intDigits;
    for (int k = 0; k < intDigitCount; ++k)
        intDigits += DigitAt(d, k);
    const size_t firstNonZero = intDigits.find_first_not_of('0');
    intDigits = firstNonZero == std::string::npos ? "" : intDigits.substr(firstNonZero);
    while (int(intDigits.size()) < p.MinIntDigits)
        intDigits.insert(intDigits.begin(), '0');
    std::string fraction;
    for (int k = 0; k < p.MaxDecimals; ++k)
        fraction += DigitAt(d, intDigitCount + k);
    while (int(fraction.size()) > p.MinDecimals && fraction.back() == '0')
        fraction.pop_back();

    std::string out;
    const int intLength = int(intDigits.size());
    int intPlaceholder = 0; // placeholders of the integer part passed so far
    int fracPlaceholder = 0;
    int nextIntDigit = 0;
    bool afterPoint = false;
    char quote = 0;
    auto emitIntDigit = [&](int index) {
        out += intDigits[size_t(index)];
        const int remaining = intLength - index - 1;
        if (p.Thousands && remaining > 0 && remaining % 3 == 0)
            out += ThousandSeparator;
    };
    const std::string_view text = p.Text;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (p.Scientific && (c == 'E' || c == 'e') && i + 1 < text.size() &&
                   (text[i + 1] == '+' || text[i + 1] == '-')) {
            size_t j = i + 2;
            while (j < text.size() && text[j] == '0')
                ++j;
            out += p.ExponentChar;
            out += ExponentText(exponent, p.ExponentPlus, p.ExponentDigits);
            i = j - 1;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
            if (!fraction.empty())
                out += DecimalSeparator;
        } else if (c == ',' && !afterPoint) {
            // Thousands flag, written by the digits themselves.
        } else if (IsPlaceholder(c)) {
            if (!afterPoint) {
                // Digits beyond the placeholders all go with the first one.
                const int offset = intLength - p.IntPlaceholders;
                const int upTo = intPlaceholder + offset;
                while (nextIntDigit <= upTo && nextIntDigit < intLength)
                    emitIntDigit(nextIntDigit++);
                ++intPlaceholder;
            } else {
                if (fracPlaceholder < int(fraction.size()))
                    out += fraction[size_t(fracPlaceholder)];
                ++fracPlaceholder;
            }
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormatSection(std::string_view section, double magnitude, bool withMinus) {
    const TFloatPattern p = AnalysePattern(section);
    if (!p.HasPlaceholders) {
        // A section of literals only: the literals.
        std::string out;
        char quote = 0;
        for (char c : section) {
            if (quote) {
                if (c == quote)
                    quote = 0;
                else
                    out += c;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else {
                out += c;
            }
        }
        return (withMinus ? "-" : "") + out;
    }
    TDecimal d = ToDecimal(magnitude);
    d.Negative = false;
    int exponent = 0;
    int intDigitCount = 0;
    if (p.Scientific) {
        const int intPlaces = std::max(p.IntPlaceholders, 1);
        if (!d.Digits.empty()) {
            RoundSignificant(d, intPlaces + p.MaxDecimals);
            exponent = d.Point - intPlaces;
        }
        intDigitCount = intPlaces;
    } else {
        RoundDecimals(d, p.MaxDecimals);
        intDigitCount = std::max(d.Point, 0);
    }
    TDecimal shifted = d;
    if (!p.Scientific && d.Point < 0) {
        // Leading zeros of the fraction belong in the digit string.
        shifted.Digits = std::string(size_t(-d.Point), '0') + d.Digits;
        shifted.Point = 0;
    }
    std::string body = ApplyPattern(p, shifted, intDigitCount, exponent);
    return (withMinus && !d.Digits.empty() ? "-" : "") + body;
}

} // namespace

std::string FormatFloat(std::string_view fmt, double value) {
    if (!std::isfinite(value))
        return NonFinite(value);
    if (TrimView(fmt).empty())
        return FloatToStr(value);
    const std::vector<std::string_view> sections = SplitSections(fmt);
    const double magnitude = std::fabs(value);
    // Whether the value shows as zero in the first section decides the zero section.
    const TFloatPattern first = AnalysePattern(sections[0]);
    TDecimal probe = ToDecimal(magnitude);
    if (first.Scientific)
        RoundSignificant(probe, std::max(first.IntPlaceholders, 1) + first.MaxDecimals);
    else
        RoundDecimals(probe, first.MaxDecimals);
    const bool zero = probe.Digits.empty();
    if (zero && sections.size() >= 3 && !sections[2].empty())
        return FormatSection(sections[2], 0.0, false);
    if (zero)
        return FormatSection(sections[0], 0.0, false);
    if (value < 0) {
        if (sections.size() >= 2 && !sections[1].empty())
            return FormatSection(sections[1], magnitude, false);
        return FormatSection(sections[0], magnitude, true);
    }
    return FormatSection(sections[0], magnitude, false);
}

// ---------------------------------------------------------------------------
// Dates and times are in SystemDates.cpp.

// ---------------------------------------------------------------------------
// Arithmetic

namespace {

// NaN, infinities and values beyond 64 bits have no whole-number value.
void CheckIntegral(double value) {
    if (!(std::fabs(value) < 9223372036854775808.0))
        throw EInvalidOperation("Invalid floating point operation");
}

} // namespace

int64_t Round(double value) {
    CheckIntegral(value);
    const double lower = std::floor(value);
    const double diff = value - lower;
    double result = lower;
    if (diff > 0.5)
        result = lower + 1;
    else if (diff == 0.5)
        result = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    return int64_t(result);
}

int64_t Trunc(double value) {
    CheckIntegral(value);
    return int64_t(std::trunc(value));
}

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * int64_t(b);
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    if (2 * std::abs(remainder) >= std::abs(int64_t(c)))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > INT_MAX || quotient < INT_MIN)
        return -1;
    return int(quotient);
}

// ---------------------------------------------------------------------------
// Random numbers

uint32_t RandSeed = 0;

void Randomize() {
    using namespace std::chrono;
    const auto ticks = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    RandSeed = uint32_t(uint64_t(ticks) ^ (uint64_t(ticks) >> 32));
}

double Random() {
    RandSeed = RandSeed * 134775813u + 1u;
    return double(RandSeed) / 4294967296.0;
}

int Random(int range) {
    RandSeed = RandSeed * 134775813u + 1u;
    if (range <= 0)
        return 0;
    return int((uint64_t(RandSeed) * uint64_t(uint32_t(range))) >> 32);
}

// ---------------------------------------------------------------------------
// Strings and file names

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string UpperCase(std::string_view s) {
    std::string result(s);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return result;
}

std::string LowerCase(std::string_view s) {
    std::string result(s);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return result;
}

namespace {

// The next code point of s at i (a byte that does not start a valid sequence is taken
// on its own).
uint32_t NextCodePoint(std::string_view s, size_t& i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (length > 1 && i + size_t(length) <= s.size()) {
        uint32_t cp = b & (0xFF >> (length + 1));
        bool ok = true;
        for (int k = 1; k < length; ++k) {
            const unsigned char cb = static_cast<unsigned char>(s[i + size_t(k)]);
            if ((cb & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cb & 0x3F);
        }
        if (ok) {
            i += size_t(length);
            return cp;
        }
    }
    ++i;
    return b;
}

// Lower case of ASCII and Greek letters, accented capitals included.
uint32_t FoldCase(uint32_t cp) {
    if (cp >= 'A' && cp <= 'Z')
        return cp + 32;
    if (cp >= 0x0391 && cp <= 0x03AB && cp != 0x03A2)
        return cp + 32;
    switch (cp) {
    case 0x0386:
        return 0x03AC;
    case 0x0388:
        return 0x03AD;
    case 0x0389:
        return 0x03AE;
    case 0x038A:
        return 0x03AF;
    case 0x038C:
        return 0x03CC;
    case 0x038E:
        return 0x03CD;
    case 0x038F:
        return 0x03CE;
    default:
        return cp;
    }
}

} // namespace

int CompareText(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t ca = FoldCase(NextCodePoint(a, i));
        const uint32_t cb = FoldCase(NextCodePoint(b, j));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

bool SameText(std::string_view a, std::string_view b) {
    return CompareText(a, b) == 0;
}

std::string FoldedText(std::string_view s) {
    // ASCII text folds to its lower case. Other text gives three bytes per folded code
    // point after a 0xFF byte, which no ASCII text holds: no other code point folds to an
    // ASCII letter, so the two kinds never compare equal.
    if (std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; }))
        return LowerCase(s);
    std::string key(1, '\xFF');
    key.reserve(s.size() * 3 + 1);
    for (size_t i = 0; i < s.size();) {
        const uint32_t cp = FoldCase(NextCodePoint(s, i));
        key += char((cp >> 16) & 0xFF);
        key += char((cp >> 8) & 0xFF);
        key += char(cp & 0xFF);
    }
    return key;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(s);
    std::string result;
    size_t pos = 0;
    while (true) {
        const size_t found = s.find(from, pos);
        if (found == std::string_view::npos)
            break;
        result.append(s.substr(pos, found - pos));
        result.append(to);
        pos = found + from.size();
    }
    result.append(s.substr(pos));
    return result;
}

std::string ExtractFilePath(std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    return slash == std::string_view::npos ? std::string()
                                           : std::string(fileName.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash == std::string_view::npos)
        return std::string();
    if (slash == 0)
        return "/";
    return std::string(fileName.substr(0, slash));
}

std::string ExtractFileName(std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    const size_t slash = fileName.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string();
    return std::string(fileName.substr(dot));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view ext) {
    const size_t dot = fileName.rfind('.');
    const size_t slash = fileName.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(fileName) + std::string(ext);
    return std::string(fileName.substr(0, dot)) + std::string(ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != '/')
        result += '/';
    return result;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
    std::string result(path);
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

bool FileExists(std::string_view fileName) {
    struct stat st {};
    return stat(std::string(fileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view dir) {
    struct stat st {};
    return stat(std::string(dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view fileName) {
    return unlink(std::string(fileName).c_str()) == 0;
}

namespace {

std::string& ProgramFileNameOverride() {
    static std::string name;
    return name;
}

} // namespace

std::string ParamStr0() {
    if (!ProgramFileNameOverride().empty())
        return ProgramFileNameOverride();
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, size_t(length)) : std::string();
}

void SetProgramFileName(std::string fileName) {
    ProgramFileNameOverride() = std::move(fileName);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// ---------------------------------------------------------------------------
// Text encoding

namespace {

// Code page 1253 (Greek) from 0x80 to 0xFF; 0xFFFD marks bytes the code page leaves
// undefined.
// clang-format off
constexpr uint16_t kCp1253[128] = {
    // 0x80
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0xFFFD, 0x2030, 0xFFFD, 0x2039, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD,
    // 0x90
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0xFFFD, 0x203A, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD,
    // 0xA0
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0xFFFD, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015,
    // 0xB0
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7,
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F,
    // 0xC0
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397,
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F,
    // 0xD0
    0x03A0, 0x03A1, 0xFFFD, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7,
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF,
    // 0xE0
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7,
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF,
    // 0xF0
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7,
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0xFFFD,
};
// clang-format on

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            // Runs of ASCII, eight bytes at a time.
            ++i;
            uint64_t word = 0;
            while (i + 8 <= n &&
                   (std::memcpy(&word, bytes.data() + i, 8), (word & 0x8080808080808080ULL) == 0))
                i += 8;
            continue;
        }
        int length = 0;
        uint32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + size_t(length) > n)
            return false;
        for (int k = 1; k < length; ++k) {
            const unsigned char cb = static_cast<unsigned char>(bytes[i + size_t(k)]);
            if ((cb & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cb & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += size_t(length);
    }
    return true;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string result;
    result.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80)
            result += c;
        else
            AppendUtf8(result, kCp1253[b - 0x80]);
    }
    return result;
}

namespace {

// Code page 1252 (Western) from 0x80 to 0x9F; from 0xA0 on it is Latin-1.
// clang-format off
constexpr uint16_t kCp1252[32] = {
    // 0x80
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    // 0x90
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};
// clang-format on

} // namespace

uint32_t AnsiCharToUnicode(uint8_t byte, int codePage) {
    if (byte < 0x80)
        return byte;
    if (codePage == 1253)
        return kCp1253[byte - 0x80];
    return byte < 0xA0 ? kCp1252[byte - 0x80] : byte;
}

int UnicodeToAnsiChar(uint32_t cp, int codePage) {
    if (cp < 0x80)
        return int(cp);
    if (cp == 0xFFFD)
        return -1;
    for (int b = 0x80; b <= 0xFF; ++b)
        if (AnsiCharToUnicode(uint8_t(b), codePage) == cp)
            return b;
    return -1;
}
