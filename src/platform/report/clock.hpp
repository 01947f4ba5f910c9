// The clock a report stamps its pages with: today's date and the time of day from one
// reading, so the two can never straddle midnight. Tests may set the reading.
#pragma once

#include <functional>

namespace vc::report {

struct ClockReading {
  long long date = 0;  // a day number (platform/ui/calendar.hpp)
  long long time = 0;  // hundredths of a second since midnight, local time
};

/// The local date and time now, from one reading of the system clock.
ClockReading readClock();

/// Makes readClock answer `source` instead (nothing: the system clock again).
void setClockSource(std::function<ClockReading()> source);

}  // namespace vc::report
