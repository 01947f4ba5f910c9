// The keyed-table driver: a file of fixed-layout records with keys, kept as a SQLite
// database. Each declaration is an opening of its own, with its own record buffer,
// current key and position; any number of declarations, in this process or others, may
// have the same file open.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/file_driver.hpp"
#include "platform/files/record_layout.hpp"
#include "platform/files/sqlite_support.hpp"

namespace vc::files {

/// A key of a declaration, by its place in the declaration's TableSpec.
struct KeyId {
  std::size_t index;
};

/// A place in one key's order: a key value (its components folded and concatenated) and
/// a place in the order of addition. Because it is not a place in the stored index, rows
/// added or deleted meanwhile never make a read skip or repeat a row.
struct CursorPosition {
  std::size_t key = 0;
  std::string keyValue;
  std::int64_t sequence = 0;  // kBeforeAll: before every row with keyValue
};

/// How a key's order is walked. Only forward reading is needed so far; a backward scan is
/// another statement per key with the comparison and the order reversed.
enum class Direction { forward };

class KeyedTable : public FileDriver {
 public:
  static constexpr std::int64_t kBeforeAll = INT64_MIN;

  /// `fileName` is the file's name as written (relative to the current folder at each
  /// open); `record` is the declaration's buffer of layout.recordLength bytes.
  KeyedTable(TableSpec layout, std::string fileName, void* record);
  ~KeyedTable() override;

  FileStatus open(std::uint8_t openMode) override;
  /// Creates the file as an empty table with all its keys.
  FileStatus create() override;
  /// Ends this opening; a stream still going is committed first.
  void close() override;
  bool isOpen() const override { return db_ != nullptr; }
  /// "Recover=n": wait up to n seconds for another opening's lock from now on.
  FileStatus sendOption(std::string_view option) override;
  /// Recreates missing or altered key definitions and rebuilds every key from the rows.
  FileStatus rebuildKeys() override;
  std::string name() const override { return fileName_; }

  /// REMOVE: deletes the file and its journal files. Refused with 5 while any declaration
  /// in this process or another process has the file open; then nothing is deleted.
  FileStatus remove();

  /// STREAM: from now on changes through this opening form one transaction...
  FileStatus stream();
  /// ...that FLUSH commits. On an opening not streamed it changes nothing.
  FileStatus flush();
  /// RECORDS: the number of rows.
  std::uint64_t records();
  /// CLEAR to lowest values of this declaration's buffer.
  void clearToLowest();
  /// SET by key (the key given as order and as start): the key becomes the current order
  /// and the position is before the first row whose key value is at or after the one
  /// formed from the buffer. Reads nothing.
  void set(KeyId key);
  /// EOF: no row follows the position in the current order. Reads nothing into the
  /// buffer and does not move.
  bool eof();
  /// NEXT: the row after the position into the buffer; 33 past the last row (and before
  /// any SET).
  FileError next();
  /// ADD: the buffer as a new row, after every row with an equal key value.
  FileError add();
  /// DELETE: the row last read by NEXT; the position stays where it was.
  FileError deleteCurrent();

  /// The error of the last record operation.
  FileError errorCode() const { return error_; }
  const TableSpec& layout() const { return layout_; }

 private:
  enum class ScanState { idle, pending, consumed };
  struct Scan {
    sqlite::Statement statement;
    ScanState state = ScanState::idle;
    std::uint64_t generation = 0;
  };

  FileStatus openConnection(const std::string& path, bool readOnly, sqlite3*& db) const;
  FileStatus createSchema(sqlite3* db) const;
  FileStatus checkLayout(sqlite3* db) const;
  FileStatus checkKeys(sqlite3* db) const;
  FileStatus prepareStatements();
  std::string keyValueOf(std::size_t key, const unsigned char* record) const;
  /// Makes the current scan stand on the row after the position; false at the end.
  bool peek();
  void stopScan();
  void bindRecord(sqlite3_stmt* st) const;
  void readRow(sqlite3_stmt* st);

  TableSpec layout_;
  std::string fileName_;
  unsigned char* record_;
  sqlite3* db_ = nullptr;
  std::string path_;  // the path this opening has, for the process's registry
  bool readOnly_ = false;
  bool streaming_ = false;
  int recoverSeconds_ = 0;
  FileError error_ = FileError::none;

  sqlite::Statement insert_;
  sqlite::Statement delete_;
  sqlite::Statement count_;
  std::vector<Scan> scans_;  // one forward scan per key

  std::optional<std::size_t> order_;
  CursorPosition position_;
  std::optional<std::int64_t> current_;
};

}  // namespace vc::files
