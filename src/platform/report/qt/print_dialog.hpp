// The pages-to-print dialog of the preview: where the pages go (a printer, or a PDF file,
// which is offered even when there is no printer) and which pages (all, a range, the
// page shown). A PDF file that exists already is replaced only when the user says so.
// It keeps its position under "_PreviewAskPagesWindow_".
#pragma once

#include <QDialog>
#include <QString>
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
  /// Whether the pages may go where the dialog says: true for a printer, and for a PDF
  /// file that does not exist yet or that the user agrees to replace.
  bool mayWriteFile();

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
  QString replaceAgreed_;  // the existing file the user has agreed to replace
};

}  // namespace vc::report::qt
