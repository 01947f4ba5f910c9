// The error manager: the procedure-name stack, the per-thread error status and the
// message table through which the file layer reports its errors to the user.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors/message_presenter.hpp"

namespace vc::errors {

enum class Severity { benign, notify, fatal };

/// Entries of the message table that the file layer can raise.
enum class ErrorId {
  accessDenied,  // "Access Denied", notify
  createError,   // "File Creation Error", fatal
  invalidKey,    // "Invalid Key", notify
  rebuildError,  // "Key was not built", fatal
  invalidFile,   // "Invalid File", fatal
  openError,     // "File Access Error", fatal
  purgeError,    // "Depurar", notify
  readError,     // "File Access Error" on a read, notify
  noRecords,     // "No Records", notify
  writeError,    // "File Access Error" on a write, notify
};

/// Where the last error met on one thread is recorded (texts of up to 254 characters).
struct ErrorStatus {
  int errorCode = 0;
  std::string errorText;
  std::string fileErrorCode;
  std::string fileErrorText;
};

/// What the file layer knows of a failed operation when it reports it.
struct FileErrorInfo {
  std::string fileName;       // shown for %File, trailing blanks already removed
  int errorCode = 0;          // the file layer's error number (2, 3, 5, 33, 45, 46, 47, 52...)
  std::string errorText;      // the file layer's text for errorCode ("File Not Found", ...)
  std::string fileErrorCode;  // the driver's own code, for 47, 90 and 100
  std::string fileErrorText;  // the driver's own text, for 47, 90 and 100
};

struct MessageEntry {
  ErrorId id;
  std::string title;
  std::string message;  // with the placeholders %File, %ErrorText, %FileErrorCode, %FileError
  Severity severity;
};

struct ProcedureEntry {
  int thread;  // the thread number (see threadNumber)
  std::string name;
};

/// A small number for the calling thread: 1 for the first thread that asks, then 2, 3...
int threadNumber();

/// Thrown by a halt handler that tests install in place of ending the process.
struct ProgramHalted {
  int exitStatus;
};

class ErrorManager {
 public:
  using StatusLocator = ErrorStatus& (*)();

  ErrorManager();
  ErrorManager(const ErrorManager&) = delete;
  ErrorManager& operator=(const ErrorManager&) = delete;

  /// Installs the message table and binds the per-thread status in which every thread's
  /// errors are recorded. Before this, reports show nothing and answer `fatal`.
  void bindErrorStatus(StatusLocator status);

  /// Where message boxes go. Without a presenter, reports are recorded but not shown.
  void setPresenter(MessagePresenter* presenter);
  /// What ending the program means. The default ends the process with status 1; tests
  /// install one that throws ProgramHalted.
  void setHalt(std::function<void(int exitStatus)> halt);

  void pushProcedureName(std::string_view name);
  /// Removes the calling thread's latest entry; nothing when it has none.
  void popProcedureName();
  std::vector<ProcedureEntry> procedureNames() const;

  /// Records the error in the calling thread's status, fills the entry's placeholders and
  /// shows it: a notify entry returns `notify` once acknowledged; a fatal entry gets
  /// "  Press OK to end this application" appended and ends the program once acknowledged.
  Severity throwFileError(ErrorId id, const FileErrorInfo& info);

  /// The entry for id, or nullptr before bindErrorStatus.
  const MessageEntry* entry(ErrorId id) const;
  /// The text that throwFileError would show for id and info (fatal suffix included).
  std::string formatMessage(ErrorId id, const FileErrorInfo& info) const;

 private:
  mutable std::mutex lock_;
  std::map<ErrorId, MessageEntry> table_;
  std::vector<ProcedureEntry> procedures_;
  StatusLocator status_ = nullptr;
  MessagePresenter* presenter_ = nullptr;
  std::function<void(int)> halt_;
};

}  // namespace vc::errors
