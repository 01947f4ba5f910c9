// Under a real X server (Xvfb): what the window system itself shows as a message box's
// title, which the offscreen platform of the other Qt tests cannot see.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qt_test_support.hpp"

namespace vc::ui {
namespace {

std::string property(xcb_connection_t* connection, xcb_window_t window, const char* name) {
  const xcb_intern_atom_cookie_t ac =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, ac, nullptr);
  if (!atom) return "<no atom>";
  const xcb_get_property_cookie_t pc =
      xcb_get_property(connection, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
  std::free(atom);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, pc, nullptr);
  if (!reply) return "<no reply>";
  std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
  std::free(reply);
  return value;
}

// The line xwininfo prints for one window of the tree.
std::string xwininfoLine(unsigned long window) {
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx ", window);
  FILE* out = ::popen("xwininfo -root -tree", "r");
  if (!out) return "<no xwininfo>";
  std::string line, found;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, out)) {
    line = buffer;
    if (line.find(id) != std::string::npos) found = line;
  }
  ::pclose(out);
  return found;
}

TEST(X11TitleTest, EmptyMessageBoxTitleStaysEmpty) {
  vc::ui::testing::startApplication();
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  QtEngine engine;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  ASSERT_NE(x11, nullptr);
  const struct {
    const char* caption;
    const char* shown;  // the name the window system holds
  } cases[] = {{"", ""}, {"File Access Error", "File Access Error"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    std::string wmName, netWmName, tree;
    vc::ui::testing::whenShown<QMessageBox>([&](QMessageBox* box) {
      const auto id = static_cast<xcb_window_t>(box->winId());
      QTest::qWait(50);  // let the window manager's view of it settle
      wmName = property(x11->connection(), id, "WM_NAME");
      netWmName = property(x11->connection(), id, "_NET_WM_NAME");
      tree = xwininfoLine(id);
      tree = tree.substr(0, tree.find(": ("));  // the name, not the class that follows
      box->accept();
    });
    errors::MessageRequest request;
    request.caption = c.caption;
    request.text = "El Archivo no contiene declaraciones de MODULOS";
    engine.showMessage(request);
    EXPECT_EQ(wmName, c.shown);
    EXPECT_EQ(netWmName, c.shown);
    // xwininfo shows the name in quotes, or that there is none.
    std::string quoted(1, '"');
    quoted.append(c.shown).push_back('"');
    EXPECT_TRUE(tree.find(quoted) != std::string::npos ||
                (*c.shown == 0 && tree.find("(has no name)") != std::string::npos))
        << tree;
    EXPECT_EQ(tree.find(QCoreApplication::applicationName().toStdString()), std::string::npos)
        << tree;
  }
}

}  // namespace
}  // namespace vc::ui
