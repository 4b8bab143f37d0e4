#include "framework/gui/TestKit.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <string>

namespace {

class TestKitTest : public ::testing::Test {
protected:
    void SetUp() override { TestKit::StartTestApplication(); }
};

TEST_F(TestKitTest, FindsComponentsByNamePath) {
    TForm form(nullptr);
    form.SetName("fmHolder");
    auto* panel = new TCustomControl(&form);
    panel->SetName("pnlHolder");
    auto* view = new TForm(panel);
    view->SetName("fmView");
    auto* inner = new TCustomControl(view);
    inner->SetName("gdEditor");
    struct TCase {
        std::string Path;
        TComponent* Expected;
    };
    const TCase cases[] = {
        {"pnlHolder", panel},       {"fmHolder.pnlHolder.fmView.gdEditor", inner},
        {"pnlHolder.FMVIEW", view}, {"pnlHolder.gdEditor", nullptr}, // not owned by the panel
        {"missing", nullptr},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TestKit::FindByPath(&form, c.Path), c.Expected) << c.Path;
    EXPECT_EQ(TestKit::Find<TCustomControl>(&form, "pnlHolder.fmView.gdEditor"), inner);
}

TEST_F(TestKitTest, DialogsAreAnsweredInOrderAndRecorded) {
    auto& d = TestKit::Dialogs();
    d.AnswerNext(IDYES);
    d.AnswerNextInput("2,5");
    EXPECT_EQ(Application->MessageBox("Αποθήκευση;", "Orvanti", MB_YESNO), IDYES);
    std::string value = "1";
    EXPECT_TRUE(InputQuery("Εισαγωγή", "Τιμή", value));
    EXPECT_EQ(value, "2,5");
    // Unanswered: the safe answer, nothing waits.
    EXPECT_EQ(MessageDlg("Διαγραφή;", mtConfirmation, mbYesNoCancel), mrCancel);
    EXPECT_FALSE(InputQuery("Εισαγωγή", "Τιμή", value));
    EXPECT_EQ(value, "2,5");
    EXPECT_EQ(InputBox("Εισαγωγή", "Τιμή", "7"), "7");
    ASSERT_EQ(d.Shown().size(), 5u);
    EXPECT_EQ(d.Shown()[0].Text, "Αποθήκευση;");
    EXPECT_EQ(d.Shown()[1].Kind, "InputQuery");
    EXPECT_EQ(d.Shown()[2].Text, "Διαγραφή;");
}

TEST_F(TestKitTest, ClockMovesNowAndTickCountTogether) {
    uint32_t t0 = GetTickCount();
    TDateTime n0 = Now();
    TestKit::AdvanceClock(60000);
    EXPECT_EQ(GetTickCount() - t0, 60000u);
    EXPECT_NEAR((Now() - n0) * 86400.0, 60.0, 1e-6);
}

// Typed capitals hold Shift only while they are typed: a text ending in one leaves no key
// down for the keys pressed after it (Enter pressed after "24V" is not Shift+Enter), nor
// for the next test.
TEST_F(TestKitTest, TypedCapitalsLeaveShiftUp) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.Show();
    for (const std::string text : {"PV 24V", "aB", "Ab", "V"}) {
        TestKit::Focus(edit);
        edit->SetText("");
        TestKit::TypeText(text);
        EXPECT_EQ(edit->Text(), text);
        EXPECT_GE(GetKeyState(VK_SHIFT), 0) << text;
    }
    // A key an earlier test left down is up in the next one.
    uint8_t state[256] = {};
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    TestKit::StartTestApplication();
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

// A button that frees its window on the first click of a double click (a tool button that
// switches views): the rest of the double click is the freed window's, so it reaches
// neither the freed button nor the window that the freed one covered.
TEST_F(TestKitTest, ADoubleClickWhoseFirstClickFreesTheWindowLeavesTheFreedButtonAlone) {
    TForm under(nullptr);
    under.SetBounds(0, 0, 200, 120);
    auto* underPad = new TCustomControl(&under);
    underPad->SetParent(&under);
    underPad->SetBounds(0, 0, 200, 120);
    int underPresses = 0;
    underPad->SetOnMouseDown(
        [&](TObject*, TMouseButton, TShiftState, int, int) { ++underPresses; });
    underPad->SetOnMouseUp([&](TObject*, TMouseButton, TShiftState, int, int) { ++underPresses; });
    underPad->SetOnDblClick([&](TObject*) { ++underPresses; });
    under.Show();
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, 200, 120);
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 80, 25);
    int clicks = 0;
    button->SetOnClick([&](TObject*) {
        ++clicks;
        form->Release();
    });
    form->Show();
    TestKit::ProcessMessages();
    TestKit::DoubleClick(button);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(underPresses, 0);
    // Drags and clicks whose press frees the window end without touching it either.
    auto* other = new TForm(nullptr);
    other->SetBounds(0, 0, 200, 120);
    auto* pad = new TCustomControl(other);
    pad->SetParent(other);
    pad->SetBounds(10, 10, 80, 40);
    pad->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { other->Release(); });
    other->Show();
    TestKit::ProcessMessages();
    TestKit::Drag(pad, TPoint(5, 5), TPoint(60, 30));
    auto* third = new TForm(nullptr);
    third->SetBounds(0, 0, 200, 120);
    auto* pad3 = new TCustomControl(third);
    pad3->SetParent(third);
    pad3->SetBounds(10, 10, 80, 40);
    pad3->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { third->Release(); });
    third->Show();
    TestKit::ProcessMessages();
    TestKit::Click(pad3);
    TestKit::ProcessMessages();
    EXPECT_EQ(underPresses, 0);
}

