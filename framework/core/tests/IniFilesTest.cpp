#include "framework/core/IniFiles.h"
#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class IniFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "inifiles-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
        FName = FDir + "/test.ini";
        FSavedSeparator = DecimalSeparator;
        DecimalSeparator = '.';
    }
    void TearDown() override {
        DecimalSeparator = FSavedSeparator;
        chmod(FDir.c_str(), 0755);
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    std::string Content() const {
        std::string bytes;
        ReadFileBytes(FName, bytes);
        return bytes;
    }
    void Put(const std::string& bytes) const { WriteFileAtomically(FName, bytes); }

    std::string FDir;
    std::string FName;
    char FSavedSeparator = '.';
};

TEST_F(IniFilesTest, SectionsAndKeysIgnoreCase) {
    TIniFile ini(FName);
    ini.WriteString("DevList", "Count", "2");
    ini.WriteString("devlist", "COUNT", "3");
    ini.WriteString("Συσκευή", "Όνομα", "Ψυγείο");
    EXPECT_EQ(ini.ReadString("DEVLIST", "count", ""), "3");
    EXPECT_EQ(ini.ReadString("ΣΥΣΚΕΥΗ", "όνομα", ""), "");
    EXPECT_EQ(ini.ReadString("συσκευή", "ΌΝΟΜΑ", ""), "Ψυγείο");
    EXPECT_EQ(Content(), "[DevList]\r\nCount=3\r\n[Συσκευή]\r\nΌνομα=Ψυγείο\r\n");
}

TEST_F(IniFilesTest, AMissingFileReadsAsEmptyAndIsNotCreated) {
    TIniFile ini(FName);
    EXPECT_EQ(ini.ReadString("a", "b", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("a", "b", 7), 7);
    EXPECT_FALSE(ini.SectionExists("a"));
    TStringList sections;
    sections.Add("stale");
    ini.ReadSections(sections);
    EXPECT_EQ(sections.Count(), 0);
    ini.EraseSection("a");
    ini.DeleteKey("a", "b");
    EXPECT_FALSE(FileExists(FName));
}

TEST_F(IniFilesTest, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    Put("[s]\r\n"
        "  plain  =  a b  \r\n"
        "dq=\"x y \"\r\n"
        "sq='z'\r\n"
        "half=\"q\r\n"
        "twice=\"\"w\"\"\r\n"
        "mixed=\"m'\r\n"
        "empty=\r\n");
    TIniFile ini(FName);
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"plain", "a b"},   {"dq", "x y "},    {"sq", "z"},   {"half", "\"q"},
        {"twice", "\"w\""}, {"mixed", "\"m'"}, {"empty", ""},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(ini.ReadString("s", key, "def"), expected) << key;
}

TEST_F(IniFilesTest, TwoObjectsOnOneFileSeeEachOthersWrites) {
    TIniFile first(FName);
    TIniFile second(FName);
    first.WriteInteger("a", "n", 1);
    EXPECT_EQ(second.ReadInteger("a", "n", 0), 1);
    second.WriteInteger("a", "n", 2);
    EXPECT_EQ(first.ReadInteger("a", "n", 0), 2);
}

TEST_F(IniFilesTest, EraseSectionKeepsEverythingElse) {
    Put("; model file\r\n"
        "[devlist]\r\ncount=5\r\n\r\n"
        "[dev0]\r\nName=a\r\n\r\n"
        "[DEV1]\r\nName=b\r\n; note\r\n\r\n"
        "[dev2]\r\nName=c\r\n");
    TIniFile ini(FName);
    ini.EraseSection("dev1");
    EXPECT_EQ(Content(), "; model file\r\n"
                         "[devlist]\r\ncount=5\r\n\r\n"
                         "[dev0]\r\nName=a\r\n\r\n"
                         "[dev2]\r\nName=c\r\n");
    EXPECT_FALSE(ini.SectionExists("Dev1"));
    EXPECT_TRUE(ini.SectionExists("DEV2"));
}

TEST_F(IniFilesTest, WritesKeepOtherLinesAsTheyWere) {
    Put("\xC1\xE8\xDE\xED\xE1 =  old \n; comment\nnot a pair\n[a]\n  key = value  \n\n[b]\nx=1\n");
    TIniFile ini(FName);
    ini.WriteString("a", "new", "n");
    ini.WriteString("b", "X", "2");
    ini.WriteString("c", "k", "line one\r\nline two\nthree");
    EXPECT_EQ(Content(), "Αθήνα =  old \r\n; comment\r\nnot a pair\r\n"
                         "[a]\r\n  key = value  \r\nnew=n\r\n\r\n"
                         "[b]\r\nx=2\r\n"
                         "[c]\r\nk=line one line two three\r\n");
    EXPECT_EQ(ini.ReadString("c", "k", ""), "line one line two three");
    EXPECT_EQ(ini.ReadString("a", "key", ""), "value");
}

