// Times the differences report over a results table of many rows (default 1,000,000):
// the rows read in name order through the report's view and laid out on pages, as the
// report's timer steps do; then the first, a middle and the last page drawn offscreen;
// the peak memory before and after the layout. The floor is the fastest of several plain
// SQLite ways of reading the same rows, with the columns the report prints, in the same
// order (NOMBRE, EXTERNAL, MODULO, then the order of addition) from a table with the same
// index: through the index, or a whole scan sorted with helper threads, each timed in this
// run. Every way's rows are checked against the report's own, untimed, after the timings.
// Usage: report_bench [rows]   (QT_QPA_PLATFORM=offscreen is set when none is given)
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "plain_results_row.hpp"
#include "platform/files/relation_base.hpp"
#include "platform/files/table_view.hpp"
#include "platform/report/qt/page_painter.hpp"
#include "platform/report/report.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "platform/ui/window.hpp"
#include "store/declarations.hpp"
#include "store/records.hpp"
#include "views/report_procedure.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void must(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "report_bench: %s failed\n", what);
    std::exit(1);
  }
}

/// The rows both sides hold: 200 modules, names in a scrambled order, a fifth EXTERNAL.
struct RowMaker {
  std::uint64_t state = 88172645463325252ull;
  void fill(vc::store::ResumenRecord& r, std::size_t i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    char text[32];
    std::snprintf(text, sizeof text, "%cMODULE%03u", 'A' + static_cast<int>(state % 26),
                  static_cast<unsigned>(state % 200));
    r.MODULO = text;
    std::snprintf(text, sizeof text, "%cVAR%07u", 'A' + static_cast<int>((state >> 8) % 26),
                  static_cast<unsigned>((state >> 16) % 1000000));
    r.NOMBRE = text;
    r.TIPO = (i % 3 == 0) ? "STRING(20)" : "LONG";
    r.MODO = (i % 5 == 0) ? "EXTERNAL,DLL" : "";
    r.EXTERNAL = static_cast<std::uint8_t>(i % 5 == 0);
    r.DIFERENTE = 0;
  }
};

/// The printed columns of a row in the order the report prints them, folded into a hash
/// of the whole sequence, to show that a plain way reads what the report reads.
struct RowSequence {
  std::uint64_t hash = 14695981039346656037ull;
  std::size_t count = 0;
  void add(const char* fields, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
      hash = (hash ^ static_cast<unsigned char>(fields[i])) * 1099511628211ull;
    }
    ++count;
  }
  bool operator==(const RowSequence&) const = default;
};

// The report's rows in its order, with the columns it prints: through the name index, or
// a whole scan sorted on the same key. The order of addition breaks ties, as in the
// results table's keys.
constexpr const char* kThroughIndex =
    "SELECT nombre, modulo, tipo, modo FROM t INDEXED BY t_nom ORDER BY knom, external, kmod";
constexpr const char* kSorted =
    "SELECT nombre, modulo, tipo, modo FROM t NOT INDEXED"
    " ORDER BY knom, external, kmod, rowid";

/// A plain way of reading the report's rows: the settings given to a fresh connection and
/// the query. The index is read at random in the table's pages, so the memory map spares
/// it a copy of each page; a sort instead reads the table once in its own order, and
/// small runs (the page cache's size) let helper threads sort them side by side.
struct PlainWay {
  const char* name;
  const char* settings;
  const char* select;
};
constexpr PlainWay kPlainWays[] = {
    {"through the index", "PRAGMA cache_size=-65536", kThroughIndex},
    {"through the index, mapped", "PRAGMA cache_size=-65536; PRAGMA mmap_size=2147483648",
     kThroughIndex},
    {"scan sorted on one thread", "PRAGMA cache_size=-65536; PRAGMA threads=0", kSorted},
    {"scan sorted by 4 threads, 2 MiB runs", "PRAGMA cache_size=-2048; PRAGMA threads=4", kSorted},
    {"scan sorted by 8 threads, 2 MiB runs", "PRAGMA cache_size=-2048; PRAGMA threads=8", kSorted},
    {"scan sorted by 8 threads, 8 MiB runs", "PRAGMA cache_size=-8192; PRAGMA threads=8", kSorted},
    {"scan sorted by 8 threads, 2 MiB runs, mapped",
     "PRAGMA cache_size=-2048; PRAGMA threads=8; PRAGMA mmap_size=2147483648", kSorted},
};

