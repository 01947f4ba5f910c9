#include "platform/files/table_guard.hpp"

#include <map>
#include <mutex>
#include <vector>

#include "platform/os/os.hpp"

namespace vc::files {
namespace {

using FileId = std::pair<std::uint64_t, std::uint64_t>;

/// The holds of this process on one file.
struct Held {
  // The first descriptor carries the hold. Another is kept only in the odd case that a
  // second one was opened on a file already held; it is closed with the first.
  std::vector<int> descriptors;
  int openings = 0;
};

std::mutex heldLock;

std::map<FileId, Held>& heldFiles() {
  static std::map<FileId, Held> files;
  return files;
}

// Each start-over means a removal deleted the file between two steps of the hold; more
// than a few in a row can only be a name replaced on purpose again and again.
constexpr int kStartsOver = 8;

}  // namespace

FileStatus TableGuard::hold(const std::string& path) {
  release();
  Os& seam = os();
  std::lock_guard guard(heldLock);
  for (int attempt = 0; attempt < kStartsOver; ++attempt) {
    const std::optional<FileStamp> named = seam.fileStamp(path);
    if (!named) {
      const PathKind kind = seam.stat(path);
      return kind == PathKind::missing ? FileStatus::of(FileError::fileNotFound)
                                       : notARegularFile(kind);
    }
    // Already held here: no removal can have had it since, so it is the file still named.
    if (const auto it = heldFiles().find({named->device, named->inode}); it != heldFiles().end()) {
      ++it->second.openings;
      file_ = it->first;
      return {};
    }
    const OsOpen opened = seam.open(path, AccessMode::readOnly);
    if (opened.fd < 0) {
      if (opened.status.error == FileError::fileNotFound) continue;  // removed meanwhile
      return opened.status;
    }
    if (FileStatus st = seam.holdShared(opened.fd, kRemovalWait); !st.ok()) {
      seam.close(opened.fd);  // no opening of this process has this file yet
      return st;
    }
    const std::optional<FileStamp> still = seam.stampIfStillNamed(opened.fd, path);
    if (!still) {
      seam.close(opened.fd);  // removed meanwhile: start over on what the name names now
      continue;
    }
    const FileId id{still->device, still->inode};
    Held& entry = heldFiles()[id];
    entry.descriptors.push_back(opened.fd);
    ++entry.openings;
    file_ = id;
    return {};
  }
  return FileStatus::of(FileError::accessDenied);
}

void TableGuard::release() {
  if (!file_) return;
  std::lock_guard guard(heldLock);
  const auto it = heldFiles().find(*file_);
  file_.reset();
  if (it == heldFiles().end() || --it->second.openings > 0) return;
  for (const int fd : it->second.descriptors) os().close(fd);
  heldFiles().erase(it);
}

bool TableGuard::alone() const {
  if (!file_) return false;
  std::lock_guard guard(heldLock);
  const auto it = heldFiles().find(*file_);
  if (it == heldFiles().end() || it->second.openings != 1) return false;
  return it->second.descriptors.size() == 1 && !os().heldByOthers(it->second.descriptors.front());
}

bool TableGuard::heldHere(const std::string& path) {
  const std::optional<FileStamp> named = os().fileStamp(path);
  if (!named) return false;
  std::lock_guard guard(heldLock);
  return heldFiles().count({named->device, named->inode}) > 0;
}

}  // namespace vc::files
