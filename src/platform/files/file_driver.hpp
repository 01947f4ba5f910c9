// What an access object needs of a file driver: open in a mode, create, close, take a
// driver option, rebuild keys, and say the file's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os/file_error.hpp"
#include "platform/os/os.hpp"

namespace vc::files {

/// Open modes as access objects keep them: the low nibble is how this opening uses the
/// file (0 read, 1 write, 2 both), the high nibble what it lets others do (4: anything).
inline constexpr std::uint8_t kReadWriteDenyNone = 0x42;
inline constexpr std::uint8_t kReadOnlyDenyNone = 0x40;

inline AccessMode accessModeOf(std::uint8_t openMode) {
  return (openMode & 0x0F) == 0 ? AccessMode::readOnly : AccessMode::readWrite;
}

class FileDriver {
 public:
  virtual ~FileDriver() = default;

  /// Opens the file in openMode; fileAlreadyOpen when this declaration is already
  /// open.
  virtual FileStatus open(std::uint8_t openMode) = 0;
  /// Creates the file empty (with its keys, for a keyed file); the file stays closed.
  virtual FileStatus create() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  /// A driver option such as "Recover=10"; unknown options are ignored.
  virtual FileStatus sendOption(std::string_view option) = 0;
  /// Rebuilds the file's keys from its records; a file without keys has nothing to do.
  virtual FileStatus rebuildKeys() = 0;
  /// The name the file layer gives the file, as messages show it.
  virtual std::string name() const = 0;
};

}  // namespace vc::files
