// How a file name written Windows-style becomes a path here: trailing blanks dropped,
// backslashes as folder separators, and names matched without regard to the case of
// ASCII letters. The Clarion sources varcompass reads are written for Windows, whose
// file system matches names that way, so their names and paths are written for it.
#pragma once

#include <string>
#include <string_view>

#include "platform/os/file_error.hpp"

namespace vc::files {

struct ResolvedName {
  /// invalidFilename when there is no usable name (or one too long for the system, which
  /// can only be a cut one), pathNotFound when its folder is missing, fileSystemError
  /// when the folder cannot be listed.
  FileStatus status;
  std::string path;  // the path to open or create
  bool exists = false;
};

/// Resolves a name: the name without its trailing blanks (only byte 32), relative to the
/// current folder unless it begins with a separator. When nothing stands under the exact
/// name, a file in the same folder whose name differs only in the case of ASCII letters
/// is taken instead (the first in byte order when there are several); when there is none
/// the answer is the exact name with exists false, ready to be created. A folder that can
/// be entered but not listed gives no answer at all rather than a name to create, which
/// might stand beside one in another case. The cost is one listing of a folder for any
/// number of lookups in it while it does not change.
ResolvedName resolveFileName(std::string_view name);

/// The same for a file that must be there already: the status is fileNotFound when
/// nothing stands under the name.
ResolvedName resolveExistingFile(std::string_view name);

}  // namespace vc::files
