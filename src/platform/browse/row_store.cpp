#include "platform/browse/row_store.hpp"

#include <cstring>

#include "platform/text/text_ops.hpp"

namespace vc::browse {

RowStore::RowStore(void* entry, std::size_t entrySize, void* positionField,
                   std::size_t positionLength)
    : entry_(static_cast<unsigned char*>(entry)),
      size_(entrySize),
      positionOffset_(static_cast<std::size_t>(static_cast<unsigned char*>(positionField) -
                                               static_cast<unsigned char*>(entry))),
      positionLength_(positionLength) {}

std::string RowStore::take() const {
  return std::string(reinterpret_cast<const char*>(entry_), size_);
}

void RowStore::pushBack(std::string row) {
  rows_.push_back(std::move(row));
}

void RowStore::pushFront(std::string row) {
  rows_.insert(rows_.begin(), std::move(row));
}

void RowStore::load(std::size_t i) const {
  std::memcpy(entry_, rows_[i].data(), size_);
}

std::string_view RowStore::position(std::size_t i) const {
  return text::clip(std::string_view(rows_[i]).substr(positionOffset_, positionLength_));
}

bool RowStore::setPosition(std::string_view position) const {
  if (position.size() > positionLength_) return false;
  unsigned char* field = entry_ + positionOffset_;
  std::memcpy(field, position.data(), position.size());
  std::memset(field + position.size(), ' ', positionLength_ - position.size());
  return true;
}

int RowStore::find(std::string_view position) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (this->position(i) == position) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace vc::browse
