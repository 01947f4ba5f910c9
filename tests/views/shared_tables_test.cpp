// Whole analyses on a results table in a folder shared with another user, behind a
// symbolic link, or held by another user's browse: what each run shows, and that no row
// or byte of anyone's file is lost. A first analysis as root makes the table; the runs of
// the user who may not change the folder are as uid 65534 in a child process, since root
// ignores permissions.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "globals/globals.hpp"
#include "platform/report/report_controller.hpp"
#include "platform/report/scripted/scripted_output.hpp"
#include "store/store.hpp"
#include "support/as_nobody.hpp"
#include "support/temp_folder.hpp"
#include "views/ver_resumen.hpp"
#include "whole_analysis.hpp"

namespace vc::views {
namespace {

namespace fs = std::filesystem;
using testing::analyse;
using testing::analyseAsNobody;
using testing::Analysis;
using testing::kFatal;
using testing::kModuleSource;
using testing::lines;
using testing::mainSourceNaming;
using testing::namesIn;
using testing::rowsIn;
using vc::testing::TempFolder;
using vc::ui::ScriptedEngine;
using vc::ui::Window;

/// A folder "app" with the application's sources, which everyone may use, made current.
class SharedTableTest : public ::testing::Test {
 protected:
  SharedTableTest() {
    fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    fs::create_directory(app);
    TempFolder::write(app / "MAIN.clw", mainSourceNaming({"VENTAS"}));
    TempFolder::write(app / "VENTAS.CLW", kModuleSource);
    // The sources are opened for reading and writing first, as every file is.
    ::chmod((app / "MAIN.clw").c_str(), 0666);
    ::chmod((app / "VENTAS.CLW").c_str(), 0666);
    fs::current_path(app);
  }
  ~SharedTableTest() override { ::chmod(app.c_str(), 0755); }

  std::string mainSource() const { return (app / "MAIN.clw").string(); }
  /// An analysis as root that leaves its table of two rows behind.
  void firstAnalysis() {
    const Analysis first = analyse(mainSource(), 0, true);
    ASSERT_TRUE(first.messages.empty());
    ASSERT_EQ(rowsIn(app / "resumen.dat"), 2);
  }
  /// The same analysis as the other user, in app: its boxes, its list, its status.
  std::pair<int, std::string> analysisAsNobody(
      int boxes, bool goesOn, const std::function<void(ScriptedEngine&)>& more = {}) {
    return analyseAsNobody(app, mainSource(), boxes, goesOn, more);
  }

  TempFolder folder;
  fs::path app = folder.path() / "app";
};

TEST_F(SharedTableTest, AFolderWhereOnlyOwnersDeleteKeepsAnotherUsersTable) {
  ASSERT_NO_FATAL_FAILURE(firstAnalysis());
  ::chmod("resumen.dat", 0666);
  ::chmod(app.c_str(), 01777);
  const auto [status, report] = analysisAsNobody(0, true);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report, "VENTAS 1 1\n");
  // The table could not be deleted, so the rows went with the earlier analysis's.
  EXPECT_EQ(rowsIn(app / "resumen.dat"), 4);
  EXPECT_EQ(namesIn(app),
            (std::vector<std::string>{"MAIN.clw", "VENTAS.CLW", "resumen.dat", "varcompass.INI"}));
}

TEST_F(SharedTableTest, AFileThatIsNoTableInAFolderWhereOnlyOwnersDeleteIsLeftAsItIs) {
  const std::string bytes(3000, 'Z');
  TempFolder::write("resumen.dat", bytes);
  ::chmod("resumen.dat", 0666);
  ::chmod(app.c_str(), 01777);
  const auto [status, report] = analysisAsNobody(1, false);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(report, std::string("Invalid File: resumen.dat has an invalid file structure.|Error: "
                                "26 - file is not a database|") +
                        kFatal + "\n");
  EXPECT_EQ(TempFolder::read("resumen.dat"), bytes);
  EXPECT_EQ(namesIn(app), (std::vector<std::string>{"MAIN.clw", "VENTAS.CLW", "resumen.dat"}));
}

struct LinkCase {
  const char* name;
  const char* target;                    // what the link names, from app
  std::vector<std::string> othersFiles;  // made in "elsewhere" with their bytes
};

TEST_F(SharedTableTest, ALinkUnderTheTablesNameIsRemovedAndTheTableMadeInItsPlace) {
  const LinkCase cases[] = {
      {"a link to a file that is no table", "../elsewhere/notes.txt", {"notes.txt"}},
      {"a link to another table with its log",
       "../elsewhere/resumen.dat",
       {"resumen.dat", "resumen.dat-wal"}},
      {"a link that points nowhere", "../elsewhere/missing.dat", {}},
  };
  const fs::path elsewhere = folder.path() / "elsewhere";
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(elsewhere);
    fs::create_directory(elsewhere);
    fs::remove("resumen.dat");
    for (const std::string& f : c.othersFiles) TempFolder::write(elsewhere / f, "bytes of " + f);
    fs::create_symlink(c.target, "resumen.dat");
    const Analysis a = analyse(mainSource(), 0, true);
    EXPECT_TRUE(a.messages.empty());
    EXPECT_EQ(a.list, std::vector<std::string>{"VENTAS 1 1"});
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("resumen.dat")));
    EXPECT_EQ(rowsIn(app / "resumen.dat"), 2);
    EXPECT_EQ(namesIn(elsewhere), c.othersFiles);
    for (const std::string& f : c.othersFiles) {
      EXPECT_EQ(TempFolder::read(elsewhere / f), "bytes of " + f) << f;
    }
  }
}

