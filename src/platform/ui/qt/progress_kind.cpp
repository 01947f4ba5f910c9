// Progress bars: a bar from 0 to 100 showing the bound variable's value, without a text
// of its own (a window shows the percentage beside it when it wants one).
#include <QProgressBar>
#include <algorithm>
#include <variant>

#include "platform/ui/qt/control_kind.hpp"

namespace vc::ui::qt {
namespace {

class ProgressKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec&) const override {
    auto* bar = new QProgressBar(site.windowWidget());
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
  }
  void redisplay(ControlSite&, QWidget& widget, const ControlState& state) const override {
    long long value = 0;
    if (state.binding != nullptr && state.binding->rowCount() > 0) {
      const CellValue cell = state.binding->cell(0, 0);
      if (const auto* n = std::get_if<long long>(&cell)) value = *n;
    }
    static_cast<QProgressBar&>(widget).setValue(static_cast<int>(std::clamp(value, 0LL, 100LL)));
  }
};

}  // namespace

const ControlKindDriver& progressKind() {
  static const ProgressKind kind;
  return kind;
}

}  // namespace vc::ui::qt
