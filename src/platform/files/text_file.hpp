// The line-oriented text-file driver: reads a text file one line per record, with CR LF
// as the only line end, TABs expanded, over-long lines cut, and Ctrl-Z as end of data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/file_driver.hpp"

namespace vc::files {

/// The reader's settings; the defaults are the ones the system's files use.
struct TextFileOptions {
  std::size_t tabWidth = 8;
  bool ctrlZIsEof = true;
  std::size_t fileBuffers = 100;  // blocks of 512 bytes
};

/// One declaration of a text file. The name is taken from the bound variable at every
/// open; nothing about the file (its size, its bytes) is kept from one read to the next,
/// so a file that another program changes is read as it stands at each operation.
class TextFile : public FileDriver {
 public:
  /// `nameVariable` is the storage of the variable that names the file; `record` the
  /// record buffer of `recordLength` bytes that reads fill.
  TextFile(std::string_view nameVariable, char* record, std::size_t recordLength,
           TextFileOptions options = {});
  ~TextFile() override;

  FileStatus open(std::uint8_t openMode) override;
  FileStatus create() override;
  void close() override;
  bool isOpen() const override { return fd_ >= 0; }
  FileStatus sendOption(std::string_view) override { return {}; }
  FileStatus rebuildKeys() override { return {}; }
  std::string name() const override;

  /// SET by position: the next read begins at byte `position` (1 is the first byte).
  void set(std::uint64_t position);
  /// True when no line remains: no byte at the position, or a Ctrl-Z there. Reads one
  /// byte and moves nothing.
  bool eof();
  /// NEXT: reads the line at the position into the record and moves past every byte it
  /// took. recordNotAvailable when no line remains; then nothing moves and the record is untouched.
  FileError next();

  /// The error of the last next(): none or recordNotAvailable.
  FileError errorCode() const { return error_; }
  std::uint64_t position() const { return position_; }

 private:
  class Window;

  std::string_view nameVariable_;
  char* record_;
  std::size_t recordLength_;
  TextFileOptions options_;
  int fd_ = -1;
  std::uint64_t position_ = 1;
  FileError error_ = FileError::none;
  std::vector<char> buffer_;
};

}  // namespace vc::files
