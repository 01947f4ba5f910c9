// A headless window engine driven by a script of user actions, for tests and for any run
// without a display. Each action is taken when a window waits for the user or a box or
// dialog asks for an answer; a script that does not fit what the program does fails at
// once with ScriptError instead of hanging.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/engine.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui {

struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ScriptedEngine : public Engine {
 public:
  // The script, in the order the program will ask for it.
  /// Presses a button of the waiting window (it must exist and be enabled).
  ScriptedEngine& press(const std::string& equate);
  /// Asks the waiting window to close (as the window's close box would).
  ScriptedEngine& closeRequest();
  /// Types a character in the waiting window's focused control.
  ScriptedEngine& typeKey(int key);
  /// Moves the waiting window to (x, y) in dialog units; it goes on waiting.
  ScriptedEngine& moveWindow(int x, int y);
  /// Runs `look` on the waiting window (to check its state); it goes on waiting.
  ScriptedEngine& inspect(std::function<void(Window&)> look);
  /// Answers the next open-file dialog with a path, or cancels it.
  ScriptedEngine& chooseFile(const std::string& path);
  ScriptedEngine& cancelFile();
  /// Closes the next message box with its button `button` (from 1).
  ScriptedEngine& acknowledge(int button = 1);

  bool scriptDone() const { return script_.empty(); }
  /// Everything shown, in order: "open: <title>", "close: <title>",
  /// "message: <caption>: <text>", "file dialog: <title>".
  const std::vector<std::string>& transcript() const { return transcript_; }
  const std::vector<errors::MessageRequest>& messages() const { return messages_; }
  const std::vector<OpenFileRequest>& fileDialogs() const { return dialogs_; }

  // Engine
  void openWindow(Window& window) override;
  void closeWindow(Window& window) override;
  Event waitEvent(Window& window) override;
  void refresh(Window& window, int control) override;
  void focus(Window& window, int control) override;
  Placement placement(const Window& window) const override;
  void setPlacement(Window& window, const Placement& placement) override;
  std::optional<std::string> askOpenFile(const OpenFileRequest& request) override;
  int showMessage(const errors::MessageRequest& request) override;

 private:
  struct Action {
    enum class Kind { press, close, key, move, inspect, file, cancelFile, acknowledge };
    Kind kind = Kind::press;
    std::string text;
    int a = 0;
    int b = 0;
    std::function<void(Window&)> look;
  };
  void add(Action::Kind kind, std::string text, int a = 0, int b = 0);
  Action take(const std::string& waiting);

  std::deque<Action> script_;
  std::vector<std::string> transcript_;
  std::vector<errors::MessageRequest> messages_;
  std::vector<OpenFileRequest> dialogs_;
};

}  // namespace vc::ui
