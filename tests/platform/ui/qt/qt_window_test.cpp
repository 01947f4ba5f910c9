#include "platform/ui/qt/qt_window.hpp"

#include <gtest/gtest.h>

#include <QEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <chrono>
#include <optional>

#include "platform/ui/qt/dialog_units.hpp"
#include "qt_test_support.hpp"

namespace vc::ui {
namespace {

namespace cf = control_flag;
namespace wf = window_flag;
using vc::ui::testing::click;

// The program's main window, as its structure gives it.
WindowSpec mainWindowSpec(unsigned flags = wf::thinBorder | wf::grey) {
  WindowSpec w;
  w.name = "P1_WINDOW";
  w.title = "Utilidad para comparar variables globales";
  w.at = {std::nullopt, std::nullopt, 181, 120};
  w.font = {"Times New Roman", 10, 400};
  w.flags = flags;
  w.controls = {
      {1, "BOTON1", ControlKind::button, {38, 18, 103, 16}, "Seleccion Archivo "},
      {2, "ANALIZAR", ControlKind::button, {38, 46, 103, 16}, "Analizar", {}, cf::disabled},
      {3, "OKBUTTON", ControlKind::button, {38, 75, 103, 16}, "Salir", {}, cf::defaultButton},
      {4, "PROMPT1", ControlKind::prompt, {115, 107}, "varcompass 1.0"},
  };
  return w;
}

class QtWindowTest : public ::testing::Test {
 protected:
  QtWindowTest() {
    vc::ui::testing::startApplication();
    vc::ui::testing::registerAllKinds(engine);
  }
  QtEngine engine;
};

TEST_F(QtWindowTest, WindowIsBuiltFromItsStructure) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.display();
  QWidget* w = widgetOf(window);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Utilidad para comparar variables globales"));

  // Title bar, no system menu and so no close box, no maximise box; a fixed size.
  const Qt::WindowFlags flags = w->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(w->minimumSize(), w->maximumSize());

  // The size and every control's place are the structure's dialog units in this font.
  const qt::DialogUnits units = qt::DialogUnits::of(w->font());
  EXPECT_EQ(w->size(), QSize(units.toPixelsX(181), units.toPixelsY(120)));
  EXPECT_EQ(window.width(), 181);
  EXPECT_EQ(window.height(), 120);
  EXPECT_EQ(widgetOf(window, 1)->geometry(), QRect(units.toPixelsX(38), units.toPixelsY(18),
                                                   units.toPixelsX(103), units.toPixelsY(16)));
  EXPECT_GT(QFontInfo(w->font()).pointSize(), 0);
  EXPECT_EQ(QFontInfo(w->font()).pointSize(), 10);
  EXPECT_TRUE(QFontInfo(w->font()).family().contains(QStringLiteral("Liberation Serif")) ||
              QFontInfo(w->font()).family().contains(QStringLiteral("Times")))
      << QFontInfo(w->font()).family().toStdString();

  auto* ok = qobject_cast<QPushButton*>(widgetOf(window, 3));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->text(), QStringLiteral("Salir"));
  EXPECT_FALSE(widgetOf(window, 2)->isEnabled());
  EXPECT_TRUE(widgetOf(window, 1)->isEnabled());

  // A prompt without a size takes that of its text.
  auto* prompt = qobject_cast<QLabel*>(widgetOf(window, 4));
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(prompt->text(), QStringLiteral("varcompass 1.0"));
  EXPECT_EQ(prompt->size(), prompt->sizeHint());
  EXPECT_EQ(prompt->pos(), QPoint(units.toPixelsX(115), units.toPixelsY(107)));
}

TEST_F(QtWindowTest, SystemMenuAndResizingAreTheStructuresToGive) {
  const WindowSpec structure = mainWindowSpec(wf::systemMenu | wf::resizable | wf::maximizeBox);
  Window window(structure, engine);
  window.open();
  const Qt::WindowFlags flags = widgetOf(window)->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_NE(widgetOf(window)->minimumSize(), widgetOf(window)->maximumSize());
  EXPECT_TRUE(window.resizable());
}

