// The keyed-table driver: a file of fixed-layout records with keys. Each declaration is an
// opening of its own, with its own record buffer, current key and position; any number of
// declarations, in this process or others, may have the same file open. The storage
// behind it stays private to the driver.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/file_driver.hpp"
#include "platform/files/record_layout.hpp"

namespace vc::files {

/// A key of a declaration, by its place in the declaration's TableSpec.
struct KeyId {
  std::size_t index;
};

/// A place in one key's order: a key value (its components folded and concatenated) and
/// a place in the order of addition. Because it is not a place in the stored index, rows
/// added or deleted meanwhile never make a read skip or repeat a row.
struct CursorPosition {
  std::size_t key = 0;
  std::string keyValue;
  std::int64_t sequence = 0;  // kBeforeAll / kAfterAll: before / after every row with keyValue

  bool operator==(const CursorPosition&) const = default;
};

class TableView;
namespace sqlite {
class KeyCursor;
}

class KeyedTable : public FileDriver {
 public:
  static constexpr std::int64_t kBeforeAll = std::numeric_limits<std::int64_t>::min();
  static constexpr std::int64_t kAfterAll = std::numeric_limits<std::int64_t>::max();

  /// `fileName` is the file's name as written (relative to the current folder at each
  /// open); `record` is the declaration's buffer of layout.recordLength bytes.
  KeyedTable(TableSpec layout, std::string fileName, void* record);
  ~KeyedTable() override;
  KeyedTable(const KeyedTable&) = delete;
  KeyedTable& operator=(const KeyedTable&) = delete;

  // The file as a whole.
  FileStatus open(std::uint8_t openMode) override;
  /// Creates the file as an empty table with all its keys.
  FileStatus create() override;
  /// Ends this opening; a stream still going is committed first.
  void close() override;
  bool isOpen() const override { return open_ != nullptr; }
  /// "Recover=n": wait up to n seconds for another opening's lock from now on.
  FileStatus sendOption(std::string_view option) override;
  /// Recreates missing or altered key definitions and rebuilds every key from the rows.
  FileStatus rebuildKeys() override;
  std::string name() const override { return fileName_; }
  /// REMOVE: deletes the file, then its journal files. Refused with 5 while any
  /// declaration in this process or another process has the file open, or when the file
  /// or any of them may not be deleted or written; then nothing is deleted. A symbolic
  /// link under the name is deleted itself, never what it points at. An opening that
  /// began meanwhile finds the file gone (2), as if it had come after.
  FileStatus remove();

  // Bulk changes.
  /// STREAM: from now on changes through this opening are written in batches of
  /// kStreamBatchRows rows, each in one short transaction, until...
  FileStatus stream();
  /// ...FLUSH writes the last batch and forces everything to disk. The answer is the
  /// first batch that could not be written even after waiting for the lock: that batch
  /// and every change after it were dropped, the batches before it are in the table. On
  /// an opening not streamed it changes nothing.
  FileStatus flush();
  static constexpr std::size_t kStreamBatchRows = 10000;  // as sqlite::StreamWriter

  // One change made whole or not at all, however large: unlike a stream, it is never
  // committed in parts, and a process that dies inside it leaves the file as before.
  /// Begins the change, waiting up to lockWait (once) for another opening's write lock;
  /// refused while this opening streams or already has a change going.
  FileStatus beginAtomic(std::chrono::seconds lockWait);
  /// Makes every change since beginAtomic lasting; on failure nothing of it is kept.
  /// A large change is lasting once committed but is then copied from the log into the
  /// file: before the answer, or with `settleMeanwhile` by a helper thread while the
  /// caller goes on (the next commit or the close waits for it).
  FileStatus commitAtomic(bool settleMeanwhile = false);
  /// Drops every change since beginAtomic.
  void rollbackAtomic();
  bool inAtomic() const { return atomic_; }

  /// The identity of the row NEXT read last (its place in the order of addition); none
  /// before the first NEXT after a SET or after DELETE.
  std::optional<std::int64_t> currentRowId() const;
  /// Deletes the rows with these identities, within an atomic change only. afterEach
  /// hears the count deleted so far: after each row, or once at the end when most of a
  /// large table goes in one step. The first failure stops it; the change must then be
  /// rolled back.
  FileStatus deleteRows(std::span<const std::int64_t> rowIds,
                        const std::function<void(std::uint64_t)>& afterEach = {});

