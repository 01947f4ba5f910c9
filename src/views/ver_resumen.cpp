#include "views/ver_resumen.hpp"

#include <memory>

#include "globals/globals.hpp"
#include "platform/browse/browse.hpp"
#include "platform/browse/step_locator.hpp"
#include "platform/browse/table_view_source.hpp"
#include "platform/ui/engine.hpp"
#include "platform/ui/window.hpp"
#include "store/store.hpp"
#include "views/browse_queue.hpp"
#include "views/browse_view.hpp"
#include "views/procedure_frame.hpp"
#include "views/purge_results.hpp"
#include "views/report_procedure.hpp"
#include "views/window_styles.hpp"

namespace vc::views {

using vc::browse::SortChange;
using vc::store::RES;
using vc::ui::Answer;
using vc::ui::ControlKind;
using vc::ui::EventKind;
namespace cf = vc::ui::control_flag;

const vc::ui::WindowSpec& P17_WINDOW() {
  static const vc::ui::WindowSpec structure = [] {
    vc::ui::WindowSpec w =
        fixedDialog("P17_WINDOW", "Vista comparativa de Variables Globales", 446, 224);
    vc::ui::ControlSpec list{p17::LIST,
                             "LIST",
                             ControlKind::list,
                             {16, 25, 408, 152},
                             "",
                             vc::ui::Font{"Lucida Console", 8, 400},
                             cf::hScroll | cf::vScroll | cf::immediate,
                             "80L(2)|M~Modulo~L(0)@s20@80L(2)|M*~Nombre~L(0)@s20@120L(2)|M~Tipo "
                             "Dato~L(0)@s30@120L(2)|M~Modo~L(0)@s30@"};
    list.status = "Browsing Records";
    w.controls = {
        list,
        {p17::OKBUTTON,
         "OKBUTTON",
         ControlKind::button,
         {141, 203, 59, 13},
         "Salir",
         {},
         cf::defaultButton},
        {p17::REPORTE, "REPORTE", ControlKind::button, {248, 203, 74, 13}, "Reporte"},
        {p17::SHEET1, "SHEET1", ControlKind::sheet, {8, 5, 426, 185}},
        {p17::TAB1, "TAB1", ControlKind::tab, {}, "Por Modulo", {}, 0, "", p17::SHEET1},
        {p17::TAB2, "TAB2", ControlKind::tab, {}, "Por Nombre y Tipo", {}, 0, "", p17::SHEET1},
        {p17::DEPURAR, "DEPURAR", ControlKind::button, {8, 203, 86, 13}, "Depurar "},
    };
    return w;
  }();
  return structure;
}

namespace {

/// resumenBrowse: the list in the order of the tab shown, EXTERNAL names on yellow.
class ResumenBrowse : public vc::browse::Browse {
 public:
  ResumenBrowse(vc::ui::WindowController& controller, BrowseQueue& queue,
                vc::browse::BrowseSource& source)
      : Browse(controller, p17::LIST, queue.rows(), source),
        controller_(controller),
        queue_(queue) {}

  SortChange chooseSortOrder(bool force) override {
    const int tab = controller_.window().control(p17::SHEET1).sheet().choice;
    return setSortOrder(tab == 2 ? 2 : 1, force);
  }

  void setRowColours() override {
    BrowseQueueEntry& e = queue_.entry;
    if (RES.EXTERNAL == 1) {
      e.NOMBRE_NORMALFG = -1;
      e.NOMBRE_NORMALBG = 0xFFFF;  // yellow
      e.NOMBRE_SELECTEDFG = -1;
      e.NOMBRE_SELECTEDBG = 0x80FF;  // orange
    } else {
      e.NOMBRE_NORMALFG = e.NOMBRE_NORMALBG = e.NOMBRE_SELECTEDFG = e.NOMBRE_SELECTEDBG = -1;
    }
  }

