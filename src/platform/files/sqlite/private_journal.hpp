// Where a table's rollback journal is kept when the folder of its file cannot be changed
// by this user: in a folder of the user's own, under a name tied to that very file.
// Private to the keyed-table driver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vc::files::sqlite {

/// One file for as long as it exists: its device and inode, and its birth time, which
/// tells it apart from a later file that takes the same inode after a removal.
struct FileIdentity {
  std::uint32_t deviceMajor = 0;
  std::uint32_t deviceMinor = 0;
  std::uint64_t inode = 0;
  std::int64_t bornSeconds = 0;
  std::uint32_t bornNanoseconds = 0;
  bool operator==(const FileIdentity&) const = default;
};

/// The identity of the regular file at path; nothing when there is none, or when its file
/// system keeps no birth time (then no journal can be tied to it safely).
std::optional<FileIdentity> identityOf(const std::string& path);

/// This user's journal folder, made (mode 0700) when missing and `create` asks; nothing
/// unless it is a real folder owned by this user that no one else may enter or change.
std::optional<std::string> privateJournalFolder(bool create);

/// The private journal of the file, in privateJournalFolder(create); nothing when the
/// folder is unusable. The name has dots and no '-', since SQLite reads a "-suffix" in a
/// journal's name as the end of its database's name.
std::optional<std::string> privateJournalPath(const FileIdentity& file, bool create);

/// Whether the private journal of the file is there.
enum class JournalPresence { absent, present, unknown };
JournalPresence privateJournalPresence(const FileIdentity& file);

/// Deletes the private journal of a file that is being removed, so that nothing of it is
/// ever replayed onto another file. Nothing happens when there is none.
void forgetPrivateJournal(const FileIdentity& file);

/// For tests: the journal folder to use instead of /var/tmp/varcompass-<euid>; nothing
/// restores that one.
void setPrivateJournalFolderForTests(std::optional<std::string> folder);

}  // namespace vc::files::sqlite
