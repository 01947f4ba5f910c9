// An opening's hold on its table file for as long as it is open, so that a removal in this
// process or another refuses to delete the file under it, whatever journal the opening
// keeps and whether or not it is inside a change.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/os/file_error.hpp"

namespace vc::files {

/// The hold of one opening. The process keeps one descriptor per file for all its
/// openings' holds and closes it only when the last of them ends: closing a descriptor
/// of the file while the database engine of this process has it locked would drop the
/// engine's locks.
class TableGuard {
 public:
  /// How long an opening waits while a removal has the file; a removal has it only
  /// while it deletes it.
  static constexpr std::chrono::milliseconds kRemovalWait{2000};

  TableGuard() = default;
  ~TableGuard() { release(); }
  TableGuard(const TableGuard&) = delete;
  TableGuard& operator=(const TableGuard&) = delete;

  /// Holds the file that path names. Once held, the name is checked to still name that
  /// very file: when a removal deleted it in between, the hold starts over on whatever
  /// the name names now. 2 when it names no file (any more), 5 when a removal kept the
  /// file past the wait; any other failure to open the file as the system answers it.
  FileStatus hold(const std::string& path);
  /// Ends the hold (also done when the object goes); a guard that holds nothing ignores it.
  void release();
  bool held() const { return file_.has_value(); }
  /// Whether this is the only opening of the file anywhere: no other in this process, and
  /// none in another process, neither an opening's hold nor a database engine's lock.
  bool alone() const;
  /// Whether an opening of this process holds the file that path names.
  static bool heldHere(const std::string& path);

 private:
  std::optional<std::pair<std::uint64_t, std::uint64_t>> file_;  // device, inode
};

}  // namespace vc::files
