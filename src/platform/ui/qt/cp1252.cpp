#include "platform/ui/qt/cp1252.hpp"

#include <array>

namespace vc::ui::qt {
namespace {

// 0x80 to 0x9F, where the code page differs from Latin-1; above, the byte is its own
// code point.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

QString fromCp1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.append(QChar(b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : static_cast<char16_t>(b)));
  }
  return out;
}

std::optional<unsigned char> toCp1252(QChar c) {
  const char16_t u = c.unicode();
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == u) return static_cast<unsigned char>(0x80 + i);
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
  return std::nullopt;
}

}  // namespace vc::ui::qt
