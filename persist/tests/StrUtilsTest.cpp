#include "persist/StrUtils.h"
#include "persist/MaxMin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StrUtilsTest, NthWordSplitsAtEveryDelimiterRun) {
    struct TCase {
        int N;
        std::string Text;
        std::string Delimiters;
        std::string Word;
        int Start;
    };
    const TCase cases[] = {
        {2, "10, 20", " ,", "20", 5},
        {5, "10, 20", " ,", "", 0},
        {1, "  ,10", " ,", "10", 4},
        {1, "", " ,", "", 0},
        {3, "[fsBold , fsItalic,fsUnderline]", " ,[]", "fsUnderline", 20},
        {0, "a b", " ", "", 0},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(NthWord(c.N, c.Text, c.Delimiters), c.Word) << c.Text << " #" << c.N;
        EXPECT_EQ(NthWordStart(c.N, c.Text, c.Delimiters), c.Start) << c.Text << " #" << c.N;
    }
    EXPECT_EQ(CountWords("", " ,"), 0);
    EXPECT_EQ(CountWords(",,", " ,"), 0);
    EXPECT_EQ(CountWords("1,2 ,, 3", " ,"), 3);
}

TEST(StrUtilsTest, MaxAndMinOfIntegers) {
    EXPECT_EQ(MaxInteger(-3, 2), 2);
    EXPECT_EQ(MinInteger(-3, 2), -3);
    EXPECT_EQ(MaxInteger(7, 7), 7);
}

} // namespace
