#include "platform/report/qt/qt_output.hpp"

#include "platform/report/qt/preview_window.hpp"
#include "platform/report/qt/print_job.hpp"

namespace vc::report::qt {

PreviewAnswer QtOutput::preview(const PageSet& pages, const std::string& jobName,
                                const PreviewOptions& options) {
  PreviewWindow window(pages, jobName, options);
  return window.run();
}

PrintResult QtOutput::print(const PageSet& pages, PageRange range, const std::string& jobName,
                            const PrintTarget& target) {
  return printPages(pages, range, jobName, target);
}

}  // namespace vc::report::qt
