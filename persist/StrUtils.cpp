#include "persist/StrUtils.h"

namespace {

bool IsDelimiter(char c, TCharSet delimiters) {
    return delimiters.find(c) != std::string_view::npos;
}

} // namespace

int CountWords(std::string_view s, TCharSet delimiters) {
    int count = 0;
    bool inWord = false;
    for (char c : s) {
        bool delimiter = IsDelimiter(c, delimiters);
        if (!delimiter && !inWord)
            ++count;
        inWord = !delimiter;
    }
    return count;
}

int NthWordStart(int n, std::string_view s, TCharSet delimiters) {
    if (n < 1)
        return 0;
    int count = 0;
    bool inWord = false;
    for (size_t i = 0; i < s.size(); ++i) {
        bool delimiter = IsDelimiter(s[i], delimiters);
        if (!delimiter && !inWord && ++count == n)
            return int(i) + 1;
        inWord = !delimiter;
    }
    return 0;
}

std::string NthWord(int n, std::string_view s, TCharSet delimiters) {
    int start = NthWordStart(n, s, delimiters);
    if (start == 0)
        return {};
    size_t b = size_t(start - 1), e = b;
    while (e < s.size() && !IsDelimiter(s[e], delimiters))
        ++e;
    return std::string(s.substr(b, e - b));
}
