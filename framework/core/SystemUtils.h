#pragma once
// The run-time library's basics: exceptions, process-wide format settings, number and
// date conversions, Format, rounding, random numbers and a replaceable clock.
// Standard C++ only; nothing here depends on the C library's locale.

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// ---------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const { return FMessage; }
    void SetMessage(std::string value) { FMessage = std::move(value); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Input/output errors of files: open, read, write, a malformed number in a text file.
class EInOutError : public Exception {
public:
    explicit EInOutError(std::string message, int errorCode = 0)
        : Exception(std::move(message)), FErrorCode(errorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// A text that is not a number, a date or an integer where one is required.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An operation that the object's state does not allow.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list's range.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Format settings: process-wide, initialised from the user's locale (LC_NUMERIC,
// LC_TIME) at start-up and settable by the program and by tests.

extern char DecimalSeparator;
extern char ThousandSeparator;
extern char DateSeparator;
extern char TimeSeparator;
extern std::string ShortDateFormat;
extern std::string LongTimeFormat;
extern std::array<std::string, 12> ShortMonthNames;
extern std::array<std::string, 12> LongMonthNames;
extern std::array<std::string, 7> ShortDayNames; // Sunday first
extern std::array<std::string, 7> LongDayNames;
extern std::string ShortTimeFormat;
extern std::string TimeAMString;
extern std::string TimePMString;

// Reads the settings above from the environment's locale (LC_ALL, LC_NUMERIC, LANG).
// Runs once automatically before main; tests may call it again.
void InitFormatSettingsFromLocale();

// Sets DecimalSeparator for the guard's lifetime and restores a given value (by default
// the one in force before) when it ends, also by an exception.
class TDecimalSeparatorGuard {
public:
    explicit TDecimalSeparatorGuard(char value);
    TDecimalSeparatorGuard(char value, char restoreTo);
    ~TDecimalSeparatorGuard();
    TDecimalSeparatorGuard(const TDecimalSeparatorGuard&) = delete;
    TDecimalSeparatorGuard& operator=(const TDecimalSeparatorGuard&) = delete;

private:
    char FRestoreTo;
};

// ---------------------------------------------------------------------------
// Format with the class library's syntax: %[index:][-][width][.precision]type where
// type is d u s f g e n m x p c, and %% for a percent sign.

using TVarRec = std::variant<int64_t, double, std::string, const void*>;

struct TFormatArg {
    TVarRec Value;
    TFormatArg(int v) : Value(int64_t(v)) {}
    TFormatArg(unsigned v) : Value(int64_t(v)) {}
    TFormatArg(long v) : Value(int64_t(v)) {}
    TFormatArg(unsigned long v) : Value(int64_t(v)) {}
    TFormatArg(long long v) : Value(int64_t(v)) {}
    TFormatArg(unsigned long long v) : Value(int64_t(v)) {}
    TFormatArg(double v) : Value(v) {}
    TFormatArg(long double v) : Value(double(v)) {}
    TFormatArg(float v) : Value(double(v)) {}
    TFormatArg(char v) : Value(std::string(1, v)) {}
    TFormatArg(const char* v) : Value(std::string(v ? v : "")) {}
    TFormatArg(std::string v) : Value(std::move(v)) {}
    TFormatArg(std::string_view v) : Value(std::string(v)) {}
    TFormatArg(const void* v) : Value(v) {}
};

// Raises EConvertError ("Format '%s' invalid or incompatible with argument") on a
// specifier that does not match its argument or a missing argument.
std::string Format(std::string_view fmt, std::initializer_list<TFormatArg> args);
std::string Format(std::string_view fmt, const std::vector<TFormatArg>& args);

// ---------------------------------------------------------------------------
// Numbers as text

std::string IntToStr(int64_t value);
std::string IntToHex(int64_t value, int digits);
// Shortest general form with 15 significant digits and the current DecimalSeparator
// (0.1 + 0.2 gives "0.3", 1500.0 gives "1500", 1e20 gives "1E20").
std::string FloatToStr(double value);
// Like FloatToStr, with an explicit decimal separator instead of the global one.
std::string FloatToStrSep(double value, char decimalSeparator);

// Accept surrounding blanks; honour DecimalSeparator; reject NaN, infinity, hexadecimal
// texts and trailing garbage with EConvertError (FrameworkTexts::InvalidFloat /
// InvalidInteger: "Το '%s' δεν είναι έγκυρος αριθμός").
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& value);
double StrToFloatDef(std::string_view text, double def);
// Same rules with an explicit decimal separator.
bool TryStrToFloatSep(std::string_view text, double& value, char decimalSeparator);
// True when text (blanks around it aside) is written as a number, whatever its size: a sign,
// digits with at most one decimalSeparator and an exponent ("1e400" is one, too large for a
// double), or the words number writers put for an infinite or undefined value ("inf",
// "-Infinity", "nan"). Every text TryStrToFloatSep reads is one; "abc", "1x", "0x10", "" and
// "." are not.
bool IsNumberText(std::string_view text, char decimalSeparator);
int StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, int& value);
int StrToIntDef(std::string_view text, int def);
int64_t StrToInt64(std::string_view text);
bool TryStrToInt64(std::string_view text, int64_t& value);

// The class library's format strings: "#", "0", "," (thousands), "." (decimal point),
// "E+00" / "E-00" / "e+00", quoted literals, "%" as a literal, up to three sections
// separated by ";" (positive; negative; zero).
std::string FormatFloat(std::string_view fmt, double value);

// ---------------------------------------------------------------------------
// Dates: a date-time is days since 1899-12-30 plus the fraction of the day.

using TDateTime = double;

TDateTime EncodeDate(int year, int month, int day);         // EConvertError on a bad date
TDateTime EncodeTime(int hour, int min, int sec, int msec); // EConvertError on a bad time
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
bool IsLeapYear(int year);
int DayOfWeek(TDateTime value); // 1 = Sunday ... 7 = Saturday
// Formats with the class library's specifiers (d dd ddd dddd m mm mmm mmmm yy yyyy h hh
// n nn s ss z zzz am/pm ampm c t tt / : and quoted literals); rounds to the millisecond
// first.
std::string FormatDateTime(std::string_view fmt, TDateTime value);
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);
// Reads a date in the order of ShortDateFormat's day, month and year with DateSeparator
// (a two-digit year lies in 1950..2049), a time as hours[:minutes[:seconds]] with
// TimeSeparator and an optional AM/PM string, and a date followed by a blank and a time.
// Raise EConvertError (FrameworkTexts::InvalidDate, InvalidTime, InvalidDateTime) otherwise.
TDateTime StrToDate(std::string_view text);
TDateTime StrToTime(std::string_view text);
TDateTime StrToDateTime(std::string_view text);

