// The checks an open makes that a file holds the declared table with sound keys, the
// making of a new file's table, and the rebuild of keys that fail those checks.
#include <optional>

#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/table_schema.hpp"

namespace vc::files::sqlite {
namespace {

FileStatus failure(FileError error, std::string text) {
  return {error, "0", std::move(text)};
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

FileStatus openFailure(sqlite3* db, int rc) {
  if ((rc & 0xFF) == SQLITE_CORRUPT) {
    return statusOf(db, rc, FileError::invalidRecordDeclaration);
  }
  return statusOf(db, rc);
}

int TableSchema::probeFile(sqlite3* db, bool& noTable) const {
  int rc = SQLITE_OK;
  const Statement tables(db,
                         "SELECT count(*) FROM sqlite_master WHERE type='table' AND name NOT "
                         "LIKE 'sqlite_%'",
                         rc);
  if (!tables) return rc;
  rc = sqlite3_step(tables.get());
  if (rc != SQLITE_ROW) return rc;
  noTable = sqlite3_column_int(tables.get(), 0) == 0;
  return SQLITE_OK;
}

FileStatus TableSchema::create(sqlite3* db) const {
  std::string sql = "BEGIN IMMEDIATE; " + createTableSql(layout_.table) + ";";
  for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
    sql += ' ' + createIndexSql(k, /*ifNotExists=*/true) + ';';
  }
  sql += " COMMIT;";
  const int rc = exec(db, sql.c_str());
  if (rc != SQLITE_OK) {
    FileStatus st = openFailure(db, rc);
    (void)exec(db, "ROLLBACK");  // nothing was made; the failure above is the answer
    return st;
  }
  return {};
}

FileStatus TableSchema::checkLayout(sqlite3* db) const {
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
  if (found != columns()) {
    return failure(FileError::invalidRecordDeclaration,
                   "table " + layout_.table + " has another row layout");
  }
  return {};
}

FileStatus TableSchema::checkKeys(sqlite3* db) const {
  // A key is sound when its definition is the declared one and its first and last entries
  // lead to rows: a few page reads, whatever the size of the table. Damage deeper inside
  // an index shows only when it is read.
  for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
    const std::string name = indexName(k);
    int rc = SQLITE_OK;
    const auto sql = storedIndexSql(db, name, rc);
    if (rc != SQLITE_OK) return openFailure(db, rc);
    if (!sql || *sql != createIndexSql(k, /*ifNotExists=*/false)) {
      return failure(FileError::keyFileMustBeRebuilt, "key " + name + " is missing or altered");
    }
    for (const char* direction : {"ASC", "DESC"}) {
      std::string order;
      for (std::size_t c : layout_.keys[k].components) {
        order += quotedName(keyColumn(c)) + " " + direction + ",";
      }
      Statement probe(db,
                      "SELECT * FROM " + quotedName(layout_.table) + " INDEXED BY " +
                          quotedName(name) + " ORDER BY " + order + "\"seq\" " + direction +
                          " LIMIT 1",
                      rc);
      if (probe) rc = sqlite3_step(probe.get());
      if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) return statusOf(db, rc);
        return statusOf(db, rc, FileError::keyFileMustBeRebuilt);
      }
    }
  }
  return {};
}

FileStatus TableSchema::rebuildKeys(sqlite3* db) const {
  int rc = SQLITE_OK;
  std::string sql = "BEGIN IMMEDIATE;";
  for (std::size_t k = 0; k < layout_.keys.size() && rc == SQLITE_OK; ++k) {
    const std::string name = indexName(k);
    const auto stored = storedIndexSql(db, name, rc);
    if (rc == SQLITE_OK && (!stored || *stored != createIndexSql(k, /*ifNotExists=*/false))) {
      sql += "DROP INDEX IF EXISTS " + quotedName(name) + ";" +
             createIndexSql(k, /*ifNotExists=*/false) + ";";
    }
  }
  sql += "REINDEX " + quotedName(layout_.table) + "; COMMIT;";
  if (rc == SQLITE_OK) rc = exec(db, sql.c_str());
  if (rc != SQLITE_OK) {
    FileStatus st = statusOf(db, rc);
    (void)exec(db, "ROLLBACK");  // the keys stay as they were; the failure is the answer
    return st;
  }
  return {};
}

}  // namespace vc::files::sqlite
