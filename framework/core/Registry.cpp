#include "framework/core/Registry.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

const char* const kHeader = "HKCU-STORE 1";

// The largest store read: a program's settings are a few kilobytes, a store of 100,000
// keys about 30 MB. A larger one is refused before it is held.
constexpr int64_t kMaxStoreFileSize = int64_t(64) << 20;

// Deeper or longer key paths are not kept: each level implies a key of its own, so such
// a path would make the store grow out of all proportion to the text that named it.
constexpr size_t kMaxKeyDepth = 512;
constexpr size_t kMaxKeyPathLength = 32 * 1024;

bool KeyPathFits(const std::string& path) {
    return path.size() <= kMaxKeyPathLength &&
           size_t(std::count(path.begin(), path.end(), '\\')) < kMaxKeyDepth;
}

// A folded text (FoldedText) of ASCII text is its lower case, so its prefixes are the folded
// prefixes of the text.
bool FoldedIsAscii(const std::string& folded) {
    return folded.empty() || folded[0] != '\xFF';
}

// ---- paths

std::string NormalizePath(std::string_view path) {
    std::string result;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('\\', i);
        if (j == std::string_view::npos)
            j = path.size();
        if (j > i) {
            if (!result.empty())
                result += '\\';
            result.append(path.substr(i, j - i));
        }
        i = j + 1;
    }
    return result;
}

bool IsBelow(const std::string& path, const std::string& ancestor) {
    return path.size() > ancestor.size() + 1 && path[ancestor.size()] == '\\' &&
           SameText(std::string_view(path).substr(0, ancestor.size()), ancestor);
}

// ---- keys and values

struct TStoredValue {
    std::string Name;
    TRegDataType Type = rdString;
    std::string Data;   // text, decimal integer, or raw bytes
    std::string Folded; // FoldedText(Name), kept by the key that holds the value
};

// A key: its path as first written and its values in the order they were first written.
// A value is found by its folded name: by a look along the values while they are few, by
// a hash index once they are many, so that a key of many values reads in linear time.
class TStoredKey {
public:
    TStoredKey(std::string path, std::string folded)
        : Path(std::move(path)), Folded(std::move(folded)) {}

    std::string Path;
    std::string Folded; // FoldedText(Path): the key's index entry

    const std::vector<TStoredValue>& Values() const { return FValues; }

    const TStoredValue* Find(std::string_view name) const {
        const size_t pos = IndexOf(FoldedText(name));
        return pos == npos ? nullptr : &FValues[pos];
    }

    // Sets a value; one of the same name keeps its name and takes type and data. False when
    // the value was already so.
    bool Set(std::string_view name, TRegDataType type, std::string_view data) {
        std::string folded = FoldedText(name);
        const size_t pos = IndexOf(folded);
        if (pos == npos) {
            FValues.push_back({std::string(name), type, std::string(data), std::move(folded)});
            if (FValues.size() == kIndexFrom)
                BuildIndex();
            else if (FValues.size() > kIndexFrom)
                FIndex.emplace(FValues.back().Folded, FValues.size() - 1);
            return true;
        }
        TStoredValue& v = FValues[pos];
        if (v.Type == type && v.Data == data)
            return false;
        v.Type = type;
        v.Data = std::string(data);
        return true;
    }

    bool Erase(std::string_view name) {
        const size_t pos = IndexOf(FoldedText(name));
        if (pos == npos)
            return false;
        FValues.erase(FValues.begin() + std::ptrdiff_t(pos));
        BuildIndex();
        return true;
    }

private:
    static constexpr size_t npos = size_t(-1);
    static constexpr size_t kIndexFrom = 16;

    size_t IndexOf(const std::string& folded) const {
        if (FValues.size() < kIndexFrom) {
            for (size_t i = 0; i < FValues.size(); ++i)
                if (FValues[i].Folded == folded)
                    return i;
            return npos;
        }
        const auto it = FIndex.find(folded);
        return it == FIndex.end() ? npos : it->second;
    }

    // Kept while the key has many values.
    void BuildIndex() {
        FIndex.clear();
        if (FValues.size() >= kIndexFrom)
            for (size_t i = 0; i < FValues.size(); ++i)
                FIndex.emplace(FValues[i].Folded, i);
    }

    std::vector<TStoredValue> FValues;
    std::unordered_map<std::string, size_t> FIndex;
};

