#include "framework/core/IniFiles.h"

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// TCustomIniFile: typed values on top of strings

int TCustomIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) {
    const std::string text = ReadString(section, ident, "");
    return text.empty() ? def : StrToIntDef(text, def);
}

void TCustomIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(std::string_view section, std::string_view ident, double def) {
    const std::string text = ReadString(section, ident, "");
    return text.empty() ? def : StrToFloatDef(text, def);
}

void TCustomIniFile::WriteFloat(std::string_view section, std::string_view ident, double value) {
    WriteString(section, ident, FloatToStr(value));
}

bool TCustomIniFile::SectionExists(std::string_view section) {
    TStringList idents;
    ReadSection(section, idents);
    return idents.Count() > 0;
}

bool TCustomIniFile::ValueExists(std::string_view section, std::string_view ident) {
    TStringList idents;
    ReadSection(section, idents);
    return idents.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------------------
// TIniFile

namespace {

// One pair of matching quotes around a value is not part of it.
std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A written value stays on its line: every line break becomes a blank.
std::string OneLine(std::string_view value) {
    std::string result;
    result.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
            continue; // CR LF is one line break
        result += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return result;
}

} // namespace

// ---------------------------------------------------------------------------
// TIniText

void TIniText::Clear() {
    FPreamble.clear();
    FSections.clear();
    FSectionIndex.clear();
}

void TIniText::Parse(std::string_view text) {
    Clear();
    std::vector<TEntry>* entries = &FPreamble;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) {
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
                pos += 2;
            else
                ++pos;
        }
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            TSection section;
            section.Name =
                Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            FSectionIndex.try_emplace(FoldedText(section.Name), FSections.size());
            FSections.push_back(std::move(section));
            entries = &FSections.back().Entries;
            continue;
        }
        TEntry entry;
        entry.Line = line;
        const size_t equals = trimmed.find('=');
        if (!trimmed.empty() && trimmed.front() != ';' && equals != std::string::npos &&
            equals > 0) {
            entry.Key = Trim(trimmed.substr(0, equals));
            entry.Value = Trim(trimmed.substr(equals + 1));
        } else {
            entry.Value = line;
        }
        entries->push_back(std::move(entry));
    }
}

std::string TIniText::Text() const {
    std::string content;
    auto writeEntries = [&](const std::vector<TEntry>& entries) {
        for (const TEntry& entry : entries) {
            if (!entry.Line.empty()) {
                content.append(entry.Line);
            } else if (entry.Key.empty()) {
                content.append(entry.Value);
            } else {
                content.append(entry.Key);
                content.push_back('=');
                content.append(entry.Value);
            }
            content.append("\r\n");
        }
    };
    writeEntries(FPreamble);
    for (const TSection& section : FSections) {
        content.push_back('[');
        content.append(section.Name);
        content.append("]\r\n");
        writeEntries(section.Entries);
    }
    return content;
}

void TIniText::IndexSections() {
    FSectionIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i)
        FSectionIndex.try_emplace(FoldedText(FSections[i].Name), i);
}

void TIniText::IndexKeys(TSection& section) {
    section.Keys.clear();
    for (size_t i = 0; i < section.Entries.size(); ++i)
        if (!section.Entries[i].Key.empty())
            section.Keys.try_emplace(FoldedText(section.Entries[i].Key), i);
    section.KeysValid = true;
}

TIniText::TSection* TIniText::FindSection(std::string_view name) {
    const auto found = FSectionIndex.find(FoldedText(name));
    return found == FSectionIndex.end() ? nullptr : &FSections[found->second];
}

TIniText::TEntry* TIniText::FindEntry(TSection& section, std::string_view ident) {
    if (!section.KeysValid)
        IndexKeys(section);
    const auto found = section.Keys.find(FoldedText(ident));
    return found == section.Keys.end() ? nullptr : &section.Entries[found->second];
}

const std::string* TIniText::Find(std::string_view section, std::string_view ident) {
    TSection* found = FindSection(section);
    if (!found)
        return nullptr;
    const TEntry* entry = FindEntry(*found, ident);
    return entry ? &entry->Value : nullptr;
}

