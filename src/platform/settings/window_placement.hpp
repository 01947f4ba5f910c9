// What the settings store needs of a window to keep and restore its placement: position,
// size, maximised and minimised state, all in the window's own (dialog) units.
#pragma once

#include <cstdint>
#include <limits>

namespace vc::settings {

/// The no-value marker: a position or size that is not given.
inline constexpr int kNoValue = std::numeric_limits<std::int32_t>::min();

class WindowPlacement {
 public:
  virtual ~WindowPlacement() = default;
  virtual bool maximized() const = 0;
  virtual bool minimized() const = 0;
  /// Whether the user can resize the window (only then are width and height kept).
  virtual bool resizable() const = 0;
  virtual int x() const = 0;
  virtual int y() const = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual void setMaximized(bool on) = 0;
  virtual void setMinimized(bool on) = 0;
  /// kNoValue lets the window engine place the window as it would without a saved place.
  virtual void setX(int x) = 0;
  virtual void setY(int y) = 0;
  virtual void setWidth(int width) = 0;
  virtual void setHeight(int height) = 0;
};

}  // namespace vc::settings
