#include "framework/core/TextFiles.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxNumberLength = 64;

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsBlankOrLineEnd(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

size_t CharacterCount(std::string_view text) {
    size_t characters = 0;
    for (const char c : text)
        if (!IsUtf8Continuation(c))
            ++characters;
    return characters;
}

// A size limit as people read it: whole megabytes or kilobytes.
std::string SizeText(int64_t bytes) {
    if (bytes >= (int64_t(1) << 20) && bytes % (int64_t(1) << 20) == 0)
        return Format(FrameworkTexts::Megabytes, {bytes >> 20});
    if (bytes >= 1024 && bytes % 1024 == 0)
        return Format(FrameworkTexts::Kilobytes, {bytes >> 10});
    return Format(FrameworkTexts::Bytes, {bytes});
}

} // namespace

std::string FileErrorText(int error, int64_t maxSize) {
    namespace Texts = FrameworkTexts;
    switch (error) {
    case kNotRegularFile:
        return Texts::NotRegularFile;
    case kUtf16Text:
        return Texts::Utf16Text;
    case kUtf32Text:
        return Texts::Utf32Text;
    case EFBIG:
        return maxSize > 0 ? Format(Texts::FileLargerThan, {SizeText(maxSize)})
                           : std::string(Texts::FileTooLarge);
    case ENOENT:
        return Texts::NoSuchFile;
    case EACCES:
        return Texts::AccessDenied;
    case EPERM:
        return Texts::NotPermitted;
    case EISDIR:
        return Texts::IsFolder;
    case ENOTDIR:
        return Texts::NotFolder;
    case ELOOP:
        return Texts::LinkLoop;
    case ENAMETOOLONG:
        return Texts::NameTooLong;
    case ENOSPC:
    case EDQUOT:
        return Texts::DiskFull;
    case EROFS:
        return Texts::ReadOnlyFileSystem;
    case EIO:
        return Texts::DeviceError;
    case EMFILE:
    case ENFILE:
        return Texts::TooManyOpenFiles;
    default:
        return Format(Texts::SystemError, {error, std::string(std::strerror(error))});
    }
}

void RaiseCannotOpen(const std::string& fileName, int error, int64_t maxSize) {
    throw EInOutError(
        Format(FrameworkTexts::CannotOpenFile, {fileName, FileErrorText(error, maxSize)}), error);
}

// ---------------------------------------------------------------------------
// TTextReader

void TTextReader::Open(const std::string& fileName, int64_t maxSize) {
    Close();
    if (!ReadTextFile(fileName, FText, maxSize))
        RaiseCannotOpen(fileName, errno, maxSize);
    FFileName = fileName;
    FPos = 0;
    FOpen = true;
}

void TTextReader::OpenText(std::string_view text, std::string name) {
    Close();
    FText = DecodeText(text);
    FFileName = std::move(name);
    FPos = 0;
    FOpen = true;
}

void TTextReader::Close() {
    FText.clear();
    FFileName.clear();
    FPos = 0;
    FOpen = false;
}

bool TTextReader::Eof() const {
    return FPos >= FText.size();
}

std::string TTextReader::ReadLine() {
    const size_t start = FPos;
    while (FPos < FText.size() && FText[FPos] != '\r' && FText[FPos] != '\n')
        ++FPos;
    std::string line = FText.substr(start, FPos - start);
    if (FPos < FText.size()) {
        if (FText[FPos] == '\r' && FPos + 1 < FText.size() && FText[FPos + 1] == '\n')
            FPos += 2;
        else
            ++FPos;
    }
    return line;
}

void TTextReader::SkipLine() {
    ReadLine();
}

std::string_view TTextReader::NextRun() {
    while (FPos < FText.size() && IsBlankOrLineEnd(FText[FPos]))
        ++FPos;
    const size_t start = FPos;
    while (FPos < FText.size() && !IsBlankOrLineEnd(FText[FPos]))
        ++FPos;
    return std::string_view(FText).substr(start, FPos - start);
}