void TIniText::Write(std::string_view section, std::string_view ident, std::string_view value) {
    TSection* found = FindSection(section);
    if (!found) {
        FSectionIndex.try_emplace(FoldedText(section), FSections.size());
        FSections.push_back(TSection{std::string(section), {}, {}, true});
        found = &FSections.back();
    }
    std::string line = OneLine(value);
    std::string trimmed = Trim(line);
    // The line as written is kept only where blanks around the value make it differ.
    if (trimmed.size() == line.size())
        line.clear();
    if (TEntry* entry = FindEntry(*found, ident)) {
        entry->Value = std::move(trimmed);
        entry->Line = line.empty() ? std::string() : entry->Key + "=" + line;
        return;
    }
    // After the section's last non-blank line, so blank lines keep separating sections.
    auto& entries = found->Entries;
    size_t at = entries.size();
    while (at > 0 && entries[at - 1].Key.empty() && Trim(entries[at - 1].Value).empty())
        --at;
    TEntry added;
    added.Key = std::string(ident);
    added.Value = std::move(trimmed);
    if (!line.empty())
        added.Line = added.Key + "=" + line;
    if (at == entries.size())
        found->Keys.try_emplace(FoldedText(added.Key), at);
    else
        found->KeysValid = false; // the entries after it move
    entries.insert(entries.begin() + std::ptrdiff_t(at), std::move(added));
}

void TIniText::ReadSection(std::string_view section, TStrings& idents) {
    idents.Clear();
    if (TSection* found = FindSection(section))
        for (const TEntry& entry : found->Entries)
            if (!entry.Key.empty())
                idents.Add(entry.Key);
}

void TIniText::ReadSections(TStrings& sections) const {
    sections.Clear();
    for (size_t i = 0; i < FSections.size(); ++i) {
        // Each name once, where it first appears.
        const auto found = FSectionIndex.find(FoldedText(FSections[i].Name));
        if (found != FSectionIndex.end() && found->second == i)
            sections.Add(FSections[i].Name);
    }
}

void TIniText::ReadSectionValues(std::string_view section, TStrings& values) {
    values.Clear();
    if (TSection* found = FindSection(section))
        for (const TEntry& entry : found->Entries)
            if (!entry.Key.empty())
                values.Add(entry.Key + "=" + Unquote(entry.Value));
}

bool TIniText::EraseSection(std::string_view section) {
    if (!FindSection(section))
        return false;
    std::erase_if(FSections, [&](const TSection& s) { return SameText(s.Name, section); });
    IndexSections();
    return true;
}

bool TIniText::DeleteKey(std::string_view section, std::string_view ident) {
    TSection* found = FindSection(section);
    if (!found || !FindEntry(*found, ident))
        return false;
    std::erase_if(found->Entries, [&](const TEntry& entry) {
        return !entry.Key.empty() && SameText(entry.Key, ident);
    });
    found->KeysValid = false;
    return true;
}

bool TIniText::SectionExists(std::string_view section) {
    TSection* found = FindSection(section);
    if (!found)
        return false;
    if (!found->KeysValid)
        IndexKeys(*found);
    return !found->Keys.empty();
}

// ---------------------------------------------------------------------------
// TIniScan

namespace {

bool IsIniBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimmedView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsIniBlank(s[b]))
        ++b;
    while (e > b && IsIniBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

} // namespace

TIniScan::TIniScan(std::string_view text, bool withEntries) : FTextSize(text.size()) {
    const char* const data = text.data();
    TSection* section = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        // The line ends at LF, CR LF or a lone CR.
        const void* lf = std::memchr(data + pos, '\n', text.size() - pos);
        size_t end = lf ? size_t(static_cast<const char*>(lf) - data) : text.size();
        size_t next = lf ? end + 1 : end;
        if (const void* cr = std::memchr(data + pos, '\r', end - pos)) {
            const size_t at = size_t(static_cast<const char*>(cr) - data);
            next = at + 1 == end ? next : at + 1;
            end = at;
        }
        const size_t lineStart = pos;
        pos = next;
        // Blanks are at most a few characters: trim without looking at the whole line
        // first.
        size_t b = lineStart;
        while (b < end && IsIniBlank(data[b]))
            ++b;
        if (b == end)
            continue;
        if (data[b] == '[') {
            if (section)
                section->End = lineStart;
            const std::string_view trimmed = TrimmedView(text.substr(b, end - b));
            const size_t close = trimmed.find(']');
            TSection added;
            added.Name = TrimmedView(trimmed.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            added.Begin = lineStart;
            added.FirstEntry = FEntries.size();
            FSections.push_back(added);
            section = &FSections.back();
            continue;
        }
        if (!withEntries || !section || data[b] == ';')
            continue;
        const void* equals = std::memchr(data + b, '=', end - b);
        if (!equals || equals == data + b)
            continue;
        const size_t at = size_t(static_cast<const char*>(equals) - data);
        FEntries.push_back(
            {TrimmedView(text.substr(b, at - b)), TrimmedView(text.substr(at + 1, end - at - 1))});
        ++section->EntryCount;
    }
    if (section)
        section->End = text.size();
}

