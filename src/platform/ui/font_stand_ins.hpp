// The fonts that window and report structures name from a Windows desktop, and the
// metric-compatible fonts that stand in for them where they are not installed. This is
// the one place the map is named; scripts/setup installs the stand-ins.
#pragma once

#include <string_view>

namespace vc::ui {

struct FontStandIn {
  std::string_view face;     // as a structure names it
  std::string_view standIn;  // what draws it here
};

inline constexpr FontStandIn kFontStandIns[] = {
    {"Times New Roman", "Liberation Serif"},
    {"Arial", "Liberation Sans"},
    // The system's dialog and report fonts: the Arial-width sans serif of the desktop
    // the structures were drawn on, and its older bitmap name.
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
    {"Lucida Console", "Liberation Mono"},
};

}  // namespace vc::ui
