#include "platform/report/clock.hpp"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/ui/calendar.hpp"

namespace vc::report {
namespace {

TEST(ClockTest, ReadsTheLocalDateAndTime) {
  const std::time_t before = std::time(nullptr);
  const ClockReading r = readClock();
  std::tm local{};
  ASSERT_NE(localtime_r(&before, &local), nullptr);
  const long long today = ui::dayNumber({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
  // The reading may fall just after midnight of the next day.
  EXPECT_TRUE(r.date == today || r.date == today + 1);
  EXPECT_GE(r.time, 0);
  EXPECT_LT(r.time, 24LL * 60 * 60 * 100);
}

TEST(ClockTest, TestsMaySetTheReading) {
  setClockSource([] { return ClockReading{ui::dayNumber({2026, 12, 10}), 5070000}; });
  const ClockReading r = readClock();
  EXPECT_EQ(ui::civilDate(r.date), (ui::CivilDate{2026, 12, 10}));
  EXPECT_EQ(r.time, 5070000);
  setClockSource({});
  EXPECT_NE(ui::civilDate(readClock().date).year, 1970);
}

}  // namespace
}  // namespace vc::report
