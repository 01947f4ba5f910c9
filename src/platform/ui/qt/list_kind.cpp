// Lists: the list control over the list's binding, reporting the user's choice of row and,
// for a list the program scrolls, every scroll asked for.
#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/list_control.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui::qt {
namespace {

class ListKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& def) const override {
    auto* list = new ListControl(def.format, site.units(), (def.flags & control_flag::vScroll) != 0,
                                 site.windowWidget());
    list->setHorizontalScrollBarPolicy(
        (def.flags & control_flag::hScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const int number = def.number;
    list->onUserSelection = [&site, number](int row, MouseButton button) {
      site.window().control(number).list().selectedRow = row;
      site.deliver({EventKind::newSelection, number, RowChosen{row, button}});
    };
    list->onScroll = [&site, number](const ScrollRequest& request) {
      if (site.window().isEnabled(number)) site.deliver({EventKind::scroll, number, request});
    };
    return list;
  }
  void redisplay(ControlSite&, QWidget& widget, const ControlState& state) const override {
    auto& list = static_cast<ListControl&>(widget);
    list.setScrolling(state.list().scrolling, state.list().thumb);
    list.reload(state.binding, state.list().selectedRow);
  }
};

}  // namespace

const ControlKindDriver& listKind() {
  static const ListKind kind;
  return kind;
}

}  // namespace vc::ui::qt
