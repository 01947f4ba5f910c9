// The mark's bytes: 0xFF in both version bytes, which every SQLite client refuses as "not a
// database", then the marking user's id (big-endian) and a tag that tells the mark apart
// from any other bytes there.
#include "platform/files/sqlite/journal_mark.hpp"

#include <unistd.h>

#include <cstddef>

namespace vc::files::sqlite {
namespace {

constexpr unsigned char kMarkedVersion = 0xFF;
constexpr std::array<unsigned char, 4> kTag = {'v', 'c', 'j', '1'};

}  // namespace

Own markOf(std::uint32_t user) {
  return {kMarkedVersion,
          kMarkedVersion,
          static_cast<unsigned char>(user >> 24),
          static_cast<unsigned char>(user >> 16),
          static_cast<unsigned char>(user >> 8),
          static_cast<unsigned char>(user),
          kTag[0],
          kTag[1],
          kTag[2],
          kTag[3]};
}

std::uint32_t thisUser() {
  return static_cast<std::uint32_t>(::geteuid());
}

std::optional<std::uint32_t> markedBy(const Span& span) {
  const auto at = [&](int offset) { return span[static_cast<std::size_t>(offset - kSpanBegin)]; };
  if (at(18) != kMarkedVersion || at(19) != kMarkedVersion) return std::nullopt;
  for (std::size_t i = 0; i < kTag.size(); ++i) {
    if (at(76 + static_cast<int>(i)) != kTag[i]) return std::nullopt;
  }
  return (std::uint32_t{at(72)} << 24) | (std::uint32_t{at(73)} << 16) |
         (std::uint32_t{at(74)} << 8) | std::uint32_t{at(75)};
}

void overlay(unsigned char* buffer, int amount, sqlite3_int64 offset, const Own& own, Own* keep) {
  for (std::size_t i = 0; i < kMarkBytes.size(); ++i) {
    const sqlite3_int64 at = kMarkBytes[i] - offset;
    if (at < 0 || at >= amount) continue;
    if (keep != nullptr) (*keep)[i] = buffer[at];
    buffer[at] = own[i];
  }
}

bool touchesMark(int amount, sqlite3_int64 offset) {
  return offset < kSpanEnd && offset + amount > kSpanBegin;
}

}  // namespace vc::files::sqlite
