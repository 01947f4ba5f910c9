#include "platform/errors/error_manager.hpp"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

namespace vc::errors {
namespace {

thread_local ErrorStatus testStatus;
ErrorStatus& testStatusLocator() {
  return testStatus;
}

class RecordingPresenter : public MessagePresenter {
 public:
  std::vector<MessageRequest> shown;
  int showMessage(const MessageRequest& request) override {
    shown.push_back(request);
    return 1;
  }
};

/// A bound manager whose boxes are recorded and whose halt throws instead of ending.
class ErrorManagerTest : public ::testing::Test {
 protected:
  ErrorManagerTest() {
    manager.bindErrorStatus(&testStatusLocator);
    manager.setPresenter(&presenter);
    manager.setHalt([](int status) { throw ProgramHalted{status}; });
  }
  ErrorManager manager;
  RecordingPresenter presenter;
};

struct MessageCase {
  const char* name;
  ErrorId id;
  FileErrorInfo info;
  std::string title;
  std::string text;
  Severity severity;
};

TEST_F(ErrorManagerTest, EveryEntryShowsItsTitleAndFilledText) {
  const std::string end = "  Press OK to end this application";
  const MessageCase cases[] = {
      {"access denied",
       ErrorId::accessDenied,
       {"/src/MOD1.CLW", 5, "Access Denied", "", ""},
       "Access Denied",
       "Could not get write access to /src/MOD1.CLW so trying read-only.",
       Severity::notify},
      {"creation error",
       ErrorId::createError,
       {"resumen.dat", 5, "Access Denied", "", ""},
       "File Creation Error",
       "Error: (Access Denied (5)) creating resumen.dat." + end,
       Severity::fatal},
      {"invalid key",
       ErrorId::invalidKey,
       {"resumen.dat", 46, "Key File Must Be Rebuilt", "", ""},
       "Invalid Key",
       "resumen.dat key file is invalid. Key must be rebuilt.",
       Severity::notify},
      {"key not built, driver error 90",
       ErrorId::rebuildError,
       {"resumen.dat", 90, "File System Error", "28", "No space left"},
       "Key was not built",
       "Error: (No space left (28)) repairing key for resumen.dat." + end,
       Severity::fatal},
      {"invalid file",
       ErrorId::invalidFile,
       {"resumen.dat", 47, "Invalid Record Declaration", "12", "Bad header"},
       "Invalid File",
       "resumen.dat has an invalid file structure.|Error: 12 - Bad header|" + end,
       Severity::fatal},
      {"open error",
       ErrorId::openError,
       {"a.clw", 2, "File Not Found", "", ""},
       "File Access Error",
       "File a.clw could not be opened.  Error: File Not Found (2)." + end,
       Severity::fatal},
      {"open error, driver error 100",
       ErrorId::openError,
       {"a.clw", 100, "Driver Error", "S1", "Busy"},
       "File Access Error",
       "File a.clw could not be opened.  Error: Busy (S1)." + end,
       Severity::fatal},
      {"placeholders in the file name stay as they are",
       ErrorId::openError,
       {"%ErrorText%FileError%File.dat", 3, "Path Not Found", "x", "y"},
       "File Access Error",
       "File %ErrorText%FileError%File.dat could not be opened.  Error: Path Not Found (3)." + end,
       Severity::fatal},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    presenter.shown.clear();
    EXPECT_EQ(manager.formatMessage(c.id, c.info), c.text);
    ASSERT_NE(manager.entry(c.id), nullptr);
    EXPECT_EQ(manager.entry(c.id)->severity, c.severity);

    if (c.severity == Severity::fatal) {
      try {
        manager.throwFileError(c.id, c.info);
        ADD_FAILURE() << "a fatal error did not end the program";
      } catch (const ProgramHalted& halted) {
        EXPECT_NE(halted.exitStatus, 0);
      }
    } else {
      EXPECT_EQ(manager.throwFileError(c.id, c.info), Severity::notify);
    }
    // Shown before the program ends, and only once.
    ASSERT_EQ(presenter.shown.size(), 1u);
    const MessageRequest& box = presenter.shown[0];
    EXPECT_EQ(box.caption, c.title);
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.icon, MessageIcon::information);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
  }
}

TEST_F(ErrorManagerTest, ReportIsRecordedInTheReportingThreadsStatus) {
  testStatus = {};
  std::thread other([this] {
    manager.throwFileError(ErrorId::accessDenied,
                           {"b.clw", 5, std::string(300, 'x'), "drv", "driver text"});
    EXPECT_EQ(testStatus.errorCode, 5);
    EXPECT_EQ(testStatus.errorText, std::string(254, 'x'));
    EXPECT_EQ(testStatus.fileErrorCode, "drv");
    EXPECT_EQ(testStatus.fileErrorText, "driver text");
  });
  other.join();
  EXPECT_EQ(testStatus.errorCode, 0);
  manager.throwFileError(ErrorId::invalidKey, {"resumen.dat", 46, "Key File Must Be Rebuilt"});
  EXPECT_EQ(testStatus.errorCode, 46);
  EXPECT_EQ(testStatus.errorText, "Key File Must Be Rebuilt");
}

TEST(ErrorManagerNoPresenterTest, ReportsWithoutPresenterAreRecordedAndGoOn) {
  ErrorManager manager;
  manager.setHalt([](int status) { throw ProgramHalted{status}; });
  // Not readied yet: nothing to show, and the answer is fatal without ending anything.
  EXPECT_EQ(manager.throwFileError(ErrorId::accessDenied, {"a", 5, "Access Denied"}),
            Severity::fatal);
  EXPECT_EQ(manager.entry(ErrorId::openError), nullptr);

  manager.bindErrorStatus(&testStatusLocator);
  EXPECT_EQ(manager.throwFileError(ErrorId::accessDenied, {"a", 5, "Access Denied"}),
            Severity::notify);
  EXPECT_EQ(testStatus.errorCode, 5);
  EXPECT_THROW(manager.throwFileError(ErrorId::openError, {"a", 2, "File Not Found"}),
               ProgramHalted);
}

TEST(ErrorManagerDeathTest, FatalErrorEndsTheProcessWithStatusOneByDefault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ErrorManager manager;
        manager.bindErrorStatus(&testStatusLocator);
        manager.throwFileError(ErrorId::openError, {"a", 2, "File Not Found"});
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "");
}

TEST(ProcedureNameStackTest, PopRemovesOnlyTheCallingThreadsLatestEntry) {
  ErrorManager manager;
  const int me = threadNumber();
  std::promise<void> pushed, popNow;
  int theirs = 0;
  std::thread other([&] {
    theirs = threadNumber();
    manager.pushProcedureName("analizar");
    pushed.set_value();
    popNow.get_future().wait();
    manager.popProcedureName();
    manager.popProcedureName();  // nothing more of this thread's: changes nothing
  });
  manager.pushProcedureName("Main   ");
  pushed.get_future().wait();
  manager.pushProcedureName("ver_resumen");
  popNow.set_value();
  other.join();

  EXPECT_NE(theirs, me);
  auto names = manager.procedureNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].name, "Main");
  EXPECT_EQ(names[0].thread, me);
  EXPECT_EQ(names[1].name, "ver_resumen");
  EXPECT_EQ(names[1].thread, me);

  manager.popProcedureName();
  names = manager.procedureNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].name, "Main");
  manager.popProcedureName();
  manager.popProcedureName();
  EXPECT_TRUE(manager.procedureNames().empty());
}

}  // namespace
}  // namespace vc::errors
