// Locks the keyboard group of an X display, as a layout-switch key would:
//   vellicor_xkb_lock_group GROUP [COUNT [INTERVAL_MS]]
// With COUNT, alternates between group 0 and GROUP COUNT times, ending on GROUP
// when COUNT is odd.

#include <X11/XKBlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s GROUP [COUNT [INTERVAL_MS]]\n", argv[0]);
    return 2;
  }
  const auto group = static_cast<unsigned>(std::atoi(argv[1]));
  const int count = argc > 2 ? std::atoi(argv[2]) : 1;
  const int intervalMs = argc > 3 ? std::atoi(argv[3]) : 0;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "%s: cannot open display\n", argv[0]);
    return 1;
  }
  for (int i = 0; i < count; ++i) {
    const unsigned target = (count - i) % 2 == 1 ? group : 0;
    if (!XkbLockGroup(display, XkbUseCoreKbd, target)) {
      std::fprintf(stderr, "%s: XkbLockGroup failed\n", argv[0]);
      XCloseDisplay(display);
      return 1;
    }
    XSync(display, False);
    if (intervalMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
  }
  XCloseDisplay(display);
  return 0;
}
