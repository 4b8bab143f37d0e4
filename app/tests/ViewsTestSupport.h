#pragma once
// Shared by the design-page and chart-view tests: the program's windows over the model
// loaded from the repository's data folder (the model's parameters at their start values),
// a settings store in a temporary folder and the format settings fixed.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/GraphBaseSt.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class TProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/app-views-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        FStore.emplace("HKCU_STORE", FDir + "/hkcu.txt");
        SetProgramFileName(std::string(APP_DATA_DIR) + "/Orvanti");
        TestKit::StartTestApplication();
        ThousandSeparator = ',';
        InitModel();
        CreateProgramWindows();
        fmHolder->Show();
        TestKit::ProcessMessages();
        Application->Idle();
    }
    // Also run after a SetUp that skipped the test before starting anything (SmallScreenTest):
    // then there is nothing to undo.
    void TearDown() override {
        if (FDir.empty())
            return;
        FreeProgramWindows();
        TestKit::ProcessMessages();
        FinalizeModel();
        FStore.reset();
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
    // Shows the view as its item in the view list does, and lets the window settle.
    void ShowView(int view) {
        fmHolder->ShowView(view);
        TestKit::ProcessMessages();
        Application->Idle();
    }
    // The chart window docked over the view, if any.
    TfmGraphBaseSt* DockedChart() const {
        TPanel* holder = fmHolder->pnlHolder;
        for (int i = 0; i < holder->ComponentCount(); ++i)
            if (auto* f = dynamic_cast<TfmGraphBaseSt*>(holder->Components(i)))
                return f;
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
    std::optional<TScopedEnv> FStore;
};
