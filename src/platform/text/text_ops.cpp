#include "platform/text/text_ops.hpp"

#include <algorithm>

#include "platform/text/ascii_case.hpp"

namespace vc::text {

std::size_t find(std::string_view pattern, std::string_view text) {
  if (pattern.empty() || pattern.size() > text.size()) return 0;
  const std::size_t at = text.find(pattern);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string substring(std::string_view text, long start, long length) {
  if (start < 1) start = 1;
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= text.size() || length == 0) return {};
  const std::size_t remaining = text.size() - from;
  const std::size_t take =
      length < 0 ? remaining : std::min(remaining, static_cast<std::size_t>(length));
  return std::string(text.substr(from, take));
}

std::string leftJustify(std::string_view text) {
  const std::size_t lead = std::min(text.find_first_not_of(' '), text.size());
  std::string out(text.substr(lead));
  out.append(lead, ' ');
  return out;
}

std::string_view clip(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

char upperCase(char c) {
  return static_cast<char>(foldAsciiCase(static_cast<unsigned char>(c)));
}

std::string upperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperCase(c);
  return out;
}

int order(std::string_view a, std::string_view b) {
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(i < a.size() ? a[i] : ' ');
    const auto cb = static_cast<unsigned char>(i < b.size() ? b[i] : ' ');
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

bool equal(std::string_view a, std::string_view b) {
  return order(a, b) == 0;
}

}  // namespace vc::text
