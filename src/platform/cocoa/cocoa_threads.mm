#include "platform/cocoa/cocoa_threads.h"

#import <Foundation/Foundation.h>
#include <dispatch/dispatch.h>

#include <utility>

#include "platform/common/timer_delay.h"

namespace vellicor::cocoa {
namespace {

class DispatchTimerSource final : public TimerSource {
 public:
  DispatchTimerSource()
      : source_(
            dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_main_queue())) {}
  ~DispatchTimerSource() override {
    // A source that was never activated must be activated before it is released.
    if (!activated_) {
      dispatch_activate(source_);
    }
    dispatch_source_cancel(source_);
  }

  void schedule(double secondsFromNow) override {
    const dispatch_time_t deadline =
        dispatch_time(DISPATCH_TIME_NOW, timerDelay(secondsFromNow).count());
    dispatch_source_set_timer(source_, deadline, DISPATCH_TIME_FOREVER, 0);
  }
  void setEventHandler(std::function<void()> handler) override {
    auto shared = std::make_shared<std::function<void()>>(std::move(handler));
    dispatch_source_set_event_handler(source_, ^{
      (*shared)();
    });
  }
  void activate() override {
    if (!activated_) {
      activated_ = true;
      dispatch_activate(source_);
    }
  }
  void cancel() override { dispatch_source_cancel(source_); }

 private:
  dispatch_source_t source_;
  bool activated_ = false;
};

}  // namespace

bool CocoaThreads::isMainThread() const {
  return [NSThread isMainThread];
}

void CocoaThreads::asyncMain(std::function<void()> work) {
  auto shared = std::make_shared<std::function<void()>>(std::move(work));
  dispatch_async(dispatch_get_main_queue(), ^{
    (*shared)();
  });
}

std::shared_ptr<TimerSource> CocoaThreads::makeTimerSource() {
  return std::make_shared<DispatchTimerSource>();
}

}  // namespace vellicor::cocoa
