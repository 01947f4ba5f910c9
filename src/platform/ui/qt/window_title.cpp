#include "platform/ui/qt/window_title.hpp"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vc::ui::qt {
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (!reply) return XCB_ATOM_NONE;
  const xcb_atom_t a = reply->atom;
  std::free(reply);
  return a;
}

// Under X11 the toolkit names a window with an empty title after the application; the
// window's name properties are set empty again, after the toolkit has set them (it
// touches them only when the title changes).
void clearX11Name(QWidget& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      0, "");
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_VISIBLE_NAME"}) {
    const xcb_atom_t property = atom(connection, name);
    if (property != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
      xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, utf8, 8, 0, "");
  }
  xcb_flush(connection);
}

}  // namespace

void setWindowTitleExactly(QWidget& window, const QString& title) {
  window.setWindowTitle(title);
  if (title.isEmpty() && QGuiApplication::platformName() == QLatin1String("xcb"))
    clearX11Name(window);
}

}  // namespace vc::ui::qt
