// Which journal a table can keep where its file lies, private to the keyed-table driver.
// Write-ahead logging, which lets one opening read while another writes, keeps two files
// beside the database. In a folder that cannot be changed the rollback journal is kept in
// this user's private journal folder (journal_vfs.hpp); where that cannot be done safely,
// there is no journal, and the table may only be read.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/os/file_error.hpp"

namespace vc::files::sqlite {

enum class Journal { writeAheadLog, privateRollback, none };

/// The journal for a file at path: the log when its folder can be changed; else the
/// private rollback journal when this user's journal folder is usable and the file has a
/// birth time to tie its journal to; else none.
Journal journalFor(const std::string& path);

/// A file last written with write-ahead logging says so in its header, and cannot be
/// opened for writing unless its log can be made beside it. When no log stands beside it
/// (all its changes are in the file), it is marked a plain file, as the database engine
/// itself marks it when it leaves that mode. Only for a file no one has open.
FileStatus leaveWriteAheadMode(const std::string& path);

/// Whether a connection may change the form its file is kept in.
enum class FormChange { allowed, followTheFile };

/// Sets the connection's journal and the matching durability of commits; a connection
/// that may write needs a journal other than none. With followTheFile, a plain file stays
/// plain even where the log could be kept: another opening may be one that cannot make
/// the log's files in this folder, and would no longer read a file that took to the log.
int useJournal(sqlite3* db, Journal journal, FormChange change);

/// Ends write-ahead logging on a connection about to close whose file no other opening has
/// open: the log is copied into the file, which becomes a plain one without side files.
/// Waits for no lock; the result is SQLite's code.
int endWriteAheadLog(sqlite3* db);

}  // namespace vc::files::sqlite
