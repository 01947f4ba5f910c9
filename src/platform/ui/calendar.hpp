// Dates as day numbers: what date pictures format and the clock gives. A day number
// counts days from 1 January 1970 (day 0), negative before it, in the Gregorian calendar.
#pragma once

namespace vc::ui {

struct CivilDate {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

/// The day number of a date. Months and days outside their range roll over into the
/// next or the previous ones, so every input gives some day and none overflows for
/// years within +-1,000,000.
long long dayNumber(const CivilDate& date);

/// The date of a day number; the inverse of dayNumber for valid dates. Day numbers
/// beyond +-300,000,000 (about 800,000 years) are taken as that limit.
CivilDate civilDate(long long dayNumber);

}  // namespace vc::ui
