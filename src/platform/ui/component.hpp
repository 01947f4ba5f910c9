// A component registered with a window controller (a browse, for instance): it takes
// part in event dispatch, updates, resets and key arming.
#pragma once

#include "platform/ui/event.hpp"

namespace vc::ui {

class WindowComponent {
 public:
  virtual ~WindowComponent() = default;
  /// Sees every event after the controller's own handlers; proceed to pass it on.
  virtual Answer takeEvent(const Event& event) = 0;
  /// Whether the window must be reset after the event just taken.
  virtual bool needsReset() const { return false; }
  virtual void reset(bool force) = 0;
  /// Brings the component's data up to date with the window.
  virtual void update() {}
  virtual void armKeys() {}
  virtual void release() {}
};

}  // namespace vc::ui
