// Strings with a text of the program's: a plain-text label, centred in its box when the
// structure says so, whose text the program may change at any redisplay.
#include <QLabel>

#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {
namespace {

class StringKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& def) const override {
    auto* label = new QLabel(site.windowWidget());
    label->setTextFormat(Qt::PlainText);
    const bool centred = (def.flags & control_flag::centered) != 0;
    label->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    label->setText(fromCp1252(def.text));
    return label;
  }
  void redisplay(ControlSite&, QWidget& widget, const ControlState& state) const override {
    static_cast<QLabel&>(widget).setText(fromCp1252(state.text));
  }
};

}  // namespace

const ControlKindDriver& stringKind() {
  static const StringKind kind;
  return kind;
}

}  // namespace vc::ui::qt
