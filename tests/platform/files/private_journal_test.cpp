// A table in a folder its user cannot change: its changes are journaled in the user's
// private journal folder, so that a process killed at any moment leaves the table as it
// was before the change or as it is after it, and no other opening reads it half-written.
//
// Tests run as root, which may change any folder: each case works as uid 65534 in forked
// children (support/as_nobody.hpp) on a folder owned by root (mode 0755) that holds a table
// the child's user may write (mode 0666), with a journal folder of that user's (0700).
#include "platform/files/sqlite/private_journal.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "keyed_test_table.hpp"
#include "platform/files/file_driver.hpp"
#include "platform/files/keyed_table.hpp"
#include "platform/files/sqlite/journal_vfs.hpp"
#include "support/as_nobody.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

namespace fs = std::filesystem;
using sqlite::JournalMoment;
using testing::kTestFile;
using testing::TestRow;
using testing::testSpec;
using vc::testing::kNobody;
using vc::testing::runAsNobody;
using vc::testing::TempFolder;

constexpr int kAdded = 25000;  // an analysis's rows: batches of 10,000, 10,000 and 5,000
constexpr int kBatch = 10000;  // the rows a stream commits at a time

enum class Work { analysis, purge, rebuild };

const char* nameOf(Work work) {
  switch (work) {
    case Work::analysis:
      return "analysis";
    case Work::purge:
      return "purge";
    case Work::rebuild:
      return "rebuild";
  }
  return "?";
}

/// What a plain SQLite client (root, the system's own file system) reads of a file.
struct PlainLook {
  int rc = SQLITE_OK;  // of the first statement that failed
  std::string integrity;
  long long rows = -1;
  long long keys = -1;
};

PlainLook lookPlainly(const fs::path& file) {
  PlainLook out;
  sqlite3* db = nullptr;
  out.rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  const auto one = [&](const char* sql, auto&& take) {
    if (out.rc != SQLITE_OK) return;
    sqlite3_stmt* st = nullptr;
    out.rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (out.rc == SQLITE_OK) {
      const int step = sqlite3_step(st);
      if (step == SQLITE_ROW) {
        take(st);
      } else {
        out.rc = step == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
      }
    }
    sqlite3_finalize(st);
  };
  one("PRAGMA integrity_check", [&](sqlite3_stmt* st) {
    out.integrity = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  });
  one("SELECT count(*) FROM rows",
      [&](sqlite3_stmt* st) { out.rows = sqlite3_column_int64(st, 0); });
  one("SELECT count(*) FROM sqlite_master WHERE type='index' AND name LIKE 'rows_%'",
      [&](sqlite3_stmt* st) { out.keys = sqlite3_column_int64(st, 0); });
  sqlite3_close(db);
  return out;
}