TEST_F(IniFilesTest, TypedValues) {
    TIniFile ini(FName);
    ini.WriteFloat("r", "half", 0.5);
    ini.WriteFloat("r", "big", 1500.0);
    ini.WriteFloat("r", "sum", 0.1 + 0.2);
    ini.WriteBool("r", "yes", true);
    ini.WriteBool("r", "no", false);
    EXPECT_EQ(Content(), "[r]\r\nhalf=0.5\r\nbig=1500\r\nsum=0.3\r\nyes=1\r\nno=0\r\n");

    Put("[r]\r\nhex=0x10\r\nbad=abc\r\ntwo=2\r\nreal=2.5\r\nint=-4\r\nblank=\r\n");
    EXPECT_EQ(ini.ReadInteger("r", "hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("r", "bad", 9), 9);
    EXPECT_EQ(ini.ReadInteger("r", "real", 9), 9);
    EXPECT_EQ(ini.ReadInteger("r", "blank", 9), 9);
    EXPECT_TRUE(ini.ReadBool("r", "two", false));
    EXPECT_TRUE(ini.ReadBool("r", "bad", true));
    EXPECT_FALSE(ini.ReadBool("r", "bad", false));
    EXPECT_EQ(ini.ReadFloat("r", "real", 0), 2.5);
    EXPECT_EQ(ini.ReadFloat("r", "int", 0), -4);
    EXPECT_EQ(ini.ReadFloat("r", "bad", 1.25), 1.25);
    EXPECT_EQ(ini.ReadFloat("r", "missing", 1.25), 1.25);

    DecimalSeparator = ','; // reals follow the current separator
    EXPECT_EQ(ini.ReadFloat("r", "real", -1), -1);
    ini.WriteFloat("r", "comma", 0.5);
    EXPECT_EQ(ini.ReadString("r", "comma", ""), "0,5");
    EXPECT_EQ(ini.ReadFloat("r", "comma", -1), 0.5);
}

TEST_F(IniFilesTest, ListsOfSectionsKeysAndValues) {
    Put("top=1\r\n[a]\r\nk1=v1\r\n; c\r\nk2=\"v2\"\r\n[b]\r\n[A]\r\nk3=v3\r\n");
    TIniFile ini(FName);
    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(list.Text(), "a\r\nb\r\n");
    ini.ReadSection("A", list);
    EXPECT_EQ(list.Text(), "k1\r\nk2\r\n");
    ini.ReadSectionValues("a", list);
    EXPECT_EQ(list.Text(), "k1=v1\r\nk2=v2\r\n");
    EXPECT_FALSE(ini.SectionExists("b")); // a section without keys
    EXPECT_TRUE(ini.ValueExists("a", "K2"));
    EXPECT_FALSE(ini.ValueExists("a", "k3"));
    ini.DeleteKey("a", "k1");
    EXPECT_FALSE(ini.ValueExists("a", "k1"));
    EXPECT_EQ(ini.ReadString("a", "k2", ""), "v2");
}

TEST_F(IniFilesTest, RefusedWritesRaiseAndLeaveTheFileAsItWas) {
    Put("[a]\r\nk=1\r\n");
    ASSERT_EQ(chmod(FName.c_str(), 0444), 0);
    TIniFile ini(FName);
    try {
        ini.WriteString("a", "k", "2");
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + FName);
    }
    EXPECT_THROW(ini.EraseSection("a"), EInOutError);
    EXPECT_EQ(Content(), "[a]\r\nk=1\r\n");
    EXPECT_EQ(ini.ReadString("a", "k", ""), "1");

    ASSERT_EQ(chmod(FName.c_str(), 0644), 0);
    ASSERT_EQ(chmod(FDir.c_str(), 0555), 0);
    EXPECT_THROW(ini.WriteString("a", "k", "2"), EInOutError);
    TIniFile fresh(FDir + "/new.ini");
    EXPECT_THROW(fresh.WriteInteger("a", "k", 1), EInOutError);
    ASSERT_EQ(chmod(FDir.c_str(), 0755), 0);
    EXPECT_EQ(Content(), "[a]\r\nk=1\r\n");
    EXPECT_FALSE(FileExists(FDir + "/new.ini"));

    fs::create_directory(FDir + "/folder.ini");
    TIniFile folder(FDir + "/folder.ini");
    EXPECT_EQ(folder.ReadString("a", "k", "def"), "def");
    EXPECT_THROW(folder.WriteString("a", "k", "1"), EInOutError);
}

// Two processes writing one file at once: each write takes the lock, reads what the other
// wrote and replaces the file with both, so no key is lost.
TEST_F(IniFilesTest, TwoProcessesWritingOneFileLoseNothing) {
    const int kValues = 60;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            TIniFile ini(FName);
            for (int i = 0; i < kValues; ++i)
                ini.WriteInteger("w" + std::to_string(w), "k" + std::to_string(i), i);
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TIniFile ini(FName);
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kValues; ++i)
            EXPECT_EQ(ini.ReadInteger("w" + std::to_string(w), "k" + std::to_string(i), -1), i);
}

