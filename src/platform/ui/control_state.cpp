#include "platform/ui/control_state.hpp"

#include <stdexcept>

namespace vc::ui {
namespace {

template <typename T, typename State>
auto& part(State& state, const char* what) {
  auto* p = std::get_if<T>(&state.kind);
  if (!p) throw std::logic_error(state.structure->equate + " is not " + what);
  return *p;
}

}  // namespace

KindState initialKindState(ControlKind kind) {
  switch (kind) {
    case ControlKind::list:
      return ListState{};
    case ControlKind::sheet:
      return SheetState{};
    default:
      return NoKindState{};
  }
}

ListState& ControlState::list() {
  return part<ListState>(*this, "a list");
}
const ListState& ControlState::list() const {
  return part<ListState>(*this, "a list");
}
SheetState& ControlState::sheet() {
  return part<SheetState>(*this, "a sheet");
}
const SheetState& ControlState::sheet() const {
  return part<SheetState>(*this, "a sheet");
}

}  // namespace vc::ui
