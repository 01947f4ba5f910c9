#include "platform/browse/browse.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/browse/table_view_source.hpp"
#include "platform/files/keyed_table.hpp"
#include "platform/files/table_view.hpp"
#include "platform/text/fixed_text.hpp"
#include "platform/ui/binding.hpp"
#include "platform/ui/scripted/scripted_engine.hpp"
#include "platform/ui/window_controller.hpp"
#include "support/temp_folder.hpp"

namespace vc::browse {
namespace {

using vc::files::FieldKind;
using vc::files::FileError;
using vc::files::KeyedTable;
using vc::testing::TempFolder;
using vc::ui::Window;
using Step = vc::ui::ScrollRequest::Step;

struct Record {
  char NAME[8];
  char CODE[8];
};

const vc::files::TableSpec& def() {
  static const vc::files::TableSpec layout{
      "rows",
      sizeof(Record),
      {{"NAME", 0, 8, FieldKind::text}, {"CODE", 8, 8, FieldKind::text}},
      {{"byname", {0, 1}}, {"bycode", {1, 0}}}};
  return layout;
}

struct Entry {
  vc::text::FixedText<8> NAME;
  vc::text::FixedText<8> CODE;
  vc::text::FixedText<1024> POSITION;
};

class Rows : public vc::ui::Binding {
 public:
  Entry entry;
  RowStore store{&entry, sizeof entry, entry.POSITION.data(), entry.POSITION.size()};
  std::size_t rowCount() const override { return store.size(); }
  vc::ui::CellValue cell(std::size_t row, std::size_t field) const override {
    Entry e;
    std::memcpy(static_cast<void*>(&e), store.row(row).data(), sizeof e);
    return std::string(vc::text::clip(field == 0 ? e.NAME.view() : e.CODE.view()));
  }
};

// Ten lines a page.
const vc::ui::WindowSpec& listWindow() {
  static const vc::ui::WindowSpec w = [] {
    vc::ui::WindowSpec s;
    s.name = "W";
    s.title = "Rows";
    s.at = {std::nullopt, std::nullopt, 200, 150};
    s.controls = {{1,
                   "LIST",
                   vc::ui::ControlKind::list,
                   {0, 0, 200, 110},
                   "",
                   {},
                   0,
                   "40L~Name~@s8@40L~Code~@s8@"},
                  {2, "OK", vc::ui::ControlKind::button, {0, 120, 40, 12}, "Ok"}};
    return s;
  }();
  return w;
}

class Controller : public vc::ui::WindowController {
 public:
  using WindowController::WindowController;
  std::function<void()> afterOpen;
  vc::ui::Answer prepare() override {
    const vc::ui::Answer a = WindowController::prepare();
    openWindow();
    if (afterOpen) afterOpen();
    armKeys();
    return a;
  }
  vc::ui::Answer onAccepted() override {
    WindowController::onAccepted();
    return event().control == 2 ? vc::ui::Answer::endWindow : vc::ui::Answer::proceed;
  }
};

// Order 1 by name, order 2 by code, as `order` says at each reset.
class TestBrowse : public Browse {
 public:
  using Browse::Browse;
  std::size_t order = 1;
  SortChange chooseSortOrder(bool force) override { return setSortOrder(order, force); }
};

// Names of `count` rows from `first` on.
std::vector<std::string> consecutive(const std::string& first, int count) {
  std::vector<std::string> out;
  char n[9];
  const int from = std::stoi(first.substr(1));
  for (int i = 0; i < count; ++i) {
    std::snprintf(n, sizeof n, "R%06d", from + i);
    out.push_back(n);
  }
  return out;
}

class BrowseTest : public ::testing::Test {
 protected:
  BrowseTest() {
    engine.registerControlKind(vc::ui::ControlKind::list);
    engine.registerControlKind(vc::ui::ControlKind::button);
    (void)table.create();
    EXPECT_TRUE(table.open(vc::files::kReadWriteDenyNone).ok());
  }

