// A window instance: built from its structure, it holds every control's state (enabled,
// text, bound data, its kind's own part), its queue of posted events and its engine's
// handle.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings/window_placement.hpp"
#include "platform/ui/binding.hpp"
#include "platform/ui/control_state.hpp"
#include "platform/ui/engine.hpp"
#include "platform/ui/window_structure.hpp"

namespace vc::ui {

/// Whatever an engine keeps for an open window (its widgets).
class EngineWindowData {
 public:
  virtual ~EngineWindowData() = default;
};

class Window : public settings::WindowPlacement {
 public:
  Window(const WindowSpec& structure, Engine& engine);
  ~Window() override;  // closes the window if it is still open
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const WindowSpec& structure() const { return structure_; }
  Engine& engine() const { return engine_; }

  // Opening and closing. open() fails (std::logic_error) when the engine was not given
  // one of the window's control kinds. close() makes the window below it active again
  // with a gainFocus event.
  void open();
  void close();
  bool isOpen() const { return open_; }
  /// Takes the open window off the screen, and back.
  void hide();
  void show();
  /// Starts the window's timer (a timer event every `interval`), or stops it.
  void setTimer(std::optional<std::chrono::milliseconds> interval);
  /// The topmost open window of this thread, or nullptr.
  static Window* top();

  // Controls, addressed by number or equate.
  ControlState& control(int number);
  const ControlState& control(int number) const;
  int number(const std::string& equate) const;  // 0 when absent
  void enable(int number);
  void disable(int number);
  bool isEnabled(int number) const;
  /// Binds a control to the data it shows (nullptr: none); a list's binding holds its rows.
  void bind(int number, const Binding* binding);
  /// Arms the keys `first` to `last` (typed characters, Windows-1252 bytes) on control
  /// `number`, or on every control of the window with 0: the engine delivers them as
  /// alertKey events instead of handing them to the control.
  void armKeys(int number, int first, int last);
  bool isArmed(int number, int key) const;
  /// How many rows list `number` shows at once (a page); 1 while the window is closed.
  int listLines(int number) const;
  /// Gives the focus to a control (the engine follows when the window is open).
  void select(int number);
  int selected() const { return selected_; }
  /// Redisplays control `number`, or every control with 0, from its state and data.
  void display(int number = 0);

  // Events.
  void post(const Event& event);
  /// The next event: a posted one, else the next from the user through the engine.
  Event nextEvent();

  // Placement, in dialog units, through the engine.
  bool maximized() const override;
  bool minimized() const override;
  bool resizable() const override;
  std::optional<int> x() const override;
  std::optional<int> y() const override;
  std::optional<int> width() const override;
  std::optional<int> height() const override;
  void setMaximized(bool on) override;
  void setMinimized(bool on) override;
  void setX(std::optional<int> x) override;
  void setY(std::optional<int> y) override;
  void setWidth(int width) override;
  void setHeight(int height) override;

  /// The engine's own data for this window, owned here so it dies with the window.
  std::unique_ptr<EngineWindowData> engineData;

 private:
  void change(const std::function<void(Placement&)>& edit);

  const WindowSpec& structure_;
  Engine& engine_;
  std::map<int, ControlState> controls_;
  std::deque<Event> posted_;
  struct ArmedKeys {
    int control;
    int first;
    int last;
  };
  std::vector<ArmedKeys> armed_;
  int selected_ = 0;
  bool open_ = false;
};

}  // namespace vc::ui
