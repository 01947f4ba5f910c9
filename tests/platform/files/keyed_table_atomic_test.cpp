// An atomic change on the keyed table: kept whole by its commit, dropped whole otherwise.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "keyed_test_reads.hpp"
#include "keyed_test_table.hpp"
#include "platform/files/fault_points.hpp"
#include "platform/files/keyed_table.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using testing::kTestFile;
using testing::TestRow;
using testing::testSpec;

class KeyedTableAtomicTest : public ::testing::Test {
 protected:
  KeyedTableAtomicTest() { fill(); }
  ~KeyedTableAtomicTest() override { clearFaults(); }

  /// A new file holding A, B and C.
  void fill() {
    table.close();
    (void)table.remove();  // there is none the first time
    EXPECT_TRUE(table.create().ok());
    EXPECT_TRUE(table.open(kReadWriteDenyNone).ok());
    EXPECT_TRUE(table.stream().ok());
    for (const char* name : {"A", "B", "C"}) {
      row.set(name, 0);
      EXPECT_EQ(table.add(), FileError::none);
    }
    EXPECT_TRUE(table.flush().ok());
  }

  /// Deletes B and adds D inside one atomic change.
  void change() {
    ASSERT_TRUE(table.beginAtomic(std::chrono::seconds(0)).ok());
    table.clearToLowest();
    table.set(KeyId{0});
    std::vector<std::int64_t> doomed;
    while (!table.eof()) {
      ASSERT_EQ(table.next(), FileError::none);
      if (row.name() == "B") doomed.push_back(*table.currentRowId());
    }
    ASSERT_TRUE(table.deleteRows(doomed).ok());
    row.set("D", 0);
    ASSERT_EQ(table.add(), FileError::none);
  }
  std::vector<std::string> names() { return testing::namesInKeyOrder(table, row); }

  vc::testing::TempFolder folder;
  TestRow row{};
  KeyedTable table{testSpec(), kTestFile, &row};
};

TEST_F(KeyedTableAtomicTest, TheChangeIsKeptOrDroppedWhole) {
  const std::vector<std::string> before{"A", "B", "C"};
  const std::vector<std::string> after{"A", "C", "D"};
  struct Case {
    const char* name;
    void (*end)(KeyedTable&);
    const std::vector<std::string>& left;
  };
  const Case cases[] = {
      {"committed", [](KeyedTable& t) { ASSERT_TRUE(t.commitAtomic().ok()); }, after},
      {"committed, copied into the file by a helper meanwhile",
       [](KeyedTable& t) { ASSERT_TRUE(t.commitAtomic(/*settleMeanwhile=*/true).ok()); }, after},
      {"rolled back", [](KeyedTable& t) { t.rollbackAtomic(); }, before},
      {"closed without a commit", [](KeyedTable& t) { t.close(); }, before},
      {"its commit refused",
       [](KeyedTable& t) {
         refuseAt(FaultPoint::commit, 1, FileError::fileSystemError);
         EXPECT_EQ(t.commitAtomic().error, FileError::fileSystemError);
       },
       before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    change();
    c.end(table);
    EXPECT_FALSE(table.inAtomic());
    if (!table.isOpen()) {
      ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
    }
    EXPECT_EQ(names(), c.left);
    EXPECT_EQ(table.records(), c.left.size());
    fill();
  }
}

TEST_F(KeyedTableAtomicTest, AStreamAndAnAtomicChangeDoNotMix) {
  const std::int64_t anyRow = 1;
  EXPECT_EQ(table.deleteRows({&anyRow, 1}).error, FileError::accessDenied);
  ASSERT_TRUE(table.stream().ok());
  EXPECT_EQ(table.beginAtomic(std::chrono::seconds(0)).error, FileError::accessDenied);
  ASSERT_TRUE(table.flush().ok());
  ASSERT_TRUE(table.beginAtomic(std::chrono::seconds(0)).ok());
  EXPECT_EQ(table.stream().error, FileError::accessDenied);
  EXPECT_EQ(table.beginAtomic(std::chrono::seconds(0)).error, FileError::accessDenied);
  table.rollbackAtomic();
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
}

}  // namespace
}  // namespace vc::files
