// Stored rows back into records and key values: a stored text may be shorter than its
// field (trailing blanks are not stored) or, in a file changed by another client, longer.
#include "platform/files/sqlite/row_reader.hpp"

#include <algorithm>
#include <cstring>

namespace vc::files::sqlite {
namespace {

/// The stored bytes of a text column, at most `length` of them.
std::size_t textBytes(sqlite3_stmt* st, int col, std::size_t length, const void*& bytes) {
  bytes = sqlite3_column_blob(st, col);
  return std::min(static_cast<std::size_t>(sqlite3_column_bytes(st, col)), length);
}

unsigned char byteOf(sqlite3_stmt* st, int col) {
  return static_cast<unsigned char>(std::clamp(sqlite3_column_int(st, col), 0, 255));
}

}  // namespace

void readRowInto(const TableSpec& layout, unsigned char* record, sqlite3_stmt* st, int firstColumn,
                 std::span<const std::size_t> fields) {
  const auto readField = [&](std::size_t i, int col) {
    const FieldSpec& f = layout.fields[i];
    unsigned char* dest = record + f.offset;
    if (f.kind == FieldKind::text) {
      const void* bytes = nullptr;
      const std::size_t n = textBytes(st, col, f.length, bytes);
      if (n > 0) std::memcpy(dest, bytes, n);
      std::memset(dest + n, ' ', f.length - n);
    } else {
      *dest = byteOf(st, col);
    }
  };
  int col = firstColumn;
  if (fields.empty()) {
    for (std::size_t i = 0; i < layout.fields.size(); ++i) readField(i, col++);
  } else {
    for (const std::size_t i : fields) readField(i, col++);
  }
}

void appendKeyValue(const TableSpec& layout, std::span<const std::size_t> components,
                    sqlite3_stmt* st, int firstColumn, std::string& value) {
  int col = firstColumn;
  for (const std::size_t c : components) {
    const FieldSpec& f = layout.fields[c];
    if (f.kind == FieldKind::text) {
      const void* bytes = nullptr;
      const std::size_t n = textBytes(st, col, f.length, bytes);
      if (n > 0) value.append(static_cast<const char*>(bytes), n);
      value.append(f.length - n, ' ');
    } else {
      value += static_cast<char>(byteOf(st, col));
    }
    ++col;
  }
}

}  // namespace vc::files::sqlite
