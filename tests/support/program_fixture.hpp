// The program's start-up without its main window, on a scripted engine, for tests that
// drive one part of the system with the frame, the services and the files in place.
#pragma once

#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/errors/error_manager.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "store/store.hpp"
#include "support/temp_folder.hpp"
#include "views/procedure_frame.hpp"

namespace vc::testing {

/// Starts the program's frame in a fresh current folder; a fatal error throws
/// ProgramHalted instead of ending the process.
class ProgramFixture {
 public:
  ProgramFixture() {
    vc::globals::windowEngine = &engine;
    vc::frame::threadAttachFiles();
    vc::frame::processStartup();
    vc::globals::errorManager->setPresenter(&engine);
    vc::globals::errorManager->setHalt([](int status) { throw vc::errors::ProgramHalted{status}; });
    vc::frame::threadStartup();
    vc::views::registerProcedureControls();
    vc::globals::errorManager->bindErrorStatus(&vc::globals::currentThreadErrorStatus);
    vc::store::openFileAccess();
  }
  ~ProgramFixture() {
    vc::views::closeProcedureViews();
    vc::frame::threadShutdown();
    vc::frame::processShutdown();
    vc::globals::windowEngine = nullptr;
  }
  ProgramFixture(const ProgramFixture&) = delete;
  ProgramFixture& operator=(const ProgramFixture&) = delete;

  TempFolder folder;  // made current first, removed last
  vc::ui::ScriptedEngine engine;
};

/// The whole program, end to end, on a scripted engine; a fatal error returns its status.
inline int run(vc::ui::ScriptedEngine& engine) {
  return vc::frame::runApplication(engine,
                                   [](int status) { throw vc::errors::ProgramHalted{status}; });
}

}  // namespace vc::testing
