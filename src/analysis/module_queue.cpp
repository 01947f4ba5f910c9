#include "analysis/module_queue.hpp"

#include <algorithm>

namespace vc::analysis {

bool ModuleQueue::get(std::size_t position) {
  if (position < 1 || position > entries_.size()) return false;
  TAB1 = entries_[position - 1];
  fetched_ = position;
  return true;
}

void ModuleQueue::put() {
  if (fetched_ >= 1 && fetched_ <= entries_.size()) entries_[fetched_ - 1] = TAB1;
}

void ModuleQueue::sortByName() {
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const ModuleEntry& a, const ModuleEntry& b) {
                     return vc::text::order(a.NOMBRE.view(), b.NOMBRE.view()) < 0;
                   });
}

}  // namespace vc::analysis
