// The report output on Qt PrintSupport: the real print preview, printers and PDF files.
#pragma once

#include "platform/report/report_output.hpp"

namespace vc::report::qt {

/// Needs a running QApplication (the Qt window engine starts one).
class QtOutput : public ReportOutput {
 public:
  PreviewAnswer preview(const PageSet& pages, const std::string& jobName,
                        const PreviewOptions& options) override;
  PrintResult print(const PageSet& pages, PageRange range, const std::string& jobName,
                    const PrintTarget& target) override;
};

}  // namespace vc::report::qt
