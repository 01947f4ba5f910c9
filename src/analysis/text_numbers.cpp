#include "analysis/text_numbers.hpp"

#include "platform/text/text_ops.hpp"

namespace vc::analysis {

std::uint32_t TextNumbers::numberOf(std::string_view text) {
  const std::string_view clipped = vc::text::clip(text);
  if (const auto found = numbers_.find(clipped); found != numbers_.end()) return found->second;
  const auto number = static_cast<std::uint32_t>(numbers_.size() + 1);
  numbers_.emplace(std::string(clipped), number);
  return number;
}

}  // namespace vc::analysis
