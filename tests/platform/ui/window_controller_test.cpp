#include "platform/ui/window_controller.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/scripted/scripted_engine.hpp"

namespace vc::ui {
namespace {

WindowSpec twoButtons(const std::string& title) {
  WindowSpec w;
  w.name = "W";
  w.title = title;
  w.at = {std::nullopt, std::nullopt, 100, 50};
  w.controls = {{1, "ONE", ControlKind::button, {1, 1, 10, 10}, "One"},
                {2, "TWO", ControlKind::button, {1, 20, 10, 10}, "Two", {}, control_flag::disabled},
                {3, "OK", ControlKind::button, {1, 40, 10, 10}, "Ok"}};
  return w;
}

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override { engine.registerControlKind(ControlKind::button); }
  ScriptedEngine engine;
};

// Records every handler call; answers are configurable per control.
class Recording : public WindowController {
 public:
  using WindowController::WindowController;
  std::vector<std::string> calls;
  Answer acceptedAnswer = Answer::proceed;
  int endOn = 3;

  Answer prepare() override {
    calls.push_back("prepare");
    const Answer a = WindowController::prepare();
    FIRSTFIELD = 1;
    openWindow();
    return a;
  }
  Answer release() override {
    const Answer a = WindowController::release();
    calls.push_back(a == Answer::proceed ? "release" : "release again");
    return a;
  }
  Answer onWindowEvent() override {
    const Answer a = WindowController::onWindowEvent();
    calls.push_back("window " + std::to_string(static_cast<int>(event().kind)));
    return a;
  }
  Answer onAccepted() override {
    const Answer a = WindowController::onAccepted();
    calls.push_back("accepted " + std::to_string(event().control));
    if (event().control == endOn) return Answer::endWindow;
    return event().control == 1 && acceptedAnswer != Answer::proceed ? acceptedAnswer : a;
  }
  Answer onFieldEvent() override {
    const Answer a = WindowController::onFieldEvent();
    calls.push_back("field " + std::to_string(event().control));
    return a;
  }
  void resetWindow(bool force) override {
    calls.push_back("reset");
    WindowController::resetWindow(force);
  }
};

const std::string kOpen = "window " + std::to_string(static_cast<int>(EventKind::openWindow));
const std::string kFocus = "window " + std::to_string(static_cast<int>(EventKind::gainFocus));
const std::string kClose = "window " + std::to_string(static_cast<int>(EventKind::closeWindow));

TEST_F(ControllerTest, DispatchesAcceptedBeforeFieldEventAndEndsOnEndWindow) {
  const WindowSpec structure = twoButtons("T");
  Window window(structure, engine);
  Recording c(window);
  engine.press("ONE").press("OK");
  EXPECT_EQ(c.execute(), kRequestCancelled);  // no RESPONSE set
  EXPECT_EQ(c.calls, (std::vector<std::string>{"prepare", "reset", kOpen, "accepted 1", "field 1",
                                               "accepted 3", "release"}));
  EXPECT_TRUE(c.DEAD);
  EXPECT_TRUE(engine.scriptDone());
}

TEST_F(ControllerTest, EventDoneSkipsTheFieldHandler) {
  const WindowSpec structure = twoButtons("T");
  Window window(structure, engine);
  Recording c(window);
  c.acceptedAnswer = Answer::eventDone;
  engine.press("ONE").press("OK");
  c.execute();
  EXPECT_EQ(c.calls, (std::vector<std::string>{"prepare", "reset", kOpen, "accepted 1",
                                               "accepted 3", "release"}));
}

TEST_F(ControllerTest, ProceedOnACloseRequestEndsTheLoop) {
  const WindowSpec structure = twoButtons("T");
  Window window(structure, engine);
  Recording c(window);
  engine.closeRequest();
  c.execute();
  EXPECT_EQ(c.calls, (std::vector<std::string>{"prepare", "reset", kOpen, kClose, "release"}));
}

TEST_F(ControllerTest, SecondReleaseChangesNothing) {
  const WindowSpec structure = twoButtons("T");
  Window window(structure, engine);
  Recording c(window);
  engine.press("OK");
  c.execute();
  EXPECT_EQ(c.release(), Answer::eventDone);
  EXPECT_EQ(c.calls.back(), "release again");
}

TEST_F(ControllerTest, ReleaseWithoutPrepareDoesNothing) {
  const WindowSpec structure = twoButtons("T");
  Window window(structure, engine);
  WindowController c(window);
  EXPECT_EQ(c.release(), Answer::eventDone);
  EXPECT_FALSE(c.DEAD);
}

TEST_F(ControllerTest, RegisteredActionSetsResponseAndCloses) {
  const WindowSpec structure = twoButtons("T");
  Window window(structure, engine);
  Recording c(window);
  c.endOn = 0;
  c.addAction(1, kRequestCompleted);
  engine.press("ONE");
  EXPECT_EQ(c.execute(), kRequestCompleted);
  EXPECT_EQ(c.calls,
            (std::vector<std::string>{"prepare", "reset", kOpen, "accepted 1", kClose, "release"}));
}

TEST_F(ControllerTest, NestedWindowClosingResetsTheCaller) {
  const WindowSpec outerSpec = twoButtons("Outer");
  const WindowSpec innerSpec = twoButtons("Inner");
  Window outer(outerSpec, engine);
  Recording c(outer);
  struct Nesting : Recording {
    using Recording::Recording;
    const WindowSpec* inner = nullptr;
    ScriptedEngine* engine = nullptr;
    Answer onAccepted() override {
      const Answer a = Recording::onAccepted();
      if (event().control == 1) {
        Window w(*inner, *engine);
        Recording nested(w);
        nested.execute();
      }
      return a;
    }
  } n(outer);
  n.inner = &innerSpec;
  n.engine = &engine;
  engine.press("ONE").press("OK").press("OK");
  n.execute();
  EXPECT_EQ(n.calls, (std::vector<std::string>{"prepare", "reset", kOpen, "accepted 1", "field 1",
                                               "reset", kFocus, "accepted 3", "release"}));
  // The caller's window is still open: it closes when its procedure disposes of it.
  EXPECT_EQ(engine.transcript(),
            (std::vector<std::string>{"open: Outer", "open: Inner", "close: Inner"}));
}

TEST_F(ControllerTest, ScriptFailsLoudlyOnDisabledMissingOrExhausted) {
  const WindowSpec structure = twoButtons("T");
  {
    Window window(structure, engine);
    Recording c(window);
    engine.press("TWO");
    EXPECT_THROW(c.execute(), ScriptError);
  }
  {
    ScriptedEngine e2;
    e2.registerControlKind(ControlKind::button);
    Window window(structure, e2);
    Recording c(window);
    e2.press("NOPE");
    EXPECT_THROW(c.execute(), ScriptError);
  }
  {
    ScriptedEngine e3;
    e3.registerControlKind(ControlKind::button);
    Window window(structure, e3);
    Recording c(window);
    EXPECT_THROW(c.execute(), ScriptError);
  }
}

TEST_F(ControllerTest, ANewTabResetsTheComponentsUnforced) {
  // The browse takes the order of the tab shown from its reset; a new selection in a list
  // resets nothing.
  struct Resets : WindowComponent {
    std::vector<bool> forced;
    Answer takeEvent(const Event&) override { return Answer::proceed; }
    void reset(bool force) override { forced.push_back(force); }
  } component;
  WindowSpec structure = twoButtons("T");
  structure.controls.push_back({4, "SHEET1", ControlKind::sheet, {1, 1, 90, 40}});
  structure.controls.push_back({5, "TAB1", ControlKind::tab, {}, "Uno", {}, 0, "", 4});
  structure.controls.push_back({6, "TAB2", ControlKind::tab, {}, "Dos", {}, 0, "", 4});
  structure.controls.push_back({7, "LIST", ControlKind::list, {1, 1, 50, 30}});
  engine.registerControlKind(ControlKind::sheet);
  engine.registerControlKind(ControlKind::tab);
  engine.registerControlKind(ControlKind::list);
  Window window(structure, engine);
  Recording c(window);
  c.addComponent(component);
  struct OneRow : Binding {
    std::size_t rowCount() const override { return 1; }
    CellValue cell(std::size_t, std::size_t) const override { return std::string("x"); }
  } rows;
  window.bind(7, &rows);
  engine.clickRow("LIST", 1).chooseTab("SHEET1", "TAB2").press("OK");
  c.execute();
  EXPECT_EQ(component.forced, (std::vector<bool>{false, false}));  // the opening's, the tab's
  EXPECT_EQ(c.calls, (std::vector<std::string>{"prepare", "reset", kOpen, "field 7", "reset",
                                               "field 4", "accepted 3", "release"}));
}

TEST_F(ControllerTest, UnregisteredControlKindCannotOpen) {
  ScriptedEngine bare;  // given no kind
  const WindowSpec structure = twoButtons("T");
  Window window(structure, bare);
  EXPECT_THROW(window.open(), std::logic_error);
}

}  // namespace
}  // namespace vc::ui
