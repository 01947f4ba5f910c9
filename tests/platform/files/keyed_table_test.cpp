#include "platform/files/keyed_table.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "keyed_test_reads.hpp"
#include "keyed_test_table.hpp"
#include "peer_process.hpp"
#include "platform/files/file_test_support.hpp"
#include "platform/files/relation_base.hpp"
#include "platform/os/fault_injecting_os.hpp"
#include "platform/os/os.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using testing::kTestFile;
using testing::Peer;
using testing::TestRow;
using testing::testSpec;
using vc::testing::kFatalEnd;
using vc::testing::TempFolder;

/// Runs SQL on the file with a connection of its own, as any SQLite client could.
void rawSql(const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(kTestFile, &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

class KeyedTableTest : public ::testing::Test {
 protected:
  KeyedTableTest() { vc::testing::bindForTest(manager, presenter); }

  void openCreating() {
    FileStatus st = table.open(kReadWriteDenyNone);
    if (st.error == FileError::fileNotFound) {
      ASSERT_TRUE(table.create().ok());
      st = table.open(kReadWriteDenyNone);
    }
    ASSERT_TRUE(st.ok()) << st.driverText;
  }
  void add(const std::string& name, int flag = 0) {
    row.set(name, flag);
    ASSERT_EQ(table.add(), FileError::none);
  }
  std::vector<std::string> names() { return testing::namesInKeyOrder(table, row); }
  /// Opens through an access object and a relation, as the system does.
  std::string openWithRecovery(int lockRecover = 10) {
    access.prepare();
    access.setUp(table, manager);
    access.lockRecover = static_cast<std::int16_t>(lockRecover);
    relation.init(access);
    try {
      return relation.open() == errors::Severity::benign ? "opened" : "not opened";
    } catch (const errors::ProgramHalted&) {
      return "halted";
    }
  }

  TempFolder folder;
  errors::ErrorManager manager;
  vc::testing::RecordingPresenter presenter;
  TestRow row{};
  KeyedTable table{testSpec(), kTestFile, &row};
  FileAccessBase access;
  RelationBase relation;
};

struct LayoutCase {
  const char* name;
  std::string sql;  // run on a fresh database; empty: the file is garbage instead
  std::string driverCode;
  std::string driverText;
};

TEST_F(KeyedTableTest, AFileOfAnotherLayoutIsAnInvalidRecordDeclaration) {
  const LayoutCase cases[] = {
      {"bytes that are no database", "", "26", "file is not a database"},
      {"the table with other columns", "CREATE TABLE rows(NAME BLOB, FLAG INTEGER)", "0",
       "table rows has another row layout"},
      {"a database without the table", "CREATE TABLE other(a)", "0", "no table rows"},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(kTestFile);
    if (c.sql.empty()) {
      TempFolder::write(kTestFile, std::string(3000, '\x5A'));
    } else {
      rawSql(c.sql);
    }
    const FileStatus st = table.open(kReadWriteDenyNone);
    EXPECT_EQ(st.error, FileError::invalidRecordDeclaration);
    EXPECT_EQ(st.driverCode, c.driverCode);
    EXPECT_EQ(st.driverText, c.driverText);
    EXPECT_FALSE(table.isOpen());
  }
}

TEST_F(KeyedTableTest, DamagedKeysAreFoundAndRebuiltFromTheRows) {
  const std::pair<const char*, std::string> damages[] = {
      {"the key is missing", "DROP INDEX rows_byname"},
      {"the key has another definition",
       "DROP INDEX rows_byname; CREATE INDEX rows_byname ON rows(INFO)"},
  };
  for (const auto& [name, sql] : damages) {
    SCOPED_TRACE(name);
    std::filesystem::remove(kTestFile);
    openCreating();
    add("b");
    add("A", 1);
    add("a");
    table.close();
    rawSql(sql);
    EXPECT_EQ(table.open(kReadWriteDenyNone).error, FileError::keyFileMustBeRebuilt);
    ASSERT_TRUE(table.rebuildKeys().ok());
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "A", "b"}));
    table.close();
  }
}

