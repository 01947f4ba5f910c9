// Reading a test table back for assertions, shared by the keyed-table driver's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keyed_test_table.hpp"
#include "platform/files/keyed_table.hpp"

namespace vc::files::testing {

/// Every row's name in the order of the first key (name, then flag), read through the
/// declaration's own cursor into row, its buffer.
inline std::vector<std::string> namesInKeyOrder(KeyedTable& table, const TestRow& row) {
  std::vector<std::string> out;
  table.clearToLowest();
  table.set(KeyId{0});
  while (!table.eof()) {
    EXPECT_EQ(table.next(), FileError::none);
    out.push_back(row.name());
  }
  return out;
}

}  // namespace vc::files::testing
