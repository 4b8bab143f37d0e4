#pragma once
// Helpers of the chart dialog tests: a temporary folder per test, where screenshots go, the
// ways a modal dialog can be left, a modal dialog run once under a check, and the colour
// dialog's answer.

#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
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

// Runs open, which shows a modal TDialog, and check while the dialog is up; the dialog must
// be shown exactly once.
template <class TDialog>
void ShowOnce(const std::function<void()>& open, const std::function<void(TDialog*)>& check) {
    int shown = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        auto* dialog = dynamic_cast<TDialog*>(form);
        ASSERT_NE(dialog, nullptr);
        ++shown;
        check(dialog);
    });
    open();
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(shown, 1);
}

// Answers the next colour dialog with color (accepted).
inline void AnswerColor(TColor color) {
    TestKit::Dialogs().AnswerNextWith([color](const TestKit::TShownDialog& shown) {
        auto* dialog = dynamic_cast<TColorDialog*>(shown.Dialog);
        if (!dialog)
            return 0;
        dialog->SetColor(color);
        return 1;
    });
}
