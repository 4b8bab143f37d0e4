#pragma once
// Profile files: sections of key=value lines. Sections and keys compare without regard
// to case; every write goes to the file at once; a missing file reads as empty.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
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

// The lines of a profile file, parsed once, with an index of sections and keys so that
// a read or a write finds its place without a scan. Lines that are not key=value, blank
// lines and comments are kept as they were read.
class TIniText {
public:
    void Parse(std::string_view text);
    std::string Text() const; // CR LF line ends
    void Clear();

    // Null when the section or the key is not there (the first of duplicates counts).
    const std::string* Find(std::string_view section, std::string_view ident);
    void Write(std::string_view section, std::string_view ident, std::string_view value);
    void ReadSection(std::string_view section, TStrings& idents);
    void ReadSections(TStrings& sections) const;
    void ReadSectionValues(std::string_view section, TStrings& values);
    bool EraseSection(std::string_view section); // true when something was removed
    bool DeleteKey(std::string_view section, std::string_view ident);
    bool SectionExists(std::string_view section);

private:
    struct TEntry {
        std::string Key;   // empty for a line that is not key=value (kept as it is)
        std::string Value; // or the whole line
        std::string Line;  // the line as read, written back while the entry is unchanged
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
        std::unordered_map<std::string, size_t> Keys; // folded key -> first entry
        bool KeysValid = false;
    };
    TSection* FindSection(std::string_view name);
    TEntry* FindEntry(TSection& section, std::string_view ident);
    static void IndexKeys(TSection& section);
    void IndexSections();
    std::vector<TEntry> FPreamble; // lines before the first section
    std::vector<TSection> FSections;
    std::unordered_map<std::string, size_t> FSectionIndex; // folded name -> first section
};

// The platform's profile-file behaviour on a text file. Each write locks the file's
// folder (flock, as the settings store does), reads the file again when another writer
// has replaced it, applies the one change and replaces the file atomically, so writers
// in two processes lose nothing. A write the file system refuses raises EInOutError
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
    void Load();
    void Save();
    // Under the folder's lock: the file as it is now, the change, the file replaced.
    void Change(const std::function<bool()>& change);
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
    bool FUnreadable = false; // the file exists but could not be read: never replace it
    TIniText FText;
};

// A profile file read once into memory: reads and writes change only the memory until
// UpdateFile replaces the file, atomically and in one piece, with what is held. A file
// that is missing or cannot be read starts empty, and so does one not read (readFile
// false: a writer of a whole new content).
class TMemIniFile : public TCustomIniFile {
public:
    explicit TMemIniFile(std::string fileName, bool readFile = true);

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
    // Forgets everything held (the file is unchanged until UpdateFile).
    void Clear() { FText.Clear(); }
    // Raises EInOutError "Unable to write to %s" when the file system refuses.
    void UpdateFile() override;

private:
    TIniText FText;
};
