// Times a whole analysis (module scan and declaration parser into the results table) of a
// synthetic application without a display, against a floor measured in the same run:
// reading the same files whole and building the same table with its two orders in plain
// SQLite, the faster of indexes made before or after the rows. The two sides alternate
// for several rounds, and the median of the rounds' ratios is the result.
//
//   analysis_bench [modules=1000] [declarations per module=1000] [folder] [rounds=3]
//
// The folder (default: a fresh temporary one) is where the application and the tables
// are written; it is emptied of them afterwards. Besides the totals, each round runs one
// more analysis with the file drivers' tally installed and prints where that run spent
// its time: in the text-file driver, in ADD and FLUSH as the parser waits for them, and
// what is left of the same run (the scan, the parser's text operations, the frame), with
// the time the stream's helper thread spent writing batches alongside. The timed rounds
// run without the tally, so that its clock readings cost them nothing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/declaration_parser.hpp"
#include "analysis/module_scan.hpp"
#include "analysis_floor.hpp"
#include "app_generator.hpp"
#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/files/time_spent.hpp"
#include "store/store.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vc::bench::FloorRow;

double seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

void removeTable(const fs::path& file) {
  std::error_code ec;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    fs::remove(file.string() + suffix, ec);
  }
}

/// The analysis as the analysis window runs it, from the deletion of the table to the
/// closing of its three files. Answers the seconds and the rows added.
double runAnalysis(const fs::path& mainSource, std::uint64_t& rows) {
  const auto start = Clock::now();
  vc::globals::NOMBREARCHIVO1 = mainSource.string();
  vc::globals::NOMBREARCHIVO2 = vc::globals::NOMBREARCHIVO1.view();
  (void)vc::store::resumen().remove();  // not examined, as the analysis window does it
  vc::store::archivo1Relation->open();
  vc::store::archivo2Relation->open();
  vc::store::resumenRelation->open();
  vc::analysis::ModuleQueue queue;
  vc::analysis::SourceFolder folder;
  vc::analysis::collectModules(queue, folder);
  vc::analysis::parseAllModules(queue, folder);
  rows = vc::store::resumen().records();
  vc::store::archivo1Relation->close();
  vc::store::archivo2Relation->close();
  vc::store::resumenRelation->close();
  return seconds(start);
}

double seconds(const std::atomic<std::int64_t>& nanoseconds) {
  return static_cast<double>(nanoseconds.load()) / 1e9;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t modules = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
  const std::size_t perModule = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
  const int rounds = std::max(3, argc > 4 ? std::atoi(argv[4]) : 3);
  fs::path work;
  bool temporary = false;
  if (argc > 3 && argv[3][0] != '\0') {
    work = fs::absolute(argv[3]) / "vc-analysis-bench";
    fs::create_directories(work);
  } else {
    std::string pattern = (fs::temp_directory_path() / "vc-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    work = pattern;
    temporary = true;
  }
  const auto app = vc::bench::generateApp(work / "src", modules, perModule);
  fs::current_path(work);
  const std::size_t bytes = vc::bench::readFolder(work / "src");  // warms the page cache

  vc::frame::threadAttachFiles();
  vc::frame::processStartup();
  vc::frame::threadStartup();
  vc::globals::errorManager->bindErrorStatus(&vc::globals::currentThreadErrorStatus);
  vc::store::openFileAccess();

  std::printf("modules %zu, rows expected %zu, source bytes %zu, folder %s\n", app.modules,
              app.declarations, bytes, work.c_str());
  std::vector<FloorRow> rows;
  std::vector<double> ratios;
  bool exact = true;
  for (int round = 1; round <= rounds; ++round) {
    double ours = 0, floorRead = 0, first = 0, after = 0;
    std::uint64_t added = 0;
    auto runOurs = [&] {
      ours = runAnalysis(app.mainSource, added);
      exact = exact && added == app.declarations;
      if (rows.empty()) rows = vc::bench::rowsInOrderOfAddition(work / "resumen.dat");
    };
    auto runFloor = [&] {
      auto start = Clock::now();
      (void)vc::bench::readFolder(work / "src");
      floorRead = seconds(start);
      first = vc::bench::plainBuild(work / "floor.db", rows, /*indexesFirst=*/true);
      after = vc::bench::plainBuild(work / "floor.db", rows, /*indexesFirst=*/false);
    };
    // The floor needs the rows of one analysis; after that the sides take turns at going
    // first, so that neither always meets the machine in the same state.
    if (round % 2 == 1 || rows.empty()) {
      runOurs();
      runFloor();
    } else {
      runFloor();
      runOurs();
    }
    vc::files::TimeSpent spent;
    vc::files::tallyTimeSpent(&spent);
    std::uint64_t tallied = 0;
    const double whole = runAnalysis(app.mainSource, tallied);
    vc::files::tallyTimeSpent(nullptr);
    exact = exact && tallied == app.declarations;
    const double reading = seconds(spent.reading);
    const double adding = seconds(spent.adding);
    const double floor = floorRead + std::min(first, after);
    ratios.push_back(ours / floor);
    std::printf("round %d\n", round);
    std::printf("  analysis       %7.3f s  (%llu rows)\n", ours,
                static_cast<unsigned long long>(added));
    std::printf("  floor          %7.3f s  (read %.3f s + plain SQLite %.3f s)\n", floor, floorRead,
                std::min(first, after));
    std::printf("    plain SQLite, indexes before the rows %7.3f s, after them %7.3f s\n", first,
                after);
    std::printf("  ratio          %7.2f\n", ours / floor);
    std::printf("  one more analysis, tallied inside it %7.3f s\n", whole);
    std::printf("    reading      %7.3f s  in the text-file driver: opens, SET, EOF, NEXT\n",
                reading);
    std::printf("    adding       %7.3f s  in ADD and FLUSH, while the parser waits\n", adding);
    std::printf(
        "    the rest     %7.3f s  scan, parser's text operations, the table opened and closed\n",
        whole - reading - adding);
    std::printf("    writing      %7.3f s  batches on the stream's helper thread, alongside\n",
                seconds(spent.writing));
  }
  vc::frame::threadShutdown();
  vc::frame::processShutdown();

  std::printf("ratio to floor %.2f\n", median(ratios));
  std::printf("(median of %d rounds; goal: 1.5 or less)\n", rounds);

  fs::current_path(work.parent_path());
  std::error_code ec;
  if (temporary) {
    fs::remove_all(work, ec);
  } else {
    fs::remove_all(work / "src", ec);
    removeTable(work / "resumen.dat");
    removeTable(work / "floor.db");
    fs::remove(work, ec);
  }
  return exact ? 0 : 1;
}
