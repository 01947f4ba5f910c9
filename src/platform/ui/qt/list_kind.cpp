// Lists: the list control over the list's binding, reporting the user's choice of row.
#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/list_control.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui::qt {
namespace {

class ListKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& spec) const override {
    auto* list = new ListControl(spec.format, site.units(), site.windowWidget());
    list->setHorizontalScrollBarPolicy(
        (spec.flags & control_flag::hScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy((spec.flags & control_flag::vScroll) ? Qt::ScrollBarAsNeeded
                                                                          : Qt::ScrollBarAlwaysOff);
    const int number = spec.number;
    list->onUserSelection = [&site, number](int row, MouseButton button) {
      site.window().control(number).list().selectedRow = row;
      site.deliver({EventKind::newSelection, number, RowChosen{row, button}});
    };
    return list;
  }
  void redisplay(ControlSite&, QWidget& widget, const ControlState& state) const override {
    static_cast<ListControl&>(widget).reload(state.binding, state.list().selectedRow);
  }
};

}  // namespace

const ControlKindDriver& listKind() {
  static const ListKind kind;
  return kind;
}

}  // namespace vc::ui::qt