  // Reads of many rows at once, for work that visits a large part of the table once.
  // Each is one consistent reading (inside an atomic change it sees that change), keeps
  // no position and leaves the cursor alone; `each` answers false to stop early. The
  // answer is the first failure.
  /// Every row's identity and key value (its first `leading` components, texts folded,
  /// as the key holds them), in the key's order, read from the key alone without touching
  /// the rows.
  FileStatus scanKey(
      KeyId key, std::size_t leading,
      const std::function<bool(std::int64_t rowId, std::string_view keyValue)>& each);
  /// The rows with these identities (ascending) into the buffer, in the order of
  /// addition: the given fields (by their place in the layout), every field when none;
  /// the others keep what they held. Rows that are gone are passed over.
  FileStatus readRows(std::span<const std::int64_t> ascendingIds,
                      std::span<const std::size_t> fields,
                      const std::function<bool(std::int64_t rowId)>& each);
  /// A number that changes whenever another opening, of this process or another, makes
  /// a change to the file lasting; nullopt when it cannot be read.
  std::optional<std::uint64_t> changeCount();

  // Rows.
  /// RECORDS: the number of rows.
  std::uint64_t records();
  /// ADD: the buffer as a new row, after every row with an equal key value.
  FileError add();
  /// DELETE: the row last read by NEXT or PREVIOUS; the position stays where it was.
  FileError deleteCurrent();

  // The cursor: this declaration's order and position.
  /// CLEAR to lowest values of this declaration's buffer.
  void clearToLowest();
  /// SET by key (the key given as order and as start): the key becomes the current order
  /// and the position is before the first row whose key value is at or after the one
  /// formed from the buffer. Reads nothing.
  void set(KeyId key);
  /// EOF: no row follows the position in the current order. Reads nothing into the
  /// buffer and does not move.
  bool eof();
  /// NEXT: the row after the position into the buffer; recordNotAvailable past the last
  /// row (and before any SET).
  FileError next();
  /// The same backwards: whether no row precedes the position, and PREVIOUS, the row
  /// before the position into the buffer (recordNotAvailable before the first row and
  /// before any SET).
  bool bof();
  FileError previous();
  /// SET on the key's first component alone: the key becomes the order and the position
  /// is before the first row whose first component is at or after the buffer's.
  void setOnFirstComponent(KeyId key);
  /// The position: the key value and place of the row last read, or where a SET stands.
  /// Without an order (after an open) it names no row.
  CursorPosition position() const;
  /// SET back to a position: NEXT reads the row after it, PREVIOUS the row before it.
  void set(const CursorPosition& position);
  /// Reads the row a position names again, by identity, and stands on it in the current
  /// order (the position's key when there is none); recordNotAvailable when the row is
  /// gone.
  FileError reget(const CursorPosition& position);

  /// The error of the last record operation.
  FileError errorCode() const { return error_; }
  const TableSpec& layout() const { return layout_; }

 private:
  friend class TableView;
  struct Open;  // the storage connection, its statements and the cursor

  /// Ends the reads that this opening's cursors and views have going, before a write or
  /// a transaction: a read left open would hold this opening's view of the file in the
  /// past, and a write from it would then be refused.
  void stopReads();
  /// Makes this opening's own changes of a stream readable to its cursors and views.
  void beforeRead();
  /// At the close of the last opening of the file anywhere, ends write-ahead logging.
  void leaveWriteAheadLogIfLast();
  /// Prepares a view's cursor on this opening.
  FileStatus prepareCursor(sqlite::KeyCursor& cursor);

  TableSpec layout_;
  std::string fileName_;
  unsigned char* record_;
  std::unique_ptr<Open> open_;
  bool atomic_ = false;
  int recoverSeconds_ = 0;
  FileError error_ = FileError::none;
  std::vector<TableView*> views_;  // the views bound to this declaration
};

}  // namespace vc::files
