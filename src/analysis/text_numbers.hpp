// Numbers for texts, so that the purge can compare rows by number without keeping texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vc::analysis {

/// Gives equal texts equal numbers (from 1), so that rows can be compared by number
/// without keeping their texts. Texts are equal when their characters are, case counting
/// and trailing blanks not: the numbers are given to the texts clipped.
class TextNumbers {
 public:
  std::uint32_t numberOf(std::string_view text);
  void clear() { numbers_.clear(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> numbers_;
};

}  // namespace vc::analysis
