// Times the differences report over a results table of many rows (default 1,000,000):
// the rows read in name order through the report's view and laid out on pages, as the
// report's timer steps do; then the first, a middle and the last page drawn offscreen;
// the peak memory before and after the layout. The floor is plain SQLite reading the same
// rows in the same order (NOMBRE, EXTERNAL, MODULO) from a table with the same index.
// Usage: report_bench [rows]   (QT_QPA_PLATFORM=offscreen is set when none is given)
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

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
                    "PRAGMA journal_mode=WAL; PRAGMA cache_size=-65536;"
                    "CREATE TABLE t(modulo BLOB, nombre BLOB, tipo BLOB, modo BLOB,"
                    " external INTEGER);"
                    "CREATE INDEX t_nom ON t(nombre, external, modulo); BEGIN;",
                    nullptr, nullptr, nullptr) == SQLITE_OK,
       "create plain table");
  sqlite3_stmt* insert = nullptr;
  must(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?,?)", -1, &insert, nullptr) == SQLITE_OK,
       "prepare insert");
  must(resumen.stream().ok(), "stream");
  RowMaker maker;
  vc::store::ResumenRecord& r = vc::store::RES;
  for (std::size_t i = 0; i < rows; ++i) {
    maker.fill(r, i);
    must(resumen.add() == vc::files::FileError::none, "add");
    sqlite3_bind_blob(insert, 1, r.MODULO.data(), 30, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 2, r.NOMBRE.data(), 30, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 3, r.TIPO.data(), 30, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 4, r.MODO.data(), 30, SQLITE_STATIC);
    sqlite3_bind_int(insert, 5, r.EXTERNAL);
    must(sqlite3_step(insert) == SQLITE_DONE, "insert");
    sqlite3_reset(insert);
  }
  must(resumen.flush().ok(), "flush");
  sqlite3_finalize(insert);
  must(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK, "commit");
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

  // The floor: plain SQLite reading the same rows in the same order.
  start = Clock::now();
  sqlite3_stmt* select = nullptr;
  must(sqlite3_prepare_v2(db,
                          "SELECT nombre, modulo, tipo, modo FROM t INDEXED BY t_nom"
                          " ORDER BY nombre, external, modulo",
                          -1, &select, nullptr) == SQLITE_OK,
       "prepare select");
  std::size_t plainRows = 0;
  char sink[120];
  while (sqlite3_step(select) == SQLITE_ROW) {
    for (int c = 0; c < 4; ++c) std::memcpy(sink + 30 * c, sqlite3_column_blob(select, c), 30);
    ++plainRows;
  }
  sqlite3_finalize(select);
  const double plainMs = msSince(start);
  must(plainRows == rows, "every plain row read");

  std::printf("rows: %zu, pages: %d\n", rows, pages.pageCount());
  std::printf("report: %.0f ms, %.0f rows/s (progress redrawn %d times)\n", reportMs,
              rows / (reportMs / 1000.0), process.redraws());
  std::printf("floor (plain SQLite in name order): %.0f ms, %.0f rows/s\n", plainMs,
              rows / (plainMs / 1000.0));
  std::printf("peak memory: %ld MiB before the layout, %ld MiB after (pages held as text)\n",
              peakBefore / 1024, peakAfter / 1024);

  // Pages drawn offscreen at 96 pixels to the inch, as the preview shows them at 100 %.
  const int count = pages.pageCount();
  for (int number : {1, (count + 1) / 2, count}) {
    if (number < 1) continue;
    QImage image(816, 1056, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    start = Clock::now();
    QPainter painter(&image);
    vc::report::qt::paintPage(painter, pages, pages.pages()[number - 1], 96.0);
    painter.end();
    std::printf("page %d drawn in %.1f ms\n", number, msSince(start));
  }

  process.release();
  sqlite3_close(db);
  resumen.close();
  (void)chdir("/");
  std::filesystem::remove_all(folder);
  return 0;
}
