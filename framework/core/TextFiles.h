#pragma once
// Text files as the model's readers and writers use them: a reader that hands out lines
// and numbers, and a writer with CR LF line ends.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The largest text file a reader takes unless its format sets a limit of its own: far above
// any series of values the programs read (a year of hourly values is about 100 kB), and
// small enough that a huge or sparse file is refused before it is held.
constexpr int64_t kMaxTextFileSize = int64_t(64) << 20;

// Reads a whole text file at Open (ReadTextFile). The content is decoded as UTF-8, or as
// Windows-1253 when it is not valid UTF-8. CR LF, LF and a lone CR all end a line.
class TTextReader {
public:
    TTextReader() = default;
    explicit TTextReader(const std::string& fileName, int64_t maxSize = kMaxTextFileSize) {
        Open(fileName, maxSize);
    }

    // Raises EInOutError naming the file when it cannot be opened or read, is larger than
    // maxSize bytes or is UTF-16 text.
    void Open(const std::string& fileName, int64_t maxSize = kMaxTextFileSize);
    // Reads from a text held in memory (for tests and for readers of in-memory data).
    void OpenText(std::string_view text, std::string name = "");
    void Close();
    bool IsOpen() const { return FOpen; }
    const std::string& FileName() const { return FFileName; }

    // True when nothing is left to read.
    bool Eof() const;
    // The rest of the current line (without its line end); moves to the next line.
    std::string ReadLine();
    // Skips the rest of the current line and its line end.
    void SkipLine();
    // True when only blanks and line ends are left: a number read now would be the 0 of
    // the end of the file.
    bool OnlyBlanksLeft() const;
    // The line (from 1) the reader is on: after ReadNumber, the line of the number read.
    int Line() const { return LineAt(FPos); }
    // The next number: skips blanks (spaces, tabs) and line ends, takes the following run
    // of non-blank characters and converts it with "." as the decimal point. At end of
    // file the number is 0. A run that is not a number raises EInOutError naming the text,
    // the file and the line; so does a run of more than 64 characters, unless its first field
    // (fields written together, as "5.0E-0001-2.5E-0001") is a number within the limit.
    double ReadNumber();
    // The same run as a whole number (a run that is not an integer raises EInOutError).
    int ReadInteger();

private:
    std::string_view NextRun();
    // The line (from 1) of a position of the text.
    int LineAt(size_t pos) const;
    [[noreturn]] void RaiseTooLong(std::string_view run) const;
    [[noreturn]] void RaiseInvalidNumber(std::string_view run) const;
    std::string FText;
    std::string FFileName;
    size_t FPos = 0;
    bool FOpen = false;
};

// Writes a text file: Create checks that the file can be written, Close replaces it in
// one piece (WriteFileAtomically), so a writer that stops half way leaves the old file.
// Raises EInOutError "Unable to write to %s" when the file cannot be written. The
// destructor closes a writer still open but cannot report an error: call Close.
class TTextWriter {
public:
    TTextWriter() = default;
    explicit TTextWriter(const std::string& fileName) { Create(fileName); }
    ~TTextWriter();

    void Create(const std::string& fileName);
    void Write(std::string_view text);
    void WriteLine(std::string_view text = {}); // ends the line with CR LF
    void Close();

private:
    std::string FFileName;
    std::string FBuffer;
    bool FOpen = false;
};

// Writes a file's content in one piece: a temporary file ".<name>.tmpNNNNNN" in the same
// folder, synced to disk, then renamed over the target, and the folder synced, so that a
// crash or a power cut leaves either the old file or the new one. The target's mode is
// kept; a symbolic link is followed (its target replaced, in the target's folder, and the
// link kept), and links that lead round in a circle are refused. Temporaries of the same
// file that a save killed half way left behind, and that nobody has written for a minute,
// are removed. Raises EInOutError "Unable to write to %s" when the file system refuses.
void WriteFileAtomically(const std::string& fileName, std::string_view content);

// How WriteFileAtomically replaces a file, for callers with needs of their own.
struct TAtomicWriteOptions {
    // Runs once the new content is on disk, before it replaces the file.
    std::function<void()> BeforeReplace;
    // The mode of a file made new (less the umask); a file that exists keeps its own.
    unsigned NewFileMode = 0666;
};
void WriteFileAtomically(const std::string& fileName, std::string_view content,
                         const TAtomicWriteOptions& options);
// Temporaries older than this are taken for leftovers of a killed save.
constexpr int kStaleTemporarySeconds = 60;
// Why a file could not be opened, read or written, in the user's language (error: an
// errno value, kNotRegularFile, kUtf16Text or kUtf32Text). For EFBIG the text names maxSize when it
// is given. The common system errors have texts of their own; any other gives its number
// and the system's text.
std::string FileErrorText(int error, int64_t maxSize = 0);
// Raises EInOutError FrameworkTexts::CannotOpenFile (the file's name, then FileErrorText)
// for a file that could not be read, with the error as its code.
[[noreturn]] void RaiseCannotOpen(const std::string& fileName, int error, int64_t maxSize = 0);
// Reads a whole regular file's bytes; false, with errno set, when it cannot be opened or
// read. A FIFO, a device or a socket is refused at once with errno kNotRegularFile, a
// folder with EISDIR, a file larger than maxSize bytes with EFBIG before any of it is
// read. At most the size the file had when it was opened is read, so a file that grows
// meanwhile is not followed.
bool ReadFileBytes(const std::string& fileName, std::string& content,
                   int64_t maxSize = kMaxTextFileSize);
// A whole text file as UTF-8 (ReadFileBytes, then decoded): a leading UTF-8 byte-order
// mark is dropped and text that is not valid UTF-8 is read as Windows-1253. A file that
// starts with a UTF-16 byte-order mark (either order) is refused with errno kUtf16Text, one
// that starts with a UTF-32 mark with kUtf32Text.
bool ReadTextFile(const std::string& fileName, std::string& text,
                  int64_t maxSize = kMaxTextFileSize);
constexpr int kNotRegularFile = 0x4E52; // not a system error number
constexpr int kUtf16Text = 0x5516;      // not a system error number
constexpr int kUtf32Text = 0x5532;      // not a system error number
// The file a name refers to, symbolic links followed (a dangling link gives its target's
// name).
std::string ResolveFileLinks(const std::string& fileName);