TEST_F(SharedTableTest, ALinkThatCannotBeRemovedIsOpenedAsAnyFile) {
  const fs::path elsewhere = folder.path() / "elsewhere";
  fs::create_directory(elsewhere);
  TempFolder::write(elsewhere / "notes.txt", "my notes");
  ::chmod((elsewhere / "notes.txt").c_str(), 0666);
  ::chmod(elsewhere.c_str(), 0777);
  fs::create_symlink("../elsewhere/notes.txt", "resumen.dat");
  ::chmod(app.c_str(), 0755);
  const auto [status, report] = analysisAsNobody(1, false);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(report, std::string("Invalid File: resumen.dat has an invalid file structure.|Error: "
                                "26 - file is not a database|") +
                        kFatal + "\n");
  EXPECT_EQ(TempFolder::read(elsewhere / "notes.txt"), "my notes");
  EXPECT_EQ(namesIn(elsewhere), std::vector<std::string>{"notes.txt"});
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status("resumen.dat")));
}

TEST_F(SharedTableTest, ABrowseOfAUserWhoCannotChangeTheFolderKeepsItsTable) {
  // That user's opening keeps its journal in memory, so between its changes it holds
  // none of the database engine's locks: only its own hold keeps the table.
  ASSERT_NO_FATAL_FAILURE(firstAnalysis());
  ::chmod("resumen.dat", 0666);
  ::chmod(app.c_str(), 0755);
  int ready[2];
  int go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  vc::testing::NobodyChild browsing([&](std::string& out) {
    if (::chdir(app.c_str()) != 0) return 121;
    const Analysis a = analyse(mainSource(), 0, true, [&](ScriptedEngine& e) {
      e.press("DETALLES")
          .inspect([&](Window&) {
            out += "browsed " + std::to_string(store::resumen().records()) + "\n";
            char byte = 0;
            (void)!::write(ready[1], "r", 1);
            (void)!::read(go[0], &byte, 1);
            // The owner's opening kept the file as this one found it, so it still reads.
            out += "then " + std::to_string(store::resumen().records()) + "\n";
          })
          .press("OKBUTTON");
    });
    out += lines(a.messages) + lines(a.list);
    return a.status;
  });
  // Only the child keeps these ends, so that a child that ends early is seen at once;
  // and the child sees this end close if the test stops early.
  ::close(ready[1]);
  ::close(go[0]);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } readyEnd{ready[0]}, goEnd{go[1]};
  ::signal(SIGPIPE, SIG_IGN);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  // Meanwhile the owner of the folder analyses the application again: its REMOVE fails,
  // so its rows are added to those the browse shows.
  const Analysis owner = analyse(mainSource(), 0, true);
  (void)!::write(go[1], "g", 1);
  const auto [status, report] = browsing.finish();
  EXPECT_TRUE(owner.messages.empty());
  EXPECT_EQ(owner.list, std::vector<std::string>{"VENTAS 1 1"});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report, "browsed 4\nthen 6\nVENTAS 1 1\n");
  EXPECT_EQ(rowsIn(app / "resumen.dat"), 6);
}

TEST_F(SharedTableTest, AReadOnlyTableInAFolderTheUserCannotChangeIsReadAfterTheNotice) {
  ASSERT_NO_FATAL_FAILURE(firstAnalysis());
  ::chmod("resumen.dat", 0644);
  ::chmod("varcompass.INI", 0666);
  ::chmod(app.c_str(), 0755);
  const auto before = namesIn(app);
  const auto [status, report] = vc::testing::runAsNobody([&](std::string& out) {
    if (::chdir(app.c_str()) != 0) return 121;
    vc::report::ScriptedOutput output;
    output.leavePreview();
    globals::reportOutput = &output;
    // A clock that stands still: the report reads every row at its first tick.
    vc::report::ReportController::setTimeSource(
        [] { return std::chrono::steady_clock::time_point{}; });
    const Analysis a = analyse(mainSource(), 2, true, [&](ScriptedEngine& e) {
      // The browse's second cursor is a declaration of its own: it gets its notice too.
      e.press("DETALLES")
          .acknowledge()
          .inspect([&](Window& w) {
            out +=
                "browse: " + std::to_string(w.control(p17::LIST).binding->rowCount()) + " rows\n";
          })
          .press("REPORTE")
          .afterTicks(1)
          .inspect([&](Window&) { out += lines(output.transcript()); })
          .press("OKBUTTON");
    });
    out += lines(a.messages) + lines(a.list);
    return a.status;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(report,
            "browse: 2 rows\npreview: 1 pages\n"
            "Access Denied: Could not get write access to resumen.dat so trying read-only.\n"
            "File Access Error: File resumen.dat could not be written.  Error: Access Denied "
            "(5).\n"
            "Access Denied: Could not get write access to resumen.dat so trying read-only.\n"
            "VENTAS 1 1\n");
  EXPECT_EQ(namesIn(app), before);
  EXPECT_EQ(rowsIn(app / "resumen.dat"), 2);
}

}  // namespace
}  // namespace vc::views
