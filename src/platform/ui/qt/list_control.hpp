// The list control: a table of rows whose columns come from a column format string.
// It shows a snapshot of its binding taken at every redisplay, so the data may change
// freely between redisplays without the widget ever reading a stale row. A list that
// leaves scrolling to the program holds one page: it turns the keys, the wheel and its
// scroll bar into scroll requests and moves through nothing by itself.
#pragma once

#include <QTableView>
#include <functional>
#include <vector>

#include "platform/ui/binding.hpp"
#include "platform/ui/control_state.hpp"
#include "platform/ui/event.hpp"
#include "platform/ui/qt/dialog_units.hpp"
#include "platform/ui/qt/list_model.hpp"

class QScrollBar;

namespace vc::ui::qt {

class ListControl : public QTableView {
 public:
  /// `units` are the window's: column widths and indents are given in them. The
  /// vertical scroll bar, when `scrollBar`, is the list's own or, for a list the program
  /// scrolls, one that only asks.
  ListControl(const std::string& format, const DialogUnits& units, bool scrollBar, QWidget* parent);
  ~ListControl() override;

  /// Reads every row of `source` (none when null) through the columns' pictures and
  /// shows them; `selectedRow` (from 1, 0 for none) is highlighted.
  void reload(const Binding* source, int selectedRow);
  /// Who scrolls, and where the thumb of a program-scrolled list stands (0 to 100).
  void setScrolling(ListScrolling scrolling, int thumb);
  /// How many whole rows fit in the list (at least 1), a horizontal scroll bar allowed for.
  int pageLines() const;

  /// Called with the new row (from 1) when the user moves the selection, and the mouse
  /// button that did it (none for a key). A right click selects when released, and
  /// always tells, on the selected row too.
  std::function<void(int, MouseButton)> onUserSelection;
  /// Called when the user asks a program-scrolled list to move.
  std::function<void(const ScrollRequest&)> onScroll;

  const std::vector<ListColumnView>& columns() const { return columns_; }
  /// The scroll bar of a program-scrolled list (nullptr when it has none).
  QScrollBar* pager() const;

 protected:
  // Typed characters are the window's (armed keys), not a search of the list's own.
  void keyboardSearch(const QString&) override {}
  void changeEvent(QEvent* event) override;
  // Only what the user does moves the selection in the window's state: the view's own
  // moves (a current row set on gaining the focus, say) are not the user's choice.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void updateGeometries() override;

 private:
  class Pager;
  bool byProgram() const { return scrolling_ == ListScrolling::byProgram; }
  void ask(ScrollRequest::Step step, int thumb = 0);

  std::vector<ListColumnView> columns_;
  ListModel* model_;
  Pager* pager_ = nullptr;  // owned by the widget; only with a scroll bar
  bool wantsScrollBar_;
  ListScrolling scrolling_ = ListScrolling::byControl;
  bool userActing_ = false;
  MouseButton actingButton_ = MouseButton::none;
  int wheelTurned_ = 0;  // eighths of a degree not yet a whole step
  bool placing_ = false;
};

}  // namespace vc::ui::qt