// The clock. Now() asks the installed provider (the system clock by default).
TDateTime Now();
void SetNowProvider(std::function<TDateTime()> provider); // empty restores the system clock

// ---------------------------------------------------------------------------
// Arithmetic

// Round and Trunc raise EInvalidOperation for NaN, infinities and values beyond 64 bits.
int64_t Round(double value); // halves to the even neighbour
int64_t Trunc(double value); // toward zero
// a * b / c with a 64-bit intermediate, halves rounded away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// ---------------------------------------------------------------------------
// Random numbers: the class library's linear congruential generator, so a seed gives
// the same sequence on every machine.

extern uint32_t RandSeed;
void Randomize();      // seeds from the clock
double Random();       // uniform on [0, 1)
int Random(int range); // uniform integer in [0, range)

// ---------------------------------------------------------------------------
// Strings and file names (paths use "/")

std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string UpperCase(std::string_view s); // ASCII letters only
std::string LowerCase(std::string_view s);
// Comparison without regard to case (ASCII and Greek letters).
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// A key for lookups without regard to case: equal exactly when SameText holds.
std::string FoldedText(std::string_view s);
// S with every occurrence of from replaced by to, scanning left to right and continuing after
// each replacement (replaced text is not scanned again); an empty from changes nothing.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

std::string ExtractFilePath(std::string_view fileName); // with the trailing "/"
std::string ExtractFileDir(std::string_view fileName);  // without it
std::string ExtractFileName(std::string_view fileName);
std::string ExtractFileExt(std::string_view fileName); // with the dot
std::string ChangeFileExt(std::string_view fileName, std::string_view ext);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
bool FileExists(std::string_view fileName);
bool DirectoryExists(std::string_view dir);
bool DeleteFile(std::string_view fileName);

// The full path of the running program file (from /proc/self/exe); tests may override it.
std::string ParamStr0();
void SetProgramFileName(std::string fileName);

// ---------------------------------------------------------------------------
// Text encoding: UTF-8 passes through; text that is not valid UTF-8 is taken as
// Windows-1253 (Greek) and converted to UTF-8.
std::string DecodeText(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, uint32_t cp);
// One byte of code page 1253 (Greek) or 1252 (Western; any other page number) as a code
// point; 0xFFFD for a byte the code page leaves undefined.
uint32_t AnsiCharToUnicode(uint8_t byte, int codePage);
// The byte of a code point in code page 1253 or 1252; -1 when the code page lacks it.
int UnicodeToAnsiChar(uint32_t cp, int codePage);
