#include "platform/files/keyed_table.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/files/file_name.hpp"
#include "platform/files/os.hpp"

namespace vc::files {
namespace {

using sqlite::quotedName;
using sqlite::Statement;

// Every write through any declaration in this process moves this on, so that a scan kept
// going between reads knows when it must seek afresh from its position.
std::atomic<std::uint64_t> writeGeneration{1};

void noteWrite() {
  writeGeneration.fetch_add(1, std::memory_order_acq_rel);
}

// The files that declarations of this process have open, by canonical path: REMOVE must
// not delete a file from under an opening of its own process.
std::mutex registryLock;
std::map<std::string, int>& openFiles() {
  static std::map<std::string, int> files;
  return files;
}

std::string canonical(const std::string& path) {
  std::error_code ec;
  const auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  return ec ? path : p.string();
}

bool openInThisProcess(const std::string& canonicalPath) {
  std::lock_guard guard(registryLock);
  const auto it = openFiles().find(canonicalPath);
  return it != openFiles().end() && it->second > 0;
}

void registerOpen(const std::string& canonicalPath, int delta) {
  std::lock_guard guard(registryLock);
  int& count = openFiles()[canonicalPath];
  count += delta;
  if (count <= 0) openFiles().erase(canonicalPath);
}

unsigned char folded(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool inSomeKey(const TableSpec& layout, std::size_t field) {
  for (const KeySpec& k : layout.keys) {
    if (std::find(k.components.begin(), k.components.end(), field) != k.components.end()) {
      return true;
    }
  }
  return false;
}

/// The column a key component is stored in: a text field's folded copy, a byte itself.
std::string keyColumn(const TableSpec& layout, std::size_t field) {
  const FieldSpec& f = layout.fields[field];
  return f.kind == FieldKind::text ? "key_" + f.name : f.name;
}

std::string indexName(const TableSpec& layout, const KeySpec& key) {
  return layout.table + "_" + key.name;
}

std::string keyColumnList(const TableSpec& layout, const KeySpec& key) {
  std::string out;
  for (std::size_t i = 0; i < key.components.size(); ++i) {
    if (i > 0) out += ',';
    out += quotedName(keyColumn(layout, key.components[i]));
  }
  return out;
}

/// The stored definition drops "IF NOT EXISTS", so both spellings compare equal to it.
std::string createIndexSql(const TableSpec& layout, const KeySpec& key, bool ifNotExists = false) {
  return std::string("CREATE INDEX ") + (ifNotExists ? "IF NOT EXISTS " : "") +
         quotedName(indexName(layout, key)) + " ON " + quotedName(layout.table) + "(" +
         keyColumnList(layout, key) + ")";
}

/// The table's columns as (name, declared type): the order of addition, the fields as
/// stored, then the folded copies of the text fields that keys use.
std::vector<std::pair<std::string, std::string>> columnsOf(const TableSpec& layout) {
  std::vector<std::pair<std::string, std::string>> cols{{"seq", "INTEGER"}};
  for (const FieldSpec& f : layout.fields) {
    cols.emplace_back(f.name, f.kind == FieldKind::text ? "BLOB" : "INTEGER");
  }
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    if (layout.fields[i].kind == FieldKind::text && inSomeKey(layout, i)) {
      cols.emplace_back(keyColumn(layout, i), "BLOB");
    }
  }
  return cols;
}

std::string createTableSql(const TableSpec& layout) {
  // AUTOINCREMENT: a number is never given twice, not even after the last row was
  // deleted, so the order of addition holds for positions kept across deletions.
  std::string sql = "CREATE TABLE IF NOT EXISTS " + quotedName(layout.table) + "(";
  bool first = true;
  for (const auto& [name, type] : columnsOf(layout)) {
    if (!first) sql += ", ";
    sql += quotedName(name);
    sql += ' ';
    sql += type;
    sql += first ? " PRIMARY KEY AUTOINCREMENT" : " NOT NULL";
    first = false;
  }
  return sql + ")";
}

FileStatus failure(FileError error, std::string text) {
  return {error, "0", std::move(text)};
}

/// An open-time SQLite failure: damage to the file's own structure makes it no valid file.
FileStatus openFailure(sqlite3* db, int rc) {
  if ((rc & 0xFF) == SQLITE_CORRUPT) {
    return sqlite::statusOf(db, rc, FileError::invalidRecordDeclaration);
  }
  return sqlite::statusOf(db, rc);
}

std::optional<std::string> storedIndexSql(sqlite3* db, const std::string& name, int& rc) {
  Statement st(db, "SELECT sql FROM sqlite_master WHERE type='index' AND name=?1", rc);
  if (!st) return std::nullopt;
  sqlite3_bind_text(st.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) {
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
    return std::nullopt;
  }
  const auto* text = sqlite3_column_text(st.get(), 0);
  rc = SQLITE_OK;
  return std::string(text ? reinterpret_cast<const char*>(text) : "");
}

}  // namespace

KeyedTable::KeyedTable(TableSpec layout, std::string fileName, void* record)
    : layout_(std::move(layout)),
      fileName_(std::move(fileName)),
      record_(static_cast<unsigned char*>(record)) {}

KeyedTable::~KeyedTable() {
  close();
}

FileStatus KeyedTable::openConnection(const std::string& path, bool readOnly, sqlite3*& db) const {
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) return sqlite::statusOf(db, rc);
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, recoverSeconds_ * 1000);
  // An analysis adds its rows in key orders unrelated to the order of addition; a page
  // cache large enough for both keys' working set keeps those inserts off the disk.
  sqlite::exec(db, "PRAGMA cache_size=-65536");
  // Write-ahead logging lets one opening read while another holds a write transaction.
  if (!readOnly && (rc = sqlite::exec(db, "PRAGMA journal_mode=WAL")) != SQLITE_OK) {
    return openFailure(db, rc);
  }
  Statement tables(db,
                   "SELECT count(*) FROM sqlite_master WHERE type='table' AND name NOT "
                   "LIKE 'sqlite_%'",
                   rc);
  if (!tables) return openFailure(db, rc);
  rc = sqlite3_step(tables.get());
  if (rc != SQLITE_ROW) return openFailure(db, rc);
  if (sqlite3_column_int(tables.get(), 0) == 0) {
    // A new (empty) file becomes the table with its keys.
    if (readOnly) return failure(FileError::invalidRecordDeclaration, "no table");
    if (FileStatus st = createSchema(db); !st.ok()) return st;
  }
  tables.reset();
  if (FileStatus st = checkLayout(db); !st.ok()) return st;
  return checkKeys(db);
}

