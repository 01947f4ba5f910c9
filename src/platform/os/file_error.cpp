#include "platform/os/file_error.hpp"

namespace vc::files {

std::string_view errorText(FileError error) {
  switch (error) {
    case FileError::none:
      return "No error";
    case FileError::fileNotFound:
      return "File Not Found";
    case FileError::pathNotFound:
      return "Path Not Found";
    case FileError::accessDenied:
      return "Access Denied";
    case FileError::recordNotAvailable:
      return "Record Not Available";
    case FileError::invalidFilename:
      return "Invalid Filename";
    case FileError::keyFileMustBeRebuilt:
      return "Key File Must Be Rebuilt";
    case FileError::invalidRecordDeclaration:
      return "Invalid Record Declaration";
    case FileError::fileAlreadyOpen:
      return "File Already Open";
    case FileError::fileSystemError:
      return "File System Error";
  }
  return "Unknown Error";
}

}  // namespace vc::files