TEST_F(QtWindowTest, PressingAButtonGivesAcceptedWithItsNumber) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.display();
  QTimer::singleShot(0, [&] { click(window, 1); });
  const Event e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 1);
}

TEST_F(QtWindowTest, DisabledButtonYieldsNothing) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.display();
  window.disable(1);
  EXPECT_FALSE(widgetOf(window, 1)->isEnabled());
  // The clicks on the disabled buttons (one from the structure, one disabled now) come
  // first; the only event is the enabled one's.
  QTimer::singleShot(0, [&] {
    click(window, 2);
    click(window, 1);
    click(window, 3);
  });
  const Event e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 3);

  window.enable(2);
  QTimer::singleShot(0, [&] { click(window, 2); });
  EXPECT_EQ(engine.waitEvent(window).control, 2);
}

TEST_F(QtWindowTest, EnterPressesTheDefaultButton) {
  WindowSpec structure = mainWindowSpec();
  structure.controls.push_back(
      {5, "LIST1", ControlKind::list, {7, 8, 60, 30}, "", {}, 0, "20L~A~"});
  Window window(structure, engine);
  window.open();
  window.display();
  window.select(5);  // focus on a control that is not a button
  QTimer::singleShot(0, [&] { QTest::keyClick(widgetOf(window, 5), Qt::Key_Return); });
  const Event e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 3);
}

TEST_F(QtWindowTest, FocusGoesToTheSelectedControl) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.select(3);  // before opening: applied once the window shows
  window.open();
  window.display();
  EXPECT_EQ(widgetOf(window)->focusWidget(), widgetOf(window, 3));
  window.select(1);
  EXPECT_EQ(widgetOf(window)->focusWidget(), widgetOf(window, 1));
}

TEST_F(QtWindowTest, CloseRequestReachesOnlyWindowsWithASystemMenu) {
  const WindowSpec plain = mainWindowSpec();
  Window window(plain, engine);
  window.open();
  window.display();
  QTimer::singleShot(0, [&] {
    widgetOf(window)->close();  // refused without a close box: nothing to report
    click(window, 1);
  });
  EXPECT_EQ(engine.waitEvent(window).kind, EventKind::accepted);
  EXPECT_TRUE(widgetOf(window)->isVisible());

  const WindowSpec withMenu = mainWindowSpec(wf::systemMenu | wf::thinBorder);
  Window other(withMenu, engine);
  other.open();
  other.display();
  QTimer::singleShot(0, [&] { widgetOf(other)->close(); });
  const Event e = engine.waitEvent(other);
  EXPECT_EQ(e.kind, EventKind::closeWindow);
  EXPECT_EQ(e.control, 0);
  EXPECT_TRUE(widgetOf(other)->isVisible());  // the controller decides, not the widget
}

TEST_F(QtWindowTest, LaterWindowIsModalOverTheEarlierOnes) {
  const WindowSpec structure = mainWindowSpec();
  Window below(structure, engine);
  below.open();
  below.display();
  Window above(structure, engine);
  above.open();
  above.display();
  EXPECT_EQ(QApplication::activeModalWidget(), widgetOf(above));

  QTimer::singleShot(0, [&] {
    click(below, 1);  // blocked
    click(above, 3);
  });
  EXPECT_EQ(engine.waitEvent(above).control, 3);
  above.close();
  EXPECT_EQ(widgetOf(above), nullptr);

  // The blocked click left nothing behind: the next event is the one made now.
  QTimer::singleShot(0, [&] { click(below, 3); });
  EXPECT_EQ(engine.waitEvent(below).control, 3);
}

TEST_F(QtWindowTest, PlacementIsInDialogUnits) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  // Set before the window shows, as a restored position is: it shows there.
  window.setX(40);
  window.setY(30);
  window.display();
  const qt::DialogUnits units = qt::DialogUnits::of(widgetOf(window)->font());
  EXPECT_EQ(widgetOf(window)->pos(), QPoint(units.toPixelsX(40), units.toPixelsY(30)));
  EXPECT_EQ(window.x(), 40);
  EXPECT_EQ(window.y(), 30);
  window.setX(100);
  EXPECT_EQ(window.x(), 100);
  EXPECT_EQ(window.y(), 30);
  // A fixed-size window keeps its size whatever is asked.
  window.setWidth(50);
  EXPECT_EQ(window.width(), 181);
}

