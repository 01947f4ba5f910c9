// The browse's source over a view of a keyed table: positions are the view's own, kept
// as text in each row's position field.
#pragma once

#include "platform/browse/browse_source.hpp"
#include "platform/files/table_view.hpp"

namespace vc::browse {

class TableViewSource : public BrowseSource {
 public:
  explicit TableViewSource(files::TableView& view) : view_(view) {}

  void order(std::size_t key) override;
  void toFirst() override { view_.toFirst(); }
  void toLast() override { view_.toLast(); }
  void toFirstComponent() override { view_.setOnFirstComponent(); }
  void toPosition(std::string_view position, Side side) override;
  void toThumb(int percent) override;
  bool next() override;
  bool previous() override;
  std::string position() const override;
  std::string positionOfBuffer(std::string_view position) const override;
  bool reread(std::string_view position) override;
  int thumbOf(std::string_view position) override;
  void pause() override { view_.stop(); }

 private:
  files::TableView& view_;
};

}  // namespace vc::browse
