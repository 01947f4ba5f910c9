// One open window of the Qt engine: its top-level widget with a widget per control, built
// from the window structure in one loop, and the queue of the user's events for it.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "platform/ui/engine.hpp"
#include "platform/ui/qt/dialog_units.hpp"
#include "platform/ui/window.hpp"

class QEventLoop;

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

class QtWindow : public EngineWindowData {
 public:
  /// Builds the hidden widgets of `window`, modal over every window opened before it;
  /// `below` (may be null) is the window it opens above.
  QtWindow(Window& window, QtWindow* below);
  ~QtWindow() override;

  static QtWindow* of(const Window& window);

  /// Shows the window the first time it is needed (a redisplay, a wait, a dialog over
  /// it), placed where setPlacement said or else centred on the screen, so that a
  /// restored position applies before the window first appears.
  void ensureShown();
  /// Updates control `control` (0: all) from its state and data, then paints the window
  /// at once, taking no user input meanwhile.
  void refresh(int control);
  void focus(int control);
  /// The next user event, running a local event loop until there is one.
  Event waitEvent();

  Placement placement() const;
  void setPlacement(const Placement& placement);

  WindowWidget* widget() const { return widget_.get(); }
  QWidget* control(int number) const;
  const DialogUnits& units() const { return units_; }

 private:
  void build();
  void refreshControl(int number);
  void deliver(const Event& event);
  void paintNow();
  QPoint centred() const;

  Window& window_;
  std::unique_ptr<WindowWidget> widget_;
  DialogUnits units_;
  std::map<int, QWidget*> controls_;  // owned by widget_
  std::deque<Event> events_;
  QEventLoop* waiting_ = nullptr;
  bool shown_ = false;
  Placement wanted_;  // until shown
  int pendingFocus_ = 0;
};

}  // namespace vc::ui::qt
