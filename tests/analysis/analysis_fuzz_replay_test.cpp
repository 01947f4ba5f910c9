// Runs the scan-and-parser fuzz entry over fixed inputs in the normal test run.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int feed(const std::string& bytes) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(AnalysisFuzzReplayTest, SeedsAndRandomSourcesPass) {
  std::vector<std::string> inputs = {
      "",
      "  MAP\r\n    MODULE('A.CLW')\r\n",
      "  MAP\r\n    MODULE('A.CLW')\r\nx\r\nx\r\n!--- Application Global and Exported Procedure "
      "Definitions\r\nGLO:X LONG,EXTERNAL\r\nY STRING(20)\r\n",
      "MAP\r\nMODULE('..\\..\\..\\..\\..\\..\\x')\r\n",
      "MAP\r\nMODULE('/etc/passwd')\r\n",
      std::string("MAP\r\nMODULE('A\0B')\r\n", 20),
      "MAP\x1a\r\nMODULE('A')",
  };
  for (const auto& e :
       std::filesystem::directory_iterator(std::filesystem::path(VC_FIXTURES_DIR) / "app")) {
    std::ifstream in(e.path(), std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::mt19937 rng(12345);
  const std::string alphabet = "MAPODULE(').!- \t\r\n\x1a,EXTRNLPROCDUabc";
  for (int i = 0; i < 60; ++i) {
    std::string s =
        "MAP\r\nMODULE('A.CLW')\r\n\r\n\r\n!--- Application Global and Exported "
        "Procedure Definitions\r\n";
    const int n = static_cast<int>(rng() % 600);
    for (int k = 0; k < n; ++k)
      s += (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    inputs.push_back(s);
  }
  for (const auto& input : inputs) EXPECT_EQ(feed(input), 0);
}

}  // namespace