void execPlainly(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// In a child: the moment at which it kills itself, and how many of them to let pass.
JournalMoment killMoment = JournalMoment::firstWrite;
std::atomic<int> killCountdown{0};

void killAtMoment(JournalMoment moment) {
  if (moment == killMoment && --killCountdown == 0) ::raise(SIGKILL);
}

/// The folders of one case: a read-only app folder with the table, and the journal folder.
class PrivateJournalTest : public ::testing::Test {
 protected:
  PrivateJournalTest() {
    fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
    fs::create_directory(app);
    fs::create_directory(journals);
    EXPECT_EQ(::chown(journals.c_str(), kNobody, kNobody), 0);
    ::chmod(journals.c_str(), 0700);
  }

  /// Makes the master table as root: `rows` rows, half of them with FLAG 1, in a plain
  /// (rollback-journal) file; without the first key for the rebuild.
  void makeMaster(int rows, Work work, bool writeAheadForm = false) {
    fs::current_path(app);
    {
      TestRow row{};
      KeyedTable table(testSpec(), kTestFile, &row);
      ASSERT_TRUE(table.create().ok());
      ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
      ASSERT_TRUE(table.stream().ok());
      char name[16];
      for (int i = 0; i < rows; ++i) {
        std::snprintf(name, sizeof name, "r%07d", i);
        row.set(name, i % 2, "old");
        ASSERT_EQ(table.add(), FileError::none);
      }
      ASSERT_TRUE(table.flush().ok());
    }
    if (work == Work::rebuild) execPlainly(table(), "DROP INDEX rows_byname");
    if (!writeAheadForm) execPlainly(table(), "PRAGMA journal_mode=DELETE");
    fs::copy_file(table(), master);
    fs::current_path(folder.path());
    switch (work) {
      case Work::analysis:
        // Batch by batch; into an empty table all at once at the end, or batch by batch
        // when the next opening folds in the rows a killed stream left staged.
        for (int n = 0; n < added; n += kBatch) valid.insert(rows + n);
        valid.insert(rows + added);
        break;
      case Work::purge:
        valid = {rows, rows / 2};
        break;
      case Work::rebuild:
        valid = {rows};
        break;
    }
  }

  /// A fresh copy of the master: a new file, with no journal of an earlier run.
  void freshTable() {
    fs::remove(table());
    for (const auto& e : fs::directory_iterator(journals)) fs::remove(e.path());
    fs::copy_file(master, table());
    ::chmod(table().c_str(), 0666);
  }

  fs::path table() const { return app / kTestFile; }

  std::size_t journalsLeft() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(journals)) ++n;
    return n;
  }

  /// The work, in a child as uid 65534 in the app folder; its answer is the exit status.
  int work(Work w) const {
    if (::chdir(app.c_str()) != 0) return 121;
    sqlite::setPrivateJournalFolderForTests(journals.string());
    TestRow row{};
    KeyedTable table(testSpec(), kTestFile, &row);
    if (w == Work::rebuild) return table.rebuildKeys().ok() ? 0 : 1;
    if (!table.open(kReadWriteDenyNone).ok()) return 2;
    if (w == Work::analysis) {
      if (!table.stream().ok()) return 3;
      char name[16];
      for (int i = 0; i < added; ++i) {
        std::snprintf(name, sizeof name, "n%07d", i);
        row.set(name, 0, "new");
        if (table.add() != FileError::none) return 4;
      }
      return table.flush().ok() ? 0 : 5;
    }
    if (!table.beginAtomic(std::chrono::seconds(0)).ok()) return 6;
    std::vector<std::int64_t> doomed;
    if (!table
             .scanKey(KeyId{1}, 1,
                      [&](std::int64_t id, std::string_view flag) {
                        if (flag[0] == 1) doomed.push_back(id);
                        return true;
                      })
             .ok()) {
      return 7;
    }
    if (!table.deleteRows(doomed).ok()) return 8;
    return table.commitAtomic().ok() ? 0 : 9;
  }

  /// Runs the work as uid 65534 and kills it at the nth time it reaches moment.
  void killAt(Work w, JournalMoment moment, int nth) const {
    const auto [status, report] = runAsNobody([&](std::string&) {
      killMoment = moment;
      killCountdown = nth;
      sqlite::setJournalProbeForTests(killAtMoment);
      return work(w);
    });
    ASSERT_EQ(status, -1) << "the child was to die at that moment, and ended with " << status;
  }

  /// The next opening by the user who worked: rebuilds the keys when the open asks for
  /// it, as the open with recovery does. The report is "<status> <rows>".
  std::string reopen() const {
    const auto [status, report] = runAsNobody([&](std::string& out) {
      if (::chdir(app.c_str()) != 0) return 121;
      sqlite::setPrivateJournalFolderForTests(journals.string());
      TestRow row{};
      KeyedTable table(testSpec(), kTestFile, &row);
      FileStatus st = table.open(kReadWriteDenyNone);
      if (st.error == FileError::keyFileMustBeRebuilt) {
        if (st = table.rebuildKeys(); st.ok()) st = table.open(kReadWriteDenyNone);
      }
      out = std::to_string(static_cast<int>(st.error)) + " " + std::to_string(table.records());
      return 0;
    });
    EXPECT_EQ(status, 0);
    return report;
  }

  /// After a kill: a plain client reads a sound state of the table or refuses the file;
  /// after the next opening of the user who worked, every client reads a sound state.
  void expectSoundAfterKill(std::optional<bool> marked) {
    const PlainLook left = lookPlainly(table());
    if (marked) {
      EXPECT_EQ(left.rc == SQLITE_NOTADB, *marked) << "rc " << left.rc;
    }
    if (left.rc == SQLITE_OK) {
      EXPECT_EQ(left.integrity.substr(0, 200), "ok");
      EXPECT_TRUE(valid.count(left.rows)) << left.rows;
    } else {
      EXPECT_EQ(left.rc, SQLITE_NOTADB);  // refused, never read half-written
    }
    const std::string reopened = reopen();
    const PlainLook after = lookPlainly(table());
    ASSERT_EQ(after.rc, SQLITE_OK);
    EXPECT_EQ(after.integrity.substr(0, 200), "ok");
    EXPECT_TRUE(valid.count(after.rows)) << after.rows;
    EXPECT_EQ(after.keys, 2);
    EXPECT_EQ(reopened, "0 " + std::to_string(after.rows));
  }

  TempFolder folder;
  fs::path app = folder.path() / "app";
  fs::path journals = folder.path() / "journals";
  fs::path master = folder.path() / "master.dat";
  int added = kAdded;  // the rows the analysis adds
  std::set<long long> valid;
};

