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

/// The exact pixel of `pixels` by the conversions given, kept within [low, high].
template <typename To, typename From>
int exactWithin(int pixels, int low, int high, To to, From from) {
  const int units = from(pixels);
  for (int step : {0, 1, -1}) {
    const int p = to(units + step);
    if (p >= low && p <= high) return p;
  }
  return pixels;
}

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

int DialogUnits::exactXWithin(int pixels, int low, int high) const {
  return exactWithin(
      pixels, low, high, [this](int u) { return toPixelsX(u); },
      [this](int p) { return fromPixelsX(p); });
}

int DialogUnits::exactYWithin(int pixels, int low, int high) const {
  return exactWithin(
      pixels, low, high, [this](int u) { return toPixelsY(u); },
      [this](int p) { return fromPixelsY(p); });
}

}  // namespace vc::ui::qt
