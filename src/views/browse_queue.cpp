#include "views/browse_queue.hpp"

#include <cstring>
#include <string>
#include <type_traits>

namespace vc::views {

static_assert(std::is_trivially_copyable_v<BrowseQueueEntry>,
              "rows are kept as copies of the entry's bytes");

BrowseQueue::BrowseQueue()
    : rows_(&entry, sizeof entry, entry.VIEWPOSITION.data(), entry.VIEWPOSITION.size()) {}

BrowseQueueEntry BrowseQueue::at(std::size_t row) const {
  BrowseQueueEntry e;
  std::memcpy(static_cast<void*>(&e), rows_.row(row).data(), sizeof e);
  return e;
}

vc::ui::CellValue BrowseQueue::cell(std::size_t row, std::size_t field) const {
  const BrowseQueueEntry e = at(row);
  switch (field) {
    case 0:
      return e.MODULO.str();
    case 1:
      return e.NOMBRE.str();
    case 2:
      return static_cast<long long>(e.NOMBRE_NORMALFG);
    case 3:
      return static_cast<long long>(e.NOMBRE_NORMALBG);
    case 4:
      return static_cast<long long>(e.NOMBRE_SELECTEDFG);
    case 5:
      return static_cast<long long>(e.NOMBRE_SELECTEDBG);
    case 6:
      return e.TIPO.str();
    case 7:
      return e.MODO.str();
    case 8:
      return static_cast<long long>(e.EXTERNAL);
    case 9:
      return e.VIEWPOSITION.str();
    default:
      return std::string();
  }
}

}  // namespace vc::views
