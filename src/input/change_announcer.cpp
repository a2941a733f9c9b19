#include "input/change_announcer.h"

#include "platform/accessibility.h"
#include "platform/text.h"
#include "platform/threads.h"

namespace vellicor {

struct ChangeAnnouncer::State {
  explicit State(const Platform& p) : platform(p) {}
  Platform platform;
  std::shared_ptr<TimerSource> timer;
  std::string pending;
  std::string spoken;
};

ChangeAnnouncer::ChangeAnnouncer(const Platform& platform)
    : state_(std::make_shared<State>(platform)) {}

ChangeAnnouncer::~ChangeAnnouncer() {
  cancel();
}

void ChangeAnnouncer::started(const std::string& name) {
  state_->spoken = name;
}

void ChangeAnnouncer::changed(const std::string& name) {
  State& s = *state_;
  s.pending = name;
  if (s.timer) {
    s.timer->cancel();
  }
  s.timer = s.platform.threads.makeTimerSource();
  s.timer->schedule(kSettleSeconds);
  const std::weak_ptr<State> weak = state_;
  s.timer->setEventHandler([weak] {
    const auto self = weak.lock();
    // The fired timer stays until the next change replaces it: the handler
    // runs inside it.
    if (!self) {
      return;
    }
    if (!self->platform.text.canonicallyEqual(self->pending, self->spoken)) {
      self->spoken = self->pending;
      self->platform.accessibility.announce(self->pending);
    }
  });
  s.timer->activate();
}

void ChangeAnnouncer::cancel() {
  if (state_->timer) {
    state_->timer->cancel();
    state_->timer.reset();
  }
}

}  // namespace vellicor
