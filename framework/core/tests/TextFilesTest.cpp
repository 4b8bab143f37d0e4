#include "framework/core/TextFiles.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A folder of its own per test, removed afterwards.
class TextFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "textfiles-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
    }
    void TearDown() override {
        chmod(FDir.c_str(), 0755);
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    std::string Path(const std::string& name) const { return FDir + "/" + name; }
    static std::string Content(const std::string& fileName) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(fileName, bytes)) << fileName;
        return bytes;
    }
    static void Put(const std::string& fileName, const std::string& bytes) {
        WriteFileAtomically(fileName, bytes);
    }
    static mode_t Mode(const std::string& fileName) {
        struct stat st {};
        EXPECT_EQ(stat(fileName.c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    std::string FDir;
};

TEST_F(TextFilesTest, EveryKindOfLineEndEndsALine) {
    TTextReader reader;
    reader.OpenText("a\r\nb\nc\rd\r\n\r\ne");
    std::vector<std::string> lines;
    while (!reader.Eof())
        lines.push_back(reader.ReadLine());
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(reader.ReadLine(), "");
}

TEST_F(TextFilesTest, EofOnlyWhenNothingRemains) {
    TTextReader reader;
    reader.OpenText("25 0\r\n");
    EXPECT_EQ(reader.ReadNumber(), 25);
    EXPECT_EQ(reader.ReadNumber(), 0);
    EXPECT_FALSE(reader.Eof());
    reader.SkipLine();
    EXPECT_TRUE(reader.Eof());

    reader.OpenText("25 0\r\n\r\n");
    reader.ReadNumber();
    reader.ReadNumber();
    reader.SkipLine();
    EXPECT_FALSE(reader.Eof()); // a blank line follows: one more (empty) line
    reader.SkipLine();
    EXPECT_TRUE(reader.Eof());
}

TEST_F(TextFilesTest, NumbersSkipBlanksAndLineEndsAndReadZeroAtEnd) {
    DecimalSeparator = ','; // the files' "." holds whatever the locale says
    TTextReader reader;
    reader.OpenText(" 1.5\t-2e3\r\n\r\n  +0.25 1E+005\n6.5 12:00\n");
    EXPECT_EQ(reader.ReadNumber(), 1.5);
    EXPECT_EQ(reader.ReadNumber(), -2000);
    EXPECT_EQ(reader.ReadNumber(), 0.25);
    EXPECT_EQ(reader.ReadNumber(), 1e5);
    EXPECT_EQ(reader.ReadNumber(), 6.5);
    reader.SkipLine(); // the time of day after the number is not read
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(reader.ReadNumber(), 0);
    EXPECT_EQ(reader.ReadNumber(), 0);
    DecimalSeparator = '.';
}

TEST_F(TextFilesTest, ARunThatIsNotANumberIsAnInputError) {
    for (const char* bad : {"abc", "1,5", "nan", "inf", "0x10", "1.5.2", "12-3"}) {
        TTextReader reader;
        reader.OpenText(std::string("7 ") + bad + " 8", "wind.dat");
        EXPECT_EQ(reader.ReadNumber(), 7);
        try {
            reader.ReadNumber();
            ADD_FAILURE() << bad;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(),
                      Format(FrameworkTexts::InvalidNumberInFile, {bad, "wind.dat", 1}));
        }
    }
}

TEST_F(TextFilesTest, FieldsWithFourDigitExponentsSplitAtTheNextSign) {
    TTextReader reader;
    reader.OpenText(" 5.00000000000000E-0001-2.50000000000000E-0001 1.00000000000000E+0000"
                    "-1.00000000000000E+0003\r\n");
    EXPECT_EQ(reader.ReadNumber(), 0.5);
    EXPECT_EQ(reader.ReadNumber(), -0.25);
    EXPECT_EQ(reader.ReadNumber(), 1.0);
    EXPECT_EQ(reader.ReadNumber(), -1000.0);
    EXPECT_EQ(reader.ReadNumber(), 0);

    // Twelve negative fields run together for longer than one run may be.
    std::string line;
    for (int i = 1; i <= 12; ++i)
        line += "-" + std::to_string(i) + ".00000000000000E+0000";
    reader.OpenText(line);
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(reader.ReadNumber(), -i);
}

// A number longer than the limit is an error naming the file and the line: it is never
// cut into two numbers, nor read short.
TEST_F(TextFilesTest, ARunLongerThanSixtyFourCharactersIsAnError) {
    struct Case {
        std::string text;
        int line;
    };
    const Case cases[] = {
        {std::string(64, '1') + "22", 1},
        {"1 2\r\n3\r\n\r\n4 1" + std::string(80, '0'), 4},
        {"1\n2\r3\r\n-0." + std::string(70, '5') + "E+0000", 4},
    };
    for (const Case& c : cases) {
        for (const bool integer : {false, true}) {
            TTextReader reader;
            reader.OpenText(c.text, "f.pph");
            try {
                for (int i = 0; i < 10; ++i)
                    integer ? reader.ReadInteger() : reader.ReadNumber();
                ADD_FAILURE() << "no error for " << c.text;
            } catch (const EInOutError& e) {
                EXPECT_NE(e.Message().find("από 64 χαρακτήρες"), std::string::npos) << e.Message();
                EXPECT_NE(e.Message().find("στο αρχείο f.pph, γραμμή " + std::to_string(c.line)),
                          std::string::npos)
                    << e.Message();
            }
        }
    }
    // Exactly 64 characters are still a number.
    TTextReader reader;
    reader.OpenText(std::string(64, '1') + " 22");
    EXPECT_DOUBLE_EQ(reader.ReadNumber(), 1.1111111111111111e63);
    EXPECT_EQ(reader.ReadNumber(), 22);
}

// The limit counts characters: a run of Greek letters (two bytes each) is too long after
// 64 letters, and the error message shows whole characters only.
TEST_F(TextFilesTest, TheRunLimitCountsCharactersAndMessagesKeepThemWhole) {
    std::string greek;
    for (int i = 0; i < 70; ++i)
        greek += "α";
    for (const std::string& prefix : {std::string(), std::string("1"), std::string("12345")}) {
        TTextReader reader;
        reader.OpenText(prefix + greek + " 7", "f.pow");
        try {
            reader.ReadNumber();
            ADD_FAILURE() << "read a number from letters";
        } catch (const EInOutError& e) {
            EXPECT_TRUE(IsValidUtf8(e.Message())) << e.Message();
            const std::string run = e.Message().substr(e.Message().find('\'') + 1);
            const std::string shown = run.substr(0, run.find("...'"));
            std::string expected = prefix;
            for (size_t i = prefix.size(); i < 64; ++i)
                expected += "α";
            EXPECT_EQ(shown, expected);
        }
    }
    // 64 letters are not too long: the run is simply not a number.
    std::string letters;
    for (int i = 0; i < 64; ++i)
        letters += "α";
    TTextReader reader;
    reader.OpenText(letters, "f.pow");
    try {
        reader.ReadNumber();
        ADD_FAILURE() << "read a number from letters";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), Format(FrameworkTexts::InvalidNumberInFile, {letters, "f.pow", 1}));
    }
}

