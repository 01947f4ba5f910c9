#include "views/procedure_frame.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "globals/globals.hpp"
#include "platform/settings/settings_store.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/temp_folder.hpp"
#include "views/window_styles.hpp"

namespace vc::views {
namespace {

using vc::testing::TempFolder;
using vc::ui::Answer;
using vc::ui::Window;

const vc::ui::WindowSpec& oneButton() {
  static const vc::ui::WindowSpec structure = [] {
    vc::ui::WindowSpec w = fixedDialog("F_WINDOW", "Frame", 100, 40);
    w.controls = {{1, "OK", vc::ui::ControlKind::button, {10, 10, 40, 14}, "Ok"}};
    return w;
  }();
  return structure;
}

// A window controller of a framework kind of its own, as the report controller is: the
// frame must sit over it without a second WindowController underneath.
class ReportControllerStandIn : public vc::ui::WindowController {
 public:
  ReportControllerStandIn(Window& window, std::vector<std::string>& log)
      : WindowController(window), log_(log) {}
  Answer prepare() override {
    log_.push_back("base prepare");
    return WindowController::prepare();
  }
  Answer release() override {
    const Answer answer = WindowController::release();
    log_.push_back(answer == Answer::proceed ? "base release" : "base release again");
    return answer;
  }

 protected:
  std::vector<std::string>& log_;
};

// Logs the procedure's own steps and what the common steps left in place at each.
class FramedReport : public ProcedureFrame<ReportControllerStandIn> {
 public:
  FramedReport(Window& window, std::vector<std::string>& log)
      : ProcedureFrame("reporte", {vc::store::resumenRelation, vc::store::resumenAliasRelation},
                       window, log) {}

  Answer onAccepted() override {
    const Answer kept = WindowController::onAccepted();
    if (event().control == 1) {
      log_.push_back("running, " + state());
      return Answer::endWindow;
    }
    return kept;
  }

 protected:
  void setUpWithoutFiles() override { log_.push_back("without files, " + state()); }
  void setUpBeforeWindow() override { log_.push_back("before window, " + state()); }
  void setUpAfterOpen() override { log_.push_back("after open, " + state()); }
  void setUpAfterRestore() override { log_.push_back("after restore, " + state()); }
  void cleanUp() override { log_.push_back("clean up, " + state()); }

 private:
  // Names on the stack, files counted open, FIRSTFIELD, OPENED.
  std::string state() const {
    return std::to_string(globals::errorManager->procedureNames().size()) + " names, " +
           std::to_string(vc::store::resumenAccess->opened) + "/" +
           std::to_string(vc::store::resumenAliasAccess->opened) + " open, first " +
           std::to_string(FIRSTFIELD) + ", opened " + std::to_string(OPENED);
  }
};

TEST(ProcedureFrameTest, OverAnotherControllerRunsTheCommonStepsInOrder) {
  vc::testing::ProgramFixture program;
  globals::settingsManager->openSettings("frame.INI", vc::settings::SettingsKind::iniFile);
  program.engine.press("OK");
  std::vector<std::string> log;
  {
    Window window(oneButton(), *globals::windowEngine);
    FramedReport controller(window, log);
    controller.execute();
    EXPECT_EQ(controller.ERRORS, globals::errorManager);
    EXPECT_EQ(controller.FILESOPENED, 1);
    log.push_back("again");
    EXPECT_EQ(controller.release(), Answer::eventDone);
  }
  globals::settingsManager->closeSettings();
  EXPECT_TRUE(program.engine.scriptDone());
  EXPECT_EQ(log, (std::vector<std::string>{
                     "base prepare",
                     "without files, 1 names, 0/0 open, first 1, opened 0",
                     "before window, 1 names, 1/1 open, first 1, opened 0",
                     "after open, 1 names, 1/1 open, first 1, opened 1",
                     "after restore, 1 names, 1/1 open, first 1, opened 1",
                     "running, 1 names, 1/1 open, first 1, opened 1",
                     "base release",
                     "clean up, 1 names, 0/0 open, first 1, opened 1",
                     "again",
                     "base release again",
                 }));
  EXPECT_TRUE(globals::errorManager->procedureNames().empty());
  EXPECT_NE(TempFolder::read("frame.INI").find("[reporte]"), std::string::npos);
}

}  // namespace
}  // namespace vc::views
