#pragma once
// Shared by the design-page and chart-view tests: the program's windows over the model
// loaded from the repository's data folder, a settings store in a temporary folder, the
// format settings fixed, and the model's parameters put back after each test.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/app-views-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        setenv("HKCU_STORE", (FDir + "/hkcu.txt").c_str(), 1);
        SetProgramFileName(std::string(APP_DATA_DIR) + "/Orvanti");
        TestKit::StartTestApplication();
        ThousandSeparator = ',';
        FParams = {BatCapacity, BatSafeCoef, BatVoltage, BatLossesPerHour, PVPower, HZPower};
        FHZConType = HZConType;
        FHZCalc = HZCalc;
        InitModel();
        CreateProgramWindows();
        fmHolder->Show();
        TestKit::ProcessMessages();
        Application->Idle();
    }
    void TearDown() override {
        FreeProgramWindows();
        TestKit::ProcessMessages();
        FinalizeModel();
        BatCapacity = FParams[0];
        BatSafeCoef = FParams[1];
        BatVoltage = FParams[2];
        BatLossesPerHour = FParams[3];
        PVPower = FParams[4];
        HZPower = FParams[5];
        HZConType = FHZConType;
        HZCalc = FHZCalc;
        unsetenv("HKCU_STORE");
        std::filesystem::remove_all(FDir);
    }

    // Where screenshots go: $ORV_SHOT_DIR, else the test's temporary folder.
    std::string ShotFile(const std::string& name) const { return ShotPath(FDir, name); }

    // The tool button showing the caption, among the cool bars in the main tool strip.
    TToolButton* StripButton(const std::string& caption) const {
        TPanel* strip = fmHolder->Panel1;
        for (int i = 0; i < strip->ControlCount(); ++i)
            if (auto* cb = dynamic_cast<TCoolBar*>(strip->Controls(i)))
                for (TCoolBand* band : cb->Bands()->Live())
                    if (auto* tb = dynamic_cast<TToolBar*>(band->Control()))
                        for (int b = 0; b < tb->ButtonCount(); ++b)
                            if (TestKit::TextOf(tb->Buttons(b)) == caption)
                                return tb->Buttons(b);
        return nullptr;
    }
    void ClickStrip(const std::string& caption) {
        TToolButton* button = StripButton(caption);
        ASSERT_NE(button, nullptr) << caption;
        TestKit::Click(button);
        TestKit::ProcessMessages();
    }

    std::string FDir;

private:
    std::array<double, 6> FParams{};
    int FHZConType = 0;
    bool FHZCalc = false;
};
