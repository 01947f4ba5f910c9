#include "platform/report/clock.hpp"

#include <chrono>
#include <ctime>
#include <mutex>

#include "platform/ui/calendar.hpp"

namespace vc::report {
namespace {

std::mutex& sourceLock() {
  static std::mutex lock;
  return lock;
}

std::function<ClockReading()>& source() {
  static std::function<ClockReading()> s;
  return s;
}

ClockReading systemClock() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return {};
  const auto hundredths =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000 /
      10;
  ClockReading r;
  r.date = ui::dayNumber({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
  r.time = ((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 100 + hundredths;
  return r;
}

}  // namespace

ClockReading readClock() {
  std::function<ClockReading()> s;
  {
    std::lock_guard guard(sourceLock());
    s = source();
  }
  return s ? s() : systemClock();
}

void setClockSource(std::function<ClockReading()> s) {
  std::lock_guard guard(sourceLock());
  source() = std::move(s);
}

}  // namespace vc::report
