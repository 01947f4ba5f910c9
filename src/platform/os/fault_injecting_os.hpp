// A test double for the operating-system seam: passes every call to the real one unless
// told to refuse it, so that a read-only file, a refused creation or a file locked by
// another program can be shown by a test that runs as root.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/os/os.hpp"

namespace vc::files {

class FaultInjectingOs : public Os {
 public:
  enum class Call {
    openReadWrite,
    openReadOnly,
    create,
    read,
    checkReadWrite,
    checkReadOnly,
    remove,      // also the removal of a database file with its side files
    listFolder,  // by the folder's last component
    changeFolder,
    hold  // an opening's shared hold, by the name its descriptor was opened under
  };

  FaultInjectingOs();
  explicit FaultInjectingOs(Os& real) : real_(real) {}

  /// From now on `call` on a file whose last path component is `name` fails with `error`,
  /// `times` times (or always when times is negative).
  void refuse(Call call, const std::string& name, FileError error, int times = -1);
  /// The file refuses writing, as a read-only file does: opening and checking for reading
  /// and writing give 5.
  void makeReadOnly(const std::string& name);
  /// From now on the file is held by another process: heldByOthers answers yes for it and
  /// its removal is refused.
  void lockByOtherProcess(const std::string& name);
  /// The next `call` on the file runs `meanwhile` first, once: what another process does
  /// between two steps of the caller.
  void beforeNext(Call call, const std::string& name, std::function<void()> meanwhile);
  /// How often `call` was made on the file, refused or not.
  int calls(Call call, const std::string& name) const;

  OsOpen open(const std::string& path, AccessMode mode) override;
  FileStatus create(const std::string& path) override;
  FileStatus createNew(const std::string& path) override;
  long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) override;
  FileStatus writeDurably(int fd, const char* bytes, std::size_t n, std::uint64_t offset) override {
    return real_.writeDurably(fd, bytes, n, offset);
  }
  void close(int fd) override;
  FileStatus checkAccess(const std::string& path, AccessMode mode) override;
  PathKind stat(const std::string& path) override { return real_.stat(path); }
  bool isLink(const std::string& path) override { return real_.isLink(path); }
  std::optional<FileStamp> folderStamp(const std::string& folder) override {
    return real_.folderStamp(folder);
  }
  std::optional<FileStamp> fileStamp(const std::string& path) override {
    return real_.fileStamp(path);
  }
  bool canChangeFolder(const std::string& folder) override;
  std::optional<std::vector<std::string>> listFolder(const std::string& folder) override;
  FileStatus remove(const std::string& path) override;
  FileStatus holdShared(int fd, std::chrono::milliseconds wait) override;
  bool heldByOthers(int fd) override;
  std::optional<FileStamp> stampIfStillNamed(int fd, const std::string& path) override {
    return real_.stampIfStillNamed(fd, path);
  }
  FileStatus removeUnlessLocked(const std::string& path,
                                const std::vector<std::string>& sideFiles) override;

 private:
  struct Rule {
    FileError error;
    int times;
  };
  /// Counts the call and answers the error of a rule that still applies, if any.
  FileError injected(Call call, const std::string& path);
  /// The path a descriptor of this seam was opened under; empty for any other.
  std::string pathOf(int fd) const;
  bool lockedByOtherProcess(const std::string& path) const;

  Os& real_;
  mutable std::mutex lock_;
  std::map<std::pair<Call, std::string>, Rule> rules_;
  std::map<std::pair<Call, std::string>, int> calls_;
  std::map<std::pair<Call, std::string>, std::function<void()>> meanwhile_;
  std::map<int, std::string> descriptors_;
  std::vector<std::string> locked_;
};

}  // namespace vc::files
