#pragma once

#include <functional>
#include <memory>

#include "platform/threads.h"

namespace vellicor::cocoa {

// NSThread for the main-thread test, the main dispatch queue for queued work,
// and dispatch timer sources on the main queue for one-shot timers.
//
// Checklist: all exact. Deadlines follow `timerDelay`: a delay that is not
// finite comes due at once, like a zero one.
class CocoaThreads final : public Threads {
 public:
  bool isMainThread() const override;
  void asyncMain(std::function<void()> work) override;
  std::shared_ptr<TimerSource> makeTimerSource() override;
};

}  // namespace vellicor::cocoa
