#include "platform/ui/window.hpp"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace vc::ui {
namespace {

// Windows stack on their thread: each nested procedure opens its window above its caller's.
thread_local std::vector<Window*> openWindows;

}  // namespace

const ControlSpec* WindowSpec::control(int number) const {
  for (const auto& c : controls)
    if (c.number == number) return &c;
  return nullptr;
}

const ControlSpec* WindowSpec::control(const std::string& equate) const {
  for (const auto& c : controls)
    if (c.equate == equate) return &c;
  return nullptr;
}

Window::Window(const WindowSpec& structure, Engine& engine)
    : structure_(structure), engine_(engine) {
  for (const auto& c : structure_.controls) {
    ControlState state;
    state.structure = &c;
    state.enabled = (c.flags & control_flag::disabled) == 0;
    state.visible = (c.flags & control_flag::hidden) == 0;
    state.text = c.text;
    state.kind = initialKindState(c.kind);
    controls_.emplace(c.number, state);
  }
}

Window::~Window() {
  if (open_) close();
}

void Window::open() {
  if (open_) return;
  for (const auto& c : structure_.controls)
    if (!engine_.hasControlKind(c.kind))
      throw std::logic_error("control kind not registered: " + c.equate);
  engine_.openWindow(*this);
  open_ = true;
  openWindows.push_back(this);
  if (selected_ != 0) engine_.focus(*this, selected_);
}

void Window::close() {
  if (!open_) return;
  engine_.closeWindow(*this);
  open_ = false;
  const bool wasTop = !openWindows.empty() && openWindows.back() == this;
  openWindows.erase(std::remove(openWindows.begin(), openWindows.end(), this), openWindows.end());
  if (wasTop && !openWindows.empty()) openWindows.back()->post({EventKind::gainFocus});
}

void Window::hide() {
  if (open_) engine_.hideWindow(*this);
}

void Window::show() {
  if (open_) engine_.showWindow(*this);
}

void Window::setTimer(std::optional<std::chrono::milliseconds> interval) {
  if (open_) engine_.setTimer(*this, interval);
}

Window* Window::top() {
  return openWindows.empty() ? nullptr : openWindows.back();
}

ControlState& Window::control(int number) {
  auto it = controls_.find(number);
  if (it == controls_.end()) throw std::out_of_range("no control " + std::to_string(number));
  return it->second;
}

const ControlState& Window::control(int number) const {
  return const_cast<Window*>(this)->control(number);
}

int Window::number(const std::string& equate) const {
  const ControlSpec* c = structure_.control(equate);
  return c ? c->number : 0;
}

void Window::enable(int number) {
  control(number).enabled = true;
  if (open_) engine_.refresh(*this, number);
}

void Window::disable(int number) {
  control(number).enabled = false;
  if (open_) engine_.refresh(*this, number);
}

bool Window::isEnabled(int number) const {
  return control(number).enabled;
}

void Window::bind(int number, const Binding* binding) {
  control(number).binding = binding;
}

void Window::armKeys(int number, int first, int last) {
  armed_.push_back({number, first, last});
}

bool Window::isArmed(int number, int key) const {
  for (const ArmedKeys& a : armed_)
    if ((a.control == 0 || a.control == number) && key >= a.first && key <= a.last) return true;
  return false;
}

int Window::listLines(int number) const {
  return open_ ? engine_.listLines(*this, number) : 1;
}

void Window::select(int number) {
  if (controls_.find(number) == controls_.end()) return;
  selected_ = number;
  if (open_) engine_.focus(*this, number);
}

void Window::display(int number) {
  if (open_) engine_.refresh(*this, number);
}

void Window::post(const Event& event) {
  posted_.push_back(event);
}

Event Window::nextEvent() {
  if (!posted_.empty()) {
    Event e = posted_.front();
    posted_.pop_front();
    return e;
  }
  return engine_.waitEvent(*this);
}

bool Window::maximized() const {
  return engine_.placement(*this).maximized;
}
bool Window::minimized() const {
  return engine_.placement(*this).minimized;
}
bool Window::resizable() const {
  return (structure_.flags & window_flag::resizable) != 0;
}
std::optional<int> Window::x() const {
  return engine_.placement(*this).x;
}
std::optional<int> Window::y() const {
  return engine_.placement(*this).y;
}
std::optional<int> Window::width() const {
  return engine_.placement(*this).width;
}
std::optional<int> Window::height() const {
  return engine_.placement(*this).height;
}

void Window::change(const std::function<void(Placement&)>& edit) {
  Placement p = engine_.placement(*this);
  edit(p);
  engine_.setPlacement(*this, p);
}

void Window::setMaximized(bool on) {
  change([&](Placement& p) { p.maximized = on; });
}
void Window::setMinimized(bool on) {
  change([&](Placement& p) { p.minimized = on; });
}
void Window::setX(std::optional<int> v) {
  change([&](Placement& p) { p.x = v; });
}
void Window::setY(std::optional<int> v) {
  change([&](Placement& p) { p.y = v; });
}
void Window::setWidth(int v) {
  change([&](Placement& p) { p.width = v; });
}
void Window::setHeight(int v) {
  change([&](Placement& p) { p.height = v; });
}

}  // namespace vc::ui