bool TTextReader::OnlyBlanksLeft() const {
    for (size_t i = FPos; i < FText.size(); ++i)
        if (!IsBlankOrLineEnd(FText[i]))
            return false;
    return true;
}

int TTextReader::LineAt(size_t pos) const {
    int line = 1;
    for (size_t i = 0; i < pos && i < FText.size(); ++i)
        if (FText[i] == '\n' ||
            (FText[i] == '\r' && (i + 1 >= FText.size() || FText[i + 1] != '\n')))
            ++line;
    return line;
}

void TTextReader::RaiseTooLong(std::string_view run) const {
    // The text shown ends after the last whole character within the limit.
    size_t shown = 0;
    size_t characters = 0;
    while (shown < run.size()) {
        if (!IsUtf8Continuation(run[shown]) && ++characters > kMaxNumberLength)
            break;
        ++shown;
    }
    const size_t start = size_t(run.data() - FText.data());
    throw EInOutError(Format(FrameworkTexts::NumberTooLongInFile,
                             {int(kMaxNumberLength), std::string(run.substr(0, shown)), FFileName,
                              LineAt(start)}),
                      106);
}

void TTextReader::RaiseInvalidNumber(std::string_view run) const {
    const size_t start = size_t(run.data() - FText.data());
    throw EInOutError(
        Format(FrameworkTexts::InvalidNumberInFile, {std::string(run), FFileName, LineAt(start)}),
        106);
}

namespace {

// Where the first field of a run like "5.0E-0001-2.5E-0001" ends: right after an
// exponent of four digits that a sign follows. 0 when there is no such place.
size_t FieldEnd(std::string_view run, size_t from) {
    for (size_t i = from; i + 6 < run.size(); ++i) {
        if ((run[i] == 'E' || run[i] == 'e') && (run[i + 1] == '+' || run[i + 1] == '-')) {
            bool digits = true;
            for (size_t k = i + 2; k < i + 6; ++k)
                if (run[k] < '0' || run[k] > '9')
                    digits = false;
            if (digits && (run[i + 6] == '+' || run[i + 6] == '-'))
                return i + 6;
        }
    }
    return 0;
}

} // namespace

double TTextReader::ReadNumber() {
    const std::string_view run = NextRun();
    if (run.empty())
        return 0;
    const bool tooLong = CharacterCount(run) > kMaxNumberLength;
    double value = 0;
    if (!tooLong && TryStrToFloatSep(run, value, '.'))
        return value;
    // Fields written next to each other without a blank: take the first one and leave
    // the rest, from its sign on, for the next read. A field is itself within the limit.
    for (size_t end = FieldEnd(run, 0); end != 0 && end <= kMaxNumberLength;
         end = FieldEnd(run, end)) {
        if (TryStrToFloatSep(run.substr(0, end), value, '.')) {
            FPos = FPos - run.size() + end;
            return value;
        }
    }
    // A run longer than the limit is never cut into two numbers.
    if (tooLong)
        RaiseTooLong(run);
    RaiseInvalidNumber(run);
}

int TTextReader::ReadInteger() {
    const std::string_view run = NextRun();
    if (run.empty())
        return 0;
    if (CharacterCount(run) > kMaxNumberLength)
        RaiseTooLong(run);
    // Decimal digits only: the model's files hold no hexadecimal numbers.
    bool decimal = true;
    for (size_t i = 0; i < run.size(); ++i) {
        const char c = run[i];
        if (!((c >= '0' && c <= '9') || (i == 0 && (c == '+' || c == '-') && run.size() > 1)))
            decimal = false;
    }
    int value = 0;
    if (!decimal || !TryStrToInt(run, value))
        RaiseInvalidNumber(run);
    return value;
}

// ---------------------------------------------------------------------------
// TTextWriter

