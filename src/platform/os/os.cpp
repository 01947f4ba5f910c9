#include "platform/os/os.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

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

bool PosixOs::lockedByOtherProcess(const std::string& path) {
  const OsOpen opened = openRegular(path, O_RDONLY);
  if (opened.fd < 0) return false;
  struct flock probe = lockRange(F_WRLCK);
  const bool locked = ::fcntl(opened.fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(opened.fd);
  return locked;
}

FileStatus PosixOs::removeUnlessLocked(const std::string& path,
                                       const std::vector<std::string>& sideFiles) {
  if (!canChangeFolder(folderOf(path))) return FileStatus::of(FileError::accessDenied);
  const OsOpen opened = openRegular(path, O_RDWR);
  if (opened.fd < 0) return opened.status;
  struct flock all = lockRange(F_WRLCK);
  if (::fcntl(opened.fd, F_SETLK, &all) != 0) {
    ::close(opened.fd);
    return FileStatus::of(FileError::accessDenied);
  }
  FileStatus status;
  for (const std::string& side : sideFiles) {
    if (::unlink(side.c_str()) != 0 && errno != ENOENT) {
      status = statusFromErrno(errno);
      break;
    }
  }
  // Emptied before it goes, so that an opening still holding it reads no database, in
  // which case it opens no side files by name either.
  if (status.ok() && ::ftruncate(opened.fd, 0) != 0) status = statusFromErrno(errno);
  if (status.ok() && ::unlink(path.c_str()) != 0) status = statusFromErrno(errno);
  ::close(opened.fd);  // lets go of the lock
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