// The keys of a store in the order they were read or made (a key's parents before it),
// found through a hash index of their folded paths: reading and looking up take time
// linear in the store's size. Paths given are normalized.
class TKeyMap {
public:
    const TStoredKey* Find(std::string_view path) const {
        const auto it = FIndex.find(FoldedText(path));
        return it == FIndex.end() ? nullptr : &FKeys[it->second];
    }
    TStoredKey* Find(std::string_view path) {
        const auto it = FIndex.find(FoldedText(path));
        return it == FIndex.end() ? nullptr : &FKeys[it->second];
    }
    bool Contains(std::string_view path) const { return Find(path) != nullptr; }
    const std::vector<TStoredKey>& Keys() const { return FKeys; }
    // Room for this many keys, so that reading a large store does not grow the index step
    // by step.
    void Reserve(size_t keys) {
        FKeys.reserve(keys);
        FIndex.reserve(keys);
    }

    // The key, made with every missing key above it (those first). The reference holds
    // until the next key is made.
    TStoredKey& Ensure(std::string path) {
        std::string folded = FoldedText(path);
        if (const auto it = FIndex.find(folded); it != FIndex.end())
            return FKeys[it->second];
        const bool ascii = FoldedIsAscii(folded);
        std::vector<std::pair<std::string, std::string>> missing; // path, folded
        for (size_t pos = path.rfind('\\'); pos != std::string::npos && pos > 0;
             pos = path.rfind('\\', pos - 1)) {
            std::string parent = path.substr(0, pos);
            std::string parentFolded = ascii ? folded.substr(0, pos) : FoldedText(parent);
            if (FIndex.count(parentFolded))
                break;
            missing.emplace_back(std::move(parent), std::move(parentFolded));
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it)
            Add(std::move(it->first), std::move(it->second));
        Add(std::move(path), std::move(folded));
        return FKeys.back();
    }

    // Removes the key and every key below it; false when there was no such key.
    bool EraseTree(const std::string& path) {
        if (!Contains(path))
            return false;
        std::erase_if(FKeys, [&](const TStoredKey& key) {
            return SameText(key.Path, path) || IsBelow(key.Path, path);
        });
        FIndex.clear();
        for (size_t i = 0; i < FKeys.size(); ++i)
            FIndex.emplace(FKeys[i].Folded, i);
        return true;
    }

    // Which keys have a key below them.
    std::vector<bool> HasSubKeys() const {
        std::vector<bool> result(FKeys.size());
        for (const TStoredKey& key : FKeys) {
            const size_t pos = key.Path.rfind('\\');
            if (pos == std::string::npos)
                continue;
            const auto it = FIndex.find(
                FoldedIsAscii(key.Folded) ? key.Folded.substr(0, pos)
                                          : FoldedText(std::string_view(key.Path).substr(0, pos)));
            if (it != FIndex.end())
                result[it->second] = true;
        }
        return result;
    }

    // Whether reading the file left out key paths too deep or too long to keep.
    bool DroppedPaths = false;

private:
    void Add(std::string path, std::string folded) {
        FIndex.emplace(folded, FKeys.size());
        FKeys.emplace_back(std::move(path), std::move(folded));
    }

    std::vector<TStoredKey> FKeys;
    std::unordered_map<std::string, size_t> FIndex;
};

using TKeySnapshot = std::shared_ptr<const TKeyMap>;

// One change of the store, kept as data so that a gathered batch can be applied again to
// the store as it is on disk when the batch is written.
struct TChange {
    enum TKind { ckCreateKey, ckDeleteKey, ckSetValue, ckDeleteValue };
    TKind Kind = ckSetValue;
    std::string Path;
    std::string Name;
    TRegDataType Type = rdString;
    std::string Data;
};

// Applies a change; false when it changes nothing.
bool Apply(TKeyMap& keys, const TChange& change) {
    switch (change.Kind) {
    case TChange::ckCreateKey:
        if (keys.Contains(change.Path))
            return false;
        keys.Ensure(change.Path);
        return true;
    case TChange::ckDeleteKey:
        return keys.EraseTree(change.Path);
    case TChange::ckSetValue: {
        const bool existed = keys.Contains(change.Path);
        return keys.Ensure(change.Path).Set(change.Name, change.Type, change.Data) || !existed;
    }
    case TChange::ckDeleteValue: {
        TStoredKey* key = keys.Find(change.Path);
        return key != nullptr && key->Erase(change.Name);
    }
    }
    return false;
}

// ---- text form

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char b) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
}

void AppendEscaped(std::string& out, std::string_view s) {
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if ((unsigned char)c < 0x20) {
                out += "\\x";
                AppendHexByte(out, (unsigned char)c);
            } else {
                out += c;
            }
        }
    }
}

int HexDigit(char h) {
    return (h >= '0' && h <= '9')   ? h - '0'
           : (h >= 'a' && h <= 'f') ? h - 'a' + 10
           : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                    : -1;
}

