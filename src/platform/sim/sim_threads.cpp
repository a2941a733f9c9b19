#include "platform/sim/sim_threads.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/common/timer_delay.h"

namespace vellicor::sim {

class SimTimer final : public TimerSource, public std::enable_shared_from_this<SimTimer> {
 public:
  SimTimer(SimThreads& threads, std::weak_ptr<bool> alive) : threads_(threads), alive_(alive) {}

  void schedule(double secondsFromNow) override {
    deadline_ = threads_.now() + std::chrono::duration<double>(timerDelay(secondsFromNow)).count();
    scheduled_ = true;
  }
  void setEventHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  void activate() override {
    if (activated_ || cancelled_) {
      return;
    }
    activated_ = true;
    if (scheduled_) {
      threads_.arm(shared_from_this());
    }
  }
  void cancel() override {
    cancelled_ = true;
    if (!alive_.expired()) {
      threads_.disarm(this);
    }
  }

  double deadline() const { return deadline_; }
  // Runs on the main queue once the deadline has passed, unless cancelled by then.
  void deliver() {
    if (cancelled_ || !handler_) {
      return;
    }
    ++threads_.fired_;
    handler_();
  }

 private:
  SimThreads& threads_;
  std::weak_ptr<bool> alive_;
  std::function<void()> handler_;
  double deadline_ = 0;
  bool scheduled_ = false;
  bool activated_ = false;
  bool cancelled_ = false;
};

SimThreads::SimThreads()
    : mainThread_(std::this_thread::get_id()), alive_(std::make_shared<bool>(true)) {}

SimThreads::~SimThreads() {
  alive_.reset();
  armed_.clear();
}

bool SimThreads::isMainThread() const {
  return std::this_thread::get_id() == mainThread_;
}

void SimThreads::asyncMain(std::function<void()> work) {
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(work));
}

std::shared_ptr<TimerSource> SimThreads::makeTimerSource() {
  return std::make_shared<SimTimer>(*this, alive_);
}

std::size_t SimThreads::runPending() {
  std::size_t ran = 0;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        return ran;
      }
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
    ++ran;
  }
}

void SimThreads::advance(double seconds) {
  const double until = now_ + seconds;
  runPending();
  while (auto timer = takeDueTimer(until)) {
    now_ = std::max(now_, timer->deadline());
    asyncMain([timer] { timer->deliver(); });
    runPending();
  }
  now_ = std::max(now_, until);
  runPending();
}

std::size_t SimThreads::pendingCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::optional<double> SimThreads::nextDeadline() const {
  std::optional<double> next;
  for (const auto& timer : armed_) {
    if (!next || timer->deadline() < *next) {
      next = timer->deadline();
    }
  }
  return next;
}

std::size_t SimThreads::armedTimerCount() const {
  return armed_.size();
}

void SimThreads::arm(const std::shared_ptr<SimTimer>& timer) {
  armed_.push_back(timer);
}

void SimThreads::disarm(const SimTimer* timer) {
  std::erase_if(armed_, [timer](const auto& t) { return t.get() == timer; });
}

std::shared_ptr<SimTimer> SimThreads::takeDueTimer(double until) {
  auto due = armed_.end();
  for (auto it = armed_.begin(); it != armed_.end(); ++it) {
    if ((*it)->deadline() <= until &&
        (due == armed_.end() || (*it)->deadline() < (*due)->deadline())) {
      due = it;
    }
  }
  if (due == armed_.end()) {
    return nullptr;
  }
  auto timer = *due;
  armed_.erase(due);
  return timer;
}

}  // namespace vellicor::sim
