// The floor of the analysis benchmark: the plainest ways to do the same work outside the
// system, reading the same files and building the same table with its two orders in
// plain SQLite.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vc::bench {

/// One row as the analysis added it.
struct FloorRow {
  std::string modulo, nombre, tipo, modo;
  int external = 0;
};

/// The rows of a results table in the order they were added, every field whole.
std::vector<FloorRow> rowsInOrderOfAddition(const std::filesystem::path& table);

/// Reads every file of folder whole, as fast as the C++ library can; the bytes read.
std::size_t readFolder(const std::filesystem::path& folder);

/// Builds the table in a fresh file in one transaction with the results table's page size
/// and cache: with both indexes made before the rows (`indexesFirst`) or after them.
/// Answers the seconds it took, from the empty file to the committed table.
double plainBuild(const std::filesystem::path& file, const std::vector<FloorRow>& rows,
                  bool indexesFirst);

}  // namespace vc::bench
