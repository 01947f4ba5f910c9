// The changes of one opening between STREAM and FLUSH, private to the keyed-table driver:
// written in bounded batches, so that the write lock is held for short stretches and
// other openings' writes get through in between, and never lost without a word.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/files/record_layout.hpp"
#include "platform/files/sqlite/journal_mode.hpp"
#include "platform/files/sqlite/row_inserter.hpp"
#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

/// Added rows wait in memory until a batch is full, and are then written in one short
/// transaction by a helper thread of the stream's own, while the caller reads and adds
/// the next rows; the lock is held only while a batch is written. Deletes join a write
/// transaction that is committed after a batch of them or after a short while.
///
/// To its caller the stream still runs on the caller's one thread. The batch in hand is
/// the helper's alone: everything else, the connection included, is touched by the helper
/// only while the caller waits for it. The caller hands a batch over only once the one
/// before is written, and waits until the helper holds the write lock, so that a lock
/// that cannot be had is answered by the ADD that handed the batch over, as a batch
/// written on the caller's thread would answer it; a batch that fails later is answered
/// by the next ADD that finds it failed. Every other operation of the opening during the
/// stream (a read, a delete, FLUSH, close) first waits until the batch in hand is written.
///
/// A stream that begins on an empty table writes its batches to the staging table, and
/// its end folds them in, building the keys from all rows at once (TableSchema). Until
/// then other openings see the table as it was; this opening folds them in before it
/// reads or deletes, so that it always reads its own changes.
///
///   idle    -> streaming   begin (STREAM)
///   streaming: add fills the batch; a full batch is handed to the helper, which writes it
///              (to the staging table when the stream began on an empty table, else to
///              the table)
///   streaming -> failed    a batch cannot be written, even after waiting for the lock:
///                          that batch is rolled back, later changes are dropped
///   any     -> idle        end (FLUSH): the last batch written, staged rows folded in;
///                          the answer is the stream's first failure
/// After a failure (a batch, or the fold itself) the rows still staged are dropped, never
/// folded in: a stream that began on an empty table leaves it empty, and one that wrote
/// to the table leaves the batches it committed there before the failure.
/// Invariant: a write transaction is open only while streaming, and never across a
/// return to the caller except for a batch of deletes or while the helper writes a batch.
/// At most one batch is in the helper's hands.
class StreamWriter {
 public:
  /// Rows in one batch: a batch takes a few hundredths of a second to write.
  static constexpr std::size_t kBatchRows = 10000;

  /// `stopReads` ends the reads the opening's cursors have going, before each write.
  StreamWriter(const TableSpec& layout, std::function<void()> stopReads);
  ~StreamWriter();
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;

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
  /// Before this opening uses its connection otherwise during the stream: the batch in
  /// the helper's hands written.
  void settle();

 private:
  FileStatus beginWrite();
  FileStatus commit();
  FileStatus writePending();
  FileStatus write(std::vector<unsigned char>& batch);
  // The helper thread.
  FileStatus handOver();
  void helperLoop();
  void stopHelper();
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
  std::vector<unsigned char> inHand_;   // the batch the helper writes
  enum class Target { undecided, staging, table } target_ = Target::undecided;
  std::optional<FileStatus> failure_;
  bool inTransaction_ = false;
  std::size_t changesInTransaction_ = 0;
  std::chrono::steady_clock::time_point transactionBegan_;
  // Set with failure_, by whichever thread meets the failure: the caller reads it without
  // waiting for the helper.
  std::atomic<bool> failed_{false};

  std::thread helper_;
  std::mutex helperLock_;
  std::condition_variable helperChanged_;
  // Under helperLock_: a batch is in the helper's hands (busy_), the helper has taken it
  // (taken_) and holds the write lock or has failed to get it (began_); stop_ ends it.
  bool busy_ = false;
  bool taken_ = false;
  bool began_ = false;
  bool stop_ = false;
};

}  // namespace vc::files::sqlite
