#include "platform/ui/qt/qt_window.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/qt/fonts.hpp"
#include "platform/ui/qt/list_control.hpp"
#include "platform/ui/qt/window_title.hpp"

namespace vc::ui::qt {
namespace {

// How long a newly shown window may take to be mapped by the window system before it is
// painted anyway; a window that is never mapped (minimised, say) must not stall us.
constexpr int kExposeWaitMs = 500;

// The size of a window whose structure gives none.
constexpr QSize kDefaultSize(320, 240);

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

// Typed characters that the program armed on a control go to the program as alertKey
// events, and no further: the control never sees them.
class QtWindow::KeyFilter : public QObject {
 public:
  explicit KeyFilter(QtWindow& window) : window_(window) {}
  void watch(QWidget* widget, int number) {
    numbers_[widget] = number;
    widget->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto it = numbers_.find(watched);
    if (it == numbers_.end()) return false;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() != 1) return false;
    const std::optional<unsigned char> byte = toCp1252(text.front());
    if (!byte || !window_.window_.isArmed(it->second, *byte)) return false;
    window_.deliver({EventKind::alertKey, it->second, KeyTyped{*byte}});
    return true;
  }

 private:
  QtWindow& window_;
  std::map<QObject*, int> numbers_;
};

QtWindow::QtWindow(Window& window, QtWindow* below, const ControlKinds& kinds)
    : window_(window),
      units_(DialogUnits::of(windowFont(window.structure()))),
      keys_(std::make_unique<KeyFilter>(*this)) {
  wanted_ = initialPlacement(window.structure());
  build(kinds);
  if (below) {
    // Kept above the window it opened over; the modality keeps input away from it.
    widget_->winId();
    below->widget_->winId();
    if (QWindow* handle = widget_->windowHandle())
      handle->setTransientParent(below->widget_->windowHandle());
  }
}

// The widgets go before the key filter that watches them.
QtWindow::~QtWindow() {
  widget_.reset();
}

QtWindow* QtWindow::of(const Window& window) {
  return dynamic_cast<QtWindow*>(window.engineData.get());
}

void QtWindow::build(const ControlKinds& kinds) {
  const WindowSpec& structure = window_.structure();
  widget_ = std::make_unique<WindowWidget>(nullptr, windowFlags(structure.flags));
  widget_->setObjectName(QString::fromStdString(structure.name));
  setWindowTitleExactly(*widget_, fromCp1252(structure.title));
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
    widget_->onCloseRequest = [this] { deliver({EventKind::closeWindow}); };

  const QSize size(
      structure.at.width ? units_.toPixelsX(*structure.at.width) : kDefaultSize.width(),
      structure.at.height ? units_.toPixelsY(*structure.at.height) : kDefaultSize.height());
  if (structure.flags & window_flag::resizable)
    widget_->resize(size);
  else
    widget_->setFixedSize(size);

  for (const ControlSpec& c : structure.controls) {
    const ControlKindDriver* driver = kinds.at(c.kind);
    QWidget* w = driver->create(*this, c);
    if (!w) continue;
    w->setObjectName(QString::fromStdString(c.equate));
    if (c.font) w->setFont(makeFont(*c.font, font));
    place(*w, c);
    keys_->watch(w, c.number);
    controls_.emplace(c.number, Control{w, driver});
  }
  for (const auto& entry : controls_) refreshControl(entry.first);
}

void QtWindow::place(QWidget& w, const ControlSpec& c) {
  // What the structure leaves open comes from the widget's own idea of its size.
  const QSize hint = w.sizeHint();
  w.setGeometry(c.at.x ? units_.toPixelsX(*c.at.x) : 0, c.at.y ? units_.toPixelsY(*c.at.y) : 0,
                c.at.width ? units_.toPixelsX(*c.at.width) : hint.width(),
                c.at.height ? units_.toPixelsY(*c.at.height) : hint.height());
}

QWidget* QtWindow::control(int number) const {
  if (number == 0) return widget_.get();
  auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second.widget;
}

void QtWindow::refreshControl(int number) {
  auto it = controls_.find(number);
  if (it == controls_.end()) {
    // A control without a widget of its own (a tab) shows in the one it belongs to.
    const ControlSpec* c = window_.structure().control(number);
    if (c && c->parent != 0 && controls_.count(c->parent)) refreshControl(c->parent);
    return;
  }
  const ControlState& state = window_.control(number);
  QWidget& w = *it->second.widget;
  w.setEnabled(state.enabled);
  w.setVisible(state.visible);
  it->second.driver->redisplay(*this, w, state);
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
  const int x = std::max(area.left(), area.left() + (area.width() - size.width()) / 2);
  const int y = std::max(area.top(), area.top() + (area.height() - size.height()) / 2);
  // At a pixel that the position saved in units names again, so that a window that was
  // not moved opens the next time exactly where it was.
  return {units_.exactXWithin(x, area.left(), area.right()),
          units_.exactYWithin(y, area.top(), area.bottom())};
}

void QtWindow::keepOnScreen() {
  // A placement saved on a larger screen, or edited by hand, must not put the window
  // where no one can reach it: it is moved onto the screen it is nearest, whole if it fits
  // and with its top left corner showing if not, at a pixel its units name exactly.
  const QRect frame = widget_->frameGeometry();
  const QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const int right = std::max(area.left(), area.right() + 1 - frame.width());
  const int bottom = std::max(area.top(), area.bottom() + 1 - frame.height());
  int x = std::clamp(frame.x(), area.left(), right);
  int y = std::clamp(frame.y(), area.top(), bottom);
  if (x != frame.x()) x = units_.exactXWithin(x, area.left(), right);
  if (y != frame.y()) y = units_.exactYWithin(y, area.top(), bottom);
  if (x != frame.x() || y != frame.y()) widget_->move(x, y);
}

void QtWindow::ensureShown() {
  if (shown_ || hidden_) return;
  shown_ = true;
  const QPoint middle = centred();
  widget_->move(wanted_.x ? units_.toPixelsX(*wanted_.x) : middle.x(),
                wanted_.y ? units_.toPixelsY(*wanted_.y) : middle.y());
  if ((window_.structure().flags & window_flag::resizable) && wanted_.width && wanted_.height)
    widget_->resize(units_.toPixelsX(*wanted_.width), units_.toPixelsY(*wanted_.height));
  keepOnScreen();
  if (wanted_.minimized)
    widget_->showMinimized();
  else if (wanted_.maximized)
    widget_->showMaximized();
  else
    widget_->show();
  // The frame the window system adds is known only now: centre the whole of it, and keep
  // the whole of it on the screen.
  if (!wanted_.x || !wanted_.y) {
    const QPoint framed = centred();
    widget_->move(wanted_.x ? widget_->x() : framed.x(), wanted_.y ? widget_->y() : framed.y());
  }
  if (!wanted_.minimized && !wanted_.maximized) keepOnScreen();
  raiseAndActivate(widget_.get());
  if (pendingFocus_ != 0) focus(pendingFocus_);
}

void QtWindow::hide() {
  hidden_ = true;
  widget_->hide();
}

void QtWindow::show() {
  if (!hidden_) return;
  hidden_ = false;
  if (!shown_) return ensureShown();
  widget_->show();
  raiseAndActivate(widget_.get());
}

void QtWindow::setTimer(std::optional<std::chrono::milliseconds> interval) {
  if (!interval) {
    // A stopped timer says nothing more, not even the tick it left waiting.
    if (timer_) timer_->stop();
    std::erase_if(events_, [](const Event& e) { return e.kind == EventKind::timer; });
    return;
  }
  if (!timer_) {
    timer_ = new QTimer(widget_.get());
    QObject::connect(timer_, &QTimer::timeout, widget_.get(), [this] {
      // A slow program would otherwise find a pile of ticks waiting for it.
      for (const Event& e : events_)
        if (e.kind == EventKind::timer) return;
      deliver({EventKind::timer, 0, TimerTick{}});
    });
  }
  timer_->start(std::max<std::chrono::milliseconds>(*interval, std::chrono::milliseconds(1)));
}

void QtWindow::paintNow() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  QWindow* handle = widget_->windowHandle();
  if (handle && !hidden_ && !handle->isExposed() && !widget_->isMinimized()) {
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

int QtWindow::listLines(int number) const {
  auto* list = dynamic_cast<ListControl*>(control(number));
  return list ? list->pageLines() : 1;
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
    if (events_.empty() && QCoreApplication::closingDown()) return {EventKind::closeDown};
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
    if (!p.x) p.x = units_.fromPixelsX(middle.x());
    if (!p.y) p.y = units_.fromPixelsY(middle.y());
    if (!p.width) p.width = units_.fromPixelsX(widget_->width());
    if (!p.height) p.height = units_.fromPixelsY(widget_->height());
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
    if (resizable && p.width) wanted_.width = p.width;
    if (resizable && p.height) wanted_.height = p.height;
    wanted_.maximized = p.maximized;
    wanted_.minimized = p.minimized;
    return;
  }
  const QPoint at = widget_->pos();
  widget_->move(p.x ? units_.toPixelsX(*p.x) : at.x(), p.y ? units_.toPixelsY(*p.y) : at.y());
  if (resizable && p.width && p.height)
    widget_->resize(units_.toPixelsX(*p.width), units_.toPixelsY(*p.height));
  Qt::WindowStates state = widget_->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
  if (p.minimized)
    state |= Qt::WindowMinimized;
  else if (p.maximized)
    state |= Qt::WindowMaximized;
  widget_->setWindowState(state);
  if (!p.minimized && !p.maximized) keepOnScreen();
}

}  // namespace vc::ui::qt
