#include "platform/ini/ini_path.hpp"

#include "platform/os/file_name.hpp"

namespace vc::ini {

std::filesystem::path resolveIniPath(std::string_view fileName) {
  // The one resolver of the file layer, so that INI files are found by the same rules as
  // every other file and through the same seam.
  const files::ResolvedName resolved = files::resolveFileName(fileName);
  if (resolved.status.error == files::FileError::invalidFilename) return {};
  return std::filesystem::path(resolved.path);
}

}  // namespace vc::ini
