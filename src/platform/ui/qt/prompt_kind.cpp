// Prompts: a plain-text label; one the structure gives no size takes that of its text.
#include <QLabel>

#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {
namespace {

class PromptKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& def) const override {
    auto* label = new QLabel(site.windowWidget());
    label->setTextFormat(Qt::PlainText);
    label->setText(fromCp1252(def.text));
    return label;
  }
  void redisplay(ControlSite&, QWidget& widget, const ControlState& state) const override {
    auto& label = static_cast<QLabel&>(widget);
    label.setText(fromCp1252(state.text));
    const QSize hint = label.sizeHint();
    const Rect& at = state.structure->at;
    label.resize(at.width ? label.width() : hint.width(),
                 at.height ? label.height() : hint.height());
  }
};

}  // namespace

const ControlKindDriver& promptKind() {
  static const PromptKind kind;
  return kind;
}

}  // namespace vc::ui::qt
