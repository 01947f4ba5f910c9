// The purge's table work, without a window: which rows go, that each pass is whole or
// nothing (refusals, a peer's lock, a read-only file, a process killed inside a pass).
#include "analysis/purge_table.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/fault_points.hpp"
#include "store/store.hpp"
#include "support/resumen_rows.hpp"
#include "support/temp_folder.hpp"

namespace vc::analysis {
namespace {

using vc::files::FaultPoint;
using vc::files::FileError;
using vc::store::RES;
using vc::store::resumen;
using vc::store::ResumenFile;
using Row = vc::testing::ResumenRow;

std::string textOf(const vc::store::ResumenRecord& r) {
  return std::string(r.NOMBRE.clipped()) + "|" + std::string(r.TIPO.clipped()) + "|" +
         std::string(r.MODULO.clipped()) + "|" + std::to_string(r.EXTERNAL) + "|" +
         std::string(r.MODO.clipped());
}

std::string textOf(const Row& row) {
  vc::store::ResumenRecord r{};
  vc::testing::fillRecord(row, r);
  return textOf(r);
}

class PurgeTableTest : public ::testing::Test {
 protected:
  PurgeTableTest() {
    vc::store::attachThreadFiles();
    EXPECT_TRUE(resumen().create().ok());
    open();
  }
  ~PurgeTableTest() override {
    vc::files::clearFaults();
    resumen().close();
    vc::store::detachThreadFiles();
  }

  static void open() { ASSERT_TRUE(resumen().open(vc::files::kReadWriteDenyNone).ok()); }
  static void close() { resumen().close(); }
  /// A new resumen.dat, open, holding rows.
  static void afresh(const std::vector<Row>& rows) {
    close();
    ASSERT_TRUE(resumen().remove().ok());
    ASSERT_TRUE(resumen().create().ok());
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(vc::testing::addResumenRows(rows));
  }

  /// Every row, every field, in the key's order.
  static std::vector<std::string> rowsBy(vc::files::KeyId key) {
    std::vector<std::string> out;
    resumen().clearToLowest();
    resumen().set(key);
    while (!resumen().eof()) {
      EXPECT_EQ(resumen().next(), FileError::none);
      out.push_back(textOf(RES));
    }
    return out;
  }
  struct Snapshot {
    std::vector<std::string> byName = rowsBy(ResumenFile::indnom);
    std::vector<std::string> byModule = rowsBy(ResumenFile::indmod);
    bool operator==(const Snapshot&) const = default;
  };

  static std::string integrity() {
    sqlite3* db = nullptr;
    std::string answer = "not opened";
    if (sqlite3_open_v2("resumen.dat", &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_exec(
          db, "PRAGMA integrity_check",
          [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0] ? values[0] : "";
            return 0;
          },
          &answer, nullptr);
    }
    sqlite3_close(db);
    return answer;
  }

