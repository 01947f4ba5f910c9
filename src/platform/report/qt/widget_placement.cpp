#include "platform/report/qt/widget_placement.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace vc::report::qt {

WidgetPlacement::WidgetPlacement(QWidget& widget, bool resizable)
    : widget_(widget), resizable_(resizable), units_(ui::qt::DialogUnits::of(widget.font())) {}

bool WidgetPlacement::maximized() const {
  return (widget_.windowState() & Qt::WindowMaximized) != 0;
}

bool WidgetPlacement::minimized() const {
  return (widget_.windowState() & Qt::WindowMinimized) != 0;
}

std::optional<int> WidgetPlacement::x() const {
  return units_.fromPixelsX(widget_.x());
}

std::optional<int> WidgetPlacement::y() const {
  return units_.fromPixelsY(widget_.y());
}

std::optional<int> WidgetPlacement::width() const {
  return units_.fromPixelsX(widget_.width());
}

std::optional<int> WidgetPlacement::height() const {
  return units_.fromPixelsY(widget_.height());
}

void WidgetPlacement::setState(Qt::WindowState state, bool on) {
  const Qt::WindowStates now = widget_.windowState();
  widget_.setWindowState(on ? (now | state) : (now & ~state));
}

void WidgetPlacement::setMaximized(bool on) {
  setState(Qt::WindowMaximized, on);
}

void WidgetPlacement::setMinimized(bool on) {
  setState(Qt::WindowMinimized, on);
}

void WidgetPlacement::setX(std::optional<int> x) {
  if (x) widget_.move(units_.toPixelsX(*x), widget_.y());
}

void WidgetPlacement::setY(std::optional<int> y) {
  if (y) widget_.move(widget_.x(), units_.toPixelsY(*y));
}

void WidgetPlacement::setWidth(int width) {
  if (resizable_) widget_.resize(std::max(units_.toPixelsX(width), 1), widget_.height());
}

void WidgetPlacement::setHeight(int height) {
  if (resizable_) widget_.resize(widget_.width(), std::max(units_.toPixelsY(height), 1));
}

void WidgetPlacement::centre() {
  // At pixels that the placement saved in units names again, so that a widget that was
  // neither moved nor resized opens the next time exactly as it was.
  if (resizable_) widget_.resize(units_.exactX(widget_.width()), units_.exactY(widget_.height()));
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize size = widget_.size();
  const int x = std::max(area.left(), area.left() + (area.width() - size.width()) / 2);
  const int y = std::max(area.top(), area.top() + (area.height() - size.height()) / 2);
  widget_.move(units_.exactXWithin(x, area.left(), area.right()),
               units_.exactYWithin(y, area.top(), area.bottom()));
}

}  // namespace vc::report::qt
