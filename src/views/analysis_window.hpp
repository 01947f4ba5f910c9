// The analysis window: one complete analysis of the chosen application, shown as the
// list of its modules with their "Locales" and "Externals" counts.
#pragma once

#include "platform/ui/window_structure.hpp"

namespace vc::views {

/// The analysis window's structure.
const vc::ui::WindowSpec& P7_WINDOW();

// Control numbers of P7_WINDOW.
namespace p7 {
inline constexpr int LIST1 = 1;
inline constexpr int DETALLES = 2;
inline constexpr int OKBUTTON = 3;
}  // namespace p7

/// The procedure analizar: deletes the results table, opens the window and, once it
/// shows, scans the modules and parses their declarations; returns on "Salir".
void analizar();

}  // namespace vc::views
