// Writes a synthetic application for benchmarks: a main source whose MAP names N modules
// and N module sources with M global declarations each, in realistic lines with CR LF.
#pragma once

#include <cstddef>
#include <filesystem>

namespace vc::bench {

struct GeneratedApp {
  std::filesystem::path mainSource;
  std::size_t modules = 0;
  std::size_t declarations = 0;  // rows the analysis must add
  std::size_t bytes = 0;         // bytes of every source written
};

GeneratedApp generateApp(const std::filesystem::path& folder, std::size_t modules,
                         std::size_t declarationsPerModule);

}  // namespace vc::bench