struct MomentCase {
  const char* name;
  Work work;
  JournalMoment moment;
  int nth;
  bool marked;  // the file carries the mark when the child dies
};

class KilledAtAMomentTest : public PrivateJournalTest,
                            public ::testing::WithParamInterface<MomentCase> {};

TEST_P(KilledAtAMomentTest, LeavesTheTableBeforeOrAfterTheChange) {
  const MomentCase& c = GetParam();
  makeMaster(60000, c.work);
  freshTable();
  ASSERT_NO_FATAL_FAILURE(killAt(c.work, c.moment, c.nth));
  expectSoundAfterKill(c.marked);
  // A journal that undid or finished a change is gone; one written before the file was
  // touched stays unused until the next change writes over it.
  EXPECT_EQ(journalsLeft(), c.moment == JournalMoment::firstWrite ? 1u : 0u);
}

const MomentCase kMomentCases[] = {
    {"AnalysisJournalWrittenFileUntouched", Work::analysis, JournalMoment::firstWrite, 2, false},
    {"AnalysisJustMarked", Work::analysis, JournalMoment::marked, 1, true},
    {"AnalysisPagesHalfWritten", Work::analysis, JournalMoment::pageWritten, 10, true},
    {"AnalysisCommittedMarkNotCleared", Work::analysis, JournalMoment::journalGone, 2, true},
    {"AnalysisMarkCleared", Work::analysis, JournalMoment::cleared, 1, false},
    {"PurgeJustMarked", Work::purge, JournalMoment::marked, 1, true},
    {"PurgeFirstPageWritten", Work::purge, JournalMoment::pageWritten, 1, true},
    {"PurgeManyPagesWritten", Work::purge, JournalMoment::pageWritten, 300, true},
    {"PurgeCommittedMarkNotCleared", Work::purge, JournalMoment::journalGone, 1, true},
    {"RebuildPagesHalfWritten", Work::rebuild, JournalMoment::pageWritten, 20, true},
    {"RebuildCommittedMarkNotCleared", Work::rebuild, JournalMoment::journalGone, 1, true},
};

INSTANTIATE_TEST_SUITE_P(Moments, KilledAtAMomentTest, ::testing::ValuesIn(kMomentCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrivateJournalTest, AFileMarkedByAnotherUserIsRefusedAndLeftAsItIs) {
  makeMaster(20000, Work::purge);
  freshTable();
  ASSERT_NO_FATAL_FAILURE(killAt(Work::purge, JournalMoment::pageWritten, 1));
  const std::string bytes = TempFolder::read(table());
  // Root, who may change the folder, opens the file another user left marked.
  fs::current_path(app);
  TestRow row{};
  KeyedTable other(testSpec(), kTestFile, &row);
  EXPECT_EQ(other.open(kReadWriteDenyNone).error, FileError::invalidRecordDeclaration);
  other.close();
  fs::current_path(folder.path());
  EXPECT_TRUE(TempFolder::read(table()) == bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(app), fs::directory_iterator()), 1);
  // Its owner's next opening undoes the change the kill cut short.
  EXPECT_EQ(reopen(), "0 20000");
  EXPECT_EQ(lookPlainly(table()).integrity, "ok");
}

