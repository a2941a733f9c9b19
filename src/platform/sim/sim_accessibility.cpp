#include "platform/sim/sim_accessibility.h"

namespace vellicor::sim {

void SimAccessibility::announce(const std::string& text) {
  if (listening_) {
    announcements_.push_back({threads_.now(), text});
  }
}

}  // namespace vellicor::sim
