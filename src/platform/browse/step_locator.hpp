// A step locator: typing a character in a browse's list looks for the first row whose
// field (the first component of the sort order's key) begins with it, without an entry
// control of its own.
#pragma once

#include <cstddef>

namespace vc::browse {

/// What a typed key does to the locator's field.
enum class LocatorStep {
  ignored,   // nothing to look for
  accepted,  // the browse is to go to the first row at or after the field's value
};

class StepLocator {
 public:
  /// `field` is the record buffer's field of `length` bytes that the locator searches.
  StepLocator(void* field, std::size_t length, bool ignoreCase = true)
      : field_(static_cast<char*>(field)), length_(length), ignoreCase_(ignoreCase) {}

  /// Given a character typed after the browse moved its selection on (`moved`: the row
  /// below the old selection is now in the record buffer): the field keeps that row's
  /// value when it begins with the character, else it becomes the character alone.
  /// Accepted whenever the selection moved or the field was set.
  LocatorStep take(int key, bool moved);

 private:
  char* field_;
  std::size_t length_;
  bool ignoreCase_;
};

}  // namespace vc::browse
