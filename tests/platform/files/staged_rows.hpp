// Waiting for a stream's helper thread, as another process sees its work: the batches it
// has written to the staging table of the test table's file.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstddef>
#include <thread>

#include "keyed_test_table.hpp"

namespace vc::files::testing {

/// Waits up to 10 s until a plain reader of the file finds `rows` rows staged by a stream.
inline void waitForStaged(std::size_t rows) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(kTestFile, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 10000);
    for (int i = 0; i < 1000; ++i) {
      sqlite3_stmt* st = nullptr;
      std::size_t staged = 0;
      if (sqlite3_prepare_v2(db, "SELECT count(*) FROM rows_staged", -1, &st, nullptr) ==
              SQLITE_OK &&
          sqlite3_step(st) == SQLITE_ROW) {
        staged = static_cast<std::size_t>(sqlite3_column_int64(st, 0));
      }
      sqlite3_finalize(st);
      if (staged == rows) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  sqlite3_close(db);
}

}  // namespace vc::files::testing