TEST_F(TextFilesTest, ReadIntegerTakesWholeDecimalNumbers) {
    TTextReader reader;
    reader.OpenText("12 -3 +4 1.5", "x.ssn");
    EXPECT_EQ(reader.ReadInteger(), 12);
    EXPECT_EQ(reader.ReadInteger(), -3);
    EXPECT_EQ(reader.ReadInteger(), 4);
    EXPECT_THROW(reader.ReadInteger(), EInOutError);
    EXPECT_EQ(reader.ReadInteger(), 0);
}

TEST_F(TextFilesTest, GreekCodePageFilesReadAsUtf8) {
    const std::string name = Path("old.txt");
    Put(name, "\xC1\xE8\xDE\xED\xE1\r\n1.5\r\n");
    TTextReader reader(name);
    EXPECT_EQ(reader.ReadLine(), "Αθήνα");
    EXPECT_EQ(reader.ReadNumber(), 1.5);
    EXPECT_EQ(reader.FileName(), name);
}

TEST_F(TextFilesTest, OpeningAMissingFileNamesIt) {
    const std::string name = Path("missing.pow");
    try {
        TTextReader reader(name);
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find(name), std::string::npos) << e.Message();
    }
}

// A FIFO, a device or a folder is refused at once with a message; reading never waits
// for a writer that will not come.
TEST_F(TextFilesTest, OnlyRegularFilesAreRead) {
    const std::string fifo = Path("default.pow");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {fifo, std::string("/dev/null"), FDir}) {
        std::string bytes;
        EXPECT_FALSE(ReadFileBytes(name, bytes)) << name;
        try {
            TTextReader reader(name);
            ADD_FAILURE() << name;
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(name), std::string::npos) << e.Message();
        }
    }
    try {
        TTextReader reader(fifo);
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find(FrameworkTexts::NotRegularFile), std::string::npos)
            << e.Message();
    }
}

