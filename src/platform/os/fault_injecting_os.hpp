// A test double for the operating-system seam: passes every call to the real one unless
// told to refuse it, so that a read-only file, a refused creation or a file locked by
// another program can be shown by a test that runs as root.
#pragma once

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
    remove,      // also the emptying of a database file
    listFolder,  // by the folder's last component
    changeFolder
  };

  FaultInjectingOs();
  explicit FaultInjectingOs(Os& real) : real_(real) {}

  /// From now on `call` on a file whose last path component is `name` fails with `error`,
  /// `times` times (or always when times is negative).
  void refuse(Call call, const std::string& name, FileError error, int times = -1);
  /// The file refuses writing, as a read-only file does: opening and checking for reading
  /// and writing give 5.
  void makeReadOnly(const std::string& name);
  /// lockedByOtherProcess answers yes for the file.
  void lockByOtherProcess(const std::string& name);
  /// How often `call` was made on the file, refused or not.
  int calls(Call call, const std::string& name) const;

  OsOpen open(const std::string& path, AccessMode mode) override;
  FileStatus create(const std::string& path) override;
  long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) override;
  FileStatus writeDurably(int fd, const char* bytes, std::size_t n, std::uint64_t offset) override {
    return real_.writeDurably(fd, bytes, n, offset);
  }
  void close(int fd) override;
  FileStatus checkAccess(const std::string& path, AccessMode mode) override;
  PathKind stat(const std::string& path) override { return real_.stat(path); }
  std::optional<FileStamp> folderStamp(const std::string& folder) override {
    return real_.folderStamp(folder);
  }
  std::optional<FileStamp> fileStamp(const std::string& path) override {
    return real_.fileStamp(path);
  }
  bool canChangeFolder(const std::string& folder) override;
  std::optional<std::vector<std::string>> listFolder(const std::string& folder) override;
  FileStatus remove(const std::string& path) override;
  bool lockedByOtherProcess(const std::string& path) override;
  FileStatus removeUnlessLocked(const std::string& path,
                                const std::vector<std::string>& sideFiles) override;

 private:
  struct Rule {
    FileError error;
    int times;
  };
  /// Counts the call and answers the error of a rule that still applies, if any.
  FileError injected(Call call, const std::string& path);

  Os& real_;
  mutable std::mutex lock_;
  std::map<std::pair<Call, std::string>, Rule> rules_;
  std::map<std::pair<Call, std::string>, int> calls_;
  std::map<int, std::string> descriptors_;
  std::vector<std::string> locked_;
};

}  // namespace vc::files
