// How an INI file name written Windows-style becomes a path on this system: a backslash
// separates folders, and a file whose name differs only in ASCII case is the same file.
#pragma once

#include <filesystem>
#include <string_view>

namespace vc::ini {

/// The path that `fileName` names, relative names taken from the current folder as it is
/// now. Trailing blanks are dropped and every backslash becomes a folder separator, so
/// ".\name" is "name" in the current folder. When nothing exists at that path but the
/// folder holds a file whose name differs only in the case of ASCII letters, that file is
/// the one named (the first in name order when there are several). An empty or blank name
/// gives an empty path, which names no file.
std::filesystem::path resolveIniPath(std::string_view fileName);

}  // namespace vc::ini
