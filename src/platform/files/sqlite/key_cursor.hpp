// A place in one of a declaration's keys' orders, private to the keyed-table driver: SET,
// EOF, NEXT and PREVIOUS over prepared scans, with the position kept as a key value and a
// place in the order of addition rather than as a place in the stored index. A
// declaration has one for its own SET and NEXT; each view over it has another.
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

/// One cursor on an opening. Reads go into the declaration's record buffer; nothing else
/// of the declaration is touched. A scan that stands on a row keeps a read open on the
/// file; stop() lets go of it before anything that needs the file to itself.
///
/// The position is a point in the order of (key value, place in the order of addition);
/// NEXT reads the first row after it, PREVIOUS the last row before it, and either makes
/// that row the position. Each key has a forward and a backward scan:
///   idle     -> pending   a seek from the position found a row (look-ahead)
///   pending  -> consumed  the read took that row; the position is now that row
///   consumed -> pending   the scan stepped on to the following row (look-ahead)
///   any      -> idle      the end was reached, a new position, stop(), or a write
/// Invariant: a scan is pending or consumed only with the generation it was sought in,
/// and only while the position is the one it was sought from or the row it consumed.
class KeyCursor {
 public:
  KeyCursor(const TableSpec& layout, unsigned char* record) : layout_(layout), record_(record) {}

  /// Prepares the scans on db; order and position stay as they were.
  FileStatus prepare(sqlite3* db);
  /// Drops the statements, before their connection closes; order and position stay.
  void release();
  bool prepared() const { return !forward_.empty(); }

  // Positioning. Each reads nothing; a key the layout lacks is ignored.
  /// SET: the key becomes the order, the position is before every row whose key value is
  /// the one formed from the buffer.
  void set(std::size_t key);
  /// The same with only the key's first component taken from the buffer.
  void setOnFirstComponent(std::size_t key);
  /// Before every row, or after every row, in the key's order.
  void toFirst(std::size_t key);
  void toLast(std::size_t key);
  /// Any position; its key becomes the order.
  void setPosition(const CursorPosition& position);

  std::optional<std::size_t> order() const { return order_; }
  const CursorPosition& position() const { return position_; }

  /// Whether a row follows (peek) or precedes (peekBack) the position in the current
  /// order (false without an order). A storage failure counts as the end and is kept for
  /// lastError().
  bool peek();
  bool peekBack();
  /// NEXT and PREVIOUS: the row after or before the position into the buffer;
  /// recordNotAvailable when there is none.
  FileError next();
  FileError previous();
  /// The row with this place in the order of addition into the buffer, made the position
  /// in the current order (in `fallbackKey`'s when there is none); recordNotAvailable
  /// when it is gone.
  FileError reget(std::int64_t sequence, std::size_t fallbackKey);

  /// The key value of the first or last row in the key's order; nullopt for an empty
  /// table (or a failure, kept for lastError()).
  std::optional<std::string> edgeKeyValue(std::size_t key, bool last);
  /// The key value formed from the buffer.
  std::string keyValueOf(std::size_t key) const;

  /// The row read last, for DELETE; nothing after a positioning.
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

  void place(std::size_t key, std::string keyValue, std::int64_t sequence);
  bool look(std::vector<Scan>& scans);
  FileError read(std::vector<Scan>& scans, std::vector<Scan>& opposite);
  void seek(Scan& scan);
  std::string lowestTail(std::size_t key, std::size_t from, unsigned char fill) const;

  const TableSpec& layout_;
  unsigned char* record_;
  std::vector<Scan> forward_;     // one per key
  std::vector<Scan> backward_;    // one per key
  std::vector<Statement> edges_;  // per key: first, then last
  Statement byIdentity_;
  std::optional<std::size_t> order_;
  CursorPosition position_;
  std::optional<std::int64_t> current_;
  FileError error_ = FileError::none;
};

}  // namespace vc::files::sqlite
