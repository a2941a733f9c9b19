#pragma once

#include <functional>
#include <memory>

#include "platform/threads.h"

namespace vellicor::qt {

// The main thread is the one running Qt's event loop; work is queued to the
// application object, behind everything queued before it; timers are Qt's
// precise single-shot timers on the main thread.
//
// Checklist: isMainThread, asyncMain and one-shot timers are exact. Deadlines
// follow `timerDelay`, rounded up to whole milliseconds.
class QtThreads final : public Threads {
 public:
  bool isMainThread() const override;
  void asyncMain(std::function<void()> work) override;
  std::shared_ptr<TimerSource> makeTimerSource() override;
};

}  // namespace vellicor::qt
