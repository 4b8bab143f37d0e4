#include "model/Dates.h"

#include "framework/core/SystemUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(DatesTest, HourToDateStrNamesTheDayOfTheHour) {
    const std::pair<int, const char*> cases[] = {{0, "01/01"},    {1, "01/01"},     {24, "01/01"},
                                                 {25, "02/01"},   {744, "31/01"},   {745, "01/02"},
                                                 {1416, "28/02"}, {1417, "01/03"},  {8017, "01/12"},
                                                 {8760, "31/12"}, {5 * 24, "05/01"}};
    for (const auto& [hour, text] : cases)
        EXPECT_EQ(HourToDateStr(hour), text) << hour;
}

TEST(DatesTest, DateStrToHourGivesTheFirstHourOfTheDay) {
    const std::pair<const char*, int> cases[] = {
        {"01/01", 0},   {"31/12", 8736}, {"01-03", 1416}, {"05/03xyz", 1512},
        {"01/02", 744}, {"28/02", 1392}, {"31/01", 720},  {"01α02", 744}};
    for (const auto& [text, hour] : cases)
        EXPECT_EQ(DateStrToHour(text, 0), hour) << text;
    EXPECT_EQ(DateStrToHour("01/01", 5), 5);
}

TEST(DatesTest, DayTextAndHourAgreeForEveryDay) {
    // The period editor shows HourToDateStr(DayStart * 24) and stores
    // DateStrToHour(text, 0) div 24 + 1: every day must come back.
    for (int day = 1; day <= 365; ++day) {
        const int hour = DateStrToHour(HourToDateStr(day * 24), 0);
        EXPECT_EQ(hour / 24 + 1, day) << day;
    }
}

TEST(DatesTest, DateStrToHourRejectsTextsThatNameNoDay) {
    for (const char* text :
         {"29/02", "00/05", "12/13", "1/1", "", "ab/01", "01/0x", "32/01", "31/04", "01/00"}) {
        try {
            DateStrToHour(text, 0);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("Ακατάλληλη μετατροπή ημερομηνίας ") + text);
        }
    }
}

} // namespace
