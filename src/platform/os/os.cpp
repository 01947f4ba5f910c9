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

}  // namespace

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
    case EISDIR:
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
  // Without O_NONBLOCK an open of a FIFO waits for a writer that may never come; a file
  // that turns out not to be a regular one is refused before anything reads it.
  const int flags = (mode == AccessMode::readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) return {-1, statusFromErrno(errno)};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {-1, FileStatus::of(FileError::accessDenied)};
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return {fd, {}};
}

FileStatus PosixOs::create(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? FileStatus{} : statusFromErrno(errno);
  ::close(fd);
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
  if (S_ISREG(st.st_mode)) return PathKind::file;
  if (S_ISDIR(st.st_mode)) return PathKind::folder;
  return PathKind::other;
}

std::vector<std::string> PosixOs::listFolder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

FileStatus PosixOs::remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return statusFromErrno(errno);
  return {};
}

bool PosixOs::lockedByOtherProcess(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = kLockRangeStart;
  probe.l_len = kLockRangeLength;
  const bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return locked;
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
