#include "platform/ui/calendar.hpp"

#include <algorithm>

namespace vc::ui {
namespace {

constexpr long long kMaxDays = 300'000'000;

// Floor division, so that days before 1970 and months below 1 land in the right era.
long long floorDiv(long long a, long long b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

// The era-based conversion: a 400-year era has exactly 146,097 days, and counting the
// year from March puts the leap day at the year's end.
long long dayNumber(const CivilDate& date) {
  long long year = std::clamp(date.year, -1'000'000, 1'000'000);
  const long long monthIndex = static_cast<long long>(date.month) - 1;
  year += floorDiv(monthIndex, 12);
  const long long month = monthIndex - floorDiv(monthIndex, 12) * 12 + 1;  // 1 to 12
  const long long y = month <= 2 ? year - 1 : year;
  const long long era = floorDiv(y, 400);
  const long long yearOfEra = y - era * 400;
  const long long monthFromMarch = (month + 9) % 12;
  const long long dayOfYear = (153 * monthFromMarch + 2) / 5;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + (static_cast<long long>(date.day) - 1);
}

CivilDate civilDate(long long days) {
  days = std::clamp(days, -kMaxDays, kMaxDays) + 719468;
  const long long era = floorDiv(days, 146097);
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthFromMarch = (5 * dayOfYear + 2) / 153;
  const long long day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const long long month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

}  // namespace vc::ui