std::string_view TIniScan::Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// ---------------------------------------------------------------------------
// TIniBuilder and numbers

void AppendFloatText(std::string& out, double value, char decimalSeparator) {
    // The same text as the general formatter: the shortest digits that read back as the
    // value, rounded (halves up) to 15 significant digits, trailing zeros removed.
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0) {
        out += '0';
        return;
    }
    char buffer[64];
    const char* const end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                          std::chars_format::scientific)
                                .ptr;
    char digits[40];
    int n = 0;
    const char* p = buffer;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.')
            digits[n++] = *p;
    int exponent = 0;
    if (p + 1 < end)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    int point = exponent + 1; // the value is 0.digits x 10^point
    while (n > 0 && digits[n - 1] == '0')
        --n;
    constexpr int kPrecision = 15;
    if (n > kPrecision) {
        const bool up = digits[kPrecision] >= '5';
        n = kPrecision;
        if (up) {
            int i = n - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits[0] = '1';
                n = 1;
                ++point;
            }
        }
        while (n > 0 && digits[n - 1] == '0')
            --n;
    }
    if (value < 0)
        out += '-';
    if (point > kPrecision || point < -4) {
        out += digits[0];
        if (n > 1) {
            out += decimalSeparator;
            out.append(digits + 1, size_t(n - 1));
        }
        out += 'E';
        char exp[16];
        out.append(exp, std::to_chars(exp, exp + sizeof exp, point - 1).ptr);
    } else if (point <= 0) {
        out += '0';
        out += decimalSeparator;
        out.append(size_t(-point), '0');
        out.append(digits, size_t(n));
    } else if (n <= point) {
        out.append(digits, size_t(n));
        out.append(size_t(point - n), '0');
    } else {
        out.append(digits, size_t(point));
        out += decimalSeparator;
        out.append(digits + point, size_t(n - point));
    }
}

bool TryIniFloat(std::string_view text, double& value) {
    // Plain decimals (an optional "-", digits, the separator and digits) of up to 40
    // characters read exactly as the general reader reads them, which would first copy
    // them: no exponent, so no overflow or underflow.
    const char separator = DecimalSeparator;
    if (separator == '.' && !text.empty() && text.size() <= 40) {
        size_t i = text[0] == '-' ? 1 : 0;
        const size_t intStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        bool plain = i > intStart;
        if (plain && i < text.size()) {
            const size_t fraction = ++i;
            if (text[fraction - 1] != '.')
                plain = false;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9')
                ++i;
            plain = plain && i > fraction && i == text.size();
        }
        if (plain) {
            double result = 0;
            const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
            if (ec == std::errc() && ptr == text.data() + text.size()) {
                value = result;
                return true;
            }
        }
    }
    return TryStrToFloat(text, value);
}

void TIniBuilder::Section(std::string_view name) {
    FText += '[';
    FText.append(name);
    FText.append("]\r\n");
}

void TIniBuilder::String(std::string_view key, std::string_view value) {
    FText.append(key);
    FText += '=';
    if (value.find_first_of("\r\n") == std::string_view::npos)
        FText.append(value);
    else
        FText.append(OneLine(value));
    FText.append("\r\n");
}

void TIniBuilder::Integer(std::string_view key, int64_t value) {
    FText.append(key);
    FText += '=';
    char buffer[24];
    FText.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    FText.append("\r\n");
}

void TIniBuilder::Float(std::string_view key, double value, char decimalSeparator) {
    FText.append(key);
    FText += '=';
    AppendFloatText(FText, value, decimalSeparator);
    FText.append("\r\n");
}

// ---------------------------------------------------------------------------
// TIniFileLock

TIniFileLock::TIniFileLock(const std::string& fileName) {
    const std::string dir = ExtractFileDir(ResolveFileLinks(fileName));
    FHandle = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FHandle >= 0)
        while (::flock(FHandle, LOCK_EX) != 0 && errno == EINTR) {
        }
}

TIniFileLock::~TIniFileLock() {
    if (FHandle >= 0)
        ::close(FHandle); // closing releases the lock
}

// ---------------------------------------------------------------------------
// TIniFile

TIniFile::TIniFile(std::string fileName) : TCustomIniFile(std::move(fileName)) {}

TIniFile::TFileStamp TIniFile::StampOf(const std::string& fileName) {
    TFileStamp stamp;
    struct stat st;
    if (::stat(fileName.c_str(), &st) != 0)
        return stamp;
    stamp.Exists = true;
    stamp.Dev = st.st_dev;
    stamp.Ino = st.st_ino;
    stamp.Size = st.st_size;
    stamp.MTimeSec = st.st_mtim.tv_sec;
    stamp.MTimeNsec = st.st_mtim.tv_nsec;
    stamp.CTimeSec = st.st_ctim.tv_sec;
    stamp.CTimeNsec = st.st_ctim.tv_nsec;
    return stamp;
}

