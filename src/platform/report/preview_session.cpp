#include "platform/report/preview_session.hpp"

namespace vc::report {

PreviewOutcome runPreview(ReportOutput& output, const PageSet& pages, const std::string& jobName,
                          const PreviewOptions& options, errors::MessagePresenter& messages) {
  for (;;) {
    const PreviewAnswer answer = output.preview(pages, jobName, options);
    if (answer.choice == PreviewAnswer::Choice::leave) return PreviewOutcome::left;
    const PageRange range = pagesToPrint(answer, pages.pageCount());
    if (range.empty()) return PreviewOutcome::left;
    const PrintResult result = output.print(pages, range, jobName, answer.target);
    if (result.outcome == PrintResult::Outcome::done) return PreviewOutcome::printed;
    errors::MessageRequest box;
    box.caption = "Print Error";
    box.text = "Could not print the report: " + result.reason + ".";
    messages.showMessage(box);
  }
}

}  // namespace vc::report
