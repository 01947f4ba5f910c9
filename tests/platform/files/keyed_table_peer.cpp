// Another process on the same keyed file, for the two-process tests:
//   peer <folder> add <n>          adds n rows named P0001...
//   peer <folder> hold             opens the file and keeps it open until "stop" appears
//   peer <folder> lock             holds an exclusive lock on the file until "stop" appears
//   peer <folder> write-lock       holds the write lock (readers go on) until "stop" appears
//   peer <folder> count            prints the number of rows
//   peer <folder> stream <n>       adds n rows named S0000001... between STREAM and FLUSH,
//                                  then prints FLUSH's error number
//   peer <folder> stream-kill <k>  the same, killed with SIGKILL right after the k-th ADD
//   peer <folder> stream-kill-written <k>
//                                  the same, killed once a reader of the file sees every
//                                  batch before the k-th ADD staged (or after 10 s)
//   peer <folder> add-each <n>     adds n rows named A0000001... one at a time, counting the
//                                  rows after each; prints the last count
//   peer <folder> early-open       opens the file's database without reading it, waits for
//                                  "go", then reads and prints whether the file it has was
//                                  removed meanwhile ("moved") or not ("same")
//   peer <folder> remove           removes the file and prints REMOVE's error number
// Every opening waits up to 10 s for another's lock, as the program's do. "ready" is
// written in the folder once the peer holds what it was asked to hold.
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "keyed_test_table.hpp"
#include "platform/files/keyed_table.hpp"
#include "staged_rows.hpp"

namespace {

using vc::files::KeyedTable;
using vc::files::testing::kTestFile;
using vc::files::testing::TestRow;
using vc::files::testing::testSpec;
using vc::files::testing::waitForStaged;

void signalReady() {
  std::ofstream("ready") << "1";
}

void waitFor(const char* name) {
  for (int i = 0; i < 600 && !std::filesystem::exists(name); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

void waitForStop() {
  waitFor("stop");
}

int earlyOpen() {
  sqlite3* db = nullptr;
  if (sqlite3_open(kTestFile, &db) != SQLITE_OK) return 3;
  signalReady();
  waitFor("go");
  sqlite3_busy_timeout(db, 10000);
  const int rc = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
  int moved = 0;
  sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved);
  std::printf("%s %d\n", moved ? "moved" : "same", rc);
  sqlite3_close(db);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || ::chdir(argv[1]) != 0) return 2;
  const std::string command = argv[2];
  if (command == "lock") {
    sqlite3* db = nullptr;
    if (sqlite3_open(kTestFile, &db) != SQLITE_OK) return 3;
    if (sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
      return 4;
    }
    signalReady();
    waitForStop();
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  }
  if (command == "early-open") return earlyOpen();
  if (command == "remove") {
    TestRow row{};
    std::printf("%d\n", static_cast<int>(KeyedTable(testSpec(), kTestFile, &row).remove().error));
    return 0;
  }
  if (command == "write-lock") {
    sqlite3* db = nullptr;
    if (sqlite3_open(kTestFile, &db) != SQLITE_OK) return 3;
    sqlite3_busy_timeout(db, 10000);
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return 4;
    signalReady();
    waitForStop();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  }
  TestRow row{};
  KeyedTable table(testSpec(), kTestFile, &row);
  (void)table.sendOption("Recover=10");  // always answers none
  if (!table.open(vc::files::kReadWriteDenyNone).ok()) return 5;
  if (command == "add") {
    const int n = argc > 3 ? std::atoi(argv[3]) : 1;
    for (int i = 1; i <= n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "P%04d", i);
      row.set(name, 0, "peer");
      if (table.add() != vc::files::FileError::none) return 6;
    }
  } else if (command == "stream" || command == "stream-kill" || command == "stream-kill-written") {
    const int n = argc > 3 ? std::atoi(argv[3]) : 1;
    (void)table.stream();  // never refused on an open table
    for (int i = 1; i <= n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "S%07d", i);
      row.set(name, i % 2, "peer");
      (void)table.add();  // a failure is answered by FLUSH
      if (command != "stream" && i == n) {
        if (command == "stream-kill-written") {
          waitForStaged(KeyedTable::kStreamBatchRows * ((n - 1) / KeyedTable::kStreamBatchRows));
        }
        ::kill(::getpid(), SIGKILL);
      }
    }
    std::printf("%d\n", static_cast<int>(table.flush().error));
  } else if (command == "add-each") {
    const int n = argc > 3 ? std::atoi(argv[3]) : 1;
    std::uint64_t count = 0;
    for (int i = 1; i <= n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "A%07d", i);
      row.set(name, 0, "peer");
      if (table.add() != vc::files::FileError::none) return 6;
      count = table.records();
    }
    std::printf("%llu\n", static_cast<unsigned long long>(count));
  } else if (command == "hold") {
    signalReady();
    waitForStop();
  } else if (command == "count") {
    std::printf("%llu\n", static_cast<unsigned long long>(table.records()));
  }
  table.close();
  return 0;
}
