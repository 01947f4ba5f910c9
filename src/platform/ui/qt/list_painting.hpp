// How a list control draws its cells and its header row from the columns of its format.
#pragma once

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <vector>

#include "platform/ui/qt/list_model.hpp"

namespace vc::ui::qt {

/// Draws the cells of a view over a ListModel with `columns`.
QStyledItemDelegate* makeListDelegate(const std::vector<ListColumnView>& columns, QObject* parent);
/// The header row: each section's text placed by the header's own alignment and indent.
QHeaderView* makeListHeader(const std::vector<ListColumnView>& columns, QWidget* parent);

}  // namespace vc::ui::qt
