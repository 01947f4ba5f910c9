#include "platform/report/record_process.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "report_test_table.hpp"

namespace vc::report {
namespace {

using testing::kPercent;
using testing::ReportTableTest;

class RecordProcessTest : public ReportTableTest {
 protected:
  RecordProcessTest() {
    step.init(step_controls::digits | step_controls::upperCase, 3);
    process.init(
        view, relation, window, kPercent, step,
        [this] { return std::string_view(row.NAME, sizeof row.NAME); }, bar);
    process.CASESENSITIVEVALUE = 0;
    process.addSortOrder(files::KeyId{0});
  }

  /// Every row read, as "NAME: percentage text" whenever the text changed.
  std::vector<std::string> run() {
    std::vector<std::string> shown;
    process.reset();
    std::string last;
    while (process.next() == ReadOutcome::row) {
      const std::string text = window.control(kPercent).text;
      if (text != last) shown.push_back(row.name() + ": " + text);
      last = text;
      EXPECT_EQ(bar, process.percentage());
    }
    return shown;
  }

  RecordProcess process;
};

TEST_F(RecordProcessTest, ShowsThePercentageOfEachRowBetweenTheFirstAndTheLast) {
  struct Case {
    const char* name;
    std::vector<std::string> rows;  // added in this order
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      // Both ends begin with GLO:, so the places after it count; never "0% Complete".
      {"GLO: limits",
       {"GLO:Z", "GLO:0", "GLO:D"},
       {"GLO:0: 1% Complete", "GLO:D: 37% Complete", "GLO:Z: 100% Complete"}},
      // Lower case is measured as upper case.
      {"case folded",
       {"glo:z", "glo:0", "glo:d"},
       {"glo:0: 1% Complete", "glo:d: 37% Complete", "glo:z: 100% Complete"}},
      // One name throughout: no room between the limits, and no division by zero.
      {"equal limits", {"SAME", "SAME", "SAME"}, {"SAME: 100% Complete"}},
      // "_" sorts after the letters yet counts as "0": the limits are reversed.
      {"reversed limits", {"GLO_", "GLOA"}, {"GLOA: 100% Complete"}},
      // GLO@B lies between the limits in key order but measures below GLO:M: the bar
      // stays where it was rather than going back.
      {"out of key order",
       {"GLO:A", "GLO:M", "GLO@B", "GLO_Z"},
       {"GLO:A: 1% Complete", "GLO:M: 48% Complete", "GLO_Z: 100% Complete"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    table.close();
    ASSERT_TRUE(table.remove().ok());
    ASSERT_TRUE(table.create().ok());
    ASSERT_TRUE(table.open(files::kReadWriteDenyNone).ok());
    addAll(c.rows);
    window.control(kPercent).text.clear();
    EXPECT_EQ(run(), c.shown);
    EXPECT_EQ(process.recordsProcessed(), c.rows.size());
  }
}

TEST_F(RecordProcessTest, RedrawsAtMostAHundredTimesAndNeverGoesBack) {
  std::vector<std::string> names;
  for (int i = 0; i < 10000; ++i) {
    char n[9];
    std::snprintf(n, sizeof n, "V%04d", (i * 7919) % 10000);  // added out of order
    names.push_back(n);
  }
  addAll(names);
  process.reset();
  int before = 0;
  std::uint64_t rows = 0;
  while (process.next() == ReadOutcome::row) {
    ++rows;
    ASSERT_GE(bar, before);
    ASSERT_NE(window.control(kPercent).text, "0% Complete");
    before = bar;
  }
  EXPECT_EQ(rows, 10000u);
  EXPECT_EQ(bar, 100);
  EXPECT_LE(process.redraws(), 100);
  EXPECT_GT(process.redraws(), 10) << "the bar moves as the rows go by";
}

TEST_F(RecordProcessTest, AnEmptyTableReadsNothingAndShowsNothing) {
  process.reset();
  EXPECT_EQ(process.next(), ReadOutcome::end);
  EXPECT_EQ(window.control(kPercent).text, "");
  EXPECT_EQ(bar, 0);
  process.release();
  process.release();  // a second release changes nothing
  EXPECT_EQ(process.next(), ReadOutcome::end);
}

}  // namespace
}  // namespace vc::report