// Reads a quoted string at line[pos] (pos at the opening quote); false when malformed.
bool Unquote(std::string_view line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const size_t plain = line.find_first_of("\"\\", pos);
        if (plain == std::string_view::npos)
            return false;
        out.append(line.substr(pos, plain - pos));
        pos = plain;
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
        case '\\':
        case '"':
            out += e;
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (pos + 2 > line.size())
                return false;
            const int hi = HexDigit(line[pos]), lo = HexDigit(line[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out += char(hi * 16 + lo);
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

// Keys are written in the order of their folded paths (a key before the keys below it),
// so that the same settings always give the same file whatever order they were written
// in. A key without values that has a key below it is implied by that key and not
// written, so writing what was read never makes the file larger.
std::string Serialize(const TKeyMap& keys) {
    std::string out = std::string(kHeader) + "\n";
    const std::vector<bool> hasSubKeys = keys.HasSubKeys();
    const auto& list = keys.Keys();
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (!std::is_sorted(order.begin(), order.end(),
                        [&](size_t a, size_t b) { return list[a].Folded < list[b].Folded; }))
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return list[a].Folded < list[b].Folded; });
    for (const size_t i : order) {
        const TStoredKey& key = list[i];
        if (key.Values().empty() && hasSubKeys[i])
            continue;
        out += "\n[";
        out += key.Path;
        out += "]\n";
        for (const TStoredValue& v : key.Values()) {
            out += '"';
            AppendEscaped(out, v.Name);
            out += "\"=";
            if (v.Type == rdInteger) {
                out += "dword:";
                const uint32_t value = uint32_t(StrToInt64(v.Data));
                for (int shift = 28; shift >= 0; shift -= 4)
                    out += kHexDigits[(value >> shift) & 15];
            } else if (v.Type == rdBinary) {
                out += "hex:";
                for (size_t k = 0; k < v.Data.size(); ++k) {
                    if (k)
                        out += ',';
                    AppendHexByte(out, (unsigned char)v.Data[k]);
                }
            } else {
                out += '"';
                AppendEscaped(out, v.Data);
                out += '"';
            }
            out += '\n';
        }
    }
    return out;
}

// A value line after its name: dword:, hex: or a quoted string.
bool ParseValueData(std::string_view line, size_t pos, TStoredValue& v) {
    std::string_view rest = line.substr(pos);
    if (rest.starts_with("dword:")) {
        if (rest.size() != 14)
            return false;
        uint32_t value = 0;
        for (char h : rest.substr(6)) {
            const int d = HexDigit(h);
            if (d < 0)
                return false;
            value = value * 16 + uint32_t(d);
        }
        v.Type = rdInteger;
        v.Data = IntToStr(int32_t(value));
        return true;
    }
    if (rest.starts_with("hex:")) {
        v.Type = rdBinary;
        const std::string_view bytes = rest.substr(4);
        v.Data.clear();
        v.Data.reserve(bytes.size() / 3 + 1);
        size_t k = 0;
        while (k < bytes.size()) {
            if (k + 2 > bytes.size())
                return false;
            const int hi = HexDigit(bytes[k]), lo = HexDigit(bytes[k + 1]);
            if (hi < 0 || lo < 0)
                return false;
            v.Data += char(hi * 16 + lo);
            k += 2;
            if (k < bytes.size()) {
                if (bytes[k] != ',')
                    return false;
                ++k;
            }
        }
        return true;
    }
    v.Type = rdString;
    return Unquote(line, pos, v.Data) && pos == line.size();
}

// Reads the text form in one pass: time linear in the text's size.
bool Parse(std::string_view text, TKeyMap& keys) {
    keys = TKeyMap();
    // Every leading UTF-8 byte-order mark goes, as the text readers drop them: a tool that
    // adds a mark to a file that had one leaves two.
    while (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (text.empty())
        return true;
    // One key a section: the sections counted first size the index once.
    size_t sections = 0;
    for (size_t at = text.find("\n["); at != std::string_view::npos; at = text.find("\n[", at + 2))
        ++sections;
    keys.Reserve(sections);
    // The key of the current section, held rather than looked up for each value: no key is
    // made until the next section.
    TStoredKey* current = nullptr;
    bool skipping = false; // inside a key whose path is too deep or too long
    bool first = true;
    TStoredValue v;
    for (size_t i = 0; i <= text.size();) {
        size_t j = text.find('\n', i);
        if (j == std::string_view::npos)
            j = text.size();
        std::string_view line = text.substr(i, j - i);
        i = j + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (line != kHeader)
                return false;
            first = false;
            continue;
        }
        // A line of blanks is an empty line (an editor may leave one at the end).
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                return false;
            std::string path = NormalizePath(line.substr(1, line.size() - 2));
            if (path.empty())
                return false;
            skipping = !KeyPathFits(path);
            if (skipping) {
                keys.DroppedPaths = true;
                continue;
            }
            current = &keys.Ensure(std::move(path));
            continue;
        }
        if (skipping)
            continue;
        if (!current)
            return false;
        size_t pos = 0;
        if (!Unquote(line, pos, v.Name) || pos >= line.size() || line[pos] != '=')
            return false;
        if (!ParseValueData(line, pos + 1, v))
            return false;
        // A later value of the same name replaces the first.
        current->Set(v.Name, v.Type, v.Data);
    }
    return true;
}

