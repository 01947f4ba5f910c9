// Report structures: the declarative description of a report (paper, fonts, the detail
// area, the bands and their controls) from which a report instance lays out its pages.
// Every position and size is in thousandths of an inch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/window_structure.hpp"

namespace vc::report {

// A report's controls are named apart from a window's: they are printed on paper, in
// thousandths of an inch, and never built as widgets by a window engine; their kinds and
// flags are those a page has (a page number, a background left out), not a window's.

/// A rectangle on the paper, in thousandths of an inch.
struct PaperRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PaperRect&, const PaperRect&) = default;
};

/// A control's width or height: given, or worked out from its picture and font when the
/// report lays out its bands.
using Extent = std::optional<int>;
inline constexpr std::nullopt_t kFromPicture = std::nullopt;

/// Where a control prints within its band, in thousandths of an inch.
struct ControlBox {
  int x = 0;
  int y = 0;
  Extent width = 0;
  Extent height = 0;
};

enum class ReportControlKind {
  fixedText,     // a text of the structure (which the report may later replace)
  variableText,  // a bound variable through its picture
  textBox,       // a bound variable, whole
  line,          // from the rectangle's top-left to its bottom-right corner
  image,         // the picture file named by the text; nothing when there is none
  pageNumber,    // the number of the page through its picture
};

enum class Align { left, center, right };

namespace report_control_flag {
/// Printed without a background of its own.
inline constexpr unsigned transparent = 1u << 0;
/// The text is a file name: shown as the system spells file names, and a name too long
/// for its box loses characters in the middle, so that its end stays visible.
inline constexpr unsigned fileName = 1u << 1;
}  // namespace report_control_flag

struct ReportControlSpec {
  int number = 0;      // the report's control numbers, bands included
  std::string equate;  // "RES_NOMBRE" for ?RES:NOMBRE
  ReportControlKind kind = ReportControlKind::fixedText;
  ControlBox at;                 // within the band
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
  PaperRect at;  // form, header and footer: on the page; detail: x within the detail area
                 // and its size (the detail area places it downwards)
  std::optional<ui::Font> font;  // the report's font when absent
  std::vector<ReportControlSpec> controls;
};

enum class Orientation { portrait, landscape };

struct ReportSpec {
  std::string name;       // the structure's label, e.g. "P25_REPORT"
  std::string jobName;    // what the printer's queue calls it
  int paperWidth = 8500;  // as the paper stands in portrait; US Letter by default
  int paperHeight = 11000;
  Orientation orientation = Orientation::portrait;
  ui::Font font;         // the report's font
  PaperRect detailArea;  // on the page
  std::vector<BandSpec> bands;

  const BandSpec* band(int number) const;
  const ReportControlSpec* control(int number) const;
  /// The number of a band or control by its equate; 0 when absent.
  int number(const std::string& equate) const;
};

}  // namespace vc::report
