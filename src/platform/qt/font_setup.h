#pragma once

#include <thread>

namespace vellicor::qt {

// Reading fontconfig's configuration and caches is the largest single cost of
// starting: some seventy XML files parsed before the first letter can be
// drawn, and the badge is a letter. Begun on a thread of its own as the
// program starts, it overlaps with loading Qt and reaching the display;
// `wait` comes before the first use of a font. fontconfig is safe to set up
// from any thread, and sets itself up once.
class FontSetup {
 public:
  FontSetup();
  ~FontSetup() { wait(); }
  FontSetup(const FontSetup&) = delete;
  FontSetup& operator=(const FontSetup&) = delete;

  void wait() {
    if (thread_.joinable()) {
      thread_.join();
    }
  }

 private:
  std::thread thread_;
};

}  // namespace vellicor::qt
