// The print preview a report controller hands its finished pages to: the output it shows
// them on, its settings, and the service that tells the user of a failed print.
#pragma once

#include <cstdint>
#include <string>

#include "platform/errors/message_presenter.hpp"
#include "platform/report/preview_session.hpp"
#include "platform/report/report_output.hpp"

namespace vc::report {

class PrintPreview {
 public:
  explicit PrintPreview(ReportOutput& output) : output_(output) {}

  /// The preview's window and its pages-to-print dialog keep their state there.
  void setSettings(settings::SettingsStore* store) { settings_ = store; }
  /// Where "Print Error" goes; set by the report controller that binds the preview.
  void setMessages(errors::MessagePresenter* messages) { messages_ = messages; }

  /// Shows `pages` until the user leaves or they have been printed (see runPreview).
  PreviewOutcome show(const PageSet& pages, const std::string& jobName);
  /// Prints every page to the default printer without showing them; a failure is told
  /// as in the preview and counts as not printed.
  PreviewOutcome printWithoutPreview(const PageSet& pages, const std::string& jobName);

  std::uint8_t ALLOWUSERZOOM = 0;
  std::uint8_t MAXIMIZE = 0;
  std::uint8_t ALLOWPRINTCURRENT = 0;

 private:
  PreviewOptions options() const;

  ReportOutput& output_;
  settings::SettingsStore* settings_ = nullptr;
  errors::MessagePresenter* messages_ = nullptr;
};

}  // namespace vc::report
