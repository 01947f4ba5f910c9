// What one declaration of a keyed table holds while its file is open, private to the
// keyed-table driver: shared by the driver's files for the lifecycle, the atomic changes
// and the bulk reads.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "platform/files/keyed_table.hpp"
#include "platform/files/sqlite/connection.hpp"
#include "platform/files/sqlite/journal_mode.hpp"
#include "platform/files/sqlite/key_cursor.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/files/sqlite/stream_writer.hpp"
#include "platform/files/table_guard.hpp"

namespace vc::files {

struct KeyedTable::Open {
  Open(const TableSpec& layout, unsigned char* record, std::function<void()> stopReads)
      : writer(layout, std::move(stopReads)), cursor(layout, record) {}
  Open(const Open&) = delete;
  Open& operator=(const Open&) = delete;
  ~Open() { waitForSettler(); }

  void waitForSettler() {
    if (settler.joinable()) settler.join();
  }

  // Declared first, so that it ends last: after the connection, which may hold locks of
  // the database engine on the file.
  TableGuard guard;
  sqlite::Connection connection;
  sqlite::StreamWriter writer;
  sqlite::Statement erase;
  sqlite::Statement count;
  sqlite::KeyCursor cursor;
  std::string canonical;  // the path the helper thread opens the file by
  sqlite::Journal journal = sqlite::Journal::none;
  // Copies a committed change from the log into the file on a connection of its own,
  // while the opening goes on (commitAtomic).
  std::thread settler;
};

}  // namespace vc::files
