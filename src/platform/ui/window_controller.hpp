// WindowController: runs one window from preparation to release and dispatches each of
// its events to the handlers in a fixed order. Procedures derive from it and override
// the operations they need; every override calls the one it overrides first.
//
// States:   built --execute--> prepared --eventLoop--> running --endWindow/close--> released
// execute() calls prepare(); eventLoop() only when prepare answered proceed; release()
// always. release() runs its work once: a second call answers eventDone and changes nothing.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/ui/component.hpp"
#include "platform/ui/event.hpp"
#include "platform/ui/window.hpp"

namespace vc::errors {
class ErrorManager;
}

namespace vc::ui {

/// RESPONSE of a window controller: no answer yet, the request completed, or cancelled.
inline constexpr std::uint8_t kNoResponse = 0;
inline constexpr std::uint8_t kRequestCompleted = 1;
inline constexpr std::uint8_t kRequestCancelled = 2;

class WindowController {
 public:
  explicit WindowController(Window& window);
  virtual ~WindowController() = default;
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  /// prepare, the event loop when prepare proceeded, release; RESPONSE, or cancelled when
  /// unset.
  int execute();

  virtual void eventLoop();
  virtual Answer prepare();
  virtual Answer release();
  /// Opens the window without an owner and sets OPENED.
  virtual void openWindow();
  /// Resets every registered component, then redisplays every control.
  virtual void resetWindow(bool force = false);
  virtual void armKeys();
  virtual Answer onAccepted();
  virtual Answer dispatchEvent();
  virtual Answer onFieldEvent();
  virtual Answer onWindowEvent();
  virtual void updateComponents();
  /// A new tab on a sheet resets the components (not forced): a browse, say, takes the
  /// tab's order.
  virtual Answer onNewSelection();
  virtual Answer onSelected() { return Answer::proceed; }
  virtual Answer onRejected() { return Answer::proceed; }

  /// Registers a component; it takes part in dispatch, updates, resets and key arming.
  void addComponent(WindowComponent& component);
  /// Pressing `control` sets RESPONSE to `response` and closes the window.
  void addAction(int control, std::uint8_t response);

  /// The event being dispatched.
  const Event& event() const { return event_; }
  Window& window() const { return window_; }

  std::int32_t FIRSTFIELD = 0;
  vc::errors::ErrorManager* ERRORS = nullptr;
  std::uint8_t FILESOPENED = 0;
  std::uint8_t OPENED = 0;
  std::uint8_t DEAD = 0;
  std::uint8_t RESPONSE = kNoResponse;

 private:
  Window& window_;
  Event event_;
  std::vector<WindowComponent*> components_;
  std::map<int, std::uint8_t> actions_;
  bool prepared_ = false;
  bool opened_once_ = false;
};

}  // namespace vc::ui
