// The analysis and the purge on a disk that fills up: the notice names the real cause,
// and the table is left in a state it had, with no rows of the failed analysis waiting
// to join a later one.
#include "support/full_disk.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/declaration_parser.hpp"
#include "analysis/module_queue.hpp"
#include "globals/globals.hpp"
#include "platform/files/file_driver.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/temp_folder.hpp"
#include "views/purge_results.hpp"
#include "views/window_styles.hpp"

namespace vc::views {
namespace {

using vc::testing::TempFolder;

/// A module source declaring n globals, enough for several of the table's write batches.
std::string moduleDeclaring(int n) {
  std::string text = "!--- Application Global and Exported Procedure Definitions ----\r\n";
  char line[64];
  for (int i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "GLO:V%06d   LONG\r\n", i);
    text += line;
  }
  return text + "!--- fin\r\n";
}

/// The analysis's parse of VENTAS into a new resumen.dat; the module's count of locales.
int analyseVentas() {
  (void)vc::store::resumen().remove();
  globals::NOMBREARCHIVO1 = "main.clw";
  globals::NOMBREARCHIVO2 = globals::NOMBREARCHIVO1.view();
  vc::store::archivo2Relation->open();
  vc::store::resumenRelation->open();
  analysis::ModuleQueue queue;
  queue.TAB1.NOMBRE = "VENTAS";
  queue.add();
  analysis::parseAllModules(queue, analysis::SourceFolder{});
  vc::store::archivo2Relation->close();
  return queue.at(1).EXPORT;
}

TEST(FullDiskTest, AnAnalysisThatRunsOutOfRoomIsToldAndLeavesNoneOfItsRows) {
  constexpr int kDeclarations = 25000;
  // The disk first, so that every opening of the table goes through it.
  vc::testing::FullDisk disk;
  vc::testing::ProgramFixture program;
  TempFolder::write("VENTAS.CLW", moduleDeclaring(kDeclarations));
  TempFolder::write("main.clw", "");
  // The room a whole analysis takes when there is room to spare; then half of it.
  disk.forgetGrowth();
  ASSERT_EQ(analyseVentas(), kDeclarations);
  ASSERT_EQ(vc::store::resumen().records(), static_cast<std::uint64_t>(kDeclarations));
  vc::store::resumenRelation->close();
  const std::int64_t whole = disk.grown();

  disk.forgetGrowth();
  disk.leaveRoom(whole / 2);
  program.engine.acknowledge();
  EXPECT_EQ(analyseVentas(), kDeclarations);  // the counts stand: the source was read
  EXPECT_GT(disk.refused(), 0);
  ASSERT_EQ(program.engine.messages().size(), 1u);
  EXPECT_EQ(program.engine.messages()[0].caption, "File Access Error");
  EXPECT_EQ(program.engine.messages()[0].text,
            "File resumen.dat could not be written.  Error: database or disk is full (13).");
  EXPECT_EQ(vc::store::resumen().records(), 0u);
  vc::store::resumenRelation->close();
  disk.unlimited();
  EXPECT_EQ(vc::testing::plainView("resumen.dat"), "ok resumen");
  // An opening that has the file to itself finds nothing of the failed analysis waiting.
  vc::store::resumenRelation->open();
  EXPECT_EQ(vc::store::resumen().records(), 0u);
  vc::store::resumenRelation->close();
}

TEST(FullDiskTest, APurgeWithoutRoomTellsTheCauseAndKeepsTheTable) {
  constexpr int kReporte = 3;
  constexpr int kDepurar = 7;
  vc::ui::WindowSpec buttons = fixedDialog("P_WINDOW", "Purga", 200, 40);
  buttons.controls = {
      {kReporte, "REPORTE", vc::ui::ControlKind::button, {10, 10, 40, 14}, "Reporte"},
      {kDepurar, "DEPURAR", vc::ui::ControlKind::button, {60, 10, 40, 14}, "Depurar "}};
  vc::testing::FullDisk disk;
  vc::testing::ProgramFixture program;
  ASSERT_EQ(vc::store::resumenRelation->open(), vc::errors::Severity::benign);
  auto& resumen = vc::store::resumen();
  ASSERT_TRUE(resumen.stream().ok());
  for (const char* name : {"A", "B", "B"}) {
    vc::store::clear(vc::store::RES);
    vc::store::RES.NOMBRE = name;
    vc::store::RES.TIPO = "LONG";
    vc::store::RES.MODULO = "M";
    ASSERT_EQ(resumen.add(), vc::files::FileError::none);
  }
  ASSERT_TRUE(resumen.flush().ok());
  // Closed and opened again, the table has no log left whose room the purge could use.
  vc::store::resumenRelation->close();
  ASSERT_EQ(vc::store::resumenRelation->open(), vc::errors::Severity::benign);

  disk.leaveRoom(0);
  program.engine.acknowledge();
  vc::ui::Window window(buttons, *globals::windowEngine);
  purgeResults({window, [] {}, kReporte, kDepurar});
  EXPECT_GT(disk.refused(), 0);
  ASSERT_EQ(program.engine.messages().size(), 1u);
  EXPECT_EQ(program.engine.messages()[0].caption + ": " + program.engine.messages()[0].text,
            "Depurar: No se pudo depurar resumen.dat.  Error: database or disk is full (13).");
  EXPECT_EQ(resumen.records(), 3u);
  disk.unlimited();
  vc::store::resumenRelation->close();
  EXPECT_EQ(vc::testing::plainView("resumen.dat"), "ok resumen");
}

}  // namespace
}  // namespace vc::views
