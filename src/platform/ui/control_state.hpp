// The state of one control of an open window: what every control has (enabled, visible,
// text, the binding it reads its data through) and the part only its kind has.
#pragma once

#include <string>
#include <variant>

#include "platform/ui/binding.hpp"
#include "platform/ui/window_structure.hpp"

namespace vc::ui {

/// Who moves a list through its rows.
enum class ListScrolling {
  byControl,  // the binding holds every row; the control scrolls over them by itself
  byProgram,  // the binding holds one page; every scroll the user asks for is an event,
              // and the program binds the next page and places the scroll bar's thumb
};

/// A list: the row the program has selected, and how it scrolls.
struct ListState {
  int selectedRow = 0;  // from 1, 0 for none
  ListScrolling scrolling = ListScrolling::byControl;
  int thumb = 0;  // byProgram: where the vertical scroll bar's thumb stands, 0 to 100
};

/// A sheet: the tab shown.
struct SheetState {
  int choice = 1;  // the tab's place among the sheet's tabs, from 1
};

/// The part of a control's state that depends on its kind; NoKindState for kinds that
/// keep nothing beyond the common part.
struct NoKindState {};
using KindState = std::variant<NoKindState, ListState, SheetState>;

/// The kind state a control of `kind` starts with.
KindState initialKindState(ControlKind kind);

struct ControlState {
  const ControlSpec* structure = nullptr;
  bool enabled = true;
  bool visible = true;
  std::string text;
  const Binding* binding = nullptr;  // the data it shows; none for unbound controls
  KindState kind;

  // The kind's own part. They fail (std::logic_error) on a control of another kind, which
  // is the program's fault, never the user's.
  ListState& list();
  const ListState& list() const;
  SheetState& sheet();
  const SheetState& sheet() const;
};

}  // namespace vc::ui
