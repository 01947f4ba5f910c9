// The comparative kind of window: a list lying over a sheet with two tabs, coloured cells,
// and a list that leaves its scrolling to the program.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "platform/ui/qt/list_control.hpp"
#include "qt_test_support.hpp"

namespace vc::ui {
namespace {

namespace cf = control_flag;
using Step = ScrollRequest::Step;
using vc::ui::testing::TableSource;

constexpr long long kYellow = 0xFFFF;
constexpr long long kOrange = 0x80FF;

WindowSpec compareSpec() {
  WindowSpec w;
  w.name = "P17_WINDOW";
  w.title = "Vista comparativa de Variables Globales";
  w.at = {std::nullopt, std::nullopt, 446, 224};
  w.font = {"Times New Roman", 10, 400};
  w.flags = window_flag::thinBorder | window_flag::grey;
  w.controls = {
      {1,
       "LIST",
       ControlKind::list,
       {16, 25, 408, 152},
       "",
       Font{"Lucida Console", 8, 400},
       cf::hScroll | cf::vScroll | cf::immediate,
       "80L(2)|M~Modulo~L(0)@s20@80L(2)|M*~Nombre~L(0)@s20@120L(2)|M~Tipo Dato~L(0)@s30@"
       "120L(2)|M~Modo~L(0)@s30@"},
      {2, "OKBUTTON", ControlKind::button, {141, 203, 59, 13}, "Salir", {}, cf::defaultButton},
      {4, "SHEET1", ControlKind::sheet, {8, 5, 426, 185}},
      {5, "TAB1", ControlKind::tab, {}, "Por Modulo", {}, 0, "", 4},
      {6, "TAB2", ControlKind::tab, {}, "Por Nombre y Tipo", {}, 0, "", 4},
  };
  return w;
}

// A row of the browse: module, name and its four colours, type, mode.
std::vector<CellValue> row(const char* module, const char* name, bool external) {
  const long long none = -1;
  return {std::string(module),
          std::string(name),
          none,
          external ? kYellow : none,
          none,
          external ? kOrange : none,
          std::string("LONG"),
          std::string("")};
}

class SheetListTest : public ::testing::Test {
 protected:
  SheetListTest() {
    vc::ui::testing::startApplication();
    vc::ui::testing::registerAllKinds(engine);
    page.rows = {row("COMPRAS", "GLO:FECHA", false), row("COMPRAS", "GLO:TOTAL", true),
                 row("VENTAS", "GLO:FECHA", false)};
    window.bind(1, &page);
  }
  qt::ListControl* list() { return dynamic_cast<qt::ListControl*>(widgetOf(window, 1)); }
  QTabWidget* sheet() { return qobject_cast<QTabWidget*>(widgetOf(window, 4)); }
  QColor pixel(int r, int column) {
    // Inside the cell, right of its text and left of its border line.
    const QRect cell = list()->visualRect(list()->model()->index(r, column));
    const QImage image = list()->viewport()->grab().toImage();
    return image.pixelColor(cell.right() - 4, cell.center().y());
  }

  QtEngine engine;
  const WindowSpec structure = compareSpec();
  Window window{structure, engine};
  TableSource page;
};

TEST_F(SheetListTest, SheetShowsItsTabsAndTheListLiesOverIt) {
  window.open();
  window.display();
  ASSERT_NE(sheet(), nullptr);
  ASSERT_EQ(sheet()->count(), 2);
  EXPECT_EQ(sheet()->tabText(0), QStringLiteral("Por Modulo"));
  EXPECT_EQ(sheet()->tabText(1), QStringLiteral("Por Nombre y Tipo"));
  EXPECT_EQ(sheet()->currentIndex(), 0);
  EXPECT_TRUE(grabWindow(window, ::testing::TempDir() + "sheet_list_test_compare.png"));
  const QPoint middle = list()->mapTo(widgetOf(window), list()->rect().center());
  QWidget* seen = widgetOf(window)->childAt(middle);
  EXPECT_TRUE(seen == list() || list()->isAncestorOf(seen));

  // A click on a tab, the one shown included, is a new selection of the sheet.
  const struct {
    int tab;
    int control;
  } clicks[] = {{1, 6}, {1, 6}, {0, 5}};
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.tab);
    QTimer::singleShot(0, [&] {
      QTabBar* bar = sheet()->tabBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(c.tab).center());
    });
    const Event e = engine.waitEvent(window);
    EXPECT_EQ(e.kind, EventKind::newSelection);
    EXPECT_EQ(e.control, 4);
    ASSERT_NE(e.as<TabChosen>(), nullptr);
    EXPECT_EQ(e.as<TabChosen>()->index, c.tab + 1);
    EXPECT_EQ(e.as<TabChosen>()->tab, c.control);
    EXPECT_EQ(window.control(4).sheet().choice, c.tab + 1);
  }
  // The program's choice shows at the next redisplay.
  window.control(4).sheet().choice = 2;
  window.display();
  EXPECT_EQ(sheet()->currentIndex(), 1);
  window.control(6).text = "Otra";
  window.disable(5);
  EXPECT_EQ(sheet()->tabText(1), QStringLiteral("Otra"));
  EXPECT_FALSE(sheet()->isTabEnabled(0));
}

