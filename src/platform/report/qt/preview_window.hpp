// The print preview: one page at a time at the zoom the user picks (whole page, page
// width, 50 to 200 %; a fitting zoom follows the window's size), paging to the first,
// previous, next or last page (also by Home, PgUp, PgDn and End) or to the number
// typed, and Print, which asks where and which pages. Only the page shown is drawn. It
// keeps its placement under "_PreviewWindow_": restored, then maximised when asked, and
// saved when it closes.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "platform/report/report_output.hpp"

class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace vc::report::qt {

/// The preview's object name, by which tests find it.
inline constexpr const char* kPreviewName = "reportPreview";

class PageCanvas;

class PreviewWindow : public QDialog {
 public:
  PreviewWindow(const PageSet& pages, const std::string& jobName, const PreviewOptions& options);
  ~PreviewWindow() override;

  /// Runs the preview until the user leaves it or has chosen what to print.
  PreviewAnswer run();

  void done(int result) override;
  int currentPage() const { return current_; }
  /// Pixels to the inch at which the page is drawn now.
  double pixelsPerInch() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showPage(int page);
  /// Whether the zoom chosen fits the page to the view (whole page, page width).
  bool fitting() const;
  void applyZoom();
  /// PgDn, PgUp, Home and End: next, previous, first and last page.
  bool turnPageByKey(const QKeyEvent& key);
  void askToPrint();

  const PageSet& pages_;
  std::string jobName_;
  PreviewOptions options_;
  int current_ = 1;
  std::optional<PreviewAnswer> answer_;
  QPushButton* first_;
  QPushButton* previous_;
  QPushButton* next_;
  QPushButton* last_;
  QSpinBox* pageBox_;
  QLabel* pageCount_;
  QComboBox* zoom_;
  QScrollArea* scroll_;
  PageCanvas* canvas_;
};

}  // namespace vc::report::qt
