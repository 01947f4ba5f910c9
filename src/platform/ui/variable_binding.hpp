// A binding over one whole-number variable, for a control that shows a single value (a
// progress bar over its position, say). The variable must outlive the binding.
#pragma once

#include "platform/ui/binding.hpp"

namespace vc::ui {

template <typename T>
class VariableBinding : public Binding {
 public:
  explicit VariableBinding(const T& variable) : variable_(variable) {}
  std::size_t rowCount() const override { return 1; }
  CellValue cell(std::size_t, std::size_t) const override {
    return static_cast<long long>(variable_);
  }

 private:
  const T& variable_;
};

}  // namespace vc::ui
