#include "platform/ui/list_format.hpp"

#include <optional>

namespace vc::ui {
namespace {

constexpr int kMaxNumber = 9999;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::optional<ColumnAlign> alignOf(char c) {
  switch (c) {
    case 'L':
    case 'l':
      return ColumnAlign::left;
    case 'R':
    case 'r':
      return ColumnAlign::right;
    case 'C':
    case 'c':
      return ColumnAlign::center;
    case 'D':
    case 'd':
      return ColumnAlign::decimal;
    default:
      return std::nullopt;
  }
}

// A cursor over the format string; every read stops at the end.
class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool done() const { return i_ >= s_.size(); }
  char peek() const { return done() ? '\0' : s_[i_]; }
  char take() { return done() ? '\0' : s_[i_++]; }

  int number() {
    int value = 0;
    while (isDigit(peek())) {
      value = value * 10 + (take() - '0');
      if (value > kMaxNumber) value = kMaxNumber;
    }
    return value;
  }

  /// Up to the next `close` (consumed) or the end.
  std::string_view until(char close) {
    const std::size_t start = i_;
    while (!done() && s_[i_] != close) ++i_;
    std::string_view out = s_.substr(start, i_ - start);
    if (!done()) ++i_;
    return out;
  }

  /// "(n)" right here, with an optional sign; nothing is read when no "(" follows, and a
  /// parenthesis without a number in it is skipped whole.
  std::optional<int> indent() {
    if (peek() != '(') return std::nullopt;
    take();
    bool negative = false;
    if (peek() == '-' || peek() == '+') negative = take() == '-';
    const bool hasDigits = isDigit(peek());
    const int value = number();
    const bool closed = peek() == ')';
    until(')');
    if (!hasDigits || !closed) return std::nullopt;
    return negative ? -value : value;
  }

 private:
  std::string_view s_;
  std::size_t i_ = 0;
};

// Where a column is in its reading: what may still come decides whether a digit or an
// alignment letter belongs to it or starts the next column.
enum class Stage { width, modifiers, header, done };

}  // namespace

std::vector<ListColumn> parseListFormat(std::string_view format) {
  std::vector<ListColumn> columns;
  Stage stage = Stage::done;
  bool headerAlignSet = false;
  auto startColumn = [&] {
    ListColumn c;
    if (!columns.empty()) {
      const ListColumn& last = columns.back();
      c.field = last.field + (last.colored ? 5 : 1);
    }
    columns.push_back(c);
    stage = Stage::width;
    headerAlignSet = false;
  };
  auto current = [&]() -> ListColumn& {
    if (columns.empty()) startColumn();
    return columns.back();
  };

  Reader r(format);
  while (!r.done()) {
    const char c = r.peek();
    if (isDigit(c)) {
      if (columns.empty() || stage != Stage::width || current().width != 0) startColumn();
      current().width = r.number();
      continue;
    }
    if (const auto align = alignOf(c)) {
      r.take();
      if (columns.empty() || stage == Stage::done) startColumn();
      ListColumn& col = current();
      if (stage == Stage::width) {
        col.align = col.headerAlign = *align;
        col.indent = col.headerIndent = r.indent().value_or(0);
        stage = Stage::modifiers;
      } else if (stage == Stage::header && !headerAlignSet) {
        col.headerAlign = *align;
        col.headerIndent = r.indent().value_or(0);
        headerAlignSet = true;
      } else {
        r.indent();  // a letter out of place: ignored with its argument
      }
      continue;
    }
    r.take();
    switch (c) {
      case '|':
        current().rightBorder = true;
        break;
      case 'M':
      case 'm':
        current().resizable = true;
        break;
      case '*':
        current().colored = true;
        break;
      case '~': {
        ListColumn& col = current();
        col.header = std::string(r.until('~'));
        stage = Stage::header;
        break;
      }
      case '@': {
        ListColumn& col = current();
        col.picture.assign(1, '@');
        col.picture.append(r.until('@'));
        stage = Stage::done;
        break;
      }
      case '#':
        r.until('#');
        break;  // a field number: columns here take fields in order
      case '(':
        r.until(')');
        break;  // the argument of a modifier we do not know
      default:
        // Another modifier: it ends the width, so a later digit starts a new column.
        if (!columns.empty() && stage == Stage::width) stage = Stage::modifiers;
        break;
    }
  }
  return columns;
}

}  // namespace vc::ui
