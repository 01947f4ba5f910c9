#include "platform/ui/scripted/scripted_engine.hpp"

#include <utility>

namespace vc::ui {
namespace {

// The scripted engine keeps a window's placement beside it, in dialog units.
struct ScriptedWindowData : EngineWindowData {
  Placement placement;
};

ScriptedWindowData& dataOf(const Window& window) {
  auto* data = dynamic_cast<ScriptedWindowData*>(window.engineData.get());
  if (!data) throw ScriptError("window '" + window.structure().title + "' is not open");
  return *data;
}

}  // namespace

ScriptedEngine& ScriptedEngine::press(const std::string& equate) {
  add(Action::Kind::press, equate);
  return *this;
}
ScriptedEngine& ScriptedEngine::closeRequest() {
  add(Action::Kind::close, {});
  return *this;
}
ScriptedEngine& ScriptedEngine::typeKey(int key) {
  add(Action::Kind::key, {}, key);
  return *this;
}
ScriptedEngine& ScriptedEngine::moveWindow(int x, int y) {
  add(Action::Kind::move, {}, x, y);
  return *this;
}
ScriptedEngine& ScriptedEngine::inspect(std::function<void(Window&)> look) {
  Action a;
  a.kind = Action::Kind::inspect;
  a.look = std::move(look);
  script_.push_back(std::move(a));
  return *this;
}
ScriptedEngine& ScriptedEngine::chooseFile(const std::string& path) {
  add(Action::Kind::file, path);
  return *this;
}
ScriptedEngine& ScriptedEngine::cancelFile() {
  add(Action::Kind::cancelFile, {});
  return *this;
}
ScriptedEngine& ScriptedEngine::acknowledge(int button) {
  add(Action::Kind::acknowledge, {}, button);
  return *this;
}

void ScriptedEngine::add(Action::Kind kind, std::string text, int a, int b) {
  Action action;
  action.kind = kind;
  action.text = std::move(text);
  action.a = a;
  action.b = b;
  script_.push_back(std::move(action));
}

ScriptedEngine::Action ScriptedEngine::take(const std::string& waiting) {
  if (script_.empty()) throw ScriptError(waiting + " waits, and the script has nothing left");
  Action a = std::move(script_.front());
  script_.pop_front();
  return a;
}

void ScriptedEngine::openWindow(Window& window) {
  auto data = std::make_unique<ScriptedWindowData>();
  const Rect& at = window.structure().at;
  data->placement.x = at.x == settings::kNoValue ? 0 : at.x;
  data->placement.y = at.y == settings::kNoValue ? 0 : at.y;
  data->placement.width = at.width;
  data->placement.height = at.height;
  window.engineData = std::move(data);
  transcript_.push_back("open: " + window.structure().title);
}

void ScriptedEngine::closeWindow(Window& window) {
  transcript_.push_back("close: " + window.structure().title);
  window.engineData.reset();
}

Event ScriptedEngine::waitEvent(Window& window) {
  const std::string who = "window '" + window.structure().title + "'";
  if (Window::top() != &window) throw ScriptError(who + " waits but is not the topmost window");
  for (;;) {
    Action a = take(who);
    switch (a.kind) {
      case Action::Kind::press: {
        const int n = window.number(a.text);
        if (n == 0) throw ScriptError(who + " has no control " + a.text);
        if (!window.isEnabled(n)) throw ScriptError(who + ": " + a.text + " is disabled");
        return {EventKind::accepted, n, 0};
      }
      case Action::Kind::close:
        return {EventKind::closeWindow, 0, 0};
      case Action::Kind::key:
        return {EventKind::alertKey, window.selected(), a.a};
      case Action::Kind::move: {
        Placement p = dataOf(window).placement;
        p.x = a.a;
        p.y = a.b;
        setPlacement(window, p);
        continue;
      }
      case Action::Kind::inspect:
        a.look(window);
        continue;
      case Action::Kind::file:
      case Action::Kind::cancelFile:
        throw ScriptError(who + " waits, but the script answers a file dialog");
      case Action::Kind::acknowledge:
        throw ScriptError(who + " waits, but the script acknowledges a message box");
    }
  }
}

void ScriptedEngine::refresh(Window&, int) {}

void ScriptedEngine::focus(Window&, int) {}

Placement ScriptedEngine::placement(const Window& window) const {
  if (!window.engineData) {
    const Rect& at = window.structure().at;
    return {at.x, at.y, at.width, at.height, false, false};
  }
  return dataOf(window).placement;
}

void ScriptedEngine::setPlacement(Window& window, const Placement& placement) {
  Placement& p = dataOf(window).placement;
  p = placement;
  // A position that is not given is chosen by the engine, as at the first opening.
  if (p.x == settings::kNoValue) p.x = 0;
  if (p.y == settings::kNoValue) p.y = 0;
  if (!window.resizable()) {
    p.width = window.structure().at.width;
    p.height = window.structure().at.height;
  }
}

std::optional<std::string> ScriptedEngine::askOpenFile(const OpenFileRequest& request) {
  transcript_.push_back("file dialog: " + request.title);
  dialogs_.push_back(request);
  Action a = take("the file dialog '" + request.title + "'");
  if (a.kind == Action::Kind::file) return a.text;
  if (a.kind == Action::Kind::cancelFile) return std::nullopt;
  throw ScriptError("a file dialog is open, but the script does something else");
}

int ScriptedEngine::showMessage(const errors::MessageRequest& request) {
  transcript_.push_back("message: " + request.caption + ": " + request.text);
  messages_.push_back(request);
  Action a = take("the message box '" + request.text + "'");
  if (a.kind != Action::Kind::acknowledge)
    throw ScriptError("message box '" + request.text +
                      "' is open, but the script does something else");
  if (a.a < 1 || a.a > static_cast<int>(request.buttons.size()))
    throw ScriptError("message box '" + request.text + "' has no button " + std::to_string(a.a));
  return a.a;
}

}  // namespace vc::ui
