#include "platform/browse/step_locator.hpp"

#include <cstring>

#include "platform/text/text_ops.hpp"

namespace vc::browse {

LocatorStep StepLocator::take(int key, bool moved) {
  if (key < 1 || key > 255 || length_ == 0)
    return moved ? LocatorStep::accepted : LocatorStep::ignored;
  const char typed = static_cast<char>(key);
  const auto fold = [this](char c) { return ignoreCase_ ? text::upperCase(c) : c; };
  if (fold(field_[0]) == fold(typed)) return moved ? LocatorStep::accepted : LocatorStep::ignored;
  // The field becomes the character alone, so the search finds the first row at or
  // after it; upper-cased, as the keys that ignore case hold their texts.
  std::memset(field_, ' ', length_);
  field_[0] = fold(typed);
  return LocatorStep::accepted;
}

}  // namespace vc::browse
