// Times the browse over a results table of many rows (default 1,000,000): the first fill,
// paging down and up, tab switches, a locator step per letter in both orders, thumb jumps
// and refills, each step on its own; then plain SQLite does the same steps on a table of
// the same rows with the same two indexes, reading the same pages by range queries.
// Prints the median and worst milliseconds of each. Usage: browse_bench [rows]
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plain_results_row.hpp"
#include "platform/browse/browse.hpp"
#include "platform/browse/table_view_source.hpp"
#include "platform/files/table_view.hpp"
#include "platform/ui/binding.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "platform/ui/window_controller.hpp"
#include "store/declarations.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using Step = vc::ui::ScrollRequest::Step;
constexpr int kLines = 14;  // the comparative browse's page on the scripted engine

/// Milliseconds per step, by step name, in the order first timed.
struct Timings {
  std::vector<std::string> order;
  std::map<std::string, std::vector<double>> ms;
  void time(const std::string& name, const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    const double t = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!ms.count(name)) order.push_back(name);
    ms[name].push_back(t);
  }
  static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }
  static double worst(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
  }
};

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

void must(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "browse_bench: %s failed\n", what);
    std::exit(1);
  }
}

// The browse side ----------------------------------------------------------------------

struct Entry {
  vc::text::FixedText<30> MODULO, NOMBRE, TIPO, MODO;
  std::uint8_t EXTERNAL = 0;
  vc::text::FixedText<1024> POSITION;
};

class Rows : public vc::ui::Binding {
 public:
  Entry entry;
  vc::browse::RowStore store{&entry, sizeof entry, entry.POSITION.data(), entry.POSITION.size()};
  std::size_t rowCount() const override { return store.size(); }
  vc::ui::CellValue cell(std::size_t, std::size_t) const override { return std::string(); }
};

class BenchBrowse : public vc::browse::Browse {
 public:
  using Browse::Browse;
  std::size_t order = 1;
  vc::browse::SortChange chooseSortOrder(bool force) override { return setSortOrder(order, force); }
};

const vc::ui::WindowSpec& listWindow() {
  static const vc::ui::WindowSpec w = [] {
    vc::ui::WindowSpec s;
    s.name = "B";
    s.title = "browse";
    s.at = {std::nullopt, std::nullopt, 446, 224};
    s.controls = {{1,
                   "LIST",
                   vc::ui::ControlKind::list,
                   {16, 25, 408, 152},
                   "",
                   {},
                   0,
                   "80L~Modulo~@s20@80L~Nombre~@s20@"}};
    return s;
  }();
  return w;
}

void runBrowse(Timings& t) {
  using vc::store::RES;
  vc::ui::ScriptedEngine engine;
  engine.registerControlKind(vc::ui::ControlKind::list);
  vc::ui::Window window(listWindow(), engine);
  window.open();
  Rows rows;
  window.bind(1, &rows);
  vc::files::TableView view(vc::store::resumen());
  vc::browse::TableViewSource source(view);
  vc::browse::StepLocator byModule(RES.MODULO.data(), 30), byName(RES.NOMBRE.data(), 30);
  const auto make = [&](vc::ui::WindowController& c) {
    auto b = std::make_unique<BenchBrowse>(c, 1, rows.store, source);
    b->addSortOrder(0, &byModule);
    b->addSortOrder(1, &byName);
    b->addField(RES.MODULO.data(), 30, rows.entry.MODULO.data());
    b->addField(RES.NOMBRE.data(), 30, rows.entry.NOMBRE.data());
    b->addField(RES.TIPO.data(), 30, rows.entry.TIPO.data());
    b->addField(RES.MODO.data(), 30, rows.entry.MODO.data());
    b->addField(&RES.EXTERNAL, 1, &rows.entry.EXTERNAL);
    return b;
  };
  for (int i = 0; i < 20; ++i) {
    vc::ui::WindowController c(window);
    auto b = make(c);
    t.time("open", [&] { b->reset(/*force=*/false); });
  }
  vc::ui::WindowController controller(window);
  auto b = make(controller);
  b->reset(/*force=*/false);
  const auto scroll = [&](Step s, int thumb = 0) {
    b->takeEvent({vc::ui::EventKind::scroll, 1, vc::ui::ScrollRequest{s, thumb}});
  };
  for (int i = 0; i < 300; ++i) t.time("page down", [&] { scroll(Step::pageDown); });
  for (int i = 0; i < 300; ++i) t.time("page up", [&] { scroll(Step::pageUp); });
  for (int i = 0; i < 40; ++i)
    t.time("tab switch", [&] {
      b->order = b->order == 1 ? 2 : 1;
      b->reset(/*force=*/false);
    });
  for (std::size_t order : {1u, 2u}) {
    b->order = order;
    b->reset(/*force=*/false);
    for (char c = 'A'; c <= 'Z'; ++c)
      t.time("locator step", [&] {
        b->takeEvent({vc::ui::EventKind::alertKey, 1, vc::ui::KeyTyped{c}});
      });
  }
  for (int p = 0; p <= 100; p += 5) t.time("thumb jump", [&] { scroll(Step::thumb, p); });
  for (int i = 0; i < 40; ++i) t.time("refill", [&] { b->refill(); });
  t.time("end", [&] { scroll(Step::last); });
  t.time("home", [&] { scroll(Step::first); });
}

