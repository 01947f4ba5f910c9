// Refusals that tests arrange at chosen points of the keyed-table driver, to see what a
// failing disk or a refusing system does to the code above. Nothing is arranged unless a
// test asks; the check is one relaxed load.
#pragma once

#include <cstdint>

#include "platform/os/file_error.hpp"

namespace vc::files {

enum class FaultPoint { deleteRow, commit };

/// The nth time from now (1 = the next) that point is reached, it fails with error, in
/// this process; any earlier arrangement for the point is replaced.
void refuseAt(FaultPoint point, std::uint64_t nth, FileError error);
/// Drops every arrangement.
void clearFaults();
/// For the driver: counts one arrival at point and answers the arranged error, if due.
FileError faultAt(FaultPoint point);

}  // namespace vc::files
