#include "analysis/declaration_parser.hpp"

#include <string>

#include "globals/globals.hpp"
#include "platform/text/text_ops.hpp"
#include "store/store.hpp"

namespace vc::analysis {

using vc::text::clip;
using vc::text::find;
using vc::text::leftJustify;
using vc::text::substring;
using vc::text::upperCase;

void parseAllModules(ModuleQueue& moduleQueue, const SourceFolder& sourceFolder) {
  auto& resumen = vc::store::resumen();
  // Never refused on an open table; what the stream fails to write, FLUSH answers.
  (void)resumen.stream();
  const std::size_t n = moduleQueue.records();
  for (std::size_t i = 1; i <= n; ++i) {
    moduleQueue.get(i);
    vc::store::archivo2Relation->close();
    std::string path(clip(sourceFolder.view()));
    path += clip(moduleQueue.TAB1.NOMBRE.view());
    path += ".CLW";
    globals::NOMBREARCHIVO2 = path;
    vc::store::archivo2Relation->open();
    parseModule(moduleQueue);
  }
  // Rows that were meant to be written and were not must not look like success: the
  // user is told, and the table holds the batches written before the failure.
  if (const vc::files::FileStatus written = resumen.flush(); !written.ok()) {
    if (vc::store::resumenAccess != nullptr) {
      (void)vc::store::resumenAccess->reportWriteFailure(written);  // a notice: it goes on
    }
  }
}

void parseModule(ModuleQueue& moduleQueue) {
  ModuleEntry& entry = moduleQueue.TAB1;
  entry.EXTERNALS = 0;
  entry.EXPORT = 0;
  auto& archivo2 = vc::store::archivo2();
  auto& AR2 = vc::store::AR2;
  auto& resumen = vc::store::resumen();
  auto& RES = vc::store::RES;

  archivo2.set(1);
  bool found = false;
  while (!archivo2.eof()) {
    (void)archivo2.next();  // EOF was just tested false, so a line was read
    if (find(kMarker, AR2.DATO.view()) != 0) {
      found = true;
      break;
    }
  }
  while (found && !archivo2.eof()) {
    (void)archivo2.next();  // EOF was just tested false, so a line was read
    const std::string_view line = AR2.DATO.view();
    if (line[0] == '!') break;
    if (find("PROCEDURE", line) != 0) continue;
    if (line[0] == ' ') continue;
    if (find("EXTERNAL", line) != 0) {
      ++entry.EXTERNALS;
      RES.EXTERNAL = 1;
    } else {
      ++entry.EXPORT;
      RES.EXTERNAL = 0;
    }
    const long p = static_cast<long>(find(" ", line));
    RES.NOMBRE = upperCase(substring(line, 1, p - 1));
    // The split looks only at the 100 characters that begin at the first blank.
    std::string rest(clip(leftJustify(substring(line, p, 100))));
    rest.resize(200, ' ');
    if (const std::size_t q = find(",", rest); q == 0) {
      RES.TIPO = rest;
      RES.MODO.clear();
    } else {
      RES.TIPO = substring(rest, 1, static_cast<long>(q) - 1);
      RES.MODO = leftJustify(substring(rest, static_cast<long>(q) + 1, 200));
    }
    RES.MODULO = upperCase(entry.NOMBRE.view());
    // Not examined here: a row that cannot be written fails its batch, which FLUSH
    // answers for once, after the last module.
    (void)resumen.add();
  }
  moduleQueue.put();
}

}  // namespace vc::analysis
