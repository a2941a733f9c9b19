#include "platform/qt/x11/instance_selection.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <string>

#include "platform/qt/x11/x11_connection.h"

namespace vellicor::qt {
namespace {

// The owner window's _NET_WM_PID, 0 when it has none.
long ownerPid(xcb_connection_t* c, xcb_window_t owner, xcb_atom_t pidAtom) {
  Reply reply(xcb_get_property_reply(
      c, xcb_get_property(c, 0, owner, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
    return 0;
  }
  return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

}  // namespace

InstanceSelection::Claim InstanceSelection::claim() {
  Claim claim;
  xcb_connection_t* c = qtConnection();
  if (c == nullptr) {
    return claim;
  }
  const xcb_atom_t selection = internAtom(c, "_VELLICOR_INSTANCE_U" + std::to_string(getuid()));
  const xcb_atom_t pidAtom = internAtom(c, "_NET_WM_PID");
  if (selection == XCB_ATOM_NONE) {
    return claim;
  }
  xcb_grab_server(c);
  Reply owner(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
  if (owner && owner->owner != XCB_WINDOW_NONE) {
    claim.heldElsewhere = true;
    claim.holder = ownerPid(c, owner->owner, pidAtom);
    xcb_ungrab_server(c);
    xcb_flush(c);
    return claim;
  }
  // An input-only window that is never mapped: it only names the owner.
  const xcb_window_t window = xcb_generate_id(c);
  const uint32_t overrideRedirect = 1;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, rootWindow(c), -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                    &overrideRedirect);
  const uint32_t pid = static_cast<uint32_t>(getpid());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, pidAtom, XCB_ATOM_CARDINAL, 32, 1, &pid);
  xcb_set_selection_owner(c, window, selection, XCB_CURRENT_TIME);
  Reply now(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
  xcb_ungrab_server(c);
  xcb_flush(c);
  if (!now || now->owner != window) {
    xcb_destroy_window(c, window);
    xcb_flush(c);
    return claim;
  }
  claim.owned.reset(new InstanceSelection(window));
  return claim;
}

InstanceSelection::~InstanceSelection() {
  if (xcb_connection_t* c = qtConnection()) {
    xcb_destroy_window(c, window_);
    xcb_flush(c);
  }
}

}  // namespace vellicor::qt
