#include "platform/files/sqlite/table_schema.hpp"

#include <algorithm>
#include <optional>

#include "platform/files/sqlite/sqlite_support.hpp"

namespace vc::files::sqlite {
namespace {

FileStatus failure(FileError error, std::string text) {
  return {error, "0", std::move(text)};
}

// The temporary table of the rows a delete takes out at once (clearGone).
constexpr const char* kGone = "vc_gone";

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

bool TableSchema::inSomeKey(std::size_t field) const {
  return std::any_of(layout_.keys.begin(), layout_.keys.end(), [&](const KeySpec& k) {
    return std::find(k.components.begin(), k.components.end(), field) != k.components.end();
  });
}

std::string TableSchema::keyColumn(std::size_t field) const {
  const FieldSpec& f = layout_.fields[field];
  return f.kind == FieldKind::text ? "key_" + f.name : f.name;
}

std::string TableSchema::indexName(std::size_t key) const {
  return layout_.table + "_" + layout_.keys[key].name;
}

std::string TableSchema::keyColumnList(std::size_t key) const {
  std::string out;
  const auto& components = layout_.keys[key].components;
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0) out += ',';
    out += quotedName(keyColumn(components[i]));
  }
  return out;
}

// The stored definition drops "IF NOT EXISTS", so both spellings compare equal to it.
std::string TableSchema::createIndexSql(std::size_t key, bool ifNotExists) const {
  return std::string("CREATE INDEX ") + (ifNotExists ? "IF NOT EXISTS " : "") +
         quotedName(indexName(key)) + " ON " + quotedName(layout_.table) + "(" +
         keyColumnList(key) + ")";
}

std::vector<std::pair<std::string, std::string>> TableSchema::columns() const {
  std::vector<std::pair<std::string, std::string>> cols{{"seq", "INTEGER"}};
  for (const FieldSpec& f : layout_.fields) {
    cols.emplace_back(f.name, f.kind == FieldKind::text ? "BLOB" : "INTEGER");
  }
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    if (layout_.fields[i].kind == FieldKind::text && inSomeKey(i)) {
      cols.emplace_back(keyColumn(i), "BLOB");
    }
  }
  return cols;
}

std::string TableSchema::insertSql(bool staging, std::size_t rows) const {
  std::string fields, binds;
  for (const auto& [name, type] : columns()) {
    if (name == "seq") continue;
    if (!fields.empty()) {
      fields += ',';
      binds += ',';
    }
    fields += quotedName(name);
    binds += '?';
  }
  std::string sql = "INSERT INTO " + quotedName(staging ? stagingName() : layout_.table) + "(" +
                    fields + ") VALUES";
  for (std::size_t r = 0; r < rows; ++r) {
    if (r > 0) sql += ',';
    sql += '(';
    sql += binds;
    sql += ')';
  }
  return sql;
}

std::string TableSchema::deleteSql() const {
  return "DELETE FROM " + quotedName(layout_.table) + " WHERE \"seq\"=?1";
}

std::string TableSchema::countSql() const {
  return "SELECT count(*) FROM " + quotedName(layout_.table);
}

std::string TableSchema::rowColumns(std::span<const std::size_t> fields) const {
  std::string out = "\"seq\"";
  const auto column = [&](std::size_t i) {
    const FieldSpec& f = layout_.fields[i];
    out += ',';
    if (f.kind == FieldKind::text && inSomeKey(i)) {
      // Empty in files of the earlier form when it equals its folded copy.
      out += "ifnull(nullif(" + quotedName(f.name) + ",x''),";
      out += quotedName(keyColumn(i));
      out += ')';
    } else {
      out += quotedName(f.name);
    }
  };
  if (fields.empty()) {
    for (std::size_t i = 0; i < layout_.fields.size(); ++i) column(i);
  } else {
    for (const std::size_t i : fields) column(i);
  }
  return out;
}

std::string TableSchema::orderBy(std::size_t key, const char* direction) const {
  std::string out;
  for (std::size_t c : layout_.keys[key].components) {
    out += quotedName(keyColumn(c)) + ' ' + direction + ',';
  }
  return out + "\"seq\" " + direction;
}