void TIniFile::Load() {
    // Every write replaces the file by a rename, so an unchanged stamp means unchanged content.
    const TFileStamp stamp = StampOf(FileName());
    if (FLoaded && stamp.Exists && stamp == FStamp)
        return;
    FLoaded = false;
    FStamp = stamp;
    FText.Clear();
    FUnreadable = false;
    FReadError = 0;
    std::string text;
    if (!ReadTextFile(FileName(), text, kMaxIniFileSize)) {
        // A missing or unreadable file reads as empty; one that is there but unreadable
        // must not be replaced by what this object knows of it.
        FReadError = errno;
        FUnreadable = stamp.Exists;
        return;
    }
    FText.Parse(text);
    FLoaded = true;
}

void TIniFile::Save() {
    if (FUnreadable)
        throw EInOutError("Unable to write to " + FileName());
    // Until the write succeeds, what this object holds is not what the file holds.
    FLoaded = false;
    WriteFileAtomically(FileName(), FText.Text());
    FStamp = StampOf(FileName());
    FLoaded = FStamp.Exists;
}

void TIniFile::Change(const std::function<bool()>& change) {
    TIniFileLock lock(FileName());
    Load();
    if (change())
        Save();
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view def) {
    Load();
    const std::string* value = FText.Find(section, ident);
    return value ? Unquote(*value) : std::string(def);
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    Change([&] {
        FText.Write(section, ident, value);
        return true;
    });
}

void TIniFile::ReadSection(std::string_view section, TStrings& idents) {
    Load();
    FText.ReadSection(section, idents);
}

void TIniFile::ReadSections(TStrings& sections) {
    Load();
    FText.ReadSections(sections);
}

void TIniFile::ReadSectionValues(std::string_view section, TStrings& values) {
    Load();
    FText.ReadSectionValues(section, values);
}

void TIniFile::EraseSection(std::string_view section) {
    Change([&] { return FText.EraseSection(section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    Change([&] { return FText.DeleteKey(section, ident); });
}

bool TIniFile::SectionExists(std::string_view section) {
    Load();
    return FText.SectionExists(section);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) {
    Load();
    return FText.Find(section, ident) != nullptr;
}

void TIniFile::CheckReadable() {
    Load();
    if (FUnreadable)
        RaiseCannotOpen(FileName(), FReadError, kMaxIniFileSize);
}

// ---------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(std::string fileName, bool readFile)
    : TCustomIniFile(std::move(fileName)) {
    std::string text;
    if (!readFile)
        return;
    if (ReadTextFile(FileName(), text, kMaxIniFileSize)) {
        FText.Parse(text);
        return;
    }
    const int error = errno;
    struct stat st {};
    if (::stat(FileName().c_str(), &st) == 0)
        FReadError = error != 0 ? error : EIO;
}

void TMemIniFile::CheckReadable() {
    if (FReadError != 0)
        RaiseCannotOpen(FileName(), FReadError, kMaxIniFileSize);
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view def) {
    const std::string* value = FText.Find(section, ident);
    return value ? Unquote(*value) : std::string(def);
}

void TMemIniFile::WriteString(std::string_view section, std::string_view ident,
                              std::string_view value) {
    FText.Write(section, ident, value);
}

void TMemIniFile::ReadSection(std::string_view section, TStrings& idents) {
    FText.ReadSection(section, idents);
}

void TMemIniFile::ReadSections(TStrings& sections) {
    FText.ReadSections(sections);
}

void TMemIniFile::ReadSectionValues(std::string_view section, TStrings& values) {
    FText.ReadSectionValues(section, values);
}

void TMemIniFile::EraseSection(std::string_view section) {
    FText.EraseSection(section);
}

void TMemIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    FText.DeleteKey(section, ident);
}

bool TMemIniFile::SectionExists(std::string_view section) {
    return FText.SectionExists(section);
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view ident) {
    return FText.Find(section, ident) != nullptr;
}

void TMemIniFile::UpdateFile() {
    // A device or a FIFO holds nothing to keep and is written in place (or refused by the
    // writer); a file that could not be read would lose what it holds.
    if (FReadError != 0 && FReadError != kNotRegularFile)
        throw EInOutError("Unable to write to " + FileName(), FReadError);
    TIniFileLock lock(FileName());
    WriteFileAtomically(FileName(), FText.Text());
}
