// The mark a keyed file carries while its pages are changed under a private journal,
// private to the keyed-table driver: which header bytes it takes, how it names the user
// who wrote it, and how it is laid over a buffer of the file (journal_vfs.cpp).
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <optional>

namespace vc::files::sqlite {

/// The size of a database file's header.
inline constexpr int kHeaderSize = 100;
/// The mark is written as one piece over bytes 18..79 of the header.
inline constexpr int kSpanBegin = 18;
inline constexpr int kSpanEnd = 80;
using Span = std::array<unsigned char, kSpanEnd - kSpanBegin>;
/// The header bytes the mark takes: the two versions, the user's id, the tag.
inline constexpr std::array<int, 10> kMarkBytes = {18, 19, 72, 73, 74, 75, 76, 77, 78, 79};
/// What stands in the mark's bytes: the mark itself, or the file's own bytes under it.
using Own = std::array<unsigned char, kMarkBytes.size()>;
/// A rollback-journal file's own bytes there: versions 1 and 1, reserved bytes zero.
inline constexpr Own kPlainOwn = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0};

/// The mark of a user: versions that every SQLite client refuses, the user's id, the tag.
Own markOf(std::uint32_t user);
/// The user this process writes marks as (its effective user id).
std::uint32_t thisUser();
/// The marking user, when the bytes 18..79 carry a mark.
std::optional<std::uint32_t> markedBy(const Span& span);
/// Copies `own` into the mark's bytes of a buffer that holds the file from offset on;
/// with `keep`, first keeps what the buffer had there.
void overlay(unsigned char* buffer, int amount, sqlite3_int64 offset, const Own& own,
             Own* keep = nullptr);
/// Whether `amount` bytes from offset cover any of the mark's span.
bool touchesMark(int amount, sqlite3_int64 offset);

}  // namespace vc::files::sqlite
