// Keys over several short text fields: each field's folded copy must reach the index as
// it was, however many there are.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/keyed_table.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

struct Pair {
  char A[4];
  char B[4];
  char C[4];
};

TEST(ShortKeyFieldsTest, EveryKeyOrdersByItsOwnFields) {
  vc::testing::TempFolder folder;
  const TableSpec layout{
      "pairs",
      sizeof(Pair),
      {{"A", 0, 4, FieldKind::text}, {"B", 4, 4, FieldKind::text}, {"C", 8, 4, FieldKind::text}},
      {{"bya", {0}}, {"byb", {1}}, {"byc", {2, 0}}}};
  Pair row{};
  KeyedTable table(layout, "pairs.dat", &row);
  ASSERT_TRUE(table.create().ok());
  ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
  for (const char* abc : {"a1zb2yc3x", "a2yb1xc2z", "a3xb3zc1y"}) {
    std::memset(&row, ' ', sizeof row);
    std::memcpy(row.A, abc, 3);
    std::memcpy(row.B, abc + 3, 3);
    std::memcpy(row.C, abc + 6, 3);
    ASSERT_EQ(table.add(), FileError::none);
  }
  const std::vector<std::vector<std::string>> expected{
      {"a1z", "a2y", "a3x"}, {"a2y", "a1z", "a3x"}, {"a3x", "a2y", "a1z"}};
  for (std::size_t key = 0; key < 3; ++key) {
    SCOPED_TRACE(layout.keys[key].name);
    table.clearToLowest();
    table.set(KeyId{key});
    std::vector<std::string> read;
    while (table.next() == FileError::none) read.emplace_back(row.A, 3);
    EXPECT_EQ(read, expected[key]);
  }
}

}  // namespace
}  // namespace vc::files
