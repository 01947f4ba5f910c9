// The removal of a database file with its side files: all of it or nothing, by the
// permissions of the folder and of each file, through a link never, and never while an
// opening holds the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/os/os.hpp"
#include "support/as_nobody.hpp"
#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

namespace fs = std::filesystem;
using vc::testing::kNobody;
using vc::testing::TempFolder;

/// Every entry of a folder as "name=bytes", a link as "name->target", in name order.
std::vector<std::string> contentsOf(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename();
    if (fs::is_symlink(e.symlink_status())) {
      out.push_back(name + "->" + fs::read_symlink(e.path()).string());
    } else if (fs::is_directory(e.symlink_status())) {
      out.push_back(name + "/");
    } else {
      out.push_back(name + "=" + TempFolder::read(e.path()));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> sideFilesOf(const fs::path& file) {
  return {file.string() + "-wal", file.string() + "-shm", file.string() + "-journal"};
}

void writeOwned(const fs::path& file, const std::string& bytes, uid_t owner, mode_t mode) {
  TempFolder::write(file, bytes);
  ASSERT_EQ(::chown(file.c_str(), owner, owner), 0);
  ASSERT_EQ(::chmod(file.c_str(), mode), 0);
}

class RemoveTest : public ::testing::Test {
 protected:
  RemoveTest() {
    // The user of the child must reach the folder of each case.
    fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    fs::create_directory(dir);
  }
  /// Removes t.dat in the case's folder as the given user; the answer's error number.
  int removeAs(bool nobody) {
    const auto remove = [&](std::string& out) {
      out = std::to_string(static_cast<int>(
          PosixOs()
              .removeUnlessLocked((dir / "t.dat").string(), sideFilesOf(dir / "t.dat"))
              .error));
      return 0;
    };
    if (!nobody) {
      std::string out;
      remove(out);
      return std::stoi(out);
    }
    // Root may delete anything: the permission cases run as another user, in a child.
    const auto [status, out] = vc::testing::runAsNobody(remove);
    EXPECT_EQ(status, 0);
    return out.empty() ? -1 : std::stoi(out);
  }

  TempFolder folder;
  fs::path dir = folder.path() / "d";
};

struct RemoveCase {
  const char* name;
  std::function<void(const fs::path& dir)> prepare;
  bool asNobody;
  FileError expected;
  std::vector<std::string> left;  // the folder's contents afterwards; empty: as before
};

TEST_F(RemoveTest, EverythingGoesOrNothingDoes) {
  const RemoveCase cases[] = {
      {"a folder where only owners delete, another user's file that everyone may write",
       [](const fs::path& d) {
         ASSERT_EQ(::chmod(d.c_str(), 01777), 0);
         writeOwned(d / "t.dat", "rows", 0, 0666);
       },
       true,
       FileError::accessDenied,
       {}},
      {"the same with side files of that user",
       [](const fs::path& d) {
         ASSERT_EQ(::chmod(d.c_str(), 01777), 0);
         writeOwned(d / "t.dat", "rows", 0, 0666);
         writeOwned(d / "t.dat-wal", "commits", 0, 0666);
         writeOwned(d / "t.dat-journal", "hot", 0, 0666);
       },
       true,
       FileError::accessDenied,
       {}},
      {"a folder where only owners delete, the user's own file and side files",
       [](const fs::path& d) {
         ASSERT_EQ(::chmod(d.c_str(), 01777), 0);
         writeOwned(d / "t.dat", "rows", kNobody, 0644);
         writeOwned(d / "t.dat-wal", "commits", kNobody, 0644);
       },
       true,
       FileError::none,
       {"other=kept"}},
      {"a folder where only owners delete, the user's file with another user's side file",
       [](const fs::path& d) {
         ASSERT_EQ(::chmod(d.c_str(), 01777), 0);
         writeOwned(d / "t.dat", "rows", kNobody, 0644);
         writeOwned(d / "t.dat-shm", "shared", 0, 0666);
       },
       true,
       FileError::accessDenied,
       {}},
      {"a folder the user cannot change",
       [](const fs::path& d) {
         writeOwned(d / "t.dat", "rows", kNobody, 0666);
         writeOwned(d / "t.dat-journal", "hot", kNobody, 0666);
         ASSERT_EQ(::chmod(d.c_str(), 0755), 0);
       },
       true,
       FileError::accessDenied,
       {}},
      {"a file the user may not write, in a folder the user may change",
       [](const fs::path& d) {
         ASSERT_EQ(::chmod(d.c_str(), 0777), 0);
         writeOwned(d / "t.dat", "rows", 0, 0444);
       },
       true,
       FileError::accessDenied,
       {}},
      {"a side file that is a folder",
       [](const fs::path& d) {
         TempFolder::write(d / "t.dat", "rows");
         TempFolder::write(d / "t.dat-wal", "commits");
         fs::create_directory(d / "t.dat-journal");
       },
       false,
       FileError::accessDenied,
       {}},
      {"the file and its side files, where the user may",
       [](const fs::path& d) {
         TempFolder::write(d / "t.dat", "rows");
         TempFolder::write(d / "t.dat-wal", "commits");
         TempFolder::write(d / "t.dat-shm", "shared");
         TempFolder::write(d / "t.dat-journal", "hot");
       },
       false,
       FileError::none,
       {"other=kept"}},
      {"a link: it goes, with the side files under its name; what it names stays",
       [](const fs::path& d) {
         fs::create_directory(d / "real");
         TempFolder::write(d / "real" / "t.dat", "target");
         TempFolder::write(d / "real" / "t.dat-wal", "target's log");
         fs::create_symlink("real/t.dat", d / "t.dat");
         TempFolder::write(d / "t.dat-wal", "stray");
       },
       false,
       FileError::none,
       {"other=kept", "real/"}},
      {"a link that points nowhere",
       [](const fs::path& d) { fs::create_symlink("gone/t.dat", d / "t.dat"); },
       false,
       FileError::none,
       {"other=kept"}},
      {"a link in a folder the user cannot change",
       [](const fs::path& d) {
         TempFolder::write(d / "target", "target");
         ::chmod((d / "target").c_str(), 0666);
         fs::create_symlink("target", d / "t.dat");
       },
       true,
       FileError::accessDenied,
       {}},
  };
  for (const RemoveCase& c : cases) {
    SCOPED_TRACE(c.name);
    ::chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
    fs::create_directory(dir);
    TempFolder::write(dir / "other", "kept");
    c.prepare(dir);
    const auto before = contentsOf(dir);
    const auto realBefore = fs::exists(dir / "real") ? contentsOf(dir / "real") : before;
    EXPECT_EQ(removeAs(c.asNobody), static_cast<int>(c.expected));
    EXPECT_EQ(contentsOf(dir), c.left.empty() ? before : c.left);
    if (fs::exists(dir / "real")) {
      EXPECT_EQ(contentsOf(dir / "real"), realBefore);
    }
    EXPECT_FALSE(fs::exists(dir / "gone"));
  }
  ::chmod(dir.c_str(), 0755);
}

TEST_F(RemoveTest, AnOpeningsHoldKeepsTheFileUntilItEnds) {
  TempFolder::write(dir / "t.dat", "rows");
  TempFolder::write(dir / "t.dat-wal", "commits");
  PosixOs os;
  const OsOpen holder = os.open((dir / "t.dat").string(), AccessMode::readOnly);
  ASSERT_GE(holder.fd, 0);
  ASSERT_TRUE(os.holdShared(holder.fd, std::chrono::milliseconds(0)).ok());
  // The hold is one of the open description, so closing another descriptor of the file,
  // as the database engine does, keeps it.
  ::close(::open((dir / "t.dat").c_str(), O_RDONLY));
  const auto before = contentsOf(dir);
  EXPECT_EQ(removeAs(false), static_cast<int>(FileError::accessDenied));
  EXPECT_EQ(contentsOf(dir), before);
  // Every other opening holds it too: only an exclusive wish is refused.
  const OsOpen second = os.open((dir / "t.dat").string(), AccessMode::readOnly);
  ASSERT_GE(second.fd, 0);
  EXPECT_TRUE(os.holdShared(second.fd, std::chrono::milliseconds(0)).ok());
  EXPECT_TRUE(os.heldByOthers(second.fd));
  os.close(second.fd);
  EXPECT_FALSE(os.heldByOthers(holder.fd)) << "its own hold is no other's";
  ASSERT_TRUE(os.stampIfStillNamed(holder.fd, (dir / "t.dat").string()).has_value());
  os.close(holder.fd);
  EXPECT_EQ(removeAs(false), static_cast<int>(FileError::none));
  EXPECT_TRUE(contentsOf(dir).empty());
}

TEST_F(RemoveTest, AHoldTakenAfterARemovalSeesTheFileGone) {
  TempFolder::write(dir / "t.dat", "rows");
  PosixOs os;
  const OsOpen early = os.open((dir / "t.dat").string(), AccessMode::readOnly);
  ASSERT_GE(early.fd, 0);
  EXPECT_EQ(removeAs(false), static_cast<int>(FileError::none));
  TempFolder::write(dir / "t.dat", "a new file under the name");
  ASSERT_TRUE(os.holdShared(early.fd, std::chrono::milliseconds(0)).ok());
  EXPECT_FALSE(os.stampIfStillNamed(early.fd, (dir / "t.dat").string()).has_value());
  os.close(early.fd);
}

TEST_F(RemoveTest, ANewFileIsMadeUnderTheNameItselfNeverThroughALink) {
  PosixOs os;
  fs::create_directory(dir / "elsewhere");
  fs::create_symlink("elsewhere/t.dat", dir / "t.dat");
  const FileStatus st = os.createNew((dir / "t.dat").string());
  EXPECT_FALSE(st.ok());
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  fs::remove(dir / "t.dat");
  ASSERT_TRUE(os.createNew((dir / "t.dat").string()).ok());
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "t.dat")));
  // Made meanwhile by another opening: the file is there, as wanted.
  EXPECT_TRUE(os.createNew((dir / "t.dat").string()).ok());
}

}  // namespace
}  // namespace vc::files
