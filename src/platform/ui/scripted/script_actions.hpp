// The user's actions a scripted engine plays, one small struct each. A new kind of action
// is one struct here and one case in the engine's handling of a waiting window (or of the
// dialog that takes it).
#pragma once

#include <functional>
#include <string>
#include <variant>

#include "platform/ui/event.hpp"

namespace vc::ui {
class Window;
}

namespace vc::ui::script {

// Taken by a window waiting for the user.

/// Presses a button (it must exist and be enabled).
struct Press {
  std::string equate;
};
/// Asks the window to close, as its close box would.
struct CloseRequest {};
/// Types a character in the focused control; only an armed key reaches the program.
struct TypeKey {
  int key = 0;
};
/// Moves the window to (x, y) in dialog units; it goes on waiting.
struct MoveWindow {
  int x = 0;
  int y = 0;
};
/// Runs `look` on the window (to check its state); it goes on waiting.
struct Inspect {
  std::function<void(Window&)> look;
};
/// Lets the window's timer go off once (it must be running).
struct Tick {};
/// Holds the next window action back while the window's timer goes off `ticks` times
/// (a window whose timer runs otherwise takes the action at its first wait).
struct AfterTicks {
  int ticks = 0;
};
/// Clicks tab `tab` of sheet `sheet` (both by equate), the one shown included.
struct ChooseTab {
  std::string sheet;
  std::string tab;
};
/// Asks a list that leaves scrolling to the program to move: by a line or a page, to the
/// first or last row (keys, wheel or scroll bar alike).
struct Scroll {
  std::string list;
  ScrollRequest::Step step = ScrollRequest::Step::lineDown;
};
/// Drags the thumb of such a list's scroll bar to `position` (0 top to 100 bottom).
struct SetThumb {
  std::string list;
  int position = 0;
};
/// Clicks row `row` (from 1) of a list with `button` (a right click selects on release).
struct ClickRow {
  std::string list;
  int row = 1;
  MouseButton button = MouseButton::left;
};

// Taken by a dialog or message box.

/// Answers the open-file dialog with a path.
struct ChooseFile {
  std::string path;
};
/// Cancels the open-file dialog.
struct CancelFile {};
/// Closes the message box with its button `button` (from 1).
struct Acknowledge {
  int button = 1;
};

using Action =
    std::variant<Press, CloseRequest, TypeKey, MoveWindow, Inspect, Tick, AfterTicks, ChooseTab,
                 Scroll, SetThumb, ClickRow, ChooseFile, CancelFile, Acknowledge>;

}  // namespace vc::ui::script
