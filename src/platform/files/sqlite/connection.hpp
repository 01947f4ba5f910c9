// A keyed table's connection to its file, private to the keyed-table driver: how one is
// opened, the settings each kind of work wants of it, and the copy of a committed log into
// the file on a connection of a helper thread's own.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/files/sqlite/journal_mode.hpp"

namespace vc::files::sqlite {

/// A connection, closed when dropped; it outlives the statements declared after it.
struct Connection {
  sqlite3* db = nullptr;
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { sqlite3_close_v2(db); }
};

/// Opens a connection to the file at path through the journal's file system, and reads
/// from it once: a change that a killed process left half-done is undone by that read.
/// A connection that may write needs a journal; without one it is refused with
/// SQLITE_READONLY. The result is SQLite's code.
int connect(const std::string& path, bool readOnly, Journal journal, int recoverSeconds,
            Connection& connection);

/// Copies what the log holds into the file, as the commit that wrote it would have done,
/// on a connection of the calling thread's own. A failure leaves it in the log, which
/// stays valid; the next commit copies it.
void settle(const std::string& path);

/// The page cache a connection keeps, by the work it does.
enum class CacheSize {
  usual,        // adds and reads in key orders
  wholeChange,  // an atomic change that may touch every page of the table and its keys
  sortRuns,     // keys made by sorting the rows, the sort shared with helper threads
};
/// Sets the connection's page cache; a refusal only costs speed.
void useCacheSize(sqlite3* db, CacheSize size);

/// The settings every opening's connection takes before its first use, the usual cache
/// among them; a refusal only costs speed.
void tuneForTable(sqlite3* db);

/// A number that changes whenever another connection makes a change to the file lasting;
/// nullopt when it cannot be read.
std::optional<std::uint64_t> changeCountOf(sqlite3* db);

}  // namespace vc::files::sqlite
