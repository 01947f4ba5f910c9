// The comparative browse's "Depurar " button: the purge of the results table, then the
// window brought up to date with what is left.
#pragma once

#include <functional>

#include "analysis/purge_table.hpp"
#include "platform/ui/window.hpp"

namespace vc::views {

/// What purgeResults needs of the browse window: its window, and the browse's refill of
/// the list from the record that stood on its first line.
struct PurgeTarget {
  vc::ui::Window& window;
  std::function<void()> refill;
  int reporteButton;
  int depurarButton;
};

/// The "Depurar " button: purges resumen (vc::analysis::purgeTable), then refills the
/// browse and redisplays the window; on an emptied table says so and disables "Reporte";
/// disables "Depurar " in any case. A failed pass is shown by the error manager once the
/// window shows the table as it is.
void purgeResults(const PurgeTarget& target, const vc::analysis::PurgeOptions& options = {});

}  // namespace vc::views