TEST_F(KeyedTableTest, TheOpenRebuildsDamagedKeysAfterTheNotice) {
  openCreating();
  add("Y");
  add("X");
  table.close();
  rawSql("DROP INDEX rows_byname");
  EXPECT_EQ(openWithRecovery(), "opened");
  EXPECT_EQ(
      presenter.transcript(),
      std::vector<std::string>{"Invalid Key: rows.dat key file is invalid. Key must be rebuilt."});
  EXPECT_EQ(names(), (std::vector<std::string>{"X", "Y"}));
}

/// The rows in the order of addition as a plain client reads them, one line a row:
/// "NAME|typeof(NAME)|INFO|typeof(INFO)|key_NAME", every text with its bytes as stored.
std::vector<std::string> plainRows() {
  sqlite3* db = nullptr;
  std::vector<std::string> out;
  if (sqlite3_open_v2(kTestFile, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return out;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT NAME, typeof(NAME), INFO, typeof(INFO), key_NAME FROM rows"
                         " ORDER BY rowid",
                         -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string line;
      for (int c = 0; c < 5; ++c) {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        if (c > 0) line += '|';
        line.append(bytes, static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
      }
      out.push_back(line);
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

struct OwnColumnCase {
  const char* name;
  std::string nameText, info;  // as set in the record (blank-padded there)
  std::string plainRow;        // as plainRows() gives it
};

TEST_F(KeyedTableTest, EachTextIsInItsOwnColumnAsAnyClientReadsIt) {
  const std::vector<OwnColumnCase> cases = {
      {"capitals, equal to the key's copy", "GLO:X", "LONG", "GLO:X|text|LONG|text|GLO:X   "},
      {"small letters, unlike the key's copy", "Cnt", "a", "Cnt|text|a|text|CNT     "},
      {"all blank", "", "", "|text||text|        "},
      {"a blank inside stays, trailing ones go", "A B", " x", "A B|text| x|text|A B     "},
      {"the whole length", "ABCDEFGH", "wxyz", "ABCDEFGH|text|wxyz|text|ABCDEFGH"},
      {"a Windows-1252 letter is no UTF-8 text", "A\xe1", "\xf1",
       "A\xe1|blob|\xf1|blob|A\xe1      "},
      {"a NUL byte", std::string("A\0B", 3), "x", std::string("A\0B|blob|x|text|A\0B     ", 24)},
  };
  for (const bool streamed : {false, true}) {
    SCOPED_TRACE(streamed ? "streamed" : "one add at a time");
    std::filesystem::remove(kTestFile);
    openCreating();
    if (streamed) {
      ASSERT_TRUE(table.stream().ok());
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
      row.set(cases[i].nameText, static_cast<int>(i), cases[i].info);
      ASSERT_EQ(table.add(), FileError::none);
    }
    if (streamed) {
      ASSERT_TRUE(table.flush().ok());
    }
    // Each record reads back byte for byte, its texts padded again (the flag gives the
    // second key the order of the cases).
    table.clearToLowest();
    table.set(KeyId{1});
    for (const OwnColumnCase& c : cases) {
      SCOPED_TRACE(c.name);
      ASSERT_EQ(table.next(), FileError::none);
      TestRow expected{};
      expected.set(c.nameText, row.FLAG, c.info);
      EXPECT_EQ(std::string(row.NAME, sizeof row.NAME),
                std::string(expected.NAME, sizeof expected.NAME));
      EXPECT_EQ(std::string(row.INFO, sizeof row.INFO),
                std::string(expected.INFO, sizeof expected.INFO));
    }
    table.close();
    const std::vector<std::string> plain = plainRows();
    ASSERT_EQ(plain.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      EXPECT_EQ(plain[i], cases[i].plainRow) << cases[i].name;
    }
  }
}

TEST_F(KeyedTableTest, TextsKeptOnlyInTheKeysCopyStillReadBack) {
  // An earlier form of the file left a text's own column empty where the text equalled
  // its folded copy, and kept the others at their full length.
  openCreating();
  table.close();
  rawSql(
      "INSERT INTO rows(NAME, FLAG, INFO, key_NAME) VALUES"
      "(x'', 0, CAST('ab  ' AS BLOB), CAST('BETA    ' AS BLOB)),"
      "(CAST('alpha   ' AS BLOB), 0, CAST('    ' AS BLOB), CAST('ALPHA   ' AS BLOB))");
  ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
  add("Gamma");  // a new row beside them, as an analysis adds when the removal failed
  EXPECT_EQ(names(), (std::vector<std::string>{"alpha", "BETA", "Gamma"}));
  table.clearToLowest();
  table.set(KeyId{0});
  ASSERT_EQ(table.next(), FileError::none);
  ASSERT_EQ(table.next(), FileError::none);
  EXPECT_EQ(std::string(row.INFO, sizeof row.INFO), "ab  ");
}

struct NotAFileCase {
  const char* name;
  std::function<void()> make;  // puts something other than a regular file under the name
  std::string driverCode, driverText;
};

TEST_F(KeyedTableTest, OnlyARegularFileIsOpenedOrHasItsKeysRebuilt) {
  // The database engine never sees such a name: reading a FIFO could wait for ever.
  const NotAFileCase cases[] = {
      {"a FIFO", [] { ASSERT_EQ(::mkfifo(kTestFile, 0666), 0); }, "0", "Not a regular file"},
      {"a folder", [] { std::filesystem::create_directory(kTestFile); }, "21", "Is a directory"},
  };
  for (const NotAFileCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(kTestFile);
    c.make();
    for (const FileStatus& st : {table.open(kReadWriteDenyNone), table.rebuildKeys()}) {
      EXPECT_EQ(st.error, FileError::fileSystemError);
      EXPECT_EQ(st.driverCode, c.driverCode);
      EXPECT_EQ(st.driverText, c.driverText);
    }
    EXPECT_FALSE(table.isOpen());
  }
  std::filesystem::remove_all(kTestFile);
  EXPECT_EQ(table.rebuildKeys().error, FileError::fileNotFound);
}

TEST_F(KeyedTableTest, RemoveDeletesTheFileAndItsJournals) {
  openCreating();
  add("X");
  EXPECT_EQ(table.remove().error, FileError::accessDenied);  // this declaration has it open
  table.close();
  TempFolder::write(std::string(kTestFile) + "-journal", "");
  ASSERT_TRUE(table.remove().ok());
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    EXPECT_FALSE(std::filesystem::exists(std::string(kTestFile) + suffix)) << suffix;
  }
  EXPECT_EQ(table.remove().error, FileError::fileNotFound);
}

TEST_F(KeyedTableTest, AnotherProcessAddsWhileThisOneHasTheFileOpen) {
  openCreating();
  add("A");
  Peer peer({"add", "3"});
  EXPECT_EQ(peer.finish().first, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "P0001", "P0002", "P0003"}));
  EXPECT_EQ(table.records(), 4u);
}

TEST_F(KeyedTableTest, AnotherProcessReadsWhileThisOneStreams) {
  openCreating();
  add("A");
  add("B");
  ASSERT_TRUE(table.stream().ok());
  add("C");
  EXPECT_EQ(Peer({"count"}).finish(), (std::pair<int, std::string>{0, "2\n"}));
  ASSERT_TRUE(table.flush().ok());
  EXPECT_EQ(Peer({"count"}).finish(), (std::pair<int, std::string>{0, "3\n"}));
}

TEST_F(KeyedTableTest, RemoveIsRefusedWhileAnotherProcessHasTheFileOpen) {
  openCreating();
  add("A");
  table.close();
  Peer peer({"hold"});
  ASSERT_TRUE(peer.ready());
  EXPECT_EQ(table.remove().error, FileError::accessDenied);
  EXPECT_TRUE(std::filesystem::exists(kTestFile));
  peer.stop();
  EXPECT_EQ(peer.finish().first, 0);
  EXPECT_TRUE(table.remove().ok());
}

TEST_F(KeyedTableTest, RemoveIsRefusedWhileAnOpeningWithItsJournalInMemoryHasTheFile) {
  // As in a folder this user may not change, where no log can be kept: between its
  // changes such an opening holds none of the database engine's locks.
  FaultInjectingOs seam;
  seam.refuse(FaultInjectingOs::Call::changeFolder, ".", FileError::accessDenied);
  ScopedOs installed(seam);
  openCreating();
  add("A");
  EXPECT_EQ(Peer({"remove"}).finish(), (std::pair<int, std::string>{0, "5\n"}));
  EXPECT_EQ(names(), std::vector<std::string>{"A"});
  add("B");
  table.close();
  EXPECT_EQ(Peer({"remove"}).finish(), (std::pair<int, std::string>{0, "0\n"}));
  EXPECT_FALSE(std::filesystem::exists(kTestFile));
}

TEST_F(KeyedTableTest, AnOpeningWhoseFileIsRemovedBeforeItsHoldFindsTheNameFree) {
  openCreating();
  add("A");
  table.close();
  // Another process removes the file after this opening found it and before its hold.
  FaultInjectingOs seam;
  std::pair<int, std::string> removal;
  seam.beforeNext(FaultInjectingOs::Call::hold, kTestFile,
                  [&] { removal = Peer({"remove"}).finish(); });
  ScopedOs installed(seam);
  EXPECT_EQ(table.open(kReadWriteDenyNone).error, FileError::fileNotFound);
  EXPECT_EQ(removal, (std::pair<int, std::string>{0, "0\n"}));
  EXPECT_EQ(seam.calls(FaultInjectingOs::Call::hold, kTestFile), 1);
  EXPECT_FALSE(table.isOpen());
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    EXPECT_FALSE(std::filesystem::exists(std::string(kTestFile) + suffix)) << suffix;
  }
  openCreating();
  EXPECT_EQ(table.records(), 0u);
}

