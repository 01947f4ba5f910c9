// Takes the README's screenshots: runs the program on the real widgets with a scripted
// tour (choose the fixture application, analyse it, browse the results by name, print
// the differences report to the preview, leave) and saves each window as the program
// draws it.
//
//   screenshots <main source .clw> <output folder>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cstdio>
#include <string>

#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/report/qt/preview_window.hpp"
#include "platform/report/qt/qt_output.hpp"
#include "platform/ui/qt/qt_engine.hpp"
#include "platform/ui/window.hpp"

namespace {

class TourEngine : public vc::ui::QtEngine {
 public:
  TourEngine(std::string source, std::string out)
      : source_(std::move(source)), out_(std::move(out)) {}

  vc::ui::Event waitEvent(vc::ui::Window& window) override {
    const std::string& title = window.structure().title;
    ++step_;
    if (title == "Utilidad para comparar variables globales") {
      if (step_ == 1) {
        vc::ui::grabWindow(window, out_ + "/main-window.png");
        return press(window, "BOTON1");
      }
      if (step_ == 2) return press(window, "ANALIZAR");
      return press(window, "OKBUTTON");
    }
    if (title == "Resumen de Variables Globales por Modulo") {
      if (++analysisSteps_ == 1) {
        vc::ui::grabWindow(window, out_ + "/analysis-window.png");
        return press(window, "DETALLES");
      }
      return press(window, "OKBUTTON");
    }
    // The comparative browse: by name, where a name's declarations stand together.
    if (++browseSteps_ == 1) {
      const int sheet = window.number("SHEET1");
      window.control(sheet).sheet().choice = 2;
      return {vc::ui::EventKind::newSelection, sheet, vc::ui::TabChosen{2, window.number("TAB2")}};
    }
    if (title == "Report resumen") return QtEngine::waitEvent(window);  // its timer runs it
    if (browseSteps_ == 2) {
      vc::ui::grabWindow(window, out_ + "/browse-window.png");
      grabPreview(out_ + "/report-preview.png");
      return press(window, "REPORTE");
    }
    return press(window, "OKBUTTON");
  }

  // Saves the preview once it is up, at a size that shows a whole page, and leaves it.
  static void grabPreview(std::string path) {
    QTimer::singleShot(50, [path] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w);
            d && d->isVisible() && d->objectName() == vc::report::qt::kPreviewName) {
          d->showNormal();
          d->resize(760, 900);
          QApplication::processEvents();
          d->grab().save(QString::fromStdString(path));
          d->reject();
          return;
        }
      grabPreview(path);
    });
  }

  std::optional<std::string> askOpenFile(const vc::ui::OpenFileRequest&) override {
    return source_;
  }

 private:
  static vc::ui::Event press(vc::ui::Window& window, const std::string& equate) {
    return {vc::ui::EventKind::accepted, window.number(equate)};
  }
  std::string source_;
  std::string out_;
  int step_ = 0;
  int analysisSteps_ = 0;
  int browseSteps_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: screenshots <main source .clw> <output folder>\n");
    return 2;
  }
  TourEngine engine(argv[1], argv[2]);
  vc::report::qt::QtOutput reportOutput;
  vc::globals::reportOutput = &reportOutput;
  return vc::frame::runApplication(engine);
}
