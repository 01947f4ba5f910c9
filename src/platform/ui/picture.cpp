#include "platform/ui/picture.hpp"

#include <cstdint>
#include <limits>

namespace vc::ui {
namespace {

// A picture never needs more positions than this; larger widths in a damaged structure
// must not turn into huge allocations.
constexpr int kMaxWidth = 4096;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// A number read from a text: saturates instead of overflowing, so any bytes are safe.
long long readNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const std::size_t digitsStart = i;
  std::uint64_t magnitude = 0;
  constexpr std::uint64_t kLimit = std::numeric_limits<long long>::max();
  for (; i < text.size() && isDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  bool sawDigits = i > digitsStart;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (i < text.size() && isDigit(text[i])) {
      sawDigits = true;
      if (text[i] >= '5' && magnitude < kLimit) ++magnitude;
      while (i < text.size() && isDigit(text[i])) ++i;
    }
  }
  while (i < text.size() && isBlank(text[i])) ++i;
  if (!sawDigits || i != text.size()) return 0;
  return negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
}

std::string decimal(long long value) {
  return std::to_string(value);
}

std::string asText(const CellValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return decimal(std::get<long long>(value));
}

long long asNumber(const CellValue& value) {
  if (const auto* number = std::get_if<long long>(&value)) return *number;
  return readNumber(std::get<std::string>(value));
}

}  // namespace

Picture parsePicture(std::string_view picture) {
  std::string_view p = picture;
  if (!p.empty() && p.front() == '@') p.remove_prefix(1);
  if (!p.empty() && p.back() == '@') p.remove_suffix(1);
  if (p.size() < 2) return {};
  Picture::Kind kind;
  switch (p.front()) {
    case 's':
    case 'S':
      kind = Picture::Kind::text;
      break;
    case 'n':
    case 'N':
      kind = Picture::Kind::number;
      break;
    default:
      return {};
  }
  // "@n03" would ask for zero fill, a modifier we do not know: shown as is instead.
  if (p[1] == '0') return {};
  int width = 0;
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (!isDigit(p[i])) return {};
    if (width < kMaxWidth) width = width * 10 + (p[i] - '0');
  }
  if (width > kMaxWidth) width = kMaxWidth;
  return {kind, width};
}

std::string formatPicture(const Picture& picture, const CellValue& value) {
  switch (picture.kind) {
    case Picture::Kind::none:
      return asText(value);
    case Picture::Kind::text: {
      std::string text = asText(value);
      if (picture.width >= 0 && text.size() > static_cast<std::size_t>(picture.width))
        text.resize(static_cast<std::size_t>(picture.width));
      return text;
    }
    case Picture::Kind::number: {
      const std::size_t width = picture.width > 0 ? static_cast<std::size_t>(picture.width) : 1;
      const std::string digits = decimal(asNumber(value));
      if (digits.size() > width) return std::string(width, '#');
      return std::string(width - digits.size(), ' ') + digits;
    }
  }
  return asText(value);
}

}  // namespace vc::ui
