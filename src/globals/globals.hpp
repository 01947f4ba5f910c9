// The program's global state: the two file-name variables, the two process-wide
// services and the per-thread error status.
#pragma once

#include <optional>

#include "platform/errors/error_manager.hpp"
#include "platform/os/os.hpp"
#include "platform/text/fixed_text.hpp"

namespace vc::settings {
class SettingsStore;
}
namespace vc::ui {
class Engine;
}
namespace vc::report {
class ReportOutput;
}

namespace vc::globals {

/// A file-name variable: it holds the longest path the system takes whole, so that no
/// file is ever opened or created under a name cut to fit.
using FileNameText = vc::text::FixedText<vc::files::kLongestPath>;

/// Full path of the main source module chosen in the main window; the name of archivo1.
extern FileNameText NOMBREARCHIVO1;
/// Path of the source file that archivo2 reads.
extern FileNameText NOMBREARCHIVO2;

/// Process-wide services, built by processStartup and destroyed by processShutdown.
/// Between the two they are never null.
extern vc::errors::ErrorManager* errorManager;
extern vc::settings::SettingsStore* settingsManager;

/// The window engine every window and message box of the program goes through; set by
/// the entry point (or a test) before the program starts.
extern vc::ui::Engine* windowEngine;

/// Where reports are previewed and printed; set beside the window engine. Without one,
/// a report's preview is left at once and nothing can be printed.
extern vc::report::ReportOutput* reportOutput;

/// This thread's error status, built by threadStartup and destroyed by threadShutdown.
extern thread_local std::optional<vc::errors::ErrorStatus> threadErrorStatus;

/// The status locator handed to errorManager: this thread's status, built on demand so
/// that a report on a thread that never ran threadStartup still has somewhere to go.
vc::errors::ErrorStatus& currentThreadErrorStatus();

}  // namespace vc::globals
