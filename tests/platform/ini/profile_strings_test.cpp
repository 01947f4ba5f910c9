#include "platform/ini/profile_strings.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini/ini_path.hpp"
#include "platform/os/fault_injecting_os.hpp"
#include "support/as_nobody.hpp"
#include "support/temp_folder.hpp"

namespace vc::ini {
namespace {

namespace fs = std::filesystem;
using vc::testing::TempFolder;

std::vector<std::string> entriesOf(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ProfileStringsTest, WriteReadAndRemoveThroughTheFile) {
  TempFolder folder;
  EXPECT_EQ(readProfileString(".\\s.INI", "Main", "XPos", "def"), "def");

  writeProfileString(".\\s.INI", "Main", "XPos", "10  ");
  writeProfileString(".\\s.INI", "Main", "YPos", "20");
  writeProfileString(".\\s.INI", "main", "xpos", "11");
  EXPECT_EQ(TempFolder::read("s.INI"), "[Main]\r\nxpos=11\r\nYPos=20\r\n");
  EXPECT_EQ(readProfileString(".\\s.INI", "MAIN", "XPOS", "def"), "11");

  removeProfileKey(".\\s.INI", "Main", "XPos");
  EXPECT_EQ(readProfileString(".\\s.INI", "Main", "XPos", "def"), "def");
  EXPECT_EQ(TempFolder::read("s.INI"), "[Main]\r\nYPos=20\r\n");
  // Writing goes through a file beside the settings file; none may be left behind.
  EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"s.INI"});
}

TEST(ProfileStringsTest, WindowsStyleNamesReachTheSameFile) {
  TempFolder folder;
  fs::create_directory("sub");
  writeProfileString(".\\sub\\a.ini", "S", "K", "v");
  EXPECT_TRUE(fs::is_regular_file("sub/a.ini"));
  EXPECT_EQ(readProfileString("sub/a.ini", "S", "K", ""), "v");
  EXPECT_EQ(readProfileString(".\\sub\\a.ini   ", "S", "K", ""), "v");
}

TEST(ProfileStringsTest, NameDifferingOnlyInCaseIsTheSameFile) {
  TempFolder folder;
  TempFolder::write("VARCOMPASS.ini", "[Main]\r\nXPos=3\r\n");
  EXPECT_EQ(readProfileString(".\\varcompass.INI", "Main", "XPos", ""), "3");
  writeProfileString(".\\varcompass.INI", "Main", "YPos", "4");
  EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"VARCOMPASS.ini"});
  EXPECT_EQ(TempFolder::read("VARCOMPASS.ini"), "[Main]\r\nXPos=3\r\nYPos=4\r\n");
}

TEST(ProfileStringsTest, NameIsTakenFromTheCurrentFolderAtEachAccess) {
  TempFolder folder;
  fs::create_directory("a");
  fs::create_directory("b");
  fs::current_path("a");
  writeProfileString(".\\s.ini", "S", "K", "in a");
  fs::current_path("../b");
  EXPECT_EQ(readProfileString(".\\s.ini", "S", "K", "none"), "none");
  writeProfileString(".\\s.ini", "S", "K", "in b");
  fs::current_path("..");
  EXPECT_EQ(readProfileString("a\\s.ini", "S", "K", ""), "in a");
  EXPECT_EQ(readProfileString("b\\s.ini", "S", "K", ""), "in b");
}

TEST(ProfileStringsTest, UnusableFilesReadAsDefaultsAndFailedWritesAreSilent) {
  TempFolder folder;
  fs::create_directory("folder.ini");
  const char* names[] = {"folder.ini", "missing\\s.ini", "", "   "};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(readProfileString(name, "S", "K", "def"), "def");
    writeProfileString(name, "S", "K", "v");
    removeProfileKey(name, "S", "K");
    EXPECT_EQ(readProfileString(name, "S", "K", "def"), "def");
  }
  EXPECT_TRUE(fs::is_directory("folder.ini"));
  EXPECT_TRUE(fs::is_empty("folder.ini"));
  EXPECT_FALSE(fs::exists("missing"));
  EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"folder.ini"});
}

TEST(ProfileStringsTest, FailedWriteLeavesTheOldFileWhole) {
  TempFolder folder;
  const std::string before = "[S]\r\nK=old\r\n";
  TempFolder::write("s.ini", before);
  // A value that cannot stand on one line is refused rather than written half.
  writeProfileString("s.ini", "S", "K", "new\r\n[Injected]");
  EXPECT_EQ(TempFolder::read("s.ini"), before);
}

