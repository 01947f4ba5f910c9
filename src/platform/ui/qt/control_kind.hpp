// How the Qt engine builds and redisplays the controls of one kind. Each kind has its own
// file that defines its ControlKindDriver; the engine takes the drivers of the kinds the
// program registers, and a window builds each control through its kind's driver.
#pragma once

#include <QWidget>

#include "platform/ui/control_state.hpp"
#include "platform/ui/event.hpp"
#include "platform/ui/qt/dialog_units.hpp"
#include "platform/ui/window_structure.hpp"

namespace vc::ui {
class Window;
}

namespace vc::ui::qt {

/// What a control's widget may use of the window it lives in.
class ControlSite {
 public:
  virtual ~ControlSite() = default;
  /// The window's top-level widget: the parent of every control's widget.
  virtual QWidget* windowWidget() const = 0;
  virtual const DialogUnits& units() const = 0;
  virtual Window& window() const = 0;
  /// The widget built for another control (a tab's sheet, say), or nullptr.
  virtual QWidget* controlWidget(int number) const = 0;
  /// Queues an event from the user for the window's controller.
  virtual void deliver(const Event& event) = 0;
};

class ControlKindDriver {
 public:
  virtual ~ControlKindDriver() = default;
  /// Builds the widget of control `def`, owned by the window's widget; nullptr for a
  /// control that has no widget of its own. The window places it afterwards.
  virtual QWidget* create(ControlSite& site, const ControlSpec& def) const = 0;
  /// Shows the control's state and data in its widget (the common part, enabled and
  /// visible, is the window's). A control without a widget (a tab) is shown by the
  /// control it belongs to.
  virtual void redisplay(ControlSite& site, QWidget& widget, const ControlState& state) const = 0;
};

/// The driver of `kind` (every kind has one: kinds not drawn yet have one that builds
/// nothing).
const ControlKindDriver& driverOf(ControlKind kind);

// The drivers, one per file.
const ControlKindDriver& buttonKind();
const ControlKindDriver& promptKind();
const ControlKindDriver& progressKind();
const ControlKindDriver& stringKind();
const ControlKindDriver& listKind();
const ControlKindDriver& sheetKind();
const ControlKindDriver& undrawnKind();

}  // namespace vc::ui::qt
