// What the comparative browse's tests share: the program started with its INI file as
// settings, ver_resumen run on a script, and the rows its list shows.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "globals/globals.hpp"
#include "platform/settings/settings_store.hpp"
#include "platform/text/text_ops.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "platform/ui/window.hpp"
#include "support/program_fixture.hpp"
#include "views/ver_resumen.hpp"

namespace vc::views {

/// The program's frame on a scripted engine, with "varcompass.INI" open as its settings.
class VerResumenFixture : public ::testing::Test {
 protected:
  VerResumenFixture() {
    globals::settingsManager->openSettings("varcompass.INI", vc::settings::SettingsKind::iniFile);
  }
  ~VerResumenFixture() override { globals::settingsManager->closeSettings(); }

  /// Runs the browse through the script given so far, which it must use up.
  void run() {
    ver_resumen();
    EXPECT_TRUE(program.engine.scriptDone());
  }

  vc::testing::ProgramFixture program;
  vc::ui::ScriptedEngine& engine = program.engine;
};

inline const vc::ui::Binding& rowsOf(vc::ui::Window& w) {
  return *w.control(p17::LIST).binding;
}

/// One cell of the list, without trailing blanks.
inline std::string text(const vc::ui::Binding& b, std::size_t row, std::size_t field) {
  return std::string(vc::text::clip(std::get<std::string>(b.cell(row, field))));
}

/// "MODULO/NOMBRE" of every row shown.
inline std::vector<std::string> shown(vc::ui::Window& w) {
  std::vector<std::string> out;
  const auto& b = rowsOf(w);
  for (std::size_t r = 0; r < b.rowCount(); ++r) out.push_back(text(b, r, 0) + "/" + text(b, r, 1));
  return out;
}

}  // namespace vc::views
