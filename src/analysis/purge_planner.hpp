// The purge's grouping: from one reading of the results table, the rows each of its two
// passes deletes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/text_numbers.hpp"
#include "platform/os/file_error.hpp"
#include "store/declarations.hpp"
#include "store/records.hpp"

namespace vc::analysis {

/// The rows each pass deletes.
struct PurgePlan {
  std::vector<std::int64_t> doomed[2];
};

/// Works out from one reading of the table which rows the passes delete, without keeping
/// the rows: the name key alone gives the rows of each name as the key folds it; a name
/// that only one row folds to is one row's (every group the exact rule makes lies inside
/// such a run). For runs of two or more rows the exact names and the types are read, in
/// the table's own order, as numbers; the groups are then formed and judged on those.
/// Runs are taken in slices of a bounded number of rows, so that a table of any size is
/// never held.
///
/// Both passes at once: pass 1 takes every group of one row; pass 2 the groups, among the
/// rows pass 1 leaves, whose types are all equal (groups that pass 1 made adjacent join).
/// Pass 2 alone, on a table as it is: every group whose types are all equal.
class PurgePlanner {
 public:
  PurgePlanner(vc::store::ResumenFile& table, const vc::store::ResumenRecord& row, bool bothPasses,
               std::size_t sliceRows)
      : table_(table), row_(row), bothPasses_(bothPasses), sliceRows_(sliceRows) {}

  /// Fills plan from the table as it reads now, through row, the table's buffer; the
  /// table's cursor is left alone. Fails with the table's status when a read fails, or
  /// with recordNotAvailable when a row the key gave is not read back.
  vc::files::FileStatus run(PurgePlan& plan);

 private:
  void endRun();
  vc::files::FileStatus judgeSlice();
  vc::files::FileStatus readNumbers();
  void judgeRun(std::uint32_t begin, std::uint32_t end);
  void closeGroup();

  vc::store::ResumenFile& table_;
  const vc::store::ResumenRecord& row_;
  const bool bothPasses_;
  const std::size_t sliceRows_;
  PurgePlan* plan_ = nullptr;
  std::string runName_;
  std::vector<std::int64_t> runIds_;  // the run being read from the key
  // The slice: runs of two or more rows, in key order.
  std::vector<std::int64_t> ids_;
  std::vector<std::uint32_t> runEnds_;
  std::vector<std::uint32_t> nameNumbers_;
  std::vector<std::uint32_t> typeNumbers_;
  TextNumbers texts_;
  std::vector<std::uint32_t> group_;  // places in the slice
};

}  // namespace vc::analysis
