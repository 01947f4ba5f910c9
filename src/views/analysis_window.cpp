#include "views/analysis_window.hpp"

#include <memory>

#include "analysis/declaration_parser.hpp"
#include "analysis/module_queue.hpp"
#include "analysis/module_scan.hpp"
#include "globals/globals.hpp"
#include "platform/ui/engine.hpp"
#include "platform/ui/window.hpp"
#include "store/store.hpp"
#include "views/module_list.hpp"
#include "views/procedure_frame.hpp"
#include "views/ver_resumen.hpp"
#include "views/window_styles.hpp"

namespace vc::views {

using vc::analysis::ModuleQueue;
using vc::analysis::SourceFolder;

using vc::ui::Answer;
using vc::ui::ControlKind;
using vc::ui::EventKind;
namespace cf = vc::ui::control_flag;

const vc::ui::WindowSpec& P7_WINDOW() {
  static const vc::ui::WindowSpec structure = [] {
    vc::ui::WindowSpec w =
        fixedDialog("P7_WINDOW", "Resumen de Variables Globales por Modulo", 213, 224);
    w.controls = {
        {p7::LIST1,
         "LIST1",
         ControlKind::list,
         {7, 8, 196, 181},
         "",
         {},
         0,
         "99L(2)|M~Modulo~@s20@36C(2)|M~Locales~@n3@28C(2)|M~Externals~@n3@"},
        {p7::DETALLES, "DETALLES", ControlKind::button, {14, 197, 71, 14}, "Ver Detalles"},
        {p7::OKBUTTON,
         "OKBUTTON",
         ControlKind::button,
         {114, 197, 71, 14},
         "Salir",
         {},
         cf::defaultButton},
    };
    return w;
  }();
  return structure;
}

namespace {

class AnalysisWindow : public ProcedureFrame<vc::ui::WindowController> {
 public:
  AnalysisWindow(vc::ui::Window& window, ModuleQueue& moduleQueue, SourceFolder& sourceFolder)
      : ProcedureFrame(
            "analizar",
            {vc::store::archivo1Relation, vc::store::archivo2Relation, vc::store::resumenRelation},
            window),
        moduleQueue_(moduleQueue),
        sourceFolder_(sourceFolder) {}

  Answer onWindowEvent() override {
    const Answer kept = WindowController::onWindowEvent();
    if (event().kind == EventKind::openWindow) {
      // The whole analysis runs here, once the window shows its empty list: nothing else
      // is taken until it is over.
      vc::analysis::collectModules(moduleQueue_, sourceFolder_);
      if (moduleQueue_.records() == 0) {
        globals::windowEngine->showMessage({"",
                                            "El Archivo no contiene declaraciones de MODULOS",
                                            vc::errors::MessageIcon::none,
                                            {"OK"},
                                            1});
        window().disable(p7::DETALLES);
      } else {
        vc::analysis::parseAllModules(moduleQueue_, sourceFolder_);
      }
      window().display();
    }
    return kept;
  }

  Answer onAccepted() override {
    const Answer kept = WindowController::onAccepted();
    switch (event().control) {
      case p7::DETALLES:
        updateComponents();
        ver_resumen();
        return kept;
      case p7::OKBUTTON:
        updateComponents();
        return Answer::endWindow;
      default:
        return kept;
    }
  }

 protected:
  void setUpWithoutFiles() override {
    globals::NOMBREARCHIVO2 = globals::NOMBREARCHIVO1.view();
    // A stale table would mix two analyses: start from none. A failure (no such file, or
    // held by someone else) is not examined; the open below copes with either.
    (void)vc::store::resumen().remove();
  }

 private:
  ModuleQueue& moduleQueue_;
  SourceFolder& sourceFolder_;
};

}  // namespace

void analizar() {
  auto moduleQueue = std::make_unique<ModuleQueue>();
  auto sourceFolder = std::make_unique<SourceFolder>();
  auto moduleList = std::make_unique<ModuleList>(*moduleQueue);
  vc::ui::Window window(P7_WINDOW(), *globals::windowEngine);
  window.bind(p7::LIST1, moduleList.get());
  auto controller = std::make_unique<AnalysisWindow>(window, *moduleQueue, *sourceFolder);
  controller->execute();
  controller.reset();
}

}  // namespace vc::views
