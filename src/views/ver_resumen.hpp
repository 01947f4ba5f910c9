// The comparative browse: every row of the results table, by module or by name as the
// sheet's tab chooses, the names declared EXTERNAL on yellow; "Reporte" prints the
// differences, "Depurar " purges the table to them.
#pragma once

#include "platform/ui/window_structure.hpp"

namespace vc::views {

/// The comparative browse's structure.
const vc::ui::WindowSpec& P17_WINDOW();

// Control numbers of P17_WINDOW.
namespace p17 {
inline constexpr int LIST = 1;
inline constexpr int OKBUTTON = 2;
inline constexpr int REPORTE = 3;
inline constexpr int SHEET1 = 4;
inline constexpr int TAB1 = 5;
inline constexpr int TAB2 = 6;
inline constexpr int DEPURAR = 7;
}  // namespace p17

/// The procedure ver_resumen: browses resumen until "Salir".
void ver_resumen();

}  // namespace vc::views