TEST_F(QtWindowTest, WithoutAPositionTheWindowIsCentred) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.display();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = widgetOf(window)->frameGeometry();
  // As much room on either side, give or take the odd pixel.
  EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1);
  EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1);
}

// A window opened and closed without being moved opens the next time at exactly the same
// place: the place it was given when it first showed is one that its saved position, in
// dialog units, names again. Windows of several widths and fonts land on many places.
TEST_F(QtWindowTest, AWindowNotMovedOpensAgainExactlyWhereItWas) {
  std::vector<std::string> moved;
  for (const char* face : {"Times New Roman", "Arial", "Lucida Console"})
    for (int size : {8, 10, 12})
      for (int width = 150; width < 162; ++width)
        for (int height : {100, 101, 102}) {
          WindowSpec structure = mainWindowSpec();
          structure.font = {face, size, 400};
          structure.at.width = width;
          structure.at.height = height;
          Window first(structure, engine);
          first.open();
          first.display();
          const QPoint was = widgetOf(first)->pos();
          const std::optional<int> x = first.x(), y = first.y();  // what the settings file keeps
          first.close();
          Window again(structure, engine);
          again.open();
          again.setX(x);
          again.setY(y);
          again.display();
          const QPoint is = widgetOf(again)->pos();
          if (is != was || again.x() != x || again.y() != y)
            moved.push_back(std::string(face) + " " + std::to_string(size) + " " +
                            std::to_string(width) + "x" + std::to_string(height) + ": (" +
                            std::to_string(was.x()) + "," + std::to_string(was.y()) + ") to (" +
                            std::to_string(is.x()) + "," + std::to_string(is.y()) + ")");
          again.close();
        }
  EXPECT_EQ(moved, std::vector<std::string>{});
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(QtWindowTest, RedisplayPaintsBeforeItReturns) {
  // The analysis runs right after its window's first redisplay, without returning to any
  // event loop: what the user sees meanwhile is what that redisplay painted.
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  PaintCounter counter;
  widgetOf(window, 1)->installEventFilter(&counter);
  window.display();
  EXPECT_TRUE(widgetOf(window)->windowHandle()->isExposed());
  EXPECT_GT(counter.paints, 0);
  const int before = counter.paints;
  window.display(1);
  EXPECT_GT(counter.paints, before);
}

TEST_F(QtWindowTest, HighBytesShowAsWindows1252) {
  WindowSpec structure = mainWindowSpec();
  structure.title = "Caf\xe9 \x80 \x93x\x94 \x9f";
  structure.controls[0].text = "A\xf1o \x85";
  Window window(structure, engine);
  window.open();
  EXPECT_EQ(widgetOf(window)->windowTitle(),
            QString::fromUtf8("Caf\u00e9 \u20ac \u201cx\u201d \u0178"));
  EXPECT_EQ(qobject_cast<QPushButton*>(widgetOf(window, 1))->text(),
            QString::fromUtf8("A\u00f1o \u2026"));
}

TEST_F(QtWindowTest, ArmedKeysReachTheProgramOthersStayInTheControl) {
  WindowSpec structure = mainWindowSpec();
  structure.controls.push_back(
      {5, "LIST1", ControlKind::list, {7, 8, 60, 30}, "", {}, 0, "20L~A~"});
  Window window(structure, engine);
  window.armKeys(5, 'A', 'Z');
  window.armKeys(5, 0xF1, 0xF1);  // the list takes "ñ" too, as its Windows-1252 byte
  window.open();
  window.display();
  window.select(5);
  QTimer::singleShot(0, [&] {
    QWidget* list = widgetOf(window, 5);
    QTest::keyClick(list, 'Z');
    QTest::keyClick(list, '5');  // not armed: the list keeps it, and does nothing
    QKeyEvent enye(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\u00f1"));
    QApplication::sendEvent(list, &enye);
    QTest::keyClick(widgetOf(window, 1), 'A');  // armed on the list only
    click(window, 3);
  });
  struct Expected {
    EventKind kind;
    int control;
    int key;
  };
  const Expected expected[] = {
      {EventKind::alertKey, 5, 'Z'}, {EventKind::alertKey, 5, 0xF1}, {EventKind::accepted, 3, 0}};
  for (const Expected& x : expected) {
    const Event e = engine.waitEvent(window);
    EXPECT_EQ(e.kind, x.kind);
    EXPECT_EQ(e.control, x.control);
    if (x.kind == EventKind::alertKey) {
      ASSERT_NE(e.as<KeyTyped>(), nullptr);
      EXPECT_EQ(e.as<KeyTyped>()->key, x.key);
    }
  }
}

TEST_F(QtWindowTest, TimerTicksUntilStoppedWithoutPilingUp) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.display();
  window.setTimer(std::chrono::milliseconds(5));
  QTest::qWait(60);  // several intervals pass while the program is busy...
  Event e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::timer);
  EXPECT_NE(e.as<TimerTick>(), nullptr);
  window.setTimer(std::nullopt);  // ...and they were one tick, which stopping drops
  QTimer::singleShot(30, [&] { click(window, 1); });
  e = engine.waitEvent(window);
  EXPECT_EQ(e.kind, EventKind::accepted);
  EXPECT_EQ(e.control, 1);
}

