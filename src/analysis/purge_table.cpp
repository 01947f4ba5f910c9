#include "analysis/purge_table.hpp"

#include <optional>
#include <vector>

#include "analysis/purge_planner.hpp"
#include "store/store.hpp"

namespace vc::analysis {
namespace {

using vc::files::FileStatus;

std::chrono::seconds lockWaitOf(const PurgeOptions& options) {
  if (options.lockWait) return *options.lockWait;
  if (vc::store::resumenAccess != nullptr && vc::store::resumenAccess->lockRecover > 0) {
    return std::chrono::seconds(vc::store::resumenAccess->lockRecover);
  }
  return std::chrono::seconds(10);
}

}  // namespace

PurgeOutcome purgeTable(const PurgeOptions& options) {
  vc::store::ResumenFile& table = vc::store::resumen();
  PurgeOutcome outcome;
  const std::chrono::seconds wait = lockWaitOf(options);
  const std::size_t sliceRows = options.sliceRows > 0 ? options.sliceRows : 1;
  PurgePlan plan;
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
      st = PurgePlanner(table, vc::store::RES, number == 1, sliceRows).run(plan);
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

}  // namespace vc::analysis