TEST_F(TextFilesTest, WriterEndsLinesWithCrLfAndWritesAtClose) {
    const std::string name = Path("out.pph");
    Put(name, "old");
    {
        TTextWriter writer(name);
        writer.Write("a");
        writer.WriteLine(" 5.0");
        writer.WriteLine();
        EXPECT_EQ(Content(name), "old");
        writer.Close();
    }
    EXPECT_EQ(Content(name), "a 5.0\r\n\r\n");
}

TEST_F(TextFilesTest, AtomicWriteKeepsModeAndLeavesNoTemporaryFile) {
    const std::string name = Path("model.dvl");
    Put(name, "one");
    ASSERT_EQ(chmod(name.c_str(), 0640), 0);
    Put(name, "two");
    EXPECT_EQ(Content(name), "two");
    EXPECT_EQ(Mode(name), 0640u);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(FDir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// A device cannot be replaced by a rename: it is written in place, it stays a device, and a
// full one reports the failure; a pipe nobody reads is refused instead of waited on.
// A save killed between making its temporary and renaming it leaves ".<name>.tmpNNNNNN";
// the next save of that file removes such leftovers once they are stale, and nothing else:
// not a live writer's fresh temporary, not another file's, not a file of another pattern.
TEST_F(TextFilesTest, TheNextSaveRemovesStaleTemporariesOfItsOwnFile) {
    const std::string target = Path("model.dvl");
    Put(target, "one");
    const auto make = [&](const std::string& name, bool stale) {
        Put(Path(name), "partial");
        if (stale) {
            const time_t old = time(nullptr) - kStaleTemporarySeconds - 30;
            struct timespec times[2] = {{old, 0}, {old, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, Path(name).c_str(), times, 0), 0);
        }
    };
    make(".model.dvl.tmp123456", true);
    make(".model.dvl.tmp7", true);
    make(".model.dvl.tmp654321", false); // a writer still at work
    make(".model.dvl.tmp12x456", true);
    make(".other.dvl.tmp111111", true);
    make("model.dvl.tmp222222", true);
    make(".model.dvl.tmp123456.dvl", true);
    Put(target, "two");
    EXPECT_EQ(Content(target), "two");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(FDir))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected = {".model.dvl.tmp123456.dvl",
                                               ".model.dvl.tmp12x456",
                                               ".model.dvl.tmp654321",
                                               ".other.dvl.tmp111111",
                                               "model.dvl",
                                               "model.dvl.tmp222222"};
    EXPECT_EQ(left, expected);
}

// The hook runs with the new content complete on disk beside the old file.
TEST_F(TextFilesTest, AnAtomicWriteReplacesTheFileOnlyAfterItsContentIsWritten) {
    const std::string target = Path("store.txt");
    Put(target, "old");
    TAtomicWriteOptions options;
    std::string seen;
    options.BeforeReplace = [&] {
        EXPECT_EQ(Content(target), "old");
        for (const auto& entry : fs::directory_iterator(FDir))
            if (entry.path().filename().string().starts_with(".store.txt.tmp"))
                seen = Content(entry.path().string());
    };
    WriteFileAtomically(target, "new content", options);
    EXPECT_EQ(seen, "new content");
    EXPECT_EQ(Content(target), "new content");
    // A new file takes the mode asked for.
    const std::string fresh = Path("fresh.txt");
    options = {};
    options.NewFileMode = 0600;
    WriteFileAtomically(fresh, "x", options);
    EXPECT_EQ(Mode(fresh), 0600u);
}

TEST_F(TextFilesTest, DevicesAreWrittenInPlaceAndAFullOneFails) {
    if (!fs::exists("/dev/full") || !fs::exists("/dev/null"))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_THROW(WriteFileAtomically("/dev/full", "content"), EInOutError);
    EXPECT_NO_THROW(WriteFileAtomically("/dev/null", "content"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    const std::string fifo = Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(WriteFileAtomically(fifo, "content"), EInOutError);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(TextFilesTest, ReadOnlyFileOrFolderIsRefusedAndLeftUnchanged) {
    const std::string name = Path("locked.ini");
    Put(name, "keep");
    ASSERT_EQ(chmod(name.c_str(), 0444), 0);
    try {
        Put(name, "lost");
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + name);
    }
    EXPECT_THROW(TTextWriter writer(name), EInOutError);
    EXPECT_EQ(Content(name), "keep");

    ASSERT_EQ(chmod(name.c_str(), 0644), 0);
    ASSERT_EQ(chmod(FDir.c_str(), 0555), 0);
    EXPECT_THROW(Put(name, "lost"), EInOutError);
    EXPECT_THROW(Put(Path("new.ini"), "lost"), EInOutError);
    ASSERT_EQ(chmod(FDir.c_str(), 0755), 0);
    EXPECT_EQ(Content(name), "keep");
    EXPECT_FALSE(FileExists(Path("new.ini")));

    EXPECT_THROW(Put(Path("no/such/folder.ini"), "x"), EInOutError);
}

TEST_F(TextFilesTest, SymbolicLinksAreFollowed) {
    fs::create_directory(Path("real"));
    const std::string target = Path("real/data.pow");
    Put(target, "old");
    ASSERT_EQ(symlink("real/data.pow", Path("link.pow").c_str()), 0);
    ASSERT_EQ(symlink(Path("link.pow").c_str(), Path("link2.pow").c_str()), 0);
    Put(Path("link2.pow"), "new");
    EXPECT_TRUE(fs::is_symlink(Path("link.pow")));
    EXPECT_TRUE(fs::is_symlink(Path("link2.pow")));
    EXPECT_EQ(Content(target), "new");
}

} // namespace

// A UTF-8 byte-order mark, as editors on other systems write it, is not part of the text;
// UTF-16 text (either byte order) is refused with a message naming the file.
TEST_F(TextFilesTest, ByteOrderMarksAreDroppedAndUtf16IsRefused) {
    const std::string bom = Path("bom.pph");
    Put(bom, "\xEF\xBB\xBF"
             "0.5 1\r\nΑθήνα\r\n");
    TTextReader reader(bom);
    EXPECT_EQ(reader.ReadNumber(), 0.5);
    EXPECT_EQ(reader.ReadNumber(), 1);
    reader.SkipLine();
    EXPECT_EQ(reader.ReadLine(), "Αθήνα");

    // A mark before Greek code-page text is dropped as well.
    const std::string greek = Path("greek.dat");
    Put(greek, "\xEF\xBB\xBF\xC1\xE8\xDE\xED\xE1");
    std::string text;
    ASSERT_TRUE(ReadTextFile(greek, text));
    EXPECT_EQ(text, "Αθήνα");

    // UTF-16 and UTF-32 text of either order, each refused naming its own encoding.
    const struct {
        std::string Bytes;
        int Error;
        const char* Shown;
    } wide[] = {
        {std::string("\xFF\xFE"
                     "1\0.\0005\0",
                     8),
         kUtf16Text, "UTF-16"},
        {std::string("\xFE\xFF"
                     "\0"
                     "1\0.\0"
                     "5",
                     8),
         kUtf16Text, "UTF-16"},
        {std::string("\xFF\xFE\0\0"
                     "1\0\0\0",
                     8),
         kUtf32Text, "UTF-32"},
        {std::string("\0\0\xFE\xFF"
                     "\0\0\0"
                     "1",
                     8),
         kUtf32Text, "UTF-32"},
    };
    for (const auto& c : wide) {
        SCOPED_TRACE(c.Shown);
        const std::string file = Path("wide.pow");
        Put(file, c.Bytes);
        EXPECT_FALSE(ReadTextFile(file, text));
        EXPECT_EQ(errno, c.Error);
        try {
            TTextReader r(file);
            ADD_FAILURE() << "read wide text";
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(file), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.Shown), std::string::npos) << e.Message();
        }
    }
}

