#include "engine/InternetDate.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using namespace std::chrono;

Date utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s};
}

TEST(InternetDate, FormatsUtcWithWholeSecondsAndZ) {
    EXPECT_EQ(InternetDate::format(utc(2025, 3, 1, 9, 15, 30)), "2025-03-01T09:15:30Z");
    EXPECT_EQ(InternetDate::format(utc(2025, 3, 1, 9, 15, 30) + milliseconds(999)),
              "2025-03-01T09:15:30Z");
    // Before 1970 the fraction still goes toward the past.
    EXPECT_EQ(InternetDate::format(utc(1969, 12, 31, 23, 59, 59) + milliseconds(500)),
              "1969-12-31T23:59:59Z");
}

TEST(InternetDate, ParsesWhatItFormats) {
    for (const Date date :
         {utc(2025, 3, 1, 9, 15, 30), utc(1970, 1, 1, 0, 0, 0), utc(2000, 2, 29, 23, 59, 59),
          utc(1800, 6, 1, 12, 0, 0), utc(2200, 12, 31, 0, 0, 1)}) {
        EXPECT_EQ(InternetDate::parse(InternetDate::format(date)), date);
    }
}

TEST(InternetDate, AcceptsNumericOffsetsAndConvertsThemToUtc) {
    EXPECT_EQ(InternetDate::parse("2025-03-01T10:15:30+01:00"), utc(2025, 3, 1, 9, 15, 30));
    EXPECT_EQ(InternetDate::parse("2025-03-01T04:45:30-04:30"), utc(2025, 3, 1, 9, 15, 30));
    EXPECT_EQ(InternetDate::parse("2025-03-01t09:15:30z"), utc(2025, 3, 1, 9, 15, 30));
}

TEST(InternetDate, RejectsFractionsMissingZonesAndOtherForms) {
    for (const char* text :
         {"2025-03-01T09:15:30.5Z", "2025-03-01T09:15:30.000Z", "2025-03-01T09:15:30",
          "2025-03-01 09:15:30Z", "2025-03-01", "2025-3-01T09:15:30Z", "20250301T091530Z",
          "2025-03-01T09:15Z", "2025-03-01T09:15:30+0100", "2025-03-01T09:15:30+01", "",
          "2025-03-01T09:15:30Z ", " 2025-03-01T09:15:30Z", "2025-03-01T09:15:30ZZ",
          "+2025-03-01T09:15:30Z"}) {
        EXPECT_EQ(InternetDate::parse(text), std::nullopt) << text;
    }
}

TEST(InternetDate, RejectsImpossibleAndUnrepresentableDates) {
    for (const char* text :
         {"2025-02-29T00:00:00Z", "2025-13-01T00:00:00Z", "2025-00-10T00:00:00Z",
          "2025-04-31T00:00:00Z", "2025-03-01T24:00:00Z", "2025-03-01T23:60:00Z",
          "2025-03-01T23:59:60Z", "2025-03-01T09:15:30+24:00", "2025-03-01T09:15:30+01:60",
          "0000-01-01T00:00:00Z", "9999-12-31T23:59:59Z"}) {
        EXPECT_EQ(InternetDate::parse(text), std::nullopt) << text;
    }
}

} // namespace
} // namespace plimsett
