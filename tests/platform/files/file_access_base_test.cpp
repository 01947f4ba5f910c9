#include "platform/files/file_access_base.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/files/file_test_support.hpp"
#include "platform/files/relation_base.hpp"

namespace vc::files {
namespace {

using errors::Severity;
using vc::testing::kFatalEnd;

/// A driver that answers its opens from a script and records what it was asked.
class ScriptedDriver : public FileDriver {
 public:
  std::deque<FileStatus> opens;
  FileStatus createAnswer;
  FileStatus rebuildAnswer;
  std::vector<int> modes;
  std::vector<std::string> calls;
  bool open_ = false;

  FileStatus open(std::uint8_t openMode) override {
    modes.push_back(openMode);
    calls.push_back("open");
    FileStatus answer;
    if (!opens.empty()) {
      answer = opens.front();
      opens.pop_front();
    }
    if (answer.ok() || answer.error == FileError::fileAlreadyOpen) open_ = true;
    return answer;
  }
  FileStatus create() override {
    calls.push_back("create");
    return createAnswer;
  }
  void close() override {
    calls.push_back("close");
    open_ = false;
  }
  bool isOpen() const override { return open_; }
  FileStatus sendOption(std::string_view option) override {
    calls.push_back(std::string(option));
    return {};
  }
  FileStatus rebuildKeys() override {
    calls.push_back("rebuild");
    return rebuildAnswer;
  }
  std::string name() const override { return "data.dat"; }
};

FileStatus err(FileError e) {
  return FileStatus::of(e);
}

/// An access object set up on the scripted driver, as the system's objects are after
/// prepare and the first use's set-up, with a relation over it.
class FileAccessBaseTest : public ::testing::Test {
 protected:
  FileAccessBaseTest() {
    vc::testing::bindForTest(manager, presenter);
    access.prepare();
    access.setUp(driver, manager);
    relation.init(access);
  }
  /// Opens through the relation; a fatal report ends in ProgramHalted.
  std::string openOutcome() {
    try {
      return relation.open() == Severity::benign ? "opened" : "not opened";
    } catch (const errors::ProgramHalted&) {
      return "halted";
    }
  }
  errors::ErrorManager manager;
  vc::testing::RecordingPresenter presenter;
  ScriptedDriver driver;
  FileAccessBase access;
  RelationBase relation;
};

struct RecoveryCase {
  const char* name;
  std::vector<FileStatus> opens;
  FileStatus create;
  FileStatus rebuild;
  std::string outcome;
  std::vector<std::string> calls;
  std::vector<std::string> messages;
  int finalMode;
};

TEST_F(FileAccessBaseTest, OpensWithRecoveryAsTheTableSays) {
  const FileStatus ok;
  const FileStatus denied = err(FileError::accessDenied);
  const RecoveryCase cases[] = {
      {"plain success", {ok}, ok, ok, "opened", {"open"}, {}, 0x42},
      {"already open counts as success",
       {err(FileError::fileAlreadyOpen)},
       ok,
       ok,
       "opened",
       {"open"},
       {},
       0x42},
      {"a lock that clears after Recover",
       {denied, ok},
       ok,
       ok,
       "opened",
       {"open", "Recover=10", "open"},
       {},
       0x42},
      {"refused writing falls back to read-only after a notice",
       {denied, denied, ok},
       ok,
       ok,
       "opened",
       {"open", "Recover=10", "open", "open"},
       {"Access Denied: Could not get write access to data.dat so trying read-only."},
       0x40},
      {"refused even read-only",
       {denied, denied, denied, denied},
       ok,
       ok,
       "halted",
       {"open", "Recover=10", "open", "open", "Recover=10", "open"},
       {"Access Denied: Could not get write access to data.dat so trying read-only.",
        "File Access Error: File data.dat could not be opened.  Error: Access Denied (5)." +
            kFatalEnd},
       0x40},
      {"a missing file is created and opened",
       {err(FileError::fileNotFound), ok},
       ok,
       ok,
       "opened",
       {"open", "create", "open"},
       {},
       0x42},
      {"a creation that fails",
       {err(FileError::fileNotFound)},
       denied,
       ok,
       "halted",
       {"open", "create"},
       {"File Creation Error: Error: (Access Denied (5)) creating data.dat." + kFatalEnd},
       0x42},
      {"a file of another layout",
       {{FileError::invalidRecordDeclaration, "26", "file is not a database"}},
       ok,
       ok,
       "halted",
       {"open"},
       {"Invalid File: data.dat has an invalid file structure.|Error: 26 - file is not a "
        "database|" +
        kFatalEnd},
       0x42},
      {"damaged keys are rebuilt after a notice",
       {err(FileError::keyFileMustBeRebuilt), ok},
       ok,
       ok,
       "opened",
       {"open", "rebuild", "open"},
       {"Invalid Key: data.dat key file is invalid. Key must be rebuilt."},
       0x42},
      {"keys that cannot be rebuilt",
       {err(FileError::keyFileMustBeRebuilt)},
       ok,
       denied,
       "halted",
       {"open", "rebuild"},
       {"Invalid Key: data.dat key file is invalid. Key must be rebuilt.",
        "Key was not built: Error: (Access Denied (5)) repairing key for data.dat." + kFatalEnd},
       0x42},
      {"any other answer",
       {err(FileError::pathNotFound)},
       ok,
       ok,
       "halted",
       {"open"},
       {"File Access Error: File data.dat could not be opened.  Error: Path Not Found (3)." +
        kFatalEnd},
       0x42},
      {"a third attempt is never made",
       {err(FileError::fileNotFound), err(FileError::fileNotFound)},
       ok,
       ok,
       "halted",
       {"open", "create", "open", "create"},
       {"File Access Error: File data.dat could not be opened.  Error: File Not Found (2)." +
        kFatalEnd},
       0x42},
  };
  for (const RecoveryCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDriver d;
    d.opens.assign(c.opens.begin(), c.opens.end());
    d.createAnswer = c.create;
    d.rebuildAnswer = c.rebuild;
    vc::testing::RecordingPresenter p;
    manager.setPresenter(&p);
    FileAccessBase a;
    a.prepare();
    a.setUp(d, manager);
    RelationBase r;
    r.init(a);
    std::string outcome;
    try {
      outcome = r.open() == Severity::benign ? "opened" : "not opened";
    } catch (const errors::ProgramHalted&) {
      outcome = "halted";
    }
    EXPECT_EQ(outcome, c.outcome);
    // Every physical open first sets the wait for another process's lock.
    std::vector<std::string> calls{"Recover=10"};
    calls.insert(calls.end(), c.calls.begin(), c.calls.end());
    EXPECT_EQ(d.calls, calls);
    EXPECT_EQ(p.transcript(), c.messages);
    EXPECT_EQ(a.openMode, c.finalMode);
    EXPECT_EQ(a.used, outcome == "opened" ? 1 : 0);
  }
}

TEST_F(FileAccessBaseTest, KeepsReadOnlyForLaterOpensWithoutANewNotice) {
  driver.opens = {err(FileError::accessDenied), err(FileError::accessDenied), {}};
  EXPECT_EQ(openOutcome(), "opened");
  relation.close();
  EXPECT_FALSE(driver.isOpen());
  driver.modes.clear();
  EXPECT_EQ(openOutcome(), "opened");
  EXPECT_EQ(driver.modes, std::vector<int>{0x40});
  EXPECT_EQ(presenter.shown.size(), 1u);
}

TEST_F(FileAccessBaseTest, CountsNestedOpensAndClosesAtZero) {
  EXPECT_EQ(openOutcome(), "opened");
  EXPECT_EQ(openOutcome(), "opened");
  EXPECT_EQ(openOutcome(), "opened");
  EXPECT_EQ(access.opened, 3);
  EXPECT_EQ(driver.modes.size(), 1u);  // physically opened once
  relation.close();
  relation.close();
  EXPECT_TRUE(driver.isOpen());
  EXPECT_EQ(access.used, 1);
  relation.close();
  EXPECT_FALSE(driver.isOpen());
  EXPECT_EQ(access.used, 0);
  relation.close();  // without a matching open: nothing changes
  EXPECT_EQ(access.opened, 0);
  EXPECT_EQ(std::count(driver.calls.begin(), driver.calls.end(), "close"), 1);
}

TEST_F(FileAccessBaseTest, ReleaseClosesAFileLeftOpen) {
  openOutcome();
  openOutcome();
  access.release();
  EXPECT_FALSE(driver.isOpen());
  EXPECT_EQ(access.opened, 0);
  EXPECT_EQ(access.killed, 1);
  EXPECT_EQ(access.initialized, 0);
  access.release();  // torn down once only
  EXPECT_EQ(std::count(driver.calls.begin(), driver.calls.end(), "close"), 1);
}

TEST_F(FileAccessBaseTest, ReportsTheBoundVariableAsTheFilesName) {
  std::string variable = "/src/MOD1.CLW   ";
  access.fileName = std::string_view(variable);
  driver.opens = {err(FileError::pathNotFound)};
  EXPECT_EQ(openOutcome(), "halted");
  ASSERT_EQ(presenter.shown.size(), 1u);
  EXPECT_EQ(presenter.shown[0].text,
            "File /src/MOD1.CLW could not be opened.  Error: Path Not Found (3)." + kFatalEnd);
}

}  // namespace
}  // namespace vc::files
