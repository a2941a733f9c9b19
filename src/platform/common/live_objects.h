#pragma once

#include <memory>
#include <vector>

namespace vellicor {

// The objects of a list of weak references that are still alive, in order.
template <class T>
std::vector<std::shared_ptr<T>> liveObjects(const std::vector<std::weak_ptr<T>>& weak) {
  std::vector<std::shared_ptr<T>> live;
  for (const auto& w : weak) {
    if (auto object = w.lock()) {
      live.push_back(std::move(object));
    }
  }
  return live;
}

}  // namespace vellicor