// Ctrl+Tab and Ctrl+Shift+Tab from the list choose the next and the previous tab, as a
// click on it would, passing over a disabled tab and wrapping round at the ends; the
// keyboard stays in the list. From a control that is not over the sheet they do nothing.
TEST_F(SheetListTest, CtrlTabFromTheListChoosesTheNextOrPreviousTab) {
  window.open();
  window.display();
  window.select(1);
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expected;  // tab chosen, from 1
  } cases[] = {
      {"Ctrl+Tab", Qt::Key_Tab, ctrl, 2},
      {"Ctrl+Shift+Tab", Qt::Key_Tab, ctrlShift, 1},
      {"Ctrl+Shift+Tab as Backtab", Qt::Key_Backtab, ctrlShift, 2},
      {"Ctrl+Tab wraps round", Qt::Key_Tab, ctrl, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTimer::singleShot(0, [&] { QTest::keyClick(list(), c.key, c.modifiers); });
    const Event e = engine.waitEvent(window);
    EXPECT_EQ(e.kind, EventKind::newSelection);
    EXPECT_EQ(e.control, 4);
    ASSERT_NE(e.as<TabChosen>(), nullptr);
    EXPECT_EQ(e.as<TabChosen>()->index, c.expected);
    EXPECT_EQ(e.as<TabChosen>()->tab, c.expected == 1 ? 5 : 6);
    EXPECT_EQ(window.control(4).sheet().choice, c.expected);
    EXPECT_EQ(sheet()->currentIndex(), c.expected - 1);
    EXPECT_EQ(QApplication::focusWidget(), list());
  }

  // With the second tab disabled, Ctrl+Tab comes back to the first; from the button
  // below the sheet it does nothing at all, and the click that follows is the next event.
  window.disable(6);
  QTimer::singleShot(0, [&] { QTest::keyClick(list(), Qt::Key_Tab, ctrl); });
  Event e = engine.waitEvent(window);
  ASSERT_NE(e.as<TabChosen>(), nullptr);
  EXPECT_EQ(e.as<TabChosen>()->index, 1);
  window.enable(6);
  window.select(2);
  QTimer::singleShot(0, [&] {
    QTest::keyClick(widgetOf(window, 2), Qt::Key_Tab, ctrl);
    vc::ui::testing::click(window, 2);
  });
  e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 2);
  EXPECT_EQ(window.control(4).sheet().choice, 1);
}

