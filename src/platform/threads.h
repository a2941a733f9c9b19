#pragma once

#include <functional>
#include <memory>

namespace vellicor {

// A one-shot timer that delivers its handler on the main thread. The deadline is
// measured on a monotonic clock from the moment `schedule` is called. A delay
// that is zero, negative or not a finite number comes due at once; a very long
// one is held at about 24.8 days. A cancelled timer never runs its handler
// afterwards.
class TimerSource {
 public:
  virtual ~TimerSource() = default;
  virtual void schedule(double secondsFromNow) = 0;
  virtual void setEventHandler(std::function<void()> handler) = 0;
  virtual void activate() = 0;
  virtual void cancel() = 0;
};

class Threads {
 public:
  virtual ~Threads() = default;
  // True on the thread that runs the event loop.
  virtual bool isMainThread() const = 0;
  // Queues work for the main thread behind all work queued before it. Callable
  // from any thread; never runs the work before returning.
  virtual void asyncMain(std::function<void()> work) = 0;
  // A new, unscheduled timer whose handler runs on the main queue.
  virtual std::shared_ptr<TimerSource> makeTimerSource() = 0;
};

}  // namespace vellicor
