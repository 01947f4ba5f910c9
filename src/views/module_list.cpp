#include "views/module_list.hpp"

#include <string>

namespace vc::views {

vc::ui::CellValue ModuleList::cell(std::size_t row, std::size_t field) const {
  const vc::analysis::ModuleEntry& e = queue_.at(row + 1);
  switch (field) {
    case 0:
      return e.NOMBRE.str();
    case 1:
      return static_cast<long long>(e.EXPORT);
    case 2:
      return static_cast<long long>(e.EXTERNALS);
    default:
      return std::string();
  }
}

}  // namespace vc::views
