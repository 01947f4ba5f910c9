// What the analysis window's list shows of the module queue: one row per module, its
// name and its two counts, read afresh at every redisplay.
#pragma once

#include "analysis/module_queue.hpp"
#include "platform/ui/binding.hpp"

namespace vc::views {

/// Adapts a module queue to the list's data source; the queue must outlive it.
class ModuleList : public vc::ui::Binding {
 public:
  explicit ModuleList(const vc::analysis::ModuleQueue& queue) : queue_(queue) {}

  std::size_t rowCount() const override { return queue_.records(); }
  /// Fields in the list's column order: NOMBRE, EXPORT, EXTERNALS.
  vc::ui::CellValue cell(std::size_t row, std::size_t field) const override;

 private:
  const vc::analysis::ModuleQueue& queue_;
};

}  // namespace vc::views
