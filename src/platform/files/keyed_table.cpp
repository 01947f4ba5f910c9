// The keyed table's lifecycle: finding its file, opening it (with the checks that the file
// holds the declared table), creating, closing, removing it and rebuilding its keys.
#include "platform/files/keyed_table.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "platform/files/canonical_path.hpp"
#include "platform/files/sqlite/connection.hpp"
#include "platform/files/sqlite/journal_mode.hpp"
#include "platform/files/sqlite/opening.hpp"
#include "platform/files/sqlite/private_journal.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/table_schema.hpp"
#include "platform/files/table_guard.hpp"
#include "platform/files/table_view.hpp"
#include "platform/os/file_name.hpp"
#include "platform/os/os.hpp"
#include "platform/text/ascii_case.hpp"

namespace vc::files {
namespace {

using sqlite::Connection;
using sqlite::Statement;
using sqlite::TableSchema;

/// The table file under a declaration's name, found as every file is (resolveExistingFile).
/// It must be a regular file, which is checked before the database engine sees it: the
/// engine would wait for ever on a FIFO.
ResolvedName findTableFile(std::string_view name) {
  ResolvedName resolved = resolveExistingFile(name);
  if (resolved.status.ok()) resolved.status = regularFileStatus(os().stat(resolved.path));
  return resolved;
}

/// Opens the file at path and makes sure it holds the declared table: a new (empty) file
/// becomes the table with its keys; any other file must have the layout and sound keys.
FileStatus openConnection(const TableSchema& schema, const std::string& path, bool readOnly,
                          sqlite::Journal journal, sqlite::FormChange change, int recoverSeconds,
                          Connection& connection) {
  // The opening's hold keeps a REMOVE from deleting the file from now on (TableGuard).
  int rc = sqlite::connect(path, readOnly, journal, recoverSeconds, connection);
  sqlite3* db = connection.db;
  if (rc != SQLITE_OK) return sqlite::openFailure(db, rc);
  sqlite::tuneForTable(db);
  if (!readOnly && (rc = sqlite::useJournal(db, journal, change)) != SQLITE_OK) {
    return sqlite::openFailure(db, rc);
  }
  bool noTable = false;
  if ((rc = schema.probeFile(db, noTable)) != SQLITE_OK) return sqlite::openFailure(db, rc);
  if (noTable) {
    if (readOnly) return {FileError::invalidRecordDeclaration, "0", "no table"};
    if (FileStatus st = schema.create(db); !st.ok()) return st;
  }
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
  const ResolvedName resolved = findTableFile(fileName_);
  if (!resolved.status.ok()) return resolved.status;
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
  if (FileStatus st = regularFileStatus(os().stat(resolved.path)); !st.ok()) return st;
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
  (void)sqlite::endWriteAheadLog(db);
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
  const ResolvedName resolved = findTableFile(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  // The keys are written with the journal every change of the file has, so that a kill
  // in the middle leaves the keys as they were.
  const sqlite::Journal journal = sqlite::journalFor(resolved.path);
  Connection connection;
  int rc = sqlite::connect(resolved.path, /*readOnly=*/false, journal, recoverSeconds_, connection);
  if (rc == SQLITE_OK) {
    rc = sqlite::useJournal(connection.db, journal, sqlite::FormChange::followTheFile);
  }
  if (rc != SQLITE_OK) return sqlite::statusOf(connection.db, rc);
  return TableSchema(layout_).rebuildKeys(connection.db);
}

FileStatus KeyedTable::remove() {
  if (open_ != nullptr) return FileStatus::of(FileError::accessDenied);
  const ResolvedName resolved = resolveExistingFile(fileName_);
  if (!resolved.status.ok()) return resolved.status;
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

}  // namespace vc::files
