#include "platform/ui/picture.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

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
      {"@d17", Picture::Kind::none, 0},
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
      {"unknown picture shows the text", "@d17", std::string("Hola"), "Hola"},
      {"unknown picture shows the number", "", -7LL, "-7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(formatPicture(parsePicture(c.picture), c.value), c.shown);
  }
}

}  // namespace
}  // namespace vc::ui
