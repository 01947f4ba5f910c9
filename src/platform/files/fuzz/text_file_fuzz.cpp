// libFuzzer entry over the text-file reader.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files/fuzz/text_file_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string why;
  if (!vc::files::fuzz::checkTextFileReader(data, size, why)) {
    std::fprintf(stderr, "text-file reader: %s\n", why.c_str());
    std::abort();
  }
  return 0;
}
