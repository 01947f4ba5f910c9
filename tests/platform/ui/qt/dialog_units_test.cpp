#include "platform/ui/qt/dialog_units.hpp"

#include <gtest/gtest.h>

#include <QFont>
#include <climits>

#include "qt_test_support.hpp"

namespace vc::ui::qt {
namespace {

TEST(DialogUnitsTest, ConvertsFromTheCharacterCell) {
  // A cell of 7 x 16 pixels: 4 horizontal units are 7 pixels, 8 vertical ones 16.
  const DialogUnits u(7, 16);
  struct Case {
    int units;
    int x;
    int y;
  };
  const Case cases[] = {
      {0, 0, 0}, {4, 7, 8},    {8, 14, 16},     {1, 2, 2},
      {2, 4, 4}, {-4, -7, -8}, {181, 317, 362},  // 316.75 and 362
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.units);
    EXPECT_EQ(u.toPixelsX(c.units), c.x);
    EXPECT_EQ(u.toPixelsY(c.units), c.y);
  }
  EXPECT_EQ(u.fromPixelsX(7), 4);
  EXPECT_EQ(u.fromPixelsY(16), 8);
}

TEST(DialogUnitsTest, UnitsSurviveTheTripThroughPixels) {
  // Placements are saved in units read back from pixels: a saved place must come back
  // unchanged, or a window would creep across the screen run after run.
  for (const DialogUnits& u : {DialogUnits(5, 13), DialogUnits(7, 16), DialogUnits(11, 25)})
    for (int v = -500; v <= 3000; ++v) {
      ASSERT_EQ(u.fromPixelsX(u.toPixelsX(v)), v) << u.charWidth();
      ASSERT_EQ(u.fromPixelsY(u.toPixelsY(v)), v) << u.charHeight();
    }
}

TEST(DialogUnitsTest, AnExactPixelComesBackFromItsUnits) {
  // A window first placed at an exact pixel is saved in units that name that very pixel,
  // so it opens the next time exactly where it was; the exact pixel is the nearest one.
  for (int cell = 1; cell <= 30; ++cell) {
    const DialogUnits u(cell, cell);
    for (int p = -700; p <= 2500; ++p) {
      const int x = u.exactX(p), y = u.exactY(p);
      ASSERT_EQ(u.toPixelsX(u.fromPixelsX(x)), x) << cell << " " << p;
      ASSERT_EQ(u.toPixelsY(u.fromPixelsY(y)), y) << cell << " " << p;
      ASSERT_LE(std::abs(x - p), (cell + 7) / 8) << cell << " " << p;
      ASSERT_LE(std::abs(y - p), (cell + 15) / 16) << cell << " " << p;
    }
  }
  // Within limits (a window kept on the screen): a unit further in when the nearest
  // exact pixel lies outside, the pixel itself when no exact one lies inside.
  const DialogUnits u(7, 16);  // 1.75 pixels a horizontal unit
  const struct {
    const char* name;
    int pixels, low, high, expected;
  } cases[] = {
      {"inside", 402, 0, 1000, 403},
      {"nearest below the low end", 402, 404, 1000, 404},
      {"nearest above the high end", 402, 0, 402, 401},
      {"no exact pixel inside", 402, 402, 402, 402},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(u.exactXWithin(c.pixels, c.low, c.high), c.expected);
  }
}

TEST(DialogUnitsTest, WildValuesStayWithinWidgetLimits) {
  // A damaged settings file may hold any number; no conversion may overflow.
  const DialogUnits u(7, 16);
  for (int v : {INT_MAX, INT_MIN, INT_MIN + 1}) {
    EXPECT_LE(std::abs(static_cast<long long>(u.toPixelsX(v))), 1 << 24);
    EXPECT_LE(std::abs(static_cast<long long>(u.toPixelsY(v))), 1 << 24);
  }
  const DialogUnits degenerate(0, -3);  // a font without a cell counts as 1 x 1
  EXPECT_EQ(degenerate.toPixelsX(4), 1);
  EXPECT_EQ(degenerate.toPixelsY(8), 1);
}

TEST(DialogUnitsTest, FollowTheFont) {
  vc::ui::testing::startApplication();
  QFont small(QStringLiteral("Times New Roman"));
  small.setPointSize(10);
  QFont large(small);
  large.setPointSize(20);
  const DialogUnits a = DialogUnits::of(small);
  const DialogUnits b = DialogUnits::of(large);
  EXPECT_GT(a.charWidth(), 2);
  EXPECT_GT(a.charHeight(), 8);
  EXPECT_GT(b.charWidth(), a.charWidth());
  EXPECT_GT(b.charHeight(), a.charHeight());
}

}  // namespace
}  // namespace vc::ui::qt
