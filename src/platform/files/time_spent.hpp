// Where the file drivers spend their callers' time, added up for a benchmark that wants to
// see inside one run where an analysis goes. Nothing is measured unless a tally is
// installed; without one, each measured operation costs one load and a branch.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vc::files {

/// Nanoseconds spent, added up while the tally is installed.
struct TimeSpent {
  /// In the text-file driver: open, create, close, SET, EOF and NEXT.
  std::atomic<std::int64_t> reading{0};
  /// In a stream's ADD and FLUSH, while their caller waits for them.
  std::atomic<std::int64_t> adding{0};
  /// Writing a stream's batches on its helper thread, while the caller goes on.
  std::atomic<std::int64_t> writing{0};
};

/// Installs the tally, or none with nullptr. The caller keeps it alive while installed.
void tallyTimeSpent(TimeSpent* tally);

/// For the drivers: adds the time from its making to its end to one count of the tally
/// that was installed when it was made.
class TimeSpentOn {
 public:
  explicit TimeSpentOn(std::atomic<std::int64_t> TimeSpent::*count);
  ~TimeSpentOn();
  TimeSpentOn(const TimeSpentOn&) = delete;
  TimeSpentOn& operator=(const TimeSpentOn&) = delete;

 private:
  std::atomic<std::int64_t>* count_ = nullptr;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace vc::files
