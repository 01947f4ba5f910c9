// A window's placement as an engine keeps it, in dialog units, and where a window stands
// when it first opens.
#pragma once

#include <optional>

#include "platform/ui/window_structure.hpp"

namespace vc::ui {

/// Position and size are empty where the engine is to choose them.
struct Placement {
  std::optional<int> x;
  std::optional<int> y;
  std::optional<int> width;
  std::optional<int> height;
  bool maximized = false;
  bool minimized = false;
};

/// The placement of a window nothing has moved yet: as its structure declares it, neither
/// maximised nor minimised, with what the structure leaves open left to the engine.
Placement initialPlacement(const WindowSpec& structure);

}  // namespace vc::ui
