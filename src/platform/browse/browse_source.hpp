// What a browse reads its rows through: a view over a keyed table, ordered by one of the
// table's keys, reading one row at a time into the table's record buffer. Positions are
// printable texts (they are kept in each row's position field) naming a row by its key
// value in the current order and its identity.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vc::browse {

/// Which side of a row a place is.
enum class Side { before, after };

class BrowseSource {
 public:
  virtual ~BrowseSource() = default;

  // Where reading starts. After any of these, next() reads the first row after the place
  // and previous() the last row before it; mixing the two without placing anew is not
  // asked of a source.
  /// Follows key `key` (by its place among the table's keys) from now on, placed before
  /// its first row.
  virtual void order(std::size_t key) = 0;
  virtual void toFirst() = 0;
  virtual void toLast() = 0;
  /// Before the first row whose first key component is at or after the record buffer's.
  virtual void toFirstComponent() = 0;
  /// Beside the row `position` names in the current order; a row gone since keeps its
  /// place there, so reading goes on with its neighbours.
  virtual void toPosition(std::string_view position, Side side) = 0;
  /// The place at about `percent` (0 to 100) of the current order, estimated from key
  /// values; counts or steps through nothing.
  virtual void toThumb(int percent) = 0;

  // Reading.
  /// The row after or before the place into the record buffer; false when there is none.
  virtual bool next() = 0;
  virtual bool previous() = 0;
  /// The row read last, as a position in the current order.
  virtual std::string position() const = 0;
  /// The row `position` names into the record buffer again; false when it is gone.
  virtual bool reread(std::string_view position) = 0;
  /// The position, in the current order, of the record in the buffer with the identity
  /// that `position` (of any order) gives it: how a row is found again in another order,
  /// gone or not.
  virtual std::string positionOfBuffer(std::string_view position) const = 0;
  /// Where the row `position` names stands in the current order, 0 (first) to 100 (last),
  /// estimated from key values.
  virtual int thumbOf(std::string_view position) = 0;
  /// Lets go of any read the source has going (a page has been filled); places are kept.
  virtual void pause() {}
};

}  // namespace vc::browse
