// The stored form of a declared layout: its columns, its keys' names and definitions, and the
// SQL of every statement the driver prepares on it.
#include "platform/files/sqlite/table_schema.hpp"

#include <algorithm>

#include "platform/files/sqlite/sqlite_support.hpp"

namespace vc::files::sqlite {

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

}  // namespace vc::files::sqlite
