#include "startup_listener.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

namespace vellicor::e2e {

StartupListener::StartupListener() : display_(XOpenDisplay(nullptr)) {
  if (display_ == nullptr) {
    return;
  }
  begin_ = XInternAtom(display_, "_NET_STARTUP_INFO_BEGIN", False);
  more_ = XInternAtom(display_, "_NET_STARTUP_INFO", False);
  XSelectInput(display_, DefaultRootWindow(display_), PropertyChangeMask);
  XSync(display_, False);
}

StartupListener::~StartupListener() {
  if (display_ != nullptr) {
    XCloseDisplay(display_);
  }
}

std::optional<std::string> StartupListener::next(double seconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  std::string message;
  bool begun = false;
  while (display_ != nullptr) {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type != ClientMessage || event.xclient.format != 8) {
        continue;
      }
      if (event.xclient.message_type == begin_) {
        begun = true;
        message.clear();
      } else if (event.xclient.message_type != more_ || !begun) {
        continue;
      }
      for (const char c : event.xclient.data.b) {
        if (c == '\0') {
          return message;
        }
        message += c;
      }
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      break;
    }
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
  }
  return std::nullopt;
}

}  // namespace vellicor::e2e
