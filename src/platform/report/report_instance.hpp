// A report instance: a report structure with its variables bound, laying out the bands
// the program prints onto pages.
//
// Layout: a page starts when a band is printed and no page is open; it begins with the
// form and the header bands. Detail bands go downwards in the detail area while a whole
// band fits; one that does not fit ends the page and starts the next. Ending a page adds
// the footer bands, with the page's number. A band taller than the whole detail area is
// placed alone at the top of its page rather than never.
//
// States:   closed --open--> between pages --print--> on a page --endPage--> between pages
//           any open state --close--> closed (the last page ended, the pages handed over)
// Invariant: on a page, the detail cursor lies within the detail area or at its end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report/page_set.hpp"
#include "platform/report/report_structure.hpp"
#include "platform/report/report_variable.hpp"
#include "platform/ui/picture.hpp"

namespace vc::report {

enum class PrintAnswer { printed, notOpen, notADetailBand };
enum class SetTextAnswer { set, noTextControl };

class ReportInstance {
 public:
  /// Works out every item's layout (a width from the picture is the room up to the next
  /// control to its right, or to the band's edge) and ties each variable control to the
  /// variable its `use` names. A control whose variable is not bound throws std::invalid_argument.
  /// The structure must outlive the instance.
  ReportInstance(const ReportSpec& structure, std::vector<ReportVariable> variables);

  const ReportSpec& structure() const { return structure_; }

  /// Starts a new, empty set of pages; pages of an earlier opening are dropped.
  void open();
  bool isOpen() const { return pages_.has_value(); }

  /// Prints detail band `band` with the variables as they are now.
  PrintAnswer print(int band);
  /// Replaces the text of a fixed text (or an image's file) for every band printed from
  /// now on.
  SetTextAnswer setText(int control, std::string_view text);
  /// Ends the current page, if one is open: its footer is printed.
  void endPage();
  /// Ends the last page and hands over every page; the report is closed. A report that
  /// is not open gives an empty set of pages.
  PageSet close();

  /// Pages started since open, the current one included.
  int pageCount() const { return pages_ ? pages_->pageCount() : 0; }

 private:
  // Where an item's text comes from when its band is printed.
  struct Source {
    enum class Kind { fixed, variable, pageNumber, none } kind = Kind::none;
    std::optional<std::size_t> variable;  // variable: its index in variables_
    ui::Picture picture;
    std::string text;  // fixed: the text in force
  };
  struct Band {
    const BandSpec* def = nullptr;
    int layout = 0;               // in the page set
    std::vector<Source> sources;  // one per item, as the layout's items
  };

  void buildLayouts();
  void beginPage();
  void placeBand(Band& band, int x, int y);
  Band* bandByNumber(int number);

  const ReportSpec& structure_;
  std::vector<ReportVariable> variables_;
  std::vector<BandLayout> layouts_;  // worked out once, copied into each page set
  std::vector<ui::Font> fonts_;
  std::vector<Band> bands_;
  std::optional<PageSet> pages_;
  bool onPage_ = false;
  bool detailOnPage_ = false;
  int page_ = 0;
  int cursor_ = 0;  // where the next detail goes, on the page
  std::vector<std::string> scratch_;
  std::vector<std::string_view> texts_;
};

}  // namespace vc::report
