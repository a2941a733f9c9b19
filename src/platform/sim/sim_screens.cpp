#include "platform/sim/sim_screens.h"

namespace vellicor::sim {

std::vector<std::shared_ptr<Screen>> SimScreens::screens() const {
  return screens_;
}

std::shared_ptr<Screen> SimScreens::mainScreen() const {
  if (!main_ || *main_ >= screens_.size()) {
    return nullptr;
  }
  return screens_[*main_];
}

void SimScreens::setScreens(const std::vector<Rect>& frames) {
  screens_.clear();
  for (const Rect& frame : frames) {
    screens_.push_back(std::make_shared<SimScreen>(frame));
  }
}

}  // namespace vellicor::sim
