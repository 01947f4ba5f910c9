// What a control shows of the program's variables: the one interface through which every
// bound control (a list over its rows, a string or a progress bar over one variable) reads
// its data, at every redisplay.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

namespace vc::ui {

/// A field value: a text (bytes, Windows-1252) or a whole number.
using CellValue = std::variant<std::string, long long>;

class Binding {
 public:
  virtual ~Binding() = default;
  /// How many rows there are: a list's entries, 1 for a single variable.
  virtual std::size_t rowCount() const = 0;
  /// Field `field` (from 0) of row `row` (from 0); a list's columns take the fields in
  /// order, a single variable is field 0 of row 0.
  virtual CellValue cell(std::size_t row, std::size_t field) const = 0;
};

}  // namespace vc::ui
