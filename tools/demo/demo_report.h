#pragma once

#include <cstddef>
#include <ostream>

namespace vellicor::sim {
class SimDesktop;
}

namespace vellicor::demo {

// Prints what a person would see on the simulated desktop: the new log lines
// since the last report, the status item and its menu, and the HUD.
class DemoReport {
 public:
  DemoReport(const sim::SimDesktop& desktop, std::ostream& out) : desktop_(desktop), out_(out) {}
  void screens() const;
  void state(const char* event);

 private:
  const sim::SimDesktop& desktop_;
  std::ostream& out_;
  std::size_t logged_ = 0;
};

}  // namespace vellicor::demo
