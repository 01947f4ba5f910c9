#include "platform/os/os.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

namespace vc::files {
namespace {

PosixOs& posix() {
  static PosixOs instance;
  return instance;
}

std::atomic<Os*> current{nullptr};

// The range a database engine locks on its file: one pending byte, one reserved byte and
// the shared range after them, from the 1 GiB mark.
constexpr off_t kLockRangeStart = 0x40000000;
constexpr off_t kLockRangeLength = 2 + 510;
// The byte of the openings' holds: past the engine's range, on the page the engine
// never uses.
constexpr off_t kHoldByte = kLockRangeStart + 1024;

PathKind kindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return PathKind::file;
  if (S_ISDIR(st.st_mode)) return PathKind::folder;
  return PathKind::other;
}

/// Opens path without waiting on it (a FIFO would wait for a writer) and keeps the
/// descriptor only for a regular file, made blocking again for ordinary reads.
OsOpen openRegular(const std::string& path, int flags, mode_t createMode = 0) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, createMode);
  if (fd < 0) {
    if (errno == EISDIR) return {-1, notARegularFile(PathKind::folder)};
    // A FIFO opened for writing with nobody reading answers ENXIO.
    if (errno == ENXIO) return {-1, notARegularFile(PathKind::other)};
    return {-1, statusFromErrno(errno)};
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return {-1, statusFromErrno(err)};
  }
  if (kindOf(st) != PathKind::file) {
    ::close(fd);
    return {-1, notARegularFile(kindOf(st))};
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return {fd, {}};
}

struct flock lockRange(short type) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kLockRangeStart;
  range.l_len = kLockRangeLength;
  return range;
}

struct flock holdRange(short type) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kHoldByte;
  range.l_len = 1;
  return range;
}

/// Takes the hold through fd without waiting: true when taken.
bool takeHold(int fd, short type) {
  struct flock range = holdRange(type);
  return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
}

FileStamp stampOf(const struct stat& st) {
  return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                   static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec),
                   static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

/// Whether this user may delete the entry `entry` (as lstat saw it) from folder: the
/// folder may be written and entered, and where the folder lets only owners delete
/// (its sticky bit), the user owns the entry or the folder, or is the superuser.
bool mayDelete(const std::string& folder, const struct stat& entry) {
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return false;
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0) return false;
  if ((dir.st_mode & S_ISVTX) == 0) return true;
  const uid_t me = ::geteuid();
  return me == 0 || entry.st_uid == me || dir.st_uid == me;
}

/// Whether each side file that stands may be deleted with the file: a missing one is
/// nothing to delete; a folder under such a name could not be.
bool sideFilesMayGo(const std::string& folder, const std::vector<std::string>& sideFiles) {
  for (const std::string& side : sideFiles) {
    struct stat st {};
    if (::lstat(side.c_str(), &st) != 0) {
      if (errno == ENOENT) continue;
      return false;
    }
    if (S_ISDIR(st.st_mode) || !mayDelete(folder, st)) return false;
  }
  return true;
}

/// Deletes the side files that stand; the answer is the first failure.
FileStatus deleteSideFiles(const std::vector<std::string>& sideFiles) {
  FileStatus status;
  for (const std::string& side : sideFiles) {
    if (::unlink(side.c_str()) != 0 && errno != ENOENT && status.ok()) {
      status = statusFromErrno(errno);
    }
  }
  return status;
}

}  // namespace

bool settledBefore(const FileStamp& stamp, std::chrono::system_clock::time_point moment) {
  // Well over the coarse clock's tick, which is a few milliseconds.
  constexpr std::chrono::milliseconds kSettled{100};
  const auto changed = std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(
          std::chrono::seconds(stamp.modifiedSeconds) +
          std::chrono::nanoseconds(stamp.modifiedNanoseconds)));
  return changed + kSettled < moment;
}

FileStatus notARegularFile(PathKind kind) {
  if (kind == PathKind::folder) {
    return {FileError::fileSystemError, std::to_string(EISDIR), std::strerror(EISDIR)};
  }
  return {FileError::fileSystemError, "0", "Not a regular file"};
}

FileStatus regularFileStatus(PathKind kind) {
  if (kind == PathKind::file) return {};
  return kind == PathKind::missing ? FileStatus::of(FileError::fileNotFound)
                                   : notARegularFile(kind);
}

FileStatus statusFromErrno(int err) {
  switch (err) {
    case 0:
      return {};
    case ENOENT:
      return FileStatus::of(FileError::fileNotFound);
    case ENOTDIR:
      return FileStatus::of(FileError::pathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
      return FileStatus::of(FileError::accessDenied);
    case ENAMETOOLONG:
    case EILSEQ:
      return FileStatus::of(FileError::invalidFilename);
    default:
      return {FileError::fileSystemError, std::to_string(err), std::strerror(err)};
  }
}

OsOpen PosixOs::open(const std::string& path, AccessMode mode) {
  return openRegular(path, mode == AccessMode::readWrite ? O_RDWR : O_RDONLY);
}

FileStatus PosixOs::create(const std::string& path) {
  // Without O_EXCL, so that a link to a missing file makes that file, as any program
  // writing through the link would; a file that is there already is left as it is.
  const OsOpen made = openRegular(path, O_WRONLY | O_CREAT, 0666);
  if (made.fd < 0) return made.status;
  ::close(made.fd);
  return {};
}

FileStatus PosixOs::createNew(const std::string& path) {
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd >= 0) {
    ::close(fd);
    return {};
  }
  const int err = errno;
  struct stat st {};
  if (err == EEXIST && ::lstat(path.c_str(), &st) == 0) {
    if (S_ISREG(st.st_mode)) return {};
    if (S_ISDIR(st.st_mode)) return notARegularFile(PathKind::folder);
  }
  return statusFromErrno(err);
}

