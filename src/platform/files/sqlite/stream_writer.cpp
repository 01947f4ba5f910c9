#include "platform/files/sqlite/stream_writer.hpp"

#include <system_error>
#include <utility>

#include "platform/files/sqlite/key_cursor.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/table_schema.hpp"
#include "platform/files/time_spent.hpp"

namespace vc::files::sqlite {
namespace {

// A batch of deletes is committed after this long, so that a pass that deletes now and
// then does not keep other openings' writes out for the whole pass.
constexpr std::chrono::milliseconds kLongestTransaction{250};

// The keys of a table that was empty are made from all its rows at once, by sorting. With
// the opening's usual cache (64 MiB) one thread sorts nearly all of it; with a small one the
// sort is cut into runs that the connection's sort threads take at once, which makes the
// keys in about three quarters of the time.
constexpr const char* kSortRunCacheSql = "PRAGMA cache_size=-2048";  // 2 MiB
constexpr const char* kUsualCacheSql = "PRAGMA cache_size=-65536";   // the opening's own

}  // namespace

StreamWriter::StreamWriter(const TableSpec& layout, std::function<void()> stopReads)
    : layout_(layout),
      stopReads_(std::move(stopReads)),
      table_(layout, /*staging=*/false),
      staging_(layout, /*staging=*/true) {}

StreamWriter::~StreamWriter() {
  stopHelper();
}

FileStatus StreamWriter::prepare(sqlite3* db, Journal journal) {
  db_ = db;
  journal_ = journal;
  if (const int rc = table_.prepare(db); rc != SQLITE_OK) {
    return openFailure(db, rc);
  }
  return {};
}

void StreamWriter::release() {
  stopHelper();
  table_.release();
  staging_.release();
  db_ = nullptr;
}

void StreamWriter::begin() {
  if (active_) return;
  active_ = true;
  // The log is copied into the file once, at the end, rather than after every batch:
  // each copy forces the file to disk. Not examined: a refusal only costs speed.
  if (journal_ == Journal::writeAheadLog) (void)exec(db_, "PRAGMA wal_autocheckpoint=0");
  target_ = Target::undecided;
  failure_.reset();
  failed_.store(false, std::memory_order_relaxed);
  pending_.clear();
}

FileError StreamWriter::addNow(const unsigned char* record) {
  stopReads_();
  const int rc = table_.insert(record, 1);
  noteTableWrite();
  return rc == SQLITE_DONE ? FileError::none : statusOf(db_, rc).error;
}

FileError StreamWriter::add(const unsigned char* record) {
  const TimeSpentOn spent(&TimeSpent::adding);
  if (failed_.load(std::memory_order_acquire)) {
    settle();
    pending_.clear();  // rows after a failure are dropped
    return failure_->error;
  }
  // The batch is handed over when the next row comes, so that the stream's end always has
  // a last batch to write and force to disk.
  if (pending_.size() >= kBatchRows * layout_.recordLength) {
    if (const FileStatus st = handOver(); !st.ok()) return st.error;
  }
  pending_.insert(pending_.end(), record, record + layout_.recordLength);
  return FileError::none;
}

FileStatus StreamWriter::failed(FileStatus status) {
  if (inTransaction_) {
    // Rolls the batch back: the table stays as it was before it.
    (void)exec(db_, "ROLLBACK");
    inTransaction_ = false;
  }
  if (!failure_) {
    failure_ = status;
    failed_.store(true, std::memory_order_release);
  }
  return status;
}

FileStatus StreamWriter::beginWrite() {
  if (inTransaction_) return {};
  stopReads_();
  // Waits for another opening's lock as long as the connection's busy time allows.
  if (const int rc = exec(db_, "BEGIN IMMEDIATE"); rc != SQLITE_OK) {
    return failed(statusOf(db_, rc));
  }
  inTransaction_ = true;
  changesInTransaction_ = 0;
  transactionBegan_ = std::chrono::steady_clock::now();
  return {};
}

FileStatus StreamWriter::commit() {
  if (!inTransaction_) return {};
  const int rc = exec(db_, "COMMIT");
  noteTableWrite();
  if (rc != SQLITE_OK) return failed(statusOf(db_, rc));
  inTransaction_ = false;
  return {};
}

FileStatus StreamWriter::writePending() {
  return write(pending_);
}

FileStatus StreamWriter::write(std::vector<unsigned char>& batch) {
  if (failure_) return *failure_;
  if (batch.empty()) return {};
  // The batch goes whole or not at all: a failure rolls it back, and it is not kept.
  struct DropOnFailure {
    std::vector<unsigned char>& batch;
    const std::optional<FileStatus>& failure;
    ~DropOnFailure() {
      if (failure) batch.clear();
    }
  } drop{batch, failure_};
  if (FileStatus st = beginWrite(); !st.ok()) return st;
  const TableSchema schema(layout_);
  if (target_ != Target::table) {
    bool empty = false, staged = false;
    if (const int rc = schema.probe(db_, empty, staged); rc != SQLITE_OK) {
      return failed(statusOf(db_, rc));
    }
    if (target_ == Target::undecided && empty && !staged) {
      if (const int rc = schema.createStaging(db_); rc != SQLITE_OK) {
        return failed(statusOf(db_, rc));
      }
      target_ = Target::staging;
    } else if (target_ == Target::undecided || !staged) {
      // Rows already in the table, someone else's stream staging, or our staged rows
      // folded in by another opening: from now on rows go to the table with its keys.
      target_ = Target::table;
    }
  }
  if (target_ == Target::staging && !staging_.prepared()) {
    if (const int rc = staging_.prepare(db_); rc != SQLITE_OK) {
      return failed(statusOf(db_, rc));
    }
  }
  RowInserter& into = target_ == Target::staging ? staging_ : table_;
  if (const int rc = into.insert(batch.data(), batch.size() / layout_.recordLength);
      rc != SQLITE_DONE) {
    return failed(statusOf(db_, rc));
  }
  batch.clear();
  return commit();
}

FileStatus StreamWriter::handOver() {
  settle();  // the batch before is written
  if (failure_) {
    pending_.clear();
    return *failure_;
  }
  if (!helper_.joinable()) {
    try {
      helper_ = std::thread([this] { helperLoop(); });
    } catch (const std::system_error&) {
      return writePending();  // no thread to be had: the batch is written here
    }
  }
  std::swap(pending_, inHand_);
  pending_.clear();
  std::unique_lock lock(helperLock_);
  busy_ = true;
  taken_ = false;
  began_ = false;
  helperChanged_.notify_all();
  helperChanged_.wait(lock, [this] { return began_ || !busy_; });
  lock.unlock();
  if (failed_.load(std::memory_order_acquire)) {
    // The write lock could not be had: the batch is dropped, and so is this row.
    settle();
    return *failure_;
  }
  return {};
}

void StreamWriter::helperLoop() {
  std::unique_lock lock(helperLock_);
  for (;;) {
    helperChanged_.wait(lock, [this] { return stop_ || (busy_ && !taken_); });
    if (stop_) return;
    taken_ = true;
    lock.unlock();
    {
      const TimeSpentOn spent(&TimeSpent::writing);
      // beginWrite sets the failure before it answers, so the caller finds it when it
      // wakes; after that the caller reads nothing of this side until the batch is done.
      const bool began = beginWrite().ok();
      {
        const std::lock_guard signal(helperLock_);
        began_ = true;
      }
      helperChanged_.notify_all();
      if (began) (void)write(inHand_);
      inHand_.clear();
    }
    lock.lock();
    busy_ = false;
    helperChanged_.notify_all();
  }
}

void StreamWriter::settle() {
  if (!helper_.joinable()) return;
  std::unique_lock lock(helperLock_);
  helperChanged_.wait(lock, [this] { return !busy_; });
}

void StreamWriter::stopHelper() {
  if (!helper_.joinable()) return;
  {
    std::unique_lock lock(helperLock_);
    helperChanged_.wait(lock, [this] { return !busy_; });
    stop_ = true;
  }
  helperChanged_.notify_all();
  helper_.join();
  stop_ = false;
}

FileStatus StreamWriter::foldIn() {
  if (target_ != Target::staging) return {};
  if (FileStatus st = beginWrite(); !st.ok()) return st;
  staging_.release();  // the staging table goes; a statement on it would hold it
  const TableSchema schema(layout_);
  bool empty = false, staged = false;
  if (const int rc = schema.probe(db_, empty, staged); rc != SQLITE_OK) {
    return failed(statusOf(db_, rc));
  }
  // Not examined: a refusal only costs speed.
  if (empty) (void)exec(db_, kSortRunCacheSql);
  const int rc = schema.foldStaging(db_);
  if (empty) (void)exec(db_, kUsualCacheSql);
  if (rc != SQLITE_OK) return failed(statusOf(db_, rc));
  // Only a fold that is committed ends the staging: one rolled back leaves it as it was.
  if (FileStatus st = commit(); !st.ok()) return st;
  target_ = Target::table;
  return {};
}

void StreamWriter::discardStaged() {
  if (target_ != Target::staging) return;
  staging_.release();  // a statement on the staging table would hold it
  // Dropping a table takes no new page in the file and few in the journal, so it gets
  // through where the batches did not. Should it fail too, the rows stay staged, out of
  // every reader's sight, as those of a stream that was killed.
  if (beginWrite().ok()) {
    if (const int rc = TableSchema(layout_).dropStaging(db_); rc != SQLITE_OK) {
      (void)failed(statusOf(db_, rc));
    } else {
      (void)commit();
    }
  }
  target_ = Target::undecided;
}

bool StreamWriter::transactionIsLong() const {
  return changesInTransaction_ >= kBatchRows ||
         std::chrono::steady_clock::now() - transactionBegan_ > kLongestTransaction;
}

FileStatus StreamWriter::beforeDelete() {
  settle();
  if (FileStatus st = writePending(); !st.ok()) return st;
  if (FileStatus st = foldIn(); !st.ok()) return st;
  return beginWrite();
}

void StreamWriter::afterDelete() {
  ++changesInTransaction_;
  // A failure here is kept as the stream's and answered by its end.
  if (transactionIsLong()) (void)commit();
}

void StreamWriter::beforeRead() {
  if (!active_) return;
  settle();
  if (failure_) return;
  // Failures are kept as the stream's and answered by its end.
  if (!pending_.empty()) (void)writePending();
  if (target_ == Target::staging) (void)foldIn();
  if (inTransaction_ && transactionIsLong()) (void)commit();
}

FileStatus StreamWriter::end() {
  if (!active_) return {};
  const TimeSpentOn spent(&TimeSpent::adding);
  stopHelper();  // the batch in hand written first
  if (failure_ == std::nullopt) (void)writePending();
  if (failure_ == std::nullopt) (void)foldIn();
  if (failure_ == std::nullopt) (void)commit();
  if (inTransaction_) (void)failed(FileStatus{});
  // A stream that staged its rows and could not write them all leaves none of them: the
  // fold would need as much room again as the rows took, which a full disk does not
  // have, and staged rows left behind would be folded into whatever stream comes next.
  if (failure_) discardStaged();
  if (journal_ == Journal::writeAheadLog) {
    // Copies the log into the file and forces it to disk: FLUSH's promise. When another
    // opening is reading, what it still needs stays in the log, safe all the same.
    (void)sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    (void)exec(db_, "PRAGMA wal_autocheckpoint=1000");
  }
  active_ = false;
  pending_.clear();
  staging_.release();
  return std::exchange(failure_, std::nullopt).value_or(FileStatus{});
}

}  // namespace vc::files::sqlite
