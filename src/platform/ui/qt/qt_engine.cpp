#include "platform/ui/qt/qt_engine.hpp"

#include <QApplication>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>

#include "platform/ui/qt/file_dialog.hpp"
#include "platform/ui/qt/message_box.hpp"
#include "platform/ui/qt/qt_window.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui {
namespace {

using qt::QtWindow;

int argc = 1;
char applicationName[] = "varcompass";
char* argv[] = {applicationName, nullptr};

}  // namespace

QtEngine::QtEngine() {
  if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  toolkitSettings_ = std::make_unique<QTemporaryDir>();
  if (toolkitSettings_->isValid())
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
      QSettings::setPath(format, QSettings::UserScope, toolkitSettings_->path());
}

QtEngine::~QtEngine() {
  // Widgets must go before the application that runs them.
  for (Window* w : windows_) w->engineData.reset();
}

void QtEngine::openWindow(Window& window) {
  if (QtWindow::of(window)) return;
  QtWindow* below = windows_.empty() ? nullptr : QtWindow::of(*windows_.back());
  window.engineData = std::make_unique<QtWindow>(window, below);
  windows_.push_back(&window);
}

void QtEngine::closeWindow(Window& window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
  if (!QtWindow::of(window)) return;
  window.engineData.reset();
  if (QWidget* top = topWidget(); top && top->isVisible()) {
    qt::raiseAndActivate(top);
  }
}

Event QtEngine::waitEvent(Window& window) {
  QtWindow* w = QtWindow::of(window);
  // A window that is not open here has no user: waiting would never end.
  if (!w) return {EventKind::closeWindow, 0, 0};
  return w->waitEvent();
}

void QtEngine::refresh(Window& window, int control) {
  if (QtWindow* w = QtWindow::of(window)) w->refresh(control);
}

void QtEngine::focus(Window& window, int control) {
  if (QtWindow* w = QtWindow::of(window)) w->focus(control);
}

Placement QtEngine::placement(const Window& window) const {
  if (const QtWindow* w = QtWindow::of(window)) return w->placement();
  const Rect& at = window.structure().at;
  return {at.x, at.y, at.width, at.height, false, false};
}

void QtEngine::setPlacement(Window& window, const Placement& placement) {
  if (QtWindow* w = QtWindow::of(window)) w->setPlacement(placement);
}

QWidget* QtEngine::topWidget() const {
  if (windows_.empty()) return nullptr;
  QtWindow* w = QtWindow::of(*windows_.back());
  if (!w) return nullptr;
  w->ensureShown();  // a box is never shown over a window that is not there yet
  return w->widget();
}

std::optional<std::string> QtEngine::askOpenFile(const OpenFileRequest& request) {
  return qt::askOpenFileDialog(request, topWidget());
}

int QtEngine::showMessage(const errors::MessageRequest& request) {
  return qt::showMessageBox(request, topWidget());
}

QWidget* widgetOf(const Window& window, int control) {
  const QtWindow* w = QtWindow::of(window);
  return w ? w->control(control) : nullptr;
}

bool grabWindow(Window& window, const std::string& pngPath) {
  QtWindow* w = QtWindow::of(window);
  if (!w) return false;
  w->refresh(0);
  return w->widget()->grab().save(QString::fromLocal8Bit(pngPath.c_str()), "PNG");
}

}  // namespace vc::ui
