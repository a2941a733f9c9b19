#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/threads.h"

namespace vellicor::sim {

class SimTimer;

// The main thread, its queue and a virtual monotonic clock. The thread that
// constructs it is the main thread. Nothing runs until the test pumps it.
class SimThreads final : public Threads {
 public:
  SimThreads();
  ~SimThreads() override;

  bool isMainThread() const override;
  void asyncMain(std::function<void()> work) override;
  std::shared_ptr<TimerSource> makeTimerSource() override;

  // Main thread only: runs queued work, including work queued meanwhile, until
  // the queue is empty. Returns how many items ran.
  std::size_t runPending();
  // Main thread only: moves the clock forward, firing due timers in deadline
  // order, each followed by the work it queued.
  void advance(double seconds);
  double now() const { return now_; }
  std::size_t pendingCount() const;
  // The earliest deadline of an armed timer.
  std::optional<double> nextDeadline() const;
  std::size_t armedTimerCount() const;
  std::size_t firedTimerCount() const { return fired_; }

 private:
  friend class SimTimer;
  void arm(const std::shared_ptr<SimTimer>& timer);
  void disarm(const SimTimer* timer);
  std::shared_ptr<SimTimer> takeDueTimer(double until);

  std::thread::id mainThread_;
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
  // Armed timers are kept alive here until they fire or are cancelled, as the
  // dispatch library keeps an active source.
  std::vector<std::shared_ptr<SimTimer>> armed_;
  std::shared_ptr<bool> alive_;
  double now_ = 0;
  std::size_t fired_ = 0;
};

}  // namespace vellicor::sim
