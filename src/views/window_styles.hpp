// The look the program's dialog windows share: "Times New Roman" 10, a title bar and a
// thin border, no system menu, a fixed size, grey background.
#pragma once

#include <string>

#include "platform/ui/window_structure.hpp"

namespace vc::views {

inline vc::ui::WindowSpec fixedDialog(std::string name, std::string title, int width, int height) {
  vc::ui::WindowSpec w;
  w.name = std::move(name);
  w.title = std::move(title);
  w.at.width = width;
  w.at.height = height;
  w.font = {"Times New Roman", 10, 400};
  w.flags = vc::ui::window_flag::thinBorder | vc::ui::window_flag::grey;
  return w;
}

}  // namespace vc::views