TEST_F(KeyedTableTest, TheLastCloseAnywhereLeavesAPlainFileWithoutSideFiles) {
  // Byte 18 of the file's header: 2 while it keeps a log, 1 for a plain file.
  const auto form = [] { return static_cast<int>(TempFolder::read(kTestFile).at(18)); };
  const auto sideFiles = [] {
    std::vector<std::string> out;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
      if (std::filesystem::exists(std::string(kTestFile) + suffix)) out.push_back(suffix);
    }
    return out;
  };
  openCreating();
  add("A");
  TestRow otherRow{};
  KeyedTable other(testSpec(), kTestFile, &otherRow);
  ASSERT_TRUE(other.open(kReadWriteDenyNone).ok());
  other.close();
  EXPECT_EQ(form(), 2) << "another opening of this process still has it";
  {
    Peer peer({"hold"});
    ASSERT_TRUE(peer.ready());
    table.close();
    EXPECT_EQ(form(), 2) << "an opening of another process still has it";
    peer.stop();
    EXPECT_EQ(peer.finish().first, 0);
  }
  openCreating();
  EXPECT_EQ(names(), std::vector<std::string>{"A"});
  table.close();
  EXPECT_EQ(form(), 1);
  EXPECT_EQ(sideFiles(), std::vector<std::string>{});
}

TEST_F(KeyedTableTest, ALockIsWaitedForAfterRecover) {
  openCreating();
  add("A");
  table.close();
  Peer peer({"lock"});
  ASSERT_TRUE(peer.ready());
  EXPECT_EQ(table.open(kReadWriteDenyNone).error, FileError::accessDenied);
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    peer.stop();
  });
  EXPECT_EQ(openWithRecovery(10), "opened");
  release.join();
  EXPECT_TRUE(presenter.shown.empty());
  EXPECT_EQ(names(), std::vector<std::string>{"A"});
}

TEST_F(KeyedTableTest, ALockThatStaysEndsTheProgramAfterTheReadOnlyTry) {
  openCreating();
  table.close();
  Peer peer({"lock"});
  ASSERT_TRUE(peer.ready());
  EXPECT_EQ(openWithRecovery(1), "halted");
  peer.stop();
  EXPECT_EQ(presenter.transcript(),
            (std::vector<std::string>{
                "Access Denied: Could not get write access to rows.dat so trying read-only.",
                "File Access Error: File rows.dat could not be opened.  Error: Access Denied "
                "(5)." +
                    kFatalEnd}));
}

}  // namespace
}  // namespace vc::files
