#include "platform/ui/qt/list_control.hpp"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <climits>

#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {
namespace {

Qt::Alignment horizontal(ColumnAlign align) {
  switch (align) {
    case ColumnAlign::left:
      return Qt::AlignLeft;
    case ColumnAlign::center:
      return Qt::AlignHCenter;
    case ColumnAlign::right:
    case ColumnAlign::decimal:
      return Qt::AlignRight;  // whole numbers: the point is implied
  }
  return Qt::AlignLeft;
}

// Where the text of a cell or header goes: a left or right indent moves it away from that
// edge, a centre offset moves it to the right.
QRect placeText(QRect rect, ColumnAlign align, int indent) {
  switch (align) {
    case ColumnAlign::left:
      return rect.adjusted(indent, 0, 0, 0);
    case ColumnAlign::right:
    case ColumnAlign::decimal:
      return rect.adjusted(0, 0, -indent, 0);
    case ColumnAlign::center:
      return rect.translated(indent, 0);
  }
  return rect;
}

}  // namespace

/// The snapshot of rows the view shows, one text per cell.
class ListModel : public QAbstractTableModel {
 public:
  explicit ListModel(const std::vector<ListColumnView>& columns, QObject* parent)
      : QAbstractTableModel(parent), columns_(columns) {}

  void setCells(std::vector<QString> cells, int rows) {
    beginResetModel();
    cells_ = std::move(cells);
    rows_ = rows;
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount({})) return {};
    if (role == Qt::DisplayRole)
      return cells_[static_cast<std::size_t>(index.row()) * columns_.size() +
                    static_cast<std::size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(
          horizontal(columns_[static_cast<std::size_t>(index.column())].column.align) |
          Qt::AlignVCenter);
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount({})) return {};
    const ListColumn& c = columns_[static_cast<std::size_t>(section)].column;
    if (role == Qt::DisplayRole) return fromCp1252(c.header);
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(horizontal(c.headerAlign) | Qt::AlignVCenter);
    return {};
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

 private:
  const std::vector<ListColumnView>& columns_;
  std::vector<QString> cells_;
  int rows_ = 0;
};

namespace {

/// Draws a cell: the row's selection, the text placed by the column's alignment and
/// indent, clipped at the cell, and the column's right border line.
class ListDelegate : public QStyledItemDelegate {
 public:
  ListDelegate(const std::vector<ListColumnView>& columns, QObject* parent)
      : QStyledItemDelegate(parent), columns_(columns) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o(option);
    initStyleOption(&o, index);
    const QString text = o.text;
    o.text.clear();
    o.state &= ~QStyle::State_HasFocus;
    const QWidget* widget = o.widget;
    QStyle* style = widget ? widget->style() : nullptr;
    if (style) style->drawControl(QStyle::CE_ItemViewItem, &o, painter, widget);
    if (index.column() < 0 || static_cast<std::size_t>(index.column()) >= columns_.size()) return;
    const ListColumnView& c = columns_[static_cast<std::size_t>(index.column())];

    painter->save();
    painter->setClipRect(option.rect);
    const bool selected = (o.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (o.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->setPen(o.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(o.font);
    painter->drawText(
        placeText(option.rect, c.column.align, c.indentPixels),
        static_cast<int>(horizontal(c.column.align) | Qt::AlignVCenter | Qt::TextSingleLine), text);
    if (c.column.rightBorder) {
      painter->setPen(o.palette.color(QPalette::Mid));
      painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    }
    painter->restore();
  }

 private:
  const std::vector<ListColumnView>& columns_;
};

/// The header row: each section's text placed by the header's own alignment and indent.
class ListHeader : public QHeaderView {
 public:
  ListHeader(const std::vector<ListColumnView>& columns, QWidget* parent)
      : QHeaderView(Qt::Horizontal, parent), columns_(columns) {}

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    if (!rect.isValid()) return;
    QStyleOptionHeader section;
    initStyleOptionForIndex(&section, logicalIndex);
    section.rect = rect;
    const QString text = section.text;
    section.text.clear();
    style()->drawControl(QStyle::CE_HeaderSection, &section, painter, this);
    if (logicalIndex < 0 || static_cast<std::size_t>(logicalIndex) >= columns_.size()) return;
    const ListColumnView& c = columns_[static_cast<std::size_t>(logicalIndex)];
    // A small margin keeps an unindented text off the section's separator line.
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) / 2;
    QStyleOptionHeader label = section;
    label.text = text;
    label.textAlignment = horizontal(c.column.headerAlign) | Qt::AlignVCenter;
    label.rect =
        placeText(rect.adjusted(margin, 0, -margin, 0), c.column.headerAlign, c.headerIndentPixels);
    painter->save();
    painter->setClipRect(rect);
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();
  }

