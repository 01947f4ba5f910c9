#include "platform/files/sqlite/sqlite_support.hpp"

namespace vc::files::sqlite {

Statement::Statement(sqlite3* db, std::string_view sql, int& rc, bool persistent) {
  rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                          persistent ? SQLITE_PREPARE_PERSISTENT : 0, &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = other.stmt_;
    other.stmt_ = nullptr;
  }
  return *this;
}

void Statement::reset() const {
  if (stmt_ == nullptr) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

FileStatus statusOf(sqlite3* db, int rc, FileError otherwise) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return {};
  FileStatus status;
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      status.error = FileError::accessDenied;
      break;
    case SQLITE_NOTADB:
      status.error = FileError::invalidRecordDeclaration;
      break;
    default:
      status.error = otherwise;
      break;
  }
  status.driverCode = std::to_string(rc);
  // The connection's message belongs to its latest call only: once anything else has run
  // on it (a rollback, a setting put back) it tells of that call, and may say "not an
  // error". Then the code's own text is the one that explains rc.
  const bool messageIsRcs = db != nullptr && (sqlite3_extended_errcode(db) & 0xFF) == (rc & 0xFF);
  const char* message = messageIsRcs ? sqlite3_errmsg(db) : nullptr;
  status.driverText = message != nullptr ? message : sqlite3_errstr(rc);
  return status;
}

std::string quotedName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace vc::files::sqlite
