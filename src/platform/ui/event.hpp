// Events a window's controller takes from its queue, and the answers its handlers give.
#pragma once

namespace vc::ui {

enum class EventKind {
  openWindow,    // the window has opened (posted once by openWindow)
  gainFocus,     // the window became active again, e.g. after a nested window closed
  closeWindow,   // a close request
  closeDown,     // the application is shutting down
  accepted,      // a button was pressed (or a control's value was accepted)
  newSelection,  // a list's selection or a sheet's tab changed
  selected,      // a control received the focus
  rejected,      // a value was refused
  alertKey,      // a key armed by a component was typed (its character in Event::key)
};

/// One event. `control` is the number of the control it concerns, 0 for the window.
struct Event {
  EventKind kind = EventKind::openWindow;
  int control = 0;
  int key = 0;
};

/// The answer of prepare, release and every event handler.
enum class Answer {
  proceed,    // go on: next handler, then the platform's default processing
  endWindow,  // end the window's event loop
  eventDone,  // the event is dealt with: no further handler, no default processing
};

}  // namespace vc::ui
