// STREAM and FLUSH on the keyed table: batches, two processes on one file, a lock that
// outlasts the wait, a process killed in the middle, and REMOVE against an early opening.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "keyed_test_reads.hpp"
#include "keyed_test_table.hpp"
#include "peer_process.hpp"
#include "platform/files/keyed_table.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using testing::kTestFile;
using testing::Peer;
using testing::TestRow;
using testing::testSpec;
using vc::testing::TempFolder;

constexpr std::size_t kBatch = KeyedTable::kStreamBatchRows;

/// A name of eight characters: a letter and a number.
std::string label(char letter, std::size_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "%c%07zu", letter, n % 10000000);
  return name;
}

/// What plain SQLite says of the file: its integrity check, and the rows it holds in the
/// table proper (rows a stream has only staged do not count).
std::string integrity() {
  sqlite3* db = nullptr;
  std::string answer = "cannot open";
  if (sqlite3_open_v2(kTestFile, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      answer = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return answer;
}

class KeyedTableStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table.sendOption("Recover=10").ok());
    FileStatus st = table.open(kReadWriteDenyNone);
    if (st.error == FileError::fileNotFound) {
      ASSERT_TRUE(table.create().ok());
      st = table.open(kReadWriteDenyNone);
    }
    ASSERT_TRUE(st.ok()) << st.driverText;
  }
  void add(const std::string& name, int flag = 0) {
    row.set(name, flag, "me");
    ASSERT_EQ(table.add(), FileError::none);
  }
  std::vector<std::string> names() { return testing::namesInKeyOrder(table, row); }

  TempFolder folder;
  TestRow row{};
  KeyedTable table{testSpec(), kTestFile, &row};
};

TEST_F(KeyedTableStreamTest, AStreamIsWrittenInBatchesThatOtherProcessesSee) {
  ASSERT_TRUE(table.stream().ok());
  for (std::size_t i = 0; i < 2 * kBatch + 1; ++i) add(label('R', i));
  // Two whole batches are in the file for everyone; the third waits for FLUSH. The table
  // was empty, so the batches wait beside it until the keys are built.
  EXPECT_EQ(Peer({"count"}).finish(), (std::pair<int, std::string>{0, "0\n"}));
  ASSERT_TRUE(table.flush().ok());
  EXPECT_EQ(Peer({"count"}).finish(), (std::pair<int, std::string>{0, "20001\n"}));
  EXPECT_EQ(table.records(), 2 * kBatch + 1);
  EXPECT_EQ(integrity(), "ok");
}

TEST_F(KeyedTableStreamTest, ThisOpeningReadsItsOwnStreamedRows) {
  add("B");
  ASSERT_TRUE(table.stream().ok());
  add("A");
  add("C");
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(table.records(), 3u);
  add("D");
  ASSERT_TRUE(table.flush().ok());
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(KeyedTableStreamTest, TwoProcessesAddToOneFileAndNoRowIsLost) {
  struct Case {
    const char* name;
    std::vector<std::string> peer;
    bool weStream;
  };
  const Case cases[] = {
      {"we stream while the peer adds one row at a time", {"add-each", "2000"}, true},
      {"the peer streams while we add one row at a time", {"stream", "40000"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    table.close();
    std::filesystem::remove(kTestFile);
    SetUp();
    Peer peer(c.peer);
    const std::size_t ours = c.weStream ? 40000 : 2000;
    if (c.weStream) {
      ASSERT_TRUE(table.stream().ok());
    }
    for (std::size_t i = 0; i < ours; ++i) {
      add(label('M', i));
      if (!c.weStream) (void)table.records();  // reads between the other's batches
    }
    if (c.weStream) {
      EXPECT_TRUE(table.flush().ok());
    }
    const auto [status, output] = peer.finish();
    EXPECT_EQ(status, 0) << output;
    const std::vector<std::string> all = names();
    EXPECT_EQ(all.size(), ours + (c.weStream ? 2000 : 40000));
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
    EXPECT_EQ(table.records(), all.size());
    EXPECT_EQ(integrity(), "ok");
  }
}

TEST_F(KeyedTableStreamTest, ABatchThatCannotBeWrittenIsRolledBackAndAnswered) {
  add("OLD");
  ASSERT_TRUE(table.sendOption("Recover=1").ok());
  ASSERT_TRUE(table.stream().ok());
  for (std::size_t i = 0; i < kBatch + 1; ++i) add(label('N', i));
  // One batch is in; another process now holds the write lock past the wait.
  Peer lock({"write-lock"});
  ASSERT_TRUE(lock.ready());
  // The next batch fills up and is written when the row after it comes: it meets the
  // lock, fails, and what comes after it is dropped, not written later.
  for (std::size_t i = 0; i < kBatch - 1; ++i) add(label('L', i));
  for (const char* name : {"L", "LATE"}) {
    row.set(name, 0);
    EXPECT_EQ(table.add(), FileError::accessDenied) << name;
  }
  lock.stop();
  EXPECT_EQ(lock.finish().first, 0);
  const FileStatus flushed = table.flush();
  EXPECT_EQ(flushed.error, FileError::accessDenied);
  EXPECT_EQ(table.records(), 1 + kBatch);
  const std::vector<std::string> all = names();
  EXPECT_EQ(all.back(), "OLD");
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const std::string& n) { return n[0] == 'L'; }),
            0);
  // The stream is over: rows go in again.
  add("AFTER");
  EXPECT_EQ(table.records(), 2 + kBatch);
}

