// A disk that fills up, for tests: a database-engine file layer over the usual one that
// refuses, as a full file system does, every write that would need more room than is
// left. Files with names (tables, logs, journals) take room; the engine's nameless
// scratch files do not, as they live on another file system.
#pragma once

#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/files/sqlite/journal_vfs.hpp"

namespace vc::testing {

/// Installed as the default for every connection opened while the object lives; room is
/// unlimited until leaveRoom.
class FullDisk {
 public:
  FullDisk() {
    real_ = sqlite3_vfs_find(nullptr);
    vfs_ = *real_;
    vfs_.iVersion = 2;  // no system-call overrides
    vfs_.zName = "vc-full-disk";
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.pNext = nullptr;
    vfs_.pAppData = real_;
    vfs_.xOpen = &open;
    vfs_.xDelete = &remove;
    vfs_.xAccess = [](sqlite3_vfs* v, const char* name, int flags, int* out) {
      return realOf(v)->xAccess(realOf(v), name, flags, out);
    };
    vfs_.xFullPathname = [](sqlite3_vfs* v, const char* name, int n, char* out) {
      return realOf(v)->xFullPathname(realOf(v), name, n, out);
    };
    vfs_.xDlOpen = [](sqlite3_vfs* v, const char* name) {
      return realOf(v)->xDlOpen(realOf(v), name);
    };
    vfs_.xDlError = [](sqlite3_vfs* v, int n, char* out) {
      realOf(v)->xDlError(realOf(v), n, out);
    };
    vfs_.xDlSym = [](sqlite3_vfs* v, void* h, const char* sym) {
      return realOf(v)->xDlSym(realOf(v), h, sym);
    };
    vfs_.xDlClose = [](sqlite3_vfs* v, void* h) { realOf(v)->xDlClose(realOf(v), h); };
    vfs_.xRandomness = [](sqlite3_vfs* v, int n, char* out) {
      return realOf(v)->xRandomness(realOf(v), n, out);
    };
    vfs_.xSleep = [](sqlite3_vfs* v, int us) { return realOf(v)->xSleep(realOf(v), us); };
    vfs_.xCurrentTime = [](sqlite3_vfs* v, double* t) {
      return realOf(v)->xCurrentTime(realOf(v), t);
    };
    vfs_.xGetLastError = [](sqlite3_vfs* v, int n, char* out) {
      return realOf(v)->xGetLastError(realOf(v), n, out);
    };
    vfs_.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* t) {
      return realOf(v)->xCurrentTimeInt64(realOf(v), t);
    };
    room() = kUnlimited;
    refusals() = 0;
    growth() = 0;
    sqlite3_vfs_register(&vfs_, /*makeDflt=*/1);
    // The keyed table's connections name their own file system, which sits on this one.
    (void)files::sqlite::putLayerBelowForTests(&vfs_);
  }
  ~FullDisk() {
    (void)files::sqlite::putLayerBelowForTests(nullptr);
    sqlite3_vfs_unregister(&vfs_);
    room() = kUnlimited;
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  /// From now on files may grow by this many bytes in all; then every write that would
  /// grow one fails.
  void leaveRoom(std::int64_t bytes) { room() = bytes; }
  void unlimited() { room() = kUnlimited; }
  /// How many writes were refused for want of room.
  int refused() const { return refusals(); }
  /// The bytes files have grown by since the disk was installed or last asked to forget.
  std::int64_t grown() const { return growth(); }
  void forgetGrowth() { growth() = 0; }

 private:
  static constexpr std::int64_t kUnlimited = -1;

  struct File {
    sqlite3_file base;
    sqlite3_file* real;  // the usual layer's file, right after this struct
    bool counted;
  };

  static std::atomic<std::int64_t>& room() {
    static std::atomic<std::int64_t> bytes{kUnlimited};
    return bytes;
  }
  static std::atomic<std::int64_t>& growth() {
    static std::atomic<std::int64_t> bytes{0};
    return bytes;
  }
  static std::atomic<int>& refusals() {
    static std::atomic<int> n{0};
    return n;
  }
  static sqlite3_vfs* realOf(sqlite3_vfs* v) { return static_cast<sqlite3_vfs*>(v->pAppData); }
  static sqlite3_file* realOf(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

  /// Takes room for growth; false, and nothing taken, when there is not enough.
  static bool take(std::int64_t bytes) {
    if (bytes <= 0) return true;
    std::int64_t left = room().load();
    do {
      if (left == kUnlimited) break;
      if (left < bytes) {
        ++refusals();
        return false;
      }
    } while (!room().compare_exchange_weak(left, left - bytes));
    growth() += bytes;
    return true;
  }
  static void giveBack(std::int64_t bytes) {
    std::int64_t left = room().load();
    while (bytes > 0 && left != kUnlimited && !room().compare_exchange_weak(left, left + bytes)) {
    }
  }

  static int open(sqlite3_vfs* v, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    File* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->counted = name != nullptr;
    file->base.pMethods = nullptr;
    const int rc = realOf(v)->xOpen(realOf(v), name, file->real, flags, outFlags);
    if (file->real->pMethods != nullptr) file->base.pMethods = methods();
    return rc;
  }
  static int remove(sqlite3_vfs* v, const char* name, int syncDir) {
    struct stat st {};
    const bool had = ::stat(name, &st) == 0;
    const int rc = realOf(v)->xDelete(realOf(v), name, syncDir);
    if (rc == SQLITE_OK && had) giveBack(st.st_size);
    return rc;
  }

  static const sqlite3_io_methods* methods() {
    static const sqlite3_io_methods io = [] {
      sqlite3_io_methods m{};
      m.iVersion = 3;
      m.xClose = [](sqlite3_file* f) {
        sqlite3_file* real = realOf(f);
        const int rc = real->pMethods->xClose(real);
        f->pMethods = nullptr;
        return rc;
      };
      m.xRead = [](sqlite3_file* f, void* out, int n, sqlite3_int64 at) {
        return realOf(f)->pMethods->xRead(realOf(f), out, n, at);
      };
      m.xWrite = [](sqlite3_file* f, const void* bytes, int n, sqlite3_int64 at) {
        sqlite3_file* real = realOf(f);
        if (reinterpret_cast<File*>(f)->counted) {
          sqlite3_int64 size = 0;
          if (real->pMethods->xFileSize(real, &size) != SQLITE_OK) size = 0;
          if (!take(at + n - size)) return SQLITE_FULL;
        }
        return real->pMethods->xWrite(real, bytes, n, at);
      };
      m.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
        sqlite3_file* real = realOf(f);
        sqlite3_int64 before = 0;
        if (real->pMethods->xFileSize(real, &before) != SQLITE_OK) before = 0;
        if (reinterpret_cast<File*>(f)->counted && !take(size - before)) return SQLITE_FULL;
        const int rc = real->pMethods->xTruncate(real, size);
        if (rc == SQLITE_OK && reinterpret_cast<File*>(f)->counted) giveBack(before - size);
        return rc;
      };
      m.xSync = [](sqlite3_file* f, int flags) {
        return realOf(f)->pMethods->xSync(realOf(f), flags);
      };
      m.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
        return realOf(f)->pMethods->xFileSize(realOf(f), size);
      };
      m.xLock = [](sqlite3_file* f, int level) {
        return realOf(f)->pMethods->xLock(realOf(f), level);
      };
      m.xUnlock = [](sqlite3_file* f, int level) {
        return realOf(f)->pMethods->xUnlock(realOf(f), level);
      };
      m.xCheckReservedLock = [](sqlite3_file* f, int* out) {
        return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
      };
      m.xFileControl = [](sqlite3_file* f, int op, void* arg) {
        return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
      };
      m.xSectorSize = [](sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); };
      m.xDeviceCharacteristics = [](sqlite3_file* f) {
        return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
      };
      m.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return realOf(f)->pMethods->xShmMap(realOf(f), page, size, extend, out);
      };
      m.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
        return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
      };
      m.xShmBarrier = [](sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); };
      m.xShmUnmap = [](sqlite3_file* f, int deleteFlag) {
        return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
      };
      m.xFetch = [](sqlite3_file* f, sqlite3_int64 at, int n, void** out) {
        return realOf(f)->pMethods->xFetch(realOf(f), at, n, out);
      };
      m.xUnfetch = [](sqlite3_file* f, sqlite3_int64 at, void* p) {
        return realOf(f)->pMethods->xUnfetch(realOf(f), at, p);
      };
      return m;
    }();
    return &io;
  }

  sqlite3_vfs* real_ = nullptr;
  sqlite3_vfs vfs_{};
};

/// What plain SQLite finds in the file at path: its integrity check, then its tables by
/// name ("cannot open" when it opens nothing).
inline std::string plainView(const char* path) {
  sqlite3* db = nullptr;
  std::string answer = "cannot open";
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      answer = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
    if (sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                           "'sqlite_%' ORDER BY name",
                           -1, &st, nullptr) == SQLITE_OK) {
      while (sqlite3_step(st) == SQLITE_ROW) {
        answer += std::string(" ") + reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      }
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return answer;
}

}  // namespace vc::testing
