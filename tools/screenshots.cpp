// Takes the README's screenshots: runs the program on the real widgets with a scripted
// tour (choose the fixture application, analyse it, browse the results by name, leave)
// and saves each window as the program draws it.
//
//   screenshots <main source .clw> <output folder>
#include <cstdio>
#include <string>

#include "frame/program.hpp"
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
    vc::ui::grabWindow(window, out_ + "/browse-window.png");
    return press(window, "OKBUTTON");
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
  return vc::frame::runApplication(engine);
}
