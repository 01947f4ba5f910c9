// The window engine on Qt Widgets: real windows, controls, message boxes and the
// open-file dialog for the program's window structures.
#pragma once

#include <QByteArray>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/engine.hpp"

class QApplication;
class QWidget;

namespace vc::ui::qt {
class ControlKindDriver;
}

namespace vc::ui {

/// Runs every window on the calling thread. Windows opened later are modal over the
/// earlier ones. The engine must outlive the windows it opens.
class QtEngine : public Engine {
 public:
  /// Uses the running QApplication, or starts one, owned by the engine, when there is
  /// none (the program reads no command line, so it is given none). What the toolkit
  /// would remember between runs in the user's settings (the file dialog's history and
  /// view) is kept in memory only: every run starts alike, and however it ends the
  /// program leaves no file behind but its own.
  QtEngine();
  ~QtEngine() override;
  QtEngine(const QtEngine&) = delete;
  QtEngine& operator=(const QtEngine&) = delete;

  void registerControlKind(ControlKind kind) override;
  bool hasControlKind(ControlKind kind) const override;
  void openWindow(Window& window) override;
  void closeWindow(Window& window) override;
  void hideWindow(Window& window) override;
  void showWindow(Window& window) override;
  void setTimer(Window& window, std::optional<std::chrono::milliseconds> interval) override;
  Event waitEvent(Window& window) override;
  void refresh(Window& window, int control) override;
  int listLines(const Window& window, int control) const override;
  void focus(Window& window, int control) override;
  Placement placement(const Window& window) const override;
  void setPlacement(Window& window, const Placement& placement) override;
  std::optional<std::string> askOpenFile(const OpenFileRequest& request) override;
  int showMessage(const errors::MessageRequest& request) override;

 private:
  QWidget* topWidget() const;

  std::unique_ptr<QApplication> app_;
  QByteArray fileDialogState_;  // what the toolkit would keep in the user's settings
  std::map<ControlKind, const qt::ControlKindDriver*> kinds_;
  std::vector<Window*> windows_;  // open, in the order they opened
};

/// The widget of a window opened by a QtEngine (control 0) or of one of its controls;
/// nullptr when there is none.
QWidget* widgetOf(const Window& window, int control = 0);

/// Saves the window's client area, as drawn now, to a PNG file (for screenshots).
/// False when the window is not open in a QtEngine or the file cannot be written.
bool grabWindow(Window& window, const std::string& pngPath);

}  // namespace vc::ui
