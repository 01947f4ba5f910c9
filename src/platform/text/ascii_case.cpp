#include "platform/text/ascii_case.hpp"

namespace vc::text {

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldAsciiCase(static_cast<unsigned char>(a[i])) !=
        foldAsciiCase(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace vc::text
