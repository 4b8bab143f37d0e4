#include "framework/core/Registry.h"

#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

const char* const kHeader = "HKCU-STORE 1";

struct TCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareText(a, b) < 0;
    }
};

struct TStoredValue {
    std::string Name;
    TRegDataType Type = rdString;
    std::string Data; // text, decimal integer, or raw bytes
};

struct TStoredKey {
    std::string Path; // as first written
    std::vector<TStoredValue> Values;

    TStoredValue* Find(std::string_view name) {
        for (auto& v : Values)
            if (SameText(v.Name, name))
                return &v;
        return nullptr;
    }
};

using TKeyMap = std::map<std::string, TStoredKey, TCaseLess>;
using TKeySnapshot = std::shared_ptr<const TKeyMap>;

// Deeper or longer key paths are not kept: each level implies a key of its own, so such
// a path would make the store grow out of all proportion to the text that named it.
constexpr size_t kMaxKeyDepth = 512;
constexpr size_t kMaxKeyPathLength = 32 * 1024;

bool KeyPathFits(const std::string& path) {
    return path.size() <= kMaxKeyPathLength &&
           size_t(std::count(path.begin(), path.end(), '\\')) < kMaxKeyDepth;
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

std::string ParentPath(const std::string& path) {
    size_t pos = path.rfind('\\');
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

bool IsBelow(const std::string& path, const std::string& ancestor) {
    return path.size() > ancestor.size() + 1 && path[ancestor.size()] == '\\' &&
           SameText(std::string_view(path).substr(0, ancestor.size()), ancestor);
}

void EnsureKey(TKeyMap& keys, const std::string& path) {
    for (std::string p = path; !p.empty(); p = ParentPath(p)) {
        if (keys.count(p))
            return;
        keys[p].Path = p;
    }
}

// ---- text form

std::string Escape(std::string_view s) {
    std::string out;
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
            if ((unsigned char)c < 0x20)
                out += Format("\\x%.2x", {int((unsigned char)c)});
            else
                out += c;
        }
    }
    return out;
}

// Reads a quoted string at line[pos] (pos at the opening quote); false when malformed.
bool Unquote(std::string_view line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= line.size())
            return false;
        char e = line[pos++];
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
            int v = 0;
            for (int k = 0; k < 2; ++k) {
                char h = line[pos++];
                int d = (h >= '0' && h <= '9')   ? h - '0'
                        : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                        : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                                 : -1;
                if (d < 0)
                    return false;
                v = v * 16 + d;
            }
            out += char(v);
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

// A key without values whose subkey follows it is implied by that subkey and not written,
// so writing what was read never makes the file larger.
std::string Serialize(const TKeyMap& keys) {
    std::string out = std::string(kHeader) + "\n";
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        const auto& [path, key] = *it;
        if (key.Values.empty()) {
            const auto next = std::next(it);
            if (next != keys.end() && IsBelow(next->first, path))
                continue;
        }
        out += "\n[" + key.Path + "]\n";
        for (const auto& v : key.Values) {
            out += "\"" + Escape(v.Name) + "\"=";
            if (v.Type == rdInteger) {
                out += "dword:" + Format("%.8x", {int64_t(uint32_t(StrToInt64(v.Data)))});
            } else if (v.Type == rdBinary) {
                out += "hex:";
                for (size_t i = 0; i < v.Data.size(); ++i)
                    out += Format(i ? ",%.2x" : "%.2x", {int((unsigned char)v.Data[i])});
            } else {
                out += "\"" + Escape(v.Data) + "\"";
            }
            out += "\n";
        }
    }
    return out;
}

bool ParseHex(std::string_view s, int64_t& value) {
    if (s.empty() || s.size() > 16)
        return false;
    value = 0;
    for (char h : s) {
        int d = (h >= '0' && h <= '9')   ? h - '0'
                : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                         : -1;
        if (d < 0)
            return false;
        value = value * 16 + d;
    }
    return true;
}

