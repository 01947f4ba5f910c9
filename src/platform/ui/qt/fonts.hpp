// Fonts named by window structures, made into Qt fonts. The structures name the fonts
// of a Windows desktop; where those are missing, metric-compatible stand-ins take their
// place so that dialog units, and with them every layout, come out the same.
#pragma once

#include <QFont>

#include "platform/ui/window_structure.hpp"

namespace vc::ui::qt {

/// Registers the stand-ins for the Windows fonts that are not installed (once).
void installFontStandIns();

/// `font` as a Qt font; an empty face or a size of 0 keeps that of `base`.
QFont makeFont(const Font& font, const QFont& base);

}  // namespace vc::ui::qt
