// Buttons: a push button that reports its press as an accepted event.
#include <QApplication>
#include <QPushButton>
#include <QStyle>

#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui::qt {
namespace {

// The icons the structures name, drawn from the style's own symbols.
QIcon iconNamed(const std::string& file) {
  if (file == "WACANCEL.ICO")
    return QApplication::style()->standardIcon(QStyle::SP_DialogCancelButton);
  return {};
}

class ButtonKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& def) const override {
    auto* button = new QPushButton(fromCp1252(def.text), site.windowWidget());
    button->setAutoDefault(true);
    button->setDefault((def.flags & control_flag::defaultButton) != 0);
    if (!def.icon.empty()) button->setIcon(iconNamed(def.icon));
    if (!def.tip.empty()) button->setToolTip(fromCp1252(def.tip));
    const int number = def.number;
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
