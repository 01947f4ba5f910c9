// The rows of the comparative browse's list: one entry per row shown, with the row's
// fields, the Nombre cell's four colours and the row's position in the browse's view.
#pragma once

#include <cstdint>

#include "platform/browse/row_store.hpp"
#include "platform/text/fixed_text.hpp"
#include "platform/ui/binding.hpp"

namespace vc::views {

/// One row; the list takes its columns from the fields in this order (the four colours
/// follow NOMBRE, as the list's coloured column asks). Colours are 0x00BBGGRR, -1 for
/// the list's own.
struct BrowseQueueEntry {
  vc::text::FixedText<30> MODULO;
  vc::text::FixedText<30> NOMBRE;
  std::int32_t NOMBRE_NORMALFG = -1;
  std::int32_t NOMBRE_NORMALBG = -1;
  std::int32_t NOMBRE_SELECTEDFG = -1;
  std::int32_t NOMBRE_SELECTEDBG = -1;
  vc::text::FixedText<30> TIPO;
  vc::text::FixedText<30> MODO;
  std::uint8_t EXTERNAL = 0;  // hidden: no column shows it
  vc::text::FixedText<1024> VIEWPOSITION;
};

/// browseQueue: its entry buffer, the page of rows the browse keeps, and the list's view
/// of them.
class BrowseQueue : public vc::ui::Binding {
 public:
  BrowseQueue();
  BrowseQueue(const BrowseQueue&) = delete;
  BrowseQueue& operator=(const BrowseQueue&) = delete;

  BrowseQueueEntry entry;  // the entry buffer
  vc::browse::RowStore& rows() { return rows_; }
  /// Row `row` (from 0) as stored.
  BrowseQueueEntry at(std::size_t row) const;

  std::size_t rowCount() const override { return rows_.size(); }
  vc::ui::CellValue cell(std::size_t row, std::size_t field) const override;

 private:
  vc::browse::RowStore rows_;
};

}  // namespace vc::views
