// How a keyed table's connections are opened and tuned: every setting here trades memory
// or helper threads for speed, and none of them changes what the table holds.
#include "platform/files/sqlite/connection.hpp"

#include "platform/files/sqlite/journal_vfs.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"

namespace vc::files::sqlite {

int connect(const std::string& path, bool readOnly, Journal journal, int recoverSeconds,
            Connection& connection) {
  if (!readOnly && journal == Journal::none) return SQLITE_READONLY;
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &connection.db, flags, journalVfs());
  if (rc != SQLITE_OK) return rc;
  sqlite3_extended_result_codes(connection.db, 1);
  sqlite3_busy_timeout(connection.db, recoverSeconds * 1000);
  return exec(connection.db, "PRAGMA schema_version");
}

void settle(const std::string& path) {
  Connection connection;
  // The connection finds the log on its first read.
  if (connect(path, /*readOnly=*/false, Journal::writeAheadLog, 0, connection) != SQLITE_OK) {
    return;
  }
  (void)sqlite3_wal_checkpoint_v2(connection.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                  nullptr);
}

void useCacheSize(sqlite3* db, CacheSize size) {
  switch (size) {
    case CacheSize::usual:
      // An analysis adds its rows in key orders unrelated to the order of addition; a
      // page cache large enough for both keys' working set keeps those inserts off the
      // disk.
      (void)exec(db, "PRAGMA cache_size=-65536");  // 64 MiB
      return;
    case CacheSize::wholeChange:
      // A cache that holds every page such a change touches keeps it from spilling pages
      // to the log before the commit and from reading the same pages again. Pages are
      // only taken as they are used.
      (void)exec(db, "PRAGMA cache_size=-1048576");  // 1 GiB at most
      return;
    case CacheSize::sortRuns:
      // The memory a sort holds before it hands a sorted run to a helper thread: a small
      // one lets the helpers share a large sort, a run each, instead of one thread sorting
      // it all.
      (void)exec(db, "PRAGMA cache_size=-2048");  // 2 MiB
      return;
  }
}

void tuneForTable(sqlite3* db) {
  useCacheSize(db, CacheSize::usual);
  // Sorts (keys made from the rows) may share their work with helper threads.
  (void)exec(db, "PRAGMA threads=4");
  // Deleted rows are blanked on the pages a change writes anyway, but freed pages are not
  // written over: a purge that frees most of the file would otherwise write it all once
  // more, through the log and again into the file.
  (void)exec(db, "PRAGMA secure_delete=FAST");
}

std::optional<std::uint64_t> changeCountOf(sqlite3* db) {
  int rc = SQLITE_OK;
  const Statement version(db, "PRAGMA data_version", rc);
  if (!version || sqlite3_step(version.get()) != SQLITE_ROW) return std::nullopt;
  return static_cast<std::uint64_t>(sqlite3_column_int64(version.get(), 0));
}

}  // namespace vc::files::sqlite
