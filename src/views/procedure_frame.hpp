// The frame every window procedure shares: the common steps of preparing and releasing
// a window, with a place for each procedure's own steps, and the procedures module's
// hooks into the program's start and end.
//
// The frame is a mixin over the controller it completes, so that a plain window
// controller and the framework's report controller (a window controller of its own)
// take the same steps without a second WindowController underneath:
//   class MainWindow : public ProcedureFrame<vc::ui::WindowController> { ... };
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/files/relation_base.hpp"
#include "platform/ui/window_controller.hpp"

namespace vc::views {

/// The files a procedure opens in prepare and closes in release, in this order, through
/// their relation objects.
using ProcedureFiles = std::vector<vc::files::RelationBase*>;

// The services the common steps call; kept out of line so that this header needs no
// global and no settings header.
namespace frame_steps {
vc::errors::ErrorManager* errorService();
void pushName(const std::string& name);
void popName();
void restorePlacement(const std::string& name, vc::ui::Window& window);
void savePlacement(const std::string& name, vc::ui::Window& window);
}  // namespace frame_steps

/// The common prepare and release steps over `Base`, a WindowController or a class
/// derived from one; the procedure's own steps are the protected hooks.
template <class Base>
class ProcedureFrame : public Base {
 public:
  /// `name` is pushed on the procedure-name stack and names the window's settings
  /// section; `files` are opened by prepare in this order and closed by release likewise.
  /// The remaining arguments build `Base`.
  template <class... BaseArgs>
  ProcedureFrame(std::string name, ProcedureFiles files, BaseArgs&&... baseArgs)
      : Base(std::forward<BaseArgs>(baseArgs)...),
        name_(std::move(name)),
        files_(std::move(files)) {}

  vc::ui::Answer prepare() override {
    frame_steps::pushName(name_);
    const vc::ui::Answer answer = Base::prepare();
    if (answer != vc::ui::Answer::proceed) return answer;
    this->FIRSTFIELD = 1;
    this->ERRORS = frame_steps::errorService();
    setUpWithoutFiles();
    if (!files_.empty()) {
      // The file layer reports its own errors; the window opens whatever they were.
      for (vc::files::RelationBase* file : files_) (void)file->open();
      this->FILESOPENED = 1;
    }
    setUpBeforeWindow();
    this->openWindow();
    setUpAfterOpen();
    frame_steps::restorePlacement(name_, this->window());
    setUpAfterRestore();
    this->armKeys();
    return answer;
  }

  vc::ui::Answer release() override {
    const vc::ui::Answer answer = Base::release();
    if (answer != vc::ui::Answer::proceed) return answer;
    if (this->FILESOPENED)
      for (vc::files::RelationBase* file : files_) file->close();
    if (this->OPENED) frame_steps::savePlacement(name_, this->window());
    cleanUp();
    frame_steps::popName();
    return vc::ui::Answer::proceed;
  }

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
  ProcedureFiles files_;
};

/// Registers with the window engine the control kinds the procedures' windows and report
/// use (the engine must be set).
void registerProcedureControls();
/// Closes this thread's views of the procedures that set one up.
void closeProcedureViews();

}  // namespace vc::views
