// varcompass: compares the global variables of the modules of a Clarion application.
#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/report/qt/qt_output.hpp"
#include "platform/ui/qt/qt_engine.hpp"

int main() {
  vc::ui::QtEngine engine;
  vc::report::qt::QtOutput reportOutput;
  vc::globals::reportOutput = &reportOutput;
  return vc::frame::runApplication(engine);
}
