#include "platform/ui/regional_settings.hpp"

#include <gtest/gtest.h>

namespace vc::ui {
namespace {

TEST(RegionalSettingsTest, LocaleFormatsGiveTheEntries) {
  struct Case {
    const char* name;
    const char* dateFormat;
    const char* timeFormat;
    const char* am;
    const char* pm;
    RegionalSettings expected;
  };
  const RegionalSettings defaults;
  const Case cases[] = {
      // As the C library's own locales give them.
      {"C", "%m/%d/%y", "%H:%M:%S", "AM", "PM", {"MM/dd/yy", 1, ":", 1, "AM", "PM"}},
      {"en_US", "%m/%d/%Y", "%r", "AM", "PM", {"MM/dd/yyyy", 1, ":", 0, "AM", "PM"}},
      {"en_GB", "%d/%m/%y", "%T", "am", "pm", {"dd/MM/yy", 1, ":", 1, "am", "pm"}},
      {"de_DE", "%d.%m.%Y", "%T", "", "", {"dd.MM.yyyy", 1, ":", 1, "AM", "PM"}},
      {"fi_FI", "%d.%m.%Y", "%H.%M.%S", "", "", {"dd.MM.yyyy", 1, ".", 1, "AM", "PM"}},
      {"ISO", "%F", "%R", "", "", {"yyyy-MM-dd", 1, ":", 1, "AM", "PM"}},
      {"unpadded fields",
       "%-d/%-m/%Y",
       "%-I:%M %p",
       "a.m.",
       "p.m.",
       {"d/M/yyyy", 0, ":", 0, "a.m.", "p.m."}},
      {"blank-padded hour", "%e/%m/%y", "%l:%M %p", "AM", "PM", {"d/MM/yy", 0, ":", 0, "AM", "PM"}},
      {"24-hour blank-padded", "%D", "%k:%M", "", "", {"MM/dd/yy", 0, ":", 1, "AM", "PM"}},
      // What a short date pattern cannot say keeps the default; so does a time pattern
      // without hours and minutes, and designators that are not plain text.
      {"month name", "%d %b %Y", "%H:%M", "", "", {defaults.sShortDate, 1, ":", 1, "AM", "PM"}},
      {"letters that would read as fields",
       "%d de %m",
       "%H:%M",
       "",
       "",
       {defaults.sShortDate, 1, ":", 1, "AM", "PM"}},
      {"lone percent", "%d/%", "%H", "", "", defaults},
      {"no minutes", "%d/%m", "%H h", "", "", {"dd/MM", 1, ":", 0, "AM", "PM"}},
      {"designators not ASCII",
       "%Y-%m-%d",
       "%p %I:%M",
       "\xec\x98\xa4\xec\xa0\x84",
       "\xec\x98\xa4",
       {"yyyy-MM-dd", 1, ":", 0, "AM", "PM"}},
      {"empty", "", "", "", "", defaults},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RegionalSettings s = regionalSettingsFromFormats(c.dateFormat, c.timeFormat, c.am, c.pm);
    EXPECT_EQ(s.sShortDate, c.expected.sShortDate);
    EXPECT_EQ(s.iTLzero, c.expected.iTLzero);
    EXPECT_EQ(s.sTime, c.expected.sTime);
    EXPECT_EQ(s.iTime, c.expected.iTime);
    EXPECT_EQ(s.s1159, c.expected.s1159);
    EXPECT_EQ(s.s2359, c.expected.s2359);
  }
}

// Each test runs in a process of its own, so the settings are read afresh here.
TEST(RegionalSettingsTest, TheCLocaleSetsNothing) {
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(regionalSettings(), RegionalSettings{});
}

TEST(RegionalSettingsTest, ALocaleThatIsNotInstalledSetsNothing) {
  ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
  EXPECT_EQ(regionalSettings(), RegionalSettings{});
}

TEST(RegionalSettingsTest, SettingsAreReadOnceAndTestsMaySetThem) {
  ::setenv("LC_ALL", "C", 1);
  const RegionalSettings first = regionalSettings();
  ::setenv("LC_ALL", "en_GB.UTF-8", 1);
  EXPECT_EQ(regionalSettings(), first);
  RegionalSettings mine;
  mine.iTime = 1;
  setRegionalSettings(mine);
  EXPECT_EQ(regionalSettings(), mine);
}

}  // namespace
}  // namespace vc::ui
