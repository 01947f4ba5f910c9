// The floor of the analysis benchmark: the plainest ways to do the same work outside the
// system, reading the same files and building the same table with its two orders in
// plain SQLite.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vc::bench {

/// A text as the results table stores it: its bytes, and whether as TEXT or as a BLOB.
struct FloorText {
  std::string bytes;
  bool isText = true;
};

/// One row as the analysis added it, with the folded copies that its keys are built on.
struct FloorRow {
  FloorText modulo, nombre, tipo, modo;
  int external = 0;
  std::string keyModulo, keyNombre;
};

/// The rows of a results table in the order they were added, every column as stored.
std::vector<FloorRow> rowsInOrderOfAddition(const std::filesystem::path& table);

/// Reads every file of folder whole, as fast as the C++ library can; the bytes read.
std::size_t readFolder(const std::filesystem::path& folder);

/// Builds the table in a fresh file in one transaction with the results table's page size,
/// cache and sort threads: with both indexes made before the rows (`indexesFirst`) or
/// after them, sorted in runs the threads share.
/// Answers the seconds it took, from the empty file to the committed table.
double plainBuild(const std::filesystem::path& file, const std::vector<FloorRow>& rows,
                  bool indexesFirst);

}  // namespace vc::bench
