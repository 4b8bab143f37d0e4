#pragma once
// Helpers of the chart dialog tests: a temporary folder per test, and where screenshots
// go (ORV_SHOT_DIR when set, so that people can look at them, else that folder).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TTestFolder {
public:
    TTestFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name()
                                : std::string("chartdlg");
        for (char& ch : name)
            if (ch == '/')
                ch = '_';
        FPath = std::filesystem::temp_directory_path() /
                ("chartdlg_" + std::to_string(::getpid()) + "_" + name);
        std::filesystem::create_directories(FPath);
    }
    ~TTestFolder() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string ShotFile(const std::string& name) const {
        const char* dir = std::getenv("ORV_SHOT_DIR");
        return (dir && *dir ? std::string(dir) : FPath.string()) + "/" + name;
    }

private:
    std::filesystem::path FPath;
};
