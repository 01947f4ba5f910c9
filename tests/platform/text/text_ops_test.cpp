#include "platform/text/text_ops.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vc::text {
namespace {

struct FindCase {
  const char* name;
  std::string pattern;
  std::string text;
  std::size_t expected;
};

TEST(TextOpsTest, FindFollowsTheFixedTextRules) {
  const FindCase cases[] = {
      {"at start", "MAP", "MAP  ", 1},
      {"anywhere", "MAP", "  ! MAPA", 5},
      {"first of several", "AB", "xABAB", 2},
      {"case matters", "MAP", "  map", 0},
      {"trailing blanks searched", "X  ", "aX   ", 2},
      {"blank found among padding", " ", "ABC   ", 4},
      {"pattern longer than text", "MODULE(", "MODU", 0},
      {"absent", "!", "abc", 0},
      {"empty pattern never occurs", "", "abc", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(find(c.pattern, c.text), c.expected);
  }
}

struct SubCase {
  const char* name;
  long start;
  long length;
  std::string expected;
};

TEST(TextOpsTest, SubstringFollowsTheFixedTextRules) {
  const std::string text = "ABCDEF";
  const SubCase cases[] = {
      {"middle", 2, 3, "BCD"},
      {"start 0 counts as 1", 0, 2, "AB"},
      {"negative start counts as 1", -4, 2, "AB"},
      {"start past the end", 7, 2, ""},
      {"start at last", 6, 5, "F"},
      {"length 0", 3, 0, ""},
      {"negative length takes the rest", 3, -1, "CDEF"},
      {"over-long length takes the rest", 3, 100, "CDEF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(substring(text, c.start, c.length), c.expected);
  }
}

TEST(TextOpsTest, LeftJustifyKeepsTheLength) {
  EXPECT_EQ(leftJustify("  AB C"), "AB C  ");
  EXPECT_EQ(leftJustify("AB"), "AB");
  EXPECT_EQ(leftJustify("    "), "    ");
  EXPECT_EQ(leftJustify(""), "");
}

TEST(TextOpsTest, ClipRemovesOnlyTrailingBlanks) {
  EXPECT_EQ(clip("  AB  "), "  AB");
  EXPECT_EQ(clip("   "), "");
  EXPECT_EQ(clip("A\t"), "A\t");
}

TEST(TextOpsTest, UpperCaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(upperCase("glo:nombre_1z"), "GLO:NOMBRE_1Z");
  EXPECT_EQ(upperCase("\xe1\xf1{`"), "\xe1\xf1{`");  // accented letters, { and ` stay
}

struct CompareCase {
  const char* name;
  std::string a;
  std::string b;
  int expected;  // sign of order(a, b)
};

TEST(TextOpsTest, EqualAndOrderIgnoreTrailingBlanksAndRespectCase) {
  const CompareCase cases[] = {
      {"trailing blanks ignored", "LONG", "LONG   ", 0},
      {"both empty", "", "   ", 0},
      {"case matters", "long", "LONG", 1},
      {"capitals before small", "VENTAS", "compras", -1},
      {"shorter extended with blanks", "AB", "AB1", -1},
      {"bytes are unsigned", "\xe9", "z", 1},
      {"control below blank", "A\t", "A", -1},
      {"leading blank counts", " A", "A", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int got = order(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.expected);
    EXPECT_EQ(equal(c.a, c.b), c.expected == 0);
    EXPECT_EQ(-order(c.b, c.a) > 0, c.expected > 0);
  }
}

}  // namespace
}  // namespace vc::text
