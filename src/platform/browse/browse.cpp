#include "platform/browse/browse.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vc::browse {

using ui::Answer;
using ui::ScrollRequest;

Browse::Browse(ui::WindowController& controller, int list, RowStore& rows, BrowseSource& source)
    : controller_(controller), list_(list), rows_(rows), source_(source) {
  controller_.window().control(list_).list().scrolling = ui::ListScrolling::byProgram;
  controller_.addComponent(*this);
}

void Browse::addSortOrder(std::size_t key, StepLocator* locator) {
  orders_.push_back({key, locator});
}

void Browse::addField(void* recordField, std::size_t length, void* entryField) {
  fields_.push_back(
      {static_cast<unsigned char*>(recordField), length, static_cast<unsigned char*>(entryField)});
}

SortChange Browse::chooseSortOrder(bool force) {
  return setSortOrder(1, force);
}

SortChange Browse::setSortOrder(std::size_t order, bool force) {
  if (order == 0 || order > orders_.size()) return SortChange::same;
  if (order == order_) return force ? SortChange::changed : SortChange::same;
  order_ = order;
  source_.order(orders_[order - 1].key);
  return SortChange::changed;
}

// Reading ------------------------------------------------------------------------------

int Browse::pageLines() const {
  return std::max(1, controller_.window().listLines(list_));
}

bool Browse::readNext() {
  if (!source_.next()) return false;
  ++rowsRead_;
  return true;
}

bool Browse::readPrevious() {
  if (!source_.previous()) return false;
  ++rowsRead_;
  return true;
}

std::string Browse::entryOfRecord() {
  for (const FieldPair& f : fields_) std::memcpy(f.entry, f.record, f.length);
  setRowColours();
  rows_.setPosition(source_.position());
  return rows_.take();
}

void Browse::rowToRecord(std::size_t index) {
  rows_.load(index);
  for (const FieldPair& f : fields_) std::memcpy(f.record, f.entry, f.length);
}

int Browse::fillAround(const Place& place, int above) {
  const int lines = pageLines();
  // Forward from the place first; then backward from the first row found (or from the
  // end), so that the place is asked for once: it may depend on the record buffer, which
  // every read overwrites.
  place();
  std::vector<std::string> after;
  std::string firstAfter;
  while (static_cast<int>(after.size()) < lines && readNext()) {
    if (after.empty()) firstAfter = source_.position();
    after.push_back(entryOfRecord());
  }
  if (after.empty())
    source_.toLast();
  else
    source_.toPosition(firstAfter, Side::before);
  const int wanted = std::max(above, lines - static_cast<int>(after.size()));
  std::vector<std::string> before;
  while (static_cast<int>(before.size()) < wanted && readPrevious())
    before.push_back(entryOfRecord());
  if (static_cast<int>(before.size() + after.size()) > lines)
    after.resize(static_cast<std::size_t>(lines) - before.size());
  std::vector<std::string> page(before.rbegin(), before.rend());
  const int firstAfterLine = after.empty() ? 0 : static_cast<int>(page.size()) + 1;
  for (std::string& row : after) page.push_back(std::move(row));
  rows_.assign(std::move(page));
  filledIn_ = order_;
  return firstAfterLine;
}

void Browse::fillFirst() {
  fillAround([this] { source_.toFirst(); }, 0);
}

void Browse::fillLast() {
  fillAround([this] { source_.toLast(); }, pageLines());
}

// Resets and refills ---------------------------------------------------------------------

void Browse::reset(bool force) {
  const SortChange change = chooseSortOrder(force);
  if (order_ == 0) return;
  const bool redo = change == SortChange::changed || force || filledIn_ != order_;
  if (filledIn_ == 0 || (rows_.empty() && redo)) {
    fillFirst();
    select(1);
  } else if (redo) {
    resortKeeping();
  }
  // Unforced and nothing changed: the list and its selection stay as they are.
  source_.pause();
}

void Browse::resortKeeping() {
  const int line = selected_ > 0 ? selected_ : 1;
  const std::string old(rows_.position(static_cast<std::size_t>(line) - 1));
  // The row's own fields find it in the new order: a row another process deleted
  // meanwhile is found at the place it had, and the list goes on from there.
  rowToRecord(static_cast<std::size_t>(line) - 1);
  const std::string target = source_.positionOfBuffer(old);
  const int at = fillAround([&] { source_.toPosition(target, Side::before); }, line - 1);
  select(at > 0 ? at : static_cast<int>(rows_.size()));
}

void Browse::refill() {
  if (order_ == 0) return;
  if (rows_.empty()) {
    fillFirst();
    select(1);
    show();
    return;
  }
  const std::string first(rows_.position(0));
  const std::string chosen(rows_.position(static_cast<std::size_t>(std::max(selected_, 1)) - 1));
  fillAround([&] { source_.toPosition(first, Side::before); }, 0);
  const int found = rows_.find(chosen);
  select(found > 0 ? found : 1);
  show();
}

void Browse::update() {
  if (selected_ == 0) return;
  const std::size_t index = static_cast<std::size_t>(selected_) - 1;
  if (source_.reread(rows_.position(index))) {
    ++rowsRead_;
  } else {
    // Gone since it was read: the buffer keeps what the list shows of it.
    rowToRecord(index);
  }
  source_.pause();
}

