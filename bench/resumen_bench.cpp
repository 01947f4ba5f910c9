// Adds rows to the results table between one STREAM and FLUSH and reads them back in
// each key order with SET/NEXT, then does the same with plain SQLite (the same six
// fields, two equivalent indexes, one transaction, ordered reads, the same page cache),
// and prints both times and their ratio. Usage: resumen_bench [rows] (default 1,000,000).
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "plain_results_row.hpp"
#include "store/declarations.hpp"

namespace {

using Clock = std::chrono::steady_clock;

struct Phases {
  double add = 0, readByModulo = 0, readByNombre = 0;
  double total() const { return add + readByModulo + readByNombre; }
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

/// The rows both sides add: 200 modules, names in a scrambled order, a mix of flags.
struct RowSource {
  std::uint64_t state = 88172645463325252ull;
  std::uint64_t nextRandom() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  void fill(vc::store::ResumenRecord& r, std::size_t i) {
    char text[32];
    const std::uint64_t x = nextRandom();
    std::snprintf(text, sizeof text, "MODULE%03u", static_cast<unsigned>(x % 200));
    r.MODULO = text;
    std::snprintf(text, sizeof text, "GLO:VAR%07u", static_cast<unsigned>((x >> 8) % 1000000));
    r.NOMBRE = text;
    r.TIPO = (i % 3 == 0) ? "STRING(20)" : "LONG";
    r.MODO = (i % 5 == 0) ? "EXTERNAL,DLL(_ABC_)" : "";
    r.EXTERNAL = static_cast<std::uint8_t>(i % 5 == 0);
    r.DIFERENTE = 0;
  }
};

std::uint64_t checksumOf(const vc::store::ResumenRecord& r) {
  return static_cast<unsigned char>(r.NOMBRE[10]) + 31u * static_cast<unsigned char>(r.MODULO[8]) +
         r.EXTERNAL;
}

Phases runDriver(std::size_t rows, std::uint64_t& checksum) {
  using vc::store::ResumenFile;
  vc::store::ResumenRecord& RES = vc::store::RES;
  ResumenFile& resumen = vc::store::resumen();
  (void)resumen.remove();  // a table left by an earlier run, if any
  if (!resumen.create().ok() || !resumen.open(vc::files::kReadWriteDenyNone).ok()) {
    std::fprintf(stderr, "cannot open resumen.dat\n");
    std::exit(1);
  }
  Phases p;
  RowSource source;
  auto start = Clock::now();
  bool written = resumen.stream().ok();
  for (std::size_t i = 0; i < rows; ++i) {
    source.fill(RES, i);
    written = resumen.add() == vc::files::FileError::none && written;
  }
  written = resumen.flush().ok() && written;
  if (!written) {
    std::fprintf(stderr, "writing resumen.dat failed\n");
    std::exit(1);
  }
  p.add = secondsSince(start);
  for (const auto key : {ResumenFile::indmod, ResumenFile::indnom}) {
    start = Clock::now();
    resumen.clearToLowest();
    resumen.set(key);
    while (!resumen.eof()) {
      if (resumen.next() != vc::files::FileError::none) break;
      checksum += checksumOf(RES);
    }
    (key.index == 0 ? p.readByModulo : p.readByNombre) = secondsSince(start);
  }
  if (resumen.records() != rows) std::fprintf(stderr, "driver: row count differs\n");
  resumen.close();
  return p;
}

void must(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

Phases runPlain(std::size_t rows, std::uint64_t& checksum) {
  std::filesystem::remove("plain.db");
  sqlite3* db = nullptr;
  must(sqlite3_open("plain.db", &db), db);
  must(sqlite3_exec(db,
                    ("PRAGMA journal_mode=WAL; PRAGMA cache_size=-65536;"
                     "CREATE TABLE t(" +
                     std::string(vc::bench::kPlainRowColumns) +
                     ");"
                     "CREATE INDEX t_mod ON t(kmod, external, knom);"
                     "CREATE INDEX t_nom ON t(knom, external, kmod);")
                        .c_str(),
                    nullptr, nullptr, nullptr),
       db);
  Phases p;
  RowSource source;
  vc::store::ResumenRecord r;
  sqlite3_stmt* insert = nullptr;
  must(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?,?,?,?,?)", -1, &insert, nullptr), db);
  auto start = Clock::now();
  must(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
  for (std::size_t i = 0; i < rows; ++i) {
    source.fill(r, i);
    vc::bench::bindOwnText(insert, 1, r.MODULO.view());
    vc::bench::bindOwnText(insert, 2, r.NOMBRE.view());
    vc::bench::bindOwnText(insert, 3, r.TIPO.view());
    vc::bench::bindOwnText(insert, 4, r.MODO.view());
    sqlite3_bind_int(insert, 5, r.EXTERNAL);
    sqlite3_bind_int(insert, 6, r.DIFERENTE);
    // The keys' folded copies: these texts are capitals already.
    sqlite3_bind_blob(insert, 7, r.MODULO.data(), 30, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 8, r.NOMBRE.data(), 30, SQLITE_STATIC);
    must(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  must(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  p.add = secondsSince(start);
  sqlite3_finalize(insert);
  const char* orders[] = {
      "SELECT * FROM t ORDER BY kmod, external, knom",
      "SELECT * FROM t ORDER BY knom, external, kmod",
  };
  for (int k = 0; k < 2; ++k) {
    start = Clock::now();
    sqlite3_stmt* st = nullptr;
    must(sqlite3_prepare_v2(db, orders[k], -1, &st, nullptr), db);
    while (sqlite3_step(st) == SQLITE_ROW) {
      vc::bench::readPadded(st, 0, r.MODULO.data(), 30);
      vc::bench::readPadded(st, 1, r.NOMBRE.data(), 30);
      vc::bench::readPadded(st, 2, r.TIPO.data(), 30);
      vc::bench::readPadded(st, 3, r.MODO.data(), 30);
      r.EXTERNAL = static_cast<std::uint8_t>(sqlite3_column_int(st, 4));
      r.DIFERENTE = static_cast<std::uint8_t>(sqlite3_column_int(st, 5));
      checksum += checksumOf(r);
    }
    sqlite3_finalize(st);
    (k == 0 ? p.readByModulo : p.readByNombre) = secondsSince(start);
  }
  sqlite3_close(db);
  return p;
}

void print(const char* who, const Phases& p) {
  std::printf("%-14s add %7.3f s   read indmod %7.3f s   read indnom %7.3f s   total %7.3f s\n",
              who, p.add, p.readByModulo, p.readByNombre, p.total());
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  std::string folder = (std::filesystem::temp_directory_path() / "resumen-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) return 1;
  std::uint64_t plainSum = 0, driverSum = 0;
  const Phases plain = runPlain(rows, plainSum);
  const Phases driver = runDriver(rows, driverSum);
  std::printf("%zu rows, in a fresh folder %s\n", rows, folder.c_str());
  print("plain SQLite", plain);
  print("keyed table", driver);
  std::printf(
      "ratio (keyed table / plain SQLite): add %.2f  read indmod %.2f  read indnom %.2f"
      "  total %.2f\n",
      driver.add / plain.add, driver.readByModulo / plain.readByModulo,
      driver.readByNombre / plain.readByNombre, driver.total() / plain.total());
  if (plainSum != driverSum) std::printf("warning: the two sides read different rows\n");
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
