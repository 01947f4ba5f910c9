// The keyed table's file system: the system's own "unix" one, forwarded call for call, with
// a safe rollback journal for files in folders this user cannot change.
//
// Such a folder takes no journal beside the file, and a change written without one is
// lost half-done when the process is killed. So the journal "<file>-journal" of such a
// file lives in the user's private folder (private_journal.hpp), under a name made of the
// file's device, inode and birth time. Only this user's openings can see it there; every
// other opening (another user, any other SQLite client) would read the half-written file
// as if it were whole. To keep them out, the file carries a mark while its pages are being
// changed: header bytes 18 and 19 (the versions that write and read the file) become 0xFF,
// which makes every SQLite client refuse the file as "not a database", and bytes 72..79,
// which SQLite keeps zero and never checks, hold the marking user's id and a tag. The mark
// and its removal are each one write of bytes 18..79, forced to disk.
//
// What is forwarded unchanged: every call on files other than databases (journals, logs,
// temporary files) once its name is mapped; every call on a database file except those
// below; every call on the file system itself except open, delete and access of a main
// journal.
//
// What changes, for a file whose new journals go to the private folder (its folder cannot
// be changed, or it carries this user's mark) and has no journal beside it:
// - open / delete of "<file>-journal" use the private journal instead;
// - access says the journal exists when the beside one does (as always), or when the
//   private one does and the file carries this user's mark: a private journal of a file
//   without the mark was never needed (the process died before it wrote the file), and
//   replaying it could undo another opening's later change;
// - the file is never mapped into memory, so that every read passes here, and it claims
//   no atomic writes, so that SQLite always journals.
//
// The states of one database handle and its mark (lock is the handle's lock level):
//
//   state      | event                                      | action                      | next
//   -----------+--------------------------------------------+-----------------------------+--------
//   clean      | lock NONE -> SHARED, header has own mark,  | write the header's own      | clean
//              |   no private journal (committed, killed)   |   bytes back, sync          |
//   clean      | lock NONE -> SHARED, own mark, journal     | none: access says the       | clean
//              |   there                                    |   journal exists, and SQLite|
//              |                                            |   plays it back (below)     |
//   clean      | first write or truncate in a change,       | write the mark, sync (none  | marked
//              |   EXCLUSIVE, private journal there         |   if already marked)        |
//   clean      | first write, no journal on disk            | refuse the write            | clean
//   marked     | write of bytes 18/19 or 72..79             | keep them as the file's own,| marked
//              |                                            |   write the mark in place   |
//   marked     | read of bytes 18/19 or 72..79              | answer the file's own       | marked
//   marked     | lock drops below EXCLUSIVE, private        | write the file's own bytes  | clean
//              |   journal gone (committed or rolled back)  |   back, sync, then unlock   |
//   marked     | lock drops below EXCLUSIVE, journal still  | unlock; the mark stays for  | clean
//              |   there (the change could not end)         |   the next opening          |
//
// Invariants: the mark is on disk only while a private journal that can undo the change
// is (the journal is written and synced before the file's first write); the mark is
// written and cleared under EXCLUSIVE, or cleared under SHARED when no journal is left,
// when no other opening can be writing. A file marked by another user is read by no
// one here: SQLite refuses it ("not a database"), and the open calls it an invalid file.
// A file whose header is in write-ahead form (bytes 18/19 are 2) never takes the mark.
#include "platform/files/sqlite/journal_vfs.hpp"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/sqlite/journal_mark.hpp"
#include "platform/files/sqlite/private_journal.hpp"
#include "platform/os/os.hpp"

