#include "platform/files/keyed_table.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/files/canonical_path.hpp"
#include "platform/files/fault_points.hpp"
#include "platform/files/sqlite/journal_mode.hpp"
#include "platform/files/sqlite/journal_vfs.hpp"
#include "platform/files/sqlite/key_cursor.hpp"
#include "platform/files/sqlite/private_journal.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/stream_writer.hpp"
#include "platform/files/sqlite/table_schema.hpp"
#include "platform/files/table_guard.hpp"
#include "platform/files/table_view.hpp"
#include "platform/os/file_name.hpp"
#include "platform/os/os.hpp"
#include "platform/text/ascii_case.hpp"

namespace vc::files {
namespace {

using sqlite::Statement;

constexpr const char* kUsualCacheSql = "PRAGMA cache_size=-65536";     // 64 MiB
constexpr const char* kAtomicCacheSql = "PRAGMA cache_size=-1048576";  // 1 GiB at most
// The memory a sort holds before it hands a sorted run to a helper thread: a small one
// lets the helpers share a large sort, a run each, instead of one thread sorting it all.
constexpr const char* kSortRunCacheSql = "PRAGMA cache_size=-2048";  // 2 MiB
constexpr const char* kSortThreadsSql = "PRAGMA threads=4";
constexpr const char* kFreedPagesSql = "PRAGMA secure_delete=FAST";
// The log's size in pages past which a commit copies it into the file (SQLite's own).
constexpr int kAutoCheckpointPages = 1000;
using sqlite::TableSchema;

/// A connection, closed when dropped; it outlives the statements declared after it.
struct Connection {
  sqlite3* db = nullptr;
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { sqlite3_close_v2(db); }
};

/// Opens a connection to the file at path through the journal's file system, and reads
/// from it once: a change that a killed process left half-done is undone by that read.
/// A connection that may write needs a journal; without one it is refused with 5.
int connect(const std::string& path, bool readOnly, sqlite::Journal journal, int recoverSeconds,
            Connection& connection) {
  if (!readOnly && journal == sqlite::Journal::none) return SQLITE_READONLY;
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &connection.db, flags, sqlite::journalVfs());
  if (rc != SQLITE_OK) return rc;
  sqlite3_extended_result_codes(connection.db, 1);
  sqlite3_busy_timeout(connection.db, recoverSeconds * 1000);
  return sqlite::exec(connection.db, "PRAGMA schema_version");
}

/// Opens the file at path and makes sure it holds the declared table: a new (empty) file
/// becomes the table with its keys; any other file must have the layout and sound keys.
FileStatus openConnection(const TableSchema& schema, const std::string& path, bool readOnly,
                          sqlite::Journal journal, sqlite::FormChange change, int recoverSeconds,
                          Connection& connection) {
  // The opening's hold keeps a REMOVE from deleting the file from now on (TableGuard).
  int rc = connect(path, readOnly, journal, recoverSeconds, connection);
  sqlite3* db = connection.db;
  if (rc != SQLITE_OK) return sqlite::openFailure(db, rc);
  // An analysis adds its rows in key orders unrelated to the order of addition; a page
  // cache large enough for both keys' working set keeps those inserts off the disk. A
  // refusal only costs speed.
  (void)sqlite::exec(db, kUsualCacheSql);
  // Sorts (keys made from the rows) may share their work with helper threads.
  (void)sqlite::exec(db, kSortThreadsSql);
  // Deleted rows are blanked on the pages a change writes anyway, but freed pages are not
  // written over: a purge that frees most of the file would otherwise write it all once
  // more, through the log and again into the file. A refusal only costs speed.
  (void)sqlite::exec(db, kFreedPagesSql);
  if (!readOnly && (rc = sqlite::useJournal(db, journal, change)) != SQLITE_OK) {
    return sqlite::openFailure(db, rc);
  }
  Statement tables(db,
                   "SELECT count(*) FROM sqlite_master WHERE type='table' AND name NOT "
                   "LIKE 'sqlite_%'",
                   rc);
  if (!tables) return sqlite::openFailure(db, rc);
  rc = sqlite3_step(tables.get());
  if (rc != SQLITE_ROW) return sqlite::openFailure(db, rc);
  if (sqlite3_column_int(tables.get(), 0) == 0) {
    if (readOnly) return {FileError::invalidRecordDeclaration, "0", "no table"};
    if (FileStatus st = schema.create(db); !st.ok()) return st;
  }
  tables.reset();
  if (FileStatus st = schema.checkLayout(db); !st.ok()) return st;
  return schema.checkKeys(db);
}

/// Folds in the rows a stream left staged when it ended without its FLUSH (the program was
/// killed): only an opening that has the file to itself can tell that no stream is still
/// going. A failure leaves them staged for a later opening.
void foldLeftOverStream(const TableSchema& schema, sqlite3* db) {
  bool empty = false, staged = false;
  if (schema.probe(db, empty, staged) != SQLITE_OK || !staged) return;
  if (sqlite::exec(db, "BEGIN IMMEDIATE") != SQLITE_OK) return;
  if (schema.foldStaging(db) != SQLITE_OK || sqlite::exec(db, "COMMIT") != SQLITE_OK) {
    (void)sqlite::exec(db, "ROLLBACK");  // the rows stay staged, as they were
  }
}

/// The side files the database engine may keep beside a file.
std::vector<std::string> sideFilesOf(const std::string& path) {
  return {path + "-wal", path + "-shm", path + "-journal"};
}

}  // namespace

