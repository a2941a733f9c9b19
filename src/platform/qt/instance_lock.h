#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vellicor::qt {

// One program per user and display: a write lock on a file in the user's
// runtime directory (when it is the user's own and private; else a private
// directory under /tmp), named for the display. The file must be the user's own. The kernel drops
// the lock when its process ends, however it ends, so an instance that crashed or was killed never
// keeps the next one from starting; the file itself holds nothing.
class InstanceLock {
 public:
  struct Attempt {
    std::unique_ptr<InstanceLock> lock;  // taken: no other instance runs
    bool heldElsewhere = false;          // another instance holds it...
    long holder = 0;                     // ...with this process id, 0 if unknown
    std::string error;                   // neither: why the lock could not be tried
  };

  // `runtimeDir` is $XDG_RUNTIME_DIR; when it is empty, or not a private
  // directory of the user's, the lock lives in one under /tmp.
  static Attempt take(std::string_view runtimeDir, std::string_view display);

  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};

// The lock file's name for an X display: the screen number is dropped, so ":0",
// ":0.0" and "unix:0" share a lock, and a display given as a path stays one
// file name.
std::string instanceLockName(std::string_view display);

}  // namespace vellicor::qt