namespace vc::files::sqlite {
namespace {

constexpr const char* kVfsName = "varcompass";
constexpr std::string_view kJournalSuffix = "-journal";

std::atomic<void (*)(JournalMoment)> probe{nullptr};

void note(JournalMoment moment) {
  if (auto* p = probe.load(std::memory_order_relaxed)) p(moment);
}

sqlite3_vfs* systemVfs() {
  static sqlite3_vfs* const vfs = sqlite3_vfs_find("unix");
  return vfs;
}

// A layer that tests put under this one (a disk that fills up); nothing in the program.
std::atomic<sqlite3_vfs*> layerBelow{nullptr};

// Room in each file handle for a layer below that keeps a little of its own before the
// system's handle.
constexpr int kRoomForLayerBelow = 64;

/// The file system this one forwards to: the system's own, unless a test put a layer
/// between the two.
sqlite3_vfs* unixVfs() {
  sqlite3_vfs* below = layerBelow.load(std::memory_order_acquire);
  return below != nullptr ? below : systemVfs();
}

/// One database file opened through this file system in this process.
struct Entry {
  int refs = 0;
  bool privateFolder = false;            // its folder cannot be changed by this user
  std::optional<FileIdentity> identity;  // of the file when it was opened
  bool markedByUs = false;               // the header carried this user's mark, last seen
};

std::mutex registryGuard;

// Never freed: a connection may still close while the process ends.
std::map<std::string, Entry, std::less<>>& registry() {
  static auto* const entries = new std::map<std::string, Entry, std::less<>>;
  return *entries;
}

/// A journal's name, kept for as long as the process lives: the unix file system holds on
/// to the name of a file it has open.
const char* intern(std::string name) {
  static auto* const names = new std::set<std::string, std::less<>>;
  return names->insert(std::move(name)).first->c_str();
}

std::string folderOf(std::string_view path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

/// What a journal's name tells of its database file: whether the private journal stands
/// for it, and the identity of the file that names it.
struct JournalOf {
  bool usesPrivate = false;
  bool markedByUs = false;
  std::optional<FileIdentity> identity;
};

std::optional<JournalOf> journalOf(std::string_view journal) {
  if (journal.size() <= kJournalSuffix.size() || !journal.ends_with(kJournalSuffix)) {
    return std::nullopt;
  }
  const std::lock_guard lock(registryGuard);
  const auto it = registry().find(journal.substr(0, journal.size() - kJournalSuffix.size()));
  if (it == registry().end()) return std::nullopt;
  const Entry& e = it->second;
  return JournalOf{e.privateFolder || e.markedByUs, e.markedByUs, e.identity};
}

bool besideExists(const char* journal) {
  int exists = 0;
  sqlite3_vfs* u = unixVfs();
  return u->xAccess(u, journal, SQLITE_ACCESS_EXISTS, &exists) == SQLITE_OK && exists != 0;
}

// --- a database file ---------------------------------------------------------------------

/// What SQLite holds for a database file: this part, then the unix file.
struct DbFile {
  sqlite3_file base;  // first: SQLite sees a DbFile as its sqlite3_file
  sqlite3_file* real;
  Entry* entry;             // in the registry, held by refs
  const std::string* name;  // the entry's key
  int lock;
  bool readOnly;
  enum class Change { undecided, unmarked, marked } change;
  Own own;  // the file's own bytes under the mark, while marked
};

constexpr std::size_t kRealAt = (sizeof(DbFile) + alignof(std::max_align_t) - 1) /
                                alignof(std::max_align_t) * alignof(std::max_align_t);

DbFile* dbFile(sqlite3_file* file) {
  return reinterpret_cast<DbFile*>(file);
}

const sqlite3_io_methods& realOf(DbFile* f) {
  return *f->real->pMethods;
}

void setMarkedByUs(DbFile* f, bool marked) {
  const std::lock_guard lock(registryGuard);
  f->entry->markedByUs = marked;
}

/// Writes `own` over the mark's bytes in one write of bytes 18..79, and forces it to disk.
int writeOwn(DbFile* f, const Own& own) {
  Span span{};
  int rc = realOf(f).xRead(f->real, span.data(), span.size(), kSpanBegin);
  if (rc != SQLITE_OK) return rc;
  overlay(span.data(), static_cast<int>(span.size()), kSpanBegin, own);
  rc = realOf(f).xWrite(f->real, span.data(), span.size(), kSpanBegin);
  if (rc != SQLITE_OK) return rc;
  return realOf(f).xSync(f->real, SQLITE_SYNC_NORMAL);
}

/// On a new lock: what the header says of a mark, and the mark of a change that was
/// committed and then killed taken away.
void look(DbFile* f) {
  Span span{};
  const int rc = realOf(f).xRead(f->real, span.data(), span.size(), kSpanBegin);
  const std::optional<std::uint32_t> by = rc == SQLITE_OK ? markedBy(span) : std::nullopt;
  const bool ours = by == thisUser();
  std::optional<FileIdentity> identity;
  {
    const std::lock_guard lock(registryGuard);
    f->entry->markedByUs = ours;
    identity = f->entry->identity;
  }
  if (!ours || f->readOnly || !identity) return;
  // No other opening writes while this one holds its shared lock. A journal still there
  // is played back by SQLite, since access says it exists; one that is gone was deleted
  // by the commit, whose pages are all in the file.
  if (privateJournalPresence(*identity) != JournalPresence::absent) return;
  if (writeOwn(f, kPlainOwn) == SQLITE_OK) setMarkedByUs(f, false);
}

/// Before the first write of a change: the mark, when the change's journal is private.
int beforeWrite(DbFile* f) {
  if (f->change != DbFile::Change::undecided) return SQLITE_OK;
  bool usesPrivate = false;
  std::optional<FileIdentity> identity;
  {
    const std::lock_guard lock(registryGuard);
    usesPrivate = f->entry->privateFolder || f->entry->markedByUs;
    identity = f->entry->identity;
  }
  Span span{};
  const int read = realOf(f).xRead(f->real, span.data(), span.size(), kSpanBegin);
  if (read != SQLITE_OK && read != SQLITE_IOERR_SHORT_READ) return read;
  const bool newFile = read == SQLITE_IOERR_SHORT_READ;
  const bool writeAhead = !newFile && span[0] == 2 && span[1] == 2;
  if (!usesPrivate || writeAhead) {
    f->change = DbFile::Change::unmarked;
    return SQLITE_OK;
  }
  note(JournalMoment::firstWrite);
  // A write that no journal on disk can undo would leave the file damaged by a kill.
  if (f->lock < SQLITE_LOCK_EXCLUSIVE || !identity ||
      privateJournalPresence(*identity) != JournalPresence::present) {
    return SQLITE_IOERR_WRITE;
  }
  if (newFile) {
    // No header yet: it comes with the first write of page 1, which takes the mark.
    f->own = kPlainOwn;
  } else if (const std::optional<std::uint32_t> by = markedBy(span)) {
    // Left by a change that was killed, and now played back: the file's own bytes under
    // it are those of every rollback-journal file.
    if (*by != thisUser()) return SQLITE_IOERR_WRITE;
    f->own = kPlainOwn;
  } else {
    overlay(span.data(), static_cast<int>(span.size()), kSpanBegin, markOf(thisUser()), &f->own);
    int rc = realOf(f).xWrite(f->real, span.data(), span.size(), kSpanBegin);
    if (rc == SQLITE_OK) rc = realOf(f).xSync(f->real, SQLITE_SYNC_NORMAL);
    if (rc != SQLITE_OK) return rc;
    note(JournalMoment::marked);
  }
  f->change = DbFile::Change::marked;
  setMarkedByUs(f, true);
  return SQLITE_OK;
}

int dbClose(sqlite3_file* file) {
  DbFile* f = dbFile(file);
  const int rc = realOf(f).xClose(f->real);
  const std::lock_guard lock(registryGuard);
  if (--f->entry->refs == 0) registry().erase(registry().find(*f->name));
  return rc;
}

int dbRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  DbFile* f = dbFile(file);
  const int rc = realOf(f).xRead(f->real, buffer, amount, offset);
  if (f->change == DbFile::Change::marked && touchesMark(amount, offset) &&
      (rc == SQLITE_OK || rc == SQLITE_IOERR_SHORT_READ)) {
    overlay(static_cast<unsigned char*>(buffer), amount, offset, f->own);
  }
  return rc;
}

int dbWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  DbFile* f = dbFile(file);
  if (const int rc = beforeWrite(f); rc != SQLITE_OK) return rc;
  int rc = SQLITE_OK;
  if (f->change == DbFile::Change::marked && touchesMark(amount, offset)) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::vector<unsigned char> copy(bytes, bytes + amount);
    overlay(copy.data(), amount, offset, markOf(thisUser()), &f->own);
    rc = realOf(f).xWrite(f->real, copy.data(), amount, offset);
  } else {
    rc = realOf(f).xWrite(f->real, buffer, amount, offset);
  }
  if (rc == SQLITE_OK) note(JournalMoment::pageWritten);
  return rc;
}

