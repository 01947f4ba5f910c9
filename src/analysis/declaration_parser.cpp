#include "analysis/declaration_parser.hpp"

#include <string>

#include "globals/globals.hpp"
#include "platform/text/text_ops.hpp"
#include "store/store.hpp"

namespace vc::analysis {

using vc::text::clip;
using vc::text::find;
using vc::text::upperCase;

namespace {

/// upperCase over a field's bytes, in place.
void foldInPlace(char* bytes, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) bytes[i] = upperCase(bytes[i]);
}

/// The text without its leading and trailing blanks: clip(leftJustify(text)).
std::string_view trimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

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
  // user is told. The table then holds none of this analysis's rows: a stream begun on
  // an empty table, as the analysis window leaves it, adds all its rows or none. Only
  // where the window's removal of the file was refused, and the rows went in after those
  // already there, does the table keep the batches written before the failure.
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

  vc::text::FixedText<30> modulo(entry.NOMBRE.view());
  foldInPlace(modulo.data(), modulo.size());

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
    // The text operations of the split, on views of the line: the same texts without a
    // copy of each piece. p is the first blank's position from 1, 0 when there is none.
    const std::size_t p = find(" ", line);
    RES.NOMBRE = p == 0 ? line : line.substr(0, p - 1);
    foldInPlace(RES.NOMBRE.data(), RES.NOMBRE.size());
    // The split looks only at the 100 characters that begin at the first blank, without
    // their leading and trailing blanks.
    const std::string_view rest = trimBlanks(line.substr(p == 0 ? 0 : p - 1, 100));
    if (const std::size_t comma = rest.find(','); comma == std::string_view::npos) {
      RES.TIPO = rest;
      RES.MODO.clear();
    } else {
      RES.TIPO = rest.substr(0, comma);
      RES.MODO = trimBlanks(rest.substr(comma + 1));
    }
    RES.MODULO = modulo;
    // Not examined here: a row that cannot be written fails its batch, which FLUSH
    // answers for once, after the last module.
    (void)resumen.add();
  }
  moduleQueue.put();
}

}  // namespace vc::analysis