TEST_F(SheetListTest, ColourColumnPaintsEachCellFromItsFields) {
  window.open();
  window.display();
  const struct {
    const char* name;
    int selected;  // row, from 1
    int row;       // from 0
    int column;
    std::optional<QColor> colour;  // nothing: not the cell's own colour
  } cases[] = {
      {"external name", 0, 1, 1, QColor(255, 255, 0)},
      {"external name selected", 2, 1, 1, QColor(255, 128, 0)},
      {"other cell of that row", 0, 1, 0, std::nullopt},
      {"name not external", 0, 0, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window.control(1).list().selectedRow = c.selected;
    window.display();
    const QColor seen = pixel(c.row, c.column);
    if (c.colour) {
      EXPECT_EQ(seen, *c.colour) << seen.name().toStdString();
    } else {
      EXPECT_NE(seen, QColor(255, 255, 0));
      EXPECT_NE(seen, QColor(255, 128, 0));
    }
  }
}

TEST_F(SheetListTest, ProgramScrolledListAsksForEveryMoveAndMovesNothing) {
  window.control(1).list().scrolling = ListScrolling::byProgram;
  window.control(1).list().thumb = 40;
  window.control(1).list().selectedRow = 2;
  window.open();
  window.display();
  window.select(1);
  ASSERT_NE(list()->pager(), nullptr);
  EXPECT_TRUE(grabWindow(window, ::testing::TempDir() + "sheet_list_test_paged.png"));
  EXPECT_TRUE(list()->pager()->isVisible());
  EXPECT_EQ(list()->pager()->value(), 40);
  const int lines = window.listLines(1);
  EXPECT_GE(lines, 5);
  EXPECT_LE(lines * list()->verticalHeader()->defaultSectionSize(), list()->viewport()->height());

  QTimer::singleShot(0, [&] {
    QWidget* l = list();
    for (Qt::Key key :
         {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End})
      QTest::keyClick(l, key);
    QWheelEvent wheel(QPointF(10, 10), l->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list()->viewport(), &wheel);
    QScrollBar* bar = list()->pager();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // its arrows
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);    // above the thumb
    bar->setSliderDown(true);                                  // the thumb dragged...
    bar->setSliderPosition(70);
    bar->setSliderDown(false);  // ...and let go
  });
  std::vector<Step> expected = {Step::lineDown, Step::lineUp, Step::pageDown,
                                Step::pageUp,   Step::first,  Step::last};
  for (int i = 0; i < QApplication::wheelScrollLines(); ++i) expected.push_back(Step::lineDown);
  expected.insert(expected.end(), {Step::lineDown, Step::pageUp, Step::thumb});
  for (Step step : expected) {
    SCOPED_TRACE(static_cast<int>(step));
    const Event e = engine.waitEvent(window);
    EXPECT_EQ(e.kind, EventKind::scroll);
    EXPECT_EQ(e.control, 1);
    ASSERT_NE(e.as<ScrollRequest>(), nullptr);
    EXPECT_EQ(e.as<ScrollRequest>()->step, step);
    if (step == Step::thumb) {
      EXPECT_EQ(e.as<ScrollRequest>()->thumb, 70);
    }
  }
  // Nothing moved by itself: the thumb and the selection are the program's to set.
  EXPECT_EQ(list()->pager()->value(), 40);
  EXPECT_EQ(list()->currentIndex().row(), 1);
  EXPECT_EQ(window.control(1).list().selectedRow, 2);
  EXPECT_EQ(list()->rowAt(0), 0);
  window.control(1).list().thumb = 90;
  window.display(1);
  EXPECT_EQ(list()->pager()->value(), 90);
}

TEST_F(SheetListTest, RightReleaseSelectsAndNothingOpensNothingStarts) {
  window.open();
  window.display();
  window.select(1);
  bool menuShown = false;
  QTimer::singleShot(0, [&] {
    QWidget* rows = list()->viewport();
    const QPoint third = list()->visualRect(list()->model()->index(2, 0)).center();
    const QPoint first = list()->visualRect(list()->model()->index(0, 0)).center();
    QTest::mousePress(rows, Qt::RightButton, {}, third);
    menuShown = menuShown || QApplication::activePopupWidget() != nullptr;
    QTest::mouseRelease(rows, Qt::RightButton, {}, third);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, third, rows->mapToGlobal(third));
    QApplication::sendEvent(rows, &menuKey);
    menuShown = menuShown || QApplication::activePopupWidget() != nullptr;
    // A double click as the window system gives it: a click, then the second press.
    QTest::mouseClick(rows, Qt::LeftButton, {}, first);
    QTest::mouseDClick(rows, Qt::LeftButton, {}, first);
    QTest::mouseRelease(rows, Qt::LeftButton, {}, first);
    vc::ui::testing::click(window, 2);
  });
  Event e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::newSelection);
  ASSERT_NE(e.as<RowChosen>(), nullptr);
  EXPECT_EQ(e.as<RowChosen>()->row, 3);
  EXPECT_EQ(e.as<RowChosen>()->button, MouseButton::right);
  e = engine.waitEvent(window);  // the double click's first press selects, and that is all
  EXPECT_EQ(e.kind, EventKind::newSelection);
  ASSERT_NE(e.as<RowChosen>(), nullptr);
  EXPECT_EQ(e.as<RowChosen>()->row, 1);
  EXPECT_EQ(e.as<RowChosen>()->button, MouseButton::left);
  e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 2);
  EXPECT_EQ(window.control(1).list().selectedRow, 1);
  EXPECT_FALSE(menuShown);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
}  // namespace vc::ui
