// The purge's table work on 1,000,000 rows (names declared once; names declared in
// several rows with one type; names declared with differing types), against plain SQLite
// walking the same table in name order and deleting the same rows, one transaction a
// pass, in each of two ways: a DELETE a row, and the indexes dropped and made again around
// one DELETE. Every table is built first, untimed; the bench checks that all sides leave
// the same rows, then prints the times and the ratio to the faster plain way.
// Usage: purge_bench [rows] (default 1,000,000).
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "analysis/purge_table.hpp"
#include "plain_results_row.hpp"
#include "store/declarations.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

/// Row i of the table both sides build: half the rows are names declared once, four
/// tenths pairs of one type, a tenth pairs of two types; names come in a scrambled order.
struct RowSource {
  explicit RowSource(std::size_t rows) : rows_(rows) {}
  void fill(vc::store::ResumenRecord& r, std::size_t i) const {
    const std::size_t singles = rows_ / 2;
    const std::size_t equalPairs = rows_ * 4 / 10;
    char text[32];
    std::size_t name = 0;
    const char* type = "LONG";
    if (i < singles) {
      name = i;
    } else if (i < singles + equalPairs) {
      name = singles + (i - singles) / 2;
    } else {
      name = singles + equalPairs / 2 + (i - singles - equalPairs) / 2;
      if ((i - singles - equalPairs) % 2 == 1) type = "STRING(20)";
    }
    // A bijection on the name numbers scrambles the order of addition against key order.
    const std::uint64_t scrambled = (name * 2654435761ull) % 10000019ull;
    std::snprintf(text, sizeof text, "GLO:V%08llu", static_cast<unsigned long long>(scrambled));
    r.NOMBRE = text;
    std::snprintf(text, sizeof text, "MODULE%03u", static_cast<unsigned>(i % 200));
    r.MODULO = text;
    r.TIPO = type;
    r.MODO = "";
    r.EXTERNAL = static_cast<std::uint8_t>(i % 7 == 0);
    r.DIFERENTE = 0;
  }
  std::size_t rows_;
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "purge_bench: %s\n", what);
  std::exit(1);
}

double runDriver(std::size_t rows, std::uint64_t& left) {
  vc::store::attachThreadFiles();
  vc::store::ResumenFile& resumen = vc::store::resumen();
  if (!resumen.create().ok() || !resumen.open(vc::files::kReadWriteDenyNone).ok()) {
    fail("cannot open resumen.dat");
  }
  const RowSource source(rows);
  if (!resumen.stream().ok()) fail("stream");
  for (std::size_t i = 0; i < rows; ++i) {
    source.fill(vc::store::RES, i);
    if (resumen.add() != vc::files::FileError::none) fail("add");
  }
  if (!resumen.flush().ok()) fail("flush");

  const auto start = Clock::now();
  const vc::analysis::PurgeOutcome outcome = vc::analysis::purgeTable();
  const double seconds = secondsSince(start);
  if (!outcome.ok()) fail("the purge failed");
  left = resumen.records();
  resumen.close();
  vc::store::detachThreadFiles();
  return seconds;
}

void must(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) fail(sqlite3_errmsg(db));
}

bool sameText(const void* a, int an, const void* b, int bn) {
  // Trailing blanks do not count, case does.
  const auto trimmed = [](const void* p, int n) {
    const auto* c = static_cast<const char*>(p);
    while (n > 0 && c[n - 1] == ' ') --n;
    return n;
  };
  an = trimmed(a, an);
  bn = trimmed(b, bn);
  return an == bn && std::memcmp(a, b, static_cast<std::size_t>(an)) == 0;
}

/// How the plain side deletes a pass's rows.
enum class PlainDelete {
  oneByOne,    // a DELETE a row, in the order of the row numbers
  rebuilding,  // drop both indexes, delete the rows named in a temporary table, index again
};

