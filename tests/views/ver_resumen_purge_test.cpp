// "Depurar " in the comparative browse, end to end on the scripted engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "globals/globals.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/resumen_rows.hpp"
#include "ver_resumen_fixture.hpp"
#include "views/ver_resumen.hpp"

namespace vc::views {
namespace {

using vc::ui::Window;
using Step = vc::ui::ScrollRequest::Step;

using Row = vc::testing::ResumenRow;
using vc::testing::fillResumen;

class VerResumenPurgeTest : public VerResumenFixture {};

TEST_F(VerResumenPurgeTest, DepurarLeavesTheDifferencesAndASecondBrowseShowsThem) {
  // GLO:X has two types and stays; the other names are declared once.
  fillResumen({{"CNT", "LONG", "ALFA"},
               {"GLO:X", "LONG", "ALFA"},
               {"GLO:X", "SHORT", "BETA"},
               {"TOTAL", "LONG", "BETA"},
               {"GLO:X", "LONG", "GAMMA"}});
  const std::vector<std::string> left{"ALFA/GLO:X", "BETA/GLO:X", "GAMMA/GLO:X"};
  engine.chooseTab("SHEET1", "TAB2")
      .press("DEPURAR")
      .inspect([&](Window& w) {
        EXPECT_EQ(shown(w), left);
        EXPECT_EQ(w.control(p17::LIST).list().selectedRow, 1);
        EXPECT_TRUE(w.isEnabled(p17::REPORTE));
        EXPECT_FALSE(w.isEnabled(p17::DEPURAR));
      })
      .chooseTab("SHEET1", "TAB1")
      .inspect([&](Window& w) { EXPECT_EQ(shown(w), left); })
      .press("OKBUTTON");
  run();
  EXPECT_TRUE(engine.messages().empty());

  engine
      .inspect([&](Window& w) {
        EXPECT_EQ(shown(w), left);
        EXPECT_TRUE(w.isEnabled(p17::DEPURAR));
      })
      .press("DEPURAR")  // purging again deletes nothing
      .inspect([&](Window& w) { EXPECT_EQ(shown(w), left); })
      .press("OKBUTTON");
  run();
  EXPECT_TRUE(engine.messages().empty());
}

TEST_F(VerResumenPurgeTest, APurgeThatEmptiesTheTableSaysSoAndDisablesBothButtons) {
  fillResumen({{"CNT", "LONG", "ALFA"}, {"TOTAL", "LONG", "BETA"}, {"TOTAL", "LONG", "BETA"}});
  engine.press("DEPURAR")
      .acknowledge()
      .inspect([](Window& w) {
        EXPECT_TRUE(shown(w).empty());
        EXPECT_FALSE(w.isEnabled(p17::REPORTE));
        EXPECT_FALSE(w.isEnabled(p17::DEPURAR));
      })
      .press("OKBUTTON");
  run();
  ASSERT_EQ(engine.messages().size(), 1u);
  EXPECT_EQ(engine.messages()[0].text,
            "No se ha encontrado Global Data con difrerencias en esta Varcompass");
  EXPECT_EQ(engine.messages()[0].caption, "");
}

TEST_F(VerResumenPurgeTest, WhenEverythingFromTheFirstLineOnGoesTheListFillsAFullPage) {
  // By name: 20 names with two types each (40 rows that stay), then 20 declared once.
  std::vector<Row> rows;
  char name[8];
  for (int i = 0; i < 20; ++i) {
    std::snprintf(name, sizeof name, "A%02d", i);
    rows.push_back({name, "LONG", "M1"});
    rows.push_back({name, "SHORT", "M2"});
  }
  for (int i = 0; i < 20; ++i) {
    std::snprintf(name, sizeof name, "Z%02d", i);
    rows.push_back({name, "LONG", "M1"});
  }
  fillResumen(rows);
  std::size_t page = 0;
  engine.chooseTab("SHEET1", "TAB2")
      .scroll("LIST", Step::last)
      .inspect([&](Window& w) {
        page = shown(w).size();
        ASSERT_GT(page, 0u);
        ASSERT_LT(page, 20u);  // the last page holds only names declared once
        EXPECT_EQ(shown(w).back(), "M1/Z19");
      })
      .press("DEPURAR")
      .inspect([&](Window& w) {
        const std::vector<std::string> s = shown(w);
        ASSERT_EQ(s.size(), page);
        EXPECT_EQ(s.back(), "M2/A19");
        EXPECT_EQ(s.front(), rows[40 - page].modulo + "/" + rows[40 - page].nombre);
      })
      .press("OKBUTTON");
  run();
}

TEST_F(VerResumenPurgeTest, MostOfALargeTableGoesWhileTheBrowseIsOpen) {
  // 3,000 names declared once and 10 with two types: the table takes the deletions of
  // pass 1 in one step, under the browse's own view.
  std::vector<Row> rows;
  char name[8];
  for (int i = 0; i < 3000; ++i) {
    std::snprintf(name, sizeof name, "S%04d", i);
    rows.push_back({name, "LONG", "M1"});
  }
  std::vector<std::string> left;
  for (int i = 0; i < 10; ++i) {
    std::snprintf(name, sizeof name, "D%02d", i);
    rows.push_back({name, "LONG", "M1"});
    rows.push_back({name, "SHORT", "M2"});
    left.push_back(std::string("M1/") + name);
    left.push_back(std::string("M2/") + name);
  }
  fillResumen(rows);
  engine.chooseTab("SHEET1", "TAB2")
      .scroll("LIST", Step::pageDown)
      .press("DEPURAR")
      .inspect([&](Window& w) {
        const std::vector<std::string> s = shown(w);
        ASSERT_FALSE(s.empty());
        EXPECT_EQ(s,
                  std::vector<std::string>(left.end() - static_cast<long>(s.size()), left.end()));
        EXPECT_FALSE(w.isEnabled(p17::DEPURAR));
      })
      .press("OKBUTTON");
  run();
  EXPECT_TRUE(engine.messages().empty());
  ASSERT_EQ(vc::store::resumenRelation->open(), vc::errors::Severity::benign);
  EXPECT_EQ(vc::store::resumen().records(), 20u);
  vc::store::resumenRelation->close();
}

}  // namespace
}  // namespace vc::views
