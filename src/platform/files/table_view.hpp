// A view over a keyed table: the table's rows in one of its keys' orders, read forwards
// or backwards from a position of the view's own. It reads into the declaration's record
// buffer but keeps its own order and position, so a browse on the view and a pass that
// walks the declaration with SET and NEXT never move each other.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files/keyed_table.hpp"

namespace vc::files {

namespace sqlite {
class KeyCursor;
}

/// A position as text, for a row store that keeps it in a text field; at most
/// kEncodedPositionLimit bytes for any key of up to 1000 bytes.
std::string encodePosition(const CursorPosition& position);
/// nullopt for text that no encodePosition gave.
std::optional<CursorPosition> decodePosition(std::string_view text);
inline constexpr std::size_t kEncodedPositionLimit = 1024;

class TableView {
 public:
  /// Binds the view to `table` (open or not); the view has no order until setOrder.
  /// The table must outlive the view or be destroyed first: then the view reads nothing.
  explicit TableView(KeyedTable& table);
  ~TableView();
  TableView(const TableView&) = delete;
  TableView& operator=(const TableView&) = delete;

  /// Orders the view by key and stands before its first row. Reads nothing.
  void setOrder(KeyId key);
  std::optional<KeyId> order() const;

  // Positioning: each reads nothing and leaves the buffer as it is. Without an order they
  // do nothing, and reads then answer recordNotAvailable.
  /// Before the first row: NEXT reads the first row, PREVIOUS answers recordNotAvailable.
  void toFirst();
  /// After the last row: PREVIOUS reads the last row, NEXT answers recordNotAvailable.
  void toLast();
  /// Before the first row whose key value is at or after the one formed from the buffer.
  void setFromRecord();
  /// Before the first row whose key's first component is at or after the buffer's,
  /// whatever the buffer holds in the other components.
  void setOnFirstComponent();
  /// On a saved position: NEXT reads the row after it, PREVIOUS the row before it, and
  /// rows added or deleted meanwhile are neither skipped nor repeated. The position's key
  /// becomes the order.
  void restore(const CursorPosition& position);

  // Reads into the declaration's record buffer.
  /// The row after the position; recordNotAvailable past the last row.
  FileError next();
  /// The row before the position; recordNotAvailable before the first row.
  FileError previous();
  /// The row the position names (by identity, whatever order it was saved in) read again
  /// and made the position in the view's order. recordNotAvailable when the row is gone:
  /// the position is then its place, so NEXT and PREVIOUS go on from there. For a
  /// position saved in another order, that place is taken from the key fields in the
  /// buffer.
  FileError reget(const CursorPosition& position);

  /// Where the view stands: the row last read, or the place a positioning gave.
  CursorPosition position() const;

  // Estimates for a scroll bar, from key values alone: two index seeks, no counting.
  /// The place of a position in the view's order, 0 at the first row to 1 at the last.
  double fractionOf(const CursorPosition& position);
  /// Stands before the row estimated at a fraction (0 to 1) of the order.
  void setAtFraction(double fraction);
  /// Whether the table has no rows: one index seek.
  bool empty();

  /// Lets go of the read the view has going (after a page is filled, say), so that it
  /// holds back neither the journal nor rows other processes add; the position stays.
  void stop();

  /// The error of the last read.
  FileError errorCode() const { return error_; }
  KeyedTable* table() const { return table_; }

 private:
  friend class KeyedTable;

  /// Whether the cursor is prepared on the table's current opening (on first use after
  /// each open); false, with error_ set, when the table is closed or gone.
  bool ready();
  FileError finish(FileError e);

  KeyedTable* table_;
  std::unique_ptr<sqlite::KeyCursor> cursor_;
  FileError error_ = FileError::none;
};

}  // namespace vc::files
