#include "framework/core/Registry.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/core/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A new folder each time: a store's failure is reported once a run for its file name,
        // so a test repeated in the same process must not meet its former store.
        FDir = FTemp.Path();
        FStore = FDir / "hkcu.txt";
        FStoreEnv.emplace("HKCU_STORE", FStore.string());
    }
    void TearDown() override {
        SetSettingsStoreCommitHook(nullptr);
        FStoreEnv.reset();
    }
    TTempFolder FTemp;
    fs::path FDir;
    fs::path FStore;
    std::optional<TScopedEnv> FStoreEnv;
};

TEST_F(RegistryTest, RegIniFileKeepsSectionsAsSubkeysOfTheProgramKey) {
    TRegIniFile ini("Software\\Orvanti");
    EXPECT_EQ(ini.ReadString("dm", "Folder", "none"), "none");
    EXPECT_FALSE(ini.SectionExists("dm"));
    EXPECT_FALSE(fs::exists(FStore)); // reading creates nothing

    ini.WriteString("dm", "SelDevListDlg_InitialDir", "/home/user/\"devices\"\nnext");
    ini.WriteInteger("TfmHolder", "Flags", -2);
    ini.WriteBool("TfmHolder", "Visible", true);
    ini.WriteString("TfmHolder.ListView1_Columns", "Count", "3");

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Orvanti\\TfmHolder"));
    EXPECT_EQ(reg.GetDataType("Flags"), rdString); // integers are decimal text
    EXPECT_EQ(reg.ReadString("Flags"), "-2");
    EXPECT_EQ(reg.ReadString("visible"), "1");

    TRegIniFile again("software\\ORVANTI");
    EXPECT_EQ(again.ReadString("DM", "seldevlistdlg_initialdir", ""),
              "/home/user/\"devices\"\nnext");
    EXPECT_EQ(again.ReadInteger("TfmHolder", "Flags", 0), -2);
    EXPECT_TRUE(again.ReadBool("TfmHolder", "Visible", false));
    TStringList sections;
    again.ReadSections(sections);
    EXPECT_EQ(sections.CommaText(), "dm,TfmHolder,TfmHolder.ListView1_Columns");

    again.EraseSection("TfmHolder");
    again.ReadSections(sections);
    EXPECT_EQ(sections.CommaText(), "dm,TfmHolder.ListView1_Columns");
    EXPECT_EQ(again.ReadInteger("TfmHolder", "Flags", 7), 7);
}

TEST_F(RegistryTest, TypedValuesAndKeysOfTheRegistry) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Test\\Deep", true));
    reg.WriteInteger("N", -5);
    reg.WriteBinaryData("B", std::string("\0\xff", 2));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("Software\\Test", false));
    EXPECT_TRUE(reg.HasSubKeys());
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    ASSERT_TRUE(reg.OpenKey("Deep", false));
    EXPECT_EQ(reg.ReadInteger("n"), -5);
    EXPECT_EQ(reg.ReadBinaryData("B"), std::string("\0\xff", 2));
    try {
        reg.ReadString("N");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), Format(FrameworkTexts::ValueOfOtherType, {"N"}));
    }
    EXPECT_THROW(reg.ReadInteger("Nothing"), ERegistryException);
    EXPECT_TRUE(reg.DeleteValue("N"));
    EXPECT_FALSE(reg.ValueExists("N"));
    EXPECT_TRUE(reg.DeleteKey("\\Software\\Test"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Test\\Deep"));
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    const int kValues = 40;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            TRegIniFile ini(w == 0 ? "Software\\Orvanti" : "Software\\Pelmora");
            for (int i = 0; i < kValues; ++i)
                ini.WriteInteger("Section", "Item" + std::to_string(i), i * 10 + w);
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 2; ++w) {
        TRegIniFile ini(w == 0 ? "Software\\Orvanti" : "Software\\Pelmora");
        for (int i = 0; i < kValues; ++i)
            EXPECT_EQ(ini.ReadInteger("Section", "Item" + std::to_string(i), -1), i * 10 + w);
    }
}

