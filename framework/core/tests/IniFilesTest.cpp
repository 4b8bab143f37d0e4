#include "framework/core/IniFiles.h"
#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/TextFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

} // namespace
