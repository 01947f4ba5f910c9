// Names compared without regard to the case of the ASCII letters. The Clarion sources
// varcompass reads are written for Windows, which matches file names, INI sections and
// keys, driver options and table keys that way, so the sources rely on it.
#pragma once

#include <string_view>

namespace vc::text {

/// The letters a to z as A to Z; every other byte, those above 127 included, keeps its code.
constexpr unsigned char foldAsciiCase(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

/// Equal length and equal bytes once a to z are folded to capitals.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace vc::text
