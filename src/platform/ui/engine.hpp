// The boundary to the desktop: the window engine opens and closes windows, delivers the
// user's events, redisplays controls and shows message boxes and file dialogs.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors/message_presenter.hpp"
#include "platform/ui/event.hpp"

namespace vc::ui {

class Window;

/// A window's placement in dialog units; kNoValue where the engine is to choose.
struct Placement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;
  bool minimized = false;
};

struct OpenFileRequest {
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
  std::string initialFile;
  std::string folder;  // the folder the dialog starts in
  unsigned flags = 0;
};

class Engine : public errors::MessagePresenter {
 public:
  /// Builds the window with its controls, on top of every window open before it (it
  /// shows at its first redisplay or wait, where a restored placement already applies);
  /// those take no input until it closes.
  virtual void openWindow(Window& window) = 0;
  virtual void closeWindow(Window& window) = 0;
  /// Blocks until the user does something in the window (the topmost one) and returns
  /// it as an event. Events posted to the window are taken before this is called.
  virtual Event waitEvent(Window& window) = 0;
  /// Draws control `control` (0: every control) again from the window's state and data.
  virtual void refresh(Window& window, int control) = 0;
  /// Moves the keyboard focus to a control.
  virtual void focus(Window& window, int control) = 0;

  virtual Placement placement(const Window& window) const = 0;
  virtual void setPlacement(Window& window, const Placement& placement) = 0;

  /// The open-file dialog: the chosen file's full path, or nothing when cancelled or
  /// when the dialog cannot be shown.
  virtual std::optional<std::string> askOpenFile(const OpenFileRequest& request) = 0;
};

}  // namespace vc::ui
