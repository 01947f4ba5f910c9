#include "globals/globals.hpp"

namespace vc::globals {

FileNameText NOMBREARCHIVO1;
FileNameText NOMBREARCHIVO2;
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
