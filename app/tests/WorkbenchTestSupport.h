#pragma once
// Shared by the workbench and energy-chart tests: the program's windows over the model
// loaded from the repository's data folder, the workbench docked in the main window as
// the view list would dock it (the model's parameters at their start values), a settings
// store in a temporary folder and the format settings fixed. Modal windows (messages,
// input boxes, charts) are answered by the test kit.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/WDataEd.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class TWorkbenchTest : public ::testing::Test {
protected:
    // The index of the workbench in the main window's view list.
    static constexpr int kWorkbenchView = 4;
    // The seed the random series of the tests start from.
    static constexpr uint32_t kSeed = 20240611;

    void SetUp() override {
        char pattern[] = "/tmp/app-workbench-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        FStore.emplace("HKCU_STORE", FDir + "/hkcu.txt");
        SetProgramFileName(std::string(APP_DATA_DIR) + "/Orvanti");
        TestKit::StartTestApplication();
        ThousandSeparator = ',';
        InitModel();
        CreateProgramWindows();
        // As large as the test screen allows, so that beside the view list the workbench
        // shows its buttons and summed columns.
        fmHolder->SetBounds(0, 0, 800, 640);
        fmHolder->Show();
        TestKit::ProcessMessages();
        fmHolder->ShowView(kWorkbenchView);
        TestKit::ProcessMessages();
        Bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
        ASSERT_NE(Bench, nullptr);
        // The window seeded the generator from the clock; from here on it is fixed.
        RandSeed = kSeed;
        TestKit::Dialogs().Clear();
    }

    void TearDown() override {
        Application->SetModalHandler([](TCustomForm*) {});
        FreeProgramWindows();
        TestKit::ProcessMessages();
        FinalizeModel();
        FStore.reset();
        std::filesystem::remove_all(FDir);
    }

    // Where screenshots go: $ORV_SHOT_DIR, else the test's temporary folder.
    std::string ShotFile(const std::string& name) const { return ShotPath(FDir, name); }

    // Runs a modal window's contents check while it is shown.
    template <class T> void OnModal(std::function<void(T*)> check) {
        Application->SetModalHandler([check](TCustomForm* form) {
            auto* typed = dynamic_cast<T*>(form);
            ASSERT_NE(typed, nullptr) << form->ClassName();
            check(typed);
        });
    }

    static std::string LastMessage() { return TestKit::Dialogs().LastText(); }

    // The centre of a grid cell in the grid's client area.
    TPoint CellCenter(int col, int row) const {
        const TRect r = Bench->gdEditor->CellRect(col, row);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }

    TfmWDataEd* Bench = nullptr;
    std::string FDir;

private:
    std::optional<TScopedEnv> FStore;
};
