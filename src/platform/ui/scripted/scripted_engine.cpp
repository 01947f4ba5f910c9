#include "platform/ui/scripted/scripted_engine.hpp"

#include <algorithm>
#include <utility>

namespace vc::ui {
namespace {

// The scripted engine keeps beside a window what the window system would: its placement
// in dialog units, whether it is shown, its timer.
struct ScriptedWindowData : EngineWindowData {
  Placement placement;
  bool hidden = false;
  std::optional<std::chrono::milliseconds> timer;
};

/// A placement with the position the engine chooses where none is given: with no screen
/// to centre on, the top-left corner.
Placement placedHere(Placement p) {
  if (!p.x) p.x = 0;
  if (!p.y) p.y = 0;
  return p;
}

ScriptedWindowData& dataOf(const Window& window) {
  auto* data = dynamic_cast<ScriptedWindowData*>(window.engineData.get());
  if (!data) throw ScriptError("window '" + window.structure().title + "' is not open");
  return *data;
}

}  // namespace

// One action taken by a waiting window: the event it makes, or nothing when the window
// goes on waiting. One case per action; those meant for a dialog fail here.
class ScriptedEngine::WindowTurn {
 public:
  WindowTurn(ScriptedEngine& engine, Window& window)
      : engine_(engine),
        window_(window),
        data_(dataOf(window)),
        who_("window '" + window.structure().title + "'") {}

  std::optional<Event> operator()(const script::Press& a) const {
    const int n = control(a.equate);
    if (!window_.isEnabled(n)) fail(a.equate + " is disabled");
    return Event{EventKind::accepted, n};
  }
  std::optional<Event> operator()(const script::CloseRequest&) const {
    reachable();
    return Event{EventKind::closeWindow};
  }
  std::optional<Event> operator()(const script::TypeKey& a) const {
    reachable();
    const int focused = window_.selected();
    // A key nobody armed goes to the control, which takes no typed characters of its own.
    if (!window_.isArmed(focused, a.key)) return std::nullopt;
    return Event{EventKind::alertKey, focused, KeyTyped{a.key}};
  }
  std::optional<Event> operator()(const script::MoveWindow& a) const {
    Placement p = data_.placement;
    p.x = a.x;
    p.y = a.y;
    engine_.setPlacement(window_, p);
    return std::nullopt;
  }
  std::optional<Event> operator()(const script::Inspect& a) const {
    a.look(window_);
    return std::nullopt;
  }
  std::optional<Event> operator()(const script::Tick&) const {
    if (!data_.timer) fail("has no timer running");
    return Event{EventKind::timer, 0, TimerTick{}};
  }
  std::optional<Event> operator()(const script::AfterTicks&) const {
    // Taken only once its ticks are spent (see ticksFirst): nothing left to hold back.
    return std::nullopt;
  }
  std::optional<Event> operator()(const script::ChooseTab& a) const {
    const int sheet = control(a.sheet, ControlKind::sheet);
    const int tab = control(a.tab, ControlKind::tab);
    if (window_.structure().control(tab)->parent != sheet)
      fail(a.tab + " is not a tab of " + a.sheet);
    int index = 0;
    for (const ControlSpec& c : window_.structure().controls)
      if (c.kind == ControlKind::tab && c.parent == sheet) {
        ++index;
        if (c.number == tab) break;
      }
    window_.control(sheet).sheet().choice = index;
    return Event{EventKind::newSelection, sheet, TabChosen{index, tab}};
  }
  std::optional<Event> operator()(const script::Scroll& a) const {
    return Event{EventKind::scroll, pagedList(a.list), ScrollRequest{a.step, 0}};
  }
  std::optional<Event> operator()(const script::SetThumb& a) const {
    if (a.position < 0 || a.position > 100) fail("a thumb stands between 0 and 100");
    return Event{EventKind::scroll, pagedList(a.list),
                 ScrollRequest{ScrollRequest::Step::thumb, a.position}};
  }
  std::optional<Event> operator()(const script::ClickRow& a) const {
    const int list = control(a.list, ControlKind::list);
    const Binding* rows = window_.control(list).binding;
    const std::size_t count = rows ? rows->rowCount() : 0;
    if (a.row < 1 || static_cast<std::size_t>(a.row) > count)
      fail(a.list + " shows no row " + std::to_string(a.row));
    window_.control(list).list().selectedRow = a.row;
    return Event{EventKind::newSelection, list, RowChosen{a.row, a.button}};
  }
  std::optional<Event> operator()(const script::ChooseFile&) const {
    fail("waits, but the script answers a file dialog");
  }
  std::optional<Event> operator()(const script::CancelFile&) const {
    fail("waits, but the script answers a file dialog");
  }
  std::optional<Event> operator()(const script::Acknowledge&) const {
    fail("waits, but the script acknowledges a message box");
  }