// ---- the file

std::function<void()> gCommitHook;

class TStoreFile {
public:
    // The keys as they are in the file now (cached while the file is unchanged), or as an
    // open update has changed them; shared, not copied, so that a read costs no more than
    // the lookup.
    TKeySnapshot Snapshot() {
        const std::string fileName = SettingsStoreFileName();
        std::lock_guard lock(FMutex);
        if (FUpdateView && fileName == FUpdateFile)
            return FUpdateView;
        return SnapshotLocked(fileName);
    }

    // Applies one change; false when it changes nothing. Inside an update the change is
    // gathered; otherwise it is written at once under the file lock. Raises
    // ERegistryException with failMessage when the store cannot be written (once for the
    // same failure of the same store).
    bool Modify(TChange change, const std::string& failMessage) {
        const std::string fileName = SettingsStoreFileName();
        std::lock_guard lock(FMutex);
        if (FUpdateDepth > 0 && (!FUpdateView || fileName == FUpdateFile)) {
            if (!FUpdateView) {
                FUpdateFile = fileName;
                FUpdateView = std::make_shared<TKeyMap>(*SnapshotLocked(fileName));
            } else if (FUpdateView.use_count() > 1) {
                FUpdateView = std::make_shared<TKeyMap>(*FUpdateView); // a reader holds it
            }
            const bool changed = Apply(*FUpdateView, change);
            // Kept even when the view has it already: another program may have changed
            // the file since.
            FPending.push_back(std::move(change));
            if (FUpdateFailMessage.empty())
                FUpdateFailMessage = failMessage;
            return changed;
        }
        return WriteChanges(fileName, {std::move(change)}, failMessage);
    }

    void BeginUpdate() {
        std::lock_guard lock(FMutex);
        ++FUpdateDepth;
    }

    void EndUpdate() {
        std::lock_guard lock(FMutex);
        if (FUpdateDepth == 0 || --FUpdateDepth > 0)
            return;
        std::vector<TChange> changes = std::move(FPending);
        FPending.clear();
        const std::string fileName = std::move(FUpdateFile);
        const std::string failMessage = std::move(FUpdateFailMessage);
        FUpdateFile.clear();
        FUpdateFailMessage.clear();
        FUpdateView.reset();
        if (!changes.empty())
            WriteChanges(fileName, changes, failMessage);
    }

private:
    // The lock lives beside the file the store's name leads to, symbolic links followed:
    // programs that reach the same store by different names (a link and its target) take
    // the same lock. Where no lock can be made there (the target's folder is missing or
    // not writable, so the store cannot be replaced either), the lock beside the name
    // given is taken, and the write reports why it failed.
    class TLockGuard {
    public:
        explicit TLockGuard(const std::string& fileName) {
            const std::string target = ResolveFileLinks(fileName);
            FHandle = Open(target);
            if (FHandle < 0 && target != fileName)
                FHandle = Open(fileName);
            if (FHandle >= 0) {
                while (::flock(FHandle, LOCK_EX) != 0 && errno == EINTR) {
                }
            }
        }
        ~TLockGuard() {
            if (FHandle >= 0) {
                ::flock(FHandle, LOCK_UN);
                ::close(FHandle);
            }
        }
        bool Locked() const { return FHandle >= 0; }

