#include "platform/report/report_controller.hpp"

#include <string>

#include "platform/errors/error_manager.hpp"
#include "platform/files/relation_base.hpp"
#include "platform/ui/window.hpp"

namespace vc::report {

namespace {

ReportController::TimeSource& timeSource() {
  static ReportController::TimeSource source;
  return source;
}

std::chrono::steady_clock::time_point now() {
  return timeSource() ? timeSource()() : std::chrono::steady_clock::now();
}

}  // namespace

void ReportController::setTimeSource(TimeSource source) {
  timeSource() = std::move(source);
}

ReportController::ReportController(ui::Window& progressWindow)
    : ui::WindowController(progressWindow) {}

void ReportController::bindReport(RecordProcess& process, ReportInstance& report,
                                  PrintPreview& preview) {
  process_ = &process;
  report_ = &report;
  preview_ = &preview;
  preview.setMessages(&window().engine());
}

void ReportController::setTimer(int hundredths) {
  interval_ = std::chrono::milliseconds(10LL * (hundredths > 0 ? hundredths : 1));
  timerSet_ = true;
  window().setTimer(interval_);
}

ui::Answer ReportController::onWindowEvent() {
  const ui::Answer answer = WindowController::onWindowEvent();
  if (answer != ui::Answer::proceed) return answer;
  switch (event().kind) {
    case ui::EventKind::openWindow:
      // The window posts its opening once; a report is opened once.
      if (process_ != nullptr && !reading_ && !closed_ && RESPONSE == kNoResponse)
        (void)onReportOpened();
      return ui::Answer::proceed;
    case ui::EventKind::timer:
      if (reading_) takeTick();
      return ui::Answer::proceed;
    case ui::EventKind::closeWindow:
    case ui::EventKind::closeDown:
      closeReport();
      return ui::Answer::proceed;
    default:
      return ui::Answer::proceed;
  }
}

ReportOpening ReportController::onReportOpened() {
  process_->reset();
  // A first read that fails finds nothing to print, as an empty table does.
  if (process_->next() != ReadOutcome::row) {
    if (ERRORS != nullptr) ERRORS->throwFileError(errors::ErrorId::noRecords, {});
    finish(kRequestCancelled);
    return ReportOpening::noRecords;
  }
  report_->open();
  reading_ = true;
  return ReportOpening::opened;
}

void ReportController::takeTick() {
  const auto due = now() + interval_;
  do {
    (void)process_->onRecord();
    switch (process_->next()) {
      case ReadOutcome::row:
        break;
      case ReadOutcome::end:
        finish(kRequestCompleted);
        return;
      case ReadOutcome::failed:
        reportReadError();
        finish(kRequestCancelled);
        return;
    }
  } while (now() < due);
}

void ReportController::reportReadError() {
  if (ERRORS == nullptr) return;
  errors::FileErrorInfo info;
  files::RelationBase* relation = process_->relation();
  if (relation != nullptr && relation->me != nullptr) info.fileName = relation->me->reportedName();
  info.errorCode = static_cast<int>(process_->errorCode());
  info.errorText = std::string(files::errorText(process_->errorCode()));
  // The view gives no driver code of its own: the file layer's number and text stand in.
  info.fileErrorCode = std::to_string(info.errorCode);
  info.fileErrorText = info.errorText;
  ERRORS->throwFileError(errors::ErrorId::readError, info);
}

void ReportController::finish(std::uint8_t response) {
  reading_ = false;
  RESPONSE = response;
  // Stopped here, so no tick still to come reads past the last row.
  if (timerSet_) window().setTimer(std::nullopt);
  window().post({ui::EventKind::closeWindow});
}

void ReportController::closeReport() {
  if (closed_) return;
  closed_ = true;
  reading_ = false;
  if (timerSet_) window().setTimer(std::nullopt);
  if (report_ == nullptr) return;
  const bool shown = window().isOpen();
  if (shown) window().hide();
  if (RESPONSE == kRequestCompleted && report_->isOpen()) {
    const PageSet pages = report_->close();
    const std::string& job = report_->structure().jobName;
    if (SKIPPREVIEW != 0)
      (void)preview_->printWithoutPreview(pages, job);
    else
      (void)preview_->show(pages, job);
  } else {
    // Cancelled, or nothing to print: the pages laid out so far are dropped unseen.
    (void)report_->close();
  }
  // Shown again so that the placement the frame saves is that of a shown window.
  if (shown) window().show();
}

ui::Answer ReportController::release() {
  if (process_ != nullptr) process_->release();
  return WindowController::release();
}

}  // namespace vc::report