bool Parse(std::string_view text, TKeyMap& keys) {
    keys.clear();
    if (text.starts_with("\xEF\xBB\xBF")) // a UTF-8 byte-order mark
        text.remove_prefix(3);
    if (text.empty())
        return true;
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i <= text.size()) {
        size_t j = text.find('\n', i);
        if (j == std::string_view::npos)
            j = text.size();
        std::string_view line = text.substr(i, j - i);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        i = j + 1;
    }
    if (lines.empty() || lines[0] != kHeader)
        return false;
    TStoredKey* current = nullptr;
    std::unordered_map<const TStoredKey*, std::unordered_map<std::string, size_t>> valueIndex;
    bool skipping = false; // inside a key whose path is too deep or too long
    for (size_t n = 1; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                return false;
            std::string path = NormalizePath(line.substr(1, line.size() - 2));
            if (path.empty())
                return false;
            skipping = !KeyPathFits(path);
            if (skipping)
                continue;
            EnsureKey(keys, path);
            current = &keys[path];
            continue;
        }
        if (skipping)
            continue;
        if (current == nullptr)
            return false;
        size_t pos = 0;
        TStoredValue v;
        if (!Unquote(line, pos, v.Name) || pos >= line.size() || line[pos] != '=')
            return false;
        ++pos;
        std::string_view rest = line.substr(pos);
        if (rest.starts_with("dword:")) {
            int64_t value;
            if (rest.size() != 14 || !ParseHex(rest.substr(6), value))
                return false;
            v.Type = rdInteger;
            v.Data = IntToStr(int32_t(uint32_t(value)));
        } else if (rest.starts_with("hex:")) {
            v.Type = rdBinary;
            std::string_view bytes = rest.substr(4);
            size_t k = 0;
            while (k < bytes.size()) {
                int64_t b;
                if (k + 2 > bytes.size() || !ParseHex(bytes.substr(k, 2), b))
                    return false;
                v.Data += char(b);
                k += 2;
                if (k < bytes.size()) {
                    if (bytes[k] != ',')
                        return false;
                    ++k;
                }
            }
        } else {
            if (!Unquote(line, pos, v.Data) || pos != line.size())
                return false;
            v.Type = rdString;
        }
        // Values found through an index per key, so that a key of many values reads in
        // time linear in their number; a later value of the same name replaces the first.
        auto [index, fresh] = valueIndex.try_emplace(current);
        if (fresh)
            for (size_t k = 0; k < current->Values.size(); ++k)
                index->second.try_emplace(FoldedText(current->Values[k].Name), k);
        const auto [slot, added] =
            index->second.try_emplace(FoldedText(v.Name), current->Values.size());
        if (added)
            current->Values.push_back(std::move(v));
        else
            current->Values[slot->second] = std::move(v);
    }
    return true;
}

// ---- the file

std::function<void()> gCommitHook;

class TStoreFile {
public:
    // The keys as they are in the file now (cached while the file is unchanged); shared,
    // not copied, so that a read costs no more than the lookup.
    TKeySnapshot Snapshot() {
        std::string fileName = SettingsStoreFileName();
        std::lock_guard lock(FMutex);
        CheckStoreFile(fileName);
        struct stat st {};
        bool exists = ::stat(fileName.c_str(), &st) == 0;
        if (exists && fileName == FCachedName && SameStat(st))
            return FCache;
        TKeyMap keys;
        if (exists && !ReadKeys(fileName, keys)) {
            // Only a locked writer may move a broken file aside; check again under it.
            TLockGuard fileLock(fileName);
            if (!ReadKeys(fileName, keys)) {
                KeepAside(fileName);
                keys.clear();
            }
            exists = ::stat(fileName.c_str(), &st) == 0;
        }
        if (!exists)
            st = {};
        FCachedName = fileName;
        FCache = std::make_shared<const TKeyMap>(std::move(keys));
        FCachedStat = st;
        FHasStat = exists;
        return FCache;
    }

