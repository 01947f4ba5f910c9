// The comparative browse on the real widgets (offscreen): the whole program on a tour that
// analyses the fixture application and opens the browse, which must build, take its page
// height from the list as drawn, fill it and follow a tab.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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

Event press(Window& window, const std::string& equate) {
  return {EventKind::accepted, window.number(equate)};
}

/// The name of generated declaration `n`.
std::string variable(int n) {
  std::string v = "V";
  v += std::to_string(n);
  return v;
}

std::string name(const vc::ui::Binding& rows, std::size_t row) {
  return std::string(vc::text::clip(std::get<std::string>(rows.cell(row, 1))));
}

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
    if (browse) return browse(window, browseSteps);
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

  /// When set, plays the browse's part instead of the tour's own: the event for the
  /// browse's wait number `step` (from 1).
  std::function<Event(Window&, int step)> browse;
  int lines = 0;
  std::size_t rowsShown = 0;
  std::string firstByModule, firstByName;
  int selectedAfterTab = 0;
  bool grabbed = false;
  int browseSteps = 0;

 private:
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

// Every page of the list holds as many rows as the list shows lines, the first page too,
// so that PgDn and then PgUp come back to the same first line.
TEST(VerResumenQtTest, EveryPageHoldsTheSameRowsAndPagingComesBack) {
  vc::testing::TempFolder folder;
  {
    std::ofstream main(folder.path() / "MAIN.clw");
    main << "  PROGRAM\r\n  MAP\r\n    MODULE('MUCHAS.CLW')\r\nMuchas  PROCEDURE\r\n    END\r\n"
            "  END\r\n";
    std::ofstream module(folder.path() / "MUCHAS.CLW");
    module << "  MEMBER('MAIN.CLW')\r\n"
              "!--- Application Global and Exported Procedure Definitions\r\n";
    for (int i = 100; i < 200; ++i) module << "V" << i << " LONG\r\n";
    module << "!--- end\r\n";
  }
  TourEngine engine((folder.path() / "MAIN.clw").string());
  struct Page {
    std::size_t rows;
    std::string first;
  };
  std::vector<Page> seen;
  int lines = 0;
  const vc::ui::ScrollRequest::Step steps[] = {
      vc::ui::ScrollRequest::Step::pageDown, vc::ui::ScrollRequest::Step::pageDown,
      vc::ui::ScrollRequest::Step::pageUp, vc::ui::ScrollRequest::Step::pageUp};
  engine.browse = [&](Window& window, int step) -> Event {
    const vc::ui::Binding& rows = *window.control(p17::LIST).binding;
    seen.push_back({rows.rowCount(), rows.rowCount() ? name(rows, 0) : ""});
    lines = engine.listLines(window, p17::LIST);
    if (step > static_cast<int>(std::size(steps))) return press(window, "OKBUTTON");
    return {EventKind::scroll, p17::LIST, vc::ui::ScrollRequest{steps[step - 1]}};
  };
  EXPECT_EQ(vc::frame::runApplication(engine), 0);
  ASSERT_EQ(seen.size(), 5u);
  ASSERT_GE(lines, 5);
  ASSERT_LT(3 * lines, 100);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].rows, static_cast<std::size_t>(lines));
  }
  EXPECT_EQ(seen[0].first, "V100");
  EXPECT_EQ(seen[1].first, variable(100 + lines));
  EXPECT_EQ(seen[2].first, variable(100 + 2 * lines));
  EXPECT_EQ(seen[3].first, seen[1].first);
  EXPECT_EQ(seen[4].first, seen[0].first);
}

}  // namespace
}  // namespace vc::views
