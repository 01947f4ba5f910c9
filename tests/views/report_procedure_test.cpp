#include "views/report_procedure.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "globals/globals.hpp"
#include "platform/report/clock.hpp"
#include "platform/report/report_controller.hpp"
#include "platform/report/scripted/scripted_output.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/ui/calendar.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/resumen_rows.hpp"

namespace vc::views {
namespace {

using vc::report::PageSet;
using vc::report::ScriptedOutput;
using vc::ui::Window;

using Row = vc::testing::ResumenRow;
using vc::testing::fillResumen;

class ReporteTest : public ::testing::Test {
 protected:
  ReporteTest() {
    globals::reportOutput = &output;
    globals::settingsManager->openSettings(".\\varcompass.INI", settings::SettingsKind::iniFile);
    globals::NOMBREARCHIVO1 = "/home/dev/app/MAIN.clw";
    // 10 December 2026 at 14:05, read once for both stamps.
    report::setClockSource([] {
      return report::ClockReading{ui::dayNumber({2026, 12, 10}), (14 * 60 + 5) * 6000};
    });
    // Each reading of the clock is an hour on: every timer event takes one row.
    report::ReportController::setTimeSource([this] { return clock += std::chrono::hours(1); });
  }
  ~ReporteTest() override {
    report::ReportController::setTimeSource({});
    report::setClockSource({});
    globals::reportOutput = nullptr;
    globals::settingsManager->closeSettings();
  }

  void fillNumbered(int n) {
    std::vector<Row> rows;
    for (int i = 0; i < n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "V%05d", 10000 + i);
      rows.push_back({name, "LONG", "M1"});
    }
    fillResumen(rows);
  }

  /// The detail rows of every page, "NOMBRE|MODULO|TIPO|MODO", in printing order.
  static std::vector<std::string> detailRows(const PageSet& pages) {
    std::vector<std::string> out;
    for (const auto& page : pages.pages())
      for (const auto& band : page.bands()) {
        if (pages.kind(band) != report::BandKind::detail) continue;
        std::string line;
        for (const auto& item : pages.items(page, band)) {
          if (item.kind != report::ReportControlKind::variableText) continue;
          if (!line.empty()) line += "|";
          line += item.text;
        }
        out.push_back(line);
      }
    return out;
  }
  /// Text of control `control` on each page where it was printed.
  static std::vector<std::string> textsOf(const PageSet& pages, int control) {
    std::vector<std::string> out;
    for (const auto& page : pages.pages())
      for (const auto& band : page.bands())
        for (const auto& item : pages.items(page, band))
          if (item.control == control) out.emplace_back(item.text);
    return out;
  }
  int resumenOpenCount() const { return store::resumenAccess->opened; }

  vc::testing::ProgramFixture program;
  ScriptedOutput output;
  std::chrono::steady_clock::time_point clock{};
};

TEST_F(ReporteTest, PrintsTheRowsThereAreInNameOrderOnOnePage) {
  // What a purge leaves: the names declared with different types, in no order.
  fillResumen({{"CNT", "SHORT", "M3"},
               {"TOTAL", "REAL", "M1"},
               {"CNT", "LONG", "M2", 1, "EXTERNAL"},
               {"CNT", "LONG", "M1"},
               {"TOTAL", "DECIMAL(9,2)", "M2", 1, "EXTERNAL,DLL"}});
  output.leavePreview();
  program.engine.inspect([](Window& w) {
    EXPECT_EQ(w.structure().title, "Report resumen");
    const auto names = globals::errorManager->procedureNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back().name, "reporte");
  });
  const int before = resumenOpenCount();
  const std::size_t names = globals::errorManager->procedureNames().size();
  reporte();

