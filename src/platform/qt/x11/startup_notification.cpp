#include "platform/qt/x11/startup_notification.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>

#include "platform/qt/x11/x11_connection.h"

namespace vellicor::qt {
namespace {

// Launchers' ids are well under this; a longer one is nobody's.
constexpr std::size_t kLongestId = 1024;
constexpr std::size_t kChunk = 20;  // the bytes of one client message

// The message, its value quoted as startup notification quotes values, with
// its terminating NUL.
std::string removeMessage(const std::string& id) {
  std::string message = "remove: ID=\"";
  for (const char c : id) {
    if (c == '"' || c == '\\') {
      message += '\\';
    }
    message += c;
  }
  message += '"';
  message += '\0';
  return message;
}

}  // namespace

void completeStartup(const std::string& id) {
  xcb_connection_t* c = qtConnection();
  if (c == nullptr || id.empty() || id.size() > kLongestId || id.find('\0') != std::string::npos) {
    return;
  }
  const xcb_window_t root = rootWindow(c);
  const unsigned begin = internAtom(c, "_NET_STARTUP_INFO_BEGIN");
  const unsigned more = internAtom(c, "_NET_STARTUP_INFO");
  if (root == 0 || begin == 0 || more == 0) {
    return;
  }
  // The messages name a window of the sender's own.
  const xcb_window_t window = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  const std::string message = removeMessage(id);
  for (std::size_t at = 0; at < message.size(); at += kChunk) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = window;
    event.type = at == 0 ? begin : more;
    std::memcpy(event.data.data8, message.data() + at, std::min(kChunk, message.size() - at));
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                   reinterpret_cast<const char*>(&event));
  }
  xcb_destroy_window(c, window);
  xcb_flush(c);
}

}  // namespace vellicor::qt
