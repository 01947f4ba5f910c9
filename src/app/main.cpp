// varcompass: compares the global variables of the modules of a Clarion application.
#include "frame/program.hpp"
#include "platform/ui/qt/qt_engine.hpp"

int main() {
  vc::ui::QtEngine engine;
  return vc::frame::runApplication(engine);
}
