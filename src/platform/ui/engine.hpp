// The boundary to the desktop: the window engine builds the controls of the kinds it was
// given, opens, closes, hides and shows windows, runs their timers, delivers the user's
// events, redisplays controls and shows message boxes and file dialogs.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors/message_presenter.hpp"
#include "platform/ui/event.hpp"
#include "platform/ui/placement.hpp"
#include "platform/ui/window_structure.hpp"

namespace vc::ui {

class Window;

struct OpenFileRequest {
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
  std::string initialFile;
  std::string folder;  // the folder the dialog starts in
  unsigned flags = 0;
};

class Engine : public errors::MessagePresenter {
 public:
  /// Makes the engine able to build controls of `kind`; the program registers every kind
  /// its windows use before the first opens. A window holding a kind that was never
  /// registered cannot open.
  virtual void registerControlKind(ControlKind kind) = 0;
  virtual bool hasControlKind(ControlKind kind) const = 0;

  /// Builds the window with its controls, on top of every window open before it (it
  /// shows at its first redisplay or wait, where a restored placement already applies);
  /// those take no input until it closes.
  virtual void openWindow(Window& window) = 0;
  virtual void closeWindow(Window& window) = 0;
  /// Takes an open window off the screen and puts it back; a hidden window takes no
  /// input, but its timer goes on.
  virtual void hideWindow(Window& window) = 0;
  virtual void showWindow(Window& window) = 0;
  /// Starts the window's timer, which delivers a timer event every `interval` (a tick
  /// not yet taken is not repeated), or stops it with nothing.
  virtual void setTimer(Window& window, std::optional<std::chrono::milliseconds> interval) = 0;
  /// Blocks until the user does something in the window (the topmost one) and returns
  /// it as an event. Events posted to the window are taken before this is called.
  virtual Event waitEvent(Window& window) = 0;
  /// Draws control `control` (0: every control) again from the window's state and data.
  virtual void refresh(Window& window, int control) = 0;
  /// How many rows list `control` of the open window shows at once (at least 1): a page.
  virtual int listLines(const Window& window, int control) const = 0;
  /// Moves the keyboard focus to a control.
  virtual void focus(Window& window, int control) = 0;

  virtual Placement placement(const Window& window) const = 0;
  virtual void setPlacement(Window& window, const Placement& placement) = 0;

  /// The open-file dialog: the chosen file's full path, or nothing when cancelled or
  /// when the dialog cannot be shown.
  virtual std::optional<std::string> askOpenFile(const OpenFileRequest& request) = 0;
};

}  // namespace vc::ui