FileStatus KeyedTable::createSchema(sqlite3* db) const {
  std::string sql = "BEGIN IMMEDIATE; " + createTableSql(layout_) + ";";
  for (const KeySpec& k : layout_.keys) {
    sql += ' ';
    sql += createIndexSql(layout_, k, /*ifNotExists=*/true);
    sql += ';';
  }
  sql += " COMMIT;";
  const int rc = sqlite::exec(db, sql.c_str());
  if (rc != SQLITE_OK) {
    FileStatus st = openFailure(db, rc);
    sqlite::exec(db, "ROLLBACK");
    return st;
  }
  return {};
}

FileStatus KeyedTable::checkLayout(sqlite3* db) const {
  int rc = SQLITE_OK;
  Statement info(db, "PRAGMA table_info(" + quotedName(layout_.table) + ")", rc);
  if (!info) return openFailure(db, rc);
  std::vector<std::pair<std::string, std::string>> found;
  while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
    const auto* n = sqlite3_column_text(info.get(), 1);
    const auto* t = sqlite3_column_text(info.get(), 2);
    found.emplace_back(n ? reinterpret_cast<const char*>(n) : "",
                       t ? reinterpret_cast<const char*>(t) : "");
  }
  if (rc != SQLITE_DONE) return openFailure(db, rc);
  if (found.empty()) {
    return failure(FileError::invalidRecordDeclaration, "no table " + layout_.table);
  }
  if (found != columnsOf(layout_)) {
    return failure(FileError::invalidRecordDeclaration,
                   "table " + layout_.table + " has another row layout");
  }
  return {};
}

FileStatus KeyedTable::checkKeys(sqlite3* db) const {
  // A key is sound when its definition is the declared one and its first and last entries
  // lead to rows: a few page reads, whatever the size of the table. Damage deeper inside
  // an index shows only when it is read.
  for (const KeySpec& k : layout_.keys) {
    const std::string name = indexName(layout_, k);
    int rc = SQLITE_OK;
    const auto sql = storedIndexSql(db, name, rc);
    if (rc != SQLITE_OK) return openFailure(db, rc);
    if (!sql || *sql != createIndexSql(layout_, k)) {
      return failure(FileError::keyFileMustBeRebuilt, "key " + name + " is missing or altered");
    }
    for (const char* direction : {"ASC", "DESC"}) {
      std::string order;
      for (std::size_t c : k.components)
        order += quotedName(keyColumn(layout_, c)) + " " + direction + ",";
      Statement probe(db,
                      "SELECT * FROM " + quotedName(layout_.table) + " INDEXED BY " +
                          quotedName(name) + " ORDER BY " + order + "\"seq\" " + direction +
                          " LIMIT 1",
                      rc);
      if (probe) rc = sqlite3_step(probe.get());
      if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) {
          return sqlite::statusOf(db, rc);
        }
        return sqlite::statusOf(db, rc, FileError::keyFileMustBeRebuilt);
      }
    }
  }
  return {};
}

