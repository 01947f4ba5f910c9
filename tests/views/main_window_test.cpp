#include "views/main_window.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/errors/error_manager.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "support/program_fixture.hpp"
#include "support/temp_folder.hpp"

namespace vc::views {
namespace {

using vc::testing::TempFolder;
using vc::ui::ScriptedEngine;
using vc::ui::Window;

using vc::testing::run;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

TEST(MainWindowTest, FirstRunOpensAsDeclaredAndSavesOnlyThePosition) {
  TempFolder folder;
  ScriptedEngine engine;
  engine
      .inspect([](Window& w) {
        EXPECT_EQ(w.structure().title, "Utilidad para comparar variables globales");
        EXPECT_EQ(w.selected(), p1::BOTON1);
        EXPECT_FALSE(w.isEnabled(p1::ANALIZAR));
        EXPECT_TRUE(w.isEnabled(p1::OKBUTTON));
        EXPECT_TRUE(w.structure().control(p1::OKBUTTON)->flags &
                    vc::ui::control_flag::defaultButton);
        EXPECT_EQ(w.structure().control(p1::BOTON1)->text, "Seleccion Archivo ");
        const auto names = vc::globals::errorManager->procedureNames();
        ASSERT_EQ(names.size(), 1u);
        EXPECT_EQ(names[0].name, "Main");
      })
      .press("BOTON1")
      .cancelFile()
      .inspect([](Window& w) {
        EXPECT_FALSE(w.isEnabled(p1::ANALIZAR));
        EXPECT_TRUE(vc::globals::NOMBREARCHIVO1.isBlank());
      })
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  EXPECT_TRUE(engine.scriptDone());

  ASSERT_EQ(engine.fileDialogs().size(), 1u);
  EXPECT_EQ(engine.fileDialogs()[0].title, "Archivo CLW de la varcompass  EXE");
  EXPECT_EQ(engine.fileDialogs()[0].filters.at(0).first, "clw files");
  EXPECT_EQ(engine.fileDialogs()[0].filters.at(0).second, "*.clw");

  EXPECT_EQ(lines(TempFolder::read("varcompass.INI")),
            (std::vector<std::string>{"[Main]", "Maximize=No", "Minimize=No", "XPos=0", "YPos=0",
                                      "[__Dont_Touch_Me__]", "Sectors=0"}));
}

TEST(MainWindowTest, ChoosingAFileEnablesAnalizarAndACancelBlanksTheName) {
  TempFolder folder;
  const std::string chosen = (folder.path() / "app.clw").string();
  ScriptedEngine engine;
  engine.press("BOTON1")
      .chooseFile(chosen)
      .inspect([&](Window& w) {
        EXPECT_TRUE(w.isEnabled(p1::ANALIZAR));
        EXPECT_EQ(vc::globals::NOMBREARCHIVO1.clipped(), chosen);
      })
      .press("BOTON1")
      .cancelFile()
      .inspect([](Window& w) {
        EXPECT_TRUE(w.isEnabled(p1::ANALIZAR));
        EXPECT_TRUE(vc::globals::NOMBREARCHIVO1.isBlank());
      })
      .press("OKBUTTON");
  EXPECT_EQ(run(engine), 0);
  EXPECT_TRUE(engine.scriptDone());
}

TEST(MainWindowTest, ALongPathIsHeldWhole) {
  // Cut to fit a shorter variable, the name would open or create another file.
  TempFolder folder;
  const std::string chosen = "/" + std::string(250, 'a') + "/" + std::string(250, 'b') + ".clw";
  ScriptedEngine engine;
  engine.press("BOTON1")
      .chooseFile(chosen)
      .inspect([&](Window&) { EXPECT_EQ(vc::globals::NOMBREARCHIVO1.clipped(), chosen); })
      .press("OKBUTTON");
  run(engine);
}

TEST(MainWindowTest, MovedWindowReopensWhereItWasLeft) {
  TempFolder folder;
  {
    ScriptedEngine engine;
    engine.moveWindow(30, 40).press("OKBUTTON");
    run(engine);
  }
  ScriptedEngine engine;
  engine
      .inspect([](Window& w) {
        EXPECT_EQ(w.x(), 30);
        EXPECT_EQ(w.y(), 40);
      })
      .press("OKBUTTON");
  run(engine);
}

TEST(MainWindowTest, SectionWithUnknownMaximizeRestoresNothing) {
  TempFolder folder;
  TempFolder::write("varcompass.INI",
                    "[Main]\r\nMaximize=yes\r\nMinimize=No\r\nXPos=50\r\nYPos=60\r\n");
  ScriptedEngine engine;
  engine
      .inspect([](Window& w) {
        EXPECT_EQ(w.x(), 0);
        EXPECT_EQ(w.y(), 0);
      })
      .press("OKBUTTON");
  run(engine);
}

TEST(MainWindowTest, BookkeepingListSurvivesARunUnchanged) {
  TempFolder folder;
  TempFolder::write("varcompass.INI",
                    "[__Dont_Touch_Me__]\r\nSectors=1\r\nSectors_1=uno,dos,tres\r\n");
  ScriptedEngine engine;
  engine.press("OKBUTTON");
  run(engine);
  const auto got = lines(TempFolder::read("varcompass.INI"));
  const std::vector<std::string> kept{"[__Dont_Touch_Me__]", "Sectors=1", "Sectors_1=uno,dos,tres"};
  EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 3), kept);
}

}  // namespace
}  // namespace vc::views
