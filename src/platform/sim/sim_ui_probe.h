#pragma once

#include <atomic>
#include <cstddef>

#include "platform/threads.h"

namespace vellicor::sim {

// Counts user-interface calls made off the main thread, which must never happen.
class SimUiProbe {
 public:
  explicit SimUiProbe(const Threads& threads) : threads_(threads) {}
  void touch() const {
    if (!threads_.isMainThread()) {
      offMainCalls_.fetch_add(1, std::memory_order_relaxed);
    }
  }
  std::size_t offMainCalls() const { return offMainCalls_.load(std::memory_order_relaxed); }

 private:
  const Threads& threads_;
  mutable std::atomic<std::size_t> offMainCalls_{0};
};

}  // namespace vellicor::sim
