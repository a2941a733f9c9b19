#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct xcb_connection_t;

namespace vellicor::e2e {

// Another client on the display that forges events with SendEvent, as any
// program of the session may: the server delivers what it is given, marked
// only by the sent-by-a-client bit. Each event goes to every window in
// `windows` with no event mask, which the server delivers to the client that
// created the window and to no other: the rest of the desktop never sees it.
// Each call is true when there was a window to send to and the server
// accepted every request.
class ForgingClient {
 public:
  ForgingClient();
  ~ForgingClient();
  ForgingClient(const ForgingClient&) = delete;
  ForgingClient& operator=(const ForgingClient&) = delete;

  bool connected() const;
  // Every window of the process `pid` (by its _NET_WM_PID), mapped or not, in
  // the first levels of the window tree.
  std::vector<unsigned long> windowsOfProcess(pid_t pid);
  // An XKB state notification saying that the core keyboard's group is now `group`.
  bool forgeGroupSwitch(const std::vector<unsigned long>& windows, unsigned group);
  // An XFixes notification saying that the owner of `selection` has gone.
  bool forgeSelectionGone(const std::vector<unsigned long>& windows, const std::string& selection);

 private:
  bool send(const std::vector<unsigned long>& windows, const void* event);
  unsigned atom(const std::string& name);

  xcb_connection_t* connection_;
  unsigned root_ = 0;
};

}  // namespace vellicor::e2e
