// The purge of the results table: cut down, for good, to the names declared in two or
// more rows with data types that are not all the same, in two atomic passes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/os/file_error.hpp"

namespace vc::analysis {

/// What the table work did: both passes committed, or the pass that failed and why. A
/// failed pass left nothing of itself behind and the passes after it were not started.
struct PurgeOutcome {
  vc::files::FileStatus status;   // ok when both passes were committed
  int passesCommitted = 0;        // 0, 1 or 2
  std::uint64_t rowsDeleted = 0;  // by the committed passes
  bool ok() const { return status.ok(); }
};

struct PurgeOptions {
  /// How long each pass waits for another process's write lock before it gives up; by
  /// default resumen's lock recover time (10 s when its access object is not set up).
  std::optional<std::chrono::seconds> lockWait;
  /// Heard after every row deleted, with the pass (1 or 2) and its count so far; when a
  /// pass deletes most of a large table at once, heard once with its whole count.
  std::function<void(int pass, std::uint64_t deleted)> afterDelete;
  /// Heard after each pass is committed, with its number.
  std::function<void(int pass)> afterPass;
  /// How many rows of names shared by several rows are judged at a time: what bounds the
  /// memory the purge holds, whatever the size of the table.
  std::size_t sliceRows = std::size_t{1} << 19;
};

/// The two passes over table in name order, each one atomic change: the first deletes
/// every row whose name is in no other row, the second every group of rows of one name
/// whose types are all equal. A group is a run of rows, adjacent in name order, whose
/// names are equal by the exact rule: same characters, case counting, trailing blanks
/// ignored; types compare the same way. Works on this thread's resumen, reading through
/// its buffer; its cursor is left alone.
PurgeOutcome purgeTable(const PurgeOptions& options = {});

}  // namespace vc::analysis
