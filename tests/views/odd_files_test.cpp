// Whole analyses on files that are not what a source or a table should be, on folders
// that refuse, on long paths, on many modules, and on a table another process holds:
// the message each gives and the files left behind.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "analysis/declaration_parser.hpp"
#include "analysis/module_queue.hpp"
#include "globals/globals.hpp"
#include "platform/os/fault_injecting_os.hpp"
#include "platform/os/os.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "store/store.hpp"
#include "support/as_nobody.hpp"
#include "support/program_fixture.hpp"
#include "support/temp_folder.hpp"
#include "views/analysis_window.hpp"
#include "whole_analysis.hpp"

namespace vc::views {
namespace {

namespace fs = std::filesystem;
using testing::analyse;
using testing::analyseAsNobody;
using testing::Analysis;
using testing::kFatal;
using testing::kModuleSource;
using testing::mainSourceNaming;
using testing::namesIn;
using testing::rowsIn;
using vc::testing::TempFolder;
using vc::ui::ScriptedEngine;
using vc::ui::Window;

struct OddCase {
  const char* name;
  std::function<void(const fs::path& src)> prepare;  // the module VENTAS is named
  std::function<std::vector<std::string>(const fs::path& src)> messages;
  bool goesOn;
  std::vector<std::string> list;
  std::vector<std::string> filesLeft;  // in src, besides MAIN.clw
  bool resumenLeft;
};

TEST(OddFilesTest, EachOddFileGivesTheMessageOfWhatItIs) {
  const OddCase cases[] = {
      {"a FIFO as a module source",
       [](const fs::path& src) { ASSERT_EQ(::mkfifo((src / "VENTAS.CLW").c_str(), 0666), 0); },
       [](const fs::path& src) {
         return std::vector<std::string>{
             "File Access Error: File " + (src / "VENTAS.CLW").string() +
             " could not be opened.  Error: Not a regular file (0)." + kFatal};
       },
       false,
       {},
       {"VENTAS.CLW"},
       true},
      {"a FIFO as resumen.dat",
       [](const fs::path& src) {
         TempFolder::write(src / "VENTAS.CLW", kModuleSource);
         ASSERT_EQ(::mkfifo("resumen.dat", 0666), 0);
       },
       [](const fs::path&) {
         return std::vector<std::string>{
             std::string("File Access Error: File resumen.dat could not be opened.  Error: Not "
                         "a regular file (0).") +
             kFatal};
       },
       false,
       {},
       {"VENTAS.CLW"},
       true},
      {"a folder as a module source",
       [](const fs::path& src) { fs::create_directory(src / "VENTAS.CLW"); },
       [](const fs::path& src) {
         return std::vector<std::string>{
             "File Access Error: File " + (src / "VENTAS.CLW").string() +
             " could not be opened.  Error: Is a directory (21)." + kFatal};
       },
       false,
       {},
       {"VENTAS.CLW"},
       true},
      {"a link to a missing file as a module source: the file is made, as a missing source",
       [](const fs::path& src) { fs::create_symlink("gone.clw", src / "VENTAS.CLW"); },
       [](const fs::path&) { return std::vector<std::string>{}; },
       true,
       {"VENTAS 0 0"},
       {"VENTAS.CLW", "gone.clw"},
       true},
  };
  for (const OddCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const fs::path src = folder.path() / "src";
    fs::create_directory(src);
    TempFolder::write(src / "MAIN.clw", mainSourceNaming({"VENTAS"}));
    c.prepare(src);
    const auto expected = c.messages(src);
    const Analysis a =
        analyse((src / "MAIN.clw").string(), static_cast<int>(expected.size()), c.goesOn);
    EXPECT_EQ(a.messages, expected);
    EXPECT_EQ(a.status, c.goesOn ? 0 : 1);
    EXPECT_EQ(a.list, c.list);
    std::vector<std::string> left = c.filesLeft;
    left.push_back("MAIN.clw");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(namesIn(src), left);
    EXPECT_EQ(fs::exists(fs::symlink_status("resumen.dat")), c.resumenLeft);
    if (fs::exists(src / "gone.clw")) {
      EXPECT_EQ(fs::file_size(src / "gone.clw"), 0u);
    }
  }
}

TEST(OddFilesTest, AFolderThatCannotBeListedNeverGetsASourceMade) {
  // "Ventas.clw" is the module's file; as root the folder could be listed, so the listing
  // is refused in the file layer's seam as a folder without read permission refuses it.
  TempFolder folder;
  const fs::path src = folder.path() / "src";
  fs::create_directory(src);
  TempFolder::write(src / "MAIN.clw", mainSourceNaming({"VENTAS"}));
  TempFolder::write(src / "Ventas.clw", kModuleSource);
  vc::files::FaultInjectingOs seam;
  seam.refuse(vc::files::FaultInjectingOs::Call::listFolder, "src",
              vc::files::FileError::accessDenied);
  vc::files::ScopedOs installed(seam);
  const Analysis a = analyse((src / "MAIN.clw").string(), 1, false);
  EXPECT_EQ(a.messages,
            std::vector<std::string>{"File Access Error: File " + (src / "VENTAS.CLW").string() +
                                     " could not be opened.  Error: Permission denied to list "
                                     "the folder (13)." +
                                     kFatal});
  EXPECT_EQ(namesIn(src), (std::vector<std::string>{"MAIN.clw", "Ventas.clw"}));
}

TEST(OddFilesTest, AFolderThatCannotBeListedByItsUserNeverGetsASourceMade) {
  // The same with the folder's own permissions, in a child that is not root: it may enter
  // and write the folder but not list it.
  TempFolder folder;
  fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
  const fs::path src = folder.path() / "src";
  fs::create_directory(src);
  TempFolder::write(src / "MAIN.clw", mainSourceNaming({"VENTAS"}));
  TempFolder::write(src / "Ventas.clw", kModuleSource);
  fs::permissions(src / "MAIN.clw", fs::perms::all);
  ::chmod(src.c_str(), 0733);
  const auto [status, report] = vc::testing::runAsNobody([&](std::string& out) {
    const Analysis a = analyse((src / "MAIN.clw").string(), 1, false);
    for (const auto& m : a.messages) out += m + "\n";
    return a.status;
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(report, "File Access Error: File " + (src / "VENTAS.CLW").string() +
                        " could not be opened.  Error: Permission denied to list the folder "
                        "(13)." +
                        kFatal + "\n");
  ::chmod(src.c_str(), 0755);
  EXPECT_EQ(namesIn(src), (std::vector<std::string>{"MAIN.clw", "Ventas.clw"}));
}

TEST(OddFilesTest, APathOf233CharactersIsUsedWhole) {
  TempFolder folder;
  // Folders of 50 characters: the main source's path is 233 characters long, and a name
  // cut at 200 would fall inside the last folder's name.
  fs::path src = folder.path();
  while (src.string().size() + 51 + 51 + 10 <= 233) src /= std::string(50, 'd');
  const std::size_t rest = 233 - src.string().size() - 1 - 1 - 8;
  src /= std::string(rest, 'e');
  fs::create_directories(src);
  const fs::path main = src / "MAIN.clw";
  ASSERT_EQ(main.string().size(), 233u);
  TempFolder::write(main, mainSourceNaming({"VENTAS"}));
  TempFolder::write(src / "VENTAS.CLW", kModuleSource);
  const auto before = namesIn(folder.path());
  const Analysis a = analyse(main.string(), 0, true);
  EXPECT_TRUE(a.messages.empty());
  EXPECT_EQ(a.list, std::vector<std::string>{"VENTAS 1 1"});
  EXPECT_EQ(namesIn(src), (std::vector<std::string>{"MAIN.clw", "VENTAS.CLW"}));
  std::vector<std::string> after = namesIn(folder.path());
  std::erase_if(after, [](const std::string& n) { return n.rfind("resumen.dat", 0) == 0; });
  std::erase(after, "varcompass.INI");
  EXPECT_EQ(after, before);
}

TEST(OddFilesTest, TenThousandModulesInAnotherCaseListTheirFolderOnce) {
  TempFolder folder;
  const fs::path src = folder.path() / "src";
  fs::create_directory(src);
  std::vector<std::string> modules;
  for (int i = 0; i < 10000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "MOD%05d", i);
    modules.push_back(name);
    std::string file = "mod" + std::string(name + 3) + (i % 2 ? ".clw" : ".Clw");
    TempFolder::write(src / file, kModuleSource);
  }
  TempFolder::write(src / "MAIN.clw", mainSourceNaming(modules));
  // A folder that changed a moment ago is listed at every lookup, as the coarse clock of
  // the file system could hide a change made within the same tick.
  fs::last_write_time(src, fs::file_time_type::clock::now() - std::chrono::hours(1));
  vc::files::FaultInjectingOs seam;
  vc::files::ScopedOs installed(seam);
  const Analysis a = analyse((src / "MAIN.clw").string(), 0, true);
  EXPECT_TRUE(a.messages.empty());
  ASSERT_EQ(a.list.size(), 10000u);
  EXPECT_EQ(std::count(a.list.begin(), a.list.end(), a.list.front()), 1);
  EXPECT_TRUE(std::all_of(a.list.begin(), a.list.end(), [](const std::string& line) {
    return line.size() > 4 && line.substr(line.size() - 4) == " 1 1";
  }));
  EXPECT_LE(seam.calls(vc::files::FaultInjectingOs::Call::listFolder, "src"), 1);
  EXPECT_EQ(namesIn(src).size(), 10001u);  // no source made in another case
}

TEST(OddFilesTest, AReadOnlyFolderWithAWritableTableTakesTheAnalysisSilently) {
  // The folder may not be written by the child's user, the table and the sources may.
  TempFolder folder;
  const fs::path app = folder.path() / "app";
  fs::create_directory(app);
  TempFolder::write(app / "MAIN.clw", mainSourceNaming({"VENTAS"}));
  TempFolder::write(app / "VENTAS.CLW", kModuleSource);
  {
    // An earlier analysis, as root, left its table behind.
    fs::current_path(app);
    const Analysis first = analyse((app / "MAIN.clw").string(), 0, true);
    ASSERT_TRUE(first.messages.empty());
  }
  for (const auto& e : fs::directory_iterator(app)) fs::permissions(e.path(), fs::perms::all);
  fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
  ::chmod(app.c_str(), 0755);
  const auto before = namesIn(app);
  const auto [status, report] = analyseAsNobody(app, (app / "MAIN.clw").string(), 0, true);
  EXPECT_EQ(status, 0);
  // No notice: the list shows the counts; REMOVE could not delete the table, so the rows
  // were added to those of the earlier analysis.
  EXPECT_EQ(report, "VENTAS 1 1\n");
  EXPECT_EQ(namesIn(app), before);
  EXPECT_EQ(rowsIn(app / "resumen.dat"), 4);
}

TEST(OddFilesTest, AReadOnlyFolderWithABrokenKeyRebuildsItAndTakesTheAnalysis) {
  // The folder may not be written by the child's user, the table and the sources may.
  TempFolder folder;
  const fs::path app = folder.path() / "app";
  fs::create_directory(app);
  TempFolder::write(app / "MAIN.clw", mainSourceNaming({"VENTAS"}));
  TempFolder::write(app / "VENTAS.CLW", kModuleSource);
  fs::current_path(app);
  ASSERT_TRUE(analyse((app / "MAIN.clw").string(), 0, true).messages.empty());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("resumen.dat", &db), SQLITE_OK);
  char** names = nullptr;
  int rows = 0, columns = 0;
  ASSERT_EQ(sqlite3_get_table(db, "SELECT name FROM sqlite_master WHERE type='index' ORDER BY 1",
                              &names, &rows, &columns, nullptr),
            SQLITE_OK);
  ASSERT_EQ(rows, 2);
  const std::vector<std::string> keys = {names[1], names[2]};
  sqlite3_free_table(names);
  ASSERT_EQ(sqlite3_exec(db, ("DROP INDEX \"" + keys[0] + "\"").c_str(), nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  for (const auto& e : fs::directory_iterator(app)) fs::permissions(e.path(), fs::perms::all);
  fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
  ::chmod(app.c_str(), 0755);
  const auto before = namesIn(app);
  const auto [status, report] = analyseAsNobody(app, (app / "MAIN.clw").string(), 1, true);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report,
            "Invalid Key: resumen.dat key file is invalid. Key must be rebuilt.\n"
            "VENTAS 1 1\n");
  EXPECT_EQ(namesIn(app), before);
  ASSERT_EQ(sqlite3_open_v2((app / "resumen.dat").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_get_table(db,
                              "SELECT (SELECT count(*) FROM resumen), name FROM sqlite_master "
                              "WHERE type='index' ORDER BY 2",
                              &names, &rows, &columns, nullptr),
            SQLITE_OK);
  ASSERT_EQ(rows, 2);  // both keys are back
  EXPECT_EQ(std::vector<std::string>({names[3], names[5]}), keys);
  EXPECT_EQ(std::string(names[2]), "4");  // the rows of both analyses
  sqlite3_free_table(names);
  sqlite3_close(db);
}

TEST(OddFilesTest, ATableHeldPastTheWaitIsToldAndKeptWhole) {
  vc::testing::ProgramFixture program;
  TempFolder::write("VENTAS.CLW", kModuleSource);
  TempFolder::write("main.clw", "");
  globals::NOMBREARCHIVO1 = "main.clw";
  globals::NOMBREARCHIVO2 = globals::NOMBREARCHIVO1.view();
  store::archivo2Relation->open();
  store::resumenRelation->open();
  (void)store::resumen().sendOption("Recover=1");  // a short wait; always answers none
  // Another process takes the table's write lock and keeps it past the wait.
  int ready[2];
  int done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    sqlite3* db = nullptr;
    char byte = 0;
    const bool locked = sqlite3_open("resumen.dat", &db) == SQLITE_OK &&
                        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    (void)!::write(ready[1], locked ? "1" : "0", 1);
    (void)!::read(done[0], &byte, 1);
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, '1');
  program.engine.acknowledge();
  analysis::ModuleQueue queue;
  queue.TAB1.NOMBRE = "VENTAS";
  queue.add();
  analysis::SourceFolder sourceFolder;
  analysis::parseAllModules(queue, sourceFolder);
  (void)!::write(done[1], "1", 1);
  ::waitpid(holder, nullptr, 0);
  ASSERT_EQ(program.engine.messages().size(), 1u);
  EXPECT_EQ(program.engine.messages()[0].caption, "File Access Error");
  EXPECT_EQ(program.engine.messages()[0].text,
            "File resumen.dat could not be written.  Error: Access Denied (5).");
  EXPECT_EQ(queue.at(1).EXPORT, 1);  // the counts stand: the sources were read
  EXPECT_EQ(store::resumen().records(), 0u);
  store::archivo2Relation->close();
  store::resumenRelation->close();
}

}  // namespace
}  // namespace vc::views
