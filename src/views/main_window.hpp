// The main window: the user chooses the application's main source file, starts the
// analysis of it, and leaves the program.
#pragma once

#include "platform/ui/window_structure.hpp"

namespace vc::views {

/// The main window's structure.
const vc::ui::WindowSpec& P1_WINDOW();

// Control numbers of P1_WINDOW.
namespace p1 {
inline constexpr int BOTON1 = 1;
inline constexpr int ANALIZAR = 2;
inline constexpr int OKBUTTON = 3;
inline constexpr int PROMPT1 = 4;
}  // namespace p1

/// The procedure Main: runs the main window until "Salir".
void Main();

}  // namespace vc::views
