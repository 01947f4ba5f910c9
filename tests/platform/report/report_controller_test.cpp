#include "platform/report/report_controller.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/report/scripted/scripted_output.hpp"
#include "report_test_table.hpp"
#include "sample_report.hpp"

namespace vc::report {
namespace {

using files::FileError;
using testing::kCancel;
using testing::kPercent;
using testing::ReportTableTest;

// Prints each row's name; fails to read once `failAfter` rows were read, when set.
class NameProcess : public RecordProcess {
 public:
  NameProcess(ReportInstance& report, testing::SampleVariables& vars, files::testing::TestRow& row)
      : report_(report), vars_(vars), row_(row) {}

  RecordAnswer onRecord() override {
    const RecordAnswer answer = RecordProcess::onRecord();
    vars_.row(row_.name(), "M", "LONG", "");
    (void)report_.print(testing::sample::DETAIL);
    return answer;
  }

  int reads = 0;
  int readsAfterEnd = 0;
  int failAfter = -1;

 protected:
  FileError readNext() override {
    if (ended_) ++readsAfterEnd;
    if (failAfter >= 0 && reads >= failAfter) return FileError::fileSystemError;
    const FileError e = RecordProcess::readNext();
    if (e == FileError::none) ++reads;
    ended_ = e == FileError::recordNotAvailable;
    return e;
  }

 private:
  ReportInstance& report_;
  testing::SampleVariables& vars_;
  files::testing::TestRow& row_;
  bool ended_ = false;
};

class ReportControllerTest : public ReportTableTest {
 protected:
  ReportControllerTest() {
    manager.bindErrorStatus(&status);
    manager.setPresenter(&engine);
    access.setUp(table, manager);
    relation.init(access);
    // Each reading of the clock is an hour on: a timer event takes exactly one row.
    ReportController::setTimeSource([this] { return clock += std::chrono::hours(1); });
  }
  ~ReportControllerTest() override { ReportController::setTimeSource({}); }

  static errors::ErrorStatus& status() {
    static errors::ErrorStatus s;
    return s;
  }

  /// One run of the controller over the table, as a report procedure makes it.
  int runReport() {
    step.init(step_controls::digits | step_controls::upperCase, 3);
    process.init(
        view, relation, window, kPercent, step,
        [this] { return std::string_view(row.NAME, sizeof row.NAME); }, bar);
    process.addSortOrder(files::KeyId{0});
    controller.addAction(kCancel, kRequestCancelled);
    controller.bindReport(process, report, preview);
    controller.ERRORS = &manager;
    controller.openWindow();
    controller.setTimer(10);
    controller.eventLoop();
    (void)controller.release();
    return controller.RESPONSE;
  }

  std::chrono::steady_clock::time_point clock{};
  errors::ErrorManager manager;
  files::FileAccessBase access;
  testing::SampleVariables vars;
  ReportSpec def = testing::sampleReport();
  ReportInstance report{def, vars.bindings()};
  NameProcess process{report, vars, row};
  ScriptedOutput output;
  PrintPreview preview{output};

  ReportController controller{window};
};

TEST_F(ReportControllerTest, ReadsRowByTickAndPreviewsWithTheWindowHidden) {
  addAll({"C", "A", "B"});
  output.leavePreview();
  // The first row and its percentage are there before any tick.
  engine.inspect([](ui::Window& w) { EXPECT_EQ(w.control(kPercent).text, "1% Complete"); });
  EXPECT_EQ(controller.prepare(), ui::Answer::proceed);
  EXPECT_EQ(runReport(), kRequestCompleted);
  EXPECT_EQ(process.reads, 3);
  EXPECT_EQ(process.readsAfterEnd, 0) << "the timer stopped with the last row";
  ASSERT_EQ(output.previews().size(), 1u);
  EXPECT_EQ(output.transcript(), (std::vector<std::string>{"preview: 1 pages"}));
  EXPECT_EQ(engine.transcript(),
            (std::vector<std::string>{"open: Progress", "hide: Progress", "show: Progress"}));
  EXPECT_EQ(row.name(), "C") << "the buffer holds the last row printed";
  EXPECT_EQ(controller.release(), ui::Answer::eventDone) << "a second release changes nothing";
}

TEST_F(ReportControllerTest, CancelBetweenTicksShowsNothing) {
  addAll({"A", "B", "C", "D", "E"});
  engine.afterTicks(2).press("CANCEL");
  EXPECT_EQ(controller.prepare(), ui::Answer::proceed);
  EXPECT_EQ(runReport(), kRequestCancelled);
  EXPECT_EQ(process.reads, 3) << "the first row, then one a tick";
  EXPECT_TRUE(output.previews().empty());
  EXPECT_TRUE(output.prints().empty());
  EXPECT_FALSE(report.isOpen());
}

TEST_F(ReportControllerTest, ATableWithNoRowsSaysSo) {
  engine.acknowledge();
  EXPECT_EQ(controller.prepare(), ui::Answer::proceed);
  EXPECT_EQ(runReport(), kRequestCancelled);
  ASSERT_EQ(engine.messages().size(), 1u);
  EXPECT_EQ(engine.messages()[0].caption, "No Records");
  EXPECT_EQ(engine.messages()[0].text, "There are no records available to process.");
  EXPECT_TRUE(output.previews().empty());
}

TEST_F(ReportControllerTest, AFailedReadAfterTheFirstRowIsNotTheEnd) {
  addAll({"A", "B", "C", "D"});
  process.failAfter = 2;
  engine.acknowledge();
  EXPECT_EQ(controller.prepare(), ui::Answer::proceed);
  EXPECT_EQ(runReport(), kRequestCancelled);
  ASSERT_EQ(engine.messages().size(), 1u);
  EXPECT_EQ(engine.messages()[0].caption, "File Access Error");
  EXPECT_EQ(engine.messages()[0].text,
            "File rows.dat could not be read.  Error: File System Error (90).");
  EXPECT_TRUE(output.previews().empty()) << "a half-read table is never shown as complete";
}

}  // namespace
}  // namespace vc::report
