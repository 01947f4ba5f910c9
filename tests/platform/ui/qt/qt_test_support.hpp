// What the Qt engine's tests share: one application for the test process, the control
// kinds registered, a list data source over a table of rows, and a way to act on a
// modal dialog once it is up.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/binding.hpp"
#include "platform/ui/qt/qt_engine.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui::testing {

/// The application lives as long as the process, whatever the order of the tests.
inline void startApplication() {
  static int argc = 1;
  static char name[] = "ui_qt_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  (void)app;
}

/// An engine that can build every kind of control.
inline void registerAllKinds(Engine& engine) {
  for (ControlKind k :
       {ControlKind::stringPicture, ControlKind::stringText, ControlKind::image, ControlKind::line,
        ControlKind::button, ControlKind::prompt, ControlKind::list, ControlKind::text,
        ControlKind::progress, ControlKind::sheet, ControlKind::tab})
    engine.registerControlKind(k);
}

class TableSource : public Binding {
 public:
  std::vector<std::vector<CellValue>> rows;
  std::size_t rowCount() const override { return rows.size(); }
  CellValue cell(std::size_t row, std::size_t field) const override {
    const auto& r = rows.at(row);
    return field < r.size() ? r[field] : CellValue(std::string());
  }
};

/// A click on a control as the window system delivers it, so that a window blocked by a
/// modal one above it does not get it.
inline void click(const Window& window, int control) {
  QWidget* top = widgetOf(window);
  QWidget* target = widgetOf(window, control);
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                    target->mapTo(top, target->rect().center()));
}

/// Runs `act` on the first visible top-level widget of type T once it appears, from the
/// event loop of whatever modal dialog is running by then.
template <typename T>
void whenShown(std::function<void(T*)> act) {
  QTimer::singleShot(0, [act] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return act(t);
    whenShown<T>(act);
  });
}

}  // namespace vc::ui::testing
