// The list control: a table of rows whose columns come from a column format string.
// It shows a snapshot of its data source taken at every redisplay, so the source may
// change freely between redisplays without the widget ever reading a stale row.
#pragma once

#include <QTableView>
#include <functional>
#include <vector>

#include "platform/ui/binding.hpp"
#include "platform/ui/event.hpp"
#include "platform/ui/list_format.hpp"
#include "platform/ui/picture.hpp"
#include "platform/ui/qt/dialog_units.hpp"

namespace vc::ui::qt {

class ListModel;

/// A column as the widget draws it: the format's column with its picture read and its
/// indents in pixels.
struct ListColumnView {
  ListColumn column;
  Picture picture;
  int indentPixels = 0;
  int headerIndentPixels = 0;
};

class ListControl : public QTableView {
 public:
  /// `units` are the window's: column widths and indents are given in them.
  ListControl(const std::string& format, const DialogUnits& units, QWidget* parent);
  ~ListControl() override;

  /// Reads every row of `source` (none when null) through the columns' pictures and
  /// shows them; `selectedRow` (from 1, 0 for none) is highlighted.
  void reload(const Binding* source, int selectedRow);

  /// Called with the new row (from 1) when the user moves the selection, and the mouse
  /// button that did it (none for a key).
  std::function<void(int, MouseButton)> onUserSelection;

  const std::vector<ListColumnView>& columns() const { return columns_; }

 protected:
  // Typed characters are the window's (a browse's locator takes them later), not a
  // search of the list's own.
  void keyboardSearch(const QString&) override {}
  void changeEvent(QEvent* event) override;
  // Only what the user does moves the selection in the window's state: the view's own
  // moves (a current row set on gaining the focus, say) are not the user's choice.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<ListColumnView> columns_;
  ListModel* model_;
  bool userActing_ = false;
  MouseButton actingButton_ = MouseButton::none;
};

}  // namespace vc::ui::qt