int dbTruncate(sqlite3_file* file, sqlite3_int64 size) {
  DbFile* f = dbFile(file);
  if (const int rc = beforeWrite(f); rc != SQLITE_OK) return rc;
  return realOf(f).xTruncate(f->real, size);
}

int dbSync(sqlite3_file* file, int flags) {
  DbFile* f = dbFile(file);
  return realOf(f).xSync(f->real, flags);
}

int dbFileSize(sqlite3_file* file, sqlite3_int64* size) {
  DbFile* f = dbFile(file);
  return realOf(f).xFileSize(f->real, size);
}

int dbLock(sqlite3_file* file, int level) {
  DbFile* f = dbFile(file);
  const int rc = realOf(f).xLock(f->real, level);
  if (rc != SQLITE_OK) return rc;
  const int before = f->lock;
  f->lock = std::max(before, level);
  if (before == SQLITE_LOCK_NONE && level >= SQLITE_LOCK_SHARED) look(f);
  return rc;
}

int dbUnlock(sqlite3_file* file, int level) {
  DbFile* f = dbFile(file);
  if (level < SQLITE_LOCK_EXCLUSIVE && f->change == DbFile::Change::marked) {
    note(JournalMoment::journalGone);
    std::optional<FileIdentity> identity;
    {
      const std::lock_guard lock(registryGuard);
      identity = f->entry->identity;
    }
    sqlite3_int64 size = 0;
    // A journal still there must stay usable: the mark keeps the file for its playback.
    // A new file rolled back to nothing has no header to give back.
    if (identity && privateJournalPresence(*identity) == JournalPresence::absent &&
        realOf(f).xFileSize(f->real, &size) == SQLITE_OK) {
      if (size < kHeaderSize || writeOwn(f, f->own) == SQLITE_OK) {
        setMarkedByUs(f, false);
        note(JournalMoment::cleared);
      }
    }
    f->change = DbFile::Change::undecided;
  }
  if (level <= SQLITE_LOCK_SHARED) f->change = DbFile::Change::undecided;
  const int rc = realOf(f).xUnlock(f->real, level);
  if (rc == SQLITE_OK) f->lock = level;
  return rc;
}

