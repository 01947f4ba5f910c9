// Sheets: a row of tabs over a framed page. The tabs are the sheet's tab controls, in the
// order of the structure; they have no widget of their own, and the sheet shows their
// texts and states. Controls that lie over the sheet (its page, not a tab) stand above it.
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
    QObject::connect(sheet->tabBar(), &QTabBar::tabBarClicked, sheet, [&site, number](int index) {
      const std::vector<const ControlSpec*> tabs = tabsOf(site.window(), number);
      if (index < 0 || static_cast<std::size_t>(index) >= tabs.size()) return;
      if (!site.window().isEnabled(number)) return;
      site.window().control(number).sheet().choice = index + 1;
      site.deliver({EventKind::newSelection, number,
                    TabChosen{index + 1, tabs[static_cast<std::size_t>(index)]->number}});
    });
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
