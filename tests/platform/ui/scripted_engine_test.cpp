#include "platform/ui/scripted/scripted_engine.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace vc::ui {
namespace {

WindowSpec withList() {
  WindowSpec w;
  w.name = "LIST_WINDOW";
  w.title = "Lista";
  w.at = {std::nullopt, std::nullopt, 100, 50};
  w.controls = {{1, "LIST", ControlKind::list, {1, 1, 50, 30}, "", {}, 0, "20L~A~"},
                {2, "OK", ControlKind::button, {1, 40, 10, 10}, "Ok"}};
  return w;
}

class ScriptedEngineTest : public ::testing::Test {
 protected:
  ScriptedEngineTest() {
    engine.registerControlKind(ControlKind::list);
    engine.registerControlKind(ControlKind::button);
  }
  ScriptedEngine engine;
  const WindowSpec structure = withList();
};

TEST_F(ScriptedEngineTest, OnlyArmedKeysReachTheProgramWithTheirCharacter) {
  Window window(structure, engine);
  window.armKeys(1, 'A', 'Z');
  window.open();
  window.select(1);
  engine.typeKey('5').typeKey('G').press("OK");
  Event e = window.nextEvent();  // "5" is not armed: the next event is the "G"
  EXPECT_EQ(e.kind, EventKind::alertKey);
  EXPECT_EQ(e.control, 1);
  ASSERT_NE(e.as<KeyTyped>(), nullptr);
  EXPECT_EQ(e.as<KeyTyped>()->key, 'G');
  e = window.nextEvent();
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.as<KeyTyped>(), nullptr);
  EXPECT_TRUE(engine.scriptDone());
}

TEST_F(ScriptedEngineTest, TimerTicksOnlyWhileRunning) {
  Window window(structure, engine);
  window.open();
  engine.tick();
  EXPECT_THROW(window.nextEvent(), ScriptError);  // no timer yet
  window.setTimer(std::chrono::milliseconds(100));
  engine.tick();
  const Event e = window.nextEvent();
  EXPECT_EQ(e.kind, EventKind::timer);
  EXPECT_NE(e.as<TimerTick>(), nullptr);
  window.setTimer(std::nullopt);
  engine.tick();
  EXPECT_THROW(window.nextEvent(), ScriptError);
}

TEST_F(ScriptedEngineTest, HiddenWindowTakesNoUserAction) {
  Window window(structure, engine);
  window.open();
  window.setTimer(std::chrono::milliseconds(100));
  window.hide();
  engine.tick().press("OK");
  EXPECT_EQ(window.nextEvent().kind, EventKind::timer);  // its timer goes on
  EXPECT_THROW(window.nextEvent(), ScriptError);
  window.show();
  engine.press("OK");
  EXPECT_EQ(window.nextEvent().control, 2);
  EXPECT_EQ(engine.transcript(),
            (std::vector<std::string>{"open: Lista", "hide: Lista", "show: Lista"}));
}

TEST_F(ScriptedEngineTest, DialogActionsAreNotTakenByAWindow) {
  const script::Action misplaced[] = {script::ChooseFile{"a.clw"}, script::CancelFile{},
                                      script::Acknowledge{1}};
  for (const script::Action& action : misplaced) {
    SCOPED_TRACE(action.index());
    ScriptedEngine e;
    e.registerControlKind(ControlKind::list);
    e.registerControlKind(ControlKind::button);
    Window window(structure, e);
    window.open();
    e.then(action);
    EXPECT_THROW(window.nextEvent(), ScriptError);
  }
}

}  // namespace
}  // namespace vc::ui
