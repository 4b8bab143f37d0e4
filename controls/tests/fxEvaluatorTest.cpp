#include "controls/fxEvaluator.h"
#include "framework/core/SystemUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FxEvaluatorTest, ProductsBeforeSumsAndLeftToRightWithinALevel) {
    struct {
        std::string Text;
        int Value;
    } cases[] = {
        {"10 + 20 * 3", 70},
        {"20 / 3", 6},
        {"7 - 10", -3},
        {"1 - 5 + 2", -2},
        {"2*3", 6},
        {"2 *  3", 6},
        {"100 / 10 / 5", 2},
        {"8 - 2 * 3 + 1", 3},
        {"42", 42},
        {"-7", 0},
        {"99 / 100", 0},
        {"2147483647", 2147483647},
        {"46340 * 46340", 2147395600},
    };
    for (const auto& c : cases) {
        if (c.Text == "-7") {
            EXPECT_THROW(TFxEvaluator::EvaluateExpression(c.Text), EConvertError);
            continue;
        }
        EXPECT_EQ(TFxEvaluator::EvaluateExpression(c.Text), c.Value) << c.Text;
    }
}

TEST(FxEvaluatorTest, BadTextRaisesTheRightError) {
    auto message = [](const std::string& text) -> std::string {
        try {
            TFxEvaluator::EvaluateExpression(text);
        } catch (const EInvalidOperation& e) {
            return "invalid: " + e.Message();
        } catch (const EConvertError&) {
            return "convert";
        }
        return "none";
    };
    EXPECT_EQ(message("8 / 0"), "invalid: Divide By Zero Error");
    EXPECT_EQ(message("2x3"),
              "invalid: Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.");
    EXPECT_EQ(message("-7 / 2"), "convert") << "the leading minus has no left operand";
    EXPECT_EQ(message(" 2*3"), "convert");
    EXPECT_EQ(message("2*3 "), "convert");
    EXPECT_EQ(message("1,5 + 1"), "convert");
    EXPECT_EQ(message(""), "convert");
    // Results beyond the integer range are refused, never wrapped.
    EXPECT_EQ(message("2147483647 + 1"), "invalid: Integer overflow in 2147483647 + 1");
    EXPECT_EQ(message("65536 * 65536"), "invalid: Integer overflow in 65536 * 65536");
    EXPECT_EQ(message("0 - 2147483647 - 2"), "invalid: Integer overflow in -2147483647 - 2");
    EXPECT_EQ(message("99999999999"), "convert");
}

TEST(FxEvaluatorTest, ArithmeticIsDefinedForEveryOperandPair) {
    EXPECT_EQ(TFxEvaluator::EvaluateExpression("0 - 2147483647 - 1"), INT32_MIN);
    EXPECT_EQ(TFxEvaluator::ApplyOperator('/', INT32_MIN, 2), INT32_MIN / 2);
    EXPECT_EQ(TFxEvaluator::ApplyOperator('/', -7, 2), -3) << "toward zero";
    struct {
        char Op;
        int A, B;
    } refused[] = {
        {'/', INT32_MIN, -1}, {'*', INT32_MIN, -1}, {'-', INT32_MIN, 1},
        {'+', INT32_MAX, 1},  {'*', 65536, 65536},  {'/', 5, 0},
    };
    for (const auto& c : refused)
        EXPECT_THROW(TFxEvaluator::ApplyOperator(c.Op, c.A, c.B), EInvalidOperation)
            << c.A << c.Op << c.B;
}

TEST(FxEvaluatorTest, SpacingAndOperatorSearch) {
    std::string s = "1+2*3";
    TFxEvaluator::SpaceOperators(s);
    EXPECT_EQ(s, "1 + 2 * 3");
    s = "4  -   5";
    TFxEvaluator::SpaceOperators(s);
    EXPECT_EQ(s, "4 - 5");
    char op = 0;
    std::string left, right;
    EXPECT_TRUE(
        TFxEvaluator::FindOperator("1 + 2 * 3", TFxOperatorSet::Multiplicative, op, left, right));
    EXPECT_EQ(op, '*');
    EXPECT_EQ(left, "2");
    EXPECT_EQ(right, "3");
    EXPECT_FALSE(
        TFxEvaluator::FindOperator("1 + 2", TFxOperatorSet::Multiplicative, op, left, right));
}

} // namespace