/// What an opening holds while the file is open.
struct KeyedTable::Open {
  Open(const TableSpec& layout, unsigned char* record, std::function<void()> stopReads)
      : writer(layout, std::move(stopReads)), cursor(layout, record) {}
  Open(const Open&) = delete;
  Open& operator=(const Open&) = delete;
  ~Open() { waitForSettler(); }

  void waitForSettler() {
    if (settler.joinable()) settler.join();
  }

  // Declared first, so that it ends last: after the connection, which may hold locks of
  // the database engine on the file.
  TableGuard guard;
  Connection connection;
  sqlite::StreamWriter writer;
  Statement erase;
  Statement count;
  sqlite::KeyCursor cursor;
  std::string canonical;  // the path the helper thread opens the file by
  sqlite::Journal journal = sqlite::Journal::none;
  // Copies a committed change from the log into the file on a connection of its own,
  // while the opening goes on (commitAtomic).
  std::thread settler;
};

namespace {

/// Copies what the log holds into the file, as the commit that wrote it would have done,
/// on a connection of this thread's own. A failure leaves it in the log, which stays
/// valid; the next commit copies it.
void settle(const std::string& path) {
  Connection connection;
  // The connection finds the log on its first read.
  if (connect(path, /*readOnly=*/false, sqlite::Journal::writeAheadLog, 0, connection) !=
      SQLITE_OK) {
    return;
  }
  (void)sqlite3_wal_checkpoint_v2(connection.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                  nullptr);
}

}  // namespace

KeyedTable::KeyedTable(TableSpec layout, std::string fileName, void* record)
    : layout_(std::move(layout)),
      fileName_(std::move(fileName)),
      record_(static_cast<unsigned char*>(record)) {}

KeyedTable::~KeyedTable() {
  close();
  // A view left bound reads nothing from now on.
  for (TableView* view : views_) view->table_ = nullptr;
}

void KeyedTable::stopReads() {
  if (open_ == nullptr) return;
  open_->cursor.stop();
  for (TableView* view : views_) {
    if (view->cursor_) view->cursor_->stop();
  }
}

FileStatus KeyedTable::prepareCursor(sqlite::KeyCursor& cursor) {
  if (open_ == nullptr) return FileStatus::of(FileError::accessDenied);
  return cursor.prepare(open_->connection.db);
}

