#include "platform/report/string_step.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vc::report {
namespace {

constexpr unsigned kCapitalsAndDigits = step_controls::digits | step_controls::upperCase;

TEST(StringStepObjectTest, TheSetIsDigitsThenCapitalsInCodeOrder) {
  StringStepObject step;
  step.init(kCapitalsAndDigits, 3);
  EXPECT_EQ(step.characterSet(), "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST(StringStepObjectTest, MeasuresTheFourPlacesAfterTheLimitsCommonBeginning) {
  struct Case {
    const char* low;
    const char* high;
    const char* value;
    int percent;
  };
  const Case cases[] = {
      // Both limits begin with GLO:, so the places after it are what counts.
      {"GLO:ALFA", "GLO:ZETA", "GLO:ALFA", 1},  // at the low limit: never 0
      {"GLO:ALFA", "GLO:ZETA", "GLO:ALFB", 1},
      {"GLO:ALFA", "GLO:ZETA", "GLO:DIA", 11},
      {"GLO:ALFA", "GLO:ZETA", "GLO:JOTA", 36},
      {"GLO:ALFA", "GLO:ZETA", "GLO:JUAN", 37},
      {"GLO:ALFA", "GLO:ZETA", "GLO:K", 37},  // places past the end count as 0
      {"GLO:ALFA", "GLO:ZETA", "GLO:K000", 37},
      {"GLO:ALFA", "GLO:ZETA", "GLO:KILO", 39},
      {"GLO:ALFA", "GLO:ZETA", "GLO:J_TA", 33},  // outside the set: as 0
      {"GLO:ALFA", "GLO:ZETA", "GLO:J0TA", 33},
      {"GLO:ALFA", "GLO:ZETA", "GLO:ZETA", 100},
      {"GLO:ALFA", "GLO:ZETA", "GLO:ZZZZ", 100},  // past the high limit: at most 100
      {"GLO:ALFA", "GLO:ZETA", "GLOBAL", 1},      // below the low limit: at least 1
      {"A", "Z", "J", 36},
      {"A", "Z", "", 1},
      // One name throughout: no room between the limits, every row completes the run.
      {"CNT", "CNT", "CNT", 100},
      {"", "", "", 100},
      // Limits in key order that the set reverses ("_" sorts after the letters, yet
      // counts as 0): no division by zero, every row measures 100.
      {"GLOA", "GLO_", "GLOB", 100},
      {"GLO9", "GLO:", "GLO9", 100},
      {"GLOA", "GLO\xe9", "GLOA", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.low) + " .. " + c.high + ": " + c.value);
    StringStepObject step;
    step.init(kCapitalsAndDigits, 3);
    step.setLimits(c.low, c.high);
    EXPECT_EQ(step.percentage(c.value), c.percent);
  }
}

TEST(StringStepObjectTest, ReleasingTwiceChangesNothingMore) {
  StringStepObject step;
  step.init(kCapitalsAndDigits, 3);
  step.setLimits("A", "Z");
  step.release();
  EXPECT_TRUE(step.characterSet().empty());
  step.release();
  EXPECT_TRUE(step.characterSet().empty());
  // Released, it measures nothing but stays safe to ask.
  EXPECT_EQ(step.percentage("M"), 100);
}

}  // namespace
}  // namespace vc::report
