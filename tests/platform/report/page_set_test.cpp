#include "platform/report/page_set.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vc::report {
namespace {

TEST(PageSetTest, KeepsEveryTextOfABandWhateverItsLengthOrBytes) {
  PageSet pages(8500, 11000, Orientation::portrait);
  BandLayout layout;
  layout.width = 8000;
  layout.height = 225;
  for (int i = 0; i < 4; ++i) {
    ItemLayout item;
    item.control = i + 1;
    item.at = {100 * i, 10, 50, 20};
    item.font = pages.addFont({"Arial", 8, 400});
    layout.items.push_back(item);
  }
  const int id = pages.addLayout(layout);
  pages.startPage(1);
  const std::string empty;
  const std::string binary("a\0b\xff", 4);
  const std::string long1(127, 'x');
  const std::string long2(70000, 'y');
  pages.place(id, 250, 1192, {empty, binary, long1, long2});
  pages.place(id, 250, 1417, {"only one"});  // the rest are empty

  const Page& page = pages.pages().at(0);
  ASSERT_EQ(page.bands().size(), 2u);
  const auto first = pages.items(page, page.bands()[0]);
  ASSERT_EQ(first.size(), 4u);
  EXPECT_EQ(first[0].text, empty);
  EXPECT_EQ(first[1].text, binary);
  EXPECT_EQ(first[2].text, long1);
  EXPECT_EQ(first[3].text, long2);
  EXPECT_EQ(first[3].at, (PaperRect{250 + 300, 1192 + 10, 50, 20}));
  EXPECT_EQ(first[3].font->face, "Arial");
  const auto second = pages.items(page, page.bands()[1]);
  EXPECT_EQ(second[0].text, "only one");
  EXPECT_EQ(second[3].text, "");
  EXPECT_EQ(pages.at(page.bands()[1]), (PaperRect{250, 1417, 8000, 225}));
}

TEST(PageSetTest, APlacedBandNeedsAPage) {
  PageSet pages(8500, 11000, Orientation::portrait);
  const int id = pages.addLayout({});
  EXPECT_THROW(pages.place(id, 0, 0, {}), std::logic_error);
}

}  // namespace
}  // namespace vc::report