FileStatus KeyedTable::open(std::uint8_t openMode) {
  if (open_ != nullptr) return FileStatus::of(FileError::fileAlreadyOpen);
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) return FileStatus::of(FileError::fileNotFound);
  // Checked before the database engine sees the file: it would wait for ever on a FIFO.
  if (const PathKind kind = os().stat(resolved.path); kind != PathKind::file) {
    return kind == PathKind::missing ? FileStatus::of(FileError::fileNotFound)
                                     : notARegularFile(kind);
  }
  const AccessMode mode = accessModeOf(openMode);
  if (FileStatus st = os().checkAccess(resolved.path, mode); !st.ok()) return st;
  const bool readOnly = mode == AccessMode::readOnly;
  auto opening = std::make_unique<Open>(layout_, record_, [this] { stopReads(); });
  // Held before the database engine opens the file: from then on no REMOVE deletes it,
  // and one that deleted it just before leaves the name free, so that it is created anew.
  if (FileStatus st = opening->guard.hold(resolved.path); !st.ok()) return st;
  const bool alone = opening->guard.alone();
  const sqlite::Journal journal = sqlite::journalFor(resolved.path);
  // Without the log beside it, a file in write-ahead form (left so by a program that was
  // stopped before its close) can be neither written nor read; one that may be written is
  // made a plain file, also for an opening that will only read it because no journal can be
  // kept for it.
  if (alone && journal != sqlite::Journal::writeAheadLog &&
      (!readOnly || os().checkAccess(resolved.path, AccessMode::readWrite).ok())) {
    // Not examined: when the file cannot be made a plain one, the open below says why.
    (void)sqlite::leaveWriteAheadMode(resolved.path);
  }

  const TableSchema schema(layout_);
  // An opening that is not alone keeps the file in the form the others found it in.
  const sqlite::FormChange change =
      alone ? sqlite::FormChange::allowed : sqlite::FormChange::followTheFile;
  FileStatus st = openConnection(schema, resolved.path, readOnly, journal, change, recoverSeconds_,
                                 opening->connection);
  if (!st.ok()) return st;
  sqlite3* db = opening->connection.db;
  if (!readOnly && alone) foldLeftOverStream(schema, db);
  int rc = SQLITE_OK;
  opening->erase = Statement(db, schema.deleteSql(), rc, /*persistent=*/true);
  if (opening->erase) opening->count = Statement(db, schema.countSql(), rc, /*persistent=*/true);
  if (!opening->count) return sqlite::openFailure(db, rc);
  if (st = opening->writer.prepare(db, journal); !st.ok()) return st;
  if (st = opening->cursor.prepare(db); !st.ok()) return st;

  opening->canonical = canonicalPath(resolved.path);
  opening->journal = journal;
  open_ = std::move(opening);
  error_ = FileError::none;
  return {};
}

FileStatus KeyedTable::create() {
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  // Made under the name itself: a link that points nowhere is in the way, and the table
  // is never made at a place the link names.
  if (!resolved.exists || os().stat(resolved.path) == PathKind::missing) {
    if (FileStatus st = os().createNew(resolved.path); !st.ok()) return st;
  }
  if (const PathKind kind = os().stat(resolved.path); kind != PathKind::file) {
    return notARegularFile(kind);
  }
  Connection connection;
  const FileStatus st = openConnection(
      TableSchema(layout_), resolved.path, /*readOnly=*/false, sqlite::journalFor(resolved.path),
      sqlite::FormChange::followTheFile, recoverSeconds_, connection);
  // Keys that need rebuilding are the open's business; the file exists with its table.
  return st.error == FileError::keyFileMustBeRebuilt ? FileStatus{} : st;
}

void KeyedTable::close() {
  if (open_ == nullptr) return;
  // A close reports nothing; a batch that cannot be written here leaves the file as it
  // was before that batch, which the journal guarantees.
  (void)open_->writer.end();
  // An atomic change not committed is not kept.
  rollbackAtomic();
  open_->waitForSettler();
  for (TableView* view : views_) {
    if (view->cursor_) view->cursor_->release();
  }
  open_->writer.release();
  leaveWriteAheadLogIfLast();
  open_.reset();
}

void KeyedTable::leaveWriteAheadLogIfLast() {
  sqlite3* db = open_->connection.db;
  if (open_->journal != sqlite::Journal::writeAheadLog || sqlite3_db_readonly(db, "main") != 0 ||
      !open_->guard.alone()) {
    return;
  }
  // The last opening anywhere leaves the file a plain one with no side files, so that a
  // user who may only read it, in a folder where no log could be made, can open it. Not
  // examined: an opening that came meanwhile keeps the log, and a later close ends it.
  stopReads();
  sqlite3_busy_timeout(db, 0);
  (void)sqlite::exec(db, "PRAGMA journal_mode=DELETE");
}

FileStatus KeyedTable::sendOption(std::string_view option) {
  constexpr std::string_view kRecover = "Recover=";
  if (option.size() < kRecover.size() ||
      !text::equalIgnoringAsciiCase(option.substr(0, kRecover.size()), kRecover)) {
    return {};
  }
  int seconds = 0;
  const auto value = option.substr(kRecover.size());
  // A value that is no number leaves 0: no waiting, as before the option.
  (void)std::from_chars(value.data(), value.data() + value.size(), seconds);
  recoverSeconds_ = std::clamp(seconds, 0, 3600);
  if (open_ != nullptr) {
    open_->writer.settle();  // the stream's helper may be waiting on the connection
    sqlite3_busy_timeout(open_->connection.db, recoverSeconds_ * 1000);
  }
  return {};
}

