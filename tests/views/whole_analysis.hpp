// Whole runs of the program on one analysis, for the tests of odd files and folders: a
// main source naming modules, a module source, and what one run showed.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text/text_ops.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "support/as_nobody.hpp"
#include "support/program_fixture.hpp"
#include "views/analysis_window.hpp"

namespace vc::views::testing {

inline constexpr const char* kFatal = "  Press OK to end this application";

inline std::string mainSourceNaming(const std::vector<std::string>& modules) {
  std::string text = "  PROGRAM\r\n  MAP\r\n";
  for (const std::string& m : modules) {
    text += "    MODULE('" + m + ".CLW')\r\nProc PROCEDURE\r\n    END\r\n";
  }
  return text + "  END\r\n  CODE\r\n";
}

/// A module source with two global declarations, one of them EXTERNAL.
inline const std::string kModuleSource =
    "!--- Application Global and Exported Procedure Definitions ----\r\n"
    "GLO:A   LONG\r\n"
    "GLO:B   STRING(20),EXTERNAL\r\n"
    "!--- fin\r\n";

inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.push_back(e.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

/// What one analysis of `mainSource` showed: the boxes as "caption: text", the exit
/// status, and the list's lines as "name locales externals".
struct Analysis {
  std::vector<std::string> messages;
  int status = 0;
  std::vector<std::string> list;
};

/// Runs the program: chooses mainSource, analyses it, acknowledges `boxes` messages and,
/// when the program goes on, reads the list, takes the steps `meanwhile` adds in the
/// analysis window, and leaves.
inline Analysis analyse(const std::string& mainSource, int boxes, bool goesOn,
                        const std::function<void(vc::ui::ScriptedEngine&)>& meanwhile = {}) {
  vc::ui::ScriptedEngine engine;
  Analysis out;
  engine.press("BOTON1").chooseFile(mainSource).press("ANALIZAR");
  for (int i = 0; i < boxes; ++i) engine.acknowledge();
  if (goesOn) {
    engine.inspect([&](vc::ui::Window& w) {
      const vc::ui::Binding* src = w.control(p7::LIST1).binding;
      for (std::size_t r = 0; src && r < src->rowCount(); ++r) {
        out.list.push_back(std::string(text::clip(std::get<std::string>(src->cell(r, 0)))) + " " +
                           std::to_string(std::get<long long>(src->cell(r, 1))) + " " +
                           std::to_string(std::get<long long>(src->cell(r, 2))));
      }
    });
    if (meanwhile) meanwhile(engine);
    engine.press("OKBUTTON").press("OKBUTTON");
  }
  out.status = vc::testing::run(engine);
  for (const auto& m : engine.messages()) out.messages.push_back(m.caption + ": " + m.text);
  EXPECT_TRUE(engine.scriptDone());
  return out;
}

/// The texts one to a line, each ended by a newline.
inline std::string lines(const std::vector<std::string>& texts) {
  std::string out;
  for (const auto& t : texts) out += t + "\n";
  return out;
}

/// The rows of the table as any SQLite client counts them; -1 when it is no table.
inline int rowsIn(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  int n = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM resumen", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      n = sqlite3_column_int(st, 0);
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return n;
}

/// The analysis of `analyse` run in `folder` by user kNobody in a child process: its
/// status, and its boxes and its list one to a line.
inline std::pair<int, std::string> analyseAsNobody(
    const std::filesystem::path& folder, const std::string& mainSource, int boxes, bool goesOn,
    const std::function<void(vc::ui::ScriptedEngine&)>& meanwhile = {}) {
  return vc::testing::runAsNobody([&](std::string& out) {
    if (::chdir(folder.c_str()) != 0) return 121;
    const Analysis a = analyse(mainSource, boxes, goesOn, meanwhile);
    out = lines(a.messages) + lines(a.list);
    return a.status;
  });
}

}  // namespace vc::views::testing