// A file over the limit is refused from its size alone, before anything is read: a sparse
// file of 1 GiB costs neither time nor memory. One at the limit is read whole.
TEST_F(TextFilesTest, FilesOverTheLimitAreRefusedBeforeTheyAreRead) {
    const std::string huge = Path("huge.ssn");
    Put(huge, "");
    fs::resize_file(huge, uint64_t(1) << 30);
    std::string bytes = "old";
    EXPECT_FALSE(ReadFileBytes(huge, bytes));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_TRUE(bytes.empty());
    try {
        TTextReader reader(huge);
        ADD_FAILURE() << "read a file over the limit";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find(huge), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("64 MB"), std::string::npos) << e.Message();
    }

    const std::string small = Path("small.pph");
    Put(small, "0123456789");
    EXPECT_TRUE(ReadFileBytes(small, bytes, 10));
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_FALSE(ReadFileBytes(small, bytes, 9));
    EXPECT_THROW(TTextReader(small, 9), EInOutError);
    EXPECT_NO_THROW(TTextReader(small, 10));
}

// Links that lead round in a circle have no target: the save is refused and the links stay.
TEST_F(TextFilesTest, SavingThroughALinkLoopIsRefusedAndKeepsTheLinks) {
    ASSERT_EQ(symlink("b.ini", Path("a.ini").c_str()), 0);
    ASSERT_EQ(symlink("a.ini", Path("b.ini").c_str()), 0);
    EXPECT_THROW(Put(Path("a.ini"), "x"), EInOutError);
    EXPECT_THROW(TTextWriter writer(Path("b.ini")), EInOutError);
    EXPECT_TRUE(fs::is_symlink(Path("a.ini")));
    EXPECT_TRUE(fs::is_symlink(Path("b.ini")));
    EXPECT_EQ(fs::read_symlink(Path("a.ini")), "b.ini");
}

