// A top-level widget's placement as the settings store keeps it: position and size in
// dialog units of the widget's font, maximised and minimised state.
#pragma once

#include <QWidget>

#include "platform/settings/window_placement.hpp"
#include "platform/ui/qt/dialog_units.hpp"

namespace vc::report::qt {

class WidgetPlacement : public settings::WindowPlacement {
 public:
  WidgetPlacement(QWidget& widget, bool resizable);

  bool maximized() const override;
  bool minimized() const override;
  bool resizable() const override { return resizable_; }
  std::optional<int> x() const override;
  std::optional<int> y() const override;
  std::optional<int> width() const override;
  std::optional<int> height() const override;
  void setMaximized(bool on) override;
  void setMinimized(bool on) override;
  /// An empty position leaves the widget where it is (it starts centred).
  void setX(std::optional<int> x) override;
  void setY(std::optional<int> y) override;
  void setWidth(int width) override;
  void setHeight(int height) override;

  /// Puts the widget, at its present size, in the middle of the screen's free area; the
  /// place, and the size of a resizable widget, are ones its saved units give back.
  void centre();

 private:
  void setState(Qt::WindowState state, bool on);

  QWidget& widget_;
  bool resizable_;
  ui::qt::DialogUnits units_;
};

}  // namespace vc::report::qt
