#include "platform/ui/picture.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/ui/calendar.hpp"

namespace vc::ui {
namespace {

TEST(PictureTest, ParsesTextAndNumberPictures) {
  struct Case {
    const char* picture;
    Picture::Kind kind;
    int width;
  };
  const Case cases[] = {
      {"@s20", Picture::Kind::text, 20},
      {"@S20@", Picture::Kind::text, 20},
      {"s30", Picture::Kind::text, 30},
      {"@n3", Picture::Kind::number, 3},
      {"@N3@", Picture::Kind::number, 3},
      {"@n12", Picture::Kind::number, 12},
      {"@s99999999999", Picture::Kind::text, 4096},
      // Not ours, or malformed: shown as the value is.
      {"", Picture::Kind::none, 0},
      {"@", Picture::Kind::none, 0},
      {"@@", Picture::Kind::none, 0},
      {"@s", Picture::Kind::none, 0},
      {"@n", Picture::Kind::none, 0},
      {"@s0", Picture::Kind::none, 0},
      {"@n03", Picture::Kind::none, 0},
      {"@n-3", Picture::Kind::none, 0},
      {"@n3.2", Picture::Kind::none, 0},
      {"@d4", Picture::Kind::none, 0},
      {"@d170", Picture::Kind::none, 0},
      {"@t", Picture::Kind::none, 0},
      {"@s2x", Picture::Kind::none, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    const Picture p = parsePicture(c.picture);
    EXPECT_EQ(p.kind, c.kind);
    EXPECT_EQ(p.width, c.width);
  }
}

TEST(PictureTest, FormatsValuesThroughPictures) {
  struct Case {
    const char* name;
    const char* picture;
    CellValue value;
    std::string shown;
  };
  const long long kMin = std::numeric_limits<long long>::min();
  const long long kMax = std::numeric_limits<long long>::max();
  const Case cases[] = {
      {"text cut to its width", "@s5", std::string("Modulo largo"), "Modul"},
      {"trailing blanks are kept within the width", "@s4", std::string("AB    "), "AB  "},
      {"short text is not padded", "@s20", std::string("AB"), "AB"},
      {"high bytes are bytes", "@s3", std::string("\xe9\x80xy"), "\xe9\x80x"},
      {"number through a text picture", "@s2", 12345LL, "12"},
      {"number right-justified", "@n3", 5LL, "  5"},
      {"number filling the width", "@n3", 999LL, "999"},
      {"too wide shows number signs", "@n3", 1000LL, "###"},
      {"zero", "@n3", 0LL, "  0"},
      {"minus sign counts", "@n3", -5LL, " -5"},
      {"negative filling the width", "@n3", -99LL, "-99"},
      {"negative too wide", "@n3", -100LL, "###"},
      {"smallest number", "@n3", kMin, "###"},
      {"smallest number, wide picture", "@n25", kMin, "     -9223372036854775808"},
      {"largest number", "@n19", kMax, "9223372036854775807"},
      {"numeric text", "@n3", std::string("  42  "), " 42"},
      {"numeric text with sign", "@n4", std::string("-42"), " -42"},
      {"fraction rounds half away from zero", "@n3", std::string("2.5"), "  3"},
      {"negative fraction", "@n3", std::string("-2.5"), " -3"},
      {"fraction below one half", "@n3", std::string("2.49"), "  2"},
      {"text that is no number counts as 0", "@n3", std::string("abc"), "  0"},
      {"blank text counts as 0", "@n3", std::string("   "), "  0"},
      {"huge numeric text saturates", "@n3", std::string("99999999999999999999999"), "###"},
      {"unknown picture shows the text", "@d4", std::string("Hola"), "Hola"},
      {"unknown picture shows the number", "", -7LL, "-7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(formatPicture(parsePicture(c.picture), c.value), c.shown);
  }
}

TEST(PictureTest, ParsesDateTimeAndPatternPictures) {
  struct Case {
    const char* picture;
    Picture::Kind kind;
    const char* pattern;
  };
  const Case cases[] = {
      {"D17", Picture::Kind::date, ""},
      {"@d17", Picture::Kind::date, ""},
      {"T7", Picture::Kind::time, ""},
      {"@t7@", Picture::Kind::time, ""},
      {"pPage <<#p", Picture::Kind::pattern, "Page <<#"},
      {"@P#-##P", Picture::Kind::pattern, "#-##"},
      {"pp", Picture::Kind::pattern, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    const Picture p = parsePicture(c.picture);
    EXPECT_EQ(p.kind, c.kind);
    EXPECT_EQ(p.pattern, c.pattern);
  }
}

// The regional settings each case names; every entry not named keeps its default.
RegionalSettings withDefaults() {
  return {};
}
RegionalSettings with24Hours() {
  return {.iTime = 1};
}
RegionalSettings withoutLeadingZero() {
  return {.iTLzero = 0};
}
RegionalSettings withDayMonthYear() {
  return {.sShortDate = "d/M/yyyy"};
}
RegionalSettings withOwnEntries() {
  return {.sShortDate = "dd.MM.yyyy", .sTime = ".", .s1159 = "a.m.", .s2359 = "p.m."};
}

long long at(int hours, int minutes, int seconds = 0) {
  return ((hours * 60LL + minutes) * 60 + seconds) * 100;
}

TEST(PictureTest, FormatsDatesAndTimesAsTheRegionalSettingsSay) {
  struct Case {
    const char* name;
    const char* picture;
    CellValue value;
    RegionalSettings (*regional)();
    std::string shown;
  };
  const long long december10 = dayNumber({2026, 12, 10});
  const long long march5 = dayNumber({2026, 3, 5});
  const Case cases[] = {
      {"default date", "D17", december10, withDefaults, "12/10/26"},
      {"default time", "T7", at(14, 5), withDefaults, "02:05 PM"},
      {"24-hour clock", "T7", at(14, 5), with24Hours, "14:05"},
      {"no leading zero", "T7", at(14, 5), withoutLeadingZero, " 2:05 PM"},
      {"default date, one-digit day and month", "D17", march5, withDefaults, "03/05/26"},
      {"24-hour clock in the morning", "T7", at(9, 5), with24Hours, "09:05"},
      {"morning without leading zero", "T7", at(9, 5), withoutLeadingZero, " 9:05 AM"},
      {"short date d/M/yyyy", "D17", march5, withDayMonthYear, "5/3/2026"},
      {"midnight", "T7", at(0, 0), withDefaults, "12:00 AM"},
      {"noon", "T7", at(12, 0), withDefaults, "12:00 PM"},
      {"a minute before noon", "T7", at(11, 59, 59), withDefaults, "11:59 AM"},
      {"a minute before midnight", "T7", at(23, 59), withDefaults, "11:59 PM"},
      {"midnight on a 24-hour clock", "T7", at(0, 0), with24Hours, "00:00"},
      {"seconds are not shown", "T7", at(9, 5, 59), with24Hours, "09:05"},
      {"a time past the day wraps", "T7", at(24, 5), with24Hours, "00:05"},
      {"a time before the day wraps", "T7", -at(0, 1), with24Hours, "23:59"},
      {"own separator and designators", "T7", at(21, 30), withOwnEntries, "09.30 p.m."},
      {"own date pattern", "D17", march5, withOwnEntries, "05.03.2026"},
      {"year 2000 in two digits", "D17", dayNumber({2000, 1, 1}), withDefaults, "01/01/00"},
      {"leap day", "D17", dayNumber({2024, 2, 29}), withDayMonthYear, "29/2/2024"},
      {"a date given as text", "D17", std::to_string(march5), withDefaults, "03/05/26"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(formatPicture(parsePicture(c.picture), c.value, c.regional()), c.shown);
  }
}

TEST(PictureTest, DateAndTimeFollowTheSettingsInForce) {
  RegionalSettings s;
  s.iTime = 1;
  s.sShortDate = "yyyy-MM-dd";
  setRegionalSettings(s);
  EXPECT_EQ(formatPicture(parsePicture("T7"), at(14, 5)), "14:05");
  EXPECT_EQ(formatPicture(parsePicture("D17"), dayNumber({2026, 12, 10})), "2026-12-10");
  setRegionalSettings({});
  EXPECT_EQ(formatPicture(parsePicture("T7"), at(14, 5)), "02:05 PM");
}

TEST(PictureTest, FormatsNumbersThroughPatterns) {
  struct Case {
    const char* picture;
    long long value;
    std::string shown;
  };
  const Case cases[] = {
      {"pPage <<#p", 1, "Page   1"},
      {"pPage <<#p", 12, "Page  12"},
      {"pPage <<#p", 123, "Page 123"},
      // Past the positions every digit shows: a page number is never cut.
      {"pPage <<#p", 1000, "Page 1000"},
      {"pPage <<#p", 123456, "Page 123456"},
      {"pPage <<#p", 0, "Page   0"},
      {"pPage <<#p", -5, "Page  -5"},
      {"pPage <<#p", -123, "Page -123"},
      {"p###p", 7, "007"},
      {"p###p", -7, "-007"},
      {"p<<<p", 0, "  0"},
      {"p#-##p", 1234, "12-34"},
      {"p#-##p", 5, "0-05"},
      {"p<<#.##p", 5, "  0.05"},
      {"p(<<#)p", 42, "( 42)"},
      {"pno positionsp", 42, "no positions42"},
      {"p<<#p", std::numeric_limits<long long>::min(), "-9223372036854775808"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture + std::string(" ") + std::to_string(c.value));
    EXPECT_EQ(formatPicture(parsePicture(c.picture), c.value), c.shown);
  }
}

}  // namespace
}  // namespace vc::ui