 private:
  [[noreturn]] void fail(const std::string& what) const { throw ScriptError(who_ + ": " + what); }
  // The user reaches only a window that is on the screen.
  void reachable() const {
    if (data_.hidden) fail("is hidden");
  }
  int control(const std::string& equate) const {
    reachable();
    const int n = window_.number(equate);
    if (n == 0) fail("has no control " + equate);
    return n;
  }
  // An enabled control of `kind`.
  int control(const std::string& equate, ControlKind kind) const {
    const int n = control(equate);
    if (window_.structure().control(n)->kind != kind) fail(equate + " is not of the kind acted on");
    if (!window_.isEnabled(n)) fail(equate + " is disabled");
    return n;
  }
  // A list that leaves its scrolling to the program: only such a list asks it to scroll.
  int pagedList(const std::string& equate) const {
    const int n = control(equate, ControlKind::list);
    if (window_.control(n).list().scrolling != ListScrolling::byProgram)
      fail(equate + " scrolls by itself");
    return n;
  }

  ScriptedEngine& engine_;
  Window& window_;
  ScriptedWindowData& data_;
  std::string who_;
};

ScriptedEngine& ScriptedEngine::then(script::Action action) {
  script_.push_back(std::move(action));
  return *this;
}

script::Action ScriptedEngine::take(const std::string& waiting) {
  if (script_.empty()) throw ScriptError(waiting + " waits, and the script has nothing left");
  script::Action a = std::move(script_.front());
  script_.pop_front();
  return a;
}

bool ScriptedEngine::ticksFirst() {
  if (script_.empty()) return true;
  if (auto* hold = std::get_if<script::AfterTicks>(&script_.front())) {
    if (hold->ticks > 0) {
      --hold->ticks;
      return true;
    }
    script_.pop_front();
    return ticksFirst();
  }
  const bool forDialog = std::holds_alternative<script::ChooseFile>(script_.front()) ||
                         std::holds_alternative<script::CancelFile>(script_.front()) ||
                         std::holds_alternative<script::Acknowledge>(script_.front());
  return forDialog;
}

void ScriptedEngine::openWindow(Window& window) {
  auto data = std::make_unique<ScriptedWindowData>();
  data->placement = placedHere(initialPlacement(window.structure()));
  window.engineData = std::move(data);
  transcript_.push_back("open: " + window.structure().title);
}

void ScriptedEngine::closeWindow(Window& window) {
  transcript_.push_back("close: " + window.structure().title);
  window.engineData.reset();
}

void ScriptedEngine::hideWindow(Window& window) {
  dataOf(window).hidden = true;
  transcript_.push_back("hide: " + window.structure().title);
}

void ScriptedEngine::showWindow(Window& window) {
  dataOf(window).hidden = false;
  transcript_.push_back("show: " + window.structure().title);
}

void ScriptedEngine::setTimer(Window& window, std::optional<std::chrono::milliseconds> interval) {
  dataOf(window).timer = interval;
}

Event ScriptedEngine::waitEvent(Window& window) {
  const std::string who = "window '" + window.structure().title + "'";
  if (Window::top() != &window) throw ScriptError(who + " waits but is not the topmost window");
  const WindowTurn turn(*this, window);
  for (;;) {
    if (dataOf(window).timer && ticksFirst()) {
      // A timer that never stops would tick for ever: fail rather than hang.
      if (++ticksInARow_ > kMaxTicksInARow)
        throw ScriptError(who + " ticks without end and the script has nothing for it");
      return Event{EventKind::timer, 0, TimerTick{}};
    }
    ticksInARow_ = 0;
    const script::Action a = take(who);
    if (std::optional<Event> event = std::visit(turn, a)) return *event;
  }
}

void ScriptedEngine::refresh(Window&, int) {}

int ScriptedEngine::listLines(const Window& window, int control) const {
  const ControlSpec* list = window.structure().control(control);
  if (!list || !list->at.height) return 1;
  const int header = list->format.find('~') != std::string::npos ? 1 : 0;
  return std::max(1, *list->at.height / 10 - header);
}

void ScriptedEngine::focus(Window&, int) {}

Placement ScriptedEngine::placement(const Window& window) const {
  if (!window.engineData) return initialPlacement(window.structure());
  return dataOf(window).placement;
}

void ScriptedEngine::setPlacement(Window& window, const Placement& placement) {
  Placement& p = dataOf(window).placement;
  p = placedHere(placement);
  if (!window.resizable()) {
    const Placement declared = initialPlacement(window.structure());
    p.width = declared.width;
    p.height = declared.height;
  }
}

std::optional<std::string> ScriptedEngine::askOpenFile(const OpenFileRequest& request) {
  transcript_.push_back("file dialog: " + request.title);
  dialogs_.push_back(request);
  const script::Action a = take("the file dialog '" + request.title + "'");
  if (const auto* chosen = std::get_if<script::ChooseFile>(&a)) return chosen->path;
  if (std::holds_alternative<script::CancelFile>(a)) return std::nullopt;
  throw ScriptError("a file dialog is open, but the script does something else");
}

int ScriptedEngine::showMessage(const errors::MessageRequest& request) {
  transcript_.push_back("message: " + request.caption + ": " + request.text);
  messages_.push_back(request);
  const script::Action a = take("the message box '" + request.text + "'");
  const auto* ack = std::get_if<script::Acknowledge>(&a);
  if (!ack)
    throw ScriptError("message box '" + request.text +
                      "' is open, but the script does something else");
  if (ack->button < 1 || ack->button > static_cast<int>(request.buttons.size()))
    throw ScriptError("message box '" + request.text + "' has no button " +
                      std::to_string(ack->button));
  return ack->button;
}

}  // namespace vc::ui
