#include "platform/files/table_view.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keyed_test_table.hpp"
#include "platform/files/keyed_table.hpp"
#include "platform/files/sqlite/table_schema.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using testing::kTestFile;
using testing::TestRow;
using testing::testSpec;
using vc::testing::TempFolder;

constexpr KeyId kByName{0};

/// A table of rows named by the test, read through the declaration and through views.
class KeyedReadTest : public ::testing::Test {
 protected:
  KeyedReadTest() {
    (void)table.create();
    EXPECT_TRUE(table.open(kReadWriteDenyNone).ok());
  }

  void add(const std::string& name, int flag = 0, const std::string& info = "") {
    row.set(name, flag, info);
    ASSERT_EQ(table.add(), FileError::none);
  }
  void addAll(const std::vector<std::string>& names) {
    for (const auto& n : names) add(n);
  }
  /// The row in the buffer as "NAME" or "NAME/INFO" when it has one.
  std::string shown() const {
    std::string info(row.INFO, sizeof row.INFO);
    info = info.substr(0, info.find_last_not_of(' ') + 1);
    return info.empty() ? row.name() : row.name() + "/" + info;
  }
  /// Reads with `step` until it answers otherwise than none; the rows read.
  template <class Step>
  std::vector<std::string> readOn(Step step, int limit = 100) {
    std::vector<std::string> out;
    while (limit-- > 0 && step() == FileError::none) out.push_back(shown());
    return out;
  }
  void putName(const std::string& name, int flag = 0) { row.set(name, flag); }
  /// The table made again, empty and open.
  void startAfresh() {
    table.close();
    std::filesystem::remove(kTestFile);
    (void)table.create();
    ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
  }

  TempFolder folder;
  TestRow row{};
  KeyedTable table{testSpec(), kTestFile, &row};
};

using Names = std::vector<std::string>;

TEST_F(KeyedReadTest, AViewReadsBothWaysFromEitherEnd) {
  addAll({"c", "a", "d", "b"});
  TableView view(table);
  EXPECT_EQ(view.next(), FileError::recordNotAvailable) << "no order yet";
  view.setOrder(kByName);
  EXPECT_EQ(readOn([&] { return view.next(); }), (Names{"a", "b", "c", "d"}));
  EXPECT_EQ(view.next(), FileError::recordNotAvailable);
  EXPECT_EQ(readOn([&] { return view.previous(); }), (Names{"c", "b", "a"}));
  view.toLast();
  EXPECT_EQ(readOn([&] { return view.previous(); }), (Names{"d", "c", "b", "a"}));
  view.toFirst();
  EXPECT_EQ(view.previous(), FileError::recordNotAvailable);
}

/// One reader under test: the declaration's own cursor or a view over it.
enum class Reader { declaration, view };

/// A script of reads and writes, and what each step answers. Steps:
///   "n" NEXT, "p" PREVIOUS: the row read, or "33";
///   "x" deletes the row the reader stands on (through the declaration): "deleted";
///   "+NAME" or "+NAME/INFO" adds a row through the declaration: "added";
///   "eof", "bof": the look-ahead of the declaration's cursor ("yes"/"no"), moving nothing.
struct ScriptCase {
  const char* name;
  Names rows;         // added in this order, "NAME" or "NAME/INFO"
  std::string start;  // SET on this name (flag 0); "" = the lowest value; "~" = past all
  Names steps;
  Names answers;
};

class ScriptTest : public KeyedReadTest {
 protected:
  void addSpec(const std::string& def) {
    const auto slash = def.find('/');
    if (slash == std::string::npos) return add(def);
    add(def.substr(0, slash), 0, def.substr(slash + 1));
  }

  Names run(const ScriptCase& c, Reader reader) {
    for (const auto& r : c.rows) addSpec(r);
    TableView view(table);
    table.clearToLowest();
    if (!c.start.empty()) putName(c.start);
    if (reader == Reader::declaration) {
      table.set(kByName);
    } else {
      view.setOrder(kByName);
      view.setFromRecord();
    }
    Names out;
    for (const std::string& step : c.steps) {
      FileError e = FileError::none;
      if (step == "n" || step == "p") {
        const bool forward = step == "n";
        if (reader == Reader::declaration) {
          e = forward ? table.next() : table.previous();
        } else {
          e = forward ? view.next() : view.previous();
        }
        out.push_back(e == FileError::none ? shown() : std::to_string(static_cast<int>(e)));
      } else if (step == "x") {
        if (reader == Reader::view) {
          EXPECT_EQ(table.reget(view.position()), FileError::none);
        }
        e = table.deleteCurrent();
        out.push_back(e == FileError::none ? "deleted" : "not deleted");
      } else if (step[0] == '+') {
        addSpec(step.substr(1));
        out.push_back("added");
      } else if (step == "eof" || step == "bof") {
        out.push_back((step == "eof" ? table.eof() : table.bof()) ? "yes" : "no");
      }
    }
    return out;
  }
};