// An update gathers its changes: reads see them at once, the file only when the
// outermost scope ends, in one write.
TEST_F(RegistryTest, AnUpdateWritesAllItsChangesOnce) {
    TRegIniFile ini("Software\\Orvanti");
    ini.WriteString("Old", "Gone", "1");
    ini.WriteString("dm", "Folder", "/before");
    const std::string before = ReadAll(FStore);
    int writes = 0;
    SetSettingsStoreCommitHook([&] { ++writes; });
    {
        TSettingsStoreUpdate update;
        for (int i = 0; i < 12; ++i)
            ini.WriteInteger("TfmHolder", "Value" + std::to_string(i), i);
        ini.WriteString("dm", "Folder", "/after");
        ini.EraseSection("Old");
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\Orvanti\\New\\Deep", true));
        reg.WriteBinaryData("B", "\x01\x02");
        {
            TSettingsStoreUpdate inner;
            ini.WriteString("TfmHolder", "Inner", "yes");
            inner.Commit(); // joins the outer update
        }
        EXPECT_EQ(writes, 0);
        EXPECT_EQ(ReadAll(FStore), before);
        EXPECT_EQ(ini.ReadInteger("TfmHolder", "Value11", -1), 11);
        EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/after");
        EXPECT_FALSE(ini.SectionExists("Old"));
        EXPECT_EQ(ini.ReadString("TfmHolder", "Inner", ""), "yes");
        update.Commit();
        EXPECT_EQ(writes, 1);
    }
    EXPECT_EQ(writes, 1);
    EXPECT_NE(ReadAll(FStore).find("\"Inner\"=\"yes\""), std::string::npos);
    EXPECT_EQ(ReadAll(FStore).find("Old"), std::string::npos);
    // What another program reads.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TRegIniFile other("Software\\Orvanti");
        TRegistry reg;
        const bool ok = other.ReadInteger("TfmHolder", "Value5", -1) == 5 &&
                        other.ReadString("dm", "Folder", "") == "/after" &&
                        !other.SectionExists("Old") &&
                        reg.OpenKeyReadOnly("\\Software\\Orvanti\\New\\Deep") &&
                        reg.ReadBinaryData("B") == "\x01\x02";
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Writing what the store holds already writes nothing; an empty update neither.
    writes = 0;
    ini.WriteString("dm", "Folder", "/after");
    { TSettingsStoreUpdate nothing; }
    EXPECT_EQ(writes, 0);
}

// An update is applied to the store as it is on disk when it is written: what another
// program wrote while the update was open stays, and two programs writing updates at once
// lose nothing.
TEST_F(RegistryTest, UpdatesOfTwoProcessesAtOnceLoseNothing) {
    TRegIniFile ini("Software\\Shared");
    ini.WriteString("Common", "Start", "1");
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char c;
        TSettingsStoreUpdate update;
        TRegIniFile mine("Software\\Shared");
        mine.WriteString("Common", "Child", "open");
        mine.WriteString("ChildOnly", "A", "1");
        // The parent writes now, while this update is open.
        if (write(toParent[1], "x", 1) != 1 || read(toChild[0], &c, 1) != 1)
            _exit(2);
        update.Commit();
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    ini.WriteString("Common", "Parent", "meanwhile");
    ASSERT_EQ(write(toChild[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ini.ReadString("Common", "Start", ""), "1");
    EXPECT_EQ(ini.ReadString("Common", "Parent", ""), "meanwhile");
    EXPECT_EQ(ini.ReadString("Common", "Child", ""), "open");
    EXPECT_EQ(ini.ReadString("ChildOnly", "A", ""), "1");

    // Many updates from two programs at once.
    const int kUpdates = 15, kValues = 6;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            TRegIniFile mine("Software\\Shared");
            for (int u = 0; u < kUpdates; ++u) {
                TSettingsStoreUpdate update;
                for (int v = 0; v < kValues; ++v)
                    mine.WriteInteger("Writer" + std::to_string(w),
                                      "U" + std::to_string(u) + "V" + std::to_string(v),
                                      u * 100 + v);
                update.Commit();
            }
            _exit(0);
        }
    }
    for (pid_t c2 : children) {
        waitpid(c2, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 2; ++w)
        for (int u = 0; u < kUpdates; ++u)
            for (int v = 0; v < kValues; ++v)
                EXPECT_EQ(ini.ReadInteger("Writer" + std::to_string(w),
                                          "U" + std::to_string(u) + "V" + std::to_string(v), -1),
                          u * 100 + v);
}

// A writer killed while it commits, alone or at the end of an update, leaves the store as it
// was; neither its lock nor its temporary is in the way of the next save.
TEST_F(RegistryTest, AWriterKilledWhileCommittingLeavesThePreviousStore) {
    const std::function<void(const std::string&)> writers[] = {
        [](const std::string& file) { TRegIniFile(file).WriteString("dm", "Folder", "new"); },
        [](const std::string& file) {
            TSettingsStoreUpdate update;
            TRegIniFile mine(file);
            mine.WriteString("dm", "Folder", "new");
            mine.WriteString("dm", "Other", "new");
            update.Commit();
        },
    };
    for (const auto& write : writers) {
        TRegIniFile ini("Software\\Orvanti");
        ini.WriteString("dm", "Folder", "old");
        const std::string before = ReadAll(FStore);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SetSettingsStoreCommitHook([] { raise(SIGKILL); });
            write(ini.FileName());
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(ReadAll(FStore), before);
        EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "old");
        ini.WriteString("dm", "Other", "x");
        EXPECT_EQ(ini.ReadString("dm", "Other", ""), "x");
        EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "old");
    }
}

