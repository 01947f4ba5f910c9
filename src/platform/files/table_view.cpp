#include "platform/files/table_view.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/files/sqlite/key_cursor.hpp"

namespace vc::files {
namespace {

constexpr std::size_t kHeader = 10;  // 8 bytes of place, 2 of key

// The estimates read this many bytes of a key value, from the first one in which the
// table's first and last rows differ, as one number.
constexpr std::size_t kEstimateBytes = 6;

double numberAt(const std::string& value, std::size_t from) {
  double n = 0;
  for (std::size_t i = 0; i < kEstimateBytes; ++i) {
    const std::size_t at = from + i;
    n = n * 256 + (at < value.size() ? static_cast<unsigned char>(value[at]) : 0);
  }
  return n;
}

std::size_t firstDifference(const std::string& a, const std::string& b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(ia - a.begin());
}

}  // namespace

std::string encodePosition(const CursorPosition& position) {
  std::string out(kHeader, '\0');
  const auto sequence = static_cast<std::uint64_t>(position.sequence);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((sequence >> (56 - 8 * i)) & 0xFF);
  out[8] = static_cast<char>((position.key >> 8) & 0xFF);
  out[9] = static_cast<char>(position.key & 0xFF);
  return out + position.keyValue.substr(0, kEncodedPositionLimit - kHeader);
}

std::optional<CursorPosition> decodePosition(std::string_view text) {
  if (text.size() < kHeader || text.size() > kEncodedPositionLimit) return std::nullopt;
  std::uint64_t sequence = 0;
  for (int i = 0; i < 8; ++i) sequence = (sequence << 8) | static_cast<unsigned char>(text[i]);
  CursorPosition p;
  p.sequence = static_cast<std::int64_t>(sequence);
  p.key = (static_cast<std::size_t>(static_cast<unsigned char>(text[8])) << 8) |
          static_cast<unsigned char>(text[9]);
  p.keyValue = std::string(text.substr(kHeader));
  return p;
}

TableView::TableView(KeyedTable& table)
    : table_(&table), cursor_(std::make_unique<sqlite::KeyCursor>(table.layout_, table.record_)) {
  table.views_.push_back(this);
}

TableView::~TableView() {
  if (table_ != nullptr) std::erase(table_->views_, this);
}

bool TableView::ready() {
  if (table_ == nullptr || !table_->isOpen()) {
    error_ = FileError::recordNotAvailable;
    return false;
  }
  // The opening's own changes readable first, and its connection free of the stream's
  // writes, before a cursor is prepared on it.
  table_->beforeRead();
  if (!cursor_->prepared()) {
    const FileStatus st = table_->prepareCursor(*cursor_);
    if (!st.ok()) {
      error_ = st.error;
      return false;
    }
  }
  return true;
}

FileError TableView::finish(FileError e) {
  if (e == FileError::recordNotAvailable && cursor_->lastError() != FileError::none) {
    e = cursor_->lastError();
  }
  return error_ = e;
}

void TableView::setOrder(KeyId key) {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  cursor_->toFirst(key.index);
}

std::optional<KeyId> TableView::order() const {
  if (const auto k = cursor_->order()) return KeyId{*k};
  return std::nullopt;
}

void TableView::toFirst() {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  if (const auto k = cursor_->order()) cursor_->toFirst(*k);
}

void TableView::toLast() {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  if (const auto k = cursor_->order()) cursor_->toLast(*k);
}

void TableView::setFromRecord() {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  if (const auto k = cursor_->order()) cursor_->set(*k);
}

void TableView::setOnFirstComponent() {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  if (const auto k = cursor_->order()) cursor_->setOnFirstComponent(*k);
}

void TableView::restore(const CursorPosition& position) {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  cursor_->setPosition(position);
}

FileError TableView::next() {
  if (!ready()) return error_;
  return finish(cursor_->next());
}

FileError TableView::previous() {
  if (!ready()) return error_;
  return finish(cursor_->previous());
}

FileError TableView::reget(const CursorPosition& position) {
  if (!ready()) return error_;
  const FileError e = finish(cursor_->reget(position.sequence, position.key));
  if (e == FileError::recordNotAvailable) {
    // Gone: stand at its place, so that the rows around it read on as before.
    const auto k = cursor_->order();
    if (!k || *k == position.key) {
      cursor_->setPosition(position);
    } else {
      cursor_->setPosition({*k, cursor_->keyValueOf(*k), position.sequence});
    }
  }
  return e;
}

CursorPosition TableView::position() const {
  return cursor_->position();
}

double TableView::fractionOf(const CursorPosition& position) {
  if (!ready()) return 0;
  const auto lo = cursor_->edgeKeyValue(position.key, /*last=*/false);
  const auto hi = cursor_->edgeKeyValue(position.key, /*last=*/true);
  if (!lo || !hi) return 0;
  const std::string& v = position.keyValue;
  if (v <= *lo) return 0;
  if (v >= *hi) return 1;
  const std::size_t d = firstDifference(*lo, *hi);
  const double low = numberAt(*lo, d);
  const double high = numberAt(*hi, d);
  if (high <= low) return 0;  // the first and last differ only past the bytes estimated
  return std::clamp((numberAt(v, d) - low) / (high - low), 0.0, 1.0);
}

void TableView::setAtFraction(double fraction) {
  const auto k = cursor_->order();
  if (!k) return;
  if (!(fraction > 0) || !ready()) return toFirst();
  if (fraction >= 1) return toLast();
  const auto lo = cursor_->edgeKeyValue(*k, /*last=*/false);
  const auto hi = cursor_->edgeKeyValue(*k, /*last=*/true);
  if (!lo || !hi) return toFirst();
  const std::size_t d = firstDifference(*lo, *hi);
  const double low = numberAt(*lo, d);
  const double high = numberAt(*hi, d);
  // Whole, so that each digit below comes out exactly in 0 to 255.
  double target = std::floor(low + fraction * (high - low));
  std::string value = lo->substr(0, d);
  std::string digits(kEstimateBytes, '\0');
  for (std::size_t i = kEstimateBytes; i-- > 0;) {
    const double rest = std::floor(target / 256);
    digits[i] = static_cast<char>(static_cast<unsigned char>(target - rest * 256));
    target = rest;
  }
  value += digits;
  value.resize(lo->size(), '\0');
  cursor_->setPosition({*k, std::move(value), KeyedTable::kBeforeAll});
}

bool TableView::empty() {
  if (!ready()) return true;
  if (table_->layout().keys.empty()) return table_->records() == 0;
  return !cursor_->edgeKeyValue(cursor_->order().value_or(0), /*last=*/false).has_value();
}

void TableView::stop() {
  if (table_ == nullptr) return;  // the layout and the buffer went with the table
  cursor_->stop();
}

}  // namespace vc::files
