// The rich-text editor's line queries, before and after it has a window, counted as its
// selection is.

#include "framework/gui/RichEdit.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

namespace {

TEST(RichEditTest, LinesAndTheirFirstCharactersFollowTheSelection) {
    TestKit::StartTestApplication();
    auto* form = CreateForm<TForm>(nullptr);
    form->SetBounds(10, 10, 300, 200);
    auto* editor = new TRichEdit(form);
    editor->SetBounds(0, 0, 250, 120);
    // Greek letters are one character each, a line break is one.
    editor->SetText("Μπαταρία\r\n\r\nPV");
    auto check = [&](const char* when) {
        EXPECT_EQ(editor->LineCount(), 3) << when;
        EXPECT_EQ(editor->LineFromChar(0), 0) << when;
        EXPECT_EQ(editor->LineFromChar(8), 0) << when;
        EXPECT_EQ(editor->LineFromChar(9), 1) << when;
        EXPECT_EQ(editor->LineFromChar(10), 2) << when;
        EXPECT_EQ(editor->LineFromChar(99), 2) << when;
        EXPECT_EQ(editor->LineIndex(0), 0) << when;
        EXPECT_EQ(editor->LineIndex(1), 9) << when;
        EXPECT_EQ(editor->LineIndex(2), 10) << when;
        EXPECT_EQ(editor->LineIndex(3), -1) << when;
    };
    check("without a window");
    editor->SetParent(form);
    form->Show();
    check("with a window");
    // -1 means the selection start.
    editor->SetSelStart(11);
    EXPECT_EQ(editor->LineFromChar(-1), 2);
    EXPECT_EQ(editor->LineIndex(-1), 10);
    // An empty editor has one line starting at 0.
    editor->Clear();
    EXPECT_EQ(editor->LineCount(), 1);
    EXPECT_EQ(editor->LineFromChar(-1), 0);
    EXPECT_EQ(editor->LineIndex(-1), 0);
    delete form;
}

} // namespace
