#include "platform/files/fuzz/text_file_check.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/files/text_file.hpp"
#include "platform/os/os.hpp"

namespace vc::files::fuzz {
namespace {

constexpr int kFd = 3;
constexpr std::size_t kRecord = 200;
constexpr std::size_t kGuard = 16;
constexpr char kGuardByte = '\xA5';

/// One file held in memory behind the seam, so the driver runs unchanged without a disk.
class MemoryOs : public Os {
 public:
  explicit MemoryOs(std::string bytes) : bytes_(std::move(bytes)) {}
  OsOpen open(const std::string&, AccessMode) override { return {kFd, {}}; }
  FileStatus create(const std::string&) override { return {}; }
  FileStatus createNew(const std::string&) override { return {}; }
  long read(int fd, char* buffer, std::size_t n, std::uint64_t offset) override {
    if (fd != kFd) return -1;
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = std::min<std::size_t>(n, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, count);
    return static_cast<long>(count);
  }
  FileStatus writeDurably(int, const char*, std::size_t, std::uint64_t) override {
    return FileStatus::of(FileError::accessDenied);
  }
  void close(int) override {}
  FileStatus checkAccess(const std::string&, AccessMode) override { return {}; }
  PathKind stat(const std::string&) override { return PathKind::file; }
  bool isLink(const std::string&) override { return false; }
  std::optional<FileStamp> folderStamp(const std::string&) override { return FileStamp{}; }
  std::optional<FileStamp> fileStamp(const std::string&) override { return FileStamp{}; }
  bool canChangeFolder(const std::string&) override { return false; }
  std::optional<std::vector<std::string>> listFolder(const std::string&) override {
    return std::vector<std::string>{};
  }
  FileStatus remove(const std::string&) override { return {}; }
  FileStatus holdShared(int, std::chrono::milliseconds) override { return {}; }
  bool heldByOthers(int) override { return false; }
  std::optional<FileStamp> stampIfStillNamed(int, const std::string&) override {
    return FileStamp{};
  }
  FileStatus removeUnlessLocked(const std::string&, const std::vector<std::string>&) override {
    return FileStatus::of(FileError::accessDenied);
  }

 private:
  std::string bytes_;
};

}  // namespace

bool checkTextFileReader(const std::uint8_t* data, std::size_t size, std::string& why) {
  MemoryOs memory(std::string(reinterpret_cast<const char*>(data), size));
  ScopedOs seam(memory);
  // The record sits between guard bytes: a read that writes outside it shows.
  std::vector<char> area(kGuard + kRecord + kGuard, kGuardByte);
  char* record = area.data() + kGuard;
  const std::string name = "fuzz.txt";
  TextFile file(name, record, kRecord);
  if (!file.open(kReadWriteDenyNone).ok()) return why = "open failed", false;
  file.set(1);
  std::size_t reads = 0;
  while (!file.eof()) {
    const std::uint64_t before = file.position();
    if (file.next() != FileError::none) return why = "NEXT failed while EOF was false", false;
    if (file.position() <= before) return why = "the position did not move forward", false;
    if (file.position() > size + 1) return why = "the position passed the end", false;
    for (std::size_t i = 0; i < kGuard; ++i) {
      if (area[i] != kGuardByte || area[kGuard + kRecord + i] != kGuardByte) {
        return why = "a read wrote outside the record", false;
      }
    }
    if (++reads > size) return why = "more records than bytes", false;
  }
  const std::uint64_t end = file.position();
  if (file.next() != FileError::recordNotAvailable) return why = "NEXT read past the end", false;
  if (file.position() != end) return why = "a failed NEXT moved the position", false;
  file.close();
  return true;
}

}  // namespace vc::files::fuzz
