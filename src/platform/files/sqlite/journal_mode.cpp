#include "platform/files/sqlite/journal_mode.hpp"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/files/sqlite/private_journal.hpp"
#include "platform/files/sqlite/sqlite_support.hpp"
#include "platform/os/os.hpp"

namespace vc::files::sqlite {
namespace {

// The database header: a 16-byte magic text, then at offsets 18 and 19 the versions that
// write and read the file, 2 for write-ahead logging and 1 for a plain file.
constexpr char kMagic[] = "SQLite format 3";
constexpr std::size_t kVersionsOffset = 18;

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

Journal journalFor(const std::string& path) {
  // SQLite keeps its side files beside the file a link leads to, so that folder counts.
  std::string real = path;
  if (char* resolved = ::realpath(path.c_str(), nullptr)) {
    real = resolved;
    std::free(resolved);
  }
  if (os().canChangeFolder(folderOf(real))) return Journal::writeAheadLog;
  const std::optional<FileIdentity> identity = identityOf(real);
  if (!identity || !privateJournalPath(*identity, /*create=*/true)) return Journal::none;
  return Journal::privateRollback;
}

FileStatus leaveWriteAheadMode(const std::string& path) {
  Os& seam = os();
  if (seam.stat(path + "-wal") != PathKind::missing) return {};  // its log holds changes
  const OsOpen opened = seam.open(path, AccessMode::readWrite);
  if (opened.fd < 0) return opened.status;
  char header[20] = {};
  FileStatus status;
  const long got = seam.read(opened.fd, header, sizeof header, 0);
  if (got == static_cast<long>(sizeof header) && std::memcmp(header, kMagic, sizeof kMagic) == 0 &&
      header[kVersionsOffset] == 2 && header[kVersionsOffset + 1] == 2) {
    const char plain[2] = {1, 1};
    status = seam.writeDurably(opened.fd, plain, sizeof plain, kVersionsOffset);
  }
  seam.close(opened.fd);
  return status;
}

namespace {

/// Whether the connection's file is kept with the log now.
bool keptWithTheLog(sqlite3* db) {
  int rc = SQLITE_OK;
  const Statement mode(db, "PRAGMA journal_mode", rc);
  if (!mode || sqlite3_step(mode.get()) != SQLITE_ROW) return false;
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(mode.get(), 0));
  return text != nullptr && std::strcmp(text, "wal") == 0;
}

}  // namespace

int useJournal(sqlite3* db, Journal journal, FormChange change) {
  if (journal == Journal::none) return SQLITE_READONLY;
  if (journal == Journal::privateRollback) {
    // The journal is deleted at each commit, so that one found later always belongs to a
    // change that did not end; each commit is forced to disk, journal first.
    if (const int rc = exec(db, "PRAGMA journal_mode=DELETE"); rc != SQLITE_OK) return rc;
    return exec(db, "PRAGMA synchronous=FULL");
  }
  // The rollback journal beside the file, as the file is kept, is as safe as the log.
  if (change == FormChange::followTheFile && !keptWithTheLog(db)) return SQLITE_OK;
  if (const int rc = exec(db, "PRAGMA journal_mode=WAL"); rc != SQLITE_OK) {
    // The last close leaves the file a plain one, and turning the log on again waits for
    // every other connection to be between changes. While one is in a change, this
    // opening keeps the rollback journal beside the file, which the folder allows, and
    // takes to the log as soon as another opening has turned it on.
    return (rc & 0xFF) == SQLITE_BUSY ? SQLITE_OK : rc;
  }
  // With the log, a commit is safe from a crash of the program without forcing it to
  // disk; the end of a stream forces the log into the file (StreamWriter).
  return exec(db, "PRAGMA synchronous=NORMAL");
}

int endWriteAheadLog(sqlite3* db) {
  sqlite3_busy_timeout(db, 0);
  return exec(db, "PRAGMA journal_mode=DELETE");
}

}  // namespace vc::files::sqlite
