#include "platform/report/report_instance.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "sample_report.hpp"

namespace vc::report {
namespace {

using testing::sampleReport;
using testing::SampleVariables;
namespace sample = testing::sample;

/// One page's bands as "kind:number" in drawing order.
std::vector<std::string> bandOrder(const PageSet& pages, const Page& page) {
  static const char* names[] = {"form", "header", "detail", "footer"};
  std::vector<std::string> order;
  for (const PrintedBand& b : page.bands()) order.push_back(names[static_cast<int>(pages.kind(b))]);
  return order;
}

/// The item of control `control` in the page's band `band` (from 0).
PrintedItem itemOf(const PageSet& pages, const Page& page, std::size_t band, int control) {
  for (const PrintedItem& item : pages.items(page, page.bands().at(band)))
    if (item.control == control) return item;
  ADD_FAILURE() << "no control " << control << " in band " << band;
  return {};
}

const PrintedBand& footerOf(const PageSet& pages, const Page& page) {
  const PrintedBand& last = page.bands().back();
  EXPECT_EQ(pages.kind(last), BandKind::footer);
  return last;
}

std::string pageNumberText(const PageSet& pages, const Page& page) {
  return std::string(itemOf(pages, page, page.bands().size() - 1, sample::PAGE).text);
}

class ReportInstanceTest : public ::testing::Test {
 protected:
  PageSet printRows(int rows) {
    ReportInstance report(structure, vars.bindings());
    report.open();
    for (int i = 0; i < rows; ++i) {
      vars.row("ROW" + std::to_string(i), "M1", "LONG", "");
      EXPECT_EQ(report.print(sample::DETAIL), PrintAnswer::printed);
    }
    return report.close();
  }
  ReportSpec structure = sampleReport();
  SampleVariables vars;
};

TEST_F(ReportInstanceTest, FortyOneRowsFillAPageAndTheNextRowStartsAnother) {
  struct Case {
    int rows;
    int pages;
    int rowsOnLastPage;
  };
  for (const Case& c :
       {Case{1, 1, 1}, Case{41, 1, 41}, Case{42, 2, 1}, Case{82, 2, 41}, Case{83, 3, 1}}) {
    SCOPED_TRACE(std::to_string(c.rows) + " rows");
    const PageSet pages = printRows(c.rows);
    ASSERT_EQ(pages.pageCount(), c.pages);
    for (const Page& page : pages.pages()) {
      const bool last = page.number() == c.pages;
      std::vector<std::string> expected = {"form", "header"};
      expected.insert(expected.end(), last ? c.rowsOnLastPage : 41, "detail");
      expected.push_back("footer");
      EXPECT_EQ(bandOrder(pages, page), expected) << "page " << page.number();
    }
  }
}

TEST_F(ReportInstanceTest, NoRowsPrintedGiveNoPages) {
  EXPECT_TRUE(printRows(0).empty());
}

TEST_F(ReportInstanceTest, RowsGoDownTheDetailAreaWithTheirRuleAndColumns) {
  const PageSet pages = printRows(42);
  const Page& first = pages.pages()[0];
  for (int k = 0; k < 41; ++k) {
    SCOPED_TRACE("row " + std::to_string(k));
    const std::size_t band = 2 + static_cast<std::size_t>(k);
    const PrintedItem name = itemOf(pages, first, band, sample::NAME);
    EXPECT_EQ(name.at.y, 1242 + 225 * k);
    EXPECT_EQ(name.text, "ROW" + std::to_string(k));
    const PrintedItem rule = itemOf(pages, first, band, sample::LINE);
    EXPECT_EQ(rule.kind, ReportControlKind::line);
    EXPECT_EQ(rule.at.x, 367);
    EXPECT_EQ(rule.at.x + rule.at.width, 8092);
    EXPECT_EQ(rule.at.y, 1192 + 225 * k + 8);
    EXPECT_EQ(rule.at.height, 0);
  }
  // The second page starts again at the top of the detail area.
  EXPECT_EQ(itemOf(pages, pages.pages()[1], 2, sample::NAME).at.y, 1242);
}

TEST_F(ReportInstanceTest, AWidthFromThePictureIsTheRoomToTheNextColumn) {
  const PageSet pages = printRows(1);
  const Page& page = pages.pages()[0];
  struct Case {
    int control;
    int x;
    int width;
  };
  for (const Case& c : {Case{sample::NAME, 367, 1866}, Case{sample::MODULE, 2233, 2050},
                        Case{sample::TYPE, 4283, 1984}, Case{sample::MODE, 6267, 1983}}) {
    SCOPED_TRACE(c.control);
    const PrintedItem item = itemOf(pages, page, 2, c.control);
    EXPECT_EQ(item.at.x, c.x);
    EXPECT_EQ(item.at.width, c.width);
    EXPECT_GT(item.at.height, 0);
    // Too wide a value is condensed into that room when drawn, never cut.
    EXPECT_EQ(item.fit, TextFit::condense);
    EXPECT_EQ(item.font->face, "Microsoft Sans Serif");
    EXPECT_EQ(item.font->points, 8);
  }
}

TEST_F(ReportInstanceTest, ValuesPrintWholeToThirtyCharactersWithoutTheirPadding) {
  ReportInstance report(structure, vars.bindings());
  report.open();
  const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  vars.row(thirty, "  lead", "", "x");
  report.print(sample::DETAIL);
  const PageSet pages = report.close();
  const Page& page = pages.pages()[0];
  EXPECT_EQ(itemOf(pages, page, 2, sample::NAME).text, thirty);
  EXPECT_EQ(itemOf(pages, page, 2, sample::MODULE).text, "  lead");
  EXPECT_EQ(itemOf(pages, page, 2, sample::TYPE).text, "");
  EXPECT_EQ(itemOf(pages, page, 2, sample::MODE).text, "x");
}

TEST_F(ReportInstanceTest, TheHeaderShowsTheFileNameElidedInTheMiddle) {
  vars.fileName = "/home/someone/projects/a long folder name/MAIN.clw";
  const PageSet pages = printRows(1);
  const PrintedItem box = itemOf(pages, pages.pages()[0], 1, sample::FILE_BOX);
  EXPECT_EQ(box.text, "/home/someone/projects/a long folder name/MAIN.clw");
  EXPECT_EQ(box.fit, TextFit::elideMiddle);
  EXPECT_EQ(box.encoding, TextEncoding::fileName);
  EXPECT_TRUE(box.transparent);
  EXPECT_EQ(box.at, (PaperRect{250 + 875, 250 + 275, 6742, 192}));
  const PrintedItem title = itemOf(pages, pages.pages()[0], 1, sample::TITLE);
  EXPECT_EQ(title.text, "Informe de Diferencias :");
  EXPECT_EQ(title.at.y, 242);
  EXPECT_EQ(title.font->points, 12);
  EXPECT_FALSE(title.transparent);
}

TEST_F(ReportInstanceTest, EveryFooterShowsItsPageNumberThroughThePattern) {
  // A detail area one row high: one page per row.
  structure.detailArea.height = 225;
  const PageSet pages = printRows(1000);
  ASSERT_EQ(pages.pageCount(), 1000);
  struct Case {
    int page;
    const char* text;
  };
  for (const Case& c : {Case{1, "Page   1"}, Case{2, "Page   2"}, Case{12, "Page  12"},
                        Case{123, "Page 123"}, Case{1000, "Page 1000"}}) {
    const Page& page = pages.pages()[static_cast<std::size_t>(c.page - 1)];
    EXPECT_EQ(page.number(), c.page);
    EXPECT_EQ(pageNumberText(pages, page), c.text);
    EXPECT_EQ(pages.at(footerOf(pages, page)), (PaperRect{250, 10500, 8000, 250}));
  }
}

TEST_F(ReportInstanceTest, StampsSetOnceShowOnEveryPage) {
  ReportInstance report(structure, vars.bindings());
  report.open();
  EXPECT_EQ(report.setText(sample::DATE_STAMP, "12/10/26"), SetTextAnswer::set);
  EXPECT_EQ(report.setText(sample::TIME_STAMP, "02:05 PM"), SetTextAnswer::set);
  for (int i = 0; i < 83; ++i) report.print(sample::DETAIL);
  const PageSet pages = report.close();
  ASSERT_EQ(pages.pageCount(), 3);
  for (const Page& page : pages.pages()) {
    const std::size_t footer = page.bands().size() - 1;
    EXPECT_EQ(itemOf(pages, page, footer, sample::DATE_STAMP).text, "12/10/26");
    EXPECT_EQ(itemOf(pages, page, footer, sample::TIME_STAMP).text, "02:05 PM");
  }
  // Only texts of the structure can be replaced.
  EXPECT_EQ(report.setText(sample::NAME, "x"), SetTextAnswer::noTextControl);
  EXPECT_EQ(report.setText(999, "x"), SetTextAnswer::noTextControl);
}

TEST_F(ReportInstanceTest, EndingAPageStartsTheNextRowOnANewOne) {
  ReportInstance report(structure, vars.bindings());
  report.open();
  report.print(sample::DETAIL);
  report.endPage();
  report.endPage();  // no page open: nothing happens
  report.print(sample::DETAIL);
  const PageSet pages = report.close();
  ASSERT_EQ(pages.pageCount(), 2);
  EXPECT_EQ(bandOrder(pages, pages.pages()[0]),
            (std::vector<std::string>{"form", "header", "detail", "footer"}));
  EXPECT_EQ(pageNumberText(pages, pages.pages()[1]), "Page   2");
}

TEST_F(ReportInstanceTest, WrongUseIsAnsweredNotCrashed) {
  ReportInstance report(structure, vars.bindings());
  EXPECT_EQ(report.print(sample::DETAIL), PrintAnswer::notOpen);
  report.open();
  EXPECT_EQ(report.print(sample::HEADER), PrintAnswer::notADetailBand);
  EXPECT_EQ(report.print(999), PrintAnswer::notADetailBand);
  EXPECT_EQ(report.pageCount(), 0);
  EXPECT_TRUE(report.close().empty());
  EXPECT_TRUE(report.close().empty());  // closed already
  // Opening again starts afresh.
  report.open();
  report.print(sample::DETAIL);
  EXPECT_EQ(report.close().pageCount(), 1);
}

TEST_F(ReportInstanceTest, ABandTallerThanTheDetailAreaTakesAPageOfItsOwn) {
  structure.detailArea.height = 100;
  const PageSet pages = printRows(3);
  EXPECT_EQ(pages.pageCount(), 3);
}

TEST_F(ReportInstanceTest, AControlWhoseVariableIsNotBoundIsRefused) {
  std::vector<ReportVariable> bindings = vars.bindings();
  bindings.pop_back();
  EXPECT_THROW(ReportInstance(structure, bindings), std::invalid_argument);
}

TEST_F(ReportInstanceTest, ALandscapeReportTurnsThePage) {
  structure.orientation = Orientation::landscape;
  const PageSet pages = printRows(1);
  EXPECT_EQ(pages.pageWidth(), 11000);
  EXPECT_EQ(pages.pageHeight(), 8500);
}

}  // namespace
}  // namespace vc::report
