// The changes of one opening between STREAM and FLUSH, private to the keyed-table driver:
// written in bounded batches, so that the write lock is held for short stretches and
// other openings' writes get through in between, and never lost without a word.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "platform/files/record_layout.hpp"
#include "platform/files/sqlite/journal_mode.hpp"
#include "platform/files/sqlite/row_inserter.hpp"
#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

/// Added rows wait in memory until a batch is full, and are then written in one short
/// transaction; the lock is never held while the caller does other work. Deletes join a
/// write transaction that is committed after a batch of them or after a short while.
///
/// A stream that begins on an empty table writes its batches to the staging table, and
/// its end folds them in, building the keys from all rows at once (TableSchema). Until
/// then other openings see the table as it was; this opening folds them in before it
/// reads or deletes, so that it always reads its own changes.
///
///   idle    -> streaming   begin (STREAM)
///   streaming: add fills the batch; a full batch is written (to the staging table when
///              the stream began on an empty table, else to the table)
///   streaming -> failed    a batch cannot be written, even after waiting for the lock:
///                          that batch is rolled back, later changes are dropped
///   any     -> idle        end (FLUSH): the last batch written, staged rows folded in;
///                          the answer is the stream's first failure
/// After a failure (a batch, or the fold itself) the rows still staged are dropped, never
/// folded in: a stream that began on an empty table leaves it empty, and one that wrote
/// to the table leaves the batches it committed there before the failure.
/// Invariant: a write transaction is open only while streaming, and never across a
/// return to the caller except for a batch of deletes.
class StreamWriter {
 public:
  /// Rows in one batch: a batch takes a few hundredths of a second to write.
  static constexpr std::size_t kBatchRows = 10000;

  /// `stopReads` ends the reads the opening's cursors have going, before each write.
  StreamWriter(const TableSpec& layout, std::function<void()> stopReads);

  FileStatus prepare(sqlite3* db, Journal journal);
  void release();

  void begin();
  bool active() const { return active_; }
  /// ADD during the stream: none, or the failure that stopped the stream.
  FileError add(const unsigned char* record);
  /// ADD outside a stream: the row written at once.
  FileError addNow(const unsigned char* record);
  /// Before a DELETE during the stream: everything before it written, a write
  /// transaction open. Not ok when the stream has failed; the delete must not be made.
  FileStatus beforeDelete();
  /// After a DELETE during the stream.
  void afterDelete();
  /// Before this opening reads during the stream: its own changes made readable.
  void beforeRead();
  /// FLUSH: the rest written and folded in, the stream over. The stream's first failure.
  FileStatus end();

 private:
  FileStatus beginWrite();
  FileStatus commit();
  FileStatus writePending();
  FileStatus foldIn();
  void discardStaged();
  FileStatus failed(FileStatus status);
  bool transactionIsLong() const;

  const TableSpec& layout_;
  std::function<void()> stopReads_;
  sqlite3* db_ = nullptr;
  Journal journal_ = Journal::writeAheadLog;
  RowInserter table_;
  RowInserter staging_;
  bool active_ = false;
  std::vector<unsigned char> pending_;  // whole records, in the order they were added
  enum class Target { undecided, staging, table } target_ = Target::undecided;
  std::optional<FileStatus> failure_;
  bool inTransaction_ = false;
  std::size_t changesInTransaction_ = 0;
  std::chrono::steady_clock::time_point transactionBegan_;
};

}  // namespace vc::files::sqlite
