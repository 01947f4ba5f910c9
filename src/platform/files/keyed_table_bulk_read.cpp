// The keyed table's bulk reads, for work that visits a large part of the table once: a
// whole key read from its index alone, and many rows by identity.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/files/keyed_table.hpp"
#include "platform/files/sqlite/connection.hpp"
#include "platform/files/sqlite/opening.hpp"
#include "platform/files/sqlite/row_reader.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/table_schema.hpp"

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
    sqlite::appendKeyValue(layout_, components, st, 1, value);
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
  return sqlite::changeCountOf(open_->connection.db);
}

}  // namespace vc::files
