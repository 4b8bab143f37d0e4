#pragma once
// Profile files: sections of key=value lines. Sections and keys compare without regard
// to case; every write goes to the file at once; a missing file reads as empty.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TStrings;

// The largest profile file read: settings, seasons, device files and the device catalogue
// are a few kilobytes; a larger file is taken for damaged and refused (EFBIG, named by
// CheckReadable) before it is held.
constexpr int64_t kMaxIniFileSize = int64_t(16) << 20;

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
    // Raises EInOutError "Cannot open file ..." naming the file when it is there but could
    // not be read (a FIFO, a device, a folder, no permission), which the other calls take
    // as empty. Readers of a whole list call it first, so that such a file is refused
    // rather than read as a list of defaults. A missing file is not an error.
    virtual void CheckReadable() {}

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

// A profile file's text split in one pass, for readers and writers of large files: its
// sections with their key=value lines, as views into the text (which must outlive the
// scan). Lines are taken as TIniText takes them: names, keys and values trimmed; a line
// that starts with ";" or has no "=" after its first character holds no key.
class TIniScan {
public:
    struct TEntry {
        std::string_view Key;
        std::string_view Value; // quotes kept (see Unquoted)
    };
    struct TSection {
        std::string_view Name;
        size_t Begin = 0; // the section's lines in the text, its header line included
        size_t End = 0;
        size_t FirstEntry = 0;
        size_t EntryCount = 0;
    };
    // withEntries false finds the sections and their extent only.
    explicit TIniScan(std::string_view text, bool withEntries = true);
    const std::vector<TSection>& Sections() const { return FSections; }
    std::span<const TEntry> Entries(const TSection& section) const {
        return std::span<const TEntry>(FEntries).subspan(section.FirstEntry, section.EntryCount);
    }
    // The lines before the first section end here.
    size_t PreambleEnd() const { return FSections.empty() ? FTextSize : FSections[0].Begin; }
    // A value as ReadString gives it: one pair of matching quotes removed.
    static std::string_view Unquoted(std::string_view value);

private:
    std::vector<TSection> FSections;
    std::vector<TEntry> FEntries;
    size_t FTextSize = 0;
};

// Builds a profile file's text in one buffer, as TIniText writes new sections: "[name]"
// lines and key=value lines with CR LF line ends; a line break inside a value becomes a
// blank.
class TIniBuilder {
public:
    explicit TIniBuilder(std::string text = {}) : FText(std::move(text)) {}
    void Reserve(size_t size) { FText.reserve(size); }
    void Section(std::string_view name);
    void String(std::string_view key, std::string_view value);
    void Integer(std::string_view key, int64_t value);
    // The value as FloatToStrSep writes it (shortest general form, 15 significant digits).
    void Float(std::string_view key, double value, char decimalSeparator);
    std::string& Text() { return FText; }

private:
    std::string FText;
};

// The text of FloatToStrSep(value, decimalSeparator) appended to out, without the
// allocations of the general formatter: for writers of many numbers.
void AppendFloatText(std::string& out, double value, char decimalSeparator);
// TryStrToFloat with the current DecimalSeparator; the plain decimal texts that writers
// produce are converted in place.
bool TryIniFloat(std::string_view text, double& value);

// Writers of one profile file exclude each other by a lock on the file's folder (the file
// itself is replaced by every write, so it cannot carry the lock): held from reading the
// file as it is to replacing it, so that writers in two processes lose nothing.
class TIniFileLock {
public:
    explicit TIniFileLock(const std::string& fileName);
    ~TIniFileLock();
    TIniFileLock(const TIniFileLock&) = delete;
    TIniFileLock& operator=(const TIniFileLock&) = delete;

private:
    int FHandle = -1;
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
    void CheckReadable() override;

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
    int FReadError = 0;       // why, as an errno value
    TIniText FText;
};

// A profile file read once into memory: reads and writes change only the memory until
// UpdateFile replaces the file, atomically and in one piece, with what is held. A file
// that is missing or cannot be read starts empty, and so does one not read (readFile
// false: a writer of a whole new content). A regular file that is there but could not be
// read is never replaced by what little this object holds of it: UpdateFile refuses.
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
    void CheckReadable() override;

private:
    TIniText FText;
    int FReadError = 0; // errno of a file there but not read; 0 when read or missing
};