    // Applies one change under the file lock; false when the change reports nothing to do.
    // Raises ERegistryException with failMessage when the store cannot be written.
    bool Modify(const std::function<bool(TKeyMap&)>& change, const std::string& failMessage) {
        std::string fileName = SettingsStoreFileName();
        std::lock_guard lock(FMutex);
        CheckStoreFile(fileName);
        MakeFolder(fileName);
        TLockGuard fileLock(fileName);
        if (!fileLock.Locked())
            throw ERegistryException(failMessage);
        TKeyMap keys;
        struct stat st {};
        if (::stat(fileName.c_str(), &st) == 0 && !ReadKeys(fileName, keys)) {
            KeepAside(fileName);
            keys.clear();
        }
        if (!change(keys))
            return false;
        if (const std::string problem = Commit(fileName, Serialize(keys)); !problem.empty())
            throw ERegistryException(failMessage + ": " + problem);
        FCachedName = fileName;
        FCache = std::make_shared<const TKeyMap>(std::move(keys));
        FHasStat = ::stat(fileName.c_str(), &FCachedStat) == 0;
        return true;
    }

private:
    class TLockGuard {
    public:
        explicit TLockGuard(const std::string& fileName) {
            FHandle = ::open((fileName + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
        int FHandle = -1;
    };

    bool SameStat(const struct stat& st) const {
        return FHasStat && st.st_ino == FCachedStat.st_ino && st.st_dev == FCachedStat.st_dev &&
               st.st_size == FCachedStat.st_size &&
               st.st_mtim.tv_sec == FCachedStat.st_mtim.tv_sec &&
               st.st_mtim.tv_nsec == FCachedStat.st_mtim.tv_nsec;
    }

    static bool ReadKeys(const std::string& fileName, TKeyMap& keys) {
        int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            return errno == ENOENT;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return false;
        }
        std::string text;
        char buffer[65536];
        bool ok = true;
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof(buffer));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            text.append(buffer, size_t(n));
        }
        ::close(fd);
        return ok && Parse(text, keys);
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

    static bool WriteAll(int fd, const std::string& content) {
        size_t done = 0;
        while (done < content.size()) {
            ssize_t n = ::write(fd, content.data() + done, content.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return true;
    }

    // A store that is not a regular file (a folder, a FIFO, a device) is refused with a
    // clear error: reading it would block or fail, and moving it aside would move what
    // the user named.
    static void CheckStoreFile(const std::string& fileName) {
        struct stat st {};
        if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            throw ERegistryException("The settings store " + fileName + " is not a regular file");
    }

    // Temporary file beside the store (one name: only the lock holder uses it), flushed
    // to disk, then renamed over the store. A symbolic link is followed: its target is
    // replaced and the link stays. A store the user may not write (a read-only file or a
    // folder without write permission) is left as it is. The store's mode is kept. Gives
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
            return "the settings store " + target + " is read-only";
        struct stat dirStat {};
        if (::stat(dir.c_str(), &dirStat) != 0 || (dirStat.st_mode & 0222) == 0 ||
            ::access(dir.c_str(), W_OK) != 0)
            return "the folder " + dir + " of the settings store is not writable";
        std::string temp = target + ".tmp";
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return std::strerror(errno);
        bool ok =
            WriteAll(fd, content) && (!exists || ::fchmod(fd, targetStat.st_mode & 07777) == 0);
        ok = ok && ::fsync(fd) == 0;
        const int error = errno;
        ok = ::close(fd) == 0 && ok;
        if (ok && gCommitHook)
            gCommitHook();
        if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
            const std::string problem = std::strerror(ok ? errno : error);
            ::unlink(temp.c_str());
            return problem;
        }
        int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        return {};
    }

