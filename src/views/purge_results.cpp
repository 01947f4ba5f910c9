#include "views/purge_results.hpp"

#include <string>

#include "globals/globals.hpp"
#include "platform/errors/error_manager.hpp"
#include "platform/ui/engine.hpp"
#include "store/store.hpp"

namespace vc::views {
namespace {

using vc::files::FileStatus;

void reportFailure(const vc::store::ResumenFile& table, const FileStatus& status) {
  if (vc::globals::errorManager == nullptr) return;
  vc::errors::FileErrorInfo info;
  info.fileName =
      vc::store::resumenAccess != nullptr ? vc::store::resumenAccess->reportedName() : table.name();
  info.errorCode = static_cast<int>(status.error);
  info.errorText = std::string(vc::files::errorText(status.error));
  info.fileErrorCode = status.driverCode;
  info.fileErrorText = status.driverText;
  (void)vc::globals::errorManager->throwFileError(vc::errors::ErrorId::purgeError, info);
}

}  // namespace

void purgeResults(const PurgeTarget& target, const vc::analysis::PurgeOptions& options) {
  vc::store::ResumenFile& table = vc::store::resumen();
  const vc::analysis::PurgeOutcome outcome = vc::analysis::purgeTable(options);
  if (target.refill) target.refill();
  target.window.display();
  if (table.records() == 0) {
    vc::globals::windowEngine->showMessage(
        {"",
         "No se ha encontrado Global Data con difrerencias en esta Varcompass",
         vc::errors::MessageIcon::none,
         {"OK"},
         1});
    target.window.disable(target.reporteButton);
  }
  target.window.disable(target.depurarButton);
  if (!outcome.ok()) reportFailure(table, outcome.status);
}

}  // namespace vc::views
