// One spelling for every name of a file, for work that must reach the file again by a
// name of its own (a helper thread's connection).
#pragma once

#include <string>

namespace vc::files {

/// The path with "..", "." and symbolic links resolved as far as they exist, so that two
/// spellings of one file give one; the path itself when it cannot be made absolute.
std::string canonicalPath(const std::string& path);

}  // namespace vc::files