// Selection and moves ---------------------------------------------------------------------

void Browse::select(int line) {
  const int count = static_cast<int>(rows_.size());
  selected_ = count == 0 ? 0 : std::clamp(line, 1, count);
  ui::ListState& state = controller_.window().control(list_).list();
  state.selectedRow = selected_;
  if (selected_ == 0) {
    state.thumb = 0;
    return;
  }
  const std::size_t index = static_cast<std::size_t>(selected_) - 1;
  rowToRecord(index);
  state.thumb = std::clamp(source_.thumbOf(rows_.position(index)), 0, 100);
}

void Browse::lineDown() {
  if (selected_ < static_cast<int>(rows_.size())) return select(selected_ + 1);
  const std::string last(rows_.position(rows_.size() - 1));
  source_.toPosition(last, Side::after);
  if (!readNext()) return select(selected_);
  rows_.pushBack(entryOfRecord());
  rows_.popFront();
  select(static_cast<int>(rows_.size()));
}

void Browse::lineUp() {
  if (selected_ > 1) return select(selected_ - 1);
  const std::string first(rows_.position(0));
  source_.toPosition(first, Side::before);
  if (!readPrevious()) return select(1);
  rows_.pushFront(entryOfRecord());
  rows_.popBack();
  select(1);
}

void Browse::pageDown() {
  const int lines = pageLines();
  const std::string last(rows_.position(rows_.size() - 1));
  source_.toPosition(last, Side::after);
  std::vector<std::string> after;
  while (static_cast<int>(after.size()) < lines && readNext()) after.push_back(entryOfRecord());
  if (after.empty()) return select(static_cast<int>(rows_.size()));  // already at the end
  if (static_cast<int>(after.size()) == lines)
    rows_.assign(std::move(after));
  else
    fillLast();
  select(selected_);
}

void Browse::pageUp() {
  const int lines = pageLines();
  const std::string first(rows_.position(0));
  source_.toPosition(first, Side::before);
  std::vector<std::string> before;
  while (static_cast<int>(before.size()) < lines && readPrevious())
    before.push_back(entryOfRecord());
  if (before.empty()) return select(1);  // already at the top
  if (static_cast<int>(before.size()) == lines)
    rows_.assign(std::vector<std::string>(before.rbegin(), before.rend()));
  else
    fillFirst();
  select(selected_);
}

void Browse::scroll(const ScrollRequest& request) {
  if (rows_.empty() && request.step != ScrollRequest::Step::first &&
      request.step != ScrollRequest::Step::last && request.step != ScrollRequest::Step::thumb)
    return;
  switch (request.step) {
    case ScrollRequest::Step::lineDown:
      return lineDown();
    case ScrollRequest::Step::lineUp:
      return lineUp();
    case ScrollRequest::Step::pageDown:
      return pageDown();
    case ScrollRequest::Step::pageUp:
      return pageUp();
    case ScrollRequest::Step::first:
      fillFirst();
      return select(1);
    case ScrollRequest::Step::last:
      fillLast();
      return select(static_cast<int>(rows_.size()));
    case ScrollRequest::Step::thumb:
      if (request.thumb <= 0) {
        fillFirst();
        return select(1);
      }
      if (request.thumb >= 100) {
        fillLast();
        return select(static_cast<int>(rows_.size()));
      }
      fillAround([&] { source_.toThumb(request.thumb); }, 0);
      return select(1);
  }
}

void Browse::locate(int key) {
  StepLocator* locator = orders_[order_ - 1].locator;
  if (locator == nullptr || rows_.empty()) return;  // an empty list: nothing to go to
  lineDown();
  if (locator->take(key, /*moved=*/true) != LocatorStep::accepted) return;
  const int at = fillAround([this] { source_.toFirstComponent(); }, 0);
  // A value past every row finds none: the last row is the nearest.
  select(at > 0 ? at : static_cast<int>(rows_.size()));
}

void Browse::show() {
  // A page held open as a read would keep other writers (the purge, say) waiting.
  source_.pause();
  controller_.window().display(list_);
}

// The component's part in the window -----------------------------------------------------

Answer Browse::takeEvent(const ui::Event& event) {
  if (event.control != list_ || order_ == 0) return Answer::proceed;
  switch (event.kind) {
    case ui::EventKind::scroll:
      if (const auto* request = event.as<ScrollRequest>()) {
        scroll(*request);
        show();
      }
      break;
    case ui::EventKind::newSelection:
      // A click, right button included, selects the row under the pointer; the context
      // menu would offer the browse's commands, and this browse is given none.
      if (const auto* chosen = event.as<ui::RowChosen>()) {
        select(chosen->row);
        show();
      }
      break;
    case ui::EventKind::alertKey:
      if (const auto* typed = event.as<ui::KeyTyped>()) {
        locate(typed->key);
        show();
      }
      break;
    default:
      break;
  }
  return Answer::proceed;
}

void Browse::armKeys() {
  const bool locating =
      std::any_of(orders_.begin(), orders_.end(), [](const Order& o) { return o.locator; });
  // Typed characters only; movement keys reach the browse as scroll requests.
  if (locating) controller_.window().armKeys(list_, 32, 255);
}

void Browse::release() {
  rows_.clear();
  selected_ = 0;
}

}  // namespace vc::browse
