#include "platform/qt/x11_connection.h"

#include <xcb/xcb.h>

#include <QGuiApplication>

namespace vellicor::qt {

xcb_connection_t* qtConnection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

unsigned rootWindow(xcb_connection_t* c) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  return screen != nullptr ? screen->root : 0;
}

unsigned internAtom(xcb_connection_t* c, std::string_view name, bool onlyIfExists) {
  Reply reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, onlyIfExists ? 1 : 0, static_cast<uint16_t>(name.size()), name.data()),
      nullptr));
  return reply ? reply->atom : 0;
}

}  // namespace vellicor::qt
