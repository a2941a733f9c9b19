#include "platform/qt/x11/pointer_watch.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <utility>

#include "platform/qt/x11/x11_connection.h"

namespace vellicor::qt {

using Clock = std::chrono::steady_clock;

struct PointerWatch::Impl final : QAbstractNativeEventFilter {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  std::optional<Clock::time_point> left;
  std::function<void()> returned;

  ~Impl() override {
    if (auto* app = QCoreApplication::instance()) {
      app->removeNativeEventFilter(this);
    }
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    // A crossing another client sent says nothing of the pointer.
    const unsigned type = serverEventType(eventType, message);
    if (type != XCB_ENTER_NOTIFY && type != XCB_LEAVE_NOTIFY) {
      return false;
    }
    // Enter and leave events share one layout.
    const auto* crossing = static_cast<const xcb_enter_notify_event_t*>(message);
    if (crossing->event != root || crossing->detail != XCB_NOTIFY_DETAIL_INFERIOR) {
      return false;
    }
    if (type == XCB_ENTER_NOTIFY) {
      left = Clock::now();
    } else if (returned) {
      returned();
    }
    return false;
  }
};

PointerWatch::PointerWatch(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

PointerWatch::~PointerWatch() = default;

std::unique_ptr<PointerWatch> PointerWatch::open(std::function<void()> returned) {
  xcb_connection_t* c = qtConnection();
  if (c == nullptr) {
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->connection = c;
  impl->root = rootWindow(c);
  impl->returned = std::move(returned);
  QCoreApplication::instance()->installNativeEventFilter(impl.get());
  addEventMask(c, impl->root, XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW);
  return std::unique_ptr<PointerWatch>(new PointerWatch(std::move(impl)));
}

bool PointerWatch::overWindow() const {
  xcb_connection_t* c = impl_->connection;
  Reply reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, impl_->root), nullptr));
  return reply && reply->same_screen != 0 && reply->child != XCB_WINDOW_NONE;
}

std::optional<std::chrono::milliseconds> PointerWatch::sinceLeft() const {
  if (!impl_->left) {
    return std::nullopt;
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *impl_->left);
}

}  // namespace vellicor::qt
