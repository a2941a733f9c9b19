#include "forging_client.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>
// The XKB header names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <memory>
#include <utility>

namespace vellicor::e2e {
namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

constexpr int kTreeDepth = 4;
constexpr std::size_t kMaxWindows = 20000;

// The first event code of an extension on this server, or 0 when it has none.
uint8_t firstEvent(xcb_connection_t* c, xcb_extension_t* extension) {
  const xcb_query_extension_reply_t* data = xcb_get_extension_data(c, extension);
  return data != nullptr && data->present != 0 ? data->first_event : 0;
}

}  // namespace

ForgingClient::ForgingClient() : connection_(xcb_connect(nullptr, nullptr)) {
  if (xcb_connection_has_error(connection_) == 0) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
}

ForgingClient::~ForgingClient() {
  xcb_disconnect(connection_);
}

bool ForgingClient::connected() const {
  return xcb_connection_has_error(connection_) == 0 && root_ != 0;
}

unsigned ForgingClient::atom(const std::string& name) {
  Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection_,
      xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr));
  return reply ? reply->atom : 0;
}

std::vector<unsigned long> ForgingClient::windowsOfProcess(pid_t pid) {
  std::vector<unsigned long> found;
  if (!connected()) {
    return found;
  }
  const xcb_atom_t pidAtom = atom("_NET_WM_PID");
  std::vector<std::pair<xcb_window_t, int>> pending{{root_, 0}};
  std::size_t seen = 0;
  while (!pending.empty() && seen < kMaxWindows) {
    const auto [window, depth] = pending.back();
    pending.pop_back();
    ++seen;
    Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    if (property && property->format == 32 && xcb_get_property_value_length(property.get()) >= 4 &&
        *static_cast<const uint32_t*>(xcb_get_property_value(property.get())) ==
            static_cast<uint32_t>(pid)) {
      found.push_back(window);
    }
    if (depth >= kTreeDepth) {
      continue;
    }
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) {
      continue;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
      pending.emplace_back(children[i], depth + 1);
    }
  }
  return found;
}

bool ForgingClient::send(const std::vector<unsigned long>& windows, const void* event) {
  if (!connected() || windows.empty()) {
    return false;
  }
  const auto* bytes = static_cast<const char*>(event);
  std::vector<xcb_void_cookie_t> sent;
  for (const unsigned long window : windows) {
    sent.push_back(xcb_send_event_checked(connection_, 0, static_cast<xcb_window_t>(window),
                                          XCB_EVENT_MASK_NO_EVENT, bytes));
  }
  bool accepted = true;
  for (const xcb_void_cookie_t cookie : sent) {
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
      accepted = false;
      std::free(error);
    }
  }
  return accepted;
}

bool ForgingClient::forgeGroupSwitch(const std::vector<unsigned long>& windows, unsigned group) {
  const uint8_t base = firstEvent(connection_, &xcb_xkb_id);
  if (!connected() || base == 0) {
    return false;
  }
  xcb_xkb_state_notify_event_t event{};
  event.response_type = base;
  event.xkbType = XCB_XKB_STATE_NOTIFY;
  event.deviceID = 3;  // the core keyboard of an X.Org server
  event.group = static_cast<uint8_t>(group);
  event.lockedGroup = static_cast<uint8_t>(group);
  event.changed = XCB_XKB_STATE_PART_GROUP_STATE | XCB_XKB_STATE_PART_GROUP_LOCK;
  return send(windows, &event);
}

bool ForgingClient::forgeSelectionGone(const std::vector<unsigned long>& windows,
                                       const std::string& selection) {
  const uint8_t base = firstEvent(connection_, &xcb_xfixes_id);
  if (!connected() || base == 0) {
    return false;
  }
  xcb_xfixes_selection_notify_event_t event{};
  event.response_type = static_cast<uint8_t>(base + XCB_XFIXES_SELECTION_NOTIFY);
  event.subtype = XCB_XFIXES_SELECTION_EVENT_SELECTION_CLIENT_CLOSE;
  event.window = root_;
  event.owner = XCB_WINDOW_NONE;
  event.selection = atom(selection);
  return send(windows, &event);
}

}  // namespace vellicor::e2e
