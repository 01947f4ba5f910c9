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

  int charWidth() const { return charWidth_; }
  int charHeight() const { return charHeight_; }

 private:
  int charWidth_;
  int charHeight_;
};

}  // namespace vc::ui::qt
