#include "platform/report/qt/print_job.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "platform/report/report_instance.hpp"
#include "platform/report/sample_report.hpp"
#include "report_qt_support.hpp"
#include "support/temp_folder.hpp"

namespace vc::report {
namespace {

namespace sample = testing::sample;

class PrintJobTest : public ::testing::Test {
 protected:
  PrintJobTest() { testing::startApplication(); }

  PageSet layOut(int rows) {
    ReportInstance report(structure, vars.bindings());
    report.open();
    report.setText(sample::DATE_STAMP, "12/10/26");
    report.setText(sample::TIME_STAMP, "02:05 PM");
    for (int i = 0; i < rows; ++i) {
      vars.row("VAR" + std::to_string(i), "MOD" + std::to_string(i % 3), "LONG", "EXTERNAL");
      report.print(sample::DETAIL);
    }
    return report.close();
  }

  vc::testing::TempFolder folder;
  ReportSpec structure = testing::sampleReport();
  testing::SampleVariables vars;
};

int pdfPages(const std::string& path) {
  const std::string info = testing::commandOutput("pdfinfo '" + path + "' 2>&1");
  std::smatch m;
  return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

TEST_F(PrintJobTest, APdfHoldsTheHeaderEveryRowAndThePageNumbers) {
  vars.fileName = (folder.path() / "app" / "MAIN.clw").string();
  const PageSet pages = layOut(50);
  const std::string path = (folder.path() / "report.pdf").string();
  const PrintResult result =
      qt::printPages(pages, {1, 2}, "resumen Report", {PrintTarget::Kind::pdfFile, path});
  ASSERT_EQ(result.outcome, PrintResult::Outcome::done) << result.reason;
  EXPECT_EQ(pdfPages(path), 2);

  const std::string text = testing::pdfText(path);
  EXPECT_NE(text.find("Informe de Diferencias :"), std::string::npos) << text;
  const std::string fileName(vars.fileName.clipped());
  EXPECT_TRUE(std::regex_search(text, std::regex("Archivo 1:\\s+" + fileName))) << text;
  for (const char* heading : {"Variable", "Modulo", "Tipo", "Modo"})
    EXPECT_NE(text.find(heading), std::string::npos) << heading;
  for (int i = 0; i < 50; ++i) {
    SCOPED_TRACE(i);
    const std::regex row("VAR" + std::to_string(i) + "\\s+MOD" + std::to_string(i % 3) +
                         "\\s+LONG\\s+EXTERNAL");
    EXPECT_TRUE(std::regex_search(text, row));
  }
  EXPECT_TRUE(std::regex_search(text, std::regex("Date:\\s+12/10/26\\s+Time:\\s+02:05 PM")));
  EXPECT_TRUE(std::regex_search(text, std::regex("Page\\s+1\\b")));
  EXPECT_TRUE(std::regex_search(text, std::regex("Page\\s+2\\b")));
}

TEST_F(PrintJobTest, LongValuesAreCondensedNotCutAndLongFileNamesLoseTheirMiddle) {
  std::string longName = "/";
  for (int i = 0; i < 7; ++i) longName += "a-rather-long-folder-" + std::to_string(i) + "/";
  longName += "MAIN.clw";
  ASSERT_LT(longName.size(), 200u);  // it fits the variable; only the box is too narrow
  vars.fileName = longName;
  ReportInstance report(structure, vars.bindings());
  report.open();
  // Two names that differ only at the end, in capitals: wider than their column.
  const std::string first = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWW1";
  const std::string second = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWW2";
  for (const std::string& n : {first, second}) {
    vars.row(n, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", "TYPE", "MODE");
    report.print(sample::DETAIL);
  }
  const PageSet pages = report.close();
  const std::string path = (folder.path() / "long.pdf").string();
  ASSERT_EQ(qt::printPages(pages, {1, 1}, "job", {PrintTarget::Kind::pdfFile, path}).outcome,
            PrintResult::Outcome::done);
  const std::string text = testing::pdfText(path);
  for (const std::string& n : {first, second})
    EXPECT_TRUE(std::regex_search(text, std::regex(n + "\\s+M{30}\\s+TYPE\\s+MODE"))) << text;
  // One line: the start of the name, an ellipsis, and its end.
  EXPECT_TRUE(std::regex_search(text, std::regex("Archivo 1:\\s+/a-rather-long-folder-0/[^\n]*"
                                                 "\xE2\x80\xA6[^\n]*MAIN\\.clw")))
      << text;
}

TEST_F(PrintJobTest, AFileThatCannotBeWrittenIsAFailureWithItsReason) {
  const PageSet pages = layOut(1);
  const std::string missingFolder = (folder.path() / "no such folder" / "x.pdf").string();
  const std::string aFolder = folder.path().string();
  for (const std::string& path : {missingFolder, aFolder, std::string()}) {
    SCOPED_TRACE(path);
    const PrintResult r = qt::printPages(pages, {1, 1}, "job", {PrintTarget::Kind::pdfFile, path});
    EXPECT_EQ(r.outcome, PrintResult::Outcome::failed);
    EXPECT_FALSE(r.reason.empty());
    if (!path.empty()) {
      EXPECT_NE(r.reason.find(path), std::string::npos) << r.reason;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(missingFolder));
}

TEST_F(PrintJobTest, AnExistingFileIsReplacedWhole) {
  const std::string path = (folder.path() / "old.pdf").string();
  vc::testing::TempFolder::write(path, "not a pdf");
  const PageSet pages = layOut(90);
  ASSERT_EQ(qt::printPages(pages, {2, 3}, "job", {PrintTarget::Kind::pdfFile, path}).outcome,
            PrintResult::Outcome::done);
  EXPECT_EQ(pdfPages(path), 2);
  EXPECT_TRUE(std::regex_search(testing::pdfText(path), std::regex("Page\\s+3\\b")));
}

TEST_F(PrintJobTest, AMissingPrinterIsAFailure) {
  const PageSet pages = layOut(1);
  const PrintResult r =
      qt::printPages(pages, {1, 1}, "job", {PrintTarget::Kind::printer, "no printer of this name"});
  EXPECT_EQ(r.outcome, PrintResult::Outcome::failed);
  EXPECT_NE(r.reason.find("no printer of this name"), std::string::npos) << r.reason;
}

TEST_F(PrintJobTest, NoPagesToPrintIsAFailure) {
  const PageSet pages = layOut(1);
  const std::string path = (folder.path() / "x.pdf").string();
  for (PageRange range : {PageRange{1, 0}, PageRange{5, 6}}) {
    EXPECT_EQ(qt::printPages(pages, range, "job", {PrintTarget::Kind::pdfFile, path}).outcome,
              PrintResult::Outcome::failed);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace vc::report