 private:
  const std::vector<ListColumnView>& columns_;
};

}  // namespace

ListControl::ListControl(const std::string& format, const DialogUnits& units, QWidget* parent)
    : QTableView(parent) {
  for (const ListColumn& c : parseListFormat(format))
    columns_.push_back(
        {c, parsePicture(c.picture), units.toPixelsX(c.indent), units.toPixelsX(c.headerIndent)});
  // A list without a readable format still shows its first field, across the list.
  const bool fallback = columns_.empty();
  if (fallback) columns_.push_back({});

  model_ = new ListModel(columns_, this);
  auto* header = new ListHeader(columns_, this);
  setHorizontalHeader(header);
  setModel(model_);
  setItemDelegate(new ListDelegate(columns_, this));

  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);  // Tab moves on to the window's next control
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
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

void ListControl::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  // A line is as high as the list's own font needs.
  if (event->type() == QEvent::FontChange)
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
}

// Marks a user action for the duration of its handling by the view.
class UserAction {
 public:
  explicit UserAction(bool& flag) : flag_(flag) { flag_ = true; }
  ~UserAction() { flag_ = false; }
  UserAction(const UserAction&) = delete;
  UserAction& operator=(const UserAction&) = delete;

 private:
  bool& flag_;
};

namespace {

MouseButton buttonOf(const QMouseEvent* event) {
  const Qt::MouseButtons held = event->buttons() | event->button();
  if (held & Qt::LeftButton) return MouseButton::left;
  if (held & Qt::RightButton) return MouseButton::right;
  return MouseButton::none;
}

}  // namespace

void ListControl::mousePressEvent(QMouseEvent* event) {
  UserAction acting(userActing_);
  actingButton_ = buttonOf(event);
  QTableView::mousePressEvent(event);
  actingButton_ = MouseButton::none;
}

void ListControl::mouseMoveEvent(QMouseEvent* event) {
  UserAction acting(userActing_);
  actingButton_ = buttonOf(event);
  QTableView::mouseMoveEvent(event);
  actingButton_ = MouseButton::none;
}

void ListControl::keyPressEvent(QKeyEvent* event) {
  UserAction acting(userActing_);
  QTableView::keyPressEvent(event);
}

void ListControl::reload(const Binding* source, int selectedRow) {
  const std::size_t available = source ? source->rowCount() : 0;
  const int rows =
      available > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(available);
  std::vector<QString> cells;
  cells.reserve(static_cast<std::size_t>(rows) * columns_.size());
  for (int r = 0; r < rows; ++r) {
    for (const ListColumnView& c : columns_) {
      std::string shown =
          formatPicture(c.picture, source->cell(static_cast<std::size_t>(r), c.column.field));
      // A number's picture fills its positions with blanks; the column's alignment is
      // what places the number, so the fill is not drawn.
      if (c.picture.kind == Picture::Kind::number)
        shown.erase(0, shown.find_first_not_of(' ') == std::string::npos
                           ? shown.size()
                           : shown.find_first_not_of(' '));
      cells.push_back(fromCp1252(shown));
    }
  }
  model_->setCells(std::move(cells), rows);
  if (selectedRow >= 1 && selectedRow <= rows) {
    const QModelIndex index = model_->index(selectedRow - 1, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  } else {
    selectionModel()->clear();
  }
}

}  // namespace vc::ui::qt
