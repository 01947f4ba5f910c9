#include "platform/ui/qt/dialog_units.hpp"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>

namespace vc::ui::qt {
namespace {

// A widget's coordinates and sizes stay within 2^24 pixels; units a little beyond that
// are still exact enough for the settings file.
constexpr double kLimit = 1 << 24;

int scaled(int value, double numerator, double denominator) {
  const double v =
      std::clamp(static_cast<double>(value) * numerator / denominator, -kLimit, kLimit);
  return static_cast<int>(std::lround(v));
}

}  // namespace

DialogUnits::DialogUnits(int charWidth, int charHeight)
    : charWidth_(std::max(charWidth, 1)), charHeight_(std::max(charHeight, 1)) {}

DialogUnits DialogUnits::of(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

int DialogUnits::toPixelsX(int units) const {
  return scaled(units, charWidth_, 4);
}
int DialogUnits::toPixelsY(int units) const {
  return scaled(units, charHeight_, 8);
}
int DialogUnits::fromPixelsX(int pixels) const {
  return scaled(pixels, 4, charWidth_);
}
int DialogUnits::fromPixelsY(int pixels) const {
  return scaled(pixels, 8, charHeight_);
}

}  // namespace vc::ui::qt
