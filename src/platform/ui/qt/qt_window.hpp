// One open window of the Qt engine: its top-level widget with a widget per control, each
// built by its kind's driver in one loop over the structure, and the queue of the user's
// events for it.
#pragma once

#include <QDialog>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/ui/engine.hpp"
#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/dialog_units.hpp"
#include "platform/ui/window.hpp"

class QEventLoop;
class QTimer;

namespace vc::ui::qt {

/// The top-level widget. It never closes itself: a close request from the window system
/// is handed to `onCloseRequest`, and Escape does nothing, so that only the window's
/// controller ends it.
class WindowWidget : public QDialog {
 public:
  using QDialog::QDialog;
  std::function<void()> onCloseRequest;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override {}
};

/// Brings a top-level widget to the front and gives it the keyboard.
void raiseAndActivate(QWidget* widget);

/// The drivers the engine was given, by kind.
using ControlKinds = std::map<ControlKind, const ControlKindDriver*>;

class QtWindow : public EngineWindowData, private ControlSite {
 public:
  /// Builds the hidden widgets of `window` through the drivers of `kinds` (which must
  /// hold every kind of the window), modal over every window opened before it; `below`
  /// (may be null) is the window it opens above.
  QtWindow(Window& window, QtWindow* below, const ControlKinds& kinds);
  ~QtWindow() override;

  static QtWindow* of(const Window& window);

  /// Shows the window the first time it is needed (a redisplay, a wait, a dialog over
  /// it), placed where setPlacement said (kept on the screen) or else centred on the
  /// screen, so that a restored position applies before the window first appears. A
  /// hidden window stays hidden.
  void ensureShown();
  void hide();
  void show();
  void setTimer(std::optional<std::chrono::milliseconds> interval);
  /// Updates control `control` (0: all) from its state and data, then paints the window
  /// at once, taking no user input meanwhile.
  void refresh(int control);
  void focus(int control);
  /// How many rows list `number` shows at once (1 for a control that is no list).
  int listLines(int number) const;
  /// The next user event, running a local event loop until there is one.
  Event waitEvent();

  Placement placement() const;
  void setPlacement(const Placement& placement);

  WindowWidget* widget() const { return widget_.get(); }
  QWidget* control(int number) const;

 private:
  // ControlSite
  QWidget* windowWidget() const override { return widget_.get(); }
  const DialogUnits& units() const override { return units_; }
  Window& window() const override { return window_; }
  QWidget* controlWidget(int number) const override { return control(number); }
  void deliver(const Event& event) override;

  struct Control {
    QWidget* widget;  // owned by widget_
    const ControlKindDriver* driver;
  };
  class KeyFilter;

  void build(const ControlKinds& kinds);
  void place(QWidget& widget, const ControlSpec& def);
  void refreshControl(int number);
  void paintNow();
  QPoint centred() const;
  void keepOnScreen();

  Window& window_;
  std::unique_ptr<WindowWidget> widget_;
  DialogUnits units_;
  std::map<int, Control> controls_;
  std::unique_ptr<KeyFilter> keys_;
  QTimer* timer_ = nullptr;  // owned by widget_
  std::deque<Event> events_;
  QEventLoop* waiting_ = nullptr;
  bool shown_ = false;
  bool hidden_ = false;
  Placement wanted_;  // until shown
  int pendingFocus_ = 0;
};

}  // namespace vc::ui::qt
