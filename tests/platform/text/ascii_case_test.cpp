#include "platform/text/ascii_case.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vc::text {
namespace {

TEST(AsciiCaseTest, FoldsOnlyTheLettersAToZ) {
  struct Case {
    const char* name;
    std::string a;
    std::string b;
    bool equal;
  };
  const Case cases[] = {
      {"small and capital letters", "Ventas.clw", "VENTAS.CLW", true},
      {"digits and punctuation stay", "a_1.b", "A_1.B", true},
      {"different letters", "ventas", "ventaz", false},
      {"different lengths", "ab", "abc", false},
      {"a trailing blank counts", "ab ", "ab", false},
      {"accented letters are not folded", "\xe9t\xe9", "\xc9T\xc9", false},
      {"bytes above 127 equal to themselves", "\xe9", "\xe9", true},
      {"the bytes next to the letter ranges", "@[`{", "@[`{", true},
      {"a capital's neighbour is no letter", "`", "@", false},
      {"empty texts", "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(equalIgnoringAsciiCase(c.a, c.b), c.equal);
    EXPECT_EQ(equalIgnoringAsciiCase(c.b, c.a), c.equal);
  }
}

}  // namespace
}  // namespace vc::text
