#pragma once
// Shared by the persistence tests: a settings store in a temporary folder (HKCU_STORE,
// read afresh by the store at every access) and a fixed program name, so the forms'
// key is "Software\OrvTest".

#include "framework/core/Classes.h"
#include "framework/core/Registry.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

class TTempStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/persist-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        FStore.emplace("HKCU_STORE", FDir + "/hkcu.txt");
        SetProgramFileName(FDir + "/OrvTest");
        TestKit::StartTestApplication();
    }
    void TearDown() override {
        TestKit::ProcessMessages();
        FStore.reset();
        std::filesystem::remove_all(FDir);
    }

    static constexpr const char* kKey = "\\Software\\OrvTest";

    // The subkeys of the program's key.
    static std::set<std::string> Sections(const std::string& key = kKey) {
        TRegistry reg;
        TStringList names;
        if (reg.OpenKeyReadOnly(key))
            reg.GetKeyNames(names);
        auto v = names.ToVector();
        return {v.begin(), v.end()};
    }
    // The value names of one section.
    static std::set<std::string> Idents(const std::string& section) {
        TRegistry reg;
        TStringList names;
        if (reg.OpenKeyReadOnly(std::string(kKey) + "\\" + section))
            reg.GetValueNames(names);
        auto v = names.ToVector();
        return {v.begin(), v.end()};
    }
    static std::string Value(const std::string& section, const std::string& ident) {
        TRegistry reg;
        if (!reg.OpenKeyReadOnly(std::string(kKey) + "\\" + section))
            return "<no key>";
        if (!reg.ValueExists(ident))
            return "<none>";
        return reg.ReadString(ident);
    }
    static void SetValue(const std::string& section, const std::string& ident,
                         const std::string& value) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(std::string(kKey) + "\\" + section, true));
        reg.WriteString(ident, value);
    }

    std::string FDir;

private:
    std::optional<TScopedEnv> FStore;
};
