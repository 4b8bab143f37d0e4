#include "framework/core/IniFiles.h"

#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"
#include "framework/core/TextFiles.h"

#include <sys/stat.h>

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
    FPreamble.clear();
    FSections.clear();
    FUnreadable = false;
    std::string bytes;
    if (!ReadFileBytes(FileName(), bytes)) {
        // A missing or unreadable file reads as empty; one that is there but unreadable
        // must not be replaced by what this object knows of it.
        FUnreadable = FileExists(FileName()) || DirectoryExists(FileName());
        return;
    }
    const std::string text = DecodeText(bytes);
    std::vector<TEntry>* entries = &FPreamble;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const std::string line = text.substr(pos, end - pos);
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
    FLoaded = true;
}

void TIniFile::Save() {
    if (FUnreadable)
        throw EInOutError("Unable to write to " + FileName());
    std::string content;
    auto writeEntries = [&](const std::vector<TEntry>& entries) {
        for (const TEntry& entry : entries) {
            if (!entry.Line.empty())
                content += entry.Line;
            else if (entry.Key.empty())
                content += entry.Value;
            else
                content += entry.Key + "=" + entry.Value;
            content += "\r\n";
        }
    };
    writeEntries(FPreamble);
    for (const TSection& section : FSections) {
        content += "[" + section.Name + "]\r\n";
        writeEntries(section.Entries);
    }
    // Until the write succeeds, what this object holds is not what the file holds.
    FLoaded = false;
    WriteFileAtomically(FileName(), content);
    FStamp = StampOf(FileName());
    FLoaded = FStamp.Exists;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name) {
    for (TSection& section : FSections)
        if (SameText(section.Name, name))
            return &section;
    return nullptr;
}

TIniFile::TEntry* TIniFile::FindEntry(TSection& section, std::string_view ident) {
    for (TEntry& entry : section.Entries)
        if (!entry.Key.empty() && SameText(entry.Key, ident))
            return &entry;
    return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view def) {
    Load();
    TSection* found = FindSection(section);
    if (!found)
        return std::string(def);
    const TEntry* entry = FindEntry(*found, ident);
    return entry ? Unquote(entry->Value) : std::string(def);
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    Load();
    TSection* found = FindSection(section);
    if (!found) {
        FSections.push_back(TSection{std::string(section), {}});
        found = &FSections.back();
    }
    const std::string line = OneLine(value);
    if (TEntry* entry = FindEntry(*found, ident)) {
        entry->Value = Trim(line);
        entry->Line = entry->Key + "=" + line;
    } else {
        // After the section's last non-blank line, so blank lines keep separating sections.
        auto& entries = found->Entries;
        size_t at = entries.size();
        while (at > 0 && entries[at - 1].Key.empty() && Trim(entries[at - 1].Value).empty())
            --at;
        TEntry added;
        added.Key = std::string(ident);
        added.Value = Trim(line);
        added.Line = added.Key + "=" + line;
        entries.insert(entries.begin() + std::ptrdiff_t(at), std::move(added));
    }
    Save();
}

void TIniFile::ReadSection(std::string_view section, TStrings& idents) {
    Load();
    idents.Clear();
    if (TSection* found = FindSection(section))
        for (const TEntry& entry : found->Entries)
            if (!entry.Key.empty())
                idents.Add(entry.Key);
}

void TIniFile::ReadSections(TStrings& sections) {
    Load();
    sections.Clear();
    std::vector<std::string> seen;
    for (const TSection& section : FSections) {
        bool duplicate = false;
        for (const std::string& name : seen)
            if (SameText(name, section.Name))
                duplicate = true;
        if (!duplicate) {
            seen.push_back(section.Name);
            sections.Add(section.Name);
        }
    }
}

void TIniFile::ReadSectionValues(std::string_view section, TStrings& values) {
    Load();
    values.Clear();
    if (TSection* found = FindSection(section))
        for (const TEntry& entry : found->Entries)
            if (!entry.Key.empty())
                values.Add(entry.Key + "=" + Unquote(entry.Value));
}

void TIniFile::EraseSection(std::string_view section) {
    Load();
    const size_t before = FSections.size();
    std::erase_if(FSections, [&](const TSection& s) { return SameText(s.Name, section); });
    if (FSections.size() != before)
        Save();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    Load();
    TSection* found = FindSection(section);
    if (!found)
        return;
    const size_t before = found->Entries.size();
    std::erase_if(found->Entries, [&](const TEntry& entry) {
        return !entry.Key.empty() && SameText(entry.Key, ident);
    });
    if (found->Entries.size() != before)
        Save();
}

bool TIniFile::SectionExists(std::string_view section) {
    Load();
    TSection* found = FindSection(section);
    if (!found)
        return false;
    for (const TEntry& entry : found->Entries)
        if (!entry.Key.empty())
            return true;
    return false;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) {
    Load();
    TSection* found = FindSection(section);
    return found && FindEntry(*found, ident) != nullptr;
}