namespace {

[[noreturn]] void UnableToWrite(const std::string& fileName, int error = 0) {
    throw EInOutError("Unable to write to " + fileName, error);
}

// Whether the system lets this process write there. Permission bits are also checked
// by hand, since the super-user passes access() for files nobody may write.
bool Writable(const std::string& path, const struct stat& st) {
    if ((st.st_mode & 0222) == 0)
        return false;
    return access(path.c_str(), W_OK) == 0;
}

// Checks that the target can be replaced; gives the resolved target, its mode and
// whether it exists.
std::string CheckTarget(const std::string& fileName, struct stat& targetStat, bool& exists) {
    const std::string target = ResolveFileLinks(fileName);
    // Links that lead round in a circle have no file to write: the rename would replace
    // one of them by a regular file.
    struct stat linkStat {};
    if (lstat(target.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode))
        UnableToWrite(fileName, ELOOP);
    exists = stat(target.c_str(), &targetStat) == 0;
    if (exists && (S_ISDIR(targetStat.st_mode) || !Writable(target, targetStat)))
        UnableToWrite(fileName, EACCES);
    // A device is written in place; only a file replaced by rename needs its folder.
    if (exists && !S_ISREG(targetStat.st_mode))
        return target;
    std::string dir = ExtractFileDir(target);
    if (dir.empty())
        dir = ".";
    struct stat dirStat {};
    if (stat(dir.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode) || !Writable(dir, dirStat))
        UnableToWrite(fileName, errno);
    return target;
}

// Writes everything to an open descriptor; false with errno set when the medium refuses.
bool WriteAll(int fd, std::string_view content) {
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write(fd, content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += size_t(n);
    }
    return true;
}

// A device or pipe cannot be replaced by a rename: it is written in place, and a full or
// refusing device is reported. A pipe without a reader is refused instead of waited on.
void WriteToDevice(const std::string& fileName, const std::string& target,
                   std::string_view content) {
    const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        UnableToWrite(fileName, errno);
    const int flags = fcntl(fd, F_GETFL);
    bool ok = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
    ok = ok && WriteAll(fd, content);
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok)
        UnableToWrite(fileName, error);
}

} // namespace

TTextWriter::~TTextWriter() {
    if (FOpen) {
        try {
            Close();
        } catch (...) {
            // A destructor cannot report; callers that care call Close themselves.
        }
    }
}

void TTextWriter::Create(const std::string& fileName) {
    struct stat st {};
    bool exists = false;
    CheckTarget(fileName, st, exists);
    FFileName = fileName;
    FBuffer.clear();
    FOpen = true;
}

void TTextWriter::Write(std::string_view text) {
    if (!FOpen)
        throw EInOutError("File not open", 103);
    FBuffer.append(text);
}

void TTextWriter::WriteLine(std::string_view text) {
    Write(text);
    FBuffer.append("\r\n");
}

void TTextWriter::Close() {
    if (!FOpen)
        return;
    FOpen = false;
    std::string content;
    content.swap(FBuffer);
    WriteFileAtomically(FFileName, content);
}

// ---------------------------------------------------------------------------
// Whole files

std::string ResolveFileLinks(const std::string& fileName) {
    std::string name = fileName;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return name;
        std::string target(size_t(st.st_size > 0 ? st.st_size : 4096), '\0');
        const ssize_t length = readlink(name.c_str(), target.data(), target.size());
        if (length < 0)
            return name;
        target.resize(size_t(length));
        if (!target.empty() && target[0] != '/')
            target = ExtractFilePath(name) + target;
        name = target;
    }
    return name;
}

namespace {

// Removes the temporaries ".<name>.tmp<digits>" of this one target that are older than
// kStaleTemporarySeconds: what a save killed between making its temporary and renaming it
// left behind. A live writer's temporary is younger and stays.
void RemoveStaleTemporaries(const std::string& target) {
    std::string dir = ExtractFileDir(target);
    if (dir.empty())
        dir = ".";
    const std::string prefix = "." + ExtractFileName(target) + ".tmp";
    DIR* folder = opendir(dir.c_str());
    if (!folder)
        return;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name.size() <= prefix.size() || !name.starts_with(prefix))
            continue;
        const std::string_view digits = name.substr(prefix.size());
        if (digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const std::string path = IncludeTrailingPathDelimiter(dir) + std::string(name);
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > kStaleTemporarySeconds)
            unlink(path.c_str());
    }
    closedir(folder);
}