// A store that cannot be written is reported at the first failing write, not at every
// one: the program's saves go on quietly after the user has been told.
TEST_F(RegistryTest, AReadOnlyStoreIsReportedOnce) {
    TRegIniFile ini("Software\\Orvanti");
    ini.WriteString("dm", "Folder", "/kept");
    ASSERT_EQ(chmod(FStore.c_str(), 0444), 0);
    int reports = 0;
    for (int i = 0; i < 3; ++i) {
        try {
            ini.WriteString("TfmHolder", "Left", std::to_string(i));
        } catch (const ERegistryException& e) {
            ++reports;
            EXPECT_NE(e.Message().find(FStore.string()), std::string::npos) << e.Message();
        }
        TSettingsStoreUpdate update;
        ini.WriteString("TfmHolder", "Top", std::to_string(i));
        ini.WriteString("TfmHolder", "Width", std::to_string(i));
        try {
            update.Commit();
        } catch (const ERegistryException&) {
            ++reports;
        }
    }
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(ini.ReadString("TfmHolder", "Left", "none"), "none"); // nothing pretends
    ASSERT_EQ(chmod(FStore.c_str(), 0644), 0);
    ini.WriteString("TfmHolder", "Left", "7"); // writable again: saved
    EXPECT_EQ(ini.ReadString("TfmHolder", "Left", ""), "7");
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/kept");
}

// The store's text read from memory, as the fuzz test reads it.
TEST_F(RegistryTest, TheStoreTextParsesFromMemory) {
    std::string written;
    ASSERT_TRUE(ParseSettingsStoreText("HKCU-STORE 1\r\n\r\n[a\\\\b]\r\n\"x\"=dword:0000000A\r\n"
                                       "[A]\n\"y\"=hex:01,ff\n[a\\b]\n\"X\"=\"\\x41\\t\"\n",
                                       written));
    EXPECT_EQ(written, "HKCU-STORE 1\n\n[a]\n\"y\"=hex:01,ff\n\n[a\\b]\n\"x\"=\"A\\t\"\n");
    std::string again;
    ASSERT_TRUE(ParseSettingsStoreText(written, again));
    EXPECT_EQ(again, written);
    EXPECT_FALSE(ParseSettingsStoreText("not a store", written));
    EXPECT_FALSE(ParseSettingsStoreText("HKCU-STORE 1\n\"v\"=\"no key\"\n", written));
    EXPECT_FALSE(fs::exists(FStore)); // no file involved
}

TEST_F(RegistryTest, AnUnreadableStoreIsKeptAsideAndTheStoreStartsEmpty) {
    {
        std::ofstream out(FStore);
        out << "not a store\n[broken";
    }
    TRegIniFile ini("Software\\Pelmora");
    EXPECT_EQ(ini.ReadString("TForm1", "Flags", "def"), "def");
    ini.WriteString("TForm1", "Flags", "0");
    EXPECT_EQ(ini.ReadString("TForm1", "Flags", "def"), "0");
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(FDir))
        if (entry.path().filename().string().starts_with("hkcu.txt.bad-")) {
            ++aside;
            EXPECT_EQ(ReadAll(entry.path()), "not a store\n[broken");
        }
    EXPECT_EQ(aside, 1);
}

