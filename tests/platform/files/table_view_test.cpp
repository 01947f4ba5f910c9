#include "platform/files/table_view.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

#include "keyed_test_table.hpp"
#include "platform/files/keyed_table.hpp"
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
  /// Reads with `step` until 33; the rows read.
  template <class Step>
  std::vector<std::string> readOn(Step step, int limit = 100) {
    std::vector<std::string> out;
    while (limit-- > 0 && step() == FileError::none) out.push_back(shown());
    return out;
  }
  void putName(const std::string& name, int flag = 0) { row.set(name, flag); }

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

}  // namespace
}  // namespace vc::files
