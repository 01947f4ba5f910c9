// A report output driven by a script, for tests and runs without a display: each
// preview takes the next scripted answer, each print succeeds unless the script says it
// fails. It records what was shown and printed, and keeps the pages for the test to
// read. A preview with no answer left fails at once with ScriptError, never hangs.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/report/report_output.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"

namespace vc::report {

using ui::ScriptError;

class ScriptedOutput : public ReportOutput {
 public:
  // The script, in the order the program will ask for it.
  /// The next preview is left without printing.
  ScriptedOutput& leavePreview();
  /// The next preview asks to print every page, pages from to to, or page `current` (as
  /// if the user had paged to it).
  ScriptedOutput& printAll(PrintTarget target = {});
  ScriptedOutput& printPages(int from, int to, PrintTarget target = {});
  ScriptedOutput& printCurrent(int current, PrintTarget target = {});
  /// The next print fails for `reason`.
  ScriptedOutput& failNextPrint(std::string reason);

  bool scriptDone() const { return answers_.empty() && failures_.empty(); }

  struct PrintJob {
    std::string jobName;
    PageRange range;
    PrintTarget target;
    bool failed = false;
  };
  /// "preview: <n> pages", "print: <job name>, pages <first>-<last>" and, for a print
  /// that failed, "print failed: <reason>".
  const std::vector<std::string>& transcript() const { return transcript_; }
  /// Every page set previewed, as it was then.
  const std::vector<PageSet>& previews() const { return previews_; }
  const std::vector<PrintJob>& prints() const { return prints_; }

  PreviewAnswer preview(const PageSet& pages, const std::string& jobName,
                        const PreviewOptions& options) override;
  PrintResult print(const PageSet& pages, PageRange range, const std::string& jobName,
                    const PrintTarget& target) override;

 private:
  std::deque<PreviewAnswer> answers_;
  std::deque<std::string> failures_;
  std::vector<std::string> transcript_;
  std::vector<PageSet> previews_;
  std::vector<PrintJob> prints_;
};

}  // namespace vc::report
