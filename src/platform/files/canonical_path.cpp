#include "platform/files/canonical_path.hpp"

#include <filesystem>

namespace vc::files {

std::string canonicalPath(const std::string& path) {
  std::error_code ec;
  const auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  return ec ? path : p.string();
}

}  // namespace vc::files
