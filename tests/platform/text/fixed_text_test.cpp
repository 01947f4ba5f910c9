#include "platform/text/fixed_text.hpp"

#include <gtest/gtest.h>

namespace vc::text {
namespace {

TEST(FixedTextTest, StartsBlankAndStoresWithPadding) {
  FixedText<6> t;
  EXPECT_TRUE(t.isBlank());
  EXPECT_EQ(t.view(), "      ");
  t = "LONG";
  EXPECT_EQ(t.view(), "LONG  ");
  EXPECT_EQ(t.clipped(), "LONG");
  t = "DECIMAL(10,2)";
  EXPECT_EQ(t.view(), "DECIMA");
}

TEST(FixedTextTest, ComparesIgnoringTrailingBlanks) {
  FixedText<30> a("CNT");
  FixedText<20> b("CNT  ");
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a == "CNT");
  EXPECT_FALSE(a == "cnt");
  EXPECT_TRUE(FixedText<4>("    ") == "");
}

TEST(FixedTextTest, KeepsArbitraryBytes) {
  FixedText<4> t(std::string_view("\0\x1a\xff", 3));
  EXPECT_EQ(t[0], '\0');
  EXPECT_EQ(static_cast<unsigned char>(t[2]), 0xff);
  EXPECT_EQ(t[3], ' ');
}

}  // namespace
}  // namespace vc::text
