// The declaration parser: turns the global declarations of every listed module into rows
// of the results table and counts them into the module's list entry.
#pragma once

#include <string_view>

#include "analysis/module_queue.hpp"
#include "analysis/module_scan.hpp"

namespace vc::analysis {

/// The line after which a module's global declarations begin.
inline constexpr std::string_view kMarker =
    "!--- Application Global and Exported Procedure Definitions";

/// Walks the list in order: reopens archivo2 on each module's source (folder, name,
/// ".CLW") and parses it, all additions inside one write stream on resumen.
void parseAllModules(ModuleQueue& moduleQueue, const SourceFolder& sourceFolder);

/// Parses the file archivo2 is open on for the entry in the list's entry buffer, adds
/// one row per declaration and writes the entry back with its two counts.
void parseModule(ModuleQueue& moduleQueue);

}  // namespace vc::analysis
