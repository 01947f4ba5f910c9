#include "platform/files/text_file.hpp"

#include <algorithm>
#include <cstring>

#include "platform/files/time_spent.hpp"
#include "platform/os/file_name.hpp"
#include "platform/os/os.hpp"
#include "platform/text/text_ops.hpp"

namespace vc::files {
namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kTab = '\t';
constexpr char kCtrlZ = 26;

// A record needs at most its length plus CR LF of the file; the first read of a NEXT
// takes a little more, and only the rest of an over-long line needs further reads.
constexpr std::size_t kFirstReadSlack = 56;

}  // namespace

/// The file's bytes around the read position, as they stand during one operation. A short
/// read marks where the file ends; that end holds until the operation is over.
class TextFile::Window {
 public:
  Window(int fd, std::vector<char>& buffer, std::size_t firstRead)
      : fd_(fd), buffer_(buffer), nextRead_(firstRead) {}

  /// The byte at 1-based position p, or -1 when the file has none there.
  int at(std::uint64_t p) {
    if (p < start_ || p >= start_ + count_) {
      if (ended_ && p >= start_ + count_) return -1;
      fill(p);
      if (p >= start_ + count_) return -1;
    }
    return static_cast<unsigned char>(buffer_[p - start_]);
  }

 private:
  void fill(std::uint64_t p) {
    const std::size_t want = std::min(nextRead_, buffer_.size());
    const long got = os().read(fd_, buffer_.data(), want, p - 1);
    start_ = p;
    count_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    ended_ = count_ < want;
    nextRead_ = buffer_.size();
  }

  int fd_;
  std::vector<char>& buffer_;
  std::size_t nextRead_;
  std::uint64_t start_ = 0;
  std::size_t count_ = 0;
  bool ended_ = false;
};

TextFile::TextFile(std::string_view nameVariable, char* record, std::size_t recordLength,
                   TextFileOptions options)
    : nameVariable_(nameVariable),
      record_(record),
      recordLength_(recordLength),
      options_(options),
      buffer_(std::max(options.fileBuffers * 512, recordLength + kFirstReadSlack)) {
  if (options_.tabWidth == 0) options_.tabWidth = 1;
}

TextFile::~TextFile() {
  close();
}

std::string TextFile::name() const {
  return std::string(text::clip(nameVariable_));
}

FileStatus TextFile::open(std::uint8_t openMode) {
  const TimeSpentOn spent(&TimeSpent::reading);
  if (fd_ >= 0) return FileStatus::of(FileError::fileAlreadyOpen);
  const ResolvedName resolved = resolveExistingFile(nameVariable_);
  if (!resolved.status.ok()) return resolved.status;
  const OsOpen opened = os().open(resolved.path, accessModeOf(openMode));
  if (opened.fd < 0) return opened.status;
  fd_ = opened.fd;
  position_ = 1;
  error_ = FileError::none;
  return {};
}

FileStatus TextFile::create() {
  const TimeSpentOn spent(&TimeSpent::reading);
  const ResolvedName resolved = resolveFileName(nameVariable_);
  if (!resolved.status.ok()) return resolved.status;
  // A link that points nowhere stands under the name, but the file it names is missing.
  if (resolved.exists && os().stat(resolved.path) != PathKind::missing) return {};
  return os().create(resolved.path);
}

void TextFile::close() {
  const TimeSpentOn spent(&TimeSpent::reading);
  if (fd_ < 0) return;
  os().close(fd_);
  fd_ = -1;
}

void TextFile::set(std::uint64_t position) {
  const TimeSpentOn spent(&TimeSpent::reading);
  position_ = std::max<std::uint64_t>(position, 1);
}

bool TextFile::eof() {
  const TimeSpentOn spent(&TimeSpent::reading);
  if (fd_ < 0) return true;
  char byte = 0;
  const long got = os().read(fd_, &byte, 1, position_ - 1);
  return got != 1 || (options_.ctrlZIsEof && byte == kCtrlZ);
}

FileError TextFile::next() {
  const TimeSpentOn spent(&TimeSpent::reading);
  Window window(fd_, buffer_, recordLength_ + kFirstReadSlack);
  const int first = fd_ < 0 ? -1 : window.at(position_);
  if (first < 0 || (options_.ctrlZIsEof && first == kCtrlZ)) {
    error_ = FileError::recordNotAvailable;
    return error_;
  }
  std::memset(record_, ' ', recordLength_);
  std::uint64_t p = position_;
  std::size_t column = 0;
  bool fileEnded = false;
  while (column < recordLength_) {
    const int c = window.at(p);
    if (c < 0) {
      fileEnded = true;
      break;
    }
    if (c == kCR && window.at(p + 1) == kLF) {
      position_ = p + 2;
      error_ = FileError::none;
      return error_;
    }
    if (options_.ctrlZIsEof && c == kCtrlZ) break;
    ++p;
    if (c == kTab) {
      // Blanks up to the next tab stop, but never past the record.
      const std::size_t stop = column + options_.tabWidth - column % options_.tabWidth;
      column = std::min(stop, recordLength_);
    } else {
      record_[column++] = static_cast<char>(c);
    }
  }
  // The line did not end inside the record: what is left of it, up to and including its
  // CR LF or Ctrl-Z, is skipped so that the next read begins with the next line.
  while (!fileEnded) {
    const int c = window.at(p);
    if (c < 0) break;
    if (c == kCR && window.at(p + 1) == kLF) {
      p += 2;
      break;
    }
    ++p;
    if (options_.ctrlZIsEof && c == kCtrlZ) break;
  }
  position_ = p;
  error_ = FileError::none;
  return error_;
}

}  // namespace vc::files
