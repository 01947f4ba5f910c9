// A variable bound to a report: the controls that show it name it, and the report reads
// its bytes each time it prints one of them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/text/fixed_text.hpp"

namespace vc::report {

struct Binding {
  std::string name;                        // as the controls' `use` names it
  std::function<std::string_view()> read;  // the bytes as they are now
};

/// Binds a fixed-length text; it must outlive the report instance.
template <std::size_t N>
Binding bind(std::string name, const text::FixedText<N>& variable) {
  return {std::move(name), [&variable] { return variable.view(); }};
}

}  // namespace vc::report