    private:
        static int Open(const std::string& fileName) {
            return ::open((fileName + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        }
        int FHandle = -1;
    };

    TKeySnapshot SnapshotLocked(const std::string& fileName) {
        struct stat st {};
        bool exists = ::stat(fileName.c_str(), &st) == 0;
        if (exists && fileName == FCachedName && SameStat(st))
            return FCache;
        if (!Usable(fileName))
            return std::make_shared<const TKeyMap>();
        TKeyMap keys;
        std::string text;
        try {
            if (exists && !ReadKeys(fileName, keys, text)) {
                // Only a locked writer may move a broken file aside; check again under it.
                TLockGuard fileLock(fileName);
                if (!ReadKeys(fileName, keys, text)) {
                    KeepAside(fileName);
                    keys = TKeyMap();
                    text.clear();
                }
                exists = ::stat(fileName.c_str(), &st) == 0;
            }
        } catch (const TStoreRefused&) {
            Usable(fileName);
            return std::make_shared<const TKeyMap>();
        }
        if (!exists)
            st = {};
        SetCache(fileName, std::make_shared<const TKeyMap>(std::move(keys)), std::move(text));
        FCachedStat = st;
        FHasStat = exists;
        return FCache;
    }

    // Applies changes to the store as it is on disk under the file lock and writes it once
    // when any of them changed something; false when nothing was written.
    bool WriteChanges(const std::string& fileName, const std::vector<TChange>& changes,
                      const std::string& failMessage) {
        if (!Usable(fileName))
            return false;
        MakeFolder(fileName);
        TLockGuard fileLock(fileName);
        if (!fileLock.Locked())
            return Report(fileName, Format(FrameworkTexts::StoreNotLocked, {ErrorText(errno)}),
                          failMessage);
        TKeyMap keys;
        std::string text;
        bool read = false;
        try {
            read = ReadKeys(fileName, keys, text);
        } catch (const TStoreRefused&) {
            Usable(fileName);
            return false;
        }
        if (!read) {
            KeepAside(fileName);
            keys = TKeyMap();
        }
        bool changed = false;
        for (const TChange& change : changes)
            changed = Apply(keys, change) || changed;
        std::string written = changed ? Serialize(keys) : text;
        if (written == text) {
            // Nothing to write: the keys are the file's as read, and stay the cache.
            KeepAsCache(fileName, std::move(keys), std::move(text));
            return false;
        }
        if (const std::string problem = Commit(fileName, written); !problem.empty())
            return Report(fileName, problem, failMessage);
        const bool dropped = keys.DroppedPaths;
        keys.DroppedPaths = false;
        KeepAsCache(fileName, std::move(keys), std::move(written));
        if (dropped && FReported.insert("dropped\n" + fileName).second)
            throw ERegistryException(Format(FrameworkTexts::StoreKeysDropped, {fileName}));
        return true;
    }

    // A failure of writing the store: raised the first time, quiet when the same failure of
    // the same store was reported before.
    bool Report(const std::string& fileName, const std::string& problem,
                const std::string& failMessage) {
        if (FReported.insert(fileName + "\n" + problem).second)
            throw ERegistryException(failMessage + ": " + problem);
        return false;
    }

    static std::string ErrorText(int error) { return FileErrorText(error); }

    void SetCache(const std::string& fileName, TKeySnapshot keys, std::string text) {
        FCachedName = fileName;
        FCache = std::move(keys);
        FCachedText = std::move(text);
    }

    // The keys and text are what the file holds now.
    void KeepAsCache(const std::string& fileName, TKeyMap keys, std::string text) {
        SetCache(fileName, std::make_shared<const TKeyMap>(std::move(keys)), std::move(text));
        FHasStat = ::stat(fileName.c_str(), &FCachedStat) == 0;
    }

    bool SameStat(const struct stat& st) const {
        return FHasStat && st.st_ino == FCachedStat.st_ino && st.st_dev == FCachedStat.st_dev &&
               st.st_size == FCachedStat.st_size &&
               st.st_mtim.tv_sec == FCachedStat.st_mtim.tv_sec &&
               st.st_mtim.tv_nsec == FCachedStat.st_mtim.tv_nsec;
    }

    // Reads and parses the store; a missing store reads as empty. The same bytes as the
    // cached ones are not parsed again. False when the file cannot be read or parsed.
    bool ReadKeys(const std::string& fileName, TKeyMap& keys, std::string& text) {
        if (!ReadFileBytes(fileName, text, kMaxStoreFileSize)) {
            keys = TKeyMap();
            // A store that became unusable since it was checked is refused, not moved aside.
            if (errno == EFBIG || errno == kNotRegularFile || errno == EISDIR || errno == ELOOP)
                throw TStoreRefused();
            return errno == ENOENT;
        }
        if (IsUtf16(text))
            throw TStoreRefused();
        if (FCache && fileName == FCachedName && text == FCachedText) {
            if (FCache.use_count() == 1) {
                // Nobody else holds the cached keys: they are taken, not copied, and the
                // cache is empty until the caller sets it again.
                keys = std::move(const_cast<TKeyMap&>(*FCache));
                FCache = std::make_shared<const TKeyMap>();
                FCachedName.clear();
                FHasStat = false;
            } else {
                keys = *FCache;
            }
            return true;
        }
        return Parse(text, keys);
    }

    static void KeepAside(const std::string& fileName) {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", &tm);
        std::string aside = fileName + ".bad-" + stamp + "-" + IntToStr(::getpid());
        ::rename(fileName.c_str(), aside.c_str());
    }

    static void MakeFolder(const std::string& fileName) {
        std::string dir = ExtractFileDir(fileName);
        for (size_t pos = 1; pos <= dir.size(); ++pos)
            if (pos == dir.size() || dir[pos] == '/')
                ::mkdir(dir.substr(0, pos).c_str(), 0700);
    }

    // What makes a store that is there unusable without it being damaged: not a regular
    // file (a folder, a FIFO, a device: reading it would block or fail), a circle of links,
    // larger than any store (it would be held whole), or UTF-16 text. Such a store is never
    // moved aside, since that would move what the user named. Empty when it can be used.
    static std::string StoreProblem(const std::string& fileName) {
        struct stat st {};
        if (::stat(fileName.c_str(), &st) != 0)
            return errno == ELOOP ? Format(FrameworkTexts::StoreLinkLoop, {fileName})
                                  : std::string();
        if (!S_ISREG(st.st_mode))
            return Format(FrameworkTexts::StoreNotRegularFile, {fileName});
        if (st.st_size > kMaxStoreFileSize)
            return Format(FrameworkTexts::StoreTooLarge, {fileName, int(kMaxStoreFileSize >> 20)});
        char head[2] = {};
        const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd >= 0) {
            const ssize_t n = ::read(fd, head, sizeof head);
            ::close(fd);
            if (n == 2 && IsUtf16(std::string_view(head, 2)))
                return Format(FrameworkTexts::StoreUtf16, {fileName});
        }
        return {};
    }

