#pragma once

// A folder of its own for one test's files: made under the system's temporary folder with a
// unique name that starts with the running test's name, removed with everything in it when
// the object goes, so tests running in parallel never meet. With ORV_SHOT_DIR set, the
// folder is made inside that folder instead and kept, so people can look at the pictures.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include <stdlib.h>

class TTempFolder {
public:
    TTempFolder() {
        const char* output = std::getenv("ORV_SHOT_DIR");
        FKeep = output != nullptr && *output != '\0';
        const std::filesystem::path base =
            FKeep ? std::filesystem::path(output) : std::filesystem::temp_directory_path();
        std::filesystem::create_directories(base);
        std::string pattern = (base / (TestName() + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder in " + base.string());
        FPath = pattern;
    }
    ~TTempFolder() {
        std::error_code ignored;
        if (!FKeep)
            std::filesystem::remove_all(FPath, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // The path of a file in the folder.
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    static std::string TestName() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            info ? std::string(info->test_suite_name()) + "." + info->name() : "orv-test";
        for (char& c : name)
            if (c == '/' || c == ' ')
                c = '_';
        return name;
    }

    std::filesystem::path FPath;
    bool FKeep = false;
};

// Where a test's picture goes: into $ORV_SHOT_DIR when it is set (kept for people to look
// at), else into the test's own folder.
inline std::string ShotPath(const std::string& folder, const std::string& name) {
    const char* dir = std::getenv("ORV_SHOT_DIR");
    return (dir && *dir ? std::string(dir) : folder) + "/" + name;
}

// An environment variable set (or, given no value, removed) for the object's life, such as a
// test's settings store in HKCU_STORE, then given back the value it had before, or removed if
// it had none, so that the tests run after it in the same process see the run's own setting
// and never the user's.
class TScopedEnv {
public:
    TScopedEnv(std::string name, const std::optional<std::string>& value) : FName(std::move(name)) {
        if (const char* old = std::getenv(FName.c_str()))
            FOld = old;
        if (value)
            setenv(FName.c_str(), value->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }
    ~TScopedEnv() {
        if (FOld)
            setenv(FName.c_str(), FOld->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    std::string FName;
    std::optional<std::string> FOld;
};
