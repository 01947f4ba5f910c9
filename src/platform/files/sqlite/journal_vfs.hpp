// The SQLite file system every keyed-table connection uses: the system's own ("unix"), with
// the rollback journal of a file in a folder this user cannot change kept in the user's
// private journal folder, and the file marked unreadable while that journal is needed.
// Private to the keyed-table driver; the contract is written at the top of the .cpp.
#pragma once

#include <sqlite3.h>

namespace vc::files::sqlite {

/// The name to open connections with; registers the file system on first use.
const char* journalVfs();

/// The moments of a change written with a private journal, in their order, for tests
/// that stop a process at each of them.
enum class JournalMoment {
  firstWrite,   // the first write to the file in a change, before anything is written
  marked,       // the mark is in the file and forced to disk
  pageWritten,  // a write to the file is done
  journalGone,  // the lock leaves EXCLUSIVE, before the mark is looked at
  cleared,      // the mark is gone from the file and that is forced to disk
};

/// For tests: forwards to `below` (itself over the system's file system) instead of the
/// system's own, or to the system's own again for nullptr. False, and nothing changed, when
/// below's file handles would not fit.
bool putLayerBelowForTests(sqlite3_vfs* below);

/// For tests: called at each moment in this process (nullptr: nothing is called).
void setJournalProbeForTests(void (*probe)(JournalMoment));

}  // namespace vc::files::sqlite