// The plain SQLite side ------------------------------------------------------------------

/// One row's place in an index: its key columns and rowid, as SQLite holds them.
struct Key {
  std::string a;
  int external = 0;
  std::string b;
  std::int64_t rowid = 0;
};

class PlainBrowse {
 public:
  explicit PlainBrowse(sqlite3* db) : db_(db) {
    // Positions on the keys' folded copies; the lines show every text's own column.
    static const char* cols[2][2] = {{"kmod", "knom"}, {"knom", "kmod"}};
    for (int k = 0; k < 2; ++k) {
      const std::string a = cols[k][0], b = cols[k][1];
      const std::string select =
          "SELECT " + a + ", external, " + b + ", rowid, modulo, nombre, tipo, modo FROM t ";
      const std::string asc = " ORDER BY " + a + ", external, " + b + ", rowid LIMIT ?5";
      const std::string desc =
          " ORDER BY " + a + " DESC, external DESC, " + b + " DESC, rowid DESC LIMIT ?5";
      after_[k] =
          prepare(select + "WHERE (" + a + ", external, " + b + ", rowid) > (?1,?2,?3,?4)" + asc);
      from_[k] =
          prepare(select + "WHERE (" + a + ", external, " + b + ", rowid) >= (?1,?2,?3,?4)" + asc);
      before_[k] =
          prepare(select + "WHERE (" + a + ", external, " + b + ", rowid) < (?1,?2,?3,?4)" + desc);
      first_[k] = prepare(select + "WHERE " + a + " >= ?1" + asc);
      edge_[k][0] = prepare(select + asc);
      edge_[k][1] = prepare(select + desc.substr(0, desc.size()));
    }
  }
  ~PlainBrowse() {
    for (int k = 0; k < 2; ++k)
      for (sqlite3_stmt* s : {after_[k], from_[k], before_[k], first_[k], edge_[k][0], edge_[k][1]})
        sqlite3_finalize(s);
  }

  int order = 0;
  std::vector<Key> page;
  int line = 1;

  void open() { page = read(edge_[order][0], nullptr, kLines); }
  void pageDown() {
    auto next = read(after_[order], &page.back(), kLines);
    if (!next.empty()) page = next;
  }
  void pageUp() {
    auto prev = read(before_[order], &page.front(), kLines);
    std::reverse(prev.begin(), prev.end());
    if (!prev.empty()) page = prev;
  }
  void around(const Key& k, int above) {
    auto prev = read(before_[order], &k, above);
    std::reverse(prev.begin(), prev.end());
    auto next = read(from_[order], &k, kLines - static_cast<int>(prev.size()));
    prev.insert(prev.end(), next.begin(), next.end());
    page = prev;
  }
  void tabSwitch() {
    const Key selected = page[static_cast<std::size_t>(line) - 1];
    order = 1 - order;
    // The selected row's key in the other index: its columns the other way round.
    around({selected.b, selected.external, selected.a, selected.rowid}, line - 1);
  }
  void locate(char c) {
    const std::string value = std::string(1, c) + std::string(29, ' ');
    sqlite3_bind_blob(first_[order], 1, value.data(), 30, SQLITE_TRANSIENT);
    page = read(first_[order], nullptr, kLines, /*bound=*/true);
  }
  void thumb(int percent) {
    // The place from the first and last key's leading bytes, as an estimate does.
    auto first = read(edge_[order][0], nullptr, 1);
    auto last = read(edge_[order][1], nullptr, 1);
    if (first.empty()) return;
    const double lo = static_cast<unsigned char>(first[0].a[0]);
    const double hi = static_cast<unsigned char>(last[0].a[0]);
    const std::string value(1, static_cast<char>(lo + (hi - lo) * percent / 100.0));
    sqlite3_bind_blob(first_[order], 1, value.data(), 1, SQLITE_TRANSIENT);
    page = read(first_[order], nullptr, kLines, /*bound=*/true);
  }
  void refill() {
    const Key top = page.front();
    page = read(from_[order], &top, kLines);
  }
  void end() {
    page = read(edge_[order][1], nullptr, kLines);
    std::reverse(page.begin(), page.end());
  }

