// Times a whole analysis (module scan and declaration parser) of a synthetic application
// without a display, against a floor measured in the same run: reading the same files and
// inserting the same rows into plain SQLite in one transaction.
//
//   analysis_bench [modules=1000] [declarations per module=1000]
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/declaration_parser.hpp"
#include "analysis/module_scan.hpp"
#include "app_generator.hpp"
#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "store/store.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

std::size_t readWhole(const fs::path& file, std::vector<char>& buffer) {
  std::ifstream in(file, std::ios::binary);
  std::size_t total = 0;
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    total += static_cast<std::size_t>(in.gcount());
  }
  return total;
}

struct Row {
  std::string modulo, nombre, tipo, modo;
  int external;
};

void check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

// The floor's table: the six fields and two indexes in the keys' component order.
double plainInsert(const fs::path& dbFile, const std::vector<Row>& rows) {
  sqlite3* db = nullptr;
  check(sqlite3_open(dbFile.c_str(), &db), db, "open");
  // The same settings the results table runs with: WAL and a 64 MB page cache.
  check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA cache_size=-65536;", nullptr, nullptr,
                     nullptr),
        db, "settings");
  check(sqlite3_exec(db,
                     "CREATE TABLE r(modulo BLOB, nombre BLOB, tipo BLOB, modo BLOB, "
                     "external INTEGER, diferente INTEGER);"
                     "CREATE INDEX r_mod ON r(modulo, external, nombre);"
                     "CREATE INDEX r_nom ON r(nombre, external, modulo);",
                     nullptr, nullptr, nullptr),
        db, "schema");
  const auto start = Clock::now();
  sqlite3_stmt* st = nullptr;
  check(sqlite3_prepare_v2(db, "INSERT INTO r VALUES(?,?,?,?,?,0)", -1, &st, nullptr), db, "prep");
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  for (const Row& r : rows) {
    sqlite3_bind_blob(st, 1, r.modulo.data(), static_cast<int>(r.modulo.size()), SQLITE_STATIC);
    sqlite3_bind_blob(st, 2, r.nombre.data(), static_cast<int>(r.nombre.size()), SQLITE_STATIC);
    sqlite3_bind_blob(st, 3, r.tipo.data(), static_cast<int>(r.tipo.size()), SQLITE_STATIC);
    sqlite3_bind_blob(st, 4, r.modo.data(), static_cast<int>(r.modo.size()), SQLITE_STATIC);
    sqlite3_bind_int(st, 5, r.external);
    check(sqlite3_step(st), db, "insert");
    sqlite3_reset(st);
  }
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  const double t = seconds(start);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return t;
}

std::string column(sqlite3_stmt* st, int i) {
  return std::string(static_cast<const char*>(sqlite3_column_blob(st, i)),
                     static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
}

std::vector<Row> rowsInOrderOfAddition(const fs::path& dbFile) {
  sqlite3* db = nullptr;
  check(sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
  sqlite3_stmt* st = nullptr;
  check(sqlite3_prepare_v2(db,
                           "SELECT MODULO, NOMBRE, TIPO, MODO, EXTERNAL FROM resumen ORDER BY seq",
                           -1, &st, nullptr),
        db, "select");
  std::vector<Row> rows;
  while (sqlite3_step(st) == SQLITE_ROW)
    rows.push_back(
        {column(st, 0), column(st, 1), column(st, 2), column(st, 3), sqlite3_column_int(st, 4)});
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t modules = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
  const std::size_t perModule = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;

  std::string pattern = (fs::temp_directory_path() / "vc-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return 1;
  const fs::path work(pattern);
  const auto app = vc::bench::generateApp(work / "src", modules, perModule);
  fs::current_path(work);

  // Warm the page cache so both measurements read from memory.
  std::vector<char> buffer(1 << 20);
  for (const auto& e : fs::directory_iterator(work / "src")) readWhole(e.path(), buffer);

  // The program's frame, without windows.
  vc::frame::threadAttachFiles();
  vc::frame::processStartup();
  vc::frame::threadStartup();
  vc::globals::errorManager->bindErrorStatus(&vc::globals::currentThreadErrorStatus);
  vc::store::openFileAccess();

  // As the analysis window does it: file names, the table deleted, three opens, then the
  // scan and the parser.
  const auto start = Clock::now();
  vc::globals::NOMBREARCHIVO1 = app.mainSource.string();
  vc::globals::NOMBREARCHIVO2 = vc::globals::NOMBREARCHIVO1.view();
  (void)vc::store::resumen().remove();  // not examined, as the analysis window does it
  vc::store::archivo1Relation->open();
  vc::store::archivo2Relation->open();
  vc::store::resumenRelation->open();
  vc::analysis::ModuleQueue queue;
  vc::analysis::SourceFolder folder;
  vc::analysis::collectModules(queue, folder);
  vc::analysis::parseAllModules(queue, folder);
  const double ours = seconds(start);

  // The same rows, for the floor, in the order the parser added them: the order of
  // insertion decides how much the indexes cost.
  auto& resumen = vc::store::resumen();
  const std::uint64_t added = resumen.records();
  vc::store::archivo1Relation->close();
  vc::store::archivo2Relation->close();
  vc::store::resumenRelation->close();
  const std::vector<Row> rows = rowsInOrderOfAddition(work / "resumen.dat");
  vc::frame::threadShutdown();
  vc::frame::processShutdown();

  const auto readStart = Clock::now();
  std::size_t bytes = 0;
  for (const auto& e : fs::directory_iterator(work / "src")) bytes += readWhole(e.path(), buffer);
  const double floorRead = seconds(readStart);
  const double floorInsert = plainInsert(work / "floor.db", rows);
  const double floor = floorRead + floorInsert;

  std::printf("modules            %zu\n", queue.records());
  std::printf("rows               %llu (expected %zu)\n", static_cast<unsigned long long>(added),
              app.declarations);
  std::printf("source bytes       %zu\n", bytes);
  std::printf("analysis           %.3f s  %.1f MB/s  %.0f rows/s\n", ours, bytes / 1e6 / ours,
              added / ours);
  std::printf("floor              %.3f s  (read %.3f s, plain SQLite insert %.3f s)\n", floor,
              floorRead, floorInsert);
  std::printf("ratio to floor     %.2f  (goal: under 1.5)\n", ours / floor);

  fs::current_path(fs::temp_directory_path());
  std::error_code ec;
  fs::remove_all(work, ec);
  return added == app.declarations ? 0 : 1;
}