/// Reads the rows one way on a fresh connection to plain.db, into a record's fields as the
/// report's buffer holds them; into `sequence` too when one is given (an untimed check).
std::size_t readPlain(const PlainWay& way, RowSequence* sequence) {
  sqlite3* db = nullptr;
  must(sqlite3_open_v2("plain.db", &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK,
       "open plain.db to read");
  must(sqlite3_exec(db, way.settings, nullptr, nullptr, nullptr) == SQLITE_OK, way.name);
  sqlite3_stmt* select = nullptr;
  must(sqlite3_prepare_v2(db, way.select, -1, &select, nullptr) == SQLITE_OK, way.name);
  std::size_t read = 0;
  char fields[120];
  while (sqlite3_step(select) == SQLITE_ROW) {
    for (int c = 0; c < 4; ++c) vc::bench::readPadded(select, c, fields + 30 * c, 30);
    if (sequence != nullptr) sequence->add(fields, sizeof fields);
    ++read;
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  return read;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  char name[] = "report_bench";
  char* qtArgv[] = {name, nullptr};
  QGuiApplication app(qtArgc, qtArgv);

  std::string folder = (std::filesystem::temp_directory_path() / "report-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) return 1;

  vc::store::ResumenFile& resumen = vc::store::resumen();
  must(resumen.create().ok() && resumen.open(vc::files::kReadWriteDenyNone).ok(), "open resumen");
  sqlite3* db = nullptr;
  must(sqlite3_open("plain.db", &db) == SQLITE_OK, "open plain.db");
  must(sqlite3_exec(db,
                    ("PRAGMA journal_mode=WAL; PRAGMA cache_size=-65536;"
                     "CREATE TABLE t(" +
                     std::string(vc::bench::kPlainRowColumns) +
                     ");"
                     "CREATE INDEX t_nom ON t(knom, external, kmod); BEGIN;")
                        .c_str(),
                    nullptr, nullptr, nullptr) == SQLITE_OK,
       "create plain table");
  sqlite3_stmt* insert = nullptr;
  must(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?,?,0,?,?)", -1, &insert, nullptr) ==
           SQLITE_OK,
       "prepare insert");
  must(resumen.stream().ok(), "stream");
  RowMaker maker;
  vc::store::ResumenRecord& r = vc::store::RES;
  for (std::size_t i = 0; i < rows; ++i) {
    maker.fill(r, i);
    must(resumen.add() == vc::files::FileError::none, "add");
    vc::bench::bindOwnText(insert, 1, r.MODULO.view());
    vc::bench::bindOwnText(insert, 2, r.NOMBRE.view());
    vc::bench::bindOwnText(insert, 3, r.TIPO.view());
    vc::bench::bindOwnText(insert, 4, r.MODO.view());
    sqlite3_bind_int(insert, 5, r.EXTERNAL);
    // The keys' folded copies: these texts are capitals already.
    sqlite3_bind_blob(insert, 6, r.MODULO.data(), 30, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 7, r.NOMBRE.data(), 30, SQLITE_STATIC);
    must(sqlite3_step(insert) == SQLITE_DONE, "insert");
    sqlite3_reset(insert);
  }
  must(resumen.flush().ok(), "flush");
  sqlite3_finalize(insert);
  // Every plain way reads the file itself, none a log of pages left to copy into it.
  must(sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr) ==
           SQLITE_OK,
       "commit");
  sqlite3_close(db);
  const long peakBefore = peakKilobytes();

  // The report side: the process and the report as reporte sets them up, without the
  // window's timer (each batch is the same loop).
  vc::ui::ScriptedEngine engine;
  vc::ui::Window window(vc::views::P25_PROGRESSWINDOW(), engine);
  vc::text::FixedText<200> fileName;
  fileName = "/home/dev/app/MAIN.clw";
  vc::report::ReportInstance report(
      vc::views::P25_REPORT(),
      {vc::report::bindVariable("NOMBREARCHIVO1", fileName),
       vc::report::bindVariable("RES:NOMBRE", r.NOMBRE),
       vc::report::bindVariable("RES:MODULO", r.MODULO),
       vc::report::bindVariable("RES:TIPO", r.TIPO), vc::report::bindVariable("RES:MODO", r.MODO)});
  vc::files::TableView view(resumen);
  vc::files::RelationBase relation;
  vc::report::StringStepObject step;
  step.init(vc::report::step_controls::digits | vc::report::step_controls::upperCase, 3);
  std::uint8_t bar = 0;
  vc::report::RecordProcess process;
  process.init(
      view, relation, window, vc::views::p25::PROGRESS_PCTTEXT, step,
      [&r] { return r.NOMBRE.view(); }, bar);
  process.CASESENSITIVEVALUE = 0;
  process.addSortOrder(vc::store::ResumenFile::indnom);

  auto start = Clock::now();
  process.reset();
  report.open();
  std::size_t printed = 0;
  while (process.next() == vc::report::ReadOutcome::row) {
    (void)report.print(vc::views::p25r::DETAIL);
    ++printed;
  }
  const vc::report::PageSet pages = report.close();
  const double reportMs = msSince(start);
  const long peakAfter = peakKilobytes();
  must(printed == rows, "every row printed");

  // The floor: each plain way timed once; the fastest is the floor.
  std::printf("rows: %zu, pages: %d\n", rows, pages.pageCount());
  std::printf("report: %.0f ms, %.0f rows/s (progress redrawn %d times)\n", reportMs,
              rows / (reportMs / 1000.0), process.redraws());
  const PlainWay* floor = nullptr;
  double floorMs = 0;
  for (const PlainWay& way : kPlainWays) {
    start = Clock::now();
    const std::size_t read = readPlain(way, nullptr);
    const double ms = msSince(start);
    must(read == rows, "every plain row read");
    std::printf("  plain SQLite, %s: %.0f ms, %.0f rows/s\n", way.name, ms, rows / (ms / 1000.0));
    if (floor == nullptr || ms < floorMs) {
      floor = &way;
      floorMs = ms;
    }
  }
  std::printf("floor (plain SQLite, %s): %.0f ms, %.0f rows/s; report / floor: %.2f\n", floor->name,
              floorMs, rows / (floorMs / 1000.0), reportMs / floorMs);
  std::printf("peak memory: %ld MiB before the layout, %ld MiB after (pages held as text)\n",
              peakBefore / 1024, peakAfter / 1024);

  // Untimed: every plain way reads the rows the report read, in its order.
  RowSequence reported;
  process.reset();
  while (process.next() == vc::report::ReadOutcome::row) {
    char fields[120];
    std::memcpy(fields, r.NOMBRE.data(), 30);
    std::memcpy(fields + 30, r.MODULO.data(), 30);
    std::memcpy(fields + 60, r.TIPO.data(), 30);
    std::memcpy(fields + 90, r.MODO.data(), 30);
    reported.add(fields, sizeof fields);
  }
  must(reported.count == rows, "every row read again");
  // The settings change how a query runs, never what it answers: one check a query.
  for (const PlainWay& way : kPlainWays) {
    const bool checked = std::any_of(kPlainWays, &way, [&way](const PlainWay& earlier) {
      return std::strcmp(earlier.select, way.select) == 0;
    });
    if (checked) continue;
    RowSequence plain;
    (void)readPlain(way, &plain);
    if (!(plain == reported)) {
      std::fprintf(stderr, "report_bench: plain SQLite, %s, reads other rows\n", way.name);
      return 1;
    }
  }

  // Pages drawn offscreen at 96 pixels to the inch, as the preview shows them at 100 %.
  const int count = pages.pageCount();
  for (int number : {1, (count + 1) / 2, count}) {
    if (number < 1 || number > count) continue;  // no rows, no pages
    QImage image(816, 1056, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    start = Clock::now();
    QPainter painter(&image);
    vc::report::qt::paintPage(painter, pages, pages.pages()[number - 1], 96.0);
    painter.end();
    std::printf("page %d drawn in %.1f ms\n", number, msSince(start));
  }

  process.release();
  resumen.close();
  (void)chdir("/");
  std::filesystem::remove_all(folder);
  return 0;
}
