// A preview session: the pages shown until the user leaves the preview or they have been
// printed. A failed print is never taken as printed: the user is told why, and the same
// pages are shown again.
#pragma once

#include <string>

#include "platform/errors/message_presenter.hpp"
#include "platform/report/report_output.hpp"

namespace vc::report {

enum class PreviewOutcome { left, printed };

/// Shows `pages` through `output`; prints them there when the user asks. A failed print
/// shows the box "Print Error", "Could not print the report: <reason>." through
/// `messages`, then the preview again. A choice to print when there are no pages prints
/// nothing and counts as leaving.
PreviewOutcome runPreview(ReportOutput& output, const PageSet& pages, const std::string& jobName,
                          const PreviewOptions& options, errors::MessagePresenter& messages);

}  // namespace vc::report
