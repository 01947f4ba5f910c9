#include "views/purge_results.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "globals/globals.hpp"
#include "platform/errors/error_manager.hpp"
#include "platform/text/text_ops.hpp"
#include "platform/ui/engine.hpp"
#include "store/store.hpp"

namespace vc::views {
namespace {

using vc::files::FileError;
using vc::files::FileStatus;

/// Gives equal texts equal numbers (from 1), so that rows can be compared by number
/// without keeping their texts. Texts are equal when their characters are, case counting
/// and trailing blanks not: the numbers are given to the texts clipped.
class TextNumbers {
 public:
  std::uint32_t numberOf(std::string_view text) {
    const std::string_view clipped = vc::text::clip(text);
    if (const auto found = numbers_.find(clipped); found != numbers_.end()) return found->second;
    const auto number = static_cast<std::uint32_t>(numbers_.size() + 1);
    numbers_.emplace(std::string(clipped), number);
    return number;
  }
  void clear() { numbers_.clear(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> numbers_;
};

bool hasSmallLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

/// The rows each pass deletes.
struct Plan {
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
class Planner {
 public:
  Planner(vc::store::ResumenFile& table, const vc::store::ResumenRecord& row, bool bothPasses,
          std::size_t sliceRows)
      : table_(table), row_(row), bothPasses_(bothPasses), sliceRows_(sliceRows) {}

  FileStatus run(Plan& plan) {
    plan_ = &plan;
    constexpr std::size_t kNameLength = decltype(vc::store::ResumenRecord::NOMBRE)::kLength;
    FileStatus failed;
    FileStatus st = table_.scanKey(vc::store::ResumenFile::indnom, 1,
                                   [&](std::int64_t id, std::string_view key) {
                                     const std::string_view folded = key.substr(0, kNameLength);
                                     if (runIds_.empty() || folded != runName_) {
                                       endRun();
                                       if (ids_.size() >= sliceRows_) {
                                         if (failed = judgeSlice(); !failed.ok()) return false;
                                       }
                                       runName_ = folded;
                                     }
                                     runIds_.push_back(id);
                                     return true;
                                   });
    if (!st.ok()) return st;
    if (!failed.ok()) return failed;
    endRun();
    return judgeSlice();
  }

 private:
  /// A run of rows whose names fold alike ends: one row is a group of its own, judged at
  /// once; a longer run goes into the slice.
  void endRun() {
    if (runIds_.size() == 1) {
      plan_->doomed[bothPasses_ ? 0 : 1].push_back(runIds_.front());
    } else if (!runIds_.empty()) {
      ids_.insert(ids_.end(), runIds_.begin(), runIds_.end());
      runEnds_.push_back(static_cast<std::uint32_t>(ids_.size()));
    }
    runIds_.clear();
  }

  FileStatus judgeSlice() {
    if (ids_.empty()) return {};
    if (FileStatus st = readNumbers(); !st.ok()) return st;
    std::uint32_t begin = 0;
    for (const std::uint32_t end : runEnds_) {
      judgeRun(begin, end);
      begin = end;
    }
    ids_.clear();
    runEnds_.clear();
    nameNumbers_.clear();
    typeNumbers_.clear();
    texts_.clear();
    return {};
  }

  /// The exact name and the type of every row of the slice, as numbers: a name without
  /// small letters is the one its run folds to, 0; any other gets its text's number.
  FileStatus readNumbers() {
    const std::size_t n = ids_.size();
    // The slice's rows in the order of addition, each with its place in the slice.
    std::vector<std::pair<std::int64_t, std::uint32_t>> byId(n);
    for (std::size_t i = 0; i < n; ++i) byId[i] = {ids_[i], static_cast<std::uint32_t>(i)};
    std::sort(byId.begin(), byId.end());
    std::vector<std::int64_t> ascending(n);
    for (std::size_t i = 0; i < n; ++i) ascending[i] = byId[i].first;
    nameNumbers_.assign(n, 0);
    typeNumbers_.assign(n, 0);
    std::size_t next = 0;
    std::size_t read = 0;
    constexpr std::size_t kFields[] = {vc::store::ResumenFile::nombreField,
                                       vc::store::ResumenFile::tipoField};
    FileStatus st = table_.readRows(ascending, kFields, [&](std::int64_t id) {
      while (next < n && ascending[next] < id) ++next;
      if (next == n || ascending[next] != id) return true;
      const std::uint32_t at = byId[next++].second;
      const std::string_view name = row_.NOMBRE.view();
      nameNumbers_[at] = hasSmallLetter(name) ? texts_.numberOf(name) : 0;
      typeNumbers_[at] = texts_.numberOf(row_.TIPO.view());
      ++read;
      return true;
    });
    if (!st.ok()) return st;
    // Inside one atomic change no row read from the key can be gone.
    if (read != n) return FileStatus::of(FileError::recordNotAvailable);
    return {};
  }

  /// The groups of one run, in key order: rows side by side with equal names.
  void judgeRun(std::uint32_t begin, std::uint32_t end) {
    group_.clear();
    std::uint32_t at = begin;
    while (at < end) {
      std::uint32_t stop = at + 1;
      while (stop < end && nameNumbers_[stop] == nameNumbers_[at]) ++stop;
      if (bothPasses_ && stop - at == 1) {
        plan_->doomed[0].push_back(ids_[at]);  // pass 1
      } else {
        if (!group_.empty() && nameNumbers_[group_.front()] != nameNumbers_[at]) closeGroup();
        for (std::uint32_t i = at; i < stop; ++i) group_.push_back(i);
      }
      at = stop;
    }
    closeGroup();
  }

  void closeGroup() {
    if (group_.empty()) return;
    const std::uint32_t type = typeNumbers_[group_.front()];
    const bool oneType = std::all_of(group_.begin(), group_.end(),
                                     [&](std::uint32_t i) { return typeNumbers_[i] == type; });
    if (oneType) {
      for (const std::uint32_t i : group_) plan_->doomed[1].push_back(ids_[i]);
    }
    group_.clear();
  }

  vc::store::ResumenFile& table_;
  const vc::store::ResumenRecord& row_;
  const bool bothPasses_;
  const std::size_t sliceRows_;
  Plan* plan_ = nullptr;
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

std::chrono::seconds lockWaitOf(const PurgeOptions& options) {
  if (options.lockWait) return *options.lockWait;
  if (vc::store::resumenAccess != nullptr && vc::store::resumenAccess->lockRecover > 0) {
    return std::chrono::seconds(vc::store::resumenAccess->lockRecover);
  }
  return std::chrono::seconds(10);
}

void reportFailure(const vc::store::ResumenFile& table, const FileStatus& status) {
  if (vc::globals::errorManager == nullptr) return;
  vc::errors::FileErrorInfo info;
  info.fileName =
      vc::store::resumenAccess != nullptr ? vc::store::resumenAccess->reportedName() : table.name();
  info.errorCode = static_cast<int>(status.error);
  info.errorText = std::string(vc::files::errorText(status.error));
  info.fileErrorCode = status.driverCode;
  info.fileErrorText = status.driverText;
  (void)vc::globals::errorManager->throwFileError(vc::errors::ErrorId::purgeError, info);
}

}  // namespace

PurgeOutcome purgeTable(const PurgeOptions& options) {
  vc::store::ResumenFile& table = vc::store::resumen();
  PurgeOutcome outcome;
  const std::chrono::seconds wait = lockWaitOf(options);
  const std::size_t sliceRows = options.sliceRows > 0 ? options.sliceRows : 1;
  Plan plan;
  std::optional<std::uint64_t> planned;  // the file's change count the plan was made on
  for (int number = 1; number <= 2; ++number) {
    if (FileStatus st = table.beginAtomic(wait); !st.ok()) {
      outcome.status = st;
      return outcome;
    }
    FileStatus st;
    // Pass 1 works out both passes; pass 2 holds to that unless another opening changed
    // the file between the passes, when it works out its own from the table as it is.
    const std::optional<std::uint64_t> now = table.changeCount();
    if (number == 1 || !planned || now != planned) {
      plan = {};
      st = Planner(table, vc::store::RES, number == 1, sliceRows).run(plan);
      planned = now;
    }
    const std::vector<std::int64_t>& doomed = plan.doomed[number - 1];
    if (st.ok()) {
      st = table.deleteRows(doomed, [&](std::uint64_t deleted) {
        if (options.afterDelete) options.afterDelete(number, deleted);
      });
    }
    // Pass 1's change is copied into the file while pass 2 works out its own.
    if (st.ok()) st = table.commitAtomic(/*settleMeanwhile=*/number == 1);
    if (!st.ok()) {
      table.rollbackAtomic();
      outcome.status = st;
      return outcome;
    }
    ++outcome.passesCommitted;
    outcome.rowsDeleted += doomed.size();
    if (options.afterPass) options.afterPass(number);
  }
  return outcome;
}

void purgeResults(const PurgeTarget& target, const PurgeOptions& options) {
  vc::store::ResumenFile& table = vc::store::resumen();
  const PurgeOutcome outcome = purgeTable(options);
  if (target.refill) target.refill();
  target.window.display();
  if (table.records() == 0) {
    vc::globals::windowEngine->showMessage(
        {"",
         "No se ha encontrado Global Data con difrerencias en esta Varcompass",
         vc::errors::MessageIcon::none,
         {"OK"},
         1});
    target.window.disable(target.reporteButton);
  }
  target.window.disable(target.depurarButton);
  if (!outcome.ok()) reportFailure(table, outcome.status);
}

}  // namespace vc::views
