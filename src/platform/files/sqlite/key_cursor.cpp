#include "platform/files/sqlite/key_cursor.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/files/sqlite/table_schema.hpp"
#include "platform/text/ascii_case.hpp"

namespace vc::files::sqlite {
namespace {

std::atomic<std::uint64_t> writeGeneration{1};

std::uint64_t currentGeneration() {
  return writeGeneration.load(std::memory_order_acquire);
}

}  // namespace

void noteTableWrite() {
  writeGeneration.fetch_add(1, std::memory_order_acq_rel);
}

FileStatus KeyCursor::prepare(sqlite3* db) {
  const TableSchema schema(layout_);
  forward_.clear();
  for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
    int rc = SQLITE_OK;
    Scan scan;
    scan.statement = Statement(db, schema.scanAfterSql(k), rc, /*persistent=*/true);
    if (!scan.statement) return openFailure(db, rc);
    forward_.push_back(std::move(scan));
  }
  reset();
  return {};
}

void KeyCursor::reset() {
  stop();
  order_.reset();
  current_.reset();
  error_ = FileError::none;
}

std::string KeyCursor::keyValueOf(std::size_t key) const {
  std::string value;
  for (std::size_t c : layout_.keys[key].components) {
    const FieldSpec& f = layout_.fields[c];
    for (std::size_t i = 0; i < f.length; ++i) {
      const unsigned char b = record_[f.offset + i];
      value += static_cast<char>(f.kind == FieldKind::text ? text::foldAsciiCase(b) : b);
    }
  }
  return value;
}

void KeyCursor::set(std::size_t key) {
  if (key >= layout_.keys.size() || key >= forward_.size()) return;
  stop();
  order_ = key;
  position_ = {key, keyValueOf(key), KeyedTable::kBeforeAll};
  current_.reset();
}

void KeyCursor::stop() {
  for (Scan& s : forward_) {
    if (s.state != Scan::State::idle) s.statement.reset();
    s.state = Scan::State::idle;
  }
}

void KeyCursor::stopStale() {
  const std::uint64_t now = currentGeneration();
  for (Scan& s : forward_) {
    if (s.state != Scan::State::idle && s.generation != now) {
      s.statement.reset();
      s.state = Scan::State::idle;
    }
  }
}

void KeyCursor::seek(Scan& scan) {
  // Strictly after (key value, place in the order of addition).
  sqlite3_stmt* st = scan.statement.get();
  int param = 1;
  std::size_t at = 0;
  for (std::size_t c : layout_.keys[position_.key].components) {
    const FieldSpec& f = layout_.fields[c];
    if (f.kind == FieldKind::text) {
      sqlite3_bind_blob(st, param, position_.keyValue.data() + at, static_cast<int>(f.length),
                        SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_int(st, param, static_cast<unsigned char>(position_.keyValue[at]));
    }
    at += f.length;
    ++param;
  }
  sqlite3_bind_int64(st, param, position_.sequence);
  scan.generation = currentGeneration();
}

bool KeyCursor::peek() {
  error_ = FileError::none;
  if (!order_) return false;
  Scan& scan = forward_[*order_];
  if (scan.state != Scan::State::idle && scan.generation != currentGeneration()) {
    scan.statement.reset();
    scan.state = Scan::State::idle;
  }
  if (scan.state == Scan::State::pending) return true;
  if (scan.state == Scan::State::idle) seek(scan);
  const int rc = sqlite3_step(scan.statement.get());
  if (rc == SQLITE_ROW) {
    scan.state = Scan::State::pending;
    return true;
  }
  // At the end the scan lets go of its read, so that it neither holds back the journal
  // nor misses rows another process adds meanwhile.
  if (rc != SQLITE_DONE) {
    error_ = statusOf(sqlite3_db_handle(scan.statement.get()), rc).error;
  }
  scan.statement.reset();
  scan.state = Scan::State::idle;
  return false;
}

void KeyCursor::readRow(sqlite3_stmt* st) {
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    const FieldSpec& f = layout_.fields[i];
    const int col = static_cast<int>(i) + 1;
    unsigned char* dest = record_ + f.offset;
    if (f.kind == FieldKind::text) {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(st, col));
      const std::size_t n =
          std::min(static_cast<std::size_t>(sqlite3_column_bytes(st, col)), f.length);
      if (n > 0) std::memcpy(dest, bytes, n);
      std::memset(dest + n, ' ', f.length - n);
    } else {
      *dest = static_cast<unsigned char>(std::clamp(sqlite3_column_int(st, col), 0, 255));
    }
  }
}

FileError KeyCursor::next() {
  if (!peek()) return FileError::recordNotAvailable;
  Scan& scan = forward_[*order_];
  sqlite3_stmt* st = scan.statement.get();
  readRow(st);
  position_.keyValue = keyValueOf(*order_);
  position_.sequence = sqlite3_column_int64(st, 0);
  current_ = position_.sequence;
  scan.state = Scan::State::consumed;
  return FileError::none;
}

}  // namespace vc::files::sqlite
