#include "persist/ExSpin.h"

#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "framework/gui/WindowSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <string>

namespace {

using enum TExSpinEdit::TValueType;

class ExSpinTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 300, 120);
        Spin = new TExSpinEdit(Form);
        Spin->SetName("edPR");
        Spin->SetParent(Form);
        Spin->SetBounds(10, 10, 121, 21);
        Spin->SetTabStop(true);
        Spin->SetOnChange(TNotifyEvent([this](TObject*) { ++Changes; }));
        Spin->SetOnTopClick(TNotifyEvent([this](TObject*) { ++TopClicks; }));
        Spin->SetOnBottomClick(TNotifyEvent([this](TObject*) { ++BottomClicks; }));
        Other = new TEdit(Form);
        Other->SetName("Other");
        Other->SetParent(Form);
        Other->SetBounds(10, 50, 100, 21);
        Other->SetTabStop(true);
        Form->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        delete Form;
        DecimalSeparator = '.';
    }
    void Reset() { Changes = TopClicks = BottomClicks = 0; }

    TForm* Form = nullptr;
    TExSpinEdit* Spin = nullptr;
    TEdit* Other = nullptr;
    int Changes = 0, TopClicks = 0, BottomClicks = 0;
};

TEST_F(ExSpinTest, StepsAreClampedAndReportedOnce) {
    struct TCase {
        TExSpinEdit::TValueType Type;
        double Min, Max, Increment;
        char Separator;
        std::string Start;
        int Steps; // positive: up, negative: down
        std::string Text;
        int Changes, Clicks;
    };
    const TCase cases[] = {
        {vtInteger, 0, 0, 1, '.', "0", -1, "-1", 1, 1}, // no limits
        {vtInteger, 0, 10, 3, '.', "8", 2, "10", 1, 2}, // the second step is at the limit
        {vtFloat, 0, 100, 0.1, '.', "99.95", 1, "100.00", 1, 1},
        {vtFloat, 0, 100, 0.1, ',', "99,95", 2, "100,00", 1, 2}, // the locale's separator
        {vtFloat, 0, 100, 0.1, '.', "abc", 1, "0.10", 1, 1},     // unreadable text is MinValue
        {vtFloat, -5, 5, 2.5, '.', "0", -3, "-5.00", 2, 3},
    };
    for (const TCase& c : cases) {
        DecimalSeparator = c.Separator;
        Spin->SetValueType(c.Type);
        Spin->SetMinValue(c.Min);
        Spin->SetMaxValue(c.Max);
        Spin->SetIncrement(c.Increment);
        Spin->SetText(c.Start);
        Reset();
        for (int i = 0; i < std::abs(c.Steps); ++i)
            c.Steps > 0 ? Spin->StepUp() : Spin->StepDown();
        EXPECT_EQ(TestKit::TextOf(Spin), c.Text) << c.Start;
        EXPECT_EQ(Changes, c.Changes) << c.Start;
        EXPECT_EQ(c.Steps > 0 ? TopClicks : BottomClicks, c.Clicks) << c.Start;
    }
}

TEST_F(ExSpinTest, ValueFormattingRoundsHalvesToEven) {
    struct TCase {
        TExSpinEdit::TValueType Type;
        double Value;
        std::string Text;
    };
    const TCase cases[] = {{vtFloat, 0.125, "0.12"}, {vtFloat, 0.375, "0.38"},
                           {vtFloat, 2.5, "2.50"},   {vtInteger, 2.5, "2"},
                           {vtInteger, 3.5, "4"},    {vtFloat, -0.001, "0.00"}};
    for (const TCase& c : cases) {
        Spin->SetValueType(c.Type);
        Spin->SetValue(c.Value);
        EXPECT_EQ(TestKit::TextOf(Spin), c.Text) << c.Value;
    }
    Spin->SetValueType(vtFloat);
    Spin->SetIncrement(0.4);
    Spin->SetValueType(vtInteger);
    EXPECT_EQ(Spin->Increment(), 1.0);
}

// The spin edit's value type and the component stream's value tags live side by side: a
// form file stores a real-number spin edit's type as the identifier "vtFloat" and leaves the
// default (whole numbers) out.
TEST_F(ExSpinTest, ValueTypeIsStoredByNameUnlessDefault) {
    const auto written = [this] {
        TMemoryStream stream;
        TWriter writer(stream);
        writer.WriteProperties(Spin);
        return stream.Data();
    };
    const std::string name = std::string(1, char(9)) + "ValueType";
    EXPECT_EQ(written().find(name), std::string::npos);

    Spin->SetValueType(TExSpinEdit::vtFloat);
    const std::string data = written();
    const size_t at = data.find(name);
    ASSERT_NE(at, std::string::npos);
    const TValueType tag = TValueType(uint8_t(data[at + name.size()]));
    EXPECT_EQ(tag, vaIdent);
    EXPECT_EQ(data.substr(at + name.size() + 1, 8), std::string(1, char(7)) + "vtFloat");
}

