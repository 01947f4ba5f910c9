// Another process on the same keyed file, for the two-process tests:
//   peer <folder> add <n>          adds n rows named P0001...
//   peer <folder> hold             opens the file and keeps it open until "stop" appears
//   peer <folder> lock             holds an exclusive lock on the file until "stop" appears
//   peer <folder> count            prints the number of rows
// "ready" is written in the folder once the peer holds what it was asked to hold.
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

namespace {

using vc::files::KeyedTable;
using vc::files::testing::kTestFile;
using vc::files::testing::TestRow;
using vc::files::testing::testSpec;

void signalReady() {
  std::ofstream("ready") << "1";
}

void waitForStop() {
  for (int i = 0; i < 600 && !std::filesystem::exists("stop"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
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
  TestRow row{};
  KeyedTable table(testSpec(), kTestFile, &row);
  if (!table.open(vc::files::kReadWriteDenyNone).ok()) return 5;
  if (command == "add") {
    const int n = argc > 3 ? std::atoi(argv[3]) : 1;
    for (int i = 1; i <= n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "P%04d", i);
      row.set(name, 0, "peer");
      if (table.add() != vc::files::FileError::none) return 6;
    }
  } else if (command == "hold") {
    signalReady();
    waitForStop();
  } else if (command == "count") {
    std::printf("%llu\n", static_cast<unsigned long long>(table.records()));
  }
  table.close();
  return 0;
}