const ScriptCase kScripts[] = {
    {"SET stands before its row", {"a", "b", "c", "d"}, "c", {"p", "n", "n"}, {"b", "c", "d"}},
    {"SET then NEXT reads the row, PREVIOUS the one before it",
     {"a", "b", "c", "d"},
     "c",
     {"n", "p", "p", "n"},
     {"c", "b", "a", "b"}},
    {"a value between rows", {"a", "c"}, "b", {"n", "p"}, {"c", "a"}},
    {"before the first row", {"a", "b"}, "", {"p", "n", "p", "p"}, {"33", "a", "33", "33"}},
    {"past the last row", {"a", "b"}, "~", {"n", "p", "n", "n"}, {"33", "b", "33", "33"}},
    {"turning at the first row", {"a", "b"}, "", {"n", "p", "n", "n"}, {"a", "33", "b", "33"}},
    {"turning at the last row", {"a", "b"}, "b", {"n", "n", "p", "p"}, {"b", "33", "a", "33"}},
    {"an empty table", {}, "", {"n", "p", "n"}, {"33", "33", "33"}},
    {"equal keys in the order of addition both ways",
     {"b/1", "a", "b/2", "c", "b/3"},
     "b",
     {"n", "n", "n", "n", "p", "p", "p", "p"},
     {"b/1", "b/2", "b/3", "c", "b/3", "b/2", "b/1", "a"}},
    {"DELETE then NEXT reads the row after it",
     {"a", "b", "c", "d"},
     "b",
     {"n", "x", "n", "p", "p"},
     {"b", "deleted", "c", "a", "33"}},
    {"DELETE then PREVIOUS reads the row before it",
     {"a", "b", "c", "d"},
     "b",
     {"n", "n", "x", "p", "n"},
     {"b", "c", "deleted", "b", "d"}},
    {"DELETE going backwards",
     {"a", "b", "c", "d"},
     "~",
     {"p", "p", "x", "p", "n", "n"},
     {"d", "c", "deleted", "b", "d", "33"}},
    {"DELETE of the first row",
     {"a", "b"},
     "",
     {"n", "x", "p", "n", "n"},
     {"a", "deleted", "33", "b", "33"}},
    {"DELETE of the last row", {"a", "b"}, "b", {"n", "x", "n", "p"}, {"b", "deleted", "33", "a"}},
    {"DELETE of the only row", {"a"}, "", {"n", "x", "n", "p"}, {"a", "deleted", "33", "33"}},
    {"every row deleted on the way",
     {"a", "b", "c"},
     "",
     {"n", "x", "n", "x", "n", "x", "n", "p"},
     {"a", "deleted", "b", "deleted", "c", "deleted", "33", "33"}},
    {"an equal key deleted among equals",
     {"b/1", "b/2", "b/3"},
     "",
     {"n", "n", "x", "n", "p", "p"},
     {"b/1", "b/2", "deleted", "b/3", "b/1", "33"}},
    {"ADD ahead is read once",
     {"a", "c"},
     "",
     {"n", "+b", "n", "n", "n"},
     {"a", "added", "b", "c", "33"}},
    {"ADD behind is not read going on",
     {"a", "c"},
     "c",
     {"n", "+b", "n", "p", "p", "p"},
     {"c", "added", "33", "b", "a", "33"}},
    {"ADD of an equal key comes after the row read",
     {"b/1", "c"},
     "",
     {"n", "+b/2", "n", "n"},
     {"b/1", "added", "b/2", "c"}},
    {"ADD of an equal key going backwards",
     {"b/1", "c"},
     "~",
     {"p", "+b/2", "p", "p", "p"},
     {"c", "added", "b/2", "b/1", "33"}},
    {"ADD before the first row while at it",
     {"b"},
     "",
     {"n", "+a", "p", "p"},
     {"b", "added", "a", "33"}},
    {"ADD after the last row past the end",
     {"a"},
     "~",
     {"n", "+b", "n", "p", "p"},
     {"33", "added", "33", "b", "a"}},
    {"ADD and DELETE mixed",
     {"a", "b", "d"},
     "",
     {"n", "n", "x", "+c", "+a2", "n", "n", "p", "p"},
     {"a", "b", "deleted", "added", "added", "c", "d", "c", "a2"}},
};

