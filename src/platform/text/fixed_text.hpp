// FixedText<N>: a text of exactly N bytes, padded with blanks and without terminator,
// the shape of every text field and variable the system declares.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text/text_ops.hpp"

namespace vc::text {

/// A blank-padded text of N bytes. Assigning stores the first N bytes of the value and
/// pads with blanks; comparing ignores trailing blanks and respects case.
template <std::size_t N>
class FixedText {
 public:
  static constexpr std::size_t kLength = N;

  FixedText() { clear(); }
  explicit FixedText(std::string_view value) { assign(value); }

  FixedText& operator=(std::string_view value) {
    assign(value);
    return *this;
  }

  /// The store rule: the first N bytes of the value, then blanks up to N.
  void assign(std::string_view value) {
    const std::size_t n = std::min(value.size(), N);
    std::copy_n(value.data(), n, bytes_.data());
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(n), bytes_.end(), ' ');
  }

  void clear() { bytes_.fill(' '); }

  /// All N bytes, trailing blanks included.
  std::string_view view() const { return {bytes_.data(), N}; }
  /// The text without its trailing blanks.
  std::string_view clipped() const { return clip(view()); }
  std::string str() const { return std::string(view()); }
  bool isBlank() const { return clipped().empty(); }

  char* data() { return bytes_.data(); }
  const char* data() const { return bytes_.data(); }
  static constexpr std::size_t size() { return N; }
  char& operator[](std::size_t i) { return bytes_[i]; }
  char operator[](std::size_t i) const { return bytes_[i]; }

  friend bool operator==(const FixedText& a, std::string_view b) { return equal(a.view(), b); }
  template <std::size_t M>
  friend bool operator==(const FixedText& a, const FixedText<M>& b) {
    return equal(a.view(), b.view());
  }

 private:
  std::array<char, N> bytes_;
};

}  // namespace vc::text
