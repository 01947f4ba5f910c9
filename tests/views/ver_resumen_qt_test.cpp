// The comparative browse on the real widgets (offscreen): the whole program on a tour that
// analyses the fixture application and opens the browse, which must build, take its page
// height from the list as drawn, fill it and follow a tab.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/program.hpp"
#include "platform/text/text_ops.hpp"
#include "platform/ui/qt/qt_engine.hpp"
#include "platform/ui/window.hpp"
#include "support/temp_folder.hpp"
#include "views/ver_resumen.hpp"

namespace vc::views {
namespace {

namespace fs = std::filesystem;
using vc::ui::Event;
using vc::ui::EventKind;
using vc::ui::Window;

class TourEngine : public vc::ui::QtEngine {
 public:
  explicit TourEngine(std::string source) : source_(std::move(source)) {}

  Event waitEvent(Window& window) override {
    const std::string& title = window.structure().title;
    if (title == "Utilidad para comparar variables globales")
      return press(window, ++mainSteps_ == 1 ? "BOTON1"
                           : mainSteps_ == 2 ? "ANALIZAR"
                                             : "OKBUTTON");
    if (title == "Resumen de Variables Globales por Modulo")
      return press(window, ++analysisSteps_ == 1 ? "DETALLES" : "OKBUTTON");
    EXPECT_EQ(title, "Vista comparativa de Variables Globales");
    ++browseSteps;
    const vc::ui::Binding& rows = *window.control(p17::LIST).binding;
    if (browseSteps == 1) {
      lines = listLines(window, p17::LIST);
      rowsShown = rows.rowCount();
      firstByModule = name(rows, 0);
      grabbed = vc::ui::grabWindow(window, (fs::temp_directory_path() / "vc-browse.png").string());
      window.control(p17::SHEET1).sheet().choice = 2;
      return {EventKind::newSelection, p17::SHEET1, vc::ui::TabChosen{2, p17::TAB2}};
    }
    firstByName = name(rows, 0);
    selectedAfterTab = window.control(p17::LIST).list().selectedRow;
    return press(window, "OKBUTTON");
  }

  std::optional<std::string> askOpenFile(const vc::ui::OpenFileRequest&) override {
    return source_;
  }

  int lines = 0;
  std::size_t rowsShown = 0;
  std::string firstByModule, firstByName;
  int selectedAfterTab = 0;
  bool grabbed = false;
  int browseSteps = 0;

 private:
  static Event press(Window& window, const std::string& equate) {
    return {EventKind::accepted, window.number(equate)};
  }
  static std::string name(const vc::ui::Binding& rows, std::size_t row) {
    return std::string(vc::text::clip(std::get<std::string>(rows.cell(row, 1))));
  }
  std::string source_;
  int mainSteps_ = 0;
  int analysisSteps_ = 0;
};

TEST(VerResumenQtTest, BrowseBuildsOnTheRealWidgets) {
  vc::testing::TempFolder folder;
  for (const auto& e : fs::directory_iterator(fs::path(VC_FIXTURES_DIR) / "app"))
    fs::copy_file(e.path(), folder.path() / e.path().filename());
  TourEngine engine((folder.path() / "MAIN.clw").string());
  EXPECT_EQ(vc::frame::runApplication(engine), 0);
  EXPECT_EQ(engine.browseSteps, 2);
  // The list as drawn holds several lines; the fixture's 13 rows fill them or all show.
  EXPECT_GE(engine.lines, 5);
  EXPECT_EQ(engine.rowsShown, std::min<std::size_t>(13, static_cast<std::size_t>(engine.lines)));
  EXPECT_EQ(engine.firstByModule, "TOTAL");  // COMPRAS's first
  EXPECT_EQ(engine.firstByName, "CNT");
  EXPECT_GE(engine.selectedAfterTab, 1);
  EXPECT_TRUE(engine.grabbed);
}

}  // namespace
}  // namespace vc::views
