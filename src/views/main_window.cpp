#include "views/main_window.hpp"

#include "globals/globals.hpp"
#include "platform/ui/file_picker.hpp"
#include "platform/ui/window.hpp"
#include "views/analysis_window.hpp"
#include "views/procedure_frame.hpp"
#include "views/window_styles.hpp"

namespace vc::views {

using vc::ui::Answer;
using vc::ui::ControlKind;
namespace cf = vc::ui::control_flag;

const vc::ui::WindowSpec& P1_WINDOW() {
  static const vc::ui::WindowSpec structure = [] {
    vc::ui::WindowSpec w =
        fixedDialog("P1_WINDOW", "Utilidad para comparar variables globales", 181, 120);
    w.controls = {
        {p1::BOTON1, "BOTON1", ControlKind::button, {38, 18, 103, 16}, "Seleccion Archivo "},
        {p1::ANALIZAR,
         "ANALIZAR",
         ControlKind::button,
         {38, 46, 103, 16},
         "Analizar",
         {},
         cf::disabled},
        {p1::OKBUTTON,
         "OKBUTTON",
         ControlKind::button,
         {38, 75, 103, 16},
         "Salir",
         {},
         cf::defaultButton},
        {p1::PROMPT1, "PROMPT1", ControlKind::prompt, {115, 107}, "varcompass 1.0"},
    };
    return w;
  }();
  return structure;
}

namespace {

class MainWindow : public ProcedureFrame<vc::ui::WindowController> {
 public:
  MainWindow(vc::ui::Window& window, vc::ui::FilePicker& picker)
      : ProcedureFrame("Main", {}, window), sourceFilePicker_(picker) {}

 protected:
  void setUpAfterRestore() override {
    sourceFilePicker_.init();
    sourceFilePicker_.CLEARONCANCEL = 1;
    sourceFilePicker_.FLAGS |= vc::ui::file_flag::explorer;
    sourceFilePicker_.setFilter("clw files", "*.clw");
    sourceFilePicker_.WINDOWTITLE = "Archivo CLW de la varcompass  EXE";
  }

 public:
  Answer onAccepted() override {
    const Answer kept = WindowController::onAccepted();
    switch (event().control) {
      case p1::BOTON1:
        updateComponents();
        globals::NOMBREARCHIVO1 = sourceFilePicker_.askFile(/*keepFolder=*/true);
        window().display();
        return kept;
      case p1::ANALIZAR:
        updateComponents();
        analizar();
        return kept;
      case p1::OKBUTTON:
        updateComponents();
        return Answer::endWindow;
      default:
        return kept;
    }
  }

  Answer onFieldEvent() override {
    const Answer kept = WindowController::onFieldEvent();
    if (event().control == p1::BOTON1 && !globals::NOMBREARCHIVO1.isBlank())
      window().enable(p1::ANALIZAR);
    return kept;
  }

 private:
  vc::ui::FilePicker& sourceFilePicker_;
};

}  // namespace

void Main() {
  vc::ui::Window window(P1_WINDOW(), *globals::windowEngine);
  auto sourceFilePicker = std::make_unique<vc::ui::FilePicker>(*globals::windowEngine);
  auto controller = std::make_unique<MainWindow>(window, *sourceFilePicker);
  controller->execute();
  // Objects go before the controller, the window last, as the frame disposes of them.
  sourceFilePicker.reset();
  controller.reset();
}

}  // namespace vc::views
