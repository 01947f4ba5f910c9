// The keyed table's atomic changes, made whole or not at all however large, and the
// deletes of many rows inside one: row by row, or for most of a large table by taking the
// rows out without the keys and making the keys again from the rows that stay.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/files/fault_points.hpp"
#include "platform/files/keyed_table.hpp"
#include "platform/files/sqlite/connection.hpp"
#include "platform/files/sqlite/opening.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/table_schema.hpp"

namespace vc::files {
namespace {

// The log's size in pages past which a commit copies it into the file (SQLite's own).
constexpr int kAutoCheckpointPages = 1000;

/// Deletes the rows one by one through the opening's prepared delete.
FileStatus deleteOneByOne(sqlite3* db, sqlite3_stmt* erase, std::span<const std::int64_t> rowIds,
                          const std::function<void(std::uint64_t)>& afterEach) {
  std::uint64_t done = 0;
  for (const std::int64_t id : rowIds) {
    if (const FileError refused = faultAt(FaultPoint::deleteRow); refused != FileError::none) {
      return FileStatus::of(refused);
    }
    sqlite3_bind_int64(erase, 1, id);
    const int rc = sqlite3_step(erase);
    sqlite3_reset(erase);
    if (rc != SQLITE_DONE) return sqlite::statusOf(db, rc);
    ++done;
    if (afterEach) afterEach(done);
  }
  return {};
}

/// The same rows by another way: their numbers go to the schema's gone table, the keys are
/// dropped, the rows deleted from the table alone in the order of their numbers, and the
/// keys made again from the rows that stay, which costs far less than taking each deleted
/// row out of both keys.
FileStatus deleteByRebuilding(sqlite3* db, const TableSpec& layout,
                              std::span<const std::int64_t> rowIds,
                              const std::function<void(std::uint64_t)>& afterEach) {
  const sqlite::TableSchema schema(layout);
  int rc = schema.clearGone(db);
  if (rc != SQLITE_OK) return sqlite::statusOf(db, rc);
  {
    // The numbers go in many to a statement: one statement a number would cost more than
    // the deletes themselves.
    constexpr std::size_t kPerStatement = 256;
    sqlite::Statement batch(db, schema.markGoneSql(kPerStatement), rc);
    if (!batch) return sqlite::statusOf(db, rc);
    sqlite::Statement one(db, schema.markGoneSql(1), rc);
    if (!one) return sqlite::statusOf(db, rc);
    std::size_t at = 0;
    while (at < rowIds.size()) {
      const bool full = rowIds.size() - at >= kPerStatement;
      sqlite3_stmt* st = full ? batch.get() : one.get();
      const std::size_t n = full ? kPerStatement : 1;
      for (std::size_t i = 0; i < n; ++i) {
        if (const FileError refused = faultAt(FaultPoint::deleteRow); refused != FileError::none) {
          return FileStatus::of(refused);
        }
        sqlite3_bind_int64(st, static_cast<int>(i) + 1, rowIds[at + i]);
      }
      rc = sqlite3_step(st);
      sqlite3_reset(st);
      if (rc != SQLITE_DONE) return sqlite::statusOf(db, rc);
      at += n;
    }
  }
  rc = schema.deleteGone(db);
  if (rc != SQLITE_OK) return sqlite::statusOf(db, rc);
  // The keys are made by sorting the rows that stay; with a small cache the sort is cut
  // into runs that the helper threads sort side by side. The pages written meanwhile go
  // to the log early, which the commit would have done anyway.
  sqlite::useCacheSize(db, sqlite::CacheSize::sortRuns);
  rc = schema.remakeKeys(db);
  const FileStatus made = sqlite::statusOf(db, rc);  // before the setting replaces its message
  sqlite::useCacheSize(db, sqlite::CacheSize::wholeChange);
  if (!made.ok()) return made;
  if (afterEach) afterEach(rowIds.size());
  return {};
}

}  // namespace

FileStatus KeyedTable::beginAtomic(std::chrono::seconds lockWait) {
  if (open_ == nullptr || open_->writer.active() || atomic_) {
    return FileStatus::of(FileError::accessDenied);
  }
  stopReads();
  sqlite3* db = open_->connection.db;
  // The wait is for the lock that begins the change; the opening's own recover time
  // holds again for everything after it.
  const auto waitMs = std::clamp<std::int64_t>(lockWait.count(), 0, 3600) * 1000;
  sqlite3_busy_timeout(db, static_cast<int>(waitMs));
  const int rc = sqlite::exec(db, "BEGIN IMMEDIATE");
  sqlite3_busy_timeout(db, recoverSeconds_ * 1000);
  if (rc != SQLITE_OK) return sqlite::statusOf(db, rc);
  // A change of this kind may touch every page of the table and both keys; the usual
  // cache size comes back when the change ends.
  sqlite::useCacheSize(db, sqlite::CacheSize::wholeChange);
  atomic_ = true;
  return {};
}

FileStatus KeyedTable::commitAtomic(bool settleMeanwhile) {
  if (open_ == nullptr || !atomic_) return FileStatus::of(FileError::accessDenied);
  sqlite3* db = open_->connection.db;
  if (const FileError refused = faultAt(FaultPoint::commit); refused != FileError::none) {
    rollbackAtomic();
    return FileStatus::of(refused);
  }
  stopReads();
  // One copier at a time: a copy still going would make this commit's own give way.
  open_->waitForSettler();
  const bool meanwhile = settleMeanwhile && open_->journal == sqlite::Journal::writeAheadLog;
  if (meanwhile) sqlite3_wal_autocheckpoint(db, 0);
  const int rc = sqlite::exec(db, "COMMIT");
  // Taken before anything else runs on the connection, which would replace its message.
  const FileStatus committed = sqlite::statusOf(db, rc);
  if (meanwhile) sqlite3_wal_autocheckpoint(db, kAutoCheckpointPages);
  sqlite::noteTableWrite();
  sqlite::useCacheSize(db, sqlite::CacheSize::usual);
  if (!committed.ok()) {
    rollbackAtomic();
    return committed;
  }
  atomic_ = false;
  if (meanwhile) {
    try {
      open_->settler = std::thread(sqlite::settle, open_->canonical);
    } catch (const std::system_error&) {
      // No thread to spare: the next commit copies it.
    }
  }
  return {};
}

void KeyedTable::rollbackAtomic() {
  if (open_ == nullptr || !atomic_) return;
  stopReads();
  // A failed commit may already have ended the transaction; then there is nothing left.
  if (!sqlite3_get_autocommit(open_->connection.db)) {
    (void)sqlite::exec(open_->connection.db, "ROLLBACK");
  }
  sqlite::useCacheSize(open_->connection.db, sqlite::CacheSize::usual);
  sqlite::noteTableWrite();
  atomic_ = false;
}

std::optional<std::int64_t> KeyedTable::currentRowId() const {
  if (open_ == nullptr) return std::nullopt;
  return open_->cursor.current();
}

FileStatus KeyedTable::deleteRows(std::span<const std::int64_t> rowIds,
                                  const std::function<void(std::uint64_t)>& afterEach) {
  if (open_ == nullptr || !atomic_) return FileStatus::of(FileError::accessDenied);
  stopReads();
  open_->cursor.forgetCurrent();
  sqlite3* db = open_->connection.db;
  // Deleting most of a large table row by row rewrites nearly every page of both keys;
  // emptying it and putting back the rows that stay is the same table for far less.
  constexpr std::size_t kRebuildFrom = 1024;
  const bool rebuild = rowIds.size() >= kRebuildFrom && rowIds.size() * 4 >= records();
  // In the order of their numbers the rows lie side by side in the table, so that each
  // page of it is visited once.
  std::vector<std::int64_t> ordered(rowIds.begin(), rowIds.end());
  std::sort(ordered.begin(), ordered.end());
  const FileStatus st = rebuild ? deleteByRebuilding(db, layout_, ordered, afterEach)
                                : deleteOneByOne(db, open_->erase.get(), ordered, afterEach);
  sqlite::noteTableWrite();
  return st;
}

}  // namespace vc::files
