#pragma once
// Helpers of the chart dialog tests: a temporary folder per test, where screenshots go, and
// the ways a modal dialog can be left.

#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Messages.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// A folder of its own for each test (see TTempFolder).
using TTestFolder = TTempFolder;

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
