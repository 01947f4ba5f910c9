#include "platform/files/fault_points.hpp"

#include <array>
#include <atomic>
#include <mutex>

namespace vc::files {
namespace {

struct Arrangement {
  std::uint64_t remaining = 0;  // arrivals left until the refusal; 0: none arranged
  FileError error = FileError::none;
};

std::atomic<bool> anyArranged{false};
std::mutex guard;
std::array<Arrangement, 2> arrangements;

}  // namespace

void refuseAt(FaultPoint point, std::uint64_t nth, FileError error) {
  const std::lock_guard lock(guard);
  arrangements[static_cast<std::size_t>(point)] = {nth, error};
  anyArranged.store(true, std::memory_order_relaxed);
}

void clearFaults() {
  const std::lock_guard lock(guard);
  arrangements = {};
  anyArranged.store(false, std::memory_order_relaxed);
}

FileError faultAt(FaultPoint point) {
  if (!anyArranged.load(std::memory_order_relaxed)) return FileError::none;
  const std::lock_guard lock(guard);
  Arrangement& a = arrangements[static_cast<std::size_t>(point)];
  if (a.remaining == 0 || --a.remaining != 0) return FileError::none;
  return a.error;
}

}  // namespace vc::files
