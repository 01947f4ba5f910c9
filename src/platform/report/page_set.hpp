// Laid-out pages as data: per page its bands in drawing order, each band's items with
// kind, rectangle in thousandths of an inch, font, alignment and the text as printed.
// No page is ever held as pixels: a painter draws a page from this when it is shown or
// printed. The texts of a page are kept together in one buffer, so a page costs little
// more than its text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report/report_structure.hpp"

namespace vc::report {

/// How a text wider than its box is drawn.
enum class TextFit {
  condense,     // squeezed across to the box's width: never cut
  elideMiddle,  // on one line, with characters in the middle given way to an ellipsis
};

/// How a text's bytes become characters.
enum class TextEncoding {
  cp1252,    // the program's texts
  fileName,  // a file name, as the system spells file names
};

/// What an item is on every printing of its band.
struct ItemLayout {
  ReportControlKind kind = ReportControlKind::fixedText;
  int control = 0;  // the control's number
  PaperRect at;     // within the band, sizes worked out
  int font = 0;     // index into the page set's fonts
  Align align = Align::left;
  TextFit fit = TextFit::condense;
  TextEncoding encoding = TextEncoding::cp1252;
  bool transparent = false;
};

struct BandLayout {
  BandKind kind = BandKind::detail;
  int number = 0;
  int width = 0;
  int height = 0;
  std::vector<ItemLayout> items;  // in drawing order
};

/// One item as printed, valid while its page set lives.
struct PrintedItem {
  ReportControlKind kind = ReportControlKind::fixedText;
  int control = 0;
  PaperRect at;  // on the page
  const ui::Font* font = nullptr;
  Align align = Align::left;
  TextFit fit = TextFit::condense;
  TextEncoding encoding = TextEncoding::cp1252;
  bool transparent = false;
  std::string_view text;  // as printed; Windows-1252 bytes unless a file name
};

/// A band where it was printed; its items' texts lie in its page's buffer.
struct PrintedBand {
  std::uint32_t layout = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint32_t texts = 0;  // offset of its first text in the page's buffer
};

class Page {
 public:
  explicit Page(int number) : number_(number) {}
  int number() const { return number_; }
  const std::vector<PrintedBand>& bands() const { return bands_; }

 private:
  friend class PageSet;
  int number_;
  std::vector<PrintedBand> bands_;
  std::string texts_;
};

class PageSet {
 public:
  PageSet(int paperWidth, int paperHeight, Orientation orientation);

  // The paper, in thousandths of an inch, as it stands on the page (landscape swapped).
  int pageWidth() const;
  int pageHeight() const;
  Orientation orientation() const { return orientation_; }

  const std::vector<Page>& pages() const { return pages_; }
  int pageCount() const { return static_cast<int>(pages_.size()); }
  bool empty() const { return pages_.empty(); }

  // Reading a page.
  BandKind kind(const PrintedBand& band) const { return layout(band).kind; }
  PaperRect at(const PrintedBand& band) const;
  /// The band's items in drawing order.
  std::vector<PrintedItem> items(const Page& page, const PrintedBand& band) const;

  // Building, as a report lays out its pages.
  int addFont(const ui::Font& font);
  int addLayout(BandLayout layout);
  const BandLayout& layout(const PrintedBand& band) const;
  /// Starts page `number` after the last one.
  void startPage(int number);
  /// Places a band on the last page at (x, y), with one text per item of its layout
  /// (missing ones are empty). There must be a page.
  void place(int layout, int x, int y, const std::vector<std::string_view>& texts);

 private:
  int paperWidth_;
  int paperHeight_;
  Orientation orientation_;
  std::vector<ui::Font> fonts_;
  std::vector<BandLayout> layouts_;
  std::vector<Page> pages_;
};

}  // namespace vc::report
