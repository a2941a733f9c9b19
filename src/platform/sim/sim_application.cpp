#include "platform/sim/sim_application.h"

#include "platform/common/macos_spellings.h"

#include "platform/sim/sim_threads.h"

namespace vellicor::sim {

void SimApplication::launch(const std::shared_ptr<ApplicationDelegate>& delegate) {
  delegate_ = delegate;
  delegate->applicationDidFinishLaunching();
}

void SimApplication::run(const std::shared_ptr<ApplicationDelegate>& delegate) {
  launch(delegate);
  while (!terminated_) {
    threads_.runPending();
    if (terminated_) {
      break;
    }
    const auto next = threads_.nextDeadline();
    if (!next) {
      break;
    }
    threads_.advance(*next > threads_.now() ? *next - threads_.now() : 0.0);
  }
}

void SimApplication::terminate() {
  ++terminateRequests_;
  if (terminated_) {
    return;
  }
  terminated_ = true;
  if (auto delegate = delegate_.lock()) {
    delegate->applicationWillTerminate();
  }
}

std::string SimApplication::didActivateApplicationNotification() const {
  return kMacosDidActivateApplication;
}

bool SimApplication::sendAction(const std::string& selector) {
  auto delegate = delegate_.lock();
  return delegate && delegate->performAction(selector);
}

WallTime SimWallClock::now() const {
  const auto epoch = WallTime{std::chrono::hours(24 * 365 * 56)};
  return epoch + std::chrono::duration_cast<WallTime::duration>(
                     std::chrono::duration<double>(threads_.now()));
}

}  // namespace vellicor::sim
