#include "platform/qt/x11/x11_connection.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QGuiApplication>
#include <string>

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

unsigned screenSelection(xcb_connection_t* c, std::string_view prefix) {
  int screen = 0;
  if (const char* display = std::getenv("DISPLAY")) {
    // ":1.2" names screen 2; the default is 0.
    const std::string d(display);
    const auto dot = d.rfind('.');
    if (dot != std::string::npos && d.rfind(':') < dot) {
      screen = std::atoi(d.c_str() + dot + 1);
    }
  }
  return internAtom(c, std::string(prefix) + std::to_string(screen));
}

void addEventMask(xcb_connection_t* c, unsigned window, unsigned mask) {
  Reply attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  const uint32_t value = (attributes ? attributes->your_event_mask : 0) | mask;
  xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &value);
  xcb_flush(c);
}

unsigned serverEventType(const QByteArray& eventType, const void* message) {
  if (eventType != "xcb_generic_event_t") {
    return 0;
  }
  constexpr uint8_t kSentByAClient = 0x80;
  const uint8_t type = static_cast<const xcb_generic_event_t*>(message)->response_type;
  return (type & kSentByAClient) != 0 ? 0 : type;
}

}  // namespace vellicor::qt
