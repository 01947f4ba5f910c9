#include "platform/ini/profile_strings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini/ini_path.hpp"
#include "platform/os/fault_injecting_os.hpp"
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
