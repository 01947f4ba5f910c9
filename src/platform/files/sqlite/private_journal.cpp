#include "platform/files/sqlite/private_journal.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace vc::files::sqlite {
namespace {

std::mutex folderGuard;
std::optional<std::string> folderForTests;

// /var/tmp outlives a reboot, as a journal that still has to be played back must.
std::string usualFolder() {
  return "/var/tmp/varcompass-" + std::to_string(::geteuid());
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct statx st {};
  if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_TYPE | STATX_INO | STATX_BTIME,
              &st) != 0) {
    return std::nullopt;
  }
  if ((st.stx_mask & STATX_BTIME) == 0 || (st.stx_mask & STATX_INO) == 0 || !S_ISREG(st.stx_mode)) {
    return std::nullopt;
  }
  return FileIdentity{st.stx_dev_major, st.stx_dev_minor, st.stx_ino, st.stx_btime.tv_sec,
                      st.stx_btime.tv_nsec};
}

void setPrivateJournalFolderForTests(std::optional<std::string> folder) {
  const std::lock_guard lock(folderGuard);
  folderForTests = std::move(folder);
}

std::optional<std::string> privateJournalFolder(bool create) {
  std::string folder;
  {
    const std::lock_guard lock(folderGuard);
    folder = folderForTests.value_or(usualFolder());
  }
  if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  // Another user could have made the name first, or put a link there, to have a journal
  // of theirs played into this user's file: only a folder no one else can touch will do.
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
      (st.st_mode & 077) != 0) {
    return std::nullopt;
  }
  return folder;
}

std::optional<std::string> privateJournalPath(const FileIdentity& file, bool create) {
  const std::optional<std::string> folder = privateJournalFolder(create);
  if (!folder) return std::nullopt;
  return *folder + "/" + std::to_string(file.deviceMajor) + "." + std::to_string(file.deviceMinor) +
         "." + std::to_string(file.inode) + "." + std::to_string(file.bornSeconds) + "." +
         std::to_string(file.bornNanoseconds) + ".journal";
}

JournalPresence privateJournalPresence(const FileIdentity& file) {
  const std::optional<std::string> path = privateJournalPath(file, /*create=*/false);
  if (!path) return JournalPresence::unknown;
  struct stat st {};
  if (::lstat(path->c_str(), &st) == 0) return JournalPresence::present;
  return errno == ENOENT ? JournalPresence::absent : JournalPresence::unknown;
}

void forgetPrivateJournal(const FileIdentity& file) {
  if (const std::optional<std::string> path = privateJournalPath(file, /*create=*/false)) {
    (void)::unlink(path->c_str());
  }
}

}  // namespace vc::files::sqlite
