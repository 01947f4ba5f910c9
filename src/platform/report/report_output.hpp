// The output seam of reports: a print preview of a set of pages, and the printing of
// pages to a printer or a PDF file. A scripted implementation answers for tests and runs
// without a display; the Qt one shows a real preview and prints on Qt PrintSupport.
#pragma once

#include <string>

#include "platform/report/page_set.hpp"

namespace vc::settings {
class SettingsStore;
}

namespace vc::report {

/// Where printed pages go.
struct PrintTarget {
  enum class Kind { printer, pdfFile };
  Kind kind = Kind::printer;
  std::string name;  // a printer's name ("" for the default one), or the PDF file's path
};

/// Which pages the user chose to print.
enum class PageChoice { all, range, current };

/// What the user did in the preview.
struct PreviewAnswer {
  enum class Choice { leave, print };
  Choice choice = Choice::leave;
  PageChoice pages = PageChoice::all;
  int from = 1;     // range
  int to = 1;       // range
  int current = 1;  // the page shown when the user chose to print
  PrintTarget target;
};

/// Pages first to last, from 1; empty when last < first.
struct PageRange {
  int first = 1;
  int last = 0;
  bool empty() const { return last < first; }
};

/// The pages an answer asks for among `pageCount`: a range is put in order and kept
/// within the pages there are; the current page likewise. Empty when there are none.
PageRange pagesToPrint(const PreviewAnswer& answer, int pageCount);

struct PreviewOptions {
  bool allowZoom = true;           // the user may choose the zoom
  bool maximize = false;           // the preview opens maximised
  bool allowPrintCurrent = false;  // "the current page" is offered among the choices
  /// Keeps the preview's placement under "_PreviewWindow_" and the pages-to-print
  /// dialog's under "_PreviewAskPagesWindow_"; none: nothing is kept.
  settings::SettingsStore* settings = nullptr;
};

struct PrintResult {
  enum class Outcome { done, failed };
  Outcome outcome = Outcome::done;
  std::string reason;  // failed: why, as a phrase ("the file x cannot be written")
};

class ReportOutput {
 public:
  virtual ~ReportOutput() = default;
  /// Shows the pages of job `jobName` until the user leaves the preview or chooses to
  /// print; it prints nothing itself.
  virtual PreviewAnswer preview(const PageSet& pages, const std::string& jobName,
                                const PreviewOptions& options) = 0;
  /// Prints pages `range` of `pages` under `jobName` to `target`. Only a print that
  /// reached its target answers done.
  virtual PrintResult print(const PageSet& pages, PageRange range, const std::string& jobName,
                            const PrintTarget& target) = 0;
};

}  // namespace vc::report
