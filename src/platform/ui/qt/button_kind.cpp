// Buttons: a push button that reports its press as an accepted event.
#include <QPushButton>

#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui::qt {
namespace {

class ButtonKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& spec) const override {
    auto* button = new QPushButton(fromCp1252(spec.text), site.windowWidget());
    button->setAutoDefault(true);
    button->setDefault((spec.flags & control_flag::defaultButton) != 0);
    const int number = spec.number;
    QObject::connect(button, &QPushButton::clicked, button, [&site, number] {
      if (site.window().isEnabled(number)) site.deliver({EventKind::accepted, number});
    });
    return button;
  }
  void redisplay(ControlSite&, QWidget& widget, const ControlState& state) const override {
    static_cast<QPushButton&>(widget).setText(fromCp1252(state.text));
  }
};

}  // namespace

const ControlKindDriver& buttonKind() {
  static const ButtonKind kind;
  return kind;
}

}  // namespace vc::ui::qt
