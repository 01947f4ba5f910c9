// The frame every window procedure shares: the common steps of preparing and releasing
// a window, with a place for each procedure's own steps, and the procedures module's
// hooks into the program's start and end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/window_controller.hpp"

namespace vc::views {

/// How a procedure opens and closes one of its files (through the file's relation object).
struct ProcedureFile {
  std::function<void()> open;
  std::function<void()> close;
};

class ProcedureController : public vc::ui::WindowController {
 public:
  /// `name` is pushed on the procedure-name stack and names the window's settings
  /// section; `files` are opened by prepare in this order and closed by release likewise.
  ProcedureController(vc::ui::Window& window, std::string name, std::vector<ProcedureFile> files);

  vc::ui::Answer prepare() override;
  vc::ui::Answer release() override;

  const std::string& procedureName() const { return name_; }

 protected:
  // The procedure's own steps, in the order prepare and release run them.
  virtual void setUpWithoutFiles() {}  // before the files are opened
  virtual void setUpBeforeWindow() {}  // files open, window not yet
  virtual void setUpAfterOpen() {}     // right after the window opened
  virtual void setUpAfterRestore() {}  // after the saved placement was applied
  virtual void cleanUp() {}            // release, after the placement was saved

 private:
  std::string name_;
  std::vector<ProcedureFile> files_;
};

/// Registers the control kinds the procedures' windows and report use.
void registerProcedureControls();
/// Closes this thread's views of the procedures that set one up.
void closeProcedureViews();

}  // namespace vc::views
