// The rows a browse holds for its list: one page of fixed-size entries copied from the
// program's entry buffer, each with a position field naming its row in the browse's view.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vc::browse {

class RowStore {
 public:
  /// `entry` is the program's entry buffer of `entrySize` bytes; `positionField` (inside
  /// it, `positionLength` bytes) is where each row keeps its position, blank-padded.
  RowStore(void* entry, std::size_t entrySize, void* positionField, std::size_t positionLength);

  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  void clear() { rows_.clear(); }

  /// The entry buffer as it is now, as a row not yet stored.
  std::string take() const;
  /// Replaces the rows.
  void assign(std::vector<std::string> rows) { rows_ = std::move(rows); }
  void pushBack(std::string row);
  void pushFront(std::string row);
  void popBack() { rows_.pop_back(); }
  void popFront() { rows_.erase(rows_.begin()); }

  /// Row `i` (from 0) into the entry buffer.
  void load(std::size_t i) const;
  /// Row `i`'s bytes, laid out as the entry buffer.
  std::string_view row(std::size_t i) const { return rows_[i]; }
  /// Row `i`'s position, without its padding.
  std::string_view position(std::size_t i) const;
  /// Writes `position` into the entry buffer's position field; false when it does not fit.
  bool setPosition(std::string_view position) const;
  /// The line (from 1) of the row whose position is `position`, or 0.
  int find(std::string_view position) const;

 private:
  unsigned char* entry_;
  std::size_t size_;
  std::size_t positionOffset_;
  std::size_t positionLength_;
  std::vector<std::string> rows_;
};

}  // namespace vc::browse
