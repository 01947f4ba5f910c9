#include "platform/report/scripted/scripted_output.hpp"

namespace vc::report {

ScriptedOutput& ScriptedOutput::leavePreview() {
  answers_.push_back({});
  return *this;
}

ScriptedOutput& ScriptedOutput::printAll(PrintTarget target) {
  PreviewAnswer a;
  a.choice = PreviewAnswer::Choice::print;
  a.pages = PageChoice::all;
  a.target = std::move(target);
  answers_.push_back(std::move(a));
  return *this;
}

ScriptedOutput& ScriptedOutput::printPages(int from, int to, PrintTarget target) {
  PreviewAnswer a;
  a.choice = PreviewAnswer::Choice::print;
  a.pages = PageChoice::range;
  a.from = from;
  a.to = to;
  a.target = std::move(target);
  answers_.push_back(std::move(a));
  return *this;
}

ScriptedOutput& ScriptedOutput::printCurrent(int current, PrintTarget target) {
  PreviewAnswer a;
  a.choice = PreviewAnswer::Choice::print;
  a.pages = PageChoice::current;
  a.current = current;
  a.target = std::move(target);
  answers_.push_back(std::move(a));
  return *this;
}

ScriptedOutput& ScriptedOutput::failNextPrint(std::string reason) {
  failures_.push_back(std::move(reason));
  return *this;
}

PreviewAnswer ScriptedOutput::preview(const PageSet& pages, const std::string&,
                                      const PreviewOptions&) {
  transcript_.push_back("preview: " + std::to_string(pages.pageCount()) + " pages");
  previews_.push_back(pages);
  if (answers_.empty())
    throw ScriptError("a report preview opened with " + std::to_string(pages.pageCount()) +
                      " pages, but the script has no answer left for it");
  PreviewAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

PrintResult ScriptedOutput::print(const PageSet&, PageRange range, const std::string& jobName,
                                  const PrintTarget& target) {
  transcript_.push_back("print: " + jobName + ", pages " + std::to_string(range.first) + "-" +
                        std::to_string(range.last));
  PrintJob job{jobName, range, target, false};
  if (failures_.empty()) {
    prints_.push_back(job);
    return {};
  }
  const std::string reason = failures_.front();
  failures_.pop_front();
  job.failed = true;
  prints_.push_back(job);
  transcript_.push_back("print failed: " + reason);
  return {PrintResult::Outcome::failed, reason};
}

}  // namespace vc::report
