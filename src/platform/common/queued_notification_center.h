#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/notifications.h"

namespace vellicor {

class Threads;

// A notification centre, shared by the desktops, that queues each observer's
// block on the main queue when a notification is posted.
class QueuedNotificationCenter final : public NotificationCenter {
 public:
  explicit QueuedNotificationCenter(Threads& threads) : threads_(threads) {}

  std::shared_ptr<ObserverToken> addObserver(const std::string& name,
                                             std::function<void()> block) override;
  void removeObserver(const std::shared_ptr<ObserverToken>& token) override;

  // Callable from any thread. Observers removed before delivery are not called.
  void post(const std::string& name);
  std::size_t observerCount(const std::string& name) const;
  std::size_t removals() const;

 private:
  struct Observer;
  Threads& threads_;
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Observer>> observers_;
  std::size_t removals_ = 0;
};

}  // namespace vellicor
