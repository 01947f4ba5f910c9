// Profile strings: single keys of an INI file read, written and removed, one file access
// per call. The file name may be written Windows-style (see resolveIniPath).
#pragma once

#include <string>
#include <string_view>

namespace vc::ini {

/// The value of key in section of the file, without surrounding blanks; defaultValue when
/// the file, the section or the key is missing, or the file cannot be read.
std::string readProfileString(std::string_view fileName, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

/// Writes key in section with value (trailing blanks removed), creating the file, the
/// section and the key as needed and replacing an old value; every other line keeps its
/// place. A write that fails (a read-only file or folder, a folder in the file's place, a
/// name that cannot be written) is not reported and leaves the old file as it was.
void writeProfileString(std::string_view fileName, std::string_view section, std::string_view key,
                        std::string_view value);

/// Removes key from section; a missing file, section or key is left alone. A failure is
/// not reported, as for writeProfileString.
void removeProfileKey(std::string_view fileName, std::string_view section, std::string_view key);

}  // namespace vc::ini
