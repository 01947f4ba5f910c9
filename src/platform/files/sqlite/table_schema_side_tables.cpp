// The two side tables of a keyed table: the staging table a stream that began on an empty
// table fills, and the gone table of a delete that takes most of a large table at once.
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/table_schema.hpp"

namespace vc::files::sqlite {
namespace {

// The temporary table of the rows a delete takes out at once (clearGone).
constexpr const char* kGone = "vc_gone";

}  // namespace

int TableSchema::probe(sqlite3* db, bool& tableEmpty, bool& staged) const {
  int rc = SQLITE_OK;
  Statement any(db, "SELECT 1 FROM " + quotedName(layout_.table) + " LIMIT 1", rc);
  if (!any) return rc;
  rc = sqlite3_step(any.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return rc;
  tableEmpty = rc == SQLITE_DONE;
  Statement staging(db, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1", rc);
  if (!staging) return rc;
  const std::string name = stagingName();
  sqlite3_bind_text(staging.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(staging.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return rc;
  staged = rc == SQLITE_ROW;
  return SQLITE_OK;
}

int TableSchema::createStaging(sqlite3* db) const {
  return exec(db, createTableSql(stagingName()).c_str());
}

int TableSchema::dropStaging(sqlite3* db) const {
  return exec(db, ("DROP TABLE IF EXISTS " + quotedName(stagingName())).c_str());
}

int TableSchema::foldStaging(sqlite3* db) const {
  bool empty = false, staged = false;
  int rc = probe(db, empty, staged);
  if (rc != SQLITE_OK || !staged) return rc;
  const std::string table = quotedName(layout_.table);
  const std::string staging = quotedName(stagingName());
  std::string sql;
  if (empty) {
    sql = "DROP TABLE " + table + "; ALTER TABLE " + staging + " RENAME TO " + table + ";";
    for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
      sql += createIndexSql(k, /*ifNotExists=*/false) + ";";
    }
  } else {
    std::string fields;
    for (const auto& [name, type] : columns()) {
      if (name == "seq") continue;
      if (!fields.empty()) fields += ',';
      fields += quotedName(name);
    }
    sql = "INSERT INTO " + table + "(" + fields + ") SELECT " + fields + " FROM " + staging +
          " ORDER BY \"seq\"; DROP TABLE " + staging + ";";
  }
  return exec(db, sql.c_str());
}

int TableSchema::clearGone(sqlite3* db) const {
  return exec(db, ("CREATE TEMP TABLE IF NOT EXISTS " + std::string(kGone) +
                   "(id INTEGER PRIMARY KEY);DELETE FROM temp." + kGone)
                      .c_str());
}

std::string TableSchema::markGoneSql(std::size_t rows) const {
  std::string sql = "INSERT OR IGNORE INTO temp." + std::string(kGone) + " VALUES(?)";
  for (std::size_t i = 1; i < rows; ++i) sql += ",(?)";
  return sql;
}

int TableSchema::deleteGone(sqlite3* db) const {
  const std::string sql = dropKeysSql() + "DELETE FROM main." + quotedName(layout_.table) +
                          " WHERE \"seq\" IN (SELECT id FROM temp." + kGone + ");";
  return exec(db, sql.c_str());
}

int TableSchema::remakeKeys(sqlite3* db) const {
  return exec(db, (createKeysSql() + "DELETE FROM temp." + kGone).c_str());
}

}  // namespace vc::files::sqlite
