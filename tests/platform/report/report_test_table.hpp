// A keyed table of names with a view over it and a progress window on a scripted engine,
// for the record process and the report controller.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../files/keyed_test_table.hpp"
#include "platform/errors/error_manager.hpp"
#include "platform/files/file_access_base.hpp"
#include "platform/files/keyed_table.hpp"
#include "platform/files/relation_base.hpp"
#include "platform/files/table_view.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "platform/ui/variable_binding.hpp"
#include "platform/ui/window.hpp"
#include "support/temp_folder.hpp"

namespace vc::report::testing {

inline constexpr int kBar = 1, kPercent = 2, kCancel = 3;

inline const ui::WindowSpec& progressWindowSpec() {
  static const ui::WindowSpec w = [] {
    ui::WindowSpec s;
    s.name = "PROGRESS";
    s.title = "Progress";
    s.at.width = 142;
    s.at.height = 59;
    s.controls = {{kBar, "BAR", ui::ControlKind::progress, {15, 15, 111, 12}},
                  {kPercent, "PCT", ui::ControlKind::stringText, {0, 30, 141, 10}},
                  {kCancel, "CANCEL", ui::ControlKind::button, {46, 42, 49, 15}, "Cancel"}};
    return s;
  }();
  return w;
}

class ReportTableTest : public ::testing::Test {
 protected:
  ReportTableTest() {
    (void)table.create();
    EXPECT_TRUE(table.open(files::kReadWriteDenyNone).ok());
    for (auto kind :
         {ui::ControlKind::progress, ui::ControlKind::stringText, ui::ControlKind::button})
      engine.registerControlKind(kind);
    window.bind(kBar, &barBinding);
  }

  void addAll(const std::vector<std::string>& names) {
    (void)table.stream();
    for (const auto& n : names) {
      row.set(n, 0);
      ASSERT_EQ(table.add(), files::FileError::none);
    }
    (void)table.flush();
  }

  vc::testing::TempFolder folder;
  files::testing::TestRow row{};
  files::KeyedTable table{files::testing::testSpec(), files::testing::kTestFile, &row};
  files::TableView view{table};
  files::RelationBase relation;
  ui::ScriptedEngine engine;
  ui::Window window{progressWindowSpec(), engine};
  std::uint8_t bar = 0;
  ui::VariableBinding<std::uint8_t> barBinding{bar};
  StringStepObject step;
};

}  // namespace vc::report::testing
