#pragma once

#include <functional>
#include <memory>
#include <string>

namespace vellicor {

// What `addObserver` hands back; only meaningful to the centre that made it.
class ObserverToken {
 public:
  virtual ~ObserverToken() = default;
};

// A notification centre whose observer blocks run on the main queue, once per
// notification posted, until their token is removed.
class NotificationCenter {
 public:
  virtual ~NotificationCenter() = default;
  virtual std::shared_ptr<ObserverToken> addObserver(const std::string& name,
                                                     std::function<void()> block) = 0;
  virtual void removeObserver(const std::shared_ptr<ObserverToken>& token) = 0;
};

}  // namespace vellicor
