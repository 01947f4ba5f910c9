// The module list of one analysis: one entry per "MODULE(" line of the MAP, with the
// module's two counts. Plain data: the analysis window adapts it for its list.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text/fixed_text.hpp"

namespace vc::analysis {

struct ModuleEntry {
  vc::text::FixedText<20> NOMBRE;
  std::int16_t EXPORT = 0;     // declarations without "EXTERNAL" ("Locales")
  std::int16_t EXTERNALS = 0;  // declarations with "EXTERNAL" ("Externals")
};

class ModuleQueue {
 public:
  /// The entry buffer (prefix TAB1): what add() appends and get() fills.
  ModuleEntry TAB1;

  std::size_t records() const { return entries_.size(); }
  /// Appends the entry buffer.
  void add() { entries_.push_back(TAB1); }
  /// Fetches entry `position` (from 1) into the entry buffer; false when there is none.
  bool get(std::size_t position);
  /// Writes the entry buffer back to the position last fetched.
  void put();
  /// Sorts ascending by name, by byte value with trailing blanks ignored; equal names
  /// keep their order.
  void sortByName();
  const ModuleEntry& at(std::size_t position) const { return entries_.at(position - 1); }

 private:
  std::vector<ModuleEntry> entries_;
  std::size_t fetched_ = 0;
};

}  // namespace vc::analysis
