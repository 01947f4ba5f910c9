#include "globals/globals.hpp"

namespace vc::globals {

vc::text::FixedText<200> NOMBREARCHIVO1;
vc::text::FixedText<200> NOMBREARCHIVO2;
vc::errors::ErrorManager* errorManager = nullptr;
vc::settings::SettingsStore* settingsManager = nullptr;
vc::ui::Engine* windowEngine = nullptr;
vc::report::ReportOutput* reportOutput = nullptr;
thread_local std::optional<vc::errors::ErrorStatus> threadErrorStatus;

vc::errors::ErrorStatus& currentThreadErrorStatus() {
  if (!threadErrorStatus) threadErrorStatus.emplace();
  return *threadErrorStatus;
}

}  // namespace vc::globals
