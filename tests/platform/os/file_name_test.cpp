#include "platform/os/file_name.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using vc::testing::TempFolder;

struct NameCase {
  const char* name;
  std::string given;
  FileError error;
  std::string path;
  bool exists;
};

TEST(FileNameTest, ResolvesWindowsStyleNames) {
  TempFolder folder;
  std::filesystem::create_directory("src");
  TempFolder::write("src/Mod1.clw", "");
  TempFolder::write("src/exact.CLW", "");
  TempFolder::write("src/EXACT.clw", "");
  TempFolder::write("plain.txt", "");
  TempFolder::write(" lead", "");
  const NameCase cases[] = {
      {"trailing blanks are dropped", "plain.txt    ", FileError::none, "plain.txt", true},
      {"leading blanks stay part of the name", " lead  ", FileError::none, " lead", true},
      {"blanks only are no name", "      ", FileError::invalidFilename, "", false},
      {"empty is no name", "", FileError::invalidFilename, "", false},
      {"a NUL byte makes the name unusable", std::string("pl\0n", 4), FileError::invalidFilename,
       "", false},
      {"a backslash separates folders", "src\\exact.CLW", FileError::none, "src/exact.CLW", true},
      {"dot backslash is the current folder", ".\\plain.txt", FileError::none, "./plain.txt", true},
      {"another case of the name is found", "src\\MOD1.CLW", FileError::none, "src/Mod1.clw", true},
      {"the exact name wins over a case variant", "src/EXACT.clw", FileError::none, "src/EXACT.clw",
       true},
      {"case variants are taken in byte order", "src/Exact.clw", FileError::none, "src/EXACT.clw",
       true},
      {"no match gives the exact name to create", "src/NEW.CLW", FileError::none, "src/NEW.CLW",
       false},
      {"a missing folder", "nowhere\\x.clw", FileError::pathNotFound, "", false},
      {"a name too long for the system can only be a cut one", std::string(4096, 'n'),
       FileError::invalidFilename, "", false},
      {"a file used as a folder", "plain.txt/x", FileError::pathNotFound, "", false},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ResolvedName r = resolveFileName(c.given);
    EXPECT_EQ(r.status.error, c.error);
    if (c.error == FileError::none) {
      EXPECT_EQ(r.path, c.path);
      EXPECT_EQ(r.exists, c.exists);
    }
  }
}

}  // namespace
}  // namespace vc::files