// A key path too deep or too long is skipped and the rest loads; the store read and
// written back is no larger than it was.
TEST_F(RegistryTest, DeepOrLongKeyPathsAreSkippedAndTheStoreNeverGrows) {
    std::string deep, deepOk, longName(33 * 1024, 'x');
    for (int i = 0; i < 2000; ++i)
        deep += i ? "\\a" : "a";
    for (int i = 0; i < 400; ++i)
        deepOk += i ? "\\b" : "b";
    {
        std::ofstream out(FStore, std::ios::binary);
        out << "HKCU-STORE 1\n\n[" << deep << "]\n\"v\"=\"1\"\n\n[" << longName
            << "]\n\"v\"=\"2\"\n\n[" << deepOk << "]\n\"v\"=\"3\"\n\n[Software\\Orvanti\\dm]\n"
            << "\"Folder\"=\"/home\"\n";
    }
    const auto sizeBefore = fs::file_size(FStore);
    TRegIniFile ini("Software\\Orvanti");
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/home");
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\" + deep));
    EXPECT_FALSE(reg.KeyExists("\\" + longName));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + deepOk));
    EXPECT_EQ(reg.ReadString("v"), "3");
    // The first write rewrites the whole store without them, and says so, naming the
    // store; the value is written all the same.
    try {
        ini.WriteString("dm", "Folder", "/home2");
        ADD_FAILURE() << "dropped keys not reported";
    } catch (const ERegistryException& e) {
        EXPECT_NE(e.Message().find(FStore.string()), std::string::npos) << e.Message();
    }
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/home2");
    EXPECT_LE(fs::file_size(FStore), sizeBefore);
    EXPECT_FALSE(reg.CreateKey("\\" + deep));
    // Once per run: the same store with such keys again is rewritten quietly.
    const std::string text = ReadAll(FStore);
    std::ofstream(FStore, std::ios::binary) << text << "\n[" << deep << "]\n\"v\"=\"1\"\n";
    EXPECT_NO_THROW(ini.WriteString("dm", "Folder", "/home3"));
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/home3");
}

