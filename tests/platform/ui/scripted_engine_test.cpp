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

// A list over a sheet of two tabs, as the comparative browse has them.
WindowSpec browseSpec() {
  WindowSpec w;
  w.name = "BROWSE_WINDOW";
  w.title = "Vista";
  w.controls = {{1, "LIST", ControlKind::list, {16, 25, 408, 152}, "", {}, 0, "80L~Modulo~@s20@"},
                {2, "OK", ControlKind::button, {141, 203, 59, 13}, "Salir"},
                {4, "SHEET1", ControlKind::sheet, {8, 5, 426, 185}},
                {5, "TAB1", ControlKind::tab, {}, "Por Modulo", {}, 0, "", 4},
                {6, "TAB2", ControlKind::tab, {}, "Por Nombre y Tipo", {}, 0, "", 4},
                {7, "OTHER", ControlKind::sheet, {8, 5, 10, 10}},
                {8, "LOOSE", ControlKind::tab, {}, "Suelta", {}, 0, "", 7}};
  return w;
}

class OneRowPerEntry : public Binding {
 public:
  std::size_t rows = 3;
  std::size_t rowCount() const override { return rows; }
  CellValue cell(std::size_t row, std::size_t) const override {
    return std::string(1, static_cast<char>('A' + row));
  }
};

class BrowseScriptTest : public ::testing::Test {
 protected:
  BrowseScriptTest() {
    for (ControlKind k :
         {ControlKind::list, ControlKind::button, ControlKind::sheet, ControlKind::tab})
      engine.registerControlKind(k);
    window.bind(1, &page);
    window.control(1).list().scrolling = ListScrolling::byProgram;
    window.open();
  }
  ScriptedEngine engine;
  const WindowSpec structure = browseSpec();
  Window window{structure, engine};
  OneRowPerEntry page;
};

TEST_F(BrowseScriptTest, ChoosingATabSelectsItOnItsSheet) {
  EXPECT_EQ(window.control(4).sheet().choice, 1);
  engine.chooseTab("SHEET1", "TAB2").chooseTab("SHEET1", "TAB2").chooseTab("SHEET1", "TAB1");
  const struct {
    int index;
    int tab;
  } expected[] = {{2, 6}, {2, 6}, {1, 5}};  // the tab shown may be clicked again
  for (const auto& x : expected) {
    const Event e = window.nextEvent();
    EXPECT_EQ(e.kind, EventKind::newSelection);
    EXPECT_EQ(e.control, 4);
    ASSERT_NE(e.as<TabChosen>(), nullptr);
    EXPECT_EQ(e.as<TabChosen>()->index, x.index);
    EXPECT_EQ(e.as<TabChosen>()->tab, x.tab);
    EXPECT_EQ(window.control(4).sheet().choice, x.index);
  }
}

TEST_F(BrowseScriptTest, ListMovesReachTheProgramAsTheyWereAsked) {
  using Step = ScrollRequest::Step;
  engine.scroll("LIST", Step::lineDown)
      .scroll("LIST", Step::pageUp)
      .scroll("LIST", Step::first)
      .scroll("LIST", Step::last)
      .setThumb("LIST", 75)
      .clickRow("LIST", 3)
      .clickRow("LIST", 2, MouseButton::right);
  for (Step step : {Step::lineDown, Step::pageUp, Step::first, Step::last, Step::thumb}) {
    const Event e = window.nextEvent();
    EXPECT_EQ(e.kind, EventKind::scroll);
    ASSERT_NE(e.as<ScrollRequest>(), nullptr);
    EXPECT_EQ(e.as<ScrollRequest>()->step, step);
    if (step == Step::thumb) {
      EXPECT_EQ(e.as<ScrollRequest>()->thumb, 75);
    }
  }
  for (const auto& [row, button] : {std::pair{3, MouseButton::left}, {2, MouseButton::right}}) {
    const Event e = window.nextEvent();
    EXPECT_EQ(e.kind, EventKind::newSelection);
    EXPECT_EQ(e.control, 1);
    ASSERT_NE(e.as<RowChosen>(), nullptr);
    EXPECT_EQ(e.as<RowChosen>()->row, row);
    EXPECT_EQ(e.as<RowChosen>()->button, button);
    EXPECT_EQ(window.control(1).list().selectedRow, row);
  }
  // 152 units are 15 lines, one of them the header's.
  EXPECT_EQ(window.listLines(1), 14);
}

TEST_F(BrowseScriptTest, ActionsThatDoNotFitTheWindowFailLoudly) {
  using Step = ScrollRequest::Step;
  const struct {
    const char* name;
    script::Action action;
  } cases[] = {
      {"tab of another sheet", script::ChooseTab{"SHEET1", "LOOSE"}},
      {"tab on a list", script::ChooseTab{"LIST", "TAB1"}},
      {"no such tab", script::ChooseTab{"SHEET1", "TAB9"}},
      {"scroll a button", script::Scroll{"OK", Step::lineDown}},
      {"thumb beyond the bar", script::SetThumb{"LIST", 101}},
      {"row past the page", script::ClickRow{"LIST", 4}},
      {"row 0", script::ClickRow{"LIST", 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    engine.then(c.action);
    EXPECT_THROW(window.nextEvent(), ScriptError);
  }
  // A list that scrolls by itself is never asked to, and a disabled one not at all.
  window.control(1).list().scrolling = ListScrolling::byControl;
  engine.scroll("LIST", Step::pageDown);
  EXPECT_THROW(window.nextEvent(), ScriptError);
  window.control(1).list().scrolling = ListScrolling::byProgram;
  window.disable(1);
  engine.clickRow("LIST", 1);
  EXPECT_THROW(window.nextEvent(), ScriptError);
  EXPECT_TRUE(engine.scriptDone());
}

}  // namespace
}  // namespace vc::ui