// A whole number no 64-bit integer holds (a power read from a file) is shown as a real
// and read back as such; nothing raises while the box shows it.
TEST_F(ExSpinTest, WholeNumbersBeyondSixtyFourBitsShowAsReals) {
    Spin->SetValueType(vtInteger);
    struct TCase {
        double Value;
        std::string Text;
    };
    const TCase cases[] = {{1e19, "1E19"}, {-3e30, "-3E30"}, {9e18, "9000000000000000000"}};
    for (const TCase& c : cases) {
        Spin->SetValue(c.Value);
        EXPECT_EQ(TestKit::TextOf(Spin), c.Text) << c.Value;
        EXPECT_EQ(Spin->Value(), c.Value) << c.Value;
    }
    Spin->SetValue(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(TestKit::TextOf(Spin).empty());
    Spin->SetValue(std::nan(""));
    EXPECT_FALSE(TestKit::TextOf(Spin).empty());
}

TEST_F(ExSpinTest, TypedCharactersAreFiltered) {
    Spin->SetValueType(vtFloat);
    Spin->SetText("");
    TestKit::Focus(Spin);
    const int beeps = BeepCount();
    TestKit::TypeText("-1.5.2e3Ea+");
    EXPECT_EQ(TestKit::TextOf(Spin), "-1.52e3+");
    EXPECT_EQ(BeepCount() - beeps, 3); // the second point, the second exponent, the letter

    Spin->SetValueType(vtInteger);
    Spin->SetText("");
    TestKit::TypeText("12.5");
    EXPECT_EQ(TestKit::TextOf(Spin), "125");

    Spin->SetEditorEnabled(false);
    TestKit::TypeText("7");
    EXPECT_EQ(TestKit::TextOf(Spin), "125");
}

TEST_F(ExSpinTest, KeysStepAndLeavingPutsTheNumberRight) {
    Spin->SetMinValue(1);
    Spin->SetMaxValue(10);
    Spin->SetValue(5);
    TestKit::Focus(Spin);
    TestKit::PressKey(VK_UP);
    TestKit::PressKey(VK_UP);
    TestKit::PressKey(VK_DOWN);
    EXPECT_EQ(TestKit::TextOf(Spin), "6");

    Spin->SetText("42");
    TestKit::Focus(Other);
    EXPECT_EQ(TestKit::TextOf(Spin), "10");

    // An unreadable text reads as MinValue but is never passed on as a number: leaving
    // shows the last number again.
    TestKit::Focus(Spin);
    Spin->SetText("abc");
    EXPECT_EQ(Spin->Value(), 1);
    EXPECT_FALSE(Spin->HasValue());
    TestKit::Focus(Other);
    EXPECT_EQ(TestKit::TextOf(Spin), "10");

    Spin->SetReadOnly(true);
    const int beeps = BeepCount();
    Reset();
    Spin->StepUp();
    EXPECT_EQ(TestKit::TextOf(Spin), "10");
    EXPECT_EQ(BeepCount() - beeps, 1);
    EXPECT_EQ(TopClicks, 0);
}

// A whole-number box whose text is no integer (pasted, or read from somewhere) reads as
// its minimum, rounded.
TEST_F(ExSpinTest, AWholeNumberBoxReadsOtherTextsAsItsRoundedMinimum) {
    Spin->SetValueType(vtInteger);
    Spin->SetMinValue(3.6);
    Spin->SetMaxValue(10);
    for (const char* text : {"2.7", "1e3", "abc", "12,5"}) {
        Spin->SetText(text);
        EXPECT_EQ(Spin->Value(), 4) << text;
    }
    Spin->SetText(" 7 ");
    EXPECT_EQ(Spin->Value(), 7);
}

TEST_F(ExSpinTest, EmptiedTextIsNeverReportedAsANumber) {
    struct TCase {
        TExSpinEdit::TValueType Type;
        std::string Start, Typed;
    } const cases[] = {
        {vtInteger, "250", ""},   // emptied
        {vtInteger, "250", "-"},  // a sign alone
        {vtFloat, "12.50", "e"},  // an exponent letter alone
        {vtFloat, "12.50", "+."}, // a sign and a separator
    };
    std::vector<std::pair<bool, std::string>> seen;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        Spin->SetOnChange(nullptr);
        Spin->SetValueType(c.Type);
        Spin->SetMinValue(0);
        Spin->SetMaxValue(0);
        Spin->SetText(c.Start);
        TestKit::Focus(Spin);
        Spin->SelectAll();
        seen.clear();
        Spin->SetOnChange(TNotifyEvent(
            [&](TObject*) { seen.emplace_back(Spin->HasValue(), TestKit::TextOf(Spin)); }));
        if (c.Typed.empty())
            TestKit::PressKey(VK_DELETE);
        else
            TestKit::TypeText(c.Typed);
        ASSERT_FALSE(seen.empty());
        for (const auto& [readable, text] : seen)
            EXPECT_FALSE(readable) << text;
        seen.clear();
        TestKit::Focus(Other);
        EXPECT_EQ(TestKit::TextOf(Spin), c.Start);
        EXPECT_TRUE(seen.empty()); // the number shown again is not reported as typed
        // The owner puts its own value back without hearing of it.
        Spin->ShowValue(7);
        EXPECT_TRUE(seen.empty());
        EXPECT_DOUBLE_EQ(Spin->Value(), 7);
    }
}

