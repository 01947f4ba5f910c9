#include "platform/report/qt/preview_window.hpp"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/report/qt/page_painter.hpp"
#include "platform/report/qt/print_dialog.hpp"
#include "platform/report/qt/widget_placement.hpp"
#include "platform/settings/settings_store.hpp"

namespace vc::report::qt {
namespace {

constexpr const char* kSection = "_PreviewWindow_";
// Zoom entries: a fraction of the screen's own size, or a fit to the view.
constexpr double kWholePage = -1;
constexpr double kPageWidth = -2;
constexpr int kGap = 12;  // pixels of grey around the page

}  // namespace

/// The page as it shows in the preview: white paper, drawn by the page painter.
class PageCanvas : public QWidget {
 public:
  PageCanvas(const PageSet& pages, QWidget* parent) : QWidget(parent), pages_(pages) {}
  void show(int page, double pixelsPerInch) {
    page_ = page;
    pixelsPerInch_ = pixelsPerInch;
    setFixedSize(static_cast<int>(std::lround(pages_.pageWidth() * pixelsPerInch / 1000.0)),
                 static_cast<int>(std::lround(pages_.pageHeight() * pixelsPerInch / 1000.0)));
    update();
  }
  double pixelsPerInch() const { return pixelsPerInch_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (page_ >= 1 && page_ <= pages_.pageCount())
      paintPage(painter, pages_, pages_.pages()[static_cast<std::size_t>(page_ - 1)],
                pixelsPerInch_);
  }

