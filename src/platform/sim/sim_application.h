#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/application.h"
#include "platform/clock.h"

namespace vellicor::sim {

class SimThreads;

// The application object. `run` drives the simulated event loop: queued work,
// then the next timer on the virtual clock, until termination or until nothing
// is left that could ever happen.
class SimApplication final : public Application {
 public:
  explicit SimApplication(SimThreads& threads) : threads_(threads) {}

  void run(const std::shared_ptr<ApplicationDelegate>& delegate) override;
  void terminate() override;
  std::string didActivateApplicationNotification() const override;

  // Installs the delegate and sends it applicationDidFinishLaunching at once,
  // without running a loop, for tests that drive the clock themselves.
  void launch(const std::shared_ptr<ApplicationDelegate>& delegate);
  // Delivers a menu action with no explicit target to the delegate.
  bool sendAction(const std::string& selector);
  bool terminated() const { return terminated_; }
  std::size_t terminateRequests() const { return terminateRequests_; }

 private:
  SimThreads& threads_;
  std::weak_ptr<ApplicationDelegate> delegate_;
  bool terminated_ = false;
  std::size_t terminateRequests_ = 0;
};

// Wall-clock time that follows the virtual clock from a fixed epoch.
class SimWallClock final : public WallClock {
 public:
  explicit SimWallClock(const SimThreads& threads) : threads_(threads) {}
  WallTime now() const override;

 private:
  const SimThreads& threads_;
};

}  // namespace vellicor::sim