// "(key value, seq) after (or before) the bound" as a merge of one index range per
// component: rows equal in every component with seq beyond; rows equal in the first k
// components and beyond in the next one. Each branch is an exact seek in the key's index
// whatever the number of rows with equal key values, which a single row-value comparison
// is not: SQLite seeks that on the first component only and steps through the rest.
std::string TableSchema::scanSql(std::size_t key, bool after) const {
  const auto& components = layout_.keys[key].components;
  const char* beyond = after ? ">" : "<";
  const std::string select =
      "SELECT " + rowColumns() + "," + keyColumnList(key) + " FROM " + quotedName(layout_.table);
  std::string sql;
  for (std::size_t equal = components.size() + 1; equal-- > 0;) {
    std::string where;
    for (std::size_t i = 0; i < equal && i < components.size(); ++i) {
      where += quotedName(keyColumn(components[i])) + "=?" + std::to_string(i + 1) + " AND ";
    }
    if (equal == components.size()) {
      where += std::string("\"seq\"") + beyond + "?" + std::to_string(components.size() + 1);
    } else {
      where += quotedName(keyColumn(components[equal])) + beyond + "?" + std::to_string(equal + 1);
    }
    if (!sql.empty()) sql += " UNION ALL ";
    sql += select + " WHERE " + where;
  }
  const std::size_t firstKeyColumn = layout_.fields.size() + 2;
  const char* direction = after ? " ASC" : " DESC";
  sql += " ORDER BY ";
  for (std::size_t i = 0; i < components.size(); ++i) {
    sql += std::to_string(firstKeyColumn + i) + direction + ",";
  }
  return sql + "1" + direction;
}

std::string TableSchema::scanAfterSql(std::size_t key) const {
  return scanSql(key, /*after=*/true);
}

std::string TableSchema::scanBeforeSql(std::size_t key) const {
  return scanSql(key, /*after=*/false);
}

std::string TableSchema::byIdentitySql(std::span<const std::size_t> fields) const {
  return "SELECT " + rowColumns(fields) + " FROM " + quotedName(layout_.table) +
         " WHERE \"seq\"=?1";
}

std::string TableSchema::keyScanSql(std::size_t key, std::size_t leading) const {
  std::string columns;
  const auto& components = layout_.keys[key].components;
  for (std::size_t i = 0; i < components.size() && i < leading; ++i) {
    columns += ',' + quotedName(keyColumn(components[i]));
  }
  return "SELECT \"seq\"" + columns + " FROM " + quotedName(layout_.table) + " INDEXED BY " +
         quotedName(indexName(key)) + " ORDER BY " + orderBy(key, "ASC");
}

std::string TableSchema::rowRangeSql(std::span<const std::size_t> fields) const {
  return "SELECT " + rowColumns(fields) + " FROM " + quotedName(layout_.table) +
         " WHERE \"seq\" BETWEEN ?1 AND ?2 ORDER BY \"seq\"";
}

std::string TableSchema::edgeSql(std::size_t key, bool last) const {
  return "SELECT " + keyColumnList(key) + " FROM " + quotedName(layout_.table) + " ORDER BY " +
         orderBy(key, last ? "DESC" : "ASC") + " LIMIT 1";
}

std::string TableSchema::dropKeysSql() const {
  std::string sql;
  for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
    sql += "DROP INDEX " + quotedName(indexName(k)) + ";";
  }
  return sql;
}

std::string TableSchema::createKeysSql() const {
  std::string sql;
  for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
    sql += createIndexSql(k, /*ifNotExists=*/false) + ";";
  }
  return sql;
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

std::string TableSchema::stagingName() const {
  return layout_.table + "_staged";
}

std::string TableSchema::createTableSql(const std::string& name) const {
  // AUTOINCREMENT: a number is never given twice, not even after the last row was
  // deleted, so the order of addition holds for positions kept across deletions.
  std::string sql = "CREATE TABLE IF NOT EXISTS " + quotedName(name) + "(";
  bool first = true;
  for (const auto& [column, type] : columns()) {
    if (!first) sql += ", ";
    sql += quotedName(column) + ' ' + type + (first ? " PRIMARY KEY AUTOINCREMENT" : " NOT NULL");
    first = false;
  }
  return sql + ")";
}

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
