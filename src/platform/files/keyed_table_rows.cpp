// The keyed table's rows and cursor: STREAM and FLUSH, RECORDS, ADD and DELETE, and the
// reads of one row at a time in a key's order (SET, EOF, NEXT, PREVIOUS, positions).
#include <sqlite3.h>

#include "platform/files/keyed_table.hpp"
#include "platform/files/sqlite/opening.hpp"
#include "platform/files/table_view.hpp"

namespace vc::files {

FileStatus KeyedTable::stream() {
  if (open_ == nullptr || atomic_) return FileStatus::of(FileError::accessDenied);
  open_->writer.begin();
  return {};
}

FileStatus KeyedTable::flush() {
  if (open_ == nullptr) return {};
  return open_->writer.end();
}

void KeyedTable::beforeRead() {
  if (open_ != nullptr) open_->writer.beforeRead();
}

std::uint64_t KeyedTable::records() {
  if (open_ == nullptr) return 0;
  beforeRead();
  open_->cursor.stopStale();
  for (TableView* view : views_) {
    if (view->cursor_) view->cursor_->stopStale();
  }
  sqlite3_stmt* st = open_->count.get();
  std::uint64_t n = 0;
  if (sqlite3_step(st) == SQLITE_ROW) n = static_cast<std::uint64_t>(sqlite3_column_int64(st, 0));
  sqlite3_reset(st);
  return n;
}

FileError KeyedTable::add() {
  if (open_ == nullptr) return error_ = FileError::accessDenied;
  sqlite::StreamWriter& writer = open_->writer;
  return error_ = writer.active() ? writer.add(record_) : writer.addNow(record_);
}

FileError KeyedTable::deleteCurrent() {
  if (open_ == nullptr || !open_->cursor.current()) return error_ = FileError::recordNotAvailable;
  sqlite::StreamWriter& writer = open_->writer;
  if (writer.active()) {
    if (const FileStatus st = writer.beforeDelete(); !st.ok()) return error_ = st.error;
  }
  stopReads();
  sqlite3_stmt* st = open_->erase.get();
  sqlite3_bind_int64(st, 1, *open_->cursor.current());
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  sqlite::noteTableWrite();
  if (writer.active()) writer.afterDelete();
  open_->cursor.forgetCurrent();
  return error_ =
             rc == SQLITE_DONE ? FileError::none : sqlite::statusOf(open_->connection.db, rc).error;
}

void KeyedTable::clearToLowest() {
  files::clearToLowest(layout_, record_);
}

void KeyedTable::set(KeyId key) {
  beforeRead();
  if (open_ != nullptr) open_->cursor.set(key.index);
}

bool KeyedTable::eof() {
  beforeRead();
  if (open_ == nullptr) return true;
  const bool more = open_->cursor.peek();
  error_ = open_->cursor.lastError();
  return !more;
}

FileError KeyedTable::next() {
  beforeRead();
  error_ = open_ == nullptr ? FileError::recordNotAvailable : open_->cursor.next();
  return error_;
}

bool KeyedTable::bof() {
  beforeRead();
  if (open_ == nullptr) return true;
  const bool more = open_->cursor.peekBack();
  if (open_->cursor.lastError() != FileError::none) error_ = open_->cursor.lastError();
  return !more;
}

FileError KeyedTable::previous() {
  beforeRead();
  error_ = open_ == nullptr ? FileError::recordNotAvailable : open_->cursor.previous();
  return error_;
}

void KeyedTable::setOnFirstComponent(KeyId key) {
  beforeRead();
  if (open_ != nullptr) open_->cursor.setOnFirstComponent(key.index);
}

CursorPosition KeyedTable::position() const {
  if (open_ == nullptr || !open_->cursor.order()) return {};
  return open_->cursor.position();
}

void KeyedTable::set(const CursorPosition& position) {
  beforeRead();
  if (open_ != nullptr) open_->cursor.setPosition(position);
}

FileError KeyedTable::reget(const CursorPosition& position) {
  beforeRead();
  if (open_ == nullptr) return error_ = FileError::recordNotAvailable;
  error_ = open_->cursor.reget(position.sequence, position.key);
  if (error_ == FileError::recordNotAvailable && open_->cursor.lastError() != FileError::none) {
    error_ = open_->cursor.lastError();
  }
  return error_;
}

}  // namespace vc::files
