#include "framework/gui/ControlHelpers.h"

#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QLineEdit>

namespace {

using namespace ControlHelpers;

TEST(ControlHelpersTest, ProgramChangeCountsAndQuietsTheWidgetAndNestsBack) {
    TestKit::StartTestApplication();
    QLineEdit edit;
    int setting = 0;
    int edits = 0;
    QObject::connect(&edit, &QLineEdit::textChanged, &edit, [&] { ++edits; });
    {
        TProgramChange outer(setting, &edit);
        EXPECT_EQ(setting, 1);
        EXPECT_TRUE(edit.signalsBlocked());
        {
            TProgramChange inner(setting, &edit);
            EXPECT_EQ(setting, 2);
            edit.setText("a");
        }
        // The inner change ends without waking the widget the outer one still quiets.
        EXPECT_EQ(setting, 1);
        EXPECT_TRUE(edit.signalsBlocked());
        edit.setText("b");
    }
    EXPECT_EQ(setting, 0);
    EXPECT_FALSE(edit.signalsBlocked());
    EXPECT_EQ(edits, 0);
    edit.setText("c");
    EXPECT_EQ(edits, 1);
}

TEST(ControlHelpersTest, CallFromQtReportsTheExceptionAndReturns) {
    TestKit::StartTestApplication();
    TestKit::Dialogs().Clear();
    int ran = 0;
    CallFromQt([&] {
        ++ran;
        throw Exception("Cell out of range");
    });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "Cell out of range.");
}

TEST(ControlHelpersTest, NotifyParentSendsNothingWithoutAWindowAndElseGoesThroughTheParent) {
    TestKit::StartTestApplication();
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    int changes = 0;
    edit->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));

    NotifyParent(edit, EN_CHANGE);
    EXPECT_EQ(changes, 0);

    // The form takes the notification as WM_COMMAND and reflects it to the edit.
    form.HandleNeeded();
    NotifyParent(edit, EN_CHANGE);
    EXPECT_EQ(changes, 1);
}

} // namespace
