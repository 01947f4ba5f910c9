// A top-level window's title exactly as the program gives it, an empty one included:
// the toolkit would put the application's name in place of an empty title.
#pragma once

#include <QString>

class QWidget;

namespace vc::ui::qt {

/// Sets the title of the top-level widget `window`. An empty title stays empty in the
/// window system too (the native window is made at once to carry it).
void setWindowTitleExactly(QWidget& window, const QString& title);

}  // namespace vc::ui::qt
