#include "framework/core/Registry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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
        FDir = fs::temp_directory_path() /
               ("orv-registry-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FDir);
        fs::create_directories(FDir);
        FStore = FDir / "hkcu.txt";
        setenv("HKCU_STORE", FStore.c_str(), 1);
    }
    void TearDown() override {
        SetSettingsStoreCommitHook(nullptr);
        unsetenv("HKCU_STORE");
        fs::remove_all(FDir);
    }
    fs::path FDir;
    fs::path FStore;
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
        EXPECT_EQ(e.Message(), "Invalid data type for 'N'");
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

TEST_F(RegistryTest, AWriterKilledHalfWayLeavesThePreviousStore) {
    TRegIniFile ini("Software\\Orvanti");
    ini.WriteString("dm", "Folder", "old");
    const std::string before = ReadAll(FStore);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SetSettingsStoreCommitHook([] { raise(SIGKILL); });
        TRegIniFile(ini.FileName()).WriteString("dm", "Folder", "new");
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadAll(FStore), before);
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "old");
    ini.WriteString("dm", "Other", "x"); // the lock died with the writer
    EXPECT_EQ(ini.ReadString("dm", "Folder", ""), "old");
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

TEST_F(RegistryTest, StoreFileFollowsTheEnvironment) {
    EXPECT_EQ(SettingsStoreFileName(), FStore.string());
    unsetenv("HKCU_STORE");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsStoreFileName(), "/cfg/hkcu-registry.txt");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SettingsStoreFileName(), "/home/u/.config/hkcu-registry.txt");
}

} // namespace
