#include "platform/ui/qt/list_control.hpp"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/ui/qt/list_painting.hpp"

namespace vc::ui::qt {
namespace {

using Step = ScrollRequest::Step;

constexpr int kThumbRange = 100;

MouseButton buttonOf(const QMouseEvent* event) {
  const Qt::MouseButtons held = event->buttons() | event->button();
  if (held & Qt::LeftButton) return MouseButton::left;
  if (held & Qt::RightButton) return MouseButton::right;
  return MouseButton::none;
}

// Marks a user action for the duration of its handling by the view.
class UserAction {
 public:
  UserAction(bool& flag, MouseButton& button, MouseButton by) : flag_(flag), button_(button) {
    flag_ = true;
    button_ = by;
  }
  ~UserAction() {
    flag_ = false;
    button_ = MouseButton::none;
  }
  UserAction(const UserAction&) = delete;
  UserAction& operator=(const UserAction&) = delete;

 private:
  bool& flag_;
  MouseButton& button_;
};

}  // namespace

/// The scroll bar of a list the program scrolls: it shows the thumb where the program
/// put it and turns what the user does to it into requests, moving nothing itself. A
/// dragged thumb is asked for where it is let go.
class ListControl::Pager : public QScrollBar {
 public:
  explicit Pager(ListControl& list) : QScrollBar(Qt::Vertical, &list), list_(list) {
    setRange(0, kThumbRange);
    setPageStep(kThumbRange / 10);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
      const std::optional<Step> step = stepOf(action);
      if (!step) return;
      setSliderPosition(thumb_);  // the program says where the thumb goes
      list_.ask(*step);
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
      const int asked = sliderPosition();
      setSliderPosition(thumb_);
      list_.ask(Step::thumb, asked);
    });
  }
  void place(int thumb) {
    thumb_ = std::clamp(thumb, 0, kThumbRange);
    if (!isSliderDown()) setSliderPosition(thumb_);
  }

 private:
  static std::optional<Step> stepOf(int action) {
    switch (action) {
      case SliderSingleStepAdd:
        return Step::lineDown;
      case SliderSingleStepSub:
        return Step::lineUp;
      case SliderPageStepAdd:
        return Step::pageDown;
      case SliderPageStepSub:
        return Step::pageUp;
      case SliderToMinimum:
        return Step::first;
      case SliderToMaximum:
        return Step::last;
      default:
        return std::nullopt;  // a drag: asked for when the thumb is let go
    }
  }

  ListControl& list_;
  int thumb_ = 0;
};

ListControl::ListControl(const std::string& format, const DialogUnits& units, bool scrollBar,
                         QWidget* parent)
    : QTableView(parent), wantsScrollBar_(scrollBar) {
  for (const ListColumn& c : parseListFormat(format))
    columns_.push_back(
        {c, parsePicture(c.picture), units.toPixelsX(c.indent), units.toPixelsX(c.headerIndent)});
  // A list without a readable format still shows its first field, across the list.
  const bool fallback = columns_.empty();
  if (fallback) columns_.push_back({});

  model_ = new ListModel(columns_, this);
  QHeaderView* header = makeListHeader(columns_, this);
  setHorizontalHeader(header);
  setModel(model_);
  setItemDelegate(makeListDelegate(columns_, this));

  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);  // Tab moves on to the window's next control
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  // The list offers no menu of its own, and hands the request to no one else.
  setContextMenuPolicy(Qt::PreventContextMenu);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);

  header->setSectionsMovable(false);
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(1);
  bool anyHeader = false;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const ListColumn& c = columns_[i].column;
    const int section = static_cast<int>(i);
    header->setSectionResizeMode(section,
                                 c.resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
    if (c.width > 0) header->resizeSection(section, units.toPixelsX(c.width));
    anyHeader = anyHeader || !c.header.empty();
  }
  if (fallback) header->setStretchLastSection(true);
  header->setVisible(anyHeader);

  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (!userActing_ || !current.isValid() || !onUserSelection) return;
            onUserSelection(current.row() + 1, actingButton_);
          });
}

ListControl::~ListControl() = default;

QScrollBar* ListControl::pager() const {
  return pager_;
}

void ListControl::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  // A line is as high as the list's own font needs.
  if (event->type() == QEvent::FontChange)
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
}

