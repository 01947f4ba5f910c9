#include "platform/errors/message_table.hpp"

#include <string_view>

#include "platform/text/text_ops.hpp"

namespace vc::errors {

std::map<ErrorId, MessageEntry> standardMessages() {
  const MessageEntry entries[] = {
      {ErrorId::accessDenied, "Access Denied",
       "Could not get write access to %File so trying read-only.", Severity::notify},
      {ErrorId::createError, "File Creation Error", "Error: (%ErrorText) creating %File.",
       Severity::fatal},
      {ErrorId::invalidKey, "Invalid Key", "%File key file is invalid. Key must be rebuilt.",
       Severity::notify},
      {ErrorId::rebuildError, "Key was not built", "Error: (%ErrorText) repairing key for %File.",
       Severity::fatal},
      {ErrorId::invalidFile, "Invalid File",
       "%File has an invalid file structure.|Error: %FileErrorCode - %FileError|", Severity::fatal},
      {ErrorId::openError, "File Access Error",
       "File %File could not be opened.  Error: %ErrorText.", Severity::fatal},
      {ErrorId::purgeError, "Depurar", "No se pudo depurar %File.  Error: %ErrorText.",
       Severity::notify},
      {ErrorId::readError, "File Access Error", "File %File could not be read.  Error: %ErrorText.",
       Severity::notify},
      {ErrorId::noRecords, "No Records", "There are no records available to process.",
       Severity::notify},
      {ErrorId::writeError, "File Access Error",
       "File %File could not be written.  Error: %ErrorText.", Severity::notify},
  };
  std::map<ErrorId, MessageEntry> table;
  for (const auto& e : entries) table.emplace(e.id, e);
  return table;
}

std::string errorTextOf(const FileErrorInfo& info) {
  const bool driverError = info.errorCode == 47 || info.errorCode == 90 || info.errorCode == 100;
  if (driverError) return info.fileErrorText + " (" + info.fileErrorCode + ")";
  return info.errorText + " (" + std::to_string(info.errorCode) + ")";
}

std::string fillPlaceholders(const std::string& message, const FileErrorInfo& info) {
  // "%File" begins the two longer names, so they are tried first.
  const std::pair<std::string_view, std::string> placeholders[] = {
      {"%FileErrorCode", info.fileErrorCode},
      {"%FileError", info.fileErrorText},
      {"%ErrorText", errorTextOf(info)},
      {"%File", std::string(text::clip(info.fileName))},
  };
  std::string out;
  const std::string_view rest(message);
  std::size_t i = 0;
  while (i < rest.size()) {
    bool replaced = false;
    if (rest[i] == '%') {
      for (const auto& [name, value] : placeholders) {
        if (rest.substr(i, name.size()) == name) {
          out += value;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += rest[i++];
  }
  return out;
}

}  // namespace vc::errors
