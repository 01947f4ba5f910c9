// The report controller: a window controller over a report's progress window that reads
// the rows on the window's timer, prints them through the report, and hands the finished
// pages to the print preview.
//
// States (RESPONSE in brackets):
//   prepared --window opens, a first row--> reading (0) --last row--> done (completed)
//   prepared --window opens, no row--> done (cancelled): "No Records"
//   reading --a read fails--> done (cancelled): "File Access Error"
//   reading --answer control ("Cancel")--> done (cancelled)
//   done --close request--> closed: the window hidden, the pages previewed (completed)
//        or dropped, the report closed, the window shown again
// Invariants: rows are read only while reading; the timer runs only while reading, so no
// tick reads past the last row; the close step runs once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/report/print_preview.hpp"
#include "platform/report/record_process.hpp"
#include "platform/report/report_instance.hpp"
#include "platform/ui/window_controller.hpp"

namespace vc::report {

/// RESPONSE of a report controller: the window controller's answers.
using ui::kNoResponse;
using ui::kRequestCancelled;
using ui::kRequestCompleted;

/// What the report-opening step found.
enum class ReportOpening { opened, noRecords };

class ReportController : public ui::WindowController {
 public:
  explicit ReportController(ui::Window& progressWindow);

  /// Keeps the process, the report and the preview; the preview tells its errors through
  /// the progress window's engine.
  void bindReport(RecordProcess& process, ReportInstance& report, PrintPreview& preview);
  /// Starts the progress window's timer: every `hundredths` hundredths of a second a batch
  /// of rows is read, as many as fit before the next tick is due.
  void setTimer(int hundredths);

  /// The window's opening, then the report-opening step.
  ui::Answer onWindowEvent() override;
  /// The report-opening step: resets the process and reads the first row. Without one,
  /// "No Records" is shown, the response is cancelled and the window asked to close.
  /// Otherwise the report is opened.
  virtual ReportOpening onReportOpened();
  /// Releases the process, then the window controller.
  ui::Answer release() override;

  /// 1: the pages go straight to the default printer, without a preview.
  std::uint8_t SKIPPREVIEW = 0;

  /// Where the timer step reads the time from (a test may make it step on its own);
  /// nothing: the steady clock again.
  using TimeSource = std::function<std::chrono::steady_clock::time_point()>;
  static void setTimeSource(TimeSource source);

 protected:
  /// One timer event's batch: rows until the next tick is due, at least one.
  void takeTick();
  /// The close step, once: see the states above.
  void closeReport();

 private:
  void finish(std::uint8_t response);
  void reportReadError();

  RecordProcess* process_ = nullptr;
  ReportInstance* report_ = nullptr;
  PrintPreview* preview_ = nullptr;
  std::chrono::milliseconds interval_{100};
  bool timerSet_ = false;
  bool reading_ = false;
  bool closed_ = false;
};

}  // namespace vc::report