FileStatus KeyedTable::prepareStatements() {
  int rc = SQLITE_OK;
  std::string fields, binds;
  int n = 0;
  for (const auto& [name, type] : columnsOf(layout_)) {
    if (name == "seq") continue;
    if (n > 0) fields += ',';
    fields += quotedName(name);
    binds += (n ? ",?" : "?");
    ++n;
  }
  insert_ = Statement(
      db_, "INSERT INTO " + quotedName(layout_.table) + "(" + fields + ") VALUES(" + binds + ")",
      rc,
      /*persistent=*/true);
  if (!insert_) return openFailure(db_, rc);
  delete_ =
      Statement(db_, "DELETE FROM " + quotedName(layout_.table) + " WHERE \"seq\"=?1", rc, true);
  if (!delete_) return openFailure(db_, rc);
  count_ = Statement(db_, "SELECT count(*) FROM " + quotedName(layout_.table), rc, true);
  if (!count_) return openFailure(db_, rc);

  std::string rowColumns = "\"seq\"";
  for (const FieldSpec& f : layout_.fields) {
    rowColumns += ',';
    rowColumns += quotedName(f.name);
  }
  scans_.clear();
  for (const KeySpec& k : layout_.keys) {
    const std::string cols = keyColumnList(layout_, k) + ",\"seq\"";
    std::string params;
    for (std::size_t i = 0; i <= k.components.size(); ++i) params += (i ? ",?" : "?");
    Scan scan;
    scan.statement = Statement(db_,
                               "SELECT " + rowColumns + " FROM " + quotedName(layout_.table) +
                                   " WHERE (" + cols + ") > (" + params + ") ORDER BY " + cols,
                               rc, true);
    if (!scan.statement) return openFailure(db_, rc);
    scans_.push_back(std::move(scan));
  }
  return {};
}

FileStatus KeyedTable::open(std::uint8_t openMode) {
  if (db_ != nullptr) return FileStatus::of(FileError::fileAlreadyOpen);
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) return FileStatus::of(FileError::fileNotFound);
  const AccessMode mode = accessModeOf(openMode);
  if (FileStatus st = os().checkAccess(resolved.path, mode); !st.ok()) return st;

  sqlite3* db = nullptr;
  FileStatus st = openConnection(resolved.path, mode == AccessMode::readOnly, db);
  if (!st.ok()) {
    sqlite3_close_v2(db);
    return st;
  }
  db_ = db;
  readOnly_ = mode == AccessMode::readOnly;
  if (st = prepareStatements(); !st.ok()) {
    close();
    return st;
  }
  path_ = canonical(resolved.path);
  registerOpen(path_, +1);
  order_.reset();
  current_.reset();
  error_ = FileError::none;
  return {};
}

FileStatus KeyedTable::create() {
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) {
    if (FileStatus st = os().create(resolved.path); !st.ok()) return st;
  }
  sqlite3* db = nullptr;
  FileStatus st = openConnection(resolved.path, /*readOnly=*/false, db);
  sqlite3_close_v2(db);
  return st.error == FileError::keyFileMustBeRebuilt ? FileStatus{} : st;
}

void KeyedTable::close() {
  if (db_ == nullptr) return;
  if (streaming_) flush();
  scans_.clear();
  insert_ = {};
  delete_ = {};
  count_ = {};
  sqlite3_close_v2(db_);
  db_ = nullptr;
  if (!path_.empty()) registerOpen(path_, -1);
  path_.clear();
  order_.reset();
  current_.reset();
}

FileStatus KeyedTable::sendOption(std::string_view option) {
  constexpr std::string_view kRecover = "Recover=";
  if (option.size() < kRecover.size()) return {};
  for (std::size_t i = 0; i < kRecover.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(option[i])) !=
        std::toupper(static_cast<unsigned char>(kRecover[i]))) {
      return {};
    }
  }
  int seconds = 0;
  const auto value = option.substr(kRecover.size());
  std::from_chars(value.data(), value.data() + value.size(), seconds);
  recoverSeconds_ = std::clamp(seconds, 0, 3600);
  if (db_ != nullptr) sqlite3_busy_timeout(db_, recoverSeconds_ * 1000);
  return {};
}

