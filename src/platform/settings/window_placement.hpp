// What the settings store needs of a window to keep and restore its placement: position,
// size, maximised and minimised state, all in the window's own (dialog) units.
#pragma once

#include <optional>

namespace vc::settings {

class WindowPlacement {
 public:
  virtual ~WindowPlacement() = default;
  virtual bool maximized() const = 0;
  virtual bool minimized() const = 0;
  /// Whether the user can resize the window (only then are width and height kept).
  virtual bool resizable() const = 0;
  /// Empty where the window has no position or size of its own to keep.
  virtual std::optional<int> x() const = 0;
  virtual std::optional<int> y() const = 0;
  virtual std::optional<int> width() const = 0;
  virtual std::optional<int> height() const = 0;
  virtual void setMaximized(bool on) = 0;
  virtual void setMinimized(bool on) = 0;
  /// An empty position lets the window engine place the window as it would without a
  /// saved place.
  virtual void setX(std::optional<int> x) = 0;
  virtual void setY(std::optional<int> y) = 0;
  virtual void setWidth(int width) = 0;
  virtual void setHeight(int height) = 0;
};

}  // namespace vc::settings
