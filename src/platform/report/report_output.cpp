#include "platform/report/report_output.hpp"

#include <algorithm>

namespace vc::report {

PageRange pagesToPrint(const PreviewAnswer& answer, int pageCount) {
  if (pageCount <= 0) return {1, 0};
  const auto within = [&](int page) { return std::clamp(page, 1, pageCount); };
  switch (answer.pages) {
    case PageChoice::all:
      return {1, pageCount};
    case PageChoice::range:
      return {within(std::min(answer.from, answer.to)), within(std::max(answer.from, answer.to))};
    case PageChoice::current:
      return {within(answer.current), within(answer.current)};
  }
  return {1, 0};
}

}  // namespace vc::report
