#include "platform/qt/x11/selection_watch.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <utility>

#include "platform/qt/x11/x11_connection.h"

namespace vellicor::qt {

struct SelectionWatch::Impl final : QAbstractNativeEventFilter {
  xcb_atom_t selection = 0;
  uint8_t notifyEvent = 0;
  bool owned = false;
  std::function<void(bool)> changed;

  ~Impl() override {
    if (auto* app = QCoreApplication::instance()) {
      app->removeNativeEventFilter(this);
    }
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    // Only the server knows who owns the selection: a notification another
    // client sent could make a running tray host or compositor seem gone.
    if (serverEventType(eventType, message) != notifyEvent) {
      return false;
    }
    const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
    if (notify->selection == selection) {
      // A new owner, or the owner's window or connection gone.
      const bool now = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                       notify->owner != XCB_WINDOW_NONE;
      if (now != owned) {
        owned = now;
        if (changed) {
          changed(owned);
        }
      }
    }
    // Qt follows selections for its own needs too.
    return false;
  }
};

SelectionWatch::SelectionWatch(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SelectionWatch::~SelectionWatch() = default;

std::unique_ptr<SelectionWatch> SelectionWatch::open(std::string_view prefix,
                                                     std::function<void(bool)> changed) {
  xcb_connection_t* c = qtConnection();
  if (c == nullptr) {
    return nullptr;
  }
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (extension == nullptr || extension->present == 0) {
    return nullptr;
  }
  // The client states the version it speaks before it uses the extension.
  Reply version(xcb_xfixes_query_version_reply(
      c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
  if (!version) {
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->selection = screenSelection(c, prefix);
  impl->notifyEvent = static_cast<uint8_t>(extension->first_event + XCB_XFIXES_SELECTION_NOTIFY);
  impl->changed = std::move(changed);
  xcb_xfixes_select_selection_input(c, rootWindow(c), impl->selection,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  // Asked once after selecting the events, so no change falls between the two.
  Reply owner(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, impl->selection), nullptr));
  impl->owned = owner && owner->owner != XCB_WINDOW_NONE;
  QCoreApplication::instance()->installNativeEventFilter(impl.get());
  return std::unique_ptr<SelectionWatch>(new SelectionWatch(std::move(impl)));
}

bool SelectionWatch::owned() const {
  return impl_->owned;
}

}  // namespace vellicor::qt
