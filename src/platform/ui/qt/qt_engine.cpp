#include "platform/ui/qt/qt_engine.hpp"

#include <QApplication>
#include <QPixmap>
#include <QSettings>
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

// Where the toolkit's own settings go: below a path that is a device, never a folder, so
// no file can be made there whoever runs us. Nothing of the user's folders is written
// anywhere, neither on a normal end nor after a fatal error or a kill; what the file
// dialog remembers during a run the engine keeps in memory instead.
constexpr char kNowhere[] = "/dev/null/varcompass";

}  // namespace

QtEngine::QtEngine() {
  if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QString::fromLatin1(kNowhere));
}

QtEngine::~QtEngine() {
  // Widgets must go before the application that runs them.
  for (Window* w : windows_) w->engineData.reset();
}

void QtEngine::registerControlKind(ControlKind kind) {
  kinds_[kind] = &qt::driverOf(kind);
}

bool QtEngine::hasControlKind(ControlKind kind) const {
  return kinds_.count(kind) != 0;
}

void QtEngine::openWindow(Window& window) {
  if (QtWindow::of(window)) return;
  QtWindow* below = windows_.empty() ? nullptr : QtWindow::of(*windows_.back());
  window.engineData = std::make_unique<QtWindow>(window, below, kinds_);
  windows_.push_back(&window);
}

void QtEngine::hideWindow(Window& window) {
  if (QtWindow* w = QtWindow::of(window)) w->hide();
}

void QtEngine::showWindow(Window& window) {
  if (QtWindow* w = QtWindow::of(window)) w->show();
}

void QtEngine::setTimer(Window& window, std::optional<std::chrono::milliseconds> interval) {
  if (QtWindow* w = QtWindow::of(window)) w->setTimer(interval);
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
  if (!w) return {EventKind::closeWindow};
  return w->waitEvent();
}

void QtEngine::refresh(Window& window, int control) {
  if (QtWindow* w = QtWindow::of(window)) w->refresh(control);
}

int QtEngine::listLines(const Window& window, int control) const {
  const QtWindow* w = QtWindow::of(window);
  return w ? w->listLines(control) : 1;
}

void QtEngine::focus(Window& window, int control) {
  if (QtWindow* w = QtWindow::of(window)) w->focus(control);
}

Placement QtEngine::placement(const Window& window) const {
  if (const QtWindow* w = QtWindow::of(window)) return w->placement();
  return initialPlacement(window.structure());
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
  return qt::askOpenFileDialog(request, topWidget(), fileDialogState_);
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
