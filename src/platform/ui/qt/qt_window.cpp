#include "platform/ui/qt/qt_window.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>

#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/qt/fonts.hpp"
#include "platform/ui/qt/list_control.hpp"

namespace vc::ui::qt {
namespace {

using settings::kNoValue;

// How long a newly shown window may take to be mapped by the window system before it is
// painted anyway; a window that is never mapped (minimised, say) must not stall us.
constexpr int kExposeWaitMs = 500;

Qt::WindowFlags windowFlags(unsigned flags) {
  Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  // The close box belongs to the system menu; so does a maximise box.
  if (flags & window_flag::systemMenu) {
    f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (flags & window_flag::maximizeBox) f |= Qt::WindowMaximizeButtonHint;
  }
  if (!(flags & window_flag::resizable)) f |= Qt::MSWindowsFixedSizeDialogHint;
  return f;
}

QFont windowFont(const WindowSpec& structure) {
  installFontStandIns();
  return makeFont(structure.font, QApplication::font());
}

}  // namespace

void raiseAndActivate(QWidget* widget) {
  // The headless platform of the tests cannot stack windows and says so on the console.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) widget->raise();
  widget->activateWindow();
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (onCloseRequest) onCloseRequest();
}

QtWindow::QtWindow(Window& window, QtWindow* below)
    : window_(window), units_(DialogUnits::of(windowFont(window.structure()))) {
  const WindowSpec& structure = window.structure();
  wanted_.x = structure.at.x;
  wanted_.y = structure.at.y;
  wanted_.width = structure.at.width;
  wanted_.height = structure.at.height;
  build();
  if (below) {
    // Kept above the window it opened over; the modality keeps input away from it.
    widget_->winId();
    below->widget_->winId();
    if (QWindow* handle = widget_->windowHandle())
      handle->setTransientParent(below->widget_->windowHandle());
  }
}

QtWindow::~QtWindow() = default;

QtWindow* QtWindow::of(const Window& window) {
  return dynamic_cast<QtWindow*>(window.engineData.get());
}

void QtWindow::build() {
  const WindowSpec& structure = window_.structure();
  widget_ = std::make_unique<WindowWidget>(nullptr, windowFlags(structure.flags));
  widget_->setObjectName(QString::fromStdString(structure.name));
  widget_->setWindowTitle(fromCp1252(structure.title));
  const QFont font = windowFont(structure);
  widget_->setFont(font);
  widget_->setWindowModality(Qt::ApplicationModal);
  QPalette palette = widget_->palette();
  palette.setColor(QPalette::Window, (structure.flags & window_flag::grey)
                                         ? palette.color(QPalette::Button)
                                         : palette.color(QPalette::Base));
  widget_->setPalette(palette);
  widget_->setAutoFillBackground(true);
  if (structure.flags & window_flag::systemMenu)
    widget_->onCloseRequest = [this] { deliver({EventKind::closeWindow, 0, 0}); };

  const QSize size(structure.at.width != kNoValue ? units_.toPixelsX(structure.at.width) : 320,
                   structure.at.height != kNoValue ? units_.toPixelsY(structure.at.height) : 240);
  if (structure.flags & window_flag::resizable)
    widget_->resize(size);
  else
    widget_->setFixedSize(size);

  for (const ControlSpec& c : structure.controls) {
    const int number = c.number;
    QWidget* w = nullptr;
    switch (c.kind) {
      case ControlKind::button: {
        auto* button = new QPushButton(fromCp1252(c.text), widget_.get());
        button->setAutoDefault(true);
        button->setDefault((c.flags & control_flag::defaultButton) != 0);
        QObject::connect(button, &QPushButton::clicked, widget_.get(), [this, number] {
          if (window_.isEnabled(number)) deliver({EventKind::accepted, number, 0});
        });
        w = button;
        break;
      }
      case ControlKind::prompt: {
        auto* label = new QLabel(widget_.get());
        label->setTextFormat(Qt::PlainText);
        label->setText(fromCp1252(c.text));
        w = label;
        break;
      }
      case ControlKind::list: {
        auto* list = new ListControl(c.format, units_, widget_.get());
        list->setHorizontalScrollBarPolicy(
            (c.flags & control_flag::hScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(
            (c.flags & control_flag::vScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        list->onUserSelection = [this, number](int row) {
          window_.control(number).selectedRow = row;
          deliver({EventKind::newSelection, number, 0});
        };
        w = list;
        break;
      }
      default:
        break;  // kinds this engine does not draw yet
    }
    if (!w) continue;
    w->setObjectName(QString::fromStdString(c.equate));
    if (c.font) w->setFont(makeFont(*c.font, font));
    const QSize hint = w->sizeHint();
    w->setGeometry(c.at.x != kNoValue ? units_.toPixelsX(c.at.x) : 0,
                   c.at.y != kNoValue ? units_.toPixelsY(c.at.y) : 0,
                   c.at.width != kNoValue ? units_.toPixelsX(c.at.width) : hint.width(),
                   c.at.height != kNoValue ? units_.toPixelsY(c.at.height) : hint.height());
    controls_.emplace(number, w);
  }
  for (const auto& entry : controls_) refreshControl(entry.first);
}

QWidget* QtWindow::control(int number) const {
  if (number == 0) return widget_.get();
  auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second;
}

void QtWindow::refreshControl(int number) {
  auto it = controls_.find(number);
  if (it == controls_.end()) return;
  const ControlState& state = window_.control(number);
  QWidget* w = it->second;
  w->setEnabled(state.enabled);
  w->setVisible(state.visible);
  const ControlSpec& structure = *state.structure;
  switch (structure.kind) {
    case ControlKind::button:
      static_cast<QPushButton*>(w)->setText(fromCp1252(state.text));
      break;
    case ControlKind::prompt: {
      auto* label = static_cast<QLabel*>(w);
      label->setText(fromCp1252(state.text));
      // A prompt without a size takes that of its text.
      const QSize hint = label->sizeHint();
      label->resize(structure.at.width != kNoValue ? label->width() : hint.width(),
                    structure.at.height != kNoValue ? label->height() : hint.height());
      break;
    }
    case ControlKind::list:
      static_cast<ListControl*>(w)->reload(state.source, state.selectedRow);
      break;
    default:
      break;
  }
}

void QtWindow::refresh(int control) {
  if (control == 0) {
    for (const auto& entry : controls_) refreshControl(entry.first);
  } else {
    refreshControl(control);
  }
  ensureShown();
  paintNow();
}

QPoint QtWindow::centred() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {0, 0};
  const QRect area = screen->availableGeometry();
  const QSize size = widget_->frameGeometry().size();
  return {std::max(area.left(), area.left() + (area.width() - size.width()) / 2),
          std::max(area.top(), area.top() + (area.height() - size.height()) / 2)};
}

void QtWindow::ensureShown() {
  if (shown_) return;
  shown_ = true;
  const QPoint middle = centred();
  widget_->move(wanted_.x != kNoValue ? units_.toPixelsX(wanted_.x) : middle.x(),
                wanted_.y != kNoValue ? units_.toPixelsY(wanted_.y) : middle.y());
  if ((window_.structure().flags & window_flag::resizable) && wanted_.width != kNoValue &&
      wanted_.height != kNoValue)
    widget_->resize(units_.toPixelsX(wanted_.width), units_.toPixelsY(wanted_.height));
  if (wanted_.minimized)
    widget_->showMinimized();
  else if (wanted_.maximized)
    widget_->showMaximized();
  else
    widget_->show();
  // The frame the window system adds is known only now: centre the whole of it.
  if (wanted_.x == kNoValue || wanted_.y == kNoValue) {
    const QPoint framed = centred();
    widget_->move(wanted_.x != kNoValue ? widget_->x() : framed.x(),
                  wanted_.y != kNoValue ? widget_->y() : framed.y());
  }
  raiseAndActivate(widget_.get());
  if (pendingFocus_ != 0) focus(pendingFocus_);
}

void QtWindow::paintNow() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  QWindow* handle = widget_->windowHandle();
  if (handle && !handle->isExposed() && !widget_->isMinimized()) {
    QElapsedTimer waited;
    waited.start();
    while (!handle->isExposed() && waited.elapsed() < kExposeWaitMs) {
      QThread::msleep(2);
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
  }
  widget_->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtWindow::focus(int number) {
  if (!shown_) {
    pendingFocus_ = number;
    return;
  }
  pendingFocus_ = 0;
  if (QWidget* w = control(number); w && number != 0) w->setFocus(Qt::OtherFocusReason);
}

void QtWindow::deliver(const Event& event) {
  events_.push_back(event);
  if (waiting_) waiting_->quit();
}

Event QtWindow::waitEvent() {
  ensureShown();
  while (events_.empty()) {
    QEventLoop loop;
    waiting_ = &loop;
    loop.exec();
    waiting_ = nullptr;
    // The application is going away: nothing more will come from the user.
    if (events_.empty() && QCoreApplication::closingDown()) return {EventKind::closeDown, 0, 0};
  }
  const Event event = events_.front();
  events_.pop_front();
  return event;
}

Placement QtWindow::placement() const {
  Placement p;
  if (!shown_) {
    p = wanted_;
    const QPoint middle = centred();
    if (p.x == kNoValue) p.x = units_.fromPixelsX(middle.x());
    if (p.y == kNoValue) p.y = units_.fromPixelsY(middle.y());
    if (p.width == kNoValue) p.width = units_.fromPixelsX(widget_->width());
    if (p.height == kNoValue) p.height = units_.fromPixelsY(widget_->height());
    return p;
  }
  const QPoint at = widget_->pos();
  p.x = units_.fromPixelsX(at.x());
  p.y = units_.fromPixelsY(at.y());
  p.width = units_.fromPixelsX(widget_->width());
  p.height = units_.fromPixelsY(widget_->height());
  p.maximized = widget_->isMaximized();
  p.minimized = widget_->isMinimized();
  return p;
}

void QtWindow::setPlacement(const Placement& p) {
  const bool resizable = (window_.structure().flags & window_flag::resizable) != 0;
  if (!shown_) {
    wanted_.x = p.x;
    wanted_.y = p.y;
    if (resizable && p.width != kNoValue) wanted_.width = p.width;
    if (resizable && p.height != kNoValue) wanted_.height = p.height;
    wanted_.maximized = p.maximized;
    wanted_.minimized = p.minimized;
    return;
  }
  const QPoint at = widget_->pos();
  widget_->move(p.x != kNoValue ? units_.toPixelsX(p.x) : at.x(),
                p.y != kNoValue ? units_.toPixelsY(p.y) : at.y());
  if (resizable && p.width != kNoValue && p.height != kNoValue)
    widget_->resize(units_.toPixelsX(p.width), units_.toPixelsY(p.height));
  Qt::WindowStates state = widget_->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
  if (p.minimized)
    state |= Qt::WindowMinimized;
  else if (p.maximized)
    state |= Qt::WindowMaximized;
  widget_->setWindowState(state);
}

}  // namespace vc::ui::qt
