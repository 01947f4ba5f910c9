// The insert of records as rows, private to the keyed-table driver: every field in its
// own column as declared, then the folded copies of the text fields that keys use
// (TableSchema).
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <vector>

#include "platform/files/record_layout.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"

namespace vc::files::sqlite {

class RowInserter {
 public:
  /// Records a statement of many takes at once: one statement per record would cost
  /// more than the rows themselves.
  static constexpr std::size_t kRowsPerStatement = 64;

  RowInserter(const TableSpec& layout, bool staging);

  /// Prepares the inserts on db; SQLite's code.
  int prepare(sqlite3* db);
  bool prepared() const { return static_cast<bool>(one_); }
  void release();
  /// Adds `count` records of layout.recordLength bytes each, in their order; SQLite's
  /// code, SQLITE_DONE when all were added (a failure may leave some of them added, for
  /// the caller's transaction to roll back).
  int insert(const unsigned char* records, std::size_t count);

 private:
  void bind(sqlite3_stmt* st, int& param, const unsigned char* record, unsigned char*& folded);
  static void bindOwnText(sqlite3_stmt* st, int param, const unsigned char* text,
                          std::size_t length);

  const TableSpec& layout_;
  bool staging_;
  std::vector<bool> keyed_;            // per field: a text field some key uses
  std::size_t foldedBytes_ = 0;        // of one record's folded copies
  std::vector<unsigned char> folded_;  // the copies, bound until the step
  Statement one_;
  Statement many_;
};

}  // namespace vc::files::sqlite
