#include "platform/errors/error_manager.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/errors/message_table.hpp"
#include "platform/text/text_ops.hpp"

namespace vc::errors {
namespace {

constexpr std::size_t kStatusTextLength = 254;

std::string limited(const std::string& s) {
  return s.substr(0, kStatusTextLength);
}

void endProcess(int exitStatus) {
  std::fflush(nullptr);
  std::exit(exitStatus);
}

}  // namespace

int threadNumber() {
  static std::atomic<int> next{1};
  thread_local const int mine = next.fetch_add(1);
  return mine;
}

ErrorManager::ErrorManager() : halt_(endProcess) {}

void ErrorManager::bindErrorStatus(StatusLocator status) {
  std::lock_guard guard(lock_);
  table_ = standardMessages();
  status_ = status;
}

void ErrorManager::setPresenter(MessagePresenter* presenter) {
  std::lock_guard guard(lock_);
  presenter_ = presenter;
}

void ErrorManager::setHalt(std::function<void(int exitStatus)> halt) {
  std::lock_guard guard(lock_);
  halt_ = halt ? std::move(halt) : std::function<void(int)>(endProcess);
}

void ErrorManager::pushProcedureName(std::string_view name) {
  const int thread = threadNumber();
  std::lock_guard guard(lock_);
  procedures_.push_back({thread, std::string(text::clip(name))});
}

void ErrorManager::popProcedureName() {
  const int thread = threadNumber();
  std::lock_guard guard(lock_);
  for (auto it = procedures_.rbegin(); it != procedures_.rend(); ++it) {
    if (it->thread == thread) {
      procedures_.erase(std::next(it).base());
      return;
    }
  }
}

std::vector<ProcedureEntry> ErrorManager::procedureNames() const {
  std::lock_guard guard(lock_);
  return procedures_;
}

const MessageEntry* ErrorManager::entry(ErrorId id) const {
  std::lock_guard guard(lock_);
  const auto it = table_.find(id);
  return it == table_.end() ? nullptr : &it->second;
}

std::string ErrorManager::formatMessage(ErrorId id, const FileErrorInfo& info) const {
  std::lock_guard guard(lock_);
  const auto it = table_.find(id);
  if (it == table_.end()) return {};
  std::string text = fillPlaceholders(it->second.message, info);
  if (it->second.severity == Severity::fatal) text += kFatalSuffix;
  return text;
}

Severity ErrorManager::throwFileError(ErrorId id, const FileErrorInfo& info) {
  MessageRequest request;
  Severity severity;
  StatusLocator status;
  MessagePresenter* presenter;
  std::function<void(int)> halt;
  {
    std::lock_guard guard(lock_);
    const auto it = table_.find(id);
    if (it == table_.end()) return Severity::fatal;  // not readied: nothing to show
    severity = it->second.severity;
    request.caption = it->second.title;
    request.text = fillPlaceholders(it->second.message, info);
    if (severity == Severity::fatal) request.text += kFatalSuffix;
    status = status_;
    presenter = presenter_;
    halt = halt_;
  }
  request.icon = MessageIcon::information;
  request.buttons = {"OK"};
  request.defaultButton = 1;

  if (status) {
    ErrorStatus& s = status();
    s.errorCode = info.errorCode;
    s.errorText = limited(info.errorText);
    s.fileErrorCode = limited(info.fileErrorCode);
    s.fileErrorText = limited(info.fileErrorText);
  }
  // The box is modal and may stay up a long while: no lock is held meanwhile, so other
  // threads can go on pushing and popping their procedure names.
  if (presenter) presenter->showMessage(request);
  if (severity == Severity::fatal && halt) halt(1);
  return severity;
}

}  // namespace vc::errors