TEST_F(ExSpinTest, HeldButtonRepeatsAfter400ThenEvery100Milliseconds) {
    TExSpinButton* button = Spin->Button();
    ASSERT_NE(button, nullptr);
    const int side = button->Width();
    const TPoint top(3, 3), bottom(side - 3, side - 3);
    ASSERT_EQ(button->HalfAt(top.X, top.Y), sbTopDown);
    ASSERT_EQ(button->HalfAt(bottom.X, bottom.Y), sbBottomDown);
    Spin->SetValue(0);
    Reset();

    TestKit::MouseDown(button, top);
    EXPECT_EQ(TopClicks, 1); // at once
    EXPECT_EQ(button->Down(), sbTopDown);
    EXPECT_TRUE(Spin->Focused());
    TestKit::AdvanceClock(399);
    EXPECT_EQ(TopClicks, 1);
    TestKit::AdvanceClock(1);
    EXPECT_EQ(TopClicks, 2);
    TestKit::AdvanceClock(250);
    EXPECT_EQ(TopClicks, 4); // at 500 and 600
    // Sliding onto the other half shows nothing pressed and steps nothing.
    TestKit::MouseMove(button, bottom, {ssLeft});
    EXPECT_EQ(button->Down(), sbNotDown);
    TestKit::AdvanceClock(300);
    EXPECT_EQ(TopClicks, 4);
    EXPECT_EQ(BottomClicks, 0);
    // Back on the pressed half it repeats again.
    TestKit::MouseMove(button, top, {ssLeft});
    EXPECT_EQ(button->Down(), sbTopDown);
    TestKit::AdvanceClock(100);
    EXPECT_EQ(TopClicks, 5);
    TestKit::MouseUp(button, top);
    EXPECT_EQ(button->Down(), sbNotDown);
    TestKit::AdvanceClock(1000);
    EXPECT_EQ(TopClicks, 5);
    EXPECT_EQ(TestKit::TextOf(Spin), "5");

    TestKit::ClickAt(button, bottom);
    EXPECT_EQ(BottomClicks, 1);
    EXPECT_EQ(TestKit::TextOf(Spin), "4");
    EXPECT_FALSE(TestKit::Render(Form)->Empty());
}

TEST_F(ExSpinTest, StandardButtonStepsThroughItsClicks) {
    Spin->SetButtonKind(bkStandard);
    ASSERT_EQ(Spin->Button(), nullptr);
    TExUpDown* upDown = Spin->UpDown();
    ASSERT_NE(upDown, nullptr);
    EXPECT_EQ(upDown->Width(), DefaultSpinButtonWidth());
    Spin->SetValue(3);
    Reset();
    TestKit::ClickAt(upDown, TPoint(upDown->Width() / 2, 2));
    EXPECT_EQ(TestKit::TextOf(Spin), "4");
    TestKit::ClickAt(upDown, TPoint(upDown->Width() / 2, upDown->Height() - 3));
    TestKit::ClickAt(upDown, TPoint(upDown->Width() / 2, upDown->Height() - 3));
    EXPECT_EQ(TestKit::TextOf(Spin), "2");
    EXPECT_EQ(TopClicks, 1);
    EXPECT_EQ(BottomClicks, 2);
    EXPECT_EQ(upDown->Position(), 0); // never reaches its limits
}

} // namespace
