// The operating-system seam under the file drivers: the few calls they make on files and
// folders, behind an interface so that tests can make any of them refuse or fail.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
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

/// A file or folder as it was at one moment: equal stamps mean that it was not changed in
/// between (for a folder: no entry added, removed or renamed) or replaced by another.
/// The system stamps changes with a coarse clock, so a stamp only tells changes apart
/// that came some while after the moment it was taken (see settledBefore).
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

/// Whether the thing stamped had last changed well before `moment`, so that any later
/// change is sure to give another stamp.
bool settledBefore(const FileStamp& stamp, std::chrono::system_clock::time_point moment);

/// The longest path the system takes, terminator included: a name this long or longer
/// can only be a cut one, and is never opened.
inline constexpr std::size_t kLongestPath = 4096;

/// The answer for a name that stands for something other than a regular file: a folder
/// says so; a pipe, a device or a socket is never opened, since reading one can wait for
/// ever.
FileStatus notARegularFile(PathKind kind);
/// The answer for a name that must stand for a regular file: none for one, fileNotFound
/// when nothing is there, else notARegularFile.
FileStatus regularFileStatus(PathKind kind);

/// The calls the drivers make. Errors come back as the file layer's: a missing file is
/// fileNotFound, a missing folder pathNotFound, a refusal accessDenied, an over-long or
/// unusable name invalidFilename, anything else fileSystemError with the system's own
/// code and text.
class Os {
 public:
  virtual ~Os() = default;

  /// Opens an existing regular file without ever waiting on it; anything else is refused
  /// with notARegularFile.
  virtual OsOpen open(const std::string& path, AccessMode mode) = 0;
  /// Creates a new empty file (through a symbolic link that points nowhere, the file it
  /// names); a regular file that already exists counts as created.
  virtual FileStatus create(const std::string& path) = 0;
  /// Creates a new empty file under the name itself, never through a symbolic link: a
  /// link in the way, dangling or not, is refused. A regular file that is already there
  /// counts as created (another opening made it meanwhile).
  virtual FileStatus createNew(const std::string& path) = 0;
  /// Reads up to n bytes at offset; the answer is the count read (short at the end of the
  /// file) or -1 on failure.
  virtual long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) = 0;
  /// Writes n bytes at offset and forces them to disk; 5 when the file was opened for
  /// reading only.
  virtual FileStatus writeDurably(int fd, const char* bytes, std::size_t n,
                                  std::uint64_t offset) = 0;
  virtual void close(int fd) = 0;
  /// Whether the file may be opened in mode, without opening it.
  virtual FileStatus checkAccess(const std::string& path, AccessMode mode) = 0;
  virtual PathKind stat(const std::string& path) = 0;
  /// Whether the name itself is a symbolic link, whether or not it points anywhere.
  virtual bool isLink(const std::string& path) = 0;
  /// The folder's stamp; nothing when path is no folder that can be entered.
  virtual std::optional<FileStamp> folderStamp(const std::string& folder) = 0;
  /// The regular file's stamp; nothing when path is no regular file.
  virtual std::optional<FileStamp> fileStamp(const std::string& path) = 0;
  /// Whether files can be made and removed in the folder.
  virtual bool canChangeFolder(const std::string& folder) = 0;
  /// The names in a folder ("." and ".." left out); nothing when it cannot be read.
  virtual std::optional<std::vector<std::string>> listFolder(const std::string& folder) = 0;
  virtual FileStatus remove(const std::string& path) = 0;
  // An opening's hold on a file, which keeps a removal anywhere from deleting it. It is a
  // lock of the file's open description, on a byte the database engine never locks, so
  // it is neither taken over by the engine's own locks nor dropped when the process
  // closes some other descriptor of the file, as the engine does.
  /// Takes a shared hold through fd, waiting up to `wait` while a removal has the file;
  /// 5 once the wait is over. It lasts until fd is closed.
  virtual FileStatus holdShared(int fd, std::chrono::milliseconds wait) = 0;
  /// Whether anyone else has the file fd names: a hold through another descriptor (in
  /// this process or another) or one of the database engine's locks in another process.
  virtual bool heldByOthers(int fd) = 0;
  /// The stamp of the file open on fd, when path still names that very file and it has
  /// not been deleted; nothing when it was removed or replaced meanwhile.
  virtual std::optional<FileStamp> stampIfStillNamed(int fd, const std::string& path) = 0;
  /// Deletes a database file and then its side files, or nothing at all. First it makes
  /// sure that each of them may be deleted (its folder may be changed; in a folder where
  /// only owners may delete, the user owns the entry or the folder) and takes every lock
  /// the database engine takes on the file and the exclusive hold, keeping them until the
  /// side files are gone. Refused with 5 when any of that fails, or when the file may not
  /// be written; then nothing changes. Nothing is ever emptied. A symbolic link under the
  /// name is deleted itself, dangling or not, with the side files under its own name; the
  /// file it points at is never touched. Opening and closing a descriptor drops the
  /// engine's locks of this process on the file, so callers remove only files that this
  /// process does not have open.
  virtual FileStatus removeUnlessLocked(const std::string& path,
                                        const std::vector<std::string>& sideFiles) = 0;
};

/// The plain POSIX calls.
class PosixOs : public Os {
 public:
  OsOpen open(const std::string& path, AccessMode mode) override;
  FileStatus create(const std::string& path) override;
  FileStatus createNew(const std::string& path) override;
  long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) override;
  FileStatus writeDurably(int fd, const char* bytes, std::size_t n, std::uint64_t offset) override;
  void close(int fd) override;
  FileStatus checkAccess(const std::string& path, AccessMode mode) override;
  PathKind stat(const std::string& path) override;
  bool isLink(const std::string& path) override;
  std::optional<FileStamp> folderStamp(const std::string& folder) override;
  std::optional<FileStamp> fileStamp(const std::string& path) override;
  bool canChangeFolder(const std::string& folder) override;
  std::optional<std::vector<std::string>> listFolder(const std::string& folder) override;
  FileStatus remove(const std::string& path) override;
  FileStatus holdShared(int fd, std::chrono::milliseconds wait) override;
  bool heldByOthers(int fd) override;
  std::optional<FileStamp> stampIfStillNamed(int fd, const std::string& path) override;
  FileStatus removeUnlessLocked(const std::string& path,
                                const std::vector<std::string>& sideFiles) override;
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
