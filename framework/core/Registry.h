#pragma once
// The per-user settings store: the registry's HKEY_CURRENT_USER kept in one text file
// ($HKCU_STORE, else $XDG_CONFIG_HOME/hkcu-registry.txt, XDG_CONFIG_HOME defaulting to
// ~/.config). Keys are paths of names separated by "\", compared without regard to case;
// each key holds named values (strings, 32-bit integers, binary data).
//
// Every change locks the store (flock on "<file>.lock", <file> being the file the name
// leads to through symbolic links), reads it afresh, applies the change, writes a temporary
// file and renames it over the store, so programs running at once lose nothing, whichever
// name they reach the store by, and a crash never leaves a half-written store. Inside a
// TSettingsStoreUpdate the changes are gathered and written in one such step. A store file
// that cannot be read or parsed is kept aside as "<file>.bad-<time>-<pid>" and the store
// starts empty. Leading UTF-8 byte-order marks and lines of blanks are read as nothing.
//
// A store that cannot be written raises ERegistryException at the first change that fails
// and keeps quiet about the same failure afterwards: a read-only store is reported once per
// run, not at every save. Key paths too deep or too long to keep (more than 512 levels or
// 32 KB) are left out when the store is read; the first write of such a store, which drops
// them from the file, raises ERegistryException naming the store (once per run) after the
// write succeeded.

#include "framework/core/Classes.h"
#include "framework/core/IniFiles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

constexpr uint32_t HKEY_CURRENT_USER = 0x80000001;

// The file the store lives in (read from the environment at each call).
std::string SettingsStoreFileName();
// For tests: runs inside every change after the new content is written to the temporary
// file and before it replaces the store.
void SetSettingsStoreCommitHook(std::function<void()> hook);

// The store's text form read from memory: false when the text is not a store. On success
// `written` receives the text the store would write for what was read.
bool ParseSettingsStoreText(std::string_view text, std::string& written);

// Gathers the settings store's changes while it lives: reads see them at once, and the
// outermost scope writes them all to the store in one locked read-change-write-rename,
// applied to the store as it is on disk then (what another program wrote meanwhile stays).
// Scopes nest; only the outermost one writes. Commit writes and raises ERegistryException
// when the store cannot be written; a scope left without Commit writes in its destructor,
// where a failure cannot be reported.
class TSettingsStoreUpdate {
public:
    TSettingsStoreUpdate();
    ~TSettingsStoreUpdate();
    TSettingsStoreUpdate(const TSettingsStoreUpdate&) = delete;
    TSettingsStoreUpdate& operator=(const TSettingsStoreUpdate&) = delete;
    void Commit();

private:
    bool FOpen = true;
};

class TRegistry : public TObject {
    ORV_CLASS(TRegistry, TObject)

    TRegistry() = default;
    // Only HKEY_CURRENT_USER exists; opening keys under another root fails.
    uint32_t RootKey() const { return FRootKey; }
    void SetRootKey(uint32_t value);
    const std::string& CurrentPath() const { return FCurrentPath; }

    // key is relative to the current key, or absolute when it begins with "\".
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool CreateKey(const std::string& key);
    bool DeleteKey(const std::string& key); // with everything below it
    bool KeyExists(const std::string& key);
    bool HasSubKeys();
    void GetKeyNames(TStrings& names);
    void GetValueNames(TStrings& names);

    // Values of the current key. Reads of a missing value: ReadString gives empty text,
    // the others raise ERegistryException FrameworkTexts::ValueNotRead; a value of
    // another type raises ValueOfOtherType. Writes that cannot be saved raise
    // ValueNotWritten and why (see above for a failure that repeats); the root key holds
    // no values.
    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);
    TRegDataType GetDataType(const std::string& name);
    std::string ReadString(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    int ReadInteger(const std::string& name);
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name);
    void WriteBool(const std::string& name, bool value);
    std::string ReadBinaryData(const std::string& name);
    void WriteBinaryData(const std::string& name, std::string_view data);

private:
    std::string Resolve(const std::string& key) const;
    void WriteValue(const std::string& name, TRegDataType type, std::string data);
    uint32_t FRootKey = HKEY_CURRENT_USER;
    std::string FCurrentPath;
    bool FOpen = false;
};

// The registry-backed profile object: FileName is a key path (Software\Orvanti); each
// section is a subkey of it, created on the first write; each identifier a string value.
// Integers are written as decimal text and Booleans as "0" / "1"; erasing a section
// deletes its subkey.
class TRegIniFile : public TCustomIniFile {
public:
    explicit TRegIniFile(std::string keyPath);

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view def) override;
    void WriteString(std::string_view section, std::string_view ident,
                     std::string_view value) override;
    // Integer values stored as numbers read too.
    int ReadInteger(std::string_view section, std::string_view ident, int def) override;
    void ReadSection(std::string_view section, TStrings& idents) override;
    void ReadSections(TStrings& sections) override;
    void ReadSectionValues(std::string_view section, TStrings& values) override;
    void EraseSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view ident) override;
    bool SectionExists(std::string_view section) override;
    bool ValueExists(std::string_view section, std::string_view ident) override;

private:
    std::string SectionKey(std::string_view section) const;
};