  vc::testing::TempFolder folder;
};

// The worked example in name order: pass 1 takes FECHA, pass 2 both rows of CNT.
const std::vector<Row> kExample = {
    {"CNT", "LONG", "COMPRAS", 0},    {"CNT", "LONG", "VENTAS", 1},
    {"FECHA", "LONG", "VENTAS", 0},   {"TOTAL", "DECIMAL(10", "COMPRAS", 0},
    {"TOTAL", "LONG", "VENTAS", 0},   {"X", "STRING(20)", "VENTAS", 0},
    {"X", "STRING(30)", "VENTAS", 1},
};

struct PurgeCase {
  const char* name;
  std::vector<Row> rows;
  std::vector<int> kept;  // 1-based places in rows, in name order
};

TEST_F(PurgeTableTest, KeepsExactlyTheNamesWithDifferingTypes) {
  const std::string long30(30, 'L');
  const PurgeCase cases[] = {
      {"the worked example", kExample, {4, 5, 6, 7}},
      {"one module: a name declared once goes, twice stays only with two types",
       {{"A", "LONG"}, {"B", "LONG"}, {"B", "LONG"}, {"C", "LONG"}, {"C", "SHORT"}},
       {4, 5}},
      {"one type everywhere goes, whatever the modules, EXTERNAL flags and MODO texts",
       {{"N", "LONG", "MODA", 0, "STATIC"},
        {"N", "LONG", "MODB", 1, "EXTERNAL"},
        {"N", "LONG", "MODC", 0, ""}},
       {}},
      {"a module listed twice: its single declaration forms a group of two equal rows",
       {{"V", "LONG"}, {"V", "LONG"}},
       {}},
      {"types differing only in case differ", {{"T", "long"}, {"T", "LONG"}}, {1, 2}},
      {"types equal in their 30 stored characters are equal",
       {{"T", long30 + "A"}, {"T", long30 + "B"}},
       {}},
      {"names differing only in case are two names, each declared once",
       {{"CNT", "LONG"}, {"cnt", "SHORT"}},
       {}},
      {"blank names form a group like any other",
       {{"", "LONG"}, {"", "SHORT"}, {"B", "LONG"}},
       {1, 2}},
      {"the last group is counted to the end of the table",
       {{"A", "LONG"}, {"Z", "LONG"}, {"Z", "SHORT"}},
       {2, 3}},
      {"a single declaration at the end of the table goes",
       {{"A", "LONG"}, {"A", "SHORT"}, {"Z", "LONG"}},
       {1, 2}},
      {"rows of equal key stay in the order they were added",
       {{"X", "T1", "M", 0, "first"}, {"X", "T2", "M", 0, "second"}, {"X", "T1", "M", 0, "third"}},
       {1, 2, 3}},
      {"equal names with small letters form a group like capitals",
       {{"cnt", "LONG", "A"}, {"cnt", "LONG", "B"}, {"cnt", "SHORT", "C"}, {"cnt", "LONG", "D", 1}},
       {1, 2, 3, 4}},
      {"groups that pass 1 makes adjacent are one group in pass 2",
       {{"a", "LONG", "M1"},
        {"a", "LONG", "M2"},
        {"A", "LONG", "M3"},
        {"a", "LONG", "M4"},
        {"a", "SHORT", "M5"}},
       {1, 2, 4, 5}},
      {"names folding alike but differing in case, each in two rows",
       {{"Ab", "LONG", "M1"}, {"aB", "LONG", "M2"}, {"Ab", "LONG", "M3"}, {"aB", "SHORT", "M4"}},
       {}},
      {"every row deleted", {{"A", "LONG"}, {"B", "LONG"}, {"B", "LONG"}}, {}},
      {"an empty table", {}, {}},
  };
  // The rows of shared names are judged a slice at a time: slices of one run and of a
  // few runs give what one slice for the whole table gives.
  for (const std::size_t slice : {PurgeOptions{}.sliceRows, std::size_t{1}, std::size_t{3}}) {
    for (const PurgeCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", slices of " + std::to_string(slice) + " rows");
      ASSERT_NO_FATAL_FAILURE(afresh(c.rows));
      std::vector<std::string> expected;
      for (int k : c.kept) expected.push_back(textOf(c.rows[static_cast<std::size_t>(k - 1)]));

      PurgeOptions options;
      options.sliceRows = slice;
      const PurgeOutcome first = purgeTable(options);
      EXPECT_TRUE(first.ok()) << static_cast<int>(first.status.error);
      EXPECT_EQ(first.passesCommitted, 2);
      EXPECT_EQ(first.rowsDeleted, c.rows.size() - c.kept.size());
      EXPECT_EQ(rowsBy(ResumenFile::indnom), expected);
      EXPECT_EQ(resumen().records(), c.kept.size());

      // Purging again deletes nothing.
      const Snapshot once;
      const PurgeOutcome second = purgeTable(options);
      EXPECT_TRUE(second.ok());
      EXPECT_EQ(second.rowsDeleted, 0u);
      EXPECT_EQ(Snapshot{}, once);
    }
  }
}

TEST_F(PurgeTableTest, GroupsLargerThanSixteenBitsAreCountedWhole) {
  constexpr std::size_t kRows = 65537;
  struct Case {
    const char* name;
    const char* oddFirstType;  // the type of the first row; every other row is LONG
    std::uint64_t left;
  };
  const Case cases[] = {{"one type: all go", "LONG", 0}, {"two types: all stay", "SHORT", kRows}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Row> rows(kRows, Row{"GLO:N", "LONG"});
    rows.front().tipo = c.oddFirstType;
    ASSERT_NO_FATAL_FAILURE(afresh(rows));
    EXPECT_TRUE(purgeTable().ok());
    EXPECT_EQ(resumen().records(), c.left);
    if (c.left > 0) {
      resumen().clearToLowest();
      resumen().set(ResumenFile::indnom);
      ASSERT_EQ(resumen().next(), FileError::none);
      EXPECT_EQ(RES.TIPO.clipped(), c.oddFirstType);
    }
  }
}

// The worked example before any pass and after pass 1 (FECHA gone).
std::vector<std::string> exampleWithout(std::vector<int> gone) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < kExample.size(); ++i) {
    if (std::find(gone.begin(), gone.end(), static_cast<int>(i + 1)) == gone.end()) {
      out.push_back(textOf(kExample[i]));
    }
  }
  return out;
}

