#include "platform/os/fault_injecting_os.hpp"

#include <algorithm>

namespace vc::files {
namespace {

std::string lastComponent(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

PosixOs& realPosix() {
  static PosixOs instance;
  return instance;
}

}  // namespace

FaultInjectingOs::FaultInjectingOs() : real_(realPosix()) {}

void FaultInjectingOs::refuse(Call call, const std::string& name, FileError error, int times) {
  std::lock_guard guard(lock_);
  rules_[{call, name}] = Rule{error, times};
}

void FaultInjectingOs::makeReadOnly(const std::string& name) {
  refuse(Call::openReadWrite, name, FileError::accessDenied);
  refuse(Call::checkReadWrite, name, FileError::accessDenied);
}

void FaultInjectingOs::lockByOtherProcess(const std::string& name) {
  std::lock_guard guard(lock_);
  locked_.push_back(name);
}

void FaultInjectingOs::beforeNext(Call call, const std::string& name,
                                  std::function<void()> meanwhile) {
  std::lock_guard guard(lock_);
  meanwhile_[{call, name}] = std::move(meanwhile);
}

int FaultInjectingOs::calls(Call call, const std::string& name) const {
  std::lock_guard guard(lock_);
  const auto it = calls_.find({call, name});
  return it == calls_.end() ? 0 : it->second;
}

FileError FaultInjectingOs::injected(Call call, const std::string& path) {
  const std::pair<Call, std::string> key{call, lastComponent(path)};
  std::function<void()> meanwhile;
  {
    std::lock_guard guard(lock_);
    if (const auto it = meanwhile_.find(key); it != meanwhile_.end()) {
      meanwhile = std::move(it->second);
      meanwhile_.erase(it);
    }
  }
  if (meanwhile) meanwhile();
  std::lock_guard guard(lock_);
  ++calls_[key];
  const auto it = rules_.find(key);
  if (it == rules_.end() || it->second.times == 0) return FileError::none;
  if (it->second.times > 0) --it->second.times;
  return it->second.error;
}

OsOpen FaultInjectingOs::open(const std::string& path, AccessMode mode) {
  const Call call = mode == AccessMode::readWrite ? Call::openReadWrite : Call::openReadOnly;
  if (const FileError e = injected(call, path); e != FileError::none) {
    return {-1, FileStatus::of(e)};
  }
  OsOpen opened = real_.open(path, mode);
  if (opened.fd >= 0) {
    std::lock_guard guard(lock_);
    descriptors_[opened.fd] = path;
  }
  return opened;
}

FileStatus FaultInjectingOs::create(const std::string& path) {
  if (const FileError e = injected(Call::create, path); e != FileError::none) {
    return FileStatus::of(e);
  }
  return real_.create(path);
}

FileStatus FaultInjectingOs::createNew(const std::string& path) {
  if (const FileError e = injected(Call::create, path); e != FileError::none) {
    return FileStatus::of(e);
  }
  return real_.createNew(path);
}

std::string FaultInjectingOs::pathOf(int fd) const {
  std::lock_guard guard(lock_);
  const auto it = descriptors_.find(fd);
  return it == descriptors_.end() ? std::string() : it->second;
}

long FaultInjectingOs::read(int fd, char* buffer, std::size_t n, std::uint64_t offset) {
  if (injected(Call::read, pathOf(fd)) != FileError::none) return -1;
  return real_.read(fd, buffer, n, offset);
}

void FaultInjectingOs::close(int fd) {
  {
    std::lock_guard guard(lock_);
    descriptors_.erase(fd);
  }
  real_.close(fd);
}

FileStatus FaultInjectingOs::checkAccess(const std::string& path, AccessMode mode) {
  const Call call = mode == AccessMode::readWrite ? Call::checkReadWrite : Call::checkReadOnly;
  if (const FileError e = injected(call, path); e != FileError::none) return FileStatus::of(e);
  return real_.checkAccess(path, mode);
}

FileStatus FaultInjectingOs::remove(const std::string& path) {
  if (const FileError e = injected(Call::remove, path); e != FileError::none) {
    return FileStatus::of(e);
  }
  return real_.remove(path);
}

bool FaultInjectingOs::canChangeFolder(const std::string& folder) {
  if (injected(Call::changeFolder, folder) != FileError::none) return false;
  return real_.canChangeFolder(folder);
}

std::optional<std::vector<std::string>> FaultInjectingOs::listFolder(const std::string& folder) {
  if (injected(Call::listFolder, folder) != FileError::none) return std::nullopt;
  return real_.listFolder(folder);
}

FileStatus FaultInjectingOs::removeUnlessLocked(const std::string& path,
                                                const std::vector<std::string>& sideFiles) {
  if (const FileError e = injected(Call::remove, path); e != FileError::none) {
    return FileStatus::of(e);
  }
  if (lockedByOtherProcess(path)) return FileStatus::of(FileError::accessDenied);
  return real_.removeUnlessLocked(path, sideFiles);
}

FileStatus FaultInjectingOs::holdShared(int fd, std::chrono::milliseconds wait) {
  if (const FileError e = injected(Call::hold, pathOf(fd)); e != FileError::none) {
    return FileStatus::of(e);
  }
  return real_.holdShared(fd, wait);
}

bool FaultInjectingOs::heldByOthers(int fd) {
  return lockedByOtherProcess(pathOf(fd)) || real_.heldByOthers(fd);
}

bool FaultInjectingOs::lockedByOtherProcess(const std::string& path) const {
  std::lock_guard guard(lock_);
  return std::find(locked_.begin(), locked_.end(), lastComponent(path)) != locked_.end();
}

}  // namespace vc::files