 private:
  sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    must(sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK, sql.c_str());
    return st;
  }
  std::vector<Key> read(sqlite3_stmt* st, const Key* from, int limit, bool bound = false) {
    if (from) {
      sqlite3_bind_blob(st, 1, from->a.data(), static_cast<int>(from->a.size()), SQLITE_TRANSIENT);
      sqlite3_bind_int(st, 2, from->external);
      sqlite3_bind_blob(st, 3, from->b.data(), static_cast<int>(from->b.size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(st, 4, from->rowid);
    } else if (!bound) {
      sqlite3_clear_bindings(st);
    }
    sqlite3_bind_int(st, 5, limit);
    std::vector<Key> out;
    while (sqlite3_step(st) == SQLITE_ROW) {
      Key k;
      k.a.assign(static_cast<const char*>(sqlite3_column_blob(st, 0)), 30);
      k.external = sqlite3_column_int(st, 1);
      k.b.assign(static_cast<const char*>(sqlite3_column_blob(st, 2)), 30);
      k.rowid = sqlite3_column_int64(st, 3);
      out.push_back(std::move(k));
    }
    sqlite3_reset(st);
    return out;
  }

  sqlite3* db_;
  sqlite3_stmt* after_[2];
  sqlite3_stmt* from_[2];
  sqlite3_stmt* before_[2];
  sqlite3_stmt* first_[2];
  sqlite3_stmt* edge_[2][2];
};

void runPlain(sqlite3* db, Timings& t) {
  PlainBrowse p(db);
  for (int i = 0; i < 20; ++i) t.time("open", [&] { p.open(); });
  for (int i = 0; i < 300; ++i) t.time("page down", [&] { p.pageDown(); });
  for (int i = 0; i < 300; ++i) t.time("page up", [&] { p.pageUp(); });
  for (int i = 0; i < 40; ++i) t.time("tab switch", [&] { p.tabSwitch(); });
  for (int order : {0, 1}) {
    p.order = order;
    p.open();
    for (char c = 'A'; c <= 'Z'; ++c) t.time("locator step", [&] { p.locate(c); });
  }
  for (int q = 0; q <= 100; q += 5) t.time("thumb jump", [&] { p.thumb(q); });
  for (int i = 0; i < 40; ++i) t.time("refill", [&] { p.refill(); });
  t.time("end", [&] { p.end(); });
  t.time("home", [&] { p.open(); });
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  std::string folder = (std::filesystem::temp_directory_path() / "browse-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) return 1;

  // The same rows, in the same order, on both sides.
  vc::store::ResumenFile& resumen = vc::store::resumen();
  must(resumen.create().ok() && resumen.open(vc::files::kReadWriteDenyNone).ok(), "open resumen");
  sqlite3* db = nullptr;
  must(sqlite3_open("plain.db", &db) == SQLITE_OK, "open plain.db");
  must(sqlite3_exec(db,
                    ("PRAGMA journal_mode=WAL; PRAGMA cache_size=-65536;"
                     "CREATE TABLE t(" +
                     std::string(vc::bench::kPlainRowColumns) +
                     ");"
                     "CREATE INDEX t_mod ON t(kmod, external, knom);"
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
  must(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK, "commit");

  Timings browse, plain;
  runBrowse(browse);
  runPlain(db, plain);
  sqlite3_close(db);
  resumen.close();

  std::printf("%zu rows, %d lines a page, in %s\n", rows, kLines, folder.c_str());
  std::printf("%-13s %6s  %21s  %21s  %7s\n", "step", "count", "browse median/worst ms",
              "plain median/worst ms", "ratio");
  for (const std::string& name : browse.order) {
    const auto& b = browse.ms[name];
    const auto& p = plain.ms[name];
    const double bm = Timings::median(b), pm = Timings::median(p);
    std::printf("%-13s %6zu  %10.3f / %8.3f  %10.3f / %8.3f  %7.2f\n", name.c_str(), b.size(), bm,
                Timings::worst(b), pm, Timings::worst(p), pm > 0 ? bm / pm : 0.0);
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