TEST_F(PurgeTableTest, ARefusalInsideAPassUndoesThatPassAndSkipsTheRest) {
  struct Case {
    const char* name;
    FaultPoint point;
    std::uint64_t nth;  // arrivals counted from the purge's start
    int committed;
    std::vector<int> gone;
  };
  // Pass 1 deletes one row (FECHA), pass 2 two (CNT).
  const Case cases[] = {
      {"DELETE refused in pass 1", FaultPoint::deleteRow, 1, 0, {}},
      {"DELETE refused at the first row of pass 2", FaultPoint::deleteRow, 2, 1, {3}},
      {"DELETE refused after pass 2 deleted a row", FaultPoint::deleteRow, 3, 1, {3}},
      {"FLUSH refused at the end of pass 1", FaultPoint::commit, 1, 0, {}},
      {"FLUSH refused at the end of pass 2", FaultPoint::commit, 2, 1, {3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(afresh(kExample));
    vc::files::refuseAt(c.point, c.nth, FileError::accessDenied);
    const PurgeOutcome outcome = purgeTable();
    vc::files::clearFaults();
    EXPECT_EQ(outcome.status.error, FileError::accessDenied);
    EXPECT_EQ(outcome.passesCommitted, c.committed);
    EXPECT_EQ(rowsBy(ResumenFile::indnom), exampleWithout(c.gone));
    EXPECT_EQ(resumen().records(), kExample.size() - c.gone.size());
    // The opening is left fit for use: a purge now completes the work.
    EXPECT_TRUE(purgeTable().ok());
    EXPECT_EQ(rowsBy(ResumenFile::indnom), exampleWithout({1, 2, 3}));
  }
}

// 100 names declared once, 50 pairs with one type, 30 pairs with two (of equal key, so
// that they read in the order they were added), each times scale: pass 1 deletes 100 * scale
// rows, pass 2 another 100 * scale. At scale 20 each pass deletes a large part of a table
// of thousands of rows, which the table does by another way than row by row.
std::vector<Row> mixedTable(int scale) {
  // Names are appended, not concatenated, which keeps GCC 12's -Wrestrict quiet.
  const auto named = [](char letter, int n) {
    std::string name(1, letter);
    name.append(std::to_string(n));
    return name;
  };
  std::vector<Row> rows;
  for (int i = 0; i < 100 * scale; ++i) rows.push_back({named('S', 10000 + i), "LONG"});
  for (int i = 0; i < 50 * scale; ++i) {
    rows.push_back({named('E', 10000 + i), "LONG", "MODA"});
    rows.push_back({named('E', 10000 + i), "LONG", "MODB", 1});
  }
  for (int i = 0; i < 30 * scale; ++i) {
    rows.push_back({named('D', 10000 + i), "LONG", "MODA", 0, "first"});
    rows.push_back({named('D', 10000 + i), "SHORT", "MODA", 0, "second"});
  }
  return rows;
}

/// What both passes leave of mixedTable(scale), in either key order.
std::vector<std::string> mixedTablePurged(int scale) {
  std::vector<std::string> out;
  for (int i = 0; i < 30 * scale; ++i) {
    std::string name = "D";
    name.append(std::to_string(10000 + i));
    out.push_back(textOf(Row{name, "LONG", "MODA", 0, "first"}));
    out.push_back(textOf(Row{name, "SHORT", "MODA", 0, "second"}));
  }
  return out;
}

// Runs body in a child process that shares nothing open with this one; answers how it
// ended (exit status, or 128 + signal).
template <class Body>
int inChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

TEST_F(PurgeTableTest, AProcessKilledInsideAPassLeavesTheTableAsBeforeThatPass) {
  struct Case {
    int scale;
    int pass;
    std::uint64_t killedAfter;  // deletes of that pass
  };
  // At scale 20 the deletes of a pass are heard once, when all are made.
  const Case cases[] = {{1, 1, 1},   {1, 1, 57},    {1, 1, 100},  {1, 2, 1},
                        {1, 2, 100}, {20, 1, 2000}, {20, 2, 2000}};
  int builtScale = 0;
  std::optional<Snapshot> beforePass1, beforePass2;
  for (const Case& c : cases) {
    SCOPED_TRACE("scale " + std::to_string(c.scale) + ", killed after delete " +
                 std::to_string(c.killedAfter) + " of pass " + std::to_string(c.pass));
    if (builtScale != c.scale) {
      builtScale = c.scale;
      ASSERT_NO_FATAL_FAILURE(afresh(mixedTable(c.scale)));
      beforePass1.emplace();
      // The state pass 1 leaves, from a purge whose pass 2 is refused at its end.
      vc::files::refuseAt(FaultPoint::commit, 2, FileError::accessDenied);
      ASSERT_EQ(purgeTable().passesCommitted, 1);
      vc::files::clearFaults();
      beforePass2.emplace();
      ASSERT_EQ(beforePass2->byName.size(), 160u * static_cast<unsigned>(c.scale));
    }
    ASSERT_NO_FATAL_FAILURE(afresh(mixedTable(c.scale)));
    close();
    const int ended = inChild([&] {
      if (!resumen().open(vc::files::kReadWriteDenyNone).ok()) return 3;
      PurgeOptions options;
      options.afterDelete = [&](int pass, std::uint64_t deleted) {
        if (pass == c.pass && deleted == c.killedAfter) ::raise(SIGKILL);
      };
      (void)purgeTable(options);
      return 4;  // not killed
    });
    EXPECT_EQ(ended, 128 + SIGKILL);
    EXPECT_EQ(integrity(), "ok");
    open();
    EXPECT_EQ(Snapshot{}, c.pass == 1 ? *beforePass1 : *beforePass2);
    // A later purge completes the work.
    EXPECT_TRUE(purgeTable().ok());
    EXPECT_EQ(rowsBy(ResumenFile::indnom), mixedTablePurged(c.scale));
    EXPECT_EQ(rowsBy(ResumenFile::indmod), mixedTablePurged(c.scale));
    EXPECT_EQ(integrity(), "ok");
  }
}

TEST_F(PurgeTableTest, ARefusalWhileMostOfALargeTableGoesUndoesThatPass) {
  // Scale 20: 5,200 rows; pass 1 deletes 2,000 rows, pass 2 another 2,000.
  struct Case {
    const char* name;
    FaultPoint point;
    std::uint64_t nth;
    int committed;
  };
  const Case cases[] = {
      {"DELETE refused in pass 1", FaultPoint::deleteRow, 1500, 0},
      {"DELETE refused in pass 2", FaultPoint::deleteRow, 2500, 1},
      {"FLUSH refused at the end of pass 1", FaultPoint::commit, 1, 0},
      {"FLUSH refused at the end of pass 2", FaultPoint::commit, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(afresh(mixedTable(20)));
    const Snapshot before;
    vc::files::refuseAt(c.point, c.nth, FileError::fileSystemError);
    const PurgeOutcome outcome = purgeTable();
    vc::files::clearFaults();
    EXPECT_EQ(outcome.status.error, FileError::fileSystemError);
    EXPECT_EQ(outcome.passesCommitted, c.committed);
    if (c.committed == 0) {
      EXPECT_EQ(Snapshot{}, before);
    } else {
      EXPECT_EQ(resumen().records(), 3200u);
    }
    EXPECT_EQ(integrity(), "ok");
    EXPECT_TRUE(purgeTable().ok());
    EXPECT_EQ(rowsBy(ResumenFile::indnom), mixedTablePurged(20));
  }
}

TEST_F(PurgeTableTest, APassWaitsForAnotherProcesssWriteLockOnlyUpToItsWait) {
  struct Case {
    const char* name;
    int heldMs;  // how long the peer keeps its write transaction
    bool purged;
  };
  const Case cases[] = {{"the lock outlasts the wait: nothing is purged", 3000, false},
                        {"the lock ends within the wait: the purge goes on", 200, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(afresh(kExample));
    close();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t peer = ::fork();
    if (peer == 0) {
      sqlite3* db = nullptr;
      if (sqlite3_open("resumen.dat", &db) != SQLITE_OK) ::_exit(3);
      if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) ::_exit(4);
      (void)!::write(ready[1], "r", 1);
      ::usleep(static_cast<useconds_t>(c.heldMs) * 1000);
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    open();
    PurgeOptions options;
    options.lockWait = std::chrono::seconds(1);
    const PurgeOutcome outcome = purgeTable(options);
    int status = 0;
    ::waitpid(peer, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(outcome.ok(), c.purged);
    if (c.purged) {
      EXPECT_EQ(rowsBy(ResumenFile::indnom), exampleWithout({1, 2, 3}));
    } else {
      EXPECT_EQ(outcome.status.error, FileError::accessDenied);
      EXPECT_EQ(outcome.passesCommitted, 0);
      EXPECT_EQ(rowsBy(ResumenFile::indnom), exampleWithout({}));
    }
  }
}

TEST_F(PurgeTableTest, Pass2SeesWhatAnotherOpeningChangedBetweenThePasses) {
  vc::testing::addResumenRows(kExample);
  // Between the passes another opening adds a CNT of another type, so that CNT now differs
  // and stays whole, and a name in one row, which pass 2 takes as a group of equal types.
  ResumenFile& other = vc::store::resumenAlias();
  ASSERT_TRUE(other.open(vc::files::kReadWriteDenyNone).ok());
  PurgeOptions options;
  options.afterPass = [&](int pass) {
    if (pass != 1) return;
    for (const Row& row : {Row{"CNT", "SHORT", "ZZZ"}, Row{"NEW", "LONG"}}) {
      vc::testing::fillRecord(row, vc::store::RESA);
      EXPECT_EQ(other.add(), FileError::none);
    }
  };
  EXPECT_TRUE(purgeTable(options).ok());
  other.close();
  EXPECT_EQ(rowsBy(ResumenFile::indnom),
            (std::vector<std::string>{textOf(kExample[0]), textOf(Row{"CNT", "SHORT", "ZZZ"}),
                                      textOf(kExample[1]), textOf(kExample[3]), textOf(kExample[4]),
                                      textOf(kExample[5]), textOf(kExample[6])}));
}

// Tests run as root, whom file modes do not stop: the purge runs in a child that has
// dropped its privileges to the user nobody (65534), in a folder it owns, on a
// "resumen.dat" that root owns and only lets others read.
TEST_F(PurgeTableTest, AReadOnlyFileIsLeftUntouched) {
  vc::testing::addResumenRows(kExample);
  close();
  ASSERT_EQ(::chown(folder.path().c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod("resumen.dat", 0444), 0);
  const int ended = inChild([] {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 100;
    if (resumen().open(vc::files::kReadWriteDenyNone).ok()) return 101;  // must be refused
    if (!resumen().open(vc::files::kReadOnlyDenyNone).ok()) return 102;
    const PurgeOutcome outcome = purgeTable();
    return outcome.passesCommitted == 0 ? static_cast<int>(outcome.status.error) : 103;
  });
  EXPECT_EQ(ended, static_cast<int>(FileError::accessDenied));
  ASSERT_EQ(::chmod("resumen.dat", 0644), 0);
  open();
  EXPECT_EQ(rowsBy(ResumenFile::indnom), exampleWithout({}));
  EXPECT_EQ(integrity(), "ok");
}

}  // namespace
}  // namespace vc::analysis
