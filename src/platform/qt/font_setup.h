#pragma once

#include <thread>

namespace vellicor::qt {

// Reading fontconfig's configuration and caches is the largest single cost of
// starting: some seventy XML files parsed before the first letter can be
// drawn, and the badge is a letter. Begun on a thread of its own before Qt
// starts, it overlaps with Qt reaching the display; `wait` comes before the
// first use of a font. The program sets no environment variable while it
// runs: fontconfig reads them as it starts. fontconfig is safe to set up
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
