#include "views/analysis_window.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/module_queue.hpp"
#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/os/fault_injecting_os.hpp"
#include "platform/os/os.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/temp_folder.hpp"
#include "views/main_window.hpp"
#include "views/ver_resumen.hpp"

namespace vc::views {
namespace {

namespace fs = std::filesystem;
using vc::testing::TempFolder;
using vc::ui::ScriptedEngine;
using vc::ui::Window;

using vc::testing::run;

struct Line {
  std::string name;
  long long locales;
  long long externals;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l) {
  return os << "{" << l.name << "," << l.locales << "," << l.externals << "}";
}

// What the analysis window's list shows, read from its bound data.
std::vector<Line> listOf(Window& w) {
  std::vector<Line> out;
  const vc::ui::Binding* src = w.control(p7::LIST1).binding;
  for (std::size_t r = 0; src && r < src->rowCount(); ++r)
    out.push_back({std::string(vc::text::clip(std::get<std::string>(src->cell(r, 0)))),
                   std::get<long long>(src->cell(r, 1)), std::get<long long>(src->cell(r, 2))});
  return out;
}

// Every row of resumen in indnom order, as "NOMBRE/EXTERNAL/MODULO/TIPO".
std::vector<std::string> tableByName() {
  std::vector<std::string> out;
  auto& resumen = store::resumen();
  resumen.clearToLowest();
  resumen.set(store::ResumenFile::indnom);
  while (!resumen.eof()) {
    EXPECT_EQ(resumen.next(), vc::files::FileError::none);
    const auto& r = store::RES;
    out.push_back(std::string(r.NOMBRE.clipped()) + "/" + std::to_string(r.EXTERNAL) + "/" +
                  std::string(r.MODULO.clipped()) + "/" + std::string(r.TIPO.clipped()));
  }
  return out;
}

// What the comparative browse's list shows, as "NOMBRE/EXTERNAL/MODULO/TIPO".
std::vector<std::string> browsed(Window& w) {
  std::vector<std::string> out;
  const vc::ui::Binding& rows = *w.control(p17::LIST).binding;
  const auto text = [&](std::size_t r, std::size_t f) {
    return std::string(vc::text::clip(std::get<std::string>(rows.cell(r, f))));
  };
  for (std::size_t r = 0; r < rows.rowCount(); ++r)
    out.push_back(text(r, 1) + "/" + std::to_string(std::get<long long>(rows.cell(r, 8))) + "/" +
                  text(r, 0) + "/" + text(r, 6));
  return out;
}

class AnalysisWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& e : fs::directory_iterator(fs::path(VC_FIXTURES_DIR) / "app"))
      fs::copy_file(e.path(), folder.path() / e.path().filename());
    mainSource = (folder.path() / "MAIN.clw").string();
  }
  TempFolder folder;
  std::string mainSource;
};

const std::vector<Line> kFixtureList{
    {"STOCK", 0, 0}, {"VENTAS", 4, 1}, {"VENTAS", 4, 1}, {"compras", 2, 1}};