namespace {

// The words of a message made of ASCII letters, once the file's name is taken out: a
// message in the user's language has none but the names of encodings and units.
std::vector<std::string> LatinWords(std::string message, const std::string& fileName) {
    const size_t at = message.find(fileName);
    if (at != std::string::npos)
        message.erase(at, fileName.size());
    std::vector<std::string> words;
    std::string word;
    for (const char c : message + " ") {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            word += c;
        } else if (!word.empty()) {
            if (word != "UTF" && word != "MB" && word != "KB")
                words.push_back(word);
            word.clear();
        }
    }
    return words;
}

} // namespace

// Every way a file can fail to open or to read, through each reader that opens files: the
// message is in the user's language, names the file, and tells the reasons apart.
TEST_F(TextFilesTest, FailedOpensAreReportedInGreekNamingTheFile) {
    const std::string fifo = Path("pipe.pow");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string utf16 = Path("utf16.dat");
    Put(utf16, std::string("\xFF\xFE"
                           "1\0",
                           4));
    const std::string big = Path("big.pph");
    Put(big, std::string(3000, '1'));
    const std::string plain = Path("plain.ssn");
    Put(plain, "1 2\r\n3 4,5\r\n");
    const std::string loop = Path("loop.dvl");
    ASSERT_EQ(symlink("loop.dvl", loop.c_str()), 0);
    const std::string longName = Path(std::string(300, 'n') + ".pow");

    struct TCase {
        const char* What;
        std::string File;
        std::function<void()> Open;
        std::string Reason; // a part of the message
    };
    const auto text = [](const std::string& name, int64_t limit = kMaxTextFileSize) {
        return [name, limit] { TTextReader reader(name, limit); };
    };
    const auto memory = [](const std::string& name) {
        return [name] {
            TMemoryStream stream;
            stream.LoadFromFile(name);
        };
    };
    const TCase cases[] = {
        {"missing", Path("missing.pow"), text(Path("missing.pow")), FrameworkTexts::NoSuchFile},
        {"folder", FDir, text(FDir), FrameworkTexts::IsFolder},
        {"FIFO", fifo, text(fifo), FrameworkTexts::NotRegularFile},
        {"device", "/dev/zero", text("/dev/zero"), FrameworkTexts::NotRegularFile},
        {"UTF-16", utf16, text(utf16), FrameworkTexts::Utf16Text},
        {"too large", big, text(big, 2048), Format(FrameworkTexts::FileLargerThan, {"2 KB"})},
        {"bad number", plain,
         [&] {
             TTextReader reader(plain);
             for (int i = 0; i < 4; ++i)
                 reader.ReadNumber();
         },
         Format(FrameworkTexts::InvalidNumberInFile, {"4,5", plain, 2})},
        {"path through a file", plain + "/x", text(plain + "/x"), FrameworkTexts::NotFolder},
        {"links in a circle", loop, text(loop), FrameworkTexts::LinkLoop},
        {"name too long", longName, text(longName), FrameworkTexts::NameTooLong},
        {"stream, missing", Path("gone.bin"), memory(Path("gone.bin")), FrameworkTexts::NoSuchFile},
        {"stream, FIFO", fifo, memory(fifo), FrameworkTexts::NotRegularFile},
        {"file stream", Path("gone.bin"), [&] { TFileStream f(Path("gone.bin"), fmOpenRead); },
         FrameworkTexts::NoSuchFile},
        {"file stream created in no folder", Path("none/new.bin"),
         [&] { TFileStream f(Path("none/new.bin"), fmCreate); }, FrameworkTexts::NoSuchFile},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        try {
            c.Open();
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(c.File), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.Reason), std::string::npos) << e.Message();
            EXPECT_TRUE(IsValidUtf8(e.Message())) << e.Message();
            EXPECT_EQ(LatinWords(e.Message(), c.File), std::vector<std::string>()) << e.Message();
        }
    }

    // Refusals met when saving have texts of their own; any other system error keeps the
    // system's text beside its number.
    std::vector<std::string> seen;
    for (const int error : {ENOENT, EACCES, EPERM, EISDIR, ENOTDIR, ELOOP, ENAMETOOLONG, ENOSPC,
                            EROFS, EIO, EMFILE}) {
        const std::string reason = FileErrorText(error);
        EXPECT_EQ(LatinWords(reason, ""), std::vector<std::string>()) << reason;
        seen.push_back(reason);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "two errors read the same";
    EXPECT_NE(FileErrorText(EXDEV).find(std::to_string(EXDEV)), std::string::npos);
    EXPECT_NE(FileErrorText(EXDEV).find(std::strerror(EXDEV)), std::string::npos);
}
