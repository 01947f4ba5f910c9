#include "platform/ui/qt/list_control.hpp"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "platform/ui/qt/dialog_units.hpp"
#include "qt_test_support.hpp"

namespace vc::ui {
namespace {

namespace cf = control_flag;
using vc::ui::testing::TableSource;

// The analysis window's list, with the module counts of a small application.
WindowSpec analysisSpec(unsigned listFlags = 0, std::string format =
                                                    "99L(2)|M~Modulo~@s20@36C(2)|M~Locales~@n3@"
                                                    "28C(2)|M~Externals~@n3@") {
  WindowSpec w;
  w.name = "P7_WINDOW";
  w.title = "Resumen de Variables Globales por Modulo";
  w.at = {std::nullopt, std::nullopt, 213, 224};
  w.font = {"Times New Roman", 10, 400};
  w.flags = window_flag::thinBorder | window_flag::grey;
  w.controls = {
      {1, "LIST1", ControlKind::list, {7, 8, 196, 181}, "", {}, listFlags, std::move(format)},
      {2, "DETALLES", ControlKind::button, {14, 197, 71, 14}, "Ver Detalles"},
      {3, "OKBUTTON", ControlKind::button, {114, 197, 71, 14}, "Salir", {}, cf::defaultButton},
  };
  return w;
}

class ListControlTest : public ::testing::Test {
 protected:
  ListControlTest() {
    vc::ui::testing::startApplication();
    vc::ui::testing::registerAllKinds(engine);
    source.rows = {
        {std::string("CONTABILIDAD_GENERAL_Y_MAS"), 12LL, 3LL},
        {std::string("N\xd3MINA \x80"), 1000LL, 0LL},
        {std::string("VENTAS"), -5LL, 999LL},
    };
  }
  qt::ListControl* list(Window& w) { return dynamic_cast<qt::ListControl*>(widgetOf(w, 1)); }
  QString cell(Window& w, int row, int column) {
    return list(w)->model()->index(row, column).data().toString();
  }

  QtEngine engine;
  TableSource source;
};

TEST_F(ListControlTest, ShowsTheFormatsColumnsAndTheDataThroughPictures) {
  const WindowSpec structure = analysisSpec();
  Window window(structure, engine);
  window.bind(1, &source);
  window.open();
  window.display();
  qt::ListControl* l = list(window);
  ASSERT_NE(l, nullptr);
  QAbstractItemModel* m = l->model();
  ASSERT_EQ(m->columnCount(), 3);
  ASSERT_EQ(m->rowCount(), 3);
  EXPECT_TRUE(l->horizontalHeader()->isVisible());
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Modulo"));
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Locales"));
  EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Externals"));

  struct Case {
    int row;
    int column;
    QString shown;
  };
  const Case cases[] = {
      {0, 0, QStringLiteral("CONTABILIDAD_GENERAL")},  // @s20
      {0, 1, QStringLiteral("12")},                    // the fill of @n3 is not drawn
      {0, 2, QStringLiteral("3")},
      {1, 0, QString::fromUtf8("N\u00d3MINA \u20ac")},  // Windows-1252 bytes
      {1, 1, QStringLiteral("###")},                    // 1000 does not fit @n3
      {2, 1, QStringLiteral("-5")},
      {2, 2, QStringLiteral("999")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
    EXPECT_EQ(cell(window, c.row, c.column), c.shown);
  }

  // Widths in dialog units, user-resizable, aligned as the format says.
  const qt::DialogUnits units = qt::DialogUnits::of(widgetOf(window)->font());
  const int widths[] = {99, 36, 28};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(l->horizontalHeader()->sectionSize(i), units.toPixelsX(widths[i]));
    EXPECT_EQ(l->horizontalHeader()->sectionResizeMode(i), QHeaderView::Interactive);
    EXPECT_TRUE(l->columns()[static_cast<std::size_t>(i)].column.rightBorder);
  }
  EXPECT_EQ(l->columns()[0].indentPixels, units.toPixelsX(2));
  EXPECT_TRUE(m->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);
  EXPECT_TRUE(m->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);
}

TEST_F(ListControlTest, ShowsTheDataAsOfTheLastRedisplay) {
  const WindowSpec structure = analysisSpec();
  Window window(structure, engine);
  window.bind(1, &source);
  window.open();
  window.display();  // the empty list the analysis starts from is shown first...
  TableSource later;
  window.bind(1, &later);
  window.display();
  EXPECT_EQ(list(window)->model()->rowCount(), 0);

  later.rows = {{std::string("UNO"), 1LL, 2LL}};  // ...the rows only from the next one
  EXPECT_EQ(list(window)->model()->rowCount(), 0);
  window.display();
  ASSERT_EQ(list(window)->model()->rowCount(), 1);
  EXPECT_EQ(cell(window, 0, 0), QStringLiteral("UNO"));

  later.rows.clear();  // a source that shrinks between redisplays is never read stale
  list(window)->repaint();
  window.display();
  EXPECT_EQ(list(window)->model()->rowCount(), 0);
}

TEST_F(ListControlTest, ScrollBarsOnlyWhereTheStructureAsks) {
  struct Case {
    unsigned flags;
    Qt::ScrollBarPolicy horizontal;
    Qt::ScrollBarPolicy vertical;
  };
  const Case cases[] = {
      {0, Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff},
      {cf::vScroll, Qt::ScrollBarAlwaysOff, Qt::ScrollBarAsNeeded},
      {cf::hScroll | cf::vScroll, Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const WindowSpec structure = analysisSpec(c.flags);
    Window window(structure, engine);
    for (int i = 0; i < 200; ++i) source.rows.push_back({std::string("M"), 1LL, 1LL});
    window.bind(1, &source);
    window.open();
    window.display();
    EXPECT_EQ(list(window)->horizontalScrollBarPolicy(), c.horizontal);
    EXPECT_EQ(list(window)->verticalScrollBarPolicy(), c.vertical);
    EXPECT_EQ(list(window)->verticalScrollBar()->isVisible(), c.vertical != Qt::ScrollBarAlwaysOff);
  }
}

TEST_F(ListControlTest, SelectionFollowsTheStateBothWays) {
  const WindowSpec structure = analysisSpec();
  Window window(structure, engine);
  window.bind(1, &source);
  window.control(1).list().selectedRow = 2;
  window.open();
  window.display();
  EXPECT_EQ(list(window)->currentIndex().row(), 1);

  // The user's choice goes back to the state, with an event for the list.
  QTimer::singleShot(0, [&] {
    qt::ListControl* l = list(window);
    const QRect row = l->visualRect(l->model()->index(2, 0));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, row.center());
  });
  const Event e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::newSelection);
  EXPECT_EQ(e.control, 1);
  EXPECT_EQ(window.control(1).list().selectedRow, 3);

