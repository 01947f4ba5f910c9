#include "platform/files/file_access_base.hpp"

#include <cassert>
#include <utility>

namespace vc::files {

using errors::ErrorId;
using errors::Severity;

void FileAccessBase::prepare() {
  opened = 0;
  lazyOpen = 1;
  killed = 0;
  checkInvariants();
}

void FileAccessBase::release() {
  if (initialized == 1 && killed == 0) {
    while (opened > 0) close();
    keys_.clear();
    killed = 1;
    initialized = 0;
  }
  checkInvariants();
}

void FileAccessBase::setUp(FileDriver& driver, errors::ErrorManager& manager) {
  file = &driver;
  errors = &manager;
  openMode = kReadWriteDenyNone;
  create = 1;
  lockRecover = 10;
  fileNameValue = driver.name();
  keys_.clear();
  initialized = 1;
}

void FileAccessBase::addKey(const void* key, std::string description, bool autoNumber) {
  keys_.push_back({key, std::move(description), autoNumber});
}

Severity FileAccessBase::firstUse(UseKind kind) {
  if (kind != UseKind::use || used == 1 || opened < 1 || file == nullptr) {
    return Severity::benign;
  }
  return openWithRecovery();
}

Severity FileAccessBase::open() {
  ++opened;
  if (lazyOpen == 1) return Severity::benign;
  return firstUse(UseKind::use);
}

void FileAccessBase::close() {
  if (opened <= 0) return;
  --opened;
  if (opened == 0 && used == 1) {
    file->close();
    used = 0;
  }
  checkInvariants();
}

std::string FileAccessBase::reportedName() const {
  if (fileName) return std::string(text::clip(*fileName));
  return std::string(fileNameValue.clipped());
}

Severity FileAccessBase::openWithRecovery() {
  FileStatus last;
  // Another copy of the program writing a batch holds the file's lock for a moment: every
  // opening waits for it, not only the one after a refusal. Not examined, as below.
  (void)file->sendOption("Recover=" + std::to_string(lockRecover));
  for (int attempt = 0; attempt < 2; ++attempt) {
    FileStatus status = file->open(openMode);
    if (status.error == FileError::accessDenied) {
      // The option only sets how long the next open waits; it cannot fail in a way the
      // open that follows would not report.
      (void)file->sendOption("Recover=" + std::to_string(lockRecover));
      status = file->open(openMode);
    }
    if (status.ok() || status.error == FileError::fileAlreadyOpen) {
      used = 1;
      checkInvariants();
      return Severity::benign;
    }
    last = status;
    switch (status.error) {
      case FileError::accessDenied:
        if (accessModeOf(openMode) == AccessMode::readOnly)
          return report(ErrorId::openError, status);
        // Kept for every later open of this object: the notice is shown once.
        openMode = kReadOnlyDenyNone;
        report(ErrorId::accessDenied, status);
        continue;
      case FileError::fileNotFound: {
        if (create != 1) return report(ErrorId::openError, status);
        const FileStatus created = file->create();
        if (created.ok()) continue;
        return report(ErrorId::createError, created);
      }
      case FileError::invalidRecordDeclaration:
        return report(ErrorId::invalidFile, status);
      case FileError::keyFileMustBeRebuilt: {
        report(ErrorId::invalidKey, status);
        const FileStatus rebuilt = file->rebuildKeys();
        if (rebuilt.ok()) continue;
        return report(ErrorId::rebuildError, rebuilt);
      }
      default:
        return report(ErrorId::openError, status);
    }
  }
  return report(ErrorId::openError, last);
}

Severity FileAccessBase::reportWriteFailure(const FileStatus& status) {
  return report(ErrorId::writeError, status);
}

Severity FileAccessBase::report(ErrorId id, const FileStatus& status) {
  if (errors == nullptr) return Severity::fatal;
  errors::FileErrorInfo info;
  info.fileName = reportedName();
  info.errorCode = static_cast<int>(status.error);
  info.errorText = std::string(errorText(status.error));
  info.fileErrorCode = status.driverCode;
  info.fileErrorText = status.driverText;
  return errors->throwFileError(id, info);
}

void FileAccessBase::checkInvariants() const {
  assert(used == 0 || (opened >= 1 && file != nullptr && file->isOpen()));
  assert(killed == 0 || initialized == 0);
  assert(opened >= 0);
}

}  // namespace vc::files
