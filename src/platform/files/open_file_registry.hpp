// The keyed files that declarations of this process have open, counted by canonical path,
// so that REMOVE never deletes a file from under an opening of its own process.
#pragma once

#include <string>

namespace vc::files {

/// The path with "..", "." and symbolic links resolved as far as they exist, so that two
/// spellings of one file count as one; the path itself when it cannot be made absolute.
std::string canonicalPath(const std::string& path);

/// Process-wide, guarded by its own lock; every call may come from any thread.
class OpenFileRegistry {
 public:
  static void opened(const std::string& canonical);
  static void closed(const std::string& canonical);
  static bool isOpen(const std::string& canonical);
};

}  // namespace vc::files