  window.control(1).list().selectedRow = 0;  // none
  window.display();
  EXPECT_FALSE(list(window)->selectionModel()->hasSelection());
}

TEST_F(ListControlTest, GainingTheFocusChoosesNoRow) {
  const WindowSpec structure = analysisSpec();
  Window window(structure, engine);
  window.bind(1, &source);
  window.open();
  window.display();
  window.select(1);
  ASSERT_EQ(widgetOf(window)->focusWidget(), widgetOf(window, 1));
  QTimer::singleShot(0, [&] { vc::ui::testing::click(window, 3); });
  const Event e = engine.waitEvent(window);  // no selection event before the press
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 3);
  EXPECT_EQ(window.control(1).list().selectedRow, 0);
}

TEST_F(ListControlTest, AnUnreadableFormatShowsTheFirstField) {
  for (const char* format : {"", "|||", "~~"}) {
    SCOPED_TRACE(format);
    const WindowSpec structure = analysisSpec(0, format);
    Window window(structure, engine);
    window.bind(1, &source);
    window.open();
    window.display();
    ASSERT_GE(list(window)->model()->columnCount(), 1);
    EXPECT_EQ(cell(window, 0, 0), QStringLiteral("CONTABILIDAD_GENERAL_Y_MAS"));
  }
}

TEST_F(ListControlTest, ColourColumnsLeaveTheirColourFieldsUnshown) {
  // Four colour fields follow a "*" column's own field; the next column shows the field
  // after them.
  const WindowSpec structure = analysisSpec(0, "40L~Nombre~*@s10@40L~Tipo~@s10@");
  Window window(structure, engine);
  TableSource rows;
  rows.rows = {{std::string("A"), -1LL, 65535LL, -1LL, 33023LL, std::string("LONG")}};
  window.bind(1, &rows);
  window.open();
  window.display();
  EXPECT_EQ(cell(window, 0, 0), QStringLiteral("A"));
  EXPECT_EQ(cell(window, 0, 1), QStringLiteral("LONG"));
}

TEST_F(ListControlTest, GrabsTheAnalysisWindow) {
  const WindowSpec structure = analysisSpec();
  Window window(structure, engine);
  window.bind(1, &source);
  window.control(1).list().selectedRow = 1;
  window.open();
  window.select(1);
  const std::string path = ::testing::TempDir() + "list_control_test_analysis.png";
  EXPECT_TRUE(grabWindow(window, path));
}

}  // namespace
}  // namespace vc::ui
