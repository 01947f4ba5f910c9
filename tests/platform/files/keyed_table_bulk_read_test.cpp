// Reads of many rows at once: a key's values alone in its order, chosen fields of given
// rows in the order of addition, and the count that tells another opening's changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "keyed_test_table.hpp"
#include "platform/files/keyed_table.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using testing::kTestFile;
using testing::TestRow;
using testing::testSpec;

class KeyedTableBulkReadTest : public ::testing::Test {
 protected:
  KeyedTableBulkReadTest() {
    EXPECT_TRUE(table.create().ok());
    EXPECT_TRUE(table.open(kReadWriteDenyNone).ok());
  }

  /// Adds the rows in this order; row k gets the identity k (from 1).
  void add(const std::vector<std::pair<std::string, int>>& rows) {
    ASSERT_TRUE(table.stream().ok());
    for (const auto& [name, flag] : rows) {
      std::string info = "i";
      info.append(name);
      row.set(name, flag, info);
      ASSERT_EQ(table.add(), FileError::none);
    }
    ASSERT_TRUE(table.flush().ok());
  }

  vc::testing::TempFolder folder;
  TestRow row{};
  KeyedTable table{testSpec(), kTestFile, &row};
};

TEST_F(KeyedTableBulkReadTest, AKeyIsReadAloneInItsOrderWithAsManyComponentsAsAsked) {
  add({{"b", 1}, {"A", 0}, {"a", 1}, {"C", 0}, {"a", 1}});
  using Seen = std::vector<std::pair<std::int64_t, std::string>>;
  const std::string pad(7, ' ');
  struct Case {
    const char* name;
    KeyId key;
    std::size_t leading;
    std::size_t stopAfter;  // rows taken before `each` answers false
    Seen expected;
  };
  const Case cases[] = {
      {"the name alone, folded; equal keys in the order of addition",
       KeyId{0},
       1,
       99,
       {{2, "A" + pad}, {3, "A" + pad}, {5, "A" + pad}, {1, "B" + pad}, {4, "C" + pad}}},
      {"name and flag",
       KeyId{0},
       2,
       99,
       {{2, "A" + pad + '\0'},
        {3, "A" + pad + '\1'},
        {5, "A" + pad + '\1'},
        {1, "B" + pad + '\1'},
        {4, "C" + pad + '\0'}}},
      {"more components than the key has give the whole key",
       KeyId{1},
       9,
       99,
       {{2, std::string(1, '\0') + "A" + pad},
        {4, std::string(1, '\0') + "C" + pad},
        {3, "\1A" + pad},
        {5, "\1A" + pad},
        {1, "\1B" + pad}}},
      {"stopped early", KeyId{0}, 1, 2, {{2, "A" + pad}, {3, "A" + pad}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Seen seen;
    const FileStatus st = table.scanKey(c.key, c.leading, [&](std::int64_t id, std::string_view v) {
      seen.emplace_back(id, std::string(v));
      return seen.size() < c.stopAfter;
    });
    EXPECT_TRUE(st.ok());
    EXPECT_EQ(seen, c.expected);
  }
  EXPECT_FALSE(
      table.scanKey(KeyId{7}, 1, [](std::int64_t, std::string_view) { return true; }).ok());
}

TEST_F(KeyedTableBulkReadTest, ChosenFieldsOfGivenRowsAreReadInTheOrderOfAddition) {
  std::vector<std::pair<std::string, int>> rows;
  for (int i = 1; i <= 200; ++i) {
    std::string name = "N";  // appended, not concatenated, which keeps GCC 12's -Wrestrict quiet
    name.append(std::to_string(i));
    rows.emplace_back(name, i % 2);
  }
  add(rows);
  // Rows 10 and 11 are gone.
  ASSERT_TRUE(table.beginAtomic(std::chrono::seconds(0)).ok());
  const std::int64_t gone[] = {10, 11};
  ASSERT_TRUE(table.deleteRows(gone).ok());
  ASSERT_TRUE(table.commitAtomic().ok());

  const std::vector<std::size_t> nameOnly{0};
  struct Case {
    const char* name;
    std::vector<std::int64_t> ids;
    std::vector<std::size_t> fields;
    std::vector<std::string> expected;  // name|info of each row heard, in order
  };
  const Case cases[] = {
      {"close together, walked: gone rows and repeats passed over",
       {8, 9, 10, 11, 12, 12, 13},
       {},
       {"N8|iN8", "N9|iN9", "N12|iN12", "N13|iN13"}},
      {"far apart, sought one by one",
       {1, 11, 100, 200, 500},
       {},
       {"N1|iN1", "N100|iN10", "N200|iN20"}},
      {"the name alone: the other fields keep what they held",
       {3, 150},
       nameOnly,
       {"N3|keep", "N150|keep"}},
      {"the name alone, walked", {3, 4, 5}, nameOnly, {"N3|keep", "N4|keep", "N5|keep"}},
      {"none", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    row.set("", 0, "keep");
    std::vector<std::string> heard;
    const FileStatus st = table.readRows(c.ids, c.fields, [&](std::int64_t) {
      std::string info(row.INFO, sizeof row.INFO);
      heard.push_back(row.name() + "|" + info.substr(0, info.find_last_not_of(' ') + 1));
      return true;
    });
    EXPECT_TRUE(st.ok());
    EXPECT_EQ(heard, c.expected);
  }
  // Stopped after the first row heard.
  int heard = 0;
  const std::int64_t two[] = {1, 2};
  EXPECT_TRUE(table.readRows(two, {}, [&](std::int64_t) { return ++heard < 1; }).ok());
  EXPECT_EQ(heard, 1);
  const std::size_t noSuchField[] = {9};
  EXPECT_FALSE(table.readRows(two, noSuchField, [](std::int64_t) { return true; }).ok());
}

TEST_F(KeyedTableBulkReadTest, TheChangeCountMovesWithAnotherOpeningsChangesOnly) {
  add({{"A", 0}});
  TestRow otherRow{};
  KeyedTable other{testSpec(), kTestFile, &otherRow};
  ASSERT_TRUE(other.open(kReadWriteDenyNone).ok());
  const auto before = table.changeCount();
  ASSERT_TRUE(before.has_value());

  row.set("B", 0);
  ASSERT_EQ(table.add(), FileError::none);
  EXPECT_EQ(table.changeCount(), before) << "its own change";

  otherRow.set("C", 0);
  ASSERT_EQ(other.add(), FileError::none);
  EXPECT_NE(table.changeCount(), before) << "another opening's change";
  other.close();
  table.close();
  EXPECT_FALSE(table.changeCount().has_value());
}

}  // namespace
}  // namespace vc::files