FileStatus KeyedTable::rebuildKeys() {
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) return FileStatus::of(FileError::fileNotFound);
  // The keys are written with the journal every change of the file has, so that a kill
  // in the middle leaves the keys as they were.
  const sqlite::Journal journal = sqlite::journalFor(resolved.path);
  Connection connection;
  int rc = connect(resolved.path, /*readOnly=*/false, journal, recoverSeconds_, connection);
  if (rc == SQLITE_OK) {
    rc = sqlite::useJournal(connection.db, journal, sqlite::FormChange::followTheFile);
  }
  if (rc != SQLITE_OK) return sqlite::statusOf(connection.db, rc);
  return TableSchema(layout_).rebuildKeys(connection.db);
}

FileStatus KeyedTable::remove() {
  if (open_ != nullptr) return FileStatus::of(FileError::accessDenied);
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) return FileStatus::of(FileError::fileNotFound);
  // Refused while an opening of this process holds the file, as a system that locks open
  // files does; another process's opening is seen by its hold. A link is removed by
  // itself, whoever has the file it names.
  const bool link = os().isLink(resolved.path);
  if (!link && TableGuard::heldHere(resolved.path)) return FileStatus::of(FileError::accessDenied);
  // A journal this user keeps for the file elsewhere goes with it: the journal's name
  // ties it to this very file, which is known only while the file is there. The file a
  // link names keeps its own.
  const std::optional<sqlite::FileIdentity> identity =
      link ? std::nullopt : sqlite::identityOf(resolved.path);
  FileStatus st = os().removeUnlessLocked(resolved.path, sideFilesOf(resolved.path));
  if (st.ok() && identity) sqlite::forgetPrivateJournal(*identity);
  return st;
}

FileStatus KeyedTable::stream() {
  if (open_ == nullptr || atomic_) return FileStatus::of(FileError::accessDenied);
  open_->writer.begin();
  return {};
}

FileStatus KeyedTable::flush() {
  if (open_ == nullptr) return {};
  return open_->writer.end();
}

void KeyedTable::beforeRead() {
  if (open_ != nullptr) open_->writer.beforeRead();
}

std::uint64_t KeyedTable::records() {
  if (open_ == nullptr) return 0;
  beforeRead();
  open_->cursor.stopStale();
  for (TableView* view : views_) {
    if (view->cursor_) view->cursor_->stopStale();
  }
  sqlite3_stmt* st = open_->count.get();
  std::uint64_t n = 0;
  if (sqlite3_step(st) == SQLITE_ROW) n = static_cast<std::uint64_t>(sqlite3_column_int64(st, 0));
  sqlite3_reset(st);
  return n;
}

FileError KeyedTable::add() {
  if (open_ == nullptr) return error_ = FileError::accessDenied;
  sqlite::StreamWriter& writer = open_->writer;
  return error_ = writer.active() ? writer.add(record_) : writer.addNow(record_);
}

FileError KeyedTable::deleteCurrent() {
  if (open_ == nullptr || !open_->cursor.current()) return error_ = FileError::recordNotAvailable;
  sqlite::StreamWriter& writer = open_->writer;
  if (writer.active()) {
    if (const FileStatus st = writer.beforeDelete(); !st.ok()) return error_ = st.error;
  }
  stopReads();
  sqlite3_stmt* st = open_->erase.get();
  sqlite3_bind_int64(st, 1, *open_->cursor.current());
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  sqlite::noteTableWrite();
  if (writer.active()) writer.afterDelete();
  open_->cursor.forgetCurrent();
  return error_ =
             rc == SQLITE_DONE ? FileError::none : sqlite::statusOf(open_->connection.db, rc).error;
}

void KeyedTable::clearToLowest() {
  files::clearToLowest(layout_, record_);
}

void KeyedTable::set(KeyId key) {
  beforeRead();
  if (open_ != nullptr) open_->cursor.set(key.index);
}

bool KeyedTable::eof() {
  beforeRead();
  if (open_ == nullptr) return true;
  const bool more = open_->cursor.peek();
  error_ = open_->cursor.lastError();
  return !more;
}

FileError KeyedTable::next() {
  beforeRead();
  error_ = open_ == nullptr ? FileError::recordNotAvailable : open_->cursor.next();
  return error_;
}

bool KeyedTable::bof() {
  beforeRead();
  if (open_ == nullptr) return true;
  const bool more = open_->cursor.peekBack();
  if (open_->cursor.lastError() != FileError::none) error_ = open_->cursor.lastError();
  return !more;
}

