#include "platform/qt/qt_threads.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "platform/common/timer_delay.h"
#include "platform/qt/deferred_delete.h"

namespace vellicor::qt {
namespace {

class QtTimerSource final : public TimerSource {
 public:
  QtTimerSource() {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
      // A copy: the handler may release this source while it runs.
      if (const auto handler = handler_) {
        handler();
      }
    });
  }
  // A source released by its own handler must not free the QTimer that is
  // still emitting the timeout, so the timer is stopped, cut loose and freed
  // from the event loop.
  ~QtTimerSource() override {
    timer_->stop();
    QObject::disconnect(timer_.get(), nullptr, nullptr, nullptr);
  }
  QtTimerSource(const QtTimerSource&) = delete;
  QtTimerSource& operator=(const QtTimerSource&) = delete;

  void schedule(double secondsFromNow) override {
    // Whole milliseconds, rounded up so that the timer never fires early.
    const auto delay = std::chrono::ceil<std::chrono::milliseconds>(timerDelay(secondsFromNow));
    delay_ = static_cast<int>(std::min(delay, kLongestTimerDelay).count());
    if (timer_->isActive()) {
      arm();
    }
  }
  void setEventHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  void activate() override { arm(); }
  void cancel() override {
    timer_->stop();
    delay_.reset();
  }

 private:
  void arm() {
    timer_->stop();
    if (delay_) {
      timer_->start(*delay_);
    }
  }

  DeferredPtr<QTimer> timer_ = makeDeferred<QTimer>();
  std::optional<int> delay_;
  std::function<void()> handler_;
};

}  // namespace

bool QtThreads::isMainThread() const {
  const auto* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

void QtThreads::asyncMain(std::function<void()> work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

std::shared_ptr<TimerSource> QtThreads::makeTimerSource() {
  return std::make_shared<QtTimerSource>();
}

}  // namespace vellicor::qt