    static bool IsUtf16(std::string_view text) {
        return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
    }

    // Raised by ReadKeys for a store StoreProblem refuses.
    struct TStoreRefused {};

    // Refuses an unusable store (StoreProblem): raises ERegistryException the first time in
    // a run, so that a program that reads and writes its settings many times shows it once;
    // later gives false, and the store reads as empty and is not written.
    bool Usable(const std::string& fileName) {
        const std::string problem = StoreProblem(fileName);
        if (problem.empty())
            return true;
        if (FReported.insert(fileName + "\n" + problem).second)
            throw ERegistryException(problem);
        return false;
    }

    // Replaces the store by the atomic writer (temporary file synced, renamed, folder
    // synced). A symbolic link is followed: its target is replaced and the link stays. A
    // store the user may not write (a read-only file or a folder without write permission)
    // is left as it is. The store's mode is kept; a new store is the user's alone. Gives
    // what went wrong, or empty text when the store was replaced.
    static std::string Commit(const std::string& fileName, const std::string& content) {
        const std::string target = ResolveFileLinks(fileName);
        std::string dir = ExtractFileDir(target);
        if (dir.empty())
            dir = ".";
        struct stat targetStat {};
        const bool exists = ::stat(target.c_str(), &targetStat) == 0;
        // The permission bits are checked by hand too: the super-user passes access().
        if (exists && ((targetStat.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
            return Format(FrameworkTexts::StoreReadOnly, {target});
        struct stat dirStat {};
        if (::stat(dir.c_str(), &dirStat) != 0 || (dirStat.st_mode & 0222) == 0 ||
            ::access(dir.c_str(), W_OK) != 0)
            return Format(FrameworkTexts::StoreFolderNotWritable, {dir});
        // Earlier versions wrote through one fixed temporary name under the lock; one that a
        // killed writer left is of no use now.
        ::unlink((target + ".tmp").c_str());
        TAtomicWriteOptions options;
        options.BeforeReplace = gCommitHook;
        options.NewFileMode = 0600;
        try {
            WriteFileAtomically(target, content, options);
        } catch (const EInOutError& e) {
            return e.ErrorCode() != 0 ? ErrorText(e.ErrorCode()) : e.Message();
        }
        return {};
    }

    std::mutex FMutex;
    // The store as last read or written by this process.
    TKeySnapshot FCache = std::make_shared<const TKeyMap>();
    std::string FCachedName;
    std::string FCachedText;
    struct stat FCachedStat {};
    bool FHasStat = false;
    // An open update: its changes, and the store as they have made it.
    int FUpdateDepth = 0;
    std::string FUpdateFile;
    std::shared_ptr<TKeyMap> FUpdateView;
    std::vector<TChange> FPending;
    std::string FUpdateFailMessage;
    // Failures reported already (store and problem).
    std::set<std::string> FReported;
};

TStoreFile& Store() {
    static TStoreFile store;
    return store;
}

} // namespace

std::string SettingsStoreFileName() {
    const char* explicitFile = std::getenv("HKCU_STORE");
    if (explicitFile != nullptr && *explicitFile != '\0')
        return explicitFile;
    std::string config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        config = std::string(home != nullptr ? home : "") + "/.config";
    }
    return IncludeTrailingPathDelimiter(config) + "hkcu-registry.txt";
}

void SetSettingsStoreCommitHook(std::function<void()> hook) {
    gCommitHook = std::move(hook);
}

bool ParseSettingsStoreText(std::string_view text, std::string& written) {
    TKeyMap keys;
    if (!Parse(text, keys))
        return false;
    written = Serialize(keys);
    return true;
}

// ---------------------------------------------------------------------------
// TSettingsStoreUpdate

TSettingsStoreUpdate::TSettingsStoreUpdate() {
    Store().BeginUpdate();
}

TSettingsStoreUpdate::~TSettingsStoreUpdate() {
    if (!FOpen)
        return;
    try {
        Commit();
    } catch (...) {
        // A destructor cannot report; callers that care call Commit themselves.
    }
}

void TSettingsStoreUpdate::Commit() {
    if (!FOpen)
        return;
    FOpen = false;
    Store().EndUpdate();
}

// ---------------------------------------------------------------------------
// TRegistry

void TRegistry::SetRootKey(uint32_t value) {
    CloseKey();
    FRootKey = value;
}

std::string TRegistry::Resolve(const std::string& key) const {
    if (!key.empty() && key[0] == '\\')
        return NormalizePath(key);
    return NormalizePath(FCurrentPath + "\\" + key);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    if (FRootKey != HKEY_CURRENT_USER)
        return false;
    std::string path = Resolve(key);
    if (!path.empty() && !Store().Snapshot()->Contains(path)) {
        if (!canCreate || !CreateKey("\\" + path))
            return false;
    }
    FCurrentPath = path;
    FOpen = true;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    return OpenKey(key, false);
}

void TRegistry::CloseKey() {
    FCurrentPath.clear();
    FOpen = false;
}

bool TRegistry::CreateKey(const std::string& key) {
    if (FRootKey != HKEY_CURRENT_USER)
        return false;
    std::string path = Resolve(key);
    if (path.empty())
        return true;
    if (std::any_of(path.begin(), path.end(), [](char c) { return (unsigned char)c < 0x20; }) ||
        path.find(']') != std::string::npos || !KeyPathFits(path))
        return false;
    if (Store().Snapshot()->Contains(path))
        return true;
    TChange change;
    change.Kind = TChange::ckCreateKey;
    change.Path = path;
    Store().Modify(std::move(change), Format(FrameworkTexts::KeyNotCreated, {key}));
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string path = Resolve(key);
    if (path.empty() || !Store().Snapshot()->Contains(path))
        return false;
    TChange change;
    change.Kind = TChange::ckDeleteKey;
    change.Path = path;
    return Store().Modify(std::move(change), Format(FrameworkTexts::KeyNotDeleted, {key}));
}

bool TRegistry::KeyExists(const std::string& key) {
    std::string path = Resolve(key);
    return path.empty() || Store().Snapshot()->Contains(path);
}

void TRegistry::GetKeyNames(TStrings& names) {
    names.Clear();
    const TKeySnapshot keys = Store().Snapshot();
    std::vector<std::string> found;
    for (const TStoredKey& key : keys->Keys()) {
        const std::string& path = key.Path;
        if (FCurrentPath.empty() ? path.find('\\') == std::string::npos
                                 : (IsBelow(path, FCurrentPath) &&
                                    path.find('\\', FCurrentPath.size() + 1) == std::string::npos))
            found.push_back(FCurrentPath.empty() ? path : path.substr(FCurrentPath.size() + 1));
    }
    // Subkeys are listed in alphabetical order, whatever the order of the file.
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    for (const std::string& name : found)
        names.Add(name);
}

bool TRegistry::HasSubKeys() {
    TStringList names;
    GetKeyNames(names);
    return names.Count() > 0;
}

void TRegistry::GetValueNames(TStrings& names) {
    names.Clear();
    const TKeySnapshot keys = Store().Snapshot();
    const TStoredKey* key = keys->Find(FCurrentPath);
    if (key == nullptr)
        return;
    for (const TStoredValue& v : key->Values())
        names.Add(v.Name);
}

namespace {
bool FindValue(const std::string& keyPath, const std::string& name, TStoredValue& value) {
    const TKeySnapshot keys = Store().Snapshot();
    const TStoredKey* key = keys->Find(keyPath);
    const TStoredValue* v = key != nullptr ? key->Find(name) : nullptr;
    if (v == nullptr)
        return false;
    value = *v;
    return true;
}
} // namespace

bool TRegistry::ValueExists(const std::string& name) {
    TStoredValue v;
    return FindValue(FCurrentPath, name, v);
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
    TStoredValue v;
    return FindValue(FCurrentPath, name, v) ? v.Type : rdUnknown;
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!ValueExists(name))
        return false;
    TChange change;
    change.Kind = TChange::ckDeleteValue;
    change.Path = FCurrentPath;
    change.Name = name;
    return Store().Modify(std::move(change), Format(FrameworkTexts::ValueNotWritten, {name}));
}

void TRegistry::WriteValue(const std::string& name, TRegDataType type, std::string data) {
    // The store's file holds values in keys only.
    if (FRootKey != HKEY_CURRENT_USER || FCurrentPath.empty())
        throw ERegistryException(Format(FrameworkTexts::ValueNotWritten, {name}));
    TChange change;
    change.Kind = TChange::ckSetValue;
    change.Path = FCurrentPath;
    change.Name = name;
    change.Type = type;
    change.Data = std::move(data);
    Store().Modify(std::move(change), Format(FrameworkTexts::ValueNotWritten, {name}));
}

std::string TRegistry::ReadString(const std::string& name) {
    TStoredValue v;
    if (!FindValue(FCurrentPath, name, v))
        return "";
    if (v.Type != rdString && v.Type != rdExpandString)
        throw ERegistryException(Format(FrameworkTexts::ValueOfOtherType, {name}));
    return v.Data;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteValue(name, rdString, value);
}

int TRegistry::ReadInteger(const std::string& name) {
    TStoredValue v;
    if (!FindValue(FCurrentPath, name, v))
        throw ERegistryException(Format(FrameworkTexts::ValueNotRead, {name}));
    if (v.Type != rdInteger)
        throw ERegistryException(Format(FrameworkTexts::ValueOfOtherType, {name}));
    return StrToInt(v.Data);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    WriteValue(name, rdInteger, IntToStr(value));
}

bool TRegistry::ReadBool(const std::string& name) {
    return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value);
}

