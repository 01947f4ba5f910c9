#include "platform/ui/window_controller.hpp"

namespace vc::ui {

WindowController::WindowController(Window& window) : window_(window) {}

int WindowController::execute() {
  if (prepare() == Answer::proceed) eventLoop();
  release();
  return RESPONSE != kNoResponse ? RESPONSE : kRequestCancelled;
}

void WindowController::eventLoop() {
  if (DEAD) return;
  for (;;) {
    event_ = window_.nextEvent();
    const Answer answer = dispatchEvent();
    if (answer == Answer::endWindow) return;
    if (answer == Answer::eventDone) continue;
    // The platform's default processing: only a close request (or shut-down) ends the loop.
    if (event_.control == 0 &&
        (event_.kind == EventKind::closeWindow || event_.kind == EventKind::closeDown))
      return;
  }
}

Answer WindowController::prepare() {
  prepared_ = true;
  return Answer::proceed;
}

Answer WindowController::release() {
  if (!prepared_ || DEAD) return Answer::eventDone;
  for (WindowComponent* c : components_) c->release();
  DEAD = 1;
  return Answer::proceed;
}

void WindowController::openWindow() {
  window_.open();
  OPENED = 1;
  window_.post({EventKind::openWindow});
}

void WindowController::resetWindow(bool force) {
  for (WindowComponent* c : components_) c->reset(force);
  window_.display();
}

void WindowController::armKeys() {
  for (WindowComponent* c : components_) c->armKeys();
}

Answer WindowController::onAccepted() {
  auto it = actions_.find(event_.control);
  if (it == actions_.end()) return Answer::proceed;
  RESPONSE = it->second;
  window_.post({EventKind::closeWindow});
  return Answer::eventDone;
}

Answer WindowController::dispatchEvent() {
  if (event_.control == 0) {
    const Answer a = onWindowEvent();
    if (a != Answer::proceed) return a;
  }
  Answer a = Answer::proceed;
  switch (event_.kind) {
    case EventKind::accepted:
      a = onAccepted();
      break;
    case EventKind::newSelection:
      a = onNewSelection();
      break;
    case EventKind::selected:
      a = onSelected();
      break;
    case EventKind::rejected:
      a = onRejected();
      break;
    default:
      break;
  }
  if (a != Answer::proceed) return a;
  if (event_.control != 0) {
    a = onFieldEvent();
    if (a != Answer::proceed) return a;
  }
  bool reset = false;
  for (WindowComponent* c : components_) {
    a = c->takeEvent(event_);
    if (a != Answer::proceed) return a;
    reset = reset || c->needsReset();
  }
  if (reset) resetWindow(/*force=*/false);
  return Answer::proceed;
}

Answer WindowController::onNewSelection() {
  if (event_.as<TabChosen>()) resetWindow(/*force=*/false);
  return Answer::proceed;
}

Answer WindowController::onFieldEvent() {
  return Answer::proceed;
}

Answer WindowController::onWindowEvent() {
  switch (event_.kind) {
    case EventKind::openWindow:
      if (!opened_once_) {
        opened_once_ = true;
        resetWindow(/*force=*/false);
      }
      window_.select(FIRSTFIELD);
      return Answer::proceed;
    case EventKind::gainFocus:
      resetWindow(/*force=*/false);
      return Answer::proceed;
    default:
      return Answer::proceed;
  }
}

void WindowController::updateComponents() {
  for (WindowComponent* c : components_) c->update();
}

void WindowController::addComponent(WindowComponent& component) {
  components_.push_back(&component);
}

void WindowController::addAction(int control, std::uint8_t response) {
  actions_[control] = response;
}

}  // namespace vc::ui