// The store's file edge cases: a byte-order mark is read, a symbolic link is followed and
// stays, a read-only store or folder is refused and left as it was, the mode is kept.
TEST_F(RegistryTest, StoreFileEdgeCases) {
    {
        std::ofstream out(FStore, std::ios::binary);
        out << "\xEF\xBB\xBFHKCU-STORE 1\n\n[Software\\Orvanti\\dm]\n\"Folder\"=\"/bom\"\n";
    }
    TRegIniFile ini("Software\\Orvanti");
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/bom");

    // Mode kept.
    ASSERT_EQ(chmod(FStore.c_str(), 0640), 0);
    ini.WriteString("dm", "Folder", "/mode");
    EXPECT_EQ(fs::status(FStore).permissions(), fs::perms(0640));

    // A symbolic link: the target changes, the link stays.
    const fs::path target = FDir / "real.txt";
    fs::rename(FStore, target);
    fs::create_symlink(target, FStore);
    ini.WriteString("dm", "Folder", "/link");
    EXPECT_TRUE(fs::is_symlink(FStore));
    EXPECT_NE(ReadAll(target).find("/link"), std::string::npos);
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/link");
    fs::remove(FStore);
    fs::rename(target, FStore);

    // Read-only store, then a folder without write permission.
    const std::string before = ReadAll(FStore);
    ASSERT_EQ(chmod(FStore.c_str(), 0444), 0);
    try {
        ini.WriteString("dm", "Folder", "/ro");
        ADD_FAILURE() << "wrote a read-only store";
    } catch (const ERegistryException& e) {
        EXPECT_NE(e.Message().find("μόνο για ανάγνωση"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(ReadAll(FStore), before);
    ASSERT_EQ(chmod(FStore.c_str(), 0644), 0);
    ASSERT_EQ(chmod(FDir.c_str(), 0555), 0);
    try {
        ini.WriteString("dm", "Folder", "/ro");
        ADD_FAILURE() << "wrote into a read-only folder";
    } catch (const ERegistryException& e) {
        EXPECT_NE(e.Message().find("δεν δέχεται εγγραφή"), std::string::npos) << e.Message();
    }
    ASSERT_EQ(chmod(FDir.c_str(), 0755), 0);
    EXPECT_EQ(ReadAll(FStore), before);
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/link");
}

// HKCU_STORE naming a folder or a FIFO gives a clear error, once in a run: later reads
// find nothing and writes are dropped without a message. Nothing is moved aside.
TEST_F(RegistryTest, AStoreThatIsNotARegularFileIsRefusedAndLeftInPlace) {
    const fs::path folder = FDir / "folder";
    fs::create_directories(folder / "inside");
    const fs::path fifo = FDir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& store : {folder, fifo}) {
        setenv("HKCU_STORE", store.c_str(), 1);
        TRegIniFile ini("Software\\Orvanti");
        try {
            ini.ReadString("dm", "Folder", "");
            ADD_FAILURE() << store;
        } catch (const ERegistryException& e) {
            EXPECT_NE(e.Message().find("δεν είναι κανονικό αρχείο"), std::string::npos)
                << e.Message();
        }
        EXPECT_NO_THROW(ini.WriteString("dm", "Folder", "x"));
        EXPECT_EQ(ini.ReadString("dm", "Folder", "none"), "none");
    }
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    EXPECT_TRUE(fs::is_fifo(fifo));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(FDir))
        ++entries;
    EXPECT_EQ(entries, 2); // nothing made or moved beside them
}

TEST_F(RegistryTest, StoreFileFollowsTheEnvironment) {
    EXPECT_EQ(SettingsStoreFileName(), FStore.string());
    TScopedEnv noStore("HKCU_STORE", std::nullopt);
    {
        TScopedEnv config("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(SettingsStoreFileName(), "/cfg/hkcu-registry.txt");
    }
    TScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    TScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(SettingsStoreFileName(), "/home/u/.config/hkcu-registry.txt");
}

// A store too large to be one, or saved as UTF-16 text, is refused once with a message
// naming it, reads as empty and is neither written nor moved aside. A UTF-8 byte-order
// mark is read.
TEST_F(RegistryTest, HugeAndUtf16StoresAreRefusedOnceAndKept) {
    const std::string text = "HKCU-STORE 1\n\n[Software\\Orvanti\\dm]\n\"Folder\"=\"/a\"\n";
    const fs::path huge = FDir / "huge.txt";
    std::ofstream(huge, std::ios::binary) << text;
    fs::resize_file(huge, (uint64_t(64) << 20) + 1);
    const fs::path utf16 = FDir / "utf16.txt";
    std::ofstream(utf16, std::ios::binary) << std::string("\xFF\xFEH\0K\0", 6);
    for (const fs::path& store : {huge, utf16}) {
        setenv("HKCU_STORE", store.c_str(), 1);
        const uintmax_t size = fs::file_size(store);
        TRegIniFile ini("Software\\Orvanti");
        try {
            ini.ReadString("dm", "Folder", "");
            ADD_FAILURE() << store;
        } catch (const ERegistryException& e) {
            EXPECT_NE(e.Message().find(store.string()), std::string::npos) << e.Message();
        }
        EXPECT_EQ(ini.ReadString("dm", "Folder", "none"), "none");
        EXPECT_NO_THROW(ini.WriteString("dm", "Folder", "x"));
        EXPECT_EQ(fs::file_size(store), size);
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(FDir))
        ++entries;
    EXPECT_EQ(entries, 2); // nothing moved aside

    setenv("HKCU_STORE", FStore.c_str(), 1);
    std::ofstream(FStore, std::ios::binary) << "\xEF\xBB\xBF" << text;
    EXPECT_EQ(TRegIniFile("Software\\Orvanti").ReadString("dm", "Folder", ""), "/a");
}

// Marks that tools add in front of the text and blank lines that editors leave are read as
// nothing: every key is read and the store is neither moved aside nor emptied by a write.
TEST_F(RegistryTest, LeadingMarksAndLinesOfBlanksAreReadAsNothing) {
    const std::string mark = "\xEF\xBB\xBF";
    const std::string body = "HKCU-STORE 1\n\n[Software\\Orvanti\\dm]\n\"Folder\"=\"/a\"\n"
                             "\n[Software\\Orvanti\\TfmHolder]\n\"Flags\"=\"2\"\n";
    const struct {
        const char* Name;
        std::string Text;
    } cases[] = {
        {"two marks", mark + mark + body},
        {"three marks", mark + mark + mark + body},
        {"a last line of spaces", body + "    \n"},
        {"a last line of blanks without its end", body + " \t "},
        {"blanks between keys, CR LF", mark + mark +
                                           "HKCU-STORE 1\r\n  \r\n[Software\\Orvanti\\dm]\r\n"
                                           "\"Folder\"=\"/a\"\r\n\t\r\n"
                                           "[Software\\Orvanti\\TfmHolder]\r\n"
                                           "\"Flags\"=\"2\"\r\n \r\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        // A store of its own for each case: one rewritten in place within the same clock
        // tick could look unchanged to the store's cache.
        const fs::path dir = FDir / std::to_string(++n);
        const fs::path store = dir / "hkcu.txt";
        fs::create_directories(dir);
        setenv("HKCU_STORE", store.c_str(), 1);
        std::ofstream(store, std::ios::binary) << c.Text;
        TRegIniFile ini("Software\\Orvanti");
        EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "/a");
        EXPECT_EQ(ini.ReadInteger("TfmHolder", "Flags", 0), 2);
        ini.WriteString("dm", "Added", "1");
        const std::string after = ReadAll(store);
        EXPECT_NE(after.find("\"Folder\"=\"/a\""), std::string::npos) << after;
        EXPECT_NE(after.find("\"Flags\"=\"2\""), std::string::npos) << after;
        EXPECT_NE(after.find("\"Added\"=\"1\""), std::string::npos) << after;
        int entries = 0;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() != ".lock") {
                ++entries;
                EXPECT_EQ(entry.path(), store); // nothing kept aside
            }
        EXPECT_EQ(entries, 1);
        std::string written;
        EXPECT_TRUE(ParseSettingsStoreText(c.Text, written));
        EXPECT_EQ(written.find(mark), std::string::npos);
    }
}

// Two programs, one reaching the store through a symbolic link and one through its target,
// take the same lock: every write of each is kept.
TEST_F(RegistryTest, WritersThroughALinkAndItsTargetLoseNothing) {
    // In a folder in memory where there is one: each write syncs the store to its disk, and
    // what is tested is the lock, not the disk.
    fs::path dir = FDir;
    if (fs::is_directory("/dev/shm")) {
        dir = fs::path("/dev/shm") / FDir.filename();
        fs::create_directories(dir);
    }
    struct TRemove {
        fs::path Dir;
        ~TRemove() { fs::remove_all(Dir); }
    } remove{dir};
    const fs::path store = dir / "hkcu.txt";
    const fs::path target = dir / "real.txt";
    fs::create_symlink(target.filename(), store); // a relative link, dangling at first
    const fs::path chain = dir / "chain.txt";     // a link to the link
    fs::create_symlink(store, chain);
    setenv("HKCU_STORE", store.c_str(), 1);
    const int kValues = 300;
    const fs::path names[2] = {chain, target};
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            setenv("HKCU_STORE", names[w].c_str(), 1);
            int failed = 0;
            TRegIniFile ini("Software\\Orvanti");
            for (int i = 0; i < kValues; ++i) {
                try {
                    ini.WriteString("W" + std::to_string(w), "Item" + std::to_string(i),
                                    std::to_string(i * 10 + w));
                } catch (...) {
                    ++failed;
                }
            }
            _exit(failed == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(fs::is_symlink(store));
    EXPECT_TRUE(fs::is_symlink(chain));
    EXPECT_FALSE(fs::exists(dir / "hkcu.txt.lock"));
    EXPECT_FALSE(fs::exists(dir / "chain.txt.lock"));
    EXPECT_TRUE(fs::exists(dir / "real.txt.lock"));
    TRegIniFile ini("Software\\Orvanti");
    int present = 0;
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kValues; ++i)
            present += ini.ReadString("W" + std::to_string(w), "Item" + std::to_string(i), "") ==
                       std::to_string(i * 10 + w);
    EXPECT_EQ(present, 2 * kValues);
}

// A link to a target in a folder that does not exist: no lock can be made beside the
// target, the write fails as before, saying why, and nothing is made there.
TEST_F(RegistryTest, ALinkIntoAMissingFolderIsReportedAsBefore) {
    fs::create_symlink(FDir / "missing" / "real.txt", FStore);
    TRegIniFile ini("Software\\Orvanti");
    try {
        ini.WriteString("dm", "Folder", "x");
        ADD_FAILURE() << "wrote through a link into a missing folder";
    } catch (const ERegistryException& e) {
        EXPECT_NE(e.Message().find("δεν δέχεται εγγραφή"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(fs::exists(FDir / "missing"));
    EXPECT_TRUE(fs::is_symlink(FStore));
}

// A store reached through links that lead round in a circle is not replaced by a file.
TEST_F(RegistryTest, AStoreInALinkLoopIsNotReplaced) {
    fs::create_symlink(FDir / "other.txt", FStore);
    fs::create_symlink(FStore, FDir / "other.txt");
    TRegIniFile ini("Software\\Orvanti");
    EXPECT_THROW(ini.WriteString("dm", "Folder", "x"), ERegistryException);
    EXPECT_TRUE(fs::is_symlink(FStore));
    EXPECT_TRUE(fs::is_symlink(FDir / "other.txt"));
}

} // namespace
