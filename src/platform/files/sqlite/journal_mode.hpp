// Which journal a table can keep where its file lies, private to the keyed-table driver.
// Write-ahead logging, which lets one opening read while another writes, keeps two files
// beside the database; in a folder that cannot be changed the journal is kept in memory.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

enum class Journal { writeAheadLog, inMemory };

/// The journal for a file at path: in memory when its folder cannot be changed.
Journal journalFor(const std::string& path);

/// A file last written with write-ahead logging says so in its header, and cannot be
/// opened for writing unless its log can be made beside it. When no log stands beside it
/// (all its changes are in the file), it is marked a plain file, as the database engine
/// itself marks it when it leaves that mode. Only for a file no one has open.
FileStatus leaveWriteAheadMode(const std::string& path);

/// Sets the connection's journal and the matching durability of commits.
int useJournal(sqlite3* db, Journal journal);

}  // namespace vc::files::sqlite
