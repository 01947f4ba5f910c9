#include "platform/files/record_layout.hpp"

#include <cstring>

namespace vc::files {

void clearToLowest(const TableSpec& layout, void* record) {
  auto* bytes = static_cast<unsigned char*>(record);
  for (const FieldSpec& f : layout.fields) std::memset(bytes + f.offset, 0, f.length);
}

}  // namespace vc::files
