// The file base class the system's access objects derive from: the open count, the lazy
// open, the use-file step with its one-time set-up, and the physical open with recovery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors/error_manager.hpp"
#include "platform/files/file_driver.hpp"
#include "platform/text/fixed_text.hpp"

namespace vc::files {

/// What a use of the file asks for: only the set-up, or the file open and ready.
enum class UseKind { initialiseOnly, use };

/// Where an access object's record lives.
struct RecordBuffer {
  void* address = nullptr;
  std::size_t length = 0;
};

/// A key registered by an access object with its description.
struct KeyRegistration {
  const void* key;
  std::string description;
  bool autoNumber;
};

/// Base of the access objects: the open count, lazy open and open with recovery they all
/// share. The derived class sets the fields in its prepare and firstUse.
///
/// Every physical open waits for another process's lock for lockRecover seconds. Open
/// with recovery, at most two attempts; the answers of one attempt's open:
///   none or fileAlreadyOpen         -> used = 1, done
///   accessDenied (after "Recover=") -> read-only already: "File Access Error" (fatal)
///                                      else openMode = 40h, "Access Denied" (notify),
///                                      next attempt
///   fileNotFound                    -> create; next attempt, or "File Creation Error"
///                                      (fatal)
///   invalidRecordDeclaration        -> "Invalid File" (fatal)
///   keyFileMustBeRebuilt            -> "Invalid Key" (notify), rebuild; next attempt, or
///                                      "Key was not built" (fatal)
///   anything else, or a third attempt needed -> "File Access Error" (fatal)
/// Invariants: used == 1 only while opened >= 1 and the driver is open; killed == 1 only
/// with initialized == 0.
class FileAccessBase {
 public:
  FileAccessBase() = default;
  virtual ~FileAccessBase() = default;
  FileAccessBase(const FileAccessBase&) = delete;
  FileAccessBase& operator=(const FileAccessBase&) = delete;

  /// The parameterless set-up: open count 0, lazy open on, not killed.
  virtual void prepare();
  /// The tear-down, when the object was set up and not yet torn down: closes the file
  /// down to a count of 0, drops the keys, killed = 1, initialized = 0.
  virtual void release();
  /// The use-file step. For `use`, opens the file with recovery when it is counted open
  /// but not physically open. The answer is benign, or the severity of what was shown.
  virtual errors::Severity firstUse(UseKind kind);

  /// The set-up with the file and the error manager: open mode 42h, create on, lock
  /// recovery 10, the driver's name as fileNameValue, no keys, initialized = 1.
  void setUp(FileDriver& driver, errors::ErrorManager& manager);
  void addKey(const void* key, std::string description, bool autoNumber);
  const std::vector<KeyRegistration>& keys() const { return keys_; }

  /// Counts one open; opens physically at once only when lazyOpen is 0.
  errors::Severity open();
  /// Counts one open less and closes the file when none is left; nothing at 0.
  void close();

  /// Shows that changes made to the file could not be written: a "File Access Error"
  /// notice with the file's name and the error. The answer is its severity.
  errors::Severity reportWriteFailure(const FileStatus& status);

  /// The name messages show: the bound variable's value, else fileNameValue, both
  /// without trailing blanks.
  std::string reportedName() const;

  FileAccessBase* aliasedFile = nullptr;
  RecordBuffer buffer;
  text::FixedText<256> fileNameValue;
  errors::ErrorManager* errors = nullptr;
  FileDriver* file = nullptr;
  /// The bytes of the variable the file's name is bound to, read at every use.
  std::optional<std::string_view> fileName;
  std::uint8_t initialized = 0;
  std::uint8_t inUseFile = 0;
  std::uint8_t create = 0;
  std::int16_t lockRecover = 0;
  std::uint8_t lazyOpen = 0;
  std::uint8_t openMode = 0;
  std::int32_t opened = 0;
  std::uint8_t used = 0;
  std::uint8_t killed = 0;

 private:
  errors::Severity openWithRecovery();
  errors::Severity report(errors::ErrorId id, const FileStatus& status);
  void checkInvariants() const;

  std::vector<KeyRegistration> keys_;
};

}  // namespace vc::files
