// The file layer's error numbers and texts, and the outcome of one driver operation.
#pragma once

#include <string>
#include <string_view>

namespace vc::files {

/// The file layer's answers, with the numbers the error manager shows.
enum class [[nodiscard]] FileError : int{
    none = 0,
    fileNotFound = 2,
    pathNotFound = 3,
    accessDenied = 5,
    recordNotAvailable = 33,
    invalidFilename = 45,
    keyFileMustBeRebuilt = 46,
    invalidRecordDeclaration = 47,
    fileAlreadyOpen = 52,
    fileSystemError = 90,  // an operating-system or storage failure not listed above
};

/// The text the file layer gives for an error number ("File Not Found", ...).
std::string_view errorText(FileError error);

/// One operation's outcome: the file layer's error, and for the driver-specific errors
/// (invalidRecordDeclaration, fileSystemError) the driver's own code and text.
struct [[nodiscard]] FileStatus {
  FileError error = FileError::none;
  std::string driverCode;
  std::string driverText;

  bool ok() const { return error == FileError::none; }
  static FileStatus of(FileError e) { return {e, {}, {}}; }
};

}  // namespace vc::files