TEST(ProfileStringsTest, ReplacingTheFileKeepsItsLinkAndPermissions) {
  TempFolder folder;
  TempFolder::write("real.ini", "[S]\r\nK=old\r\n");
  fs::permissions("real.ini",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real.ini", "link.ini");
  writeProfileString("link.ini", "S", "K", "new");
  EXPECT_TRUE(fs::is_symlink("link.ini"));
  EXPECT_EQ(TempFolder::read("real.ini"), "[S]\r\nK=new\r\n");
  EXPECT_EQ(fs::status("real.ini").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

/// Owner, group and mode (octal) of the file a path names, through links.
std::string ownerAndMode(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return "missing";
  char text[64];
  std::snprintf(text, sizeof text, "%u:%u %o", static_cast<unsigned>(st.st_uid),
                static_cast<unsigned>(st.st_gid), static_cast<unsigned>(st.st_mode & 07777));
  return text;
}

TEST(ProfileStringsTest, AFileWrittenByRootKeepsItsOwnerAndMode) {
  // Tests run as root, who could take any file from its owner by replacing it.
  struct Case {
    const char* name;
    bool throughLink;
  };
  const Case cases[] = {{"under its own name", false}, {"behind a link to another folder", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    fs::create_directory("elsewhere");
    const fs::path real = c.throughLink ? "elsewhere/real.ini" : "s.ini";
    TempFolder::write(real, "[Main]\r\nXPos=1\r\n");
    ASSERT_EQ(::chown(real.c_str(), vc::testing::kNobody, vc::testing::kNobody), 0);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    if (c.throughLink) fs::create_symlink("elsewhere/real.ini", "s.ini");
    writeProfileString(".\\s.ini", "Main", "XPos", "2");
    EXPECT_EQ(TempFolder::read(real), "[Main]\r\nXPos=2\r\n");
    EXPECT_EQ(ownerAndMode(real), "65534:65534 640");
    EXPECT_EQ(fs::is_symlink("s.ini"), c.throughLink);
    EXPECT_EQ(entriesOf("elsewhere").size(), c.throughLink ? 1u : 0u);
  }
}

TEST(ProfileStringsTest, AnotherUsersFileThatMayBeWrittenIsWrittenWhereItIs) {
  // As uid 65534 in a forked child (root ignores permissions), on root's file that
  // everyone may write: 65534 cannot give a new file root's ownership, so the file is
  // written in place and stays root's.
  struct Case {
    const char* name;
    mode_t folderMode;
  };
  const Case cases[] = {{"folder everyone may change", 0777},
                        {"sticky folder, where only the owner may replace the file", 01777}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), c.folderMode), 0);
    TempFolder::write("s.ini", "[Main]\r\nXPos=1\r\n[Other]\r\nK=v\r\n");
    ASSERT_EQ(::chmod("s.ini", 0666), 0);
    const auto [status, report] = vc::testing::runAsNobody([](std::string& out) {
      writeProfileString(".\\s.ini", "Main", "XPos", "12345");
      writeProfileString(".\\s.ini", "Other", "K", "");
      out = readProfileString(".\\s.ini", "Main", "XPos", "none");
      return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(report, "12345");
    EXPECT_EQ(TempFolder::read("s.ini"), "[Main]\r\nXPos=12345\r\n[Other]\r\nK=\r\n");
    EXPECT_EQ(ownerAndMode("s.ini"), "0:0 666");
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"s.ini"});
  }
}

TEST(ProfileStringsTest, RemovingAMissingKeyLeavesNoFileBehind) {
  TempFolder folder;
  removeProfileKey("s.ini", "S", "K");
  EXPECT_FALSE(fs::exists("s.ini"));
}

TEST(IniPathTest, BackslashesAndTrailingBlanks) {
  TempFolder folder;
  TempFolder::write("varcompass.INI", "");
  EXPECT_EQ(resolveIniPath(".\\varcompass.INI"), fs::path("./varcompass.INI"));
  EXPECT_EQ(resolveIniPath(".\\VARCOMPASS.ini"), fs::path("./varcompass.INI"));
  EXPECT_EQ(resolveIniPath("a\\b\\c.ini  "), fs::path("a/b/c.ini"));
  EXPECT_TRUE(resolveIniPath("  ").empty());
}

TEST(ProfileStringsTest, TheFileIsReadAgainOnlyWhenItChanged) {
  TempFolder folder;
  // Stamped an hour ago: a file changed within the file system's clock tick could keep its
  // stamp, and is read at every call.
  const auto settle = [] {
    fs::last_write_time("s.ini", fs::file_time_type::clock::now() - std::chrono::hours(1));
  };
  TempFolder::write("s.ini", "[Main]\r\nXPos=10\r\n");
  settle();
  files::FaultInjectingOs seam;
  files::ScopedOs installed(seam);
  const auto opens = [&] {
    return seam.calls(files::FaultInjectingOs::Call::openReadOnly, "s.ini");
  };
  for (int i = 0; i < 3; ++i) EXPECT_EQ(readProfileString("s.ini", "Main", "XPos", "def"), "10");
  EXPECT_EQ(opens(), 1);
  // Another program changes the file: the next read sees it.
  TempFolder::write("s.ini", "[Main]\r\nXPos=200\r\n");
  settle();
  EXPECT_EQ(readProfileString("s.ini", "Main", "XPos", "def"), "200");
  EXPECT_EQ(opens(), 2);
  // A write of this program: the next read sees it too.
  writeProfileString("s.ini", "Main", "XPos", "7");
  EXPECT_EQ(readProfileString("s.ini", "Main", "XPos", "def"), "7");
}

TEST(ProfileStringsTest, TheFileIsReadThroughTheFileLayersSeam) {
  TempFolder folder;
  TempFolder::write("Settings.ini", "[Main]\r\nXPos=10\r\n");
  files::FaultInjectingOs seam;
  files::ScopedOs installed(seam);
  // Found in another case through the seam's folder listing, read through its open.
  EXPECT_EQ(readProfileString(".\\SETTINGS.INI", "Main", "XPos", "def"), "10");
  EXPECT_EQ(seam.calls(files::FaultInjectingOs::Call::openReadOnly, "Settings.ini"), 1);
  seam.refuse(files::FaultInjectingOs::Call::openReadOnly, "Settings.ini",
              files::FileError::accessDenied);
  EXPECT_EQ(readProfileString(".\\SETTINGS.INI", "Main", "XPos", "def"), "def");
  // A file that could not be read is not replaced by one written without its lines.
  writeProfileString(".\\SETTINGS.INI", "Main", "YPos", "20");
  EXPECT_EQ(TempFolder::read("Settings.ini"), "[Main]\r\nXPos=10\r\n");
}

}  // namespace
}  // namespace vc::ini
