#include "analysis/declaration_parser.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "platform/text/text_ops.hpp"
#include "source_lines.hpp"
#include "support/program_fixture.hpp"

namespace vc::analysis {
namespace {

using vc::testing::crlf;
using vc::testing::ProgramFixture;
using vc::testing::TempFolder;

struct Row {
  std::string modulo, nombre, tipo, modo;
  int external;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.modulo << "|" << r.nombre << "|" << r.tipo << "|" << r.modo << "|"
            << r.external << "}";
}

// The rows of resumen in indmod order: module, then EXTERNAL, then name.
std::vector<Row> rowsInModuleOrder() {
  std::vector<Row> rows;
  auto& resumen = store::resumen();
  store::clear(store::RES);
  resumen.clearToLowest();
  resumen.set(store::ResumenFile::indmod);
  while (!resumen.eof()) {
    EXPECT_EQ(resumen.next(), vc::files::FileError::none);
    const auto& r = store::RES;
    rows.push_back({std::string(r.MODULO.clipped()), std::string(r.NOMBRE.clipped()),
                    std::string(r.TIPO.clipped()), std::string(r.MODO.clipped()), r.EXTERNAL});
    EXPECT_EQ(r.DIFERENTE, 0);
  }
  return rows;
}

// Runs the parser over the given module sources ("" for a module without a file), with
// the list in the given order, and answers the rows and the list's counts.
struct Outcome {
  std::vector<Row> rows;
  std::vector<std::pair<int, int>> counts;  // Locales, Externals per entry
};

Outcome parse(ProgramFixture& program, const std::vector<std::string>& modules,
              const std::vector<std::string>& sources) {
  for (std::size_t i = 0; i < modules.size(); ++i)
    if (!sources[i].empty()) TempFolder::write(modules[i] + ".CLW", sources[i]);
  ModuleQueue queue;
  for (const auto& m : modules) {
    queue.TAB1.NOMBRE = m;
    queue.add();
  }
  SourceFolder folder;
  globals::NOMBREARCHIVO1 = "main.clw";
  globals::NOMBREARCHIVO2 = globals::NOMBREARCHIVO1.view();
  TempFolder::write("main.clw", "");
  store::archivo2Relation->open();
  store::resumenRelation->open();
  parseAllModules(queue, folder);
  Outcome out;
  out.rows = rowsInModuleOrder();
  for (std::size_t i = 1; i <= queue.records(); ++i)
    out.counts.emplace_back(queue.at(i).EXPORT, queue.at(i).EXTERNALS);
  store::archivo2Relation->close();
  store::resumenRelation->close();
  (void)program;
  return out;
}

struct LineCase {
  std::string line;
  std::vector<Row> rows;  // empty: no row
};

TEST(DeclarationParserTest, SplitsEachDeclarationLine) {
  const std::string marker(kMarker);
  const LineCase cases[] = {
      {"GLO:Var  STRING(20),EXTERNAL,DLL",
       {{"VENTAS", "GLO:VAR", "STRING(20)", "EXTERNAL,DLL", 1}}},
      {"Cnt LONG", {{"VENTAS", "CNT", "LONG", "", 0}}},
      {"X DECIMAL(10,2)", {{"VENTAS", "X", "DECIMAL(10", "2)", 0}}},
      {"Total  LONG, THREAD", {{"VENTAS", "TOTAL", "LONG", "THREAD", 0}}},
      {"Lbl ,EXTERNAL", {{"VENTAS", "LBL", "", "EXTERNAL", 1}}},
      {"FLAG", {{"VENTAS", "FLAG", "", "", 0}}},
      {"GLO:Str STRING(20)  ! ver EXTERNAL",
       {{"VENTAS", "GLO:STR", "STRING(20)  ! ver EXTERNAL", "", 1}}},
      {"GLO:Fecha   LONG  ! Fecha, en formato estandar",
       {{"VENTAS", "GLO:FECHA", "LONG  ! Fecha", "en formato estandar", 0}}},
      {"glo:nombre   CSTRING(41),STATIC,THREAD,EXTERNAL,DLL(dll_mode)",
       {{"VENTAS", "GLO:NOMBRE", "CSTRING(41)", "STATIC,THREAD,EXTERNAL,DLL(dll", 1}}},
      {"Clientes   FILE,PRE(CLI),CREATE,THREAD",
       {{"VENTAS", "CLIENTES", "FILE", "PRE(CLI),CREATE,THREAD", 0}}},
      {"GLO:Largo" + std::string(90, ' ') + "LONG,THREAD",
       {{"VENTAS", "GLO:LARGO", "LONG", "THREA", 0}}},
      {"GLO:Largo" + std::string(100, ' ') + "LONG,THREAD", {{"VENTAS", "GLO:LARGO", "", "", 0}}},
      {"GLO:PROCEDURENAME STRING(30)", {}},
      {"Main   PROCEDURE", {}},
      {"", {}},
      {"   Indented LONG", {}},
      {"main   procedure", {{"VENTAS", "MAIN", "procedure", "", 0}}},
      {"Flag   BYTE ! external", {{"VENTAS", "FLAG", "BYTE ! external", "", 0}}},
      {std::string(40, 'L') + " LONG", {{"VENTAS", std::string(30, 'L'), "LONG", "", 0}}},
      {"Txt STRING(20)" + std::string(190, ' ') + ",EXTERNAL",
       {{"VENTAS", "TXT", "STRING(20)", "", 0}}},
      {std::string(200, 'A') + " LONG",
       {{"VENTAS", std::string(30, 'A'), std::string(30, 'A'), "", 0}}},
      {"Acento\xe1 STRING(2)", {{"VENTAS", "ACENTO\xe1", "STRING(2)", "", 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ProgramFixture program;
    const Outcome out = parse(program, {"VENTAS"}, {crlf({marker, c.line, "!--- fin"})});
    EXPECT_EQ(out.rows, c.rows);
    const int ext = c.rows.empty() ? 0 : c.rows[0].external;
    const int loc = c.rows.empty() ? 0 : 1 - ext;
    EXPECT_EQ(out.counts, (std::vector<std::pair<int, int>>{{loc, ext}}));
  }
}

TEST(DeclarationParserTest, MarkerAnywhereAndOnlyTheFirstOneStarts) {
  ProgramFixture program;
  const std::string marker(kMarker);
  const Outcome out = parse(program, {"ventas", "compras", "STOCK"},
                            {crlf({"Before LONG", "  xx " + marker + " ------", "A LONG",
                                   "B LONG,EXTERNAL", marker + " again", "C LONG"}),
                             crlf({"Ignored LONG", marker, "A STRING(2)"}), ""});
  EXPECT_EQ(out.rows, (std::vector<Row>{{"COMPRAS", "A", "STRING(2)", "", 0},
                                        {"VENTAS", "A", "LONG", "", 0},
                                        {"VENTAS", "B", "LONG", "EXTERNAL", 1}}));
  EXPECT_EQ(out.counts, (std::vector<std::pair<int, int>>{{1, 1}, {1, 0}, {0, 0}}));
  // A module without a source is left behind as an empty file of that name.
  EXPECT_TRUE(std::filesystem::exists("STOCK.CLW"));
  EXPECT_EQ(std::filesystem::file_size("STOCK.CLW"), 0u);
}

TEST(DeclarationParserTest, ModuleNamedTwiceIsParsedTwice) {
  ProgramFixture program;
  const std::string src = crlf({std::string(kMarker), "A LONG", "B LONG,EXTERNAL"});
  const Outcome out = parse(program, {"M", "M"}, {src, src});
  EXPECT_EQ(out.rows.size(), 4u);
  EXPECT_EQ(out.counts, (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
}

TEST(DeclarationParserTest, SourcesWithoutRowsGiveZeroCounts) {
  const std::string marker(kMarker);
  const std::pair<const char*, std::string> cases[] = {
      {"no marker", crlf({"A LONG"})},
      {"marker on the last line", crlf({"A LONG", marker})},
      {"LF-only lines", marker + "\nA LONG\nB LONG\n"},
      {"marker in small letters",
       crlf({"!--- application global and exported procedure definitions", "A LONG"})},
  };
  for (const auto& [name, src] : cases) {
    SCOPED_TRACE(name);
    ProgramFixture program;
    const Outcome out = parse(program, {"M"}, {src});
    EXPECT_TRUE(out.rows.empty());
    EXPECT_EQ(out.counts, (std::vector<std::pair<int, int>>{{0, 0}}));
  }
}

TEST(DeclarationParserTest, FindsModuleSourcesWhateverTheirCase) {
  ProgramFixture program;
  TempFolder::write("Ventas.clw", crlf({std::string(kMarker), "A LONG"}));
  const Outcome out = parse(program, {"VENTAS"}, {""});
  EXPECT_EQ(out.rows.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists("VENTAS.CLW"));
}

}  // namespace
}  // namespace vc::analysis

namespace vc::analysis {
namespace {

/// The split of one declaration line written as the steps give it, with the text
/// operations on whole texts: the reference the parser's own split must match.
Row referenceSplit(const std::string& module, std::string line) {
  using namespace vc::text;
  line.resize(200, ' ');
  Row r;
  r.external = find("EXTERNAL", line) != 0 ? 1 : 0;
  const long p = static_cast<long>(find(" ", line));
  r.nombre = std::string(clip(upperCase(substring(line, 1, p - 1)).substr(0, 30)));
  std::string rest(clip(leftJustify(substring(line, p, 100))));
  rest.resize(200, ' ');
  const std::size_t q = find(",", rest);
  const std::string tipo = q == 0 ? rest : substring(rest, 1, static_cast<long>(q) - 1);
  const std::string modo =
      q == 0 ? "" : leftJustify(substring(rest, static_cast<long>(q) + 1, 200));
  r.tipo =
      std::string(clip(std::string_view(tipo).substr(0, std::min<std::size_t>(30, tipo.size()))));
  r.modo =
      std::string(clip(std::string_view(modo).substr(0, std::min<std::size_t>(30, modo.size()))));
  r.modulo = upperCase(module);
  return r;
}

TEST(DeclarationParserTest, SplitsLikeTheTextOperationsOnAnyLine) {
  // Lines of labels, blanks, commas and lowercase letters at random places, some longer
  // than the record and some with no blank at all.
  ProgramFixture program;
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  const auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  const std::string alphabet = "aZ:_,  ,(9)!EXTERNAL";
  std::string source = std::string(kMarker) + "\r\n";
  std::vector<Row> expected;
  for (int i = 0; i < 3000; ++i) {
    std::string line(1, "Gg_x"[next() % 4]);
    const std::size_t length = next() % 260;
    for (std::size_t c = 0; c < length; ++c) line += alphabet[next() % alphabet.size()];
    if (next() % 10 == 0) line.insert(1, std::string(next() % 150, ' '));
    const std::string asRead = line.substr(0, std::min<std::size_t>(200, line.size()));
    if (asRead.find("PROCEDURE") == std::string::npos)
      expected.push_back(referenceSplit("Mod", asRead));
    source += line + "\r\n";
  }
  const Outcome out = parse(program, {"Mod"}, {source});
  // The rows come back in key order; the reference in the order of the lines.
  auto byKey = [](const Row& a, const Row& b) {
    return std::tie(a.modulo, a.external, a.nombre) < std::tie(b.modulo, b.external, b.nombre);
  };
  std::stable_sort(expected.begin(), expected.end(), byKey);
  ASSERT_EQ(out.rows.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(out.rows[i], expected[i]);
  }
}

}  // namespace
}  // namespace vc::analysis
