// browseView: this thread's view over resumen, through which the comparative browse reads
// its rows. Bound to the thread's resumen when the thread first touches it; closed at the
// thread's end when ver_resumen has used it.
#pragma once

#include "platform/files/table_view.hpp"

namespace vc::views {

/// This thread's view, bound to this thread's resumen on first touch (bindBrowseView).
vc::files::TableView& browseView();
/// Marks the view used on this thread, so that closeBrowseView closes it.
void useBrowseView();
/// Closes this thread's view if it was used.
void closeBrowseView();

}  // namespace vc::views