TEST_F(KeyedTableStreamTest, AProcessKilledInAStreamLeavesWholeBatches) {
  // A batch is handed to the stream's helper thread when the row after it comes, so a
  // process killed after its k-th ADD has written kBatch * ((k - 1) / kBatch) rows once the
  // helper is through; killed at once, the batch the helper had in hand may be missing,
  // whole. Either way the rows kept are the first whole batches the peer added.
  table.close();
  struct Case {
    const char* when;
    std::size_t k;
  };
  std::vector<Case> cases;
  for (const char* when : {"stream-kill-written", "stream-kill"}) {
    for (const std::size_t k : {kBatch - 1, kBatch, kBatch + 1, 2 * kBatch + 7}) {
      cases.push_back({when, k});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.when) + " " + std::to_string(c.k));
    const std::size_t k = c.k;
    std::filesystem::remove(kTestFile);
    ASSERT_TRUE(table.create().ok());
    EXPECT_EQ(Peer({c.when, std::to_string(k)}).finish().first, -SIGKILL);
    EXPECT_EQ(integrity(), "ok");
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
    const std::size_t written = kBatch * ((k - 1) / kBatch);
    const std::size_t kept = table.records();
    if (std::string(c.when) == "stream-kill-written" || written == 0) {
      EXPECT_EQ(kept, written);
    } else {
      EXPECT_TRUE(kept == written || kept == written - kBatch) << kept;
    }
    // Both key orders hold the same whole rows: the first `kept` the peer added.
    std::vector<std::string> expected;
    for (std::size_t i = 1; i <= kept; ++i) expected.push_back(label('S', i));
    EXPECT_EQ(names(), expected);
    std::vector<std::string> byOrder;
    table.clearToLowest();
    table.set(KeyId{1});
    while (!table.eof()) {
      ASSERT_EQ(table.next(), FileError::none);
      EXPECT_EQ(std::string(row.INFO, 4), "peer");
      byOrder.push_back(row.name());
    }
    std::sort(byOrder.begin(), byOrder.end());
    EXPECT_EQ(byOrder, expected);
    table.close();
    EXPECT_EQ(integrity(), "ok");
    // The next analysis starts from an empty table.
    ASSERT_TRUE(table.remove().ok());
    ASSERT_TRUE(table.create().ok());
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
    EXPECT_EQ(table.records(), 0u);
    table.close();
  }
}

TEST_F(KeyedTableStreamTest, AnOpeningThatBeganBeforeARemoveFindsItsFileGone) {
  add("A");
  table.close();
  // The peer has the file but not yet its lock, as an opening has between the two.
  Peer early({"early-open"});
  ASSERT_TRUE(early.ready());
  ASSERT_TRUE(table.remove().ok());
  TempFolder::write("go", "1");
  EXPECT_EQ(early.finish(), (std::pair<int, std::string>{0, "moved 0\n"}));
  EXPECT_FALSE(std::filesystem::exists(kTestFile));
  for (const char* side : {"-wal", "-shm", "-journal"}) {
    EXPECT_FALSE(std::filesystem::exists(std::string(kTestFile) + side)) << side;
  }
}

}  // namespace
}  // namespace vc::files
