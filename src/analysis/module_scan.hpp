// The module scan: finds the MAP of the chosen main source file and lists the modules it
// names on its "MODULE(" lines, sorted by name.
#pragma once

#include <string_view>

#include "analysis/module_queue.hpp"
#include "globals/globals.hpp"
#include "platform/text/fixed_text.hpp"

namespace vc::analysis {

/// The folder of the chosen file. The platform accepts both separators, so the folder
/// ends at the last slash or backslash, whichever comes last. A deeper folder than the
/// chosen name itself can hold cannot occur, so it always fits whole.
using SourceFolder = vc::globals::FileNameText;

/// The folder part of `path` (without trailing blanks) up to and including its last
/// separator; blank when it has none.
void folderOf(std::string_view path, SourceFolder& folder);

/// Sets `sourceFolder` from NOMBREARCHIVO1, reads archivo1 (open on it) from its first
/// line, and appends one entry per module named after the first line holding "MAP",
/// until a line that begins with "!"; then sorts the list.
void collectModules(ModuleQueue& moduleQueue, SourceFolder& sourceFolder);

}  // namespace vc::analysis
