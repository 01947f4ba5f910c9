#include "analysis/module_scan.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source_lines.hpp"
#include "support/program_fixture.hpp"

namespace vc::analysis {
namespace {

using vc::testing::crlf;
using vc::testing::ProgramFixture;
using vc::testing::TempFolder;

// Scans `bytes` as the chosen main source file; the module names in list order.
std::vector<std::string> scan(const std::string& bytes, const std::string& name = "main.clw") {
  ProgramFixture program;
  TempFolder::write(name, bytes);
  globals::NOMBREARCHIVO1 = name;
  store::archivo1Relation->open();
  ModuleQueue queue;
  SourceFolder folder;
  collectModules(queue, folder);
  store::archivo1Relation->close();
  std::vector<std::string> names;
  for (std::size_t i = 1; i <= queue.records(); ++i) {
    EXPECT_EQ(queue.at(i).EXPORT, 0);
    EXPECT_EQ(queue.at(i).EXTERNALS, 0);
    names.emplace_back(queue.at(i).NOMBRE.clipped());
  }
  return names;
}

struct LineCase {
  const char* name;
  std::string line;
  std::vector<std::string> expected;
};

TEST(ModuleScanTest, SingleLinesAfterTheMap) {
  const LineCase cases[] = {
      {"quoted name", "     MODULE('VENTAS.CLW')", {"VENTAS"}},
      {"line begins with MODULE(", "MODULE('Y.clw')", {"Y"}},
      {"first 20 characters",
       "    MODULE('AVERYLONGMODULENAME_1234.CLW')",
       {"AVERYLONGMODULENAME_"}},
      {"no full stop", "    MODULE('X')", {"X')"}},
      {"character after ( dropped", "    MODULE(QRS.CLW)", {"RS"}},
      {"cut at first full stop", "    MODULE('W') ! ver. 2", {"W') ! ver"}},
      {"small letters", "    module('low.clw')", {}},
      {"! not first", "  ! MODULE('Z.CLW')", {"Z"}},
      {"name begins with full stop", "    MODULE('.X')", {""}},
      {"END", "    END", {}},
      {"MODULE( at the end of a full line", std::string(193, ' ') + "MODULE(", {""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(scan(crlf({"  MAP", c.line})), c.expected);
  }
}

TEST(ModuleScanTest, WholeFileExampleSortsCapitalsFirst) {
  const std::string file =
      crlf({"  PROGRAM", "  MAP", "    MODULE('VENTAS.CLW')", "Ventas   PROCEDURE", "    END",
            "    MODULE('compras.clw')", "Compras  PROCEDURE", "    END", "  END", "!--- resto",
            "    MODULE('OTRO.CLW')"});
  EXPECT_EQ(scan(file), (std::vector<std::string>{"VENTAS", "compras"}));
}

TEST(ModuleScanTest, EdgesOfTheSearch) {
  const LineCase cases[] = {
      {"MAP in a comment starts collection early",
       crlf({"! SITEMAP notes", "    MODULE('A.CLW')", "x", "x", "  MAP", "    MODULE('B.CLW')"}),
       {"A", "B"}},
      {"lower-case map", crlf({"  map", "    MODULE('A.CLW')"}), {}},
      {"the two lines after MODULE( are never examined",
       crlf({"  MAP", "    MODULE('A.CLW')", "    MODULE('B.CLW')", "!--- stop",
             "    MODULE('C.CLW')"}),
       {"A", "C"}},
      {"MODULE( on the last line", crlf({"  MAP", "    END", "    MODULE('LAST.CLW')"}), {"LAST"}},
      {"MODULE( on the last but one line", crlf({"  MAP", "    MODULE('PEN.CLW')", "x"}), {"PEN"}},
      {"module named twice",
       crlf({"  MAP", "    MODULE('A.CLW')", "", "", "    MODULE('A.CLW')"}),
       {"A", "A"}},
      {"MODULE( on the MAP line", crlf({"  MAP MODULE('A.CLW')"}), {}},
      {"file ends after MAP", crlf({"  MAP"}), {}},
      {"empty file", "", {}},
      {"LF-only lines are one line", "  MAP\n    MODULE('A.CLW')\n", {}},
      {"equal names keep their order, trailing blanks ignored",
       crlf({"  MAP", "    MODULE('B.CLW')", "", "", "    MODULE('A.CLW')", "", "",
             "    MODULE('Ab.CLW')"}),
       {"A", "Ab", "B"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(scan(c.line), c.expected);
  }
}

TEST(ModuleScanTest, FolderEndsAtTheLastSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"D:\\src\\app\\main.clw", "D:\\src\\app\\"},
      {"main.clw", ""},
      {"\\\\srv\\share\\a.clw", "\\\\srv\\share\\"},
      {"D:/src/main.clw", "D:/src/"},
      {"/home/ana/app/main.clw   ", "/home/ana/app/"},
      {"/home/a\\b/main.clw", "/home/a\\b/"},
      {"", ""},
  };
  for (const auto& [path, folder] : cases) {
    SCOPED_TRACE(path);
    SourceFolder got;
    got = "junk";
    folderOf(path, got);
    EXPECT_EQ(got.clipped(), folder);
  }
}

TEST(ModuleScanTest, CollectModulesSetsTheFolderFromTheChosenName) {
  ProgramFixture program;
  const std::string path = (program.folder.path() / "main.clw").string();
  TempFolder::write(path, crlf({"  MAP", "    MODULE('A.CLW')"}));
  globals::NOMBREARCHIVO1 = path;
  store::archivo1Relation->open();
  ModuleQueue queue;
  SourceFolder folder;
  collectModules(queue, folder);
  EXPECT_EQ(folder.clipped(), program.folder.path().string() + "/");
  EXPECT_EQ(queue.records(), 1u);
}

}  // namespace
}  // namespace vc::analysis