void SyncFolder(const std::string& target) {
    std::string dir = ExtractFileDir(target);
    if (dir.empty())
        dir = ".";
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void WriteFileAtomically(const std::string& fileName, std::string_view content) {
    WriteFileAtomically(fileName, content, TAtomicWriteOptions());
}

void WriteFileAtomically(const std::string& fileName, std::string_view content,
                         const TAtomicWriteOptions& options) {
    struct stat targetStat {};
    bool exists = false;
    const std::string target = CheckTarget(fileName, targetStat, exists);
    if (exists && !S_ISREG(targetStat.st_mode)) {
        WriteToDevice(fileName, target, content);
        return;
    }
    RemoveStaleTemporaries(target);

    // A temporary file beside the target, so the rename stays on one file system.
    const std::string base = ExtractFilePath(target) + "." + ExtractFileName(target) + ".tmp";
    std::random_device device;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = base + std::to_string(device() % 1000000);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  mode_t(options.NewFileMode & 07777));
        if (fd < 0 && errno != EEXIST)
            UnableToWrite(fileName, errno);
    }
    if (fd < 0)
        UnableToWrite(fileName, EEXIST);

    bool ok = WriteAll(fd, content);
    int error = ok ? 0 : errno;
    if (ok && exists) {
        if (fchmod(fd, targetStat.st_mode & 07777) != 0) {
            ok = false;
            error = errno;
        }
        // Keeping the owner is possible only for the super-user; others keep their own.
        if (ok && geteuid() == 0 && fchown(fd, targetStat.st_uid, targetStat.st_gid) != 0) {
            // Not fatal: the content is what matters.
        }
    }
    // The content reaches the disk before the name points at it: otherwise a power cut
    // soon after the rename can leave an empty file under the target's name.
    if (ok && fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && options.BeforeReplace)
        options.BeforeReplace();
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        UnableToWrite(fileName, error);
    }
    // And the rename itself reaches the disk.
    SyncFolder(target);
}

bool ReadFileBytes(const std::string& fileName, std::string& content, int64_t maxSize) {
    content.clear();
    // Opened without blocking, so that a FIFO or a device is refused instead of waiting for
    // a writer; only regular files are read.
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
        return false;
    }
    if (st.st_size > maxSize) {
        close(fd);
        errno = EFBIG;
        return false;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // Read straight into the content, up to the size seen now: a file that grows while it
    // is read is not followed, and nothing but the content is held.
    const size_t size = size_t(std::max<off_t>(st.st_size, 0));
    content.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, content.data() + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            close(fd);
            content.clear();
            errno = error;
            return false;
        }
        if (n == 0)
            break; // the file shrank meanwhile
        done += size_t(n);
    }
    content.resize(done);
    close(fd);
    return true;
}

bool ReadTextFile(const std::string& fileName, std::string& text, int64_t maxSize) {
    if (!ReadFileBytes(fileName, text, maxSize))
        return false;
    // UTF-32 marks first: the little-endian one starts as the UTF-16 one does.
    using namespace std::string_view_literals;
    if (text.starts_with("\xFF\xFE\0\0"sv) || text.starts_with("\0\0\xFE\xFF"sv)) {
        text.clear();
        errno = kUtf32Text;
        return false;
    }
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        text.clear();
        errno = kUtf16Text;
        return false;
    }
    // Every leading UTF-8 mark goes: a tool that adds a mark to a file that had one leaves
    // two, and a mark kept in front of the first line would hide that line's section from
    // this read but not from the next one, after a save has written the text back.
    size_t marks = 0;
    while (text.compare(marks, 3, "\xEF\xBB\xBF") == 0)
        marks += 3;
    text.erase(0, marks);
    // Valid UTF-8 is kept as it was read, without a copy of a large file.
    if (!IsValidUtf8(text))
        text = DecodeText(text);
    return true;
}