  ASSERT_EQ(output.previews().size(), 1u);
  const PageSet& pages = output.previews()[0];
  EXPECT_EQ(pages.pageCount(), 1);
  EXPECT_EQ(detailRows(pages), (std::vector<std::string>{
                                   "CNT|M1|LONG|",
                                   "CNT|M3|SHORT|",
                                   "CNT|M2|LONG|EXTERNAL",
                                   "TOTAL|M1|REAL|",
                                   "TOTAL|M2|DECIMAL(9,2)|EXTERNAL,DLL",
                               }));
  EXPECT_EQ(textsOf(pages, p25r::NOMBREARCHIVO1),
            (std::vector<std::string>{"/home/dev/app/MAIN.clw"}));
  EXPECT_EQ(textsOf(pages, p25r::REPORTDATESTAMP_2), (std::vector<std::string>{"12/10/26"}));
  EXPECT_EQ(textsOf(pages, p25r::REPORTTIMESTAMP_2), (std::vector<std::string>{"02:05 PM"}));
  EXPECT_EQ(textsOf(pages, p25r::PAGECOUNT_2), (std::vector<std::string>{"Page   1"}));
  EXPECT_EQ(output.transcript(), (std::vector<std::string>{"preview: 1 pages"}));
  EXPECT_TRUE(output.prints().empty()) << "a preview left prints nothing";
  // The shared buffer holds the last row printed; the file is counted back as before.
  EXPECT_EQ(store::RES.NOMBRE.clipped(), "TOTAL");
  EXPECT_EQ(store::RES.MODULO.clipped(), "M2");
  EXPECT_EQ(resumenOpenCount(), before);
  EXPECT_EQ(globals::errorManager->procedureNames().size(), names) << "reporte is popped";
  EXPECT_TRUE(reportViewSetUp());
  const auto& shown = program.engine.transcript();
  EXPECT_EQ(std::vector<std::string>(shown.end() - 4, shown.end()),
            (std::vector<std::string>{"open: Report resumen", "hide: Report resumen",
                                      "show: Report resumen", "close: Report resumen"}));
}

TEST_F(ReporteTest, PrintsTheChosenPages) {
  fillNumbered(83);
  output.printPages(2, 3);
  reporte();
  ASSERT_EQ(output.previews().size(), 1u);
  EXPECT_EQ(output.previews()[0].pageCount(), 3);
  EXPECT_EQ(textsOf(output.previews()[0], p25r::PAGECOUNT_2),
            (std::vector<std::string>{"Page   1", "Page   2", "Page   3"}));
  EXPECT_EQ(output.transcript(),
            (std::vector<std::string>{"preview: 3 pages", "print: resumen Report, pages 2-3"}));
  EXPECT_EQ(detailRows(output.previews()[0]).size(), 83u);
}

TEST_F(ReporteTest, CancelShowsNothingAndTheNextRunOpensWhereTheWindowWas) {
  fillNumbered(200);
  const int before = resumenOpenCount();
  const std::size_t names = globals::errorManager->procedureNames().size();
  program.engine.moveWindow(30, 40).afterTicks(3).press("PROGRESS_CANCEL");
  reporte();
  EXPECT_TRUE(output.previews().empty());
  EXPECT_TRUE(output.prints().empty());
  EXPECT_EQ(resumenOpenCount(), before);
  EXPECT_EQ(globals::errorManager->procedureNames().size(), names) << "reporte is popped";
  EXPECT_EQ(store::RES.NOMBRE.clipped(), "V10003") << "the first row, then one a tick";
  const std::string ini = vc::testing::TempFolder::read("varcompass.INI");
  EXPECT_NE(ini.find("[reporte]"), std::string::npos) << ini;

  // A second run builds everything afresh, at the saved position, and reads every row.
  output.leavePreview();
  program.engine.inspect([](Window& w) {
    EXPECT_EQ(w.x(), 30);
    EXPECT_EQ(w.y(), 40);
    EXPECT_EQ(w.control(p25::PROGRESS_PCTTEXT).text, "1% Complete");
  });
  reporte();
  ASSERT_EQ(output.previews().size(), 1u);
  EXPECT_EQ(detailRows(output.previews()[0]).size(), 200u);
}

TEST_F(ReporteTest, AnEmptyTableSaysSoAndStampsNothing) {
  fillResumen({});
  program.engine.acknowledge();
  reporte();
  ASSERT_FALSE(program.engine.messages().empty());
  EXPECT_EQ(program.engine.messages().back().caption, "No Records");
  EXPECT_EQ(program.engine.messages().back().text, "There are no records available to process.");
  EXPECT_TRUE(output.previews().empty());
  EXPECT_TRUE(program.engine.scriptDone());
}

}  // namespace
}  // namespace vc::views
