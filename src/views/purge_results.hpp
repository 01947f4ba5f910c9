// The purge of the comparative browse: the results table cut down, for good, to the names
// declared in two or more rows with data types that are not all the same.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/os/file_error.hpp"
#include "platform/ui/window.hpp"
#include "store/declarations.hpp"

namespace vc::views {

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

/// What purgeResults needs of the browse window: its window, and the browse's refill of
/// the list from the record that stood on its first line.
struct PurgeTarget {
  vc::ui::Window& window;
  std::function<void()> refill;
  int reporteButton;
  int depurarButton;
};

/// The "Depurar " button: purges resumen, then refills the browse and redisplays the
/// window; on an emptied table says so and disables "Reporte"; disables "Depurar " in any
/// case. A failed pass is shown by the error manager once the window shows the table as
/// it is.
void purgeResults(const PurgeTarget& target, const PurgeOptions& options = {});

}  // namespace vc::views
