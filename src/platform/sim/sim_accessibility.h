#pragma once

#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/sim/sim_threads.h"

namespace vellicor::sim {

// Records what a screen reader would be told, with the virtual time it was
// told; with `listening` off, as when no screen reader runs, nothing is told.
class SimAccessibility final : public Accessibility {
 public:
  struct Announcement {
    double at;
    std::string text;
  };

  explicit SimAccessibility(const SimThreads& threads) : threads_(threads) {}
  void announce(const std::string& text) override;

  const std::vector<Announcement>& announcements() const { return announcements_; }
  void setListening(bool listening) { listening_ = listening; }

 private:
  const SimThreads& threads_;
  std::vector<Announcement> announcements_;
  bool listening_ = true;
};

}  // namespace vellicor::sim
