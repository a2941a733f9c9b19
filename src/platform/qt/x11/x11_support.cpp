#include "platform/qt/x11/x11_support.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <optional>
#include <string>
#include <utility>

#include "platform/qt/x11/x11_connection.h"

namespace vellicor::qt {
namespace {

std::optional<uint32_t> cardinalProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom,
                                         xcb_atom_t type) {
  Reply reply(xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom, type, 0, 1), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
    return std::nullopt;
  }
  return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

}  // namespace

struct ActiveWindowWatch::Impl final : QAbstractNativeEventFilter {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  xcb_atom_t activeAtom = 0;
  xcb_atom_t pidAtom = 0;
  xcb_window_t lastWindow = XCB_WINDOW_NONE;
  std::optional<uint32_t> lastPid;
  std::function<void()> activated;

  ~Impl() override {
    if (auto* app = QCoreApplication::instance()) {
      app->removeNativeEventFilter(this);
    }
  }

  void activeWindowChanged() {
    const auto window = cardinalProperty(connection, root, activeAtom, XCB_ATOM_WINDOW);
    if (!window || *window == XCB_WINDOW_NONE || *window == lastWindow) {
      return;
    }
    lastWindow = *window;
    const auto pid = cardinalProperty(connection, *window, pidAtom, XCB_ATOM_CARDINAL);
    if (pid && *pid == static_cast<uint32_t>(getpid())) {
      return;
    }
    // Another window of the same application is not another application.
    if (pid && lastPid && *pid == *lastPid) {
      return;
    }
    lastPid = pid;
    activated();
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    // Only the server's notifications mean that the property changed; ones
    // another client sends, as many as it likes, would each cost a read of it.
    if (serverEventType(eventType, message) == XCB_PROPERTY_NOTIFY) {
      const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
      if (notify->window == root && notify->atom == activeAtom) {
        activeWindowChanged();
      }
    }
    return false;
  }
};

ActiveWindowWatch::ActiveWindowWatch(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ActiveWindowWatch::~ActiveWindowWatch() = default;

std::unique_ptr<ActiveWindowWatch> ActiveWindowWatch::open(std::function<void()> activated) {
  xcb_connection_t* c = qtConnection();
  if (c == nullptr) {
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->connection = c;
  impl->root = rootWindow(c);
  impl->activeAtom = internAtom(c, "_NET_ACTIVE_WINDOW");
  impl->pidAtom = internAtom(c, "_NET_WM_PID");
  impl->activated = std::move(activated);
  addEventMask(c, impl->root, XCB_EVENT_MASK_PROPERTY_CHANGE);
  // The window active now is the starting point, not an activation.
  impl->lastWindow =
      cardinalProperty(c, impl->root, impl->activeAtom, XCB_ATOM_WINDOW).value_or(XCB_WINDOW_NONE);
  if (impl->lastWindow != XCB_WINDOW_NONE) {
    impl->lastPid = cardinalProperty(c, impl->lastWindow, impl->pidAtom, XCB_ATOM_CARDINAL);
  }
  QCoreApplication::instance()->installNativeEventFilter(impl.get());
  return std::unique_ptr<ActiveWindowWatch>(new ActiveWindowWatch(std::move(impl)));
}

}  // namespace vellicor::qt