TEST_F(AnalysisWindowTest, AnalysesTheFixtureApplication) {
  ScriptedEngine engine;
  std::vector<std::string> table;
  engine.press("BOTON1")
      .chooseFile(mainSource)
      .press("ANALIZAR")
      .inspect([&](Window& w) {
        EXPECT_EQ(w.structure().title, "Resumen de Variables Globales por Modulo");
        EXPECT_EQ(listOf(w), kFixtureList);
        EXPECT_TRUE(w.isEnabled(p7::DETALLES));
        EXPECT_EQ(w.selected(), p7::LIST1);
        const auto names = globals::errorManager->procedureNames();
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[1].name, "analizar");
        EXPECT_EQ(store::resumen().records(), 13u);
        table = tableByName();
      })
      .press("DETALLES")
      .inspect([&](Window& w) {
        EXPECT_EQ(w.structure().title, "Vista comparativa de Variables Globales");
        EXPECT_EQ(browsed(w).size(), 13u);
        EXPECT_EQ(browsed(w).front(), "TOTAL/0/COMPRAS/DECIMAL(10");  // indmod: COMPRAS first
        EXPECT_EQ(w.control(p17::LIST).list().selectedRow, 1);
        EXPECT_EQ(globals::errorManager->procedureNames().back().name, "ver_resumen");
      })
      .chooseTab("SHEET1", "TAB2")
      .inspect([&](Window& w) {
        EXPECT_EQ(browsed(w), table);
        // The EXTERNAL names stand on yellow.
        const vc::ui::Binding& rows = *w.control(p17::LIST).binding;
        for (std::size_t r = 0; r < rows.rowCount(); ++r)
          EXPECT_EQ(std::get<long long>(rows.cell(r, 3)),
                    std::get<long long>(rows.cell(r, 8)) == 1 ? 0xFFFF : -1);
      })
      .press("OKBUTTON")
      .inspect([](Window& w) {
        EXPECT_EQ(w.structure().title, "Resumen de Variables Globales por Modulo");
        EXPECT_EQ(listOf(w), kFixtureList);
      })
      .press("OKBUTTON")
      .inspect([](Window& w) {
        EXPECT_EQ(w.structure().title, "Utilidad para comparar variables globales");
      })
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  EXPECT_TRUE(engine.scriptDone());
  EXPECT_TRUE(engine.messages().empty());
  EXPECT_EQ(table,
            (std::vector<std::string>{
                "CNT/0/VENTAS/LONG", "CNT/0/VENTAS/LONG", "CNT/1/COMPRAS/LONG",
                "GLO:FECHA/0/VENTAS/LONG  ! Fecha", "GLO:FECHA/0/VENTAS/LONG  ! Fecha",
                "GLO:VAR/1/VENTAS/STRING(20)", "GLO:VAR/1/VENTAS/STRING(20)",
                "TOTAL/0/COMPRAS/DECIMAL(10", "TOTAL/0/VENTAS/LONG", "TOTAL/0/VENTAS/LONG",
                "X/0/COMPRAS/STRING(30)", "X/0/VENTAS/DECIMAL(10", "X/0/VENTAS/DECIMAL(10"}));
  // The missing module's source is left behind, empty, under the name the parser built.
  EXPECT_TRUE(fs::exists(folder.path() / "STOCK.CLW"));
  EXPECT_EQ(fs::file_size(folder.path() / "STOCK.CLW"), 0u);
  EXPECT_TRUE(fs::exists("resumen.dat"));
}

