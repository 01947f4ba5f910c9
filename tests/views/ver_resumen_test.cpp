#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "globals/globals.hpp"
#include "platform/report/report_controller.hpp"
#include "platform/report/scripted/scripted_output.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/resumen_rows.hpp"
#include "support/temp_folder.hpp"
#include "ver_resumen_fixture.hpp"

namespace vc::views {
namespace {

using vc::testing::TempFolder;
using vc::ui::MouseButton;
using vc::ui::Window;
using Step = vc::ui::ScrollRequest::Step;

using Row = vc::testing::ResumenRow;
using vc::testing::fillResumen;

// A small table whose two orders differ, added in module order (both keys keep equal
// values in the order of addition); module and name upper-cased, as the parser stores
// them.
const std::vector<Row> kSmall{
    {"CNT", "LONG", "ALFA"},      {"GLO:X", "LONG", "ALFA"},     {"GLO:X", "SHORT", "BETA"},
    {"TOTAL", "LONG", "BETA", 1}, {"GLO:X", "LONG", "GAMMA", 1}, {"MAX", "BYTE", "GESTION"},
    {"ZETA", "LONG", "OMEGA"},
};
const std::vector<std::string> kSmallByModule{"ALFA/CNT",   "ALFA/GLO:X",  "BETA/GLO:X",
                                              "BETA/TOTAL", "GAMMA/GLO:X", "GESTION/MAX",
                                              "OMEGA/ZETA"};
const std::vector<std::string> kSmallByName{"ALFA/CNT",    "ALFA/GLO:X",  "BETA/GLO:X",
                                            "GAMMA/GLO:X", "GESTION/MAX", "BETA/TOTAL",
                                            "OMEGA/ZETA"};

// 40 rows, one per module; names run the other way, so the two orders are reversed.
std::vector<Row> reversedRows(int n) {
  std::vector<Row> rows;
  char m[16], v[16];
  for (int i = 0; i < n; ++i) {
    std::snprintf(m, sizeof m, "M%02d", i);
    std::snprintf(v, sizeof v, "N%02d", n - 1 - i);
    rows.push_back({v, "LONG", m});
  }
  return rows;
}

int selectedLine(Window& w) {
  return w.control(p17::LIST).list().selectedRow;
}

// The row selected, as the list shows it; "" when none.
std::string selected(Window& w) {
  const int line = selectedLine(w);
  if (line == 0) return "";
  return shown(w).at(static_cast<std::size_t>(line) - 1);
}

// The record buffer, which the browse keeps at the selected row.
std::string buffer() {
  return std::string(vc::store::RES.MODULO.clipped()) + "/" +
         std::string(vc::store::RES.NOMBRE.clipped());
}

class VerResumenTest : public VerResumenFixture {};

TEST_F(VerResumenTest, OpensByModuleWithTheFirstRowSelected) {
  fillResumen(kSmall);
  engine
      .inspect([](Window& w) {
        EXPECT_EQ(w.structure().title, "Vista comparativa de Variables Globales");
        EXPECT_EQ(w.control(p17::SHEET1).sheet().choice, 1);
        EXPECT_EQ(shown(w), kSmallByModule);
        EXPECT_EQ(selectedLine(w), 1);
        EXPECT_EQ(buffer(), "ALFA/CNT");
        EXPECT_EQ(w.selected(), p17::LIST);
        EXPECT_TRUE(w.isEnabled(p17::REPORTE));
        EXPECT_TRUE(w.isEnabled(p17::DEPURAR));
        const auto names = globals::errorManager->procedureNames();
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.back().name, "ver_resumen");
      })
      .chooseTab("SHEET1", "TAB2")
      .inspect([](Window& w) {
        EXPECT_EQ(shown(w), kSmallByName);
        EXPECT_EQ(selected(w), "ALFA/CNT");
      })
      .press("OKBUTTON");
  run();
  EXPECT_TRUE(engine.messages().empty());
  EXPECT_TRUE(globals::errorManager->procedureNames().empty());
}

TEST_F(VerResumenTest, TabSwitchesKeepTheSelectedRecord) {
  struct Case {
    const char* name;
    std::vector<vc::ui::script::Action> moves;  // in tab 1, before the switch
    std::string record;                         // selected in both orders
    int lineInTab2;
  };
  const std::vector<Case> cases{
      {"first row", {}, "M00/N39", 14},
      {"last line of the first page",
       std::vector<vc::ui::script::Action>(13, vc::ui::script::Scroll{"LIST", Step::lineDown}),
       "M13/N26", 14},
      {"last row", {vc::ui::script::Scroll{"LIST", Step::last}}, "M39/N00", 1},
      {"clicked row", {vc::ui::script::ClickRow{"LIST", 5, MouseButton::left}}, "M04/N35", 10},
  };
  fillResumen(reversedRows(40));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vc::ui::ScriptedEngine& e = engine;
    for (const auto& move : c.moves) e.then(move);
    e.inspect([&](Window& w) {
       EXPECT_EQ(selected(w), c.record);
       EXPECT_EQ(shown(w).size(), 14u);
     })
        .chooseTab("SHEET1", "TAB2")
        .inspect([&](Window& w) {
          EXPECT_EQ(selected(w), c.record);
          EXPECT_EQ(buffer(), c.record);
          EXPECT_EQ(selectedLine(w), c.lineInTab2);
          EXPECT_EQ(shown(w).size(), 14u);
        })
        .chooseTab("SHEET1", "TAB1")
        .inspect([&](Window& w) { EXPECT_EQ(selected(w), c.record); })
        .press("OKBUTTON");
    run();
  }
}