    std::shared_ptr<const TKeyMap> FCache = std::make_shared<const TKeyMap>();
    std::mutex FMutex;
    std::string FCachedName;
    struct stat FCachedStat {};
    bool FHasStat = false;
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
    if (!path.empty() && !Store().Snapshot()->count(path)) {
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
    if (Store().Snapshot()->count(path))
        return true;
    Store().Modify(
        [&](TKeyMap& keys) {
            EnsureKey(keys, path);
            return true;
        },
        Format("Failed to create key %s", {key}));
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string path = Resolve(key);
    if (path.empty() || !Store().Snapshot()->count(path))
        return false;
    return Store().Modify(
        [&](TKeyMap& keys) {
            bool any = false;
            for (auto it = keys.begin(); it != keys.end();) {
                if (SameText(it->first, path) || IsBelow(it->first, path)) {
                    it = keys.erase(it);
                    any = true;
                } else {
                    ++it;
                }
            }
            return any;
        },
        Format("Failed to delete key %s", {key}));
}

bool TRegistry::KeyExists(const std::string& key) {
    std::string path = Resolve(key);
    return path.empty() || Store().Snapshot()->count(path) > 0;
}

void TRegistry::GetKeyNames(TStrings& names) {
    names.Clear();
    const TKeySnapshot keys = Store().Snapshot();
    for (const auto& [path, key] : *keys) {
        if (FCurrentPath.empty() ? path.find('\\') == std::string::npos
                                 : (IsBelow(path, FCurrentPath) &&
                                    path.find('\\', FCurrentPath.size() + 1) == std::string::npos))
            names.Add(FCurrentPath.empty() ? key.Path : key.Path.substr(FCurrentPath.size() + 1));
    }
}

bool TRegistry::HasSubKeys() {
    TStringList names;
    GetKeyNames(names);
    return names.Count() > 0;
}

void TRegistry::GetValueNames(TStrings& names) {
    names.Clear();
    const TKeySnapshot keys = Store().Snapshot();
    auto it = keys->find(FCurrentPath);
    if (it == keys->end())
        return;
    for (const auto& v : it->second.Values)
        names.Add(v.Name);
}

namespace {
bool FindValue(const std::string& keyPath, const std::string& name, TStoredValue& value) {
    const TKeySnapshot keys = Store().Snapshot();
    auto it = keys->find(keyPath);
    if (it == keys->end())
        return false;
    for (const TStoredValue& v : it->second.Values)
        if (SameText(v.Name, name)) {
            value = v;
            return true;
        }
    return false;
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
    std::string path = FCurrentPath;
    return Store().Modify(
        [&](TKeyMap& keys) {
            auto it = keys.find(path);
            if (it == keys.end())
                return false;
            auto& values = it->second.Values;
            auto before = values.size();
            std::erase_if(values, [&](const TStoredValue& v) { return SameText(v.Name, name); });
            return values.size() != before;
        },
        Format("Failed to set data for '%s'", {name}));
}

void TRegistry::WriteValue(const std::string& name, TRegDataType type, std::string data) {
    if (FRootKey != HKEY_CURRENT_USER)
        throw ERegistryException(Format("Failed to set data for '%s'", {name}));
    std::string path = FCurrentPath;
    Store().Modify(
        [&](TKeyMap& keys) {
            if (!path.empty())
                EnsureKey(keys, path);
            TStoredKey& key = keys[path];
            if (key.Path.empty())
                key.Path = path;
            TStoredValue* v = key.Find(name);
            if (v == nullptr) {
                key.Values.push_back({name, type, data});
            } else {
                v->Type = type;
                v->Data = data;
            }
            return true;
        },
        Format("Failed to set data for '%s'", {name}));
}

std::string TRegistry::ReadString(const std::string& name) {
    TStoredValue v;
    if (!FindValue(FCurrentPath, name, v))
        return "";
    if (v.Type != rdString && v.Type != rdExpandString)
        throw ERegistryException(Format("Invalid data type for '%s'", {name}));
    return v.Data;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteValue(name, rdString, value);
}

int TRegistry::ReadInteger(const std::string& name) {
    TStoredValue v;
    if (!FindValue(FCurrentPath, name, v))
        throw ERegistryException(Format("Failed to get data for '%s'", {name}));
    if (v.Type != rdInteger)
        throw ERegistryException(Format("Invalid data type for '%s'", {name}));
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
        throw ERegistryException(Format("Failed to get data for '%s'", {name}));
    if (v.Type != rdBinary)
        throw ERegistryException(Format("Invalid data type for '%s'", {name}));
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
        throw ERegistryException(Format("Failed to create key %s", {SectionKey(section)}));
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
