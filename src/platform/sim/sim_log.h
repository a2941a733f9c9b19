#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/log.h"

namespace vellicor::sim {

// Captures every line; an optional echo sees each one as it is written.
class SimLog final : public Log {
 public:
  void writeLine(std::string_view line) override;
  std::vector<std::string> lines() const;
  void setEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }
  // Long runs (benchmarks) can stop keeping lines; the echo still sees them.
  void setKeepLines(bool keep) { keep_ = keep; }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::function<void(const std::string&)> echo_;
  bool keep_ = true;
};

}  // namespace vellicor::sim