FileStatus KeyedTable::rebuildKeys() {
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) return FileStatus::of(FileError::fileNotFound);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(resolved.path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  FileStatus st;
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, recoverSeconds_ * 1000);
    std::string sql = "BEGIN IMMEDIATE;";
    for (const KeySpec& k : layout_.keys) {
      const std::string name = indexName(layout_, k);
      const auto stored = storedIndexSql(db, name, rc);
      if (rc != SQLITE_OK) break;
      if (!stored || *stored != createIndexSql(layout_, k)) {
        sql += "DROP INDEX IF EXISTS " + quotedName(name) + ";" + createIndexSql(layout_, k) + ";";
      }
    }
    sql += "REINDEX " + quotedName(layout_.table) + "; COMMIT;";
    if (rc == SQLITE_OK) rc = sqlite::exec(db, sql.c_str());
    if (rc != SQLITE_OK) {
      st = sqlite::statusOf(db, rc);
      sqlite::exec(db, "ROLLBACK");
    }
  } else {
    st = sqlite::statusOf(db, rc);
  }
  sqlite3_close_v2(db);
  return st;
}

FileStatus KeyedTable::remove() {
  if (db_ != nullptr) return FileStatus::of(FileError::accessDenied);
  const ResolvedName resolved = resolveFileName(fileName_);
  if (!resolved.status.ok()) return resolved.status;
  if (!resolved.exists) return FileStatus::of(FileError::fileNotFound);
  // Deleting a database from under an opening would leave that opening writing to a file
  // nobody can find again, and its journal beside a new file: refuse, as a system that
  // locks open files does.
  if (openInThisProcess(canonical(resolved.path)) || os().lockedByOtherProcess(resolved.path)) {
    return FileStatus::of(FileError::accessDenied);
  }
  if (FileStatus st = os().remove(resolved.path); !st.ok()) return st;
  for (const char* journal : {"-wal", "-shm", "-journal"}) os().remove(resolved.path + journal);
  return {};
}

FileStatus KeyedTable::stream() {
  if (db_ == nullptr) return FileStatus::of(FileError::accessDenied);
  if (streaming_) return {};
  stopScan();
  const int rc = sqlite::exec(db_, "BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) return sqlite::statusOf(db_, rc);
  streaming_ = true;
  return {};
}

FileStatus KeyedTable::flush() {
  if (db_ == nullptr || !streaming_) return {};
  const int rc = sqlite::exec(db_, "COMMIT");
  noteWrite();
  if (rc != SQLITE_OK) return sqlite::statusOf(db_, rc);
  streaming_ = false;
  return {};
}

std::uint64_t KeyedTable::records() {
  if (db_ == nullptr) return 0;
  const std::uint64_t now = writeGeneration.load(std::memory_order_acquire);
  for (Scan& s : scans_) {
    if (s.state != ScanState::idle && s.generation != now) {
      s.statement.reset();
      s.state = ScanState::idle;
    }
  }
  std::uint64_t n = 0;
  if (sqlite3_step(count_.get()) == SQLITE_ROW) {
    n = static_cast<std::uint64_t>(sqlite3_column_int64(count_.get(), 0));
  }
  sqlite3_reset(count_.get());
  return n;
}

void KeyedTable::clearToLowest() {
  files::clearToLowest(layout_, record_);
}

std::string KeyedTable::keyValueOf(std::size_t key, const unsigned char* record) const {
  std::string value;
  for (std::size_t c : layout_.keys[key].components) {
    const FieldSpec& f = layout_.fields[c];
    for (std::size_t i = 0; i < f.length; ++i) {
      const unsigned char b = record[f.offset + i];
      value += static_cast<char>(f.kind == FieldKind::text ? folded(b) : b);
    }
  }
  return value;
}

void KeyedTable::set(KeyId key) {
  if (key.index >= layout_.keys.size()) return;
  stopScan();
  order_ = key.index;
  position_ = {key.index, keyValueOf(key.index, record_), kBeforeAll};
  current_.reset();
}

void KeyedTable::stopScan() {
  for (Scan& s : scans_) {
    if (s.state != ScanState::idle) s.statement.reset();
    s.state = ScanState::idle;
  }
}

bool KeyedTable::peek() {
  if (db_ == nullptr || !order_) return false;
  Scan& scan = scans_[*order_];
  sqlite3_stmt* st = scan.statement.get();
  const std::uint64_t now = writeGeneration.load(std::memory_order_acquire);
  if (scan.state != ScanState::idle && scan.generation != now) {
    scan.statement.reset();
    scan.state = ScanState::idle;
  }
  if (scan.state == ScanState::pending) return true;
  if (scan.state == ScanState::idle) {
    // Seek afresh: strictly after (key value, place in the order of addition).
    int param = 1;
    std::size_t at = 0;
    for (std::size_t c : layout_.keys[*order_].components) {
      const FieldSpec& f = layout_.fields[c];
      if (f.kind == FieldKind::text) {
        sqlite3_bind_blob(st, param, position_.keyValue.data() + at, static_cast<int>(f.length),
                          SQLITE_TRANSIENT);
      } else {
        sqlite3_bind_int(st, param, static_cast<unsigned char>(position_.keyValue[at]));
      }
      at += f.length;
      ++param;
    }
    sqlite3_bind_int64(st, param, position_.sequence);
    scan.generation = now;
  }
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    scan.state = ScanState::pending;
    return true;
  }
  // At the end the scan lets go of its read, so that it neither holds back the journal
  // nor misses rows another process adds meanwhile.
  scan.statement.reset();
  scan.state = ScanState::idle;
  if (rc != SQLITE_DONE) error_ = sqlite::statusOf(db_, rc).error;
  return false;
}