double runPlain(std::size_t rows, PlainDelete how, std::uint64_t& left) {
  std::filesystem::remove("plain.db");
  sqlite3* db = nullptr;
  must(sqlite3_open("plain.db", &db), db);
  // The settings that make plain SQLite fastest at this work: freed pages left unwritten,
  // helper threads for sorts.
  must(sqlite3_exec(db,
                    "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-65536;"
                    "PRAGMA secure_delete=FAST; PRAGMA threads=4;"
                    "CREATE TABLE t(seq INTEGER PRIMARY KEY, modulo BLOB, nombre BLOB, tipo BLOB,"
                    " modo BLOB, external INTEGER, diferente INTEGER, kmod BLOB, knom BLOB);"
                    "CREATE INDEX t_mod ON t(kmod, external, knom);"
                    "CREATE INDEX t_nom ON t(knom, external, kmod);",
                    nullptr, nullptr, nullptr),
       db);
  sqlite3_stmt* insert = nullptr;
  // Each text in its own column without its trailing blanks, and the names' folded copies
  // whole for the keys, as the results table keeps them.
  must(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(NULL,?1,?2,?3,?4,?5,0,upper(?6),upper(?7))", -1,
                          &insert, nullptr),
       db);

  const RowSource source(rows);
  vc::store::ResumenRecord r{};
  must(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
  for (std::size_t i = 0; i < rows; ++i) {
    source.fill(r, i);
    vc::bench::bindOwnText(insert, 1, r.MODULO.view());
    vc::bench::bindOwnText(insert, 2, r.NOMBRE.view());
    vc::bench::bindOwnText(insert, 3, r.TIPO.view());
    vc::bench::bindOwnText(insert, 4, r.MODO.view());
    sqlite3_bind_int(insert, 5, r.EXTERNAL);
    sqlite3_bind_blob(insert, 6, r.MODULO.view().data(), 30, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 7, r.NOMBRE.view().data(), 30, SQLITE_STATIC);
    must(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  must(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  sqlite3_finalize(insert);

  // The walk in name order sorts the table with the helper threads (a small cache cuts the
  // sort into runs for them), which reads it sequentially: faster than following the name
  // index, which reads the rows in no order.
  sqlite3_stmt* walk = nullptr;
  must(sqlite3_prepare_v2(db,
                          "SELECT seq, nombre, tipo FROM t NOT INDEXED"
                          " ORDER BY knom, external, kmod, seq",
                          -1, &walk, nullptr),
       db);
  sqlite3_stmt* erase = nullptr;
  must(sqlite3_prepare_v2(db, "DELETE FROM t WHERE seq=?1", -1, &erase, nullptr), db);
  std::thread helper;
  const auto start = Clock::now();
  for (int pass = 1; pass <= 2; ++pass) {
    must(sqlite3_exec(db, "BEGIN IMMEDIATE; PRAGMA cache_size=-2048", nullptr, nullptr, nullptr),
         db);
    // The walk reads every row once; the rows to delete are deleted after it, since a
    // connection must not change a table under its own running scan.
    std::vector<std::int64_t> group, doomed;
    std::string name, type;
    bool differ = false;
    const auto close = [&] {
      if (pass == 1 ? group.size() == 1 : !group.empty() && !differ) {
        doomed.insert(doomed.end(), group.begin(), group.end());
      }
      group.clear();
    };
    while (sqlite3_step(walk) == SQLITE_ROW) {
      const auto* n = sqlite3_column_blob(walk, 1);
      const int nn = sqlite3_column_bytes(walk, 1);
      const auto* t = sqlite3_column_blob(walk, 2);
      const int tn = sqlite3_column_bytes(walk, 2);
      if (!group.empty() && sameText(n, nn, name.data(), static_cast<int>(name.size()))) {
        if (!sameText(t, tn, type.data(), static_cast<int>(type.size()))) differ = true;
      } else {
        close();
        name.assign(static_cast<const char*>(n), static_cast<std::size_t>(nn));
        type.assign(static_cast<const char*>(t), static_cast<std::size_t>(tn));
        differ = false;
      }
      group.push_back(sqlite3_column_int64(walk, 0));
    }
    close();
    sqlite3_reset(walk);
    std::sort(doomed.begin(), doomed.end());
    if (how == PlainDelete::oneByOne) {
      must(sqlite3_exec(db, "PRAGMA cache_size=-1048576", nullptr, nullptr, nullptr), db);
      for (const std::int64_t id : doomed) {
        sqlite3_bind_int64(erase, 1, id);
        must(sqlite3_step(erase), db);
        sqlite3_reset(erase);
      }
    } else {
      must(sqlite3_exec(db,
                        "CREATE TEMP TABLE IF NOT EXISTS gone(id INTEGER PRIMARY KEY);"
                        "DELETE FROM temp.gone",
                        nullptr, nullptr, nullptr),
           db);
      sqlite3_stmt* gone = nullptr;
      must(sqlite3_prepare_v2(db, "INSERT INTO temp.gone VALUES(?1)", -1, &gone, nullptr), db);
      for (const std::int64_t id : doomed) {
        sqlite3_bind_int64(gone, 1, id);
        must(sqlite3_step(gone), db);
        sqlite3_reset(gone);
      }
      sqlite3_finalize(gone);
      must(sqlite3_exec(db,
                        "DROP INDEX t_mod; DROP INDEX t_nom;"
                        "DELETE FROM t WHERE seq IN temp.gone;"
                        "CREATE INDEX t_mod ON t(kmod, external, knom);"
                        "CREATE INDEX t_nom ON t(knom, external, kmod);",
                        nullptr, nullptr, nullptr),
           db);
    }
    // As the driver does: pass 1's change is copied from the log into the file by a
    // helper thread while pass 2 goes on; pass 2's commit copies its own.
    if (helper.joinable()) helper.join();
    must(sqlite3_exec(db,
                      pass == 1 ? "PRAGMA wal_autocheckpoint=0" : "PRAGMA wal_autocheckpoint=1000",
                      nullptr, nullptr, nullptr),
         db);
    must(sqlite3_exec(db, "COMMIT; PRAGMA cache_size=-65536", nullptr, nullptr, nullptr), db);
    if (pass == 1) {
      helper = std::thread([] {
        sqlite3* copier = nullptr;
        if (sqlite3_open("plain.db", &copier) == SQLITE_OK &&
            sqlite3_exec(copier, "PRAGMA schema_version", nullptr, nullptr, nullptr) == SQLITE_OK) {
          sqlite3_wal_checkpoint_v2(copier, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        }
        sqlite3_close(copier);
      });
    }
  }
  const double seconds = secondsSince(start);
  sqlite3_finalize(walk);
  sqlite3_finalize(erase);
  sqlite3_stmt* count = nullptr;
  must(sqlite3_prepare_v2(db, "SELECT count(*) FROM t", -1, &count, nullptr), db);
  must(sqlite3_step(count), db);
  left = static_cast<std::uint64_t>(sqlite3_column_int64(count, 0));
  sqlite3_finalize(count);
  sqlite3_close(db);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  char folder[] = "/tmp/purge-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr || ::chdir(folder) != 0) fail("no scratch folder");

  std::uint64_t driverLeft = 0, oneByOneLeft = 0, rebuildingLeft = 0;
  const double driver = runDriver(rows, driverLeft);
  const double oneByOne = runPlain(rows, PlainDelete::oneByOne, oneByOneLeft);
  const double rebuilding = runPlain(rows, PlainDelete::rebuilding, rebuildingLeft);
  std::filesystem::remove_all(folder);
  if (driverLeft != oneByOneLeft || driverLeft != rebuildingLeft) {
    fail("the sides left different rows");
  }
  const double floor = std::min(oneByOne, rebuilding);

  std::printf("rows %zu, left %llu\n", rows, static_cast<unsigned long long>(driverLeft));
  std::printf("purgeTable                     %8.3f s\n", driver);
  std::printf("plain SQLite, row by row       %8.3f s\n", oneByOne);
  std::printf("plain SQLite, indexes rebuilt  %8.3f s\n", rebuilding);
  std::printf("ratio to the faster plain way  %8.2f\n", driver / floor);
  return 0;
}
