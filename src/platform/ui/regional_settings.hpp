// The regional settings that date and time pictures follow: the short date pattern, the
// clock, the hour's leading zero, the time separator and the morning and afternoon
// designators. They are read once from the LC_TIME locale of the environment; under the
// C locale, or one that cannot be read, none is set and the defaults hold.
#pragma once

#include <string>
#include <string_view>

namespace vc::ui {

/// Named after the entries they stand for; each default is what holds when none is set.
struct RegionalSettings {
  std::string sShortDate = "MM/dd/yy";  // d, dd, M, MM, yy, yyyy; anything else as it is
  int iTLzero = 1;                      // 1: hours with a leading zero, 0: with a blank
  std::string sTime = ":";              // between hours and minutes
  int iTime = 0;                        // 0: 12-hour clock with a designator, 1: 24-hour
  std::string s1159 = "AM";             // 0:00 to 11:59
  std::string s2359 = "PM";             // 12:00 to 23:59
  friend bool operator==(const RegionalSettings&, const RegionalSettings&) = default;
};

/// The settings in force: read from the locale at the first call (or as last set).
RegionalSettings regionalSettings();

/// Replaces the settings in force (tests set them; the locale is then not read).
void setRegionalSettings(const RegionalSettings& settings);

/// The settings a locale's formats give: `dateFormat` and `timeFormat` are strftime
/// patterns (as the locale's D_FMT and T_FMT). Each entry that a pattern cannot give
/// keeps its default: a date pattern with a field other than day, month and year, a
/// time pattern without hours and minutes, a designator that is empty or not ASCII.
RegionalSettings regionalSettingsFromFormats(std::string_view dateFormat,
                                             std::string_view timeFormat, std::string_view am,
                                             std::string_view pm);

}  // namespace vc::ui
