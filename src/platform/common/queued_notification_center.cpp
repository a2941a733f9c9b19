#include "platform/common/queued_notification_center.h"

#include <algorithm>
#include <utility>

#include "platform/threads.h"

namespace vellicor {

struct QueuedNotificationCenter::Observer final : ObserverToken {
  std::string name;
  std::function<void()> block;
  bool removed = false;
};

std::shared_ptr<ObserverToken> QueuedNotificationCenter::addObserver(const std::string& name,
                                                                     std::function<void()> block) {
  auto observer = std::make_shared<Observer>();
  observer->name = name;
  observer->block = std::move(block);
  std::lock_guard lock(mutex_);
  observers_.push_back(observer);
  return observer;
}

void QueuedNotificationCenter::removeObserver(const std::shared_ptr<ObserverToken>& token) {
  std::lock_guard lock(mutex_);
  const auto it = std::find(observers_.begin(), observers_.end(), token);
  if (it == observers_.end()) {
    return;
  }
  (*it)->removed = true;
  observers_.erase(it);
  ++removals_;
}

void QueuedNotificationCenter::post(const std::string& name) {
  std::lock_guard lock(mutex_);
  for (const auto& observer : observers_) {
    if (observer->name != name) {
      continue;
    }
    threads_.asyncMain([this, observer] {
      {
        std::lock_guard inner(mutex_);
        if (observer->removed) {
          return;
        }
      }
      observer->block();
    });
  }
}

std::size_t QueuedNotificationCenter::observerCount(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(observers_.begin(), observers_.end(),
                                                [&](const auto& o) { return o->name == name; }));
}

std::size_t QueuedNotificationCenter::removals() const {
  std::lock_guard lock(mutex_);
  return removals_;
}

}  // namespace vellicor
