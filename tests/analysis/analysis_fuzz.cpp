// Fuzz entry over the module scan and the declaration parser: any bytes as the main
// source and as the source of every module it names. No crash, no sanitizer report, and
// every row is one the parser could have written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/declaration_parser.hpp"
#include "analysis/module_scan.hpp"
#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "store/store.hpp"

namespace {

namespace fs = std::filesystem;

// Module names may climb out of the folder ("..\..\x"); at most 20 characters can, so a
// work folder deep enough keeps every file the parser creates inside the fuzz folder.
fs::path workFolder() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "vc-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    static const std::string root = pattern;
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(root, ec);
    });
    fs::path deep = fs::path(pattern) / "a/b/c/d/e/f/g/h";
    fs::create_directories(deep);
    fs::current_path(deep);
    vc::frame::threadAttachFiles();
    vc::frame::processStartup();
    // A module path that cannot be opened ends the program, as it should: here that
    // ends the one input.
    vc::globals::errorManager->setHalt([](int status) { throw vc::errors::ProgramHalted{status}; });
    vc::frame::threadStartup();
    vc::globals::errorManager->bindErrorStatus(&vc::globals::currentThreadErrorStatus);
    vc::store::openFileAccess();
    return deep;
  }();
  return folder;
}

bool plainName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

// Removes everything the run created: under the fuzz folder's root, all but the chain of
// folders down to the work folder.
void clearFolder(const fs::path& folder) {
  std::error_code ec;
  for (fs::path level = folder; level.has_parent_path() && level.filename() != "";
       level = level.parent_path()) {
    for (const auto& e : fs::directory_iterator(level, ec)) {
      const fs::path p = e.path();
      const bool onChain =
          std::mismatch(p.begin(), p.end(), folder.begin(), folder.end()).first == p.end();
      if (!onChain) fs::remove_all(p, ec);
    }
    if (level.filename().string().rfind("vc-fuzz-", 0) == 0) break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path folder = workFolder();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fs::path main = folder / "main.clw";
  std::ofstream(main, std::ios::binary | std::ios::trunc) << bytes;

  vc::globals::NOMBREARCHIVO1 = main.string();
  vc::globals::NOMBREARCHIVO2 = vc::globals::NOMBREARCHIVO1.view();
  (void)vc::store::resumen().remove();  // there may be no table yet: either way none is left
  vc::store::archivo1Relation->open();
  vc::store::archivo2Relation->open();
  vc::store::resumenRelation->open();

  vc::analysis::ModuleQueue queue;
  vc::analysis::SourceFolder sourceFolder;
  vc::analysis::collectModules(queue, sourceFolder);
  // Every plainly named module reads the same bytes as its source; the rest are created
  // empty by their open, as missing sources are.
  for (std::size_t i = 1; i <= queue.records(); ++i) {
    const std::string_view name = queue.at(i).NOMBRE.clipped();
    if (plainName(name))
      std::ofstream(folder / (std::string(name) + ".CLW"), std::ios::binary | std::ios::trunc)
          << bytes;
  }
  try {
    vc::analysis::parseAllModules(queue, sourceFolder);
  } catch (const vc::errors::ProgramHalted&) {
    vc::store::archivo1Relation->close();
    vc::store::archivo2Relation->close();
    vc::store::resumenRelation->close();
    clearFolder(folder);
    return 0;
  }

  long long counted = 0;
  for (std::size_t i = 1; i <= queue.records(); ++i)
    counted += queue.at(i).EXPORT + queue.at(i).EXTERNALS;
  auto& resumen = vc::store::resumen();
  if (resumen.records() != static_cast<std::uint64_t>(counted)) std::abort();
  resumen.clearToLowest();
  resumen.set(vc::store::ResumenFile::indnom);
  while (!resumen.eof()) {
    if (resumen.next() != vc::files::FileError::none) std::abort();
    const auto& r = vc::store::RES;
    for (char c : r.NOMBRE.view())
      if (c >= 'a' && c <= 'z') std::abort();  // labels are stored upper-cased
    if (r.NOMBRE[0] == ' ' || r.EXTERNAL > 1 || r.DIFERENTE != 0) std::abort();
  }

  vc::store::archivo1Relation->close();
  vc::store::archivo2Relation->close();
  vc::store::resumenRelation->close();
  clearFolder(folder);
  return 0;
}
