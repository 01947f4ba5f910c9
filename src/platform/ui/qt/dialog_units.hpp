// Dialog units: the measure of window structures, tied to the window's font so that a
// window keeps its proportions whatever font and screen it meets. One horizontal unit
// is a quarter of the font's average character width, one vertical unit an eighth of
// its character height.
#pragma once

class QFont;

namespace vc::ui::qt {

class DialogUnits {
 public:
  /// From a font's character cell in pixels; a cell that is not positive counts as 1.
  DialogUnits(int charWidth, int charHeight);
  /// The cell of `font` on the screen: its height, and the average width of the 52
  /// Latin letters rounded to whole pixels.
  static DialogUnits of(const QFont& font);

  // Conversions, rounded to the nearest whole number. Results are kept within what a
  // widget can take, so no value, however wild, overflows.
  int toPixelsX(int units) const;
  int toPixelsY(int units) const;
  int fromPixelsX(int pixels) const;
  int fromPixelsY(int pixels) const;

  /// The pixel nearest `pixels` that a whole number of units names: a window placed there
  /// and kept in units comes back to the very same pixel.
  int exactX(int pixels) const { return toPixelsX(fromPixelsX(pixels)); }
  int exactY(int pixels) const { return toPixelsY(fromPixelsY(pixels)); }
  /// As exactX and exactY, but within [low, high] where such a pixel lies there (a unit
  /// further in when the nearest is outside); `pixels` itself when none does.
  int exactXWithin(int pixels, int low, int high) const;
  int exactYWithin(int pixels, int low, int high) const;

  int charWidth() const { return charWidth_; }
  int charHeight() const { return charHeight_; }

 private:
  int charWidth_;
  int charHeight_;
};

}  // namespace vc::ui::qt
