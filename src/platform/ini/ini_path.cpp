#include "platform/ini/ini_path.hpp"

#include <optional>
#include <string>
#include <system_error>

#include "platform/text/text_ops.hpp"

namespace vc::ini {
namespace {

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (text::upperCase(a[i]) != text::upperCase(b[i])) return false;
  return true;
}

}  // namespace

std::filesystem::path resolveIniPath(std::string_view fileName) {
  std::string name(text::clip(fileName));
  if (name.empty()) return {};
  for (char& c : name)
    if (c == '\\') c = '/';
  const std::filesystem::path path(name);

  std::error_code ec;
  if (std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found ||
      !path.has_filename())
    return path;

  // Nothing under the exact name: look for a name that differs only in case, the way the
  // program's home system would find it.
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const std::string wanted = path.filename().string();
  std::optional<std::string> found;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string candidate = it->path().filename().string();
    if (sameIgnoringAsciiCase(candidate, wanted) && (!found || candidate < *found))
      found = candidate;
  }
  if (!found) return path;
  return path.has_parent_path() ? path.parent_path() / *found : std::filesystem::path(*found);
}

}  // namespace vc::ini
