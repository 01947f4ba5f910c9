#include "platform/report/string_step.hpp"

#include <algorithm>

namespace vc::report {

void StringStepObject::init(unsigned controls, int /*lookupMode*/) {
  set_.clear();
  for (int c = 0; c < 256; ++c) {
    const bool in = ((controls & step_controls::digits) && c >= '0' && c <= '9') ||
                    ((controls & step_controls::upperCase) && c >= 'A' && c <= 'Z') ||
                    ((controls & step_controls::lowerCase) && c >= 'a' && c <= 'z');
    if (in) set_ += static_cast<char>(c);
  }
  place_.fill(0);
  for (std::size_t i = 0; i < set_.size(); ++i)
    place_[static_cast<unsigned char>(set_[i])] = static_cast<int>(i);
  prefix_.clear();
  low_ = high_ = 0;
}

long long StringStepObject::measure(std::string_view value) const {
  // A number in base "size of the set" from the places after the common beginning.
  const long long base = std::max<long long>(static_cast<long long>(set_.size()), 1);
  long long n = 0;
  for (std::size_t i = 0; i < kPlaces; ++i) {
    const std::size_t at = prefix_.size() + i;
    const int digit = at < value.size() ? place_[static_cast<unsigned char>(value[at])] : 0;
    n = n * base + digit;
  }
  return n;
}

void StringStepObject::setLimits(std::string_view low, std::string_view high) {
  std::size_t common = 0;
  while (common < low.size() && common < high.size() && low[common] == high[common]) ++common;
  prefix_.assign(low.substr(0, common));
  low_ = measure(low);
  high_ = measure(high);
}

int StringStepObject::percentage(std::string_view value) const {
  // No room between the limits: the run is one step long and every row completes it.
  if (high_ <= low_) return 100;
  const long long steps = (measure(value) - low_) * 100 / (high_ - low_);
  return static_cast<int>(std::clamp<long long>(steps, 1, 100));
}

void StringStepObject::release() {
  std::string().swap(set_);
  std::string().swap(prefix_);
  place_.fill(0);
  low_ = high_ = 0;
}

}  // namespace vc::report