int dbCheckReservedLock(sqlite3_file* file, int* out) {
  DbFile* f = dbFile(file);
  return realOf(f).xCheckReservedLock(f->real, out);
}

int dbFileControl(sqlite3_file* file, int op, void* arg) {
  DbFile* f = dbFile(file);
  return realOf(f).xFileControl(f->real, op, arg);
}

int dbSectorSize(sqlite3_file* file) {
  DbFile* f = dbFile(file);
  return realOf(f).xSectorSize(f->real);
}

int dbDeviceCharacteristics(sqlite3_file* file) {
  DbFile* f = dbFile(file);
  // A write the device makes atomically would let SQLite write without a journal.
  constexpr int kAtomic = SQLITE_IOCAP_ATOMIC | SQLITE_IOCAP_ATOMIC512 | SQLITE_IOCAP_ATOMIC1K |
                          SQLITE_IOCAP_ATOMIC2K | SQLITE_IOCAP_ATOMIC4K | SQLITE_IOCAP_ATOMIC8K |
                          SQLITE_IOCAP_ATOMIC16K | SQLITE_IOCAP_ATOMIC32K | SQLITE_IOCAP_ATOMIC64K |
                          SQLITE_IOCAP_BATCH_ATOMIC;
  return realOf(f).xDeviceCharacteristics(f->real) & ~kAtomic;
}

int dbShmMap(sqlite3_file* file, int page, int pageSize, int extend, void volatile** out) {
  DbFile* f = dbFile(file);
  return realOf(f).xShmMap(f->real, page, pageSize, extend, out);
}

