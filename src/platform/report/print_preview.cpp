#include "platform/report/print_preview.hpp"

namespace vc::report {

namespace {

// Without a presenter a failure still must not count as printed; it is simply not told.
class SilentMessages : public errors::MessagePresenter {
 public:
  int showMessage(const errors::MessageRequest&) override { return 1; }
};

}  // namespace

PreviewOptions PrintPreview::options() const {
  PreviewOptions o;
  o.allowZoom = ALLOWUSERZOOM != 0;
  o.maximize = MAXIMIZE != 0;
  o.allowPrintCurrent = ALLOWPRINTCURRENT != 0;
  o.settings = settings_;
  return o;
}

PreviewOutcome PrintPreview::show(const PageSet& pages, const std::string& jobName) {
  SilentMessages silent;
  return runPreview(output_, pages, jobName, options(), messages_ != nullptr ? *messages_ : silent);
}

PreviewOutcome PrintPreview::printWithoutPreview(const PageSet& pages, const std::string& jobName) {
  if (pages.pageCount() == 0) return PreviewOutcome::left;
  const PrintResult result = output_.print(pages, {1, pages.pageCount()}, jobName, {});
  if (result.outcome == PrintResult::Outcome::done) return PreviewOutcome::printed;
  if (messages_ != nullptr) {
    errors::MessageRequest box;
    box.caption = "Print Error";
    box.text = "Could not print the report: " + result.reason + ".";
    messages_->showMessage(box);
  }
  return PreviewOutcome::left;
}

}  // namespace vc::report
