// The properties the text-file reader keeps whatever bytes it is given, checked over one
// input: every record is exactly its length, every read moves the position forward, and
// the reading ends. Shared by the fuzz target and the normal test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vc::files::fuzz {

/// Reads `size` bytes as a text file through the driver; false with the reason when a
/// property fails.
bool checkTextFileReader(const std::uint8_t* data, std::size_t size, std::string& why);

}  // namespace vc::files::fuzz