TEST_F(QtWindowTest, HiddenWindowLeavesTheScreenAndComesBack) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.hide();
  window.display();  // a redisplay does not show a hidden window
  EXPECT_FALSE(widgetOf(window)->isVisible());
  window.show();
  EXPECT_TRUE(widgetOf(window)->isVisible());
  window.hide();
  EXPECT_FALSE(widgetOf(window)->isVisible());
  window.show();
  EXPECT_TRUE(widgetOf(window)->isVisible());
}

TEST_F(QtWindowTest, PlacementFarOffTheScreenIsKeptOnIt) {
  // A settings file edited by hand, or saved on a larger screen, must not put the window
  // where no one can reach it.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const struct {
    const char* name;
    int x;
    int y;
  } cases[] = {{"right and above", 100000, -50000},
               {"left and below", -100000, 50000},
               {"most negative", -2147483647, -2147483647}};
  const WindowSpec structure = mainWindowSpec();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Window restored(structure, engine);  // placed before it first shows
    restored.open();
    restored.setX(c.x);
    restored.setY(c.y);
    restored.display();
    EXPECT_TRUE(screen.contains(widgetOf(restored)->frameGeometry()))
        << widgetOf(restored)->frameGeometry().x() << ","
        << widgetOf(restored)->frameGeometry().y();
    restored.close();

    Window moved(structure, engine);  // placed while on the screen
    moved.open();
    moved.display();
    moved.setX(c.x);
    moved.setY(c.y);
    EXPECT_TRUE(screen.contains(widgetOf(moved)->frameGeometry()));
    moved.close();
  }
  // A place on the screen is kept as it is.
  Window window(structure, engine);
  window.open();
  window.setX(10);
  window.setY(12);
  window.display();
  EXPECT_EQ(window.x(), 10);
  EXPECT_EQ(window.y(), 12);
}

TEST_F(QtWindowTest, GrabsTheWindowToPng) {
  const WindowSpec structure = mainWindowSpec();
  Window window(structure, engine);
  window.open();
  window.select(1);
  const std::string path = ::testing::TempDir() + "qt_window_test_main.png";
  ASSERT_TRUE(grabWindow(window, path));
  QImage image(QString::fromStdString(path));
  EXPECT_EQ(image.size(), widgetOf(window)->size());

  Window closed(structure, engine);
  EXPECT_FALSE(grabWindow(closed, path));
}

}  // namespace
}  // namespace vc::ui