int dbShmLock(sqlite3_file* file, int offset, int n, int flags) {
  DbFile* f = dbFile(file);
  return realOf(f).xShmLock(f->real, offset, n, flags);
}

void dbShmBarrier(sqlite3_file* file) {
  DbFile* f = dbFile(file);
  realOf(f).xShmBarrier(f->real);
}

int dbShmUnmap(sqlite3_file* file, int deleteFlag) {
  DbFile* f = dbFile(file);
  return realOf(f).xShmUnmap(f->real, deleteFlag);
}

// Pages are never mapped: a mapped read would pass the mark by.
int dbFetch(sqlite3_file*, sqlite3_int64, int, void** out) {
  *out = nullptr;
  return SQLITE_OK;
}

int dbUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  DbFile* f = dbFile(file);
  return realOf(f).xUnfetch(f->real, offset, page);
}

const sqlite3_io_methods kDbMethods = {
    3,
    dbClose,
    dbRead,
    dbWrite,
    dbTruncate,
    dbSync,
    dbFileSize,
    dbLock,
    dbUnlock,
    dbCheckReservedLock,
    dbFileControl,
    dbSectorSize,
    dbDeviceCharacteristics,
    dbShmMap,
    dbShmLock,
    dbShmBarrier,
    dbShmUnmap,
    dbFetch,
    dbUnfetch,
};

// --- the file system ---------------------------------------------------------------------

int openDatabase(const char* name, sqlite3_file* file, int flags, int* outFlags) {
  auto* f = new (file) DbFile{};
  f->base.pMethods = nullptr;
  f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealAt);
  int out = 0;
  sqlite3_vfs* u = unixVfs();
  const int rc = u->xOpen(u, name, f->real, flags, &out);
  if (outFlags != nullptr) *outFlags = out;
  if (rc != SQLITE_OK) return rc;
  f->readOnly = (out & SQLITE_OPEN_READONLY) != 0;
  const std::optional<FileIdentity> identity = identityOf(name);
  const bool privateFolder = !os().canChangeFolder(folderOf(name));
  {
    const std::lock_guard lock(registryGuard);
    const auto it = registry().try_emplace(name).first;
    Entry& e = it->second;
    // The same name for another file: the file opened last stands for the name.
    if (e.refs == 0 || e.identity != identity) {
      e.identity = identity;
      e.privateFolder = privateFolder;
      e.markedByUs = false;
    }
    ++e.refs;
    f->entry = &e;
    f->name = &it->first;
  }
  f->base.pMethods = &kDbMethods;
  return SQLITE_OK;
}

int vfsOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  sqlite3_vfs* u = unixVfs();
  if (name != nullptr && (flags & SQLITE_OPEN_MAIN_DB) != 0) {
    return openDatabase(name, file, flags, outFlags);
  }
  if (name != nullptr && (flags & SQLITE_OPEN_MAIN_JOURNAL) != 0) {
    if (const std::optional<JournalOf> of = journalOf(name); of && of->usesPrivate) {
      if (!besideExists(name)) {
        const bool create = (flags & SQLITE_OPEN_CREATE) != 0;
        const std::optional<std::string> path =
            of->identity ? privateJournalPath(*of->identity, create) : std::nullopt;
        if (!path) return SQLITE_CANTOPEN;
        return u->xOpen(u, intern(*path), file, flags, outFlags);
      }
    }
  }
  // Anything else is the unix file system's own, in the same room.
  return u->xOpen(u, name, file, flags, outFlags);
}

int vfsDelete(sqlite3_vfs*, const char* name, int syncFolder) {
  sqlite3_vfs* u = unixVfs();
  if (const std::optional<JournalOf> of = journalOf(name); of && of->usesPrivate) {
    if (!besideExists(name)) {
      const std::optional<std::string> path =
          of->identity ? privateJournalPath(*of->identity, /*create=*/false) : std::nullopt;
      if (!path) return SQLITE_IOERR_DELETE;
      return u->xDelete(u, path->c_str(), syncFolder);
    }
  }
  return u->xDelete(u, name, syncFolder);
}

