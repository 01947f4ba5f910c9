// The snapshot of rows a list control shows: one text per cell, and the colours of the
// cells of colour columns, taken from the list's binding at every redisplay.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <optional>
#include <vector>

#include "platform/ui/binding.hpp"
#include "platform/ui/list_format.hpp"
#include "platform/ui/picture.hpp"

namespace vc::ui::qt {

/// A column as the widget draws it: the format's column with its picture read and its
/// indents in pixels.
struct ListColumnView {
  ListColumn column;
  Picture picture;
  int indentPixels = 0;
  int headerIndentPixels = 0;
};

/// The colours of one cell; nothing where the list's own apply.
struct CellColours {
  std::optional<QColor> text;
  std::optional<QColor> background;
  std::optional<QColor> selectedText;
  std::optional<QColor> selectedBackground;
};

/// A colour field's value as a colour: 0x00BBGGRR; anything outside 0 to 0xFFFFFF (-1
/// above all) means the list's own colour.
std::optional<QColor> listColour(const CellValue& value);

Qt::Alignment horizontal(ColumnAlign align);

class ListModel : public QAbstractTableModel {
 public:
  ListModel(const std::vector<ListColumnView>& columns, QObject* parent);

  /// Reads every row of `source` (none when null) through the columns' pictures.
  void load(const Binding* source);
  /// The colours of a cell (all empty outside colour columns).
  const CellColours& colours(int row, int column) const;

  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  std::size_t at(int row, int column) const;

  const std::vector<ListColumnView>& columns_;
  std::vector<QString> cells_;
  std::vector<CellColours> colours_;
  int rows_ = 0;
};

}  // namespace vc::ui::qt
