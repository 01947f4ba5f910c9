// The keyed table on a disk that fills up: a failure says what it was, an atomic change
// is kept whole or not at all, and a stream that cannot write all its rows leaves none of
// them behind, neither in the table nor waiting to be folded in later.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "keyed_test_reads.hpp"
#include "keyed_test_table.hpp"
#include "platform/files/keyed_table.hpp"
#include "staged_rows.hpp"
#include "support/full_disk.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using testing::kTestFile;
using testing::TestRow;
using testing::testSpec;
using vc::testing::TempFolder;

constexpr std::size_t kBatch = KeyedTable::kStreamBatchRows;
constexpr std::int64_t kPage = 4096;

std::string label(std::size_t n) {
  char name[16];
  std::snprintf(name, sizeof name, "F%07zu", n);
  return name;
}

class KeyedTableFullDiskTest : public ::testing::Test {
 protected:
  KeyedTableFullDiskTest() { afresh(); }

  /// A new empty file, open.
  void afresh() {
    table.close();
    disk.unlimited();
    for (const char* side : {"", "-wal", "-shm", "-journal"}) {
      std::filesystem::remove(std::string(kTestFile) + side);
    }
    ASSERT_TRUE(table.create().ok());
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
  }
  void expectDiskFull(const FileStatus& st) {
    EXPECT_EQ(st.error, FileError::fileSystemError);
    EXPECT_EQ(st.driverCode, "13");
    EXPECT_EQ(st.driverText, "database or disk is full");
  }
  /// Streams rows 1 to n; `grown` gets the files' growth with 0, 1, 2... batches written
  /// (a batch is handed to the stream's helper when the row after it comes, and counts as
  /// written once a reader sees it), the last before FLUSH.
  FileStatus stream(std::size_t n, std::vector<std::int64_t>* grown = nullptr) {
    EXPECT_TRUE(table.stream().ok());
    for (std::size_t i = 1; i <= n; ++i) {
      if (grown != nullptr && i > 1 && (i - 1) % kBatch == 0) {
        testing::waitForStaged(i - 1 - kBatch);
        grown->push_back(disk.grown());
      }
      row.set(label(i), 0, "disk");
      (void)table.add();  // a failed batch is answered by FLUSH
    }
    if (grown != nullptr) {
      testing::waitForStaged(kBatch * ((n - 1) / kBatch));
      grown->push_back(disk.grown());
    }
    return table.flush();
  }

  // The disk first: every connection the table opens goes through it.
  vc::testing::FullDisk disk;
  TempFolder folder;
  TestRow row{};
  KeyedTable table{testSpec(), kTestFile, &row};
};

TEST_F(KeyedTableFullDiskTest, AStreamThatRunsOutOfRoomLeavesNoneOfItsRows) {
  const std::size_t rows = 2 * kBatch + 1;
  // How much room the same stream took on a disk with room to spare: with none, one and
  // both of its batches written.
  std::vector<std::int64_t> grown;
  disk.forgetGrowth();
  ASSERT_TRUE(stream(rows, &grown).ok());
  ASSERT_EQ(grown.size(), 3u);
  ASSERT_EQ(table.records(), rows);

  struct Case {
    const char* name;
    std::int64_t room;
  };
  const Case cases[] = {
      {"the second batch finds no room", (grown[1] + grown[2]) / 2},
      {"the keys, made at FLUSH, find no room", grown[2] + 16 * kPage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(afresh());
    disk.forgetGrowth();
    disk.leaveRoom(c.room);
    const int refusedBefore = disk.refused();
    expectDiskFull(stream(rows));
    EXPECT_GT(disk.refused(), refusedBefore);
    EXPECT_EQ(table.records(), 0u);
    EXPECT_EQ(testing::namesInKeyOrder(table, row), std::vector<std::string>{});
    // With room again, a later stream's rows are all the table holds, also once an opening
    // that has the file to itself has looked for rows a stream left waiting.
    disk.unlimited();
    ASSERT_TRUE(stream(3).ok());
    EXPECT_EQ(testing::namesInKeyOrder(table, row),
              (std::vector<std::string>{label(1), label(2), label(3)}));
    table.close();
    EXPECT_EQ(vc::testing::plainView(kTestFile), "ok rows");
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
    EXPECT_EQ(table.records(), 3u);
  }
}

TEST_F(KeyedTableFullDiskTest, AnAtomicChangeWithoutRoomIsUndoneAndSaysWhy) {
  constexpr std::size_t kRows = 3000;
  struct Case {
    const char* name;
    std::size_t deleted;
  };
  const Case cases[] = {{"a few rows deleted one by one", 10},
                        {"most rows, the keys made again", kRows - 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(afresh());
    ASSERT_TRUE(stream(kRows).ok());
    // Closed, the file leaves no log whose room a change could use again.
    table.close();
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
    std::vector<std::int64_t> ids;
    ASSERT_TRUE(table
                    .scanKey(KeyId{0}, 1,
                             [&](std::int64_t id, std::string_view) {
                               ids.push_back(id);
                               return ids.size() < c.deleted;
                             })
                    .ok());
    disk.leaveRoom(0);
    ASSERT_TRUE(table.beginAtomic(std::chrono::seconds(1)).ok());
    FileStatus st = table.deleteRows(ids, {});
    if (st.ok()) st = table.commitAtomic(/*settleMeanwhile=*/false);
    table.rollbackAtomic();
    expectDiskFull(st);
    EXPECT_EQ(table.records(), kRows);
    disk.unlimited();
    ASSERT_TRUE(table.beginAtomic(std::chrono::seconds(1)).ok());
    ASSERT_TRUE(table.deleteRows(ids, {}).ok());
    ASSERT_TRUE(table.commitAtomic(/*settleMeanwhile=*/false).ok());
    EXPECT_EQ(table.records(), kRows - c.deleted);
  }
}

}  // namespace
}  // namespace vc::files
