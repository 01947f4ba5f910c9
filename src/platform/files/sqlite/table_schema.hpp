// How a declared record layout is kept in SQLite, private to the keyed-table driver: the
// table and index definitions, the statements the driver prepares, its side tables, and the
// checks an open makes that a file holds exactly that layout with sound keys.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/record_layout.hpp"
#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

/// The stored form of one TableSpec. The table has a column "seq" for the order of
/// addition, the fields as declared, then a folded copy of every text field a key uses;
/// a key is an index over its components' stored columns. Every field's own column holds
/// its own value (a text without its trailing blanks, see RowInserter), so that any SQLite
/// client reads the rows as the program does. Files of an earlier form kept a text that
/// equals its folded copy only in the copy, its own column empty: a read falls back to
/// the copy for an empty own column, which in this form only an all-blank text has, and
/// its copy is all blanks too.
class TableSchema {
 public:
  explicit TableSchema(const TableSpec& layout) : layout_(layout) {}

  /// Whether a key uses field, so that the field needs a folded copy.
  bool inSomeKey(std::size_t field) const;
  /// The stored columns as (name, declared type), in table order.
  std::vector<std::pair<std::string, std::string>> columns() const;

  /// The insert of `rows` rows into the table, or into the staging table.
  std::string insertSql(bool staging = false, std::size_t rows = 1) const;
  std::string deleteSql() const;
  std::string countSql() const;
  /// The rows after (key value, seq) in the key's order, every field read, seq first.
  std::string scanAfterSql(std::size_t key) const;
  /// The rows before (key value, seq) in the key's order, backwards, as scanAfterSql.
  std::string scanBeforeSql(std::size_t key) const;
  /// The row with a given seq, seq first, then the given fields (every field when none).
  std::string byIdentitySql(std::span<const std::size_t> fields = {}) const;
  /// Every row's seq and its first `leading` key columns in the key's order, read from the
  /// key's index alone.
  std::string keyScanSql(std::size_t key, std::size_t leading) const;
  /// The rows with seq from ?1 to ?2 in the order of addition, as byIdentitySql.
  std::string rowRangeSql(std::span<const std::size_t> fields = {}) const;
  /// The key columns of the first (or last) row in the key's order.
  std::string edgeSql(std::size_t key, bool last) const;

  /// Whether the file holds no table at all, as a file just made does; the result is
  /// SQLite's code, the answer is valid only with SQLITE_OK.
  int probeFile(sqlite3* db, bool& noTable) const;
  /// Makes an empty file the table with its keys, in one transaction.
  FileStatus create(sqlite3* db) const;
  /// invalidRecordDeclaration unless the file holds the table with exactly the declared
  /// columns.
  FileStatus checkLayout(sqlite3* db) const;
  /// keyFileMustBeRebuilt when a key is missing, altered or leads nowhere at either end;
  /// a lock is accessDenied.
  FileStatus checkKeys(sqlite3* db) const;
  /// Recreates missing or altered keys and rebuilds every key from the rows.
  FileStatus rebuildKeys(sqlite3* db) const;

  // The staging table: where a stream that began on an empty table puts its batches,
  // without keys, so that the keys can be built once, from all the rows, at its end.
  // Readers never look at it; until it is folded in, its rows are not in the table.
  /// Whether the table has no row and whether a staging table is there; the result is
  /// SQLite's code, the answers are valid only with SQLITE_OK.
  int probe(sqlite3* db, bool& tableEmpty, bool& staged) const;
  /// Makes the staging table, with the table's columns and no keys.
  int createStaging(sqlite3* db) const;
  /// Drops the staging table and the rows it holds, if it is there.
  int dropStaging(sqlite3* db) const;
  /// Folds the staging table in, inside the caller's write transaction: when the table is
  /// still empty the staging table becomes it and the keys are built from its rows (the
  /// cheap way, by sorting); otherwise its rows are added after the table's, in their
  /// order. Either way the staging table is gone after.
  int foldStaging(sqlite3* db) const;

  // The gone table: the identities of the rows that one delete takes out of a large table
  // at once, in a temporary table of the connection's own. Deleting the rows from the
  // table alone, without its keys, and making the keys again from the rows that stay costs
  // far less than taking each row out of every key.
  /// Makes the gone table when it is missing, and empties it; SQLite's code.
  int clearGone(sqlite3* db) const;
  /// The insert of `rows` identities into the gone table; one already there is passed over.
  std::string markGoneSql(std::size_t rows) const;
  /// Drops every key, then deletes the rows the gone table names; SQLite's code.
  int deleteGone(sqlite3* db) const;
  /// Makes every key again from the rows (as the checks expect them), then empties the
  /// gone table; SQLite's code.
  int remakeKeys(sqlite3* db) const;

 private:
  std::string keyColumn(std::size_t field) const;
  std::string indexName(std::size_t key) const;
  std::string keyColumnList(std::size_t key) const;
  std::string createIndexSql(std::size_t key, bool ifNotExists) const;
  std::string createTableSql(const std::string& name) const;
  std::string stagingName() const;
  std::string rowColumns(std::span<const std::size_t> fields = {}) const;
  std::string scanSql(std::size_t key, bool after) const;
  std::string orderBy(std::size_t key, const char* direction) const;
  std::string dropKeysSql() const;
  std::string createKeysSql() const;

  const TableSpec& layout_;
};

/// An open-time SQLite failure: damage to the file's own structure makes it no valid file.
FileStatus openFailure(sqlite3* db, int rc);

}  // namespace vc::files::sqlite
