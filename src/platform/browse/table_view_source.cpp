#include "platform/browse/table_view_source.hpp"

#include <cmath>
#include <optional>

namespace vc::browse {
namespace {

// The view's positions are bytes whose trailing blanks count; a row keeps its position in
// a blank-padded text field, so it keeps it as hexadecimal digits.
std::string toText(const files::CursorPosition& position) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const std::string bytes = files::encodePosition(position);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 0xF]);
  }
  return out;
}

int digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<files::CursorPosition> fromText(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = digit(text[i]);
    const int low = digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return files::decodePosition(bytes);
}

}  // namespace

void TableViewSource::order(std::size_t key) {
  view_.setOrder(files::KeyId{key});
}

void TableViewSource::toPosition(std::string_view position, Side side) {
  std::optional<files::CursorPosition> at = fromText(position);
  if (!at) {
    // Not a position this source gave: the nearest sound place is the start.
    view_.toFirst();
    return;
  }
  // A saved position reads on after its row; one place earlier in the order of addition
  // the row itself comes next, and no other row stands in between.
  if (side == Side::before && at->sequence != files::KeyedTable::kBeforeAll) --at->sequence;
  view_.restore(*at);
}

void TableViewSource::toThumb(int percent) {
  view_.setAtFraction(percent / 100.0);
}

bool TableViewSource::next() {
  return view_.next() == files::FileError::none;
}

bool TableViewSource::previous() {
  return view_.previous() == files::FileError::none;
}

std::string TableViewSource::position() const {
  return toText(view_.position());
}

std::string TableViewSource::positionOfBuffer(std::string_view position) const {
  const std::optional<files::CursorPosition> at = fromText(position);
  if (!at) return std::string(position);
  // Found, the view stands on the row in its order; gone, on the place the buffer's key
  // fields give it there.
  (void)view_.reget(*at);
  return toText(view_.position());
}

bool TableViewSource::reread(std::string_view position) {
  const std::optional<files::CursorPosition> at = fromText(position);
  return at && view_.reget(*at) == files::FileError::none;
}

int TableViewSource::thumbOf(std::string_view position) {
  const std::optional<files::CursorPosition> at = fromText(position);
  if (!at) return 0;
  return static_cast<int>(std::lround(view_.fractionOf(*at) * 100.0));
}

}  // namespace vc::browse