TEST_F(ScriptTest, EitherReaderReadsBothWaysAroundSetDeleteAndAdd) {
  const std::pair<const char*, Reader> readers[] = {{"the declaration", Reader::declaration},
                                                    {"a view", Reader::view}};
  for (const auto& [readerName, reader] : readers) {
    SCOPED_TRACE(readerName);
    for (const ScriptCase& c : kScripts) {
      SCOPED_TRACE(c.name);
      startAfresh();
      EXPECT_EQ(run(c, reader), c.answers);
    }
  }
}

TEST_F(ScriptTest, TheLookAheadsMoveNothing) {
  const ScriptCase c{"eof and bof between reads",
                     {"a", "b"},
                     "",
                     {"bof", "eof", "n", "bof", "eof", "n", "eof", "bof", "n", "p", "bof", "p"},
                     {"yes", "no", "a", "yes", "no", "b", "yes", "no", "33", "a", "yes", "33"}};
  EXPECT_EQ(run(c, Reader::declaration), c.answers);
}

// A layout with two keys, for orders changed under a saved position: by name, and by
// info then name.
const TableSpec& twoKeySpec() {
  static const TableSpec layout{"rows",
                                sizeof(TestRow),
                                {{"NAME", 0, 8, FieldKind::text},
                                 {"FLAG", 8, 1, FieldKind::byte},
                                 {"INFO", 9, 4, FieldKind::text}},
                                {{"byname", {0, 1}}, {"byinfo", {2, 0}}}};
  return layout;
}

class TwoKeyTest : public ::testing::Test {
 protected:
  TwoKeyTest() {
    (void)table.create();
    EXPECT_TRUE(table.open(kReadWriteDenyNone).ok());
    // By name: a/z b/y c/x d/w; by info: d/w c/x b/y a/z.
    for (const auto& [name, info] : {std::pair{"b", "y"}, {"d", "w"}, {"a", "z"}, {"c", "x"}}) {
      row.set(name, 0, info);
      EXPECT_EQ(table.add(), FileError::none);
    }
  }
  /// Deletes the row named `name` through the declaration's own cursor.
  void deleteNamed(const std::string& name) {
    row.set(name, 0);
    table.set(KeyId{0});
    ASSERT_EQ(table.next(), FileError::none);
    ASSERT_EQ(row.name(), name);
    ASSERT_EQ(table.deleteCurrent(), FileError::none);
  }
  std::string read(FileError e) const { return e == FileError::none ? row.name() : "33"; }

  TempFolder folder;
  TestRow row{};
  KeyedTable table{twoKeySpec(), "two.dat", &row};
};

TEST_F(TwoKeyTest, ShortKeyedTextsKeepTheKeysSound) {
  // Each keyed text gets a folded copy bound for the insert; short copies must not move
  // while bound, or a key gets another row's bytes.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("two.dat", &db), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))), "ok");
  sqlite3_finalize(st);
  sqlite3_close(db);
}

