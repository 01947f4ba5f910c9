// What the report's Qt tests share: one application for the process, acting on a
// dialog once it is up, and reading a PDF file back as text.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace vc::report::testing {

inline void startApplication() {
  static int argc = 1;
  static char name[] = "report_qt_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  (void)app;
}

/// Runs `act` on the visible dialog named `name` once it is up, from the event loop of
/// whatever modal dialog is running by then.
inline void whenShown(const char* name, std::function<void(QDialog*)> act) {
  QTimer::singleShot(10, [name, act] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && d->objectName() == name)
        return act(d);
    whenShown(name, act);
  });
}

/// The output of a command, or "" when it cannot run.
inline std::string commandOutput(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return out;
  std::array<char, 4096> buffer{};
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
    out.append(buffer.data(), n);
  return out;
}

/// The PDF's text as pdftotext lays it out (blanks rebuilt from the gaps).
inline std::string pdfText(const std::string& path) {
  return commandOutput("pdftotext -layout '" + path + "' - 2>&1");
}

}  // namespace vc::report::testing