std::string TRegistry::ReadBinaryData(const std::string& name) {
    TStoredValue v;
    if (!FindValue(FCurrentPath, name, v))
        throw ERegistryException(Format(FrameworkTexts::ValueNotRead, {name}));
    if (v.Type != rdBinary)
        throw ERegistryException(Format(FrameworkTexts::ValueOfOtherType, {name}));
    return v.Data;
}

void TRegistry::WriteBinaryData(const std::string& name, std::string_view data) {
    WriteValue(name, rdBinary, std::string(data));
}

// ---------------------------------------------------------------------------
// TRegIniFile

TRegIniFile::TRegIniFile(std::string keyPath) : TCustomIniFile(std::move(keyPath)) {}

std::string TRegIniFile::SectionKey(std::string_view section) const {
    std::string key = "\\" + FileName();
    if (!section.empty())
        key += "\\" + std::string(section);
    return key;
}

std::string TRegIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view def) {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(SectionKey(section)))
        return std::string(def);
    std::string name(ident);
    switch (reg.GetDataType(name)) {
    case rdString:
    case rdExpandString:
        return reg.ReadString(name);
    case rdInteger:
        return IntToStr(reg.ReadInteger(name));
    default:
        return std::string(def);
    }
}

void TRegIniFile::WriteString(std::string_view section, std::string_view ident,
                              std::string_view value) {
    TRegistry reg;
    if (!reg.OpenKey(SectionKey(section), true))
        throw ERegistryException(Format(FrameworkTexts::KeyNotCreated, {SectionKey(section)}));
    reg.WriteString(std::string(ident), std::string(value));
}

int TRegIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(SectionKey(section)))
        return def;
    std::string name(ident);
    if (reg.GetDataType(name) == rdInteger)
        return reg.ReadInteger(name);
    if (reg.GetDataType(name) == rdString)
        return StrToIntDef(Trim(reg.ReadString(name)), def);
    return def;
}

void TRegIniFile::ReadSection(std::string_view section, TStrings& idents) {
    TRegistry reg;
    idents.Clear();
    if (reg.OpenKeyReadOnly(SectionKey(section)))
        reg.GetValueNames(idents);
}

void TRegIniFile::ReadSections(TStrings& sections) {
    TRegistry reg;
    sections.Clear();
    if (reg.OpenKeyReadOnly(SectionKey("")))
        reg.GetKeyNames(sections);
}

void TRegIniFile::ReadSectionValues(std::string_view section, TStrings& values) {
    TStringList names;
    ReadSection(section, names);
    values.BeginUpdate();
    values.Clear();
    for (int i = 0; i < names.Count(); ++i)
        values.Add(names[i] + "=" + ReadString(section, names[i], ""));
    values.EndUpdate();
}

void TRegIniFile::EraseSection(std::string_view section) {
    TRegistry reg;
    reg.DeleteKey(SectionKey(section));
}

void TRegIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    TRegistry reg;
    if (reg.OpenKeyReadOnly(SectionKey(section)))
        reg.DeleteValue(std::string(ident));
}

bool TRegIniFile::SectionExists(std::string_view section) {
    TRegistry reg;
    return reg.KeyExists(SectionKey(section));
}

bool TRegIniFile::ValueExists(std::string_view section, std::string_view ident) {
    TRegistry reg;
    return reg.OpenKeyReadOnly(SectionKey(section)) && reg.ValueExists(std::string(ident));
}
