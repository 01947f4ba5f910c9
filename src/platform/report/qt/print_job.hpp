// Printing laid-out pages to a printer or into a PDF file, through the page painter.
#pragma once

#include <string>

#include "platform/report/report_output.hpp"

namespace vc::report::qt {

/// Prints pages `range` of `pages` under `jobName`. Done only when every page reached
/// the target: a printer that is not there or reports an error, or a PDF file that
/// cannot be written whole, fails with the reason (an earlier file of that name is then
/// left as it was).
PrintResult printPages(const PageSet& pages, PageRange range, const std::string& jobName,
                       const PrintTarget& target);

}  // namespace vc::report::qt
