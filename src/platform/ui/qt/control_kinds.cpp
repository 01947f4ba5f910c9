#include "platform/ui/qt/control_kind.hpp"

namespace vc::ui::qt {

const ControlKindDriver& driverOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::button:
      return buttonKind();
    case ControlKind::prompt:
      return promptKind();
    case ControlKind::list:
      return listKind();
    case ControlKind::sheet:
      return sheetKind();
    case ControlKind::tab:  // drawn by its sheet
      return undrawnKind();
    case ControlKind::stringText:
      return stringKind();
    case ControlKind::progress:
      return progressKind();
    case ControlKind::stringPicture:
    case ControlKind::image:
    case ControlKind::line:
    case ControlKind::text:
      return undrawnKind();
  }
  return undrawnKind();
}

}  // namespace vc::ui::qt
