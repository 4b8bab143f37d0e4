#pragma once
// Profile files: sections of key=value lines. Sections and keys compare without regard
// to case; every write goes to the file at once; a missing file reads as empty.

#include <string>
#include <string_view>
#include <vector>

class TStrings;

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : FFileName(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;

    const std::string& FileName() const { return FFileName; }

    virtual std::string ReadString(std::string_view section, std::string_view ident,
                                   std::string_view def) = 0;
    virtual void WriteString(std::string_view section, std::string_view ident,
                             std::string_view value) = 0;
    // A missing key or a value that is not a whole number gives def.
    virtual int ReadInteger(std::string_view section, std::string_view ident, int def);
    virtual void WriteInteger(std::string_view section, std::string_view ident, int value);
    // Booleans are stored as 1 and 0; any other integer reads as true, a non-number as def.
    virtual bool ReadBool(std::string_view section, std::string_view ident, bool def);
    virtual void WriteBool(std::string_view section, std::string_view ident, bool value);
    // Reals use the current DecimalSeparator (the model's readers force "."), written in
    // the shortest general form with up to 15 significant digits.
    virtual double ReadFloat(std::string_view section, std::string_view ident, double def);
    virtual void WriteFloat(std::string_view section, std::string_view ident, double value);

    virtual void ReadSection(std::string_view section, TStrings& idents) = 0;
    virtual void ReadSections(TStrings& sections) = 0;
    virtual void ReadSectionValues(std::string_view section, TStrings& values) = 0;
    virtual void EraseSection(std::string_view section) = 0;
    virtual void DeleteKey(std::string_view section, std::string_view ident) = 0;
    virtual bool SectionExists(std::string_view section);
    virtual bool ValueExists(std::string_view section, std::string_view ident);
    virtual void UpdateFile() {}

private:
    std::string FFileName;
};

// The platform's profile-file behaviour on a text file. Each write replaces the file's
// content atomically; a write the file system refuses raises EInOutError
// "Unable to write to %s" with the file name and leaves the file as it was.
// Reading removes one pair of quotes around a value; a line break inside a written
// value becomes a blank, so the file stays well formed.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(std::string fileName);

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view def) override;
    void WriteString(std::string_view section, std::string_view ident,
                     std::string_view value) override;
    void ReadSection(std::string_view section, TStrings& idents) override;
    void ReadSections(TStrings& sections) override;
    void ReadSectionValues(std::string_view section, TStrings& values) override;
    void EraseSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view ident) override;
    bool SectionExists(std::string_view section) override;
    bool ValueExists(std::string_view section, std::string_view ident) override;

private:
    struct TEntry {
        std::string Key;   // empty for a line that is not key=value (kept as it is)
        std::string Value; // or the whole line
        std::string Line;  // the line as read, written back while the entry is unchanged
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
    };
    void Load();
    void Save();
    TSection* FindSection(std::string_view name);
    TEntry* FindEntry(TSection& section, std::string_view ident);
    // Identity of the file content held (device, inode, size, change times): a call reads
    // the file again only when another writer has replaced it since.
    struct TFileStamp {
        unsigned long long Dev = 0, Ino = 0, Size = 0;
        long long MTimeSec = 0, MTimeNsec = 0, CTimeSec = 0, CTimeNsec = 0;
        bool Exists = false;
        bool operator==(const TFileStamp&) const = default;
    };
    static TFileStamp StampOf(const std::string& fileName);
    bool FLoaded = false;
    TFileStamp FStamp;
    std::vector<TEntry> FPreamble; // lines before the first section
    bool FUnreadable = false;      // the file exists but could not be read: never replace it
    std::vector<TSection> FSections;
};
