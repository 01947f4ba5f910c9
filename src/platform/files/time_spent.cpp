#include "platform/files/time_spent.hpp"

namespace vc::files {
namespace {

std::atomic<TimeSpent*> installed{nullptr};

}  // namespace

void tallyTimeSpent(TimeSpent* tally) {
  installed.store(tally, std::memory_order_release);
}

TimeSpentOn::TimeSpentOn(std::atomic<std::int64_t> TimeSpent::*count) {
  TimeSpent* tally = installed.load(std::memory_order_acquire);
  if (tally == nullptr) return;
  count_ = &(tally->*count);
  start_ = std::chrono::steady_clock::now();
}

TimeSpentOn::~TimeSpentOn() {
  if (count_ == nullptr) return;
  const auto spent = std::chrono::steady_clock::now() - start_;
  count_->fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count(),
                    std::memory_order_relaxed);
}

}  // namespace vc::files
