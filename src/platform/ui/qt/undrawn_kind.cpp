// Kinds this engine does not draw yet: a window may hold them, and they show nothing.
#include "platform/ui/qt/control_kind.hpp"

namespace vc::ui::qt {
namespace {

class UndrawnKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite&, const ControlSpec&) const override { return nullptr; }
  void redisplay(ControlSite&, QWidget&, const ControlState&) const override {}
};

}  // namespace

const ControlKindDriver& undrawnKind() {
  static const UndrawnKind kind;
  return kind;
}

}  // namespace vc::ui::qt