FileError KeyedTable::previous() {
  beforeRead();
  error_ = open_ == nullptr ? FileError::recordNotAvailable : open_->cursor.previous();
  return error_;
}

void KeyedTable::setOnFirstComponent(KeyId key) {
  beforeRead();
  if (open_ != nullptr) open_->cursor.setOnFirstComponent(key.index);
}

CursorPosition KeyedTable::position() const {
  if (open_ == nullptr || !open_->cursor.order()) return {};
  return open_->cursor.position();
}

void KeyedTable::set(const CursorPosition& position) {
  beforeRead();
  if (open_ != nullptr) open_->cursor.setPosition(position);
}

FileError KeyedTable::reget(const CursorPosition& position) {
  beforeRead();
  if (open_ == nullptr) return error_ = FileError::recordNotAvailable;
  error_ = open_->cursor.reget(position.sequence, position.key);
  if (error_ == FileError::recordNotAvailable && open_->cursor.lastError() != FileError::none) {
    error_ = open_->cursor.lastError();
  }
  return error_;
}

}  // namespace vc::files

namespace vc::files {

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
  // A change of this kind may touch every page of the table and both keys; a cache that
  // holds them all keeps it from spilling pages to the log before the commit and from
  // reading the same pages again. Pages are only taken as they are used, and the usual
  // size comes back when the change ends. A refusal only costs speed.
  (void)sqlite::exec(db, kAtomicCacheSql);
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
  (void)sqlite::exec(db, kUsualCacheSql);
  if (!committed.ok()) {
    rollbackAtomic();
    return committed;
  }
  atomic_ = false;
  if (meanwhile) {
    try {
      open_->settler = std::thread(settle, open_->canonical);
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
  (void)sqlite::exec(open_->connection.db, kUsualCacheSql);
  sqlite::noteTableWrite();
  atomic_ = false;
}

std::optional<std::int64_t> KeyedTable::currentRowId() const {
  if (open_ == nullptr) return std::nullopt;
  return open_->cursor.current();
}

namespace {

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

/// The same rows left by another way: the keys are dropped, the rows deleted from the
/// table alone in the order of their numbers, and the keys made again from the rows that
/// stay, which costs far less than taking each deleted row out of both keys.
FileStatus deleteByRebuilding(sqlite3* db, const TableSpec& layout,
                              std::span<const std::int64_t> rowIds,
                              const std::function<void(std::uint64_t)>& afterEach) {
  int rc = sqlite::exec(db,
                        "CREATE TEMP TABLE IF NOT EXISTS vc_gone(id INTEGER PRIMARY KEY);"
                        "DELETE FROM temp.vc_gone");
  if (rc != SQLITE_OK) return sqlite::statusOf(db, rc);
  {
    // The numbers go in many to a statement: one statement a number would cost more than
    // the deletes themselves.
    constexpr std::size_t kPerStatement = 256;
    std::string many = "INSERT OR IGNORE INTO temp.vc_gone VALUES(?)";
    for (std::size_t i = 1; i < kPerStatement; ++i) many += ",(?)";
    sqlite::Statement batch(db, many, rc);
    if (!batch) return sqlite::statusOf(db, rc);
    sqlite::Statement one(db, "INSERT OR IGNORE INTO temp.vc_gone VALUES(?1)", rc);
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
  const TableSchema schema(layout);
  const std::string drop = schema.dropKeysSql() + "DELETE FROM main." +
                           sqlite::quotedName(layout.table) +
                           " WHERE \"seq\" IN (SELECT id FROM temp.vc_gone);";
  rc = sqlite::exec(db, drop.c_str());
  if (rc != SQLITE_OK) return sqlite::statusOf(db, rc);
  // The keys are made by sorting the rows that stay; with a small cache the sort is cut
  // into runs that the helper threads sort side by side. The pages written meanwhile go
  // to the log early, which the commit would have done anyway.
  (void)sqlite::exec(db, kSortRunCacheSql);
  rc = sqlite::exec(db, (schema.createKeysSql() + "DELETE FROM temp.vc_gone").c_str());
  const FileStatus made = sqlite::statusOf(db, rc);  // before the setting replaces its message
  (void)sqlite::exec(db, kAtomicCacheSql);
  if (!made.ok()) return made;
  if (afterEach) afterEach(rowIds.size());
  return {};
}

}  // namespace

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

namespace vc::files {

FileStatus KeyedTable::scanKey(
    KeyId key, std::size_t leading,
    const std::function<bool(std::int64_t rowId, std::string_view keyValue)>& each) {
  if (open_ == nullptr) return FileStatus::of(FileError::accessDenied);
  if (key.index >= layout_.keys.size()) {
    return {FileError::invalidRecordDeclaration, "0", "no such key"};
  }
  beforeRead();
  sqlite3* db = open_->connection.db;
  int rc = SQLITE_OK;
  const sqlite::Statement scan(db, sqlite::TableSchema(layout_).keyScanSql(key.index, leading), rc);
  if (!scan) return sqlite::statusOf(db, rc);
  sqlite3_stmt* st = scan.get();
  const auto& all = layout_.keys[key.index].components;
  const std::span<const std::size_t> components(all.data(), std::min(leading, all.size()));
  std::string value;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    value.clear();
    int col = 1;
    for (const std::size_t c : components) {
      const FieldSpec& f = layout_.fields[c];
      if (f.kind == FieldKind::text) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, col));
        const auto n = std::min(static_cast<std::size_t>(sqlite3_column_bytes(st, col)), f.length);
        value.append(bytes, n);
        value.append(f.length - n, ' ');
      } else {
        value += static_cast<char>(std::clamp(sqlite3_column_int(st, col), 0, 255));
      }
      ++col;
    }
    if (!each(sqlite3_column_int64(st, 0), value)) return {};
  }
  return rc == SQLITE_DONE ? FileStatus{} : sqlite::statusOf(db, rc);
}