// The in-memory profile reads once, finds keys without regard to case (Greek included) and
// changes the file only at UpdateFile, in one piece.
TEST_F(IniFilesTest, MemIniFileChangesTheFileOnlyAtUpdate) {
    Put("; kept\r\n[Α]\r\nΚλειδί=1\r\nk=2\r\n\r\n[b]\r\nx=3\r\n[a]\r\nk=dup\r\n");
    TMemIniFile ini(FName);
    EXPECT_EQ(ini.ReadString("α", "κλειδί", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "K", ""), "dup");
    ini.WriteString("b", "y", "4");
    ini.WriteString("new", "z", "5");
    ini.DeleteKey("Α", "k");
    EXPECT_EQ(ini.ReadString("b", "y", ""), "4");
    EXPECT_FALSE(ini.ValueExists("Α", "k"));
    EXPECT_EQ(Content(), "; kept\r\n[Α]\r\nΚλειδί=1\r\nk=2\r\n\r\n[b]\r\nx=3\r\n[a]\r\nk=dup\r\n");
    ini.UpdateFile();
    EXPECT_EQ(
        Content(),
        "; kept\r\n[Α]\r\nΚλειδί=1\r\n\r\n[b]\r\nx=3\r\ny=4\r\n[a]\r\nk=dup\r\n[new]\r\nz=5\r\n");
    ini.Clear();
    ini.WriteString("only", "v", "1");
    ini.UpdateFile();
    EXPECT_EQ(Content(), "[only]\r\nv=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir), fs::directory_iterator()), 1);
}

// A FIFO named as a profile file reads as empty at once and is never written.
TEST_F(IniFilesTest, AFifoIsNeitherWaitedForNorReplaced) {
    ASSERT_EQ(mkfifo(FName.c_str(), 0600), 0);
    TIniFile ini(FName);
    EXPECT_EQ(ini.ReadString("a", "k", "def"), "def");
    EXPECT_THROW(ini.WriteString("a", "k", "1"), EInOutError);
    TMemIniFile mem(FName);
    EXPECT_FALSE(mem.SectionExists("a"));
    struct stat st {};
    ASSERT_EQ(stat(FName.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A file that is there but cannot be read is refused by CheckReadable, with its name;
// a missing or readable file is not. Readers of whole lists call it first.
TEST_F(IniFilesTest, CheckReadableRefusesWhatCannotBeRead) {
    const std::string fifo = FDir + "/list.fifo";
    const std::string folder = FDir + "/folder.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(fs::create_directory(folder));
    for (const std::string& name : {fifo, std::string("/dev/zero"), folder}) {
        TIniFile ini(name);
        TMemIniFile mem(name);
        for (TCustomIniFile* file :
             {static_cast<TCustomIniFile*>(&ini), static_cast<TCustomIniFile*>(&mem)}) {
            try {
                file->CheckReadable();
                ADD_FAILURE() << name;
            } catch (const EInOutError& e) {
                EXPECT_NE(e.Message().find("\"" + name + "\""), std::string::npos) << e.Message();
            }
        }
    }
    Put("[a]\r\nk=1\r\n");
    for (const std::string& name : {FName, FDir + "/missing.ini"}) {
        TIniFile ini(name);
        TMemIniFile mem(name);
        EXPECT_NO_THROW(ini.CheckReadable()) << name;
        EXPECT_NO_THROW(mem.CheckReadable()) << name;
    }
}

// The one-pass scan reads every line as the profile file does: the same sections, the
// same keys and, for the first of each, the same value.
TEST_F(IniFilesTest, ScanReadsLinesAsTheProfileDoes) {
    std::vector<std::string> texts = {
        "pre=1\r\n[ a ]junk\r\n k = v \r\n;c=1\r\n=x\r\nnoequals\r\nk=second\r\n"
        "[b\rq=\"quoted\"\r\r\n[A]\nk=dup\n\t[c]\r\n e =\r\n[]\r\nz='1\"\r\n[d]",
        "",
        "\r\n\r",
        "[x]",
        "[x]\r\nk=1",
        "no section\r\nk=1\r\n"};
    // Random texts of the characters that matter.
    std::mt19937 random(7);
    const std::string alphabet = "[]=; \t\r\nabAB\"'";
    for (int t = 0; t < 300; ++t) {
        std::string text;
        const int length = int(random() % 60);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        TIniText ini;
        ini.Parse(text);
        const TIniScan scan(text);
        TStringList sections;
        ini.ReadSections(sections);
        std::vector<std::string> scanned;
        for (const auto& section : scan.Sections()) {
            const std::string name(section.Name);
            bool first = true;
            for (const std::string& seen : scanned)
                first = first && !SameText(seen, name);
            if (!first)
                continue;
            scanned.push_back(name);
            TStringList keys;
            ini.ReadSection(name, keys);
            ASSERT_EQ(size_t(keys.Count()), section.EntryCount) << text;
            for (size_t i = 0; i < section.EntryCount; ++i) {
                const auto& entry = scan.Entries(section)[i];
                EXPECT_EQ(keys[int(i)], std::string(entry.Key)) << text;
                bool firstKey = true;
                for (size_t j = 0; j < i; ++j)
                    firstKey = firstKey && !SameText(scan.Entries(section)[j].Key, entry.Key);
                const std::string* value = ini.Find(name, entry.Key);
                ASSERT_NE(value, nullptr) << text;
                if (firstKey) {
                    EXPECT_EQ(*value, std::string(entry.Value)) << text;
                }
            }
            EXPECT_EQ(Trim(text.substr(section.Begin)).substr(0, 1), "[") << text;
        }
        ASSERT_EQ(size_t(sections.Count()), scanned.size()) << text;
        for (size_t i = 0; i < scanned.size(); ++i)
            EXPECT_EQ(sections[int(i)], scanned[i]) << text;
        // The sections' extents follow each other up to the end of the text.
        size_t at = scan.PreambleEnd();
        for (const auto& section : scan.Sections()) {
            EXPECT_EQ(section.Begin, at) << text;
            at = section.End;
        }
        EXPECT_EQ(at, text.size()) << text;
    }
}

// Numbers written and read by the fast paths are those of the general formatter and
// reader, digit for digit.
TEST_F(IniFilesTest, FastNumbersMatchTheGeneralOnes) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.5,
                                  0.1 + 0.2,
                                  1.0 / 3,
                                  2.0 / 3,
                                  1500.0,
                                  1e15,
                                  1e16,
                                  999999999999999.4,
                                  999999999999999.5,
                                  9999999999999999.0,
                                  0.0001,
                                  0.00001,
                                  0.000099999999999999995,
                                  1e-7,
                                  123456789012345678.0,
                                  5e-324,
                                  1.7976931348623157e308,
                                  -2.2250738585072014e-308,
                                  0.99999999999999994,
                                  0.0000999999999999995,
                                  INFINITY,
                                  -INFINITY,
                                  NAN};
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = double(random() % 1000000007) / 1000000007.0;
        values.push_back(std::ldexp(mantissa, int(random() % 200) - 100) * (random() % 2 ? 1 : -1));
        values.push_back(double(random() % 98) / 97.0);
        double bits = 0;
        const uint64_t raw = random();
        std::memcpy(&bits, &raw, sizeof bits);
        values.push_back(bits);
    }
    for (const double value : values) {
        for (const char separator : {'.', ','}) {
            std::string text = "x";
            AppendFloatText(text, value, separator);
            ASSERT_EQ(text, "x" + FloatToStrSep(value, separator)) << value;
        }
        DecimalSeparator = '.';
        const std::string text = FloatToStrSep(value, '.');
        for (const std::string& variant : {text, "-" + text, text + "0", "00" + text}) {
            double fast = 1, general = 2;
            const bool fastOk = TryIniFloat(variant, fast);
            ASSERT_EQ(fastOk, TryStrToFloat(variant, general)) << variant;
            if (fastOk) {
                ASSERT_EQ(std::memcmp(&fast, &general, sizeof fast), 0) << variant;
            }
        }
    }
    for (const char* text : {"5.", ".5", "-", "1x", " 1", "1,5", "1e5", "+1", "0x1", "--1", "1.2.3",
                             "123456789012345678901234567890123456789.5"}) {
        for (const char separator : {'.', ','}) {
            DecimalSeparator = separator;
            double fast = 1, general = 2;
            const bool fastOk = TryIniFloat(text, fast);
            EXPECT_EQ(fastOk, TryStrToFloat(text, general)) << text;
            if (fastOk) {
                EXPECT_EQ(fast, general) << text;
            }
        }
    }
    DecimalSeparator = '.';
}

// The builder writes new sections exactly as a profile file does.
TEST_F(IniFilesTest, BuilderWritesAsTheProfileDoes) {
    TMemIniFile ini(FName, false);
    TIniBuilder builder;
    for (const std::string section : {"devlist", "Συσκευή"}) {
        builder.Section(section);
        builder.String("Name", " two\r\nlines\rand\nmore ");
        ini.WriteString(section, "Name", " two\r\nlines\rand\nmore ");
        builder.String("Empty", "");
        ini.WriteString(section, "Empty", "");
        builder.Integer("Count", -2147483648LL);
        ini.WriteInteger(section, "Count", -2147483647 - 1);
        builder.Float("Power", 1.0 / 3, '.');
        ini.WriteFloat(section, "Power", 1.0 / 3);
        builder.Float("h00_00", 1e-7, '.');
        ini.WriteFloat(section, "h00_00", 1e-7);
    }
    ini.UpdateFile();
    EXPECT_EQ(builder.Text(), Content());
}

} // namespace