  void add(const std::string& name, const std::string& code) {
    std::memset(&record, ' ', sizeof record);
    std::memcpy(record.NAME, name.data(), std::min<std::size_t>(name.size(), 8));
    std::memcpy(record.CODE, code.data(), std::min<std::size_t>(code.size(), 8));
    ASSERT_EQ(table.add(), FileError::none);
  }
  // n rows: name Rnnnnnn, code the other way round.
  void addMany(int n) {
    ASSERT_TRUE(table.stream().ok());
    char name[16], code[16];
    for (int i = 0; i < n; ++i) {
      std::snprintf(name, sizeof name, "R%06d", i);
      std::snprintf(code, sizeof code, "C%06d", n - 1 - i);
      add(name, code);
    }
    ASSERT_TRUE(table.flush().ok());
  }
  // Deletes the row named `name` through another opening of the file, as another
  // process would.
  void deleteElsewhere(const std::string& name) {
    Record other{};
    KeyedTable peer(def(), "rows.dat", &other);
    ASSERT_TRUE(peer.open(vc::files::kReadWriteDenyNone).ok());
    std::memset(&other, ' ', sizeof other);
    std::memcpy(other.NAME, name.data(), name.size());
    peer.set(vc::files::KeyId{0});
    ASSERT_EQ(peer.next(), FileError::none);
    ASSERT_EQ(std::string(other.NAME, name.size()), name);
    ASSERT_EQ(peer.deleteCurrent(), FileError::none);
  }

  // Runs the window; `browse` is set while it runs.
  void run() {
    Window window(listWindow(), engine);
    Rows rows;
    window.bind(1, &rows);
    Controller controller(window);
    vc::files::TableView view(table);
    TableViewSource source(view);
    TestBrowse b(controller, 1, rows.store, source);
    StepLocator locator(record.NAME, sizeof record.NAME);
    controller.afterOpen = [&] {
      b.addSortOrder(0, &locator);
      b.addSortOrder(1, nullptr);
      b.addField(record.NAME, 8, rows.entry.NAME.data());
      b.addField(record.CODE, 8, rows.entry.CODE.data());
    };
    browse = &b;
    controller.execute();
    browse = nullptr;
    EXPECT_TRUE(engine.scriptDone());
  }

  static std::vector<std::string> names(Window& w) {
    std::vector<std::string> out;
    const auto* b = w.control(1).binding;
    for (std::size_t r = 0; r < b->rowCount(); ++r)
      out.push_back(std::get<std::string>(b->cell(r, 0)));
    return out;
  }
  static std::string selected(Window& w) {
    const int line = w.control(1).list().selectedRow;
    return line == 0 ? "" : names(w).at(static_cast<std::size_t>(line) - 1);
  }
  std::string inBuffer() const {
    std::string n(record.NAME, 8);
    return n.substr(0, n.find_last_not_of(' ') + 1);
  }

