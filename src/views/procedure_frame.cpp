#include "views/procedure_frame.hpp"

#include <utility>

#include "frame/globals.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/ui/control_registry.hpp"

namespace vc::views {

using vc::ui::Answer;

ProcedureController::ProcedureController(vc::ui::Window& window, std::string name,
                                         std::vector<ProcedureFile> files)
    : WindowController(window), name_(std::move(name)), files_(std::move(files)) {}

Answer ProcedureController::prepare() {
  frame::errorManager->pushProcedureName(name_);
  const Answer answer = WindowController::prepare();
  if (answer != Answer::proceed) return answer;
  FIRSTFIELD = 1;
  ERRORS = frame::errorManager;
  setUpWithoutFiles();
  if (!files_.empty()) {
    // The file layer reports its own errors; the window opens whatever they were.
    for (const auto& f : files_) f.open();
    FILESOPENED = 1;
  }
  setUpBeforeWindow();
  openWindow();
  setUpAfterOpen();
  frame::settingsManager->restoreWindow(name_, window());
  setUpAfterRestore();
  armKeys();
  return answer;
}

Answer ProcedureController::release() {
  const Answer answer = WindowController::release();
  if (answer != Answer::proceed) return answer;
  if (FILESOPENED)
    for (const auto& f : files_) f.close();
  if (OPENED) frame::settingsManager->saveWindow(name_, window());
  cleanUp();
  frame::errorManager->popProcedureName();
  return Answer::proceed;
}

void registerProcedureControls() {
  using vc::ui::ControlKind;
  for (ControlKind kind :
       {ControlKind::stringPicture, ControlKind::stringText, ControlKind::image, ControlKind::line,
        ControlKind::button, ControlKind::prompt, ControlKind::list, ControlKind::text,
        ControlKind::progress, ControlKind::sheet, ControlKind::tab})
    vc::ui::registerControlKind(kind);
}

void closeProcedureViews() {
  // No procedure of this build sets up a view yet: the browse and the report add theirs.
}

}  // namespace vc::views
