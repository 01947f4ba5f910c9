#include "platform/ui/picture.hpp"

#include <cstdint>
#include <limits>

#include "platform/ui/calendar.hpp"

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

std::string twoDigits(long long n) {
  return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

/// The length of the run of `c` that starts at s[i].
std::size_t runOf(std::string_view s, std::size_t i) {
  std::size_t n = 0;
  while (i + n < s.size() && s[i + n] == s[i]) ++n;
  return n;
}

std::string formatDate(long long dayNumber, const RegionalSettings& regional) {
  const CivilDate date = civilDate(dayNumber);
  const std::string_view pattern = regional.sShortDate;
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    const std::size_t run = runOf(pattern, i);
    if (c == 'd' || c == 'M') {
      const int value = c == 'd' ? date.day : date.month;
      out += run == 1 ? std::to_string(value) : twoDigits(value);
    } else if (c == 'y') {
      if (run <= 2) {
        const long long year = date.year < 0 ? -static_cast<long long>(date.year) : date.year;
        out += twoDigits(year % 100);
      } else {
        std::string year = std::to_string(date.year < 0 ? -date.year : date.year);
        if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
        out += (date.year < 0 ? "-" : "") + year;
      }
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::string formatTime(long long hundredths, const RegionalSettings& regional) {
  constexpr long long kDay = 24LL * 60 * 60 * 100;
  hundredths %= kDay;
  if (hundredths < 0) hundredths += kDay;
  const long long hours = hundredths / 360000;
  const long long minutes = hundredths / 6000 % 60;
  const bool twelveHour = regional.iTime == 0;
  long long shown = hours;
  if (twelveHour) shown = hours % 12 == 0 ? 12 : hours % 12;
  std::string out = twoDigits(shown);
  if (shown < 10 && regional.iTLzero == 0) out[0] = ' ';
  out += regional.sTime;
  out += twoDigits(minutes);
  if (twelveHour) out += " " + (hours < 12 ? regional.s1159 : regional.s2359);
  return out;
}

std::string formatPattern(std::string_view pattern, long long value) {
  const bool negative = value < 0;
  // The magnitude of the smallest number does not fit a long long: take it unsigned.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::string digits = std::to_string(magnitude);
  std::size_t positions = 0;
  for (char c : pattern)
    if (c == '<' || c == '#') ++positions;

  std::string out;
  std::size_t firstPosition = std::string::npos;  // in out
  std::size_t firstDigit = std::string::npos;     // in out
  const std::size_t overflow = digits.size() > positions ? digits.size() - positions : 0;
  std::size_t slot = 0;  // digit positions passed so far
  for (char c : pattern) {
    if (c != '<' && c != '#') {
      out += c;
      continue;
    }
    if (slot == 0) {
      firstPosition = out.size();
      out.append(digits, 0, overflow);
      if (overflow > 0) firstDigit = firstPosition;
    }
    // Position `slot` of `positions` holds the digit this far from the right, if any.
    const std::size_t fromRight = positions - 1 - slot;
    const std::size_t shownDigits = digits.size() - overflow;
    if (fromRight < shownDigits) {
      if (firstDigit == std::string::npos) firstDigit = out.size();
      out += digits[digits.size() - 1 - fromRight];
    } else {
      out += c == '#' ? '0' : ' ';
      if (c == '#' && firstDigit == std::string::npos) firstDigit = out.size() - 1;
    }
    ++slot;
  }
  if (positions == 0) {
    firstPosition = firstDigit = out.size();
    out += digits;
  }
  if (negative) {
    if (firstDigit > 0 && firstDigit > firstPosition && out[firstDigit - 1] == ' ')
      out[firstDigit - 1] = '-';
    else
      out.insert(firstPosition, 1, '-');
  }
  return out;
}

bool isPatternDelimiter(char c) {
  return c == 'p' || c == 'P';
}

}  // namespace

Picture parsePicture(std::string_view picture) {
  std::string_view p = picture;
  if (!p.empty() && p.front() == '@') p.remove_prefix(1);
  if (!p.empty() && p.back() == '@') p.remove_suffix(1);
  if (p.size() < 2) return {};
  if (isPatternDelimiter(p.front()) && isPatternDelimiter(p.back()))
    return {Picture::Kind::pattern, 0, std::string(p.substr(1, p.size() - 2))};
  const std::string_view number = p.substr(1);
  if ((p.front() == 'd' || p.front() == 'D') && number == "17") return {Picture::Kind::date, 0, {}};
  if ((p.front() == 't' || p.front() == 'T') && number == "7") return {Picture::Kind::time, 0, {}};
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
  return {kind, width, {}};
}

std::string formatPicture(const Picture& picture, const CellValue& value) {
  if (picture.kind == Picture::Kind::date || picture.kind == Picture::Kind::time)
    return formatPicture(picture, value, regionalSettings());
  return formatPicture(picture, value, RegionalSettings{});
}

std::string formatPicture(const Picture& picture, const CellValue& value,
                          const RegionalSettings& regional) {
  switch (picture.kind) {
    case Picture::Kind::date:
      return formatDate(asNumber(value), regional);
    case Picture::Kind::time:
      return formatTime(asNumber(value), regional);
    case Picture::Kind::pattern:
      return formatPattern(picture.pattern, asNumber(value));
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
