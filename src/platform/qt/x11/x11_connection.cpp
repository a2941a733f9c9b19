#include "platform/qt/x11/x11_connection.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QGuiApplication>
#include <cstdlib>
#include <string>

namespace vellicor::qt {

xcb_connection_t* qtConnection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

int defaultScreen() {
  // ":1.2" names screen 2; the default is 0.
  int screen = 0;
  char* host = nullptr;
  int number = 0;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || xcb_parse_display(display, &host, &number, &screen) == 0) {
    screen = 0;
  }
  std::free(host);
  return screen;
}

unsigned rootWindow(xcb_connection_t* c) {
  const int wanted = defaultScreen();
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  const xcb_window_t first = screens.rem > 0 ? screens.data->root : 0;
  for (int i = 0; screens.rem > 0; xcb_screen_next(&screens), ++i) {
    if (i == wanted) {
      return screens.data->root;
    }
  }
  return first;
}

unsigned internAtom(xcb_connection_t* c, std::string_view name, bool onlyIfExists) {
  Reply reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, onlyIfExists ? 1 : 0, static_cast<uint16_t>(name.size()), name.data()),
      nullptr));
  return reply ? reply->atom : 0;
}

unsigned screenSelection(xcb_connection_t* c, std::string_view prefix) {
  return internAtom(c, std::string(prefix) + std::to_string(defaultScreen()));
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
