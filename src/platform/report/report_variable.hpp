// A variable bound to a report by name: the controls that show it name it in their `use`,
// and the report reads its bytes each time it prints one of them. Unlike a window's
// binding, which a control holds for the rows it shows, one variable serves every
// control of the report that names it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/text/fixed_text.hpp"

namespace vc::report {

struct ReportVariable {
  std::string name;                        // as the controls' `use` names it
  std::function<std::string_view()> read;  // the bytes as they are now
};

/// Binds a fixed-length text under `name`; it must outlive the report instance.
template <std::size_t N>
ReportVariable bindVariable(std::string name, const text::FixedText<N>& variable) {
  return {std::move(name), [&variable] { return variable.view(); }};
}

}  // namespace vc::report
