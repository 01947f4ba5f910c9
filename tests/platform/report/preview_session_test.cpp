#include "platform/report/preview_session.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/report/report_instance.hpp"
#include "platform/report/scripted/scripted_output.hpp"
#include "sample_report.hpp"

namespace vc::report {
namespace {

namespace sample = testing::sample;

/// Records the boxes the session shows.
class Boxes : public errors::MessagePresenter {
 public:
  int showMessage(const errors::MessageRequest& request) override {
    shown.push_back(request.caption + ": " + request.text);
    return 1;
  }
  std::vector<std::string> shown;
};

class PreviewSessionTest : public ::testing::Test {
 protected:
  PreviewSessionTest() {
    ReportInstance report(structure, vars.bindings());
    report.open();
    for (int i = 0; i < 100; ++i) report.print(sample::DETAIL);  // three pages
    pages.emplace(report.close());
  }
  PreviewOutcome run() { return runPreview(output, *pages, "resumen Report", {}, boxes); }

  ReportSpec structure = testing::sampleReport();
  testing::SampleVariables vars;
  std::optional<PageSet> pages;
  ScriptedOutput output;
  Boxes boxes;
};

TEST_F(PreviewSessionTest, LeavingThePreviewPrintsNothing) {
  output.leavePreview();
  EXPECT_EQ(run(), PreviewOutcome::left);
  EXPECT_EQ(output.transcript(), std::vector<std::string>{"preview: 3 pages"});
  ASSERT_EQ(output.previews().size(), 1u);
  EXPECT_EQ(output.previews()[0].pageCount(), 3);
  EXPECT_TRUE(output.prints().empty());
}

TEST_F(PreviewSessionTest, PrintsThePagesTheUserChose) {
  struct Case {
    const char* name;
    void (*script)(ScriptedOutput&);
    const char* printed;
  };
  const Case cases[] = {
      {"all", [](ScriptedOutput& o) { o.printAll(); }, "print: resumen Report, pages 1-3"},
      {"a range", [](ScriptedOutput& o) { o.printPages(2, 3); },
       "print: resumen Report, pages 2-3"},
      {"a range given backwards", [](ScriptedOutput& o) { o.printPages(3, 2); },
       "print: resumen Report, pages 2-3"},
      {"a range past the last page", [](ScriptedOutput& o) { o.printPages(2, 9); },
       "print: resumen Report, pages 2-3"},
      {"the current page", [](ScriptedOutput& o) { o.printCurrent(2); },
       "print: resumen Report, pages 2-2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedOutput fresh;
    c.script(fresh);
    EXPECT_EQ(runPreview(fresh, *pages, "resumen Report", {}, boxes), PreviewOutcome::printed);
    EXPECT_EQ(fresh.transcript(), (std::vector<std::string>{"preview: 3 pages", c.printed}));
    EXPECT_TRUE(fresh.scriptDone());
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewSessionTest, AFailedPrintIsToldAndThePreviewComesBack) {
  PrintTarget pdf{PrintTarget::Kind::pdfFile, "/nowhere/x.pdf"};
  output.failNextPrint("cannot write /nowhere/x.pdf").printPages(2, 3, pdf).leavePreview();
  EXPECT_EQ(run(), PreviewOutcome::left);
  EXPECT_EQ(
      output.transcript(),
      (std::vector<std::string>{"preview: 3 pages", "print: resumen Report, pages 2-3",
                                "print failed: cannot write /nowhere/x.pdf", "preview: 3 pages"}));
  EXPECT_EQ(boxes.shown,
            std::vector<std::string>{"Print Error: Could not print the report: cannot write "
                                     "/nowhere/x.pdf."});
  ASSERT_EQ(output.previews().size(), 2u);
  EXPECT_EQ(output.previews()[1].pageCount(), 3);
  ASSERT_EQ(output.prints().size(), 1u);
  EXPECT_TRUE(output.prints()[0].failed);
  EXPECT_EQ(output.prints()[0].target.name, "/nowhere/x.pdf");
}

TEST_F(PreviewSessionTest, APreviewTheScriptDoesNotAnswerFailsAtOnce) {
  EXPECT_THROW(run(), ScriptError);
}

TEST(PagesToPrintTest, ChoicesBecomePagesThatExist) {
  struct Case {
    const char* name;
    PageChoice pages;
    int from, to, current, count;
    int first, last;
  };
  const Case cases[] = {
      {"all", PageChoice::all, 0, 0, 0, 5, 1, 5},
      {"range", PageChoice::range, 2, 4, 1, 5, 2, 4},
      {"reversed range", PageChoice::range, 4, 2, 1, 5, 2, 4},
      {"range below the first page", PageChoice::range, -3, 0, 1, 5, 1, 1},
      {"current", PageChoice::current, 1, 1, 3, 5, 3, 3},
      {"current beyond the last", PageChoice::current, 1, 1, 9, 5, 5, 5},
      {"no pages", PageChoice::all, 1, 1, 1, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PreviewAnswer a;
    a.choice = PreviewAnswer::Choice::print;
    a.pages = c.pages;
    a.from = c.from;
    a.to = c.to;
    a.current = c.current;
    const PageRange r = pagesToPrint(a, c.count);
    EXPECT_EQ(r.first, c.first);
    EXPECT_EQ(r.last, c.last);
  }
}

TEST(PreviewSessionEmptyTest, PrintingNoPagesCountsAsLeaving) {
  const PageSet none(8500, 11000, Orientation::portrait);
  ScriptedOutput output;
  output.printAll();
  Boxes boxes;
  EXPECT_EQ(runPreview(output, none, "job", {}, boxes), PreviewOutcome::left);
  EXPECT_EQ(output.transcript(), std::vector<std::string>{"preview: 0 pages"});
}

}  // namespace
}  // namespace vc::report