TEST_F(VerResumenTest, PagesAcrossPageEnds) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string firstLine;
    int line;
  };
  const std::vector<Case> cases{
      {"down to the last line", std::vector<Step>(13, Step::lineDown), "M00/N39", 14},
      {"one line past the page", std::vector<Step>(14, Step::lineDown), "M01/N38", 14},
      {"up at the top", {Step::lineUp}, "M00/N39", 1},
      {"page down", {Step::pageDown}, "M14/N25", 1},
      {"page down twice ends at the last row", {Step::pageDown, Step::pageDown}, "M26/N13", 1},
      {"page down at the end selects the last line", {Step::last, Step::pageDown}, "M26/N13", 14},
      {"page up back", {Step::pageDown, Step::pageUp}, "M00/N39", 1},
      {"page up short of a page starts at the first row",
       {Step::pageDown, Step::lineDown, Step::lineDown, Step::lineUp, Step::lineUp, Step::lineUp,
        Step::pageUp},
       "M00/N39",
       1},
      {"page up at the top", {Step::pageUp}, "M00/N39", 1},
      {"end", {Step::last}, "M26/N13", 14},
      {"end, then up a line past the page",
       [] {
         std::vector<Step> s(15, Step::lineUp);
         s.front() = Step::last;
         return s;
       }(),
       "M25/N14", 1},
      {"home after end", {Step::last, Step::first}, "M00/N39", 1},
      {"up from the end's first line", {Step::last, Step::pageUp}, "M12/N27", 14},
  };
  fillResumen(reversedRows(40));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (Step s : c.steps) engine.scroll("LIST", s);
    engine
        .inspect([&](Window& w) {
          const auto rows = shown(w);
          ASSERT_EQ(rows.size(), 14u);
          EXPECT_EQ(rows.front(), c.firstLine);
          EXPECT_EQ(selectedLine(w), c.line);
          EXPECT_EQ(buffer(), selected(w));
          // Every page holds consecutive rows of the order.
          for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1], rows[i]);
        })
        .press("OKBUTTON");
    run();
  }
}

TEST_F(VerResumenTest, ThumbJumpsEstimateThePlace) {
  fillResumen(reversedRows(40));
  engine.setThumb("LIST", 50)
      .inspect([](Window& w) {
        const auto rows = shown(w);
        ASSERT_EQ(rows.size(), 14u);
        EXPECT_GE(rows.front(), "M05");
        EXPECT_LE(rows.front(), "M35");
        EXPECT_EQ(selectedLine(w), 1);
        const int thumb = w.control(p17::LIST).list().thumb;
        EXPECT_GT(thumb, 10);
        EXPECT_LT(thumb, 90);
      })
      .setThumb("LIST", 100)
      .inspect([](Window& w) {
        EXPECT_EQ(selected(w), "M39/N00");
        EXPECT_EQ(w.control(p17::LIST).list().thumb, 100);
      })
      .setThumb("LIST", 0)
      .inspect([](Window& w) {
        EXPECT_EQ(selected(w), "M00/N39");
        EXPECT_EQ(w.control(p17::LIST).list().thumb, 0);
      })
      .press("OKBUTTON");
  run();
}

TEST_F(VerResumenTest, LocatorKeys) {
  struct Case {
    const char* name;
    bool byName;
    int line;  // clicked before typing
    int key;
    std::string record;
  };
  const std::vector<Case> cases{
      {"g finds the first module with G", false, 1, 'g', "GAMMA/GLO:X"},
      {"G does the same", false, 1, 'G', "GAMMA/GLO:X"},
      {"c finds the first module after C", false, 1, 'c', "GAMMA/GLO:X"},
      {"the next row begins with g: its module's first row", false, 4, 'g', "GAMMA/GLO:X"},
      {"g again steps to the next G module", false, 5, 'g', "GESTION/MAX"},
      {"z is past every row: the last row", false, 1, 'z', "OMEGA/ZETA"},
      {"on the last row its own letter keeps it", false, 7, 'o', "OMEGA/ZETA"},
      {"g on the first of a name's rows stays there", true, 2, 'g', "ALFA/GLO:X"},
      {"t finds the first name with T", true, 1, 't', "BETA/TOTAL"},
      {"a blank goes to the first row", true, 4, ' ', "ALFA/CNT"},
  };
  fillResumen(kSmall);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.byName) engine.chooseTab("SHEET1", "TAB2");
    engine.clickRow("LIST", c.line)
        .typeKey(c.key)
        .inspect([&](Window& w) {
          EXPECT_EQ(selected(w), c.record);
          EXPECT_EQ(buffer(), c.record);
          EXPECT_EQ(shown(w), c.byName ? kSmallByName : kSmallByModule);
        })
        .press("OKBUTTON");
    run();
  }
}

