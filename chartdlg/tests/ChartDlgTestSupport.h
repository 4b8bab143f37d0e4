#pragma once
// Helpers of the chart dialog tests: a temporary folder per test, where screenshots go
// (ORV_SHOT_DIR when set, so that people can look at them, else that folder), and the
// ways a modal dialog can be left.

#include "framework/gui/Messages.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// One way out of a modal dialog, and whether the changes made in it stay.
template <class TDialog> struct TWayOut {
    const char* Name;
    std::function<void(TDialog*)> Leave;
    bool Kept;
};

// The title bar's close, Escape and Close, which keep nothing, and the dialog's OK button.
template <class TDialog> std::vector<TWayOut<TDialog>> WaysOut(TButton* TDialog::*ok) {
    return {
        {"title bar's close", [](TDialog* d) { d->Perform(WM_CLOSE); }, false},
        {"Escape", [](TDialog*) { TestKit::PressKey(VK_ESCAPE); }, false},
        {"Close", [](TDialog* d) { d->Close(); }, false},
        {"OK", [ok](TDialog* d) { TestKit::Click(d->*ok); }, true},
    };
}
