// Source text for the analysis tests, written as the Clarion sources it reads are: each
// line ended by CR LF.
#pragma once

#include <string>
#include <vector>

namespace vc::testing {

/// The lines joined, each followed by CR LF.
inline std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

}  // namespace vc::testing
