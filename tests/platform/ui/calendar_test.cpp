#include "platform/ui/calendar.hpp"

#include <gtest/gtest.h>

namespace vc::ui {
namespace {

TEST(CalendarTest, DayNumbersOfKnownDates) {
  struct Case {
    CivilDate date;
    long long day;
  };
  const Case cases[] = {
      {{1970, 1, 1}, 0},        {{1969, 12, 31}, -1},      {{2000, 2, 29}, 11016},
      {{2000, 3, 1}, 11017},    {{1900, 3, 1}, -25508},    {{2026, 12, 10}, 20797},
      {{1800, 12, 28}, -61730}, {{9999, 12, 31}, 2932896}, {{1, 1, 1}, -719162},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.date.year) + "-" + std::to_string(c.date.month) + "-" +
                 std::to_string(c.date.day));
    EXPECT_EQ(dayNumber(c.date), c.day);
    EXPECT_EQ(civilDate(c.day), c.date);
  }
}

TEST(CalendarTest, EveryDayOfFourCenturiesRoundTrips) {
  const long long first = dayNumber({1900, 1, 1});
  const long long last = dayNumber({2300, 1, 1});
  CivilDate previous = civilDate(first - 1);
  for (long long d = first; d < last; ++d) {
    const CivilDate date = civilDate(d);
    ASSERT_EQ(dayNumber(date), d);
    // Consecutive days: the day goes up by one, or a new month starts on day 1.
    ASSERT_TRUE(date.day == previous.day + 1 || date.day == 1);
    previous = date;
  }
}

TEST(CalendarTest, OutOfRangeFieldsRollOverAndWildValuesStayDefined) {
  EXPECT_EQ(dayNumber({2026, 13, 1}), dayNumber({2027, 1, 1}));
  EXPECT_EQ(dayNumber({2026, 0, 1}), dayNumber({2025, 12, 1}));
  EXPECT_EQ(dayNumber({2026, 3, 0}), dayNumber({2026, 2, 28}));
  EXPECT_EQ(dayNumber({2026, 1, 32}), dayNumber({2026, 2, 1}));
  // None of these may overflow (the sanitizer build checks).
  (void)dayNumber({2147483647, 2147483647, 2147483647});
  (void)dayNumber({-2147483647 - 1, -2147483647 - 1, -2147483647 - 1});
  (void)civilDate(9223372036854775807LL);
  (void)civilDate(-9223372036854775807LL - 1);
}

}  // namespace
}  // namespace vc::ui
