// The browse: a component of a window that fills a list, one page at a time, from a view
// over a keyed table, in the order of the sort order chosen, and keeps the selected row in
// the table's record buffer. Only the page shown is held: paging, locating and re-sorting
// read a few rows around the place they go to, and never count or walk the table.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/browse/browse_source.hpp"
#include "platform/browse/row_store.hpp"
#include "platform/browse/step_locator.hpp"
#include "platform/ui/component.hpp"
#include "platform/ui/window_controller.hpp"

namespace vc::browse {

/// Whether choosing a sort order changed what the list must show.
enum class SortChange { same, changed };

class Browse : public ui::WindowComponent {
 public:
  /// Drives list `list` of the controller's window over `rows` (bound to that list by the
  /// program) from `source`, and registers itself with the controller. Call before the
  /// window opens: the list is made to leave its scrolling to the browse.
  Browse(ui::WindowController& controller, int list, RowStore& rows, BrowseSource& source);

  // Set-up, after the window has opened.
  /// Adds a sort order (numbered from 1 in the order added) over the source's key `key`;
  /// `locator` (may be null) takes the characters typed while that order applies.
  void addSortOrder(std::size_t key, StepLocator* locator);
  /// A field pair: `length` bytes of the record buffer at `recordField` to and from the
  /// entry buffer at `entryField`.
  void addField(void* recordField, std::size_t length, void* entryField);

  // Hooks for the program.
  /// Which sort order applies; called at every reset with its force flag. The default
  /// keeps order 1.
  virtual SortChange chooseSortOrder(bool force);
  /// The entry buffer has just been filled from the record read; the program may set the
  /// entry's other fields (colours, say) from the record.
  virtual void setRowColours() {}

  /// Makes sort order `order` (from 1) the current one; changed when it was another one
  /// (or none), or when `force` is set.
  SortChange setSortOrder(std::size_t order, bool force);

  /// Refills the list from the row on its first line (from the first row when empty),
  /// keeping the row selected before when it is shown again, else selecting the first.
  void refill();

  /// The line selected (from 1), 0 when the list is empty.
  int selectedLine() const { return selected_; }
  /// How many rows the browse has read from its source, for those who watch its cost.
  std::size_t rowsRead() const { return rowsRead_; }

  // WindowComponent
  ui::Answer takeEvent(const ui::Event& event) override;
  void reset(bool force) override;
  /// Reads the selected row's record into the record buffer again; when it is gone, the
  /// buffer takes the row's fields as shown.
  void update() override;
  void armKeys() override;
  void release() override;

 private:
  struct FieldPair {
    unsigned char* record;
    std::size_t length;
    unsigned char* entry;
  };
  struct Order {
    std::size_t key;
    StepLocator* locator;
  };
  using Place = std::function<void()>;

  int pageLines() const;
  bool readNext();
  bool readPrevious();
  std::string entryOfRecord();
  void rowToRecord(std::size_t index);
  /// Fills a page around a place: up to `above` rows before it, the rest after it, and
  /// more before it when too few follow. The line of the first row after the place, or 0.
  int fillAround(const Place& place, int above);
  void fillFirst();
  void fillLast();
  /// Re-reads the list around the selected row in the current order, on its line.
  void resortKeeping();
  void locate(int key);
  void scroll(const ui::ScrollRequest& request);
  void lineDown();
  void lineUp();
  void pageDown();
  void pageUp();
  /// Selects line `line` (clamped to the rows shown): its fields go to the record buffer.
  void select(int line);
  void show();

  ui::WindowController& controller_;
  int list_;
  RowStore& rows_;
  BrowseSource& source_;
  std::vector<Order> orders_;
  std::vector<FieldPair> fields_;
  std::size_t order_ = 0;     // 0: none chosen yet
  std::size_t filledIn_ = 0;  // the order the rows shown are in; 0: never filled
  int selected_ = 0;
  std::size_t rowsRead_ = 0;
};

}  // namespace vc::browse