  TempFolder folder;
  vc::ui::ScriptedEngine engine;
  Record record{};
  KeyedTable table{def(), "rows.dat", &record};
  TestBrowse* browse = nullptr;
};

// Each step over a large table reads a page or two around where it goes, whatever the
// table holds: rows read counted, no clock.
TEST_F(BrowseTest, LargeTableIsReadAPageOrTwoAtATime) {
  addMany(100000);
  struct Case {
    const char* name;
    std::function<void(vc::ui::ScriptedEngine&)> act;
    std::string selected;
  };
  std::size_t before = 0;
  const auto mark = [&](Window&) { before = browse->rowsRead(); };
  const auto check = [&](const char* name, std::size_t most, std::string expected) {
    return [this, &before, name, most, expected](Window& w) {
      SCOPED_TRACE(name);
      EXPECT_LE(browse->rowsRead() - before, most);
      EXPECT_EQ(names(w).size(), 10u);
      if (!expected.empty()) {
        EXPECT_EQ(selected(w), expected);
      }
    };
  };
  engine.inspect(check("open", 20, "R000000"))
      .inspect(mark)
      .scroll("LIST", Step::pageDown)
      .inspect(check("page down", 20, "R000010"))
      .inspect(mark)
      .scroll("LIST", Step::last)
      .inspect(check("end", 20, "R099999"))
      .inspect(mark)
      .scroll("LIST", Step::pageUp)
      .inspect(check("page up", 20, "R099989"))
      .inspect(mark)
      .inspect([this](Window&) {
        browse->order = 2;
        browse->reset(/*force=*/false);
      })
      .inspect(check("order change", 30, "R099989"))
      .inspect([this](Window&) {
        browse->order = 1;
        browse->reset(/*force=*/false);
      })
      .inspect(mark)
      .setThumb("LIST", 50)
      .inspect(check("thumb", 30, ""))
      .inspect(mark)
      .typeKey('r')
      .inspect(check("locator", 30, ""))
      .inspect(mark)
      .inspect([this](Window&) { browse->refill(); })
      .inspect(check("refill", 30, ""))
      .inspect(mark)
      .scroll("LIST", Step::first)
      .scroll("LIST", Step::lineUp)
      .inspect(check("home and up", 30, "R000000"))
      .press("OK");
  run();
}

TEST_F(BrowseTest, RefillFromAGoneFirstLineFillsUpToAFullPage) {
  addMany(30);
  engine.scroll("LIST", Step::last)
      .scroll("LIST", Step::lineUp)
      .scroll("LIST", Step::lineUp)
      .inspect([this](Window& w) {
        EXPECT_EQ(names(w), consecutive("R000020", 10));
        EXPECT_EQ(selected(w), "R000027");
        // All from the first line on is gone but for three rows.
        for (int i = 20; i < 27; ++i) {
          char n[9];
          std::snprintf(n, sizeof n, "R%06d", i);
          deleteElsewhere(n);
        }
        browse->refill();
        std::vector<std::string> expected = consecutive("R000013", 7);
        for (const char* n : {"R000027", "R000028", "R000029"}) expected.push_back(n);
        EXPECT_EQ(names(w), expected);
        EXPECT_EQ(selected(w), "R000027");  // shown again, so still selected
        EXPECT_EQ(inBuffer(), "R000027");
        // The selected row gone too: the first row shown.
        deleteElsewhere("R000027");
        browse->refill();
        EXPECT_EQ(names(w).size(), 10u);
        EXPECT_EQ(selected(w), "R000012");
      })
      .press("OK");
  run();
}

TEST_F(BrowseTest, RowDeletedElsewhereGoesOnFromItsPlace) {
  addMany(30);
  engine.clickRow("LIST", 4)
      .inspect([this](Window& w) {
        EXPECT_EQ(selected(w), "R000003");
        deleteElsewhere("R000003");
        // The update keeps what the list showed of it.
        browse->update();
        EXPECT_EQ(inBuffer(), "R000003");
        // A re-sort finds its place in the other order: the row after it there.
        browse->order = 2;
        browse->reset(/*force=*/false);
        EXPECT_EQ(selected(w), "R000002");  // codes run the other way
        EXPECT_EQ(names(w).size(), 10u);
        browse->order = 1;
        browse->reset(/*force=*/false);
        EXPECT_EQ(selected(w), "R000002");
      })
      .press("OK");
  run();
}

TEST_F(BrowseTest, UnforcedResetChangingNothingLeavesTheList) {
  addMany(30);
  engine.scroll("LIST", Step::pageDown)
      .clickRow("LIST", 3)
      .inspect([this](Window& w) {
        const std::size_t read = browse->rowsRead();
        browse->reset(/*force=*/false);
        EXPECT_EQ(browse->rowsRead(), read);
        EXPECT_EQ(names(w), consecutive("R000010", 10));
        EXPECT_EQ(selected(w), "R000012");
        // Forced, the list is read again around the same row.
        browse->reset(/*force=*/true);
        EXPECT_GT(browse->rowsRead(), read);
        EXPECT_EQ(selected(w), "R000012");
        EXPECT_EQ(w.control(1).list().selectedRow, 3);
      })
      .press("OK");
  run();
}

TEST_F(BrowseTest, EmptyListFillsFromTheFirstRowOfANewOrder) {
  engine
      .inspect([this](Window& w) {
        EXPECT_TRUE(names(w).empty());
        add("B", "2");
        add("A", "3");
        browse->order = 2;
        browse->reset(/*force=*/false);
        EXPECT_EQ(names(w), (std::vector<std::string>{"B", "A"}));
        EXPECT_EQ(selected(w), "B");
      })
      .press("OK");
  run();
}

}  // namespace
}  // namespace vc::browse