TEST_F(TwoKeyTest, ASavedPositionFindsItsRowInEitherOrder) {
  TableView view(table);
  view.setOrder(KeyId{0});
  ASSERT_EQ(view.next(), FileError::none);
  ASSERT_EQ(view.next(), FileError::none);  // b
  const CursorPosition saved = view.position();
  const auto decoded = decodePosition(encodePosition(saved));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(*decoded, saved);

  struct Case {
    const char* name;
    std::size_t order;
    Names reads;  // "r" re-read, "n" next, "p" previous
    Names answers;
  };
  const Case cases[] = {
      {"the same order", 0, {"r", "n", "r", "p"}, {"b", "c", "b", "a"}},
      {"another order", 1, {"r", "n", "r", "p", "p"}, {"b", "a", "b", "c", "d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.setOrder(KeyId{c.order});
    Names out;
    for (const auto& r : c.reads) {
      out.push_back(read(r == "r"   ? view.reget(*decoded)
                         : r == "n" ? view.next()
                                    : view.previous()));
    }
    EXPECT_EQ(out, c.answers);
  }
}

TEST_F(TwoKeyTest, ADeletedRowsSavedPositionGoesOnFromItsPlace) {
  struct Case {
    const char* name;
    std::size_t savedIn;
    std::size_t readIn;
    std::string after, before;  // what NEXT and PREVIOUS read from its place
  };
  const Case cases[] = {
      {"re-read in its own order", 0, 0, "c", "a"},
      // The browse holds the row's fields in the buffer; its place in the other order
      // comes from them.
      {"re-read in another order", 0, 1, "a", "c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableView view(table);
    view.setOrder(KeyId{c.savedIn});
    row.set("b", 0, "y");
    view.setFromRecord();
    ASSERT_EQ(view.next(), FileError::none);
    ASSERT_EQ(row.name(), "b");
    const CursorPosition saved = view.position();
    deleteNamed("b");  // leaves b's fields in the buffer
    view.setOrder(KeyId{c.readIn});
    EXPECT_EQ(view.reget(saved), FileError::recordNotAvailable);
    EXPECT_EQ(read(view.next()), c.after);
    row.set("b", 0, "y");  // the browse puts the selected row's fields back
    EXPECT_EQ(view.reget(saved), FileError::recordNotAvailable);
    EXPECT_EQ(read(view.previous()), c.before);

    // A restore of the position in its own order is the same place.
    if (c.savedIn == c.readIn) {
      view.restore(saved);
      EXPECT_EQ(read(view.next()), c.after);
      view.restore(saved);
      EXPECT_EQ(read(view.previous()), c.before);
    }
    row.set("b", 0, "y");
    ASSERT_EQ(table.add(), FileError::none);  // back for the next case, as a new row
  }
}

TEST_F(KeyedReadTest, TheDeclarationSetsBackToItsSavedPosition) {
  struct Case {
    const char* name;
    bool deleted;  // the saved row deleted meanwhile
    std::string reread, after, before;
  };
  const Case cases[] = {
      {"the row still there", false, "b", "c", "a"},
      {"the row deleted", true, "33", "c", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    startAfresh();
    addAll({"a", "b", "c"});
    putName("b");
    table.set(kByName);
    ASSERT_EQ(table.next(), FileError::none);
    const CursorPosition saved = table.position();
    if (c.deleted) {
      ASSERT_EQ(table.deleteCurrent(), FileError::none);
    }
    ASSERT_EQ(table.next(), FileError::none);  // elsewhere meanwhile
    const FileError e = table.reget(saved);
    EXPECT_EQ(e == FileError::none ? shown() : "33", c.reread);
    table.set(saved);
    EXPECT_EQ(table.next() == FileError::none ? shown() : "33", c.after);
    table.set(saved);
    EXPECT_EQ(table.previous() == FileError::none ? shown() : "33", c.before);
  }
}

TEST(PositionText, TextThatNoPositionGaveIsRefused) {
  for (const std::string& text : {std::string(), std::string(9, 'x'), std::string(1025, 'x')}) {
    EXPECT_FALSE(decodePosition(text).has_value()) << text.size();
  }
  const CursorPosition p{1, std::string("A\0\xff", 3), KeyedTable::kBeforeAll};
  EXPECT_EQ(decodePosition(encodePosition(p)), p);
}

TEST_F(KeyedReadTest, TheViewAndTheDeclarationKeepTheirOwnPlaces) {
  addAll({"a", "b", "c", "d", "e"});
  TableView view(table);
  view.setOrder(kByName);
  table.clearToLowest();
  table.set(kByName);
  ASSERT_EQ(table.next(), FileError::none);  // declaration on a
  EXPECT_EQ(readOn([&] { return view.next(); }, 3), (Names{"a", "b", "c"}));
  ASSERT_EQ(table.next(), FileError::none);
  EXPECT_EQ(shown(), "b") << "the view did not move the declaration";
  ASSERT_EQ(table.next(), FileError::none);  // c
  ASSERT_EQ(table.deleteCurrent(), FileError::none);
  ASSERT_EQ(table.next(), FileError::none);  // d, one ahead of the view
  ASSERT_EQ(table.deleteCurrent(), FileError::none);
  EXPECT_EQ(readOn([&] { return view.next(); }), (Names{"e"})) << "nothing deleted is read";
  EXPECT_EQ(readOn([&] { return view.previous(); }), (Names{"b", "a"}));
  ASSERT_EQ(table.next(), FileError::none);
  EXPECT_EQ(shown(), "e") << "the view did not move the declaration";

  // Two views are apart too.
  TableView other(table);
  other.setOrder(kByName);
  view.toLast();
  ASSERT_EQ(view.previous(), FileError::none);
  ASSERT_EQ(other.next(), FileError::none);
  ASSERT_EQ(view.previous(), FileError::none);
  EXPECT_EQ(shown(), "b");
  ASSERT_EQ(other.next(), FileError::none);
  EXPECT_EQ(shown(), "b");
}

TEST_F(KeyedReadTest, AReadLeftPendingNeitherBlocksNorStalesAWrite) {
  addAll({"a", "b", "c"});
  TestRow otherRow{};
  KeyedTable other{testSpec(), kTestFile, &otherRow};  // another opening of the file
  ASSERT_TRUE(other.open(kReadWriteDenyNone).ok());
  other.clearToLowest();
  other.set(kByName);
  ASSERT_EQ(other.next(), FileError::none);  // the other opening keeps a read open

  TableView view(table);
  view.setOrder(kByName);
  ASSERT_EQ(view.next(), FileError::none);  // so do this opening's view...
  table.clearToLowest();
  table.set(kByName);
  ASSERT_EQ(table.next(), FileError::none);  // ...and its own cursor
  EXPECT_FALSE(table.eof());

  otherRow.set("bb", 0);
  ASSERT_EQ(other.add(), FileError::none) << "another opening writes while this one reads";
  // This opening's reads began before that write; its own write must not be refused
  // for an outdated view of the file.
  add("ab");
  EXPECT_EQ(readOn([&] { return view.next(); }), (Names{"ab", "b", "bb", "c"}));
  Names otherRead;
  while (other.next() == FileError::none) otherRead.push_back(otherRow.name());
  EXPECT_EQ(otherRead, (Names{"ab", "b", "bb", "c"}));
  EXPECT_EQ(table.records(), 5u);
}

TEST_F(KeyedReadTest, SetOnTheFirstComponentIgnoresTheOthers) {
  // Flag is the key's second component: b/1 sorts after b/0.
  add("a", 1);
  add("b", 1, "one");
  add("b", 0, "zero");
  add("c", 0);
  struct Case {
    const char* name;
    std::string typed;
    int flag;
    std::string firstComponentOnly, wholeKey;
  };
  const Case cases[] = {
      {"the second component above the lowest", "b", 1, "b/zero", "b/one"},
      {"letter case ignored", "B", 1, "b/zero", "b/one"},
      {"between names", "ab", 1, "b/zero", "b/zero"},
      {"before every row", "", 1, "a", "a"},
      {"past every row", "z", 0, "33", "33"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableView view(table);
    view.setOrder(kByName);
    for (const bool wholeKey : {false, true}) {
      putName(c.typed, c.flag);
      wholeKey ? table.set(kByName) : table.setOnFirstComponent(kByName);
      const std::string declared = table.next() == FileError::none ? shown() : "33";
      putName(c.typed, c.flag);
      wholeKey ? view.setFromRecord() : view.setOnFirstComponent();
      const std::string viewed = view.next() == FileError::none ? shown() : "33";
      EXPECT_EQ(declared, wholeKey ? c.wholeKey : c.firstComponentOnly);
      EXPECT_EQ(viewed, declared);
    }
  }
}

TEST_F(KeyedReadTest, TheEstimatesFollowKeyValues) {
  TableView view(table);
  view.setOrder(kByName);
  EXPECT_TRUE(view.empty());
  view.setAtFraction(0.5);
  EXPECT_EQ(view.next(), FileError::recordNotAvailable);
  EXPECT_EQ(view.fractionOf(view.position()), 0);

  // AA, AB, ..., ZZ: evenly spread over their first letters, so the estimate is within
  // one first letter's share of the true place.
  Names names;
  for (char a = 'A'; a <= 'Z'; ++a) {
    for (char b = 'A'; b <= 'Z'; ++b) names.push_back(std::string{a, b});
  }
  addAll(names);
  EXPECT_FALSE(view.empty());
  view.toFirst();
  double last = -1;
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(view.next(), FileError::none);
    const double f = view.fractionOf(view.position());
    const double truth = static_cast<double>(i) / static_cast<double>(names.size() - 1);
    EXPECT_GE(f, last) << row.name();
    EXPECT_NEAR(f, truth, 1.0 / 26) << row.name();
    last = f;
  }
  EXPECT_EQ(last, 1.0);

  struct Case {
    double fraction;
    std::string next;
  };
  const Case ends[] = {{-1, "AA"}, {0, "AA"}, {1, "33"}, {2, "33"}};
  for (const Case& c : ends) {
    SCOPED_TRACE(c.fraction);
    view.setAtFraction(c.fraction);
    const FileError e = view.next();
    EXPECT_EQ(e == FileError::none ? shown() : "33", c.next);
  }
  for (const double f : {0.01, 0.25, 0.5, 0.75, 0.999}) {
    SCOPED_TRACE(f);
    view.setAtFraction(f);
    ASSERT_EQ(view.next(), FileError::none);
    const auto at = std::find(names.begin(), names.end(), row.name()) - names.begin();
    EXPECT_NEAR(static_cast<double>(at) / static_cast<double>(names.size()), f, 1.0 / 26);
    // The row read is the first whose estimate is at or after the fraction.
    EXPECT_GE(view.fractionOf(view.position()), f - 1e-9);
    ASSERT_EQ(view.previous(), FileError::none);
    EXPECT_LT(view.fractionOf(view.position()), f);
  }
  view.setAtFraction(1);
  ASSERT_EQ(view.previous(), FileError::none);
  EXPECT_EQ(shown(), "ZZ");
}

TEST_F(KeyedReadTest, AViewKeepsItsPlaceAcrossACloseAndOutlivesItsTable) {
  addAll({"a", "b", "c"});
  auto view = std::make_unique<TableView>(table);
  view->setOrder(kByName);
  ASSERT_EQ(view->next(), FileError::none);
  table.close();
  EXPECT_EQ(view->next(), FileError::recordNotAvailable);
  ASSERT_TRUE(table.open(kReadWriteDenyNone).ok());
  EXPECT_EQ(readOn([&] { return view->next(); }), (Names{"b", "c"}));

  auto gone = std::make_unique<KeyedTable>(testSpec(), kTestFile, &row);
  ASSERT_TRUE(gone->open(kReadWriteDenyNone).ok());
  TableView orphan(*gone);
  orphan.setOrder(kByName);
  ASSERT_EQ(orphan.next(), FileError::none);
  gone.reset();
  orphan.setOrder(kByName);
  orphan.toLast();
  orphan.setFromRecord();
  orphan.setOnFirstComponent();
  orphan.setAtFraction(0.5);
  orphan.restore({});
  EXPECT_EQ(orphan.next(), FileError::recordNotAvailable);
  EXPECT_EQ(orphan.previous(), FileError::recordNotAvailable);
  EXPECT_EQ(orphan.reget({}), FileError::recordNotAvailable);
  EXPECT_TRUE(orphan.empty());
  EXPECT_EQ(orphan.table(), nullptr);
}

/// The plan SQLite makes for a statement, its lines joined with "; ".
std::string planOf(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  std::string plan;
  if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &st, nullptr) !=
      SQLITE_OK) {
    return std::string("no plan: ") + sqlite3_errmsg(db);
  }
  while (sqlite3_step(st) == SQLITE_ROW) {
    plan += reinterpret_cast<const char*>(sqlite3_column_text(st, 3));
    plan += "; ";
  }
  sqlite3_finalize(st);
  return plan;
}

TEST_F(TwoKeyTest, EverySeekGoesThroughAnIndex) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("two.dat", &db), SQLITE_OK);
  const sqlite::TableSchema schema(twoKeySpec());
  struct Case {
    std::string what;
    std::string sql;
    std::string uses;
  };
  std::vector<Case> cases{{"by identity", schema.byIdentitySql(), "USING INTEGER PRIMARY KEY"}};
  for (std::size_t k = 0; k < 2; ++k) {
    const std::string index = k == 0 ? "rows_byname" : "rows_byinfo";
    cases.push_back(
        {"forward " + index, schema.scanAfterSql(k), "SEARCH rows USING INDEX " + index});
    cases.push_back(
        {"backward " + index, schema.scanBeforeSql(k), "SEARCH rows USING INDEX " + index});
    cases.push_back(
        {"first of " + index, schema.edgeSql(k, false), "USING COVERING INDEX " + index});
    cases.push_back({"last of " + index, schema.edgeSql(k, true), "USING COVERING INDEX " + index});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string plan = planOf(db, c.sql);
    EXPECT_NE(plan.find(c.uses), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("SCAN rows; "), std::string::npos) << "the whole table: " << plan;
    // A row-value range is sought on its first column alone: every row with an equal
    // first component would be stepped through.
    EXPECT_EQ(plan.find(")>("), std::string::npos) << plan;
    EXPECT_EQ(plan.find(")<("), std::string::npos) << plan;
  }
  sqlite3_close(db);
}

}  // namespace
}  // namespace vc::files
