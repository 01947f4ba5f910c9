// The description of a keyed file's record and keys, so that the keyed-table driver can
// store any record of fixed-length texts and bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vc::files {

/// A text field is blank-padded bytes of a fixed length; a byte field an unsigned byte.
enum class FieldKind { text, byte };

struct FieldSpec {
  std::string name;
  std::size_t offset;
  std::size_t length;  // 1 for a byte field
  FieldKind kind;
};

/// A key: fields (indexes into TableSpec::fields), each ascending, duplicates allowed.
/// Texts compare over their full length by unsigned byte, with only a to z taken as
/// capitals; bytes by value; equal keys keep the order in which the rows were added.
struct KeySpec {
  std::string name;
  std::vector<std::size_t> components;
};

struct TableSpec {
  std::string table;
  std::size_t recordLength;
  std::vector<FieldSpec> fields;
  std::vector<KeySpec> keys;
};

/// Every field at the lowest value of its type, so that any key formed from the record
/// sorts at or before every row's.
void clearToLowest(const TableSpec& layout, void* record);

}  // namespace vc::files
