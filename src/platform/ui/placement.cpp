#include "platform/ui/placement.hpp"

namespace vc::ui {

Placement initialPlacement(const WindowSpec& structure) {
  const Rect& at = structure.at;
  return {at.x, at.y, at.width, at.height, /*maximized=*/false, /*minimized=*/false};
}

}  // namespace vc::ui
