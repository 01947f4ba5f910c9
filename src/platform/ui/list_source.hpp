// The data a list control shows: rows of fields, read by the engine at every redisplay.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

namespace vc::ui {

/// A field value: a text (bytes, Windows-1252) or a whole number.
using CellValue = std::variant<std::string, long long>;

class ListSource {
 public:
  virtual ~ListSource() = default;
  virtual std::size_t rowCount() const = 0;
  /// Field `field` (from 0) of row `row` (from 0); the list's columns take the fields in
  /// order.
  virtual CellValue cell(std::size_t row, std::size_t field) const = 0;
};

}  // namespace vc::ui