 private:
  vc::ui::WindowController& controller_;
  BrowseQueue& queue_;
};

/// The objects of one call, built and disposed of in the order of the procedure's body.
struct BrowseObjects {
  BrowseQueue& queue;
  vc::browse::BrowseSource& source;
  std::unique_ptr<ResumenBrowse> browse;
  std::unique_ptr<vc::browse::StepLocator> moduleLocator;
  std::unique_ptr<vc::browse::StepLocator> nameLocator;
};

class CompareWindow : public ProcedureFrame<vc::ui::WindowController> {
 public:
  CompareWindow(vc::ui::Window& window, BrowseObjects& objects)
      : ProcedureFrame("ver_resumen", {vc::store::resumenRelation, vc::store::resumenAliasRelation},
                       window),
        objects_(objects) {}

  Answer onWindowEvent() override {
    const Answer kept = WindowController::onWindowEvent();
    if (event().kind == EventKind::openWindow && vc::store::resumen().records() == 0) {
      globals::windowEngine->showMessage(
          {"",
           "No se han definido Variables Globales en esta Varcompass",
           vc::errors::MessageIcon::none,
           {"OK"},
           1});
      window().disable(p17::REPORTE);
      window().disable(p17::DEPURAR);
    }
    return kept;
  }

  Answer onAccepted() override {
    const Answer kept = WindowController::onAccepted();
    switch (event().control) {
      case p17::OKBUTTON:
        updateComponents();
        return Answer::endWindow;
      case p17::REPORTE:
        updateComponents();
        // The report reads through a view of its own and changes neither the table nor
        // the order, so the reset below leaves the list as it was.
        reporte();
        resetWindow(/*force=*/false);
        return kept;
      case p17::DEPURAR:
        updateComponents();
        purge();
        return kept;
      default:
        return kept;
    }
  }

 protected:
  void setUpBeforeWindow() override {
    objects_.browse = std::make_unique<ResumenBrowse>(*this, objects_.queue, objects_.source);
  }

  void setUpAfterOpen() override {
    ResumenBrowse& b = *objects_.browse;
    b.addSortOrder(vc::store::ResumenFile::indmod.index, objects_.moduleLocator.get());
    b.addSortOrder(vc::store::ResumenFile::indnom.index, objects_.nameLocator.get());
    BrowseQueueEntry& e = objects_.queue.entry;
    b.addField(RES.MODULO.data(), RES.MODULO.size(), e.MODULO.data());
    b.addField(RES.NOMBRE.data(), RES.NOMBRE.size(), e.NOMBRE.data());
    b.addField(RES.TIPO.data(), RES.TIPO.size(), e.TIPO.data());
    b.addField(RES.MODO.data(), RES.MODO.size(), e.MODO.data());
    b.addField(&RES.EXTERNAL, 1, &e.EXTERNAL);
  }

 private:
  /// "Depurar ": the purge of the results table, with the browse's refill.
  void purge() {
    purgeResults({window(), [this] { objects_.browse->refill(); }, p17::REPORTE, p17::DEPURAR});
  }

  BrowseObjects& objects_;
};

}  // namespace

void ver_resumen() {
  useBrowseView();
  auto queue = std::make_unique<BrowseQueue>();
  auto window = std::make_unique<vc::ui::Window>(P17_WINDOW(), *globals::windowEngine);
  window->bind(p17::LIST, queue.get());
  vc::browse::TableViewSource source(browseView());
  BrowseObjects objects{*queue, source, nullptr, nullptr, nullptr};
  auto controller = std::make_unique<CompareWindow>(*window, objects);
  // The locators search the first component of their order's key, case ignored; they
  // have no entry control.
  objects.moduleLocator = std::make_unique<vc::browse::StepLocator>(
      RES.MODULO.data(), RES.MODULO.size(), /*ignoreCase=*/true);
  objects.nameLocator = std::make_unique<vc::browse::StepLocator>(
      RES.NOMBRE.data(), RES.NOMBRE.size(), /*ignoreCase=*/true);
  controller->execute();
  objects.nameLocator.reset();
  objects.moduleLocator.reset();
  objects.browse.reset();
  controller.reset();
  window.reset();
  queue.reset();
}

}  // namespace vc::views
