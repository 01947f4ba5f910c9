#include "platform/ui/qt/list_model.hpp"

#include <climits>

#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {

std::optional<QColor> listColour(const CellValue& value) {
  const long long* v = std::get_if<long long>(&value);
  if (!v || *v < 0 || *v > 0xFFFFFF) return std::nullopt;
  return QColor(static_cast<int>(*v & 0xFF), static_cast<int>((*v >> 8) & 0xFF),
                static_cast<int>((*v >> 16) & 0xFF));
}

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

ListModel::ListModel(const std::vector<ListColumnView>& columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns) {}

void ListModel::load(const Binding* source) {
  const std::size_t available = source ? source->rowCount() : 0;
  const int rows =
      available > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(available);
  std::vector<QString> cells;
  std::vector<CellColours> colours;
  cells.reserve(static_cast<std::size_t>(rows) * columns_.size());
  colours.reserve(cells.capacity());
  for (int r = 0; r < rows; ++r) {
    const auto row = static_cast<std::size_t>(r);
    for (const ListColumnView& c : columns_) {
      std::string shown = formatPicture(c.picture, source->cell(row, c.column.field));
      // A number's picture fills its positions with blanks; the column's alignment is
      // what places the number, so the fill is not drawn.
      if (c.picture.kind == Picture::Kind::number) {
        const auto first = shown.find_first_not_of(' ');
        shown.erase(0, first == std::string::npos ? shown.size() : first);
      }
      cells.push_back(fromCp1252(shown));
      CellColours cell;
      if (c.column.colored) {
        // The four fields after the column's own: text, background, and both selected.
        const std::size_t f = c.column.field;
        cell = {listColour(source->cell(row, f + 1)), listColour(source->cell(row, f + 2)),
                listColour(source->cell(row, f + 3)), listColour(source->cell(row, f + 4))};
      }
      colours.push_back(cell);
    }
  }
  beginResetModel();
  cells_ = std::move(cells);
  colours_ = std::move(colours);
  rows_ = rows;
  endResetModel();
}

std::size_t ListModel::at(int row, int column) const {
  return static_cast<std::size_t>(row) * columns_.size() + static_cast<std::size_t>(column);
}

const CellColours& ListModel::colours(int row, int column) const {
  static const CellColours none;
  if (row < 0 || row >= rows_ || column < 0 || column >= columnCount({})) return none;
  return colours_[at(row, column)];
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount({})) return {};
  if (role == Qt::DisplayRole) return cells_[at(index.row(), index.column())];
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(
        horizontal(columns_[static_cast<std::size_t>(index.column())].column.align) |
        Qt::AlignVCenter);
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount({})) return {};
  const ListColumn& c = columns_[static_cast<std::size_t>(section)].column;
  if (role == Qt::DisplayRole) return fromCp1252(c.header);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(horizontal(c.headerAlign) | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace vc::ui::qt
