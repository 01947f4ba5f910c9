#include "views/procedure_frame.hpp"

#include "globals/globals.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/ui/engine.hpp"
#include "views/browse_view.hpp"
#include "views/report_procedure.hpp"

namespace vc::views {

namespace frame_steps {

vc::errors::ErrorManager* errorService() {
  return globals::errorManager;
}

void pushName(const std::string& name) {
  globals::errorManager->pushProcedureName(name);
}

void popName() {
  globals::errorManager->popProcedureName();
}

void restorePlacement(const std::string& name, vc::ui::Window& window) {
  globals::settingsManager->restoreWindow(name, window);
}

void savePlacement(const std::string& name, vc::ui::Window& window) {
  globals::settingsManager->saveWindow(name, window);
}

}  // namespace frame_steps

void registerProcedureControls() {
  using vc::ui::ControlKind;
  for (ControlKind kind :
       {ControlKind::stringPicture, ControlKind::stringText, ControlKind::image, ControlKind::line,
        ControlKind::button, ControlKind::prompt, ControlKind::list, ControlKind::text,
        ControlKind::progress, ControlKind::sheet, ControlKind::tab})
    globals::windowEngine->registerControlKind(kind);
}

void closeProcedureViews() {
  closeBrowseView();
  if (reportViewSetUp()) closeReportView();
}

}  // namespace vc::views
