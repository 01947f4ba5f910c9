#include "platform/ui/qt/list_painting.hpp"

#include <QPainter>
#include <QStyleOptionHeader>

namespace vc::ui::qt {
namespace {

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

/// Draws a cell: the row's selection, the cell's own colours where it has them, the text
/// placed by the column's alignment and indent, clipped at the cell, and the column's
/// right border line.
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
    const CellColours& colours =
        static_cast<const ListModel*>(index.model())->colours(index.row(), index.column());

    painter->save();
    painter->setClipRect(option.rect);
    const bool selected = (o.state & QStyle::State_Selected) != 0;
    // A cell's own colours, where it has them, in place of the list's.
    const std::optional<QColor>& background =
        selected ? colours.selectedBackground : colours.background;
    if (background) painter->fillRect(option.rect, *background);
    const QPalette::ColorGroup group =
        (o.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const std::optional<QColor>& textColour = selected ? colours.selectedText : colours.text;
    painter->setPen(
        textColour ? *textColour
                   : o.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
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

QStyledItemDelegate* makeListDelegate(const std::vector<ListColumnView>& columns, QObject* parent) {
  return new ListDelegate(columns, parent);
}

QHeaderView* makeListHeader(const std::vector<ListColumnView>& columns, QWidget* parent) {
  return new ListHeader(columns, parent);
}

}  // namespace vc::ui::qt
