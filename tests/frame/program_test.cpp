#include "frame/program.hpp"

#include <gtest/gtest.h>

#include "globals/globals.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "store/store.hpp"
#include "support/temp_folder.hpp"

namespace vc::frame {
namespace {

using namespace vc::globals;
using vc::testing::TempFolder;
using vc::ui::ScriptedEngine;

bool allReferencesEmpty() {
  return !store::archivo1Access && !store::archivo1Relation && !store::archivo2Access &&
         !store::archivo2Relation && !store::resumenAccess && !store::resumenRelation &&
         !store::resumenAliasAccess && !store::resumenAliasRelation;
}

TEST(ProgramTest, StartsWithBlankNamesClearedBuffersAndEveryObjectInPlace) {
  TempFolder folder;
  NOMBREARCHIVO1 = "left over";
  NOMBREARCHIVO2 = "left over";
  ScriptedEngine engine;
  engine
      .inspect([](vc::ui::Window&) {
        EXPECT_TRUE(NOMBREARCHIVO1.isBlank());
        EXPECT_TRUE(NOMBREARCHIVO2.isBlank());
        EXPECT_TRUE(store::AR1.DATO.isBlank());
        EXPECT_TRUE(store::AR2.DATO.isBlank());
        for (const auto* r : {&store::RES, &store::RESA}) {
          EXPECT_TRUE(r->MODULO.isBlank() && r->NOMBRE.isBlank() && r->TIPO.isBlank() &&
                      r->MODO.isBlank());
          EXPECT_EQ(r->EXTERNAL, 0);
          EXPECT_EQ(r->DIFERENTE, 0);
        }
        EXPECT_TRUE(store::archivo1Access && store::archivo1Relation && store::archivo2Access &&
                    store::archivo2Relation && store::resumenAccess && store::resumenRelation &&
                    store::resumenAliasAccess && store::resumenAliasRelation);
        ASSERT_NE(errorManager, nullptr);
        ASSERT_NE(settingsManager, nullptr);
        ASSERT_TRUE(threadErrorStatus.has_value());
      })
      .press("OKBUTTON");
  EXPECT_EQ(runApplication(engine), 0);
  EXPECT_TRUE(allReferencesEmpty());
  EXPECT_EQ(errorManager, nullptr);
  EXPECT_EQ(settingsManager, nullptr);
  EXPECT_FALSE(threadErrorStatus.has_value());
}

TEST(ProgramTest, AFatalErrorEndsTheRunWithAFailureStatus) {
  TempFolder folder;
  ScriptedEngine engine;
  // "Analizar" with a blank name: the open of the chosen file is fatal.
  engine.press("BOTON1")
      .chooseFile("x.clw")
      .press("BOTON1")
      .cancelFile()
      .press("ANALIZAR")
      .acknowledge();
  EXPECT_EQ(runApplication(engine, [](int status) { throw vc::errors::ProgramHalted{status}; }), 1);
  EXPECT_TRUE(engine.scriptDone());
  EXPECT_TRUE(allReferencesEmpty());
}

}  // namespace
}  // namespace vc::frame
