#include "frame/program.hpp"

#include "globals/globals.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/ui/engine.hpp"
#include "store/store.hpp"
#include "views/main_window.hpp"
#include "views/procedure_frame.hpp"

namespace vc::frame {
namespace {

// Building it gives a thread other than the first its file-access objects; destroying it
// gives them back. The first thread gets its objects from runProgram instead, once the
// error manager is ready to report what their opens meet.
class ThreadAccessHook {
 public:
  ThreadAccessHook() {
    if (vc::errors::threadNumber() != 1) vc::store::openFileAccess();
  }
  ~ThreadAccessHook() { vc::store::closeFileAccess(); }
  ThreadAccessHook(const ThreadAccessHook&) = delete;
  ThreadAccessHook& operator=(const ThreadAccessHook&) = delete;
};

// Held by a plain pointer: the hook must die in threadShutdown, while the files it
// releases still exist, never in the thread's own clean-up, whose order is not ours.
thread_local ThreadAccessHook* threadAccessHook = nullptr;

}  // namespace

void threadAttachFiles() {
  vc::store::attachThreadFiles();
}

void processStartup() {
  globals::NOMBREARCHIVO1.clear();
  globals::NOMBREARCHIVO2.clear();
  globals::errorManager = new vc::errors::ErrorManager();
  globals::settingsManager = new vc::settings::SettingsStore();
}

void threadStartup() {
  globals::threadErrorStatus.emplace();
  if (!threadAccessHook) threadAccessHook = new ThreadAccessHook();
}

void runProgram() {
  globals::errorManager->bindErrorStatus(&globals::currentThreadErrorStatus);
  globals::settingsManager->openSettings(".\\varcompass.INI", vc::settings::SettingsKind::iniFile);
  vc::store::openFileAccess();
  vc::views::Main();
  globals::settingsManager->closeSettings();
}

void threadShutdown() {
  delete threadAccessHook;
  threadAccessHook = nullptr;
  globals::threadErrorStatus.reset();
  vc::store::detachThreadFiles();
}

void processShutdown() {
  delete globals::settingsManager;
  globals::settingsManager = nullptr;
  delete globals::errorManager;
  globals::errorManager = nullptr;
}

int runApplication(vc::ui::Engine& engine, std::function<void(int)> halt) {
  globals::windowEngine = &engine;
  threadAttachFiles();
  processStartup();
  globals::errorManager->setPresenter(&engine);
  if (halt) globals::errorManager->setHalt(std::move(halt));
  threadStartup();
  vc::views::registerProcedureControls();
  int status = 0;
  try {
    runProgram();
  } catch (const vc::errors::ProgramHalted& halted) {
    // Only a halt that returns here instead of ending the process gets this far: leave
    // nothing behind for the caller, as the ended process would.
    status = halted.exitStatus;
  }
  vc::views::closeProcedureViews();
  threadShutdown();
  processShutdown();
  globals::windowEngine = nullptr;
  return status;
}

}  // namespace vc::frame
