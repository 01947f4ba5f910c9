// The operating-system seam under the file drivers: the few calls they make on files and
// folders, behind an interface so that tests can make any of them refuse or fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/file_error.hpp"

namespace vc::files {

enum class AccessMode { readWrite, readOnly };
enum class PathKind { missing, file, folder, other };

/// A descriptor, or the reason there is none.
struct OsOpen {
  int fd = -1;
  FileStatus status;
};

/// The calls the drivers make. Errors come back as the file layer's numbers: a missing
/// file is 2, a missing folder 3, a refusal 5, an over-long or unusable name 45, anything
/// else 90 with the system's own code and text.
class Os {
 public:
  virtual ~Os() = default;

  /// Opens an existing regular file; a folder is refused with 5.
  virtual OsOpen open(const std::string& path, AccessMode mode) = 0;
  /// Creates a new empty file; one that already exists counts as created.
  virtual FileStatus create(const std::string& path) = 0;
  /// Reads up to n bytes at offset; the answer is the count read (short at the end of the
  /// file) or -1 on failure.
  virtual long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) = 0;
  virtual void close(int fd) = 0;
  /// Whether the file may be opened in mode, without opening it.
  virtual FileStatus checkAccess(const std::string& path, AccessMode mode) = 0;
  virtual PathKind stat(const std::string& path) = 0;
  /// The names in a folder ("." and ".." left out); empty when it cannot be read.
  virtual std::vector<std::string> listFolder(const std::string& folder) = 0;
  virtual FileStatus remove(const std::string& path) = 0;
  /// Whether another process holds a lock on the file. Opening and closing a descriptor
  /// drops every lock this process holds on the file, so callers probe only files this
  /// process does not have open.
  virtual bool lockedByOtherProcess(const std::string& path) = 0;
};

/// The plain POSIX calls.
class PosixOs : public Os {
 public:
  OsOpen open(const std::string& path, AccessMode mode) override;
  FileStatus create(const std::string& path) override;
  long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) override;
  void close(int fd) override;
  FileStatus checkAccess(const std::string& path, AccessMode mode) override;
  PathKind stat(const std::string& path) override;
  std::vector<std::string> listFolder(const std::string& folder) override;
  FileStatus remove(const std::string& path) override;
  bool lockedByOtherProcess(const std::string& path) override;
};

/// The seam every driver in the process uses: the POSIX one unless a test installed
/// another.
Os& os();

/// Installs a seam for the lifetime of the object and restores the previous one after.
class ScopedOs {
 public:
  explicit ScopedOs(Os& seam);
  ~ScopedOs();
  ScopedOs(const ScopedOs&) = delete;
  ScopedOs& operator=(const ScopedOs&) = delete;

 private:
  Os* previous_;
};

/// The file layer's answer for a system error number.
FileStatus statusFromErrno(int err);

}  // namespace vc::files
