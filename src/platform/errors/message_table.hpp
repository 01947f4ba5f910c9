// The standard messages through which the file layer's errors reach the user, and the
// filling of their placeholders.
#pragma once

#include <map>
#include <string>

#include "platform/errors/error_manager.hpp"

namespace vc::errors {

/// Appended to the text of every fatal message.
inline constexpr const char* kFatalSuffix = "  Press OK to end this application";

/// The entries through which file errors are shown, keyed by their id.
std::map<ErrorId, MessageEntry> standardMessages();

/// "%ErrorText" for info: the error's text, a blank and its number in parentheses; for the
/// numbers 47, 90 and 100 the driver's own text and code stand in their place.
std::string errorTextOf(const FileErrorInfo& info);

/// The message with every placeholder filled in one pass over it: what a placeholder
/// brings in (a file name holding "%ErrorText", say) is never expanded again.
std::string fillPlaceholders(const std::string& message, const FileErrorInfo& info);

}  // namespace vc::errors