void ListControl::setScrolling(ListScrolling scrolling, int thumb) {
  if (scrolling != scrolling_) {
    scrolling_ = scrolling;
    if (byProgram() && wantsScrollBar_ && !pager_) pager_ = new Pager(*this);
    if (pager_) pager_->setVisible(byProgram());
    setVerticalScrollBarPolicy(wantsScrollBar_ && !byProgram() ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
    updateGeometries();
  }
  if (pager_) pager_->place(thumb);
}

int ListControl::pageLines() const {
  int height = this->height() - 2 * frameWidth();
  // Whether the header is hidden, not whether it shows now: a list is filled before its
  // window first shows, and its pages must hold as many rows then as later.
  if (!horizontalHeader()->isHidden()) height -= horizontalHeader()->sizeHint().height();
  // Room for a horizontal scroll bar, whether or not the columns need it now: a row is
  // never half hidden under it.
  if (horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
    height -= horizontalScrollBar()->sizeHint().height();
  return std::max(1, height / std::max(1, verticalHeader()->defaultSectionSize()));
}

void ListControl::ask(ScrollRequest::Step step, int thumb) {
  if (onScroll) onScroll(ScrollRequest{step, thumb});
}

void ListControl::updateGeometries() {
  QTableView::updateGeometries();
  if (!pager_ || !pager_->isVisible() || placing_) return;
  // The program's scroll bar stands where the list's own would: right of the rows and
  // of the header, above a horizontal scroll bar.
  placing_ = true;
  const int width = pager_->sizeHint().width();
  QMargins margins = viewportMargins();
  if (margins.right() != width) {
    margins.setRight(width);
    setViewportMargins(margins);
  }
  const QRect rows = viewport()->geometry();
  QHeaderView* header = horizontalHeader();
  if (header->isVisible())
    header->setGeometry(rows.left(), header->geometry().top(), rows.width(),
                        header->geometry().height());
  const int frame = frameWidth();
  const int below = horizontalScrollBar()->isVisible() ? horizontalScrollBar()->height() : 0;
  pager_->setGeometry(this->width() - frame - width, frame, width,
                      this->height() - 2 * frame - below);
  placing_ = false;
}

void ListControl::mousePressEvent(QMouseEvent* event) {
  // The right button selects when it is released.
  if (event->button() == Qt::RightButton) return event->accept();
  UserAction acting(userActing_, actingButton_, buttonOf(event));
  QTableView::mousePressEvent(event);
}

void ListControl::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::RightButton) return event->accept();
  UserAction acting(userActing_, actingButton_, buttonOf(event));
  QTableView::mouseMoveEvent(event);
}

void ListControl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) return QTableView::mouseReleaseEvent(event);
  event->accept();
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (onUserSelection) onUserSelection(index.row() + 1, MouseButton::right);
}

void ListControl::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click starts nothing: its first click has selected already.
  event->accept();
}

void ListControl::keyPressEvent(QKeyEvent* event) {
  if (byProgram()) {
    std::optional<Step> step;
    switch (event->key()) {
      case Qt::Key_Up:
        step = Step::lineUp;
        break;
      case Qt::Key_Down:
        step = Step::lineDown;
        break;
      case Qt::Key_PageUp:
        step = Step::pageUp;
        break;
      case Qt::Key_PageDown:
        step = Step::pageDown;
        break;
      case Qt::Key_Home:
        step = Step::first;
        break;
      case Qt::Key_End:
        step = Step::last;
        break;
      default:
        break;
    }
    if (step) {
      event->accept();
      return ask(*step);
    }
  }
  UserAction acting(userActing_, actingButton_, MouseButton::none);
  QTableView::keyPressEvent(event);
}

void ListControl::wheelEvent(QWheelEvent* event) {
  if (!byProgram()) return QTableView::wheelEvent(event);
  event->accept();
  // One notch (120 eighths of a degree) is the desktop's number of lines.
  wheelTurned_ += event->angleDelta().y();
  while (std::abs(wheelTurned_) >= 120) {
    const Step step = wheelTurned_ > 0 ? Step::lineUp : Step::lineDown;
    wheelTurned_ += wheelTurned_ > 0 ? -120 : 120;
    for (int i = 0; i < std::max(1, QApplication::wheelScrollLines()); ++i) ask(step);
  }
}

void ListControl::reload(const Binding* source, int selectedRow) {
  model_->load(source);
  if (selectedRow >= 1 && selectedRow <= model_->rowCount({})) {
    const QModelIndex index = model_->index(selectedRow - 1, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  } else {
    selectionModel()->clear();
  }
}

}  // namespace vc::ui::qt
