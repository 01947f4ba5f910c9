#include "platform/os/file_name.hpp"

#include <algorithm>

#include "platform/os/os.hpp"
#include "platform/text/ascii_case.hpp"
#include "platform/text/text_ops.hpp"

namespace vc::files {
namespace {

/// The name without trailing blanks and with backslashes turned into slashes.
std::string portableName(std::string_view name) {
  std::string path(text::clip(name));
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

ResolvedName resolveFileName(std::string_view name) {
  ResolvedName out;
  out.path = portableName(name);
  if (out.path.empty() || out.path.back() == '/' || out.path.find('\0') != std::string::npos) {
    out.status = FileStatus::of(FileError::invalidFilename);
    return out;
  }
  Os& seam = os();
  if (seam.stat(out.path) != PathKind::missing) {
    out.exists = true;
    return out;
  }
  const auto slash = out.path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : out.path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? out.path : out.path.substr(slash + 1);
  if (seam.stat(folder) != PathKind::folder) {
    out.status = FileStatus::of(FileError::pathNotFound);
    return out;
  }
  std::vector<std::string> names = seam.listFolder(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& candidate : names) {
    if (text::equalIgnoringAsciiCase(candidate, base)) {
      out.path = (slash == std::string::npos ? std::string() : folder) + candidate;
      out.exists = true;
      return out;
    }
  }
  return out;
}

}  // namespace vc::files
