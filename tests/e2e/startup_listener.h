#pragma once

#include <optional>
#include <string>

struct _XDisplay;

namespace vellicor::e2e {

// Hears the startup-notification messages sent to the root window, as a
// launcher does to know when the program it started is up.
class StartupListener {
 public:
  StartupListener();
  ~StartupListener();
  StartupListener(const StartupListener&) = delete;
  StartupListener& operator=(const StartupListener&) = delete;

  bool connected() const { return display_ != nullptr; }
  // The next whole message ("remove: ID=..."), waited for up to `seconds`.
  std::optional<std::string> next(double seconds);

 private:
  _XDisplay* display_;
  unsigned long begin_ = 0;
  unsigned long more_ = 0;
};

}  // namespace vellicor::e2e
