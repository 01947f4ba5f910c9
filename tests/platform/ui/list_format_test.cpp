#include "platform/ui/list_format.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vc::ui {
namespace {

// A column written out in one line, so a table row shows every property at a glance.
std::string describe(const ListColumn& c) {
  auto a = [](ColumnAlign x) {
    switch (x) {
      case ColumnAlign::left:
        return "L";
      case ColumnAlign::right:
        return "R";
      case ColumnAlign::center:
        return "C";
      case ColumnAlign::decimal:
        return "D";
    }
    return "?";
  };
  std::string s = std::to_string(c.width) + a(c.align) + "(" + std::to_string(c.indent) + ")";
  if (c.rightBorder) s += "|";
  if (c.resizable) s += "M";
  if (c.colored) s += "*";
  s += "~" + c.header + "~" + a(c.headerAlign) + "(" + std::to_string(c.headerIndent) + ")";
  s += c.picture + " f" + std::to_string(c.field);
  return s;
}

std::vector<std::string> describeAll(const std::string& format) {
  std::vector<std::string> out;
  for (const ListColumn& c : parseListFormat(format)) out.push_back(describe(c));
  return out;
}

TEST(ListFormatTest, ReadsTheFormatsOfTheProgramsLists) {
  EXPECT_EQ(describeAll("99L(2)|M~Modulo~@s20@36C(2)|M~Locales~@n3@28C(2)|M~Externals~@n3@"),
            (std::vector<std::string>{
                "99L(2)|M~Modulo~L(2)@s20 f0",
                "36C(2)|M~Locales~C(2)@n3 f1",
                "28C(2)|M~Externals~C(2)@n3 f2",
            }));
  // The colour flag gives the Nombre column four colour fields after its own.
  EXPECT_EQ(describeAll("80L(2)|M~Modulo~L(0)@s20@80L(2)|M*~Nombre~L(0)@s20@"
                        "120L(2)|M~Tipo Dato~L(0)@s30@120L(2)|M~Modo~L(0)@s30@"),
            (std::vector<std::string>{
                "80L(2)|M~Modulo~L(0)@s20 f0",
                "80L(2)|M*~Nombre~L(0)@s20 f1",
                "120L(2)|M~Tipo Dato~L(0)@s30 f6",
                "120L(2)|M~Modo~L(0)@s30 f7",
            }));
}

TEST(ListFormatTest, ReadsEachPartOfAColumn) {
  struct Case {
    const char* format;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"40R(3)~N~@n5@", {"40R(3)~N~R(3)@n5 f0"}},
      {"40D(1)~N~C(4)@n5@", {"40D(1)~N~C(4)@n5 f0"}},
      {"40C~N~R@n5@", {"40C(0)~N~R(0)@n5 f0"}},
      {"20L10R", {"20L(0)~~L(0) f0", "10R(0)~~R(0) f1"}},
      {"20L(2)@s5@L(1)@s3@", {"20L(2)~~L(2)@s5 f0", "0L(1)~~L(1)@s3 f1"}},
      {"30L(-2)~A~", {"30L(-2)~A~L(-2) f0"}},
      {"25L(2)~Caf\xe9~", {"25L(2)~Caf\xe9~L(2) f0"}},
      // Modifiers we do not know are skipped, arguments and field numbers with them.
      {"50L(2)F_Y|S(200)M#3#~X~@s5@", {"50L(2)|M~X~L(2)@s5 f0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(describeAll(c.format), c.columns);
  }
}

TEST(ListFormatTest, MalformedFormatsGiveWhatCanBeRead) {
  struct Case {
    std::string format;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"", {}},
      {"|||", {"0L(0)|~~L(0) f0"}},
      {"99L(2", {"99L(0)~~L(0) f0"}},
      {"99L(x)~A~", {"99L(0)~A~L(0) f0"}},
      {"99L(2)~Unterminated", {"99L(2)~Unterminated~L(2) f0"}},
      {"99L(2)~A~@s20", {"99L(2)~A~L(2)@s20 f0"}},
      {"99999999999L", {"9999L(0)~~L(0) f0"}},
      {"10L(99999999999)", {"10L(9999)~~L(9999) f0"}},
      {"~~~~@@@@", {"0L(0)~~L(0)@ f0"}},
      {"10LRCD~A~LR", {"10L(0)~A~L(0) f0"}},
      {std::string("10L\0~A~", 7), {"10L(0)~A~L(0) f0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(describeAll(c.format), c.columns);
  }
}

TEST(ListFormatTest, SurvivesAnyBytes) {
  // Every short string over the format's own alphabet: none may crash or misbehave under
  // the sanitizers, and each column takes a field after the previous one's.
  const std::string alphabet = "9L(|M*~@#)";
  std::string s;
  for (int n = 0; n < 100000; ++n) {
    s.clear();
    for (int v = n; v > 0; v /= static_cast<int>(alphabet.size() + 1)) {
      const int d = v % static_cast<int>(alphabet.size() + 1);
      if (d > 0) s += alphabet[static_cast<std::size_t>(d - 1)];
    }
    const auto columns = parseListFormat(s);
    for (std::size_t i = 1; i < columns.size(); ++i)
      ASSERT_GT(columns[i].field, columns[i - 1].field) << s;
  }
}

}  // namespace
}  // namespace vc::ui
