// The read of stored rows back into records, private to the keyed-table driver: the
// counterpart of RowInserter, for a statement whose columns are a row's fields or a key's
// stored components (TableSchema).
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <span>
#include <string>

#include "platform/files/record_layout.hpp"

namespace vc::files::sqlite {

/// Reads a row's fields from column firstColumn on into a record buffer: every field in
/// layout order, or only the given ones in their order. Texts are blank-padded to their
/// length, bytes clamped to 0..255.
void readRowInto(const TableSpec& layout, unsigned char* record, sqlite3_stmt* st, int firstColumn,
                 std::span<const std::size_t> fields = {});

/// Appends the key value that the key columns from firstColumn on hold, one column for each
/// of the given components (fields of the layout): texts blank-padded to their length, as
/// the key holds them folded, bytes clamped to 0..255.
void appendKeyValue(const TableSpec& layout, std::span<const std::size_t> components,
                    sqlite3_stmt* st, int firstColumn, std::string& value);

}  // namespace vc::files::sqlite
