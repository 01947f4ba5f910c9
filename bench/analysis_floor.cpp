#include "analysis_floor.hpp"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vc::bench {
namespace {

void check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

std::string column(sqlite3_stmt* st, int i) {
  return std::string(static_cast<const char*>(sqlite3_column_blob(st, i)),
                     static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
}

FloorText text(sqlite3_stmt* st, int i) {
  return {column(st, i), sqlite3_column_type(st, i) == SQLITE_TEXT};
}

void bindText(sqlite3_stmt* st, int i, const FloorText& t) {
  const auto n = static_cast<int>(t.bytes.size());
  if (t.isText) {
    sqlite3_bind_text(st, i, t.bytes.data(), n, SQLITE_STATIC);
  } else {
    sqlite3_bind_blob(st, i, t.bytes.data(), n, SQLITE_STATIC);
  }
}

// The table keeps each text in its own column for any client, and the keys' order on
// folded copies of the names, as the results table does.
constexpr const char* kIndexes =
    "CREATE INDEX r_mod ON r(kmod, external, knom);"
    "CREATE INDEX r_nom ON r(knom, external, kmod);";

constexpr const char* kSortRunCache = "PRAGMA cache_size=-2048";

}  // namespace

std::vector<FloorRow> rowsInOrderOfAddition(const std::filesystem::path& table) {
  sqlite3* db = nullptr;
  check(sqlite3_open_v2(table.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
  sqlite3_stmt* st = nullptr;
  check(sqlite3_prepare_v2(db,
                           "SELECT MODULO, NOMBRE, TIPO, MODO, EXTERNAL, key_MODULO, "
                           "key_NOMBRE FROM resumen ORDER BY seq",
                           -1, &st, nullptr),
        db, "select");
  std::vector<FloorRow> rows;
  while (sqlite3_step(st) == SQLITE_ROW) {
    rows.push_back({text(st, 0), text(st, 1), text(st, 2), text(st, 3), sqlite3_column_int(st, 4),
                    column(st, 5), column(st, 6)});
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

std::size_t readFolder(const std::filesystem::path& folder) {
  std::vector<char> buffer(1 << 20);
  std::size_t total = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(e.path(), std::ios::binary);
    while (in) {
      in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      total += static_cast<std::size_t>(in.gcount());
    }
  }
  return total;
}

double plainBuild(const std::filesystem::path& file, const std::vector<FloorRow>& rows,
                  bool indexesFirst) {
  std::error_code ec;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(file.string() + suffix, ec);
  }
  const auto start = std::chrono::steady_clock::now();
  sqlite3* db = nullptr;
  check(sqlite3_open(file.c_str(), &db), db, "open");
  // The results table's settings: WAL, its synchronous level, a 64 MB page cache, and
  // helper threads for sorts.
  check(sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
                     "PRAGMA cache_size=-65536; PRAGMA threads=4;",
                     nullptr, nullptr, nullptr),
        db, "settings");
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  check(sqlite3_exec(db,
                     "CREATE TABLE r(modulo BLOB, nombre BLOB, tipo BLOB, modo BLOB, "
                     "external INTEGER, diferente INTEGER, kmod BLOB, knom BLOB)",
                     nullptr, nullptr, nullptr),
        db, "table");
  if (indexesFirst) check(sqlite3_exec(db, kIndexes, nullptr, nullptr, nullptr), db, "indexes");
  sqlite3_stmt* st = nullptr;
  check(sqlite3_prepare_v2(db, "INSERT INTO r VALUES(?,?,?,?,?,0,?,?)", -1, &st, nullptr), db,
        "prep");
  for (const FloorRow& r : rows) {
    bindText(st, 1, r.modulo);
    bindText(st, 2, r.nombre);
    bindText(st, 3, r.tipo);
    bindText(st, 4, r.modo);
    sqlite3_bind_int(st, 5, r.external);
    sqlite3_bind_blob(st, 6, r.keyModulo.data(), static_cast<int>(r.keyModulo.size()),
                      SQLITE_STATIC);
    sqlite3_bind_blob(st, 7, r.keyNombre.data(), static_cast<int>(r.keyNombre.size()),
                      SQLITE_STATIC);
    check(sqlite3_step(st), db, "insert");
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  if (!indexesFirst) {
    // Indexes made from the rows are sorts: with a small cache each sort is cut into runs
    // that the helper threads sort at once, which takes the large sort about a quarter less
    // time than one thread sorting in the large cache.
    check(sqlite3_exec(db, kSortRunCache, nullptr, nullptr, nullptr), db, "sort cache");
    check(sqlite3_exec(db, kIndexes, nullptr, nullptr, nullptr), db, "indexes");
  }
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  check(sqlite3_close(db), nullptr, "close");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace vc::bench
