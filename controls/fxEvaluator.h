#pragma once
// The integer value of a short arithmetic text such as "10 + 20 * 3": * and / bind before
// + and -, operators of one level apply from left to right. Words are separated by single
// blanks. Uses the standard library and the framework's core only.

#include <string>

enum class TFxOperatorSet { Multiplicative, Additive };

class TFxEvaluator {
public:
    // EInvalidOperation on a forbidden character, a division by zero or a result outside
    // the integer range; EConvertError on an operand that is not an integer.
    static int EvaluateExpression(const std::string& text);
    // Blanks, "*", "+", ",", "-", "/" and digits only.
    static void CheckCharacters(const std::string& text);
    // One blank before and after every operator, then runs of blanks reduced to one.
    static void SpaceOperators(std::string& text);
    // The earliest operator of the set that stands as a whole word, with the words just
    // before and after it; false when there is none.
    // left op right for one of the four operators; EInvalidOperation for a zero divisor
    // and for a result outside the integer range (the smallest integer by -1 included).
    static int ApplyOperator(char op, int left, int right);
    static bool FindOperator(const std::string& text, TFxOperatorSet set, char& op,
                             std::string& left, std::string& right);
};
