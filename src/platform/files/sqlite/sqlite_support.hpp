// Small helpers over the SQLite C interface for the keyed-table driver, private to it: an
// owning statement handle and the mapping of SQLite's result codes onto the file layer's.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

/// A prepared statement, finalized when dropped.
class Statement {
 public:
  Statement() = default;
  /// Prepares sql on db; on failure the statement is empty and rc says why.
  Statement(sqlite3* db, std::string_view sql, int& rc, bool persistent = false);
  ~Statement();
  Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }
  /// Resets the statement and clears its bindings, ending any read it had going.
  void reset() const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

/// Runs one or more statements without results.
int exec(sqlite3* db, const char* sql);

/// The file layer's answer for a SQLite result: a lock or a refusal is accessDenied, "not
/// a database" invalidRecordDeclaration; any other failure is `otherwise` with SQLite's
/// code and message. The message is the connection's when its latest failure was rc, else
/// rc's own text, so that a call made on db since the failure cannot take rc's explanation
/// away.
FileStatus statusOf(sqlite3* db, int rc, FileError otherwise = FileError::fileSystemError);

/// An identifier in double quotes.
std::string quotedName(std::string_view name);

}  // namespace vc::files::sqlite