namespace {

// Profile files that are too large or UTF-16 text are refused with a message naming the
// file and never written over; a UTF-8 byte-order mark is no part of the first section.
TEST_F(IniFilesTest, HugeAndUtf16FilesAreRefusedAndKept) {
    const std::string huge = FDir + "/huge.ssn";
    WriteFileAtomically(huge, "[Seasons]\r\nCount=1\r\n");
    fs::resize_file(huge, uint64_t(kMaxIniFileSize) + 1);
    const std::string utf16 = FDir + "/utf16.idev";
    WriteFileAtomically(utf16, std::string("\xFF\xFE[\0a\0]\0", 8));
    for (const std::string& name : {huge, utf16}) {
        const uintmax_t size = fs::file_size(name);
        TIniFile ini(name);
        TMemIniFile mem(name);
        for (TCustomIniFile* file :
             {static_cast<TCustomIniFile*>(&ini), static_cast<TCustomIniFile*>(&mem)}) {
            EXPECT_FALSE(file->SectionExists("Seasons"));
            try {
                file->CheckReadable();
                ADD_FAILURE() << name;
            } catch (const EInOutError& e) {
                EXPECT_NE(e.Message().find("\"" + name + "\""), std::string::npos) << e.Message();
            }
        }
        EXPECT_THROW(ini.WriteString("a", "k", "1"), EInOutError);
        EXPECT_THROW(mem.UpdateFile(), EInOutError);
        EXPECT_EQ(fs::file_size(name), size);
    }

    Put("\xEF\xBB\xBF[Seasons]\r\nCount=2\r\n");
    TMemIniFile mem(FName);
    EXPECT_EQ(mem.ReadInteger("Seasons", "Count", 0), 2);
}

// Saving through a symbolic link (relative, into another folder) changes the file it names,
// in that file's folder, and keeps the link: a profile file written key by key, one
// written at UpdateFile, and a text file.
TEST_F(IniFilesTest, SavingThroughALinkChangesItsTargetAndKeepsTheLink) {
    fs::create_directory(FDir + "/real");
    fs::create_directory(FDir + "/links");
    for (const char* name : {"a.ini", "b.ssn", "c.pph"}) {
        WriteFileAtomically(FDir + "/real/" + name, "");
        fs::create_symlink(std::string("../real/") + name, FDir + "/links/" + name);
    }
    TIniFile ini(FDir + "/links/a.ini");
    ini.WriteString("s", "k", "1");
    TMemIniFile mem(FDir + "/links/b.ssn");
    mem.WriteString("Seasons", "count", "1");
    mem.UpdateFile();
    TTextWriter writer(FDir + "/links/c.pph");
    writer.WriteLine("0.5");
    writer.Close();
    for (const char* name : {"a.ini", "b.ssn", "c.pph"}) {
        EXPECT_TRUE(fs::is_symlink(FDir + "/links/" + name)) << name;
        EXPECT_GT(fs::file_size(FDir + "/real/" + name), 0u) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir + "/links"), fs::directory_iterator()), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir + "/real"), fs::directory_iterator()), 3);
}

} // namespace
