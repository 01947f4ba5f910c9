#include "platform/files/sqlite/key_cursor.hpp"

#include <atomic>

#include "platform/files/sqlite/row_reader.hpp"
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
  release();
  const TableSchema schema(layout_);
  int rc = SQLITE_OK;
  for (std::size_t k = 0; k < layout_.keys.size(); ++k) {
    Scan ahead;
    ahead.statement = Statement(db, schema.scanAfterSql(k), rc, /*persistent=*/true);
    if (!ahead.statement) break;
    Scan back;
    back.statement = Statement(db, schema.scanBeforeSql(k), rc, /*persistent=*/true);
    if (!back.statement) break;
    Statement first(db, schema.edgeSql(k, false), rc, /*persistent=*/true);
    if (!first) break;
    Statement last(db, schema.edgeSql(k, true), rc, /*persistent=*/true);
    if (!last) break;
    forward_.push_back(std::move(ahead));
    backward_.push_back(std::move(back));
    edges_.push_back(std::move(first));
    edges_.push_back(std::move(last));
  }
  if (rc == SQLITE_OK) byIdentity_ = Statement(db, schema.byIdentitySql(), rc, /*persistent=*/true);
  if (rc != SQLITE_OK) {
    release();
    return openFailure(db, rc);
  }
  return {};
}

void KeyCursor::release() {
  forward_.clear();
  backward_.clear();
  edges_.clear();
  byIdentity_ = Statement();
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

std::string KeyCursor::lowestTail(std::size_t key, std::size_t from, unsigned char fill) const {
  std::string tail;
  const auto& components = layout_.keys[key].components;
  for (std::size_t i = from; i < components.size(); ++i) {
    tail.append(layout_.fields[components[i]].length, static_cast<char>(fill));
  }
  return tail;
}

void KeyCursor::place(std::size_t key, std::string keyValue, std::int64_t sequence) {
  stop();
  order_ = key;
  position_ = {key, std::move(keyValue), sequence};
  current_.reset();
}

void KeyCursor::set(std::size_t key) {
  if (key >= layout_.keys.size()) return;
  place(key, keyValueOf(key), KeyedTable::kBeforeAll);
}

void KeyCursor::setOnFirstComponent(std::size_t key) {
  if (key >= layout_.keys.size() || layout_.keys[key].components.empty()) return;
  const FieldSpec& f = layout_.fields[layout_.keys[key].components.front()];
  std::string value = keyValueOf(key).substr(0, f.length) + lowestTail(key, 1, 0x00);
  place(key, std::move(value), KeyedTable::kBeforeAll);
}

void KeyCursor::toFirst(std::size_t key) {
  if (key >= layout_.keys.size()) return;
  place(key, lowestTail(key, 0, 0x00), KeyedTable::kBeforeAll);
}

void KeyCursor::toLast(std::size_t key) {
  if (key >= layout_.keys.size()) return;
  place(key, lowestTail(key, 0, 0xFF), KeyedTable::kAfterAll);
}

void KeyCursor::setPosition(const CursorPosition& position) {
  if (position.key >= layout_.keys.size()) return;
  // A position from elsewhere (a decoded text) may have the wrong length; one of the
  // key's length keeps the seek inside it.
  std::string value = position.keyValue;
  value.resize(lowestTail(position.key, 0, 0).size(), '\0');
  place(position.key, std::move(value), position.sequence);
}

void KeyCursor::stop() {
  for (auto* scans : {&forward_, &backward_}) {
    for (Scan& s : *scans) {
      if (s.state != Scan::State::idle) s.statement.reset();
      s.state = Scan::State::idle;
    }
  }
}

void KeyCursor::stopStale() {
  const std::uint64_t now = currentGeneration();
  for (auto* scans : {&forward_, &backward_}) {
    for (Scan& s : *scans) {
      if (s.state != Scan::State::idle && s.generation != now) {
        s.statement.reset();
        s.state = Scan::State::idle;
      }
    }
  }
}

void KeyCursor::seek(Scan& scan) {
  // Strictly after (or before) (key value, place in the order of addition).
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

bool KeyCursor::look(std::vector<Scan>& scans) {
  error_ = FileError::none;
  if (!order_ || *order_ >= scans.size()) return false;
  Scan& scan = scans[*order_];
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

bool KeyCursor::peek() {
  return look(forward_);
}

bool KeyCursor::peekBack() {
  return look(backward_);
}

FileError KeyCursor::read(std::vector<Scan>& scans, std::vector<Scan>& opposite) {
  if (!look(scans)) return FileError::recordNotAvailable;
  Scan& scan = scans[*order_];
  sqlite3_stmt* st = scan.statement.get();
  readRowInto(layout_, record_, st, 1);
  position_.keyValue = keyValueOf(*order_);
  position_.sequence = sqlite3_column_int64(st, 0);
  current_ = position_.sequence;
  scan.state = Scan::State::consumed;
  // The other direction was sought from the old position.
  Scan& other = opposite[*order_];
  if (other.state != Scan::State::idle) other.statement.reset();
  other.state = Scan::State::idle;
  return FileError::none;
}

FileError KeyCursor::next() {
  return read(forward_, backward_);
}

FileError KeyCursor::previous() {
  return read(backward_, forward_);
}

FileError KeyCursor::reget(std::int64_t sequence, std::size_t fallbackKey) {
  error_ = FileError::none;
  if (!byIdentity_) return FileError::recordNotAvailable;
  const std::size_t key = order_.value_or(fallbackKey);
  if (key >= layout_.keys.size()) return FileError::recordNotAvailable;
  sqlite3_stmt* st = byIdentity_.get();
  sqlite3_bind_int64(st, 1, sequence);
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) readRowInto(layout_, record_, st, 1);
  byIdentity_.reset();
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) error_ = statusOf(sqlite3_db_handle(st), rc).error;
    return FileError::recordNotAvailable;
  }
  place(key, keyValueOf(key), sequence);
  current_ = sequence;
  return FileError::none;
}

std::optional<std::string> KeyCursor::edgeKeyValue(std::size_t key, bool last) {
  error_ = FileError::none;
  const std::size_t at = key * 2 + (last ? 1 : 0);
  if (at >= edges_.size()) return std::nullopt;
  sqlite3_stmt* st = edges_[at].get();
  const int rc = sqlite3_step(st);
  std::optional<std::string> value;
  if (rc == SQLITE_ROW) {
    value.emplace();
    appendKeyValue(layout_, layout_.keys[key].components, st, 0, *value);
  } else if (rc != SQLITE_DONE) {
    error_ = statusOf(sqlite3_db_handle(st), rc).error;
  }
  edges_[at].reset();
  return value;
}

}  // namespace vc::files::sqlite
