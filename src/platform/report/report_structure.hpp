// Report structures: the declarative description of a report (paper, fonts, the detail
// area, the bands and their controls) from which a report instance lays out its pages.
// Every position and size is in thousandths of an inch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/settings/window_placement.hpp"
#include "platform/ui/window_structure.hpp"

namespace vc::report {

/// A rectangle in thousandths of an inch.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

/// A width or height to be worked out from the control's picture and font.
inline constexpr int kFromPicture = settings::kNoValue;

enum class ControlKind {
  fixedText,     // a text of the structure (which the report may later replace)
  variableText,  // a bound variable through its picture
  textBox,       // a bound variable, whole
  line,          // from the rectangle's top-left to its bottom-right corner
  image,         // the picture file named by the text; nothing when there is none
  pageNumber,    // the number of the page through its picture
};

enum class Align { left, center, right };

namespace control_flag {
/// Printed without a background of its own.
inline constexpr unsigned transparent = 1u << 0;
/// The text is a file name: shown as the system spells file names, and a name too long
/// for its box loses characters in the middle, so that its end stays visible.
inline constexpr unsigned fileName = 1u << 1;
}  // namespace control_flag

struct ControlSpec {
  int number = 0;      // the report's control numbers, bands included
  std::string equate;  // "RES_NOMBRE" for ?RES:NOMBRE
  ControlKind kind = ControlKind::fixedText;
  Rect at;                       // within the band; width or height may be kFromPicture
  std::string text;              // a fixed text, or an image's file; Windows-1252 bytes
  std::string use;               // the bound variable a variable text or text box shows
  std::string picture;           // "s30", "pPage <<#p"; none: the value as it is
  std::optional<ui::Font> font;  // the band's font when absent
  Align align = Align::left;
  unsigned flags = 0;
};

enum class BandKind {
  form,    // drawn first on every page, behind everything else
  header,  // at the top of every page
  detail,  // printed by the program, downwards in the detail area
  footer,  // at the foot of every page, when the page ends
};

struct BandSpec {
  int number = 0;
  std::string equate;
  BandKind kind = BandKind::detail;
  Rect at;  // form, header and footer: on the page; detail: x within the detail area
            // and its size (the detail area places it downwards)
  std::optional<ui::Font> font;  // the report's font when absent
  std::vector<ControlSpec> controls;
};

enum class Orientation { portrait, landscape };

struct ReportSpec {
  std::string name;       // the structure's label, e.g. "P25_REPORT"
  std::string jobName;    // what the printer's queue calls it
  int paperWidth = 8500;  // as the paper stands in portrait; US Letter by default
  int paperHeight = 11000;
  Orientation orientation = Orientation::portrait;
  ui::Font font;    // the report's font
  Rect detailArea;  // on the page
  std::vector<BandSpec> bands;

  const BandSpec* band(int number) const;
  const ControlSpec* control(int number) const;
  /// The number of a band or control by its equate; 0 when absent.
  int number(const std::string& equate) const;
};

}  // namespace vc::report
