// Events a window's controller takes from its queue, each with what the user did in a
// typed payload, and the answers its handlers give.
#pragma once

#include <variant>

namespace vc::ui {

enum class EventKind {
  openWindow,    // the window has opened (posted once by openWindow)
  gainFocus,     // the window became active again, e.g. after a nested window closed
  closeWindow,   // a close request
  closeDown,     // the application is shutting down
  accepted,      // a button was pressed (or a control's value was accepted)
  newSelection,  // a list's selected row or a sheet's tab changed (RowChosen, TabChosen)
  selected,      // a control received the focus
  rejected,      // a value was refused
  alertKey,      // a key armed by a component was typed (KeyTyped)
  scroll,        // the user asked a list to scroll (ScrollRequest)
  timer,         // the window's timer went off (TimerTick)
};

// Payloads, one per thing the user can say; an event without one carries NoPayload.

struct NoPayload {};

/// An armed key: the character typed (its Windows-1252 byte, or a key code above 255).
struct KeyTyped {
  int key = 0;
};

/// The tab now shown on a sheet: its place among the sheet's tabs (from 1) and its number.
struct TabChosen {
  int index = 0;
  int tab = 0;
};

enum class MouseButton { none, left, right };

/// The row (from 1) the user selected in a list, and the button that did it (none: a key).
struct RowChosen {
  int row = 0;
  MouseButton button = MouseButton::none;
};

/// What a list that leaves scrolling to the program was asked to do.
struct ScrollRequest {
  enum class Step { lineUp, lineDown, pageUp, pageDown, first, last, thumb };
  Step step = Step::lineDown;
  int thumb = 0;  // thumb: the position asked for, 0 (top) to 100 (bottom)
};

struct TimerTick {};

using EventPayload =
    std::variant<NoPayload, KeyTyped, TabChosen, RowChosen, ScrollRequest, TimerTick>;

/// One event. `control` is the number of the control it concerns, 0 for the window.
struct Event {
  EventKind kind = EventKind::openWindow;
  int control = 0;
  EventPayload payload;

  /// The payload as T, or nullptr when the event carries another.
  template <typename T>
  const T* as() const {
    return std::get_if<T>(&payload);
  }
};

/// The answer of prepare, release and every event handler.
enum class Answer {
  proceed,    // go on: next handler, then the platform's default processing
  endWindow,  // end the window's event loop
  eventDone,  // the event is dealt with: no further handler, no default processing
};

}  // namespace vc::ui