int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
  sqlite3_vfs* u = unixVfs();
  const int rc = u->xAccess(u, name, flags, out);
  if (rc != SQLITE_OK || *out != 0 || flags != SQLITE_ACCESS_EXISTS) return rc;
  if (const std::optional<JournalOf> of = journalOf(name); of && of->markedByUs && of->identity) {
    *out = privateJournalPresence(*of->identity) == JournalPresence::present ? 1 : 0;
  }
  return rc;
}

int vfsFullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
  return unixVfs()->xFullPathname(unixVfs(), name, n, out);
}
void* vfsDlOpen(sqlite3_vfs*, const char* name) {
  return unixVfs()->xDlOpen(unixVfs(), name);
}
void vfsDlError(sqlite3_vfs*, int n, char* out) {
  unixVfs()->xDlError(unixVfs(), n, out);
}
void (*vfsDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
  return unixVfs()->xDlSym(unixVfs(), handle, symbol);
}
void vfsDlClose(sqlite3_vfs*, void* handle) {
  unixVfs()->xDlClose(unixVfs(), handle);
}
int vfsRandomness(sqlite3_vfs*, int n, char* out) {
  return unixVfs()->xRandomness(unixVfs(), n, out);
}
int vfsSleep(sqlite3_vfs*, int microseconds) {
  return unixVfs()->xSleep(unixVfs(), microseconds);
}
int vfsCurrentTime(sqlite3_vfs*, double* out) {
  return unixVfs()->xCurrentTime(unixVfs(), out);
}
int vfsGetLastError(sqlite3_vfs*, int n, char* out) {
  return unixVfs()->xGetLastError(unixVfs(), n, out);
}
int vfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
  return unixVfs()->xCurrentTimeInt64(unixVfs(), out);
}
int vfsSetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call) {
  return unixVfs()->xSetSystemCall(unixVfs(), name, call);
}
sqlite3_syscall_ptr vfsGetSystemCall(sqlite3_vfs*, const char* name) {
  return unixVfs()->xGetSystemCall(unixVfs(), name);
}
const char* vfsNextSystemCall(sqlite3_vfs*, const char* name) {
  return unixVfs()->xNextSystemCall(unixVfs(), name);
}

}  // namespace

const char* journalVfs() {
  static const bool registered = [] {
    sqlite3_vfs* u = systemVfs();
    if (u == nullptr || u->iVersion < 3) return false;
    static sqlite3_vfs shim{};
    shim.iVersion = 3;
    // Journals and other files are the unix file system's own, in the same room.
    shim.szOsFile = static_cast<int>(kRealAt) + u->szOsFile + kRoomForLayerBelow;
    shim.mxPathname = u->mxPathname;
    shim.zName = kVfsName;
    shim.xOpen = vfsOpen;
    shim.xDelete = vfsDelete;
    shim.xAccess = vfsAccess;
    shim.xFullPathname = vfsFullPathname;
    shim.xDlOpen = vfsDlOpen;
    shim.xDlError = vfsDlError;
    shim.xDlSym = vfsDlSym;
    shim.xDlClose = vfsDlClose;
    shim.xRandomness = vfsRandomness;
    shim.xSleep = vfsSleep;
    shim.xCurrentTime = vfsCurrentTime;
    shim.xGetLastError = vfsGetLastError;
    shim.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    shim.xSetSystemCall = vfsSetSystemCall;
    shim.xGetSystemCall = vfsGetSystemCall;
    shim.xNextSystemCall = vfsNextSystemCall;
    return sqlite3_vfs_register(&shim, /*makeDflt=*/0) == SQLITE_OK;
  }();
  // Unregistered, the name opens nothing: no table is written without its journal.
  (void)registered;
  return kVfsName;
}

bool putLayerBelowForTests(sqlite3_vfs* below) {
  if (below != nullptr && below->szOsFile > systemVfs()->szOsFile + kRoomForLayerBelow) {
    return false;
  }
  layerBelow.store(below, std::memory_order_release);
  return true;
}

void setJournalProbeForTests(void (*p)(JournalMoment)) {
  probe.store(p, std::memory_order_relaxed);
}

}  // namespace vc::files::sqlite
