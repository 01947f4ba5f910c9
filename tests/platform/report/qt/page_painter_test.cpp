#include "platform/report/qt/page_painter.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "report_qt_support.hpp"

namespace vc::report {
namespace {

constexpr double kPpi = 150;

/// A page with one text item in a box of `width`; drawn on white at kPpi.
QImage drawText(const std::string& text, int width, unsigned flags) {
  PageSet pages(8500, 11000, Orientation::portrait);
  BandLayout band;
  band.width = 8000;
  band.height = 400;
  ItemLayout item;
  item.kind = ReportControlKind::variableText;
  item.at = {0, 0, width, 200};
  item.font = pages.addFont({"Microsoft Sans Serif", 8, 400});
  if (flags & report_control_flag::fileName) {
    item.fit = TextFit::elideMiddle;
    item.encoding = TextEncoding::fileName;
  }
  band.items.push_back(item);
  const int id = pages.addLayout(band);
  pages.startPage(1);
  pages.place(id, 1000, 1000, {text});
  QImage image(static_cast<int>(8.5 * kPpi), static_cast<int>(11 * kPpi), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  qt::paintPage(painter, pages, pages.pages()[0], kPpi);
  painter.end();
  return image;
}

/// The leftmost and rightmost columns with ink, in thousandths of an inch.
std::pair<int, int> inkColumns(const QImage& image) {
  int left = -1, right = -1;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (qGray(image.pixel(x, y)) < 160) {
        if (left < 0) left = x;
        right = x;
        break;
      }
  return {static_cast<int>(left * 1000 / kPpi), static_cast<int>(right * 1000 / kPpi)};
}

TEST(PagePainterTest, AValueWiderThanItsBoxIsCondensedIntoIt) {
  testing::startApplication();
  const std::string wide(30, 'W');
  // Drawn in a box far wider than it needs, it shows how wide it really is.
  const auto [freeLeft, freeRight] = inkColumns(drawText(wide, 7000, 0));
  ASSERT_GT(freeRight - freeLeft, 1866) << "the value must be wider than the column";
  // In the first column's box, it ends within the box and still fills most of it.
  const auto [left, right] = inkColumns(drawText(wide, 1866, 0));
  EXPECT_GE(left, 1000 - 10);
  EXPECT_LE(right, 1000 + 1866 + 10);
  EXPECT_GE(right, 1000 + 1866 - 150);
}

TEST(PagePainterTest, AValueThatFitsIsDrawnAsItIs) {
  testing::startApplication();
  const auto narrow = inkColumns(drawText("CNT", 1866, 0));
  const auto free = inkColumns(drawText("CNT", 7000, 0));
  EXPECT_EQ(narrow, free);
}

TEST(PagePainterTest, AFileNameTooLongKeepsItsEndsOnOneLine) {
  testing::startApplication();
  PrintedItem item;
  item.encoding = TextEncoding::fileName;
  const std::string name = "/tmp/carpeta \xc3\xb1/MAIN.clw";  // the system spells names in UTF-8
  item.text = name;
  EXPECT_EQ(qt::itemText(item), QString::fromUtf8("/tmp/carpeta \u00f1/MAIN.clw"));
  item.encoding = TextEncoding::cp1252;
  const std::string cp1252 = "A\xf1o";
  item.text = cp1252;
  EXPECT_EQ(qt::itemText(item), QString::fromUtf8("A\u00f1o"));

  const std::string longName = "/" + std::string(400, 'x') + "/MAIN.clw";
  const auto [left, right] = inkColumns(drawText(longName, 3000, report_control_flag::fileName));
  EXPECT_LE(right, 1000 + 3000 + 10);
  EXPECT_GE(right, 1000 + 3000 - 400);
}

}  // namespace
}  // namespace vc::report
