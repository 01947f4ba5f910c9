// A declaration's place in one of its keys' orders, private to the keyed-table driver:
// SET, EOF and NEXT over prepared scans, with the position kept as a key value and a place
// in the order of addition rather than as a place in the stored index.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/keyed_table.hpp"
#include "platform/files/record_layout.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

/// Every write through any declaration of this process calls this, so that a scan kept
/// going between reads knows it must seek afresh from its position.
void noteTableWrite();

/// The cursor of one opening. Reads go into the declaration's record buffer; nothing else
/// of the declaration is touched. A scan that stands on a row keeps a read open on the
/// file; stop() lets go of it before anything that needs the file to itself.
///
/// States of one key's scan:
///   idle     -> pending   a seek from the position found a row (peek)
///   pending  -> consumed  NEXT read that row; the position is now that row
///   consumed -> pending   the scan stepped on to the following row (peek)
///   any      -> idle      the end was reached, SET, stop(), or a write since the seek
/// Invariant: a scan is pending or consumed only with the generation it was sought in.
class KeyCursor {
 public:
  KeyCursor(const TableSpec& layout, unsigned char* record) : layout_(layout), record_(record) {}

  /// Prepares one forward scan per key on db; the cursor then has no order.
  FileStatus prepare(sqlite3* db);

  /// SET: the key becomes the order, the position is before every row whose key value is
  /// the one formed from the buffer. Reads nothing. A key the layout lacks is ignored.
  void set(std::size_t key);
  /// Whether a row follows the position in the current order (false without an order).
  /// A storage failure counts as the end and is kept for lastError().
  bool peek();
  /// NEXT: the row after the position into the buffer; 33 when there is none.
  FileError next();
  /// The row NEXT read last, for DELETE; nothing before the first NEXT after a SET.
  std::optional<std::int64_t> current() const { return current_; }
  void forgetCurrent() { current_.reset(); }
  /// Ends the read any scan has going; the position stays.
  void stop();
  /// Ends the reads of scans sought before a later write, so that a count made now sees
  /// the file as it is rather than as those reads began.
  void stopStale();
  /// Forgets the order and position, as after an open.
  void reset();
  /// The storage failure the last peek met, if any.
  FileError lastError() const { return error_; }

 private:
  struct Scan {
    Statement statement;
    enum class State { idle, pending, consumed } state = State::idle;
    std::uint64_t generation = 0;
  };

  std::string keyValueOf(std::size_t key) const;
  void seek(Scan& scan);
  void readRow(sqlite3_stmt* st);

  const TableSpec& layout_;
  unsigned char* record_;
  std::vector<Scan> forward_;  // one per key
  std::optional<std::size_t> order_;
  CursorPosition position_;
  std::optional<std::int64_t> current_;
  FileError error_ = FileError::none;
};

}  // namespace vc::files::sqlite
