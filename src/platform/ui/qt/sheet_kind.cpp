// Sheets: a row of tabs over a framed page. The tabs are the sheet's tab controls, in the
// order of the structure; they have no widget of their own, and the sheet shows their
// texts and states. Controls that lie over the sheet (its page, not a tab) stand above it.
// A click on a tab chooses it, and so do Ctrl+Tab and Ctrl+Shift+Tab (the next and the
// previous tab) while the keyboard is in a control over the sheet, which keeps it.
#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>

#include "platform/ui/qt/control_kind.hpp"
#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/window.hpp"

namespace vc::ui::qt {
namespace {

std::vector<const ControlSpec*> tabsOf(const Window& window, int sheet) {
  std::vector<const ControlSpec*> tabs;
  for (const ControlSpec& c : window.structure().controls)
    if (c.kind == ControlKind::tab && c.parent == sheet) tabs.push_back(&c);
  return tabs;
}

/// The user's choice of tab `index` (from 0) of sheet `number`, as the program hears it.
void choose(ControlSite& site, int number, int index) {
  const std::vector<const ControlSpec*> tabs = tabsOf(site.window(), number);
  if (index < 0 || static_cast<std::size_t>(index) >= tabs.size()) return;
  if (!site.window().isEnabled(number)) return;
  site.window().control(number).sheet().choice = index + 1;
  site.deliver({EventKind::newSelection, number,
                TabChosen{index + 1, tabs[static_cast<std::size_t>(index)]->number}});
}

/// Ctrl+Tab and Ctrl+Shift+Tab that no control took reach the window's widget; the sheet
/// that the control with the keyboard lies over turns to its next or previous tab.
class TabKeys : public QObject {
 public:
  TabKeys(ControlSite& site, QTabWidget& sheet, int number)
      : QObject(&sheet), site_(site), sheet_(sheet), number_(number) {
    site.windowWidget()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier)) return false;
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
    if (!site_.window().isEnabled(number_) || !overSheet(QApplication::focusWidget())) return false;
    // Shift+Tab comes as Backtab from some window systems and as Tab from others.
    const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
    step(back ? -1 : 1, key->isAutoRepeat());
    return true;
  }

 private:
  bool overSheet(const QWidget* focused) const {
    QWidget* window = site_.windowWidget();
    if (!focused || focused == window || !window->isAncestorOf(focused)) return false;
    if (focused == &sheet_ || sheet_.isAncestorOf(focused)) return true;
    const QRect at(focused->mapTo(window, QPoint(0, 0)), focused->size());
    return sheet_.geometry().contains(at.center());
  }

  // As Qt's own tab widgets do: disabled and hidden tabs are passed over, and the ends
  // wrap round except for a held key, which stops at the last tab.
  void step(int direction, bool repeated) {
    const std::vector<const ControlSpec*> tabs = tabsOf(site_.window(), number_);
    const int count = static_cast<int>(tabs.size());
    int at = site_.window().control(number_).sheet().choice - 1;
    if (at < 0 || at >= count) at = sheet_.currentIndex();
    for (int pass = 0; pass < count; ++pass) {
      at += direction;
      if (at < 0 || at >= count) {
        if (repeated) return;
        at = at < 0 ? count - 1 : 0;
      }
      const ControlState& tab = site_.window().control(tabs[static_cast<std::size_t>(at)]->number);
      if (tab.enabled && tab.visible) {
        sheet_.setCurrentIndex(at);
        return choose(site_, number_, at);
      }
    }
  }

  ControlSite& site_;
  QTabWidget& sheet_;
  int number_;
};

class SheetKind : public ControlKindDriver {
 public:
  QWidget* create(ControlSite& site, const ControlSpec& def) const override {
    auto* sheet = new QTabWidget(site.windowWidget());
    // Choosing a tab leaves the keyboard where it was (on the list over the sheet, say).
    sheet->setFocusPolicy(Qt::NoFocus);
    sheet->tabBar()->setFocusPolicy(Qt::NoFocus);
    for (const ControlSpec* tab : tabsOf(site.window(), def.number)) {
      auto* page = new QWidget(sheet);
      page->setObjectName(QString::fromStdString(tab->equate));
      sheet->addTab(page, fromCp1252(tab->text));
    }
    const int number = def.number;
    // A click on a tab, the one shown included, is the user's choice of it.
    QObject::connect(sheet->tabBar(), &QTabBar::tabBarClicked, sheet,
                     [&site, number](int index) { choose(site, number, index); });
    new TabKeys(site, *sheet, number);
    sheet->lower();
    return sheet;
  }

  void redisplay(ControlSite& site, QWidget& widget, const ControlState& state) const override {
    auto& sheet = static_cast<QTabWidget&>(widget);
    const std::vector<const ControlSpec*> tabs = tabsOf(site.window(), state.structure->number);
    for (std::size_t i = 0; i < tabs.size() && static_cast<int>(i) < sheet.count(); ++i) {
      const ControlState& tab = site.window().control(tabs[i]->number);
      const int index = static_cast<int>(i);
      sheet.setTabText(index, fromCp1252(tab.text));
      sheet.setTabEnabled(index, tab.enabled);
      sheet.setTabVisible(index, tab.visible);
    }
    const int choice = state.sheet().choice;
    if (choice >= 1 && choice <= sheet.count()) sheet.setCurrentIndex(choice - 1);
  }
};

}  // namespace

const ControlKindDriver& sheetKind() {
  static const SheetKind kind;
  return kind;
}

}  // namespace vc::ui::qt
