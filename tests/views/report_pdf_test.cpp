// The differences report printed by the program on the Qt engine (offscreen) to a PDF
// file, read back with pdftotext. The preview is answered by a subclass of the Qt output,
// since an offscreen preview has no user to press Print.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "frame/program.hpp"
#include "globals/globals.hpp"
#include "platform/report/qt/qt_output.hpp"
#include "platform/ui/qt/qt_engine.hpp"
#include "store/store.hpp"
#include "support/temp_folder.hpp"
#include "views/procedure_frame.hpp"
#include "views/report_procedure.hpp"

namespace vc::views {
namespace {

class PrintingToPdf : public report::qt::QtOutput {
 public:
  explicit PrintingToPdf(std::string path) : path_(std::move(path)) {}
  report::PreviewAnswer preview(const report::PageSet& pages, const std::string&,
                                const report::PreviewOptions&) override {
    ++previews;
    pageCount = pages.pageCount();
    report::PreviewAnswer answer;
    answer.choice = report::PreviewAnswer::Choice::print;
    answer.target = {report::PrintTarget::Kind::pdfFile, path_};
    return answer;
  }
  int previews = 0;
  int pageCount = 0;

 private:
  std::string path_;
};

std::string commandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

class ReportPdfTest : public ::testing::Test {
 protected:
  ReportPdfTest() {
    globals::windowEngine = &engine;
    frame::threadAttachFiles();
    frame::processStartup();
    globals::errorManager->setPresenter(&engine);
    globals::errorManager->setHalt([](int status) { throw errors::ProgramHalted{status}; });
    frame::threadStartup();
    registerProcedureControls();
    globals::errorManager->bindErrorStatus(&globals::currentThreadErrorStatus);
    store::openFileAccess();
  }
  ~ReportPdfTest() override {
    globals::reportOutput = nullptr;
    closeProcedureViews();
    frame::threadShutdown();
    frame::processShutdown();
    globals::windowEngine = nullptr;
  }

  void fill(int rows) {
    (void)store::resumenRelation->open();
    for (int i = 0; i < rows; ++i) {
      store::clear(store::RES);
      store::RES.NOMBRE = "GLO:VAR" + std::to_string(100 + i);
      store::RES.MODULO = i % 2 ? "VENTAS" : "COMPRAS";
      store::RES.TIPO = i % 2 ? "LONG" : "STRING(20)";
      store::RES.MODO = "EXTERNAL";
      ASSERT_EQ(store::resumen().add(), files::FileError::none);
    }
    store::resumenRelation->close();
  }

  vc::testing::TempFolder folder;
  ui::QtEngine engine;
};

TEST_F(ReportPdfTest, TheProgramPrintsTheReportToAPdfFile) {
  const std::string pdf = (folder.path() / "informe.pdf").string();
  const std::string source = (folder.path() / "MAIN.clw").string();
  globals::NOMBREARCHIVO1 = source;
  PrintingToPdf output(pdf);
  globals::reportOutput = &output;
  fill(45);
  reporte();
  ASSERT_EQ(output.previews, 1);
  EXPECT_EQ(output.pageCount, 2);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = commandOutput("pdftotext -layout '" + pdf + "' - 2>&1");
  EXPECT_NE(text.find("Informe de Diferencias :"), std::string::npos) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("Archivo 1:\\s+" + source))) << text;
  for (int i = 0; i < 45; ++i) {
    SCOPED_TRACE(i);
    const std::string row = "GLO:VAR" + std::to_string(100 + i) + "\\s+" +
                            (i % 2 ? "VENTAS\\s+LONG" : "COMPRAS\\s+STRING\\(20\\)") +
                            "\\s+EXTERNAL";
    EXPECT_TRUE(std::regex_search(text, std::regex(row)));
  }
  EXPECT_TRUE(std::regex_search(text, std::regex("Page\\s+1\\b"))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("Page\\s+2\\b"))) << text;
}

}  // namespace
}  // namespace vc::views