/// Runs sql on resumen.dat as any SQLite client would, each row as its columns' texts
/// joined by "|", as the sqlite3 shell lists them.
std::vector<std::string> plainQuery(const char* sql) {
  std::vector<std::string> out;
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2("resumen.dat", &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  while (st != nullptr && sqlite3_step(st) == SQLITE_ROW) {
    std::string line;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
      if (c > 0) line += '|';
      line.append(text, static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
    }
    out.push_back(line);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

TEST_F(AnalysisWindowTest, AnySQLiteClientReadsTheRowsAsTheProgramShowsThem) {
  ScriptedEngine engine;
  engine.press("BOTON1")
      .chooseFile(mainSource)
      .press("ANALIZAR")
      .press("OKBUTTON")
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  EXPECT_TRUE(engine.scriptDone());
  // In the order of addition: module after module as the analysis window lists them
  // (STOCK has no source, VENTAS is named twice), each in the order of its lines.
  const std::vector<std::string> ventas{
      "VENTAS|GLO:VAR|STRING(20)|EXTERNAL,DLL|1",
      "VENTAS|CNT|LONG||0",
      "VENTAS|X|DECIMAL(10|2)|0",
      "VENTAS|TOTAL|LONG|THREAD|0",
      "VENTAS|GLO:FECHA|LONG  ! Fecha|en formato est\xe1ndar|0",
  };
  std::vector<std::string> expected = ventas;
  expected.insert(expected.end(), ventas.begin(), ventas.end());
  expected.insert(expected.end(), {"COMPRAS|CNT|LONG|EXTERNAL|1", "COMPRAS|TOTAL|DECIMAL(10|2)|0",
                                   "COMPRAS|X|STRING(30)||0"});
  EXPECT_EQ(plainQuery("SELECT MODULO, NOMBRE, TIPO, MODO, EXTERNAL FROM resumen ORDER BY rowid"),
            expected);
  // The texts compare with plain literals; the one with a Windows-1252 letter is a BLOB
  // of its bytes, not text a client would take for UTF-8.
  EXPECT_EQ(plainQuery("SELECT count(*) FROM resumen WHERE MODULO = 'VENTAS' AND NOMBRE = 'CNT'"
                       " AND TIPO = 'LONG' AND MODO = ''"),
            std::vector<std::string>{"2"});
  EXPECT_EQ(plainQuery("SELECT DISTINCT typeof(MODO) FROM resumen WHERE NOMBRE = 'GLO:FECHA'"),
            std::vector<std::string>{"blob"});
}

TEST_F(AnalysisWindowTest, FileWithoutModulesSaysSoAndDisablesVerDetalles) {
  TempFolder::write(folder.path() / "EMPTY.clw", "  PROGRAM\r\n  CODE\r\n");
  ScriptedEngine engine;
  engine.press("BOTON1")
      .chooseFile((folder.path() / "EMPTY.clw").string())
      .press("ANALIZAR")
      .acknowledge()
      .inspect([&](Window& w) {
        EXPECT_TRUE(listOf(w).empty());
        EXPECT_FALSE(w.isEnabled(p7::DETALLES));
        EXPECT_EQ(store::resumen().records(), 0u);
      })
      .press("OKBUTTON")
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  ASSERT_EQ(engine.messages().size(), 1u);
  const auto& box = engine.messages()[0];
  EXPECT_EQ(box.caption, "");
  EXPECT_EQ(box.text, "El Archivo no contiene declaraciones de MODULOS");
  EXPECT_EQ(box.icon, vc::errors::MessageIcon::none);
  EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(fs::exists("resumen.dat"));
}

TEST_F(AnalysisWindowTest, BlankNameIsFatalBeforeTheWindowOpens) {
  TempFolder::write("resumen.dat", "stale");
  // Analizar stays disabled after a first cancel: choose, then cancel, to reach it blank.
  ScriptedEngine e2;
  e2.press("BOTON1")
      .chooseFile(mainSource)
      .press("BOTON1")
      .cancelFile()
      .press("ANALIZAR")
      .acknowledge();
  EXPECT_EQ(run(e2), 1);
  EXPECT_TRUE(e2.scriptDone());
  ASSERT_EQ(e2.messages().size(), 1u);
  EXPECT_EQ(e2.messages()[0].caption, "File Access Error");
  EXPECT_EQ(e2.messages()[0].text,
            "File  could not be opened.  Error: Invalid Filename (45).  Press OK to end this "
            "application");
  EXPECT_EQ(e2.messages()[0].icon, vc::errors::MessageIcon::information);
  for (const auto& line : e2.transcript())
    EXPECT_EQ(line.find("open: Resumen"), std::string::npos) << line;
  // The stale table was deleted before the failing open.
  EXPECT_NE(TempFolder::read("resumen.dat"), "stale");
}

TEST_F(AnalysisWindowTest, ReadOnlyMainFileBringsTwoNoticesThenAnalyses) {
  vc::files::FaultInjectingOs faults;
  faults.makeReadOnly("MAIN.clw");
  vc::files::ScopedOs seam(faults);
  ScriptedEngine engine;
  engine.press("BOTON1")
      .chooseFile(mainSource)
      .press("ANALIZAR")
      .acknowledge()
      .acknowledge()
      .inspect([&](Window& w) { EXPECT_EQ(listOf(w), kFixtureList); })
      .press("OKBUTTON")
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  ASSERT_EQ(engine.messages().size(), 2u);
  for (const auto& box : engine.messages()) {
    EXPECT_EQ(box.caption, "Access Denied");
    EXPECT_EQ(box.text, "Could not get write access to " + mainSource + " so trying read-only.");
  }
}

TEST_F(AnalysisWindowTest, TwoAnalysesInARowGiveTheSameTable) {
  ScriptedEngine engine;
  std::vector<std::string> first, second;
  engine.press("BOTON1")
      .chooseFile(mainSource)
      .press("ANALIZAR")
      .inspect([&](Window&) { first = tableByName(); })
      .press("OKBUTTON")
      .press("ANALIZAR")
      .inspect([&](Window& w) {
        second = tableByName();
        EXPECT_EQ(listOf(w), kFixtureList);
      })
      .press("OKBUTTON")
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  EXPECT_EQ(first.size(), 13u);
  EXPECT_EQ(first, second);
}

TEST_F(AnalysisWindowTest, WindowPositionIsKeptUnderItsOwnSection) {
  ScriptedEngine engine;
  engine.press("BOTON1")
      .chooseFile(mainSource)
      .press("ANALIZAR")
      .moveWindow(7, 9)
      .press("OKBUTTON")
      .press("OKBUTTON");
  run(engine);
  const std::string ini = TempFolder::read("varcompass.INI");
  EXPECT_NE(ini.find("[analizar]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("XPos=7"), std::string::npos) << ini;
}

}  // namespace
}  // namespace vc::views