bool KeyedTable::eof() {
  return !peek();
}

void KeyedTable::readRow(sqlite3_stmt* st) {
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    const FieldSpec& f = layout_.fields[i];
    const int col = static_cast<int>(i) + 1;
    unsigned char* dest = record_ + f.offset;
    if (f.kind == FieldKind::text) {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(st, col));
      const std::size_t n =
          std::min(static_cast<std::size_t>(sqlite3_column_bytes(st, col)), f.length);
      if (n > 0) std::memcpy(dest, bytes, n);
      std::memset(dest + n, ' ', f.length - n);
    } else {
      *dest = static_cast<unsigned char>(std::clamp(sqlite3_column_int(st, col), 0, 255));
    }
  }
}

FileError KeyedTable::next() {
  if (!peek()) {
    error_ = FileError::recordNotAvailable;
    return error_;
  }
  Scan& scan = scans_[*order_];
  sqlite3_stmt* st = scan.statement.get();
  readRow(st);
  position_.keyValue = keyValueOf(*order_, record_);
  position_.sequence = sqlite3_column_int64(st, 0);
  current_ = position_.sequence;
  scan.state = ScanState::consumed;
  error_ = FileError::none;
  return error_;
}

void KeyedTable::bindRecord(sqlite3_stmt* st) const {
  int param = 1;
  for (const FieldSpec& f : layout_.fields) {
    if (f.kind == FieldKind::text) {
      sqlite3_bind_blob(st, param++, record_ + f.offset, static_cast<int>(f.length), SQLITE_STATIC);
    } else {
      sqlite3_bind_int(st, param++, record_[f.offset]);
    }
  }
}

FileError KeyedTable::add() {
  if (db_ == nullptr) return error_ = FileError::accessDenied;
  stopScan();
  sqlite3_stmt* st = insert_.get();
  bindRecord(st);
  int param = static_cast<int>(layout_.fields.size()) + 1;
  // The folded copies live until the insert has been stepped.
  std::vector<std::string> foldedCopies;
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    const FieldSpec& f = layout_.fields[i];
    if (f.kind != FieldKind::text || !inSomeKey(layout_, i)) continue;
    std::string& copy = foldedCopies.emplace_back(f.length, ' ');
    for (std::size_t b = 0; b < f.length; ++b)
      copy[b] = static_cast<char>(folded(record_[f.offset + b]));
    sqlite3_bind_blob(st, param++, copy.data(), static_cast<int>(f.length), SQLITE_STATIC);
  }
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  noteWrite();
  return error_ = rc == SQLITE_DONE ? FileError::none : sqlite::statusOf(db_, rc).error;
}

FileError KeyedTable::deleteCurrent() {
  if (db_ == nullptr || !current_) return error_ = FileError::recordNotAvailable;
  stopScan();
  sqlite3_stmt* st = delete_.get();
  sqlite3_bind_int64(st, 1, *current_);
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  noteWrite();
  current_.reset();
  return error_ = rc == SQLITE_DONE ? FileError::none : sqlite::statusOf(db_, rc).error;
}

}  // namespace vc::files
