#pragma once

#include <memory>

#include "hud/hud_manager.h"

namespace vellicor {

// Builds a HUD manager of its own for each test; only tests can reach it.
class HUDManagerTestAccess {
 public:
  static std::shared_ptr<HUDManager> make(const Platform& platform) {
    return std::shared_ptr<HUDManager>(new HUDManager(platform));
  }
};

}  // namespace vellicor
