// A headless window engine driven by a script of user actions, for tests and for any run
// without a display. Each action is taken when a window waits for the user or a box or
// dialog asks for an answer; a script that does not fit what the program does fails at
// once with ScriptError instead of hanging.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/engine.hpp"
#include "platform/ui/scripted/script_actions.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui {

struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// A window whose timer runs gets a tick whenever it waits and the script's next action is
/// not one for a window (none left, or one for a dialog or box); AfterTicks holds the next
/// window action back for that many ticks.
class ScriptedEngine : public Engine {
 public:
  /// Adds an action at the end of the script, in the order the program will ask for it.
  ScriptedEngine& then(script::Action action);

  // Shorthands for the actions of script_actions.hpp.
  ScriptedEngine& press(const std::string& equate) { return then(script::Press{equate}); }
  ScriptedEngine& closeRequest() { return then(script::CloseRequest{}); }
  ScriptedEngine& typeKey(int key) { return then(script::TypeKey{key}); }
  ScriptedEngine& moveWindow(int x, int y) { return then(script::MoveWindow{x, y}); }
  ScriptedEngine& inspect(std::function<void(Window&)> look) {
    return then(script::Inspect{std::move(look)});
  }
  ScriptedEngine& tick() { return then(script::Tick{}); }
  ScriptedEngine& afterTicks(int n) { return then(script::AfterTicks{n}); }
  ScriptedEngine& chooseTab(const std::string& sheet, const std::string& tab) {
    return then(script::ChooseTab{sheet, tab});
  }
  ScriptedEngine& scroll(const std::string& list, ScrollRequest::Step step) {
    return then(script::Scroll{list, step});
  }
  ScriptedEngine& setThumb(const std::string& list, int position) {
    return then(script::SetThumb{list, position});
  }
  ScriptedEngine& clickRow(const std::string& list, int row,
                           MouseButton button = MouseButton::left) {
    return then(script::ClickRow{list, row, button});
  }
  ScriptedEngine& chooseFile(const std::string& path) { return then(script::ChooseFile{path}); }
  ScriptedEngine& cancelFile() { return then(script::CancelFile{}); }
  ScriptedEngine& acknowledge(int button = 1) { return then(script::Acknowledge{button}); }

  bool scriptDone() const { return script_.empty(); }
  /// Everything shown, in order: "open: <title>", "close: <title>", "hide: <title>",
  /// "show: <title>", "message: <caption>: <text>", "file dialog: <title>".
  const std::vector<std::string>& transcript() const { return transcript_; }
  const std::vector<errors::MessageRequest>& messages() const { return messages_; }
  const std::vector<OpenFileRequest>& fileDialogs() const { return dialogs_; }

  // Engine
  void registerControlKind(ControlKind kind) override { kinds_.insert(kind); }
  bool hasControlKind(ControlKind kind) const override { return kinds_.count(kind) != 0; }
  void openWindow(Window& window) override;
  void closeWindow(Window& window) override;
  void hideWindow(Window& window) override;
  void showWindow(Window& window) override;
  void setTimer(Window& window, std::optional<std::chrono::milliseconds> interval) override;
  Event waitEvent(Window& window) override;
  void refresh(Window& window, int control) override;
  /// A line is 10 vertical dialog units, and a list with column headers gives one to them.
  int listLines(const Window& window, int control) const override;
  void focus(Window& window, int control) override;
  Placement placement(const Window& window) const override;
  void setPlacement(Window& window, const Placement& placement) override;
  std::optional<std::string> askOpenFile(const OpenFileRequest& request) override;
  int showMessage(const errors::MessageRequest& request) override;

 private:
  class WindowTurn;
  script::Action take(const std::string& waiting);
  /// Whether a waiting window with a running timer ticks instead of taking an action.
  bool ticksFirst();

  static constexpr long kMaxTicksInARow = 10'000'000;
  long ticksInARow_ = 0;
  std::set<ControlKind> kinds_;
  std::deque<script::Action> script_;
  std::vector<std::string> transcript_;
  std::vector<errors::MessageRequest> messages_;
  std::vector<OpenFileRequest> dialogs_;
};

}  // namespace vc::ui