 private:
  const PageSet& pages_;
  int page_ = 0;
  double pixelsPerInch_ = 96;
};

PreviewWindow::PreviewWindow(const PageSet& pages, const std::string& jobName,
                             const PreviewOptions& options)
    : QDialog(nullptr), pages_(pages), jobName_(jobName), options_(options) {
  setObjectName(kPreviewName);
  setWindowTitle(QStringLiteral("Print Preview"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setWindowModality(Qt::ApplicationModal);
  setSizeGripEnabled(true);

  const auto button = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  first_ = button("first", QStringLiteral("|<"));
  first_->setToolTip(QStringLiteral("First page"));
  previous_ = button("previous", QStringLiteral("<"));
  previous_->setToolTip(QStringLiteral("Previous page"));
  next_ = button("next", QStringLiteral(">"));
  next_->setToolTip(QStringLiteral("Next page"));
  last_ = button("last", QStringLiteral(">|"));
  last_->setToolTip(QStringLiteral("Last page"));
  pageBox_ = new QSpinBox(this);
  pageBox_->setObjectName("pageNumber");
  pageBox_->setRange(1, std::max(pages.pageCount(), 1));
  pageBox_->setKeyboardTracking(false);
  pageCount_ = new QLabel(QStringLiteral("of %1").arg(pages.pageCount()), this);
  zoom_ = new QComboBox(this);
  zoom_->setObjectName("zoom");
  zoom_->addItem(QStringLiteral("Whole page"), kWholePage);
  zoom_->addItem(QStringLiteral("Page width"), kPageWidth);
  for (int percent : {50, 75, 100, 150, 200})
    zoom_->addItem(QStringLiteral("%1 %").arg(percent), percent / 100.0);
  zoom_->setEnabled(options.allowZoom);
  QPushButton* print = button("print", QStringLiteral("Print..."));
  QPushButton* close = button("close", QStringLiteral("Close"));

  auto* bar = new QHBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(first_), static_cast<QWidget*>(previous_),
                     static_cast<QWidget*>(pageBox_), static_cast<QWidget*>(pageCount_),
                     static_cast<QWidget*>(next_), static_cast<QWidget*>(last_)})
    bar->addWidget(w);
  bar->addSpacing(kGap);
  bar->addWidget(zoom_);
  bar->addStretch(1);
  bar->addWidget(print);
  bar->addWidget(close);

  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("pageView");
  scroll_->setAlignment(Qt::AlignCenter);
  scroll_->setBackgroundRole(QPalette::Dark);
  canvas_ = new PageCanvas(pages, scroll_);
  scroll_->setWidget(canvas_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(scroll_, 1);

  connect(first_, &QPushButton::clicked, this, [this] { showPage(1); });
  connect(previous_, &QPushButton::clicked, this, [this] { showPage(current_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { showPage(current_ + 1); });
  connect(last_, &QPushButton::clicked, this, [this] { showPage(pages_.pageCount()); });
  connect(pageBox_, &QSpinBox::valueChanged, this, [this](int page) { showPage(page); });
  connect(zoom_, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
  connect(print, &QPushButton::clicked, this, [this] { askToPrint(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  // Three quarters of the screen, centred, unless a placement was kept; then maximised
  // when asked.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    resize(screen->availableGeometry().size() * 3 / 4);
  WidgetPlacement placement(*this, /*resizable=*/true);
  placement.centre();
  if (options_.settings) options_.settings->restoreWindow(kSection, placement);
  if (options_.maximize) placement.setMaximized(true);
  showPage(1);
  scroll_->installEventFilter(this);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  installEventFilter(this);
}

PreviewWindow::~PreviewWindow() = default;

double PreviewWindow::pixelsPerInch() const {
  return canvas_->pixelsPerInch();
}

void PreviewWindow::showPage(int page) {
  current_ = std::clamp(page, 1, std::max(pages_.pageCount(), 1));
  const QSignalBlocker quiet(pageBox_);
  pageBox_->setValue(current_);
  first_->setEnabled(current_ > 1);
  previous_->setEnabled(current_ > 1);
  next_->setEnabled(current_ < pages_.pageCount());
  last_->setEnabled(current_ < pages_.pageCount());
  applyZoom();
}

void PreviewWindow::applyZoom() {
  const double zoom = zoom_->currentData().toDouble();
  // The room without scroll bars, so that a fit does not change with the scroll bars
  // that it brings or takes away.
  const QSize view = scroll_->maximumViewportSize() - QSize(2 * kGap, 2 * kGap);
  const double inchesWide = pages_.pageWidth() / 1000.0;
  const double inchesHigh = pages_.pageHeight() / 1000.0;
  double ppi;
  if (zoom == kWholePage) {
    ppi = std::min(view.width() / inchesWide, view.height() / inchesHigh);
  } else if (zoom == kPageWidth) {
    // Room for the vertical scroll bar that a page taller than the view brings.
    ppi = (view.width() - scroll_->verticalScrollBar()->sizeHint().width()) / inchesWide;
  } else {
    ppi = zoom * logicalDpiX();
  }
  canvas_->show(current_, std::max(ppi, 4.0));
}

bool PreviewWindow::fitting() const {
  const double zoom = zoom_->currentData().toDouble();
  return zoom == kWholePage || zoom == kPageWidth;
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  // The page view learns its size only once it is laid out and shown, and again each
  // time the window system resizes or maximises the window: a zoom that fits follows.
  if (watched == scroll_ && event->type() == QEvent::Resize) {
    if (fitting()) applyZoom();
    return false;
  }
  if (event->type() == QEvent::KeyPress) return turnPageByKey(*static_cast<QKeyEvent*>(event));
  return QDialog::eventFilter(watched, event);
}

bool PreviewWindow::turnPageByKey(const QKeyEvent& key) {
  // The paging keys turn the pages wherever the keyboard is in the preview: a page
  // number box or a zoom list would otherwise take them for their own steps.
  if ((key.modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier)
    return false;
  switch (key.key()) {
    case Qt::Key_PageDown:
      showPage(current_ + 1);
      return true;
    case Qt::Key_PageUp:
      showPage(current_ - 1);
      return true;
    case Qt::Key_Home:
      showPage(1);
      return true;
    case Qt::Key_End:
      showPage(pages_.pageCount());
      return true;
    default:
      return false;
  }
}

void PreviewWindow::askToPrint() {
  PrintDialog dialog(this, pages_.pageCount(), current_, jobName_, options_);
  if (auto answer = dialog.ask()) {
    answer_ = std::move(answer);
    accept();
  }
}

void PreviewWindow::done(int result) {
  // Saved while still shown: a maximised window keeps only that it was maximised.
  if (options_.settings && isVisible()) {
    WidgetPlacement placement(*this, /*resizable=*/true);
    options_.settings->saveWindow(kSection, placement);
  }
  QDialog::done(result);
}

PreviewAnswer PreviewWindow::run() {
  answer_.reset();
  exec();
  return answer_.value_or(PreviewAnswer{});
}

}  // namespace vc::report::qt
