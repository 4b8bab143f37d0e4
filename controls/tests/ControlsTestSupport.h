#pragma once
// Shared pieces of the fx control tests: a per-test folder for pictures, a form to place
// controls on, and small pixel helpers.

#include "controls/fxBitmap.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TFxTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/fx-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        TestKit::StartTestApplication();
        SetManualClock(true);
    }
    void TearDown() override {
        delete Form;
        Form = nullptr;
        TestKit::ProcessMessages();
        std::filesystem::remove_all(FDir);
    }
    // Pictures go to ORV_SHOT_DIR when it is set (to keep them), else to the test's folder.
    std::string ShotFile(const std::string& name) const { return ShotPath(FDir, name); }
    TForm* MakeForm(int width = 400, int height = 300) {
        Form = new TForm(nullptr);
        Form->SetName("fmFx");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, width, height);
        Form->SetColor(clBtnFace);
        return Form;
    }
    std::string FDir;
    TForm* Form = nullptr;
};

// A bitmap of the given size whose pixel (x, y) is RGB(x * 16 + y, y * 16, 7 * x + 3 * y).
inline void FillPattern(TFxBitmap& b, int w, int h) {
    b.AllocateImage(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGB((x * 16 + y) & 255, (y * 16) & 255, (7 * x + 3 * y) & 255));
}

inline bool SamePixels(const TFxBitmap& a, const TFxBitmap& b) {
    if (a.ImageWidth() != b.ImageWidth() || a.ImageHeight() != b.ImageHeight())
        return false;
    for (int y = 0; y < a.ImageHeight(); ++y)
        for (int x = 0; x < a.ImageWidth(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return false;
    return true;
}