long PosixOs::read(int fd, char* buffer, std::size_t n, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fd, buffer + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? static_cast<long>(done) : -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long>(done);
}

FileStatus PosixOs::writeDurably(int fd, const char* bytes, std::size_t n, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t put = ::pwrite(fd, bytes + done, n - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return statusFromErrno(put < 0 ? errno : EIO);
    done += static_cast<std::size_t>(put);
  }
  if (::fsync(fd) != 0) return statusFromErrno(errno);
  return {};
}

void PosixOs::close(int fd) {
  if (fd >= 0) ::close(fd);
}

FileStatus PosixOs::checkAccess(const std::string& path, AccessMode mode) {
  const int how = mode == AccessMode::readWrite ? (R_OK | W_OK) : R_OK;
  if (::access(path.c_str(), how) != 0) return statusFromErrno(errno);
  return {};
}

PathKind PosixOs::stat(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return PathKind::missing;
  return kindOf(st);
}

bool PosixOs::isLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<FileStamp> PosixOs::folderStamp(const std::string& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return stampOf(st);
}

std::optional<FileStamp> PosixOs::fileStamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return stampOf(st);
}

bool PosixOs::canChangeFolder(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::vector<std::string>> PosixOs::listFolder(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const bool complete = errno == 0;
  ::closedir(dir);
  if (!complete) return std::nullopt;
  return names;
}

FileStatus PosixOs::remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return statusFromErrno(errno);
  return {};
}

FileStatus PosixOs::holdShared(int fd, std::chrono::milliseconds wait) {
  // A removal holds the file only while it deletes it, so a short poll outlasts it.
  constexpr std::chrono::milliseconds kPoll{5};
  const auto until = std::chrono::steady_clock::now() + wait;
  while (!takeHold(fd, F_RDLCK)) {
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) return statusFromErrno(errno);
    if (std::chrono::steady_clock::now() >= until) return FileStatus::of(FileError::accessDenied);
    std::this_thread::sleep_for(kPoll);
  }
  return {};
}

bool PosixOs::heldByOthers(int fd) {
  // Either probe asks whether an exclusive lock could be had. A hold of fd's own open
  // description does not count, and neither do the engine's locks of this process.
  struct flock hold = holdRange(F_WRLCK);
  if (::fcntl(fd, F_OFD_GETLK, &hold) != 0 || hold.l_type != F_UNLCK) return true;
  struct flock engine = lockRange(F_WRLCK);
  return ::fcntl(fd, F_GETLK, &engine) != 0 || engine.l_type != F_UNLCK;
}

std::optional<FileStamp> PosixOs::stampIfStillNamed(int fd, const std::string& path) {
  struct stat held {};
  struct stat named {};
  if (::fstat(fd, &held) != 0 || held.st_nlink == 0) return std::nullopt;
  if (::stat(path.c_str(), &named) != 0) return std::nullopt;
  if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) return std::nullopt;
  return stampOf(held);
}

FileStatus PosixOs::removeUnlessLocked(const std::string& path,
                                       const std::vector<std::string>& sideFiles) {
  const std::string folder = folderOf(path);
  struct stat entry {};
  if (::lstat(path.c_str(), &entry) != 0) return statusFromErrno(errno);
  if (!mayDelete(folder, entry) || !sideFilesMayGo(folder, sideFiles)) {
    return FileStatus::of(FileError::accessDenied);
  }
  if (S_ISLNK(entry.st_mode)) {
    // The link is a name of its own: deleting it leaves the file it points at, and every
    // opening of that file, as they are.
    if (::unlink(path.c_str()) != 0) return statusFromErrno(errno);
    return deleteSideFiles(sideFiles);
  }
  if (!S_ISREG(entry.st_mode)) {
    return notARegularFile(S_ISDIR(entry.st_mode) ? PathKind::folder : PathKind::other);
  }
  // A file that may not be written is not deleted either, as a system that keeps
  // read-only files from deletion would have it.
  const OsOpen opened = openRegular(path, O_RDWR | O_NOFOLLOW);
  if (opened.fd < 0) return opened.status;
  struct stat held {};
  struct flock all = lockRange(F_WRLCK);
  FileStatus status;
  if (::fstat(opened.fd, &held) != 0 || held.st_ino != entry.st_ino ||
      held.st_dev != entry.st_dev || !takeHold(opened.fd, F_WRLCK) ||
      ::fcntl(opened.fd, F_SETLK, &all) != 0) {
    // Replaced meanwhile, held by an opening, or locked by the engine for a change.
    status = FileStatus::of(FileError::accessDenied);
  } else if (::unlink(path.c_str()) != 0) {
    status = statusFromErrno(errno);
  } else {
    // Only once the file is gone: a side file may hold changes that belong to it.
    status = deleteSideFiles(sideFiles);
  }
  ::close(opened.fd);  // lets go of the locks and the hold
  return status;
}

Os& os() {
  Os* seam = current.load(std::memory_order_acquire);
  return seam ? *seam : posix();
}

ScopedOs::ScopedOs(Os& seam) : previous_(current.exchange(&seam)) {}
ScopedOs::~ScopedOs() {
  current.store(previous_);
}

}  // namespace vc::files