TEST_F(PrivateJournalTest, AJournalLeftBeforeTheFileWasWrittenNeverUndoesALaterChange) {
  makeMaster(20000, Work::purge);
  freshTable();
  // Killed with its journal whole and the file not yet touched: the journal is left.
  ASSERT_NO_FATAL_FAILURE(killAt(Work::purge, JournalMoment::firstWrite, 1));
  ASSERT_EQ(journalsLeft(), 1u);
  // Another client changes the file meanwhile; replaying the old journal would undo it.
  execPlainly(table(), "DELETE FROM rows WHERE seq <= 10");
  EXPECT_EQ(reopen(), "0 19990");
  // The next change writes over the old journal and deletes it at its commit.
  const auto [status, report] = runAsNobody([&](std::string&) { return work(Work::analysis); });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(lookPlainly(table()).rows, 19990 + kAdded);
  EXPECT_EQ(journalsLeft(), 0u);
}

TEST_F(PrivateJournalTest, ARemovalTakesThePrivateJournalWithIt) {
  makeMaster(20000, Work::purge);
  freshTable();
  ASSERT_NO_FATAL_FAILURE(killAt(Work::purge, JournalMoment::marked, 1));
  ASSERT_EQ(journalsLeft(), 1u);
  ::chmod(app.c_str(), 0777);  // now its user may remove the file
  const auto [status, report] = runAsNobody([&](std::string& out) {
    if (::chdir(app.c_str()) != 0) return 121;
    sqlite::setPrivateJournalFolderForTests(journals.string());
    TestRow row{};
    KeyedTable table(testSpec(), kTestFile, &row);
    out = std::to_string(static_cast<int>(table.remove().error));
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report, "0");
  EXPECT_FALSE(fs::exists(table()));
  EXPECT_EQ(journalsLeft(), 0u);
}

TEST_F(PrivateJournalTest, AnEmptyFileBecomesTheTableWithItsJournalElsewhere) {
  TempFolder::write(table(), "");
  ::chmod(table().c_str(), 0666);
  const auto [status, report] = runAsNobody([&](std::string& out) {
    if (::chdir(app.c_str()) != 0) return 121;
    sqlite::setPrivateJournalFolderForTests(journals.string());
    TestRow row{};
    KeyedTable table(testSpec(), kTestFile, &row);
    out = std::to_string(static_cast<int>(table.open(kReadWriteDenyNone).error)) + " " +
          std::to_string(table.records());
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report, "0 0");
  const PlainLook look = lookPlainly(table());
  EXPECT_EQ(look.integrity, "ok");
  EXPECT_EQ(look.keys, 2);
  EXPECT_EQ(journalsLeft(), 0u);
}

struct UnusableFolderCase {
  const char* name;
  std::function<fs::path(const fs::path& base)> make;  // the journal folder to use
};

class NoSafeJournalTest : public PrivateJournalTest,
                          public ::testing::WithParamInterface<UnusableFolderCase> {};

// Where no journal can be kept safely, the table is only read: the open for writing is
// refused as a folder that may not be written is (5), the open for reading gets the rows.
TEST_P(NoSafeJournalTest, TheTableIsOpenedForReadingOnly) {
  // Left in write-ahead form, as an analysis where the folder could be changed leaves it.
  makeMaster(1000, Work::purge, /*writeAheadForm=*/true);
  freshTable();
  const fs::path unusable = GetParam().make(folder.path());
  const auto [status, report] = runAsNobody([&](std::string& out) {
    if (::chdir(app.c_str()) != 0) return 121;
    sqlite::setPrivateJournalFolderForTests(unusable.string());
    TestRow row{};
    KeyedTable table(testSpec(), kTestFile, &row);
    out = std::to_string(static_cast<int>(table.open(kReadWriteDenyNone).error));
    const FileStatus reading = table.open(kReadOnlyDenyNone);
    out += " " + std::to_string(static_cast<int>(reading.error)) + " " +
           std::to_string(table.records());
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report, "5 0 1000");
  EXPECT_EQ(lookPlainly(table()).integrity, "ok");
  EXPECT_EQ(std::distance(fs::directory_iterator(app), fs::directory_iterator()), 1);
}

fs::path folderOwnedBy(const fs::path& at, uid_t owner, mode_t mode) {
  fs::create_directory(at);
  EXPECT_EQ(::chown(at.c_str(), owner, owner), 0);
  ::chmod(at.c_str(), mode);
  return at;
}

const UnusableFolderCase kUnusableFolders[] = {
    {"OfAnotherUser", [](const fs::path& b) { return folderOwnedBy(b / "j", 0, 0700); }},
    {"OpenToOthers", [](const fs::path& b) { return folderOwnedBy(b / "j", kNobody, 0755); }},
    {"ALinkToAGoodFolder",
     [](const fs::path& b) {
       folderOwnedBy(b / "good", kNobody, 0700);
       fs::create_directory_symlink(b / "good", b / "j");
       return b / "j";
     }},
    {"ThatCannotBeMade", [](const fs::path& b) { return b / "missing" / "j"; }},
};

INSTANTIATE_TEST_SUITE_P(Folders, NoSafeJournalTest, ::testing::ValuesIn(kUnusableFolders),
                         [](const auto& info) { return std::string(info.param.name); });

/// Starts the work in a child as uid 65534 and kills it after `delay` (unless it ended).
void runAndKillAfter(const std::function<int()>& body, std::chrono::microseconds delay) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(dropped ? body() : 120);
  }
  // A pid of -1 would have the kill below reach every process root may signal.
  ASSERT_GT(pid, 0) << "no child";
  std::this_thread::sleep_for(delay);
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
}

struct TimedCase {
  Work work;
  int rows;  // in the table before
  int kills;
  int added = 0;  // by the analysis
};

class KilledAfterADelayTest : public PrivateJournalTest,
                              public ::testing::WithParamInterface<TimedCase> {};

// The moments are spread over the time the work takes here, measured first.
TEST_P(KilledAfterADelayTest, LeavesTheTableBeforeOrAfterTheChangeAtEveryMoment) {
  const TimedCase& c = GetParam();
  added = c.added;
  makeMaster(c.rows, c.work);
  freshTable();
  const auto began = std::chrono::steady_clock::now();
  const auto [status, report] = runAsNobody([&](std::string&) { return work(c.work); });
  ASSERT_EQ(status, 0);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - began);
  for (int k = 0; k < c.kills; ++k) {
    const auto delay = took * (2 * k + 1) / (2 * c.kills);
    SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us of " +
                 std::to_string(took.count()));
    freshTable();
    runAndKillAfter([&] { return work(c.work); }, delay);
    expectSoundAfterKill(std::nullopt);
  }
}

