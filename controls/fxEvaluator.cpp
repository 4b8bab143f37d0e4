#include "controls/fxEvaluator.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        size_t p = text.find(' ', start);
        words.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            return words;
        start = p + 1;
    }
}

std::string Join(const std::vector<std::string>& words) {
    std::string out;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i)
            out += ' ';
        out += words[i];
    }
    return out;
}

bool InSet(const std::string& word, TFxOperatorSet set) {
    if (word.size() != 1)
        return false;
    char c = word[0];
    return set == TFxOperatorSet::Multiplicative ? (c == '*' || c == '/') : (c == '+' || c == '-');
}

// An operand: an integer with no blanks around it.
int Operand(const std::string& word) {
    if (word.empty() || word.find(' ') != std::string::npos)
        throw EConvertError(Format(FrameworkTexts::InvalidInteger, {word}));
    return StrToInt(word);
}

} // namespace

void TFxEvaluator::CheckCharacters(const std::string& text) {
    for (char c : text)
        if (!(c == ' ' || c == '*' || c == '+' || c == ',' || c == '-' || c == '/' ||
              (c >= '0' && c <= '9')))
            throw EInvalidOperation(
                "Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.");
}

void TFxEvaluator::SpaceOperators(std::string& text) {
    for (char op : {'*', '/', '+', '-'}) {
        std::string out;
        for (char c : text) {
            if (c == op) {
                out += ' ';
                out += c;
                out += ' ';
            } else {
                out += c;
            }
        }
        text = std::move(out);
    }
    for (;;) {
        size_t p = text.find("  ");
        if (p == std::string::npos)
            break;
        std::string out;
        out.reserve(text.size());
        bool blank = false;
        for (char c : text) {
            if (c == ' ' && blank)
                continue;
            blank = c == ' ';
            out += c;
        }
        text = std::move(out);
    }
}

bool TFxEvaluator::FindOperator(const std::string& text, TFxOperatorSet set, char& op,
                                std::string& left, std::string& right) {
    std::vector<std::string> words = Words(text);
    for (size_t i = 0; i < words.size(); ++i)
        if (InSet(words[i], set)) {
            op = words[i][0];
            left = i > 0 ? words[i - 1] : std::string();
            right = i + 1 < words.size() ? words[i + 1] : std::string();
            return true;
        }
    return false;
}

int TFxEvaluator::ApplyOperator(char op, int left, int right) {
    // In 64 bits every result of two 32-bit operands is exact, so the range test below
    // catches every overflow (the smallest integer by -1 included).
    int64_t a = left, b = right, value = 0;
    switch (op) {
    case '*':
        value = a * b;
        break;
    case '/':
        if (b == 0)
            throw EInvalidOperation("Divide By Zero Error");
        value = a / b;
        break;
    case '+':
        value = a + b;
        break;
    case '-':
        value = a - b;
        break;
    default:
        throw EInvalidOperation(Format("Unknown operator %s", {std::string(1, op)}));
    }
    if (value < INT_MIN || value > INT_MAX)
        throw EInvalidOperation(
            Format("Integer overflow in %d %s %d", {left, std::string(1, op), right}));
    return int(value);
}

int TFxEvaluator::EvaluateExpression(const std::string& text) {
    CheckCharacters(text);
    std::string s = text;
    SpaceOperators(s);
    std::vector<std::string> words = Words(s);
    for (;;) {
        size_t at = words.size();
        for (TFxOperatorSet set : {TFxOperatorSet::Multiplicative, TFxOperatorSet::Additive}) {
            for (size_t i = 0; i < words.size(); ++i)
                if (InSet(words[i], set)) {
                    at = i;
                    break;
                }
            if (at != words.size())
                break;
        }
        if (at == words.size())
            break;
        char op = words[at][0];
        std::string leftWord = at > 0 ? words[at - 1] : std::string();
        std::string rightWord = at + 1 < words.size() ? words[at + 1] : std::string();
        int a = Operand(leftWord), b = Operand(rightWord);
        std::string result = std::to_string(ApplyOperator(op, a, b));
        size_t first = at > 0 ? at - 1 : at;
        size_t last = std::min(at + 1, words.size() - 1);
        words.erase(words.begin() + std::ptrdiff_t(first),
                    words.begin() + std::ptrdiff_t(last) + 1);
        words.insert(words.begin() + std::ptrdiff_t(first), result);
    }
    return Operand(Join(words));
}
