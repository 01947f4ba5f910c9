// The string step object: how far a text value has gone between a low and a high limit,
// in 100 even steps, for a progress bar over rows read in the order of a text key.
//
// The range is measured on the four characters that follow the limits' common
// beginning, each counted by its place in the character set (a character outside the
// set, and a place past a text's end, count as the set's first character).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vc::report {

namespace step_controls {
inline constexpr unsigned digits = 1u << 0;     // 0 to 9
inline constexpr unsigned lowerCase = 1u << 1;  // a to z
inline constexpr unsigned upperCase = 1u << 2;  // A to Z
}  // namespace step_controls

class StringStepObject {
 public:
  /// The places measured after the limits' common beginning.
  static constexpr std::size_t kPlaces = 4;

  /// Builds the character set of `controls` (in character-code order) and its lookup
  /// table. `lookupMode` 3 works the steps out from the limits given when the report
  /// starts, the one mode there is.
  void init(unsigned controls, int lookupMode);
  /// The lowest and highest value of the run.
  void setLimits(std::string_view low, std::string_view high);
  /// The steps `value` has reached: 1 to 100. With limits that leave no room between
  /// them (equal, or reversed by the character set), every value measures 100.
  int percentage(std::string_view value) const;
  /// Frees the step table and the character set; a second release changes nothing.
  void release();

  const std::string& characterSet() const { return set_; }

 private:
  long long measure(std::string_view value) const;

  std::string set_;
  std::array<int, 256> place_{};  // a byte's place in the set; 0 when outside it
  std::string prefix_;            // the limits' common beginning
  long long low_ = 0;
  long long high_ = 0;
};

}  // namespace vc::report