std::string timedName(const ::testing::TestParamInfo<TimedCase>& info) {
  const TimedCase& c = info.param;
  return std::string(nameOf(c.work)) + std::to_string(c.rows) + "Rows" +
         (c.work == Work::analysis ? "Plus" + std::to_string(c.added) : "");
}

INSTANTIATE_TEST_SUITE_P(Spread, KilledAfterADelayTest,
                         ::testing::Values(TimedCase{Work::analysis, 100000, 5, kAdded},
                                           TimedCase{Work::analysis, 0, 5, 60000},
                                           TimedCase{Work::purge, 200000, 6},
                                           TimedCase{Work::rebuild, 200000, 5}),
                         timedName);
// The large cases, eleven moments each of an analysis of 640,000 rows and of a purge of a
// table that holds them; opt-in, as they take a while:
// --gtest_also_run_disabled_tests --gtest_filter='DISABLED_Large*'
INSTANTIATE_TEST_SUITE_P(DISABLED_Large, KilledAfterADelayTest,
                         ::testing::Values(TimedCase{Work::analysis, 20000, 11, 640000},
                                           TimedCase{Work::analysis, 0, 11, 640000},
                                           TimedCase{Work::purge, 640000, 11}),
                         timedName);

}  // namespace
}  // namespace vc::files