FileStatus KeyedTable::readRows(std::span<const std::int64_t> ascendingIds,
                                std::span<const std::size_t> fields,
                                const std::function<bool(std::int64_t rowId)>& each) {
  if (open_ == nullptr) return FileStatus::of(FileError::accessDenied);
  if (ascendingIds.empty()) return {};
  for (const std::size_t f : fields) {
    if (f >= layout_.fields.size())
      return {FileError::invalidRecordDeclaration, "0", "no such field"};
  }
  beforeRead();
  sqlite3* db = open_->connection.db;
  const sqlite::TableSchema schema(layout_);
  const std::int64_t low = ascendingIds.front();
  const std::int64_t high = ascendingIds.back();
  int rc = SQLITE_OK;
  // Identities close together are read by walking the rows between them in the table's
  // own order, which costs a step a row; scattered ones are sought one by one, which
  // costs a seek each.
  constexpr std::uint64_t kWalkWhenOneIn = 8;
  const auto span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
  if (span / kWalkWhenOneIn < ascendingIds.size()) {
    const sqlite::Statement walk(db, schema.rowRangeSql(fields), rc);
    if (!walk) return sqlite::statusOf(db, rc);
    sqlite3_stmt* st = walk.get();
    sqlite3_bind_int64(st, 1, low);
    sqlite3_bind_int64(st, 2, high);
    auto wanted = ascendingIds.begin();
    while (wanted != ascendingIds.end() && (rc = sqlite3_step(st)) == SQLITE_ROW) {
      const std::int64_t id = sqlite3_column_int64(st, 0);
      while (wanted != ascendingIds.end() && *wanted < id) ++wanted;  // gone
      if (wanted == ascendingIds.end() || *wanted != id) continue;
      sqlite::readRowInto(layout_, record_, st, 1, fields);
      ++wanted;
      if (!each(id)) return {};
    }
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? FileStatus{} : sqlite::statusOf(db, rc);
  }
  const sqlite::Statement seek(db, schema.byIdentitySql(fields), rc);
  if (!seek) return sqlite::statusOf(db, rc);
  sqlite3_stmt* st = seek.get();
  std::optional<std::int64_t> previous;
  for (const std::int64_t id : ascendingIds) {
    if (previous == id) continue;
    previous = id;
    sqlite3_bind_int64(st, 1, id);
    rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) sqlite::readRowInto(layout_, record_, st, 1, fields);
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) continue;  // gone
    if (rc != SQLITE_ROW) return sqlite::statusOf(db, rc);
    if (!each(id)) return {};
  }
  return {};
}

std::optional<std::uint64_t> KeyedTable::changeCount() {
  if (open_ == nullptr) return std::nullopt;
  open_->writer.settle();
  sqlite3* db = open_->connection.db;
  int rc = SQLITE_OK;
  const sqlite::Statement version(db, "PRAGMA data_version", rc);
  if (!version || sqlite3_step(version.get()) != SQLITE_ROW) return std::nullopt;
  return static_cast<std::uint64_t>(sqlite3_column_int64(version.get(), 0));
}

}  // namespace vc::files
