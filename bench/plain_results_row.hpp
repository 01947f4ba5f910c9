// How the plain-SQLite floors keep a results row, the same columns as the results table:
// each text in its own column without its trailing blanks (the benchmarks' texts are
// plain ASCII, so TEXT), and the names' folded copies whole, for the keys.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstring>
#include <string_view>

namespace vc::bench {

/// The plain table's columns, in the results table's order.
inline constexpr const char* kPlainRowColumns =
    "modulo BLOB, nombre BLOB, tipo BLOB, modo BLOB, external INTEGER, diferente INTEGER,"
    " kmod BLOB, knom BLOB";

/// Binds a text as its own column holds it.
inline void bindOwnText(sqlite3_stmt* st, int param, std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  sqlite3_bind_text(st, param, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

/// Reads a text column into a field of `length` bytes, padded with blanks.
inline void readPadded(sqlite3_stmt* st, int column, char* field, std::size_t length) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, column));
  std::size_t n = static_cast<std::size_t>(sqlite3_column_bytes(st, column));
  if (n > length) n = length;
  if (n > 0) std::memcpy(field, bytes, n);
  std::memset(field + n, ' ', length - n);
}

}  // namespace vc::bench
