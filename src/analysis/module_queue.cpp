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

vc::ui::CellValue ModuleQueue::cell(std::size_t row, std::size_t field) const {
  const ModuleEntry& e = entries_.at(row);
  switch (field) {
    case 0:
      return e.NOMBRE.str();
    case 1:
      return static_cast<long long>(e.EXPORT);
    case 2:
      return static_cast<long long>(e.EXTERNALS);
    default:
      return std::string();
  }
}

}  // namespace vc::analysis
