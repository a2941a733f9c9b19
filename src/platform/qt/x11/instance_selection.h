#pragma once

#include <memory>

namespace vellicor::qt {

// One program per user on a display, as the X server itself tells it: the
// running one owns a selection named for the user, through a window of its
// own on Qt's connection, so the selection is released when the program's
// connection ends, however it ends. Whatever name the display was reached by
// (":0", "unix:0", -display) and whatever the environment says, a second
// program on that display finds the selection owned.
class InstanceSelection {
 public:
  struct Claim {
    std::unique_ptr<InstanceSelection> owned;  // taken: no other instance runs here
    bool heldElsewhere = false;                // another instance owns it...
    long holder = 0;                           // ...with this process id, 0 if unknown
  };

  // Checks and takes the selection in one step, the server grabbed meanwhile
  // so that two programs starting together cannot both take it. Neither owned
  // nor held elsewhere when the program is not on X11.
  static Claim claim();
  ~InstanceSelection();
  InstanceSelection(const InstanceSelection&) = delete;
  InstanceSelection& operator=(const InstanceSelection&) = delete;

 private:
  explicit InstanceSelection(unsigned window) : window_(window) {}
  unsigned window_;
};

}  // namespace vellicor::qt