TEST_F(TestKitTest, RendersATopLevelWindowWithItsFrame) {
    TForm form(nullptr);
    form.SetCaption("Δοκιμή");
    form.SetBorderStyle(bsSingle);
    form.SetBounds(0, 0, 200, 120);
    form.Show();
    QImage img = TestKit::Render(&form)->ToImage();
    ASSERT_EQ(img.size(), QSize(200, 120));
    // Client area in the button face colour below the caption strip.
    EXPECT_EQ(img.pixelColor(100, 80), QColor(0xC0, 0xC0, 0xC0));
    std::string file = ::testing::TempDir() + "orv_testkit_form.png";
    ASSERT_TRUE(TestKit::RenderToPng(&form, file));
    QImage back(QString::fromStdString(file));
    EXPECT_EQ(back.size(), QSize(200, 120));
    std::remove(file.c_str());
}

} // namespace

namespace {

// Clicks made while a click's modal window is up reach that window at the first try.
TEST(TestKitModalTest, TheFirstClickInAModalWindowOpenedByAClickReachesIt) {
    TestKit::StartTestApplication();
    TForm owner(nullptr);
    owner.SetBounds(10, 10, 300, 200);
    auto* open = new TButton(&owner);
    open->SetParent(&owner);
    open->SetBounds(10, 10, 100, 25);
    owner.Show();
    int chosen = -1;
    open->SetOnClick([&](TObject*) {
        TForm dialog(nullptr);
        dialog.SetBounds(40, 40, 240, 160);
        auto* group = new TRadioGroup(&dialog);
        group->SetParent(&dialog);
        group->SetBounds(8, 8, 200, 120);
        for (const char* item : {"Bitmap", "Metafile", "Enhanced Metafile", "Native"})
            group->Items()->Add(item);
        group->SetItemIndex(0);
        Application->SetModalHandler([&](TCustomForm*) {
            TestKit::Click(group->Buttons(2));
            chosen = group->ItemIndex();
        });
        dialog.ShowModal();
        Application->SetModalHandler([](TCustomForm*) {});
    });
    TestKit::Click(open);
    EXPECT_EQ(chosen, 2);
}

// A control that asks a question while the mouse is pressed on it (a tab that may not be
// left) gives up the mouse to the dialog: the next click elsewhere is not swallowed.
TEST(TestKitModalTest, ADialogAskedDuringAPressEndsThePressedControlsCapture) {
    TestKit::StartTestApplication();
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* tabs = new TPageControl(&form);
    tabs->SetParent(&form);
    tabs->SetBounds(0, 0, 300, 120);
    for (const char* caption : {"General", "Data Source"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetPageControl(tabs);
        sheet->SetCaption(caption);
    }
    tabs->SetActivePageIndex(0);
    form.Show();
    TestKit::ProcessMessages();
    TControl* capturedAfterAnswer = tabs;
    tabs->SetOnChanging([&](TObject*, bool& allow) {
        TestKit::Dialogs().AnswerNext(mrYes);
        allow = MessageDlg("Apply Changes?", mtConfirmation, mbYesNoCancel) == mrYes;
        capturedAfterAnswer = GetCaptureControl();
    });
    const TRect second = tabs->TabRect(1);
    const TPoint at((second.Left + second.Right) / 2, (second.Top + second.Bottom) / 2);
    // The release went to the dialog: the tab control sees only the press.
    TestKit::MouseDown(tabs, at);
    EXPECT_EQ(capturedAfterAnswer, nullptr);
    EXPECT_EQ(tabs->ActivePageIndex(), 1);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    TestKit::MouseUp(tabs, at);
}

} // namespace
