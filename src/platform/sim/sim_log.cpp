#include "platform/sim/sim_log.h"

namespace vellicor::sim {

void SimLog::writeLine(std::string_view line) {
  std::lock_guard lock(mutex_);
  if (echo_) {
    echo_(std::string(line));
  }
  if (keep_) {
    lines_.emplace_back(line);
  }
}

std::vector<std::string> SimLog::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

}  // namespace vellicor::sim
