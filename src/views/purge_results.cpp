#include "views/purge_results.hpp"

#include <string_view>
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

/// Texts are equal when their characters are, case counting and trailing blanks not.
bool equalText(std::string_view a, std::string_view b) {
  return vc::text::clip(a) == vc::text::clip(b);
}

/// One pass: the walk reads every row once in name order and notes the groups that go;
/// their rows are deleted together at the end of the walk (the numbers of the rows are
/// held, never the rows), so that the table can choose how best to delete them.
class Pass {
 public:
  Pass(vc::store::ResumenFile& table, vc::store::ResumenRecord& row, int number,
       const PurgeOptions& options)
      : table_(table), row_(row), number_(number), options_(options) {}

  FileStatus run() {
    table_.clearToLowest();
    table_.set(vc::store::ResumenFile::indnom);
    while (!table_.eof()) {
      if (const FileError e = table_.next(); e != FileError::none) return FileStatus::of(e);
      const auto id = table_.currentRowId();
      if (!id) return FileStatus::of(FileError::recordNotAvailable);
      if (!group_.empty() && equalText(row_.NOMBRE.view(), name_.view())) {
        group_.push_back(*id);
        if (!equalText(row_.TIPO.view(), type_.view())) typesDiffer_ = true;
        continue;
      }
      if (FileStatus st = closeGroup(); !st.ok()) return st;
      name_ = row_.NOMBRE.view();
      type_ = row_.TIPO.view();
      typesDiffer_ = false;
      group_.assign(1, *id);
    }
    // The end of the table, or a read that failed there.
    if (const FileError e = table_.errorCode(); e != FileError::none) return FileStatus::of(e);
    if (FileStatus st = closeGroup(); !st.ok()) return st;
    return deleteDoomed();
  }

  std::uint64_t deleted() const { return deleted_; }

 private:
  FileStatus closeGroup() {
    const bool goes = number_ == 1 ? group_.size() == 1 : !group_.empty() && !typesDiffer_;
    if (goes) doomed_.insert(doomed_.end(), group_.begin(), group_.end());
    group_.clear();
    return {};
  }

  FileStatus deleteDoomed() {
    const std::uint64_t before = deleted_;
    const auto counted = [&](std::uint64_t n) {
      deleted_ = before + n;
      if (options_.afterDelete) options_.afterDelete(number_, deleted_);
    };
    FileStatus st = table_.deleteRows(doomed_, counted);
    doomed_.clear();
    return st;
  }

  vc::store::ResumenFile& table_;
  vc::store::ResumenRecord& row_;
  const int number_;
  const PurgeOptions& options_;
  vc::text::FixedText<30> name_;
  vc::text::FixedText<30> type_;
  bool typesDiffer_ = false;
  std::vector<std::int64_t> group_;  // every row of the group read so far
  std::vector<std::int64_t> doomed_;
  std::uint64_t deleted_ = 0;
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
  for (int number = 1; number <= 2; ++number) {
    if (FileStatus st = table.beginAtomic(wait); !st.ok()) {
      outcome.status = st;
      return outcome;
    }
    Pass pass(table, vc::store::RES, number, options);
    FileStatus st = pass.run();
    if (st.ok()) st = table.commitAtomic();
    if (!st.ok()) {
      table.rollbackAtomic();
      outcome.status = st;
      return outcome;
    }
    ++outcome.passesCommitted;
    outcome.rowsDeleted += pass.deleted();
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