TEST_F(VerResumenTest, ColoursMarkExternalNames) {
  fillResumen(kSmall);
  engine
      .inspect([](Window& w) {
        const auto& b = rowsOf(w);
        for (std::size_t r = 0; r < b.rowCount(); ++r) {
          SCOPED_TRACE(shown(w)[r]);
          const bool external = shown(w)[r] == "BETA/TOTAL" || shown(w)[r] == "GAMMA/GLO:X";
          EXPECT_EQ(std::get<long long>(b.cell(r, 8)), external ? 1 : 0);
          const std::vector<long long> expected =
              external ? std::vector<long long>{-1, 0xFFFF, -1, 0x80FF}
                       : std::vector<long long>{-1, -1, -1, -1};
          for (std::size_t f = 0; f < 4; ++f)
            EXPECT_EQ(std::get<long long>(b.cell(r, 2 + f)), expected[f]);
        }
        EXPECT_EQ(text(b, 3, 6), "LONG");
      })
      .press("OKBUTTON");
  run();
}

TEST_F(VerResumenTest, EmptyTableSaysSoOnceAndDisablesBothButtons) {
  fillResumen({});
  engine.acknowledge()
      .inspect([](Window& w) {
        EXPECT_TRUE(shown(w).empty());
        EXPECT_EQ(selectedLine(w), 0);
        EXPECT_FALSE(w.isEnabled(p17::REPORTE));
        EXPECT_FALSE(w.isEnabled(p17::DEPURAR));
        EXPECT_TRUE(w.isEnabled(p17::OKBUTTON));
      })
      .typeKey('g')
      .scroll("LIST", Step::lineDown)
      .scroll("LIST", Step::pageUp)
      .scroll("LIST", Step::last)
      .chooseTab("SHEET1", "TAB2")
      .inspect([](Window& w) { EXPECT_TRUE(shown(w).empty()); })
      .press("OKBUTTON");
  run();
  ASSERT_EQ(engine.messages().size(), 1u);
  const auto& box = engine.messages()[0];
  EXPECT_EQ(box.caption, "");
  EXPECT_EQ(box.text, "No se han definido Variables Globales en esta Varcompass");
  EXPECT_EQ(box.icon, vc::errors::MessageIcon::none);
  EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
}

TEST_F(VerResumenTest, ReporteAndTheTabShownChangeNothing) {
  fillResumen(reversedRows(40));
  vc::report::ScriptedOutput output;
  output.leavePreview();
  globals::reportOutput = &output;
  // A clock that stands still: the report reads every row at its first tick.
  vc::report::ReportController::setTimeSource(
      [] { return std::chrono::steady_clock::time_point{}; });
  std::vector<std::string> before;
  engine.scroll("LIST", Step::pageDown)
      .scroll("LIST", Step::lineDown)
      .inspect([&](Window& w) { before = shown(w); })
      .press("REPORTE")
      .afterTicks(1)
      .inspect([&](Window& w) {
        EXPECT_EQ(output.transcript(), (std::vector<std::string>{"preview: 1 pages"}));
        EXPECT_EQ(shown(w), before);
        EXPECT_EQ(selectedLine(w), 2);
        // The report read through its own view, so the browse's place is untouched; the
        // buffer both share holds the last row printed.
        EXPECT_EQ(buffer(), "M00/N39");
      })
      .chooseTab("SHEET1", "TAB1")
      .inspect([&](Window& w) {
        EXPECT_EQ(shown(w), before);
        EXPECT_EQ(selectedLine(w), 2);
      })
      .press("OKBUTTON");
  run();
  EXPECT_TRUE(engine.messages().empty());
  vc::report::ReportController::setTimeSource({});
  globals::reportOutput = nullptr;
}

TEST_F(VerResumenTest, RightReleaseSelectsTheRow) {
  fillResumen(kSmall);
  engine.clickRow("LIST", 3, MouseButton::right)
      .inspect([](Window& w) {
        EXPECT_EQ(selectedLine(w), 3);
        EXPECT_EQ(buffer(), "BETA/GLO:X");
        EXPECT_EQ(vc::store::RES.TIPO.clipped(), "SHORT");
      })
      .press("OKBUTTON");
  run();
  // No menu, no box: nothing else was shown.
  EXPECT_TRUE(engine.messages().empty());
}

TEST_F(VerResumenTest, PlacementIsSavedUnderVerResumen) {
  fillResumen(kSmall);
  engine.moveWindow(30, 40).press("OKBUTTON");
  run();
  globals::settingsManager->closeSettings();
  EXPECT_NE(TempFolder::read("varcompass.INI").find("[ver_resumen]"), std::string::npos);
  globals::settingsManager->openSettings("varcompass.INI", vc::settings::SettingsKind::iniFile);
  engine
      .inspect([](Window& w) {
        EXPECT_EQ(w.x(), 30);
        EXPECT_EQ(w.y(), 40);
      })
      .press("OKBUTTON");
  run();
}

}  // namespace
}  // namespace vc::views
