#include "analysis/purge_planner.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

namespace vc::analysis {
namespace {

using vc::files::FileError;
using vc::files::FileStatus;

bool hasSmallLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

FileStatus PurgePlanner::run(PurgePlan& plan) {
  plan_ = &plan;
  constexpr std::size_t kNameLength = decltype(vc::store::ResumenRecord::NOMBRE)::kLength;
  FileStatus failed;
  FileStatus st =
      table_.scanKey(vc::store::ResumenFile::indnom, 1, [&](std::int64_t id, std::string_view key) {
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

/// A run of rows whose names fold alike ends: one row is a group of its own, judged at
/// once; a longer run goes into the slice.
void PurgePlanner::endRun() {
  if (runIds_.size() == 1) {
    plan_->doomed[bothPasses_ ? 0 : 1].push_back(runIds_.front());
  } else if (!runIds_.empty()) {
    ids_.insert(ids_.end(), runIds_.begin(), runIds_.end());
    runEnds_.push_back(static_cast<std::uint32_t>(ids_.size()));
  }
  runIds_.clear();
}

FileStatus PurgePlanner::judgeSlice() {
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
FileStatus PurgePlanner::readNumbers() {
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
void PurgePlanner::judgeRun(std::uint32_t begin, std::uint32_t end) {
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

void PurgePlanner::closeGroup() {
  if (group_.empty()) return;
  const std::uint32_t type = typeNumbers_[group_.front()];
  const bool oneType = std::all_of(group_.begin(), group_.end(),
                                   [&](std::uint32_t i) { return typeNumbers_[i] == type; });
  if (oneType) {
    for (const std::uint32_t i : group_) plan_->doomed[1].push_back(ids_[i]);
  }
  group_.clear();
}

}  // namespace vc::analysis
