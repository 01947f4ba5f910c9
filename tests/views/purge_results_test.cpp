// The "Depurar " button's work around the table's: the refill, the empty-table message,
// the buttons, and the notice when a pass fails.
#include "views/purge_results.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "globals/globals.hpp"
#include "platform/files/fault_points.hpp"
#include "store/store.hpp"
#include "support/program_fixture.hpp"
#include "support/resumen_rows.hpp"
#include "views/window_styles.hpp"

namespace vc::views {
namespace {

using vc::files::FaultPoint;
using vc::files::FileError;
using vc::ui::Window;

constexpr int kReporte = 3;
constexpr int kDepurar = 7;

const vc::ui::WindowSpec& twoButtons() {
  static const vc::ui::WindowSpec structure = [] {
    vc::ui::WindowSpec w = fixedDialog("P_WINDOW", "Purga", 200, 40);
    w.controls = {{kReporte, "REPORTE", vc::ui::ControlKind::button, {10, 10, 40, 14}, "Reporte"},
                  {kDepurar, "DEPURAR", vc::ui::ControlKind::button, {60, 10, 40, 14}, "Depurar "}};
    return w;
  }();
  return structure;
}

constexpr const char* kEmpty =
    "No se ha encontrado Global Data con difrerencias en esta Varcompass";

TEST(PurgeResultsTest, RefillsThenTellsOfAnEmptyTableOrAFailedPassAndDisablesTheButtons) {
  struct Case {
    const char* name;
    std::vector<vc::testing::ResumenRow> rows;
    FaultPoint point;
    std::uint64_t refusedAt;  // 0: nothing refused
    std::uint64_t left;
    std::vector<std::string> messages;  // "caption: text", in order
    bool reporteEnabled;
  };
  const std::string notice = "Depurar: No se pudo depurar resumen.dat.  Error: Access Denied (5).";
  const Case cases[] = {
      {"rows with differing types stay",
       {{"A", "LONG"}, {"T", "LONG"}, {"T", "SHORT"}},
       FaultPoint::deleteRow,
       0,
       2,
       {},
       true},
      {"every row goes",
       {{"A", "LONG"}, {"B", "LONG"}, {"B", "LONG"}},
       FaultPoint::deleteRow,
       0,
       0,
       {std::string(": ") + kEmpty},
       false},
      {"a DELETE refused in pass 1 leaves the table whole",
       {{"A", "LONG"}, {"B", "LONG"}, {"B", "LONG"}},
       FaultPoint::deleteRow,
       1,
       3,
       {notice},
       true},
      {"a FLUSH refused in pass 2 leaves what pass 1 left",
       {{"A", "LONG"}, {"B", "LONG"}, {"B", "LONG"}},
       FaultPoint::commit,
       2,
       2,
       {notice},
       true},
      {"a refusal on a table that pass 1 empties: both the message and the notice",
       {{"A", "LONG"}, {"B", "LONG"}},
       FaultPoint::commit,
       2,
       0,
       {std::string(": ") + kEmpty, notice},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vc::testing::ProgramFixture program;
    ASSERT_EQ(vc::store::resumenRelation->open(), vc::errors::Severity::benign);
    vc::testing::addResumenRows(c.rows);
    for (std::size_t i = 0; i < c.messages.size(); ++i) program.engine.acknowledge();
    if (c.refusedAt > 0) vc::files::refuseAt(c.point, c.refusedAt, FileError::accessDenied);

    Window window(twoButtons(), *globals::windowEngine);
    std::vector<std::string> refills;  // what had been shown when the browse refilled
    purgeResults({window,
                  [&] { refills.push_back(std::to_string(program.engine.messages().size())); },
                  kReporte, kDepurar});
    vc::files::clearFaults();

    EXPECT_EQ(refills, std::vector<std::string>{"0"});
    EXPECT_EQ(vc::store::resumen().records(), c.left);
    std::vector<std::string> shown;
    for (const auto& m : program.engine.messages()) {
      shown.push_back(m.caption + ": " + m.text);
      EXPECT_EQ(m.buttons, std::vector<std::string>{"OK"});
    }
    EXPECT_EQ(shown, c.messages);
    EXPECT_EQ(window.isEnabled(kReporte), c.reporteEnabled);
    EXPECT_FALSE(window.isEnabled(kDepurar));
    EXPECT_TRUE(program.engine.scriptDone());
    vc::store::resumenRelation->close();
  }
}

}  // namespace
}  // namespace vc::views
