// The pages-to-print dialog of the preview: where the pages go (a printer, or a PDF file,
// which is offered even when there is no printer) and which pages (all, a range, the
// page shown). It keeps its position under "_PreviewAskPagesWindow_".
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "platform/report/report_output.hpp"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vc::report::qt {

/// The dialog's object name, by which tests find it.
inline constexpr const char* kPrintDialogName = "reportPrintDialog";

class PrintDialog : public QDialog {
 public:
  /// `current` is the page the preview shows; `jobName` names the PDF file offered.
  PrintDialog(QWidget* parent, int pageCount, int current, const std::string& jobName,
              const PreviewOptions& options);

  /// Runs the dialog: the user's choice, or nothing when cancelled.
  std::optional<PreviewAnswer> ask();

  void done(int result) override;

 private:
  void browse();
  void update();

  int pageCount_;
  int current_;
  PreviewOptions options_;
  QComboBox* destination_;
  QLineEdit* file_;
  QPushButton* browse_;
  QRadioButton* all_;
  QRadioButton* range_;
  QRadioButton* currentPage_;
  QSpinBox* from_;
  QSpinBox* to_;
  QPushButton* ok_;
};

}  // namespace vc::report::qt
