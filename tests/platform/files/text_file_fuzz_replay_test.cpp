#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/files/fuzz/text_file_check.hpp"

namespace vc::files::fuzz {
namespace {

/// Inputs made mostly of the bytes the reader treats specially, so that line ends, TABs,
/// Ctrl-Z and over-long lines meet in every combination.
std::vector<std::string> seeds() {
  std::vector<std::string> out = {
      "",
      "\r",
      "\n",
      "\r\n",
      "\x1A",
      "\t",
      std::string(1, '\0'),
      "a\r\n\x1A",
      std::string(25, '\t') + "x\r\n",
      std::string(200, 'a') + "\r\n",
      std::string(201, 'a') + "\r",
      std::string(600, '\r'),
      std::string(52000, 'b') + "\r\n\x1A",
  };
  std::mt19937 random(20240101);
  const char special[] = {'\r', '\n', '\t', '\x1A', 'a', ' ', '\0', '\xFF'};
  for (int i = 0; i < 300; ++i) {
    std::string s(random() % (i < 250 ? 700 : 60000), ' ');
    for (char& c : s) c = special[random() % sizeof special];
    out.push_back(s);
  }
  return out;
}

TEST(TextFileFuzzReplayTest, EveryInputKeepsTheReadersProperties) {
  for (const std::string& input : seeds()) {
    std::string why;
    EXPECT_TRUE(
        checkTextFileReader(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), why))
        << why << " (input of " << input.size() << " bytes)";
  }
}

}  // namespace
}  // namespace vc::files::fuzz
