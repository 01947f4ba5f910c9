#include "platform/report/clock.hpp"

#include <gtest/gtest.h>

#include <chrono>
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

/// The local time of day at `t`, in hundredths of a second.
long long hundredthsOfDay(std::chrono::system_clock::time_point t) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return -1;
  const long long ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
  return ((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 100 + ms / 10;
}

TEST(ClockTest, TheTimeCountsHundredthsOfASecond) {
  // Read between two looks at the system clock; a pair that straddles midnight is taken
  // again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const long long before = hundredthsOfDay(std::chrono::system_clock::now());
    const ClockReading r = readClock();
    const long long after = hundredthsOfDay(std::chrono::system_clock::now());
    ASSERT_GE(before, 0);
    if (after < before) continue;
    EXPECT_GE(r.time, before);
    EXPECT_LE(r.time, after);
    return;
  }
  FAIL() << "midnight on every attempt";
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
